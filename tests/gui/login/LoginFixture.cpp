#include "LoginFixture.h"

#include "gui/login/ProvinceMap.h"
#include "link/MemberBgTaskThread.h"
#include "store/Adtg.h"
#include "store/NamedLock.h"
#include "store/SqlConnection.h"
#include "store/SqlQuery.h"
#include "store/StorageFolder.h"
#include "store/ZKMainDef.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

TLoginFixture::TLoginFixture()
{
    // The storage folder with the province list and the common database, as start-up
    // makes it; the province's record then names the stand-in.
    if (!Session.PrepareLogin(Options()))
        qFatal("the storage folder cannot be prepared: %s", qPrintable(Session.Error()));
    const QString list = Storage() + ProvinceListFileName;
    TRecordset provinces = LoadAdtgFile(list);
    if (!provinces.Locate(u"ssdm"_s, SSDM))
        qFatal("the province list has no province %s", qPrintable(SSDM));
    provinces.Edit();
    provinces.FieldByName(u"FWQDZ").SetAsString(u"127.0.0.1"_s);
    provinces.FieldByName(u"FWQDKH").SetAsString(QString::number(Server().Port()));
    provinces.Post();
    SaveAdtgFile(provinces, list);

    InitMemberBgTaskThreadUnit();
    ZKMainDef().CreateBgTaskThreadHook();
    Net.SetTaskThread(MemberBgTaskThread());
    LoginErrorMsgSlot = [this](int code) { LoginErrors.append(code); };
}

TLoginFixture::~TLoginFixture()
{
    LoginErrorMsgSlot = nullptr;
    Net.SetTaskThread(nullptr);
    ZKMainDef().EndBgTaskThreadHook();
}

std::unique_ptr<TLoginForm> TLoginFixture::NewForm()
{
    auto form = std::make_unique<TLoginForm>(DM);
    form->SetMessageSink(&Messages);
    form->SetAnimationSink(&Animation);
    if (!form->PrepareExecute())
        qFatal("the province list cannot be read");
    form->show();
    return form;
}

QLabel *TLoginFixture::Label(TLoginForm &form, const QString &code)
{
    return form.findChild<QLabel *>(u"SSLabel"_s + code);
}

void TLoginFixture::ClickLabel(TLoginForm &form, const QString &code)
{
    QLabel *label = Label(form, code);
    QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
}

void TLoginFixture::Type(TLoginForm &form, const QString &user, const QString &password)
{
    form.UserNameEdit->setText(user);
    form.PasswordEdit->setText(password);
}

void TLoginFixture::LoginOnline(TLoginForm &form)
{
    QTest::mouseClick(form.OKBtn, Qt::LeftButton);
    WaitUntil([&] { return ZKMainDef().IsNetIdle.load() && form.CancelBtn->isEnabled(); });
}

bool TLoginFixture::FirstSetUp()
{
    const bool done = Session.FirstSetUp();
    DM.UnivConn.Close();
    return done;
}

void TLoginFixture::SetCreationTime(const QDateTime &time)
{
    TSqlConnection conn(JetConnectionPrefix + ZKMainDef().LoginInfo.UserFolder + UnivShareDatabaseFileName);
    conn.Open();
    TSqlQuery update(&conn);
    update.SetSQL(u"update T_YXZT set creation_time=:t"_s);
    update.SetParam(u"t"_s, time);
    update.ExecSQL();
}
