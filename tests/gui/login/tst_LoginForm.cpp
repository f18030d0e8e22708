// The login dialog against the leader's server stand-in: choosing a province, the
// server address, online and offline logins, the end of an admission after 90 days,
// reconnecting and the password check before sending.

#include "LoginFixture.h"
#include "gui/login/LoginRules.h"
#include "gui/login/ProvinceMap.h"
#include "link/MemberBgTaskThread.h"
#include "link/PasswordSeal.h"
#include "store/Adtg.h"
#include "store/SqlConnection.h"
#include "store/SqlQuery.h"
#include "store/NameGuards.h"
#include "store/StorageFolder.h"
#include "store/ZKMainDef.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QScreen>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QColor LabelColor(QLabel *label)
{
    return label->palette().color(QPalette::WindowText);
}

// A point of the map inside the province and under no label.
QPoint FreeMapPoint(TProvinceMap &map, const QString &code)
{
    for (int y = 0; y < map.height(); y += 3)
        for (int x = 0; x < map.width(); x += 3)
            if (map.ProvinceAt({x, y}) == code && !map.childAt(x, y))
                return {x, y};
    return {-1, -1};
}

QString SealedPassword(const QString &userFolder)
{
    TSqlConnection conn(JetConnectionPrefix + userFolder + UnivShareDatabaseFileName);
    conn.Open();
    TSqlQuery q(&conn);
    q.OpenTable(u"T_YXZT"_s);
    return q.AsString(u"YHKL"_s);
}

// Every file and folder below a folder with its size and time of change.
QStringList TreeListing(const QString &folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        entries.append(u"%1 %2 %3"_s.arg(info.filePath()).arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch()));
    }
    entries.sort();
    return entries;
}

void SetLeaderPassword(TLoginFixture &f, const QString &password)
{
    QFile file(f.LeaderUser() + u"password.txt"_s);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(password.toUtf8());
}

} // namespace

class TestLoginForm : public QObject
{
    Q_OBJECT
private slots:
    void init() { QDir(QDir::tempPath()).mkpath(u"."_s); }

    void chooseProvince_data();
    void chooseProvince();
    void labelAndListWithoutCounterpart();
    void serverAddressEdit();
    void emptyUserName_data();
    void emptyUserName();
    void onlineLogin();
    void offlineLogin();
    void admissionEnd_data();
    void admissionEnd();
    void admissionEndedFolderStays();
    void oldNameLogsInOffline();
    void oldUserName_data();
    void oldUserName();
    void reconnect();
    void checkPassWord_data();
    void checkPassWord();
    void centredOnTheScreen();
    void userNameRefused_data();
    void userNameRefused();
};

void TestLoginForm::chooseProvince_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("label") << u"label"_s;
    QTest::newRow("map") << u"map"_s;
    QTest::newRow("list") << u"list"_s;
}

