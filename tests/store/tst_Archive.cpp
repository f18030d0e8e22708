#include "store/Archive.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <clocale>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

quint32 Crc32(const QByteArray &data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : data) {
        crc ^= uchar(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void Put16(QByteArray &out, quint32 v)
{
    char b[2];
    qToLittleEndian(quint16(v), b);
    out.append(b, 2);
}

void Put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// A stored member of a hand-built ZIP: raw name bytes, so that GBK names, escaping paths
// and symbolic links can be written as a hostile or a legacy tool would.
struct TZipMember
{
    QByteArray Name;
    QByteArray Data;
    quint16 Flags = 0;          // 0x800: the name is UTF-8
    quint32 UnixMode = 0100644; // 0120777 makes a symbolic link whose target is Data
    bool BadCrc = false;
};

QByteArray BuildZip(const QList<TZipMember> &members)
{
    QByteArray out;
    QByteArray central;
    for (const TZipMember &m : members) {
        const quint32 offset = quint32(out.size());
        const quint32 crc = Crc32(m.Data) ^ (m.BadCrc ? 1u : 0u);
        QByteArray common;
        Put16(common, 20);         // version needed
        Put16(common, m.Flags);
        Put16(common, 0);          // stored
        Put16(common, 0);          // time
        Put16(common, 0x21);       // date 1980-01-01
        Put32(common, crc);
        Put32(common, quint32(m.Data.size()));
        Put32(common, quint32(m.Data.size()));
        Put16(common, quint32(m.Name.size()));
        Put16(common, 0);          // extra length
        Put32(out, 0x04034b50);
        out += common + m.Name + m.Data;
        Put32(central, 0x02014b50);
        Put16(central, (3 << 8) | 20); // made on Unix, so the mode below counts
        central += common;
        Put16(central, 0);         // comment
        Put16(central, 0);         // disk
        Put16(central, 0);         // internal attributes
        Put32(central, m.UnixMode << 16);
        Put32(central, offset);
        central += m.Name;
    }
    const quint32 centralOffset = quint32(out.size());
    out += central;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, quint32(members.size()));
    Put16(out, quint32(members.size()));
    Put32(out, quint32(central.size()));
    Put32(out, centralOffset);
    Put16(out, 0);
    return out;
}

// A stored RAR 4 archive: marker, main header, one file header per member (Unicode flag
// with a UTF-8 name and no zero byte, backslash separators), end block. Each header's CRC
// is the low 16 bits of the CRC-32 over the header from its type byte on.
QByteArray BuildRar4(const QList<QPair<QByteArray, QByteArray>> &members)
{
    const auto header = [](const QByteArray &body) -> QByteArray {
        QByteArray crc(2, '\0');
        qToLittleEndian(quint16(Crc32(body) & 0xFFFF), crc.data());
        return crc + body;
    };
    QByteArray out("Rar!\x1A\x07\x00", 7);
    QByteArray main;
    main.append(char(0x73));
    Put16(main, 0);
    Put16(main, 13);
    Put16(main, 0);
    Put32(main, 0);
    out += header(main);
    for (const auto &[name, data] : members) {
        QByteArray file;
        file.append(char(0x74));
        Put16(file, 0x8000 | 0x0200);
        Put16(file, quint32(32 + name.size()));
        Put32(file, quint32(data.size()));
        Put32(file, quint32(data.size()));
        file.append(char(3)); // host: Unix
        Put32(file, Crc32(data));
        Put32(file, 0x21 << 16); // DOS time
        file.append(char(20));
        file.append(char(0x30)); // stored
        Put16(file, quint32(name.size()));
        Put32(file, 0x81A4);
        file += name;
        out += header(file) + data;
    }
    out += QByteArray("\xC4\x3D\x7B\x00\x40\x07\x00", 7);
    return out;
}

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
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// Every path below folder, relative, sorted; folders end with '/'.
QStringList Tree(const QString &folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QString relative = QDir(folder).relativeFilePath(it.filePath());
        entries.append(it.fileInfo().isDir() && !it.fileInfo().isSymLink() ? relative + u'/' : relative);
    }
    entries.sort();
    return entries;
}

