#include "link/BgTaskThread.h"

#include "store/ZKMainDef.h"

#include <QCoreApplication>
#include <QMutex>
#include <QSemaphore>
#include <QtTest>

#include <atomic>
#include <memory>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

constexpr int Patience = 30000; // ms; a generous limit for a loaded machine, not a timing

// A log written from both threads.
class TLog
{
public:
    void Add(const QString &line)
    {
        QMutexLocker lock(&FMutex);
        FLines.append(line);
    }
    QStringList Lines() const
    {
        QMutexLocker lock(&FMutex);
        return FLines;
    }

private:
    mutable QMutex FMutex;
    QStringList FLines;
};

class TTestThread : public TBgTaskThread
{
public:
    ~TTestThread() override { TerminateAndWait(); }

    void DoConnectToHost(QVariantList &, QVariantList &) override {}
    void DoDisconnect(QVariantList &, QVariantList &) override {}
    void DoGetPhoto(QVariantList &, QVariantList &) override {}
    void DoGetQBZY(QVariantList &, QVariantList &) override {}

    bool Terminating() const { return TerminationRequested(); }

    TLog Log;
    std::atomic<QThread *> StartThread{nullptr};
    std::atomic<QThread *> StopThread{nullptr};
    int AfterCallBackCount = 0;
    TBgPendingRequests Pending;

protected:
    void DoThreadStart() override
    {
        StartThread = QThread::currentThread();
        Log.Add(u"start"_s);
    }
    void DoThreadStop() override
    {
        StopThread = QThread::currentThread();
        Log.Add(u"stop"_s);
    }
    void DoAfterCallBack() override
    {
        ++AfterCallBackCount;
        Pending.RunOne(ZKMainDef());
    }
};

QString Text(const QVariantList &list)
{
    QStringList parts;
    for (const QVariant &v : list)
        parts.append(v.toString());
    return parts.join(u',');
}

} // namespace

class TestBgTaskThread : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void busyThreadRefusesSecondTask();
    void heldCallbackIsDeliveredByEndFgLongTask();
    void callbackMayStartNextTask();
    void failingTaskStillReachesItsCallback();
    void pendingRequestOrder_data();
    void pendingRequestOrder();
    void pendingRequestsRunOnePerDelivery();
    void shutdownWaitsForRunningTask();
    void shutdownWhileDeliveryIsPending();
};

void TestBgTaskThread::init()
{
    ZKMainDef().Reset();
}

void TestBgTaskThread::busyThreadRefusesSecondTask()
{
    TTestThread thread;
    thread.Start();
    QSemaphore started;
    QSemaphore proceed;
    std::atomic<QThread *> taskThread{nullptr};
    QThread *callBackThread = nullptr;
    QStringList callBacks;
    const bool first = thread.ExecBgTask(
        [&](QVariantList &in, QVariantList &out) {
            taskThread = QThread::currentThread();
            started.release();
            proceed.acquire();
            out = {in.at(0).toInt() * 2};
        },
        {21},
        [&](QVariantList &in, QVariantList &out) {
            callBackThread = QThread::currentThread();
            callBacks << u"first "_s + Text(in) + u" -> "_s + Text(out);
        });
    QVERIFY(first);
    QVERIFY(started.tryAcquire(1, Patience));
    QVERIFY(thread.IsBusy());

    std::atomic<bool> secondRan{false};
    QVERIFY(!thread.ExecBgTask([&](QVariantList &, QVariantList &) { secondRan = true; }, {1},
                               [&](QVariantList &, QVariantList &) { callBacks << u"second"_s; }));
    proceed.release();
    QTRY_COMPARE_WITH_TIMEOUT(callBacks, QStringList{u"first 21 -> 42"_s}, Patience);
    QVERIFY(!secondRan);
    QVERIFY(!thread.IsBusy());
    QCOMPARE(thread.AfterCallBackCount, 1);
    QCOMPARE(callBackThread, QThread::currentThread());
    QVERIFY(taskThread != QThread::currentThread());
    QCOMPARE(thread.StartThread.load(), taskThread.load());
}

