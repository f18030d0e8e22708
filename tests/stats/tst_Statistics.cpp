// Every statistic of the tree on small sets: list rows, chart, status texts, messages.
#include "StatsFixture.h"
#include "stats/StatWorkTables.h"
#include "stats/Statistics.h"
#include "store/SqlIdentifiers.h"
#include "store/SqlQuery.h"
#include "store/ZKMainDef.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// The candidates of the majors test (the fixture's plan: 001/01 2 places, 001/02 1,
// 001/04 1, 002/03 1, 009/05 −3).
void AddMajorCandidates(TStatsFixture &f)
{
    TFixtureCandidate m1{u"M1"_s};
    m1.ZYDH = {u"01"_s};
    m1.KSZT = u"1"_s;
    m1.LQZY = m1.YTZY = u"01"_s;
    TFixtureCandidate m2{u"M2"_s};
    m2.ZYDH = {u"01"_s};
    TFixtureCandidate m3{u"M3"_s, u"考生"_s, u"002"_s};
    m3.ZYDH = {u"03"_s};
    m3.KSZT = u"1"_s;
    m3.LQZY = m3.YTZY = u"03"_s;
    TFixtureCandidate m4{u"M4"_s};
    m4.ZYDH = {u"02"_s};
    m4.KSZT = u"1"_s;
    m4.LQZY = m4.YTZY = u"01"_s;
    for (const TFixtureCandidate &c : {m1, m2, m3, m4})
        f.AddCandidate(c);
}

int UnitEntryOf(TMainDM &dm, const QString &code)
{
    return dm.GetCurrentTDDWId(code) + 1;
}

} // namespace

class TestStatistics : public QObject
{
    Q_OBJECT

private slots:
    void namesTheLeavesAndUnits()
    {
        TStatsFixture f;
        f.Open();
        TStatistics stats(f.Dm());
        QCOMPARE(stats.ItemStrArray()[sgRegistration],
                 (QStringList{u"性别"_s, u"民族"_s, u"考生类别"_s, u"毕业类别"_s, u"政治面貌"_s}));
        QCOMPARE(stats.ItemStrArray()[sgScore], (QStringList{u"预投基准分"_s, u"01 语文"_s, u"02 数学"_s,
                                                             u"03 物理"_s, u"04 化学"_s, u"05 生物"_s}));
        QCOMPARE(stats.ItemStrArray()[sgMajor],
                 (QStringList{u"专业1报考取向"_s, u"各专业录取进展"_s, u"报考专业满足率"_s}));
        QCOMPARE(StatUnitEntries(f.Dm()),
                 (QStringList{u"所有投档单位"_s, u"001 一志愿投档"_s, u"002 二志愿投档"_s}));
        QCOMPARE(StatUnitPrintText(f.Dm(), 0), u"全部"_s);
        QCOMPARE(StatUnitPrintText(f.Dm(), 2), u"002 二志愿投档"_s);
    }

