#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The report engine's status window while pages go to a printer or a file: the page
// being sent and "取消", which stops after the current page.
class TReportStatusForm : public QDialog
{
    Q_OBJECT
public:
    explicit TReportStatusForm(const QString &reportName, QWidget *parent = nullptr);

    // Shows the page being sent and keeps the window painted; false once cancelled.
    bool ShowPage(int page, int count);
    bool Cancelled() const { return FCancelled; }

    QLabel *StatusLabel = nullptr;
    QPushButton *CancelButton = nullptr;

private:
    bool FCancelled = false;
};
