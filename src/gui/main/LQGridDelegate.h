#pragma once

#include <QStyledItemDelegate>

// Draws a cell with a status picture the way the designed widths expect: the 15 × 15
// picture 2 pixels from the left and the text right after it, without the style's wider
// picture margins (which would push the text out of a 36-pixel column). Cells without a
// picture are drawn by the style as usual. Used by the grid and the major state panel.
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
