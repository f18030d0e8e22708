// F1 in every window of the client opens the window's numbered help topic; inside the
// main window the docked major panel has a topic of its own.

#include "TestSupport.h"
#include "WorkspaceFixture.h"
#include "exchange/MemberNetDM.h"
#include "gui/common/AboutForm.h"
#include "gui/common/AnimateForm.h"
#include "gui/common/ChangeLQZTDialog.h"
#include "gui/common/HelpTopics.h"
#include "gui/common/ProgressForm.h"
#include "gui/details/DNForm.h"
#include "gui/export/DumpToFileForm.h"
#include "gui/login/LoginForm.h"
#include "gui/main/CodeTableForm.h"
#include "gui/main/LQGridView.h"
#include "gui/main/ZKMainForm.h"
#include "gui/main/ZyStateForm.h"
#include "gui/options/MemberOptionsForm.h"
#include "gui/stats/PrintAdjustForm.h"
#include "gui/stats/StatForm.h"
#include "store/ZKMainDef.h"

#include <QApplication>
#include <QTextBrowser>
#include <QTreeView>
#include <QtTest>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The workspace of a small open set and the modules the windows are made on.
struct TWindowsRig
{
    TWindowsRig()
    {
        TFixtureCandidate c{u"26110101000001"_s};
        c.ZYYTJZCJ = 600;
        c.YTZY = u"01"_s;
        c.ZYDH = {u"01"_s};
        F.AddCandidate(c);
        // The help pages of the build's program folder.
        ZKMainDef().SetProgramFolder(zktest::programFolder());
        Main = std::make_unique<TZKMainForm>(F.Dm(), false);
        F.Open();
        ZKMainDef().IsSystemReady = true;
    }

    TWorkspaceFixture F;
    TMemberNetDM Net{F.Dm()};
    TFakeMessageSink Messages;
    TProgressForm Progress;
    TAnimateForm Animation;
    std::unique_ptr<TZKMainForm> Main;
};

// The window to test and the widget inside it that has the focus when F1 is pressed.
struct TWindowCase
{
    QWidget *Window = nullptr;
    QWidget *Focus = nullptr;
};

using TWindowMaker = std::function<TWindowCase(TWindowsRig &, std::vector<std::unique_ptr<QWidget>> &)>;

} // namespace

Q_DECLARE_METATYPE(TWindowMaker)

class TestWindowHelpTopics : public QObject
{
    Q_OBJECT

private slots:
    void f1ShowsTheWindowsTopic_data();
    void f1ShowsTheWindowsTopic();
};

void TestWindowHelpTopics::f1ShowsTheWindowsTopic_data()
{
    QTest::addColumn<TWindowMaker>("make");
    QTest::addColumn<int>("topic");

    // Keeps a window made for the row alive until the row ends.
    auto own = [](std::vector<std::unique_ptr<QWidget>> &owned, QWidget *w) {
        owned.emplace_back(w);
        return w;
    };
    QTest::newRow("main window, grid") << TWindowMaker([](TWindowsRig &rig, auto &) {
        return TWindowCase{rig.Main.get(), rig.Main->Grid()};
    }) << 1010;
    QTest::newRow("main window, major panel") << TWindowMaker([](TWindowsRig &rig, auto &) {
        return TWindowCase{rig.Main.get(), rig.Main->ZyStatePanel()->DetailView()};
    }) << 11310;
    QTest::newRow("login") << TWindowMaker([own](TWindowsRig &rig, auto &owned) {
        return TWindowCase{own(owned, new TLoginForm(rig.F.Dm())), nullptr};
    }) << 4020;
    QTest::newRow("status change") << TWindowMaker([own](TWindowsRig &, auto &owned) {
        return TWindowCase{own(owned, new TChangeLQZTWindow()), nullptr};
    }) << 14210;
    QTest::newRow("candidate details") << TWindowMaker([own](TWindowsRig &rig, auto &owned) {
        return TWindowCase{own(owned, new TDNForm(rig.F.Dm(), rig.Net, rig.Animation)), nullptr};
    }) << 11320;
    QTest::newRow("statistics") << TWindowMaker([own](TWindowsRig &rig, auto &owned) {
        return TWindowCase{own(owned, new TStatForm(rig.F.Dm(), rig.Progress, rig.Messages)), nullptr};
    }) << 11360;
    QTest::newRow("print layout") << TWindowMaker([own](TWindowsRig &rig, auto &owned) {
        return TWindowCase{own(owned, new TPrintAdjustForm(rig.F.Dm(), rig.Messages)), nullptr};
    }) << 11140;
    QTest::newRow("export") << TWindowMaker([own](TWindowsRig &rig, auto &owned) {
        return TWindowCase{own(owned, new TDumpToFileForm(rig.F.Dm())), nullptr};
    }) << 11120;
    QTest::newRow("options") << TWindowMaker([own](TWindowsRig &rig, auto &owned) {
        return TWindowCase{own(owned, new TMemberOptionsForm(rig.F.Dm(), rig.Net)), nullptr};
    }) << 14310;
    QTest::newRow("code table page") << TWindowMaker([own](TWindowsRig &, auto &owned) {
        return TWindowCase{own(owned, new TCodeTableForm(nullptr)), nullptr};
    }) << 11390;
    QTest::newRow("about") << TWindowMaker([own](TWindowsRig &, auto &owned) {
        return TWindowCase{own(owned, new TAboutForm()), nullptr};
    }) << 11410;
}

void TestWindowHelpTopics::f1ShowsTheWindowsTopic()
{
    QFETCH(TWindowMaker, make);
    QFETCH(int, topic);
    TWindowsRig rig;
    std::vector<std::unique_ptr<QWidget>> owned;
    const TWindowCase c = make(rig, owned);
    QWidget *window = c.Window;
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QWidget *focus = c.Focus ? c.Focus : window;
    focus->setFocus();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, Qt::Key_F1);
    QTextBrowser *browser = HelpBrowser();
    QVERIFY(browser && browser->window()->isVisible());
    QCOMPARE(browser->source().fragment(), u"t%1"_s.arg(topic));
    browser->window()->close();
    window->close();
}

QTEST_MAIN(TestWindowHelpTopics)
#include "tst_WindowHelpTopics.moc"