void TestBgTaskThread::heldCallbackIsDeliveredByEndFgLongTask()
{
    TTestThread thread;
    thread.Start();
    QStringList callBacks;
    thread.BeginFgLongTask();
    QVERIFY(thread.ExecBgTask([](QVariantList &, QVariantList &out) { out = {u"done"_s}; },
                              {u"input"_s, 7},
                              [&](QVariantList &in, QVariantList &out) { callBacks << Text(in) + u" "_s + Text(out); }));

    // The delivery runs while the foreground task pumps events, but holds the callback.
    QTRY_VERIFY_WITH_TIMEOUT(thread.IsCallBackDelayed(), Patience);
    QVERIFY(callBacks.isEmpty());
    QCOMPARE(thread.AfterCallBackCount, 0);
    QVERIFY(thread.IsBusy());
    QVERIFY(!thread.ExecBgTask([](QVariantList &, QVariantList &) {}, {}, nullptr));

    thread.EndFgLongTask();
    QCOMPARE(callBacks, QStringList{u"input,7 done"_s});
    QCOMPARE(thread.AfterCallBackCount, 1);
    QVERIFY(!thread.IsBusy());
    thread.EndFgLongTask(); // nothing held any more: nothing delivered twice
    QCOMPARE(callBacks.size(), 1);
}

void TestBgTaskThread::callbackMayStartNextTask()
{
    TTestThread thread;
    thread.Start();
    TLog &log = thread.Log;
    bool accepted = false;
    const TBgTaskCallBackProc second = [&](QVariantList &in, QVariantList &out) {
        log.Add(u"callback 2 "_s + Text(in) + u" "_s + Text(out));
    };
    QVERIFY(thread.ExecBgTask([&](QVariantList &, QVariantList &out) { out = {1}; }, {u"a"_s},
                              [&](QVariantList &, QVariantList &) {
                                  log.Add(u"callback 1 begins"_s);
                                  accepted = thread.ExecBgTask(
                                      [&](QVariantList &in, QVariantList &out) {
                                          log.Add(u"task 2"_s);
                                          out = {QString(in.at(0).toString() + u"!"_s)};
                                      },
                                      {u"b"_s}, second);
                                  log.Add(u"callback 1 ends"_s);
                              }));
    QTRY_COMPARE_WITH_TIMEOUT(log.Lines().size(), 5, Patience);
    QVERIFY(accepted);
    // The worker waits for the whole delivery, so the next task starts after callback 1.
    QCOMPARE(log.Lines(), QStringList({u"start"_s, u"callback 1 begins"_s, u"callback 1 ends"_s, u"task 2"_s,
                                       u"callback 2 b b!"_s}));
}

void TestBgTaskThread::failingTaskStillReachesItsCallback()
{
    TTestThread thread;
    thread.Start();
    QStringList outputs;
    const TBgTaskCallBackProc record = [&](QVariantList &, QVariantList &out) { outputs << Text(out); };
    QVERIFY(thread.ExecBgTask([](QVariantList &, QVariantList &out) { out = {5}; }, {}, record));
    QTRY_COMPARE_WITH_TIMEOUT(outputs.size(), 1, Patience);
    QTest::ignoreMessage(QtCriticalMsg, "background task failed: link broke");
    QVERIFY(thread.ExecBgTask(
        [](QVariantList &, QVariantList &out) {
            out = {6};
            throw std::runtime_error("link broke");
        },
        {}, record));
    QTRY_COMPARE_WITH_TIMEOUT(outputs.size(), 2, Patience);
    // A task that writes no output does not pass on the previous task's output.
    QVERIFY(thread.ExecBgTask([](QVariantList &, QVariantList &) {}, {}, record));
    QTRY_COMPARE_WITH_TIMEOUT(outputs.size(), 3, Patience);
    QCOMPARE(outputs, QStringList({u"5"_s, QString(), QString()}));
}

void TestBgTaskThread::pendingRequestOrder_data()
{
    QTest::addColumn<bool>("netIdle");
    QTest::addColumn<QString>("pending"); // D: dossier query, P: detail page, Q: all wishes
    QTest::addColumn<bool>("dossierHandler");
    QTest::addColumn<QString>("expected");
    QTest::newRow("all pending") << true << u"DPQ"_s << true << u"dossiers"_s;
    QTest::newRow("page before wishes") << true << u"PQ"_s << true << u"page -1"_s;
    QTest::newRow("wishes alone") << true << u"Q"_s << true << u"wishes"_s;
    QTest::newRow("dossiers alone") << true << u"D"_s << true << u"dossiers"_s;
    QTest::newRow("nothing pending") << true << QString() << true << QString();
    QTest::newRow("link busy") << false << u"DPQ"_s << true << QString();
    QTest::newRow("no dossier operation") << true << u"DQ"_s << false << u"wishes"_s;
}

