#pragma once

#include "store/UiSinks.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// A colour as 0xRRGGBB.
using TStatColour = quint32;

// The eight pie colours, used in this order (PieColor).
inline constexpr std::array<TStatColour, 8> PieColor{0xC0C0C0, 0xC0C0FF, 0xFFC0C0, 0xC0FFC0,
                                                     0xFFFFC0, 0xFFC0FF, 0xC0FFFF, 0xE0E0E0};
// The bars of score distributions, graded items and the plan series.
inline constexpr TStatColour StatBarColour = 0xC0FFC0;
// The count series of the major statistics.
inline constexpr TStatColour StatCountColour = 0xC0C0FF;

// "#RRGGBB".
QString StatColourText(TStatColour colour);

enum class TStatChartKind
{
    None,
    Pie,
    Bar,
    HBar
};

// "pie", "bar", "hbar" (empty for None).
QString StatChartKindName(TStatChartKind kind);

struct TStatPoint
{
    QString Label;
    double Value = 0;
    TStatColour Colour = 0;
};

struct TStatSeries
{
    QString Title;
    std::optional<TStatColour> Colour; // none for a pie, whose slices carry their own
    QList<TStatPoint> Points;
};

struct TStatChart
{
    TStatChartKind Kind = TStatChartKind::None;
    QString Title;
    QList<TStatSeries> Series;
};

struct TStatColumn
{
    QString Caption;
    int Width = 0; // pixels at 96 dots per inch
};

// What computing one statistic gives the window: either a list, a chart and status
// texts, or a message that replaces them.
struct TStatResult
{
    // A message box instead of a result (Message not empty). KeepPrevious: the window
    // keeps what it shows; otherwise the list (and chart) are emptied.
    QString Message;
    TMsgIcon MessageIcon = TMsgIcon::Warning;
    bool KeepPrevious = true;

    QList<TStatColumn> Columns;
    QList<QStringList> Rows;
    TStatChart Chart;
    // The first three status bar panels; none leaves a panel as it is.
    std::array<std::optional<QString>, 3> Status;

    bool HasMessage() const { return !Message.isEmpty(); }
};