    // Counts by a code with its name, a missing code counted in the total, pie colours
    // starting again after the eighth, and the unit narrowing the count.
    void countsRegistrationItems()
    {
        TStatsFixture f;
        f.Add(u"R1"_s, {{u"XBDM"_s, u"1"_s}, {u"MZDM"_s, u"01"_s}});
        f.Add(u"R2"_s, {{u"XBDM"_s, u"1"_s}, {u"MZDM"_s, u"02"_s}});
        f.Add(u"R3"_s, {{u"XBDM"_s, u"2"_s}, {u"MZDM"_s, u"03"_s}}, u"002"_s);
        f.Add(u"R4"_s, {{u"XBDM"_s, QVariant()}, {u"MZDM"_s, u"04"_s}});
        for (int i = 5; i <= 9; ++i)
            f.Add(u"R%1"_s.arg(i), {{u"XBDM"_s, u"1"_s}, {u"MZDM"_s, u"0%1"_s.arg(i)}});
        f.Open();
        TStatistics stats(f.Dm());

        TStatResult sex = stats.Compute(sgRegistration, 0);
        QVERIFY(!sex.HasMessage());
        QCOMPARE(sex.Columns.size(), 3);
        QCOMPARE(sex.Columns[0].Caption, u"性别"_s);
        QCOMPARE(sex.Columns[2].Caption, u"所占比例(%)"_s);
        QCOMPARE(sex.Columns[2].Width, 150);
        QCOMPARE(JoinedRows(sex), (QStringList{u"|1| 11.11"_s, u"男|7| 77.78"_s, u"女|1| 11.11"_s}));
        QCOMPARE(sex.Chart.Kind, TStatChartKind::Pie);
        QCOMPARE(sex.Chart.Title, u"所有投档单位类考生性别比例统计图"_s);
        QCOMPARE(sex.Status[0], std::optional<QString>(u"共有考生：9"_s));
        QCOMPARE(sex.Status[1], std::optional<QString>(QString()));

        const TStatResult nation = stats.Compute(sgRegistration, 1);
        const TStatSeries &slices = nation.Chart.Series.at(0);
        QCOMPARE(slices.Points.size(), 9);
        QCOMPARE(slices.Points[0].Label, u"汉族"_s);
        QCOMPARE(slices.Points[1].Colour, PieColor[1]);
        QCOMPARE(slices.Points[7].Colour, PieColor[7]);
        QCOMPARE(slices.Points[8].Colour, PieColor[0]);

        stats.SetUnitEntry(UnitEntryOf(f.Dm(), u"002"_s));
        sex = stats.Compute(sgRegistration, 0);
        QCOMPARE(JoinedRows(sex), (QStringList{u"女|1|100.00"_s}));
        QCOMPARE(sex.Chart.Title, u"002 二志愿投档类考生性别比例统计图"_s);
    }

    // Bands 50–54 and 60–64 occupied: 55–59 is listed with 0; the list shows the highest
    // band first, the chart the lowest; the base score always uses a step of 10.
    void walksScoreBandsWithEmptyOnes()
    {
        TStatsFixture f;
        const QList<QPair<double, double>> scores{{50, 585}, {54, 600}, {62, 600.5}, {62, 619}, {64, 604}};
        int n = 0;
        for (const auto &[chinese, base] : scores)
            f.Add(u"S%1"_s.arg(++n), {{u"GKCJX01"_s, chinese}, {u"ZYYTJZCJ"_s, base}});
        f.Add(u"S9"_s, {{u"ZYYTJZCJ"_s, 590}}); // no Chinese score
        f.Open();
        TStatistics stats(f.Dm());
        stats.SetScoreStepText(u"5"_s);

        const TStatResult chinese = stats.Compute(sgScore, 1);
        QVERIFY(!chinese.HasMessage());
        QCOMPARE(chinese.Columns[0].Caption, u"分数段"_s);
        QCOMPARE(JoinedRows(chinese),
                 (QStringList{u"60 - 64|3| 60.00"_s, u"55 - 59|0|  0.00"_s, u"50 - 54|2| 40.00"_s}));
        QCOMPARE(chinese.Chart.Kind, TStatChartKind::Bar);
        QCOMPARE(chinese.Chart.Title, u"所有投档单位类考生01 语文分数分布直方图"_s);
        QCOMPARE(PointTexts(chinese.Chart.Series.at(0)),
                 (QStringList{u"50-=2 #C0FFC0"_s, u"55-=0 #C0FFC0"_s, u"60-=3 #C0FFC0"_s}));
        QCOMPARE(chinese.Status[0], std::optional<QString>(u"共有考生：5"_s));
        QCOMPARE(chinese.Status[1], std::optional<QString>(u"最高分：64; 最低分：50"_s));
        QCOMPARE(chinese.Status[2], std::optional<QString>(u"平均分： 58.40"_s));

        stats.SetScoreStepText(u"10"_s);
        QCOMPARE(JoinedRows(stats.Compute(sgScore, 1)),
                 (QStringList{u"60 - 69|3| 60.00"_s, u"50 - 59|2| 40.00"_s}));

        stats.SetScoreStepText(u"5"_s);
        const TStatResult base = stats.Compute(sgScore, 0);
        QCOMPARE(JoinedRows(base), (QStringList{u"610 - 619|1| 16.67"_s, u"600 - 609|3| 50.00"_s,
                                                u"590 - 599|1| 16.67"_s, u"580 - 589|1| 16.67"_s}));
        QCOMPARE(base.Status[1], std::optional<QString>(u"最高分：619; 最低分：585"_s));
        QCOMPARE(base.Chart.Title, u"所有投档单位类考生预投基准分分数分布直方图"_s);
    }

