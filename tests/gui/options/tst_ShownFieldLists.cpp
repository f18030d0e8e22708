// The shown-field lists: moving fields by the rules (must-show fields stay shown), and
// loading and storing the order of the open set or of every set.
#include "OptionsFixture.h"
#include "gui/options/ShownFieldLists.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using TSide = TShownFieldLists::TSide;
Q_DECLARE_METATYPE(TSide)

namespace {

// Items named by their code; "!" in front marks a must-show field. The order text XH is
// the code itself.
QList<TShownFieldItem> Items(const QStringList &codes)
{
    QList<TShownFieldItem> items;
    for (QString code : codes) {
        TShownFieldItem item;
        if (code.startsWith(u'!')) {
            code.remove(0, 1);
            item.BX = u"1"_s;
        }
        item.ZDDH = code;
        item.ZDMC = code;
        item.XH = code;
        items.append(item);
    }
    return items;
}

QStringList Codes(const QList<TShownFieldItem> &items)
{
    QStringList codes;
    for (const TShownFieldItem &item : items)
        codes << (item.MustShow() ? u"!"_s : QString()) + item.ZDDH;
    return codes;
}

TShownFieldLists Lists(const QStringList &exc, int excIndex, const QStringList &inc, int incIndex)
{
    TShownFieldLists lists;
    lists.Exc = Items(exc);
    lists.Inc = Items(inc);
    lists.ExcIndex = excIndex;
    lists.IncIndex = incIndex;
    return lists;
}

} // namespace

class TestShownFieldLists : public QObject
{
    Q_OBJECT

private slots:
    void imageIndexIsTheMarkAsNumber_data()
    {
        QTest::addColumn<QString>("bx");
        QTest::addColumn<int>("image");
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("zero") << u"0"_s << 0;
        QTest::newRow("one") << u"1"_s << 1;
        QTest::newRow("two, padded") << u" 2"_s << 2;
        QTest::newRow("not a number") << u"x"_s << 0;
    }
    void imageIndexIsTheMarkAsNumber()
    {
        QFETCH(QString, bx);
        QFETCH(int, image);
        TShownFieldItem item;
        item.BX = bx;
        QCOMPARE(item.ImageIndex(), image);
        QCOMPARE(item.MustShow(), image != 0);
    }

    void add_data()
    {
        QTest::addColumn<QStringList>("exc");
        QTest::addColumn<int>("excIndex");
        QTest::addColumn<int>("before");
        QTest::addColumn<bool>("done");
        QTest::addColumn<QStringList>("excAfter");
        QTest::addColumn<int>("excIndexAfter");
        QTest::addColumn<QStringList>("incAfter");
        QTest::addColumn<int>("incIndexAfter");

        const QStringList abc{u"a"_s, u"b"_s, u"c"_s};
        QTest::newRow("before the selected shown field")
            << abc << 1 << 1 << true << QStringList{u"a"_s, u"c"_s} << 1
            << QStringList{u"x"_s, u"b"_s, u"y"_s} << 1;
        QTest::newRow("at the end, selection to the last")
            << abc << 2 << -1 << true << QStringList{u"a"_s, u"b"_s} << 1
            << QStringList{u"x"_s, u"y"_s, u"c"_s} << 2;
        QTest::newRow("a must-show hidden field by button")
            << QStringList{u"!m"_s} << 0 << 0 << true << QStringList{} << -1
            << QStringList{u"!m"_s, u"x"_s, u"y"_s} << 0;
        QTest::newRow("nothing selected")
            << abc << -1 << 0 << false << abc << -1 << QStringList{u"x"_s, u"y"_s} << 0;
    }
    void add()
    {
        QFETCH(QStringList, exc);
        QFETCH(int, excIndex);
        QFETCH(int, before);
        QFETCH(bool, done);
        TShownFieldLists lists = Lists(exc, excIndex, {u"x"_s, u"y"_s}, 0);
        QCOMPARE(lists.Add(before), done);
        QTEST(Codes(lists.Exc), "excAfter");
        QTEST(lists.ExcIndex, "excIndexAfter");
        QTEST(Codes(lists.Inc), "incAfter");
        QTEST(lists.IncIndex, "incIndexAfter");
    }

