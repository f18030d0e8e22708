#pragma once

// An end-to-end rig for the data exchange: a generated demo province served by the
// leader's server stand-in on loopback, a storage folder in a temporary folder, and the
// member's workspace, exchange module and session with recording windows.

#include "exchange/MemberNetDM.h"
#include "exchange/MemberSession.h"
#include "leader/DemoGenerator.h"
#include "leader/LeaderServer.h"
#include "store/Recordset.h"
#include "store/UiSinks.h"
#include "workspace/MainDM.h"

#include <QTemporaryDir>
#include <functional>
#include <memory>

struct TMessageRec
{
    QString Text;
    QString Caption;
    TMsgIcon Icon = TMsgIcon::Information;
};

class TRecordingMessageSink : public IMessageSink
{
public:
    TMsgResult ShowMessage(const QString &text, const QString &caption, TMsgIcon icon, TMsgButtons) override
    {
        Messages.append({text, caption, icon});
        return TMsgResult::Ok;
    }
    QList<TMessageRec> Messages;
};

// One call of the progress window: "show" with its values, "step" or "hide".
struct TProgressCall
{
    QString Kind;
    QString Caption, Text;
    int Base = 0, Ratio = 0, Steps = 0;
};

class TRecordingProgressSink : public IProgressSink
{
public:
    void ShowProgress(const QString &caption, const QString &text, int base, int ratio, int steps) override
    {
        Calls.append({QStringLiteral("show"), caption, text, base, ratio, steps});
        Showing = true;
    }
    void UpdateProgressTrans() override { Calls.append({QStringLiteral("step"), {}, {}, 0, 0, 0}); }
    void HideProgress() override
    {
        Calls.append({QStringLiteral("hide"), {}, {}, 0, 0, 0});
        Showing = false;
    }
    bool IsProgressShowing() const override { return Showing || ForceShowing; }

    QList<TProgressCall> Calls;
    bool Showing = false;
    bool ForceShowing = false; // another operation's progress window is up
};

class TRecordingAnimationSink : public IAnimationSink
{
public:
    void ShowAnim(const QString &title, const QString &text) override
    {
        Shown.append({title, text});
        if (OnShow)
            OnShow(title);
    }
    void StopAnim() override { ++Stops; }

    QList<std::pair<QString, QString>> Shown;
    int Stops = 0;
    std::function<void(const QString &title)> OnShow;
};

class TExchangeFixture
{
public:
    static inline const QString User = QStringLiteral("zy01");
    static inline const QString Password = QStringLiteral("pw01");

    // Generates the demo province (small, numeric scores, one member unless demo says
    // otherwise) and starts the stand-in on it.
    TExchangeFixture();
    explicit TExchangeFixture(const TDemoOptions &demo);
    ~TExchangeFixture();

    // Province 11 (numeric scores), or 32 in graded-score mode.
    static TDemoOptions SmallDemo(bool images = false, bool graded = false);

    const QString SSDM;
    TLeaderServer &Server() { return *FServer; }
    QString LeaderRoot() const { return FDir.path() + QStringLiteral("/leader/"); }
    QString LeaderUser() const { return LeaderRoot() + SSDM + u'/' + User + u'/'; }
    QString Storage() const { return FDir.path() + QStringLiteral("/storage/"); }
    QString Temp(const QString &name) const { return FDir.path() + QStringLiteral("/scratch/") + name; }
    TSessionOptions Options() const;

    // Login, first set-up when needed and the code tables: what start-up does.
    bool SetUp();
    // The leader's dossier package number n of a set folder ("2_5_1").
    QString Package(const QString &set, int n) const;
    // Writes the leader's package `to` of a set from package `from`, changed by
    // `change` (which works on the unpacked folder), with the package number `to`.
    void DerivePackage(const QString &set, int from, int to,
                       const std::function<void(const QString &folder)> &change = {});

    // Reading the local databases.
    QList<QVariantList> Rows(TSqlConnection &conn, const QString &sql);
    QVariant Value(TSqlConnection &conn, const QString &sql);
    QStringList Columns(TSqlConnection &conn, const QString &table);

    TRecordingMessageSink Messages;
    TRecordingProgressSink Progress;
    TRecordingAnimationSink Animation;
    TMainDM DM;
    TMemberNetDM Net;
    TMemberSession Session;

private:
    QTemporaryDir FDir;
    std::unique_ptr<TLeaderServer> FServer;
};

// Loads, changes and saves a recordset file.
void ChangeRecordsetFile(const QString &file, const std::function<TRecordset(TRecordset)> &change);
// The recordset with one more column (nullable WSTR of size 10), filled by value(row).
TRecordset WithExtraColumn(const TRecordset &set, const QString &name,
                           const std::function<QString(int row)> &value);
// Runs the event loop until done() or a generous limit; false at the limit.
bool WaitUntil(const std::function<bool()> &done);

class TMemberBgTaskThread;
using TBgTask = void (TMemberBgTaskThread::*)(QVariantList &, QVariantList &);
// Runs task on the member's task thread with in and waits for its results; a task the
// thread does not take, or one that does not come back, ends the test program.
QVariantList RunBgTask(TBgTask task, const QVariantList &in);
