#include "gui/options/MemberOptionsForm.h"

#include "exchange/MemberNetDM.h"
#include "gui/common/GuiMetrics.h"
#include "gui/common/HelpTopics.h"
#include "gui/options/DualListViewFrame.h"
#include "workspace/MainDM.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TMemberOptionsForm::TMemberOptionsForm(TMainDM &dm, TMemberNetDM &net, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
    , FDm(dm)
    , FNet(net)
{
    setObjectName(u"MemberOptionsForm"_s);
    setWindowTitle(u"选项"_s);
    ApplyWindowFont(this);

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(u"PageControl"_s);
    PageControl->addTab(CreateFieldPage(), u"显示投档单"_s);
    PageControl->addTab(CreateNetworkPage(), u"网络通信"_s);

    OKBtn = new QPushButton(u"确定"_s, this);
    OKBtn->setObjectName(u"OKBtn"_s);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(u"取消"_s, this);
    CancelBtn->setObjectName(u"CancelBtn"_s);
    HelpBtn = new QPushButton(u"帮助"_s, this);
    HelpBtn->setObjectName(u"HelpBtn"_s);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, [this] { ShowHelpTopic(HelpTopic, this); });
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, HelpBtn,
            &QPushButton::click);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *b : {OKBtn, CancelBtn, HelpBtn}) {
        b->setMinimumWidth(ScaledPixels(75, this));
        buttons->addWidget(b);
    }
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl);
    layout->addLayout(buttons);
    resize(ScaledPixels(520, this), ScaledPixels(460, this));
}

QWidget *TMemberOptionsForm::CreateFieldPage()
{
    auto *page = new QWidget;
    DualListFrame = new TDualListViewFrame(FDm, page);

    auto *format = new QGroupBox(u"投档单格式"_s, page);
    ShowCodesCheck = new QCheckBox(u"显示各种代号"_s, format);
    ShowCodesCheck->setObjectName(u"ShowCodesCheck"_s);
    (new QVBoxLayout(format))->addWidget(ShowCodesCheck);

    auto *details = new QGroupBox(u"考生详细信息"_s, page);
    AutoUnpackCheck = new QCheckBox(u"自动解压缩 ZIP 或 RAR 格式的报名表、体检表和附加表"_s, details);
    AutoUnpackCheck->setObjectName(u"AutoUnpackCheck"_s);
    (new QVBoxLayout(details))->addWidget(AutoUnpackCheck);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(DualListFrame, 1);
    layout->addWidget(format);
    layout->addWidget(details);
    return page;
}

QWidget *TMemberOptionsForm::CreatePeriodRow(QCheckBox *&check, QSpinBox *&edit, const QString &caption,
                                             const QString &name)
{
    auto *row = new QWidget;
    check = new QCheckBox(caption, row);
    check->setObjectName(name + u"Check"_s);
    edit = new QSpinBox(row);
    edit->setObjectName(name + u"PeriodEdit"_s);
    edit->setRange(2, 9999);
    edit->setAccessibleName(caption + u" 分钟"_s);
    edit->setEnabled(false);
    auto *unit = new QLabel(u"分钟"_s, row);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(check);
    layout->addWidget(edit);
    layout->addWidget(unit);
    layout->addStretch();
    QSpinBox *spin = edit;
    connect(check, &QCheckBox::toggled, spin, &QSpinBox::setEnabled);
    return row;
}

QWidget *TMemberOptionsForm::CreateNetworkPage()
{
    auto *page = new QWidget;
    auto *download = new QGroupBox(u"院校数据信息下载"_s, page);
    auto *downloadLayout = new QVBoxLayout(download);
    // The letter query exists only in the stored settings of this client.
    QWidget *letterRow = CreatePeriodRow(LetterQueryCheck, LetterPeriodEdit, u"自动查询信件并下载，周期为:"_s,
                                         u"LetterQuery"_s);
    letterRow->setVisible(false);
    downloadLayout->addWidget(letterRow);
    downloadLayout->addWidget(CreatePeriodRow(DossierQueryCheck, DossierPeriodEdit,
                                              u"自动查询考生数据并下载，周期为:"_s, u"DossierQuery"_s));

    auto *files = new QGroupBox(u"考生资料文件下载"_s, page);
    AutoPhotoCheck = new QCheckBox(u"查看考生详细信息时自动下载考生照片"_s, files);
    AutoPhotoCheck->setObjectName(u"AutoPhotoCheck"_s);
    (new QVBoxLayout(files))->addWidget(AutoPhotoCheck);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(download);
    layout->addWidget(files);
    layout->addStretch();
    return page;
}

TMemberOptionsValues TMemberOptionsForm::Values() const
{
    TMemberOptionsValues v;
    v.LetterQuery = LetterQueryCheck->isChecked();
    v.LetterPeriod = LetterPeriodEdit->value();
    v.DossierQuery = DossierQueryCheck->isChecked();
    v.DossierPeriod = DossierPeriodEdit->value();
    v.AutoPhoto = AutoPhotoCheck->isChecked();
    v.ShowCodes = ShowCodesCheck->isChecked();
    v.AutoUnpack = AutoUnpackCheck->isChecked();
    return v;
}

void TMemberOptionsForm::SetValues(const TMemberOptionsValues &v)
{
    LetterQueryCheck->setChecked(v.LetterQuery);
    LetterPeriodEdit->setValue(v.LetterPeriod);
    LetterPeriodEdit->setEnabled(v.LetterQuery);
    DossierQueryCheck->setChecked(v.DossierQuery);
    DossierPeriodEdit->setValue(v.DossierPeriod);
    DossierPeriodEdit->setEnabled(v.DossierQuery);
    AutoPhotoCheck->setChecked(v.AutoPhoto);
    ShowCodesCheck->setChecked(v.ShowCodes);
    AutoUnpackCheck->setChecked(v.AutoUnpack);
}

void TMemberOptionsForm::LoadOptions()
{
    SetValues(MemberOptions::Load(FDm));
    DualListFrame->Init();
}

void TMemberOptionsForm::Apply()
{
    RefreshTDDNeeded = false;
    const TMemberOptionsStored stored = MemberOptions::Store(FDm, Values());
    RefreshTDDNeeded = RefreshTDDNeeded || stored.ShowCodesChanged;
    if (stored.PeriodsChanged)
        FNet.SetQueryTimer();
    if (DualListFrame->Done()) {
        FDm.CloseTDD();
        FDm.OpenTDD();
    } else if (RefreshTDDNeeded) {
        FDm.Grid().Repaint();
    }
}

bool TMemberOptionsForm::Execute()
{
    LoadOptions();
    PageControl->setFocus();
    if (exec() != QDialog::Accepted)
        return false;
    Apply();
    return true;
}

bool TMemberOptionsForm::Execute(TMainDM &dm, TMemberNetDM &net, QWidget *parent)
{
    TMemberOptionsForm form(dm, net, parent);
    return form.Execute();
}
