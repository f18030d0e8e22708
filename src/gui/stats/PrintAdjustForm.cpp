#include "PrintAdjustForm.h"

#include "ReportDialogs.h"
#include "gui/common/GuiMetrics.h"
#include "gui/common/HelpTopics.h"
#include "report/PrintDM.h"
#include "store/ZKError.h"
#include "workspace/MainDM.h"

#include <QCheckBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString DialogCaption = u"打印宽度设置"_s;
constexpr int HelpTopic = 11140;
constexpr int MinColumnWidth = 8;
constexpr int MaxColumnWidth = 2048;
constexpr int MinRowHeight = 4;
constexpr int MaxKeyRowHeight = 160;
constexpr int MaxHandleRowHeight = 80;

} // namespace

TPrintAdjustForm::TPrintAdjustForm(TMainDM &dm, IMessageSink &messages, QWidget *parent)
    : QDialog(parent)
    , FDm(dm)
    , FMessages(messages)
    , FFields(dm)
{
    setObjectName(u"PrintAdjustForm"_s);
    setWindowTitle(DialogCaption);
    FDpi = ScreenDpi(parent);
    MakeOutput = [this] { return std::make_unique<TReportDialogOutput>(this); };
    ChooseFont = [this](QFont &font, const QString &caption) {
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, font, this, caption);
        if (ok)
            font = chosen;
        return ok;
    };
    BuildControls();
    ApplyWindowFont(this);
    resize(ScaledPixels(760, FDpi), ScaledPixels(540, FDpi));
}

TPrintAdjustForm::~TPrintAdjustForm() = default;

void TPrintAdjustForm::Execute(TMainDM &dm, IMessageSink &messages, QWidget *parent)
{
    TPrintAdjustForm form(dm, messages, parent);
    try {
        form.Open();
    } catch (const EZKError &e) {
        messages.ShowMessage(e.Message(), DialogCaption, TMsgIcon::Warning);
        return;
    }
    form.exec();
    try {
        form.StoreSettings();
    } catch (const EZKError &e) {
        messages.ShowMessage(e.Message(), DialogCaption, TMsgIcon::Warning);
    }
}

