// Connections, statements, parameters, datasets, transactions and errors of the engine.

#include "SqlTestDb.h"
#include "store/SqlError.h"
#include "store/SqlQuery.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

class TstSqlEngine : public QObject
{
    Q_OBJECT

private slots:
    void connectionStrings_data();
    void connectionStrings();
    void missingFileIsNotCreated();
    void pathWithSemicolonIsRefusedNotCut();
    void newDatabaseIsPrivate();
    void notADatabase();
    void severalFilesOpenAtOnce();
    void parameters();
    void parameterErrors_data();
    void parameterErrors();
    void execReturnsChangedRows();
    void datasetFieldsAndRows();
    void valueTypes();
    void textsReadBackAsWritten();
    void openTableGivesRowIds();
    void transactionsCommitAndRollBack();
    void guardRollsBackOnError();
    void nestedTransactions();
    void fastPageFreeingGivesTheModeBack_data();
    void fastPageFreeingGivesTheModeBack();
    void errorsCarryMessageAndStatement();
    void preparedStatementsAreReused();
    void closingTheConnectionClosesItsQueries();
    void tablesAndColumns();
    void vacuumIntoAnotherFile();
};

void TstSqlEngine::connectionStrings_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<QString>("path");
    QTest::newRow("program prefix") << QString(JetConnectionPrefix) + u"/home/u/a b/ZelkinCUniv.mdb"_s
                                    << u"/home/u/a b/ZelkinCUniv.mdb"_s;
    QTest::newRow("short prefix of the compaction")
        << u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/x/ZelkinCUniv2.mdb"_s << u"/x/ZelkinCUniv2.mdb"_s;
    QTest::newRow("quoted source and trailing property")
        << u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"/x/y.mdb\";Mode=Share Deny None"_s
        << u"/x/y.mdb"_s;
    QTest::newRow("bare path") << u"/x/ZelkinCCommon.mdb"_s << u"/x/ZelkinCCommon.mdb"_s;
    QTest::newRow("program prefix, semicolon kept")
        << QString(JetConnectionPrefix) + u"/s/BJ/a;b/ZelkinCUniv.mdb"_s << u"/s/BJ/a;b/ZelkinCUniv.mdb"_s;
    QTest::newRow("short prefix, semicolon kept")
        << u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/s/a;b/x.mdb;Mode=Read"_s << u"/s/a;b/x.mdb"_s;
}

void TstSqlEngine::connectionStrings()
{
    QFETCH(QString, connectionString);
    QFETCH(QString, path);
    QCOMPARE(DatabasePathFromConnectionString(connectionString), path);
    TSqlConnection conn(connectionString);
    QCOMPARE(conn.FileName(), path);
}

void TstSqlEngine::missingFileIsNotCreated()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"ZelkinCUniv.mdb"_s);
    TSqlConnection conn(JetConnectionPrefix + path);
    try {
        conn.Open();
        QFAIL("opening a missing file must fail");
    } catch (const EZKSqlError &e) {
        QVERIFY(e.Message().contains(path));
    }
    QVERIFY(!conn.Connected());
    QVERIFY(!QFile::exists(path));
}

// A user folder with ";" in its name must not open the database of a shorter path: the
// path is refused as it stands.
void TstSqlEngine::pathWithSemicolonIsRefusedNotCut()
{
    QTemporaryDir dir;
    const QString cut = dir.filePath(u"a"_s);
    TSqlConnection::CreateDatabase(cut);
    QVERIFY(QDir().mkpath(dir.filePath(u"a;b"_s)));
    const QString whole = dir.filePath(u"a;b/ZelkinCUniv.mdb"_s);
    QFile::copy(cut, whole);
    const QStringList connectionStrings{QString(JetConnectionPrefix) + whole,
                                        u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"%1\""_s.arg(whole)};
    for (const QString &connectionString : connectionStrings) {
        TSqlConnection conn(connectionString);
        QVERIFY_THROWS_EXCEPTION(EZKSqlError, conn.Open());
        QVERIFY(!conn.Connected());
    }
    QVERIFY_THROWS_EXCEPTION(EZKSqlError, TSqlConnection::CreateDatabase(dir.filePath(u"c;d.mdb"_s)));
    QVERIFY(!QFileInfo::exists(dir.filePath(u"c;d.mdb"_s)));
    QVERIFY(!QFileInfo::exists(dir.filePath(u"c"_s)));
}

