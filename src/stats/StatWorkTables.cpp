#include "StatWorkTables.h"

#include "StatQueries.h"
#include "Statistics.h"
#include "store/SqlQuery.h"
#include "workspace/MainDM.h"

using namespace Qt::StringLiterals;

namespace {

// Appends rows to one work table; a cell left out is null.
class TWorkTableWriter
{
public:
    TWorkTableWriter(TSqlConnection &conn, const QString &table, const QStringList &columns)
        : FQuery(&conn)
        , FColumns(columns)
    {
        conn.ExecSQL(u"delete from "_s + table);
        QStringList params;
        for (const QString &c : columns)
            params.append(u':' + c);
        FQuery.SetSQL(
            u"insert into %1 (%2) values (%3)"_s.arg(table, columns.join(u", "_s), params.join(u", "_s)));
    }

    void Append(const QStringList &cells)
    {
        for (int i = 0; i < FColumns.size(); ++i) {
            const QString cell = cells.value(i);
            FQuery.SetParam(FColumns[i], i < cells.size() && !cell.isNull() ? QVariant(cell) : QVariant());
        }
        FQuery.ExecSQL();
    }

private:
    TSqlQuery FQuery;
    QStringList FColumns;
};

const QString Null;

void FillRegistration(TMainDM &dm, TStatQueries &queries, IProgressSink &progress)
{
    TWorkTableWriter bmxx(dm.UnivConn, u"bmxx"_s, {u"xm"_s, u"xmmc"_s, u"rs"_s, u"szbl"_s});
    for (const TStatRegistrationItem &item : StatRegistrationItems()) {
        const QList<TStatCount> counts = queries.CountByCode(item.Column);
        const int total = StatTotal(counts);
        bmxx.Append({item.Name});
        bmxx.Append({Null, item.Name, u"人数"_s, u"所占比例(%)"_s});
        for (const TStatCount &c : counts) {
            const QString name =
                dm.GetDMMC(item.DMTableIndex, c.Value.isValid() ? c.Value.toString() : QString());
            bmxx.Append(
                {Null, name, QString::number(c.Count), total > 0 ? StatShareText(c.Count, total) : Null});
        }
        progress.UpdateProgressTrans();
    }
}

void FillGraded(TMainDM &dm, TStatQueries &queries, TWorkTableWriter &cjxx, const QString &name,
                const QString &column, int rankId)
{
    const QList<TStatCount> counts = queries.CountByGrade(column);
    const int total = StatTotal(counts);
    if (total <= 0)
        return;
    cjxx.Append({name});
    cjxx.Append({Null, u"等级"_s, u"人数"_s, u"所占比例(%)"_s});
    for (const TStatCount &c : counts)
        cjxx.Append({Null, StatGradeText(dm, rankId, c.Value), QString::number(c.Count),
                     StatShareText(c.Count, total)});
    cjxx.Append({StatTotalText(total)});
}

void FillBands(TStatQueries &queries, TWorkTableWriter &cjxx, const QString &name, const QString &column,
               int step)
{
    const QList<TStatBand> bands = queries.CountByBand(column, step);
    const int total = StatTotal(bands);
    if (total <= 0)
        return;
    cjxx.Append({name});
    cjxx.Append({Null, u"分数段"_s, u"人数"_s, u"所占比例(%)"_s});
    // From the highest occupied band down to the lowest, empty bands with 0.
    int i = int(bands.size()) - 1;
    for (qint64 band = bands.last().Band; i >= 0; --band) {
        int count = 0;
        if (bands[i].Band == band)
            count = bands[i--].Count;
        cjxx.Append({Null, StatBandText(band, step), QString::number(count),
                     count > 0 ? StatShareText(count, total) : Null});
    }
    const TStatScoreSummary summary = queries.ScoreSummary(column);
    cjxx.Append({StatTotalText(total), u"最高分："_s + summary.Max, u"最低分："_s + summary.Min,
                 QString::asprintf("平均分：%6.2f", summary.Avg)});
}

void FillScores(TMainDM &dm, TStatQueries &queries, const QStringList &names, int scoreStep,
                IProgressSink &progress)
{
    TWorkTableWriter cjxx(dm.UnivConn, u"cjxx"_s, {u"xm"_s, u"fsd"_s, u"rs"_s, u"szbl"_s});
    for (int leaf = 0; leaf < names.size(); ++leaf) {
        const QString column = StatScoreColumn(dm, leaf);
        const int rankId = StatScoreRankId(dm, leaf);
        if (rankId >= 0)
            FillGraded(dm, queries, cjxx, names[leaf], column, rankId);
        else
            FillBands(queries, cjxx, names[leaf], column, leaf == 0 ? 10 : scoreStep);
        progress.UpdateProgressTrans();
    }
}

void FillMajorMode(TStatQueries &queries, TWorkTableWriter &zyxx, const QString &name, int mode)
{
    const QList<TStatMajorRow> rows = queries.MajorRows(mode);
    zyxx.Append({name});
    if (mode == 0)
        zyxx.Append({Null, u"专业名称"_s, u"招生计划数"_s, u"专业1报考数"_s, u"计划数:报考数"_s});
    else
        zyxx.Append({Null, u"专业名称"_s, u"招生计划数"_s, u"预录取数"_s});
    int planSum = 0;
    int countSum = 0;
    for (const TStatMajorRow &row : rows) {
        const QString ratio = mode == 0 && row.Jhzxs > 0 ? StatRatioText(row.Count, row.Jhzxs) : Null;
        zyxx.Append({Null, StatMajorCaption(row, !queries.HasUnit()).left(30), QString::number(row.Jhzxs),
                     QString::number(row.Count), ratio});
        planSum += row.Jhzxs;
        countSum += row.Count;
    }
    const QString ratio = mode == 0 && planSum > 0 ? StatRatioText(countSum, planSum) : Null;
    zyxx.Append({Null, u"总  计"_s, QString::number(planSum), QString::number(countSum), ratio});
}

void FillSatisfaction(TStatQueries &queries, TWorkTableWriter &zyxx)
{
    const TStatSatisfaction s = queries.Satisfaction();
    if (s.Total <= 0)
        return;
    zyxx.Append({u"报考专业满足率"_s});
    zyxx.Append({Null, u"类别"_s, u"人数"_s, u"所占比例(%)"_s});
    for (const auto &[caption, count] : StatSatisfactionRows(s))
        zyxx.Append({Null, caption, QString::number(count), StatShortShareText(count, s.Total)});
}

void FillMajors(TMainDM &dm, TStatQueries &queries, const QStringList &names, IProgressSink &progress)
{
    TWorkTableWriter zyxx(dm.UnivConn, u"zyxx"_s, {u"xm"_s, u"zymc"_s, u"jhrs"_s, u"bk_lqrs"_s, u"bl"_s});
    for (int mode = 0; mode < 2; ++mode) {
        FillMajorMode(queries, zyxx, names[mode], mode);
        progress.UpdateProgressTrans();
    }
    FillSatisfaction(queries, zyxx);
    progress.UpdateProgressTrans();
}

// Hides the progress window however the filling ends.
struct TProgressHider
{
    IProgressSink &Progress;
    ~TProgressHider() { Progress.HideProgress(); }
};

} // namespace

void FillStatWorkTables(TMainDM &dm, const QString &tddwdm, IProgressSink &progress, int scoreStep)
{
    TProgressHider hider{progress};
    const TStatItemNames names = StatItemNames(dm);
    TStatQueries queries(dm, tddwdm);
    // One transaction: the report sees either the new tables or, after an error, the old.
    TSqlTransaction transaction(dm.UnivConn);
    progress.ShowProgress(StatWorkTablesCaption, StatWorkTablesText, 0, 20,
                          int(names[sgRegistration].size()));
    FillRegistration(dm, queries, progress);
    progress.ShowProgress(QString(), QString(), 20, 60, int(names[sgScore].size()));
    FillScores(dm, queries, names[sgScore], scoreStep, progress);
    progress.ShowProgress(QString(), QString(), 80, 20, 3);
    FillMajors(dm, queries, names[sgMajor], progress);
    transaction.Commit();
}
