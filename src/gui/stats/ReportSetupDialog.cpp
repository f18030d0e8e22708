#include "ReportSetupDialog.h"

#include "gui/common/GuiMetrics.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

template<typename T>
T *Named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

TReportSetupDialog::TReportSetupDialog(const QString &reportName, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"RPSetupForm"_s);
    setWindowTitle(u"打印设置 - "_s + reportName);

    GroupBox1 = Named(new QGroupBox(u"选中的打印机"_s, this), u"GroupBox1"_s);
    PrinterCombo = Named(new QComboBox(GroupBox1), u"PrinterCombo"_s);
    const QStringList printers = QPrinterInfo::availablePrinterNames();
    PrinterCombo->addItems(printers);
    const QString defaultPrinter = QPrinterInfo::defaultPrinterName();
    if (!defaultPrinter.isEmpty())
        PrinterCombo->setCurrentText(defaultPrinter);
    auto *printerLabel = new QLabel(u"打印机名称(&N):"_s, GroupBox1);
    printerLabel->setBuddy(PrinterCombo);
    auto *setupButton = Named(new QPushButton(u"设置"_s, GroupBox1), u"SetupBB"_s);
    connect(setupButton, &QPushButton::clicked, this, &TReportSetupDialog::SetupPrinter);
    auto *printerRow = new QHBoxLayout(GroupBox1);
    printerRow->addWidget(printerLabel);
    printerRow->addWidget(PrinterCombo, 1);
    printerRow->addWidget(setupButton);

    GroupBox2 = Named(new QGroupBox(u"选项"_s, this), u"GroupBox2"_s);
    CopiesEdit = Named(new QSpinBox(GroupBox2), u"CopiesEdit"_s);
    CopiesEdit->setRange(1, 999);
    CopiesLabel = Named(new QLabel(u"份数(&C)"_s, GroupBox2), u"CopiesLabel"_s);
    CopiesLabel->setBuddy(CopiesEdit);
    CollateCK = Named(new QCheckBox(u"自分页"_s, GroupBox2), u"CollateCK"_s);
    CollateCK->setChecked(true);
    DuplexCK = Named(new QCheckBox(u"双面打"_s, GroupBox2), u"DuplexCK"_s);
    auto *options = new QFormLayout(GroupBox2);
    options->addRow(CopiesLabel, CopiesEdit);
    options->addRow(CollateCK);
    options->addRow(DuplexCK);

    DestGB = Named(new QGroupBox(u"报表输出到"_s, this), u"DestGB"_s);
    PrinterRB = Named(new QRadioButton(u"打印机"_s, DestGB), u"PrinterRB"_s);
    PreviewRB = Named(new QRadioButton(u"打印预览"_s, DestGB), u"PreviewRB"_s);
    FileRB = Named(new QRadioButton(u"文件"_s, DestGB), u"FileRB"_s);
    FormatCombo = Named(new QComboBox(DestGB), u"FormatCombo"_s);
    FormatCombo->addItem(u"PDF 文件 (*.pdf)"_s);
    Label1 = Named(new QLabel(u"格式:"_s, DestGB), u"Label1"_s);
    Label1->setBuddy(FormatCombo);
    auto *destination = new QVBoxLayout(DestGB);
    destination->addWidget(PrinterRB);
    destination->addWidget(PreviewRB);
    destination->addWidget(FileRB);
    auto *formatRow = new QHBoxLayout;
    formatRow->addSpacing(ScaledPixels(18, this));
    formatRow->addWidget(Label1);
    formatRow->addWidget(FormatCombo, 1);
    destination->addLayout(formatRow);
    destination->addStretch();
    PreviewRB->setChecked(true);
    // Without a printer the report can still be previewed or saved.
    PrinterRB->setEnabled(!printers.isEmpty());
    for (QRadioButton *rb : {PrinterRB, PreviewRB, FileRB})
        connect(rb, &QRadioButton::toggled, this, &TReportSetupDialog::UpdateControls);

    auto *buttons = new QDialogButtonBox(this);
    auto *ok = Named(buttons->addButton(u"确定"_s, QDialogButtonBox::AcceptRole), u"bbtnOK"_s);
    Named(buttons->addButton(u"取消"_s, QDialogButtonBox::RejectRole), u"CancelBB"_s);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *columns = new QHBoxLayout;
    columns->addWidget(DestGB);
    columns->addWidget(GroupBox2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addLayout(columns);
    layout->addWidget(buttons);
    ApplyWindowFont(this);
    setMinimumWidth(ScaledPixels(420, this));
    UpdateControls();
}

TReportDestination TReportSetupDialog::Destination() const
{
    if (PrinterRB->isChecked())
        return TReportDestination::Printer;
    if (FileRB->isChecked())
        return TReportDestination::File;
    return TReportDestination::Preview;
}

void TReportSetupDialog::SetDestination(TReportDestination destination)
{
    (destination == TReportDestination::Printer ? PrinterRB
     : destination == TReportDestination::File  ? FileRB
                                                : PreviewRB)
        ->setChecked(true);
}

QString TReportSetupDialog::PrinterName() const
{
    return PrinterCombo->currentText();
}

int TReportSetupDialog::Copies() const
{
    return CopiesEdit->value();
}

bool TReportSetupDialog::Collate() const
{
    return CollateCK->isChecked();
}

bool TReportSetupDialog::Duplex() const
{
    return DuplexCK->isChecked();
}

void TReportSetupDialog::ApplyTo(QPrinter &printer) const
{
    if (!PrinterName().isEmpty() && printer.outputFormat() == QPrinter::NativeFormat)
        printer.setPrinterName(PrinterName());
    printer.setCopyCount(Copies());
    printer.setCollateCopies(Collate());
    printer.setDuplex(Duplex() ? QPrinter::DuplexAuto : QPrinter::DuplexNone);
    if (FPageLayout)
        printer.setPageLayout(*FPageLayout);
}

void TReportSetupDialog::SetupPrinter()
{
    QPrinter printer;
    ApplyTo(printer);
    QPageSetupDialog dialog(&printer, this);
    dialog.setWindowTitle(u"设置"_s);
    if (dialog.exec() == QDialog::Accepted)
        FPageLayout = printer.pageLayout();
}

void TReportSetupDialog::UpdateControls()
{
    const bool toFile = FileRB->isChecked();
    Label1->setEnabled(toFile);
    FormatCombo->setEnabled(toFile);
    const bool toPrinter = PrinterRB->isChecked();
    GroupBox2->setEnabled(toPrinter || PreviewRB->isChecked());
}
