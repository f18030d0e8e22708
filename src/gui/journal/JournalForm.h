#pragma once

#include "workspace/DecisionJournal.h"

#include <QAbstractTableModel>
#include <QWidget>
#include <functional>

class IMessageSink;
class IProgressSink;
class QLabel;
class QPushButton;
class QTableView;
class TMainDM;

// The rows of the journal window: one per recorded decision, newest first; a row that
// no acknowledged upload carried yet shows in bold.
class TJournalModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetEntries(QList<TJournalEntry> entries);
    const QList<TJournalEntry> &Entries() const { return FEntries; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<TJournalEntry> FEntries;
    QList<QStringList> FTexts;
};

// The window "决定记录" of the command "决定记录..." (view menu): the decision journal of
// the open dossier set, newest first, with the rows not yet carried by an acknowledged
// upload marked. A double click on a row focuses its candidate in the grid. "导出..."
// writes the listed rows with the export's file kinds (dBase, Excel). The window reads
// the journal again whenever it is shown or activated, so it follows the decisions
// made meanwhile.
//
// One window per main window: Execute shows it (making it on first use).
class TJournalForm : public QWidget
{
    Q_OBJECT
public:
    TJournalForm(TMainDM &dm, IProgressSink &progress, IMessageSink &messages, QWidget *parent);

    // The entry point of the command: shows the parent's journal window, read afresh.
    static TJournalForm *Execute(TMainDM &dm, IProgressSink &progress, IMessageSink &messages,
                                 QWidget *parent);

    // Reads the open set's journal again, keeping the current row where it still is.
    void Reload();
    // Focuses the candidate of a listed row in the grid; false when the candidate is not
    // in the open set any more (the hint line says so).
    bool FocusCandidate(int row);
    // The save dialog, then the export of the listed rows. True when an export ran.
    bool ExportRows();

    // Runs the save dialog (caption, default name) and returns the chosen file or "" when
    // cancelled; tests replace it.
    std::function<QString(const QString &caption, const QString &defaultName)> ChooseFile;

    TJournalModel *Model() const { return FModel; }

    QLabel *HintLabel = nullptr;
    QLabel *ListLabel = nullptr;
    QTableView *JournalList = nullptr;
    QLabel *CountLabel = nullptr;
    QPushButton *RefreshBtn = nullptr;
    QPushButton *ExportBtn = nullptr;
    QPushButton *CloseBtn = nullptr;
    QPushButton *HelpBtn = nullptr;

protected:
    void changeEvent(QEvent *event) override;

private:
    void BuildLayout();

    TMainDM &FDm;
    IProgressSink &FProgress;
    IMessageSink &FMessages;
    TJournalModel *FModel;
};