    void removeKeepsTheHiddenOrderAndTheMustShowFields()
    {
        // Order texts compare without regard to case: "a2" < "B1" < "c3".
        TShownFieldLists lists = Lists({u"a2"_s, u"c3"_s}, 0, {u"!k"_s, u"B1"_s, u"x"_s}, 1);
        QVERIFY(lists.Remove());
        QCOMPARE(Codes(lists.Exc), (QStringList{u"a2"_s, u"B1"_s, u"c3"_s}));
        QCOMPARE(lists.ExcIndex, 1);
        QCOMPARE(Codes(lists.Inc), (QStringList{u"!k"_s, u"x"_s}));
        QCOMPARE(lists.IncIndex, 1); // the item now at the same place

        lists.IncIndex = 1;
        QVERIFY(lists.Remove());
        QCOMPARE(lists.IncIndex, 0); // past the end: the last item
        QCOMPARE(Codes(lists.Exc).last(), u"x"_s);

        // The must-show field stays, by button, double click or drag.
        QVERIFY(!lists.Remove());
        QVERIFY(!lists.Drop(TSide::Inc, TSide::Exc, -1));
        QCOMPARE(Codes(lists.Inc), QStringList{u"!k"_s});
    }

    void moveUpAndDown()
    {
        TShownFieldLists lists = Lists({}, -1, {u"a"_s, u"b"_s, u"c"_s}, 0);
        QVERIFY(!lists.MoveUp()); // nothing at the ends
        QVERIFY(lists.MoveDown());
        QCOMPARE(Codes(lists.Inc), (QStringList{u"b"_s, u"a"_s, u"c"_s}));
        QCOMPARE(lists.IncIndex, 1);
        QVERIFY(lists.MoveDown());
        QVERIFY(!lists.MoveDown());
        QCOMPARE(Codes(lists.Inc), (QStringList{u"b"_s, u"c"_s, u"a"_s}));
        QVERIFY(lists.MoveUp());
        QCOMPARE(Codes(lists.Inc), (QStringList{u"b"_s, u"a"_s, u"c"_s}));
    }

    void dragWithinTheShownList()
    {
        TShownFieldLists lists = Lists({}, -1, {u"a"_s, u"b"_s, u"c"_s, u"d"_s}, 0);
        QVERIFY(lists.Drop(TSide::Inc, TSide::Inc, 2));
        QCOMPARE(Codes(lists.Inc), (QStringList{u"b"_s, u"c"_s, u"a"_s, u"d"_s}));
        QCOMPARE(lists.IncIndex, 2);
        QVERIFY(lists.Drop(TSide::Inc, TSide::Inc, -1)); // no item under the cursor: the end
        QCOMPARE(Codes(lists.Inc), (QStringList{u"b"_s, u"c"_s, u"d"_s, u"a"_s}));
        QVERIFY(!lists.Drop(TSide::Inc, TSide::Inc, 3)); // onto itself
    }

    void dragAcceptance_data()
    {
        QTest::addColumn<QStringList>("exc");
        QTest::addColumn<int>("excIndex");
        QTest::addColumn<QStringList>("inc");
        QTest::addColumn<int>("incIndex");
        QTest::addColumn<TSide>("from");
        QTest::addColumn<TSide>("to");
        QTest::addColumn<bool>("accepted");

        const QStringList plain{u"a"_s};
        const QStringList must{u"!m"_s};
        QTest::newRow("hidden to shown") << plain << 0 << plain << 0 << TSide::Exc << TSide::Inc << true;
        QTest::newRow("shown to hidden") << plain << 0 << plain << 0 << TSide::Inc << TSide::Exc << true;
        QTest::newRow("within shown") << plain << 0 << must << 0 << TSide::Inc << TSide::Inc << true;
        QTest::newRow("within hidden") << plain << 0 << plain << 0 << TSide::Exc << TSide::Exc << false;
        QTest::newRow("nothing selected in the source")
            << plain << -1 << plain << 0 << TSide::Exc << TSide::Inc << false;
        QTest::newRow("must-show hidden to shown")
            << must << 0 << plain << 0 << TSide::Exc << TSide::Inc << false;
        QTest::newRow("must-show shown to hidden")
            << plain << 0 << must << 0 << TSide::Inc << TSide::Exc << false;
    }
    void dragAcceptance()
    {
        QFETCH(QStringList, exc);
        QFETCH(int, excIndex);
        QFETCH(QStringList, inc);
        QFETCH(int, incIndex);
        QFETCH(TSide, from);
        QFETCH(TSide, to);
        QFETCH(bool, accepted);
        TShownFieldLists lists = Lists(exc, excIndex, inc, incIndex);
        QCOMPARE(lists.AcceptsDrag(from, to), accepted);
        const TShownFieldLists before = lists;
        if (!accepted) {
            QVERIFY(!lists.Drop(from, to, 0));
            QCOMPARE(Codes(lists.Exc), Codes(before.Exc));
            QCOMPARE(Codes(lists.Inc), Codes(before.Inc));
        }
    }

