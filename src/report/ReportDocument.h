#pragma once

#include "report/ReportDefinition.h"

#include <QFont>
#include <QHash>
#include <QList>
#include <QRectF>
#include <QString>
#include <functional>
#include <vector>

class IReportConnection;
class QPrinter;
class QPainter;

// One thing drawn on a laid-out page; the rectangle is in inches from the paper's
// top-left corner.
struct TReportDrawOp
{
    TReportItemKind Kind = TReportItemKind::Text;
    QRectF Rect;
    QString Text;
    QFont Font;
    Qt::Alignment Align;
    double PenWidth = 0.01;
    bool PageNumbers = false;
};

// A report laid out into pages: what an output prints, previews or saves. The layout is
// made once, in inches on the page's paper, and painted onto any device.
class TReportDocument
{
public:
    QString Name;
    QPageSize::PageSizeId Paper = QPageSize::A4;
    QPageLayout::Orientation Orientation = QPageLayout::Portrait;
    std::vector<QList<TReportDrawOp>> Pages;

    int PageCount() const { return int(Pages.size()); }
    // Gives the printer the report's paper, orientation and name, drawing on the whole
    // sheet (the report keeps its own margins).
    void PreparePrinter(QPrinter &printer) const;
    // Paints the pages fromPage..toPage (1-based; 0 and 0 for all) onto the printer,
    // starting a new sheet between pages. progress is told each page before it is
    // painted (page, count) and may answer false to stop; a PDF file stopped so is
    // removed. False when stopped.
    bool Paint(QPrinter &printer, int fromPage = 0, int toPage = 0,
               const std::function<bool(int, int)> &progress = {}) const;
    // Paints one page with the painter already on its device (dpi: device resolution).
    void PaintPage(QPainter &painter, int pageIndex, double dpiX, double dpiY) const;
    // The texts of a page in drawing order (tests and checks).
    QStringList PageTexts(int pageIndex) const;
};

// Lays out a report: every page of the definition in order, the bands of a page in
// order, each data band once per row of its connection (by name in connections). Throws
// EZKError for a data band whose connection is not given; errors of a connection pass
// through. progress, when given, is told of each data row laid out.
TReportDocument LayOutReport(const TReportDef &report,
                             const QHash<QString, IReportConnection *> &connections);
