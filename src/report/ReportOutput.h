#pragma once

#include <QString>

class TReportDocument;

// Where a run report goes. The window layer implements it with the set-up dialog
// (printer, preview or file), the preview window and the status window; the
// command-line tool and the tests write a PDF file (TPdfReportOutput).
class IReportOutput
{
public:
    virtual ~IReportOutput() = default;
    // Sends the laid-out report to its destination. False when the user cancelled.
    // Errors of the destination (a file that cannot be written) are thrown as EZKError.
    virtual bool Output(const TReportDocument &document) = 0;
};

// Writes every report it is given as a PDF file with vector text.
class TPdfReportOutput : public IReportOutput
{
public:
    explicit TPdfReportOutput(QString fileName)
        : FFileName(std::move(fileName))
    {}
    bool Output(const TReportDocument &document) override;
    const QString &FileName() const { return FFileName; }
    int PagesWritten() const { return FPagesWritten; }

private:
    QString FFileName;
    int FPagesWritten = 0;
};
