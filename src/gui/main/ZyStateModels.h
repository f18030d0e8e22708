#pragma once

#include "workspace/ZyStateText.h"

#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <QStyledItemDelegate>

// The text colour of a major's row by its state picture (0 places left, 1 full, 2 over).
QColor ZyStateColour(int picture);
// One of the three 15 × 15 state pictures.
QIcon ZyStateIcon(int picture);

// The state picture number of a row (an int), for tests and tools.
inline constexpr int ZyStatePictureRole = Qt::UserRole + 1;

// The detail view's rows: fourteen cells per major of the workspace's current list.
class TZyStateDetailModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    void SetRows(const QList<TZyStateRow> &rows);
    void SetRow(int row, const TZyStateRow &value);

private:
    QList<TZyStateRow> FRows;
};

// The list view's lines, one per major.
class TZyStateListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    void SetRows(const QList<TZyStateRow> &rows);
    void SetRow(int row, const TZyStateRow &value);

private:
    QList<TZyStateRow> FRows;
};

// Draws a list line: the picture 4 pixels from the left and 1 from the top, the text 21
// pixels from the left in the colour of the picture; in a narrow column the counts from
// the first "[" on are drawn again right-aligned, 8 pixels before the right edge.
class TZyStateListDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit TZyStateListDelegate(QWidget *view);

    // The narrowest column that still gets its counts redrawn (ZyListMinColWidthForStat).
    void SetMinColumnWidthForStat(int width) { FMinForStat = width; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Where the counts go when they are redrawn: the rectangle of the right-aligned part,
    // empty when the line is drawn once (the column is wide enough, or too narrow).
    QRect CountsRect(const QRect &item, const QString &text, const QFontMetrics &metrics) const;

private:
    QWidget *FView;
    int FMinForStat = 0;
};
