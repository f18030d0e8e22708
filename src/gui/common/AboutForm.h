#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// The about box "关于本软件": the product picture, "Velkaro\r\n<product> <year> <version>"
// in bold and the ownership notice with the year.
class TAboutForm : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutForm(QWidget *parent = nullptr);
    // Fills the labels (Execute without the modal run).
    void SetProduct(const QString &productName, const QString &yearVer, const QString &digitalVer);

    QWidget *ProgramIcon = nullptr;
    QLabel *ProductNameLabel = nullptr;
    QLabel *CopyrightLabel = nullptr;
    QPushButton *OKBtn = nullptr;
};

void ExecuteAbout(const QString &productName, const QString &yearVer, const QString &digitalVer,
                  QWidget *parent = nullptr);
