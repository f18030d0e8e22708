#include "gui/login/LoginForm.h"

#include "gui/common/GuiMetrics.h"
#include "gui/common/HelpTopics.h"
#include "gui/common/MessageBoxSink.h"
#include "gui/login/ProvinceMap.h"
#include "link/MemberBgTaskThread.h"
#include "link/MemberTransaction.h"
#include "link/PasswordSeal.h"
#include "store/Adtg.h"
#include "store/NamedLock.h"
#include "store/SqlConnection.h"
#include "store/StorageFolder.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

using namespace Qt::StringLiterals;

std::function<void(int LoginRes)> LoginErrorMsgSlot;

namespace {

const QString kFormCaption = u"登录系统"_s;
const QString kOfflineCaption = u"脱机登录"_s;
const QString kStateTableError =
    u"启动系统时读取 T_YXZT.DB 出错。请尝试再次运行本系统, \r\n必要时可重新启动计算机。"_s;
constexpr int kLoginHelpTopic = 4020;

class TNoAnimation : public IAnimationSink
{
public:
    void ShowAnim(const QString &, const QString &) override {}
    void StopAnim() override {}
};

// A map label: reports clicks and the mouse entering and leaving it.
class TProvinceLabel : public QLabel
{
public:
    TProvinceLabel(const QString &text, QWidget *parent, TLoginForm &form)
        : QLabel(text, parent)
        , FForm(form)
    {}

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            FForm.SSLabelClick(this);
    }
    void enterEvent(QEnterEvent *) override { FForm.SSLabelMouseEnter(this); }
    void leaveEvent(QEvent *) override { FForm.SSLabelMouseLeave(this); }

private:
    TLoginForm &FForm;
};

QLabel *AddLabel(const QString &text, QWidget *parent, int left, int top, QWidget *buddy = nullptr)
{
    auto *label = new QLabel(text, parent);
    label->move(ScaledPixels(left, parent), ScaledPixels(top, parent));
    label->adjustSize();
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

void Place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(ScaledPixels(left, widget), ScaledPixels(top, widget), ScaledPixels(width, widget),
                        ScaledPixels(height, widget));
}

QString FieldText(TRecordset &set, const char16_t *name)
{
    return set.FindField(QStringView(name)) >= 0 ? set.FieldByName(QStringView(name)).AsString() : QString();
}

} // namespace

const QList<TProvinceLabelRec> &ProvinceLabels()
{
    static const QList<TProvinceLabelRec> labels{
        {u"65"_s, u"新   疆"_s, 64, 108}, {u"54"_s, u"西   藏"_s, 76, 196}, {u"63"_s, u"青  海"_s, 136, 160},
        {u"51"_s, u"四川"_s, 184, 208},   {u"53"_s, u"云南"_s, 176, 256},   {u"52"_s, u"贵州"_s, 216, 238},
        {u"45"_s, u"广西"_s, 228, 266},   {u"44"_s, u"广东"_s, 272, 262},   {u"43"_s, u"湖南"_s, 254, 230},
        {u"42"_s, u"湖北"_s, 256, 200},   {u"41"_s, u"河南"_s, 264, 176},   {u"46"_s, u"海南"_s, 228, 304},
        {u"71"_s, u"台湾"_s, 332, 256},   {u"15"_s, u"内蒙古"_s, 268, 90},  {u"23"_s, u"黑龙江"_s, 336, 48},
        {u"22"_s, u"吉林"_s, 336, 80},    {u"21"_s, u"辽宁"_s, 316, 104},   {u"50"_s, u"重庆"_s, 220, 212},
        {u"62"_s, u"甘肃"_s, 196, 168},   {u"61"_s, u"陕西"_s, 228, 176},   {u"64"_s, u"宁夏"_s, 212, 140},
        {u"14"_s, u"山西"_s, 252, 152},   {u"11"_s, u"北京"_s, 260, 114},   {u"12"_s, u"天津"_s, 300, 124},
        {u"13"_s, u"河北"_s, 272, 136},   {u"37"_s, u"山东"_s, 296, 152},   {u"34"_s, u"安徽"_s, 296, 192},
        {u"36"_s, u"江西"_s, 288, 224},   {u"35"_s, u"福建"_s, 308, 240},   {u"32"_s, u"江苏"_s, 312, 172},
        {u"33"_s, u"浙江"_s, 320, 212},   {u"31"_s, u"上海"_s, 336, 192},   {u"73"_s, u"澳门"_s, 256, 280},
        {u"72"_s, u"香港"_s, 288, 277},
    };
    return labels;
}

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
    setWindowTitle(kFormCaption + u' ' + StorageFolderYear + ZKMainDef().EditionSuffix);
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

