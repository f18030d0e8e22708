#include "link/BgTaskThread.h"

#include "store/ZKMainDef.h"

#include <QCoreApplication>
#include <QtDebug>

#include <exception>

TBgTaskThread *BgTaskThread = nullptr;

void TBgTaskEvent::Set()
{
    {
        std::lock_guard lock(FMutex);
        FSignalled = true;
    }
    FCondition.notify_one();
}

void TBgTaskEvent::Wait()
{
    std::unique_lock lock(FMutex);
    FCondition.wait(lock, [this] { return FSignalled; });
    FSignalled = false;
}

TBgTaskThreadBase::TBgTaskThreadBase() : FEvent(std::make_unique<TBgTaskEvent>(BgTaskEventName)) {}

TBgTaskThreadBase::~TBgTaskThreadBase()
{
    TerminateAndWait();
}

void TBgTaskThreadBase::Start()
{
    start();
}

bool TBgTaskThreadBase::IsBusy() const
{
    std::lock_guard lock(FMutex);
    return FExecProc || FCallBackDelayed;
}

bool TBgTaskThreadBase::TerminationRequested() const
{
    std::lock_guard lock(FMutex);
    return FTerminated;
}

bool TBgTaskThreadBase::ExecBgTask(TBgTaskExecProc execProc, const QVariantList &inParam,
                                   TBgTaskCallBackProc callBackProc)
{
    Q_ASSERT(QThread::currentThread() == FDeliverer.thread());
    if (!execProc)
        return false;
    {
        std::lock_guard lock(FMutex);
        if (FExecProc || FCallBackDelayed || FTerminated)
            return false;
        FCallBackProc = std::move(callBackProc);
        FInParam = inParam;
        FExecProc = std::move(execProc); // last: marks the task as queued
    }
    NotifyEvent();
    return true;
}

void TBgTaskThreadBase::BeginFgLongTask()
{
    FFgLongTaskIdle = false;
}

void TBgTaskThreadBase::EndFgLongTask()
{
    FFgLongTaskIdle = true;
    if (FCallBackDelayed) {
        FCallBackDelayed = false;
        RunCallBack();
    }
}

void TBgTaskThreadBase::NotifyEvent()
{
    if (FEvent)
        FEvent->Set();
}

void TBgTaskThreadBase::TerminateAndWait()
{
    Q_ASSERT(QThread::currentThread() != this);
    {
        std::lock_guard lock(FMutex);
        FTerminated = true;
    }
    FDeliveryCondition.notify_all();
    NotifyEvent();
    wait();
    // A delivery the worker posted and then gave up on must not run later.
    QCoreApplication::removePostedEvents(&FDeliverer);
}

void TBgTaskThreadBase::run()
{
    DoThreadStart();
    while (!TerminationRequested()) {
        TBgTaskExecProc execProc;
        {
            std::lock_guard lock(FMutex);
            execProc = FExecProc;
        }
        if (execProc) {
            RunTask(execProc);
            HandOverResult();
        } else if (!DoIdleWork()) {
            FEvent->Wait();
        }
    }
    DoThreadStop();
}

void TBgTaskThreadBase::RunTask(const TBgTaskExecProc &execProc)
{
    // The output starts empty, so a task that writes none never hands the previous task's
    // output to its callback.
    FOutParam.clear();
    try {
        execProc(FInParam, FOutParam);
    } catch (const std::exception &e) {
        // The tasks return codes; one that throws is delivered with an empty output so that
        // its callback still ends the work it began (IsNetIdle and the like).
        qCritical("background task failed: %s", e.what());
        FOutParam.clear();
    } catch (...) {
        qCritical("background task failed");
        FOutParam.clear();
    }
}

void TBgTaskThreadBase::HandOverResult()
{
    {
        std::lock_guard lock(FMutex);
        if (FTerminated)
            return;
        FDeliveryDone = false;
    }
    QMetaObject::invokeMethod(
        &FDeliverer,
        [this] {
            try {
                DeliverResult();
            } catch (const std::exception &e) {
                qCritical("background task callback failed: %s", e.what());
            } catch (...) {
                qCritical("background task callback failed");
            }
            {
                std::lock_guard lock(FMutex);
                FDeliveryDone = true;
            }
            FDeliveryCondition.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(FMutex);
    FDeliveryCondition.wait(lock, [this] { return FDeliveryDone || FTerminated; });
}

void TBgTaskThreadBase::DeliverResult()
{
    {
        std::lock_guard lock(FMutex);
        FExecProc = nullptr;
        FCallBackDelayed = !FFgLongTaskIdle;
    }
    if (FFgLongTaskIdle)
        RunCallBack();
}

void TBgTaskThreadBase::RunCallBack()
{
    if (FCallBackProc) {
        // Copies: the callback may start the next task, which replaces the fields (and
        // the callback object itself) while this one still runs.
        const TBgTaskCallBackProc callBack = FCallBackProc;
        QVariantList inParam = FInParam;
        QVariantList outParam = FOutParam;
        callBack(inParam, outParam);
    }
    DoAfterCallBack();
}

TBgPendingRequests::TRequest TBgPendingRequests::RunOne(const TZKMainDef &values) const
{
    if (!values.IsNetIdle)
        return TRequest::None;
    if (values.PendingDownLoadAllTDD && DownLoadAllTDD) {
        DownLoadAllTDD();
        return TRequest::DownLoadAllTDD;
    }
    if (values.PendingLoadDNPage && LoadDNPage) {
        LoadDNPage(-1);
        return TRequest::LoadDNPage;
    }
    if (values.PendingLoadQBZY && LoadQBZY) {
        LoadQBZY();
        return TRequest::LoadQBZY;
    }
    return TRequest::None;
}
