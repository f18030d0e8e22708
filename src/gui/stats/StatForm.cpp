#include "StatForm.h"

#include "StatChart.h"
#include "StatPrinting.h"
#include "gui/common/GuiMetrics.h"
#include "gui/common/HelpTopicList.h"
#include "gui/common/HelpTopics.h"
#include "stats/StatWorkTables.h"
#include "store/ZKError.h"
#include "workspace/MainDM.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int GroupRole = Qt::UserRole;
constexpr int LeafRole = Qt::UserRole + 1;
constexpr int StatusWidths[4] = {120, 180, 120, 50};

QLabel *PaneTitle(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setFrameShape(QFrame::StyledPanel);
    label->setAutoFillBackground(true);
    label->setBackgroundRole(QPalette::Button);
    return label;
}

} // namespace

TStatForm::TStatForm(TMainDM &dm, IProgressSink &progress, IMessageSink &messages, QWidget *parent)
    : QDialog(parent)
    , FDm(dm)
    , FProgress(progress)
    , FMessages(messages)
    , FStats(dm)
{
    setObjectName(u"StatForm"_s);
    setWindowTitle(u"统计信息"_s);
    SetWindowHelpTopic(this, ZKHelp::Stat);
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    ApplyWindowFont(this);
    PrintReport = [this](const QString &TDDWStr) { PrintStatReport(FDm, TDDWStr, this); };

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    QToolBar *toolBar = BuildActions();
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(BuildLeftPane());
    splitter->addWidget(BuildRightPane());
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({ScaledPixels(200, this), ScaledPixels(600, this)});
    layout->addWidget(toolBar);
    layout->addWidget(splitter, 1);
    BuildStatusBar(layout);
    // The designed size, but never larger than the screen it opens on.
    QSize size(ScaledPixels(820, this), ScaledPixels(560, this));
    if (const QScreen *screen = this->screen())
        size = size.boundedTo(screen->availableSize() * 9 / 10);
    resize(size);
    RebuildTree();
    UpdatePage();
}

TStatForm::~TStatForm() = default;

void TStatForm::Execute(TMainDM &dm, IProgressSink &progress, IMessageSink &messages, QWidget *parent)
{
    TStatForm form(dm, progress, messages, parent);
    form.exec();
}

QToolBar *TStatForm::BuildActions()
{
    auto *bar = new QToolBar(this);
    bar->setObjectName(u"StatToolBar"_s);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ShowGridAction = bar->addAction(u"统计表(&T)"_s, this, [this] { SetShowGrid(true); });
    ShowChartAction = bar->addAction(u"统计图(&G)"_s, this, [this] { SetShowGrid(false); });
    ShowGridAction->setObjectName(u"ShowGridAction"_s);
    ShowChartAction->setObjectName(u"ShowChartAction"_s);
    ShowGridAction->setCheckable(true);
    ShowChartAction->setCheckable(true);
    bar->addSeparator();
    PrintAction = bar->addAction(u"打印(&P)"_s, this, &TStatForm::Print);
    PrintAction->setObjectName(u"PrintAction"_s);
    ExitAction = bar->addAction(u"退出(&X)"_s, this, &QDialog::reject);
    ExitAction->setObjectName(u"ExitAction"_s);
    bar->addSeparator();

    auto *unitLabel = new QLabel(u"投档单位:"_s, bar);
    auto *stepLabel = new QLabel(u"单科分数段:"_s, bar);
    TDDWComboBox = new QComboBox(bar);
    TDDWComboBox->setObjectName(u"TDDWComboBox"_s);
    TDDWComboBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    unitLabel->setBuddy(TDDWComboBox);
    // Room around the labels from margins, not spaces: the labels name the lists.
    for (QLabel *label : {unitLabel, stepLabel})
        label->setContentsMargins(ScaledPixels(8, this), 0, ScaledPixels(4, this), 0);
    bar->addWidget(unitLabel);
    bar->addWidget(TDDWComboBox);
    StepComboBox = new QComboBox(bar);
    StepComboBox->setObjectName(u"StepComboBox"_s);
    StepComboBox->addItems({u"5"_s, u"10"_s});
    stepLabel->setBuddy(StepComboBox);
    bar->addWidget(stepLabel);
    bar->addWidget(StepComboBox);
    connect(TDDWComboBox, &QComboBox::currentIndexChanged, this, [this](int entry) {
        FStats.SetUnitEntry(entry < 0 ? 0 : entry);
        Recompute();
    });
    connect(StepComboBox, &QComboBox::currentTextChanged, this, [this](const QString &text) {
        FStats.SetScoreStepText(text);
        Recompute();
    });
    return bar;
}