// A database the program creates is the member's alone whatever the umask, and so are
// the journals the engine makes beside it (they take the database's mode).
void TstSqlEngine::newDatabaseIsPrivate()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"new.mdb"_s);
    const mode_t old = ::umask(022);
    TSqlConnection::CreateDatabase(path);
    ::umask(old);
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), 0600);
}

void TstSqlEngine::notADatabase()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"broken.mdb"_s);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    TSqlConnection conn(path);
    QVERIFY_THROWS_EXCEPTION(EZKSqlError, conn.Open());
    QVERIFY(!conn.Connected());
}

void TstSqlEngine::severalFilesOpenAtOnce()
{
    TSqlTestDb a;
    TSqlTestDb b;
    a.Exec({u"create table t (v text(5))"_s, u"insert into t values (\"a\")"_s});
    b.Exec({u"create table t (v text(5))"_s, u"insert into t values (\"b\")"_s});
    // A second connection to the same file sees what the first wrote.
    TSqlConnection again(a.Path());
    again.Open();
    QCOMPARE(a.Rows(u"select v from t"_s), QStringList{u"a"_s});
    QCOMPARE(b.Rows(u"select v from t"_s), QStringList{u"b"_s});
    QCOMPARE(again.ExecSQL(u"insert into t values (\"c\")"_s), 1);
    QCOMPARE(a.Rows(u"select v from t order by v"_s), (QStringList{u"a"_s, u"c"_s}));
}

void TstSqlEngine::parameters()
{
    TSqlTestDb db;
    db.Exec({u"create table t (pcdm binary(2), tddw binary(6), n double, s text(10), d datetime)"_s});
    TSqlQuery q(&db.Conn());
    q.SetSQL({u"insert into t (pcdm, tddw, n, s, d)"_s, u"values (:PCDM, :tddw, :n, :s, :d)"_s});
    QCOMPARE(q.ParamNames(), (QStringList{u"pcdm"_s, u"tddw"_s, u"n"_s, u"s"_s, u"d"_s}));
    SetCodeParam(q, u"pcdm"_s, 1, u"1"_s);
    SetCodeParam(q, u"TDDW"_s, 3, u"101"_s);
    q.SetNumberParam(u"n"_s, 2.5);
    q.SetNullParam(u"s"_s);
    q.SetParam(u"d"_s, QDateTime(QDate(2012, 7, 1), QTime(8, 30, 5)));
    QCOMPARE(q.ExecSQL(), 1);
    // By position, as import loops set them; forgotten values are an error, not nulls.
    QCOMPARE(q.ParamIndex(u"TDDW"_s), 1);
    QCOMPARE(q.ParamIndex(u"none"_s), -1);
    q.ClearParams();
    QVERIFY_THROWS_EXCEPTION(EZKSqlError, q.ExecSQL());
    const QVariantList row{u"2"_s, u"102"_s, 3, u"x"_s, QVariant()};
    for (int i = 0; i < row.size(); ++i)
        q.SetParamAt(i, row[i]);
    QCOMPARE(q.ExecSQL(), 1);
    QCOMPARE(db.Rows(u"select tddw, n, s, d from t where pcdm = \"2\""_s), QStringList{u"102|3|x|NULL"_s});
    // The same parameter twice in one statement takes one value.
    q.SetSQL(u"select count(*) from t where pcdm = :p or tddw = :p or :p is null"_s);
    q.SetTextParam(u"p"_s, u"101"_s);
    q.Open();
    QCOMPARE(q.Value(0).toInt(), 1);
    QCOMPARE(db.Rows(u"select pcdm, tddw, n, s, d from t where pcdm = \"1\""_s),
             QStringList{u"1|101|2.5|NULL|2012-07-01 08:30:05"_s});
}

