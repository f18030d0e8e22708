#include "gui/common/MessageBoxSink.h"

// Being built.
TMsgResult TMessageBoxSink::ShowMessage(const QString &, const QString &, TMsgIcon, TMsgButtons)
{
    return TMsgResult::Ok;
}
