#pragma once

#include "report/ReportOutput.h"

#include <QString>
#include <functional>

class QDialog;
class QPrinter;
class QWidget;

// The window layer's report output: the set-up dialog chooses the printer, the preview
// or a PDF file; pages going to a printer or a file show the status window with "取消";
// the preview can print and save again.
//
//     TReportDialogOutput output(parent);
//     TPrintDM(dm, output).ExecuteStat(TDDWStr);
class TReportDialogOutput : public IReportOutput
{
public:
    explicit TReportDialogOutput(QWidget *parent = nullptr);
    bool Output(const TReportDocument &document) override;

    // Runs a modal dialog (the set-up dialog, the preview); tests answer in its place.
    std::function<int(QDialog &)> ExecDialog;
    // Asks for the name of a PDF file to write; "" cancels. Tests answer in its place.
    std::function<QString(const QString &reportName)> ChooseFileName;

    // Paints the document onto a printer under the status window; false when cancelled.
    bool PaintWithStatus(const TReportDocument &document, QPrinter &printer);
    // Writes the document as a PDF file (the name gets ".pdf" when it has no suffix).
    bool WritePdf(const TReportDocument &document, QString fileName);

private:
    void PrintFromPreview(const TReportDocument &document);
    void SaveFromPreview(const TReportDocument &document);
    void OpenSavedReport();

    QWidget *FParent;
};
