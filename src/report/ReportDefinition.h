#pragma once

#include <QFont>
#include <QHash>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// The report definitions of the report project file ("ZelkinC.rav" in the program
// folder): reports made of pages, pages made of bands, bands made of items. The file is
// JSON; its layout is described in the comment of ReportDefinition.cpp. Lengths are
// inches, font sizes points.

enum class TReportItemKind
{
    Text,
    Rect,
    Line
};

// Where a band is placed: once where it stands (title, summary), on top or at the bottom
// of every page, before a data band and again on every page that band continues on
// (header), or once per row of a data connection (data).
enum class TReportBandKind
{
    Title,
    PageHeader,
    Header,
    Data,
    Summary,
    PageFooter
};

struct TReportItem
{
    QString Name;
    TReportItemKind Kind = TReportItemKind::Text;
    double Left = 0, Top = 0, Width = 0,
           Height = 0; // relative to the band; Width <= 0: up to the right margin
    QString Text;      // the text as it stands (a client may change it while the report runs)
    QString Param;     // when set: the text is this parameter's value
    QString Field;     // when set: the text is this field of the band's data row
    QFont Font;
    Qt::Alignment Align = Qt::AlignLeft | Qt::AlignVCenter;
    double PenWidth = 0.01; // rectangles and lines, inches
    // "{PAGE}" and "{PAGES}" in the text become the page number and the page count.
    bool HasPageNumbers() const;
};

struct TReportBand
{
    QString Name;
    TReportBandKind Kind = TReportBandKind::Data;
    double Height = 0.25;
    QString Connection; // data bands: the data connection giving the rows
    // Data bands: a row whose field AltField is not empty is drawn with AltItems; when the
    // row also fills fields of Items, Items follow on a line of their own right under it,
    // so that every figure of the row is printed.
    QString AltField;
    std::vector<std::unique_ptr<TReportItem>> Items;
    std::vector<std::unique_ptr<TReportItem>> AltItems;

    TReportItem &AddItem(TReportItemKind kind, const QString &name = QString());
    TReportItem *FindItem(const QString &name) const;
};

struct TReportPage
{
    QString Name;
    QPageSize::PageSizeId Paper = QPageSize::A4;
    QPageLayout::Orientation Orientation = QPageLayout::Portrait;
    QMarginsF Margins{0.5, 0.5, 0.5, 0.5};
    std::vector<std::unique_ptr<TReportBand>> Bands;

    TReportBand *FindBand(const QString &name) const;
    // The item of that name in any band of the page, null when none.
    TReportItem *FindItem(const QString &name) const;
    // The printable width between the margins, inches.
    double ContentWidth() const;
    QSizeF PaperSizeInches() const;
};

struct TReportDef
{
    QString Name;
    QStringList ParamNames;
    QHash<QString, QString> Params;
    std::vector<std::unique_ptr<TReportPage>> Pages;

    TReportPage *FindPage(const QString &name) const;
    // Throws EZKError for a parameter the report does not declare.
    void SetParam(const QString &name, const QString &value);
};

// The opened project file.
class TReportProject
{
public:
    // Reads the project; throws EZKError naming the file when it is missing or damaged.
    void Open(const QString &fileName);
    void Close();
    bool IsOpen() const { return FOpen; }
    const QString &FileName() const { return FFileName; }
    // Reads definitions from JSON text (the file's content).
    void Load(const QByteArray &json);

    TReportDef *FindReport(const QString &name) const;
    // Throws EZKError when the project has no such report.
    TReportDef &SelectReport(const QString &name) const;
    const std::vector<std::unique_ptr<TReportDef>> &Reports() const { return FReports; }

private:
    QString FFileName;
    bool FOpen = false;
    std::vector<std::unique_ptr<TReportDef>> FReports;
};

// The file name of the project in the program folder.
inline const QString ReportProjectFileName = QStringLiteral("ZelkinC.rav");
