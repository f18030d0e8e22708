// zelkinc-cli link run as a program against the stand-in.
#include "LeaderFixture.h"
#include "TestSupport.h"

#include <QProcess>
#include <QtTest>
#include <archive.h>
#include <archive_entry.h>

using namespace Qt::StringLiterals;

namespace {

struct TRun
{
    int Exit = -1;
    QStringList Lines;
    QString Err;
};

// A dossier package as the leader makes it: a ZIP with TDDBH.dat.
void WriteDossierZip(const QString &path, int32_t number)
{
    archive *a = archive_write_new();
    archive_write_set_format_zip(a);
    archive_write_open_filename(a, QFile::encodeName(path).constData());
    uint8_t raw[4];
    PutInt32(raw, number);
    archive_entry *e = archive_entry_new();
    archive_entry_set_pathname(e, "TDDBH.dat");
    archive_entry_set_filetype(e, AE_IFREG);
    archive_entry_set_perm(e, 0644);
    archive_entry_set_size(e, 4);
    archive_write_header(a, e);
    archive_write_data(a, raw, 4);
    archive_entry_free(e);
    archive_write_close(a);
    archive_write_free(a);
}

} // namespace

class TestLinkCli : public QObject
{
    Q_OBJECT

    std::unique_ptr<TLeaderFixture> F;

    TRun Run(const QStringList &commandArgs, const QString &password = u"pw1"_s, QString host = {},
             const QStringList &options = {})
    {
        if (host.isEmpty())
            host = F->Host();
        QProcess p;
        QStringList args = {u"link"_s,
                            u"--host"_s,
                            host,
                            u"--port"_s,
                            QString::number(F->Server().Port()),
                            u"--user"_s,
                            u"zy01"_s,
                            u"--password"_s,
                            password,
                            u"--ssdm"_s,
                            u"11"_s};
        p.start(zktest::programFolder() + u"/zelkinc-cli"_s, args + options + commandArgs);
        if (!p.waitForFinished(60000))
            qFatal("zelkinc-cli did not finish");
        TRun run;
        run.Exit = p.exitCode();
        run.Lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        run.Err = QString::fromUtf8(p.readAllStandardError());
        return run;
    }

private slots:
    void init() { F = std::make_unique<TLeaderFixture>(); }
    void cleanup()
    {
        QCOMPARE(F->Server().Stats().Violations, 0);
        F.reset();
    }

    void everyCommand()
    {
        WriteDossierZip(F->UserFolder() + u"tdd/1_5_1/9.zip"_s, 9);
        const QString up = F->WorkPath(u"up.zip"_s);
        WriteTestFile(up, PatternBytes(1023, 2));
        const QString w = F->WorkPath({});
        const TRun run = Run({u"state"_s,
                              u"+"_s,
                              u"dqpc"_s,
                              u"+"_s,
                              u"dmk"_s,
                              w + u"dmk.zip"_s,
                              u"+"_s,
                              u"jhk"_s,
                              w + u"jhk.zip"_s,
                              u"+"_s,
                              u"tdd"_s,
                              u"1"_s,
                              u"5"_s,
                              u"1"_s,
                              u"0"_s,
                              w + u"tdd.zip"_s,
                              u"+"_s,
                              u"tdd"_s,
                              u"1"_s,
                              u"5"_s,
                              u"1"_s,
                              u"9"_s,
                              w + u"none.zip"_s,
                              u"+"_s,
                              u"upload"_s,
                              u"1"_s,
                              u"5"_s,
                              u"1"_s,
                              u"9"_s,
                              up,
                              u"+"_s,
                              u"allzy"_s,
                              F->KSH,
                              w + u"qbzy.zip"_s,
                              u"+"_s,
                              u"photo"_s,
                              F->KSH,
                              u"3"_s,
                              w + u"p"_s,
                              u"+"_s,
                              u"login"_s});
        QCOMPARE(run.Lines, (QStringList{u"login 0"_s, u"state 0 newdmk=1 newjhk=0"_s, u"dqpc 0 pcdm=\"1\""_s,
                                         u"dmk 0 bytes=1022"_s, u"jhk 0 bytes=0"_s,
                                         u"tdd 0 bytes=%1 tddbh=9"_s.arg(QFileInfo(w + u"tdd.zip"_s).size()),
                                         u"tdd 1"_s, u"upload 0 bytes=1023"_s, u"allzy 0 bytes=700"_s,
                                         u"photo 0 ext=\".JPG\" bytes=2000"_s, u"login 0"_s}));
        QCOMPARE(run.Exit, 1); // one call answered 1
        QCOMPARE(F->Server().Stats().Uploads, 1);
        QTRY_VERIFY(F->LogText().contains(u"<- mtLogout"_s)); // the context was destroyed
    }

    void allAnswered()
    {
        const TRun run = Run({u"dqpc"_s});
        QCOMPARE(run.Lines, (QStringList{u"login 0"_s, u"dqpc 0 pcdm=\"1\""_s}));
        QCOMPARE(run.Exit, 0);
    }

    void loginRefused()
    {
        const TRun run = Run({u"state"_s}, u"wrong"_s);
        QCOMPARE(run.Lines, QStringList{u"login 2"_s});
        QCOMPARE(run.Exit, 1);
    }

    void timeoutOption()
    {
        TLeaderFaults faults;
        faults.StallFor = 3;
        F->Server().SetFaults(faults);
        const TRun run = Run({u"state"_s}, u"pw1"_s, {}, {u"--timeout"_s, u"1"_s});
        QCOMPARE(run.Lines, (QStringList{u"login 0"_s, u"state 13"_s}));
        QCOMPARE(run.Exit, 1);
    }

    // Without IPv6 an IPv6 address cannot be reached; a name can over IPv4.
    void noIPv6Option()
    {
        QCOMPARE(Run({}, u"pw1"_s, u"::1"_s, {u"--no-ipv6"_s}).Lines, QStringList{u"login 14"_s});
        const TRun run = Run({}, u"pw1"_s, u"127.0.0.1"_s, {u"--no-ipv6"_s});
        QCOMPARE(run.Lines, QStringList{u"login 0"_s});
        QCOMPARE(run.Exit, 0);
        QVERIFY(F->LogText().contains(u"connected from IPv4 127.0.0.1"_s));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown command") << QStringList{u"fetch"_s};
        QTest::newRow("missing argument") << QStringList{u"dmk"_s};
        QTest::newRow("package number not a number")
            << QStringList{u"tdd"_s, u"1"_s, u"5"_s, u"1"_s, u"x"_s, u"f"_s};
        QTest::newRow("kind out of range") << QStringList{u"photo"_s, u"1"_s, u"256"_s, u"f"_s};
        QTest::newRow("empty command") << QStringList{u"state"_s, u"+"_s};
        QTest::newRow("unknown option") << QStringList{u"--verbose"_s, u"state"_s};
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        const TRun run = Run(args);
        QCOMPARE(run.Exit, 2);
        QVERIFY(run.Lines.isEmpty()); // nothing was sent
        QVERIFY(run.Err.contains(u"usage:"_s) || run.Err.contains(u"unknown option"_s));
        QCOMPARE(F->Server().Stats().Connections, 0);
    }
};

QTEST_GUILESS_MAIN(TestLinkCli)
#include "tst_LinkCli.moc"
