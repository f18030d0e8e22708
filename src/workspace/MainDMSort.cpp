// Sorting the shown candidates by a grid column.
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using TCompare = std::function<int(const TKSItem *, const TKSItem *)>;

int Descending(double a, double b)
{
    return ThreeWay(b, a);
}

// Text keys of every candidate (by KsId) in the system's collation.
std::vector<QCollatorSortKey> CollationKeys(const QStringList &texts, Qt::CaseSensitivity cs)
{
    QCollator collator;
    collator.setCaseSensitivity(cs);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(texts.size()));
    // The keys of the "C" collation ignore the case setting: fold the texts first.
    for (const QString &text : texts)
        keys.push_back(collator.sortKey(cs == Qt::CaseInsensitive ? text.toCaseFolded() : text));
    return keys;
}

// Then the candidate number, for every order that names it last.
TCompare ThenKsh(TCompare first)
{
    return [first](const TKSItem *a, const TKSItem *b) {
        if (const int c = first(a, b))
            return c;
        return TCandidateOrder::CompareKsh(a, b);
    };
}

} // namespace

void TMainDM::SortKS(int AColIndex)
{
    // Under the live filter the whole list is sorted and narrowed again, so that the
    // list shows in this order when the filter is cleared.
    const bool narrowed = FKsFilter.IsActive();
    if (narrowed)
        CurrentKSList = FKsFilterBase;
    try {
        if (AColIndex < 0 || AColIndex >= ZKColumn.size())
            throw EZKError(u"no column %1"_s.arg(AColIndex));
        SortColIndex = AColIndex;
        const TZKColumnRec &col = ZKColumn[AColIndex];
        SortColTag = col.Tag;
        const bool graded = ZKMainDef().RankScoreSupported;
        const QChar letter = col.ColType;

        // Keys of the column's field for every candidate.
        auto textKeys = [this, &col]() {
            KsItemStrValues.clear();
            for (const auto &ks : KsTable)
                KsItemStrValues.append(QueryText(ks.get(), col.MainField));
        };
        auto numberKeys = [this, &col]() {
            KsItemDblValues.clear();
            for (const auto &ks : KsTable) {
                const TDbValue &v = QueryValue(ks.get(), col.MainField);
                KsItemDblValues.append(v.IsNull() ? NoScoreValue : v.AsFloat());
            }
        };
        std::vector<QCollatorSortKey> collation;
        auto keyOf = [&collation](const TKSItem *k) -> const QCollatorSortKey & {
            return collation[size_t(k->KsId)];
        };
        auto numberOf = [this](const TKSItem *k) { return KsItemDblValues[k->KsId]; };

        TCompare compare;
        if (letter == u'A' || letter == u'B') {
            numberKeys();
            compare = ThenKsh(
                [&](const TKSItem *a, const TKSItem *b) { return ThreeWay(numberOf(a), numberOf(b)); });
        } else if (QStringView(u"CDSY").contains(letter) && !letter.isNull()) {
            if (col.Name == u"TDZY"_s) {
                compare = ThenKsh([](const TKSItem *a, const TKSItem *b) {
                    return TCandidateOrder::CompareWishOrder(a->ZhiYuanXh, b->ZhiYuanXh);
                });
            } else {
                textKeys();
                collation = CollationKeys(KsItemStrValues, Qt::CaseSensitive);
                compare =
                    ThenKsh([&](const TKSItem *a, const TKSItem *b) { return keyOf(a).compare(keyOf(b)); });
            }
        } else if (letter == u'J' && col.Name == u"ZYYTJZCJ"_s) {
            compare = ThenKsh([graded](const TKSItem *a, const TKSItem *b) {
                if (const int c = ThreeWay(a->Tddw, b->Tddw))
                    return c;
                if (const int c = Descending(a->ZyytJzCj, b->ZyytJzCj))
                    return c;
                return graded ? ThreeWay(b->ZyytRankPermScore, a->ZyytRankPermScore) : 0;
            });
        } else if (letter == u'J' && col.Name == u"ZYYTDJ"_s && graded) {
            compare = ThenKsh([](const TKSItem *a, const TKSItem *b) {
                if (const int c = ThreeWay(a->Tddw, b->Tddw))
                    return c;
                if (const int c = ThreeWay(b->ZyytRankPermScore, a->ZyytRankPermScore))
                    return c;
                return Descending(a->ZyytJzCj, b->ZyytJzCj);
            });
        } else if (letter == u'K') {
            compare = TCandidateOrder::CompareKsh;
        } else if (letter == u'N') {
            numberKeys();
            compare = ThenKsh([&](const TKSItem *a, const TKSItem *b) {
                if (const int c = ThreeWay(a->Tddw, b->Tddw))
                    return c;
                return Descending(numberOf(a), numberOf(b));
            });
        } else if (letter == u'R') {
            textKeys();
            collation = CollationKeys(KsItemStrValues, Qt::CaseInsensitive);
            compare = ThenKsh([&](const TKSItem *a, const TKSItem *b) { return keyOf(b).compare(keyOf(a)); });
        } else if (letter == u'T') {
            textKeys();
            collation = CollationKeys(KsItemStrValues, Qt::CaseSensitive);
            compare = ThenKsh([&](const TKSItem *a, const TKSItem *b) {
                if (const int c = ThreeWay(KsItemStrValues[b->KsId].size(), KsItemStrValues[a->KsId].size()))
                    return c;
                return keyOf(a).compare(keyOf(b));
            });
        } else if (letter == u'X') {
            QStringList names;
            for (const auto &ks : KsTable)
                names.append(ks->Xm);
            collation = CollationKeys(names, Qt::CaseSensitive);
            compare = ThenKsh([&](const TKSItem *a, const TKSItem *b) { return keyOf(a).compare(keyOf(b)); });
        } else if (letter == u'Z' && (col.Name == u"LQZY"_s || col.Name == u"YTZY"_s)) {
            compare = [this](const TKSItem *a, const TKSItem *b) {
                if (const int c = ThreeWay(a->LqZyId, b->LqZyId))
                    return c;
                return Order.Compare(*Jh(a->LqZyId), a, b);
            };
        } else if (letter == u'Z' && col.Tag >= 1 && col.Tag <= 6) {
            const size_t n = size_t(col.Tag);
            compare = [this, n](const TKSItem *a, const TKSItem *b) {
                const int m = a->ZyId[n];
                if (const int c = ThreeWay(m, b->ZyId[n]))
                    return c;
                if (m >= JhRecCount)
                    return 0;
                const int u = Jh(m)->TDDW;
                if (a->Tddw != u)
                    return b->Tddw == u ? 1 : 0;
                if (b->Tddw != u)
                    return -1;
                const TTDDWCSMB *T = Order.UnitTemplate(u);
                return T ? TCandidateOrder::CompareScore(*T, a, b) : 0;
            };
        }

        if (compare) {
            QList<TKSItem *> sorted = CurrentKSList;
            std::stable_sort(sorted.begin(), sorted.end(),
                             [&compare](const TKSItem *a, const TKSItem *b) { return compare(a, b) < 0; });
            CurrentKSList = sorted;
        }
        for (int i = 0; i < CurrentKSList.size(); ++i)
            CurrentKSList[i]->KsIndex = i;
    } catch (const EZKError &e) {
        FMessageSink->ShowMessage(u"考生排序出错。错误："_s + e.Message(), u"考生排序"_s, TMsgIcon::Warning);
    }
    if (narrowed) {
        FKsFilterBase = CurrentKSList;
        NarrowCurrentKsList();
    }
}
