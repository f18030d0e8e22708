#include "gui/common/SplashForm.h"

#include "gui/common/GuiMetrics.h"
#include "gui/common/GuiPictures.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

using namespace Qt::StringLiterals;

TSplashForm::TSplashForm(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(u"SplashForm"_s);
    setWindowTitle(u"启动院校子系统"_s);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(ScaledPixels(500, this), ScaledPixels(350, this));
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
    Timer = new QTimer(this);
    Timer->setInterval(3000);
    Timer->setSingleShot(true);
    Timer->setTimerType(Qt::PreciseTimer); // a coarse timer may fire up to 5 % early
    connect(Timer, &QTimer::timeout, this, &TSplashForm::TimerTimer);
    show();
    repaint();
    Timer->start();
}

void TSplashForm::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintGuiPicture(painter, u"splash"_s, QRectF(rect()));
}

void TSplashForm::TimerTimer()
{
    Timer->stop();
    hide();
}
