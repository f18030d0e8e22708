#pragma once

#include "store/UiSinks.h"

#include <QString>

class TMainDM;

// The caption and text of the progress window while the work tables are filled.
inline const QString StatWorkTablesCaption = QStringLiteral("请等待");
inline const QString StatWorkTablesText = QStringLiteral("正在生成成绩信息报表,请稍候...");

// Fills the statistics work tables bmxx, cjxx and zyxx of the user database (dm.UnivConn)
// with every statistic of the open set at once, for the printed statistics report:
// registration items into bmxx (progress 0-20 %), score items into cjxx (20-80 %), the
// major statistics and the major-choice satisfaction into zyxx (80-100 %).
//
// tddwdm is the code of one current submission unit, or empty for all units; scoreStep is
// the band width of the score items other than the base score (which always uses 10), as
// the window's score-step list gives it. The progress
// window is hidden at the end, also when a statement fails; the error (EZKError) then
// reaches the caller with the tables partly filled.
void FillStatWorkTables(TMainDM &dm, const QString &tddwdm, IProgressSink &progress, int scoreStep = 5);
