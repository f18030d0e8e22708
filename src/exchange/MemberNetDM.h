#pragma once

// MemberNetDMUnit: the data exchange with the leader's server. Imports of the code and
// plan libraries, the dossier download chain and the package import, the result upload,
// the all-wishes and image tasks of the task thread, and the automatic query timer.

#include "link/MemberBgTaskThread.h"
#include "store/Recordset.h"
#include "store/UiSinks.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVariantList>
#include <functional>
#include <memory>

class TMainDM;
class TSqlConnection;
class TRecordsetReadAhead;

// The login dialog's password check before results are sent: asks for the password
// (its own prompt), compares it with LoginInfo.Password and shows its own message for a
// wrong one. True when the password was confirmed.
class IPasswordCheck
{
public:
    virtual ~IPasswordCheck() = default;
    virtual bool CheckPassWord() = 0;
};

// A password check without a prompt, for programs without windows: the password given
// at construction is compared with LoginInfo.Password, and a wrong one is reported as
// the login dialog reports it.
class TGivenPasswordCheck : public IPasswordCheck
{
public:
    TGivenPasswordCheck(QString password, IMessageSink &sink)
        : FPassword(std::move(password))
        , FSink(sink)
    {}
    bool CheckPassWord() override;

private:
    QString FPassword;
    IMessageSink &FSink;
};

// What one dossier request of a run came to.
struct TTDDRequestResult
{
    QString PCDM, KLDM, JHXZ;
    int Code = 0;   // the download's result code (0: a package arrived)
    int Import = 0; // ImportTDD: 0 imported, 1 nothing to import, 2 failed
};

// The data-exchange module. Everything but the two tasks runs on the interface thread;
// windows are reached through the sinks and the password check; the connections are
// those of the workspace (UnivConn, UnivShareConn). The operations report their own
// failures (messages with the texts and captions of the exchange) and return result
// codes; only SetQueryTimer passes an error on to its caller.
class TMemberNetDM
{
public:
    explicit TMemberNetDM(TMainDM &mainDM);
    ~TMemberNetDM();
    TMemberNetDM(const TMemberNetDM &) = delete;
    TMemberNetDM &operator=(const TMemberNetDM &) = delete;

    // --- windows (null restores the harmless default) ---
    void SetMessageSink(IMessageSink *sink);
    void SetProgressSink(IProgressSink *sink);
    void SetAnimationSink(IAnimationSink *sink);
    void SetPasswordCheck(IPasswordCheck *check);

    // The task thread the link work runs on: installs DoGetQBZY and DoGetPhoto as its
    // handler tasks and the full dossier query as its pending request. Null detaches
    // (so does the destructor); a thread that ends first is simply forgotten.
    void SetTaskThread(TMemberBgTaskThread *thread);
    TMemberBgTaskThread *TaskThread() const { return FThread; }

    // --- libraries (0 done, 1 the download did not succeed: nothing touched, 2 failed
    // and reported) ---
    int InitDMK(int R, const QString &FileName, bool IsFirst);
    int InitJHK(int R, const QString &FileName);
    // First set-up: creates T_TDD from the program's empty dossier recordset and
    // t_tddbh. 0 done, 1 failed (no message).
    int InitTDD();

    // --- dossier query ---
    // The full query: the leader's current batch, then DownLoadAllTDD(LeaderPCDM). Does
    // nothing offline; marks the query pending while the link is busy or the progress
    // window shows.
    void DownLoadAllTDD();
    // Libraries, then the dossier packages of batch APcDm (every set when empty). Only
    // when connected and idle.
    void DownLoadAllTDD(const QString &APcDm);
    // Imports a downloaded dossier package of a set: 0 imported, 1 nothing to import
    // (code not 0), 2 failed (no message; the set is left as it was).
    int ImportTDD(const QString &PCDM, const QString &KLDM, const QString &JHXZ, int code,
                  const QString &fileName);

    // --- result upload of the open set ---
    // True when the upload task was started (its callback is UpLoadLQJGAck).
    bool UpLoadLQJG();
    void UpLoadLQJGAck(QVariantList &InParam, QVariantList &OutParam);