QByteArray Gbk(const QString &text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

// The names and general-purpose flags of the central directory of a ZIP.
QList<QPair<QString, quint16>> CentralNames(const QByteArray &zip)
{
    QList<QPair<QString, quint16>> names;
    qsizetype at = zip.indexOf(QByteArray("PK\x01\x02", 4));
    while (at >= 0 && at + 46 <= zip.size()) {
        const auto *p = reinterpret_cast<const uchar *>(zip.constData() + at);
        const quint16 flags = qFromLittleEndian<quint16>(p + 8);
        const quint16 nameLength = qFromLittleEndian<quint16>(p + 28);
        const quint16 extra = qFromLittleEndian<quint16>(p + 30);
        const quint16 comment = qFromLittleEndian<quint16>(p + 32);
        names.append({QString::fromUtf8(zip.mid(at + 46, nameLength)), flags});
        at = zip.indexOf(QByteArray("PK\x01\x02", 4), at + 46 + nameLength + extra + comment);
    }
    return names;
}

} // namespace

class TestArchive : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void resultCodes_data();
    void resultCodes();
    void roundTripWithUtf8Names();
    void existingMembersStay();
    void compressFailuresKeepOldArchive();
    void readByIndependentTools();
    void extractsArchiveOfAnotherTool();
    void legacyGbkNames();
    void escapingMembersAreRefused_data();
    void escapingMembersAreRefused();
    void linkInTargetFolderIsNotFollowed();
    void existingFilesAreReplaced();
    void damagedMemberLeavesNoHalfFile();
    void failedMembersLeaveNoTemporaryFile_data();
    void failedMembersLeaveNoTemporaryFile();
    void storedRar4();
};

void TestArchive::initTestCase()
{
    // The library must cope with the "C" locale in which a program may run (LANG unset):
    // libarchive refuses UTF-8 names there unless the library takes care.
    std::setlocale(LC_ALL, "C");
}

void TestArchive::resultCodes_data()
{
    QTest::addColumn<QString>("archive"); // relative to the temporary folder; "" none
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("dest");
    QTest::addColumn<int>("expected");

    const QByteArray zip = BuildZip({{"a.txt", "A"}});
    QTest::newRow("extracted") << u"p.zip"_s << zip << u"out"_s << 0;
    QTest::newRow("extension in upper case") << u"P.ZIP"_s << zip << u"out"_s << 0;
    QTest::newRow("no archive") << u"missing.zip"_s << QByteArray() << u"out"_s << 1;
    QTest::newRow("archive is a folder") << u"folder.zip"_s << QByteArray() << u"out"_s << 1;
    QTest::newRow("no archive, no folder") << u"missing.zip"_s << QByteArray() << u"nowhere"_s << 1;
    QTest::newRow("no destination folder") << u"p.zip"_s << zip << u"nowhere"_s << 2;
    QTest::newRow("not an archive") << u"p.zip"_s << QByteArray("PK\x03\x04 broken") << u"out"_s << 3;
    QTest::newRow("empty file") << u"p.zip"_s << QByteArray("") << u"out"_s << 3;
    QTest::newRow("unknown extension") << u"p.7z"_s << zip << u"out"_s << 3;
    QTest::newRow("zip named rar") << u"p.rar"_s << zip << u"out"_s << 3;
    QTest::newRow("empty zip") << u"p.zip"_s << BuildZip({}) << u"out"_s << 0;
}

void TestArchive::resultCodes()
{
    QFETCH(QString, archive);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, dest);
    QFETCH(int, expected);
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(u"out"_s));
    QDir().mkpath(dir.filePath(u"folder.zip"_s));
    if (!bytes.isNull())
        WriteFile(dir.filePath(archive), bytes);

    QCOMPARE(ExtractArchive(dir.filePath(archive), dir.filePath(dest)), expected);
    QCOMPARE(Tree(dir.filePath(u"out"_s)), expected == 0 && bytes.size() > 22 ? QStringList{u"a.txt"_s}
                                                                              : QStringList());
    QVERIFY(!QFileInfo::exists(dir.filePath(u"nowhere"_s)));
}

