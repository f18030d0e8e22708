// The login dialog's two ways in and their rules: the login values taken from the
// dialog, the user name check, the end of an admission after 90 days, the online login
// through the connect task, and the offline login against the sealed password.

#include "gui/login/LoginForm.h"

#include "gui/login/LoginFormSupport.h"
#include "link/MemberBgTaskThread.h"
#include "link/MemberTransaction.h"
#include "link/PasswordSeal.h"
#include "store/NameGuards.h"
#include "store/SqlConnection.h"
#include "store/StorageFolder.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace LoginFormParts;

void TLoginForm::TakeLoginFields()
{
    TLoginInfo &login = ZKMainDef().LoginInfo;
    login.SSDM = CurrentSSDM;
    login.SSPY = CurrentSSStr;
    login.SSMC = CurrentSSMc;
    login.ServerAddress = CurrentSSIP;
    login.ServerPort = CurrentSSPort;
    login.WebAddress = CurrentWebIP;
    login.WebPort = CurrentWebPort;
    login.UserName = UserNameEdit->text();
    login.Password = PasswordEdit->text();
    DeriveUserFolders(login);
    FDm.UnivShareConn.SetConnectionString(JetConnectionPrefix + login.UserFolder + UnivShareDatabaseFileName);
}

// The user name becomes a folder of the storage folder: it must be one plain folder
// name before anything is read, moved or connected under it.
bool TLoginForm::CheckUserName(const QString &caption)
{
    const QString &name = ZKMainDef().LoginInfo.UserName;
    if (name.isEmpty()) {
        ShowMessage(u"请输入用户名。"_s, caption, TMsgIcon::Error);
        return false;
    }
    if (!IsPlainUserName(name)) {
        ShowMessage(UserNameRefusalText(), caption, TMsgIcon::Error);
        return false;
    }
    return true;
}

// The end of an admission, 90 days after the user's data was made. False when the
// online login must not go on (the offline login ran instead, or the folder stays).
bool TLoginForm::ApplyAdmissionEnd()
{
    TLoginInfo &login = ZKMainDef().LoginInfo;
    QDateTime created;
    if (!ReadCreationTime(FDm, login.SSPY, login.UserFolder, created) ||
        LocalDaysBetween(created, Now()) < AdmissionDays)
        return true;
    if (IsOldUserName(login.UserName)) {
        ShowMessage(u"您在"_s + login.SSMC + u"的招生工作已结束"_s + u"，所以只能脱机登录。"_s, Caption(),
                    TMsgIcon::Warning);
        NotOnLineBtnClick();
        return false;
    }
    const QString newName = OldUserName(created, login.UserName);
    const QString newFolder = login.StorageFolder + login.SSPY + u'/' + newName + u'/';
    if (!QDir().rename(QDir::cleanPath(login.UserFolder), QDir::cleanPath(newFolder))) {
        ShowMessage(u"您在"_s + login.SSMC + u"的招生工作"_s +
                        u"已超过 90 日，系统认为招生已结束。请您自行备份并删除 "_s + login.UserFolder +
                        u" 目录下的数据，之后方可使用"_s + login.UserName + u"这个用户名重新开始招生。"_s,
                    Caption(), TMsgIcon::Warning);
        return false;
    }
    ShowMessage(u"您先前在"_s + login.SSMC + u"的招生工作"_s + u"数据已被转存到 "_s + newFolder +
                    u" 目录下，您以后可以使用 "_s + newName +
                    u" 这个用户名脱机登录查看这些旧数据，密码和以前相同。"_s,
                Caption(), TMsgIcon::Information);
    return true;
}

void TLoginForm::OKBtnClick()
{
    TakeLoginFields();
    if (!CheckUserName(Caption()))
        return;
    if (!ApplyAdmissionEnd())
        return;
    SetButtonsEnabled(false);
    StartLogin([this](QVariantList &in, QVariantList &out) { LoginDone(in, out); });
}

void TLoginForm::SetButtonsEnabled(bool enabled)
{
    OKBtn->setEnabled(enabled);
    NotOnLineBtn->setEnabled(enabled);
    CancelBtn->setEnabled(enabled);
}

