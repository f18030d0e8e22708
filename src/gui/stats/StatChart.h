#pragma once

#include "stats/StatResult.h"

class QChart;
class QFont;

// Builds the chart of a statistic: a pie with a legend of its slices, a vertical bar chart
// with its labels below the bars, or a horizontal bar chart of two series with the major
// captions beside the bars; titles, labels and legends in the given font.
QChart *CreateStatChart(const TStatChart &chart, const QFont &font);
