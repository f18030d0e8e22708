#include "gui/main/LQGridDelegate.h"

#include "gui/common/GuiMetrics.h"

#include <QApplication>
#include <QPainter>

TLQGridPictureDelegate::TLQGridPictureDelegate(QWidget *view)
    : QStyledItemDelegate(view)
    , FView(view)
{}

void TLQGridPictureDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (!(opt.features & QStyleOptionViewItem::HasDecoration)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    const QIcon icon = opt.icon;
    const QString text = opt.text;
    // Background, selection and focus frame as the style draws them.
    opt.text.clear();
    opt.icon = QIcon();
    opt.features &= ~QStyleOptionViewItem::HasDecoration;
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const QRect cell = option.rect;
    const int side = ScaledPixels(15, FView);
    const int left = cell.left() + ScaledPixels(2, FView);
    const bool selected = opt.state & QStyle::State_Selected;
    icon.paint(painter, QRect(left, cell.top() + (cell.height() - side) / 2, side, side), Qt::AlignCenter,
               selected ? QIcon::Selected : QIcon::Normal);

    QRect textRect = cell;
    textRect.setLeft(left + side + ScaledPixels(2, FView));
    painter->save();
    painter->setClipRect(cell);
    painter->setFont(opt.font);
    painter->setPen(
        opt.palette.color(opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled,
                          selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      opt.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()));
    painter->restore();
}