void TestLoginForm::chooseProvince()
{
    QFETCH(QString, how);
    TLoginFixture f;
    auto form = f.NewForm();
    QVERIFY(!form->OKBtn->isEnabled());
    QVERIFY(!form->NotOnLineBtn->isEnabled());
    QVERIFY(!form->ModifyIPBtn->isEnabled());
    QCOMPARE(form->SSComboBox->count(), 34);

    // 北京 first, so that choosing 新疆 must paint it back.
    TLoginFixture::ClickLabel(*form, u"11"_s);
    form->UserNameEdit->setText(u"someone"_s);
    if (how == u"label") {
        TLoginFixture::ClickLabel(*form, u"65"_s);
    } else if (how == u"map") {
        const QPoint point = FreeMapPoint(*form->MapPanel, u"65"_s);
        QVERIFY(point.x() >= 0);
        QTest::mouseMove(form->MapPanel, point);
        QCOMPARE(form->MapPanel->HotProvince(), u"65"_s);
        QTest::mouseClick(form->MapPanel, Qt::LeftButton, {}, point);
    } else {
        form->SSComboBox->setCurrentIndex(int(form->SSDMList.indexOf(u"65"_s)));
    }
    QCOMPARE(form->CurrentSSDM, u"65"_s);
    QCOMPARE(form->CurrentSSMc, u"新疆"_s);
    QCOMPARE(form->CurrentSSStr, u"XJ"_s);
    QCOMPARE(form->CurrentLabel, TLoginFixture::Label(*form, u"65"_s));
    QCOMPARE(LabelColor(TLoginFixture::Label(*form, u"65"_s)), QColor(Qt::red));
    QCOMPARE(LabelColor(TLoginFixture::Label(*form, u"11"_s)), QColor(Qt::black));
    QCOMPARE(form->SSComboBox->currentText(), u"新疆"_s);
    QCOMPARE(form->IPEdit->text(), u"127.0.0.1"_s);
    QCOMPARE(form->PortEdit->text(), u"8612"_s);
    QVERIFY(form->UserNameEdit->text().isEmpty());
    QVERIFY(form->OKBtn->isEnabled() && form->NotOnLineBtn->isEnabled() && form->ModifyIPBtn->isEnabled());

    // The label under the mouse turns blue and back.
    QLabel *hainan = TLoginFixture::Label(*form, u"46"_s);
    form->SSLabelMouseEnter(hainan);
    QCOMPARE(LabelColor(hainan), QColor(Qt::blue));
    form->SSLabelMouseLeave(hainan);
    QCOMPARE(LabelColor(hainan), QColor(Qt::black));
    form->SSLabelMouseLeave(form->CurrentLabel);
    QCOMPARE(LabelColor(form->CurrentLabel), QColor(Qt::red));
}

void TestLoginForm::labelAndListWithoutCounterpart()
{
    TLoginFixture f;
    // A list without 台湾 and with a code that has no label.
    const QString list = f.Storage() + ProvinceListFileName;
    TRecordset provinces = LoadAdtgFile(list);
    QVERIFY(provinces.Locate(u"ssdm"_s, u"71"_s));
    provinces.Edit();
    provinces.FieldByName(u"SSDM").SetAsString(u"99"_s);
    provinces.FieldByName(u"SSMC").SetAsString(u"测试区"_s);
    provinces.Post();
    SaveAdtgFile(provinces, list);
    auto form = f.NewForm();

    TLoginFixture::ClickLabel(*form, u"71"_s);
    QCOMPARE(form->CurrentSSDM, u"71"_s);
    QCOMPARE(LabelColor(TLoginFixture::Label(*form, u"71"_s)), QColor(Qt::red));
    QCOMPARE(form->SSComboBox->currentIndex(), -1);
    QVERIFY(form->IPEdit->text().isEmpty() && form->PortEdit->text().isEmpty());
    QVERIFY(form->OKBtn->isEnabled());
    // The connect task gets an empty address and port 0: a failed connect, the dialog stays.
    TLoginFixture::Type(*form, TExchangeFixture::User, TExchangeFixture::Password);
    TLoginFixture::LoginOnline(*form);
    QCOMPARE(f.LoginErrors.size(), 1);
    QVERIFY(f.LoginErrors.first() != 0);
    QVERIFY(form->isVisible());

    form->SSComboBox->setCurrentIndex(int(form->SSDMList.indexOf(u"99"_s)));
    QCOMPARE(form->CurrentSSDM, u"99"_s);
    QVERIFY(!form->CurrentLabel);
    QCOMPARE(LabelColor(TLoginFixture::Label(*form, u"71"_s)), QColor(Qt::black));
    for (QLabel *label : form->SSLabels)
        QVERIFY2(LabelColor(label) == QColor(Qt::black), qPrintable(label->objectName()));
}

