#include "gui/main/ZyStateForm.h"

#include "gui/common/GuiMetrics.h"
#include "gui/common/HelpTopicList.h"
#include "gui/common/HelpTopics.h"
#include "gui/main/LQGridDelegate.h"
#include "gui/main/ZyStateModels.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int HelpTopic = ZKHelp::ZyState;
constexpr int DetailPage = 0;
constexpr int ListPage = 1;
constexpr int ColumnCount = 14;
constexpr int AllowedCourseColumn = 8;

// Detail view widths at 96 dpi by score mode (numeric, graded) and screen class 0..2.
constexpr int ColumnWidths[2][3][ColumnCount] = {
    {{36, 56, 115, 56, 60, 36, 80, 75, 0, 45, 45, 45, 45, 45},
     {48, 60, 140, 100, 100, 42, 100, 90, 0, 50, 50, 55, 55, 60},
     {50, 60, 160, 110, 120, 50, 130, 120, 0, 60, 60, 60, 60, 70}},
    {{36, 56, 95, 56, 56, 32, 56, 70, 56, 45, 45, 45, 45, 45},
     {48, 60, 130, 95, 100, 42, 95, 80, 80, 45, 45, 45, 45, 50},
     {50, 60, 160, 110, 120, 50, 130, 120, 110, 60, 60, 60, 60, 70}}};

// The panel's body: its first size is the designed client size.
class TZyStateBody : public QWidget
{
public:
    using QWidget::QWidget;
    QSize sizeHint() const override { return {ScaledPixels(725, this), ScaledPixels(296, this)}; }
};

} // namespace

TZyStateForm::TZyStateForm(TMainDM &dm, QWidget *parent)
    : QDockWidget(u"专业信息"_s, parent)
    , FDm(dm)
    , FDetailModel(new TZyStateDetailModel(this))
    , FListModel(new TZyStateListModel(this))
{
    setObjectName(u"ZyStateForm"_s);
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                QDockWidget::DockWidgetFloatable);
    auto *body = new TZyStateBody(this);
    auto *layout = new QHBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildViews();
    BuildStrip();
    layout->addWidget(FPages, 1);
    layout->addWidget(FStrip);
    setWidget(body);
    SetReportView(true);
    SetPartHelpTopic(this, HelpTopic);
    FDm.SetZyStatePanel(this);
}

TZyStateForm::~TZyStateForm()
{
    if (&FDm.ZyStatePanel() == this)
        FDm.SetZyStatePanel(nullptr);
}

void TZyStateForm::BuildViews()
{
    FPages = new QStackedWidget(this);
    FPopupMenu = new QMenu(this);
    FPopupMenu->addAction(u"查看所选专业的考生"_s, this, &TZyStateForm::ShowSelectedMajor);

    FDetailView = new QTreeView(FPages);
    FDetailView->setObjectName(u"ZyLV"_s);
    FDetailView->setAccessibleName(u"详细信息"_s);
    FDetailView->setModel(FDetailModel);
    FDetailView->setItemDelegateForColumn(0, new TLQGridPictureDelegate(FDetailView));
    FDetailView->setRootIsDecorated(false);
    FDetailView->setItemsExpandable(false);
    FDetailView->setUniformRowHeights(true);
    FDetailView->setAllColumnsShowFocus(true);
    FDetailView->setIconSize(QSize(ScaledPixels(15, this), ScaledPixels(15, this)));
    FDetailView->header()->setStretchLastSection(false);
    FDetailView->header()->setSectionsMovable(false);

    FListView = new QListView(FPages);
    FListView->setObjectName(u"ZyList"_s);
    FListView->setAccessibleName(u"列表"_s);
    FListView->setModel(FListModel);
    FListView->setFlow(QListView::TopToBottom);
    FListView->setWrapping(true);
    FListView->setResizeMode(QListView::Adjust);
    FListView->setUniformItemSizes(true);
    FListView->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    FListDelegate = new TZyStateListDelegate(FListView);
    FListDelegate->SetMinColumnWidthForStat(ListColumnWidth() - 16);
    FListView->setItemDelegate(FListDelegate);

    for (QAbstractItemView *view :
         {static_cast<QAbstractItemView *>(FDetailView), static_cast<QAbstractItemView *>(FListView)}) {
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        // Nothing may be dropped here, candidates dragged from the grid included.
        view->setAcceptDrops(false);
        view->setDragDropMode(QAbstractItemView::NoDragDrop);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        view->installEventFilter(this);
        connect(view, &QAbstractItemView::doubleClicked, this, [this] { ShowSelectedMajor(); });
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, view](const QPoint &pos) { FPopupMenu->exec(view->viewport()->mapToGlobal(pos)); });
    }
    FListView->viewport()->installEventFilter(this);
    FPages->insertWidget(DetailPage, FDetailView);
    FPages->insertWidget(ListPage, FListView);
}

