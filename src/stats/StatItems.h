#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

class TMainDM;

// The groups of the statistics tree.
enum TStatGroup
{
    sgRegistration = 0,
    sgScore = 1,
    sgMajor = 2
};

// Leaves of the major group.
enum TStatMajorItem
{
    smFirstChoice = 0,
    smAdmissions = 1,
    smSatisfaction = 2
};

inline const QString StatRootCaption = QStringLiteral("统计信息");
inline const QString StatAllUnitsText = QStringLiteral("所有投档单位");
inline const QString StatAllUnitsPrintText = QStringLiteral("全部");

// The captions of the three groups.
const QStringList &StatGroupCaptions();

// A registration item: its dossier code column and its code table (its number among the
// 18 code tables).
struct TStatRegistrationItem
{
    QString Name;
    QString Column;
    int DMTableIndex;
};
const QList<TStatRegistrationItem> &StatRegistrationItems();

// The names of the leaves (ItemStrArray): row 0 the registration items, row 1 the score
// items ("预投基准分", then code + " " + name of each row of the score item table in its
// loaded order), row 2 the major items.
using TStatItemNames = std::array<QStringList, 3>;
TStatItemNames StatItemNames(const TMainDM &dm);

// The score column of a score leaf: ZYYTJZCJ for leaf 0, GKCJX + the item code otherwise.
// Throws EZKError when the item code does not make a plain identifier (SqlIdentifiers.h).
QString StatScoreColumn(const TMainDM &dm, int leaf);
// The grade type (position in RankCodeList) of a graded score leaf; -1 when the leaf is
// numeric (leaf 0, grades not supported, or an item without a grade type).
int StatScoreRankId(const TMainDM &dm, int leaf);

// The entries of the submission-unit list: "所有投档单位", then each current unit as its
// code, a space and its name, in workspace order.
QStringList StatUnitEntries(const TMainDM &dm);
// The code of an entry's unit; empty for entry 0 (all units) or an entry out of range.
QString StatUnitCode(const TMainDM &dm, int entry);
// The unit text that the printed report shows: code, space, name; "全部" for all units.
QString StatUnitPrintText(const TMainDM &dm, int entry);