void TstSqlEngine::parameterErrors_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("param");
    QTest::newRow("a parameter the statement lacks") << u"select * from t where a = :a"_s << u"b"_s;
    QTest::newRow("a parameter without value") << u"select * from t where a = :a and b = :b"_s << u"a"_s;
}

void TstSqlEngine::parameterErrors()
{
    QFETCH(QString, sql);
    QFETCH(QString, param);
    TSqlTestDb db;
    db.Exec({u"create table t (a long, b long)"_s});
    TSqlQuery q(&db.Conn());
    q.SetSQL(sql);
    try {
        q.SetIntParam(param, 1);
        q.Open();
        QFAIL("expected an error");
    } catch (const EZKSqlError &e) {
        QCOMPARE(e.Statement(), sql);
    }
}

void TstSqlEngine::execReturnsChangedRows()
{
    TSqlTestDb db;
    TSqlConnection &c = db.Conn();
    QCOMPARE(c.ExecSQL(u"create table t (a long)"_s), 0);
    QCOMPARE(c.ExecSQL(u"insert into t values (1)"_s), 1);
    QCOMPARE(c.ExecSQL(u"insert into t select a + 1 as a from t"_s), 1);
    QCOMPARE(c.ExecSQL(u"update t set a = a * 10"_s), 2);
    QCOMPARE(c.ExecSQL(u"create index ti on t (a)"_s), 0);
    QCOMPARE(c.ExecSQL(u"delete from t where a > 10"_s), 1);
    QCOMPARE(c.ExecSQL(u"select * from t"_s), 0);
    QCOMPARE(c.ExecSQL(u"drop table t"_s), 0);
}

void TstSqlEngine::datasetFieldsAndRows()
{
    TSqlTestDb db;
    db.Exec({u"create table t (ksh char(14), xm text(20) with comp, cj double, primary key (ksh))"_s,
             u"insert into t values (\"2\", \"乙\", 500)"_s,
             u"insert into t values (\"1\", \"甲\", 600.5)"_s});
    TSqlQuery q(&db.Conn());
    q.SetSQL({u"select ksh, xm, cj, count(*) as n"_s, u"from t group by ksh, xm, cj order by ksh"_s});
    q.Open();
    QVERIFY(q.Active());
    QCOMPARE(q.FieldCount(), 4);
    QCOMPARE(q.FieldDef(0).Name, u"ksh"_s);
    QCOMPARE(q.FieldDef(0).Kind, TSqlFieldKind::FixedText);
    QCOMPARE(q.FieldDef(0).Size, 14);
    QCOMPARE(q.FieldDef(1).DeclaredType, u"VARCHAR(20)"_s);
    QCOMPARE(q.FieldDef(2).Kind, TSqlFieldKind::Double);
    QCOMPARE(q.FieldDef(3).Kind, TSqlFieldKind::Unknown);
    QCOMPARE(q.FieldDef(0).BaseTable, u"t"_s);
    QCOMPARE(q.FieldDef(0).PrimaryKeyPart, 1);
    QCOMPARE(q.FieldDef(1).PrimaryKeyPart, 0);
    QVERIFY(q.FieldDef(3).BaseColumn.isEmpty());
    QCOMPARE(q.FieldIndex(u"XM"_s), 1);
    QCOMPARE(q.FieldIndex(u"nope"_s), -1);
    QCOMPARE(q.AsString(u"XM"_s), u"甲"_s);
    QCOMPARE(q.AsString(2), u"600.5"_s);
    q.Next();
    QCOMPARE(q.Value(u"ksh"_s), QVariant(u"2"_s));
    q.Next();
    QVERIFY(q.Eof());
    q.Next(); // stays at the end
    QVERIFY(q.Eof());
    QVERIFY_THROWS_EXCEPTION(EZKSqlError, q.Value(0));
    q.First();
    QCOMPARE(q.AsString(0), u"1"_s);
    QVERIFY_THROWS_EXCEPTION(EZKSqlError, q.Value(u"nope"_s));
    q.Close();
    QVERIFY(!q.Active());
}