    // A score item nobody of the unit has shows a message and keeps the previous result;
    // a failing statement shows the error message with the error icon.
    void reportsMissingAndFailingScores()
    {
        TStatsFixture f;
        f.Add(u"S1"_s, {{u"GKCJX01"_s, 80}});
        f.Add(u"S2"_s, {{u"GKCJX01"_s, 90}, {u"GKCJX02"_s, 70}}, u"002"_s);
        f.Exec({u"insert into TD_CJXDM values (\"06\", \"地理\", \"000\")"_s});
        f.Open();
        TStatistics stats(f.Dm());
        stats.SetUnitEntry(UnitEntryOf(f.Dm(), u"001"_s));

        const TStatResult none = stats.Compute(sgScore, 2); // 02 数学: only unit 002 has it
        QCOMPARE(none.Message, u"此投档单位中不包含此科目。"_s);
        QCOMPARE(none.MessageIcon, TMsgIcon::Warning);
        QVERIFY(none.KeepPrevious);
        QVERIFY(none.Rows.isEmpty());

        const TStatResult broken = stats.Compute(sgScore, 6); // 06: no GKCJX06 column
        QVERIFY(broken.Message.startsWith(u"统计时出错:\r\n"_s));
        QVERIFY(broken.Message.size() > StatErrorPrefix.size());
        QCOMPARE(broken.MessageIcon, TMsgIcon::Error);
        QVERIFY(broken.KeepPrevious);

        stats.SetUnitEntry(0);
        QCOMPARE(JoinedRows(stats.Compute(sgScore, 2)), (QStringList{u"70 - 74|1|100.00"_s}));
    }

    // Score item codes are the leader's and become column names: one that is not a plain
    // identifier is refused with the error message before any statement is built from it
    // (the attached-file form would create the file).
    void refusesScoreCodesThatAreNoColumnNames()
    {
        QTemporaryDir dir;
        const QString evil = dir.filePath(u"evil.mdb"_s);
        const QStringList codes{u"01 is null or 1"_s, u"01]"_s, u"01\"x"_s, u"01;drop table t_tdd"_s,
                                u"01 in \""_s + evil + u"\""_s, u"0\n1"_s};
        TStatsFixture f;
        f.Add(u"S1"_s, {{u"GKCJX01"_s, 80}});
        TSqlQuery insert(&f.Univ());
        insert.SetSQL(u"insert into TD_CJXDM values (:code, :name, \"000\")"_s);
        for (const QString &code : codes) {
            insert.SetTextParam(u"code"_s, code);
            insert.SetTextParam(u"name"_s, u"坏"_s);
            insert.ExecSQL();
        }
        f.Open();
        TStatistics stats(f.Dm());
        stats.SetScoreStepText(u"5"_s);
        for (const QString &code : codes) {
            const int leaf = int(stats.ItemStrArray()[sgScore].indexOf(code + u" 坏"_s));
            QVERIFY2(leaf > 0, qPrintable(code));
            const TStatResult r = stats.Compute(sgScore, leaf);
            QCOMPARE(r.Message, StatErrorPrefix + IdentifierRefusalText(u"GKCJX"_s + code));
            QCOMPARE(r.MessageIcon, TMsgIcon::Error);
            QVERIFY(r.KeepPrevious);
        }
        QCOMPARE(JoinedRows(stats.Compute(sgScore, 1)), (QStringList{u"80 - 84|1|100.00"_s}));
        TFakeProgress progress;
        QVERIFY_THROWS_EXCEPTION(EZKError, FillStatWorkTables(f.Dm(), QString(), progress));
        QVERIFY(!QFile::exists(evil));
        QVERIFY(f.Univ().TableExists(u"t_tdd"_s));
    }

