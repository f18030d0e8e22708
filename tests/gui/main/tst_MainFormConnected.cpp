// The main window's link commands against the leader's stand-in on loopback: receiving
// dossiers, sending results, disconnecting and reconnecting, and the rules that follow
// the link while its work runs.
#include "ExchangeFixture.h"
#include "gui/common/MemberWindows.h"
#include "gui/main/MainStatusBar.h"
#include "gui/main/MemberActionForm.h"
#include "gui/main/ZKMainForm.h"
#include "store/ZKMainDef.h"

#include <QAction>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

class TReconnectWindow : public IMemberWindows
{
public:
    bool HasReconnect() const override { return true; }
    bool Reconnect() override
    {
        ++Calls;
        return Connect();
    }
    std::function<bool()> Connect;
    int Calls = 0;
};

} // namespace

class TstMainFormConnected : public QObject
{
    Q_OBJECT

private slots:
    void linkCommands();
};

void TstMainFormConnected::linkCommands()
{
    TExchangeFixture f;
    QVERIFY(f.SetUp());
    TZKMainForm w(f.DM, false);
    TRecordingMessageSink windowMessages;
    w.SetMessageSink(&windowMessages);
    TReconnectWindow windows;
    windows.Connect = [&f] { return f.Session.Connect() == 0; };
    w.SetMemberWindows(&windows);
    w.SetNetDM(&f.Net);
    TGivenPasswordCheck password(TExchangeFixture::Password, f.Messages);
    f.Net.SetPasswordCheck(&password);
    TZKMainDef &def = ZKMainDef();
    def.IsSystemReady = true;
    QVERIFY(f.Session.DownloadDossiers());
    QVERIFY(f.Session.OpenSet(u"2"_s, u"5"_s, u"1"_s));
    int downloads = 0;
    f.Net.OnDownLoadAllTDDDone = [&downloads] { ++downloads; };
    int uploadCode = -99;
    f.Net.OnUpLoadDone = [&uploadCode](int code) { uploadCode = code; };
    QCOMPARE(def.CurZT, 1);
    auto enabled = [&w](TMemberCommand id) {
        w.UpdateActions();
        return w.Commands()->Action(id)->isEnabled();
    };
    QVERIFY(!enabled(TMemberCommand::Login));
    QVERIFY(enabled(TMemberCommand::Logout));
    QVERIFY(enabled(TMemberCommand::UpLoadJG));
    QVERIFY(w.MainStatusBar()->ShowsConnected());

    // While the dossier query runs, neither link command is offered.
    w.RunCommand(TMemberCommand::DownLoadTDD);
    QVERIFY(!def.IsNetIdle);
    QVERIFY(!enabled(TMemberCommand::Login));
    QVERIFY(!enabled(TMemberCommand::Logout));
    QVERIFY(!enabled(TMemberCommand::DownLoadTDD));
    QVERIFY(WaitUntil([&] { return downloads == 1 && def.IsNetIdle; }));

    // Sent results move the set to review: no second sending, even connected.
    w.RunCommand(TMemberCommand::UpLoadJG);
    QVERIFY(WaitUntil([&] { return uploadCode != -99 && def.IsNetIdle; }));
    QCOMPARE(uploadCode, 0);
    QCOMPARE(def.CurZT, 2);
    QVERIFY(!enabled(TMemberCommand::UpLoadJG));
    QVERIFY(enabled(TMemberCommand::DownLoadTDD));

    // Disconnect: the picture turns offline when the task's answer arrives.
    w.RunCommand(TMemberCommand::Logout);
    QVERIFY(!enabled(TMemberCommand::Login));
    QVERIFY(WaitUntil([&def] { return def.IsNetIdle.load(); }));
    QVERIFY(!def.IsConnected);
    QVERIFY(!w.MainStatusBar()->ShowsConnected());
    QVERIFY(enabled(TMemberCommand::Login));
    QVERIFY(!enabled(TMemberCommand::Logout));
    QVERIFY(!enabled(TMemberCommand::DownLoadTDD));

    // Reconnect through the login's dialog, then the dossiers are asked for again.
    w.RunCommand(TMemberCommand::Login);
    QCOMPARE(windows.Calls, 1);
    QVERIFY(def.IsConnected);
    QVERIFY(w.MainStatusBar()->ShowsConnected());
    QVERIFY(WaitUntil([&] { return downloads == 2 && def.IsNetIdle; }));
    QVERIFY(windowMessages.Messages.isEmpty());
}

QTEST_MAIN(TstMainFormConnected)
#include "tst_MainFormConnected.moc"
