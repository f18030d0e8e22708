// The member's task thread against the leader's server stand-in over loopback: the link
// tasks with their inputs and outputs, file naming, the answers without a link, the
// handler tasks, the pending requests after a delivery and the program-wide hooks.
#include "LeaderFixture.h"
#include "TestSupport.h"
#include "link/MemberBgTaskThread.h"
#include "link/MemberTransaction.h"
#include "store/ZKMainDef.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int Patience = 30000; // ms; a generous limit for a loaded machine, not a timing

using TTask = void (TMemberBgTaskThread::*)(QVariantList &, QVariantList &);

// What a task's callback received, and on which thread.
struct TDelivery
{
    QVariantList In;
    QVariantList Out;
    QThread *Thread = nullptr;
};

// Runs a task through ExecBgTask and waits for its callback, pumping the event loop.
TDelivery Run(TMemberBgTaskThread &thread, TTask task, const QVariantList &in = {})
{
    TDelivery delivery;
    bool done = false;
    if (!thread.ExecBgTask(BgTaskProc(&thread, task), in, [&](QVariantList &i, QVariantList &o) {
            delivery = {i, o, QThread::currentThread()};
            done = true;
        }))
        qFatal("the task thread is busy");
    const QDeadlineTimer deadline(Patience);
    while (!done && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (!done)
        qFatal("the task did not come back");
    return delivery;
}

// A download folder's file name: prefix, 17 digits of time stamp, ".zip".
bool IsStampedName(const QString &path, const QString &folder, const QString &prefix)
{
    const QRegularExpression name(u"^"_s + QRegularExpression::escape(prefix) + u"\\d{17}\\.zip$"_s);
    return path.startsWith(folder) && name.match(path.mid(folder.size())).hasMatch();
}

} // namespace

class TestMemberBgTaskThread : public QObject
{
    Q_OBJECT

    std::unique_ptr<TLeaderFixture> F;
    std::unique_ptr<TMemberBgTaskThread> T;
    QString Downloads;

    TLeaderFixture &Fix(const TLeaderOptions &options = {})
    {
        F = std::make_unique<TLeaderFixture>(options);
        Downloads = F->WorkPath(u"download/"_s);
        QDir().mkpath(Downloads);
        ZKMainDef().LoginInfo.DownloadFolder = Downloads;
        T = std::make_unique<TMemberBgTaskThread>();
        T->Start();
        return *F;
    }

    QVariantList ConnectInput(const QString &password = TLeaderFixture::Password) const
    {
        return {F->Host(), int(F->Server().Port()), TLeaderFixture::User, password};
    }

    void Connect()
    {
        const TDelivery d = Run(*T, &TMemberBgTaskThread::DoConnectToHost, ConnectInput());
        QCOMPARE(d.Out, QVariantList{0});
    }

private slots:
    void init() { ZKMainDef().Reset(); }
    void cleanup()
    {
        T.reset();
        F.reset();
        ZKMainDef().Reset();
    }

    void connectDeliversOnInterfaceThreadWithInput();
    void wrongPasswordAnswersServersCode();
    void reconnectLogsOutTheOldLink();
    void getDMKJHK_data();
    void getDMKJHK();
    void getDMKJHKWhenStateQueryFails();
    void queryDQPC();
    void requestTDDNamesFileAndPassesRefusal();
    void uploadResult();
    void tasksWithoutLinkAnswerNotDone();
    void disconnect();
    void handlerTasks();
    void pendingRequestRunsAfterDelivery();
    void endOfThreadLogsOut();
    void programHooksCreateAndEndTheThread();
};

void TestMemberBgTaskThread::connectDeliversOnInterfaceThreadWithInput()
{
    Fix();
    const QVariantList input = ConnectInput();
    const TDelivery d = Run(*T, &TMemberBgTaskThread::DoConnectToHost, input);
    QCOMPARE(d.Out, QVariantList{0});
    QCOMPARE(d.In, input);
    QCOMPARE(d.Thread, QThread::currentThread());
    QVERIFY(ZKMainDef().IsConnected);
    QCOMPARE(F->Server().Stats().Logins, 1);
}

