#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>

class TMainDM;
class TSqlQuery;

// One group of a count by a code or a grade.
struct TStatCount
{
    QVariant Value; // the code or grade as stored (null for candidates without one)
    int Count = 0;
};

// One score band: scores from Band × step to (Band + 1) × step − 1.
struct TStatBand
{
    qint64 Band = 0;
    int Count = 0;
};

struct TStatScoreSummary
{
    QString Max; // as stored
    QString Min;
    double Avg = 0;
};

// One major of the plan with its count of candidates.
struct TStatMajorRow
{
    QString Tddw, Zydh, Zymc;
    int Jhzxs = 0;
    int Count = 0;
};

struct TStatSatisfaction
{
    int Total = 0;               // zs_num
    int Undecided = 0;           // wd_num
    int Returned = 0;            // td_num
    std::array<int, 6> Choice{}; // zy1_num … zy6_num
    // Admitted outside the choices: the total less everything else.
    int Adjusted() const;
};

// The statements of the statistics over T_TDD and T_JHK of the open set (CurPCDM,
// CurKLDM, CurJHXZ), optionally narrowed to one submission unit. Each runs on the user
// database; errors throw EZKSqlError (an EZKError).
class TStatQueries
{
public:
    // tddw: a unit code, or empty for all units.
    TStatQueries(TMainDM &dm, QString tddw);

    bool HasUnit() const { return !FTddw.isEmpty(); }

    // Candidates by a code column, in the result's order.
    QList<TStatCount> CountByCode(const QString &column);
    // Candidates by the grade of a score column, highest first.
    QList<TStatCount> CountByGrade(const QString &column);
    // Candidates by score band of a step, in ascending band order, only occupied bands.
    QList<TStatBand> CountByBand(const QString &column, int step);
    TStatScoreSummary ScoreSummary(const QString &column);
    // mode 0: first major choice; mode 1: current unit and admitted major.
    QList<TStatMajorRow> MajorRows(int mode);
    TStatSatisfaction Satisfaction();

    // The statements, as lines (for the tests and the benchmark). A column name is
    // quoted; one that is not a plain identifier throws EZKError (SqlIdentifiers.h).
    QStringList CountByCodeSql(const QString &column) const;
    QStringList CountByGradeSql(const QString &column) const;
    QStringList CountByBandSql(const QString &column, int step) const;
    QStringList ScoreSummarySql(const QString &column) const;
    QStringList MajorRowsSql(int mode) const;
    QStringList SatisfactionSql() const;

private:
    void OpenWithParams(TSqlQuery &query, const QStringList &lines);
    QString UnitLine(const QString &line = QStringLiteral("  and tddw = :tddw")) const;

    TMainDM &FDm;
    QString FTddw;
};

// Sum of the counts.
int StatTotal(const QList<TStatCount> &counts);
int StatTotal(const QList<TStatBand> &bands);
