#include "templates/MBDataModule.h"

#include "store/SqlDetached.h"
#include "store/SqlQuery.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "templates/FieldValues.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The position at which a number goes into a sorted lookup list (after its equals, so
// that a duplicate lands behind the earlier one), comparing without regard to case.
qsizetype InsertPosition(const QStringList &lookup, const QString &number)
{
    const auto it =
        std::upper_bound(lookup.begin(), lookup.end(), number, [](const QString &a, const QString &b) {
            return QString::compare(a, b, Qt::CaseInsensitive) < 0;
        });
    return it - lookup.begin();
}

// The first position of a number in a sorted lookup list, -1 when absent.
qsizetype FindNumber(const QStringList &lookup, const QString &number)
{
    const auto it =
        std::lower_bound(lookup.begin(), lookup.end(), number, [](const QString &a, const QString &b) {
            return QString::compare(a, b, Qt::CaseInsensitive) < 0;
        });
    if (it == lookup.end() || QString::compare(*it, number, Qt::CaseInsensitive) != 0)
        return -1;
    return it - lookup.begin();
}

// Positions the template table on the row of a number; false when there is none.
bool LocateTemplate(TRecordset &table, const QString &MBH)
{
    return table.Locate(u"mbh"_s, QVariant(QuotedLocateValue(MBH)));
}

// The level-difference rows of a template and kind ("1" wish level, "2" major level).
TRecordset LevelRows(TSqlConnection &conn, const QString &MBH, const QString &JCLX)
{
    TRecordset rows = OpenTableRows(conn, u"T_TDDWCSMBZYJCB"_s);
    rows.SetFilter(u"MBH="_s + QuotedLocateValue(MBH) + u" AND JCLX="_s + QuotedLocateValue(JCLX));
    return rows;
}

void ReadWishLevels(TSqlConnection &conn, TTDDWCSMB &mb)
{
    TRecordset rows = LevelRows(conn, mb.FMBH, u"1"_s);
    for (rows.First(); !rows.Eof(); rows.Next()) {
        // The wish position is one character; anything that is no position fills entry 35.
        int k = CodeCharValue(rows.FieldByName(u"XH").AsString());
        if (k == 0)
            k = TTDDWCSMB::WishCount;
        mb.SetZhiYuanJc(k, int(rows.FieldByName(u"JCFS").AsInteger()));
    }
}

void ReadMajorLevels(TSqlConnection &conn, TTDDWCSMB &mb)
{
    TRecordset rows = LevelRows(conn, mb.FMBH, u"2"_s);
    for (rows.First(); !rows.Eof(); rows.Next()) {
        const int k = IntOrDefault(rows.FieldByName(u"XH").Value(), TTDDWCSMB::MajorCount);
        if (k >= 1 && k <= TTDDWCSMB::MajorCount)
            mb.SetZyJc(k, int(rows.FieldByName(u"JCFS").AsInteger()));
    }
}

QStringList TemplateQuery(const QString &templateTable, const QString &ownerTable)
{
    return {u"SELECT DISTINCT %1.MBH "_s.arg(templateTable),
            u"FROM %1,%2"_s.arg(templateTable, ownerTable),
            u"WHERE %1.MBH=%2.CSMBH"_s.arg(templateTable, ownerTable),
            u"  AND %1.PCDM=:PCDM "_s.arg(ownerTable),
            u"  AND %1.KLDM=:KLDM"_s.arg(ownerTable),
            u"  AND %1.JHXZ=:JHXZ"_s.arg(ownerTable),
            u"ORDER BY %1.MBH"_s.arg(templateTable)};
}

} // namespace

TSqlConnection &TMBDataModule::Conn() const
{
    if (!FConn)
        throw EZKError(u"TMBDataModule: no database connection"_s);
    return *FConn;
}

void TMBDataModule::SetRankCodes(int rankCodeCount, const QHash<QString, int> &maskableRankPositions)
{
    FRankCodeCount = rankCodeCount;
    FMaskableRankPositions.clear();
    for (auto it = maskableRankPositions.begin(); it != maskableRankPositions.end(); ++it)
        FMaskableRankPositions.insert(it.key().toCaseFolded(), it.value());
}

QStringList TMBDataModule::TemplateNumbers(const QStringList &sql) const
{
    const TZKMainDef &def = ZKMainDef();
    TSqlQuery query(&Conn());
    query.SetSQL(sql);
    SetCodeParam(query, u"PCDM"_s, 1, def.CurPCDM);
    SetCodeParam(query, u"KLDM"_s, 1, def.CurKLDM);
    SetCodeParam(query, u"JHXZ"_s, 1, def.CurJHXZ);
    QStringList numbers;
    for (query.Open(); !query.Eof(); query.Next())
        numbers.append(query.AsString(0));
    return numbers;
}

