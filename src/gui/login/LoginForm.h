#pragma once

// LoginUnit: the login dialog "登录系统". The user picks a province on the map or in the
// list, gives user name and password and logs in online (a connect task on the program's
// task thread) or offline (against the sealed password of the state table). The dialog
// fills the login values (ZKMainDef().LoginInfo) that the whole program uses afterwards.

#include "exchange/MemberNetDM.h"
#include "gui/common/InputValues.h"
#include "gui/login/LoginRules.h"
#include "store/Recordset.h"
#include "store/UiSinks.h"

#include <QDialog>
#include <QIcon>
#include <QStringList>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TMainDM;
class TProvinceMap;

// The login dialog's report of a failed connect, an edition slot that the start-up
// sequence fills (TMemberNetDM::ShowLoginErrorMsg); empty, a failed connect shows nothing.
extern std::function<void(int LoginRes)> LoginErrorMsgSlot;

// The map labels: province code, text, position on the map panel (at 96 dpi).
struct TProvinceLabelRec
{
    QString Code;
    QString Text;
    int Left = 0;
    int Top = 0;
};
const QList<TProvinceLabelRec> &ProvinceLabels();

class TLoginForm : public QDialog, public IPasswordCheck
{
    Q_OBJECT
public:
    // The dialog works on the connections of dm (UnivShareConn).
    explicit TLoginForm(TMainDM &dm, QWidget *parent = nullptr);
    ~TLoginForm() override;

    // Shows the dialog modally; true when the user got in (online or offline).
    // GKLQEnabled receives the state the login found.
    bool Execute(TGKLQState &GKLQEnabled);
    // Asks only for the password and reconnects with the current login values. True
    // when the link is open afterwards.
    bool ReConnectToHost();
    // Asks for the password and compares it with LoginInfo.Password.
    bool CheckPassWord() override;

    // The first steps of Execute without showing the dialog: the close check, the texts,
    // and the province list read from the storage folder. False when the list cannot be
    // opened.
    bool PrepareExecute();

    // --- windows the dialog uses (null restores the defaults: message boxes, no
    // animation) ---
    void SetMessageSink(IMessageSink *sink);
    void SetAnimationSink(IAnimationSink *sink);
    // The value-input routines and the clock, replaceable for tests.
    std::function<bool(const QString &, const QString &, QList<TZKInputValueRec> &, const QIcon *, int,
                       QWidget *)>
        ExecuteInputValuesProc = ::ExecuteInputValues;
    std::function<bool(const QString &, const QString &, const QString &, const QIcon *, bool, int, int,
                       QString &, QWidget *)>
        InputValueProc = ::InputValue;
    std::function<QDialog *(const QString &, const QString &, const QList<TZKInputValueRec> &, const QIcon *,
                            int, QWidget *)>
        CreateInputValuesFormProc = ::CreateInputValuesForm;
    std::function<QDateTime()> Now = [] { return QDateTime::currentDateTime(); };

    // --- event handlers ---
    void SSLabelClick(QLabel *label);
    void SSLabelMouseEnter(QLabel *label);
    void SSLabelMouseLeave(QLabel *label);
    void SSComboBoxChange();
    void ModifyIPBtnClick();
    void OKBtnClick();
    void NotOnLineBtnClick();
    void HelpBtnClick();

    // --- state ---
    QLabel *CurrentLabel = nullptr;
    QString CurrentSSDM;
    QString CurrentSSStr;
    QString CurrentSSMc;
    QString CurrentSSIP;
    QString CurrentSSPort;
    QString CurrentWebIP;
    QString CurrentWebPort;
    TGKLQState GKLQEnabled_ = TGKLQState::gklqOn;
    QStringList SSDMList;
    QStringList SSMCList;
    QString OldPassword;
    QString SSZTFileName;
    TRecordset SSZTTable;

    // --- controls ---
    QLabel *MsgLabel = nullptr;
    TProvinceMap *MapPanel = nullptr;
    QList<QLabel *> SSLabels;
    QComboBox *SSComboBox = nullptr;
    QLineEdit *IPEdit = nullptr;
    QLineEdit *PortEdit = nullptr;
    QLabel *IPLabel = nullptr;
    QPushButton *ModifyIPBtn = nullptr;
    QLineEdit *UserNameEdit = nullptr;
    QLineEdit *PasswordEdit = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *NotOnLineBtn = nullptr;
    QPushButton *CancelBtn = nullptr;
    QPushButton *HelpBtn = nullptr;
    QIcon FormIcon;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // the dialog (LoginForm.cpp)
    void FormCreate();
    void CreateTitleStrip();
    void CreateUserGroup();
    void CreateButtons();
    void ShowMessage(const QString &text, const QString &caption, TMsgIcon icon);
    QString Caption() const { return windowTitle(); }

    // the province map and list (LoginFormProvinces.cpp)
    void CreateMapGroup();
    bool ReadProvinceList();
    void SelectProvince(const QString &code);
    void SelectProvinceFromMap(const QString &code);
    void PaintLabel(QLabel *label, const QColor &color);

    // the server address (LoginFormServer.cpp)
    void CreateServerGroup();

    // the login paths and their rules (LoginFormLogin.cpp)
    void TakeLoginFields();
    bool CheckUserName(const QString &caption);
    bool ApplyAdmissionEnd();
    void SetButtonsEnabled(bool enabled);
    void StartLogin(std::function<void(QVariantList &, QVariantList &)> callBack);
    void LoginDone(QVariantList &inParam, QVariantList &outParam);
    void FinishLogin(int code, TGKLQState state);

    // reconnecting (LoginFormReconnect.cpp)
    void ReConnectOKClick(QDialog *form);
    void ReConnectDone(QDialog *form, int code);

    TMainDM &FDm;
    IMessageSink *FMessageSink;
    IAnimationSink *FAnimationSink;
    std::unique_ptr<IMessageSink> FDefaultMessageSink;
    std::unique_ptr<IAnimationSink> FDefaultAnimationSink;
    bool FCloseCheck = false; // closing depends on IsNetIdle
    bool FSettingComboIndex = false;
    QDialog *FReconnectForm = nullptr;
};
