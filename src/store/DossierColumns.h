#pragma once

#include "store/RecordField.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

// The columns of the recordsets a leader's server sends: the dossier recordset T_TDD
// and its companions (dossier packages), the code library, the plan library and the
// all-wishes rows. The client reads every column it names by name and creates a
// missing local table from a recordset's own fields, so these lists are what the
// shipped empty dossier file "T_TDD.adtg" and the stand-in's demo packages carry; both
// take them from here so they never drift apart.
//
// Types follow what the leader's server sends:
// - codes are fixed-length WSTR of the code's width (KSH 14, TDDW 3, ZYDH 2, a batch,
//   category or plan-nature code 1 …); a fixed column pads a shorter value with
//   spaces, which is how an empty unit ("   ") or major ("  ") arrives;
// - the batch, category and plan-nature codes of T_TDD, T_JHK, T_TDDW and
//   T_ZYYHLQZTB are 2-byte BYTES columns holding the code's UTF-16 text (the
//   server's binary code columns); those of T_QBZYK and of the code tables are WSTR;
// - flags are fixed WSTR(1) holding "0" or "1"; scores R8 (NULL: no such score);
//   counts, package numbers and layout numbers I4; dates of the résumé DATE; free
//   texts variable WSTR, the remark BZ a long (memo) WSTR;
// - key columns carry KEYCOLUMN and are not nullable; every other column is nullable.

// A score item of TD_CJXDM: its dossier column is "GKCJX" + CJXDM.
struct TScoreItem
{
    QString CJXDM;   // 2 characters
    QString CJXMC;   // name
    QString CJXLXDM; // "000" numeric, else the grade type (td_cjxlxdm) of a graded item
};

// A grade type of td_cjxlxdm with its grade texts (td_djdm: grade number = position).
struct TGradeType
{
    QString CJXLXDM;
    QString CJXLXMC;
    QStringList Grades; // lowest first
};

// What shapes a province's dossier recordset: its score items and, with rank scores
// (graded-score mode), its grade types.
struct TDossierScheme
{
    QList<TScoreItem> ScoreItems;
    QList<TGradeType> GradeTypes; // only used when RankScores
    bool RankScores = false;
};

// A province with plain numeric scores (the shipped "T_TDD.adtg" uses it): 语文,
// 数学, 外语, 综合, 外语听力.
TDossierScheme TypicalDossierScheme();
// A province in graded-score mode: numeric 语文, 数学, 外语; six electives graded on
// the type "001" (D, C, B, B+, A, A+); the required subjects graded on "002" (D, C,
// B, A).
TDossierScheme GradedDossierScheme();

// One dossier field as the leader's field attributes (T_TDDZDSX) describe it.
struct TDossierColumn
{
    TRecordField Field;    // Field.Name is the field code ZDDH
    QString Caption;       // ZDMC
    QChar Letter;          // ZDLX
    QString CodeTable;     // DMK, empty when none
    bool RankOnly = false; // only with rank scores (rank_only = "1")
    int DisplayChars = 0;  // XSZFS
    // False for the grid's computed fields (row number "XH", health restrictions
    // "TJSX"): described by T_TDDZDSX, not a column of T_TDD.
    bool InRecordset = true;
    // False for the import's work mark TASK_TAG: a column of T_TDD that no field
    // attribute row describes.
    bool Described = true;
};

// Every dossier field in the leader's order: the columns of T_TDD (the six-fold
// columns written out, one "GKCJX" + code column per score item, the rank columns
// when the scheme has rank scores) and the computed grid fields. RankOnly fields are
// listed only when the scheme has rank scores, unless withRankOnly asks for them
// anyway (the field attributes list them in every province).
QList<TDossierColumn> DossierColumns(const TDossierScheme &scheme, bool withRankOnly = false);

// The fields of the dossier recordset T_TDD ("KSH" the key).
QList<TRecordField> TDDFields(const TDossierScheme &scheme);
// Academic proficiency scores, key KSH;CJXDM.
QList<TRecordField> KSHKCJFields();
// Résumé lines, key KSH;QSRQ;ZJRQ.
QList<TRecordField> KSJLFields();
// Health checks, key KSH: TJJLDM, ZYSXDM1…6 and the examination's columns (those the
// candidate page names: NK_FYQK, JWBSBZ, KQ_SFKC, YK_SJJCT, EB_XJ, and more).
QList<TRecordField> TJXXFields();
// The columns of T_TJXX that the candidate page shows with the "<#1Y" texts (1
// 正常, 2 其他).
QStringList TJXXNormalOtherColumns();
// All wishes, key KSH;PCDM;KLDM;JHXZDM;ZYH;TDDW; ZYDH1, ZYMC1 … ZYDH6, ZYMC6.
QList<TRecordField> QBZYKFields();

// Code library members.
QList<TRecordField> YXZTFields();         // "T_YXZT.adtg": YXDM, YXMC, SSDM
QList<TRecordField> CommonParamsFields(); // "t_common_params.adtg"
QList<TRecordField> TDDZDSXFields();      // "T_TDDZDSX.adtg", as the shipped table
QList<TRecordField> TDDWFields();         // "T_TDDW.adtg"

// A code table: its name, its code and name columns and its fields (code column
// first, the key; then the name; then the table's further columns).
struct TCodeTableDef
{
    QString TableName;
    QString DMField;
    QString MCField;
    QList<TRecordField> Fields;
};
// The 18 numbered code tables in their fixed order (TD_BYLBDM … TD_ZZMMDM), with the
// code widths the demo data uses and the further columns CJXLXDM (TD_CJXDM), JBKL
// (TD_KLDM), GBPCDM and GBCCDM (TD_PCDM), ZGF and XDX (TD_ZCDM).
QList<TCodeTableDef> NumberedCodeTables();
TCodeTableDef ZYLBDMTable();      // TD_ZYLBDM: ZYLBDM (I4), ZYLBMC
TCodeTableDef ZYSXDMTable();      // TD_ZYSXDM: ZYSXDM, ZYSXNR
TCodeTableDef CJXLXDMTable();     // td_cjxlxdm: CJXLXDM, CJXLXMC, CJXSM (I4)
QList<TRecordField> DJDMFields(); // td_djdm: cjxlxdm, cj (I4), dj

// Plan library members.
QList<TRecordField> ZYYHLQZTBFields();          // "T_ZYYHLQZTB.adtg" → T_KLJHXZZT
QList<TRecordField> JHKFields(bool rankScores); // yxxckm, jzxckm with rank scores
QList<TRecordField> TDDWCSMBFields();
QList<TRecordField> TDDWCSMBZYJCBFields();
QList<TRecordField> ZYCSMBFields();
QList<TRecordField> ZYCSMBXZTJBFields();
QList<TRecordField> ZYCSMBZDCJBFields();
