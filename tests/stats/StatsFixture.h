#pragma once

#include "WorkspaceFixture.h"
#include "stats/StatResult.h"

#include <QStringList>

// The workspace fixture with the registration columns (MZDM, KSLBDM, BYLBDM, ZZMMDM) and
// a score column for every score item but 05's text column (GKCJX02, GKCJX04 added), and
// names for a few registration codes.
class TStatsFixture : public TWorkspaceFixture
{
public:
    explicit TStatsFixture(bool graded = false);

    // A candidate of set 1/1/1 with further column values.
    void Add(const QString &ksh, const QMap<QString, QVariant> &extra,
             const QString &tddw = QStringLiteral("001"));
};

// Records the progress window's calls: "show caption|text|base|ratio|steps", "step", "hide".
class TFakeProgress : public IProgressSink
{
public:
    void ShowProgress(const QString &caption, const QString &text, int base, int ratio, int steps) override;
    void UpdateProgressTrans() override { Calls.append(QStringLiteral("step")); }
    void HideProgress() override { Calls.append(QStringLiteral("hide")); }
    QStringList Calls;
};

// Rows of a table in storage order, cells joined by "|", null as "NULL".
QStringList TableRows(TSqlConnection &conn, const QString &table);

// The list rows joined by "|".
QStringList JoinedRows(const TStatResult &r);
// The points of a series as "label=value #RRGGBB".
QStringList PointTexts(const TStatSeries &s);
