// The score statistics: grade counts of graded items, score bands of the others.
#include "Statistics.h"
#include "store/ZKError.h"
#include "workspace/MainDM.h"

using namespace Qt::StringLiterals;

namespace {

TStatResult NoScoreResult()
{
    TStatResult r;
    r.Message = StatNoScoreMessage;
    r.MessageIcon = TMsgIcon::Warning;
    r.KeepPrevious = true;
    return r;
}

} // namespace

TStatResult TStatistics::ComputeScore(int leaf)
{
    try {
        const QString column = StatScoreColumn(FDm, leaf);
        const int rankId = StatScoreRankId(FDm, leaf);
        return rankId >= 0 ? ComputeGraded(leaf, column, rankId) : ComputeBands(leaf, column);
    } catch (const EZKError &e) {
        TStatResult r;
        r.Message = StatErrorPrefix + e.Message();
        r.MessageIcon = TMsgIcon::Error;
        r.KeepPrevious = true;
        return r;
    }
}

TStatResult TStatistics::ComputeGraded(int leaf, const QString &column, int rankId)
{
    const QList<TStatCount> counts = Queries().CountByGrade(column);
    const int total = StatTotal(counts);
    if (total <= 0)
        return NoScoreResult();
    const QString &name = FNames[sgScore].at(leaf);
    TStatResult r;
    r.Columns = {{u"等级"_s, 100}, {u"人数"_s, 100}, {u"所占比例(%)"_s, 150}};
    r.Chart.Kind = TStatChartKind::Bar;
    r.Chart.Title = UnitText() + u"类考生"_s + name + u"等级分布直方图"_s;
    TStatSeries series;
    series.Colour = StatBarColour;
    for (const TStatCount &c : counts) {
        const QString grade = StatGradeText(FDm, rankId, c.Value);
        r.Rows.append({grade, QString::number(c.Count), StatShareText(c.Count, total)});
        series.Points.append({grade, double(c.Count), StatBarColour});
    }
    r.Chart.Series.append(series);
    r.Status = {StatTotalText(total), QString(), QString()};
    return r;
}

TStatResult TStatistics::ComputeBands(int leaf, const QString &column)
{
    const int step = leaf == 0 ? 10 : ScoreStep();
    TStatQueries queries = Queries();
    const QList<TStatBand> bands = queries.CountByBand(column, step);
    const int total = StatTotal(bands);
    if (total <= 0)
        return NoScoreResult();
    const QString &name = FNames[sgScore].at(leaf);
    TStatResult r;
    r.Columns = {{u"分数段"_s, 100}, {u"人数"_s, 100}, {u"所占比例(%)"_s, 150}};
    r.Chart.Kind = TStatChartKind::Bar;
    r.Chart.Title = UnitText() + u"类考生"_s + name + u"分数分布直方图"_s;
    TStatSeries series;
    series.Colour = StatBarColour;
    // Every band from the lowest occupied one up to the highest, empty ones with 0; the
    // list shows the highest band first, the chart the lowest.
    qint64 band = bands.first().Band;
    for (int i = 0; i < bands.size(); ++band) {
        int count = 0;
        if (bands[i].Band == band)
            count = bands[i++].Count;
        r.Rows.prepend({StatBandText(band, step), QString::number(count), StatShareText(count, total)});
        series.Points.append({QString::asprintf("%lld-", band * step), double(count), StatBarColour});
    }
    r.Chart.Series.append(series);
    const TStatScoreSummary summary = queries.ScoreSummary(column);
    r.Status = {StatTotalText(total), u"最高分："_s + summary.Max + u"; 最低分："_s + summary.Min,
                QString::asprintf("平均分：%6.2f", summary.Avg)};
    return r;
}
