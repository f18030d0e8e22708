#pragma once

#include "stats/Statistics.h"
#include "store/UiSinks.h"

#include <QDialog>
#include <functional>

class QAction;
class QChartView;
class QComboBox;
class QLabel;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;
class TMainDM;

// The statistics window ("统计信息"): a tree of statistics on the left, the focused
// statistic as a list or a chart on the right, the submission-unit and score-step lists,
// a status bar, and printing of every statistic at once. The main window's command
// "统计信息..." opens it modally through Execute; it lives for that one use.
class TStatForm : public QDialog
{
    Q_OBJECT
public:
    TStatForm(TMainDM &dm, IProgressSink &progress, IMessageSink &messages, QWidget *parent = nullptr);
    ~TStatForm() override;

    // Creates the window, shows it modally and destroys it.
    static void Execute(TMainDM &dm, IProgressSink &progress, IMessageSink &messages,
                        QWidget *parent = nullptr);

    // Fills the submission-unit list and rebuilds the score leaves (each time it is shown).
    void Prepare();

    // false: the chart is shown; true: the list.
    bool IsShowGrid = false;

    // The printing after the work tables are filled (the report module by default; tests
    // replace it).
    std::function<void(const QString &TDDWStr)> PrintReport;

    QTreeWidget *StatTree = nullptr;
    QComboBox *TDDWComboBox = nullptr;
    QComboBox *StepComboBox = nullptr;
    QStackedWidget *ResultPages = nullptr;
    QTreeWidget *ResultList = nullptr;
    QChartView *ResultChart = nullptr;
    QList<QLabel *> StatusPanels;
    QAction *ShowGridAction = nullptr;
    QAction *ShowChartAction = nullptr;
    QAction *PrintAction = nullptr;
    QAction *ExitAction = nullptr;

    // The result now shown (meaningful while a statistic is shown).
    const TStatResult &ShownResult() const { return FShown; }
    bool IsStatisticShown() const { return FHasResult; }

    // Focuses a leaf of the tree, as a click would.
    void FocusLeaf(int group, int leaf);
    void Print();

protected:
    void showEvent(QShowEvent *event) override;

private:
    class QToolBar *BuildActions();
    QWidget *BuildLeftPane();
    QWidget *BuildRightPane();
    void BuildStatusBar(class QVBoxLayout *layout);
    void RebuildTree();
    void FocusedItemChanged(QTreeWidgetItem *item);
    void Recompute();
    void ComputeLeaf(int group, int leaf);
    void ShowResult(const TStatResult &r);
    void ClearResult();
    void FillList(const TStatResult &r);
    void SetChart(const TStatChart &chart);
    void SetShowGrid(bool showGrid);
    void UpdatePage();
    void ShowError(const QString &text);

    TMainDM &FDm;
    IProgressSink &FProgress;
    IMessageSink &FMessages;
    TStatistics FStats;
    TStatResult FShown;
    bool FHasResult = false;
    bool FPreparing = false;
    QWidget *FEmptyPage = nullptr;
    class QScrollArea *FChartScroll = nullptr;
};
