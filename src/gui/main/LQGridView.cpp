#include "gui/main/LQGridView.h"

#include "gui/common/GuiMetrics.h"
#include "gui/main/LQGridDelegate.h"
#include "gui/main/LQGridModel.h"
#include "workspace/MainDM.h"

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>

using namespace Qt::StringLiterals;

TLQGridView::TLQGridView(TMainDM &dm, QWidget *parent)
    : QTableView(parent)
    , FDm(dm)
    , FModel(new TLQGridModel(dm, this))
{
    setObjectName(u"LQGrid"_s);
    setAccessibleName(u"考生列表"_s);
    setModel(FModel);
    setItemDelegate(new TLQGridPictureDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setSortingEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setAcceptDrops(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setMouseTracking(true);

    QHeaderView *header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setMouseTracking(true); // hot tracking of the section under the mouse
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ApplyScreenMetrics();

    connect(header, &QHeaderView::sectionClicked, this, &TLQGridView::OnHeaderClicked);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { OnCurrentChanged(current); });
    connect(this, &QAbstractItemView::clicked, this, &TLQGridView::OnCellClicked);
    FDm.SetGrid(this);
}

TLQGridView::~TLQGridView()
{
    if (&FDm.Grid() == this)
        FDm.SetGrid(nullptr);
}

// Header height and row height are designed at 96 dpi; they grow with the screen and
// never get smaller than the font needs.
void TLQGridView::ApplyScreenMetrics()
{
    const int line = fontMetrics().height();
    const int iconSide = ScaledPixels(15, this);
    setIconSize(QSize(iconSide, iconSide));
    horizontalHeader()->setFixedHeight(std::max(ScaledPixels(23, this), line + ScaledPixels(6, this)));
    const int rowHeight = std::max({ScaledPixels(18, this), line + ScaledPixels(4, this), iconSide + 2});
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(rowHeight);
}

void TLQGridView::SetGridVisible(bool visible)
{
    setVisible(visible);
}

void TLQGridView::SetRowCount(int rows)
{
    FlushSelection();
    FModel->SetRowCount(rows);
}

int TLQGridView::RowCount() const
{
    return FModel->rowCount();
}

void TLQGridView::ClearColumns()
{
    FModel->ClearColumns();
}

void TLQGridView::AddColumn(const QString &caption, int width)
{
    FModel->AddColumn(caption);
    setColumnWidth(FModel->columnCount() - 1, std::max(1, width));
}

int TLQGridView::ColumnCount() const
{
    return FModel->columnCount();
}

int TLQGridView::ColumnWidth(int column) const
{
    return columnWidth(column);
}

QList<int> TLQGridView::SelectedRows() const
{
    FlushSelection();
    // The selection is kept as row ranges; walking them stays quick with every row selected.
    QList<int> rows;
    for (const QItemSelectionRange &range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.append(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int TLQGridView::FocusedRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TLQGridView::ClearSelection()
{
    FPendingRows.clear();
    selectionModel()->clearSelection();
}

void TLQGridView::SelectRow(int row)
{
    if (row < 0 || row >= FModel->rowCount())
        return;
    if (FPendingRows.isEmpty())
        QMetaObject::invokeMethod(
            this, [this] { FlushSelection(); }, Qt::QueuedConnection);
    FPendingRows.append(row);
}

void TLQGridView::FlushSelection() const
{
    if (FPendingRows.isEmpty())
        return;
    QList<int> rows;
    rows.swap(FPendingRows);
    std::sort(rows.begin(), rows.end());
    const int lastColumn = std::max(0, FModel->columnCount() - 1);
    QItemSelection selection;
    for (qsizetype i = 0; i < rows.size();) {
        qsizetype j = i;
        while (j + 1 < rows.size() && rows[j + 1] <= rows[j] + 1)
            ++j;
        if (rows[i] < FModel->rowCount())
            selection.select(FModel->index(rows[i], 0),
                             FModel->index(std::min(rows[j], FModel->rowCount() - 1), lastColumn));
        i = j + 1;
    }
    selectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void TLQGridView::SetFocusedRow(int row)
{
    FlushSelection();
    if (row < 0 || row >= FModel->rowCount()) {
        selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
        return;
    }
    const QModelIndex current = currentIndex();
    const QModelIndex target = FModel->index(row, current.isValid() ? current.column() : 0);
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
    scrollTo(target);
}

void TLQGridView::Repaint()
{
    FlushSelection();
    viewport()->update();
}

void TLQGridView::SortByColumn(int column)
{
    if (column < 0 || column >= FDm.ColumnNum)
        return;
    FDm.SetSelectedKsList(false);
    FDm.SortKS(column);
    FDm.SetSelectedListItem();
    Repaint();
}

QRect TLQGridView::CellRect(int row, int column) const
{
    const QRect rect = visualRect(FModel->index(row, column));
    return rect.translated(viewport()->pos());
}

QPoint LQGridHintPanelPos(const QRect &cell, const QSize &panel, int clientWidth, int gridTop, int gridHeight)
{
    int x = cell.left() + (cell.width() - panel.width()) / 2;
    if (x + panel.width() > clientWidth)
        x = clientWidth - panel.width();
    if (x < 0)
        x = 0;
    const bool lowerHalf = cell.top() - gridTop > gridHeight / 2;
    const int y = lowerHalf ? cell.top() - panel.height() : cell.bottom() + 1;
    return {x, y};
}

QPoint TLQGridView::HintPanelPos(const QRect &cell, const QSize &panel, const QWidget *client) const
{
    const QPoint origin = client->mapFromGlobal(mapToGlobal(QPoint(0, 0)));
    return LQGridHintPanelPos(cell.translated(origin), panel, client->width(), origin.y(), height());
}

void TLQGridView::MakeSelectedList()
{
    FDm.SetSelectedKsList(true);
}

void TLQGridView::HideHint()
{
    FDm.MainView().HideHintPanel();
    emit HideHintRequested();
}

void TLQGridView::OnCurrentChanged(const QModelIndex &current)
{
    FDm.MainView().SetStatusPanelText(ZKStatusPanel::FocusedRow,
                                      current.isValid() ? u"第%1人"_s.arg(current.row() + 1) : QString());
    HideHint();
}

void TLQGridView::OnHeaderClicked(int section)
{
    SortByColumn(section);
}

void TLQGridView::OnCellClicked(const QModelIndex &index)
{
    HideHint();
    const int row = FocusedRow();
    const int column = index.column();
    if (row < 0 || column < 0 || column >= FDm.ZKColumn.size())
        return;
    const TZKColumnRec &col = FDm.ZKColumn[column];
    if (col.ColType != u'T')
        return;
    const QString text = FModel->CellText(row, column);
    const TKSItem *ks = FModel->Candidate(row);
    if (text.isEmpty() || !ks)
        return;
    emit LongTextHintRequested(ks->Ksh + u' ' + ks->Xm + u" - "_s + col.Desc, text, CellRect(row, column));
}

void TLQGridView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    HideHint();
    const QModelIndex index = indexAt(event->position().toPoint());
    if (FocusedRow() < 0 || !index.isValid() || index.column() >= FDm.ZKColumn.size())
        return;
    const QString &name = FDm.ZKColumn[index.column()].Name;
    if (name == u"LQZY"_s || name == u"TDYYDM"_s)
        emit StatusDialogRequested();
    else
        emit DetailWindowRequested();
}

void TLQGridView::startDrag(Qt::DropActions supportedActions)
{
    MakeSelectedList();
    QTableView::startDrag(supportedActions);
}

void TLQGridView::dragEnterEvent(QDragEnterEvent *event)
{
    event->ignore();
}

void TLQGridView::dragMoveEvent(QDragMoveEvent *event)
{
    event->ignore();
}

void TLQGridView::dropEvent(QDropEvent *event)
{
    event->ignore();
}
