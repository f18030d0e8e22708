#pragma once

#include "workspace/WorkspaceItems.h"

#include <memory>
#include <vector>

// The order in which candidates stand: inside a major (who comes first for its places),
// inside the two pseudo-majors, and the score order of a unit's check template. Every
// comparison returns < 0 when a comes before b, > 0 when after, 0 when they are equal.
//
// The unit table is the workspace's; graded-score mode is ZKMainDef's RankScoreSupported.
class TCandidateOrder
{
public:
    explicit TCandidateOrder(const std::vector<std::unique_ptr<TCurrentTDDWItem>> *units)
        : FUnits(units)
    {}

    // The check template of a unit index, nullptr for -1 or a unit without one.
    const TTDDWCSMB *UnitTemplate(int unit) const;
    const TCurrentTDDWItem *Unit(int unit) const;

    // Candidate numbers ascending, ignoring case.
    static int CompareKsh(const TKSItem *a, const TKSItem *b);
    // Two wish positions: non-zero ones ascend, a zero comes after every non-zero one.
    static int CompareWishOrder(int a, int b);
    // The score order of a unit template (computed score, grade order number).
    static int CompareScore(const TTDDWCSMB &T, const TKSItem *a, const TKSItem *b);

    // The order of the list of a real major.
    int CompareInMajor(const TJHItem &major, const TKSItem *a, const TKSItem *b) const;
    // The order of the returned and the undecided lists.
    int CompareInPseudoMajor(const TKSItem *a, const TKSItem *b) const;
    // The order of a major's list, real or pseudo.
    int Compare(const TJHItem &major, const TKSItem *a, const TKSItem *b) const
    {
        return major.IsPseudo ? CompareInPseudoMajor(a, b) : CompareInMajor(major, a, b);
    }

private:
    const std::vector<std::unique_ptr<TCurrentTDDWItem>> *FUnits;
};

// Three-way comparisons of plain values.
template<class T>
int ThreeWay(const T &a, const T &b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}
