#include "store/Compaction.h"
#include "store/StorageFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

// Runs statements on a database file; false on any error.
bool Exec(const QString &file, const QByteArray &sql)
{
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open(QFile::encodeName(file).constData(), &db) == SQLITE_OK
              && sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    return sqlite3_close(db) == SQLITE_OK && ok;
}

qint64 CountRows(const QString &file)
{
    sqlite3 *db = nullptr;
    sqlite3_stmt *statement = nullptr;
    qint64 count = -1;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK
        && sqlite3_prepare_v2(db, "select count(*), sum(length(XM)) from T_TDD", -1, &statement, nullptr)
               == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        count = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return count;
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A dossier-like table of 5000 rows of which all but 100 are deleted again.
void MakeImportedDatabase(const QString &file, const QByteArray &journalMode)
{
    QVERIFY(Exec(file, "pragma journal_mode=" + journalMode + ";"
                       "create table T_TDD (KSH char(14) primary key, XM text);"
                       "with recursive n(i) as (select 1 union all select i + 1 from n where i < 5000) "
                       "insert into T_TDD select printf('%014d', i), hex(randomblob(200)) from n;"
                       "delete from T_TDD where KSH > '00000000000100';"));
}

} // namespace

class TestCompaction : public QObject
{
    Q_OBJECT

private slots:
    void compactionShrinksAndLeavesNoTempFile_data();
    void compactionShrinksAndLeavesNoTempFile();
    void failureBeforeReplaceKeepsSource_data();
    void failureBeforeReplaceKeepsSource();
    void missingDatabaseIsNotCreated();
};

void TestCompaction::compactionShrinksAndLeavesNoTempFile_data()
{
    QTest::addColumn<QByteArray>("journalMode");
    QTest::addColumn<bool>("staleTempFile");
    QTest::newRow("rollback journal") << QByteArray("delete") << false;
    QTest::newRow("write-ahead log") << QByteArray("wal") << false;
    QTest::newRow("temporary file left by an earlier run") << QByteArray("delete") << true;
}

void TestCompaction::compactionShrinksAndLeavesNoTempFile()
{
    QFETCH(QByteArray, journalMode);
    QFETCH(bool, staleTempFile);
    QTemporaryDir dir;
    const QString userFolder = dir.path() + u'/';
    const QString source = userFolder + UnivDatabaseFileName;
    MakeImportedDatabase(source, journalMode);
    if (staleTempFile) {
        QFile temp(userFolder + CompactionTempFileName);
        QVERIFY(temp.open(QIODevice::WriteOnly));
        temp.write("not a database");
    }
    const qint64 before = QFileInfo(source).size();

    QVERIFY(CompactMainDatabase(userFolder));
    QVERIFY2(QFileInfo(source).size() * 4 < before,
             qPrintable(u"%1 -> %2"_s.arg(before).arg(QFileInfo(source).size())));
    QCOMPARE(CountRows(source), qint64(100));
    QCOMPARE(QDir(userFolder).entryList(QDir::Files | QDir::Hidden), QStringList{UnivDatabaseFileName});
    // The compacted file is a working database, not just a readable one.
    QVERIFY(Exec(source, "insert into T_TDD values ('99999999999999', 'x')"));
}

void TestCompaction::failureBeforeReplaceKeepsSource_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("source is not a database") << u"garbage"_s;
    QTest::newRow("temporary file cannot be deleted") << u"temp is folder"_s;
    // Replacing the file under a write-ahead log that still holds changes would corrupt it.
    QTest::newRow("open elsewhere with changes in its log") << u"open with log"_s;
}

void TestCompaction::failureBeforeReplaceKeepsSource()
{
    QFETCH(QString, failure);
    QTemporaryDir dir;
    const QString userFolder = dir.path() + u'/';
    const QString source = userFolder + UnivDatabaseFileName;
    const QString temp = userFolder + CompactionTempFileName;
    if (failure == u"garbage"_s) {
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(20000, 'x'));
    } else {
        MakeImportedDatabase(source, "delete");
    }
    if (failure == u"temp is folder"_s)
        QVERIFY(QDir().mkpath(temp + u"/inside"_s));
    sqlite3 *other = nullptr;
    if (failure == u"open with log"_s) {
        QVERIFY(Exec(source, "pragma journal_mode=wal"));
        QCOMPARE(sqlite3_open(QFile::encodeName(source).constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "insert into T_TDD values ('99999999999999', 'in the log')", nullptr,
                              nullptr, nullptr),
                 SQLITE_OK);
    }
    const QByteArray before = ReadFile(source);

    QVERIFY(!CompactMainDatabase(userFolder));
    QCOMPARE(ReadFile(source), before);
    if (other) {
        QCOMPARE(sqlite3_close(other), SQLITE_OK);
        QCOMPARE(CountRows(source), qint64(101));
    }
    if (failure != u"temp is folder"_s)
        QVERIFY(!QFileInfo::exists(temp));
}

void TestCompaction::missingDatabaseIsNotCreated()
{
    QTemporaryDir dir;
    QVERIFY(!CompactMainDatabase(dir.path() + u'/'));
    QVERIFY(QDir(dir.path()).isEmpty());
}

QTEST_GUILESS_MAIN(TestCompaction)
#include "tst_Compaction.moc"
