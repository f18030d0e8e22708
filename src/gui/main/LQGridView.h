#pragma once

#include "workspace/WorkspaceViews.h"

#include <QTableView>

class TMainDM;
class TLQGridModel;

// The main window's candidate grid: one row per entry of the workspace's current
// candidate list, one column per dossier column. It holds no data: every cell text,
// colour and status picture is asked of the workspace when painted.
//
// The main window connects the signals: the hint panel (owned by the window) and the
// double-click commands. The workspace's main view (IMainView) gets the focused-row text.
class TLQGridView : public QTableView, public ILQGrid
{
    Q_OBJECT

public:
    TLQGridView(TMainDM &dm, QWidget *parent);
    ~TLQGridView() override;

    // --- ILQGrid ---
    void SetGridVisible(bool visible) override;
    void SetRowCount(int rows) override;
    int RowCount() const override;
    void ClearColumns() override;
    void AddColumn(const QString &caption, int width) override;
    int ColumnCount() const override;
    int ColumnWidth(int column) const override;
    QList<int> SelectedRows() const override;
    int FocusedRow() const override;
    void ClearSelection() override;
    void SelectRow(int row) override;
    void SetFocusedRow(int row) override;
    void Repaint() override;

    // Sorts by a column keeping the selected candidates selected (header click and the
    // sort commands).
    void SortByColumn(int column);
    // The pixel rectangle of a cell in the coordinates of the grid widget itself.
    QRect CellRect(int row, int column) const;
    // Where the hint panel goes for a cell (in the grid's coordinates): the panel's top-left
    // corner in the coordinates of client, the widget the panel floats in.
    QPoint HintPanelPos(const QRect &cell, const QSize &panel, const QWidget *client) const;
    // The workspace's selected list from the selected rows, by candidate number (the start
    // of a drag).
    void MakeSelectedList();

    TLQGridModel *GridModel() const { return FModel; }

signals:
    // A click on a cell of a long-text column with text: the hint panel's title and body,
    // and the cell's rectangle in the grid's coordinates (for HintPanelPos).
    void LongTextHintRequested(const QString &title, const QString &text, const QRect &cell);
    // A click, a double click or a focus change hides the hint panel; the grid tells the
    // workspace's main view (IMainView::HideHintPanel) and emits this as well.
    void HideHintRequested();
    // Double click on the LQZY or TDYYDM cell of the focused row.
    void StatusDialogRequested();
    // Double click on any other cell of the focused row.
    void DetailWindowRequested();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void OnCurrentChanged(const QModelIndex &current);
    void OnHeaderClicked(int section);
    void OnCellClicked(const QModelIndex &index);
    void HideHint();
    void ApplyScreenMetrics();
    // Applies the rows that SelectRow gathered, as one selection of row ranges.
    void FlushSelection() const;

    TMainDM &FDm;
    TLQGridModel *FModel;
    // Rows the workspace selected one by one: selecting them in one go keeps restoring a
    // large selection after a sort quick (each single select is compared with the whole
    // selection).
    mutable QList<int> FPendingRows;
};

// Where the main window puts the grid's hint panel (its top-left corner, in the window's
// client coordinates): horizontally centred on the cell, kept inside 0 .. clientWidth,
// above the cell when the cell's top lies below half the grid's height, else below it.
// cell is in client coordinates, gridTop and gridHeight describe the grid there.
QPoint LQGridHintPanelPos(const QRect &cell, const QSize &panel, int clientWidth, int gridTop,
                          int gridHeight);