void TestMemberBgTaskThread::wrongPasswordAnswersServersCode()
{
    Fix();
    ZKMainDef().IsConnected = true; // left from an earlier link
    const TDelivery d = Run(*T, &TMemberBgTaskThread::DoConnectToHost, ConnectInput(u"wrong"_s));
    QCOMPARE(d.Out, QVariantList{2}); // the stand-in's code for a wrong password
    QVERIFY(!ZKMainDef().IsConnected);
    QCOMPARE(F->Server().Stats().RefusedLogins, 1);
}

void TestMemberBgTaskThread::reconnectLogsOutTheOldLink()
{
    Fix();
    Connect();
    Connect();
    QCOMPARE(F->Server().Stats().Logins, 2);
    QTRY_VERIFY_WITH_TIMEOUT(F->LogText().contains(u"mtLogout"_s), Patience);
    QVERIFY(ZKMainDef().IsConnected);
}

void TestMemberBgTaskThread::getDMKJHK_data()
{
    QTest::addColumn<bool>("force");
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("dmkCode");
    QTest::addColumn<int>("jhkCode");
    QTest::newRow("new code library only") << false << u"newdmk=1\nnewjhk=0\n"_s << 0 << -1;
    QTest::newRow("new plan only") << false << u"newdmk=0\nnewjhk=1\n"_s << -1 << 0;
    QTest::newRow("nothing new") << false << u"newdmk=0\nnewjhk=0\n"_s << -1 << -1;
    QTest::newRow("forced") << true << u"newdmk=0\nnewjhk=0\n"_s << 0 << 0;
}

void TestMemberBgTaskThread::getDMKJHK()
{
    QFETCH(bool, force);
    QFETCH(QString, state);
    QFETCH(int, dmkCode);
    QFETCH(int, jhkCode);
    Fix();
    WriteTestFile(F->UserFolder() + u"state.txt"_s, state.toUtf8());
    Connect();
    const QVariantList out = Run(*T, &TMemberBgTaskThread::DoGetDMKJHK, {force}).Out;
    QCOMPARE(out.size(), 4);
    QCOMPARE(out[0].toInt(), dmkCode);
    QCOMPARE(out[2].toInt(), jhkCode);
    const QString dmkFile = out[1].toString();
    const QString jhkFile = out[3].toString();
    if (dmkCode == 0) {
        QVERIFY2(IsStampedName(dmkFile, Downloads, u"dmk_"_s), qPrintable(dmkFile));
        QCOMPARE(QFileInfo(dmkFile).size(), 1022);
    } else {
        QVERIFY(dmkFile.isEmpty());
    }
    if (jhkCode == 0) {
        QVERIFY2(IsStampedName(jhkFile, Downloads, u"jhk_"_s), qPrintable(jhkFile));
        QVERIFY(QFileInfo::exists(jhkFile)); // the plan package of the stand-in is empty
    } else {
        QVERIFY(jhkFile.isEmpty());
    }
}

void TestMemberBgTaskThread::getDMKJHKWhenStateQueryFails()
{
    TLeaderOptions options;
    options.Faults.WrongTypeFor = 3; // the member state reply
    Fix(options);
    Connect();
    const QVariantList out = Run(*T, &TMemberBgTaskThread::DoGetDMKJHK, {false}).Out;
    QCOMPARE(out, QVariantList({-1, QString(), -1, QString()}));
    QVERIFY(QDir(Downloads).isEmpty());
}

void TestMemberBgTaskThread::queryDQPC()
{
    Fix();
    Connect();
    QCOMPARE(Run(*T, &TMemberBgTaskThread::DoQueryDQPC).Out, QVariantList({0, u"1"_s}));
}