void TestArchive::roundTripWithUtf8Names()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(u"lqjg"_s);
    QByteArray binary;
    for (int i = 0; i < 70000; ++i)
        binary.append(char(i * 7 % 251));
    WriteFile(source + u"/LQJG.adtg"_s, binary);
    WriteFile(source + u"/考生照片.txt"_s, "中文内容");
    WriteFile(source + u"/.hidden"_s, "");
    WriteFile(source + u"/sub/not included.txt"_s, "sub-folders stay out");
    const QString archive = dir.filePath(u"lqjg_1.zip"_s);

    QCOMPARE(CompressFolder(archive, source), 0);
    const QList<QPair<QString, quint16>> names = CentralNames(ReadFile(archive));
    QCOMPARE(names.size(), 3);
    // The UTF-8 flag on every name that needs it; an ASCII name reads the same either way.
    for (const auto &[name, flags] : names) {
        const bool ascii = name.toUtf8() == name.toLatin1();
        QVERIFY2(ascii || (flags & 0x800), qPrintable(name));
    }
    QStringList stored;
    for (const auto &entry : names)
        stored.append(entry.first);
    stored.sort();
    QCOMPARE(stored, QStringList({u".hidden"_s, u"LQJG.adtg"_s, u"考生照片.txt"_s}));

    const QString out = dir.filePath(u"out"_s);
    QDir().mkpath(out);
    QCOMPARE(ExtractArchive(archive, out), 0);
    QCOMPARE(Tree(out), stored);
    QCOMPARE(ReadFile(out + u"/LQJG.adtg"_s), binary);
    QCOMPARE(ReadFile(out + u"/考生照片.txt"_s), QByteArray("中文内容"));
    QCOMPARE(ReadFile(out + u"/.hidden"_s), QByteArray());

    // Packages and what they hold are the member's alone, whatever the umask.
    const mode_t oldMask = ::umask(022);
    const QFile::Permissions mine = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    const QString nested = dir.filePath(u"nested.zip"_s);
    WriteFile(nested, BuildZip({{"sub/a.txt", "A"}}));
    QCOMPARE(ExtractArchive(nested, out), 0);
    ::umask(oldMask);
    QCOMPARE(QFile::permissions(archive), mine);
    QCOMPARE(QFile::permissions(out + u"/LQJG.adtg"_s), mine);
    QCOMPARE(QFile::permissions(out + u"/sub/a.txt"_s), mine);
    QCOMPARE(QFile::permissions(out + u"/sub"_s), mine | QFile::ExeOwner | QFile::ExeUser);
}

void TestArchive::existingMembersStay()
{
    QTemporaryDir dir;
    WriteFile(dir.filePath(u"first/a.txt"_s), "a");
    WriteFile(dir.filePath(u"first/b.txt"_s), "old b");
    WriteFile(dir.filePath(u"second/b.txt"_s), "new b");
    WriteFile(dir.filePath(u"second/丙.txt"_s), "c");
    const QString archive = dir.filePath(u"p.zip"_s);
    QCOMPARE(CompressFolder(archive, dir.filePath(u"first"_s)), 0);
    QCOMPARE(CompressFolder(archive, dir.filePath(u"second"_s)), 0);

    QDir().mkpath(dir.filePath(u"out"_s));
    QCOMPARE(ExtractArchive(archive, dir.filePath(u"out"_s)), 0);
    QCOMPARE(Tree(dir.filePath(u"out"_s)), QStringList({u"a.txt"_s, u"b.txt"_s, u"丙.txt"_s}));
    QCOMPARE(ReadFile(dir.filePath(u"out/b.txt"_s)), QByteArray("new b"));
    QCOMPARE(CentralNames(ReadFile(archive)).size(), 3);
}

