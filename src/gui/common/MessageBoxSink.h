#pragma once

#include "store/UiSinks.h"

class QMessageBox;
class QWidget;

// Message boxes of the core layers: text, caption and icon as given, the chosen buttons,
// owned by the active window (or the given parent).
class TMessageBoxSink : public IMessageSink
{
public:
    explicit TMessageBoxSink(QWidget *parent = nullptr)
        : FParent(parent)
    {}
    TMsgResult ShowMessage(const QString &text, const QString &caption, TMsgIcon icon,
                           TMsgButtons buttons = TMsgButtons::Ok) override;

    // The box ShowMessage runs, for callers that show it themselves. The caller owns it.
    static QMessageBox *CreateMessageBox(const QString &text, const QString &caption, TMsgIcon icon,
                                         TMsgButtons buttons, QWidget *parent);

private:
    QWidget *FParent;
};
