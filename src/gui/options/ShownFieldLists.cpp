#include "gui/options/ShownFieldLists.h"

#include "store/SqlQuery.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QStringList HiddenFieldsSQL = {
    u"SELECT T_TDDZDSX.ZDMC,T_TDDZDSX.ZDDH,T_TDDZDSX.XH,"_s,
    u"  T_TDDZDSX.BX,T_TDDZDXHKD.WZSY"_s,
    u"FROM T_TDDZDSX,T_TDDZDXHKD"_s,
    u"WHERE T_TDDZDXHKD.PCDM=:PCDM AND T_TDDZDXHKD.KLDM=:KLDM AND"_s,
    u"  T_TDDZDXHKD.JHXZ=:JHXZ AND "_s,
    u"  T_TDDZDXHKD.ZDDH=T_TDDZDSX.ZDDH AND T_TDDZDXHKD.WZSY<0"_s,
    u"ORDER BY T_TDDZDSX.XH"_s,
};

const QStringList ShownFieldsSQL = {
    u"SELECT T_TDDZDSX.ZDMC,T_TDDZDSX.ZDDH,T_TDDZDSX.XH,"_s,
    u"  T_TDDZDSX.BX,T_TDDZDXHKD.WZSY"_s,
    u"FROM T_TDDZDSX,T_TDDZDXHKD"_s,
    u"WHERE T_TDDZDXHKD.PCDM=:PCDM AND T_TDDZDXHKD.KLDM=:KLDM AND"_s,
    u"  T_TDDZDXHKD.JHXZ=:JHXZ AND"_s,
    u"  T_TDDZDXHKD.ZDDH=T_TDDZDSX.ZDDH AND T_TDDZDXHKD.WZSY>=0"_s,
    u"ORDER BY T_TDDZDXHKD.WZSY"_s,
};

void BindCurrentSet(TSqlQuery &query)
{
    const TZKMainDef &def = ZKMainDef();
    SetCodeParam(query, u"PCDM"_s, 1, def.CurPCDM);
    SetCodeParam(query, u"KLDM"_s, 1, def.CurKLDM);
    SetCodeParam(query, u"JHXZ"_s, 1, def.CurJHXZ);
}

QList<TShownFieldItem> ReadFields(TMainDM &dm, const QStringList &sql)
{
    TSqlQuery query(&dm.UnivConn);
    query.SetSQL(sql);
    BindCurrentSet(query);
    QList<TShownFieldItem> items;
    for (query.Open(); !query.Eof(); query.Next()) {
        TShownFieldItem item;
        item.ZDMC = query.AsString(0);
        item.ZDDH = query.AsString(1);
        item.XH = query.AsString(2);
        item.BX = query.AsString(3);
        item.WZSY = query.Value(4).isValid() ? query.Value(4).toInt() : -1;
        items.append(item);
    }
    return items;
}

// The selection of a list after an item left it: the same place, or the last item.
int SelectionAfterTaking(int taken, qsizetype remaining)
{
    if (remaining == 0)
        return -1;
    return std::min<int>(taken, int(remaining) - 1);
}

} // namespace

int TShownFieldItem::ImageIndex() const
{
    bool ok = false;
    const int value = BX.trimmed().toInt(&ok);
    return ok ? value : 0;
}

void TShownFieldLists::Load(TMainDM &dm)
{
    Exc = ReadFields(dm, HiddenFieldsSQL);
    Inc = ReadFields(dm, ShownFieldsSQL);
    ExcIndex = Exc.isEmpty() ? -1 : 0;
    IncIndex = Inc.isEmpty() ? -1 : 0;
    ApplyToAll = false;
}

void TShownFieldLists::SortExc()
{
    std::stable_sort(Exc.begin(), Exc.end(), [](const TShownFieldItem &a, const TShownFieldItem &b) {
        return a.XH.compare(b.XH, Qt::CaseInsensitive) < 0;
    });
}

bool TShownFieldLists::Add(int before)
{
    if (ExcIndex < 0 || ExcIndex >= Exc.size())
        return false;
    const TShownFieldItem item = Exc.takeAt(ExcIndex);
    const int place = before < 0 || before > Inc.size() ? int(Inc.size()) : before;
    Inc.insert(place, item);
    IncIndex = place;
    ExcIndex = SelectionAfterTaking(ExcIndex, Exc.size());
    return true;
}