void TestArchive::compressFailuresKeepOldArchive()
{
    QTemporaryDir dir;
    WriteFile(dir.filePath(u"src/a.txt"_s), "a");
    const QString corrupt = dir.filePath(u"corrupt.zip"_s);
    WriteFile(corrupt, "PK\x03\x04 this is no archive");

    QCOMPARE(CompressFolder(corrupt, dir.filePath(u"src"_s)), 2);
    QCOMPARE(ReadFile(corrupt), QByteArray("PK\x03\x04 this is no archive"));
    QCOMPARE(CompressFolder(dir.filePath(u"new.zip"_s), dir.filePath(u"no such folder"_s)), 2);
    QCOMPARE(CompressFolder(dir.filePath(u"no such folder/new.zip"_s), dir.filePath(u"src"_s)), 2);
    QCOMPARE(CompressFolder(dir.filePath(u"new.rar"_s), dir.filePath(u"src"_s)), 2);
    // Nothing but what was there: no temporary files, no half archives.
    QCOMPARE(Tree(dir.path()), QStringList({u"corrupt.zip"_s, u"src/"_s, u"src/a.txt"_s}));

    // An archive inside the folder it is made from does not swallow itself.
    const QString inside = dir.filePath(u"src/self.zip"_s);
    QCOMPARE(CompressFolder(inside, dir.filePath(u"src"_s)), 0);
    QCOMPARE(CompressFolder(inside, dir.filePath(u"src"_s)), 0);
    QCOMPARE(CentralNames(ReadFile(inside)).size(), 1);
}

void TestArchive::readByIndependentTools()
{
    const QString unzip = QStandardPaths::findExecutable(u"unzip"_s);
    if (unzip.isEmpty())
        QSKIP("unzip is not installed (scripts/install-deps.sh installs it)");
    QTemporaryDir dir;
    WriteFile(dir.filePath(u"src/录取结果.adtg"_s), "result rows");
    const QString archive = dir.filePath(u"p.zip"_s);
    QCOMPARE(CompressFolder(archive, dir.filePath(u"src"_s)), 0);

    QProcess list;
    // unzip prints names it cannot show in the locale's charset as #U escapes.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    list.setProcessEnvironment(env);
    list.start(unzip, {u"-Z1"_s, archive});
    QVERIFY(list.waitForFinished());
    QCOMPARE(list.exitCode(), 0);
    QCOMPARE(list.readAllStandardOutput(), u"录取结果.adtg\n"_s.toUtf8());
    QProcess test;
    test.start(unzip, {u"-tq"_s, archive});
    QVERIFY(test.waitForFinished());
    QCOMPARE(test.exitCode(), 0);
}

void TestArchive::extractsArchiveOfAnotherTool()
{
    const QString zip = QStandardPaths::findExecutable(u"zip"_s);
    if (zip.isEmpty())
        QSKIP("zip is not installed (scripts/install-deps.sh installs it)");
    QTemporaryDir dir;
    WriteFile(dir.filePath(u"src/dmk/T_DMK.adtg"_s), QByteArray(5000, 'd'));
    WriteFile(dir.filePath(u"src/jhk.adtg"_s), "plan");
    QProcess process;
    process.setWorkingDirectory(dir.filePath(u"src"_s));
    process.start(zip, {u"-qr"_s, dir.filePath(u"made.zip"_s), u"."_s});
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), 0);

    QDir().mkpath(dir.filePath(u"out"_s));
    QCOMPARE(ExtractArchive(dir.filePath(u"made.zip"_s), dir.filePath(u"out"_s)), 0);
    QCOMPARE(Tree(dir.filePath(u"out"_s)), QStringList({u"dmk/"_s, u"dmk/T_DMK.adtg"_s, u"jhk.adtg"_s}));
    QCOMPARE(ReadFile(dir.filePath(u"out/dmk/T_DMK.adtg"_s)), QByteArray(5000, 'd'));
}

void TestArchive::legacyGbkNames()
{
    QTemporaryDir dir;
    const QString archive = dir.filePath(u"tdd.zip"_s);
    WriteFile(archive, BuildZip({{Gbk(u"投档单.adtg"_s), "gbk name"},
                                 {u"体检表.adtg"_s.toUtf8(), "utf-8 name", 0x800},
                                 {Gbk(u"照片\\考生.jpg"_s), "gbk path with a backslash"}}));
    QDir().mkpath(dir.filePath(u"out"_s));
    QCOMPARE(ExtractArchive(archive, dir.filePath(u"out"_s)), 0);
    QCOMPARE(Tree(dir.filePath(u"out"_s)),
             QStringList({u"体检表.adtg"_s, u"投档单.adtg"_s, u"照片/"_s, u"照片/考生.jpg"_s}));
    QCOMPARE(ReadFile(dir.filePath(u"out/投档单.adtg"_s)), QByteArray("gbk name"));
}

