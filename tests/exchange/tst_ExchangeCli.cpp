// zelkinc-cli sync and send-results run as programs against the stand-in serving
// generated demo data: a fresh storage folder filled, only what is new fetched the next
// time, results delivered and read back by the leader's side.
#include "ExchangeFixture.h"
#include "TestSupport.h"
#include "store/Adtg.h"
#include "store/Archive.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QtTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

struct TRun
{
    int Exit = -1;
    QStringList Out;
    QString Err;
};

TRun Cli(const QStringList &args, const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment(),
         const QByteArray &input = {})
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(zktest::programFolder() + u"/zelkinc-cli"_s, args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000))
        qFatal("zelkinc-cli did not end");
    TRun run;
    run.Exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.Out = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    run.Err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

// "set pcdm=\"2\" kldm=\"5\" jhxz=\"1\" before=0 after=6 dossiers=32 import=done" by set folder "2_5_1".
QMap<QString, QMap<QString, QString>> SetLines(const QStringList &out)
{
    QMap<QString, QMap<QString, QString>> sets;
    for (const QString &line : out) {
        if (!line.startsWith(u"set "_s))
            continue;
        QMap<QString, QString> values;
        for (const QString &pair : line.mid(4).split(u' ')) {
            QString value = pair.section(u'=', 1);
            if (value.startsWith(u'"'))
                value = value.mid(1, value.size() - 2);
            values.insert(pair.section(u'=', 0, 0), value);
        }
        sets.insert(values[u"pcdm"_s] + u'_' + values[u"kldm"_s] + u'_' + values[u"jhxz"_s], values);
    }
    return sets;
}

// The newest package number of each of the leader's sets, and its dossiers.
QMap<QString, QPair<int, int>> LeaderPackages(TExchangeFixture &f)
{
    QMap<QString, QPair<int, int>> packages;
    const QString tdd = f.LeaderUser() + u"tdd/"_s;
    for (const QString &set : QDir(tdd).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        int last = 0;
        for (const QString &zip : QDir(tdd + set).entryList({u"*.zip"_s}))
            last = std::max(last, QFileInfo(zip).baseName().toInt());
        const QString folder = f.Temp(u"leader_"_s + set + u'/');
        QDir().mkpath(folder);
        ExtractArchive(f.Package(set, last), folder);
        packages.insert(set, {last, LoadAdtgFile(folder + u"T_TDD.adtg"_s).StoredRowCount()});
    }
    return packages;
}

// Entries of a folder tree (the folder included) that are not the member's alone:
// folders other than 0700, files other than 0600; a file in the except list is not checked.
QStringList NotPrivate(const QString &folder, const QStringList &except = {})
{
    QStringList paths{folder};
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        paths.append(it.next());
    QStringList open;
    for (const QString &path : paths) {
        struct stat st;
        if (except.contains(path) || ::lstat(QFile::encodeName(path).constData(), &st) != 0)
            continue;
        const mode_t mode = st.st_mode & 07777;
        if ((S_ISDIR(st.st_mode) && mode != 0700) || (S_ISREG(st.st_mode) && mode != 0600))
            open.append(u"%1 %2"_s.arg(path).arg(mode, 0, 8));
    }
    return open;
}

} // namespace

class TestExchangeCli : public QObject
{
    Q_OBJECT

    QStringList Args(TExchangeFixture &f, const QString &command,
                     const QString &password = TExchangeFixture::Password)
    {
        return {command,
                u"--storage"_s,
                f.Storage() + u"cli"_s,
                u"--province"_s,
                f.SSDM,
                u"--user"_s,
                TExchangeFixture::User,
                u"--password"_s,
                password,
                u"--host"_s,
                u"127.0.0.1"_s,
                u"--port"_s,
                QString::number(f.Server().Port())};
    }

private slots:
    void initTestCase();
    void syncFillsAFreshFolderThenFetchesWhatIsNew();
    void passwordForms_data();
    void passwordForms();
    void sendResultsDeliversThePackage();
    void refusedLoginAndWrongCommandLine();
};

void TestExchangeCli::initTestCase()
{
    // The modes the client sets must not depend on the umask the member happens to have.
    ::umask(022);
}