void TestLoginForm::serverAddressEdit()
{
    TLoginFixture f;
    auto form = f.NewForm();
    TLoginFixture::ClickLabel(*form, u"32"_s);
    QList<TZKInputValueRec> asked;
    QString caption, message;
    int help = 0;
    bool accept = false;
    form->ExecuteInputValuesProc = [&](const QString &c, const QString &m, QList<TZKInputValueRec> &values,
                                       const QIcon *, int topic, QWidget *) {
        caption = c;
        message = m;
        help = topic;
        asked = values;
        if (accept) {
            values[0].Value = u"leader.example.edu.cn"_s;
            values[1].Value = u"9000"_s;
            values[2].Value = u"web.example"_s;
            values[3].Value = u"80"_s;
        }
        return accept;
    };
    QTest::mouseClick(form->ModifyIPBtn, Qt::LeftButton);
    QCOMPARE(caption, u"修改服务器地址"_s);
    QCOMPARE(message, u"请修改江苏所对应的贵院校招生组长服务器的地址。"_s);
    QCOMPARE(help, 4030);
    QCOMPARE(asked.size(), 4);
    QCOMPARE(asked[0].Prompt, u"招生组长服务器地址:"_s);
    QCOMPARE(asked[1].Prompt, u"招生组长服务器端口:"_s);
    QCOMPARE(asked[2].Prompt, u"高校招生信息发布 Web 服务器地址 (不必设定):"_s);
    QCOMPARE(asked[3].Prompt, u"高校招生信息发布 Web 服务器端口 (不必设定):"_s);
    QCOMPARE((QList<int>{asked[0].MaxLength, asked[1].MaxLength, asked[2].MaxLength, asked[3].MaxLength}),
             (QList<int>{128, 5, 128, 5}));
    QCOMPARE(asked[0].Value.toString(), u"127.0.0.1"_s);
    QCOMPARE(asked[1].Value.toString(), u"8612"_s);
    QCOMPARE(form->IPEdit->text(), u"127.0.0.1"_s); // cancelled: nothing changed

    accept = true;
    QTest::mouseClick(form->ModifyIPBtn, Qt::LeftButton);
    QCOMPARE(form->IPEdit->text(), u"leader.example.edu.cn"_s);
    QCOMPARE(form->PortEdit->text(), u"9000"_s);
    QCOMPARE(form->CurrentWebIP, u"web.example"_s);
    TRecordset saved = LoadAdtgFile(f.Storage() + ProvinceListFileName);
    QCOMPARE(saved.RecordCount(), 34);
    QVERIFY(saved.Locate(u"ssdm"_s, u"32"_s));
    QCOMPARE(saved.FieldByName(u"FWQDZ").AsString(), u"leader.example.edu.cn"_s);
    QCOMPARE(saved.FieldByName(u"FWQDKH").AsString(), u"9000"_s);
    QCOMPARE(saved.FieldByName(u"ZYDZ").AsString(), u"web.example"_s);
    QCOMPARE(saved.FieldByName(u"ZYDKH").AsString(), u"80"_s);
    QVERIFY(saved.Locate(u"ssdm"_s, u"11"_s));
    QCOMPARE(saved.FieldByName(u"FWQDKH").AsString(), QString::number(f.Server().Port()));
}

void TestLoginForm::emptyUserName_data()
{
    QTest::addColumn<bool>("online");
    QTest::newRow("online") << true;
    QTest::newRow("offline") << false;
}

void TestLoginForm::emptyUserName()
{
    QFETCH(bool, online);
    TLoginFixture f;
    auto form = f.NewForm();
    TLoginFixture::ClickLabel(*form, f.SSDM);
    TLoginFixture::Type(*form, QString(), TExchangeFixture::Password);
    QTest::mouseClick(online ? form->OKBtn : form->NotOnLineBtn, Qt::LeftButton);
    QCOMPARE(f.Messages.Messages.size(), 1);
    QCOMPARE(f.Messages.Messages[0].Text, u"请输入用户名。"_s);
    QCOMPARE(f.Messages.Messages[0].Caption, online ? form->windowTitle() : u"脱机登录"_s);
    QCOMPARE(f.Messages.Messages[0].Icon, TMsgIcon::Error);
    QVERIFY(f.Animation.Shown.isEmpty());
    QVERIFY(form->isVisible());
}

