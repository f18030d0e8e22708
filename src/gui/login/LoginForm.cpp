// The login dialog itself: its controls and their layout, showing it, closing it and the
// windows it reports through. The province map and list, the server address, the login
// paths and the reconnect each have a file of their own (LoginForm*.cpp).

#include "gui/login/LoginForm.h"

#include "gui/common/GuiMetrics.h"
#include "gui/common/HelpTopics.h"
#include "gui/common/MessageBoxSink.h"
#include "gui/login/LoginFormSupport.h"
#include "store/StorageFolder.h"
#include "store/ZKMainDef.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

using namespace Qt::StringLiterals;
using namespace LoginFormParts;

std::function<void(int LoginRes)> LoginErrorMsgSlot;

namespace {

constexpr int kLoginHelpTopic = 4020;

class TNoAnimation : public IAnimationSink
{
public:
    void ShowAnim(const QString &, const QString &) override {}
    void StopAnim() override {}
};

} // namespace

TLoginForm::TLoginForm(TMainDM &dm, QWidget *parent)
    : QDialog(parent)
    , FDm(dm)
    , FDefaultMessageSink(std::make_unique<TMessageBoxSink>(this))
    , FDefaultAnimationSink(std::make_unique<TNoAnimation>())
{
    FMessageSink = FDefaultMessageSink.get();
    FAnimationSink = FDefaultAnimationSink.get();
    FormCreate();
}

TLoginForm::~TLoginForm() = default;

void TLoginForm::SetMessageSink(IMessageSink *sink)
{
    FMessageSink = sink ? sink : FDefaultMessageSink.get();
}

void TLoginForm::SetAnimationSink(IAnimationSink *sink)
{
    FAnimationSink = sink ? sink : FDefaultAnimationSink.get();
}

// --- layout ---

void TLoginForm::FormCreate()
{
    setObjectName(u"LoginForm"_s);
    setWindowTitle(FormCaption + u' ' + StorageFolderYear + ZKMainDef().EditionSuffix);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    ApplyWindowFont(this);
    FormIcon = QIcon(u":/login/zelkinc.svg"_s);
    setWindowIcon(FormIcon);
    setFixedSize(ScaledPixels(729, this), ScaledPixels(425, this));
    CreateTitleStrip();
    CreateMapGroup();
    CreateServerGroup();
    CreateUserGroup();
    CreateButtons();
    setTabOrder(SSComboBox, ModifyIPBtn);
    setTabOrder(ModifyIPBtn, UserNameEdit);
    setTabOrder(UserNameEdit, PasswordEdit);
    setTabOrder(PasswordEdit, OKBtn);
    setTabOrder(OKBtn, NotOnLineBtn);
    setTabOrder(NotOnLineBtn, CancelBtn);
    setTabOrder(CancelBtn, HelpBtn);
}

void TLoginForm::CreateTitleStrip()
{
    auto *strip = new QWidget(this);
    strip->setObjectName(u"TitlePanel"_s);
    strip->setAutoFillBackground(true);
    QPalette palette = strip->palette();
    palette.setColor(QPalette::Window, QColor(0x1f, 0x3a, 0x5c));
    palette.setColor(QPalette::WindowText, Qt::white);
    strip->setPalette(palette);
    Place(strip, 0, 0, 729, 48);
    auto *icon = new QLabel(strip);
    icon->setObjectName(u"TitleImage"_s);
    Place(icon, 12, 8, 32, 32);
    icon->setPixmap(FormIcon.pixmap(icon->size()));
    MsgLabel = new QLabel(strip);
    MsgLabel->setObjectName(u"MsgLabel"_s);
    MsgLabel->setWordWrap(true);
    QFont font = MsgLabel->font();
    font.setBold(true);
    MsgLabel->setFont(font);
    Place(MsgLabel, 56, 4, 660, 40);
}


void TLoginForm::CreateUserGroup()
{
    auto *group = new QGroupBox(u"用户信息"_s, this);
    group->setObjectName(u"UserGroupBox"_s);
    Place(group, 434, 196, 287, 100);
    UserNameEdit = new QLineEdit(group);
    UserNameEdit->setObjectName(u"UserNameEdit"_s);
    UserNameEdit->setMaxLength(16);
    Place(UserNameEdit, 120, 28, 155, 24);
    AddLabel(u"用户名:"_s, group, 12, 32, UserNameEdit);
    PasswordEdit = new QLineEdit(group);
    PasswordEdit->setObjectName(u"PasswordEdit"_s);
    PasswordEdit->setMaxLength(32);
    PasswordEdit->setEchoMode(QLineEdit::Password);
    Place(PasswordEdit, 120, 62, 155, 24);
    AddLabel(u"密码:"_s, group, 12, 66, PasswordEdit);
}

void TLoginForm::CreateButtons()
{
    auto button = [this](const QString &caption, const QString &name, int left, int top) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        Place(b, left, top, 138, 30);
        return b;
    };
    OKBtn = button(u"联机登录"_s, u"OKBtn"_s, 434, 310);
    OKBtn->setDefault(true);
    NotOnLineBtn = button(u"脱机登录"_s, u"NotOnLineBtn"_s, 583, 310);
    CancelBtn = button(u"取消"_s, u"CancelBtn"_s, 434, 350);
    HelpBtn = button(u"帮助"_s, u"HelpBtn"_s, 583, 350);
    OKBtn->setEnabled(false);
    NotOnLineBtn->setEnabled(false);
    connect(OKBtn, &QPushButton::clicked, this, &TLoginForm::OKBtnClick);
    connect(NotOnLineBtn, &QPushButton::clicked, this, &TLoginForm::NotOnLineBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TLoginForm::reject);
    connect(HelpBtn, &QPushButton::clicked, this, &TLoginForm::HelpBtnClick);
    auto *f1 = new QShortcut(QKeySequence::HelpContents, this);
    connect(f1, &QShortcut::activated, this, &TLoginForm::HelpBtnClick);
}

// --- closing ---

void TLoginForm::reject()
{
    if (FCloseCheck && !ZKMainDef().IsNetIdle)
        return;
    QDialog::reject();
}

// The dialog is centred on the screen, also when its parent, the main window, is not
// shown yet (a dialog is otherwise placed over its parent's hidden geometry).
void TLoginForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    const QWidget *parent = parentWidget();
    const QScreen *screen = parent ? parent->window()->screen() : this->screen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void TLoginForm::closeEvent(QCloseEvent *event)
{
    if (FCloseCheck && !ZKMainDef().IsNetIdle) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

// --- Execute ---

bool TLoginForm::PrepareExecute()
{
    FCloseCheck = true;
    MsgLabel->setText(u"请选择要登录的省份 (自治区、直辖市)，并输入相应的信息。"_s);
    IPLabel->setText(u"组长服务器地址:"_s);
    return ReadProvinceList();
}

bool TLoginForm::Execute(TGKLQState &GKLQEnabled)
{
    bool ok = false;
    if (PrepareExecute())
        ok = exec() == QDialog::Accepted;
    GKLQEnabled = GKLQEnabled_;
    SSDMList.clear();
    SSMCList.clear();
    return ok;
}

void TLoginForm::HelpBtnClick()
{
    ShowHelpTopic(kLoginHelpTopic, this);
}


void TLoginForm::ShowMessage(const QString &text, const QString &caption, TMsgIcon icon)
{
    FMessageSink->ShowMessage(text, caption, icon);
}

