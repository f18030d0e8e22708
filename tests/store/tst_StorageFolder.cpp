#include "store/StorageFolder.h"

#include "store/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

void WriteFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    file.write(data);
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

constexpr QFile::Permissions ReadOnly = QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther;

// The permission bits of a path, not following a symbolic link.
int Mode(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

void SetMode(const QString &path, int mode)
{
    QVERIFY2(::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0, qPrintable(path));
}

} // namespace

// The user's documents folder and the program folder are temporary folders here: HOME and
// XDG_CONFIG_HOME point into one, and ProgramFolder holds fake shipped files.
class TestStorageFolder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void firstStartCreatesFolderWithWritableCopies();
    void existingFolderIsNotRepaired();
    void copyProgramFileReplacesReadOnlyCopy();
    void copyProgramFileWithoutSourceKeepsTarget();
    void userFoldersOfOneProvince();
    void hostileNamesGiveNoFolders_data();
    void hostileNamesGiveNoFolders();
    void firstSetUpFoldersAndDeletion();
    void openingTightensNeverLoosens();
    void findAttachmentFile_data();
    void findAttachmentFile();

private:
    QTemporaryDir FHome;
    QTemporaryDir FProgram;
    QString FStorage;
};

void TestStorageFolder::initTestCase()
{
    // The modes the client sets must not depend on the umask the member happens to have.
    ::umask(022);
    QVERIFY(FHome.isValid() && FProgram.isValid());
    qputenv("HOME", QFile::encodeName(FHome.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(FHome.filePath(u".config"_s)));
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // Never touch the real user's documents.
    QVERIFY2(documents.startsWith(FHome.path()), qPrintable(documents));
    FStorage = documents + u"/.ZelkinCUStorage2012/"_s;
}

void TestStorageFolder::init()
{
    ZKMainDef().Reset();
    ZKMainDef().SetProgramFolder(FProgram.path());
    for (const QString &name : {ProvinceListFileName, CommonDatabaseFileName, UnivDatabaseFileName}) {
        const QString path = FProgram.filePath(name);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        WriteFile(path, "shipped " + name.toUtf8());
        QFile::setPermissions(path, ReadOnly);
    }
}

void TestStorageFolder::cleanup()
{
    DeleteFolderTree(FStorage);
}

void TestStorageFolder::firstStartCreatesFolderWithWritableCopies()
{
    QVERIFY(!QFileInfo::exists(FStorage));
    QCOMPARE(EstablishStorageFolder(), FStorage);
    QCOMPARE(ZKMainDef().LoginInfo.StorageFolder, FStorage);

    const QStringList files = QDir(FStorage).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                                       QDir::Name);
    QCOMPARE(files, QStringList({CommonDatabaseFileName, ProvinceListFileName}));
    for (const QString &name : files) {
        QCOMPARE(ReadFile(FStorage + name), "shipped " + name.toUtf8());
        // Permission bits, not access(): the tests may run as root, who may write anything.
        QCOMPARE(Mode(FStorage + name), 0600);
    }
    QCOMPARE(Mode(FStorage), 0700);
}

void TestStorageFolder::existingFolderIsNotRepaired()
{
    EstablishStorageFolder();
    QVERIFY(QFile::remove(FStorage + CommonDatabaseFileName));
    WriteFile(FStorage + ProvinceListFileName, "edited by the user");

    QCOMPARE(EstablishStorageFolder(), FStorage);
    QVERIFY(!QFileInfo::exists(FStorage + CommonDatabaseFileName));
    QCOMPARE(ReadFile(FStorage + ProvinceListFileName), QByteArray("edited by the user"));
}

void TestStorageFolder::copyProgramFileReplacesReadOnlyCopy()
{
    QTemporaryDir target;
    const QString copy = target.filePath(UnivDatabaseFileName);
    WriteFile(copy, "an older, longer copy of the database");
    QFile::setPermissions(copy, ReadOnly);

    QVERIFY(CopyProgramFile(target.path(), UnivDatabaseFileName));
    QCOMPARE(ReadFile(copy), "shipped " + UnivDatabaseFileName.toUtf8());
    QCOMPARE(Mode(copy), 0600);
    // Nothing but the copy is left behind.
    QCOMPARE(QDir(target.path()).entryList(QDir::Files | QDir::Hidden), QStringList{UnivDatabaseFileName});
}

