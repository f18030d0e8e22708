// The Jet dialect on SQLite: each construct gives Jet's result when run.

#include "SqlTestDb.h"
#include "store/SqlDialect.h"
#include "store/SqlError.h"
#include "store/SqlQuery.h"

#include <QDateTime>
#include <QtTest>

using namespace Qt::StringLiterals;

class TstSqlDialect : public QObject
{
    Q_OBJECT

private slots:
    void expressions_data();
    void expressions();
    void structuralRewrites_data();
    void structuralRewrites();
    void unreadableStatements_data();
    void unreadableStatements();
    void codeRoundTripThroughEveryTextType_data();
    void codeRoundTripThroughEveryTextType();
    void columnTypesMapToKindsAndSizes();
    void numericColumnsConvertAsJetDoes();
    void binaryCodeColumnAndLtrim();
    void textComparesWithoutCase();
    void nowIsTheLocalTime();
    void counterNumbersNewRows();
    void selectIntoKeepsColumnTypes();
    void selectIntoFailureLeavesNoTable();
    void topLimitsTheRightSelect();
    void twoTableUpdate();
    void insertSelectMatchesColumnsByName();
    void tableOfAnotherFile();
};

// One expression, evaluated; the expected text is the value's text ("NULL" for null).
void TstSqlDialect::expressions_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");

    QTest::newRow("double-quoted literal with doubled quote") << u"select \"a\"\"b\""_s << u"a\"b"_s;
    QTest::newRow("single-quoted literal") << u"select 'it''s'"_s << u"it's"_s;
    QTest::newRow("literals compare without case") << u"select iif(\"ksh\" = \"KSH\", 1, 0)"_s << u"1"_s;
    QTest::newRow("in list of literals") << u"select iif(\"3\" in (\"2\", \"3\"), 1, 0)"_s << u"1"_s;
    QTest::newRow("iif false branch on null") << u"select iif(null = 1, \"y\", \"n\")"_s << u"n"_s;
    QTest::newRow("instr found") << u"select instr(1, \"111;112;\", \"112\", 0)"_s << u"5"_s;
    QTest::newRow("instr absent") << u"select instr(1, \"111;112;\", \"121\", 0)"_s << u"0"_s;
    QTest::newRow("instr mode 0 is exact") << u"select instr(1, \"abc\", \"B\", 0)"_s << u"0"_s;
    QTest::newRow("instr mode 1 ignores case") << u"select instr(1, \"abc\", \"B\", 1)"_s << u"2"_s;
    QTest::newRow("instr from a start") << u"select instr(3, \"abcabc\", \"a\", 0)"_s << u"4"_s;
    QTest::newRow("instr counts UTF-16 units") << u"select instr(1, \"批次1\", \"1\", 0)"_s << u"3"_s;
    QTest::newRow("instr with null") << u"select instr(1, null, \"a\", 0)"_s << u"NULL"_s;
    QTest::newRow("ucase of every letter") << u"select ucase(\"abcé中\")"_s << u"ABCÉ中"_s;
    QTest::newRow("int of positive") << u"select int(8.6)"_s << u"8"_s;
    QTest::newRow("int of negative goes down") << u"select int(-8.4)"_s << u"-9"_s;
    QTest::newRow("int of numeric text") << u"select int(\"605.5\" / 10)"_s << u"60"_s;
    QTest::newRow("int of negative quotient") << u"select int(-5 / 10)"_s << u"-1"_s;
    QTest::newRow("division is floating point") << u"select 7 / 2"_s << u"3.5"_s;
    QTest::newRow("chained division") << u"select 12 / 4 / 8"_s << u"0.375"_s;
    QTest::newRow("texts concatenate") << u"select \"1\" + \"2\""_s << u"12"_s;
    QTest::newRow("three texts concatenate") << u"select \"a\" + \"b\" + \"c\""_s << u"abc"_s;
    QTest::newRow("numbers add") << u"select 1 + 2"_s << u"3"_s;
    QTest::newRow("numeric text and number add") << u"select \"1\" + 2"_s << u"3"_s;
    QTest::newRow("plus keeps precedence") << u"select 2 * 3 + 4 * 5"_s << u"26"_s;
    QTest::newRow("plus and minus associate left") << u"select 10 - 2 + 3"_s << u"11"_s;
    QTest::newRow("text that is no number plus a number fails")
        << u"select (\"a\" + \"b\") + (1 + 2)"_s << u"NULL_ERROR"_s;
    QTest::newRow("null plus text") << u"select null + \"a\""_s << u"NULL"_s;
    QTest::newRow("unary plus stays") << u"select +5 - -2"_s << u"7"_s;
    QTest::newRow("ltrim of spaces") << u"select ltrim(\"  01\")"_s << u"01"_s;
    QTest::newRow("bracketed name") << u"select [a b] from (select 1 as [a b])"_s << u"1"_s;
    QTest::newRow("trailing semicolon") << u"select 1;"_s << u"1"_s;
}

