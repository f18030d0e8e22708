// Who stands first for a major's places: the major order and the pseudo-major order, with
// and without the submission unit's check template.
#include "store/ZKMainDef.h"
#include "templates/TddwCSMB.h"
#include "workspace/CandidateOrder.h"

#include <QtTest>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

struct TC
{
    QString Ksh;
    double DxCj = 600;
    int ZyXh = 1;
    int ZhiYuan = 1;
    int Rank = -1;
    double Fj = -1e20;
    int Tddw = 0;
    int DqTddw = 0;
    bool ZyHg = true;
    bool TjHg = true;
};

struct TT
{
    bool Exists = false;
    int ZhiYuanJbZt = 2;
    int ZyJbZt = 2;
    bool LowPrio = false;
    int RankOrder = 1;
    bool Graded = false;
};

} // namespace

Q_DECLARE_METATYPE(QList<TC>)
Q_DECLARE_METATYPE(TT)

namespace {

// Unit 0 with the template, unit 1 without; a real major of unit 0 or a pseudo-major.
struct TOrderWorld
{
    explicit TOrderWorld(const TT &t, const QList<TC> &cands, bool pseudo)
        : Order(&Units)
        , Major(&Order)
    {
        ZKMainDef().Reset();
        ZKMainDef().RankScoreSupported = t.Graded;
        Template.SetZhiYuanJbZt(t.ZhiYuanJbZt);
        Template.SetZyJbZt(t.ZyJbZt);
        Template.FZyTjLowPrio = t.LowPrio;
        Template.FRankScoreOrder = t.RankOrder;
        Units.push_back(std::make_unique<TCurrentTDDWItem>(u"001"_s, u"a"_s, t.Exists ? &Template : nullptr));
        Units.push_back(std::make_unique<TCurrentTDDWItem>(u"002"_s, u"b"_s, nullptr));
        Major.TDDW = pseudo ? -1 : 0;
        Major.IsPseudo = pseudo;
        QStringList numbers;
        for (const TC &c : cands)
            numbers.append(c.Ksh);
        std::sort(numbers.begin(), numbers.end());
        for (const TC &c : cands) {
            auto ks = std::make_unique<TKSItem>();
            ks->Ksh = c.Ksh;
            ks->KshRank = int(numbers.indexOf(c.Ksh));
            ks->ZyytTddwDxCj = c.DxCj;
            ks->ZyXh = c.ZyXh;
            ks->ZhiYuanXh = c.ZhiYuan;
            ks->ZyytRankPermScore = c.Rank;
            ks->FJBJTJ = c.Fj;
            ks->Tddw = c.Tddw;
            ks->DqTddw = c.DqTddw;
            ks->ZyHg = c.ZyHg;
            ks->TjHg = c.TjHg;
            Items.push_back(std::move(ks));
        }
    }
    ~TOrderWorld() { ZKMainDef().Reset(); }

    static QStringList Numbers(const QList<TKSItem *> &list)
    {
        QStringList kshs;
        for (const TKSItem *ks : list)
            kshs.append(ks->Ksh);
        return kshs;
    }

    TTDDWCSMB Template;
    std::vector<std::unique_ptr<TCurrentTDDWItem>> Units;
    TCandidateOrder Order;
    TJHItem Major;
    std::vector<std::unique_ptr<TKSItem>> Items;
};

TT WithTemplate(int zhiYuan, int zy, bool low, int order = 1, bool graded = false)
{
    return {true, zhiYuan, zy, low, order, graded};
}

} // namespace