void TestStorageFolder::copyProgramFileWithoutSourceKeepsTarget()
{
    QTemporaryDir target;
    WriteFile(target.filePath(u"missing.mdb"_s), "keep me");
    QVERIFY(!CopyProgramFile(target.path(), u"missing.mdb"_s));
    QCOMPARE(ReadFile(target.filePath(u"missing.mdb"_s)), QByteArray("keep me"));
    QVERIFY(!CopyProgramFile(target.filePath(u"no such folder"_s), UnivDatabaseFileName));
}

void TestStorageFolder::userFoldersOfOneProvince()
{
    TLoginInfo first;
    first.StorageFolder = FStorage;
    first.SSPY = u"BJ"_s;
    first.UserName = u"张三"_s;
    TLoginInfo second = first;
    second.UserName = u"li4"_s;
    DeriveUserFolders(first);
    DeriveUserFolders(second);

    QCOMPARE(first.UserFolder, FStorage + u"BJ/张三/"_s);
    QCOMPARE(first.ServerFolder, FStorage + u"BJ/张三/SERVER/"_s);
    QCOMPARE(first.DownloadFolder, FStorage + u"BJ/张三/Download/"_s);
    QCOMPARE(first.UploadFolder, FStorage + u"BJ/张三/Upload/"_s);
    QCOMPARE(second.UserFolder, FStorage + u"BJ/li4/"_s);
}

void TestStorageFolder::hostileNamesGiveNoFolders_data()
{
    QTest::addColumn<QString>("sspy");
    QTest::addColumn<QString>("userName");
    QTest::newRow("user up two") << u"BJ"_s << u"../.."_s;
    QTest::newRow("user absolute") << u"BJ"_s << u"/home/x"_s;
    QTest::newRow("user semicolon") << u"BJ"_s << u"a;b"_s;
    QTest::newRow("user quote") << u"BJ"_s << u"a\"b"_s;
    QTest::newRow("user control character") << u"BJ"_s << u"a\tb"_s;
    QTest::newRow("user empty") << u"BJ"_s << QString();
    QTest::newRow("province up") << u".."_s << u"zy01"_s;
    QTest::newRow("province path") << u"a/b"_s << u"zy01"_s;
}

// A name that is not one plain folder name gives no folders at all, so that nothing can
// be made, copied or deleted outside the storage folder through them.
void TestStorageFolder::hostileNamesGiveNoFolders()
{
    QFETCH(QString, sspy);
    QFETCH(QString, userName);
    TLoginInfo info;
    info.StorageFolder = FStorage;
    info.SSPY = sspy;
    info.UserName = userName;
    info.UserFolder = u"/left/over/"_s;
    QVERIFY(!DeriveUserFolders(info));
    QVERIFY(info.UserFolder.isEmpty() && info.ServerFolder.isEmpty() && info.DownloadFolder.isEmpty() &&
            info.UploadFolder.isEmpty());
    QVERIFY(!CreateFirstSetUpFolders(info));
    QVERIFY(!CopyProgramFile(info.UserFolder, UnivDatabaseFileName));
    QVERIFY(!QFileInfo::exists(FStorage));
}

void TestStorageFolder::firstSetUpFoldersAndDeletion()
{
    TLoginInfo info;
    info.StorageFolder = FStorage;
    info.SSPY = u"SH"_s;
    info.UserName = u"u1"_s;
    DeriveUserFolders(info);

    QVERIFY(CreateFirstSetUpFolders(info));
    for (const QString &name : {u"BMB"_s, u"TJB"_s, u"FJB"_s, u"KSZP"_s})
        QVERIFY2(QFileInfo(info.DownloadFolder + name).isDir(), qPrintable(name));
    QVERIFY(QFileInfo(info.UploadFolder).isDir());
    QVERIFY(!QFileInfo::exists(info.ServerFolder));
    for (const QString &folder : QStringList{FStorage + u"SH"_s, info.UserFolder, info.DownloadFolder,
                                             info.DownloadFolder + u"KSZP"_s, info.UploadFolder})
        QCOMPARE(Mode(folder), 0700);

    // A left-over user folder with read-only parts goes entirely.
    WriteFile(info.DownloadFolder + u"KSZP/12345678901234.jpg"_s, "photo");
    QFile::setPermissions(info.DownloadFolder + u"KSZP/12345678901234.jpg"_s, ReadOnly);
    QFile::setPermissions(info.DownloadFolder + u"KSZP"_s, ReadOnly | QFile::ExeOwner);
    DeleteFolderTree(info.UserFolder);
    QVERIFY(!QFileInfo::exists(info.UserFolder));
    QVERIFY(QFileInfo(FStorage + u"SH"_s).isDir());
    DeleteFolderTree(info.UserFolder); // a missing folder is fine
}

