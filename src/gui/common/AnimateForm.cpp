#include "gui/common/AnimateForm.h"

#include "gui/common/GuiMetrics.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace {

// A small computer: a screen on a foot.
void PaintComputer(QPainter &p, const QRectF &box, const QColor &screen)
{
    const QRectF monitor(box.left(), box.top(), box.width(), box.height() * 0.7);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(220, 220, 220));
    p.drawRoundedRect(monitor, 2, 2);
    p.setBrush(screen);
    p.drawRect(monitor.adjusted(3, 3, -3, -3));
    p.setBrush(QColor(150, 150, 150));
    p.drawRect(QRectF(box.center().x() - box.width() * 0.15, monitor.bottom(), box.width() * 0.3,
                      box.height() * 0.18));
    p.drawRect(QRectF(box.left() + box.width() * 0.15, box.bottom() - box.height() * 0.12, box.width() * 0.7,
                      box.height() * 0.12));
}

} // namespace

TBusyIndicator::TBusyIndicator(QWidget *parent)
    : QWidget(parent)
    , FTimer(new QTimer(this))
{
    FTimer->setInterval(180);
    connect(FTimer, &QTimer::timeout, this, &TBusyIndicator::NextFrame);
}

void TBusyIndicator::Play()
{
    FFrame = 0;
    FTimer->start();
    update();
}

void TBusyIndicator::Stop()
{
    FTimer->stop();
}

bool TBusyIndicator::IsPlaying() const
{
    return FTimer->isActive();
}

void TBusyIndicator::NextFrame()
{
    FFrame = (FFrame + 1) % FrameCount;
    update();
}

void TBusyIndicator::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = width(), h = height();
    const qreal unit = std::min(w / 10.0, h / 4.0);
    const QRectF left(0, h / 2 - unit * 1.4, unit * 2.6, unit * 2.8);
    const QRectF right(w - unit * 2.6, h / 2 - unit * 1.4, unit * 2.6, unit * 2.8);
    PaintComputer(p, left, QColor(31, 92, 158));
    PaintComputer(p, right, QColor(63, 134, 201));

    // The sheet moves across in the four frames.
    const qreal from = left.right() + unit * 0.3, to = right.left() - unit * 1.3;
    const qreal x = from + (to - from) * FFrame / (FrameCount - 1);
    const QRectF sheet(x, h / 2 - unit * 0.9, unit, unit * 1.3);
    QPainterPath page;
    page.moveTo(sheet.topLeft());
    page.lineTo(sheet.right() - unit * 0.3, sheet.top());
    page.lineTo(sheet.right(), sheet.top() + unit * 0.3);
    page.lineTo(sheet.bottomRight());
    page.lineTo(sheet.bottomLeft());
    page.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.setPen(QPen(QColor(242, 182, 50), 1));
    for (int line = 1; line <= 3; ++line) {
        const qreal y = sheet.top() + sheet.height() * line / 4.5 + 1;
        p.drawLine(QPointF(sheet.left() + 2, y), QPointF(sheet.right() - 2, y));
    }
    // The dotted track between the computers.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(180, 180, 180));
    for (qreal dot = from; dot < to + unit; dot += unit * 0.6)
        p.drawEllipse(QPointF(dot, h / 2 + unit * 0.8), 1.2, 1.2);
}

TAnimateForm::TAnimateForm(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("AnimateForm"));
    ApplyWindowFont(this);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setFixedSize(ScaledPixels(387, this), ScaledPixels(53, this));

    Animate = new TBusyIndicator(this);
    Animate->setObjectName(QStringLiteral("Animate"));
    Animate->setGeometry(ScaledPixels(8, this), ScaledPixels(4, this), ScaledPixels(96, this),
                         ScaledPixels(45, this));

    MsgLabel = new QLabel(this);
    MsgLabel->setObjectName(QStringLiteral("MsgLabel"));
    MsgLabel->setWordWrap(true);
    MsgLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    MsgLabel->setGeometry(ScaledPixels(112, this), ScaledPixels(4, this), ScaledPixels(267, this),
                          ScaledPixels(45, this));
    PlaceAtTopRight();
}

void TAnimateForm::PlaceAtTopRight()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->geometry().width() : 1024;
    move(screenWidth - width() - ScaledPixels(150, this), 0);
}

void TAnimateForm::ShowAnim(const QString &title, const QString &msgText)
{
    setWindowTitle(title);
    MsgLabel->setText(msgText);
    Animate->Play();
    show();
    raise();
    repaint();
}

void TAnimateForm::closeEvent(QCloseEvent *event)
{
    event->ignore();
}

void TAnimateForm::StopAnim()
{
    Animate->Stop();
    hide();
}