void TPrintAdjustForm::BuildControls()
{
    auto *titleGroup = new QGroupBox(u"请输入要打印报表的标题"_s, this);
    TitleEdit = new QLineEdit(u"录取新生名册"_s, titleGroup);
    TitleEdit->setObjectName(u"TitleEdit"_s);
    auto *titleLabel = new QLabel(u"标题(&T):"_s, titleGroup);
    titleLabel->setBuddy(TitleEdit);
    TitleFontButton = new QPushButton(u"标题字体(&F)..."_s, titleGroup);
    TitleFontButton->setObjectName(u"TitleFontButton"_s);
    connect(TitleFontButton, &QPushButton::clicked, this, &TPrintAdjustForm::ChooseTitleFont);
    auto *titleRow = new QHBoxLayout(titleGroup);
    titleRow->addWidget(titleLabel);
    titleRow->addWidget(TitleEdit, 1);
    titleRow->addWidget(TitleFontButton);

    auto *fieldGroup = new QGroupBox(u"请去掉不需要打印的项目"_s, this);
    FieldList = new QListWidget(fieldGroup);
    FieldList->setObjectName(u"FieldList"_s);
    FieldList->setFlow(QListView::LeftToRight);
    FieldList->setWrapping(true);
    FieldList->setResizeMode(QListView::Adjust);
    auto *fieldLabel = new QLabel(u"打印项目(&L):"_s, fieldGroup);
    fieldLabel->setBuddy(FieldList);
    connect(FieldList, &QListWidget::itemChanged, this, &TPrintAdjustForm::FieldItemChanged);
    FieldList->viewport()->installEventFilter(this);
    auto *fieldBox = new QVBoxLayout(fieldGroup);
    fieldBox->addWidget(fieldLabel);
    fieldBox->addWidget(FieldList, 1);

    auto *previewGroup =
        new QGroupBox(u"在下表中调整各打印项目到合适的宽度, 也可改变各项目的先后顺序"_s, this);
    PreviewGrid = new QTableWidget(1, 0, previewGroup);
    PreviewGrid->setObjectName(u"PreviewGrid"_s);
    PreviewGrid->setAccessibleName(u"打印预览"_s);
    PreviewGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PreviewGrid->setSelectionMode(QAbstractItemView::NoSelection);
    PreviewGrid->setWordWrap(false);
    QHeaderView *header = PreviewGrid->horizontalHeader();
    header->setSectionsMovable(true);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setMinimumSectionSize(MinColumnWidth);
    header->setStretchLastSection(false);
    connect(header, &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        if (size > 0 && logical < FColumnWidths.size())
            FColumnWidths[logical] = size;
    });
    // The row's lower edge is the row-height handle.
    QHeaderView *rows = PreviewGrid->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Interactive);
    rows->setMinimumSectionSize(1);
    connect(rows, &QHeaderView::sectionResized, this, [this](int, int, int size) {
        if (!FFilling && size != FRowHeight)
            SetRowHeight(size);
    });
    PreviewGrid->installEventFilter(this);

    RowHeightEdit = new QSpinBox(previewGroup);
    RowHeightEdit->setObjectName(u"RowHeightEdit"_s);
    RowHeightEdit->setRange(MinRowHeight, MaxHandleRowHeight);
    auto *rowLabel = new QLabel(u"行高(&R):"_s, previewGroup);
    rowLabel->setBuddy(RowHeightEdit);
    connect(RowHeightEdit, &QSpinBox::valueChanged, this, [this](int value) {
        if (!FFilling && value != FRowHeight)
            SetRowHeight(value);
    });
    TableFontButton = new QPushButton(u"表格字体(&B)..."_s, previewGroup);
    TableFontButton->setObjectName(u"TableFontButton"_s);
    connect(TableFontButton, &QPushButton::clicked, this, &TPrintAdjustForm::ChooseTableFont);
    ApplyAllCheck = new QCheckBox(u"应用于所有批次、科类、计划性质"_s, previewGroup);
    ApplyAllCheck->setObjectName(u"ApplyAllCheck"_s);
    SyncButton = new QPushButton(u"与投档单主窗口的项目同步"_s, previewGroup);
    SyncButton->setObjectName(u"SyncButton"_s);
    connect(SyncButton, &QPushButton::clicked, this, &TPrintAdjustForm::SyncWithGrid);
    auto *previewTools = new QHBoxLayout;
    previewTools->addWidget(rowLabel);
    previewTools->addWidget(RowHeightEdit);
    previewTools->addWidget(TableFontButton);
    previewTools->addStretch();
    previewTools->addWidget(SyncButton);
    auto *previewBox = new QVBoxLayout(previewGroup);
    previewBox->addWidget(PreviewGrid, 1);
    previewBox->addLayout(previewTools);
    previewBox->addWidget(ApplyAllCheck);

    PrintButton = new QPushButton(u"打印(&P)"_s, this);
    PrintButton->setObjectName(u"PrintButton"_s);
    connect(PrintButton, &QPushButton::clicked, this, &TPrintAdjustForm::Print);
    CloseButton = new QPushButton(u"关闭"_s, this);
    CloseButton->setObjectName(u"CloseButton"_s);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
    HelpButton = new QPushButton(u"帮助"_s, this);
    HelpButton->setObjectName(u"HelpButton"_s);
    connect(HelpButton, &QPushButton::clicked, this, [this] { ShowHelpTopic(HelpTopic, this); });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(PrintButton);
    buttons->addWidget(CloseButton);
    buttons->addWidget(HelpButton);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(titleGroup);
    layout->addWidget(fieldGroup, 3);
    layout->addWidget(previewGroup, 2);
    layout->addLayout(buttons);
}

int TPrintAdjustForm::StoredToScreen(double pixels) const
{
    return qRound(pixels * FDpi / 96.0);
}