void TestExchangeCli::syncFillsAFreshFolderThenFetchesWhatIsNew()
{
    TExchangeFixture f;
    const QMap<QString, QPair<int, int>> leader = LeaderPackages(f);
    const QString batch = u"2"_s; // the demo leader's current batch

    TRun first = Cli(Args(f, u"sync"_s));
    QVERIFY2(first.Exit == 0, qPrintable(first.Err));
    QCOMPARE(first.Out.mid(0, 2), (QStringList{u"login 0"_s, u"first-setup 0"_s}));
    QVERIFY(QFileInfo::exists(f.Storage() + u"cli/t_sszt.adtg"_s));
    QMap<QString, QMap<QString, QString>> sets = SetLines(first.Out);
    QVERIFY(sets.size() >= 5);
    QCOMPARE(sets.keys(), [&] {
        QStringList sorted = sets.keys();
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }());
    for (auto it = sets.cbegin(); it != sets.cend(); ++it) {
        const bool fetched = it.key().startsWith(batch + u'_') && leader.contains(it.key());
        QCOMPARE(it.value()[u"before"_s], u"0"_s);
        QCOMPARE(it.value()[u"after"_s].toInt(), fetched ? leader[it.key()].first : 0);
        QCOMPARE(it.value()[u"dossiers"_s].toInt(), fetched ? leader[it.key()].second : 0);
        QCOMPARE(it.value()[u"import"_s], fetched                      ? u"done"_s
                                          : it.key().startsWith(batch) ? u"none"_s
                                                                       : u"-"_s);
    }

    // The storage folder is the member's alone; what was opened up is tightened at the next
    // run, what was closed further is not opened.
    const QString storage = f.Storage() + u"cli"_s;
    QCOMPARE(NotPrivate(storage), QStringList());
    const QString user = QDir(storage).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot).first().filePath() + u'/' +
                         TExchangeFixture::User;
    const QString readOnly = storage + u"/t_sszt.adtg"_s;
    QVERIFY(QFile::setPermissions(storage, QFileDevice::Permissions(0x7755)));
    QVERIFY(QFile::setPermissions(user + u"/ZelkinCUnivShare.mdb"_s, QFileDevice::Permissions(0x6644)));
    QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup));
    QVERIFY(!NotPrivate(storage, {readOnly}).isEmpty());

    // Nothing new: nothing is fetched.
    TRun second = Cli(Args(f, u"sync"_s));
    QVERIFY2(second.Exit == 0, qPrintable(second.Err));
    QCOMPARE(second.Out.first(), u"login 0"_s);
    QVERIFY(!second.Out.join(u'\n').contains(u"first-setup"_s));
    for (const auto &set : SetLines(second.Out)) {
        QCOMPARE(set[u"before"_s], set[u"after"_s]);
        QVERIFY(set[u"import"_s] != u"done"_s);
    }
    QCOMPARE(NotPrivate(storage, {readOnly}), QStringList());
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(readOnly).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), 0400);
    QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner));

    // A newer package of one set: only that one arrives.
    f.DerivePackage(u"2_1_1"_s, 2, 9);
    TRun third = Cli(Args(f, u"sync"_s));
    QVERIFY2(third.Exit == 0, qPrintable(third.Err));
    sets = SetLines(third.Out);
    QCOMPARE(sets[u"2_1_1"_s][u"before"_s], QString::number(leader[u"2_1_1"_s].first));
    QCOMPARE(sets[u"2_1_1"_s][u"after"_s], u"9"_s);
    QCOMPARE(sets[u"2_1_1"_s][u"import"_s], u"done"_s);
    int done = 0;
    for (const auto &set : sets)
        done += set[u"import"_s] == u"done"_s ? 1 : 0;
    QCOMPARE(done, 1);
}

void TestExchangeCli::sendResultsDeliversThePackage()
{
    TExchangeFixture f;
    TRun sync = Cli(Args(f, u"sync"_s));
    QVERIFY2(sync.Exit == 0, qPrintable(sync.Err));
    const int dossiers = SetLines(sync.Out)[u"2_5_1"_s][u"dossiers"_s].toInt();
    QVERIFY(dossiers > 0);

    const QStringList send = Args(f, u"send-results"_s) + QStringList{u"--set"_s, u"2"_s, u"5"_s, u"1"_s};
    TRun sent = Cli(send);
    QVERIFY2(sent.Exit == 0, qPrintable(sent.Err));
    QCOMPARE(sent.Out, (QStringList{u"login 0"_s, u"send-results 0"_s}));
    QVERIFY(sent.Err.contains(u"发送录取结果: 录取结果已成功发送。\n"_s));
    const QStringList stored = f.Server().Stats().StoredFiles;
    QCOMPARE(stored.size(), 1);
    const QString folder = f.Temp(u"stored/"_s);
    QDir().mkpath(folder);
    QCOMPARE(ExtractArchive(stored.first(), folder), 0);
    const TRecordset result = LoadAdtgFile(folder + u"LQJG.adtg"_s);
    QCOMPARE(result.StoredRowCount(), dossiers);
    QCOMPARE(result.Field(0).Name, u"KSH"_s);

    // Sent once, the set is under review: the command refuses to send it again.
    TRun again = Cli(send);
    QCOMPARE(again.Exit, 1);
    QCOMPARE(f.Server().Stats().StoredFiles.size(), 1);
}

