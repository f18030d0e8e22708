#include "StatQueries.h"

#include "store/SqlIdentifiers.h"
#include "store/SqlQuery.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString SetCondition = u"where pcdm = :pcdm and kldm = :kldm and jhxz = :jhxz"_s;

int IntOf(const QVariant &v)
{
    return v.isValid() ? int(v.toLongLong()) : 0;
}

// The six choice expressions of the satisfaction statement: a candidate with status 1, 4
// or 5 counts under the first choice whose unit and major are its current ones.
QString ChoiceExpressions()
{
    QString expressions;
    QString earlier;
    for (int i = 1; i <= 6; ++i) {
        expressions +=
            u",sum(iif((kszt in (\"1\", \"4\", \"5\"))%1 and (tddwdm%2=dqtddw) and (zydh%2=lqzy),1,0)) "
            "as zy%2_num"_s.arg(earlier)
                .arg(i);
        earlier += u" and ((tddwdm%1<>dqtddw) or (zydh%1<>lqzy))"_s.arg(i);
    }
    return expressions;
}

} // namespace

int TStatSatisfaction::Adjusted() const
{
    int adjusted = Total - Undecided - Returned;
    for (int c : Choice)
        adjusted -= c;
    return adjusted;
}

int StatTotal(const QList<TStatCount> &counts)
{
    int total = 0;
    for (const TStatCount &c : counts)
        total += c.Count;
    return total;
}

int StatTotal(const QList<TStatBand> &bands)
{
    int total = 0;
    for (const TStatBand &b : bands)
        total += b.Count;
    return total;
}

TStatQueries::TStatQueries(TMainDM &dm, QString tddw)
    : FDm(dm)
    , FTddw(std::move(tddw))
{}

QString TStatQueries::UnitLine(const QString &line) const
{
    return HasUnit() ? line : QString();
}

void TStatQueries::OpenWithParams(TSqlQuery &query, const QStringList &lines)
{
    QStringList used;
    for (const QString &line : lines) {
        if (!line.isEmpty())
            used.append(line);
    }
    query.SetSQL(used);
    const TZKMainDef &def = ZKMainDef();
    SetCodeParam(query, u"pcdm"_s, 1, def.CurPCDM);
    SetCodeParam(query, u"kldm"_s, 1, def.CurKLDM);
    SetCodeParam(query, u"jhxz"_s, 1, def.CurJHXZ);
    if (HasUnit())
        SetCodeParam(query, u"tddw"_s, 3, FTddw);
    query.Open();
}

QStringList TStatQueries::CountByCodeSql(const QString &name) const
{
    const QString column = QuoteIdentifier(name);
    return {u"Select "_s + column + u" as dm, count(*) as ks_num"_s, u"from t_tdd"_s, SetCondition,
            UnitLine(), u"group by "_s + column};
}

QStringList TStatQueries::CountByGradeSql(const QString &name) const
{
    const QString column = QuoteIdentifier(name);
    return {u"select "_s + column + u" as dj, count(*) as ks_num"_s,
            u"from t_tdd"_s,
            SetCondition,
            UnitLine(),
            u"  and not "_s + column + u" is null"_s,
            u"group by "_s + column,
            u"order by "_s + column + u" desc"_s};
}

QStringList TStatQueries::CountByBandSql(const QString &name, int step) const
{
    const QString column = QuoteIdentifier(name);
    const QString band = QString::asprintf("int(%ls / %d)", qUtf16Printable(column), step);
    return {u"select "_s + band + u" as step_cj, count(*) as ks_num"_s,
            u"from t_tdd"_s,
            SetCondition,
            UnitLine(),
            u"  and not "_s + column + u" is null"_s,
            u"group by "_s + band};
}

QStringList TStatQueries::ScoreSummarySql(const QString &name) const
{
    const QString column = QuoteIdentifier(name);
    return {u"select max("_s + column + u") as max_cj,"_s,
            u"  min("_s + column + u") as min_cj,"_s,
            u"  avg("_s + column + u") as avg_cj"_s,
            u"from t_tdd"_s,
            SetCondition,
            UnitLine()};
}

