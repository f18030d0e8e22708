#include "store/Schema.h"

#include "store/SqlConnection.h"

using namespace Qt::StringLiterals;

namespace {

// The state of the institution and the user; one row.
TTableDefinition YXZT()
{
    using namespace ZKShippedDefaults;
    return {
        ZKTable::T_YXZT,
        {u"create table T_YXZT ("
         "YXDM text(20) with comp, YXMC text(100) with comp, YHM text(50) with comp, "
         "YHKL text(144) with comp, creation_time datetime, GKLQZ text(1) with comp, "
         "ZDPCDM text(10) with comp, DQPCDM text(10) with comp, DQKLDM text(10) with comp, "
         "DQJHXZ text(10) with comp, zy_state_report text(1) with comp, XJXZZQ long, SJXZZQ long, "
         "ZDXZZP text(1) with comp, TDDXSDM text(1) with comp, JYKSYSWJ text(1) with comp)"_s,
         // creation_time stays empty until the first import sets it.
         u"insert into T_YXZT (YXDM, YXMC, YHM, YHKL, creation_time, GKLQZ, ZDPCDM, DQPCDM, DQKLDM, "
         "DQJHXZ, zy_state_report, XJXZZQ, SJXZZQ, ZDXZZP, TDDXSDM, JYKSYSWJ) "
         "values (\"\", \"\", \"\", \"\", null, \"0\", \"\", \"\", \"\", \"\", \"0\", %1, %2, \"1\", \"0\", \"1\")"_s
             .arg(LetterQueryPeriod)
             .arg(DossierQueryPeriod)}};
}

TTableDefinition PrintTdd()
{
    using namespace ZKShippedDefaults;
    return {ZKTable::t_print_tdd,
            {u"create table t_print_tdd (TitleFontName text(32) with comp, TitleFontHeight double, "
             "TableFontName text(32) with comp, TableFontHeight double, HeaderHeight double)"_s,
             u"insert into t_print_tdd (TitleFontName, TitleFontHeight, TableFontName, TableFontHeight, "
             "HeaderHeight) values (\"%1\", %2, \"%1\", %3, %4)"_s.arg(PrintFontName)
                 .arg(TitleFontHeight)
                 .arg(TableFontHeight)
                 .arg(HeaderHeight)}};
}

TTableDefinition TDDZDSX()
{
    QString layout;
    for (const QString &suffix : {QString(), u"_rank"_s}) {
        for (const char *stem : {"WZSY", "QSKD"}) {
            for (int width : ZKScreenClassWidths)
                layout += u"%1%2%3 long, "_s.arg(QLatin1StringView(stem)).arg(width).arg(suffix);
        }
    }
    return {
        ZKTable::T_TDDZDSX,
        {u"create table T_TDDZDSX (ZDDH text(32) with comp, ZDMC text(50) with comp, "
         "DMK text(32) with comp, ZDLX text(2) with comp, XH text(10) with comp, BX text(2) with comp, "_s +
             layout + u"DYKD long, XSZFS long, rank_only text(1) with comp)"_s,
         u"create index ZDDHINDEX on T_TDDZDSX (ZDDH)"_s}};
}

TTableDefinition TDDZDXHKD()
{
    return {ZKTable::T_TDDZDXHKD,
            {u"create table T_TDDZDXHKD (PCDM binary(2), KLDM binary(2), JHXZ binary(2), "
             "ZDDH text(32) with comp, WZSY long, KD long, DYWZ long, DYKD long)"_s,
             // The layout is located and updated by set and field.
             u"create index TDDZDXHKDINDEX on T_TDDZDXHKD (PCDM, KLDM, JHXZ, ZDDH)"_s}};
}

TTableDefinition ZYCSMBTJLX()
{
    return {ZKTable::T_ZYCSMBTJLX,
            {u"create table T_ZYCSMBTJLX (TJLXDM text(10) with comp, TJLXMC text(50) with comp, "
             "primary key (TJLXDM))"_s}};
}

QList<TTableDefinition> StatisticsTables()
{
    return {{ZKTable::bmxx,
             {u"create table bmxx (xm text(20) with comp, xmmc text(20) with comp, rs text(5) with comp, "
              "szbl text(16) with comp)"_s}},
            {ZKTable::cjxx,
             {u"create table cjxx (xm text(20) with comp, fsd text(20) with comp, rs text(20) with comp, "
              "szbl text(20) with comp)"_s}},
            {ZKTable::zyxx,
             {u"create table zyxx (xm text(20) with comp, zymc text(30) with comp, jhrs text(10) with comp, "
              "bk_lqrs text(20) with comp, bl text(20) with comp)"_s}}};
}

} // namespace

QString ShippedDatabaseFileName(TShippedDatabase db)
{
    switch (db) {
    case TShippedDatabase::Common:
        return ZKDatabase::Common;
    case TShippedDatabase::Univ:
        return ZKDatabase::Univ;
    case TShippedDatabase::UnivShare:
        break;
    }
    return ZKDatabase::UnivShare;
}

QList<TTableDefinition> ShippedTables(TShippedDatabase db)
{
    switch (db) {
    case TShippedDatabase::Common:
        return {ZYCSMBTJLX()};
    case TShippedDatabase::Univ:
        return QList<TTableDefinition>{TDDZDSX(), TDDZDXHKD()} + StatisticsTables() + QList{PrintTdd()};
    case TShippedDatabase::UnivShare:
        break;
    }
    return {YXZT()};
}

void CreateShippedDatabase(TShippedDatabase db, const QString &path)
{
    TSqlConnection::CreateDatabase(path);
    TSqlConnection conn(path);
    conn.Open();
    TSqlTransaction transaction(conn);
    for (const TTableDefinition &table : ShippedTables(db)) {
        for (const QString &statement : table.Statements)
            conn.ExecSQL(statement);
    }
    conn.ExecSQL(u"PRAGMA user_version = %1"_s.arg(ZKSchemaVersion));
    transaction.Commit();
}

QStringList CreateTddbhStatement()
{
    return {u"create table t_tddbh ("_s, u"  ksh char(14),"_s, u"  bh double,"_s, u"  primary key(ksh))"_s};
}
