#pragma once

#include <QString>

class QWidget;
class TMainDM;

// Prints the statistics report from the work tables that the statistics window filled,
// through the report printing module (set-up dialog, preview or printer, or file); the
// module is created for this one print. Errors throw EZKError.
void PrintStatReport(TMainDM &dm, const QString &TDDWStr, QWidget *parent);
