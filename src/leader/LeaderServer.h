#pragma once

#include "leader/LeaderFolder.h"
#include "leader/LeaderHostile.h"
#include "leader/LeaderLog.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Faults the stand-in injects for reliability tests. A "...For" switch names the
// type of the client's message whose reply is spoiled (-1 = none): 2 keep-alive,
// 3 member state, 4/5 code library/plan, 6 current batch, 7 dossier package,
// 8 upload announcement, 9 upload data, 10 all-wishes, 11 image, 12 file data.
struct TLeaderFaults
{
    int RefuseLogin = 0;      // non-zero: every login is refused with this code
    int LoginReplyLen = 74;   // e.g. 73 or 75: a login reply of that length
    int DropAfterChunks = -1; // >= 0: close the connection after that many data chunks
    int DropTimes = -1;       // how many transfers are broken so (-1 = every one)
    int WrongTransIdFor = -1; // the reply carries another transaction id
    int WrongTypeFor = -1;    // the reply carries another message type
    int OverlongFor = -1;     // the reply announces 600 bytes (608 on the wire)
    int StallFor = -1;        // the message is never answered
    int RefuseUpload = 0;     // non-zero: every upload announcement is refused so
    TLeaderHostility Hostility; // a hostile leader (LeaderHostile.h)
};

struct TLeaderOptions
{
    QString Root;              // the data folder (LeaderFolder.h)
    uint16_t Port = 0;         // 0 = any free port (see Port())
    bool LoopbackOnly = false; // listen on 127.0.0.1 and ::1 only
    bool ListenIPv4 = true;
    bool ListenIPv6 = true; // skipped silently when the system has no IPv6
    QString LogFile;        // empty = no log
    // Fill reserved header bytes and undefined payload bytes with non-zero
    // values, so that a client that depends on them shows it.
    bool JunkUndefined = true;
    TLeaderFaults Faults;
};

// What the stand-in saw, for tests.
struct TLeaderStats
{
    int Connections = 0;
    int Logins = 0; // accepted logins
    int RefusedLogins = 0;
    int Violations = 0;               // protocol violations by clients (logged)
    int Uploads = 0;                  // result files stored
    QStringList KeyTexts;             // key texts handed out, in order
    std::vector<int32_t> DataOffsets; // offsets of the file data requests, in order
    QStringList StoredFiles;          // paths of the stored result files
};

class TLeaderSession;

// The leader's server stand-in: a multi-client TCP server on IPv4 and IPv6 that
// speaks the server side of the link protocol and serves a data folder. Each
// connection runs on its own thread; Start and Stop are called from one thread.
class TLeaderServer
{
public:
    explicit TLeaderServer(TLeaderOptions options);
    ~TLeaderServer();
    TLeaderServer(const TLeaderServer &) = delete;
    TLeaderServer &operator=(const TLeaderServer &) = delete;

    // Binds and starts listening; false with a reason when no socket could be bound.
    bool Start(QString *error = nullptr);
    // Closes the listeners and every connection and waits for their threads.
    void Stop();
    uint16_t Port() const { return FPort; }
    bool ListensIPv4() const { return FListen4 >= 0; }
    bool ListensIPv6() const { return FListen6 >= 0; }

    TLeaderFaults Faults() const;
    void SetFaults(const TLeaderFaults &faults);
    // Closes every open connection, as a broken network would.
    void DropConnections();
    TLeaderStats Stats() const;

    // Used by the sessions.
    const TLeaderOptions &Options() const { return FOptions; }
    const TLeaderFolder &Folder() const { return FFolder; }
    TLeaderLog &Log() { return FLog; }
    // The next key text; different at every login.
    QString NewKeyText();
    // True when this transfer is to be broken (and counts it).
    bool TakeDrop();
    void CountLogin(bool accepted, const QString &keyText);
    void CountViolation();
    void CountDataOffset(int32_t offset);
    // The file to announce for a served one: its hostile form when a hostile switch
    // applies, kept for the data requests that name it.
    TServedFile ServedFile(const QString &userFolder, const TServedFile &file);
    // The file a data request names: a hostile form announced before, else the folder's.
    TServedFile ResolveServed(const QString &userFolder, const QString &serverName);
    // Moves a received result file to its place; false when it cannot be stored.
    bool StoreResult(const QString &tempPath, const QString &userFolder, const QString &PCDM,
                     const QString &KLDM, const QString &JHXZ, int32_t TDDBH, QString *stored);

private:
    struct TConnection
    {
        std::shared_ptr<TLeaderSession> Session;
        std::thread Thread;
        std::atomic<bool> Done{false};
    };

    int Listen(bool ipv6, uint16_t port, QString *error);
    void AcceptLoop();
    void Accept(int listener);
    void ReapFinished();

    TLeaderOptions FOptions;
    TLeaderFolder FFolder;
    TLeaderLog FLog;
    uint16_t FPort = 0;
    int FListen4 = -1;
    int FListen6 = -1;
    int FWakePipe[2] = {-1, -1};
    std::thread FAcceptThread;

    mutable std::mutex FMutex; // guards everything below
    TLeaderFaults FFaults;
    int FDropsLeft = -1;
    TLeaderStats FStats;
    std::list<TConnection> FConnections;
    int FNextConnection = 1;
    uint32_t FKeyCounter = 0;
    std::unique_ptr<QTemporaryDir> FScratch;      // hostile packages, made on first use
    QHash<QString, TServedFile> FHostileFiles; // by user folder + '\n' + server name
};
