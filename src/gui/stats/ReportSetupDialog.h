#pragma once

#include <QDialog>
#include <QPageLayout>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPrinter;
class QRadioButton;
class QSpinBox;

// Where a report goes.
enum class TReportDestination
{
    Printer,
    Preview,
    File
};

// The report engine's set-up dialog: the printer, the options (copies, collate, duplex)
// and the destination (printer, preview, or a file with its format). The components
// carry the engine's names (objectName) and the client's captions.
class TReportSetupDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TReportSetupDialog(const QString &reportName, QWidget *parent = nullptr);

    TReportDestination Destination() const;
    void SetDestination(TReportDestination destination);
    QString PrinterName() const;
    int Copies() const;
    bool Collate() const;
    bool Duplex() const;
    // Gives a printer the chosen printer and options (not the destination).
    void ApplyTo(QPrinter &printer) const;

    QGroupBox *GroupBox1 = nullptr;
    QGroupBox *GroupBox2 = nullptr;
    QGroupBox *DestGB = nullptr;
    QComboBox *PrinterCombo = nullptr;
    QRadioButton *PrinterRB = nullptr;
    QRadioButton *PreviewRB = nullptr;
    QRadioButton *FileRB = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *FormatCombo = nullptr;
    QLabel *CopiesLabel = nullptr;
    QSpinBox *CopiesEdit = nullptr;
    QCheckBox *CollateCK = nullptr;
    QCheckBox *DuplexCK = nullptr;

private:
    void SetupPrinter();
    // The paper chosen with "设置", applied over the report's own paper.
    std::optional<QPageLayout> FPageLayout;
    void UpdateControls();
};
