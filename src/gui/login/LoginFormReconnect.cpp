// The login dialog's password dialogs for a running program: reconnecting with the
// current login values, and the password check before the results are sent.

#include "gui/login/LoginForm.h"

#include "gui/login/LoginFormSupport.h"
#include "link/MemberTransaction.h"
#include "store/NameGuards.h"
#include "store/ZKMainDef.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;
using namespace LoginFormParts;

namespace {
const QString kReconnectCaption = u"连接到服务器"_s;
} // namespace

// The reconnect dialog refuses to close while the connect task runs.
bool TLoginForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FReconnectForm && !ZKMainDef().IsNetIdle) {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

// --- reconnecting and checking the password ---

bool TLoginForm::ReConnectToHost()
{
    FCloseCheck = false;
    QList<TZKInputValueRec> values(1);
    values[0].Prompt = u"密码:"_s;
    values[0].IsPassword = true;
    values[0].MaxLength = 32;
    values[0].Value = QString();
    std::unique_ptr<QDialog> form(CreateInputValuesFormProc(
        kReconnectCaption, u"请输入密码，以便连接到服务器。"_s, values, &FormIcon, 14010, parentWidget()));
    if (!form)
        return false;
    QPushButton *ok = nullptr;
    QPushButton *cancel = nullptr;
    for (QPushButton *button : form->findChildren<QPushButton *>()) {
        if (button->text().remove(u'&') == u"确定"_s)
            ok = button;
        else if (button->text().remove(u'&') == u"取消"_s)
            cancel = button;
    }
    if (ok) {
        ok->disconnect();
        connect(ok, &QPushButton::clicked, this, [this, f = form.get()] { ReConnectOKClick(f); });
    }
    if (cancel) {
        cancel->disconnect();
        connect(cancel, &QPushButton::clicked, form.get(), &QDialog::reject);
    }
    FReconnectForm = form.get();
    form->installEventFilter(this);
    const bool connected = form->exec() == QDialog::Accepted;
    FReconnectForm = nullptr;
    return connected;
}

void TLoginForm::ReConnectOKClick(QDialog *form)
{
    // The name of the last login, refused as the login dialog refuses it, before any
    // connect: the dialog stays open.
    if (!IsPlainUserName(ZKMainDef().LoginInfo.UserName)) {
        ShowMessage(UserNameRefusalText(), kReconnectCaption, TMsgIcon::Error);
        return;
    }
    for (QPushButton *button : form->findChildren<QPushButton *>())
        button->setEnabled(false);
    auto *edit = form->findChild<QLineEdit *>();
    TLoginInfo &login = ZKMainDef().LoginInfo;
    OldPassword = login.Password;
    login.Password = edit ? edit->text() : QString();
    StartLogin([this, form](QVariantList &, QVariantList &out) { ReConnectDone(form, ResultCodeOf(out)); });
}

void TLoginForm::ReConnectDone(QDialog *form, int code)
{
    for (QPushButton *button : form->findChildren<QPushButton *>())
        button->setEnabled(true);
    FinishLogin(code, TGKLQState::gklqOn);
    if (code == lrOK)
        form->done(QDialog::Accepted);
    else
        ZKMainDef().LoginInfo.Password = OldPassword;
}

bool TLoginForm::CheckPassWord()
{
    FCloseCheck = false;
    QString typed;
    if (!InputValueProc(u"验证用户身份"_s, u"请输入密码，以便验证您的身份。"_s, u"密码:"_s, &FormIcon, true,
                        32, 4010, typed, parentWidget()))
        return false;
    if (typed != ZKMainDef().LoginInfo.Password) {
        ShowMessage(u"您未能输入正确的口令，\r\n因此不能发送。"_s, u"验证用户身份"_s, TMsgIcon::Error);
        return false;
    }
    return true;
}

