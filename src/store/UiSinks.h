#pragma once

#include <QString>

// The small interfaces through which the core layers (store, link, templates,
// workspace, exchange) reach windows. The widget layers implement them; tests
// implement them with fakes that record every call and answer as told.

enum class TMsgIcon { Information, Warning, Error, Question };
enum class TMsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class TMsgResult { Ok, Cancel, Yes, No };

// A modal message box: text, caption (the current window's or command's caption)
// and icon. Returns the button the user chose.
class IMessageSink
{
public:
    virtual ~IMessageSink() = default;
    virtual TMsgResult ShowMessage(const QString &text, const QString &caption, TMsgIcon icon,
                                   TMsgButtons buttons = TMsgButtons::Ok) = 0;
};

// The shared progress window. A long operation is cut into stages that share the
// bar: ShowProgress starts a stage (empty caption or text keep the previous ones),
// UpdateProgressTrans marks one step of it done, HideProgress ends the operation
// (callers hide it themselves, also after an error).
class IProgressSink
{
public:
    virtual ~IProgressSink() = default;
    virtual void ShowProgress(const QString &formCaption, const QString &msgText, int progressBase,
                              int progressRatio, int stepCount) = 0;
    virtual void UpdateProgressTrans() = 0;
    virtual void HideProgress() = 0;
    // True from ShowProgress until HideProgress (the dossier query waits while it is).
    virtual bool IsProgressShowing() const { return false; }
};

// The busy-animation window: shown without blocking, stopped by the caller.
class IAnimationSink
{
public:
    virtual ~IAnimationSink() = default;
    virtual void ShowAnim(const QString &title, const QString &msgText) = 0;
    virtual void StopAnim() = 0;
};
