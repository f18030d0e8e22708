#pragma once

#include <QFrame>

class QLabel;

// The grid's long-text hint panel: a light-yellow 241 × 99 panel with the candidate and
// column as its title and the text word-wrapped below. The main window owns it (it floats
// over the client area); a click on it hides it.
class TLQGridHintPanel : public QFrame
{
    Q_OBJECT

public:
    explicit TLQGridHintPanel(QWidget *parent);

    // Shows the texts next to a cell of the grid (cell in the grid's own coordinates),
    // placed inside the parent's client area.
    void ShowNear(const QString &title, const QString &text, const QWidget *grid, const QRect &cell);

    QLabel *TitleLabel() const { return FTitle; }
    QLabel *HintLabel() const { return FHint; }

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QLabel *FTitle;
    QLabel *FHint;
};

// Where the hint panel goes (its top-left corner) in its parent's coordinates:
// horizontally centred on the cell and kept inside 0 .. clientWidth; above the cell when
// the cell's top lies below half the grid's height, else below the cell. cell and grid are
// in the same coordinates.
QPoint LQGridHintPanelPos(const QRect &cell, const QSize &panel, int clientWidth, const QRect &grid);
