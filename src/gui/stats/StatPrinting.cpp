#include "StatPrinting.h"

#include "report/PrintDM.h"
#include "store/ZKError.h"

#if __has_include("gui/stats/ReportDialogs.h")
#include "gui/stats/ReportDialogs.h"
#define ZK_HAS_REPORT_DIALOGS 1
#endif

void PrintStatReport(TMainDM &dm, const QString &TDDWStr, QWidget *parent)
{
#ifdef ZK_HAS_REPORT_DIALOGS
    TReportDialogOutput output(parent);
    TPrintDM(dm, output).ExecuteStat(TDDWStr);
#else
    Q_UNUSED(dm);
    Q_UNUSED(TDDWStr);
    Q_UNUSED(parent);
    throw EZKError(QStringLiteral("报表打印模块尚不可用。"));
#endif
}