void TstSqlEngine::valueTypes()
{
    TSqlTestDb db;
    db.Exec({u"create table t (a long, b double, c text(5), d datetime, e bin, f long)"_s,
             u"insert into t values (7, 1.25, \"x\", \"2020-02-29 23:59:58\", 0, 5000000000)"_s});
    TSqlQuery q(&db.Conn());
    q.SetSQL(u"select a, b, c, d, e, f, null as g from t"_s);
    q.Open();
    QCOMPARE(q.Value(0).typeId(), QMetaType::Int);
    QCOMPARE(q.Value(1).typeId(), QMetaType::Double);
    QCOMPARE(q.Value(2).typeId(), QMetaType::QString);
    QCOMPARE(q.Value(3), QVariant(QDateTime(QDate(2020, 2, 29), QTime(23, 59, 58))));
    QCOMPARE(q.Value(4), QVariant(false));
    QCOMPARE(q.Value(5), QVariant(qlonglong(5000000000)));
    QVERIFY(!q.Value(6).isValid());
    QCOMPARE(q.AsString(6), QString());
}

// A text reads back with the characters it was written with: one that begins with a
// character SQLite would take for a byte order mark, characters beyond the BMP, an
// embedded NUL; bytes that are no UTF-8 at all read as SQLite's own conversion gives.
void TstSqlEngine::textsReadBackAsWritten()
{
    const QString texts[] = {u"KS001"_s,
                             QString(QChar(0xFEFF)) + u"x"_s,
                             QString(QChar(0xFFFE)) + u"xy"_s,
                             QString(QChar(0xFEFF)) + u"𠀀z"_s,
                             QString(QChar(0xFFFE)) + u"𪚥"_s,
                             u"张三丰 Zoë"_s,
                             u"𠀀𪚥"_s,
                             QString(u"a"_s + QChar(0) + u"b"_s),
                             QString(QChar(0xFFFF)) + QChar(0x07FF) + QChar(0x0800)};
    TSqlTestDb db;
    db.Exec({u"create table t (n long, a memo)"_s});
    TSqlQuery insert(&db.Conn());
    insert.SetSQL(u"insert into t values (:n, :a)"_s);
    int n = 0;
    for (const QString &text : texts) {
        insert.SetParam(u"n"_s, ++n);
        insert.SetParam(u"a"_s, text);
        insert.ExecSQL();
    }
    db.Exec({u"insert into t values (100, cast(x'61ff80c0af62' as text))"_s});
    TSqlQuery read(&db.Conn());
    read.SetSQL(u"select a, hex(a) from t order by n"_s);
    read.Open();
    for (const QString &text : texts) {
        QCOMPARE(read.Value(0).toString(), text);
        read.Next();
    }
    // The broken bytes come back as SQLite's conversion to UTF-16 reads them.
    sqlite3_stmt *raw = nullptr;
    QCOMPARE(sqlite3_prepare_v2(db.Conn().Handle(), "select a from t where n = 100", -1, &raw, nullptr),
             SQLITE_OK);
    QCOMPARE(sqlite3_step(raw), SQLITE_ROW);
    const auto *utf16 = static_cast<const char16_t *>(sqlite3_column_text16(raw, 0));
    const QString bySqlite = QString::fromUtf16(utf16, sqlite3_column_bytes16(raw, 0) / 2);
    sqlite3_finalize(raw);
    QCOMPARE(read.Value(0).toString(), bySqlite);
    QCOMPARE(read.Value(1).toString(), u"61FF80C0AF62"_s);
}

void TstSqlEngine::openTableGivesRowIds()
{
    TSqlTestDb db;
    db.Exec({u"create table [t x] (a text(5))"_s, u"insert into [t x] values (\"p\")"_s,
             u"insert into [t x] values (\"q\")"_s});
    TSqlQuery q(&db.Conn());
    q.OpenTable(u"t x"_s);
    QCOMPARE(q.FieldCount(), 1);
    q.Next();
    QCOMPARE(q.AsString(u"a"_s), u"q"_s);
    TSqlQuery u(&db.Conn());
    u.SetSQL(u"update [t x] set a = \"r\" where rowid = :id"_s);
    u.SetIntParam(u"id"_s, q.RowId());
    QCOMPARE(u.ExecSQL(), 1);
    QCOMPARE(db.Rows(u"select a from [t x] order by a"_s), (QStringList{u"p"_s, u"r"_s}));
}

