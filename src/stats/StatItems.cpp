#include "StatItems.h"

#include "StatResult.h"
#include "store/SqlIdentifiers.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

using namespace Qt::StringLiterals;

QString StatColourText(TStatColour colour)
{
    return u"#%1"_s.arg(colour & 0xFFFFFF, 6, 16, QChar(u'0')).toUpper();
}

QString StatChartKindName(TStatChartKind kind)
{
    switch (kind) {
    case TStatChartKind::Pie:
        return u"pie"_s;
    case TStatChartKind::Bar:
        return u"bar"_s;
    case TStatChartKind::HBar:
        return u"hbar"_s;
    case TStatChartKind::None:
        break;
    }
    return QString();
}

const QStringList &StatGroupCaptions()
{
    static const QStringList captions{u"报名信息"_s, u"成绩信息"_s, u"专业信息"_s};
    return captions;
}

const QList<TStatRegistrationItem> &StatRegistrationItems()
{
    static const QList<TStatRegistrationItem> items{{u"性别"_s, u"XBDM"_s, 13},
                                                    {u"民族"_s, u"MZDM"_s, 8},
                                                    {u"考生类别"_s, u"KSLBDM"_s, 5},
                                                    {u"毕业类别"_s, u"BYLBDM"_s, 0},
                                                    {u"政治面貌"_s, u"ZZMMDM"_s, 17}};
    return items;
}

TStatItemNames StatItemNames(const TMainDM &dm)
{
    TStatItemNames names;
    for (const TStatRegistrationItem &item : StatRegistrationItems())
        names[sgRegistration].append(item.Name);
    names[sgScore].append(u"预投基准分"_s);
    for (const TDMRec &rec : dm.DMTables[TD_CJXDM])
        names[sgScore].append(rec.DM + u' ' + rec.DMMC);
    names[sgMajor] = QStringList{u"专业1报考取向"_s, u"各专业录取进展"_s, u"报考专业满足率"_s};
    return names;
}

QString StatScoreColumn(const TMainDM &dm, int leaf)
{
    if (leaf <= 0)
        return u"ZYYTJZCJ"_s;
    // The item code is the leader's: the column name it makes must be a plain identifier.
    const QString column = u"GKCJX"_s + dm.DMTables[TD_CJXDM].value(leaf - 1).DM;
    if (!IsPlainIdentifier(column))
        throw EZKError(IdentifierRefusalText(column));
    return column;
}

int StatScoreRankId(const TMainDM &dm, int leaf)
{
    if (leaf <= 0 || !ZKMainDef().RankScoreSupported)
        return -1;
    const int rankId = dm.CourseRankIdArray.value(leaf - 1, -1);
    return rankId >= 0 ? rankId : -1;
}

QStringList StatUnitEntries(const TMainDM &dm)
{
    QStringList entries{StatAllUnitsText};
    for (const auto &unit : dm.CurrentTDDWTable)
        entries.append(unit->TDDWDM + u' ' + unit->TDDWMC);
    return entries;
}

QString StatUnitCode(const TMainDM &dm, int entry)
{
    if (entry <= 0 || entry > int(dm.CurrentTDDWTable.size()))
        return QString();
    return dm.CurrentTDDWTable[size_t(entry - 1)]->TDDWDM;
}

QString StatUnitPrintText(const TMainDM &dm, int entry)
{
    if (entry <= 0 || entry > int(dm.CurrentTDDWTable.size()))
        return StatAllUnitsPrintText;
    const TCurrentTDDWItem &unit = *dm.CurrentTDDWTable[size_t(entry - 1)];
    return unit.TDDWDM + u' ' + unit.TDDWMC;
}
