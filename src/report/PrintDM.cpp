#include "report/PrintDM.h"

#include "report/PrintLayout.h"
#include "report/ReportDocument.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/DmTables.h"
#include "workspace/MainDM.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QImage>

using namespace Qt::StringLiterals;

namespace {

const QString TddPageName = u"TDDReport.MainPage"_s;
const QString FieldTextPrefix = u"KSFieldData"_s;
constexpr double FieldTextIndent = 0.025; // inches between a cell's left line and its text

// A printer font from a font name and a height in pixels at 96 dots per inch.
QFont PrinterFont(const QString &name, double height96)
{
    QFont font(name.isEmpty() ? u"WenQuanYi Micro Hei"_s : name);
    font.setPointSizeF(std::max(1.0, height96 * 72.0 / 96.0));
    return font;
}

// The height of a line of text in the font, inches.
double LineHeightInches(const QFont &font)
{
    QImage probe(1, 1, QImage::Format_Mono);
    const int dotsPerMeter = qRound(96 / 0.0254);
    probe.setDotsPerMeterX(dotsPerMeter);
    probe.setDotsPerMeterY(dotsPerMeter);
    return QFontMetricsF(font, &probe).height() / 96.0;
}

} // namespace

TPrintDM::TPrintDM(TMainDM &dm, IReportOutput &output)
    : FDm(dm)
    , FOutput(output)
{
    FProject.Open(ZKMainDef().ProgramFolder + ReportProjectFileName);
}

TPrintDM::~TPrintDM()
{
    FProject.Close();
}

QString TPrintDM::PrintDateText()
{
    return QDateTime::currentDateTime().toString(u"yyyy年M月d日 H:mm"_s);
}

QString TPrintDM::SetText(int dmTable, const QString &code) const
{
    return code + u' ' + FDm.GetDMMC(dmTable, code);
}

QString TPrintDM::TDDWText() const
{
    const int unit = ZKMainDef().TddwFilter;
    const TCurrentTDDWItem *item = unit == -1 ? nullptr : FDm.Order.Unit(unit);
    if (!item)
        return u"全部"_s;
    return item->TDDWDM + u' ' + item->TDDWMC + QString(10, u' ');
}

QString TPrintDM::ZYText() const
{
    const int major = ZKMainDef().ZyFilter;
    if (major < 0)
        return u"全部"_s;
    if (major < FDm.JhRecCount)
        return FDm.Jh(major)->ZYDH + u' ' + FDm.Jh(major)->Zymc;
    if (major == FDm.JhRecCount)
        return u"预退档考生"_s;
    return u"未确定专业考生"_s;
}

void TPrintDM::SetCommonParams(TReportDef &report)
{
    const TZKMainDef &def = ZKMainDef();
    report.SetParam(u"PCDataText"_s, SetText(TD_PCDM, def.CurPCDM));
    report.SetParam(u"KLDataText"_s, SetText(TD_KLDM, def.CurKLDM));
    report.SetParam(u"JHXZDataText"_s, SetText(TD_JHXZDM, def.CurJHXZ));
    report.SetParam(u"PrintDateDataText"_s, PrintDateText());
}

bool TPrintDM::ExecuteTDD(const TTddPrintLayout &layout, TTddPrintFields &fields)
{
    TReportDef &report = FProject.SelectReport(u"TDDReport"_s);
    report.SetParam(u"TitleDataText"_s, layout.Title);
    SetCommonParams(report);
    report.SetParam(u"TDDWDataText"_s, TDDWText());
    report.SetParam(u"ZYDataText"_s, ZYText());
    BuildTDDColumns(report, layout);
    FFields = &fields;
    struct Reset
    {
        TPrintDM *dm;
        ~Reset()
        {
            dm->FFields = nullptr;
            dm->FTddPage = nullptr;
        }
    } reset{this};
    return RunReport(report);
}