void TestLoginForm::onlineLogin()
{
    TLoginFixture f;
    {
        // Refused by the leader: its code is reported, the dialog stays for another try.
        TLeaderFaults faults;
        faults.RefuseLogin = 2;
        f.Server().SetFaults(faults);
        auto form = f.NewForm();
        TLoginFixture::ClickLabel(*form, f.SSDM);
        TLoginFixture::Type(*form, TExchangeFixture::User, TExchangeFixture::Password);
        TLoginFixture::LoginOnline(*form);
        QCOMPARE(f.LoginErrors, QList<int>{2});
        QVERIFY(form->isVisible());
        QVERIFY(form->OKBtn->isEnabled() && form->NotOnLineBtn->isEnabled());
        f.Server().SetFaults({});
    }
    auto form = f.NewForm();
    QCOMPARE(form->windowTitle(), u"登录系统 2012"_s + ZKMainDef().EditionSuffix);
    TLoginFixture::ClickLabel(*form, f.SSDM);
    TLoginFixture::Type(*form, TExchangeFixture::User, TExchangeFixture::Password);
    TLoginFixture::LoginOnline(*form);
    QCOMPARE(form->result(), int(QDialog::Accepted));
    QVERIFY(!form->isVisible());
    QCOMPARE(form->GKLQEnabled_, TGKLQState::gklqOff); // a new user: the first set-up follows
    QVERIFY(ZKMainDef().IsConnected);
    QCOMPARE(f.Animation.Shown.last(),
             std::make_pair(form->windowTitle(), u"正在登录招生组长的服务器，请稍候。"_s));
    QCOMPARE(f.Animation.Stops, 2);
    const TLoginInfo &login = ZKMainDef().LoginInfo;
    QCOMPARE(login.UserName, TExchangeFixture::User);
    QCOMPARE(login.SSPY, u"BJ"_s);
    QCOMPARE(login.UserFolder, f.Storage() + u"BJ/zy01/"_s);
    QCOMPARE(login.DownloadFolder, login.UserFolder + u"Download/"_s);
    QCOMPARE(login.ServerPort, QString::number(f.Server().Port()));
}

// Offline: refused before any set-up, then the password of the set-up, then only the
// newest password an online login accepted.
void TestLoginForm::offlineLogin()
{
    TLoginFixture f;
    auto offline = [&](const QString &password) {
        auto form = f.NewForm();
        TLoginFixture::ClickLabel(*form, f.SSDM);
        TLoginFixture::Type(*form, TExchangeFixture::User, password);
        f.Messages.Messages.clear();
        QTest::mouseClick(form->NotOnLineBtn, Qt::LeftButton);
        return std::make_pair(form->result() == QDialog::Accepted, f.Messages.Messages.value(0).Text);
    };
    QCOMPARE(offline(TExchangeFixture::Password),
             std::make_pair(false, u"你现在还未通过远程服务器的身份验证\r\n因此不能脱机登录。"_s));

    QVERIFY(f.Session.Connect() == 0);
    QVERIFY(f.FirstSetUp());
    QCOMPARE(offline(u"PW01"_s), std::make_pair(false, u"密码输入错误。"_s));
    QCOMPARE(offline(TExchangeFixture::Password), std::make_pair(true, QString()));

    // A missing attachment folder counts as no set-up.
    QVERIFY(QDir(ZKMainDef().LoginInfo.DownloadFolder + u"KSZP"_s).removeRecursively());
    QCOMPARE(offline(TExchangeFixture::Password).first, false);
    QVERIFY(QDir().mkpath(ZKMainDef().LoginInfo.DownloadFolder + u"KSZP"_s));

    const QString newest = u"abcdefghijklmnopqrstuvwxyz012345"_s; // the longest the box takes
    SetLeaderPassword(f, newest);
    {
        auto form = f.NewForm();
        TLoginFixture::ClickLabel(*form, f.SSDM);
        TLoginFixture::Type(*form, TExchangeFixture::User, newest);
        TLoginFixture::LoginOnline(*form);
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QCOMPARE(form->GKLQEnabled_, TGKLQState::gklqOn);
    }
    QCOMPARE(UnsealPassword(SealedPassword(ZKMainDef().LoginInfo.UserFolder)), newest);
    QCOMPARE(offline(TExchangeFixture::Password), std::make_pair(false, u"密码输入错误。"_s));
    QCOMPARE(offline(newest), std::make_pair(true, QString()));

    // An unreadable state table ends the dialog with Cancel.
    QFile::remove(ZKMainDef().LoginInfo.UserFolder + UnivShareDatabaseFileName);
    QFile broken(ZKMainDef().LoginInfo.UserFolder + UnivShareDatabaseFileName);
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray(4096, 'x'));
    broken.close();
    auto form = f.NewForm();
    TLoginFixture::ClickLabel(*form, f.SSDM);
    TLoginFixture::Type(*form, TExchangeFixture::User, newest);
    f.Messages.Messages.clear();
    QTest::mouseClick(form->NotOnLineBtn, Qt::LeftButton);
    QCOMPARE(form->result(), int(QDialog::Rejected));
    QVERIFY(!form->isVisible());
    QCOMPARE(f.Messages.Messages.value(0).Text,
             u"启动系统时读取 T_YXZT.DB 出错。请尝试再次运行本系统, \r\n必要时可重新启动计算机。"_s);
    QCOMPARE(f.Messages.Messages.value(0).Caption, u"脱机登录"_s);
}

