#include "report/ReportDocument.h"

#include "report/ReportConnection.h"
#include "store/ZKError.h"

#include <QFile>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Places bands on pages from top to bottom, starting new pages as they fill.
class TBandLayouter
{
public:
    TBandLayouter(const TReportDef &report, const TReportPage &page, TReportDocument &doc)
        : FReport(report)
        , FPage(page)
        , FDoc(doc)
    {
        const QSizeF paper = page.PaperSizeInches();
        FTop = page.Margins.top();
        FBottom = paper.height() - page.Margins.bottom();
        for (const auto &band : page.Bands) {
            if (band->Kind == TReportBandKind::PageFooter)
                FBottom -= band->Height;
            else if (band->Kind == TReportBandKind::PageHeader)
                FPageHeaders.append(band.get());
        }
        // Nothing fits on a page too small for its bands: lay out at least one band per page.
        if (FBottom < FTop)
            FBottom = FTop;
    }

    void Run(const QHash<QString, IReportConnection *> &connections)
    {
        NewPage();
        const TReportBand *header = nullptr;
        QHash<QString, QString> noFields;
        for (size_t i = 0; i < FPage.Bands.size(); ++i) {
            const TReportBand &band = *FPage.Bands[i];
            switch (band.Kind) {
            case TReportBandKind::PageHeader:
            case TReportBandKind::PageFooter:
                break;
            case TReportBandKind::Title:
            case TReportBandKind::Summary:
                // A caption stays with the first row of the table that follows it.
                if (FY + band.Height + FollowingRowHeight(i) > FBottom + 1e-9 && FY > FPageContentTop + 1e-9)
                    NewPage();
                Place(band, band.Items, noFields, band.Height);
                break;
            case TReportBandKind::Header:
                header = &band;
                break;
            case TReportBandKind::Data:
                RunData(band, header, connections);
                header = nullptr;
                break;
            }
        }
        // A header band with no data band after it is printed where it stands.
        if (header)
            Place(*header, header->Items, noFields, header->Height);
        PlaceFooters();
    }

private:
    // The height of a header band and the first data row right after band i, 0 when none follow.
    double FollowingRowHeight(size_t i) const
    {
        double height = 0;
        for (size_t j = i + 1; j < FPage.Bands.size(); ++j) {
            const TReportBand &next = *FPage.Bands[j];
            if (next.Kind == TReportBandKind::Header) {
                height += next.Height;
                continue;
            }
            return next.Kind == TReportBandKind::Data ? height + next.Height : 0;
        }
        return 0;
    }

    void RunData(const TReportBand &band, const TReportBand *header,
                 const QHash<QString, IReportConnection *> &connections)
    {
        IReportConnection *conn = connections.value(band.Connection);
        if (!conn)
            throw EZKError(u"报表 "_s + FReport.Name + u" 缺少数据连接 "_s + band.Connection);
        QHash<QString, QString> noFields;
        FRepeatHeader = header;
        if (header) {
            // A header is kept together with the first row under it.
            if (FY + header->Height + band.Height > FBottom + 1e-9 && FY > FPageContentTop + 1e-9)
                NewPage();
            else
                Place(*header, header->Items, noFields, header->Height);
        }
        conn->Open();
        QHash<QString, QString> fields;
        for (conn->First(); !conn->Eof(); conn->Next()) {
            conn->GetRow(fields);
            const bool alt = !band.AltField.isEmpty() && !fields.value(band.AltField).isEmpty();
            if (!alt) {
                Place(band, band.Items, fields, band.Height);
                continue;
            }
            // A row with its own caption may fill the other columns too (a score item's
            // summary: the candidate count, then the highest, lowest and average score):
            // those print under the caption, and the two lines stay on one page.
            const bool more = FillsAnyField(band.Items, fields, band.AltField);
            if (more)
                KeepTogether(2 * band.Height);
            Place(band, band.AltItems, fields, band.Height);
            if (more)
                Place(band, band.Items, fields, band.Height);
        }
        conn->Restore();
        FRepeatHeader = nullptr;
    }