void TstSqlEngine::transactionsCommitAndRollBack()
{
    TSqlTestDb db;
    TSqlConnection &c = db.Conn();
    c.ExecSQL(u"create table t (a long)"_s);
    c.BeginTrans();
    c.ExecSQL(u"insert into t values (1)"_s);
    c.CommitTrans();
    c.BeginTrans();
    c.ExecSQL(u"insert into t values (2)"_s);
    QCOMPARE(db.Rows(u"select a from t"_s).size(), 2); // seen inside the transaction
    c.RollbackTrans();
    QVERIFY(!c.InTransaction());
    QCOMPARE(db.Rows(u"select a from t"_s), QStringList{u"1"_s});
    QVERIFY_THROWS_EXCEPTION(EZKSqlError, c.CommitTrans());
    // A committed transaction is in the file: another connection sees it.
    TSqlConnection other(db.Path());
    other.Open();
    QCOMPARE(other.ExecSQL(u"delete from t"_s), 1);
}

void TstSqlEngine::guardRollsBackOnError()
{
    TSqlTestDb db;
    db.Exec({u"create table t (k text(5), primary key (k))"_s});
    try {
        TSqlTransaction guard(db.Conn());
        db.Conn().ExecSQL(u"insert into t values (\"a\")"_s);
        db.Conn().ExecSQL(u"insert into t values (\"A\")"_s); // the key exists
        guard.Commit();
        QFAIL("the key violation must throw");
    } catch (const EZKSqlError &e) {
        QCOMPARE(e.ResultCode(), 1555); // SQLITE_CONSTRAINT_PRIMARYKEY
    }
    QVERIFY(!db.Conn().InTransaction());
    QVERIFY(db.Rows(u"select k from t"_s).isEmpty());
    {
        TSqlTransaction guard(db.Conn());
        db.Conn().ExecSQL(u"insert into t values (\"b\")"_s);
        guard.Commit();
    }
    QCOMPARE(db.Rows(u"select k from t"_s), QStringList{u"b"_s});
}

void TstSqlEngine::nestedTransactions()
{
    TSqlTestDb db;
    TSqlConnection &c = db.Conn();
    c.ExecSQL(u"create table t (a long)"_s);
    c.BeginTrans();
    c.ExecSQL(u"insert into t values (1)"_s);
    c.BeginTrans();
    c.ExecSQL(u"insert into t values (2)"_s);
    QCOMPARE(c.TransactionLevel(), 2);
    c.RollbackTrans();
    c.BeginTrans();
    c.ExecSQL(u"insert into t values (3)"_s);
    c.CommitTrans();
    c.CommitTrans();
    QCOMPARE(db.Rows(u"select a from t order by a"_s), (QStringList{u"1"_s, u"3"_s}));
}

// Within the scope freed pages are left as they are; afterwards the connection has the
// mode it had, whichever that was. A rollback inside the scope still gives back every row
// of a table emptied and refilled, as an import replacing a set does.
void TstSqlEngine::fastPageFreeingGivesTheModeBack_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("reading");
    QTest::newRow("on") << u"ON"_s << 1;
    QTest::newRow("off") << u"OFF"_s << 0;
    QTest::newRow("fast") << u"FAST"_s << 2;
}

