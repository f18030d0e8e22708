// The member's client against a hostile leader (the stand-in's hostile switches): user
// names, candidate numbers, set codes, column names and archive members that try to lead
// the client's files out of its storage folder, and a document served as a launcher.
// Whatever the leader sends, nothing outside the storage folder is written, replaced or
// deleted, and what the client keeps there is the member's alone.
#include "ExchangeFixture.h"
#include "TestSupport.h"
#include "link/MemberBgTaskThread.h"
#include "link/MemberTransaction.h"
#include "link/ZKALinkCtxt.h"
#include "store/NameGuards.h"
#include "store/SqlQuery.h"
#include "store/StorageFolder.h"
#include "store/ZKMainDef.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QtTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// Every entry below a folder (hidden ones, links not followed) with what would show a
// write, a replacement or a deletion: type, mode, size, time and content.
using TTreeSnapshot = QMap<QString, QString>;

TTreeSnapshot Snapshot(const QString &root, const QStringList &excluded)
{
    TTreeSnapshot snapshot;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(root).relativeFilePath(path);
        if (std::any_of(excluded.cbegin(), excluded.cend(),
                        [&](const QString &e) { return relative == e || relative.startsWith(e + u'/'); }))
            continue;
        struct stat st;
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
            continue;
        // A folder's own time changes with what is made inside it (the storage folder's
        // parent when it is made); its entries show every change below it.
        QString entry = u"mode=%1 ino=%2"_s.arg(st.st_mode, 0, 8).arg(st.st_ino);
        if (!S_ISDIR(st.st_mode))
            entry += u" size=%1 mtime=%2.%3"_s.arg(st.st_size).arg(st.st_mtim.tv_sec).arg(st.st_mtim.tv_nsec);
        if (S_ISREG(st.st_mode)) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                entry += u" sha1="_s + QString::fromLatin1(
                                           QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex());
        }
        snapshot.insert(relative, entry);
    }
    return snapshot;
}

void WriteFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Entries below folder that are not the member's alone: folders other than 0700, files
// other than 0600.
QStringList NotPrivate(const QString &folder)
{
    QStringList open;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    QStringList paths{folder};
    while (it.hasNext())
        paths.append(it.next());
    for (const QString &path : paths) {
        struct stat st;
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
            continue;
        const mode_t mode = st.st_mode & 07777;
        if ((S_ISDIR(st.st_mode) && mode != 0700) || (S_ISREG(st.st_mode) && mode != 0600))
            open.append(u"%1 %2"_s.arg(path).arg(mode, 0, 8));
    }
    return open;
}


// The hostile values every table tries: steps out of the folder, absolute paths, names
// that end paths or statements, control characters.
void AddHostileValues()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("up two") << u"../.."_s;
    QTest::newRow("absolute") << u"/abs/x"_s;
    QTest::newRow("autostart") << u"../../../../.config/autostart/x"_s;
    QTest::newRow("semicolon") << u"a;b"_s;
    QTest::newRow("quotes") << u"a\"b'c"_s;
    QTest::newRow("control characters") << u"a\nb\x01"_s;
}

} // namespace

class TestHostileLeader : public QObject
{
    Q_OBJECT

    // The test's temporary root: the storage folder lies deep inside it, so that every
    // step out of a folder the client could take lands on a watched sentinel.
    QString Root(TExchangeFixture &f) const
    {
        const QString root = QDir::cleanPath(f.LeaderRoot() + u".."_s) + u'/';
        if (root.size() < 8)
            qFatal("the test's root folder %s is too wide to watch", qPrintable(root));
        return root;
    }
    QString StorageOf(TExchangeFixture &f) const { return Root(f) + u"home/Documents/.store/"_s; }

    // Files where a step out of the storage folder would land or that it would replace.
    void PlantSentinels(TExchangeFixture &f)
    {
        const QString root = Root(f);
        for (const QString &name : {u"sentinel.txt"_s, u"home/sentinel.txt"_s, u"home/Documents/sentinel.txt"_s,
                                    u"home/.config/autostart/x"_s, u"home/Documents/ZelkinCUniv.mdb"_s,
                                    u"abs/x"_s})
            WriteFile(root + name, "sentinel " + name.toUtf8());
    }

    TTreeSnapshot Outside(TExchangeFixture &f)
    {
        // The leader's folder (it stores uploads) and the fixture's scratch are not the client's.
        return Snapshot(Root(f), {u"home/Documents/.store"_s, u"leader"_s, u"scratch"_s, u"storage"_s});
    }