    // --- tasks of the task thread (run on the worker; installed by SetTaskThread) ---
    // [KSH] → [code]: fetches the candidate's all-wishes package and merges it into
    // T_QBZYK of the shared database through a connection of its own.
    static void DoGetQBZY(TMemberBgTaskThread &thread, QVariantList &InParam, QVariantList &OutParam);
    // [KSH, kind 0..3] → [code, image file]: the stored image, else fetched from the
    // server and stored as KSH + the extension of the server's file name.
    static void DoGetPhoto(TMemberBgTaskThread &thread, QVariantList &InParam, QVariantList &OutParam);

    // --- automatic query ---
    // Reads SJXZZQ of T_YXZT: on every SJXZZQ minutes when it is above 0, else off.
    // Throws EZKError when the state table cannot be read (the timer is left as it was).
    void SetQueryTimer();
    void QueryTimerTimer();

    // The failed connect of the login dialog: "连接失败，请重新登录。错误码：%d".
    void ShowLoginErrorMsg(int LoginRes);

    // --- state of the module ---
    QTimer QueryTimer;        // designed off with 600,000 ms
    TRecordset KLJHXZZTQuery; // the state rows of one dossier run
    TRecordset SrcTable;      // the package member being loaded
    bool DMKChanged = false;  // this run downloaded a code or plan library
    bool CurrentTDDChanged = false;
    QString PcToDownLoad;

    // What the last dossier run did, and whether its libraries imported (0, 1 or 2 as
    // InitDMK and InitJHK answered). Reset when a run starts.
    QList<TTDDRequestResult> LastRunResults;
    int LastRunDMKResult = 1;
    int LastRunJHKResult = 1;

    // Observers for programs without windows and tests: called at the end of every
    // dossier run (after DownLoadAllTDDDone) and of every upload (with its code).
    std::function<void()> OnDownLoadAllTDDDone;
    std::function<void(int code)> OnUpLoadDone;

private:
    void QueryDQPCDone(QVariantList &InParam, QVariantList &OutParam);
    void GetDMKJHKDone(QVariantList &InParam, QVariantList &OutParam);
    bool RequestNextTDD();
    void RequestTDDDone(QVariantList &InParam, QVariantList &OutParam);
    void DownLoadAllTDDDone();
    void StoreLeaderPCDM(const QString &PCDM);

    void InitDMKSteps(bool IsFirst, const QString &folder);
    void LoadSharedMembers(bool IsFirst, const QString &folder);
    void LoadMainMembers(const QString &folder);
    void InitJHKSteps(int &step, const QString &folder);
    void ImportTDDSteps(const QString &PCDM, const QString &KLDM, const QString &JHXZ, const QString &folder,
                        TRecordsetReadAhead &files);
    void RebuildTDD();
    bool TDDStructureDiffers(const QString &folder, TRecordsetReadAhead &files);
    void LoadCompanion(const QString &member, const QString &table, const QString &keys, const QString &text,
                       int base, int ratio, const QString &folder, TRecordsetReadAhead &files);
    void MakeResultPackage(const QString &folder, int &packageNumber, QString &packageFile);
    // Loads a member file of the folder into a table, replacing its rows.
    void LoadMember(const QString &folder, const QString &member, TSqlConnection &conn, const QString &table,
                    const QString &keys);
    bool StartTask(void (TMemberBgTaskThread::*task)(QVariantList &, QVariantList &), const QVariantList &in,
                   void (TMemberNetDM::*callBack)(QVariantList &, QVariantList &));

    TMainDM &FMainDM;
    QPointer<TMemberBgTaskThread> FThread; // empty again once the thread is gone
    IMessageSink *FMessageSink;
    IProgressSink *FProgressSink;
    IAnimationSink *FAnimationSink;
    IPasswordCheck *FPasswordCheck;
    std::unique_ptr<IMessageSink> FDefaultMessageSink;
    std::unique_ptr<IProgressSink> FDefaultProgressSink;
    std::unique_ptr<IAnimationSink> FDefaultAnimationSink;
    std::unique_ptr<IPasswordCheck> FDefaultPasswordCheck;
};