void TMBDataModule::Clear()
{
    FTddwLookup.clear();
    FTddwList.clear();
    FZyLookup.clear();
    FZyList.clear();
}

void TMBDataModule::InitTddwCSMB()
{
    FTddwLookup.clear();
    FTddwList.clear();
    // The template table is read once, not once per template.
    TRecordset table = OpenTableRows(Conn(), u"T_TDDWCSMB"_s);
    for (const QString &number : TemplateNumbers(TemplateQuery(u"T_TDDWCSMB"_s, u"T_TDDW"_s))) {
        const qsizetype at = InsertPosition(FTddwLookup, number);
        FTddwLookup.insert(at, number);
        FTddwList.insert(FTddwList.begin() + at, ReadTddwCSMB(table, number));
    }
}

std::unique_ptr<TTDDWCSMB> TMBDataModule::ReadTddwCSMB(TRecordset &table, const QString &MBH) const
{
    if (!LocateTemplate(table, MBH))
        return nullptr;
    const bool graded = ZKMainDef().RankScoreSupported;
    auto mb = std::make_unique<TTDDWCSMB>();
    mb->FMBH = table.FieldByName(u"MBH").AsString();
    mb->FMBMC = table.FieldByName(u"MBMC").AsString();
    if (graded) {
        mb->SetZhiYuanJbZt(2);
    } else {
        mb->SetZhiYuanJbZt(IntOrDefault(table.FieldByName(u"ZYJBZT").Value(), 2));
        if (mb->FZhiYuanJbZt() == 3)
            ReadWishLevels(Conn(), *mb);
    }
    mb->SetZyJbZt(IntOrDefault(table.FieldByName(u"ZYZYJBZT").Value(), 2));
    if (mb->FZyJbZt() == 3)
        ReadMajorLevels(Conn(), *mb);
    mb->FZyTjLowPrio = table.FieldByName(u"zytj_low_prio").AsString() == u"1"_s;
    if (graded) {
        const int order = IntOrDefault(table.FieldByName(u"rank_score_order").Value(), 1);
        mb->FRankScoreOrder = order >= 1 && order <= 3 ? order : 1;
    }
    return mb;
}

TTDDWCSMB *TMBDataModule::GetTddwCSMB(const QString &MBH) const
{
    const qsizetype at = FindNumber(FTddwLookup, MBH);
    return at < 0 ? nullptr : FTddwList.at(size_t(at)).get();
}

void TMBDataModule::InitZYCSMB()
{
    FZyLookup.clear();
    FZyList.clear();
    TRecordset table = OpenTableRows(Conn(), u"T_ZYCSMB"_s);
    for (const QString &number : TemplateNumbers(TemplateQuery(u"T_ZYCSMB"_s, u"T_JHK"_s))) {
        const qsizetype at = InsertPosition(FZyLookup, number);
        FZyLookup.insert(at, number);
        FZyList.insert(FZyList.begin() + at, ReadZYCSMB(table, number));
    }
}

std::unique_ptr<TZYCSMB> TMBDataModule::ReadZYCSMB(TRecordset &table, const QString &MBH) const
{
    if (!LocateTemplate(table, MBH))
        return nullptr;
    const bool graded = ZKMainDef().RankScoreSupported;
    auto mb = std::make_unique<TZYCSMB>();
    if (graded)
        mb->FRankMaskStatus = QList<bool>(FRankCodeCount, false);
    mb->FMBH = table.FieldByName(u"MBH").AsString();
    mb->FMBMC = table.FieldByName(u"MBMC").AsString();
    if (graded) {
        // Pieces are separated by ";" and by every control character or space.
        QString list = table.FieldByName(u"masked_rank_list").AsString();
        for (QChar &c : list) {
            if (c.unicode() >= 1 && c.unicode() <= 32)
                c = u';';
        }
        for (const QString &piece : list.split(u';', Qt::SkipEmptyParts)) {
            const int position = FMaskableRankPositions.value(piece.toCaseFolded(), -1);
            if (position >= 0 && position < mb->FRankMaskStatus.size())
                mb->FRankMaskStatus[position] = true;
        }
    }
    return mb;
}

TZYCSMB *TMBDataModule::GetZYCSMB(const QString &MBH) const
{
    const qsizetype at = FindNumber(FZyLookup, MBH);
    return at < 0 ? nullptr : FZyList.at(size_t(at)).get();
}