void TPrintDM::BuildTDDColumns(TReportDef &report, const TTddPrintLayout &layout)
{
    TReportPage *page = report.FindPage(TddPageName);
    TReportBand *titleBand = page ? page->FindBand(u"TDDReport_TitleBand"_s) : nullptr;
    TReportBand *header = page ? page->FindBand(u"TDDReport_Band"_s) : nullptr;
    TReportBand *data = page ? page->FindBand(u"TDDReport_DataBand"_s) : nullptr;
    TReportItem *title = page ? page->FindItem(u"TitleDataText"_s) : nullptr;
    if (!titleBand || !header || !data || !title)
        throw EZKError(u"报表 TDDReport 的页面 "_s + TddPageName + u" 不完整"_s);
    FTddPage = page;

    // The title takes the title box's font; what stands below it moves with its height.
    const double oldBottom = title->Top + title->Height;
    title->Font = PrinterFont(layout.TitleFontName, layout.TitleFontHeight);
    title->Height = LineHeightInches(title->Font);
    const double shift = title->Top + title->Height - oldBottom;
    for (const auto &item : titleBand->Items) {
        if (item.get() != title && item->Top >= oldBottom - 1e-9)
            item->Top += shift;
    }
    titleBand->Height = title->Height + 0.7;

    const double dpi = layout.ScreenDpi > 0 ? layout.ScreenDpi : 96;
    const double rowHeight = layout.RowHeight / dpi;
    header->Height = rowHeight;
    data->Height = rowHeight;
    header->Items.clear();
    data->Items.clear();
    const QFont tableFont = PrinterFont(layout.TableFontName, layout.TableFontHeight);
    FLabelFields.clear();
    double x = 0;
    for (int i = 0; i < layout.Columns.size(); ++i) {
        const TTddPrintLayout::Column &column = layout.Columns[i];
        const double w = column.Width / dpi;
        TReportItem &headerRect = header->AddItem(TReportItemKind::Rect);
        headerRect.Left = x;
        headerRect.Width = w;
        headerRect.Height = rowHeight;
        TReportItem &caption = header->AddItem(TReportItemKind::Text);
        caption.Left = x;
        caption.Width = w;
        caption.Height = rowHeight;
        caption.Text = column.Caption;
        caption.Font = tableFont;
        caption.Align = Qt::AlignHCenter | Qt::AlignVCenter;

        TReportItem &cell = data->AddItem(TReportItemKind::Rect);
        cell.Left = x;
        cell.Width = w;
        cell.Height = rowHeight;
        TReportItem &text = data->AddItem(TReportItemKind::Text, FieldTextPrefix + QString::number(i));
        text.Left = x + FieldTextIndent;
        text.Width = w - FieldTextIndent;
        text.Height = rowHeight;
        text.Text = u" "_s;
        text.Font = tableFont;
        text.Align = Qt::AlignLeft | Qt::AlignVCenter;
        FLabelFields.append(column.Field);
        x += w;
    }
}

bool TPrintDM::ExecuteStat(const QString &TDDWStr)
{
    const TZKMainDef &def = ZKMainDef();
    TReportDef &report = FProject.SelectReport(u"StatReport"_s);
    report.SetParam(u"TitleDataText"_s, QDate::currentDate().toString(u"yyyy"_s) + u"年"_s +
                                            def.InstitutionName + def.LoginInfo.SSMC + u"考生统计信息"_s);
    SetCommonParams(report);
    report.SetParam(u"TDDWDataText"_s, TDDWStr);
    return RunReport(report);
}

bool TPrintDM::RunReport(TReportDef &report)
{
    TCustomConnection tdd;
    tdd.OnOpen = [this] { TDDConnOpen(); };
    tdd.OnFirst = [this] { TDDConnFirst(); };
    tdd.OnNext = [this] { TDDConnNext(); };
    tdd.OnEOF = [this] { return TDDConnEOF(); };
    tdd.OnGetRow = [this] { TDDConnGetRow(); };
    tdd.OnRestore = [this] { TDDConnRestore(); };
    TTableConnection bmxx(FDm.UnivConn, u"bmxx"_s);
    TTableConnection cjxx(FDm.UnivConn, u"cjxx"_s);
    TTableConnection zyxx(FDm.UnivConn, u"zyxx"_s);
    const QHash<QString, IReportConnection *> connections{
        {u"TDDConn"_s, &tdd}, {u"BMXXConn"_s, &bmxx}, {u"CJXXConn"_s, &cjxx}, {u"ZYXXConn"_s, &zyxx}};
    TReportDocument document;
    try {
        document = LayOutReport(report, connections);
    } catch (...) {
        TDDConnRestore();
        throw;
    }
    return FOutput.Output(document);
}

void TPrintDM::TDDConnOpen()
{
    LabelArray.clear();
    if (!FTddPage || !FFields)
        throw EZKError(u"TDDConn 只用于打印投档单"_s);
    for (int i = 0;; ++i) {
        TReportItem *item = FTddPage->FindItem(FieldTextPrefix + QString::number(i));
        if (!item)
            break;
        LabelArray.append(item);
    }
    FFields->OpenQuery();
}

void TPrintDM::TDDConnFirst()
{
    KSIndex = 0;
}

void TPrintDM::TDDConnNext()
{
    ++KSIndex;
}

bool TPrintDM::TDDConnEOF() const
{
    return KSIndex >= FDm.CurrentKSList.size();
}

void TPrintDM::TDDConnGetRow()
{
    const TKSItem *candidate = FDm.CurrentKSList.at(KSIndex);
    for (int i = 0; i < LabelArray.size(); ++i)
        LabelArray[i]->Text = FFields->GetTddFieldStr(candidate, FLabelFields.value(i, -1));
}

void TPrintDM::TDDConnRestore()
{
    if (FFields)
        FFields->CloseQuery();
}