void TLoginForm::CreateMapGroup()
{
    auto *group = new QGroupBox(u"选择省、自治区或直辖市"_s, this);
    group->setObjectName(u"SSGroupBox"_s);
    Place(group, 8, 54, 418, 364);
    MapPanel = new TProvinceMap(group);
    MapPanel->setObjectName(u"MapPanel"_s);
    MapPanel->setAccessibleName(u"省区市地图"_s);
    Place(MapPanel, 9, 28, 400, 328);
    connect(MapPanel, &TProvinceMap::ProvinceClicked, this, &TLoginForm::SelectProvinceFromMap);
    QFont font = MapPanel->font();
    font.setBold(true);
    font.setPixelSize(ScaledPixels(14, this));
    for (const TProvinceLabelRec &rec : ProvinceLabels()) {
        auto *label = new TProvinceLabel(rec.Text, MapPanel, *this);
        label->setObjectName(u"SSLabel"_s + rec.Code);
        label->setProperty("Tag", rec.Code);
        label->setFont(font);
        label->setCursor(Qt::PointingHandCursor);
        label->setAttribute(Qt::WA_TranslucentBackground);
        label->move(ScaledPixels(rec.Left, this), ScaledPixels(rec.Top, this));
        label->adjustSize();
        PaintLabel(label, Qt::black);
        SSLabels.append(label);
    }
}

