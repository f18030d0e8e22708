#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The local tables: their names, the names of the columns the program uses, and the
// definitions of the tables that the program ships or creates itself. Received tables
// (the dossiers, the plan, the code tables …) are created from the leader's recordsets
// and are not defined here.

// The three database files (SQLite files that keep these names).
namespace ZKDatabase {
inline constexpr QLatin1StringView Common("ZelkinCCommon.mdb");
inline constexpr QLatin1StringView Univ("ZelkinCUniv.mdb");
inline constexpr QLatin1StringView UnivShare("ZelkinCUnivShare.mdb");
} // namespace ZKDatabase

namespace ZKTable {
// Dossiers and their companions.
inline constexpr QLatin1StringView T_TDD("T_TDD");
inline constexpr QLatin1StringView t_tddbh("t_tddbh");
inline constexpr QLatin1StringView T_KSHKCJ("T_KSHKCJ");
inline constexpr QLatin1StringView T_KSJL("T_KSJL");
inline constexpr QLatin1StringView T_TJXX("T_TJXX");
inline constexpr QLatin1StringView T_QBZYK("T_QBZYK");
// Plan and state.
inline constexpr QLatin1StringView T_JHK("T_JHK");
inline constexpr QLatin1StringView T_TDDW("T_TDDW");
inline constexpr QLatin1StringView T_KLJHXZZT("T_KLJHXZZT");
inline constexpr QLatin1StringView T_YXZT("T_YXZT");
// Field layout and printing.
inline constexpr QLatin1StringView T_TDDZDSX("T_TDDZDSX");
inline constexpr QLatin1StringView T_TDDZDXHKD("T_TDDZDXHKD");
inline constexpr QLatin1StringView t_print_tdd("t_print_tdd");
// Check templates.
inline constexpr QLatin1StringView T_TDDWCSMB("T_TDDWCSMB");
inline constexpr QLatin1StringView T_TDDWCSMBZYJCB("T_TDDWCSMBZYJCB");
inline constexpr QLatin1StringView T_ZYCSMB("T_ZYCSMB");
inline constexpr QLatin1StringView T_ZYCSMBXZTJB("T_ZYCSMBXZTJB");
inline constexpr QLatin1StringView T_ZYCSMBZDCJB("T_ZYCSMBZDCJB");
inline constexpr QLatin1StringView T_ZYCSMBTJLX("T_ZYCSMBTJLX");
// Further code tables and parameters (the 18 numbered code tables are listed with the
// program-wide definitions).
inline constexpr QLatin1StringView TD_ZYLBDM("TD_ZYLBDM");
inline constexpr QLatin1StringView TD_ZYSXDM("TD_ZYSXDM");
inline constexpr QLatin1StringView td_cjxlxdm("td_cjxlxdm");
inline constexpr QLatin1StringView td_djdm("td_djdm");
inline constexpr QLatin1StringView t_common_params("t_common_params");
// Statistics work tables.
inline constexpr QLatin1StringView bmxx("bmxx");
inline constexpr QLatin1StringView cjxx("cjxx");
inline constexpr QLatin1StringView zyxx("zyxx");
} // namespace ZKTable

