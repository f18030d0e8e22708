#pragma once

#include <QStyledItemDelegate>

// Draws cells the way the designed widths expect: a text margin of 2 pixels, and the
// 15 × 15 status picture 2 pixels from the left with the text right after it, without the
// style's wider margins (which would push "01" out of a 36-pixel column). Background,
// selection and focus are the style's. Used by the grid and the major state panel.
class TLQGridPictureDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit TLQGridPictureDelegate(QWidget *view);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    QWidget *FView;
};
