#include "report/ReportOutput.h"

#include "report/ReportDocument.h"
#include "store/ZKError.h"

#include <QFileInfo>
#include <QPrinter>

using namespace Qt::StringLiterals;

bool TPdfReportOutput::Output(const TReportDocument &document)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(FFileName);
    printer.setCreator(u"zelkinc"_s);
    document.PreparePrinter(printer);
    if (!document.Paint(printer))
        return false;
    // QPrinter reports a file it could not create only by leaving it missing.
    if (!QFileInfo::exists(FFileName))
        throw EZKError(u"无法写入文件 "_s + FFileName);
    FPagesWritten = document.PageCount();
    return true;
}