    void loadsTheOpenSet()
    {
        TOptionsFixture f;
        f.Open();
        TShownFieldLists lists;
        lists.ApplyToAll = true;
        lists.Load(f.Dm());
        QVERIFY(!lists.ApplyToAll);
        QCOMPARE(Codes(lists.Exc), (QStringList{u"SFZH"_s, u"BYXX"_s, u"!ZYDH1"_s}));
        QCOMPARE(Codes(lists.Inc), (QStringList{u"!KSH"_s, u"XM"_s, u"ZYYTJZCJ"_s, u"LQZY"_s}));
        QCOMPARE(lists.Exc[0].ZDMC, u"身份证号"_s);
        QCOMPARE(lists.Exc[2].ImageIndex(), 2);
        QCOMPARE(lists.Inc[3].WZSY, 3);
        QCOMPARE(lists.Exc[1].WZSY, -1);
    }

    void storesTheOrderOfTheOpenSet()
    {
        TOptionsFixture f;
        f.Open();
        const QStringList second = f.Layout(u"2"_s);
        TShownFieldLists lists;
        lists.Load(f.Dm());
        QVERIFY(!lists.Done(f.Dm())); // nothing moved
        QCOMPARE(f.Layout(u"1"_s), (QStringList{u"BYXX:-"_s, u"SFZH:-"_s, u"ZYDH1:-"_s, u"KSH:0"_s, u"XM:1"_s,
                                                u"ZYYTJZCJ:2"_s, u"LQZY:3"_s}));

        lists.IncIndex = 1; // XM goes, BYXX comes at the end
        QVERIFY(lists.Remove());
        QCOMPARE(Codes(lists.Exc), (QStringList{u"XM"_s, u"SFZH"_s, u"BYXX"_s, u"!ZYDH1"_s}));
        QCOMPARE(lists.ExcIndex, 0);
        lists.ExcIndex = 2;
        QVERIFY(lists.Add(-1));
        QVERIFY(lists.Done(f.Dm()));
        QCOMPARE(f.Layout(u"1"_s), (QStringList{u"SFZH:-"_s, u"XM:-"_s, u"ZYDH1:-"_s, u"KSH:0"_s,
                                                u"ZYYTJZCJ:1"_s, u"LQZY:2"_s, u"BYXX:3"_s}));
        QCOMPARE(f.Layout(u"2"_s), second);
    }

    void applyToAllWritesEverySetAndTheWidths()
    {
        TOptionsFixture f;
        f.Open();
        QCOMPARE(f.Grid.ColumnCount(), 4);
        // The user's widths: the first column carries 16 extra pixels.
        const int widths[] = {116, 90, 60, 75};
        for (int i = 0; i < 4; ++i)
            f.Grid.Columns[i].Width = widths[i];
        TShownFieldLists lists;
        lists.Load(f.Dm());
        lists.ApplyToAll = true;
        QVERIFY(!lists.Done(f.Dm())); // the open set's layout did not change
        QCOMPARE(f.Layout(u"2"_s), f.Layout(u"1"_s));
        const QStringList expected{u"BYXX:33"_s, u"KSH:100"_s,  u"LQZY:75"_s,    u"SFZH:33"_s,
                                   u"XM:90"_s,   u"ZYDH1:33"_s, u"ZYYTJZCJ:60"_s};
        QCOMPARE(f.Widths(u"2"_s), expected);
        QCOMPARE(f.Widths(u"1"_s).at(1), u"KSH:100"_s);
    }

    void widthsAreStoredAt96Dpi()
    {
        TOptionsFixture f;
        f.View.Dpi = 192;
        f.Open();
        for (int i = 0; i < 4; ++i)
            f.Grid.Columns[i].Width = 200;
        TShownFieldLists lists;
        lists.Load(f.Dm());
        lists.ApplyToAll = true;
        lists.Done(f.Dm());
        QCOMPARE(f.Widths(u"2"_s).at(1), u"KSH:92"_s); // (200 - 16) * 96 / 192
        QCOMPARE(f.Widths(u"2"_s).at(4), u"XM:100"_s);
    }
};

QTEST_MAIN(TestShownFieldLists)
#include "tst_ShownFieldLists.moc"