class TestCandidateOrder : public QObject
{
    Q_OBJECT

private slots:
    void order_data()
    {
        QTest::addColumn<TT>("tmpl");
        QTest::addColumn<bool>("pseudo");
        QTest::addColumn<QList<TC>>("cands");
        QTest::addColumn<QStringList>("expected");
        const TT none;
        QTest::newRow("equal scores: additional score, then number")
            << none << false
            << QList<TC>{{u"03"_s, 600, 1, 1, -1, 10},
                         {u"02"_s, 600, 1, 1, -1, 20},
                         {u"01"_s, 600, 1, 1, -1, 20},
                         {u"04"_s, 610}}
            << QStringList{u"04"_s, u"01"_s, u"02"_s, u"03"_s};
        QTest::newRow("moved in from another unit: after the natives")
            << none << false
            << QList<TC>{{u"N1"_s, 500}, {u"M1"_s, 700, 1, 1, -1, -1e20, 1, 0}, {u"N2"_s, 600}}
            << QStringList{u"N2"_s, u"N1"_s, u"M1"_s};
        QTest::newRow("major conditions, then health")
            << none << false
            << QList<TC>{{u"X"_s, 700, 1, 1, -1, -1e20, 0, 0, false},
                         {u"Y"_s, 650, 1, 1, -1, -1e20, 0, 0, true, false},
                         {u"Z"_s, 600}}
            << QStringList{u"Z"_s, u"Y"_s, u"X"_s};
        QTest::newRow("no template: adjusted to a non-wish major last")
            << none << false << QList<TC>{{u"A"_s, 700, 0}, {u"B"_s, 600, 3}, {u"C"_s, 500, 1}}
            << QStringList{u"B"_s, u"C"_s, u"A"_s};
        QTest::newRow("major order first") << WithTemplate(2, 1, false) << false
                                           << QList<TC>{{u"A"_s, 700, 4}, {u"B"_s, 600, 2}, {u"C"_s, 800, 0}}
                                           << QStringList{u"B"_s, u"A"_s, u"C"_s};
        QTest::newRow("adjusted candidates last, others by score")
            << WithTemplate(2, 2, true) << false
            << QList<TC>{{u"A"_s, 700, 0}, {u"B"_s, 600, 4}, {u"C"_s, 550, 2}}
            << QStringList{u"B"_s, u"C"_s, u"A"_s};
        QTest::newRow("score, then major order")
            << WithTemplate(2, 2, false) << false
            << QList<TC>{{u"A"_s, 600, 3}, {u"B"_s, 600, 1}, {u"C"_s, 600, 0}, {u"D"_s, 610, 0}}
            << QStringList{u"D"_s, u"B"_s, u"A"_s, u"C"_s};
        QTest::newRow("wish order first")
            << WithTemplate(1, 2, false) << false
            << QList<TC>{{u"A"_s, 700, 1, 2}, {u"B"_s, 600, 1, 1}, {u"C"_s, 800, 1, 0}}
            << QStringList{u"B"_s, u"A"_s, u"C"_s};
        QTest::newRow("graded: score, then grade order")
            << WithTemplate(2, 2, false, 1, true) << false
            << QList<TC>{{u"A"_s, 600, 1, 1, 3}, {u"B"_s, 600, 1, 1, 5}, {u"C"_s, 610, 1, 1, 1}}
            << QStringList{u"C"_s, u"B"_s, u"A"_s};
        QTest::newRow("graded: grade order, then score")
            << WithTemplate(2, 2, false, 3, true) << false
            << QList<TC>{{u"A"_s, 600, 1, 1, 3}, {u"B"_s, 590, 1, 1, 5}, {u"C"_s, 610, 1, 1, 3}}
            << QStringList{u"B"_s, u"C"_s, u"A"_s};
        QTest::newRow("grade order without graded scores: score only")
            << WithTemplate(2, 2, false, 3, false) << false
            << QList<TC>{{u"A"_s, 590, 1, 1, 9}, {u"B"_s, 600, 1, 1, 1}} << QStringList{u"B"_s, u"A"_s};
        QTest::newRow("pseudo-major: unit, wish order of its template, score, number")
            << WithTemplate(1, 2, false) << true
            << QList<TC>{{u"P"_s, 700, 0, 1, -1, -1e20, 1, 1},
                         {u"Q"_s, 650, 0, 2},
                         {u"R"_s, 600, 0, 1},
                         {u"S"_s, 500, 0, 1, -1, -1e20, -1, -1},
                         {u"O"_s, 700, 0, 1, -1, -1e20, 1, 1},
                         {u"U"_s, 900, 0, 0}}
            << QStringList{u"S"_s, u"R"_s, u"Q"_s, u"U"_s, u"O"_s, u"P"_s};
        QTest::newRow("pseudo-major: no additional-score or eligibility keys")
            << none << true
            << QList<TC>{{u"B"_s, 600, 1, 1, -1, 50, 0, 0, false}, {u"A"_s, 600, 1, 1, -1, 10}}
            << QStringList{u"A"_s, u"B"_s};
    }
    void order()
    {
        QFETCH(TT, tmpl);
        QFETCH(bool, pseudo);
        QFETCH(QList<TC>, cands);
        QFETCH(QStringList, expected);
        TOrderWorld world(tmpl, cands, pseudo);
        for (const auto &ks : world.Items)
            world.Major.AddKsNoSorting(ks.get());
        world.Major.SortKsByCj();
        QCOMPARE(TOrderWorld::Numbers(world.Major.KsList), expected);
        // Inserting one by one in order gives the same list.
        world.Major.KsList.clear();
        for (auto it = world.Items.rbegin(); it != world.Items.rend(); ++it)
            world.Major.AddKs(it->get());
        QCOMPARE(TOrderWorld::Numbers(world.Major.KsList), expected);
        QCOMPARE(world.Major.DeleteKs(world.Items.front().get()), 1);
        QCOMPARE(world.Major.DeleteKs(world.Items.front().get()), 0);
    }

    void addKsGoesBeforeEqualEntries()
    {
        // Two moved-in candidates are equal: a new one goes before the first equal entry.
        TOrderWorld world(
            TT(),
            {{u"N"_s, 600}, {u"M1"_s, 700, 1, 1, -1, -1e20, 1, 0}, {u"M2"_s, 500, 1, 1, -1, -1e20, 1, 0}},
            false);
        world.Major.AddKs(world.Items[0].get());
        world.Major.AddKs(world.Items[1].get());
        world.Major.AddKs(world.Items[2].get());
        QCOMPARE(TOrderWorld::Numbers(world.Major.KsList), (QStringList{u"N"_s, u"M2"_s, u"M1"_s}));
    }
};

QTEST_GUILESS_MAIN(TestCandidateOrder)
#include "tst_CandidateOrder.moc"
