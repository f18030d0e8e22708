#include "gui/main/ZyStateModels.h"

#include "gui/common/GuiMetrics.h"

#include <QApplication>
#include <QPainter>
#include <QSvgRenderer>
#include <array>

using namespace Qt::StringLiterals;

namespace {

// Columns with figures, right-aligned: length of study, plan, candidates and scores.
bool IsRightAligned(int column)
{
    return column == 5 || (column >= 9 && column <= 13);
}

} // namespace

QColor ZyStateColour(int picture)
{
    switch (picture) {
    case 0:
        return {0, 112, 112};
    case 2:
        return {0, 0, 224};
    default:
        return {0, 0, 0};
    }
}

QIcon ZyStateIcon(int picture)
{
    static std::array<QIcon, 3> icons;
    if (picture < 0 || picture > 2)
        return {};
    QIcon &icon = icons[size_t(picture)];
    if (icon.isNull()) {
        QSvgRenderer renderer(u":/gui/main/pictures/zystate-%1.svg"_s.arg(picture));
        for (const int side : {15, 23, 30, 45, 60}) {
            QPixmap pixmap(side, side);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            renderer.render(&painter);
            painter.end();
            icon.addPixmap(pixmap, QIcon::Normal);
            icon.addPixmap(pixmap, QIcon::Selected);
        }
    }
    return icon;
}

// --- detail rows ---

int TZyStateDetailModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(FRows.size());
}

int TZyStateDetailModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(ZyStateColumnCaptions().size());
}

QVariant TZyStateDetailModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= FRows.size())
        return {};
    const TZyStateRow &row = FRows[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return row.Cells.value(index.column());
    case Qt::ForegroundRole:
        return ZyStateColour(row.Picture);
    case Qt::DecorationRole:
        return index.column() == 0 ? QVariant(ZyStateIcon(row.Picture)) : QVariant();
    case ZyStatePictureRole:
        return row.Picture;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (IsRightAligned(index.column()) ? Qt::AlignRight : Qt::AlignLeft));
    default:
        return {};
    }
}

QVariant TZyStateDetailModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return ZyStateColumnCaptions().value(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (IsRightAligned(section) ? Qt::AlignRight : Qt::AlignLeft));
    return {};
}

Qt::ItemFlags TZyStateDetailModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                           : Qt::NoItemFlags;
}

void TZyStateDetailModel::SetRows(const QList<TZyStateRow> &rows)
{
    beginResetModel();
    FRows = rows;
    endResetModel();
}

void TZyStateDetailModel::SetRow(int row, const TZyStateRow &value)
{
    if (row < 0 || row >= FRows.size())
        return;
    FRows[row] = value;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

// --- list lines ---

int TZyStateListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(FRows.size());
}

QVariant TZyStateListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= FRows.size())
        return {};
    const TZyStateRow &row = FRows[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return row.ListLine;
    case Qt::ForegroundRole:
        return ZyStateColour(row.Picture);
    case Qt::DecorationRole:
        return ZyStateIcon(row.Picture);
    case ZyStatePictureRole:
        return row.Picture;
    default:
        return {};
    }
}

Qt::ItemFlags TZyStateListModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                           : Qt::NoItemFlags;
}

void TZyStateListModel::SetRows(const QList<TZyStateRow> &rows)
{
    beginResetModel();
    FRows = rows;
    endResetModel();
}

void TZyStateListModel::SetRow(int row, const TZyStateRow &value)
{
    if (row < 0 || row >= FRows.size())
        return;
    FRows[row] = value;
    emit dataChanged(index(row), index(row));
}

// --- list drawing ---

TZyStateListDelegate::TZyStateListDelegate(QWidget *view)
    : QStyledItemDelegate(view)
    , FView(view)
{}

QRect TZyStateListDelegate::CountsRect(const QRect &item, const QString &text,
                                       const QFontMetrics &metrics) const
{
    const int bracket = int(text.indexOf(u'['));
    const int width = item.width();
    if (bracket < 0 || width < FMinForStat ||
        width >= metrics.horizontalAdvance(text) + ScaledPixels(29, FView))
        return {};
    const int countsWidth = metrics.horizontalAdvance(text.mid(bracket));
    const int right = item.right() - ScaledPixels(8, FView);
    return QRect(right - countsWidth + 1, item.top(), countsWidth, item.height());
}

void TZyStateListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    // Background, selection and focus as the style draws them, without text or picture.
    opt.text.clear();
    opt.icon = QIcon();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);

    const QRect item = option.rect;
    const int side = ScaledPixels(15, FView);
    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    const bool selected = option.state & QStyle::State_Selected;
    icon.paint(painter,
               QRect(item.left() + ScaledPixels(4, FView), item.top() + ScaledPixels(1, FView), side, side),
               Qt::AlignCenter, selected ? QIcon::Selected : QIcon::Normal);

    const QString text = index.data(Qt::DisplayRole).toString();
    painter->save();
    painter->setFont(option.font);
    painter->setPen(selected ? option.palette.color(QPalette::HighlightedText)
                             : index.data(Qt::ForegroundRole).value<QColor>());
    QRect textRect = item.adjusted(ScaledPixels(21, FView), 0, 0, 0);
    QString shown = text;
    const QRect counts = CountsRect(item, text, option.fontMetrics);
    if (!counts.isEmpty()) {
        // The head stops short of the counts, so that they stay readable on their own.
        const qsizetype bracket = text.indexOf(u'[');
        textRect.setRight(counts.left() - ScaledPixels(4, FView));
        shown = option.fontMetrics.elidedText(text.left(bracket).trimmed(), Qt::ElideRight, textRect.width());
        painter->drawText(counts, Qt::AlignRight | Qt::AlignVCenter, text.mid(bracket));
    }
    painter->setClipRect(textRect);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    painter->restore();
}

QSize TZyStateListDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    Q_UNUSED(index);
    return {option.rect.width(), std::max(ScaledPixels(18, FView), option.fontMetrics.height() + 2)};
}
