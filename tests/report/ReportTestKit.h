#pragma once

#include "report/ReportDocument.h"
#include "report/ReportOutput.h"

#include <QString>
#include <QStringList>

class TWorkspaceFixture;

// An output that keeps the laid-out report instead of printing it.
class TKeptReportOutput : public IReportOutput
{
public:
    bool Output(const TReportDocument &document) override
    {
        Document = document;
        ++Runs;
        return true;
    }
    TReportDocument Document;
    int Runs = 0;
};

namespace reporttest {

// The text of a PDF file as pdftotext gives it (layout mode), "" when it cannot be read.
QString PdfText(const QString &pdf);
// The page count pdfinfo reports, -1 when it cannot be read.
int PdfPages(const QString &pdf);

// Points the program folder at the build's (where ZelkinC.rav is shipped).
void UseBuiltProgramFolder();

// Gives the fixture's fields of set 1/1/1 a print order and widths: XH in layout order,
// DYWZ and DYKD as given per field code (fields not named are hidden, width 60).
void SetPrintPlaces(TWorkspaceFixture &f, const QList<std::tuple<QString, int, int>> &places);

} // namespace reporttest