    // Graded items: one row per grade, highest grade number first, with its text; a grade
    // number without text shows the number; the base score is never graded.
    void countsGradedItems()
    {
        TStatsFixture f(true);
        f.Add(u"G1"_s, {{u"GKCJX03"_s, 3}, {u"GKCJX05"_s, u"2"_s}});
        f.Add(u"G2"_s, {{u"GKCJX03"_s, 3}, {u"GKCJX05"_s, u"0"_s}});
        f.Add(u"G3"_s, {{u"GKCJX03"_s, 1}, {u"GKCJX05"_s, u"2"_s}});
        f.Add(u"G4"_s, {{u"GKCJX03"_s, 7}});
        f.Add(u"G5"_s, {});
        f.Open();
        QVERIFY(ZKMainDef().RankScoreSupported);
        TStatistics stats(f.Dm());

        const TStatResult physics = stats.Compute(sgScore, 3);
        QVERIFY2(!physics.HasMessage(), qPrintable(physics.Message));
        QCOMPARE(physics.Columns[0].Caption, u"等级"_s);
        QCOMPARE(JoinedRows(physics), (QStringList{u"7|1| 25.00"_s, u"A|2| 50.00"_s, u"C|1| 25.00"_s}));
        QCOMPARE(physics.Chart.Kind, TStatChartKind::Bar);
        QCOMPARE(physics.Chart.Title, u"所有投档单位类考生03 物理等级分布直方图"_s);
        QCOMPARE(PointTexts(physics.Chart.Series.at(0)),
                 (QStringList{u"7=1 #C0FFC0"_s, u"A=2 #C0FFC0"_s, u"C=1 #C0FFC0"_s}));
        QCOMPARE(physics.Status[0], std::optional<QString>(u"共有考生：4"_s));

        QCOMPARE(JoinedRows(stats.Compute(sgScore, 5)),
                 (QStringList{u"合格|2| 66.67"_s, u"不合格|1| 33.33"_s}));
        QCOMPARE(stats.Compute(sgScore, 4).Message, u"此投档单位中不包含此科目。"_s);
        QCOMPARE(stats.Compute(sgScore, 0).Columns[0].Caption, u"分数段"_s);
    }

    void comparesPlanWithChoicesAndAdmissions()
    {
        TStatsFixture f;
        AddMajorCandidates(f);
        f.Open();
        TStatistics stats(f.Dm());

        const TStatResult first = stats.Compute(sgMajor, smFirstChoice);
        QStringList captions;
        for (const TStatColumn &c : first.Columns)
            captions.append(u"%1/%2"_s.arg(c.Caption).arg(c.Width));
        QCOMPARE(captions, (QStringList{u"专业名称/150"_s, u"招生计划数/75"_s, u"专业1报考数/80"_s,
                                        u"计划数:报考数/90"_s}));
        QCOMPARE(
            JoinedRows(first),
            (QStringList{u"001-01 计算机科学与技术|2|2|1 : 1.00"_s, u"001-02 数学与应用数学|1|1|1 : 1.00"_s,
                         u"001-04 化学|1|0|1 : 0.00"_s, u"002-03 物理学|1|1|1 : 1.00"_s,
                         u"009-05 生物科学|-3|0|"_s, u"总  计|2|4|1 : 2.00"_s}));
        QCOMPARE(first.Chart.Kind, TStatChartKind::HBar);
        QCOMPARE(first.Chart.Title, u"所有投档单位类考生专业1报考取向比例统计图"_s);
        QCOMPARE(first.Chart.Series.size(), 2);
        QCOMPARE(first.Chart.Series[0].Title, u"专业1报考数"_s);
        QCOMPARE(first.Chart.Series[0].Colour, std::optional<TStatColour>(0xC0C0FF));
        QCOMPARE(first.Chart.Series[0].Points[0].Label, u"001-01 计算机科学与"_s);
        QCOMPARE(first.Chart.Series[0].Points[0].Value, 2.0);
        QCOMPARE(first.Chart.Series[1].Title, u"计划数"_s);
        QCOMPARE(PointTexts(first.Chart.Series[1]).value(4), u"=-3 #C0FFC0"_s);
        QCOMPARE(first.Status[0], std::optional<QString>(u"共有专业：5"_s));
        QVERIFY(!first.Status[1].has_value() && !first.Status[2].has_value());

        const TStatResult admitted = stats.Compute(sgMajor, smAdmissions);
        QCOMPARE(admitted.Columns.size(), 3);
        QCOMPARE(admitted.Columns[2].Caption, u"预录取数"_s);
        QCOMPARE(JoinedRows(admitted),
                 (QStringList{u"001-01 计算机科学与技术|2|2"_s, u"001-02 数学与应用数学|1|0"_s,
                              u"001-04 化学|1|0"_s, u"002-03 物理学|1|1"_s, u"009-05 生物科学|-3|0"_s,
                              u"总  计|2|3"_s}));
        QCOMPARE(admitted.Chart.Series[0].Title, u"预录取数"_s);

        stats.SetUnitEntry(UnitEntryOf(f.Dm(), u"001"_s));
        QCOMPARE(JoinedRows(stats.Compute(sgMajor, smFirstChoice)),
                 (QStringList{u"01 计算机科学与技术|2|2|1 : 1.00"_s, u"02 数学与应用数学|1|1|1 : 1.00"_s,
                              u"04 化学|1|0|1 : 0.00"_s, u"总  计|4|3|1 : 0.75"_s}));
    }