void TLoginForm::CreateServerGroup()
{
    auto *group = new QGroupBox(u"服务器信息"_s, this);
    group->setObjectName(u"ServerGroupBox"_s);
    Place(group, 434, 54, 287, 134);
    SSComboBox = new QComboBox(group);
    SSComboBox->setObjectName(u"SSComboBox"_s);
    SSComboBox->setMaxVisibleItems(24);
    Place(SSComboBox, 120, 26, 155, 24);
    AddLabel(u"省区市名称:"_s, group, 12, 30, SSComboBox);
    connect(SSComboBox, &QComboBox::currentIndexChanged, this, [this] {
        if (!FSettingComboIndex)
            SSComboBoxChange();
    });
    IPEdit = new QLineEdit(group);
    IPEdit->setObjectName(u"IPEdit"_s);
    IPEdit->setReadOnly(true);
    Place(IPEdit, 120, 60, 155, 24);
    IPLabel = AddLabel(u"组长服务器地址:"_s, group, 12, 64, IPEdit);
    ModifyIPBtn = new QPushButton(u"修改服务器地址..."_s, group);
    ModifyIPBtn->setObjectName(u"ModifyIPBtn"_s);
    ModifyIPBtn->setEnabled(false);
    ModifyIPBtn->setAutoDefault(false);
    Place(ModifyIPBtn, 168, 93, 107, 26);
    // The button keeps its whole caption, whatever the font: it grows to the left,
    // and the port box gives way.
    const int right = ModifyIPBtn->geometry().right();
    ModifyIPBtn->setGeometry(ModifyIPBtn->geometry().adjusted(
        std::min(0, ModifyIPBtn->width() - ModifyIPBtn->sizeHint().width()), 0, 0, 0));
    ModifyIPBtn->move(right - ModifyIPBtn->width() + 1, ModifyIPBtn->y());
    PortEdit = new QLineEdit(group);
    PortEdit->setObjectName(u"PortEdit"_s);
    PortEdit->setReadOnly(true);
    Place(PortEdit, 120, 94, 44, 24);
    PortEdit->setFixedWidth(
        std::max(ScaledPixels(36, this), ModifyIPBtn->x() - ScaledPixels(6, this) - PortEdit->x()));
    AddLabel(u"端口:"_s, group, 12, 98, PortEdit);
    connect(ModifyIPBtn, &QPushButton::clicked, this, &TLoginForm::ModifyIPBtnClick);
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

void TLoginForm::closeEvent(QCloseEvent *event)
{
    if (FCloseCheck && !ZKMainDef().IsNetIdle) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

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

// --- Execute ---

bool TLoginForm::PrepareExecute()
{
    FCloseCheck = true;
    MsgLabel->setText(u"请选择要登录的省份 (自治区、直辖市)，并输入相应的信息。"_s);
    IPLabel->setText(u"组长服务器地址:"_s);
    SSZTFileName = ZKMainDef().LoginInfo.StorageFolder + ProvinceListFileName;
    try {
        TNamedLock lock = TakeProvinceListLock();
        SSZTTable = LoadAdtgFile(SSZTFileName);
    } catch (const EZKError &) {
        return false;
    }
    SSDMList.clear();
    SSMCList.clear();
    for (SSZTTable.First(); !SSZTTable.Eof(); SSZTTable.Next()) {
        SSDMList.append(FieldText(SSZTTable, u"SSDM"));
        SSMCList.append(FieldText(SSZTTable, u"SSMC"));
    }
    FSettingComboIndex = true;
    SSComboBox->clear();
    SSComboBox->addItems(SSMCList);
    SSComboBox->setCurrentIndex(-1);
    FSettingComboIndex = false;
    return true;
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

// --- choosing a province ---

void TLoginForm::PaintLabel(QLabel *label, const QColor &color)
{
    if (!label)
        return;
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

void TLoginForm::SelectProvince(const QString &code)
{
    PaintLabel(CurrentLabel, Qt::black);
    CurrentSSDM = code;
    CurrentLabel = MapPanel->findChild<QLabel *>(u"SSLabel"_s + code, Qt::FindDirectChildrenOnly);
    PaintLabel(CurrentLabel, Qt::red);
    MapPanel->SetCurrentProvince(CurrentLabel ? code : QString());

    CurrentSSStr.clear();
    CurrentSSMc.clear();
    CurrentSSIP.clear();
    CurrentSSPort.clear();
    CurrentWebIP.clear();
    CurrentWebPort.clear();
    UserNameEdit->clear();
    PasswordEdit->clear();
    if (SSZTTable.FindField(u"ssdm") >= 0 && SSZTTable.Locate(u"ssdm"_s, code)) {
        CurrentSSStr = FieldText(SSZTTable, u"SSPY");
        CurrentSSMc = FieldText(SSZTTable, u"SSMC");
        CurrentSSIP = FieldText(SSZTTable, u"FWQDZ");
        CurrentSSPort = FieldText(SSZTTable, u"FWQDKH");
        CurrentWebIP = FieldText(SSZTTable, u"ZYDZ");
        CurrentWebPort = FieldText(SSZTTable, u"ZYDKH");
    }
    IPEdit->setText(CurrentSSIP);
    PortEdit->setText(CurrentSSPort);
    ModifyIPBtn->setEnabled(true);
    const bool idle = ZKMainDef().IsNetIdle;
    OKBtn->setEnabled(idle);
    NotOnLineBtn->setEnabled(idle);
}

void TLoginForm::SSLabelClick(QLabel *label)
{
    const QString code = label->property("Tag").toString();
    FSettingComboIndex = true;
    SSComboBox->setCurrentIndex(int(SSDMList.indexOf(code)));
    FSettingComboIndex = false;
    SelectProvince(code);
    if (!UserNameEdit->text().isEmpty())
        PasswordEdit->setFocus();
    else
        UserNameEdit->setFocus();
}

// A click inside a province of the map counts as a click on its label.
void TLoginForm::SelectProvinceFromMap(const QString &code)
{
    if (auto *label = MapPanel->findChild<QLabel *>(u"SSLabel"_s + code, Qt::FindDirectChildrenOnly))
        SSLabelClick(label);
}

void TLoginForm::SSLabelMouseEnter(QLabel *label)
{
    PaintLabel(label, Qt::blue);
}

void TLoginForm::SSLabelMouseLeave(QLabel *label)
{
    PaintLabel(label, label == CurrentLabel ? Qt::red : Qt::black);
}

void TLoginForm::SSComboBoxChange()
{
    const int index = SSComboBox->currentIndex();
    if (index >= 0 && index < SSDMList.size())
        SelectProvince(SSDMList.at(index));
}

void TLoginForm::ModifyIPBtnClick()
{
    QList<TZKInputValueRec> values(4);
    const QString prompts[4] = {u"招生组长服务器地址:"_s, u"招生组长服务器端口:"_s,
                                u"高校招生信息发布 Web 服务器地址 (不必设定):"_s,
                                u"高校招生信息发布 Web 服务器端口 (不必设定):"_s};
    const QString initial[4] = {CurrentSSIP, CurrentSSPort, CurrentWebIP, CurrentWebPort};
    const int lengths[4] = {128, 5, 128, 5};
    for (int i = 0; i < 4; ++i) {
        values[i].Prompt = prompts[i];
        values[i].Value = initial[i];
        values[i].MaxLength = lengths[i];
    }
    if (!ExecuteInputValuesProc(u"修改服务器地址"_s,
                                u"请修改"_s + CurrentSSMc + u"所对应的贵院校招生组长服务器的地址。"_s, values,
                                nullptr, 4030, this))
        return;
    const QString typed[4] = {values[0].Value.toString(), values[1].Value.toString(),
                              values[2].Value.toString(), values[3].Value.toString()};
    if (SSZTTable.FindField(u"ssdm") >= 0 && SSZTTable.Locate(u"ssdm"_s, CurrentSSDM)) {
        try {
            SSZTTable.Edit();
            SSZTTable.FieldByName(u"FWQDZ").SetAsString(typed[0]);
            SSZTTable.FieldByName(u"FWQDKH").SetAsString(typed[1]);
            SSZTTable.FieldByName(u"ZYDZ").SetAsString(typed[2]);
            SSZTTable.FieldByName(u"ZYDKH").SetAsString(typed[3]);
            SSZTTable.Post();
            TNamedLock lock = TakeProvinceListLock();
            SaveAdtgFile(SSZTTable, SSZTFileName);
        } catch (const EZKError &e) {
            // The addresses still hold for this run; the user learns they were not kept.
            ShowMessage(e.Message(), u"修改服务器地址"_s, TMsgIcon::Error);
        }
    }
    CurrentSSIP = typed[0];
    CurrentSSPort = typed[1];
    CurrentWebIP = typed[2];
    CurrentWebPort = typed[3];
    IPEdit->setText(CurrentSSIP);
    PortEdit->setText(CurrentSSPort);
}

void TLoginForm::HelpBtnClick()
{
    ShowHelpTopic(kLoginHelpTopic, this);
}

// --- logging in ---

void TLoginForm::ShowMessage(const QString &text, const QString &caption, TMsgIcon icon)
{
    FMessageSink->ShowMessage(text, caption, icon);
}

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

bool TLoginForm::CheckUserName(const QString &caption)
{
    if (!ZKMainDef().LoginInfo.UserName.isEmpty())
        return true;
    ShowMessage(u"请输入用户名。"_s, caption, TMsgIcon::Error);
    return false;
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

namespace {
int ResultCodeOf(const QVariantList &out)
{
    bool ok = false;
    const int code = out.value(0).toInt(&ok);
    return ok ? code : int(lrNotDone);
}
} // namespace

void TLoginForm::LoginDone(QVariantList &, QVariantList &outParam)
{
    SetButtonsEnabled(true);
    const int code = ResultCodeOf(outParam);
    int result = -1;
    if (code == lrOK) {
        const TLoginInfo &login = ZKMainDef().LoginInfo;
        GKLQEnabled_ = ReadGKLQState(FDm, login.SSPY, login.UserFolder);
        if (GKLQEnabled_ == TGKLQState::gklqError) {
            ShowMessage(kStateTableError, NotOnLineBtn->text(), TMsgIcon::Error);
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
    if (!CheckUserName(kOfflineCaption))
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
            ShowMessage(u"密码输入错误。"_s, kOfflineCaption, TMsgIcon::Error);
        break;
    }
    case TGKLQState::gklqOff:
        ShowMessage(u"你现在还未通过远程服务器的身份验证\r\n因此不能脱机登录。"_s, kOfflineCaption,
                    TMsgIcon::Error);
        break;
    case TGKLQState::gklqError:
        ShowMessage(kStateTableError, kOfflineCaption, TMsgIcon::Error);
        done(QDialog::Rejected);
        break;
    }
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
        u"连接到服务器"_s, u"请输入密码，以便连接到服务器。"_s, values, &FormIcon, 14010, parentWidget()));
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