// An existing storage folder made before (or loosened since) is tightened when opened:
// group and others lose every bit, the owner keeps what the owner had, and nothing a
// symbolic link points to is touched.
void TestStorageFolder::openingTightensNeverLoosens()
{
    QTemporaryDir outside;
    const QString target = outside.filePath(u"elsewhere.txt"_s);
    WriteFile(target, "not the client's");
    SetMode(target, 0644);
    WriteFile(FStorage + u"BJ/zy01/ZelkinCUnivShare.mdb"_s, "sealed password");
    WriteFile(FStorage + u"BJ/zy01/Download/HtmlTemp/page.htm"_s, "page");
    WriteFile(FStorage + u"BJ/zy01/kept.txt"_s, "read-only by choice");
    QVERIFY(QFile::link(target, FStorage + u"BJ/zy01/link.txt"_s));
    SetMode(FStorage, 0755);
    SetMode(FStorage + u"BJ/zy01"_s, 0777);
    SetMode(FStorage + u"BJ/zy01/ZelkinCUnivShare.mdb"_s, 0666);
    SetMode(FStorage + u"BJ/zy01/kept.txt"_s, 0440);

    EstablishStorageFolder();
    QCOMPARE(Mode(FStorage), 0700);
    QCOMPARE(Mode(FStorage + u"BJ"_s), 0700);
    QCOMPARE(Mode(FStorage + u"BJ/zy01"_s), 0700);
    QCOMPARE(Mode(FStorage + u"BJ/zy01/Download/HtmlTemp"_s), 0700);
    QCOMPARE(Mode(FStorage + u"BJ/zy01/ZelkinCUnivShare.mdb"_s), 0600);
    QCOMPARE(Mode(FStorage + u"BJ/zy01/Download/HtmlTemp/page.htm"_s), 0600);
    QCOMPARE(Mode(FStorage + u"BJ/zy01/kept.txt"_s), 0400);
    QCOMPARE(Mode(target), 0644);

    // A folder made below it is private whatever the umask; an existing one is tightened.
    QVERIFY(MakePrivateFolder(FStorage + u"BJ/zy01/Upload/lqjg"_s));
    QCOMPARE(Mode(FStorage + u"BJ/zy01/Upload"_s), 0700);
    QCOMPARE(Mode(FStorage + u"BJ/zy01/Upload/lqjg"_s), 0700);
    SetMode(FStorage + u"BJ/zy01/Upload/lqjg"_s, 0755);
    QVERIFY(MakePrivateFolder(FStorage + u"BJ/zy01/Upload/lqjg/"_s));
    QCOMPARE(Mode(FStorage + u"BJ/zy01/Upload/lqjg"_s), 0700);
}

void TestStorageFolder::findAttachmentFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("expected"); // relative to the download folder; empty: none

    QTest::newRow("registration form") << u"12345678901234"_s << 0 << u"BMB/12345678901234.htm"_s;
    QTest::newRow("first of several by name") << u"12345678901234"_s << 3 << u"KSZP/12345678901234.jpg"_s;
    QTest::newRow("other kind has none") << u"12345678901234"_s << 1 << QString();
    QTest::newRow("longer name is another candidate") << u"1234567890123"_s << 3 << QString();
    QTest::newRow("name without extension counts") << u"22222222222222"_s << 3 << u"KSZP/22222222222222"_s;
    QTest::newRow("folder is not a file") << u"33333333333333"_s << 3 << QString();
    QTest::newRow("wildcards are not patterns") << u"1234567890123*"_s << 3 << QString();
    QTest::newRow("kind out of range") << u"12345678901234"_s << 4 << QString();
    QTest::newRow("negative kind") << u"12345678901234"_s << -1 << QString();
}

void TestStorageFolder::findAttachmentFile()
{
    QFETCH(QString, name);
    QFETCH(int, kind);
    QFETCH(QString, expected);

    QTemporaryDir download;
    for (const QString &file : {u"BMB/12345678901234.htm"_s, u"KSZP/12345678901234.png"_s,
                                u"KSZP/12345678901234.jpg"_s, u"KSZP/123456789012345.jpg"_s,
                                u"KSZP/22222222222222"_s})
        WriteFile(download.filePath(file), "x");
    QDir().mkpath(download.filePath(u"KSZP/33333333333333.jpg"_s));

    const QString found = FindAttachmentFile(download.path() + u'/', name, kind);
    QCOMPARE(found, expected.isEmpty() ? QString() : download.filePath(expected));
}

QTEST_GUILESS_MAIN(TestStorageFolder)
#include "tst_StorageFolder.moc"
