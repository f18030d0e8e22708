#pragma once

#include <QWidget>

class QTimer;

// The splash picture "启动院校子系统": shown and painted at once, centred and on top;
// hides itself after 3 s.
class TSplashForm : public QWidget
{
    Q_OBJECT
public:
    explicit TSplashForm(QWidget *parent = nullptr);

    QTimer *Timer = nullptr; // 3000 ms, single run

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void TimerTimer();
};
