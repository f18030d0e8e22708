#include "Statistics.h"

#include "store/SqlQuery.h"
#include "store/ZKError.h"
#include "workspace/MainDM.h"

using namespace Qt::StringLiterals;

QString StatShareText(int count, int total)
{
    return QString::asprintf("%6.2f", total != 0 ? count * 100.0 / total : 0.0);
}

QString StatShortShareText(int count, int total)
{
    return QString::asprintf("%0.2f", total != 0 ? count * 100.0 / total : 0.0);
}

QString StatRatioText(int count, int plan)
{
    return QString::asprintf("1 : %0.2f", plan != 0 ? double(count) / plan : 0.0);
}

QString StatBandText(qint64 band, int step)
{
    return QString::asprintf("%lld - %lld", band * step, (band + 1) * step - 1);
}

QString StatTotalText(int total)
{
    return QString::asprintf("共有考生：%d", total);
}

QString StatMajorCaption(const TStatMajorRow &row, bool allUnits)
{
    const QString caption = row.Zydh + u' ' + row.Zymc;
    return allUnits ? row.Tddw + u'-' + caption : caption;
}

QString StatGradeText(const TMainDM &dm, int rankId, const QVariant &grade)
{
    bool ok = false;
    const int number = grade.toString().trimmed().toInt(&ok);
    const QString text = ok ? dm.GetRankDesc(rankId, number) : QString();
    return text.isEmpty() ? SqlValueText(grade) : text;
}

QList<QPair<QString, int>> StatSatisfactionRows(const TStatSatisfaction &s)
{
    QList<QPair<QString, int>> rows;
    for (int i = 1; i <= 6; ++i)
        rows.append({QString::asprintf("第%d专业", i), s.Choice[size_t(i - 1)]});
    rows.append({u"调剂"_s, s.Adjusted()});
    rows.append({u"退档"_s, s.Returned});
    rows.append({u"未定"_s, s.Undecided});
    return rows;
}

TStatistics::TStatistics(TMainDM &dm)
    : FDm(dm)
{
    RebuildItems();
}

void TStatistics::RebuildItems()
{
    FNames = StatItemNames(FDm);
}

int TStatistics::ScoreStep() const
{
    bool ok = false;
    const int step = FScoreStepText.trimmed().toInt(&ok);
    return ok && step > 0 ? step : 5;
}

QString TStatistics::UnitText() const
{
    return StatUnitEntries(FDm).value(FUnitEntry, StatAllUnitsText);
}

TStatQueries TStatistics::Queries() const
{
    return TStatQueries(FDm, StatUnitCode(FDm, FUnitEntry));
}

TStatResult TStatistics::Compute(int group, int leaf)
{
    switch (group) {
    case sgRegistration:
        return ComputeRegistration(leaf);
    case sgScore:
        return ComputeScore(leaf);
    case sgMajor:
        return leaf == smSatisfaction ? ComputeSatisfaction() : ComputeMajors(leaf);
    default:
        break;
    }
    throw EZKError(u"no statistic %1/%2"_s.arg(group).arg(leaf));
}

TStatResult TStatistics::ComputeRegistration(int leaf)
{
    const TStatRegistrationItem &item = StatRegistrationItems().at(leaf);
    const QList<TStatCount> counts = Queries().CountByCode(item.Column);
    const int total = StatTotal(counts);
    TStatResult r;
    r.Columns = {{item.Name, 100}, {u"人数"_s, 100}, {u"所占比例(%)"_s, 150}};
    r.Chart.Kind = TStatChartKind::Pie;
    r.Chart.Title = UnitText() + u"类考生"_s + item.Name + u"比例统计图"_s;
    TStatSeries series;
    for (const TStatCount &c : counts) {
        const QString name =
            FDm.GetDMMC(item.DMTableIndex, c.Value.isValid() ? c.Value.toString() : QString());
        r.Rows.append({name, QString::number(c.Count), StatShareText(c.Count, total)});
        series.Points.append(
            {name, double(c.Count), PieColor[size_t(series.Points.size() % PieColor.size())]});
    }
    r.Chart.Series.append(series);
    r.Status = {StatTotalText(total), QString(), QString()};
    return r;
}
