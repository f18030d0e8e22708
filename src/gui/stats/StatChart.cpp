#include "StatChart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QColor>
#include <QFont>
#include <QHorizontalBarSeries>
#include <QLegend>
#include <QPieSeries>
#include <QPieSlice>
#include <QValueAxis>
#include <algorithm>

namespace {

QColor ColourOf(TStatColour colour)
{
    return QColor::fromRgb(QRgb(0xFF000000u | colour));
}

// Outlines a little darker than the pale fills, so that light slices and bars stand out
// on the white background.
QColor OutlineOf(TStatColour colour)
{
    return ColourOf(colour).darker(160);
}

void AddPie(QChart *chart, const TStatChart &source, const QFont &font)
{
    auto *series = new QPieSeries;
    for (const TStatSeries &s : source.Series) {
        for (const TStatPoint &p : s.Points) {
            QPieSlice *slice = series->append(p.Label, p.Value);
            slice->setBrush(ColourOf(p.Colour));
            slice->setPen(QPen(OutlineOf(p.Colour)));
            slice->setLabelFont(font);
            slice->setLabelVisible(p.Value > 0);
        }
    }
    series->setPieSize(0.6);
    chart->addSeries(series);
    chart->legend()->setAlignment(Qt::AlignRight);
}

// The largest value as the axis end, rounded up so that the ticks fall on whole numbers.
double AxisMax(const TStatChart &source)
{
    double max = 0;
    for (const TStatSeries &s : source.Series) {
        for (const TStatPoint &p : s.Points)
            max = std::max(max, p.Value);
    }
    return max < 5 ? 5 : max * 1.1;
}

template<class TSeries>
void AddBars(QChart *chart, const TStatChart &source, const QFont &font, bool horizontal)
{
    auto *series = new TSeries;
    QStringList categories;
    for (int i = 0; i < source.Series.size(); ++i) {
        const TStatSeries &s = source.Series[i];
        auto *set = new QBarSet(s.Title);
        const TStatColour colour = s.Colour.value_or(StatBarColour);
        set->setBrush(ColourOf(colour));
        set->setPen(QPen(OutlineOf(colour)));
        // A horizontal chart draws its first category at the bottom: feed it the rows from
        // the last, so that the first major stands at the top, as in the list.
        for (int k = 0; k < s.Points.size(); ++k) {
            const TStatPoint &p = s.Points[horizontal ? s.Points.size() - 1 - k : k];
            set->append(p.Value);
            if (i == 0)
                categories.append(p.Label);
        }
        series->append(set);
    }
    chart->addSeries(series);
    auto *labels = new QBarCategoryAxis;
    labels->append(categories);
    labels->setLabelsFont(font);
    auto *values = new QValueAxis;
    values->setRange(0, AxisMax(source));
    values->setLabelFormat(QStringLiteral("%d"));
    values->setLabelsFont(font);
    values->applyNiceNumbers();
    if (horizontal) {
        chart->addAxis(labels, Qt::AlignLeft);
        chart->addAxis(values, Qt::AlignBottom);
    } else {
        chart->addAxis(labels, Qt::AlignBottom);
        chart->addAxis(values, Qt::AlignLeft);
    }
    series->attachAxis(labels);
    series->attachAxis(values);
    // A single untitled series needs no legend.
    chart->legend()->setVisible(horizontal);
    chart->legend()->setAlignment(Qt::AlignBottom);
}

} // namespace

QChart *CreateStatChart(const TStatChart &source, const QFont &font)
{
    auto *chart = new QChart;
    QFont titleFont = font;
    titleFont.setPointSizeF(font.pointSizeF() * 1.3);
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    chart->setTitle(source.Title);
    chart->legend()->setFont(font);
    chart->setAnimationOptions(QChart::NoAnimation);
    switch (source.Kind) {
    case TStatChartKind::Pie:
        AddPie(chart, source, font);
        break;
    case TStatChartKind::Bar:
        AddBars<QBarSeries>(chart, source, font, false);
        break;
    case TStatChartKind::HBar:
        AddBars<QHorizontalBarSeries>(chart, source, font, true);
        break;
    case TStatChartKind::None:
        chart->legend()->setVisible(false);
        break;
    }
    return chart;
}