void TestLoginForm::admissionEnd_data()
{
    QTest::addColumn<double>("days");
    QTest::addColumn<bool>("moved");
    QTest::newRow("exactly 90.0 days") << 90.0 << true;
    QTest::newRow("89.99 days") << 89.99 << false;
}

void TestLoginForm::admissionEnd()
{
    QFETCH(double, days);
    QFETCH(bool, moved);
    TLoginFixture f;
    QVERIFY(f.Session.Connect() == 0);
    QVERIFY(f.FirstSetUp());
    const QDateTime created(QDate(2026, 3, 1), QTime(9, 30));
    f.SetCreationTime(created);
    const QString oldFolder = ZKMainDef().LoginInfo.UserFolder;
    auto form = f.NewForm();
    form->Now = [&] { return created.addMSecs(qint64(days * 86400000.0)); };
    TLoginFixture::ClickLabel(*form, f.SSDM);
    TLoginFixture::Type(*form, TExchangeFixture::User, TExchangeFixture::Password);
    f.Messages.Messages.clear();
    TLoginFixture::LoginOnline(*form);
    QCOMPARE(form->result(), int(QDialog::Accepted));
    const QString newFolder = f.Storage() + u"BJ/Old20260301_zy01/"_s;
    QCOMPARE(QFileInfo::exists(newFolder + UnivShareDatabaseFileName), moved);
    QCOMPARE(QFileInfo::exists(oldFolder), !moved);
    // Moved: the typed name has no data any more, so the first set-up follows.
    QCOMPARE(form->GKLQEnabled_, moved ? TGKLQState::gklqOff : TGKLQState::gklqOn);
    if (moved) {
        QCOMPARE(f.Messages.Messages.size(), 1);
        QCOMPARE(
            f.Messages.Messages[0].Text,
            u"您先前在北京的招生工作数据已被转存到 "_s + newFolder +
                u" 目录下，您以后可以使用 Old20260301_zy01 这个用户名脱机登录查看这些旧数据，密码和以前相同。"_s);
        QCOMPARE(f.Messages.Messages[0].Icon, TMsgIcon::Information);
    } else {
        QVERIFY(f.Messages.Messages.isEmpty());
    }
}