void TLoginForm::StartLogin(std::function<void(QVariantList &, QVariantList &)> callBack)
{
    TZKMainDef &def = ZKMainDef();
    const TLoginInfo &login = def.LoginInfo;
    def.IsNetIdle = false;
    FAnimationSink->ShowAnim(Caption(), u"正在登录招生组长的服务器，请稍候。"_s);
    bool isNumber = false;
    int port = login.ServerPort.toInt(&isNumber);
    if (!isNumber)
        port = 0;
    const QVariantList in{login.ServerAddress, port, login.UserName, login.Password};
    TMemberBgTaskThread *thread = MemberBgTaskThread();
    if (thread && thread->ExecBgTask(BgTaskProc(thread, &TMemberBgTaskThread::DoConnectToHost), in, callBack))
        return;
    // Without a task thread that takes the task the login cannot run; it fails like a
    // connect that was never made, after the caller has finished its own step.
    QTimer::singleShot(0, this, [callBack, in] {
        QVariantList inParam = in;
        QVariantList out{int(lrNotDone)};
        callBack(inParam, out);
    });
}

void TLoginForm::LoginDone(QVariantList &, QVariantList &outParam)
{
    SetButtonsEnabled(true);
    const int code = ResultCodeOf(outParam);
    int result = -1;
    if (code == lrOK) {
        const TLoginInfo &login = ZKMainDef().LoginInfo;
        GKLQEnabled_ = ReadGKLQState(FDm, login.SSPY, login.UserFolder);
        if (GKLQEnabled_ == TGKLQState::gklqError) {
            ShowMessage(StateTableError, NotOnLineBtn->text(), TMsgIcon::Error);
            result = QDialog::Rejected;
        } else {
            result = QDialog::Accepted;
        }
    }
    FinishLogin(code, GKLQEnabled_);
    if (result >= 0)
        done(result);
}

void TLoginForm::FinishLogin(int code, TGKLQState state)
{
    FAnimationSink->StopAnim();
    ZKMainDef().IsNetIdle = true;
    if (code == lrOK && state == TGKLQState::gklqOn) {
        const TLoginInfo &login = ZKMainDef().LoginInfo;
        try {
            StoreSealedPassword(FDm, login.SSPY, login.Password);
        } catch (const EZKError &) {
            ShowMessage(u"更新用户信息出错。"_s, Caption(), TMsgIcon::Error);
        }
    } else if (code != lrOK && LoginErrorMsgSlot) {
        LoginErrorMsgSlot(code);
    }
}

void TLoginForm::NotOnLineBtnClick()
{
    TakeLoginFields();
    if (!CheckUserName(OfflineCaption))
        return;
    const TLoginInfo &login = ZKMainDef().LoginInfo;
    TGKLQState state = TGKLQState::gklqOn;
    for (const QString &folder : AttachmentFolderNames())
        if (!QFileInfo(login.DownloadFolder + folder).isDir())
            state = TGKLQState::gklqOff;
    if (!QFileInfo(login.UploadFolder).isDir())
        state = TGKLQState::gklqOff;
    if (state == TGKLQState::gklqOn)
        state = ReadGKLQState(FDm, login.SSPY, login.UserFolder);
    GKLQEnabled_ = state;

    switch (state) {
    case TGKLQState::gklqOn: {
        // An error while reading the sealed password is not the dialog's to handle: it
        // reaches the application's general error display.
        QString sealed;
        if (ReadSealedPassword(FDm, login.SSPY, sealed) && UnsealPassword(sealed) == login.Password)
            done(QDialog::Accepted);
        else
            ShowMessage(u"密码输入错误。"_s, OfflineCaption, TMsgIcon::Error);
        break;
    }
    case TGKLQState::gklqOff:
        ShowMessage(u"你现在还未通过远程服务器的身份验证\r\n因此不能脱机登录。"_s, OfflineCaption,
                    TMsgIcon::Error);
        break;
    case TGKLQState::gklqError:
        ShowMessage(StateTableError, OfflineCaption, TMsgIcon::Error);
        done(QDialog::Rejected);
        break;
    }
}

