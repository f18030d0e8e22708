#include "gui/common/ProgressForm.h"

#include "gui/common/GuiMetrics.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

TProgressForm::TProgressForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("ProgressForm"));
    ApplyWindowFont(this);
    setFixedSize(ScaledPixels(370, this), ScaledPixels(58, this));

    MsgLabel = new QLabel(this);
    MsgLabel->setObjectName(QStringLiteral("MsgLabel"));
    MsgLabel->setWordWrap(true);
    MsgLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    MsgLabel->setGeometry(ScaledPixels(8, this), ScaledPixels(2, this), ScaledPixels(354, this),
                          ScaledPixels(32, this));

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 100);
    ProgressBar->setTextVisible(false);
    ProgressBar->setGeometry(ScaledPixels(8, this), ScaledPixels(36, this), ScaledPixels(354, this),
                             ScaledPixels(16, this));
    ProgressBar->setAccessibleName(QStringLiteral("进度"));
}

void TProgressForm::CenterOnScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->geometry().center());
    move(frame.topLeft());
}

void TProgressForm::ShowProgress(const QString &formCaption, const QString &msgText, int progressBase,
                                 int progressRatio, int stepCount)
{
    if (!formCaption.isEmpty())
        setWindowTitle(formCaption);
    if (!msgText.isEmpty())
        MsgLabel->setText(msgText);
    ProgressBase = progressBase;
    LastProgress = progressBase;
    ProgressRatio = progressRatio;
    StepCount = stepCount < 2 ? 1 : stepCount;
    CurrStep = 0;
    ProgressBar->setValue(progressBase);
    if (!isVisible()) {
        CenterOnScreen();
        show();
    }
    raise();
    repaint();
}

void TProgressForm::UpdateProgressTrans()
{
    if (CurrStep >= StepCount)
        return;
    ++CurrStep;
    const int position = CurrStep * ProgressRatio / StepCount + ProgressBase;
    if (position == LastProgress)
        return;
    ProgressBar->setValue(position);
    LastProgress = position;
    const bool foregroundIdle = !FForegroundIdle || FForegroundIdle();
    if (foregroundIdle)
        ProgressBar->repaint();
    else
        QCoreApplication::processEvents();
}

void TProgressForm::closeEvent(QCloseEvent *event)
{
    event->ignore();
}

void TProgressForm::HideProgress()
{
    hide();
}

bool TProgressForm::IsProgressShowing() const
{
    return isVisible();
}