void TZyStateForm::BuildStrip()
{
    FStrip = new QWidget(this);
    FStrip->setObjectName(u"TitlePanel"_s);
    FStrip->setFixedWidth(ScaledPixels(32, this));
    FStrip->installEventFilter(this);
    auto *layout = new QVBoxLayout(FStrip);
    const int margin = ScaledPixels(3, this);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(margin);

    FViewMenu = new QMenu(this);
    auto *group = new QActionGroup(this);
    group->setExclusive(true);
    FListAction = FViewMenu->addAction(u"列表(&L)"_s, this, [this] { SetReportView(false); });
    FReportAction = FViewMenu->addAction(u"详细信息(&D)"_s, this, [this] { SetReportView(true); });
    for (QAction *action : {FListAction, FReportAction}) {
        action->setCheckable(true);
        group->addAction(action);
    }
    FReportAction->setChecked(true);

    const int side = ScaledPixels(24, this);
    const QSize iconSize(ScaledPixels(16, this), ScaledPixels(16, this));
    FViewButton = new QToolButton(FStrip);
    FViewButton->setObjectName(u"ViewStyleButton"_s);
    FViewButton->setText(u"查看方式"_s);
    FViewButton->setToolTip(u"查看方式"_s);
    FViewButton->setIcon(QIcon(u":/gui/main/pictures/zystate-view.svg"_s));
    FViewButton->setMenu(FViewMenu);
    FViewButton->setPopupMode(QToolButton::InstantPopup);
    FHelpButton = new QToolButton(FStrip);
    FHelpButton->setObjectName(u"HelpBtn"_s);
    FHelpButton->setText(u"帮助"_s);
    FHelpButton->setToolTip(u"帮助"_s);
    FHelpButton->setIcon(QIcon(u":/gui/main/pictures/zystate-help.svg"_s));
    connect(FHelpButton, &QToolButton::clicked, this, [this] { ShowHelpTopic(HelpTopic, this); });
    for (QToolButton *button : {FViewButton, FHelpButton}) {
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setIconSize(iconSize);
        button->setFixedSize(side, side);
        button->setAutoRaise(true);
        layout->addWidget(button, 0, Qt::AlignHCenter);
    }
    layout->addStretch(1);
}

void TZyStateForm::Init(bool isReportView)
{
    ApplyColumnWidths();
    SetReportView(isReportView);
}

void TZyStateForm::ApplyColumnWidths()
{
    const TZKMainDef &def = ZKMainDef();
    const int screenClass = std::clamp(def.ScreenClass, 0, 2);
    const int(&widths)[ColumnCount] = ColumnWidths[def.RankScoreSupported ? 1 : 0][screenClass];
    for (int c = 0; c < ColumnCount; ++c)
        FDetailView->setColumnWidth(c, ScaledPixels(widths[c], this));
    FDetailView->setColumnHidden(AllowedCourseColumn, !def.RankScoreSupported);
}

void TZyStateForm::SetReportView(bool report)
{
    (report ? FReportAction : FListAction)->setChecked(true);
    FPages->setCurrentIndex(report ? DetailPage : ListPage);
}