int TPrintAdjustForm::ScreenToStored(double pixels) const
{
    return qRound(pixels * 96.0 / FDpi);
}

double TPrintAdjustForm::FontHeight96(const QFont &font) const
{
    if (font.pixelSize() > 0)
        return font.pixelSize() * 96.0 / FDpi;
    return font.pointSizeF() * 96.0 / 72.0;
}

QFont TPrintAdjustForm::ScreenFont(const QString &name, double height96) const
{
    QFont font(name.isEmpty() ? WindowFontFamily() : name);
    font.setPixelSize(std::max(1, StoredToScreen(height96)));
    return font;
}

void TPrintAdjustForm::Open()
{
    FFilling = true;
    const TPrintFonts fonts = ReadPrintFonts(FDm.UnivConn);
    TitleEdit->setFont(ScreenFont(fonts.TitleFontName, fonts.TitleFontHeight));
    SetTableFont(ScreenFont(fonts.TableFontName, fonts.TableFontHeight));
    FRowHeight = std::clamp(StoredToScreen(fonts.HeaderHeight), MinRowHeight, MaxHandleRowHeight);

    FFields.ReadFields();
    AddFieldColumns();
    FillPreviewRow();
    TitleEdit->setText(ProposedPrintTitle());
    // The keys work on the focused column: the first shown one to begin with.
    const QHeaderView *header = PreviewGrid->horizontalHeader();
    for (int v = 0; v < header->count(); ++v) {
        if (!header->isSectionHidden(header->logicalIndex(v))) {
            PreviewGrid->setCurrentCell(0, header->logicalIndex(v));
            break;
        }
    }
    FFilling = false;
    SetRowHeight(FRowHeight);
    SettingsChanged = false;
}

void TPrintAdjustForm::AddFieldColumns()
{
    const int count = FieldCount();
    PreviewGrid->setColumnCount(count);
    FieldList->clear();
    FColumnWidths.clear();
    QList<int> remembered;
    for (int n = 0; n < count; ++n) {
        const QString caption = FFields.Captions[n];
        PreviewGrid->setHorizontalHeaderItem(n, new QTableWidgetItem(caption));
        const int width = StoredToScreen(OpeningPrintWidth(FFields.Widths[n]));
        FColumnWidths.append(width);
        PreviewGrid->setColumnWidth(n, width);
        auto *item = new QListWidgetItem(caption, FieldList);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        const bool shown = FFields.Positions[n] >= 0;
        item->setCheckState(shown ? Qt::Checked : Qt::Unchecked);
        PreviewGrid->setColumnHidden(n, !shown);
        if (shown)
            remembered.append(n);
    }
    std::stable_sort(remembered.begin(), remembered.end(),
                     [this](int a, int b) { return FFields.Positions[a] < FFields.Positions[b]; });
    for (int n : remembered)
        MoveColumnTo(n, FFields.Positions[n]);
}

void TPrintAdjustForm::FillPreviewRow()
{
    const TKSItem *first = FDm.CurrentKSList.isEmpty() ? nullptr : FDm.CurrentKSList.first();
    for (int n = 0; n < FieldCount(); ++n)
        PreviewGrid->setItem(0, n,
                             new QTableWidgetItem(first ? FFields.GetTddFieldStr(first, n) : QString()));
    FFields.CloseQuery();
}

QString TPrintAdjustForm::GetTddFieldStr(const TKSItem *AKsItem, int ColumnIndex)
{
    return FFields.GetTddFieldStr(AKsItem, ColumnIndex);
}

void TPrintAdjustForm::MoveColumnTo(int field, int visualIndex)
{
    QHeaderView *header = PreviewGrid->horizontalHeader();
    const int target = std::clamp(visualIndex, 0, header->count() - 1);
    header->moveSection(header->visualIndex(field), target);
}

void TPrintAdjustForm::SetColumnShown(int field, bool shown)
{
    PreviewGrid->setColumnHidden(field, !shown);
    if (shown)
        PreviewGrid->setColumnWidth(field, FColumnWidths.value(field, MinColumnWidth));
}