void TestLoginForm::admissionEndedFolderStays()
{
    TLoginFixture f;
    QVERIFY(f.Session.Connect() == 0);
    QVERIFY(f.FirstSetUp());
    const QDateTime created(QDate(2026, 3, 1), QTime(9, 30));
    f.SetCreationTime(created);
    // The target exists already: the folder cannot be moved there.
    QVERIFY(QDir().mkpath(f.Storage() + u"BJ/Old20260301_zy01/keep"_s));
    auto form = f.NewForm();
    form->Now = [&] { return created.addDays(120); };
    TLoginFixture::ClickLabel(*form, f.SSDM);
    TLoginFixture::Type(*form, TExchangeFixture::User, TExchangeFixture::Password);
    f.Messages.Messages.clear();
    f.Animation.Shown.clear();
    QTest::mouseClick(form->OKBtn, Qt::LeftButton);
    QCOMPARE(f.Messages.Messages.size(), 1);
    QCOMPARE(f.Messages.Messages[0].Text,
             u"您在北京的招生工作已超过 90 日，系统认为招生已结束。请您自行备份并删除 "_s +
                 ZKMainDef().LoginInfo.UserFolder +
                 u" 目录下的数据，之后方可使用zy01这个用户名重新开始招生。"_s);
    QCOMPARE(f.Messages.Messages[0].Icon, TMsgIcon::Warning);
    QVERIFY(f.Animation.Shown.isEmpty()); // no connect
    QVERIFY(form->isVisible());
    QVERIFY(QFileInfo::exists(ZKMainDef().LoginInfo.UserFolder + UnivShareDatabaseFileName));
}

void TestLoginForm::oldNameLogsInOffline()
{
    TLoginFixture f;
    QVERIFY(f.Session.Connect() == 0);
    QVERIFY(f.FirstSetUp());
    const QDateTime created(QDate(2026, 3, 1), QTime(9, 30));
    f.SetCreationTime(created);
    const QString oldName = u"Old20260301_zy01"_s;
    QVERIFY(QDir().rename(f.Storage() + u"BJ/zy01"_s, f.Storage() + u"BJ/"_s + oldName));
    auto form = f.NewForm();
    form->Now = [&] { return created.addDays(200); };
    TLoginFixture::ClickLabel(*form, f.SSDM);
    TLoginFixture::Type(*form, oldName, TExchangeFixture::Password);
    f.Messages.Messages.clear();
    f.Animation.Shown.clear();
    QTest::mouseClick(form->OKBtn, Qt::LeftButton);
    QCOMPARE(f.Messages.Messages.size(), 1);
    QCOMPARE(f.Messages.Messages[0].Text, u"您在北京的招生工作已结束，所以只能脱机登录。"_s);
    QCOMPARE(f.Messages.Messages[0].Icon, TMsgIcon::Warning);
    QVERIFY(f.Animation.Shown.isEmpty());
    QCOMPARE(form->result(), int(QDialog::Accepted)); // the offline login with the right password
    QCOMPARE(form->GKLQEnabled_, TGKLQState::gklqOn);
}

void TestLoginForm::oldUserName_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("expected");
    QTest::newRow("cut to 16") << u"member1"_s << u"Old20250101_memb"_s;
    QTest::newRow("short") << u"a"_s << u"Old20250101_a"_s;
    QTest::newRow("Chinese") << u"组员一号二号"_s << u"Old20250101_组员一号"_s;
}

void TestLoginForm::oldUserName()
{
    QFETCH(QString, user);
    QFETCH(QString, expected);
    QCOMPARE(OldUserName(QDateTime(QDate(2025, 1, 1), QTime(23, 59)), user), expected);
    QVERIFY(IsOldUserName(expected));
    QVERIFY(!IsOldUserName(u"old20250101_a"_s));
}

