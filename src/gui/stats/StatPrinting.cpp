#include "StatPrinting.h"

#include "gui/stats/ReportDialogs.h"
#include "report/PrintDM.h"

void PrintStatReport(TMainDM &dm, const QString &TDDWStr, QWidget *parent)
{
    TReportDialogOutput output(parent);
    TPrintDM(dm, output).ExecuteStat(TDDWStr);
}
