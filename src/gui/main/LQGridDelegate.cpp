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
    const int margin = ScaledPixels(2, FView);
    const bool selected = opt.state & QStyle::State_Selected;
    QRect textRect = cell.adjusted(margin, 0, -margin, 0);
    if (!icon.isNull()) {
        const int side = ScaledPixels(15, FView);
        icon.paint(painter, QRect(textRect.left(), cell.top() + (cell.height() - side) / 2, side, side),
                   Qt::AlignCenter, selected ? QIcon::Selected : QIcon::Normal);
        textRect.setLeft(textRect.left() + side + margin);
    }
    painter->save();
    painter->setClipRect(cell);
    painter->setFont(opt.font);
    painter->setPen(
        opt.palette.color(opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled,
                          selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(textRect, opt.displayAlignment | Qt::TextSingleLine,
                      opt.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()));
    painter->restore();
}