bool TShownFieldLists::Remove()
{
    if (IncIndex < 0 || IncIndex >= Inc.size() || Inc[IncIndex].MustShow())
        return false;
    const TShownFieldItem item = Inc.takeAt(IncIndex);
    Exc.append(item);
    SortExc();
    // The moved field is found by its code: several items may share an order text.
    for (int i = 0; i < Exc.size(); ++i) {
        if (Exc[i].ZDDH == item.ZDDH) {
            ExcIndex = i;
            break;
        }
    }
    IncIndex = SelectionAfterTaking(IncIndex, Inc.size());
    return true;
}

bool TShownFieldLists::MoveUp()
{
    if (IncIndex <= 0 || IncIndex >= Inc.size())
        return false;
    Inc.swapItemsAt(IncIndex, IncIndex - 1);
    --IncIndex;
    return true;
}

bool TShownFieldLists::MoveDown()
{
    if (IncIndex < 0 || IncIndex >= Inc.size() - 1)
        return false;
    Inc.swapItemsAt(IncIndex, IncIndex + 1);
    ++IncIndex;
    return true;
}

bool TShownFieldLists::MoveWithin(int to)
{
    if (IncIndex < 0 || IncIndex >= Inc.size())
        return false;
    const int place = to < 0 || to >= Inc.size() ? int(Inc.size()) - 1 : to;
    if (place == IncIndex)
        return false;
    Inc.move(IncIndex, place);
    IncIndex = place;
    return true;
}

bool TShownFieldLists::AcceptsDrag(TSide from, TSide to) const
{
    if (from == TSide::Exc) {
        if (to != TSide::Inc || ExcIndex < 0 || ExcIndex >= Exc.size())
            return false;
        return !Exc[ExcIndex].MustShow();
    }
    if (IncIndex < 0 || IncIndex >= Inc.size())
        return false;
    return to == TSide::Inc || !Inc[IncIndex].MustShow();
}

bool TShownFieldLists::Drop(TSide from, TSide to, int target)
{
    if (!AcceptsDrag(from, to))
        return false;
    if (from == TSide::Exc)
        return Add(target);
    if (to == TSide::Exc)
        return Remove();
    return MoveWithin(target);
}

bool TShownFieldLists::Done(TMainDM &dm) const
{
    const TZKMainDef &def = ZKMainDef();
    TSqlQuery query(&dm.UnivConn);
    QString sql = u"update t_tddzdxhkd set wzsy=:wzsy1 where wzsy<>:wzsy2 and zddh=:zddh"_s;
    if (!ApplyToAll)
        sql += u" and pcdm=:pcdm and kldm=:kldm and jhxz=:jhxz"_s;
    query.SetSQL(sql);
    const auto store = [&](int place, const QString &zddh) {
        query.SetIntParam(u"wzsy1"_s, place);
        query.SetIntParam(u"wzsy2"_s, place);
        query.SetTextParam(u"zddh"_s, zddh);
        if (!ApplyToAll) {
            SetCodeParam(query, u"pcdm"_s, 1, def.CurPCDM);
            SetCodeParam(query, u"kldm"_s, 1, def.CurKLDM);
            SetCodeParam(query, u"jhxz"_s, 1, def.CurJHXZ);
        }
        query.ExecSQL();
    };

    // One transaction: the layout is stored whole or not at all.
    TSqlTransaction transaction(dm.UnivConn);
    bool changed = false;
    for (const TShownFieldItem &item : Exc) {
        const bool itemChanged = item.WZSY >= 0;
        changed = changed || itemChanged;
        if (itemChanged || ApplyToAll)
            store(-1, item.ZDDH);
    }
    for (int i = 0; i < Inc.size(); ++i) {
        const bool itemChanged = Inc[i].WZSY != i;
        changed = changed || itemChanged;
        if (itemChanged || ApplyToAll)
            store(i, Inc[i].ZDDH);
    }
    if (ApplyToAll) {
        TSqlQuery widths(&dm.UnivConn);
        widths.SetSQL(u"update t_tddzdxhkd set kd=:kd1 where kd<>:kd2 and zddh=:zddh"_s);
        const int dpi = std::max(1, dm.MainView().ScreenDotsPerInch());
        const int columns = std::min<int>(dm.ColumnNum, dm.Grid().ColumnCount());
        for (int i = 0; i < columns && i < dm.ZKColumn.size(); ++i) {
            const int width = (dm.Grid().ColumnWidth(i) - (i == 0 ? 16 : 0)) * 96 / dpi;
            widths.SetIntParam(u"kd1"_s, width);
            widths.SetIntParam(u"kd2"_s, width);
            widths.SetTextParam(u"zddh"_s, dm.ZKColumn[i].Name);
            widths.ExecSQL();
        }
    }
    transaction.Commit();
    return changed;
}
