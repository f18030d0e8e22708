// The member's link context against the leader's server stand-in over loopback:
// login and its refusals, keep-alive re-login, every request, resumed and
// abandoned downloads, uploads, protocol errors, time-out, IPv6 then IPv4.
#include "LeaderFixture.h"
#include "TestSupport.h"
#include "store/UiSinks.h"
#include "store/ZKMainDef.h"

#include <QFile>
#include <QtTest>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

QByteArray FileBytes(const QString &path)
{
    return zktest::readFile(path);
}

class TFakeMessageSink : public IMessageSink
{
public:
    QString Text, Caption;
    TMsgIcon Icon = TMsgIcon::Question;
    int Calls = 0;
    TMsgResult ShowMessage(const QString &text, const QString &caption, TMsgIcon icon, TMsgButtons) override
    {
        Text = text;
        Caption = caption;
        Icon = icon;
        ++Calls;
        return TMsgResult::Ok;
    }
};

} // namespace

class TestLinkCtxt : public QObject
{
    Q_OBJECT

    std::unique_ptr<TLeaderFixture> F;

    TLeaderFixture &Fix(const TLeaderOptions &options = {})
    {
        F = std::make_unique<TLeaderFixture>(options);
        return *F;
    }

private slots:
    void cleanup()
    {
        // Whatever the server did, the client never broke the protocol.
        if (F)
            QCOMPARE(F->Server().Stats().Violations, 0);
        F.reset();
    }

    void loginAndQueries()
    {
        auto ctx = Fix().Connected();
        QVERIFY(ctx->Connected());
        QCOMPARE(ctx->FsmState(), uint8_t(1));
        QCOMPARE(ctx->TransId(), uint8_t(1));

        // Already connected: nothing is sent.
        QCOMPARE(ctx->OpenConnection(), int(lrOK));
        QCOMPARE(ctx->TransId(), uint8_t(1));

        bool newDMK = false, newJHK = true;
        QCOMPARE(ctx->QueryMemberState(newDMK, newJHK), int(lrOK));
        QVERIFY(newDMK);
        QVERIFY(!newJHK);
        QString pcdm;
        QCOMPARE(ctx->QueryDQPC(pcdm), int(lrOK));
        QCOMPARE(pcdm, u"1"_s);
        QCOMPARE(ctx->TransId(), uint8_t(5)); // a keep-alive before each request
        QCOMPARE(F->Server().Stats().Logins, 1);

        ctx.reset(); // logs out
        QTRY_VERIFY(F->LogText().contains(u"<- mtLogout id=6"_s));
    }

    void showLoginErrorMsg()
    {
        TFakeMessageSink sink;
        ShowLoginErrorMsg(sink, lrConnectFailed);
        QCOMPARE(sink.Calls, 1);
        QCOMPARE(sink.Text, u"连接失败，请重新登录。错误码：14"_s);
        QCOMPARE(sink.Caption, u"登录系统"_s);
        QCOMPARE(sink.Icon, TMsgIcon::Error);
    }

