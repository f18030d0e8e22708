#include "ReportStatusForm.h"

#include "gui/common/GuiMetrics.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TReportStatusForm::TReportStatusForm(const QString &reportName, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"RPStatusForm"_s);
    setWindowTitle(u"打印状态 - "_s + reportName);
    setWindowModality(Qt::ApplicationModal);
    StatusLabel = new QLabel(u"正在准备打印..."_s, this);
    StatusLabel->setObjectName(u"StatusLabel"_s);
    CancelButton = new QPushButton(u"取消"_s, this);
    CancelButton->setObjectName(u"CancelButton"_s);
    connect(CancelButton, &QPushButton::clicked, this, [this] {
        FCancelled = true;
        CancelButton->setEnabled(false);
    });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(StatusLabel);
    layout->addWidget(CancelButton, 0, Qt::AlignHCenter);
    ApplyWindowFont(this);
    setMinimumWidth(ScaledPixels(300, this));
}

bool TReportStatusForm::ShowPage(int page, int count)
{
    StatusLabel->setText(u"正在打印第 %1 页, 共 %2 页"_s.arg(page).arg(count));
    QApplication::processEvents();
    return !FCancelled;
}