    // Login, first set-up and code tables as start-up does, with the storage folder deep
    // inside the root. False when a step failed.
    bool SetUpDeep(TExchangeFixture &f)
    {
        TSessionOptions options = f.Options();
        options.StorageFolder = StorageOf(f);
        if (!f.Session.PrepareLogin(options) || f.Session.Connect() != 0)
            return false;
        bool setUp = false;
        return f.Session.ReadSetUpState(setUp) && (setUp || f.Session.FirstSetUp()) && f.Session.EnterWorkspace();
    }

    QStringList ImportResults(TExchangeFixture &f)
    {
        QStringList results;
        for (const TTDDRequestResult &r : f.Net.LastRunResults)
            results.append(QString::number(r.Import));
        return results;
    }

private slots:
    void initTestCase();
    void hostileUserNamesAreRefusedBeforeAnything_data();
    void hostileUserNamesAreRefusedBeforeAnything();
    void everyCommandRefusesTheName();
    void hostileCandidateNumbers_data();
    void hostileCandidateNumbers();
    void hostileSetCodes_data();
    void hostileSetCodes();
    void hostileColumnNames_data();
    void hostileColumnNames();
    void unsafeArchiveMemberRefusesThePackage();
    void documentServedAsLauncherStaysAPrivateFile();
};

void TestHostileLeader::initTestCase()
{
    // The modes the client sets must not depend on the umask the member happens to have.
    ::umask(022);
}

void TestHostileLeader::hostileUserNamesAreRefusedBeforeAnything_data()
{
    AddHostileValues();
    QTest::newRow("dot") << u"."_s;
    QTest::newRow("blank") << u"  "_s;
    QTest::newRow("backslash") << u"a\\b"_s;
}

// A leader that accepts any name would let the session run; the client refuses first.
void TestHostileLeader::hostileUserNamesAreRefusedBeforeAnything()
{
    QFETCH(QString, value);
    TExchangeFixture f;
    TLeaderFaults faults;
    faults.Hostility.AcceptAnyUser = true;
    f.Server().SetFaults(faults);
    PlantSentinels(f);
    const TTreeSnapshot before = Outside(f);

    QProcess p;
    p.start(zktest::programFolder() + u"/zelkinc-cli"_s,
            {u"sync"_s, u"--storage"_s, StorageOf(f), u"--province"_s, f.SSDM, u"--user"_s, value,
             u"--password"_s, TExchangeFixture::Password, u"--host"_s, u"127.0.0.1"_s, u"--port"_s,
             QString::number(f.Server().Port())});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 2);
    QCOMPARE(QString::fromUtf8(p.readAllStandardError()), u"zelkinc-cli sync: "_s + UserNameRefusalText() + u'\n');
    QVERIFY(p.readAllStandardOutput().isEmpty());
    QCOMPARE(f.Server().Stats().Connections, 0);
    QVERIFY(!QFileInfo::exists(StorageOf(f)));
    QCOMPARE(Outside(f), before);

    // The session refuses too, before the storage folder is made.
    TSessionOptions options = f.Options();
    options.StorageFolder = StorageOf(f);
    options.UserName = value;
    QVERIFY(!f.Session.PrepareLogin(options));
    QCOMPARE(f.Session.Error(), UserNameRefusalText());
    QVERIFY(!QFileInfo::exists(StorageOf(f)));
}

