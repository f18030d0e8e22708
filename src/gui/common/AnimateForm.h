#pragma once

#include "store/UiSinks.h"

#include <QWidget>

class QLabel;
class QTimer;

// The busy indicator of the animation window: four painted frames (a sheet travelling
// from the leader's server to the member's computer), repeated while it plays.
class TBusyIndicator : public QWidget
{
    Q_OBJECT
public:
    explicit TBusyIndicator(QWidget *parent = nullptr);

    void Play();
    void Stop();
    bool IsPlaying() const;
    int Frame() const { return FFrame; }

    static constexpr int FrameCount = 4;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void NextFrame();

    QTimer *FTimer;
    int FFrame = 0;
};

// The busy-animation window: a small tool window at the top of the screen with a busy
// indicator and a text, shown without blocking while link work runs.
class TAnimateForm : public QWidget, public IAnimationSink
{
    Q_OBJECT
public:
    explicit TAnimateForm(QWidget *parent = nullptr);
    void ShowAnim(const QString &title, const QString &msgText) override;
    void StopAnim() override;

    TBusyIndicator *Animate = nullptr;
    QLabel *MsgLabel = nullptr;

protected:
    // Only StopAnim ends it.
    void closeEvent(QCloseEvent *event) override;

private:
    void PlaceAtTopRight();
};