QWidget *TStatForm::BuildLeftPane()
{
    auto *pane = new QWidget(this);
    auto *layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *title = PaneTitle(u"  统计项目："_s, pane);
    StatTree = new QTreeWidget(pane);
    StatTree->setObjectName(u"StatTree"_s);
    StatTree->setAccessibleName(u"统计项目"_s);
    StatTree->setHeaderHidden(true);
    title->setBuddy(StatTree);
    layout->addWidget(title);
    layout->addWidget(StatTree, 1);
    connect(StatTree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *item) { FocusedItemChanged(item); });
    return pane;
}

QWidget *TStatForm::BuildRightPane()
{
    auto *pane = new QWidget(this);
    auto *layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *title = PaneTitle(u" 统计结果："_s, pane);
    ResultPages = new QStackedWidget(pane);
    ResultPages->setObjectName(u"ResultPages"_s);
    FEmptyPage = new QWidget(ResultPages);
    FEmptyPage->setAutoFillBackground(true);
    FEmptyPage->setBackgroundRole(QPalette::Base);
    ResultList = new QTreeWidget(ResultPages);
    ResultList->setObjectName(u"ResultList"_s);
    ResultList->setAccessibleName(u"统计结果"_s);
    ResultList->setRootIsDecorated(false);
    ResultList->setUniformRowHeights(true);
    ResultList->header()->setStretchLastSection(false);
    // Many bars get room of their own: the chart grows and the page scrolls.
    FChartScroll = new QScrollArea(ResultPages);
    FChartScroll->setWidgetResizable(true);
    FChartScroll->setFrameShape(QFrame::NoFrame);
    ResultChart = new QChartView(FChartScroll);
    FChartScroll->setWidget(ResultChart);
    ResultChart->setObjectName(u"ResultChart"_s);
    ResultChart->setAccessibleName(u"统计图"_s);
    ResultChart->setRenderHint(QPainter::Antialiasing);
    ResultPages->addWidget(FEmptyPage);
    ResultPages->addWidget(ResultList);
    ResultPages->addWidget(FChartScroll);
    title->setBuddy(ResultList);
    layout->addWidget(title);
    layout->addWidget(ResultPages, 1);
    return pane;
}

void TStatForm::BuildStatusBar(QVBoxLayout *layout)
{
    auto *bar = new QStatusBar(this);
    bar->setObjectName(u"StatusBar"_s);
    bar->setSizeGripEnabled(false);
    for (int width : StatusWidths) {
        auto *panel = new QLabel(bar);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setFixedWidth(ScaledPixels(width, this));
        bar->addWidget(panel);
        StatusPanels.append(panel);
    }
    layout->addWidget(bar);
}

void TStatForm::showEvent(QShowEvent *event)
{
    Prepare();
    QDialog::showEvent(event);
}

void TStatForm::Prepare()
{
    FPreparing = true;
    const int entry = TDDWComboBox->currentIndex();
    TDDWComboBox->clear();
    TDDWComboBox->addItems(StatUnitEntries(FDm));
    TDDWComboBox->setCurrentIndex(entry > 0 && entry < TDDWComboBox->count() ? entry : 0);
    FStats.SetUnitEntry(TDDWComboBox->currentIndex());
    FStats.SetScoreStepText(StepComboBox->currentText());
    FStats.RebuildItems();
    RebuildTree();
    FPreparing = false;
}

void TStatForm::RebuildTree()
{
    const QSignalBlocker blocker(StatTree);
    StatTree->clear();
    auto *root = new QTreeWidgetItem(StatTree, {StatRootCaption});
    root->setData(0, GroupRole, -1);
    const TStatItemNames &names = FStats.ItemStrArray();
    for (int group = 0; group < int(names.size()); ++group) {
        auto *groupItem = new QTreeWidgetItem(root, {StatGroupCaptions().at(group)});
        groupItem->setData(0, GroupRole, -1);
        for (int leaf = 0; leaf < names[size_t(group)].size(); ++leaf) {
            auto *leafItem = new QTreeWidgetItem(groupItem, {names[size_t(group)].at(leaf)});
            leafItem->setData(0, GroupRole, group);
            leafItem->setData(0, LeafRole, leaf);
        }
    }
    StatTree->expandAll();
    FHasResult = false;
    UpdatePage();
}