    // 20 candidates: 8 admitted to their first choice, 2 to their third, 3 outside their
    // choices, 3 returned, 4 undecided.
    void measuresChoiceSatisfaction()
    {
        TStatsFixture f;
        auto add = [&f](const QString &ksh, const QString &kszt, const QString &lqzy,
                        const QStringList &wishes) {
            TFixtureCandidate c{ksh};
            c.KSZT = kszt;
            c.LQZY = c.YTZY = lqzy;
            c.ZYDH = wishes;
            f.AddCandidate(c);
        };
        int n = 0;
        for (int i = 0; i < 8; ++i)
            add(u"A%1"_s.arg(++n), u"1"_s, u"01"_s, {u"01"_s, u"02"_s});
        for (int i = 0; i < 2; ++i)
            add(u"A%1"_s.arg(++n), u"1"_s, u"01"_s, {u"02"_s, u"04"_s, u"01"_s});
        for (int i = 0; i < 3; ++i)
            add(u"A%1"_s.arg(++n), u"1"_s, u"01"_s, {u"02"_s, u"04"_s});
        for (const QString &kszt : {u"2"_s, u"2"_s, u"3"_s})
            add(u"A%1"_s.arg(++n), kszt, u"  "_s, {u"01"_s});
        for (int i = 0; i < 4; ++i)
            add(u"A%1"_s.arg(++n), u"0"_s, u" ?"_s, {u"01"_s});
        f.Open();
        TStatistics stats(f.Dm());

        const TStatResult r = stats.Compute(sgMajor, smSatisfaction);
        QVERIFY(!r.HasMessage());
        QCOMPARE(r.Columns[0].Caption, u"类  别"_s);
        QCOMPARE(r.Columns[1].Caption, u"人  数"_s);
        QCOMPARE(JoinedRows(r), (QStringList{u"第1专业|8|40.00"_s, u"第2专业|0|0.00"_s, u"第3专业|2|10.00"_s,
                                             u"第4专业|0|0.00"_s, u"第5专业|0|0.00"_s, u"第6专业|0|0.00"_s,
                                             u"调剂|3|15.00"_s, u"退档|3|15.00"_s, u"未定|4|20.00"_s}));
        QCOMPARE(r.Chart.Kind, TStatChartKind::Pie);
        QCOMPARE(r.Chart.Title, u"所有投档单位类考生报考专业满足情况统计图"_s);
        QList<TStatColour> colours;
        for (const TStatPoint &p : r.Chart.Series.at(0).Points)
            colours.append(p.Colour);
        QCOMPARE(colours, (QList<TStatColour>{PieColor[1], PieColor[2], PieColor[3], PieColor[4], PieColor[5],
                                              PieColor[6], PieColor[7], PieColor[0], PieColor[1]}));
        QCOMPARE(r.Status[0], std::optional<QString>(QString()));

        stats.SetUnitEntry(UnitEntryOf(f.Dm(), u"002"_s));
        const TStatResult empty = stats.Compute(sgMajor, smSatisfaction);
        QCOMPARE(empty.Message, u"目前还没有考生。"_s);
        QVERIFY(!empty.KeepPrevious);
    }
};

QTEST_GUILESS_MAIN(TestStatistics)
#include "tst_Statistics.moc"