void TestBgTaskThread::pendingRequestOrder()
{
    QFETCH(bool, netIdle);
    QFETCH(QString, pending);
    QFETCH(bool, dossierHandler);
    QFETCH(QString, expected);
    TZKMainDef values;
    values.IsNetIdle = netIdle;
    values.PendingDownLoadAllTDD = pending.contains(u'D');
    values.PendingLoadDNPage = pending.contains(u'P');
    values.PendingLoadQBZY = pending.contains(u'Q');
    QStringList started;
    TBgPendingRequests requests;
    if (dossierHandler)
        requests.DownLoadAllTDD = [&] { started << u"dossiers"_s; };
    requests.LoadDNPage = [&](int page) { started << u"page "_s + QString::number(page); };
    requests.LoadQBZY = [&] { started << u"wishes"_s; };

    requests.RunOne(values);
    QCOMPARE(started, expected.isEmpty() ? QStringList() : QStringList{expected});
}

void TestBgTaskThread::pendingRequestsRunOnePerDelivery()
{
    TTestThread thread;
    thread.Start();
    TZKMainDef &values = ZKMainDef();
    QStringList started;
    const TBgTaskExecProc nothing = [](QVariantList &, QVariantList &) {};
    thread.Pending.DownLoadAllTDD = [&] {
        values.PendingDownLoadAllTDD = false;
        // Started from the delivery: the thread must accept it.
        started << (thread.ExecBgTask(nothing, {}, nullptr) ? u"dossiers"_s : u"dossiers refused"_s);
    };
    thread.Pending.LoadQBZY = [&] {
        values.PendingLoadQBZY = false;
        started << u"wishes"_s;
    };
    values.PendingDownLoadAllTDD = true;
    values.PendingLoadQBZY = true;

    QVERIFY(thread.ExecBgTask(nothing, {}, [&](QVariantList &, QVariantList &) { started << u"callback"_s; }));
    // The callback, then the dossier query (a task without a callback), and after that
    // task's delivery the all-wishes download.
    QTRY_COMPARE_WITH_TIMEOUT(started, QStringList({u"callback"_s, u"dossiers"_s, u"wishes"_s}), Patience);
    QCOMPARE(thread.AfterCallBackCount, 2);
}

void TestBgTaskThread::shutdownWaitsForRunningTask()
{
    auto thread = std::make_unique<TTestThread>();
    thread->Start();
    QSemaphore started;
    bool callBackRan = false;
    TTestThread *t = thread.get();
    QVERIFY(t->ExecBgTask(
        [t, &started](QVariantList &, QVariantList &) {
            t->Log.Add(u"download begins"_s);
            started.release();
            while (!t->Terminating())
                QThread::msleep(1);
            t->Log.Add(u"download returns"_s);
        },
        {}, [&](QVariantList &, QVariantList &) { callBackRan = true; }));
    QVERIFY(started.tryAcquire(1, Patience));

    t->TerminateAndWait();
    QVERIFY(t->isFinished());
    QCOMPARE(t->Log.Lines(),
             QStringList({u"start"_s, u"download begins"_s, u"download returns"_s, u"stop"_s}));
    QVERIFY(t->StopThread.load() != QThread::currentThread());
    QCoreApplication::processEvents();
    QVERIFY(!callBackRan);
    QVERIFY(!t->ExecBgTask([](QVariantList &, QVariantList &) {}, {}, nullptr));
    thread.reset();
}

// The worker hands results over synchronously, and the interface thread runs no
// delivery while it waits for the worker to end: this must not hang, whichever of the
// two gets there first, and the result of the ended run is dropped.
void TestBgTaskThread::shutdownWhileDeliveryIsPending()
{
    for (int round = 0; round < 20; ++round) {
        auto thread = std::make_unique<TTestThread>();
        thread->Start();
        QSemaphore returning;
        bool callBackRan = false;
        QVERIFY(thread->ExecBgTask([&](QVariantList &, QVariantList &) { returning.release(); }, {},
                                   [&](QVariantList &, QVariantList &) { callBackRan = true; }));
        QVERIFY(returning.tryAcquire(1, Patience));
        thread->TerminateAndWait();
        QCoreApplication::processEvents();
        QVERIFY(!callBackRan);
        thread.reset();
        QCoreApplication::processEvents();
    }
}

QTEST_GUILESS_MAIN(TestBgTaskThread)
#include "tst_BgTaskThread.moc"