void TstSqlDialect::expressions()
{
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    TSqlTestDb db;
    if (expected == "NULL_ERROR"_L1) {
        // A text that is not a number added to a number is Jet's type mismatch.
        QVERIFY_THROWS_EXCEPTION(EZKSqlError, db.Scalar(sql));
        return;
    }
    const QVariant v = db.Scalar(sql);
    QCOMPARE(v.isValid() ? SqlValueText(v) : u"NULL"_s, expected);
}

// The rewrites that move parts of a statement, checked on the SQLite text.
void TstSqlDialect::structuralRewrites_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");

    QTest::newRow("top of the outer select")
        << u"select top 1 * from t where k = :k"_s << u"select * from t where k = :k LIMIT 1"_s;
    QTest::newRow("top of a sub-select")
        << u"select * from a where x in (select top 1 y from b order by y)"_s
        << u"select * from a where x in (select y from b order by y LIMIT 1)"_s;
    QTest::newRow("distinct top") << u"select distinct top 2 a from t"_s
                                  << u"select distinct a from t LIMIT 2"_s;
    QTest::newRow("two-table update")
        << u"UPDATE T_TDD, T_TDDBH\r\nSET T_TDD.BH = T_TDDBH.BH\r\nWHERE T_TDD.KSH = T_TDDBH.KSH"_s
        << u"UPDATE T_TDD\r\nSET BH = T_TDDBH.BH\r\n FROM T_TDDBH WHERE T_TDD.KSH = T_TDDBH.KSH"_s;
    QTest::newRow("two-table update without where") << u"update t,t_tmp\r\nset t.a=t_tmp.a,t.b=t_tmp.b"_s
                                                    << u"update t\r\nset a=t_tmp.a,b=t_tmp.b FROM t_tmp "_s;
    QTest::newRow("parameter names ignore case")
        << u"select 1 where a=:Pcdm"_s << u"select 1 where a=:pcdm"_s;
    QTest::newRow("bare now") << u"update t set c=now"_s << u"update t set c=now()"_s;
    QTest::newRow("column types")
        << u"create table t (a text(20) with comp, b text with comp, c binary(4), d short, e long, f double, "
           "g datetime, h bin, i char(14), j text(3), primary key (a))"_s
        << u"create table t (a VARCHAR(20) COLLATE NOCASE NOT NULL, b TEXT COLLATE NOCASE, c BINARY TEXT(4) "
           u"COLLATE NOCASE, "
           "d SMALLINT, e INT, f DOUBLE, g DATETIME, h BOOLEAN, i CHAR(14) COLLATE NOCASE, "
           "j VARCHAR(3) COLLATE NOCASE, primary key (a))"_s;
}

void TstSqlDialect::structuralRewrites()
{
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QCOMPARE(TranslateJetSql(jet).Sql, sqlite);
}

void TstSqlDialect::unreadableStatements_data()
{
    QTest::addColumn<QString>("jet");
    QTest::newRow("unclosed double quote") << u"update t_yxzt set yxmc=\"北京\"大学\""_s;
    QTest::newRow("unclosed bracket") << u"select * from [t_temp.dbf"_s;
    QTest::newRow("unknown column type") << u"create table t (a hyperlink)"_s;
    QTest::newRow("second table of an update") << u"update a, b set b.x = a.x"_s;
    QTest::newRow("top percent") << u"select top 10 percent * from t"_s;
}

void TstSqlDialect::unreadableStatements()
{
    QFETCH(QString, jet);
    TSqlTestDb db;
    db.Exec({u"create table t (a long)"_s, u"create table a (x long)"_s, u"create table b (x long)"_s});
    QVERIFY_THROWS_EXCEPTION(EZKSqlError, db.Conn().ExecSQL(jet));
}

