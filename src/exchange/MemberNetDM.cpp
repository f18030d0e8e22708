#include "exchange/MemberNetDM.h"

#include "exchange/ExchangeSupport.h"
#include "link/MemberBgTaskThread.h"
#include "link/MemberTransaction.h"
#include "store/NamedLock.h"
#include "store/SqlQuery.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QDebug>
#include <algorithm>
#include <climits>

using namespace Qt::StringLiterals;

namespace {

constexpr int kDesignedQueryInterval = 600000; // ms: 10 minutes
constexpr int kMsPerMinute = 60000;

// Without a window the messages go to the program's error output, never nowhere.
class TStderrMessageSink : public IMessageSink
{
public:
    TMsgResult ShowMessage(const QString &text, const QString &caption, TMsgIcon, TMsgButtons) override
    {
        qWarning().noquote() << caption + u": "_s + text;
        return TMsgResult::Ok;
    }
};

// Without a window: only whether a progress stage is open is kept.
class TSilentProgressSink : public IProgressSink
{
public:
    void ShowProgress(const QString &, const QString &, int, int, int) override { FShowing = true; }
    void UpdateProgressTrans() override {}
    void HideProgress() override { FShowing = false; }
    bool IsProgressShowing() const override { return FShowing; }

private:
    bool FShowing = false;
};

class TSilentAnimationSink : public IAnimationSink
{
public:
    void ShowAnim(const QString &, const QString &) override {}
    void StopAnim() override {}
};

// Without a login dialog nobody can confirm the password: nothing is sent.
class TNoPasswordCheck : public IPasswordCheck
{
public:
    bool CheckPassWord() override { return false; }
};

} // namespace

bool TGivenPasswordCheck::CheckPassWord()
{
    if (FPassword == ZKMainDef().LoginInfo.Password)
        return true;
    FSink.ShowMessage(u"您未能输入正确的口令，\r\n因此不能发送。"_s, u"验证用户身份"_s, TMsgIcon::Error);
    return false;
}

TMemberNetDM::TMemberNetDM(TMainDM &mainDM)
    : FMainDM(mainDM)
    , FDefaultMessageSink(std::make_unique<TStderrMessageSink>())
    , FDefaultProgressSink(std::make_unique<TSilentProgressSink>())
    , FDefaultAnimationSink(std::make_unique<TSilentAnimationSink>())
    , FDefaultPasswordCheck(std::make_unique<TNoPasswordCheck>())
{
    FMessageSink = FDefaultMessageSink.get();
    FProgressSink = FDefaultProgressSink.get();
    FAnimationSink = FDefaultAnimationSink.get();
    FPasswordCheck = FDefaultPasswordCheck.get();
    QueryTimer.setInterval(kDesignedQueryInterval);
    QObject::connect(&QueryTimer, &QTimer::timeout, &QueryTimer, [this] { QueryTimerTimer(); });
}

TMemberNetDM::~TMemberNetDM()
{
    SetTaskThread(nullptr);
}

void TMemberNetDM::SetMessageSink(IMessageSink *sink)
{
    FMessageSink = sink ? sink : FDefaultMessageSink.get();
}

void TMemberNetDM::SetProgressSink(IProgressSink *sink)
{
    FProgressSink = sink ? sink : FDefaultProgressSink.get();
}

void TMemberNetDM::SetAnimationSink(IAnimationSink *sink)
{
    FAnimationSink = sink ? sink : FDefaultAnimationSink.get();
}

void TMemberNetDM::SetPasswordCheck(IPasswordCheck *check)
{
    FPasswordCheck = check ? check : FDefaultPasswordCheck.get();
}

void TMemberNetDM::SetTaskThread(TMemberBgTaskThread *thread)
{
    if (FThread) {
        FThread->GetQBZYHandler = nullptr;
        FThread->GetPhotoHandler = nullptr;
        FThread->PendingRequests.DownLoadAllTDD = nullptr;
    }
    FThread = thread;
    if (!FThread)
        return;
    FThread->GetQBZYHandler = &TMemberNetDM::DoGetQBZY;
    FThread->GetPhotoHandler = &TMemberNetDM::DoGetPhoto;
    FThread->PendingRequests.DownLoadAllTDD = [this] { DownLoadAllTDD(); };
}

bool TMemberNetDM::StartTask(void (TMemberBgTaskThread::*task)(QVariantList &, QVariantList &),
                             const QVariantList &in,
                             void (TMemberNetDM::*callBack)(QVariantList &, QVariantList &))
{
    TMemberBgTaskThread *thread = FThread;
    if (!thread)
        return false;
    return thread->ExecBgTask(
        BgTaskProc(thread, task), in,
        [this, callBack](QVariantList &i, QVariantList &o) { (this->*callBack)(i, o); });
}

void TMemberNetDM::SetQueryTimer()
{
    int p = 0;
    {
        TMainDM::ShareUse share(FMainDM);
        TSqlQuery ShareTable(&FMainDM.UnivShareConn);
        ShareTable.OpenTable(u"T_YXZT"_s);
        if (!ShareTable.Eof())
            p = ZKExchange::ResultCode(ShareTable.Value(u"SJXZZQ"_s), 0);
    }
    if (p > 0)
        QueryTimer.start(int(std::min<qint64>(qint64(p) * kMsPerMinute, INT_MAX))); // restarts the count
    else
        QueryTimer.stop();
}

void TMemberNetDM::QueryTimerTimer()
{
    DownLoadAllTDD();
}

void TMemberNetDM::ShowLoginErrorMsg(int LoginRes)
{
    ::ShowLoginErrorMsg(*FMessageSink, LoginRes);
}