void TestMemberBgTaskThread::requestTDDNamesFileAndPassesRefusal()
{
    Fix();
    Connect();
    QVariantList out = Run(*T, &TMemberBgTaskThread::DoRequestTDD, {u"1"_s, u"5"_s, u"1"_s, 0}).Out;
    QCOMPARE(out.value(0).toInt(), 0);
    QVERIFY2(IsStampedName(out.value(1).toString(), Downloads, u"tdd_151_0_"_s),
             qPrintable(out.value(1).toString()));
    QCOMPARE(QFileInfo(out.value(1).toString()).size(), 4000); // the newest package, number 5

    // Nothing newer than 5: the server refuses with 1, the name is still the one built.
    out = Run(*T, &TMemberBgTaskThread::DoRequestTDD, {u"1"_s, u"5"_s, u"1"_s, 5}).Out;
    QCOMPARE(out.value(0).toInt(), 1);
    QVERIFY2(IsStampedName(out.value(1).toString(), Downloads, u"tdd_151_5_"_s),
             qPrintable(out.value(1).toString()));

    // Codes that would lead the download file out of its folder are refused unasked.
    const QStringList before = QDir(Downloads).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    for (const QString &code : {u"/../../x"_s, u"../.."_s, u"a/b"_s, u"a\nb"_s}) {
        out = Run(*T, &TMemberBgTaskThread::DoRequestTDD, {u"1"_s, code, u"1"_s, 0}).Out;
        QCOMPARE(out, QVariantList({int(lrProtocolError), QString()}));
    }
    QCOMPARE(QDir(Downloads).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QVERIFY(!QFileInfo::exists(F->WorkPath(u"x"_s)));
}

void TestMemberBgTaskThread::uploadResult()
{
    Fix();
    Connect();
    const QString file = F->WorkPath(u"lqjg.zip"_s);
    WriteTestFile(file, PatternBytes(3000, 11));
    QCOMPARE(Run(*T, &TMemberBgTaskThread::DoUpLoadResult, {u"1"_s, u"5"_s, u"1"_s, 5, file}).Out,
             QVariantList{0});
    const TLeaderStats stats = F->Server().Stats();
    QCOMPARE(stats.Uploads, 1);
    QCOMPARE(zktest::readFile(stats.StoredFiles.value(0)), PatternBytes(3000, 11));
}

// Without a link (and with IsConnected cleared after a broken login) no request is made.
void TestMemberBgTaskThread::tasksWithoutLinkAnswerNotDone()
{
    Fix();
    const QVariantList none{-1, QString()};
    QCOMPARE(Run(*T, &TMemberBgTaskThread::DoGetDMKJHK, {true}).Out,
             QVariantList({-1, QString(), -1, QString()}));
    QCOMPARE(Run(*T, &TMemberBgTaskThread::DoQueryDQPC).Out, none);
    QCOMPARE(Run(*T, &TMemberBgTaskThread::DoRequestTDD, {u"1"_s, u"5"_s, u"1"_s, 0}).Out, none);
    QCOMPARE(Run(*T, &TMemberBgTaskThread::DoUpLoadResult, {u"1"_s, u"5"_s, u"1"_s, 5, u"x"_s}).Out,
             QVariantList{-1});

    Run(*T, &TMemberBgTaskThread::DoConnectToHost, ConnectInput(u"wrong"_s));
    QCOMPARE(Run(*T, &TMemberBgTaskThread::DoQueryDQPC).Out, none);
    QCOMPARE(F->Server().Stats().Connections, 1);
    QVERIFY(QDir(Downloads).isEmpty());
}

void TestMemberBgTaskThread::disconnect()
{
    Fix();
    // Without a link: only IsConnected is cleared.
    ZKMainDef().IsConnected = true;
    TDelivery d = Run(*T, &TMemberBgTaskThread::DoDisconnect, {u"ignored"_s});
    QVERIFY(d.Out.isEmpty());
    QVERIFY(!ZKMainDef().IsConnected);
    QCOMPARE(F->Server().Stats().Connections, 0);

    Connect();
    d = Run(*T, &TMemberBgTaskThread::DoDisconnect);
    QVERIFY(!ZKMainDef().IsConnected);
    QTRY_VERIFY_WITH_TIMEOUT(F->LogText().contains(u"mtLogout"_s), Patience);
    QCOMPARE(Run(*T, &TMemberBgTaskThread::DoQueryDQPC).Out, QVariantList({-1, QString()}));
}

void TestMemberBgTaskThread::handlerTasks()
{
    Fix();
    QCOMPARE(Run(*T, &TMemberBgTaskThread::DoGetQBZY, {TLeaderFixture::KSH}).Out, QVariantList{11});
    QCOMPARE(Run(*T, &TMemberBgTaskThread::DoGetPhoto, {TLeaderFixture::KSH, 3}).Out,
             QVariantList({11, QString()}));

    Connect();
    std::atomic<QThread *> handlerThread{nullptr};
    T->GetPhotoHandler = [&](TMemberBgTaskThread &thread, QVariantList &in, QVariantList &out) {
        handlerThread = QThread::currentThread();
        const QString file = Downloads + in.value(0).toString();
        QString ext;
        const int code =
            thread.LinkCtxt->RequestPhoto(in.value(0).toString(), file, uint8_t(in.value(1).toInt()), ext);
        out = {code, QString(file + ext)};
    };
    const QVariantList out = Run(*T, &TMemberBgTaskThread::DoGetPhoto, {TLeaderFixture::KSH, 3}).Out;
    QCOMPARE(out.value(0).toInt(), 0);
    QVERIFY(handlerThread.load() != QThread::currentThread());
    QVERIFY(handlerThread.load() != nullptr);
}

void TestMemberBgTaskThread::pendingRequestRunsAfterDelivery()
{
    Fix();
    QStringList started;
    T->PendingRequests.LoadDNPage = [&](int page) {
        ZKMainDef().PendingLoadDNPage = false;
        started << u"page %1"_s.arg(page);
    };
    T->PendingRequests.LoadQBZY = [&] { started << u"wishes"_s; };
    ZKMainDef().PendingLoadDNPage = true;
    ZKMainDef().PendingLoadQBZY = true;
    Run(*T, &TMemberBgTaskThread::DoQueryDQPC);
    QCOMPARE(started, QStringList{u"page -1"_s});
}

void TestMemberBgTaskThread::endOfThreadLogsOut()
{
    Fix();
    Connect();
    T.reset();
    QTRY_VERIFY_WITH_TIMEOUT(F->LogText().contains(u"mtLogout"_s), Patience);
}

void TestMemberBgTaskThread::programHooksCreateAndEndTheThread()
{
    QVERIFY(!ZKMainDef().CreateBgTaskThreadHook);
    InitMemberBgTaskThreadUnit();
    QVERIFY(ZKMainDef().CreateBgTaskThreadHook && ZKMainDef().EndBgTaskThreadHook);
    QVERIFY(!BgTaskThread);
    ZKMainDef().CreateBgTaskThreadHook();
    TMemberBgTaskThread *thread = MemberBgTaskThread();
    QVERIFY(thread);
    QCOMPARE(static_cast<TBgTaskThread *>(thread), BgTaskThread);
    ZKMainDef().CreateBgTaskThreadHook(); // a second call keeps the one thread
    QCOMPARE(MemberBgTaskThread(), thread);
    QCOMPARE(Run(*thread, &TMemberBgTaskThread::DoQueryDQPC).Out, QVariantList({-1, QString()}));
    ZKMainDef().EndBgTaskThreadHook();
    QVERIFY(!BgTaskThread);
    QVERIFY(!MemberBgTaskThread());
}

QTEST_GUILESS_MAIN(TestMemberBgTaskThread)
#include "tst_MemberBgTaskThread.moc"