    void loginRefused_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("ssdm");
        QTest::addColumn<int>("refuseCode");
        QTest::addColumn<int>("replyLen");
        QTest::addColumn<int>("result");
        QTest::newRow("wrong password") << u"zy01"_s << u"pw2"_s << u"11"_s << 0 << 74 << 2;
        QTest::newRow("unknown member") << u"zy02"_s << u"pw1"_s << u"11"_s << 0 << 74 << 1;
        QTest::newRow("unknown province") << u"zy01"_s << u"pw1"_s << u"12"_s << 0 << 74 << 1;
        // The server's codes pass unchanged, even when they equal the client's own.
        QTest::newRow("server code 11") << u"zy01"_s << u"pw1"_s << u"11"_s << 11 << 74 << 11;
        QTest::newRow("server code 14") << u"zy01"_s << u"pw1"_s << u"11"_s << 14 << 74 << 14;
        QTest::newRow("server code 200") << u"zy01"_s << u"pw1"_s << u"11"_s << 200 << 74 << 200;
        QTest::newRow("reply of 73 bytes")
            << u"zy01"_s << u"pw1"_s << u"11"_s << 0 << 73 << int(lrProtocolError);
        QTest::newRow("reply of 75 bytes")
            << u"zy01"_s << u"pw1"_s << u"11"_s << 0 << 75 << int(lrProtocolError);
    }
    void loginRefused()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, ssdm);
        QFETCH(int, refuseCode);
        QFETCH(int, replyLen);
        QFETCH(int, result);
        TLeaderOptions options;
        options.Faults.RefuseLogin = refuseCode;
        options.Faults.LoginReplyLen = replyLen;
        Fix(options);
        ZKMainDef().LoginInfo.SSDM = ssdm;
        ZKMainDef().LoginInfo.Password = password;
        TZKALinkCtxt ctx(F->Host(), F->Server().Port(), user, password);
        QCOMPARE(ctx.OpenConnection(), result);
        QVERIFY(!ctx.Connected());
        QCOMPARE(ctx.FsmState(), uint8_t(0));
    }

    void connectFails()
    {
        Fix();
        const uint16_t port = F->Server().Port();
        F->Server().Stop();
        TZKALinkCtxt ctx(F->Host(), port, F->User, F->Password);
        QCOMPARE(ctx.OpenConnection(), int(lrConnectFailed));
        QVERIFY(!ctx.Connected());
    }

    // The login values of the moment are used: the key comes from
    // LoginInfo.Password, the password field from the context's own password.
    void loginReadsLoginValues()
    {
        auto ctx = Fix().MakeCtxt();
        ZKMainDef().LoginInfo.Password = u"other"_s;
        QCOMPARE(ctx->OpenConnection(), 2); // the server cannot read the password field
        ZKMainDef().LoginInfo.Password = F->Password;
        QCOMPARE(ctx->OpenConnection(), int(lrOK));
    }

    void keepAliveReLogsIn()
    {
        auto ctx = Fix().Connected();
        bool dmk, jhk;
        QCOMPARE(ctx->QueryMemberState(dmk, jhk), int(lrOK));
        const uint8_t before = ctx->TransId();
        F->Server().DropConnections();
        QCOMPARE(ctx->QueryMemberState(dmk, jhk), int(lrOK));
        // The broken keep-alive, the new login and the request took three ids.
        QCOMPARE(ctx->TransId(), uint8_t(before + 3));
        const TLeaderStats stats = F->Server().Stats();
        QCOMPARE(stats.Logins, 2);
        QVERIFY(stats.KeyTexts[0] != stats.KeyTexts[1]); // a new link key
        QCOMPARE(ctx->FsmState(), uint8_t(1));
    }

    void keepAliveCannotReopen()
    {
        auto ctx = Fix().Connected();
        F->Server().Stop();
        bool dmk, jhk;
        QCOMPARE(ctx->QueryMemberState(dmk, jhk), int(lrConnectFailed));
        QVERIFY(!ctx->Connected());
        QString pcdm;
        QCOMPARE(ctx->QueryDQPC(pcdm), int(lrConnectFailed));
    }

    // Checked replies carry odd ids after the first login; a re-login shifts
    // them to even ones, so one request is answered under id 0 after 255.
    void transIdWraps()
    {
        auto ctx = Fix().Connected();
        F->Server().DropConnections();
        std::vector<int> ids;
        for (int i = 0; i < 140; ++i) {
            bool dmk, jhk;
            QCOMPARE(ctx->QueryMemberState(dmk, jhk), int(lrOK));
            ids.push_back(ctx->TransId());
        }
        QVERIFY(std::find(ids.begin(), ids.end(), 0) != ids.end());
        QCOMPARE(F->Server().Stats().Logins, 2);
    }

    void downloads_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<int>("arg");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("source"); // relative to the member's folder
        QTest::addColumn<QString>("ext");
        QTest::newRow("code library, two full chunks") << u"dmk"_s << 0 << 0 << u"dmk.zip"_s << QString();
        QTest::newRow("plan of 0 bytes") << u"jhk"_s << 0 << 0 << u"jhk.zip"_s << QString();
        QTest::newRow("highest package above 0") << u"tdd"_s << 0 << 0 << u"tdd/1_5_1/5.zip"_s << QString();
        QTest::newRow("highest package above 4") << u"tdd"_s << 4 << 0 << u"tdd/1_5_1/5.zip"_s << QString();
        QTest::newRow("nothing above 5") << u"tdd"_s << 5 << 1 << QString() << QString();
        QTest::newRow("all wishes") << u"allzy"_s << 0 << 0 << u"qbzy/11010119991234.zip"_s << QString();
        QTest::newRow("photo") << u"photo"_s << 3 << 0 << u"images/11010119991234/3.JPG"_s << u".JPG"_s;
        QTest::newRow("no registration form") << u"photo"_s << 0 << 1 << QString() << QString();
    }
    void downloads()
    {
        QFETCH(QString, request);
        QFETCH(int, arg);
        QFETCH(int, result);
        QFETCH(QString, source);
        QFETCH(QString, ext);
        auto ctx = Fix().Connected();
        const QString target = F->WorkPath(u"download.zip"_s);
        if (result == 0)
            WriteTestFile(target, "an older file that is replaced");
        QString gotExt = u"unset"_s;
        int r = -1;
        if (request == "dmk"_L1)
            r = ctx->RequestDMK(target);
        else if (request == "jhk"_L1)
            r = ctx->RequestJHK(target);
        else if (request == "tdd"_L1)
            r = ctx->RequestTDD(u"1"_s, u"5"_s, u"1"_s, arg, target);
        else if (request == "allzy"_L1)
            r = ctx->RequestAllZY(F->KSH, target);
        else
            r = ctx->RequestPhoto(F->KSH, target, uint8_t(arg), gotExt);
        QCOMPARE(r, result);
        QVERIFY(ctx->Connected());
        if (result != 0) {
            QVERIFY(!QFile::exists(target)); // no local file is made
            QCOMPARE(gotExt, u"unset"_s);
            return;
        }
        QCOMPARE(FileBytes(target), FileBytes(F->UserFolder() + source));
        if (request == "photo"_L1)
            QCOMPARE(gotExt, ext);
    }

    void fileCannotBeCreated()
    {
        auto ctx = Fix().Connected();
        QCOMPARE(ctx->RequestDMK(F->WorkPath(u"no/such/folder/dmk.zip"_s)), int(lrFileCreateFailed));
        QVERIFY(ctx->Connected());
        QVERIFY(F->Server().Stats().DataOffsets.empty());
    }

    // Broken after 3 full chunks, re-opened, resumed at 1,533.
    void downloadResumes()
    {
        TLeaderOptions options;
        options.Faults.DropAfterChunks = 3;
        options.Faults.DropTimes = 1;
        auto ctx = Fix(options).Connected();
        const QString target = F->WorkPath(u"tdd.zip"_s);
        QCOMPARE(ctx->RequestTDD(u"1"_s, u"5"_s, u"1"_s, 0, target), int(lrOK));
        QCOMPARE(FileBytes(target), FileBytes(F->UserFolder() + "tdd/1_5_1/5.zip"_L1));
        const TLeaderStats stats = F->Server().Stats();
        QCOMPARE(stats.DataOffsets, (std::vector<int32_t>{0, 1533}));
        QCOMPARE(stats.Logins, 2);
        QVERIFY(F->LogText().contains(u"-> rtFileData"_s + u" id="_s)); // logged
        QVERIFY(F->LogText().contains(u"len=2467"_s));                  // 4000 - 1533
    }

    // Every attempt that brings one chunk keeps the download going.
    void downloadSurvivesManyBreaks()
    {
        TLeaderOptions options;
        options.Faults.DropAfterChunks = 1;
        auto ctx = Fix(options).Connected();
        const QString target = F->WorkPath(u"tdd.zip"_s);
        QCOMPARE(ctx->RequestTDD(u"1"_s, u"5"_s, u"1"_s, 0, target), int(lrOK));
        QCOMPARE(FileBytes(target), FileBytes(F->UserFolder() + "tdd/1_5_1/5.zip"_L1));
        QCOMPARE(F->Server().Stats().DataOffsets,
                 (std::vector<int32_t>{0, 511, 1022, 1533, 2044, 2555, 3066, 3577}));
    }

    void downloadGivesUp()
    {
        TLeaderOptions options;
        options.Faults.DropAfterChunks = 0;
        auto ctx = Fix(options).Connected();
        const QString target = F->WorkPath(u"dmk.zip"_s);
        QCOMPARE(ctx->RequestDMK(target), int(lrTransferFailed));
        QVERIFY(!QFile::exists(target));
        QVERIFY(!ctx->Connected());
        QCOMPARE(F->Server().Stats().DataOffsets, (std::vector<int32_t>{0, 0, 0}));
        // The next request re-opens the link.
        bool dmk, jhk;
        QCOMPARE(ctx->QueryMemberState(dmk, jhk), int(lrOK));
    }

    // Spoiled replies: wrong transaction id, wrong type. The connection stays
    // open; a data header that is refused deletes the partial file.
    void protocolErrors_data()
    {
        QTest::addColumn<int>("wrongIdFor");
        QTest::addColumn<int>("wrongTypeFor");
        QTest::addColumn<QString>("request");
        QTest::addColumn<int>("result");
        QTest::newRow("state: wrong id") << 3 << -1 << u"state"_s << int(lrProtocolError);
        QTest::newRow("state: wrong type") << -1 << 3 << u"state"_s << int(lrProtocolError);
        QTest::newRow("dqpc: wrong id") << 6 << -1 << u"dqpc"_s << int(lrProtocolError);
        QTest::newRow("file info: wrong id") << 4 << -1 << u"dmk"_s << int(lrProtocolError);
        QTest::newRow("file info: wrong type") << -1 << 4 << u"dmk"_s << int(lrProtocolError);
        QTest::newRow("data header: wrong id") << 12 << -1 << u"dmk"_s << int(lrProtocolError);
        QTest::newRow("data header: wrong type") << -1 << 12 << u"dmk"_s << int(lrProtocolError);
        QTest::newRow("keep-alive reply is not examined") << 2 << 2 << u"state"_s << int(lrOK);
    }
    void protocolErrors()
    {
        QFETCH(int, wrongIdFor);
        QFETCH(int, wrongTypeFor);
        QFETCH(QString, request);
        QFETCH(int, result);
        // Chunks left in the stream may make the next keep-alive wait for bytes
        // that never come; a short time-out ends that wait.
        TLinkOptions options;
        options.ReadTimeoutMs = 500;
        auto ctx = Fix().Connected(options);
        TLeaderFaults faults;
        faults.WrongTransIdFor = wrongIdFor;
        faults.WrongTypeFor = wrongTypeFor;
        F->Server().SetFaults(faults);
        const QString target = F->WorkPath(u"dmk.zip"_s);
        bool dmk = false, jhk = false;
        QString pcdm = u"unset"_s;
        int r;
        if (request == "state"_L1)
            r = ctx->QueryMemberState(dmk, jhk);
        else if (request == "dqpc"_L1)
            r = ctx->QueryDQPC(pcdm);
        else
            r = ctx->RequestDMK(target);
        QCOMPARE(r, result);
        QVERIFY(ctx->Connected());
        if (result != 0) {
            QVERIFY(!dmk);
            QCOMPARE(pcdm, u"unset"_s);
            QVERIFY(!QFile::exists(target));
        }
        // Whatever was left in the stream, the next request gets through.
        F->Server().SetFaults({});
        QCOMPARE(ctx->QueryDQPC(pcdm), int(lrOK));
        QCOMPARE(pcdm, u"1"_s);
    }

    // A reply announcing 600 bytes is read as 511 (512 on the wire); the rest
    // stays unread and spoils the next keep-alive, which waits for bytes that
    // never come, times out and re-opens the link.
    void overlongReply()
    {
        TLinkOptions options;
        options.ReadTimeoutMs = 300;
        auto ctx = Fix().Connected(options);
        TLeaderFaults faults;
        faults.OverlongFor = 3;
        F->Server().SetFaults(faults);
        bool dmk = false, jhk = true;
        QCOMPARE(ctx->QueryMemberState(dmk, jhk), int(lrOK));
        QVERIFY(dmk);
        QVERIFY(!jhk);
        F->Server().SetFaults({});
        QString pcdm;
        QCOMPARE(ctx->QueryDQPC(pcdm), int(lrOK));
        QCOMPARE(F->Server().Stats().Logins, 2);
    }

    void readTimeOut()
    {
        TLinkOptions options;
        options.ReadTimeoutMs = 300;
        auto ctx = Fix().Connected(options);
        TLeaderFaults faults;
        faults.StallFor = 3;
        F->Server().SetFaults(faults);
        bool dmk, jhk;
        QCOMPARE(ctx->QueryMemberState(dmk, jhk), int(lrTransferFailed));
        QVERIFY(!ctx->Connected());
        F->Server().SetFaults({});
        QCOMPARE(ctx->QueryMemberState(dmk, jhk), int(lrOK));
    }

    void upload_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("1023 bytes: 511, 511, 1") << 1023;
        QTest::newRow("0 bytes") << 0;
        QTest::newRow("one full chunk") << 511;
    }
    void upload()
    {
        QFETCH(int, size);
        auto ctx = Fix().Connected();
        const QString file = F->WorkPath(u"lqjg.zip"_s);
        WriteTestFile(file, PatternBytes(size, 11));
        QCOMPARE(ctx->UpLoadResult(u"1"_s, u"5"_s, u"1"_s, 5, file), int(lrOK));
        QCOMPARE(ctx->FsmState(), uint8_t(1));
        const TLeaderStats stats = F->Server().Stats();
        QCOMPARE(stats.StoredFiles.size(), 1);
        QVERIFY(stats.StoredFiles[0].endsWith(u"results/lqjg_1_5_1_5_1.zip"_s));
        QCOMPARE(FileBytes(stats.StoredFiles[0]), FileBytes(file));
        QVERIFY(F->LogText().contains(u"tddbh=5 size=%1 result=0"_s.arg(size)));
        // A second upload of the set is stored beside the first.
        QCOMPARE(ctx->UpLoadResult(u"1"_s, u"5"_s, u"1"_s, 5, file), int(lrOK));
        QVERIFY(F->Server().Stats().StoredFiles[1].endsWith(u"lqjg_1_5_1_5_2.zip"_s));
    }

    void uploadRefused()
    {
        TLeaderOptions options;
        options.Faults.RefuseUpload = 9;
        auto ctx = Fix(options).Connected();
        const QString file = F->WorkPath(u"lqjg.zip"_s);
        WriteTestFile(file, PatternBytes(100, 1));
        QCOMPARE(ctx->UpLoadResult(u"1"_s, u"5"_s, u"1"_s, 5, file), 9);
        QCOMPARE(ctx->FsmState(), uint8_t(1));
        QVERIFY(ctx->Connected());
        QCOMPARE(F->Server().Stats().Uploads, 0);
        QVERIFY(!F->LogText().contains(u"mtUpLoadData"_s)); // no data was sent
        QCOMPARE(ctx->UpLoadResult(u"1"_s, u"5"_s, u"1"_s, 5, F->WorkPath(u"missing.zip"_s)),
                 int(lrFileCreateFailed));
    }

    void uploadAckSpoiled()
    {
        auto ctx = Fix().Connected();
        TLeaderFaults faults;
        faults.WrongTransIdFor = 9; // the final acknowledgement
        F->Server().SetFaults(faults);
        const QString file = F->WorkPath(u"lqjg.zip"_s);
        WriteTestFile(file, PatternBytes(600, 1));
        QCOMPARE(ctx->UpLoadResult(u"1"_s, u"5"_s, u"1"_s, 5, file), int(lrProtocolError));
        QCOMPARE(ctx->FsmState(), uint8_t(1));
    }

    // IPv6 first; after it failed the context stays on IPv4.
    void ipv6ThenIPv4()
    {
        if (!IsIPv6Installed())
            QSKIP("IPv6 is not installed");
        TLeaderOptions options;
        options.ListenIPv6 = false;
        Fix(options);
        std::vector<bool> calls;
        TLinkOptions link;
        link.Connector = [&calls](const QString &host, uint16_t port, bool ipv6) {
            calls.push_back(ipv6);
            return ConnectTcp(host, port, ipv6);
        };
        auto ctx = F->MakeCtxt(link, u"localhost"_s);
        QVERIFY(ctx->UsesIPv6());
        QCOMPARE(ctx->OpenConnection(), int(lrOK));
        QVERIFY(!ctx->UsesIPv6());
        F->Server().DropConnections();
        bool dmk, jhk;
        QCOMPARE(ctx->QueryMemberState(dmk, jhk), int(lrOK));
        QCOMPARE(calls, (std::vector<bool>{true, false, false}));

        TLinkOptions noIPv6 = link;
        noIPv6.IPv6Allowed = false;
        calls.clear();
        auto v4 = F->MakeCtxt(noIPv6, u"localhost"_s);
        QVERIFY(!v4->UsesIPv6());
        QCOMPARE(v4->OpenConnection(), int(lrOK));
        QCOMPARE(calls, (std::vector<bool>{false}));
    }

    void ipv6WhenServed()
    {
        if (!Fix().Server().ListensIPv6())
            QSKIP("IPv6 is not available on loopback");
        auto ctx = F->Connected();
        QVERIFY(ctx->UsesIPv6());
        QVERIFY(F->LogText().contains(u"connected from IPv6 ::1"_s));
    }
};

QTEST_GUILESS_MAIN(TestLinkCtxt)
#include "tst_LinkCtxt.moc"