void TPrintAdjustForm::FieldItemChanged(QListWidgetItem *item)
{
    if (FFilling)
        return;
    SetColumnShown(FieldList->row(item), item->checkState() == Qt::Checked);
}

void TPrintAdjustForm::SetTableFont(const QFont &font)
{
    FTableFont = font;
    PreviewGrid->setFont(font);
    PreviewGrid->horizontalHeader()->setFont(font);
}

void TPrintAdjustForm::SetRowHeight(int height)
{
    FRowHeight = std::clamp(height, MinRowHeight, MaxHandleRowHeight);
    const bool filling = FFilling;
    FFilling = true;
    RowHeightEdit->setValue(FRowHeight);
    PreviewGrid->verticalHeader()->resizeSection(0, FRowHeight);
    PreviewGrid->horizontalHeader()->setFixedHeight(FRowHeight);
    FFilling = filling;
    SettingsChanged = true;
}

bool TPrintAdjustForm::PreviewKey(int key)
{
    switch (key) {
    case Qt::Key_G:
        MoveFocusedColumn(false);
        return true;
    case Qt::Key_H:
        MoveFocusedColumn(true);
        return true;
    case Qt::Key_J:
        ResizeFocusedColumn(-1);
        return true;
    case Qt::Key_K:
        ResizeFocusedColumn(1);
        return true;
    case Qt::Key_I:
        SetRowHeight(std::max(MinRowHeight, FRowHeight - 1));
        return true;
    case Qt::Key_M:
        SetRowHeight(std::min(MaxKeyRowHeight, FRowHeight + 1));
        return true;
    default:
        return false;
    }
}

void TPrintAdjustForm::MoveFocusedColumn(bool forward)
{
    const int field = PreviewGrid->currentColumn();
    if (field < 0 || PreviewGrid->isColumnHidden(field))
        return;
    QHeaderView *header = PreviewGrid->horizontalHeader();
    const int from = header->visualIndex(field);
    const int step = forward ? 1 : -1;
    for (int v = from + step; v >= 0 && v < header->count(); v += step) {
        if (!header->isSectionHidden(header->logicalIndex(v))) {
            header->moveSection(from, v);
            PreviewGrid->setCurrentCell(0, field);
            return;
        }
    }
}

void TPrintAdjustForm::ResizeFocusedColumn(int delta)
{
    const int field = PreviewGrid->currentColumn();
    if (field < 0 || PreviewGrid->isColumnHidden(field))
        return;
    const int width = std::clamp(PreviewGrid->columnWidth(field) + delta, MinColumnWidth, MaxColumnWidth);
    PreviewGrid->setColumnWidth(field, width);
}

bool TPrintAdjustForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FieldList->viewport() && event->type() == QEvent::Resize)
        ArrangeFieldList();
    if (watched == PreviewGrid && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && PreviewKey(key->key()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TPrintAdjustForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        ShowHelpTopic(HelpTopic, this);
        return;
    }
    QDialog::keyPressEvent(event);
}

void TPrintAdjustForm::ArrangeFieldList()
{
    // Four columns of names.
    const int width = std::max(ScaledPixels(60, FDpi), (FieldList->viewport()->width() - 2) / 4);
    FieldList->setGridSize(QSize(width, FieldList->fontMetrics().height() + ScaledPixels(6, FDpi)));
}

void TPrintAdjustForm::ChooseTitleFont()
{
    QFont font = TitleEdit->font();
    if (!ChooseFont(font, u"标题字体"_s))
        return;
    TitleEdit->setFont(font);
    SettingsChanged = true;
}

