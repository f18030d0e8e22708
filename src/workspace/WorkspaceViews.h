#pragma once

#include <QList>
#include <QString>

// The windows the workspace drives, reached through small interfaces that the widget
// layer implements and tests fake. Every method has a harmless default, so a program
// without windows (zelkinc-cli) runs the workspace with the bare base classes. All calls
// come from the interface thread.

// The buttons of the main window's folder tool bar.
enum class TFolderButton
{
    YX_SS,   // institution and province ("…录取进程"), plain text
    PC,      // the open batch; drops the batch menu
    KL_JHXZ, // category and plan nature; drops their menu
    ZT,      // "[state]" of the open set, plain text in the colour of CurZT
    TDDW,    // submission unit filter; drops the unit menu
    ZY       // major filter; drops the major menu
};

// The four filter menus the folder buttons drop.
enum class TFolderMenu
{
    PC,
    KL_JHXZ,
    TDDW,
    ZY
};

// One menu item: its caption ("-" is a separator), the value it carries back when it is
// chosen, and whether it starts a new menu column.
struct TMenuItemRec
{
    QString Caption;
    int Tag = 0;
    bool Break = false;

    bool IsSeparator() const { return Caption == QLatin1String("-"); }
    bool operator==(const TMenuItemRec &) const = default;
};

// Status bar panels the workspace writes (numbered from the left).
namespace ZKStatusPanel {
inline constexpr int KsCount = 1;    // "考生数" + candidates of the open set
inline constexpr int FocusedRow = 2; // "第n人" (written by the grid's focus handler)
inline constexpr int JhCount = 3;    // "计划数" + planned places
inline constexpr int ZyCount = 4;    // "专业数" + majors
inline constexpr int YlCount = 5;    // "已录数" + pre-admitted candidates
} // namespace ZKStatusPanel

// The main window as the workspace sees it. Choosing a menu item is reported back to
// TMainDM's menu handlers with the item's caption (batch menu) or tag (the others).
class IMainView
{
public:
    virtual ~IMainView() = default;
    virtual void SetFolderButtonCaption(TFolderButton, const QString &) {}
    // Replaces every item of a menu.
    virtual void SetFolderMenu(TFolderMenu, const QList<TMenuItemRec> &) {}
    virtual void SetStatusPanelText(int /*panel*/, const QString &) {}
    // The client area with the grid: shown while a set is open.
    virtual void SetClientAreaVisible(bool) {}
    // The grid's long-text hint panel.
    virtual void HideHintPanel() {}
    // The text of the grid's live filter, when the workspace changed it itself (it
    // cleared it to show a candidate looked for by number).
    virtual void ShowKsFilterText(const QString &) {}
    // The screen the window is on.
    virtual int ScreenDotsPerInch() const { return 96; }
    virtual int ScreenWidthPixels() const { return 1280; }
};

// The major state panel ("专业信息"). It reads the workspace's CurrentJhList itself when
// it rebuilds or refreshes its rows.
class IZyStatePanel
{
public:
    virtual ~IZyStatePanel() = default;
    // Show the panel (a set was opened).
    virtual void ShowPanel() {}
    // Clear both views and hide the panel (the set was closed).
    virtual void ClearAndHide() {}
    // Clear both views (a set is being opened).
    virtual void ClearLists() {}
    // Rebuild every row from CurrentJhList.
    virtual void UpdateAllItems() {}
    // Refresh the row of the major at this position of CurrentJhList.
    virtual void UpdateAZyItem(int /*JhIndex*/) {}
    // True while the detail (report) view is chosen.
    virtual bool IsReportView() const { return false; }
};

// The candidate grid: a virtual grid with one row per entry of CurrentKSList; it asks the
// workspace for every cell text. Rows and columns are numbered from 0.
class ILQGrid
{
public:
    virtual ~ILQGrid() = default;
    virtual void SetGridVisible(bool visible) = 0;
    virtual void SetRowCount(int rows) = 0;
    virtual int RowCount() const = 0;
    virtual void ClearColumns() = 0;
    // A column with the caption, no margin, and the width in screen pixels.
    virtual void AddColumn(const QString &caption, int width) = 0;
    virtual int ColumnCount() const = 0;
    // The column's current width in screen pixels (the user may have changed it).
    virtual int ColumnWidth(int column) const = 0;
    // The selected rows, ascending.
    virtual QList<int> SelectedRows() const = 0;
    // The focused row, -1 when none.
    virtual int FocusedRow() const = 0;
    virtual void ClearSelection() = 0;
    virtual void SelectRow(int row) = 0;
    // Focuses a row (-1: none); the selection is not changed.
    virtual void SetFocusedRow(int row) = 0;
    virtual void Repaint() = 0;
};

// A grid without a screen: it keeps rows, columns, selection and focus. The workspace
// uses it when no window is attached; tests use it to look at what the workspace did.
class TMemoryGrid : public ILQGrid
{
public:
    struct TColumn
    {
        QString Caption;
        int Width = 0;
    };

    void SetGridVisible(bool visible) override { Visible = visible; }
    void SetRowCount(int rows) override;
    int RowCount() const override { return Rows; }
    void ClearColumns() override { Columns.clear(); }
    void AddColumn(const QString &caption, int width) override { Columns.append({caption, width}); }
    int ColumnCount() const override { return int(Columns.size()); }
    int ColumnWidth(int column) const override { return Columns.value(column).Width; }
    QList<int> SelectedRows() const override;
    int FocusedRow() const override { return Focused; }
    void ClearSelection() override { Selected.clear(); }
    void SelectRow(int row) override;
    void SetFocusedRow(int row) override { Focused = row >= 0 && row < Rows ? row : -1; }
    void Repaint() override { ++RepaintCount; }

    bool Visible = false;
    int Rows = 0;
    QList<TColumn> Columns;
    QList<int> Selected;
    int Focused = -1;
    int RepaintCount = 0;
};

// The clipboard.
class IClipboard
{
public:
    virtual ~IClipboard() = default;
    virtual void SetText(const QString &) {}
};

// Opens a file with the desktop's default program for its kind ("open", maximised,
// owned by the main window). Throws EZKError when it cannot.
class IDocumentOpener
{
public:
    virtual ~IDocumentOpener() = default;
    virtual void OpenDocument(const QString & /*path*/) {}
};

// The candidate detail window, as far as the workspace touches it.
class IDetailWindowHooks
{
public:
    virtual ~IDetailWindowHooks() = default;
    // The captions of the registration-form, health-check-form and additional-form
    // commands (bmb_name, tjb_name, fjb_name of the common parameters).
    virtual void SetDocumentCaptions(const QString & /*bmb*/, const QString & /*tjb*/,
                                     const QString & /*fjb*/)
    {}
    // Initialises the window and its candidate page templates when the code tables have
    // been read; may throw EZKError.
    virtual void InitDetailWindow() {}
    // Hides the window (the set was closed).
    virtual void HideDetailWindow() {}
};
