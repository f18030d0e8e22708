#pragma once

#include <QWidget>

// The splash picture "启动院校子系统": shown at once, hides itself after 3 s.
class TSplashForm : public QWidget
{
    Q_OBJECT
public:
    explicit TSplashForm(QWidget *parent = nullptr);
};
