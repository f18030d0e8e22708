#pragma once

#include "store/UiSinks.h"

#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;

// The shared progress window ("请等待" and the like): a stage-wise bar under a two-line
// text, on top of every window, without title-bar buttons.
class TProgressForm : public QDialog, public IProgressSink
{
    Q_OBJECT
public:
    explicit TProgressForm(QWidget *parent = nullptr);

    void ShowProgress(const QString &formCaption, const QString &msgText, int progressBase, int progressRatio,
                      int stepCount) override;
    void UpdateProgressTrans() override;
    void HideProgress() override;
    bool IsProgressShowing() const override;
    // Esc and the window manager's close do not end it: only its caller hides it.
    void reject() override {}

    // Whether no foreground long task runs (the task thread's FFgLongTaskIdle); while one
    // runs, each step processes the pending events so the screen stays alive.
    void SetForegroundIdleQuery(std::function<bool()> query) { FForegroundIdle = std::move(query); }

    int StepCount = 1;
    int CurrStep = 0;
    int ProgressBase = 0;
    int ProgressRatio = 0;
    int LastProgress = 0;
    QLabel *MsgLabel = nullptr;
    QProgressBar *ProgressBar = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void CenterOnScreen();

    std::function<bool()> FForegroundIdle;
};
