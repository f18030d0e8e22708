// Stepping through the workspace's candidate list and reading the templates at start-up.
#include "PageRig.h"
#include "TestSupport.h"
#include "details/DNNavigator.h"
#include "store/ZKMainDef.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// The detail window's initialisation as the workspace calls it at the end of reading the
// code tables.
class TTemplateHooks : public IDetailWindowHooks
{
public:
    explicit TTemplateHooks(TDNPageBuilder &builder)
        : FBuilder(builder)
    {}
    void InitDetailWindow() override { FBuilder.Init(); }

private:
    TDNPageBuilder &FBuilder;
};

} // namespace

class TestDNNavigator : public QObject
{
    Q_OBJECT

private slots:
    void init() { ZKMainDef().Reset(); }
    void stepsAndStaysAtTheEnds();
    void candidateOutsideTheListGivesTheFirst();
    void stepsOnlyThroughFilteredCandidates();
    void templatesAreReadWithTheCodeTables();
};

void TestDNNavigator::stepsAndStaysAtTheEnds()
{
    TPageRig r;
    for (const QString &ksh : {u"N1"_s, u"N2"_s, u"N3"_s})
        r.F.AddCandidate(TFixtureCandidate{ksh});
    r.Open();
    TMainDM &dm = r.F.Dm();
    QCOMPARE(r.F.Shown(), (QStringList{u"N1"_s, u"N2"_s, u"N3"_s}));
    TDNItemRec rec;
    FillDNItemRec(dm, dm.CurrentKSList[0], rec);
    QCOMPARE(rec.PositionStates, TDNPositionStates(dpsFirst));
    QVERIFY(NavigateCandidates(dm, TDNNavigatorDirection::dndPrior, rec));
    QCOMPARE(rec.Ksh, u"N1"_s);
    QVERIFY(NavigateCandidates(dm, TDNNavigatorDirection::dndNext, rec));
    QCOMPARE(rec.Ksh, u"N2"_s);
    QCOMPARE(rec.PositionStates, TDNPositionStates());
    QCOMPARE(r.F.Grid.FocusedRow(), 1);
    QVERIFY(NavigateCandidates(dm, TDNNavigatorDirection::dndNext, rec));
    QVERIFY(NavigateCandidates(dm, TDNNavigatorDirection::dndNext, rec));
    QCOMPARE(rec.Ksh, u"N3"_s);
    QCOMPARE(rec.KsItem, r.F.Ks(u"N3"_s));
    QCOMPARE(rec.PositionStates, TDNPositionStates(dpsLast));
}

void TestDNNavigator::candidateOutsideTheListGivesTheFirst()
{
    TPageRig r;
    TFixtureCandidate a{u"A1"_s}, b{u"B1"_s};
    a.KSZT = u"1"_s;
    a.LQZY = a.YTZY = u"01"_s;
    b.KSZT = u"1"_s;
    b.LQZY = b.YTZY = u"02"_s;
    r.F.AddCandidate(a);
    r.F.AddCandidate(b);
    r.Open();
    TMainDM &dm = r.F.Dm();
    TDNItemRec rec;
    FillDNItemRec(dm, r.F.Ks(u"A1"_s), rec);
    dm.ChangeZyFilter(1); // major 02: only B1
    QVERIFY(NavigateCandidates(dm, TDNNavigatorDirection::dndPrior, rec));
    QCOMPARE(rec.Ksh, u"B1"_s);
    QCOMPARE(rec.PositionStates, TDNPositionStates(dpsFirst | dpsLast)); // a list of one
    dm.ChangeZyFilter(2);                                                // major 03: nobody
    QVERIFY(dm.CurrentKSList.isEmpty());
    QVERIFY(!NavigateCandidates(dm, TDNNavigatorDirection::dndNext, rec));
}

void TestDNNavigator::stepsOnlyThroughFilteredCandidates()
{
    TPageRig r;
    const QStringList names{u"张一"_s, u"李二"_s, u"张三"_s, u"王四"_s};
    for (int i = 0; i < names.size(); ++i) {
        TFixtureCandidate c{u"S%1"_s.arg(i + 1)};
        c.XM = names[i];
        r.F.AddCandidate(c);
    }
    r.Open();
    TMainDM &dm = r.F.Dm();
    dm.SetKsFilterText(u"张"_s);
    TDNItemRec rec;
    FillDNItemRec(dm, r.F.Ks(u"S1"_s), rec);
    QCOMPARE(rec.PositionStates, TDNPositionStates(dpsFirst));
    QVERIFY(NavigateCandidates(dm, TDNNavigatorDirection::dndNext, rec));
    QCOMPARE(rec.Ksh, u"S3"_s);
    QCOMPARE(rec.PositionStates, TDNPositionStates(dpsLast));
    QVERIFY(NavigateCandidates(dm, TDNNavigatorDirection::dndPrior, rec));
    QCOMPARE(rec.Ksh, u"S1"_s);
    // A step from a candidate the filter now hides starts at the first shown one.
    FillDNItemRec(dm, r.F.Ks(u"S3"_s), rec);
    dm.SetKsFilterText(u"张一"_s);
    QVERIFY(NavigateCandidates(dm, TDNNavigatorDirection::dndNext, rec));
    QCOMPARE(rec.Ksh, u"S1"_s);
    QCOMPARE(rec.PositionStates, TDNPositionStates(dpsFirst | dpsLast));
}

void TestDNNavigator::templatesAreReadWithTheCodeTables()
{
    TPageRig r;
    TTemplateHooks hooks(r.B);
    r.F.Dm().SetDetailWindow(&hooks);
    ZKMainDef().SetProgramFolder(r.Download.path()); // no templates there
    QCOMPARE(r.F.Dm().ReadDMTable(), 1);
    const QString text = r.F.Messages.Messages.value(0).Text;
    QVERIFY2(text.startsWith(u"读取代码库第 8 步出错:\r\n无法读取页面模板 "_s), qPrintable(text));
    QVERIFY(text.contains(u"bmxx.htm"_s));

    r.F.Messages.Messages.clear();
    ZKMainDef().SetProgramFolder(zktest::programFolder());
    QCOMPARE(r.F.Dm().ReadDMTable(), 0);
    QVERIFY(r.B.HtmlFileArray[2].Flags & DNHtmlFlags::NeedsTjxx);
    QVERIFY(r.B.HtmlFileArray[1].Flags & DNHtmlFlags::NeedsHkcj);
    QCOMPARE(r.B.HtmlFileArray[0].Flags, 0);
    QVERIFY(r.B.HtmlFileArray[0].Items.first().FStrParam.startsWith(u"\uFEFF<html>"_s));
    r.F.Dm().SetDetailWindow(nullptr);
}

QTEST_GUILESS_MAIN(TestDNNavigator)
#include "tst_DNNavigator.moc"