void TestHostileLeader::everyCommandRefusesTheName()
{
    TExchangeFixture f;
    const QString port = QString::number(f.Server().Port());
    // The stand-in is hostile indeed: it takes the name that the client refuses.
    TLeaderFaults faults;
    faults.Hostility.AcceptAnyUser = true;
    f.Server().SetFaults(faults);
    ZKMainDef().LoginInfo.SSDM = f.SSDM;
    ZKMainDef().LoginInfo.UserName = u"../.."_s;
    ZKMainDef().LoginInfo.Password = TExchangeFixture::Password;
    {
        TZKALinkCtxt link(u"127.0.0.1"_s, f.Server().Port(), u"../.."_s, TExchangeFixture::Password, {});
        QCOMPARE(link.OpenConnection(), 0);
    }
    const int connections = f.Server().Stats().Connections;

    const QStringList set{u"--set"_s, u"2"_s, u"5"_s, u"1"_s};
    const QStringList user{u"--storage"_s, StorageOf(f), u"--province"_s, f.SSDM, u"--user"_s, u"../.."_s};
    const QList<QStringList> commands{
        QStringList{u"send-results"_s} + user + set + QStringList{u"--password"_s, u"pw01"_s},
        QStringList{u"grid"_s} + user + set,
        QStringList{u"journal"_s} + user + set,
        QStringList{u"page"_s} + user + set + QStringList{u"--ksh"_s, u"1"_s, u"--template"_s, u"t"_s, u"--out"_s, u"o"_s},
        QStringList{u"stats"_s} + user + set + QStringList{u"--work-tables"_s},
        QStringList{u"print"_s} + user + set + QStringList{u"--pdf"_s, u"o.pdf"_s},
        QStringList{u"export"_s} + user + QStringList{u"--sets"_s, u"2 5 1"_s, u"--out"_s, u"o.dbf"_s},
        QStringList{u"link"_s, u"--host"_s, u"127.0.0.1"_s, u"--port"_s, port, u"--user"_s, u"../.."_s,
                    u"--password"_s, u"pw01"_s, u"--ssdm"_s, f.SSDM, u"login"_s},
    };
    for (const QStringList &args : commands) {
        QProcess p;
        p.start(zktest::programFolder() + u"/zelkinc-cli"_s, args);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 2);
        // The commands that render start Qt's screen support first, which may warn.
        QStringList err = QString::fromUtf8(p.readAllStandardError()).split(u'\n');
        err.removeIf([](const QString &line) { return line.startsWith(u"QStandardPaths: "_s); });
        QCOMPARE(err, QStringList({u"zelkinc-cli "_s + args.first() + u": "_s + UserNameRefusalText(), QString()}));
    }
    QCOMPARE(f.Server().Stats().Connections, connections);
    QVERIFY(!QFileInfo::exists(StorageOf(f)));
}

void TestHostileLeader::hostileCandidateNumbers_data()
{
    AddHostileValues();
}

// A dossier package whose first candidate number is hostile is refused as a whole; the
// candidate window's downloads refuse such a number before any request.
void TestHostileLeader::hostileCandidateNumbers()
{
    QFETCH(QString, value);
    TExchangeFixture f;
    PlantSentinels(f);
    const TTreeSnapshot before = Outside(f);
    TLeaderFaults faults;
    faults.Hostility.KSH = value;
    f.Server().SetFaults(faults);

    QVERIFY(SetUpDeep(f));
    QVERIFY(!f.Session.DownloadDossiers());
    const QStringList imports = ImportResults(f);
    QVERIFY2(imports.contains(u"2"_s) && !imports.contains(u"0"_s), qPrintable(imports.join(u' ')));
    QCOMPARE(f.Value(f.DM.UnivConn, u"select count(*) from t_tdd"_s).toInt(), 0);

    for (int kind = 0; kind < 4; ++kind)
        QCOMPARE(RunBgTask(&TMemberBgTaskThread::DoGetPhoto, {value, kind}).value(0).toInt(), int(lrProtocolError));
    QCOMPARE(RunBgTask(&TMemberBgTaskThread::DoGetQBZY, {value}), QVariantList{int(lrProtocolError)});
    QCOMPARE(Outside(f), before);
    QCOMPARE(NotPrivate(StorageOf(f)), QStringList());
}

void TestHostileLeader::hostileSetCodes_data()
{
    AddHostileValues();
}

// A plan whose set code is hostile is refused with its message: the first set-up fails,
// and nothing is named after the code.
void TestHostileLeader::hostileSetCodes()
{
    QFETCH(QString, value);
    TExchangeFixture f;
    PlantSentinels(f);
    const TTreeSnapshot before = Outside(f);
    TLeaderFaults faults;
    faults.Hostility.SetCode = value;
    f.Server().SetFaults(faults);

    QVERIFY(!SetUpDeep(f));
    QVERIFY(std::any_of(f.Messages.Messages.cbegin(), f.Messages.Messages.cend(), [](const TMessageRec &m) {
        return m.Text.startsWith(u"保存计划库第 1 步出错"_s) && m.Text.contains(u"T_ZYYHLQZTB.adtg"_s);
    }));
    QCOMPARE(Outside(f), before);
    QCOMPARE(NotPrivate(StorageOf(f)), QStringList());
}

void TestHostileLeader::hostileColumnNames_data()
{
    AddHostileValues();
}

