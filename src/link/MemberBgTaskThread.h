#pragma once

// MemberBgTaskThreadUnit: the member edition's task thread. It owns the link context and
// runs the link tasks; their results go to callbacks on the interface thread.

#include "link/BgTaskThread.h"
#include "link/ZKALinkCtxt.h"

#include <functional>
#include <memory>

class TMemberBgTaskThread;

// A task whose work another layer provides (the all-wishes and photo downloads of the
// data exchange). It runs on the worker and may use the thread's LinkCtxt.
using TMemberTaskHandler =
    std::function<void(TMemberBgTaskThread &thread, QVariantList &inParam, QVariantList &outParam)>;

// Tasks (inputs and outputs are arrays indexed from 0; files are full paths; names of
// downloaded files are built on the worker from LoginInfo.DownloadFolder and the time
// stamp "yyyymmddhhnnsszzz" taken when the name is built):
//
//   task            input                             output
//   DoConnectToHost [address, port, user, password]   [code]
//   DoDisconnect    ignored                           empty
//   DoGetDMKJHK     [force]                           [library code, file, plan code, file]
//   DoQueryDQPC     ignored                           [code, PCDM]
//   DoRequestTDD    [PCDM, KLDM, JHXZ, last number]   [code, file]
//   DoUpLoadResult  [PCDM, KLDM, JHXZ, number, file]  [code]
//   DoGetQBZY       [KSH]                             [code]             (GetQBZYHandler)
//   DoGetPhoto      [KSH, photo kind]                 [code, image file] (GetPhotoHandler)
//
// Without an open link the requests answer lrNotDone (-1) and empty file names; the two
// handler tasks answer lrProtocolError (11) while their handler is not set.
class TMemberBgTaskThread : public TBgTaskThread
{
public:
    TMemberBgTaskThread() = default;
    ~TMemberBgTaskThread() override;

    void DoConnectToHost(QVariantList &inParam, QVariantList &outParam) override;
    void DoDisconnect(QVariantList &inParam, QVariantList &outParam) override;
    void DoGetPhoto(QVariantList &inParam, QVariantList &outParam) override;
    void DoGetQBZY(QVariantList &inParam, QVariantList &outParam) override;

    void DoGetDMKJHK(QVariantList &inParam, QVariantList &outParam);
    void DoQueryDQPC(QVariantList &inParam, QVariantList &outParam);
    void DoRequestTDD(QVariantList &inParam, QVariantList &outParam);
    void DoUpLoadResult(QVariantList &inParam, QVariantList &outParam);

    // The link; empty when none exists. Used on the worker only (the tasks and handlers).
    std::unique_ptr<TZKALinkCtxt> LinkCtxt;

    // Set on the interface thread before the tasks that use them are started.
    TMemberTaskHandler GetQBZYHandler;
    TMemberTaskHandler GetPhotoHandler;
    // The operations that start requests left pending; after each delivery, while the
    // link is idle, one of them runs (in the order of TBgPendingRequests).
    TBgPendingRequests PendingRequests;
    // How the next DoConnectToHost reaches the server (tests shorten the read time-out).
    TLinkOptions LinkOptions;

    // The link is open and logged in: IsConnected and a link context exist.
    bool LinkOpen() const;

protected:
    void DoThreadStart() override;
    void DoThreadStop() override;
    void DoAfterCallBack() override;
    bool DoIdleWork() override { return false; }
};

// Fills the creation and end hooks of the program-wide definitions: the creation hook
// makes and starts the program's task thread (BgTaskThread), the end hook ends and frees
// it. Called once at program start, before the start-up sequence.
void InitMemberBgTaskThreadUnit();

// BgTaskThread as the member's thread; null before the creation hook ran.
TMemberBgTaskThread *MemberBgTaskThread();