void TstSqlEngine::fastPageFreeingGivesTheModeBack()
{
    QFETCH(QString, mode);
    QFETCH(int, reading);
    TSqlTestDb db;
    TSqlConnection &c = db.Conn();
    c.ExecSQL(u"PRAGMA secure_delete="_s + mode);
    db.Exec({u"create table t (k text(20), v text(255), primary key (k))"_s});
    {
        TSqlTransaction fill(c);
        for (int i = 0; i < 2000; ++i)
            c.ExecSQL(
                u"insert into t values (\"k%1\", \"%2\")"_s.arg(i).arg(QString(200, QChar(u'a' + i % 26))));
        fill.Commit();
    }
    const QStringList rows = db.Rows(u"select * from t order by k"_s);
    {
        TSqlTransaction replace(c);
        const TSqlFastPageFreeing fast(c);
        QCOMPARE(db.Scalar(u"PRAGMA secure_delete"_s).toInt(), 2);
        c.ExecSQL(u"delete from t"_s);
        c.ExecSQL(u"insert into t values (\"new\", \"row\")"_s);
        replace.Rollback();
    }
    QCOMPARE(db.Scalar(u"PRAGMA secure_delete"_s).toInt(), reading);
    QCOMPARE(db.Rows(u"select * from t order by k"_s), rows);
    QCOMPARE(db.Rows(u"PRAGMA integrity_check"_s), QStringList{u"ok"_s});
}

