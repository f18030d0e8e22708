#include "MainWindowStandIn.h"

#include <QIcon>

TMainWindowStandIn::TMainWindowStandIn()
{
    setObjectName(QStringLiteral("ZKMainForm"));
    setWindowTitle(QStringLiteral("院校子系统"));
    setWindowIcon(QIcon(QStringLiteral(":/login/zelkinc.svg")));
}
