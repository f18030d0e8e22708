#include "ReportDialogs.h"

#include "ReportPreviewWindow.h"
#include "ReportSetupDialog.h"
#include "ReportStatusForm.h"
#include "report/ReportDocument.h"
#include "store/ZKError.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString PdfFilter = u"PDF 文件 (*.pdf)"_s;

} // namespace

TReportDialogOutput::TReportDialogOutput(QWidget *parent)
    : ExecDialog([](QDialog &dialog) { return dialog.exec(); })
    , FParent(parent)
{
    ChooseFileName = [this](const QString &reportName) {
        return QFileDialog::getSaveFileName(FParent, u"另存为"_s, reportName + u".pdf"_s, PdfFilter);
    };
}

bool TReportDialogOutput::Output(const TReportDocument &document)
{
    TReportSetupDialog setup(document.Name, FParent);
    if (ExecDialog(setup) != QDialog::Accepted)
        return false;
    switch (setup.Destination()) {
    case TReportDestination::Printer: {
        QPrinter printer(QPrinter::HighResolution);
        document.PreparePrinter(printer);
        setup.ApplyTo(printer);
        return PaintWithStatus(document, printer);
    }
    case TReportDestination::File: {
        const QString fileName = ChooseFileName(document.Name);
        return !fileName.isEmpty() && WritePdf(document, fileName);
    }
    case TReportDestination::Preview:
        break;
    }
    QPrinter printer(QPrinter::HighResolution);
    document.PreparePrinter(printer);
    setup.ApplyTo(printer);
    TReportPreviewWindow preview(document, printer, FParent);
    preview.OnPrint = [this, &document] { PrintFromPreview(document); };
    preview.OnSave = [this, &document] { SaveFromPreview(document); };
    preview.OnOpen = [this] { OpenSavedReport(); };
    // Drawing the pages of a long list takes a while: the status window shows it.
    std::unique_ptr<TReportStatusForm> status;
    preview.PaintProgress = [this, &status, &document](int page, int count) {
        if (page == 1)
            status = std::make_unique<TReportStatusForm>(document.Name, FParent);
        status->show();
        const bool go = status->ShowPage(page, count);
        if (page == count || !go)
            status->hide();
        return go;
    };
    ExecDialog(preview);
    return true;
}

bool TReportDialogOutput::PaintWithStatus(const TReportDocument &document, QPrinter &printer)
{
    TReportStatusForm status(document.Name, FParent);
    status.show();
    return document.Paint(printer, 0, 0,
                          [&status](int page, int count) { return status.ShowPage(page, count); });
}

bool TReportDialogOutput::WritePdf(const TReportDocument &document, QString fileName)
{
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += u".pdf"_s;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    printer.setCreator(u"zelkinc"_s);
    document.PreparePrinter(printer);
    return PaintWithStatus(document, printer);
}

void TReportDialogOutput::PrintFromPreview(const TReportDocument &document)
{
    QPrinter printer(QPrinter::HighResolution);
    document.PreparePrinter(printer);
    QPrintDialog dialog(&printer, FParent);
    dialog.setWindowTitle(u"打印报表"_s);
    if (ExecDialog(dialog) != QDialog::Accepted)
        return;
    try {
        PaintWithStatus(document, printer);
    } catch (const EZKError &e) {
        QMessageBox::warning(FParent, u"打印报表"_s, e.Message());
    }
}

void TReportDialogOutput::SaveFromPreview(const TReportDocument &document)
{
    const QString fileName = ChooseFileName(document.Name);
    if (fileName.isEmpty())
        return;
    try {
        WritePdf(document, fileName);
    } catch (const EZKError &e) {
        QMessageBox::warning(FParent, u"保存报表"_s, e.Message());
    }
}

void TReportDialogOutput::OpenSavedReport()
{
    // A saved report is a PDF file; the desktop's viewer shows it.
    const QString fileName = QFileDialog::getOpenFileName(FParent, u"打开其他报表"_s, QString(), PdfFilter);
    if (!fileName.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(fileName));
}
