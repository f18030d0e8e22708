#include "gui/main/LQGridHintPanel.h"

#include "gui/common/GuiMetrics.h"

#include <QLabel>
#include <QMouseEvent>

using namespace Qt::StringLiterals;

QPoint LQGridHintPanelPos(const QRect &cell, const QSize &panel, int clientWidth, const QRect &grid)
{
    int x = cell.left() + (cell.width() - panel.width()) / 2;
    if (x + panel.width() > clientWidth)
        x = clientWidth - panel.width();
    if (x < 0)
        x = 0;
    const bool lowerHalf = cell.top() - grid.top() > grid.height() / 2;
    const int y = lowerHalf ? cell.top() - panel.height() : cell.bottom() + 1;
    return {x, y};
}

TLQGridHintPanel::TLQGridHintPanel(QWidget *parent)
    : QFrame(parent)
    , FTitle(new QLabel(this))
    , FHint(new QLabel(this))
{
    setObjectName(u"HintPanel"_s);
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 225));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);

    const int margin = ScaledPixels(8, parent);
    const int inner = ScaledPixels(225, parent);
    resize(ScaledPixels(241, parent), ScaledPixels(99, parent));
    FTitle->setObjectName(u"XMText"_s);
    FTitle->setFrameShape(QFrame::Panel);
    FTitle->setFrameShadow(QFrame::Sunken);
    FTitle->setGeometry(margin, ScaledPixels(6, parent), inner, ScaledPixels(22, parent));
    FHint->setObjectName(u"HintLabel"_s);
    FHint->setFrameShape(QFrame::Panel);
    FHint->setFrameShadow(QFrame::Sunken);
    FHint->setWordWrap(true);
    FHint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FHint->setGeometry(margin, ScaledPixels(33, parent), inner, ScaledPixels(58, parent));
    hide();
}

void TLQGridHintPanel::ShowNear(const QString &title, const QString &text, const QWidget *grid,
                                const QRect &cell)
{
    FTitle->setText(title);
    FHint->setText(text);
    QWidget *client = parentWidget();
    const QPoint origin = client->mapFromGlobal(grid->mapToGlobal(QPoint(0, 0)));
    move(LQGridHintPanelPos(cell.translated(origin), size(), client->width(), QRect(origin, grid->size())));
    raise();
    show();
}

void TLQGridHintPanel::mousePressEvent(QMouseEvent *event)
{
    hide();
    event->accept();
}