void TPrintAdjustForm::ChooseTableFont()
{
    QFont font = FTableFont;
    if (!ChooseFont(font, u"表格字体"_s))
        return;
    const double oldHeight = FontHeight96(FTableFont);
    const double newHeight = FontHeight96(font);
    SetTableFont(font);
    if (qAbs(newHeight - oldHeight) > 1e-9 && oldHeight > 0 &&
        FMessages.ShowMessage(u"需要按照字体放缩的比例自动调整表格的宽度和高度吗？"_s, windowTitle(),
                              TMsgIcon::Question, TMsgButtons::YesNo) == TMsgResult::Yes) {
        const double ratio = newHeight / oldHeight;
        for (int n = 0; n < FieldCount(); ++n) {
            FColumnWidths[n] =
                std::clamp(int(qRound(FColumnWidths[n] * ratio)), MinColumnWidth, MaxColumnWidth);
            if (!PreviewGrid->isColumnHidden(n))
                PreviewGrid->setColumnWidth(n, FColumnWidths[n]);
        }
        SetRowHeight(qRound(FRowHeight * ratio));
    }
    SettingsChanged = true;
}

void TPrintAdjustForm::SyncWithGrid()
{
    FFilling = true;
    for (int n = 0; n < FieldCount(); ++n) {
        FieldList->item(n)->setCheckState(Qt::Unchecked);
        SetColumnShown(n, false);
    }
    for (int i = 0; i < FDm.ZKColumn.size(); ++i) {
        const QString &name = FDm.ZKColumn[i].Name;
        for (int n = 0; n < FieldCount(); ++n) {
            if (ZKColumn()[n].Name.compare(name, Qt::CaseInsensitive) != 0)
                continue;
            FieldList->item(n)->setCheckState(Qt::Checked);
            SetColumnShown(n, true);
            MoveColumnTo(n, i);
            break;
        }
    }
    FFilling = false;
}

TTddPrintLayout TPrintAdjustForm::CurrentLayout() const
{
    TTddPrintLayout layout;
    layout.Title = TitleEdit->text();
    layout.TitleFontName = TitleEdit->font().family();
    layout.TitleFontHeight = FontHeight96(TitleEdit->font());
    layout.TableFontName = FTableFont.family();
    layout.TableFontHeight = FontHeight96(FTableFont);
    layout.RowHeight = FRowHeight;
    layout.ScreenDpi = FDpi;
    const QHeaderView *header = PreviewGrid->horizontalHeader();
    for (int v = 0; v < header->count(); ++v) {
        const int n = header->logicalIndex(v);
        if (!header->isSectionHidden(n))
            layout.Columns.append({n, FFields.Captions[n], header->sectionSize(n)});
    }
    return layout;
}

void TPrintAdjustForm::Print()
{
    try {
        const std::unique_ptr<IReportOutput> output = MakeOutput();
        TPrintDM printing(FDm, *output);
        printing.ExecuteTDD(CurrentLayout(), FFields);
    } catch (const EZKError &e) {
        FFields.CloseQuery();
        FMessages.ShowMessage(e.Message(), windowTitle(), TMsgIcon::Warning);
    }
}

void TPrintAdjustForm::StoreSettings()
{
    if (SettingsChanged) {
        TPrintFonts fonts;
        fonts.TitleFontName = TitleEdit->font().family();
        fonts.TitleFontHeight = FontHeight96(TitleEdit->font());
        fonts.TableFontName = FTableFont.family();
        fonts.TableFontHeight = FontHeight96(FTableFont);
        fonts.HeaderHeight = ScreenToStored(FRowHeight);
        WritePrintFonts(FDm.UnivConn, fonts);
    }
    const QHeaderView *header = PreviewGrid->horizontalHeader();
    QList<TFieldPlace> places;
    int position = 0;
    QList<int> positions(FieldCount(), -1);
    for (int v = 0; v < header->count(); ++v) {
        const int n = header->logicalIndex(v);
        if (!header->isSectionHidden(n))
            positions[n] = position++;
    }
    for (int n = 0; n < FieldCount(); ++n)
        places.append({ZKColumn()[n].Name, positions[n], ScreenToStored(FColumnWidths[n])});
    StoreFieldPlaces(FDm.UnivConn, places, ApplyAllCheck->isChecked());
}
