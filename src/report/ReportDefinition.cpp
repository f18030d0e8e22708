// The project file is JSON:
//
//   { "format": "ZelkinC report project", "version": 1,
//     "reports": [ { "name": "...", "parameters": ["..."],
//       "pages": [ { "name": "...", "paper": "A4", "orientation": "portrait"|"landscape",
//                    "margins": [left, top, right, bottom],
//                    "bands": [ { "name": "...", "kind": "title"|"pageheader"|"header"|"data"|
//                                 "summary"|"pagefooter", "height": h, "connection": "...",
//                                 "altField": "...", "items": [...], "altItems": [...] } ] } ] } ] }
//
// An item: { "name", "kind": "text"|"rect"|"line", "left", "top", "width", "height",
// "text", "param", "field", "font": { "family", "size", "bold" },
// "align": "left"|"center"|"right", "pen" }. Lengths in inches, sizes in points.
#include "report/ReportDefinition.h"

#include "store/ZKError.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

TReportItemKind ItemKind(const QString &kind)
{
    if (kind == u"rect"_s)
        return TReportItemKind::Rect;
    if (kind == u"line"_s)
        return TReportItemKind::Line;
    if (kind.isEmpty() || kind == u"text"_s)
        return TReportItemKind::Text;
    throw EZKError(u"未知的报表项目类型: "_s + kind);
}

TReportBandKind BandKind(const QString &kind)
{
    static const QHash<QString, TReportBandKind> kinds{
        {u"title"_s, TReportBandKind::Title},     {u"pageheader"_s, TReportBandKind::PageHeader},
        {u"header"_s, TReportBandKind::Header},   {u"data"_s, TReportBandKind::Data},
        {u"summary"_s, TReportBandKind::Summary}, {u"pagefooter"_s, TReportBandKind::PageFooter}};
    const auto it = kinds.find(kind);
    if (it == kinds.end())
        throw EZKError(u"未知的报表区域类型: "_s + kind);
    return *it;
}

QFont ItemFont(const QJsonObject &o)
{
    QFont font(o.value(u"family"_s).toString(u"WenQuanYi Micro Hei"_s));
    font.setPointSizeF(o.value(u"size"_s).toDouble(10));
    font.setBold(o.value(u"bold"_s).toBool(false));
    return font;
}

Qt::Alignment ItemAlign(const QString &align)
{
    if (align == u"center"_s)
        return Qt::AlignHCenter | Qt::AlignVCenter;
    if (align == u"right"_s)
        return Qt::AlignRight | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

void ReadItems(const QJsonArray &items, std::vector<std::unique_ptr<TReportItem>> &into)
{
    for (const QJsonValue &v : items) {
        const QJsonObject o = v.toObject();
        auto item = std::make_unique<TReportItem>();
        item->Name = o.value(u"name"_s).toString();
        item->Kind = ItemKind(o.value(u"kind"_s).toString());
        item->Left = o.value(u"left"_s).toDouble();
        item->Top = o.value(u"top"_s).toDouble();
        item->Width = o.value(u"width"_s).toDouble();
        item->Height = o.value(u"height"_s).toDouble();
        item->Text = o.value(u"text"_s).toString();
        item->Param = o.value(u"param"_s).toString();
        item->Field = o.value(u"field"_s).toString().toLower();
        item->Font = ItemFont(o.value(u"font"_s).toObject());
        item->Align = ItemAlign(o.value(u"align"_s).toString());
        item->PenWidth = o.value(u"pen"_s).toDouble(0.01);
        into.push_back(std::move(item));
    }
}

std::unique_ptr<TReportBand> ReadBand(const QJsonObject &o)
{
    auto band = std::make_unique<TReportBand>();
    band->Name = o.value(u"name"_s).toString();
    band->Kind = BandKind(o.value(u"kind"_s).toString());
    band->Height = o.value(u"height"_s).toDouble(0.25);
    band->Connection = o.value(u"connection"_s).toString();
    band->AltField = o.value(u"altField"_s).toString().toLower();
    ReadItems(o.value(u"items"_s).toArray(), band->Items);
    ReadItems(o.value(u"altItems"_s).toArray(), band->AltItems);
    if (band->Kind == TReportBandKind::Data && band->Connection.isEmpty())
        throw EZKError(u"数据区域 "_s + band->Name + u" 没有数据连接"_s);
    return band;
}

std::unique_ptr<TReportPage> ReadPage(const QJsonObject &o)
{
    auto page = std::make_unique<TReportPage>();
    page->Name = o.value(u"name"_s).toString();
    const QString paper = o.value(u"paper"_s).toString(u"A4"_s);
    page->Paper = paper == u"A3"_s ? QPageSize::A3 : paper == u"B5"_s ? QPageSize::B5 : QPageSize::A4;
    page->Orientation = o.value(u"orientation"_s).toString() == u"landscape"_s ? QPageLayout::Landscape
                                                                               : QPageLayout::Portrait;
    const QJsonArray m = o.value(u"margins"_s).toArray();
    if (m.size() == 4)
        page->Margins = QMarginsF(m[0].toDouble(), m[1].toDouble(), m[2].toDouble(), m[3].toDouble());
    for (const QJsonValue &b : o.value(u"bands"_s).toArray())
        page->Bands.push_back(ReadBand(b.toObject()));
    return page;
}

} // namespace