// A code such as "01" keeps its leading zero in every column type that holds texts.
void TstSqlDialect::codeRoundTripThroughEveryTextType_data()
{
    QTest::addColumn<QString>("type");
    for (const char *type :
         {"text(10) with comp", "text with comp", "text(2)", "char(14)", "binary(4)", "memo"})
        QTest::newRow(type) << QString::fromLatin1(type);
}

void TstSqlDialect::codeRoundTripThroughEveryTextType()
{
    QFETCH(QString, type);
    TSqlTestDb db;
    db.Exec({u"create table t (c %1)"_s.arg(type), u"insert into t (c) values (\"01\")"_s});
    TSqlQuery q(&db.Conn());
    q.SetSQL(u"insert into t (c) values (:c)"_s);
    SetCodeParam(q, u"c"_s, 1, u"02"_s);
    q.ExecSQL();
    q.SetSQL(u"insert into t (c) values (:c)"_s);
    q.SetNumberParam(u"c"_s, 3);
    q.ExecSQL();
    // A text column keeps a number as its text, as Jet's does.
    QCOMPARE(db.Rows(u"select c from t order by c"_s), (QStringList{u"01"_s, u"02"_s, u"3"_s}));
    QCOMPARE(db.Scalar(u"select typeof(c) from t where c = \"01\""_s).toString(), u"text"_s);
    QCOMPARE(db.Scalar(u"select count(*) from t where c = 1"_s).toInt(), 0); // "01" is not the number 1
    // select … into carries the type on.
    db.Exec({u"select * into t_tmp from t"_s});
    QCOMPARE(db.Rows(u"select c from t_tmp where c like \"0%\" order by c"_s),
             (QStringList{u"01"_s, u"02"_s}));
}

void TstSqlDialect::columnTypesMapToKindsAndSizes()
{
    TSqlTestDb db;
    db.Exec(
        {u"create table t (a text(20) with comp, b text with comp, c binary(4), d short, e long, f double, "
         "g datetime, h bin, i char(14), j counter, primary key (a, c))"_s});
    using K = TSqlFieldKind;
    const QList<QPair<K, int>> expected = {
        {K::Text, 20},  {K::Memo, 0},     {K::BinaryCode, 4}, {K::Short, 2},      {K::Long, 4},
        {K::Double, 8}, {K::DateTime, 8}, {K::Boolean, 2},    {K::FixedText, 14}, {K::Counter, 4}};
    const QList<TSqlFieldDef> columns = db.Conn().GetColumns(u"T"_s);
    QCOMPARE(columns.size(), expected.size());
    for (int i = 0; i < columns.size(); ++i) {
        QCOMPARE(columns[i].Kind, expected[i].first);
        QCOMPARE(columns[i].Size, expected[i].second);
    }
    QCOMPARE(columns[0].PrimaryKeyPart, 1);
    QCOMPARE(columns[2].PrimaryKeyPart, 2);
    QCOMPARE(columns[1].PrimaryKeyPart, 0);
}

// Numeric columns take numbers, as Jet's do: a numeric text becomes its number.
void TstSqlDialect::numericColumnsConvertAsJetDoes()
{
    TSqlTestDb db;
    db.Exec({u"create table t (s short, l long, d double, b bin)"_s,
             u"insert into t (s, l, d, b) values (\"01\", \"-7\", \"2.50\", 1)"_s});
    TSqlQuery q(&db.Conn());
    q.SetSQL(u"select s, l, d, b from t"_s);
    q.Open();
    QCOMPARE(q.Value(0), QVariant(1));
    QCOMPARE(q.Value(1), QVariant(-7));
    QCOMPARE(q.Value(2), QVariant(2.5));
    QCOMPARE(q.Value(3), QVariant(true));
}