bool TZyStateForm::IsReportView() const
{
    return FReportAction->isChecked();
}

void TZyStateForm::ShowPanel()
{
    show();
}

void TZyStateForm::ClearAndHide()
{
    ClearLists();
    // The set closes, not the member: the dock site keeps the size the member gave it
    // for the next set.
    FHidingForSet = true;
    hide();
    FHidingForSet = false;
}

void TZyStateForm::ClearLists()
{
    FDetailModel->SetRows({});
    FListModel->SetRows({});
}

void TZyStateForm::UpdateAllItems()
{
    QList<TZyStateRow> rows;
    rows.reserve(FDm.CurrentJhList.size());
    for (const TJHItem *jh : FDm.CurrentJhList)
        rows.append(ZyStateRowOf(FDm, *jh));
    FDetailModel->SetRows(rows);
    FListModel->SetRows(rows);
}

void TZyStateForm::UpdateAZyItem(int JhIndex)
{
    if (JhIndex < 0 || JhIndex >= FDm.CurrentJhList.size())
        return;
    const TZyStateRow row = ZyStateRowOf(FDm, *FDm.CurrentJhList[JhIndex]);
    FDetailModel->SetRow(JhIndex, row);
    FListModel->SetRow(JhIndex, row);
}

QAbstractItemView *TZyStateForm::ShownView() const
{
    if (FPages->currentIndex() == DetailPage)
        return FDetailView;
    return FListView;
}

int TZyStateForm::SelectedJhIndex() const
{
    const QModelIndex current = ShownView()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TZyStateForm::ShowSelectedMajor()
{
    const int index = SelectedJhIndex();
    if (index < 0 || index >= FDm.CurrentJhList.size())
        return;
    FDm.ChangeZyFilter(FDm.CurrentJhList[index]->JhId);
}

void TZyStateForm::RemoveMajorFilter()
{
    if (ZKMainDef().ZyFilter != -1)
        FDm.ChangeZyFilter(-1);
}

int TZyStateForm::ListColumnWidth() const
{
    return ScreenDpi(this) * 240 / 96;
}

int TZyStateForm::ListColumnCount() const
{
    return FListColumns;
}

// As many list columns as fit the panel beside the strip, each taking an equal share.
void TZyStateForm::UpdateListColumns()
{
    const int client = widget() ? widget()->width() : width();
    FListColumns = std::max(1, (client - FStrip->width()) / std::max(1, ListColumnWidth()));
    const int viewportWidth = std::max(1, FListView->viewport()->width());
    const int itemHeight = std::max(ScaledPixels(18, this), FListView->fontMetrics().height() + 2);
    FListView->setGridSize(QSize(std::max(1, viewportWidth / FListColumns), itemHeight));
}

void TZyStateForm::resizeEvent(QResizeEvent *event)
{
    QDockWidget::resizeEvent(event);
    UpdateListColumns();
}

// Only the panel's own showing and hiding moves the dock site: the hide and show events
// that minimising and restoring the main window send (spontaneous ones) leave it as it is.
void TZyStateForm::showEvent(QShowEvent *event)
{
    QDockWidget::showEvent(event);
    if (!event->spontaneous())
        emit PanelVisibilityChanged(true);
}

void TZyStateForm::hideEvent(QHideEvent *event)
{
    QDockWidget::hideEvent(event);
    if (!event->spontaneous() && !FHidingForSet)
        emit PanelVisibilityChanged(false);
}

bool TZyStateForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FStrip && event->type() == QEvent::MouseButtonDblClick) {
        RemoveMajorFilter();
        return true;
    }
    if (watched == FListView->viewport() && event->type() == QEvent::Resize)
        UpdateListColumns();
    if ((watched == FDetailView || watched == FListView) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ShowSelectedMajor();
            return true;
        }
    }
    return QDockWidget::eventFilter(watched, event);
}
