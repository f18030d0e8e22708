#include "workspace/WorkspaceItems.h"

#include "templates/FieldValues.h"
#include "templates/TddwCSMB.h"
#include "workspace/CandidateOrder.h"

#include <algorithm>

using namespace Qt::StringLiterals;

int KsZtOf(const QString &kszt)
{
    return IntOrDefault(kszt, 0);
}

QString KsZtText(int kszt)
{
    switch (kszt) {
    case 1:
        return u"预录取"_s;
    case 2:
        return u"预退档未发送"_s;
    case 3:
        return u"退档已发送"_s;
    case 4:
        return u"发档至组员"_s;
    case 5:
        return u"已录取"_s;
    default:
        return u"专业未定"_s;
    }
}

QString KsZtValueLabel(int kszt)
{
    switch (kszt) {
    case 1:
    case 4:
        return u"预录专业"_s;
    case 2:
    case 3:
        return u"退档原因"_s;
    case 5:
        return u"录取专业"_s;
    default:
        return {};
    }
}

bool KsZtHasMajor(int kszt)
{
    return kszt == 1 || kszt == 4 || kszt == 5;
}

bool KsZtIsReturned(int kszt)
{
    return kszt == 2 || kszt == 3;
}

QString ZtName(int zt)
{
    switch (zt) {
    case 0:
        return u"未开始"_s;
    case 1:
        return u"阅档中"_s;
    case 2:
        return u"审核中"_s;
    case 3:
        return u"录取结束"_s;
    default:
        return {};
    }
}

void TKSItem::SetZyXh(int JhRecCount)
{
    ZyXh = 0;
    if (LqZyId >= JhRecCount)
        return;
    for (int i = 1; i <= 6; ++i) {
        if (ZyId[size_t(i)] == LqZyId) {
            ZyXh = i;
            return;
        }
    }
}

void TKSItem::SetTddwDxCj(const TTDDWCSMB *unitTemplate)
{
    if (Tddw != DqTddw || Tddw < 0) {
        ZyytTddwDxCj = NoScoreValue;
        return;
    }
    if (!unitTemplate) {
        ZyytTddwDxCj = ZyytJzCj;
        return;
    }
    switch (KsZt) {
    case 0:
    case 2:
    case 3:
        ZyytTddwDxCj = unitTemplate->CalcDxCj(ZyytJzCj, ZhiYuanXh, 1);
        break;
    case 1:
    case 4:
    case 5:
        ZyytTddwDxCj = unitTemplate->CalcDxCj(ZyytJzCj, ZhiYuanXh, ZyXh);
        break;
    default:
        break;
    }
}

void TJHItem::SetFJhs(int places)
{
    FJhsValue = places < 0 ? 0 : places;
    // Only room for a usual major: the places come from the leader's plan as they are.
    KsList.reserve(std::min(FJhsValue, 1024));
}

void TJHItem::SetTjSxDm(const QString &TJSXBZ)
{
    QStringList codes = TJSXBZ.split(u';', Qt::SkipEmptyParts);
    std::sort(codes.begin(), codes.end(),
              [](const QString &a, const QString &b) { return QString::localeAwareCompare(a, b) < 0; });
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    TjSxDmList = codes;
}

QString TJHItem::TjSxDmText() const
{
    QStringList parts;
    for (const QString &code : TjSxDmList) {
        const bool quote = std::any_of(code.begin(), code.end(),
                                       [](QChar c) { return c.unicode() <= u' ' || c == u'"' || c == u','; });
        if (quote)
            parts.append(u'"' + QString(code).replace(u'"', u"\"\""_s) + u'"');
        else
            parts.append(code);
    }
    return parts.join(u',');
}

void TJHItem::AddKs(TKSItem *AKsItem)
{
    for (qsizetype i = 0; i < KsList.size(); ++i) {
        if (FOrder->Compare(*this, KsList[i], AKsItem) >= 0) {
            KsList.insert(i, AKsItem);
            return;
        }
    }
    KsList.append(AKsItem);
}

int TJHItem::DeleteKs(TKSItem *AKsItem)
{
    const qsizetype at = KsList.indexOf(AKsItem);
    if (at < 0)
        return 0;
    KsList.remove(at);
    return 1;
}

void TJHItem::SortKsByCj()
{
    // A merge sort: it never leaves the list, whatever the comparison says.
    std::stable_sort(KsList.begin(), KsList.end(),
                     [this](const TKSItem *a, const TKSItem *b) { return FOrder->Compare(*this, a, b) < 0; });
}

QString TJHItem::GetTDDW_ZYDH() const
{
    const TCurrentTDDWItem *unit = FOrder ? FOrder->Unit(TDDW) : nullptr;
    return unit ? QString(unit->TDDWDM + u'-' + ZYDH) : QString(u" -"_s + ZYDH);
}