// A binary code column holds the code right-aligned to half its byte width, as text;
// it equals text columns and text parameters holding the same code, and ltrim gives
// the bare code.
void TstSqlDialect::binaryCodeColumnAndLtrim()
{
    TSqlTestDb db;
    db.Exec({u"create table k (pcdm binary(2), wide binary(4))"_s, u"create table d (pcdm text(1))"_s,
             u"insert into k (pcdm, wide) values (\"1\", \" 5\")"_s,
             u"insert into d (pcdm) values (\"1\")"_s});
    QCOMPARE(db.Scalar(u"select count(*) from k, d where k.pcdm = d.pcdm"_s).toInt(), 1);
    TSqlQuery q(&db.Conn());
    q.SetSQL(u"select ltrim(wide) as wide, pcdm from k where pcdm = :pcdm"_s);
    SetCodeParam(q, u"pcdm"_s, 1, u"1"_s);
    q.Open();
    QVERIFY(!q.Eof());
    QCOMPARE(q.Value(u"wide"_s), QVariant(u"5"_s));
    QCOMPARE(q.FieldDef(1).Kind, TSqlFieldKind::BinaryCode);
    QCOMPARE(q.FieldDef(1).Size, 2);
    // Bytes written by some other program are read as UTF-16 by ltrim.
    db.Exec({u"insert into k (pcdm, wide) values (\"2\", x'20003700')"_s});
    QCOMPARE(db.Scalar(u"select ltrim(wide) from k where pcdm = \"2\""_s), QVariant(u"7"_s));
}

void TstSqlDialect::textComparesWithoutCase()
{
    TSqlTestDb db;
    db.Exec({u"create table f (zddh text(20) with comp, zdmc text(20) with comp)"_s,
             u"create table l (zddh text(20) with comp, wzsy long)"_s,
             u"create table k (ksh char(14), primary key(ksh))"_s,
             u"insert into f values (\"ksh\", \"考生号\")"_s, u"insert into l values (\"KSH\", 0)"_s,
             u"insert into k values (\"abc\")"_s});
    QCOMPARE(db.Rows(u"select zdmc from f, l where f.ZDDH = l.ZDDH"_s), QStringList{u"考生号"_s});
    QCOMPARE(db.Scalar(u"select count(*) from f where ucase(zddh) = \"KSH\""_s).toInt(), 1);
    QCOMPARE(db.Scalar(u"select count(*) from f where zddh in (\"KSH\")"_s).toInt(), 1);
    // The key is case-insensitive too: "ABC" is the row "abc"; and it refuses null.
    QVERIFY_THROWS_EXCEPTION(EZKSqlError, db.Exec({u"insert into k values (\"ABC\")"_s}));
    QVERIFY_THROWS_EXCEPTION(EZKSqlError, db.Exec({u"insert into k values (null)"_s}));
    db.Exec({u"create table k2 (a long primary key, b text(5))"_s, u"insert into k2 values (1, \"x\")"_s});
    QVERIFY_THROWS_EXCEPTION(EZKSqlError, db.Exec({u"insert into k2 (b) values (\"y\")"_s}));
}

void TstSqlDialect::nowIsTheLocalTime()
{
    TSqlTestDb db;
    db.Exec({u"create table t (id long, creation_time datetime)"_s, u"insert into t (id) values (1)"_s});
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    db.Exec({u"update t\r\n  set creation_time=now"_s});
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    const QVariant v = db.Scalar(u"select creation_time from t"_s);
    QCOMPARE(v.typeId(), QMetaType::QDateTime);
    QVERIFY(v.toDateTime() >= before && v.toDateTime() <= after);
}

void TstSqlDialect::counterNumbersNewRows()
{
    TSqlTestDb db;
    db.Exec({u"create table t (id counter, name text(10))"_s, u"insert into t (name) values (\"a\")"_s,
             u"insert into t (id, name) values (10, \"b\")"_s, u"insert into t (name) values (\"c\")"_s});
    QCOMPARE(db.Rows(u"select id, name from t order by id"_s), (QStringList{u"1|a"_s, u"10|b"_s, u"11|c"_s}));
}

void TstSqlDialect::selectIntoKeepsColumnTypes()
{
    TSqlTestDb db;
    db.Exec({u"create table src (pcdm binary(2), ksh text(14) with comp, bh double, primary key (ksh))"_s,
             u"insert into src values (\"1\", \"a1\", 3)"_s, u"insert into src values (\"2\", \"a2\", 4)"_s});
    QCOMPARE(db.Conn().ExecSQL(u"select * into src_tmp from src"_s), 2);
    const QList<TSqlFieldDef> columns = db.Conn().GetColumns(u"src_tmp"_s);
    QCOMPARE(columns[0].Kind, TSqlFieldKind::BinaryCode);
    QCOMPARE(columns[1].Kind, TSqlFieldKind::Text);
    QCOMPARE(columns[2].Kind, TSqlFieldKind::Double);
    QCOMPARE(columns[1].PrimaryKeyPart, 0); // as in Jet, the copy has no key
    QCOMPARE(db.Scalar(u"select count(*) from src_tmp where ksh = \"A1\""_s).toInt(), 1);
    // Expressions and parameters work too.
    TSqlQuery q(&db.Conn());
    q.SetSQL(u"select ksh + \"x\" as k2 into t2 from src where pcdm = :p"_s);
    SetCodeParam(q, u"p"_s, 1, u"2"_s);
    QCOMPARE(q.ExecSQL(), 1);
    QCOMPARE(db.Rows(u"select k2 from t2"_s), QStringList{u"a2x"_s});
}

