#pragma once

#include <QFrame>

class QLabel;

// The grid's long-text hint: a small light-yellow panel with a title line and a
// word-wrapped body, both framed. A click on it hides it.
class TGridHintPanel : public QFrame
{
    Q_OBJECT

public:
    explicit TGridHintPanel(QWidget *parent);

    void SetTexts(const QString &title, const QString &text);
    QLabel *TitleLabel() const { return FTitle; }
    QLabel *BodyLabel() const { return FBody; }

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QLabel *FTitle;
    QLabel *FBody;
};