// Columns the program names. Several tables share a name (PCDM …).
namespace ZKField {
inline constexpr QLatin1StringView KSH("KSH");
inline constexpr QLatin1StringView XM("XM");
inline constexpr QLatin1StringView PCDM("PCDM");
inline constexpr QLatin1StringView KLDM("KLDM");
inline constexpr QLatin1StringView JHXZ("JHXZ");
inline constexpr QLatin1StringView JHXZDM("JHXZDM");
inline constexpr QLatin1StringView TDDW("TDDW");
inline constexpr QLatin1StringView DQTDDW("DQTDDW");
inline constexpr QLatin1StringView ZYDH("ZYDH");
inline constexpr QLatin1StringView KSZT("KSZT");
inline constexpr QLatin1StringView LQZY("LQZY");
inline constexpr QLatin1StringView YTZY("YTZY");
inline constexpr QLatin1StringView TDYYDM("TDYYDM");
inline constexpr QLatin1StringView BZ("BZ");
inline constexpr QLatin1StringView LQFS("LQFS");
inline constexpr QLatin1StringView BH("BH");
inline constexpr QLatin1StringView TASK_TAG("TASK_TAG");
inline constexpr QLatin1StringView CJXDM("CJXDM");
// T_KLJHXZZT
inline constexpr QLatin1StringView DQTDDBH("DQTDDBH");
inline constexpr QLatin1StringView ZT("ZT");
inline constexpr QLatin1StringView DQTDDWDM("DQTDDWDM");
inline constexpr QLatin1StringView DQZYDH("DQZYDH");
inline constexpr QLatin1StringView PXZDDH("PXZDDH");
inline constexpr QLatin1StringView ZDTDZY("ZDTDZY");
// T_YXZT
inline constexpr QLatin1StringView YXDM("YXDM");
inline constexpr QLatin1StringView YXMC("YXMC");
inline constexpr QLatin1StringView YHM("YHM");
inline constexpr QLatin1StringView YHKL("YHKL");
inline constexpr QLatin1StringView creation_time("creation_time");
inline constexpr QLatin1StringView GKLQZ("GKLQZ");
inline constexpr QLatin1StringView ZDPCDM("ZDPCDM");
inline constexpr QLatin1StringView DQPCDM("DQPCDM");
inline constexpr QLatin1StringView DQKLDM("DQKLDM");
inline constexpr QLatin1StringView DQJHXZ("DQJHXZ");
inline constexpr QLatin1StringView zy_state_report("zy_state_report");
inline constexpr QLatin1StringView XJXZZQ("XJXZZQ");
inline constexpr QLatin1StringView SJXZZQ("SJXZZQ");
inline constexpr QLatin1StringView ZDXZZP("ZDXZZP");
inline constexpr QLatin1StringView TDDXSDM("TDDXSDM");
inline constexpr QLatin1StringView JYKSYSWJ("JYKSYSWJ");
// T_TDDZDSX and T_TDDZDXHKD
inline constexpr QLatin1StringView ZDDH("ZDDH");
inline constexpr QLatin1StringView ZDMC("ZDMC");
inline constexpr QLatin1StringView DMK("DMK");
inline constexpr QLatin1StringView ZDLX("ZDLX");
inline constexpr QLatin1StringView XH("XH");
inline constexpr QLatin1StringView BX("BX");
inline constexpr QLatin1StringView DYKD("DYKD");
inline constexpr QLatin1StringView XSZFS("XSZFS");
inline constexpr QLatin1StringView rank_only("rank_only");
inline constexpr QLatin1StringView WZSY("WZSY");
inline constexpr QLatin1StringView KD("KD");
inline constexpr QLatin1StringView DYWZ("DYWZ");
// t_print_tdd
inline constexpr QLatin1StringView TitleFontName("TitleFontName");
inline constexpr QLatin1StringView TitleFontHeight("TitleFontHeight");
inline constexpr QLatin1StringView TableFontName("TableFontName");
inline constexpr QLatin1StringView TableFontHeight("TableFontHeight");
inline constexpr QLatin1StringView HeaderHeight("HeaderHeight");
} // namespace ZKField

// The screen classes whose default layout columns T_TDDZDSX carries (WZSY800 …).
inline constexpr int ZKScreenClassWidths[] = {800, 1024, 1280, 1600};

// Initial values of the single rows that ship.
namespace ZKShippedDefaults {
// A font with Chinese glyphs that Linux desktops have (fonts-wqy-microhei).
inline constexpr QLatin1StringView PrintFontName("WenQuanYi Micro Hei");
inline constexpr double TitleFontHeight = 24; // pixels at 96 dots per inch
inline constexpr double TableFontHeight = 14; // pixels at 96 dots per inch
inline constexpr double HeaderHeight = 24;    // row height, pixels at 96 dots per inch
inline constexpr int DossierQueryPeriod = 10; // SJXZZQ: every 10 minutes, switched on
inline constexpr int LetterQueryPeriod = -10; // XJXZZQ: switched off (no letter query here)
} // namespace ZKShippedDefaults

// A table the program defines: the statements (Jet dialect) that create it with its
// indexes and, for the single-row tables, their row.
struct TTableDefinition
{
    QString Name;
    QStringList Statements;
};

enum class TShippedDatabase
{
    Common,
    Univ,
    UnivShare
};

// The file name of a shipped database.
QString ShippedDatabaseFileName(TShippedDatabase db);
// The tables a shipped database holds, in creation order.
QList<TTableDefinition> ShippedTables(TShippedDatabase db);
// Writes the shipped database to path (a new file; an existing one is an error).
// Throws EZKError.
void CreateShippedDatabase(TShippedDatabase db, const QString &path);

// The statement that creates t_tddbh at a user's first set-up, line by line.
QStringList CreateTddbhStatement();

// Schema version of the shipped databases (PRAGMA user_version).
inline constexpr int ZKSchemaVersion = 1;