    static bool FillsAnyField(const std::vector<std::unique_ptr<TReportItem>> &items,
                              const QHash<QString, QString> &fields, const QString &except)
    {
        return std::any_of(items.begin(), items.end(), [&](const auto &item) {
            return item->Kind == TReportItemKind::Text && !item->Field.isEmpty() && item->Field != except &&
                   !fields.value(item->Field).isEmpty();
        });
    }

    // Starts a new page unless the height fits below the current position.
    void KeepTogether(double height)
    {
        if (FY + height > FBottom + 1e-9 && FY > FPageContentTop + 1e-9)
            NewPage();
    }

    void Place(const TReportBand &band, const std::vector<std::unique_ptr<TReportItem>> &items,
               const QHash<QString, QString> &fields, double height)
    {
        if (FY + height > FBottom + 1e-9 && FY > FPageContentTop + 1e-9)
            NewPage();
        Emit(items, fields, FY);
        FY += height;
        (void)band;
    }

    void NewPage()
    {
        FDoc.Pages.emplace_back();
        FY = FTop;
        QHash<QString, QString> noFields;
        for (const TReportBand *band : FPageHeaders) {
            Emit(band->Items, noFields, FY);
            FY += band->Height;
        }
        FPageContentTop = FY;
        if (FRepeatHeader) {
            Emit(FRepeatHeader->Items, noFields, FY);
            FY += FRepeatHeader->Height;
            FPageContentTop = FY;
        }
    }

    void PlaceFooters()
    {
        const double paperHeight = FPage.PaperSizeInches().height();
        QHash<QString, QString> noFields;
        for (size_t p = 0; p < FDoc.Pages.size(); ++p) {
            double y = paperHeight - FPage.Margins.bottom();
            for (const auto &band : FPage.Bands) {
                if (band->Kind == TReportBandKind::PageFooter)
                    y -= band->Height;
            }
            for (const auto &band : FPage.Bands) {
                if (band->Kind != TReportBandKind::PageFooter)
                    continue;
                EmitOn(FDoc.Pages[p], band->Items, noFields, y);
                y += band->Height;
            }
        }
    }

    void Emit(const std::vector<std::unique_ptr<TReportItem>> &items, const QHash<QString, QString> &fields,
              double y)
    {
        EmitOn(FDoc.Pages.back(), items, fields, y);
    }

    void EmitOn(QList<TReportDrawOp> &ops, const std::vector<std::unique_ptr<TReportItem>> &items,
                const QHash<QString, QString> &fields, double y) const
    {
        const double left = FPage.Margins.left();
        const double contentWidth = FPage.ContentWidth();
        for (const auto &item : items) {
            TReportDrawOp op;
            op.Kind = item->Kind;
            const double width = item->Width > 0 ? item->Width : contentWidth - item->Left;
            op.Rect = QRectF(left + item->Left, y + item->Top, width, item->Height);
            op.Font = item->Font;
            op.Align = item->Align;
            op.PenWidth = item->PenWidth;
            if (item->Kind == TReportItemKind::Text) {
                op.Text = !item->Param.isEmpty()   ? FReport.Params.value(item->Param)
                          : !item->Field.isEmpty() ? fields.value(item->Field)
                                                   : item->Text;
                op.PageNumbers = item->Param.isEmpty() && item->Field.isEmpty() && item->HasPageNumbers();
                if (op.Text.isEmpty())
                    continue;
            }
            ops.append(op);
        }
    }

    const TReportDef &FReport;
    const TReportPage &FPage;
    TReportDocument &FDoc;
    QList<const TReportBand *> FPageHeaders;
    const TReportBand *FRepeatHeader = nullptr;
    double FTop = 0, FBottom = 0, FY = 0, FPageContentTop = 0;
};

