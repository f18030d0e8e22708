// The empty databases the build writes into the program folder.

#include "SqlTestDb.h"
#include "TestSupport.h"
#include "store/Schema.h"
#include "store/SqlQuery.h"

#include <QDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TstShippedDatabases : public QObject
{
    Q_OBJECT

private slots:
    void tablesOfEachFile_data();
    void tablesOfEachFile();
    void stateTableHasItsRowAndColumns();
    void printSettingsHaveTheirRow();
    void fieldTablesHaveTheirColumnsAndIndex();
    void aCopyTakesTheProgramsStatements();

private:
    static QString Shipped(const QString &name) { return QDir(zktest::programFolder()).filePath(name); }
};

void TstShippedDatabases::tablesOfEachFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("tables");
    QTest::newRow("common") << u"ZelkinCCommon.mdb"_s << QStringList{u"T_ZYCSMBTJLX"_s};
    QTest::newRow("user") << u"ZelkinCUniv.mdb"_s << QStringList{u"T_TDDZDSX"_s, u"T_TDDZDXHKD"_s, u"bmxx"_s,
                                                                 u"cjxx"_s,      u"t_print_tdd"_s, u"zyxx"_s};
    QTest::newRow("user shared") << u"ZelkinCUnivShare.mdb"_s << QStringList{u"T_YXZT"_s};
}

void TstShippedDatabases::tablesOfEachFile()
{
    QFETCH(QString, file);
    QFETCH(QStringList, tables);
    TSqlConnection conn(JetConnectionPrefix + Shipped(file));
    conn.Open();
    QCOMPARE(conn.GetTableNames(), tables);
    TSqlQuery q(&conn);
    q.SetSQL(u"PRAGMA user_version"_s);
    q.Open();
    QCOMPARE(q.Value(0).toInt(), ZKSchemaVersion);
}

void TstShippedDatabases::stateTableHasItsRowAndColumns()
{
    TSqlConnection conn(Shipped(u"ZelkinCUnivShare.mdb"_s));
    conn.Open();
    TSqlQuery q(&conn);
    q.OpenTable(u"T_YXZT"_s);
    // Every column some operation reads or writes.
    for (const char *name :
         {"YXDM", "YXMC", "YHM", "YHKL", "creation_time", "GKLQZ", "ZDPCDM", "DQPCDM", "DQKLDM", "DQJHXZ",
          "zy_state_report", "XJXZZQ", "SJXZZQ", "ZDXZZP", "TDDXSDM", "JYKSYSWJ"})
        QVERIFY2(q.FieldIndex(QLatin1StringView(name)) >= 0, name);
    QVERIFY(!q.Eof());
    QVERIFY(!q.Value(u"creation_time"_s).isValid()); // set by the first import
    QCOMPARE(q.AsString(u"GKLQZ"_s), u"0"_s);
    QCOMPARE(q.AsString(u"ZDPCDM"_s), QString());
    QCOMPARE(q.Value(u"SJXZZQ"_s).toInt(), ZKShippedDefaults::DossierQueryPeriod);
    QCOMPARE(q.Value(u"XJXZZQ"_s).toInt(), ZKShippedDefaults::LetterQueryPeriod);
    QCOMPARE(q.AsString(u"zy_state_report"_s), u"0"_s);
    q.Next();
    QVERIFY(q.Eof()); // exactly one row
}

void TstShippedDatabases::printSettingsHaveTheirRow()
{
    TSqlConnection conn(Shipped(u"ZelkinCUniv.mdb"_s));
    conn.Open();
    TSqlQuery q(&conn);
    q.OpenTable(u"t_print_tdd"_s);
    QCOMPARE(q.AsString(u"TitleFontName"_s), QString(ZKShippedDefaults::PrintFontName));
    QCOMPARE(q.AsString(u"TableFontName"_s), QString(ZKShippedDefaults::PrintFontName));
    QCOMPARE(q.Value(u"TitleFontHeight"_s).toDouble(), ZKShippedDefaults::TitleFontHeight);
    QCOMPARE(q.Value(u"TableFontHeight"_s).toDouble(), ZKShippedDefaults::TableFontHeight);
    QCOMPARE(q.Value(u"HeaderHeight"_s).toDouble(), ZKShippedDefaults::HeaderHeight);
    q.Next();
    QVERIFY(q.Eof());
}

void TstShippedDatabases::fieldTablesHaveTheirColumnsAndIndex()
{
    TSqlConnection conn(Shipped(u"ZelkinCUniv.mdb"_s));
    conn.Open();
    QStringList names;
    for (const TSqlFieldDef &f : conn.GetColumns(u"T_TDDZDSX"_s))
        names.append(f.Name);
    QStringList expected{u"ZDDH"_s, u"ZDMC"_s, u"DMK"_s, u"ZDLX"_s, u"XH"_s, u"BX"_s};
    for (const QString &suffix : {QString(), u"_rank"_s}) {
        for (const char *stem : {"WZSY", "QSKD"}) {
            for (int width : {800, 1024, 1280, 1600})
                expected.append(QLatin1StringView(stem) + QString::number(width) + suffix);
        }
    }
    expected << u"DYKD"_s << u"XSZFS"_s << u"rank_only"_s;
    QCOMPARE(names, expected);

    TSqlTestDb probe(Shipped(u"ZelkinCUniv.mdb"_s));
    QCOMPARE(probe.Rows(u"select name from pragma_index_info(\"ZDDHINDEX\")"_s), QStringList{u"ZDDH"_s});
    QCOMPARE(probe.Rows(u"select tbl_name from sqlite_schema where name = \"ZDDHINDEX\""_s),
             QStringList{u"T_TDDZDSX"_s});

    const QList<TSqlFieldDef> layout = conn.GetColumns(u"T_TDDZDXHKD"_s);
    QCOMPARE(layout.size(), 8);
    for (int i = 0; i < 3; ++i) { // batch, category and plan nature: binary codes of one character
        QCOMPARE(layout[i].Kind, TSqlFieldKind::BinaryCode);
        QCOMPARE(layout[i].Size, 2);
    }
}

// The program copies the shipped files into the user's folder and runs its statements
// on the copies.
void TstShippedDatabases::aCopyTakesTheProgramsStatements()
{
    TSqlTestDb share(Shipped(u"ZelkinCUnivShare.mdb"_s));
    QCOMPARE(share.Conn().ExecSQL({u"UPDATE T_YXZT"_s, u"SET GKLQZ=\"1\""_s}), 1);
    QCOMPARE(share.Rows(u"select GKLQZ from T_YXZT"_s), QStringList{u"1"_s});
    TSqlTestDb univ(Shipped(u"ZelkinCUniv.mdb"_s));
    univ.Conn().ExecSQL(CreateTddbhStatement());
    QCOMPARE(univ.Conn().ExecSQL(u"update t_print_tdd set HeaderHeight = 30"_s), 1);
    QCOMPARE(univ.Conn().ExecSQL(u"insert into bmxx (xm) values (\"性别\")"_s), 1);
    // The shipped file itself is unchanged.
    TSqlTestDb again(Shipped(u"ZelkinCUnivShare.mdb"_s));
    QCOMPARE(again.Rows(u"select GKLQZ from T_YXZT"_s), QStringList{u"0"_s});
}

QTEST_GUILESS_MAIN(TstShippedDatabases)
#include "tst_ShippedDatabases.moc"
