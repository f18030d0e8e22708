#include "gui/common/GuiApplication.h"

// Being built.
TZKApplication::TZKApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{}
bool TZKApplication::notify(QObject *receiver, QEvent *event)
{
    return QApplication::notify(receiver, event);
}
