// What the major state panel shows for the current major list: detail cells, pictures and
// list lines.
#include "WorkspaceFixture.h"
#include "workspace/ZyStateText.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestZyStateText : public QObject
{
    Q_OBJECT

private slots:
    void rowsOfTheCurrentMajorList()
    {
        TWorkspaceFixture f;
        auto admitted = [&f](const QString &ksh, const QString &major, const QVariant &score) {
            TFixtureCandidate c{ksh};
            c.KSZT = u"1"_s;
            c.LQZY = major;
            c.ZYYTJZCJ = score;
            f.AddCandidate(c);
        };
        admitted(u"X1"_s, u"01"_s, 580.5);
        admitted(u"X2"_s, u"01"_s, 579.5);
        admitted(u"X3"_s, u"01"_s, QVariant());
        admitted(u"X4"_s, u"02"_s, 600.0);
        f.Open();
        QStringList lines;
        QList<int> pictures;
        for (const TJHItem *jh : f.Dm().CurrentJhList) {
            const TZyStateRow row = ZyStateRowOf(f.Dm(), *jh);
            lines.append(row.ListLine);
            pictures.append(row.Picture);
        }
        // Scores in the list lines are rounded half to even; a candidate without a score
        // does not count.
        QCOMPARE(lines, (QStringList{u"001-01 计算机科学与技术 [2/3][580-580]"_s,
                                     u"001-02 数学与应用数学 [1/1][600-600]"_s, u"002-03 物理学 [1/0]"_s,
                                     u"-05 生物科学 [0/0]"_s, u"退档 [0]"_s}));
        QCOMPARE(pictures, (QList<int>{2, 1, 0, 1, 1}));
        QCOMPARE(ZyStateRowOf(f.Dm(), *f.Dm().Jh(0)).Cells,
                 (QStringList{u"01"_s, u"080901"_s, u"计算机科学与技术"_s, u" 1 工学"_s, u"001 一志愿投档"_s,
                              u"4"_s, u"(Z1)专业模板"_s, u"01,02"_s, u""_s, u"2"_s, u"3"_s, u"580.5"_s,
                              u"579.5"_s, u"580.0"_s}));
        const QStringList returned = ZyStateRowOf(f.Dm(), *f.Dm().Jh(5)).Cells;
        QCOMPARE(returned[2], u"退档"_s);
        QCOMPARE(returned[9], QString());
        QCOMPARE(returned[10], u"0"_s);
        QVERIFY(returned[11].isEmpty() && returned[13].isEmpty());
        QCOMPARE(ZyStateRowOf(f.Dm(), *f.Dm().Jh(2)).Cells[3], u" 5 医学"_s);
        QCOMPARE(ZyStateRowOf(f.Dm(), *f.Dm().Jh(3)).Cells[3], QString()); // no class number
        QCOMPARE(ZyStateColumnCaptions().size(), 14);
    }
};

QTEST_GUILESS_MAIN(TestZyStateText)
#include "tst_ZyStateText.moc"