void TestExchangeCli::refusedLoginAndWrongCommandLine()
{
    TExchangeFixture f;
    TRun refused = Cli(Args(f, u"sync"_s, u"wrong"_s));
    QCOMPARE(refused.Exit, 1);
    QCOMPARE(refused.Out, QStringList{u"login 2"_s});
    QCOMPARE(refused.Err, u"登录系统: 连接失败，请重新登录。错误码：2\n"_s);
    QCOMPARE(Cli({u"sync"_s, u"--storage"_s, f.Storage()}).Exit, 2);
    QCOMPARE(Cli({u"send-results"_s, u"--storage"_s, f.Storage(), u"--province"_s, f.SSDM, u"--user"_s,
                  TExchangeFixture::User})
                 .Exit,
             2);
}

void TestExchangeCli::passwordForms_data()
{
    QTest::addColumn<QStringList>("options"); // FILE stands for a file holding fileText
    QTest::addColumn<QByteArray>("fileText");
    QTest::addColumn<QString>("environment"); // ZELKINC_PASSWORD; null: unset
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QStringList>("out");

    const QStringList ok{u"login 0"_s};
    const QStringList refused{u"login 2"_s};
    const QStringList file{u"--password-file"_s, u"FILE"_s};
    QTest::newRow("file") << file << QByteArray("pw01\n") << QString() << QByteArray() << 0 << ok;
    QTest::newRow("file, first line only") << file << QByteArray("pw01\r\nsecond") << QString() << QByteArray()
                                           << 0 << ok;
    QTest::newRow("file without line end") << file << QByteArray("pw01") << QString() << QByteArray() << 0 << ok;
    QTest::newRow("wrong in file") << file << QByteArray("pw02\n") << QString() << QByteArray() << 1 << refused;
    QTest::newRow("standard input") << QStringList{u"--password-file"_s, u"-"_s} << QByteArray() << QString()
                                    << QByteArray("pw01\nrest") << 0 << ok;
    QTest::newRow("environment") << QStringList() << QByteArray() << u"pw01"_s << QByteArray() << 0 << ok;
    QTest::newRow("file before environment") << file << QByteArray("pw01\n") << u"wrong"_s << QByteArray() << 0
                                             << ok;
    QTest::newRow("option before environment") << QStringList{u"--password"_s, u"pw01"_s} << QByteArray()
                                               << u"wrong"_s << QByteArray() << 0 << ok;
    QTest::newRow("no password") << QStringList() << QByteArray() << QString() << QByteArray() << 1 << refused;
    QTest::newRow("both options") << QStringList{u"--password"_s, u"pw01"_s} + file << QByteArray("pw01")
                                  << QString() << QByteArray() << 2 << QStringList();
    QTest::newRow("unreadable file") << QStringList{u"--password-file"_s, u"no such file"_s} << QByteArray()
                                     << QString() << QByteArray() << 2 << QStringList();
}

// The password off the command line: a file, the standard input or the environment; the
// link command and the session commands take it the same way.
void TestExchangeCli::passwordForms()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, fileText);
    QFETCH(QString, environment);
    QFETCH(QByteArray, input);
    QFETCH(int, exit);
    QFETCH(QStringList, out);
    TExchangeFixture f;
    const QString passwordFile = f.Temp(u"password"_s);
    QFile file(passwordFile);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(fileText) == fileText.size());
    file.close();
    options.replaceInStrings(u"FILE"_s, passwordFile);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(u"ZELKINC_PASSWORD"_s);
    if (!environment.isNull())
        env.insert(u"ZELKINC_PASSWORD"_s, environment);

    const TRun link = Cli(QStringList{u"link"_s, u"--host"_s, u"127.0.0.1"_s, u"--port"_s,
                                      QString::number(f.Server().Port()), u"--user"_s, TExchangeFixture::User,
                                      u"--ssdm"_s, f.SSDM}
                              + options + QStringList{u"login"_s},
                          env, input);
    QCOMPARE(link.Exit, exit);
    QCOMPARE(link.Out.mid(0, 1), out);
    if (exit == 2)
        QVERIFY(link.Err.startsWith(u"zelkinc-cli link: "_s));

    // The session commands take it the same way (a refused login ends the run after its
    // first line; one accepted run is enough).
    const bool accepted = out == QStringList{u"login 0"_s};
    if (!accepted || QByteArray(QTest::currentDataTag()) == "standard input") {
        const QStringList all = Args(f, u"sync"_s);
        const TRun sync = Cli(all.mid(0, 7) + options + all.mid(9), env, input);
        QVERIFY2(sync.Exit == exit, qPrintable(sync.Err));
        QCOMPARE(sync.Out.mid(0, accepted ? 1 : -1), out);
    }
}

QTEST_GUILESS_MAIN(TestExchangeCli)
#include "tst_ExchangeCli.moc"
