#include "StatsFixture.h"

#include "store/SqlQuery.h"

using namespace Qt::StringLiterals;

TStatsFixture::TStatsFixture(bool graded)
    : TWorkspaceFixture(graded)
{
    Exec({u"alter table T_TDD add column MZDM text(2) with comp"_s,
          u"alter table T_TDD add column KSLBDM text(2) with comp"_s,
          u"alter table T_TDD add column BYLBDM text(2) with comp"_s,
          u"alter table T_TDD add column ZZMMDM text(2) with comp"_s,
          u"alter table T_TDD add column GKCJX02 double"_s, u"alter table T_TDD add column GKCJX04 double"_s,
          u"insert into TD_MZDM values (\"01\", \"汉族\")"_s,
          u"insert into TD_MZDM values (\"02\", \"蒙古族\")"_s,
          u"insert into TD_KSLBDM values (\"1\", \"城镇应届\")"_s,
          u"insert into TD_BYLBDM values (\"1\", \"普通高中\")"_s,
          u"insert into TD_ZZMMDM values (\"03\", \"共青团员\")"_s});
}

void TStatsFixture::Add(const QString &ksh, const QMap<QString, QVariant> &extra, const QString &tddw)
{
    TFixtureCandidate c{ksh};
    c.TDDW = tddw;
    c.Extra = extra;
    AddCandidate(c);
}

void TFakeProgress::ShowProgress(const QString &caption, const QString &text, int base, int ratio, int steps)
{
    Calls.append(u"show %1|%2|%3|%4|%5"_s.arg(caption, text).arg(base).arg(ratio).arg(steps));
}

QStringList TableRows(TSqlConnection &conn, const QString &table)
{
    TSqlQuery q(&conn);
    q.OpenTable(table);
    QStringList rows;
    for (; !q.Eof(); q.Next()) {
        QStringList cells;
        for (int i = 0; i < q.FieldCount(); ++i)
            cells.append(q.Value(i).isValid() ? q.AsString(i) : u"NULL"_s);
        rows.append(cells.join(u'|'));
    }
    return rows;
}

QStringList JoinedRows(const TStatResult &r)
{
    QStringList rows;
    for (const QStringList &row : r.Rows)
        rows.append(row.join(u'|'));
    return rows;
}

QStringList PointTexts(const TStatSeries &s)
{
    QStringList points;
    for (const TStatPoint &p : s.Points)
        points.append(u"%1=%2 %3"_s.arg(p.Label).arg(p.Value).arg(StatColourText(p.Colour)));
    return points;
}