void TestArchive::escapingMembersAreRefused_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<quint32>("mode");
    QTest::newRow("parent step") << QByteArray("../evil.txt") << quint32(0100644);
    QTest::newRow("parent step deeper") << QByteArray("sub/../../evil.txt") << quint32(0100644);
    QTest::newRow("backslash parent step") << QByteArray("..\\evil.txt") << quint32(0100644);
    QTest::newRow("absolute") << QByteArray("@ABS@/evil.txt") << quint32(0100644);
    QTest::newRow("drive letter") << QByteArray("C:/evil.txt") << quint32(0100644);
    QTest::newRow("link out") << QByteArray("link") << quint32(0120777);
}

// Each hostile member sits between two sound ones: the sound ones are extracted, the
// hostile one is not, nothing appears outside the target, and the result is 3.
void TestArchive::escapingMembersAreRefused()
{
    QFETCH(QByteArray, name);
    QFETCH(quint32, mode);
    QTemporaryDir dir;
    const QString out = dir.filePath(u"a/b/out"_s);
    QDir().mkpath(out);
    name.replace("@ABS@", QFile::encodeName(dir.path()));
    TZipMember hostile{name, "evil", 0, mode};
    if (mode == 0120777)
        hostile.Data = QFile::encodeName(dir.path());
    const QString archive = dir.filePath(u"p.zip"_s);
    QList<TZipMember> members{{"first.txt", "1"}, hostile, {"last.txt", "2"}};
    if (mode == 0120777)
        members.append(TZipMember{"link/evil.txt", "through the link"});
    WriteFile(archive, BuildZip(members));

    QCOMPARE(ExtractArchive(archive, out), 3);
    QStringList expected{u"a/"_s, u"a/b/"_s, u"a/b/out/"_s, u"a/b/out/first.txt"_s, u"a/b/out/last.txt"_s,
                         u"p.zip"_s};
    if (mode == 0120777) // no link was made, so the later member is an ordinary file inside
        expected << u"a/b/out/link/"_s << u"a/b/out/link/evil.txt"_s;
    expected.sort();
    QCOMPARE(Tree(dir.path()), expected);
    QCOMPARE(ReadFile(out + u"/last.txt"_s), QByteArray("2"));
}

void TestArchive::linkInTargetFolderIsNotFollowed()
{
    QTemporaryDir dir;
    const QString out = dir.filePath(u"out"_s);
    QDir().mkpath(out);
    QDir().mkpath(dir.filePath(u"elsewhere"_s));
    QVERIFY(QFile::link(dir.filePath(u"elsewhere"_s), out + u"/photos"_s));
    const QString archive = dir.filePath(u"p.zip"_s);
    WriteFile(archive, BuildZip({{"photos/1.jpg", "x"}, {"ok.txt", "ok"}}));

    QCOMPARE(ExtractArchive(archive, out), 3);
    QVERIFY(QDir(dir.filePath(u"elsewhere"_s)).isEmpty());
    QCOMPARE(ReadFile(out + u"/ok.txt"_s), QByteArray("ok"));
}

void TestArchive::existingFilesAreReplaced()
{
    QTemporaryDir dir;
    const QString out = dir.filePath(u"out"_s);
    WriteFile(out + u"/T_TDD.adtg"_s, "an older and longer package content");
    QFile::setPermissions(out + u"/T_TDD.adtg"_s, QFile::ReadOwner);
    // A link left where a member goes is replaced, not written through.
    WriteFile(dir.filePath(u"victim.txt"_s), "untouched");
    QVERIFY(QFile::link(dir.filePath(u"victim.txt"_s), out + u"/T_JHK.adtg"_s));
    const QString archive = dir.filePath(u"p.zip"_s);
    WriteFile(archive, BuildZip({{"T_TDD.adtg", "new"}, {"T_JHK.adtg", "plan"}}));

    QCOMPARE(ExtractArchive(archive, out), 0);
    QCOMPARE(ReadFile(out + u"/T_TDD.adtg"_s), QByteArray("new"));
    QCOMPARE(ReadFile(out + u"/T_JHK.adtg"_s), QByteArray("plan"));
    QVERIFY(!QFileInfo(out + u"/T_JHK.adtg"_s).isSymLink());
    QCOMPARE(ReadFile(dir.filePath(u"victim.txt"_s)), QByteArray("untouched"));
}

