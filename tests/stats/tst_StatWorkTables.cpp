// Filling bmxx, cjxx and zyxx for the printed statistics.
#include "StatsFixture.h"
#include "stats/StatWorkTables.h"
#include "store/ZKError.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestStatWorkTables : public QObject
{
    Q_OBJECT

private slots:
    void fillsEveryStatisticInOrder()
    {
        TStatsFixture f;
        const QList<double> chinese{50, 54, 62, 64};
        for (int i = 0; i < chinese.size(); ++i)
            f.Add(u"W%1"_s.arg(i + 1),
                  {{u"GKCJX01"_s, chinese[i]}, {u"MZDM"_s, u"01"_s}, {u"ZYYTJZCJ"_s, 600 + i}});
        TFixtureCandidate admitted{u"W9"_s};
        admitted.KSZT = u"1"_s;
        admitted.LQZY = admitted.YTZY = u"01"_s;
        admitted.ZYDH = {u"01"_s};
        admitted.ZYYTJZCJ = QVariant();
        f.AddCandidate(admitted);
        f.Exec({u"insert into bmxx (xm) values (\"old\")"_s});
        f.Open();
        TFakeProgress progress;
        FillStatWorkTables(f.Dm(), QString(), progress, 5);

        const QStringList bmxx = TableRows(f.Univ(), u"bmxx"_s);
        QCOMPARE(bmxx.mid(0, 5), (QStringList{u"性别|NULL|NULL|NULL"_s, u"NULL|性别|人数|所占比例(%)"_s,
                                              u"NULL|男|5|100.00"_s, u"民族|NULL|NULL|NULL"_s,
                                              u"NULL|民族|人数|所占比例(%)"_s}));
        QVERIFY(bmxx.contains(u"NULL|汉族|4| 80.00"_s));
        QCOMPARE(bmxx.filter(u"|人数|"_s).size(), 5);

        // Bands from the highest occupied one down, empty ones with a count of 0 and no
        // share; items nobody has add nothing.
        QCOMPARE(TableRows(f.Univ(), u"cjxx"_s),
                 (QStringList{
                     u"预投基准分|NULL|NULL|NULL"_s, u"NULL|分数段|人数|所占比例(%)"_s,
                     u"NULL|600 - 609|4|100.00"_s, u"共有考生：4|最高分：603|最低分：600|平均分：601.50"_s,
                     u"01 语文|NULL|NULL|NULL"_s, u"NULL|分数段|人数|所占比例(%)"_s,
                     u"NULL|60 - 64|2| 50.00"_s, u"NULL|55 - 59|0|NULL"_s, u"NULL|50 - 54|2| 50.00"_s,
                     u"共有考生：4|最高分：64|最低分：50|平均分： 57.50"_s}));

        const QStringList zyxx = TableRows(f.Univ(), u"zyxx"_s);
        QCOMPARE(zyxx.mid(0, 3), (QStringList{u"专业1报考取向|NULL|NULL|NULL|NULL"_s,
                                              u"NULL|专业名称|招生计划数|专业1报考数|计划数:报考数"_s,
                                              u"NULL|001-01 计算机科学与技术|2|1|1 : 0.50"_s}));
        QVERIFY(zyxx.contains(u"NULL|009-05 生物科学|-3|0|NULL"_s));
        QVERIFY(zyxx.contains(u"NULL|总  计|2|1|1 : 0.50"_s));
        QVERIFY(zyxx.contains(u"NULL|专业名称|招生计划数|预录取数|NULL"_s));
        QVERIFY(zyxx.contains(u"NULL|总  计|2|1|NULL"_s));
        const qsizetype satisfaction = zyxx.indexOf(u"报考专业满足率|NULL|NULL|NULL|NULL"_s);
        QVERIFY(satisfaction > 0);
        QCOMPARE(zyxx.mid(satisfaction + 1),
                 (QStringList{u"NULL|类别|人数|所占比例(%)|NULL"_s, u"NULL|第1专业|1|20.00|NULL"_s,
                              u"NULL|第2专业|0|0.00|NULL"_s, u"NULL|第3专业|0|0.00|NULL"_s,
                              u"NULL|第4专业|0|0.00|NULL"_s, u"NULL|第5专业|0|0.00|NULL"_s,
                              u"NULL|第6专业|0|0.00|NULL"_s, u"NULL|调剂|0|0.00|NULL"_s,
                              u"NULL|退档|0|0.00|NULL"_s, u"NULL|未定|4|80.00|NULL"_s}));

        QStringList expected{u"show 请等待|正在生成成绩信息报表,请稍候...|0|20|5"_s};
        expected << QStringList(5, u"step"_s) << u"show ||20|60|6"_s << QStringList(6, u"step"_s)
                 << u"show ||80|20|3"_s << QStringList(3, u"step"_s) << u"hide"_s;
        QCOMPARE(progress.Calls, expected);
    }

    // A major caption is cut to 30 characters; one unit drops the unit prefix.
    void narrowsToAUnit()
    {
        TStatsFixture f;
        f.Exec(
            {u"update T_JHK set ZYMC = \"一个名称很长很长很长很长很长很长很长很长很长很长很长很长的专业\" where ZYDH = \"02\""_s});
        f.Add(u"U1"_s, {{u"GKCJX01"_s, 80}}, u"002"_s);
        f.Open();
        TFakeProgress progress;
        FillStatWorkTables(f.Dm(), u"001"_s, progress);
        const QStringList zyxx = TableRows(f.Univ(), u"zyxx"_s);
        QVERIFY(zyxx.contains(u"NULL|01 计算机科学与技术|2|0|1 : 0.00"_s));
        QVERIFY(
            zyxx.contains(u"NULL|02 一个名称很长很长很长很长很长很长很长很长很长很长很长很|1|0|1 : 0.00"_s));
        QCOMPARE(zyxx.filter(u"满足率"_s).size(), 0); // nobody in unit 001
        QVERIFY(TableRows(f.Univ(), u"cjxx"_s).isEmpty());

        FillStatWorkTables(f.Dm(), QString(), progress);
        QVERIFY(TableRows(f.Univ(), u"zyxx"_s)
                    .contains(u"NULL|001-02 一个名称很长很长很长很长很长很长很长很长很长很|1|0|1 : 0.00"_s));
    }

    // A failing statement reaches the caller, the progress window is hidden and the
    // tables keep their previous rows.
    void failureHidesProgressAndKeepsTables()
    {
        TStatsFixture f;
        f.Add(u"F1"_s, {{u"GKCJX01"_s, 80}});
        f.Exec({u"insert into TD_CJXDM values (\"06\", \"地理\", \"000\")"_s,
                u"insert into bmxx (xm) values (\"old\")"_s});
        f.Open();
        TFakeProgress progress;
        QVERIFY_THROWS_EXCEPTION(EZKError, FillStatWorkTables(f.Dm(), QString(), progress));
        QCOMPARE(progress.Calls.last(), u"hide"_s);
        QCOMPARE(TableRows(f.Univ(), u"bmxx"_s), QStringList{u"old|NULL|NULL|NULL"_s});
    }
};

QTEST_GUILESS_MAIN(TestStatWorkTables)
#include "tst_StatWorkTables.moc"