QStringList TStatQueries::MajorRowsSql(int mode) const
{
    return {u"select t_jhk.tddw, t_jhk.zydh, t_jhk.zymc, t_jhk.jhzxs,"_s,
            u"  count(t_tdd.ksh) as ks_num"_s,
            u"from t_jhk left outer join t_tdd on t_jhk.pcdm = t_tdd.pcdm and"_s,
            u"  t_jhk.kldm = t_tdd.kldm and t_jhk.jhxz = t_tdd.jhxz and"_s,
            mode == 0 ? u"  t_jhk.tddw = t_tdd.tddwdm1 and t_jhk.zydh = t_tdd.zydh1"_s
                      : u"  t_jhk.tddw = t_tdd.dqtddw and t_jhk.zydh = t_tdd.lqzy"_s,
            u"where t_jhk.pcdm = :pcdm and t_jhk.kldm = :kldm and"_s,
            u"  t_jhk.jhxz = :jhxz"_s,
            UnitLine(u"  and t_jhk.tddw = :tddw"_s),
            u"group by t_jhk.tddw, t_jhk.zydh, t_jhk.zymc, t_jhk.jhzxs"_s};
}

QStringList TStatQueries::SatisfactionSql() const
{
    return {u"select count(*) as zs_num, sum(iif(kszt = \"0\", 1, 0)) as wd_num,"_s,
            u"  sum(iif(kszt in (\"2\", \"3\"), 1, 0)) as td_num"_s + ChoiceExpressions(), u"from t_tdd"_s,
            SetCondition, UnitLine()};
}

QList<TStatCount> TStatQueries::CountByCode(const QString &column)
{
    TSqlQuery q(&FDm.UnivConn);
    OpenWithParams(q, CountByCodeSql(column));
    QList<TStatCount> counts;
    for (; !q.Eof(); q.Next())
        counts.append({q.Value(0), IntOf(q.Value(1))});
    return counts;
}

QList<TStatCount> TStatQueries::CountByGrade(const QString &column)
{
    TSqlQuery q(&FDm.UnivConn);
    OpenWithParams(q, CountByGradeSql(column));
    QList<TStatCount> counts;
    for (; !q.Eof(); q.Next())
        counts.append({q.Value(0), IntOf(q.Value(1))});
    return counts;
}

QList<TStatBand> TStatQueries::CountByBand(const QString &column, int step)
{
    TSqlQuery q(&FDm.UnivConn);
    OpenWithParams(q, CountByBandSql(column, step));
    QList<TStatBand> bands;
    for (; !q.Eof(); q.Next())
        bands.append({q.Value(0).toLongLong(), IntOf(q.Value(1))});
    // The walk needs ascending bands; the engine's grouping order is not promised.
    std::sort(bands.begin(), bands.end(),
              [](const TStatBand &a, const TStatBand &b) { return a.Band < b.Band; });
    return bands;
}

TStatScoreSummary TStatQueries::ScoreSummary(const QString &column)
{
    TSqlQuery q(&FDm.UnivConn);
    OpenWithParams(q, ScoreSummarySql(column));
    if (q.Eof())
        return {};
    return {q.AsString(0), q.AsString(1), q.Value(2).toDouble()};
}

QList<TStatMajorRow> TStatQueries::MajorRows(int mode)
{
    TSqlQuery q(&FDm.UnivConn);
    OpenWithParams(q, MajorRowsSql(mode));
    QList<TStatMajorRow> rows;
    for (; !q.Eof(); q.Next())
        rows.append({q.AsString(0), q.AsString(1), q.AsString(2), IntOf(q.Value(3)), IntOf(q.Value(4))});
    return rows;
}

TStatSatisfaction TStatQueries::Satisfaction()
{
    TSqlQuery q(&FDm.UnivConn);
    OpenWithParams(q, SatisfactionSql());
    TStatSatisfaction s;
    if (q.Eof())
        return s;
    s.Total = IntOf(q.Value(u"zs_num"_s));
    s.Undecided = IntOf(q.Value(u"wd_num"_s));
    s.Returned = IntOf(q.Value(u"td_num"_s));
    for (int i = 1; i <= 6; ++i)
        s.Choice[size_t(i - 1)] = IntOf(q.Value(u"zy%1_num"_s.arg(i)));
    return s;
}