void TStatForm::FocusLeaf(int group, int leaf)
{
    QTreeWidgetItem *groupItem = StatTree->topLevelItem(0)->child(group);
    StatTree->setCurrentItem(groupItem->child(leaf));
}

void TStatForm::FocusedItemChanged(QTreeWidgetItem *item)
{
    const int group = item ? item->data(0, GroupRole).toInt() : -1;
    if (group < 0) {
        ClearResult();
        return;
    }
    ComputeLeaf(group, item->data(0, LeafRole).toInt());
}

void TStatForm::Recompute()
{
    QTreeWidgetItem *item = StatTree->currentItem();
    if (FPreparing || !item || item->data(0, GroupRole).toInt() < 0)
        return;
    ComputeLeaf(item->data(0, GroupRole).toInt(), item->data(0, LeafRole).toInt());
}

void TStatForm::ComputeLeaf(int group, int leaf)
{
    TStatResult r;
    try {
        r = FStats.Compute(group, leaf);
    } catch (const EZKError &e) {
        // Failures of the statements other than the score statistics are not the
        // window's to explain; they are shown as the program shows any error.
        ShowError(e.Message());
        return;
    }
    if (r.HasMessage()) {
        FMessages.ShowMessage(r.Message, windowTitle(), r.MessageIcon);
        if (!r.KeepPrevious)
            ClearResult();
        return;
    }
    ShowResult(r);
}

void TStatForm::ShowResult(const TStatResult &r)
{
    FShown = r;
    FHasResult = true;
    FillList(r);
    SetChart(r.Chart);
    for (int i = 0; i < int(r.Status.size()); ++i) {
        if (r.Status[size_t(i)])
            StatusPanels[i]->setText(*r.Status[size_t(i)]);
    }
    UpdatePage();
}

void TStatForm::ClearResult()
{
    FShown = TStatResult();
    FHasResult = false;
    ResultList->clear();
    SetChart(TStatChart());
    UpdatePage();
}

void TStatForm::FillList(const TStatResult &r)
{
    ResultList->clear();
    QStringList captions;
    for (const TStatColumn &c : r.Columns)
        captions.append(c.Caption);
    ResultList->setColumnCount(int(captions.size()));
    ResultList->setHeaderLabels(captions);
    for (int i = 0; i < r.Columns.size(); ++i)
        ResultList->setColumnWidth(i, ScaledPixels(r.Columns[i].Width, this));
    QList<QTreeWidgetItem *> items;
    for (const QStringList &row : r.Rows)
        items.append(new QTreeWidgetItem(row));
    ResultList->addTopLevelItems(items);
}

void TStatForm::SetChart(const TStatChart &chart)
{
    QFont font = this->font();
    font.setFamily(WindowFontFamily());
    QChart *old = ResultChart->chart();
    ResultChart->setChart(CreateStatChart(chart, font));
    const int bars = chart.Series.isEmpty() ? 0 : int(chart.Series.first().Points.size());
    const int extent =
        ScaledPixels(chart.Kind == TStatChartKind::HBar ? 36 : 40, this) * bars + ScaledPixels(160, this);
    ResultChart->setMinimumSize(chart.Kind == TStatChartKind::Bar ? extent : 0,
                                chart.Kind == TStatChartKind::HBar ? extent : 0);
    delete old;
}

void TStatForm::SetShowGrid(bool showGrid)
{
    IsShowGrid = showGrid;
    UpdatePage();
}

void TStatForm::UpdatePage()
{
    if (!ResultPages)
        return;
    if (!FHasResult)
        ResultPages->setCurrentWidget(FEmptyPage);
    else
        ResultPages->setCurrentWidget(IsShowGrid ? static_cast<QWidget *>(ResultList) : FChartScroll);
    ShowGridAction->setEnabled(FHasResult);
    ShowChartAction->setEnabled(FHasResult);
    ShowGridAction->setChecked(FHasResult && IsShowGrid);
    ShowChartAction->setChecked(FHasResult && !IsShowGrid);
}

void TStatForm::Print()
{
    const int entry = TDDWComboBox->currentIndex() < 0 ? 0 : TDDWComboBox->currentIndex();
    try {
        FillStatWorkTables(FDm, StatUnitCode(FDm, entry), FProgress, FStats.ScoreStep());
        PrintReport(StatUnitPrintText(FDm, entry));
    } catch (const EZKError &e) {
        ShowError(e.Message());
    }
}

void TStatForm::ShowError(const QString &text)
{
    FMessages.ShowMessage(text, windowTitle(), TMsgIcon::Error);
}
