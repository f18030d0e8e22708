// The member client's start: from the start of a client process to its main window
// showing the set opened last (20,000 candidates) after an offline login through the
// login dialog, next to the workspace's opening of the same set alone in this process.
// Prints both times and their ratio (the median of the rounds, by the wall clock and by
// processor time, which the other programs of a loaded machine do not stretch) against
// the goal; fails on nothing.
//
// usage: bench_gui_login_startup [candidates of the set]
// (the program runs itself as the client with the argument --client)

#include "exchange/MemberNetDM.h"
#include "exchange/MemberSession.h"
#include "gui/login/LoginForm.h"
#include "gui/login/MemberMainForm.h"
#include "gui/login/MemberStartDM.h"
#include "gui/login/ProgramEntry.h"
#include "leader/DemoGenerator.h"
#include "leader/LeaderServer.h"
#include "link/MemberBgTaskThread.h"
#include "store/Adtg.h"
#include "store/SqlConnection.h"
#include "store/StorageFolder.h"
#include "store/UiSinks.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <ctime>

using namespace Qt::StringLiterals;

namespace {

// Processor time of this process in ms (the client's counts from its exec).
qint64 ProcessCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

qint64 Median(QList<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

const QString kSSDM = u"11"_s;
const QString kUser = u"zy01"_s;
const QString kPassword = u"pw01"_s;

class TQuietSink : public IMessageSink, public IAnimationSink
{
public:
    TMsgResult ShowMessage(const QString &text, const QString &caption, TMsgIcon, TMsgButtons) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
        return TMsgResult::Ok;
    }
    void ShowAnim(const QString &, const QString &) override {}
    void StopAnim() override {}
};

// The client: the program entry's steps with an offline login typed into the dialog.
int RunClient(int &argc, char **argv)
{
    QApplication app(argc, argv);
    InitProgramValues();
    ZKMainDef().SetProgramFolder(RunningProgramFolder() + u"../bin/"_s); // the build's program folder
    TQuietSink sink;
    TMainDM dm;
    TMemberNetDM net(dm);
    TMemberMainForm window(dm, net, false); // the program's main window, without the splash
    dm.SetMessageSink(&sink);
    TMemberStartDM start(TMemberModules{dm, net, window, sink, sink});
    start.TerminateProc = [] {};
    start.ExecuteLogin = [](TLoginForm &form, TGKLQState &state) {
        if (!form.PrepareExecute())
            return false;
        form.show();
        form.SSLabelClick(form.findChild<QLabel *>(u"SSLabel"_s + kSSDM));
        form.UserNameEdit->setText(kUser);
        form.PasswordEdit->setText(kPassword);
        form.NotOnLineBtn->click();
        state = form.GKLQEnabled_;
        return form.result() == QDialog::Accepted;
    };
    start.DataModuleCreate();
    QCoreApplication::processEvents(); // the window painted with its set
    const bool shown = !start.Terminated() && ZKMainDef().IsTDDOpen && window.isVisible();
    QTextStream(stdout) << (shown ? "shown " : "failed ") << dm.CurrentKSList.size() << ' ' << ProcessCpuMs()
                        << Qt::endl;
    return shown ? 0 : 1;
}

// The user's data: the demo province downloaded and imported by a member's session, the
// biggest set opened so that it is the one remembered.
bool PrepareUserData(const QString &root, int setCandidates)
{
    TDemoOptions demo;
    demo.Root = root;
    demo.Provinces = {{kSSDM, false}};
    demo.Candidates = setCandidates * 2; // the biggest set gets half of them
    demo.Members = 1;
    demo.Rounds = 1;
    demo.Images = false;
    GenerateDemo(demo);
    TLeaderOptions options;
    options.Root = root;
    options.LoopbackOnly = true;
    TLeaderServer server(options);
    if (!server.Start())
        return false;
    TQuietSink sink;
    TMainDM dm;
    TMemberNetDM net(dm);
    dm.SetMessageSink(&sink);
    net.SetMessageSink(&sink);
    TMemberSession session(dm, net, sink);
    TSessionOptions login;
    login.StorageFolder = StorageFolderFor();
    login.SSDM = kSSDM;
    login.UserName = kUser;
    login.Password = kPassword;
    login.Host = u"127.0.0.1"_s;
    login.Port = server.Port();
    bool setUp = false;
    if (!session.PrepareLogin(login) || session.Connect() != 0 || !session.ReadSetUpState(setUp) ||
        !session.FirstSetUp() || !session.EnterWorkspace() || !session.DownloadDossiers())
        return false;
    TSetState biggest;
    for (const TSetState &set : session.ReadSetStates())
        if (set.Dossiers > biggest.Dossiers)
            biggest = set;
    std::printf("set %s_%s_%s: %d candidates\n", qPrintable(biggest.PCDM.trimmed()),
                qPrintable(biggest.KLDM.trimmed()), qPrintable(biggest.JHXZ.trimmed()), biggest.Dossiers);
    const bool opened = session.OpenSet(biggest.PCDM, biggest.KLDM, biggest.JHXZ);
    dm.CloseTDD();
    session.End();
    dm.UnivConn.Close();
    server.Stop();
    return opened;
}

// The workspace alone: code tables read and the remembered set opened; its processor
// time goes to cpuMs.
qint64 OpenWorkspaceAlone(qint64 &cpuMs)
{
    TQuietSink sink;
    TMainDM dm;
    dm.SetMessageSink(&sink);
    TZKMainDef &def = ZKMainDef();
    const TLoginInfo &login = def.LoginInfo; // the user the data was prepared for
    dm.UnivConn.SetConnectionString(JetConnectionPrefix + login.UserFolder + UnivDatabaseFileName);
    dm.UnivShareConn.SetConnectionString(JetConnectionPrefix + login.UserFolder + UnivShareDatabaseFileName);
    dm.CommonConn.SetConnectionString(JetConnectionPrefix + login.StorageFolder + CommonDatabaseFileName);
    def.IsTDDOpen = false;
    QElapsedTimer timer;
    timer.start();
    const qint64 cpu = ProcessCpuMs();
    dm.UnivConn.Open();
    if (dm.ReadDMTable() != 0)
        return -1;
    dm.ChangeCurrTDDPc(QString());
    const qint64 ms = timer.elapsed();
    cpuMs = ProcessCpuMs() - cpu;
    const bool open = def.IsTDDOpen;
    dm.CloseTDD();
    dm.UnivConn.Close();
    return open ? ms : -1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--client") == 0)
        return RunClient(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int setCandidates = argc > 1 ? std::max(100, std::atoi(argv[1])) : 20000;
    QTemporaryDir home;
    // The client's storage folder lies in the documents folder: a home of the benchmark's own.
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + u"/.config"_s));
    // Locks of its own, so that a client running on this machine does not count as ours.
    QDir().mkpath(home.path() + u"/runtime"_s);
    QFile::setPermissions(home.path() + u"/runtime"_s,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path() + u"/runtime"_s));
    ZKMainDef().SetProgramFolder(RunningProgramFolder() + u"../bin/"_s);
    InitMemberBgTaskThreadUnit();
    EstablishStorageFolder();

    QElapsedTimer prepare;
    prepare.start();
    if (!PrepareUserData(home.path() + u"/leader/"_s, setCandidates)) {
        std::fprintf(stderr, "bench_gui_login_startup: the user's data could not be prepared\n");
        return 1;
    }
    std::printf("prepared the user's data in %.1f s (not measured)\n", prepare.elapsed() / 1000.0);

    // Each side five times; the medians count (the machine is shared).
    QList<qint64> starts, alones, startCpus, aloneCpus;
    for (int round = 0; round < 5; ++round) {
        QProcess client;
        client.setProgram(QCoreApplication::applicationFilePath());
        client.setArguments({u"--client"_s});
        client.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer timer;
        timer.start();
        client.start();
        QByteArray line;
        while (!line.contains('\n') && client.waitForReadyRead(600000))
            line += client.readAllStandardOutput();
        const qint64 startMs = timer.elapsed();
        client.waitForFinished(600000);
        const QList<QByteArray> words = line.trimmed().split(' ');
        if (words.value(0) != "shown" || words.size() < 3) {
            std::fprintf(stderr, "bench_gui_login_startup: the client did not show the set: %s\n",
                         line.constData());
            return 1;
        }
        qint64 aloneCpu = 0;
        const qint64 aloneMs = OpenWorkspaceAlone(aloneCpu);
        if (aloneMs < 0) {
            std::fprintf(stderr, "bench_gui_login_startup: the workspace did not open the set\n");
            return 1;
        }
        const qint64 startCpu = words[2].toLongLong();
        std::printf("round %d: client start to the set shown %lld ms (processor %lld ms, %s candidates); "
                    "workspace open alone %lld ms (processor %lld ms)\n",
                    round + 1, qint64(startMs), startCpu, words[1].constData(), qint64(aloneMs), aloneCpu);
        starts.append(startMs);
        alones.append(aloneMs);
        startCpus.append(startCpu);
        aloneCpus.append(aloneCpu);
    }
    const qint64 start = Median(starts), alone = Median(alones);
    const qint64 startCpu = Median(startCpus), aloneCpu = Median(aloneCpus);
    std::printf("start-up with offline login: %lld ms; workspace open alone: %lld ms; ratio %.2f "
                "(median of rounds; goal: at most 1.5)\n",
                start, alone, double(start) / double(std::max<qint64>(1, alone)));
    std::printf("by processor time: start-up %lld ms; workspace open alone %lld ms; ratio %.2f\n", startCpu,
                aloneCpu, double(startCpu) / double(std::max<qint64>(1, aloneCpu)));
    return 0;
}
