#pragma once

#include "report/PrintLayout.h"
#include "store/UiSinks.h"

#include <QDialog>
#include <QFont>
#include <functional>
#include <memory>

class IReportOutput;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSpinBox;
class QTableWidget;
class TMainDM;

// The print layout dialog ("打印宽度设置") of the dossier list: title and fonts, the fields
// to print (check list), and a one-row preview whose columns are moved and sized by mouse
// or by the keys G, H (move before the previous / after the next visible column), J, K
// (narrower / wider by one pixel), I, M (lower / higher rows). "打印(&P)" prints with the
// current layout and leaves the dialog open. The layout (positions and widths of the
// fields) is stored after the dialog closes, however it closes; fonts and row height
// only when they were changed.
class TPrintAdjustForm : public QDialog
{
    Q_OBJECT
public:
    TPrintAdjustForm(TMainDM &dm, IMessageSink &messages, QWidget *parent = nullptr);
    ~TPrintAdjustForm() override;

    // The main window's command "打印投档单...": creates the dialog for the open set, runs
    // it and stores the layout. Failures are shown through messages.
    static void Execute(TMainDM &dm, IMessageSink &messages, QWidget *parent = nullptr);

    // Fills the dialog for the open set (fonts, fields, positions, preview row, title).
    // Throws EZKError on database errors.
    void Open();
    // Stores fonts and row height (when changed) and every field's print position and width.
    void StoreSettings();

    // The printed text of a field of a candidate.
    QString GetTddFieldStr(const TKSItem *AKsItem, int ColumnIndex);
    // The layout "打印(&P)" prints with.
    TTddPrintLayout CurrentLayout() const;
    void Print();
    void SyncWithGrid();
    // Row height in screen pixels, kept between 4 and 80.
    void SetRowHeight(int height);
    int RowHeight() const { return FRowHeight; }
    void ChooseTitleFont();
    void ChooseTableFont();
    // A key of the preview list; true when it was one of the dialog's keys.
    bool PreviewKey(int key);

    // Where "打印(&P)" sends the report (default: the report dialogs). Tests give a file.
    std::function<std::unique_ptr<IReportOutput>()> MakeOutput;
    // The font dialog (default QFontDialog); false when cancelled.
    std::function<bool(QFont &font, const QString &caption)> ChooseFont;

    const QList<TZKColumnRec> &ZKColumn() const { return FFields.ZKColumn; }
    int FieldCount() const { return FFields.FieldCount(); }
    bool SettingsChanged = false;

    QLineEdit *TitleEdit = nullptr;
    QPushButton *TitleFontButton = nullptr;
    QListWidget *FieldList = nullptr;
    QTableWidget *PreviewGrid = nullptr;
    QSpinBox *RowHeightEdit = nullptr;
    QPushButton *TableFontButton = nullptr;
    QCheckBox *ApplyAllCheck = nullptr;
    QPushButton *SyncButton = nullptr;
    QPushButton *PrintButton = nullptr;
    QPushButton *CloseButton = nullptr;
    QPushButton *HelpButton = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void BuildControls();
    void ArrangeFieldList();
    void AddFieldColumns();
    void FillPreviewRow();
    void SetColumnShown(int field, bool shown);
    void MoveColumnTo(int field, int visualIndex);
    void MoveFocusedColumn(bool forward);
    void ResizeFocusedColumn(int delta);
    void SetTableFont(const QFont &font);
    void FieldItemChanged(QListWidgetItem *item);
    int ScreenToStored(double pixels) const;
    int StoredToScreen(double pixels) const;
    double FontHeight96(const QFont &font) const;
    QFont ScreenFont(const QString &name, double height96) const;

    TMainDM &FDm;
    IMessageSink &FMessages;
    TTddPrintFields FFields;
    QFont FTableFont;
    QList<int> FColumnWidths; // screen pixels per field, kept while a column is hidden
    int FRowHeight = 24;
    int FDpi = 96;
    bool FFilling = false;
};
