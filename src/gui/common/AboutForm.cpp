#include "gui/common/AboutForm.h"

#include "gui/common/GuiMetrics.h"
#include "gui/common/GuiPictures.h"
#include "gui/common/HelpTopicList.h"
#include "gui/common/HelpTopics.h"

#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

TAboutForm::TAboutForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
{
    setObjectName(u"AboutForm"_s);
    setWindowTitle(u"关于本软件"_s);
    SetWindowHelpTopic(this, ZKHelp::About);
    ApplyWindowFont(this);
    const auto s = [this](int px) { return ScaledPixels(px, this); };

    auto *picture = new QLabel(this);
    picture->setObjectName(u"ProgramIcon"_s);
    picture->setPixmap(GuiPicturePixmap(u"emblem"_s, QSize(s(72), s(72))));
    picture->setGeometry(s(16), s(16), s(72), s(72));
    ProgramIcon = picture;

    ProductNameLabel = new QLabel(this);
    ProductNameLabel->setObjectName(u"ProductNameLabel"_s);
    QFont bold = ProductNameLabel->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    ProductNameLabel->setFont(bold);
    ProductNameLabel->setGeometry(s(104), s(16), s(260), s(56));
    ProductNameLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    CopyrightLabel = new QLabel(this);
    CopyrightLabel->setObjectName(u"CopyrightLabel"_s);
    CopyrightLabel->setWordWrap(true);
    CopyrightLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    CopyrightLabel->setGeometry(s(104), s(78), s(260), s(56));

    OKBtn = new QPushButton(u"确定"_s, this);
    OKBtn->setObjectName(u"OKBtn"_s);
    OKBtn->setDefault(true);
    OKBtn->setGeometry(s(289), s(146), s(75), s(25));
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(s(380), s(183));
}

void TAboutForm::SetProduct(const QString &productName, const QString &yearVer, const QString &digitalVer)
{
    ProductNameLabel->setText(u"Velkaro\r\n%1 %2 %3"_s.arg(productName, yearVer, digitalVer));
    CopyrightLabel->setText(u"版权所有 (C) %1 Velkaro 网上录取系统\n保留所有权利。"_s.arg(yearVer));
}

void ExecuteAbout(const QString &productName, const QString &yearVer, const QString &digitalVer,
                  QWidget *parent)
{
    TAboutForm form(parent);
    form.SetProduct(productName, yearVer, digitalVer);
    form.exec();
}
