#include "workspace/CandidateOrder.h"

#include "store/ZKMainDef.h"
#include "templates/TddwCSMB.h"

namespace {

// Descending: the higher value first.
int Descending(double a, double b)
{
    return ThreeWay(b, a);
}

int TrueFirst(bool a, bool b)
{
    return a == b ? 0 : (a ? -1 : 1);
}

// With one of the two major positions 0 and the other not, the zero one comes last.
int ZeroMajorLast(const TKSItem *a, const TKSItem *b)
{
    if ((a->ZyXh == 0 || b->ZyXh == 0) && a->ZyXh != b->ZyXh)
        return a->ZyXh == 0 ? 1 : -1;
    return 0;
}

// Step 4 of the major order: the keys the unit's template (or its absence) decides.
int TemplateKeys(const TTDDWCSMB *T, const TKSItem *a, const TKSItem *b)
{
    if (!T) {
        if (const int c = ZeroMajorLast(a, b))
            return c;
        return Descending(a->ZyytTddwDxCj, b->ZyytTddwDxCj);
    }
    if (T->FZhiYuanJbZt() == 1) {
        if (const int c = TCandidateOrder::CompareWishOrder(a->ZhiYuanXh, b->ZhiYuanXh))
            return c;
    }
    if (T->FZyJbZt() == 1) {
        if (const int c = TCandidateOrder::CompareWishOrder(a->ZyXh, b->ZyXh))
            return c;
        return TCandidateOrder::CompareScore(*T, a, b);
    }
    if (T->FZyTjLowPrio) {
        if (const int c = ZeroMajorLast(a, b))
            return c;
        return TCandidateOrder::CompareScore(*T, a, b);
    }
    if (const int c = TCandidateOrder::CompareScore(*T, a, b))
        return c;
    return TCandidateOrder::CompareWishOrder(a->ZyXh, b->ZyXh);
}

} // namespace

const TCurrentTDDWItem *TCandidateOrder::Unit(int unit) const
{
    if (!FUnits || unit < 0 || unit >= int(FUnits->size()))
        return nullptr;
    return (*FUnits)[size_t(unit)].get();
}

const TTDDWCSMB *TCandidateOrder::UnitTemplate(int unit) const
{
    const TCurrentTDDWItem *item = Unit(unit);
    return item ? item->MB : nullptr;
}

int TCandidateOrder::CompareKsh(const TKSItem *a, const TKSItem *b)
{
    return ThreeWay(a->KshRank, b->KshRank);
}

int TCandidateOrder::CompareWishOrder(int a, int b)
{
    if (a == b)
        return 0;
    if (a == 0)
        return 1;
    if (b == 0)
        return -1;
    return a < b ? -1 : 1;
}

int TCandidateOrder::CompareScore(const TTDDWCSMB &T, const TKSItem *a, const TKSItem *b)
{
    const int o = ZKMainDef().RankScoreSupported ? T.FRankScoreOrder : 2;
    if (o == 1) {
        if (const int c = Descending(a->ZyytTddwDxCj, b->ZyytTddwDxCj))
            return c;
        return ThreeWay(b->ZyytRankPermScore, a->ZyytRankPermScore);
    }
    if (o == 3) {
        if (const int c = ThreeWay(b->ZyytRankPermScore, a->ZyytRankPermScore))
            return c;
        return Descending(a->ZyytTddwDxCj, b->ZyytTddwDxCj);
    }
    return Descending(a->ZyytTddwDxCj, b->ZyytTddwDxCj);
}

int TCandidateOrder::CompareInMajor(const TJHItem &major, const TKSItem *a, const TKSItem *b) const
{
    const int u = major.TDDW;
    // Candidates moved in from another unit stand after the unit's own candidates, in no
    // particular order among themselves.
    if (a->Tddw != a->DqTddw)
        return b->Tddw == u ? 1 : 0;
    if (b->Tddw != u)
        return -1;
    if (const int c = TrueFirst(a->ZyHg, b->ZyHg))
        return c;
    if (const int c = TrueFirst(a->TjHg, b->TjHg))
        return c;
    if (const int c = TemplateKeys(UnitTemplate(u), a, b))
        return c;
    if (const int c = Descending(a->FJBJTJ, b->FJBJTJ))
        return c;
    return CompareKsh(a, b);
}

int TCandidateOrder::CompareInPseudoMajor(const TKSItem *a, const TKSItem *b) const
{
    if (const int c = ThreeWay(a->Tddw, b->Tddw))
        return c;
    if (const TTDDWCSMB *T = UnitTemplate(a->Tddw)) {
        if (T->FZhiYuanJbZt() == 1) {
            if (const int c = CompareWishOrder(a->ZhiYuanXh, b->ZhiYuanXh))
                return c;
        }
        if (const int c = CompareScore(*T, a, b))
            return c;
    } else if (const int c = Descending(a->ZyytTddwDxCj, b->ZyytTddwDxCj)) {
        return c;
    }
    return CompareKsh(a, b);
}
