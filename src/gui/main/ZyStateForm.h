#pragma once

#include "workspace/WorkspaceViews.h"

#include <QDockWidget>

class TMainDM;
class QActionGroup;
class QAction;
class QMenu;
class QStackedWidget;
class QTreeView;
class QListView;
class QAbstractItemView;
class QToolButton;
class TZyStateDetailModel;
class TZyStateListModel;
class TZyStateListDelegate;

// The major state panel ("专业信息"): the majors of the open set with their plan and
// pre-admission figures, as a fourteen-column detail view or a compact multi-column list.
// Double click, Enter or "查看所选专业的考生" narrows the grid to the chosen major.
class TZyStateForm : public QDockWidget, public IZyStatePanel
{
    Q_OBJECT

public:
    TZyStateForm(TMainDM &dm, QWidget *parent);
    ~TZyStateForm() override;

    // At start-up, after the code tables are read: column visibility and widths by the
    // score mode, screen class and DPI, and the view (detail when isReportView).
    void Init(bool isReportView);

    // --- IZyStatePanel ---
    void ShowPanel() override;
    void ClearAndHide() override;
    void ClearLists() override;
    void UpdateAllItems() override;
    void UpdateAZyItem(int JhIndex) override;
    bool IsReportView() const override;

    // Narrows the grid to the major of the selected row of the shown view.
    void ShowSelectedMajor();
    // Removes the major filter (double click on the strip).
    void RemoveMajorFilter();
    void SetReportView(bool report);

    QTreeView *DetailView() const { return FDetailView; }
    QListView *ListView() const { return FListView; }
    QMenu *ViewMenu() const { return FViewMenu; }
    QMenu *PopupMenu() const { return FPopupMenu; }
    QAction *ListAction() const { return FListAction; }
    QAction *ReportAction() const { return FReportAction; }
    QWidget *Strip() const { return FStrip; }
    // The list view's narrowest column (ZyListMinColWidth): 240 pixels at 96 dpi.
    int ListColumnWidth() const;
    // The number of list columns for the panel's current width.
    int ListColumnCount() const;
    TZyStateDetailModel *DetailModel() const { return FDetailModel; }
    TZyStateListModel *ListModel() const { return FListModel; }

signals:
    // The panel was shown, or hidden by the member (the main window keeps its dock site
    // in step); not sent for a minimised main window or a closing set.
    void PanelVisibilityChanged(bool visible);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildStrip();
    void BuildViews();
    void UpdateListColumns();
    void ApplyColumnWidths();
    QAbstractItemView *ShownView() const;
    int SelectedJhIndex() const;

    TMainDM &FDm;
    TZyStateDetailModel *FDetailModel;
    TZyStateListModel *FListModel;
    TZyStateListDelegate *FListDelegate = nullptr;
    int FListColumns = 1;
    QStackedWidget *FPages = nullptr;
    QTreeView *FDetailView = nullptr;
    QListView *FListView = nullptr;
    QWidget *FStrip = nullptr;
    QToolButton *FViewButton = nullptr;
    QToolButton *FHelpButton = nullptr;
    QMenu *FViewMenu = nullptr;
    QMenu *FPopupMenu = nullptr;
    QAction *FListAction = nullptr;
    QAction *FReportAction = nullptr;
    bool FHidingForSet = false;
};
