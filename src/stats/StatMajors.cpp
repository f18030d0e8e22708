// The major statistics: plan against first choices or pre-admissions, and how far the
// candidates were admitted to one of their choices.
#include "Statistics.h"
#include "workspace/MainDM.h"

using namespace Qt::StringLiterals;

TStatResult TStatistics::ComputeMajors(int mode)
{
    TStatQueries queries = Queries();
    const QList<TStatMajorRow> rows = queries.MajorRows(mode);
    const bool allUnits = !queries.HasUnit();
    const QString countTitle = mode == 0 ? u"专业1报考数"_s : u"预录取数"_s;
    TStatResult r;
    r.Columns = {{u"专业名称"_s, 150}, {u"招生计划数"_s, 75}};
    if (mode == 0)
        r.Columns += {{countTitle, 80}, {u"计划数:报考数"_s, 90}};
    else
        r.Columns += {{countTitle, 80}};
    r.Chart.Kind = TStatChartKind::HBar;
    r.Chart.Title = UnitText() + u"类考生"_s + FNames[sgMajor].at(mode) + u"比例统计图"_s;
    TStatSeries counts{countTitle, StatCountColour, {}};
    TStatSeries plans{u"计划数"_s, StatBarColour, {}};
    int planSum = 0;
    int countSum = 0;
    for (const TStatMajorRow &row : rows) {
        const QString caption = StatMajorCaption(row, allUnits);
        QStringList cells{caption, QString::number(row.Jhzxs), QString::number(row.Count)};
        if (mode == 0)
            cells.append(row.Jhzxs > 0 ? StatRatioText(row.Count, row.Jhzxs) : QString());
        r.Rows.append(cells);
        counts.Points.append({caption.left(13), double(row.Count), StatCountColour});
        plans.Points.append({QString(), double(row.Jhzxs), StatBarColour});
        planSum += row.Jhzxs;
        countSum += row.Count;
    }
    QStringList total{u"总  计"_s, QString::number(planSum), QString::number(countSum)};
    if (mode == 0)
        total.append(planSum > 0 ? StatRatioText(countSum, planSum) : QString());
    r.Rows.append(total);
    r.Chart.Series = {counts, plans};
    r.Status[0] = QString::asprintf("共有专业：%d", int(rows.size()));
    return r;
}

TStatResult TStatistics::ComputeSatisfaction()
{
    const TStatSatisfaction s = Queries().Satisfaction();
    TStatResult r;
    if (s.Total < 1) {
        r.Message = StatNoCandidatesMessage;
        r.MessageIcon = TMsgIcon::Warning;
        r.KeepPrevious = false;
        return r;
    }
    r.Columns = {{u"类  别"_s, 120}, {u"人  数"_s, 80}, {u"所占比例(%)"_s, 100}};
    r.Chart.Kind = TStatChartKind::Pie;
    r.Chart.Title = UnitText() + u"类考生报考专业满足情况统计图"_s;
    // Choice i takes colour i; adjustment, returned and undecided the last, first and
    // second colour.
    static constexpr std::array<size_t, 9> colours{1, 2, 3, 4, 5, 6, 7, 0, 1};
    TStatSeries series;
    const auto rows = StatSatisfactionRows(s);
    for (int i = 0; i < rows.size(); ++i) {
        const auto &[caption, count] = rows[i];
        r.Rows.append({caption, QString::number(count), StatShortShareText(count, s.Total)});
        series.Points.append({caption, double(count), PieColor[colours[size_t(i)]]});
    }
    r.Chart.Series.append(series);
    r.Status = {QString(), QString(), QString()};
    return r;
}
