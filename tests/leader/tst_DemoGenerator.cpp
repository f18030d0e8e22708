// The demo data generator itself: the same seed gives the same files, rounds add
// packages without changing the first ones, and the command line.

#include "TestSupport.h"
#include "leader/DemoGenerator.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Every file below a folder by relative path, with its bytes.
QMap<QString, QByteArray> Tree(const QString &root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(root).relativeFilePath(path), zktest::readFile(path));
    }
    return files;
}

TDemoOptions Small(const QString &root, uint64_t seed)
{
    TDemoOptions o;
    o.Root = root;
    o.Candidates = 120;
    o.Members = 2;
    o.Seed = seed;
    return o;
}

} // namespace

class TstDemoGenerator : public QObject
{
    Q_OBJECT

private slots:
    void sameSeedGivesTheSameFiles();
    void otherSeedGivesOtherCandidates();
    void secondRoundKeepsTheFirstPackages();
    void regeneratingReplacesTheProvince();
    void commandLine_data();
    void commandLine();
    void programWritesTheDefaultProvinces();
};

void TstDemoGenerator::sameSeedGivesTheSameFiles()
{
    QTemporaryDir a, b;
    GenerateDemo(Small(a.path(), 5));
    GenerateDemo(Small(b.path(), 5));
    const QMap<QString, QByteArray> first = Tree(a.path()), second = Tree(b.path());
    QVERIFY(first.size() > 100);
    QCOMPARE(first.keys(), second.keys());
    for (auto it = first.cbegin(); it != first.cend(); ++it)
        QVERIFY2(it.value() == second.value(it.key()), qPrintable(it.key()));
}

void TstDemoGenerator::otherSeedGivesOtherCandidates()
{
    QTemporaryDir a, b;
    TDemoOptions o = Small(a.path(), 5);
    o.Images = false;
    GenerateDemo(o);
    o.Root = b.path();
    o.Seed = 6;
    GenerateDemo(o);
    const QString package = u"/11/zy01/tdd/2_5_1/3.zip"_s;
    QVERIFY(QFile::exists(a.path() + package) && QFile::exists(b.path() + package));
    QVERIFY(zktest::readFile(a.path() + package) != zktest::readFile(b.path() + package));
}

void TstDemoGenerator::secondRoundKeepsTheFirstPackages()
{
    QTemporaryDir one, two;
    TDemoOptions o = Small(one.path(), 9);
    o.Rounds = 1;
    o.Images = false;
    GenerateDemo(o);
    o.Root = two.path();
    o.Rounds = 2;
    GenerateDemo(o);
    const QMap<QString, QByteArray> first = Tree(one.path()), second = Tree(two.path());
    int packages = 0;
    for (auto it = first.cbegin(); it != first.cend(); ++it) {
        if (it.key().contains(u"/tdd/"_s)) {
            ++packages;
            QVERIFY2(second.value(it.key()) == it.value(), qPrintable(it.key()));
        }
    }
    QVERIFY(packages > 0);
    // Round 2 adds newer packages; the state rows of the plan name them.
    QStringList added;
    for (const QString &name : second.keys()) {
        if (name.contains(u"/tdd/"_s) && !first.contains(name))
            added.append(name);
    }
    QVERIFY(!added.isEmpty());
    QVERIFY(first.value(u"11/zy01/jhk.zip"_s) != second.value(u"11/zy01/jhk.zip"_s));
}

void TstDemoGenerator::regeneratingReplacesTheProvince()
{
    QTemporaryDir dir;
    TDemoOptions o = Small(dir.path(), 3);
    o.Images = false;
    GenerateDemo(o);
    const QString stray = dir.path() + u"/11/zy01/tdd/2_5_1/99.zip"_s;
    QFile file(stray);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QDir().mkpath(dir.path() + u"/other"_s);
    GenerateDemo(o);
    // A stale package would be offered as the newest; other folders stay.
    QVERIFY(!QFile::exists(stray));
    QVERIFY(QFileInfo(dir.path() + u"/other"_s).isDir());
}

void TstDemoGenerator::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("no root") << QStringList{} << 2 << u"--root is required"_s;
    QTest::newRow("no members") << QStringList{u"--members"_s, u"0"_s} << 2 << u"--members must be"_s;
    QTest::newRow("candidates not a number")
        << QStringList{u"--candidates"_s, u"many"_s} << 2 << u"--candidates must be"_s;
    QTest::newRow("three rounds") << QStringList{u"--rounds"_s, u"3"_s} << 2 << u"--rounds must be"_s;
    QTest::newRow("unknown switch") << QStringList{u"--colour"_s} << 2 << u"colour"_s;
    QTest::newRow("not a province") << QStringList{u"--ssdm"_s, u"99"_s} << 1
                                    << u"99 is not a province code"_s;
    QTest::newRow("one graded province")
        << QStringList{u"--ssdm"_s, u"44"_s, u"--rank"_s, u"--candidates"_s, u"40"_s, u"--no-images"_s} << 0
        << u"province 44 广东 (graded scores)"_s;
}

void TstDemoGenerator::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    QTemporaryDir dir;
    if (!arguments.isEmpty())
        arguments = QStringList{u"--root"_s, dir.path() + u"/data"_s} + arguments;
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    QCOMPARE(RunDemoCommand(arguments, out, err), status);
    QVERIFY2((status == 0 ? outText : errText).contains(message), qPrintable(outText + errText));
    // Nothing is written unless the command line and the province are right.
    QCOMPARE(QFileInfo::exists(dir.path() + u"/data/44/zy01/jhk.zip"_s), status == 0);
    QCOMPARE(QFileInfo::exists(dir.path() + u"/data/99"_s), false);
}

void TstDemoGenerator::programWritesTheDefaultProvinces()
{
    QTemporaryDir dir;
    QProcess p;
    p.start(QDir(zktest::programFolder()).filePath(u"zelkinc-leader"_s),
            {u"generate"_s, u"--root"_s, dir.path(), u"--candidates"_s, u"50"_s, u"--members"_s, u"1"_s,
             u"--no-images"_s});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(out.contains(u"province 11 北京 (numeric scores)"_s), qPrintable(out));
    QVERIFY2(out.contains(u"province 32 江苏 (graded scores)"_s), qPrintable(out));
    QVERIFY2(out.contains(u"zy01 / pw01"_s), qPrintable(out));
    for (const QString &file : {u"11/dqpc.txt"_s, u"11/zy01/password.txt"_s, u"11/zy01/state.txt"_s,
                                u"11/zy01/dmk.zip"_s, u"32/zy01/jhk.zip"_s})
        QVERIFY2(QFileInfo(dir.path() + u'/' + file).isFile(), qPrintable(file));
    QCOMPARE(zktest::readFile(dir.path() + u"/11/zy01/password.txt"_s), QByteArray("pw01\n"));
}

QTEST_GUILESS_MAIN(TstDemoGenerator)
#include "tst_DemoGenerator.moc"