bool TReportItem::HasPageNumbers() const
{
    return Text.contains(u"{PAGE}"_s) || Text.contains(u"{PAGES}"_s);
}

TReportItem &TReportBand::AddItem(TReportItemKind kind, const QString &name)
{
    auto item = std::make_unique<TReportItem>();
    item->Kind = kind;
    item->Name = name;
    Items.push_back(std::move(item));
    return *Items.back();
}

TReportItem *TReportBand::FindItem(const QString &name) const
{
    for (const auto &list : {&Items, &AltItems}) {
        for (const auto &item : *list) {
            if (item->Name == name)
                return item.get();
        }
    }
    return nullptr;
}

TReportBand *TReportPage::FindBand(const QString &name) const
{
    for (const auto &band : Bands) {
        if (band->Name == name)
            return band.get();
    }
    return nullptr;
}

TReportItem *TReportPage::FindItem(const QString &name) const
{
    for (const auto &band : Bands) {
        if (TReportItem *item = band->FindItem(name))
            return item;
    }
    return nullptr;
}

QSizeF TReportPage::PaperSizeInches() const
{
    const QSizeF size = QPageSize(Paper).size(QPageSize::Inch);
    return Orientation == QPageLayout::Landscape ? size.transposed() : size;
}

double TReportPage::ContentWidth() const
{
    return PaperSizeInches().width() - Margins.left() - Margins.right();
}

TReportPage *TReportDef::FindPage(const QString &name) const
{
    for (const auto &page : Pages) {
        if (page->Name == name)
            return page.get();
    }
    return nullptr;
}

void TReportDef::SetParam(const QString &name, const QString &value)
{
    if (!ParamNames.contains(name))
        throw EZKError(u"报表 "_s + Name + u" 没有参数 "_s + name);
    Params.insert(name, value);
}

void TReportProject::Open(const QString &fileName)
{
    Close();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EZKError(u"无法打开报表文件 "_s + fileName + u": "_s + file.errorString());
    try {
        Load(file.readAll());
    } catch (const EZKError &e) {
        throw e.WithPrefix(u"(报表文件 "_s + fileName + u") "_s);
    }
    FFileName = fileName;
    FOpen = true;
}

void TReportProject::Close()
{
    FReports.clear();
    FFileName.clear();
    FOpen = false;
}

void TReportProject::Load(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (doc.isNull())
        throw EZKError(u"报表文件格式错误: "_s + error.errorString());
    std::vector<std::unique_ptr<TReportDef>> reports;
    for (const QJsonValue &r : doc.object().value(u"reports"_s).toArray()) {
        const QJsonObject o = r.toObject();
        auto report = std::make_unique<TReportDef>();
        report->Name = o.value(u"name"_s).toString();
        for (const QJsonValue &p : o.value(u"parameters"_s).toArray())
            report->ParamNames.append(p.toString());
        for (const QJsonValue &p : o.value(u"pages"_s).toArray())
            report->Pages.push_back(ReadPage(p.toObject()));
        reports.push_back(std::move(report));
    }
    FReports = std::move(reports);
    FOpen = true;
}

TReportDef *TReportProject::FindReport(const QString &name) const
{
    for (const auto &report : FReports) {
        if (report->Name == name)
            return report.get();
    }
    return nullptr;
}

TReportDef &TReportProject::SelectReport(const QString &name) const
{
    TReportDef *report = FindReport(name);
    if (!report)
        throw EZKError(u"报表文件中没有报表 "_s + name);
    return *report;
}