// A column name is no path: whatever becomes of the package, nothing outside is touched.
void TestHostileLeader::hostileColumnNames()
{
    QFETCH(QString, value);
    TExchangeFixture f;
    PlantSentinels(f);
    const TTreeSnapshot before = Outside(f);
    TLeaderFaults faults;
    faults.Hostility.Column = value;
    f.Server().SetFaults(faults);

    QVERIFY(SetUpDeep(f));
    f.Session.DownloadDossiers();
    QVERIFY(!f.Net.LastRunResults.isEmpty());
    QCOMPARE(Outside(f), before);
    QCOMPARE(NotPrivate(StorageOf(f)), QStringList());
}

// ExtractArchive refuses the member that would leave the work folder; the package is then
// broken as a whole and nothing of it is imported: neither the code library of a first
// set-up, nor dossiers, nor a candidate's wishes.
void TestHostileLeader::unsafeArchiveMemberRefusesThePackage()
{
    TExchangeFixture f;
    PlantSentinels(f);
    const TTreeSnapshot before = Outside(f);
    TLeaderFaults faults;
    faults.Hostility.UnsafeMember = true;
    f.Server().SetFaults(faults);
    QVERIFY(!SetUpDeep(f));
    QVERIFY(std::any_of(f.Messages.Messages.cbegin(), f.Messages.Messages.cend(), [](const TMessageRec &m) {
        return m.Text.startsWith(u"保存代码表出错"_s) && m.Text.contains(u"nothing of it is imported"_s);
    }));

    f.Server().SetFaults({});
    QVERIFY2(SetUpDeep(f), qPrintable(f.Session.Error() + u" / "_s + f.Messages.Messages.last().Text));
    const QString wishesOf =
        QFileInfo(QDir(f.LeaderUser() + u"qbzy"_s).entryList({u"*.zip"_s}).value(0)).completeBaseName();
    QVERIFY(!wishesOf.isEmpty());
    const auto wishes = [&] {
        TMainDM::ShareUse share(f.DM);
        return f.Value(f.DM.UnivShareConn, u"select count(*) from T_QBZYK"_s).toInt();
    };
    const int wishesBefore = wishes();
    f.Server().SetFaults(faults);
    QVERIFY(!f.Session.DownloadDossiers());
    QVERIFY(!f.Net.LastRunResults.isEmpty());
    for (const TTDDRequestResult &r : f.Net.LastRunResults)
        QVERIFY2(r.Code != 0 || r.Import == 2, qPrintable(r.KLDM));
    QCOMPARE(f.Value(f.DM.UnivConn, u"select count(*) from t_tdd"_s).toInt(), 0);
    QCOMPARE(RunBgTask(&TMemberBgTaskThread::DoGetQBZY, {wishesOf}), QVariantList{int(lrImportFailed)});
    QCOMPARE(wishes(), wishesBefore);
    QCOMPARE(Outside(f), before);
    QVERIFY(!QDirIterator(StorageOf(f), {u"zk-hostile-member.txt"_s}, QDir::Files | QDir::Hidden,
                          QDirIterator::Subdirectories)
                 .hasNext());

    // The same leader without the member: the packages arrive.
    f.Server().SetFaults({});
    QVERIFY(f.Session.DownloadDossiers());
    QVERIFY(f.Value(f.DM.UnivConn, u"select count(*) from t_tdd"_s).toInt() > 0);
}

// A registration form served as a ".desktop" launcher is stored as data inside the
// storage folder: the member's alone, never executable.
void TestHostileLeader::documentServedAsLauncherStaysAPrivateFile()
{
    TExchangeFixture f(TExchangeFixture::SmallDemo(true));
    PlantSentinels(f);
    const TTreeSnapshot before = Outside(f);
    TLeaderFaults faults;
    faults.Hostility.DocumentAsDesktop = true;
    f.Server().SetFaults(faults);
    QVERIFY(SetUpDeep(f));
    const QStringList candidates =
        QDir(f.LeaderUser() + u"images/"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    QVERIFY(!candidates.isEmpty());

    const QVariantList out = RunBgTask(&TMemberBgTaskThread::DoGetPhoto, {candidates.first(), 0});
    QCOMPARE(out.value(0).toInt(), 0);
    const QString stored = out.value(1).toString();
    QCOMPARE(stored, ZKMainDef().LoginInfo.DownloadFolder + u"BMB/"_s + candidates.first() + u".desktop"_s);
    QCOMPARE(QFile::permissions(stored), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    QCOMPARE(Outside(f), before);
    QCOMPARE(NotPrivate(StorageOf(f)), QStringList());
}

QTEST_GUILESS_MAIN(TestHostileLeader)
#include "tst_HostileLeader.moc"