QString WithPageNumbers(QString text, int page, int count)
{
    text.replace(u"{PAGES}"_s, QString::number(count));
    text.replace(u"{PAGE}"_s, QString::number(page));
    return text;
}

} // namespace

TReportDocument LayOutReport(const TReportDef &report, const QHash<QString, IReportConnection *> &connections)
{
    TReportDocument doc;
    doc.Name = report.Name;
    if (report.Pages.empty())
        throw EZKError(u"报表 "_s + report.Name + u" 没有页面"_s);
    doc.Paper = report.Pages.front()->Paper;
    doc.Orientation = report.Pages.front()->Orientation;
    for (const auto &page : report.Pages)
        TBandLayouter(report, *page, doc).Run(connections);
    return doc;
}

void TReportDocument::PreparePrinter(QPrinter &printer) const
{
    printer.setFullPage(true);
    printer.setDocName(Name);
    printer.setPageLayout(QPageLayout(QPageSize(Paper), Orientation, QMarginsF(), QPageLayout::Inch));
}

bool TReportDocument::Paint(QPrinter &printer, int fromPage, int toPage,
                            const std::function<bool(int, int)> &progress) const
{
    const int count = PageCount();
    const int first = fromPage > 0 ? std::min(fromPage, count) : 1;
    const int last = toPage > 0 ? std::min(toPage, count) : count;
    QPainter painter;
    if (!painter.begin(&printer))
        throw EZKError(u"无法开始打印 "_s + Name +
                       (printer.outputFileName().isEmpty() ? QString() : u": "_s + printer.outputFileName()));
    const double dpiX = printer.logicalDpiX();
    const double dpiY = printer.logicalDpiY();
    for (int page = first; page <= last; ++page) {
        if (progress && !progress(page, count)) {
            painter.end();
            // A stopped file is incomplete: it is not left behind.
            if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
                QFile::remove(printer.outputFileName());
            return false;
        }
        if (page > first)
            printer.newPage();
        PaintPage(painter, page - 1, dpiX, dpiY);
    }
    return painter.end();
}

void TReportDocument::PaintPage(QPainter &painter, int pageIndex, double dpiX, double dpiY) const
{
    const auto toDevice = [&](const QRectF &r) {
        return QRectF(r.x() * dpiX, r.y() * dpiY, r.width() * dpiX, r.height() * dpiY);
    };
    const int count = PageCount();
    for (const TReportDrawOp &op : Pages.at(size_t(pageIndex))) {
        const QRectF rect = toDevice(op.Rect);
        switch (op.Kind) {
        case TReportItemKind::Text: {
            if (painter.font() != op.Font)
                painter.setFont(op.Font);
            painter.setPen(Qt::black);
            const QString text = op.PageNumbers ? WithPageNumbers(op.Text, pageIndex + 1, count) : op.Text;
            // Clipping every cell makes large PDFs much slower; only a text wider than its
            // cell is clipped to it.
            const bool fits = painter.fontMetrics().horizontalAdvance(text) <= rect.width();
            painter.drawText(rect, int(op.Align) | Qt::TextSingleLine | (fits ? Qt::TextDontClip : 0), text);
            break;
        }
        case TReportItemKind::Rect:
            painter.setPen(QPen(Qt::black, op.PenWidth * dpiX));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(rect);
            break;
        case TReportItemKind::Line:
            painter.setPen(QPen(Qt::black, op.PenWidth * dpiX));
            painter.drawLine(rect.topLeft(), rect.topRight());
            break;
        }
    }
}

QStringList TReportDocument::PageTexts(int pageIndex) const
{
    QStringList texts;
    for (const TReportDrawOp &op : Pages.at(size_t(pageIndex))) {
        if (op.Kind == TReportItemKind::Text)
            texts.append(op.PageNumbers ? WithPageNumbers(op.Text, pageIndex + 1, PageCount()) : op.Text);
    }
    return texts;
}