void TestLoginForm::reconnect()
{
    TLoginFixture f;
    {
        auto form = f.NewForm();
        TLoginFixture::ClickLabel(*form, f.SSDM);
        TLoginFixture::Type(*form, TExchangeFixture::User, TExchangeFixture::Password);
        TLoginFixture::LoginOnline(*form);
        QCOMPARE(form->result(), int(QDialog::Accepted));
    }
    QVERIFY(f.FirstSetUp());
    SetLeaderPassword(f, u"second"_s);
    QString title;
    int help = 0;
    TLoginForm form(f.DM);
    form.SetMessageSink(&f.Messages);
    form.SetAnimationSink(&f.Animation);
    // A value-input dialog as the shared routine builds it: a password edit, 确定 and 取消.
    form.CreateInputValuesFormProc = [&](const QString &caption, const QString &,
                                         const QList<TZKInputValueRec> &, const QIcon *, int topic,
                                         QWidget *parent) {
        title = caption;
        help = topic;
        auto *dialog = new QDialog(parent);
        auto *layout = new QVBoxLayout(dialog);
        auto *edit = new QLineEdit(dialog);
        layout->addWidget(edit);
        auto *buttons = new QDialogButtonBox(dialog);
        buttons->addButton(u"确定"_s, QDialogButtonBox::AcceptRole);
        buttons->addButton(u"取消"_s, QDialogButtonBox::RejectRole);
        layout->addWidget(buttons);
        return dialog;
    };
    // Types a password into the open dialog and presses 确定; the second time 取消.
    QStringList typed{u"wrong"_s, QString()};
    std::function<void()> drive = [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(20, drive);
            return;
        }
        const QString next = typed.takeFirst();
        for (QPushButton *b : dialog->findChildren<QPushButton *>())
            if (b->text() == (next.isEmpty() ? u"取消"_s : u"确定"_s)) {
                dialog->findChild<QLineEdit *>()->setText(next);
                QTest::mouseClick(b, Qt::LeftButton);
            }
        if (!typed.isEmpty())
            QTimer::singleShot(20, [&] {
                WaitUntil([] { return ZKMainDef().IsNetIdle.load(); });
                drive();
            });
    };
    // The link closed, as when the leader went away.
    bool closed = false;
    MemberBgTaskThread()->ExecBgTask(BgTaskProc(MemberBgTaskThread(), &TMemberBgTaskThread::DoDisconnect), {},
                                     [&](QVariantList &, QVariantList &) { closed = true; });
    QVERIFY(WaitUntil([&] { return closed; }));
    QVERIFY(!ZKMainDef().IsConnected);
    QTimer::singleShot(0, drive);
    QVERIFY(!form.ReConnectToHost());
    QCOMPARE(title, u"连接到服务器"_s);
    QCOMPARE(help, 14010);
    QCOMPARE(ZKMainDef().LoginInfo.Password, TExchangeFixture::Password); // kept after the failure
    QVERIFY(!f.LoginErrors.isEmpty());

    typed = QStringList{u"second"_s};
    QTimer::singleShot(0, drive);
    QVERIFY(form.ReConnectToHost());
    QCOMPARE(ZKMainDef().LoginInfo.Password, u"second"_s);
    QCOMPARE(UnsealPassword(SealedPassword(ZKMainDef().LoginInfo.UserFolder)), u"second"_s);
}

void TestLoginForm::checkPassWord_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("expected");
    QTest::addColumn<QString>("message");
    QTest::newRow("right") << true << u"pw01"_s << true << QString();
    QTest::newRow("wrong") << true << u"pw02"_s << false << u"您未能输入正确的口令，\r\n因此不能发送。"_s;
    QTest::newRow("case counts") << true << u"PW01"_s << false
                                 << u"您未能输入正确的口令，\r\n因此不能发送。"_s;
    QTest::newRow("cancelled") << false << u"pw01"_s << false << QString();
}

void TestLoginForm::checkPassWord()
{
    QFETCH(bool, answer);
    QFETCH(QString, typed);
    QFETCH(bool, expected);
    QFETCH(QString, message);
    TRecordingMessageSink messages;
    TMainDM dm;
    ZKMainDef().LoginInfo.Password = u"pw01"_s;
    TLoginForm form(dm);
    form.SetMessageSink(&messages);
    QString caption, prompt, label;
    form.InputValueProc = [&](const QString &c, const QString &m, const QString &p, const QIcon *,
                              bool isPassword, int maxLength, int topic, QString &value, QWidget *) {
        caption = c;
        prompt = m;
        label = p;
        if (!isPassword || maxLength != 32 || topic != 4010)
            return false;
        value = typed;
        return answer;
    };
    QCOMPARE(form.CheckPassWord(), expected);
    QCOMPARE(caption, u"验证用户身份"_s);
    QCOMPARE(prompt, u"请输入密码，以便验证您的身份。"_s);
    QCOMPARE(label, u"密码:"_s);
    QCOMPARE(messages.Messages.value(0).Text, message);
    if (!message.isEmpty())
        QCOMPARE(messages.Messages[0].Caption, u"验证用户身份"_s);
}

