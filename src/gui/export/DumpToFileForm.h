#pragma once

#include "export/DumpToFile.h"
#include "store/UiSinks.h"

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class TMainDM;

// The export dialog "导出投档单": the sets of T_KLJHXZZT to export, checked in a list,
// and the file to write. The main window's two commands create it for one export:
//
//   TDumpToFileForm::Execute(dm, false, progress, messages, this); // "导出投档单(&S)..."
//   TDumpToFileForm::Execute(dm, true, progress, messages, this);  // "导出屏幕显示的投档单信息..."
//
// The work itself is TDumpToFile's (src/export); the dialog chooses and reports.
class TDumpToFileForm : public QDialog
{
    Q_OBJECT
public:
    explicit TDumpToFileForm(TMainDM &dm, QWidget *parent = nullptr);

    // The entry point of both commands: the dossier export (with the dialog, between
    // the task thread's foreground long-task marks) or the screen export (with the save
    // dialog only). An error of the export is shown as an error message with the
    // export's caption after the clean-up.
    static void Execute(TMainDM &dm, bool screenExport, IProgressSink &progress, IMessageSink &messages,
                        QWidget *parent = nullptr);

    // The dossier export: fills the list, shows the dialog modally and exports the
    // checked sets when it is closed with "确定". True when an export ran.
    bool Execute(IProgressSink &progress, IMessageSink &messages);
    // The screen export: the save dialog, then the export. True when an export ran.
    bool ExecuteWithTextTable(IProgressSink &progress, IMessageSink &messages);

    // The steps of Execute, for callers and tests that drive the dialog themselves:
    // fills the list with the current set checked, clears the file name, disables "确定".
    void Prepare();
    // The sets whose rows are checked, in list order.
    QList<TExportSetRow> CheckedSets() const;
    // Exports the checked sets into the chosen file; false, without a message, when no
    // row is checked. Throws EZKError after the clean-up.
    bool ExportChecked(IProgressSink &progress, IMessageSink &messages);

    // Runs the save dialog (default name, filter) and returns the chosen file or "" when
    // cancelled; tests replace it.
    std::function<QString(const QString &caption, const QString &defaultName)> ChooseFile;

    // Filter of the save dialog (the Excel 2007 entry only while AceAvailable is true).
    static QStringList FileFilters();

    // The export's save dialog over parent: the kinds of FileFilters, a name typed without
    // an extension taking the chosen kind's. The chosen file, or "" when cancelled.
    static QString RunSaveDialog(QWidget *parent, const QString &caption, const QString &defaultName);

    QLabel *HintLabel = nullptr;
    QTreeWidget *KLJHXZList = nullptr;
    QPushButton *SelectAllBtn = nullptr;
    QPushButton *InvertSelectBtn = nullptr;
    QLineEdit *FileNameEdit = nullptr;
    QPushButton *FileBtn = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;
    QPushButton *HelpBtn = nullptr;

private:
    void BuildLayout();
    void ChooseFileClicked();
    void SetAllChecks(bool invert);

    TMainDM &FDm;
    QList<TExportSetRow> FRows;
};
