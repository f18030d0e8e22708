#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <optional>

class TMainDM;
class TKSItem;

// The status picture of a candidate's row (0..9): by the lock mark and the status; a
// candidate of the set's current package counts as undecided.
int LQGridPictureIndex(const TKSItem &ks, int curDqTddBh);
// The text colour of a candidate's row; none for the default colour.
std::optional<QColor> LQGridTextColour(const TKSItem &ks);
// One of the ten 15 × 15 status pictures, the same when selected.
QIcon LQGridStatusIcon(int index);

// The grid's model: row i is entry i of the workspace's current candidate list, column c
// is column c of the grid layout. It copies nothing: every text, colour and picture is
// asked of the workspace when the view paints.
class TLQGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // The status picture number of column 0 (an int), for tests and tools.
    static constexpr int PictureIndexRole = Qt::UserRole + 1;

    explicit TLQGridModel(TMainDM &dm, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::IgnoreAction; }
    bool canDropMimeData(const QMimeData *, Qt::DropAction, int, int, const QModelIndex &) const override
    {
        return false;
    }

    // Keeps the columns (and so the widths the user gave them).
    void SetRowCount(int rows);
    void ClearColumns();
    void AddColumn(const QString &caption);

    // The workspace's text of a cell; an error shows its message.
    QString CellText(int row, int column) const;
    // The candidate of a row, null outside the current list.
    TKSItem *Candidate(int row) const;

private:
    TMainDM &FDm;
    int FRows = 0;
    QStringList FCaptions;
};
