#pragma once

#include "store/UiSinks.h"

#include <QWidget>

// The busy-animation window: a small tool window at the top of the screen with a busy
// indicator and a text, shown without blocking while link work runs.
class TAnimateForm : public QWidget, public IAnimationSink
{
    Q_OBJECT
public:
    explicit TAnimateForm(QWidget *parent = nullptr);
    void ShowAnim(const QString &title, const QString &msgText) override;
    void StopAnim() override;
};