// Centred on the screen while the main window, its parent, is not shown yet.
void TestLoginForm::centredOnTheScreen()
{
    TLoginFixture f;
    QMainWindow main;
    main.setGeometry(0, 0, 300, 200);
    TLoginForm form(f.DM, &main);
    form.SetMessageSink(&f.Messages);
    QVERIFY(form.PrepareExecute());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QPoint centre = main.screen()->availableGeometry().center();
    QVERIFY2((form.frameGeometry().center() - centre).manhattanLength() <= 4,
             qPrintable(u"%1,%2"_s.arg(form.frameGeometry().center().x()).arg(form.frameGeometry().center().y())));
}

void TestLoginForm::userNameRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("parent") << u".."_s;
    QTest::newRow("self") << u"."_s;
    QTest::newRow("two up") << u"../.."_s;
    QTest::newRow("slash") << u"zy/01"_s;
    QTest::newRow("backslash") << u"zy\\01"_s;
    QTest::newRow("semicolon") << u"zy;01"_s;
    QTest::newRow("quote") << u"zy\"01"_s;
    QTest::newRow("control") << u"zy\u000101"_s;
    QTest::newRow("spaces only") << u"   "_s;
}

// A user name that is not one plain folder name is refused by both logins and the
// reconnect, before anything is read or connected: the fields stay as typed.
void TestLoginForm::userNameRefused()
{
    QFETCH(QString, name);
    TLoginFixture f;
    // Nothing below the folder around the storage folder changes.
    const QString around = QDir::cleanPath(f.Storage() + u".."_s);
    const QStringList before = TreeListing(around);
    for (const bool online : {true, false}) {
        f.Messages.Messages.clear();
        auto form = f.NewForm();
        TLoginFixture::ClickLabel(*form, f.SSDM);
        TLoginFixture::Type(*form, name, TExchangeFixture::Password);
        QTest::mouseClick(online ? form->OKBtn : form->NotOnLineBtn, Qt::LeftButton);
        QCOMPARE(f.Messages.Messages.size(), 1);
        QCOMPARE(f.Messages.Messages[0].Text, UserNameRefusalText());
        QCOMPARE(f.Messages.Messages[0].Caption, online ? form->windowTitle() : u"脱机登录"_s);
        QCOMPARE(f.Messages.Messages[0].Icon, TMsgIcon::Error);
        QVERIFY(form->isVisible());
        QCOMPARE(form->UserNameEdit->text(), name);
        QCOMPARE(form->PasswordEdit->text(), TExchangeFixture::Password);
    }
    QVERIFY(f.Animation.Shown.isEmpty()); // no connect started
    QVERIFY(f.LoginErrors.isEmpty());
    QCOMPARE(TreeListing(around), before);

    // The reconnect refuses the name of the login values the same way.
    f.Messages.Messages.clear();
    ZKMainDef().LoginInfo.UserName = name;
    TLoginForm form(f.DM);
    form.SetMessageSink(&f.Messages);
    form.SetAnimationSink(&f.Animation);
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        for (QPushButton *b : dialog->findChildren<QPushButton *>())
            if (b->text().remove(u'&') == u"确定"_s)
                QTest::mouseClick(b, Qt::LeftButton);
        dialog->reject();
    });
    QVERIFY(!form.ReConnectToHost());
    QCOMPARE(f.Messages.Messages.size(), 1);
    QCOMPARE(f.Messages.Messages[0].Text, UserNameRefusalText());
    QCOMPARE(f.Messages.Messages[0].Caption, u"连接到服务器"_s);
    QVERIFY(f.Animation.Shown.isEmpty());
}

QTEST_MAIN(TestLoginForm)
#include "tst_LoginForm.moc"