void TstSqlDialect::selectIntoFailureLeavesNoTable()
{
    TSqlTestDb db;
    db.Exec({u"create table src (a text(5))"_s, u"insert into src values (\"x\")"_s});
    // The rows fail half-way (text + number is a type mismatch): no table is left behind.
    QVERIFY_THROWS_EXCEPTION(EZKSqlError, db.Conn().ExecSQL(u"select a + 1 as b into dst from src"_s));
    QVERIFY(!db.Conn().TableExists(u"dst"_s));
    // An existing target is an error, as in Jet.
    db.Exec({u"create table dst (b long)"_s});
    QVERIFY_THROWS_EXCEPTION(EZKSqlError, db.Conn().ExecSQL(u"select * into dst from src"_s));
}

void TstSqlDialect::topLimitsTheRightSelect()
{
    TSqlTestDb db;
    db.Exec({u"create table t (a long)"_s, u"insert into t values (3)"_s, u"insert into t values (1)"_s,
             u"insert into t values (2)"_s});
    QCOMPARE(db.Rows(u"select top 1 * from t order by a desc"_s), QStringList{u"3"_s});
    QCOMPARE(db.Rows(u"select a from t where a in (select top 1 a from t order by a) or a = 3 order by a"_s),
             (QStringList{u"1"_s, u"3"_s}));
}

void TstSqlDialect::twoTableUpdate()
{
    TSqlTestDb db;
    db.Exec({u"create table a (k text(5), x long, y long)"_s, u"create table b (k text(5), x long)"_s,
             u"insert into a values (\"p\", 1, 1)"_s, u"insert into a values (\"q\", 2, 2)"_s,
             u"insert into b values (\"P\", 10)"_s});
    QCOMPARE(db.Conn().ExecSQL(u"update a, b set a.x = b.x, y = b.x + 1 where a.k = b.k"_s), 1);
    QCOMPARE(db.Rows(u"select k, x, y from a order by k"_s), (QStringList{u"p|10|11"_s, u"q|2|2"_s}));
}

// Without a column list, the selected columns go into the target's columns of the same
// names, whatever their order; the target's other columns take their defaults.
void TstSqlDialect::insertSelectMatchesColumnsByName()
{
    TSqlTestDb db;
    db.Exec({u"create table t (a text(5), b long, c text(5))"_s, u"create table s (b long, a text(5))"_s,
             u"insert into s values (1, \"x\")"_s});
    QCOMPARE(db.Conn().ExecSQL({u"insert into t"_s, u"select b, a from s"_s}), 1);
    QCOMPARE(db.Rows(u"select a, b, c from t"_s), QStringList{u"x|1|NULL"_s});
    QVERIFY_THROWS_EXCEPTION(EZKSqlError,
                             db.Conn().ExecSQL(u"insert into s select * from t"_s)); // s has no c
}

void TstSqlDialect::tableOfAnotherFile()
{
    TSqlTestDb source;
    source.Exec({u"create table t_jhk (zydh text(2))"_s, u"insert into t_jhk values (\"01\")"_s});
    TSqlTestDb target;
    const QString src = u"\""_s + source.Path() + u"\""_s;
    QCOMPARE(target.Rows(u"select top 1 *\r\nfrom t_jhk in "_s + src), QStringList{u"01"_s});
    QCOMPARE(target.Rows(u"select count(*) from t_jhk in "_s + src +
                         u" where zydh in (select zydh from t_jhk in "_s + src + u")"_s),
             QStringList{u"1"_s});
    // A file that does not exist is an error, and nothing is created.
    const QString missing = source.FolderPath() + u"/none.mdb"_s;
    QVERIFY_THROWS_EXCEPTION(EZKSqlError, target.Rows(u"select * from t in \""_s + missing + u"\""_s));
    QVERIFY(!QFile::exists(missing));
}

QTEST_GUILESS_MAIN(TstSqlDialect)
#include "tst_SqlDialect.moc"
