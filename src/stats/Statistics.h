#pragma once

#include "StatItems.h"
#include "StatQueries.h"
#include "StatResult.h"

class TMainDM;

// Messages of the statistics.
inline const QString StatNoScoreMessage = QStringLiteral("此投档单位中不包含此科目。");
inline const QString StatNoCandidatesMessage = QStringLiteral("目前还没有考生。");
inline const QString StatErrorPrefix = QStringLiteral("统计时出错:\r\n");

// Computes the statistics of the open set for the statistics window and the command
// line: one leaf at a time, with the list rows, the chart and the status texts as the
// window shows them.
class TStatistics
{
public:
    explicit TStatistics(TMainDM &dm);

    // The leaf names (ItemStrArray); Rebuild reads the score items again.
    const TStatItemNames &ItemStrArray() const { return FNames; }
    void RebuildItems();

    // The submission-unit entry: 0 all units, k > 0 the k-th current unit.
    void SetUnitEntry(int entry) { FUnitEntry = entry; }
    int UnitEntry() const { return FUnitEntry; }
    // The text of the score-step list ("5" or "10"); 5 when it is not a number.
    void SetScoreStepText(const QString &text) { FScoreStepText = text; }
    int ScoreStep() const;

    // The chart titles' opening: the unit entry's text.
    QString UnitText() const;

    // Computes a leaf. Errors of the score statistics are caught and returned as the
    // message "统计时出错:\r\n" + text with the error icon; errors of the others throw
    // (EZKError).
    TStatResult Compute(int group, int leaf);

    TStatResult ComputeRegistration(int leaf);
    TStatResult ComputeScore(int leaf);
    TStatResult ComputeMajors(int mode);
    TStatResult ComputeSatisfaction();

private:
    TStatQueries Queries() const;
    TStatResult ComputeGraded(int leaf, const QString &column, int rankId);
    TStatResult ComputeBands(int leaf, const QString &column);

    TMainDM &FDm;
    TStatItemNames FNames;
    int FUnitEntry = 0;
    QString FScoreStepText = QStringLiteral("5");
};

// Formats of the list cells.
QString StatShareText(int count, int total);      // "%6.2f" of count × 100 / total
QString StatShortShareText(int count, int total); // "%0.2f"
QString StatRatioText(int count, int plan);       // "1 : %0.2f" of count / plan
QString StatBandText(qint64 band, int step);      // "%d - %d"
QString StatTotalText(int total);                 // "共有考生：%d"
// The caption of a major row: ZYDH, a space, ZYMC; with all units the unit code and "-"
// in front.
QString StatMajorCaption(const TStatMajorRow &row, bool allUnits);
// The grade text of a stored grade number; the number itself when its grade type has no
// text for it.
QString StatGradeText(const TMainDM &dm, int rankId, const QVariant &grade);
// The satisfaction rows: caption and count, in list order ("第1专业" … "未定").
QList<QPair<QString, int>> StatSatisfactionRows(const TStatSatisfaction &s);
