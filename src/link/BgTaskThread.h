#pragma once

// BgTaskThreadUnit: the worker thread that runs the link tasks one at a time and hands
// each result to the interface thread.

#include <QObject>
#include <QString>
#include <QThread>
#include <QVariantList>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class TZKMainDef;

// A task (run on the worker) and its callback (run on the interface thread), each with an
// input and an output array. The callback gets the task's input and output.
using TBgTaskExecProc = std::function<void(QVariantList &inParam, QVariantList &outParam)>;
using TBgTaskCallBackProc = std::function<void(QVariantList &inParam, QVariantList &outParam)>;

// Binds a method of an object as a task or callback procedure.
template<class T>
std::function<void(QVariantList &, QVariantList &)> BgTaskProc(T *object,
                                                               void (T::*method)(QVariantList &, QVariantList &))
{
    return [object, method](QVariantList &in, QVariantList &out) { (object->*method)(in, out); };
}

// The name of the worker's wake-up event. Nothing outside the process waits on it, so it
// is a condition variable here; the name stays for diagnostics.
inline const QString BgTaskEventName = QStringLiteral("ZKEVENT_BGTASK");

// An automatically resetting event: Set wakes the waiter, or the next Wait when nobody
// waits yet; a Wait that returns resets it.
class TBgTaskEvent
{
public:
    explicit TBgTaskEvent(QString name) : FName(std::move(name)) {}
    void Set();
    void Wait();
    const QString &Name() const { return FName; }

private:
    std::mutex FMutex;
    std::condition_variable FCondition;
    bool FSignalled = false;
    QString FName;
};

// The queue of one and the hand-over. The object belongs to the thread that creates it,
// the interface thread: ExecBgTask, the foreground long task brackets and
// TerminateAndWait are called there, and every delivery runs there through its event loop.
//
// Hand-over: after a task the worker posts DeliverResult to the interface thread (Qt's
// queued invocation) and waits until it has run, callback included; only then does it
// look for the next task. A callback may therefore start the next task at once.
//
// Shutdown: TerminateAndWait requests the end, wakes the worker and waits until it has
// ended, so a running task is always allowed to return. The interface thread does not run
// deliveries while it waits, so a worker waiting for its delivery would wait forever; the
// end request therefore also wakes that wait, the worker gives the delivery up, and the
// delivery still posted is removed. Results of a task that ends after the end request are
// dropped.
//
// Subclasses that override the hooks must call TerminateAndWait in their own destructor:
// by the time the base destructor runs, their part of the object is gone.
class TBgTaskThreadBase : public QThread
{
public:
    TBgTaskThreadBase();
    ~TBgTaskThreadBase() override;

    // Starts the worker. The object is built without a running worker so that the hooks
    // of a subclass exist before the worker calls them.
    void Start();

    // Queues a task with its input and callback (the callback may be empty). False, with
    // nothing queued, while a task is queued, runs or waits for its delivery, while a
    // result is held for a foreground long task, and after the end request.
    bool ExecBgTask(TBgTaskExecProc execProc, const QVariantList &inParam, TBgTaskCallBackProc callBackProc);

    // Bracket a long operation that the interface thread runs itself while pumping its
    // event loop: results that arrive meanwhile are held and delivered by EndFgLongTask,
    // so that no callback interleaves with the operation.
    void BeginFgLongTask();
    void EndFgLongTask();

    bool IsFgLongTaskIdle() const { return FFgLongTaskIdle; }
    bool IsCallBackDelayed() const { return FCallBackDelayed; }
    // A task is queued, runs, waits for its delivery, or its callback is held.
    bool IsBusy() const;

    // Wakes the worker.
    void NotifyEvent();

    // Requests the end, wakes the worker and waits until it has ended (after the running
    // task, if any, and DoThreadStop). Safe to call more than once.
    void TerminateAndWait();

    const TBgTaskEvent &Event() const { return *FEvent; }

protected:
    // Hooks. DoThreadStart and DoThreadStop run on the worker (first and last thing),
    // DoAfterCallBack on the interface thread after each callback (also a task without
    // one), DoIdleWork on the worker when no task is queued: true means "do not wait for
    // the event". The base versions do nothing and answer false.
    virtual void DoThreadStart() {}
    virtual void DoThreadStop() {}
    virtual void DoAfterCallBack() {}
    virtual bool DoIdleWork() { return false; }

    // For long tasks that want to stop early at the end of the run.
    bool TerminationRequested() const;

private:
    void run() final;
    void RunTask(const TBgTaskExecProc &execProc);
    void HandOverResult();
    void DeliverResult();
    void RunCallBack();

    std::unique_ptr<TBgTaskEvent> FEvent;
    TBgTaskExecProc FExecProc;          // set from queuing until the delivery begins (FMutex)
    TBgTaskCallBackProc FCallBackProc;  // interface thread only
    bool FFgLongTaskIdle = true;        // interface thread only
    bool FCallBackDelayed = false;      // interface thread only
    QVariantList FInParam;              // written when queuing (FMutex), read by the task
    QVariantList FOutParam;             // written by the task, read by the delivery

    mutable std::mutex FMutex;
    std::condition_variable FDeliveryCondition;
    bool FDeliveryDone = false;
    bool FTerminated = false;
    QObject FDeliverer; // lives in the interface thread; target of the queued deliveries
};

// The base that windows shared with other editions know: the four tasks they start
// through these slots without knowing the edition's subclass.
class TBgTaskThread : public TBgTaskThreadBase
{
public:
    virtual void DoConnectToHost(QVariantList &inParam, QVariantList &outParam) = 0;
    virtual void DoDisconnect(QVariantList &inParam, QVariantList &outParam) = 0;
    virtual void DoGetPhoto(QVariantList &inParam, QVariantList &outParam) = 0;
    virtual void DoGetQBZY(QVariantList &inParam, QVariantList &outParam) = 0;
};

// The program's one task thread, from start-up to shutdown (set by the edition's module).
extern TBgTaskThread *BgTaskThread;

// Link requests that came while the link was busy. After each delivery the edition's
// thread lets this start at most one of them, when the link is idle: the dossier query
// first, then the detail page download (page index -1), then the all-wishes download.
// Each operation clears its own pending flag when it starts; a request whose operation is
// not set here is passed over.
class TBgPendingRequests
{
public:
    enum class TRequest { None, DownLoadAllTDD, LoadDNPage, LoadQBZY };

    std::function<void()> DownLoadAllTDD;
    std::function<void(int pageIndex)> LoadDNPage;
    std::function<void()> LoadQBZY;

    // Reads IsNetIdle and the three Pending flags of values; the request started.
    TRequest RunOne(const TZKMainDef &values) const;
};