void TstSqlEngine::errorsCarryMessageAndStatement()
{
    TSqlTestDb db;
    const QStringList lines{u"select ksh"_s, u"from t_nowhere"_s};
    TSqlQuery q(&db.Conn());
    q.SetSQL(lines);
    try {
        q.Open();
        QFAIL("expected an error");
    } catch (const EZKSqlError &e) {
        QVERIFY(e.EngineMessage().contains("no such table"_L1));
        QCOMPARE(e.Statement(), lines.join(u"\r\n"_s));
        // The member reads what failed in Chinese; the engine's detail follows.
        QCOMPARE(e.Message(), u"数据库操作出错："_s + e.EngineMessage() + u"\r\n"_s + e.Statement());
        QVERIFY(QString::fromUtf8(e.what()).contains("t_nowhere"_L1));
    }
    QVERIFY_THROWS_EXCEPTION(EZKSqlError, db.Conn().ExecSQL(u"select 1; select 2"_s));

    // The engine's own failures, each in Chinese with its technical detail after it.
    const auto messageOf = [](const auto &f) {
        try {
            f();
        } catch (const EZKSqlError &e) {
            return e.Message();
        }
        return QString();
    };
    TSqlConnection missing(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source="_s + db.Path() + u".none"_s);
    const QList<std::pair<QString, QString>> failures{
        {messageOf([&] { missing.Open(); }), u"数据库操作出错：找不到文件“"_s},
        {messageOf([&] { db.Conn().ExecSQL(u"select 1; select 2"_s); }),
         u"数据库操作出错：SQL 语句结束后还有多余的字符。"_s},
        {messageOf([&] { db.Conn().CommitTrans(); }), u"数据库操作出错：没有可以提交的事务。"_s},
        {messageOf([&] { db.Conn().GetColumns(u"t_nowhere"_s); }),
         u"数据库操作出错：数据表“t_nowhere”不存在。"_s},
        {messageOf([&] {
             TSqlQuery p(&db.Conn());
             p.SetSQL(u"select :a"_s);
             p.Open();
         }),
         u"数据库操作出错：参数“a”没有给出值。"_s},
        {messageOf([&] { db.Conn().ExecSQL(u"select top x from t"_s); }), u"数据库操作出错：Syntax error"_s},
    };
    for (const auto &[message, start] : failures)
        QVERIFY2(message.startsWith(start), qPrintable(message));
}

// An import runs one insert statement per row with new values each time.
void TstSqlEngine::preparedStatementsAreReused()
{
    TSqlTestDb db;
    db.Exec({u"create table t (k text(10), v long)"_s});
    TSqlQuery ins(&db.Conn());
    ins.SetSQL(u"insert into t (k, v) values (:k, :v)"_s);
    TSqlTransaction guard(db.Conn());
    for (int i = 0; i < 1000; ++i) {
        ins.SetTextParam(u"k"_s, QString::number(i));
        ins.SetIntParam(u"v"_s, i * 2);
        QCOMPARE(ins.ExecSQL(), 1);
    }
    guard.Commit();
    QCOMPARE(db.Rows(u"select count(*), sum(v) from t"_s), QStringList{u"1000|999000"_s});
    // The cached statement follows a table that was dropped and made anew.
    db.Exec({u"drop table t"_s, u"create table t (v long, k text(10))"_s});
    ins.SetTextParam(u"k"_s, u"x"_s);
    ins.SetIntParam(u"v"_s, 1);
    QCOMPARE(ins.ExecSQL(), 1);
    QCOMPARE(db.Rows(u"select k, v from t"_s), QStringList{u"x|1"_s});
    // A table opened again after it was made anew describes its new columns from the
    // start (the export makes its work table again under one name for every table).
    TSqlQuery table(&db.Conn());
    table.OpenTable(u"t"_s);
    table.Close();
    db.Exec({u"drop table t"_s, u"create table t (d datetime, n double, s text(5))"_s,
             u"insert into t values (\"2012-07-18 00:00:00\", 2.5, \"x\")"_s});
    table.OpenTable(u"t"_s);
    QCOMPARE(table.FieldCount(), 3);
    QCOMPARE(table.FieldDef(0).Kind, TSqlFieldKind::DateTime);
    QCOMPARE(table.FieldDef(1).Kind, TSqlFieldKind::Double);
    QCOMPARE(table.Value(0).typeId(), QMetaType::QDateTime);
}

void TstSqlEngine::closingTheConnectionClosesItsQueries()
{
    TSqlTestDb db;
    db.Exec({u"create table t (a long)"_s, u"insert into t values (1)"_s});
    auto *conn = new TSqlConnection(db.Path());
    conn->Open();
    TSqlQuery q(conn);
    q.SetSQL(u"select a from t"_s);
    q.Open();
    conn->Close();
    QVERIFY(!q.Active());
    QVERIFY_THROWS_EXCEPTION(EZKSqlError, q.Open());
    conn->Open();
    q.Open();
    QCOMPARE(q.AsString(0), u"1"_s);
    delete conn; // the query outlives its connection
    QVERIFY(!q.Active());
    QVERIFY(q.Connection() == nullptr);
}

void TstSqlEngine::tablesAndColumns()
{
    TSqlTestDb db;
    db.Exec({u"create table T_TDD (KSH text(14) with comp, XM text(20), primary key (KSH))"_s,
             u"create table bmxx (xm text(20))"_s});
    QCOMPARE(db.Conn().GetTableNames(), (QStringList{u"T_TDD"_s, u"bmxx"_s}));
    QVERIFY(db.Conn().TableExists(u"t_tdd"_s));
    QVERIFY(!db.Conn().TableExists(u"t_tdd_tmp"_s));
    const QList<TSqlFieldDef> cols = db.Conn().GetColumns(u"t_tdd"_s);
    QCOMPARE(cols.size(), 2);
    QCOMPARE(cols[0].Name, u"KSH"_s);
    QCOMPARE(cols[0].PrimaryKeyPart, 1);
    QCOMPARE(cols[1].Kind, TSqlFieldKind::Text);
    QVERIFY_THROWS_EXCEPTION(EZKSqlError, db.Conn().GetColumns(u"none"_s));
}

// Compaction rewrites a closed-over database into a new file through the engine.
void TstSqlEngine::vacuumIntoAnotherFile()
{
    TSqlTestDb db;
    db.Exec({u"create table t (a text(5))"_s, u"insert into t values (\"x\")"_s});
    const QString target = db.FolderPath() + u"/ZelkinCUniv2.mdb"_s;
    TSqlQuery q(&db.Conn());
    q.SetSQL(u"vacuum into :path"_s);
    q.SetTextParam(u"path"_s, target);
    q.ExecSQL();
    TSqlConnection copy(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source="_s + target);
    copy.Open();
    TSqlQuery r(&copy);
    r.SetSQL(u"select a from t"_s);
    r.Open();
    QCOMPARE(r.AsString(0), u"x"_s);
}

QTEST_GUILESS_MAIN(TstSqlEngine)
#include "tst_SqlEngine.moc"