void TestArchive::damagedMemberLeavesNoHalfFile()
{
    QTemporaryDir dir;
    const QString out = dir.filePath(u"out"_s);
    WriteFile(out + u"/T_TDD.adtg"_s, "the previous complete file");
    const QString archive = dir.filePath(u"p.zip"_s);
    WriteFile(archive, BuildZip({{"T_TDD.adtg", QByteArray(100000, 'n'), 0, 0100644, true},
                                 {"T_ZY.adtg", "sound"}}));

    QCOMPARE(ExtractArchive(archive, out), 3);
    QCOMPARE(ReadFile(out + u"/T_TDD.adtg"_s), QByteArray("the previous complete file"));
    QCOMPARE(Tree(out), QStringList({u"T_TDD.adtg"_s, u"T_ZY.adtg"_s}));
}

// Whatever goes wrong with a member, its folder holds no temporary file afterwards; the
// sound members are kept. The cut package is a real code-library package cut short inside
// T_ZYYHLQZTB.adtg, which also carries a member named like a temporary file.
void TestArchive::failedMembersLeaveNoTemporaryFile_data()
{
    QTest::addColumn<QByteArray>("package");
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("damaged data in a sub-folder")
        << BuildZip({{"dir/ok.adtg", "sound"}, {"dir/bad.adtg", QByteArray(70000, 'x'), 0, 0100644, true}})
        << QStringList({u"dir/"_s, u"dir/ok.adtg"_s});
    QTest::newRow("data cut short")
        << BuildZip({{"ok.adtg", "sound"}, {"cut.adtg", QByteArray(70000, 'y')}}).left(60000)
        << QStringList({u"ok.adtg"_s});
    QTest::newRow("member named like a temporary file")
        << BuildZip({{".zk-extract-0123.part", "not ours"}, {".zk-extract-dir/a.adtg", "x"}, {"ok.adtg", "sound"}})
        << QStringList({u"ok.adtg"_s});
    QFile cut(qEnvironmentVariable("ZK_SOURCE_DIR") + u"/fuzz/corpus/fuzz_store_archive/damaged-member.zip"_s);
    QVERIFY(cut.open(QIODevice::ReadOnly));
    QTest::newRow("cut code-library package") << cut.readAll() << QStringList();
}

void TestArchive::failedMembersLeaveNoTemporaryFile()
{
    QFETCH(QByteArray, package);
    QFETCH(QStringList, kept);
    QTemporaryDir dir;
    const QString out = dir.filePath(u"out"_s);
    QDir().mkpath(out);
    WriteFile(dir.filePath(u"p.zip"_s), package);

    QCOMPARE(ExtractArchive(dir.filePath(u"p.zip"_s), out), 3);
    QStringList files = Tree(out);
    // The cut package may or may not yield its first complete members; none of them may
    // be a temporary file.
    if (kept.isEmpty())
        kept = files.filter(QRegularExpression(u"^(?!\\.zk-extract-)"_s));
    QCOMPARE(files, kept);
}

void TestArchive::storedRar4()
{
    QTemporaryDir dir;
    const QString archive = dir.filePath(u"附件.RAR"_s);
    WriteFile(archive, BuildRar4({{u"报名表.htm"_s.toUtf8(), "<html>form</html>"},
                                  {u"照片\\考生.jpg"_s.toUtf8(), QByteArray(3000, '\xFF')}}));
    QDir().mkpath(dir.filePath(u"out"_s));
    QCOMPARE(ExtractArchive(archive, dir.filePath(u"out"_s)), 0);
    QCOMPARE(Tree(dir.filePath(u"out"_s)), QStringList({u"报名表.htm"_s, u"照片/"_s, u"照片/考生.jpg"_s}));
    QCOMPARE(ReadFile(dir.filePath(u"out/报名表.htm"_s)), QByteArray("<html>form</html>"));
    QCOMPARE(ReadFile(dir.filePath(u"out/照片/考生.jpg"_s)), QByteArray(3000, '\xFF'));
    // RAR is read only.
    QCOMPARE(CompressFolder(dir.filePath(u"new.rar"_s), dir.filePath(u"out"_s)), 2);
}

QTEST_GUILESS_MAIN(TestArchive)
#include "tst_Archive.moc"
