#pragma once

// A member's session without windows: what the login dialog and the start-up sequence
// do for an online login, step by step, for zelkinc-cli and the end-to-end tests. The
// link work runs on the program's task thread; each step waits for its task by running
// the event loop, so the callbacks arrive as they do in the client.

#include "store/UiSinks.h"

#include <QList>
#include <QString>

class TMainDM;
class TMemberNetDM;

struct TSessionOptions
{
    QString StorageFolder; // made (with the province list and common database) when new
    QString SSDM;
    QString UserName;
    QString Password;
    QString Host;  // empty: the province's FWQDZ
    int Port = -1; // negative: the province's FWQDKH
};

// A dossier set of T_KLJHXZZT with its package number, work state and dossiers.
struct TSetState
{
    QString PCDM, KLDM, JHXZ;
    int DQTDDBH = 0;
    QString ZT;
    int Dossiers = 0;
};

class TMemberSession
{
public:
    // The windows' messages go to sink; the session's own failures that no window
    // would show (a province missing from the list …) are kept in Error().
    TMemberSession(TMainDM &mainDM, TMemberNetDM &netDM, IMessageSink &sink);
    ~TMemberSession();
    TMemberSession(const TMemberSession &) = delete;
    TMemberSession &operator=(const TMemberSession &) = delete;

    // The storage folder, the province's record of "t_sszt.adtg" and the login values
    // (LoginInfo, the user's folders, the connection strings of UnivConn and
    // UnivShareConn). False with Error() when the province list has no such province.
    bool PrepareLogin(const TSessionOptions &options);
    // Starts the program's task thread and runs the connect task; the result code
    // (0 connected). A failure is shown as the login dialog shows it.
    int Connect();
    // The user's folder is set up (GKLQZ "1" in the one record of T_YXZT). False in
    // setUp when the shared database is missing or not marked; the result is false when
    // the state table cannot be read (shown as the login dialog shows it).
    bool ReadSetUpState(bool &setUp);
    // After an online login of a set-up user: the sealed password goes to YHKL.
    void StorePassword();
    // The first set-up: the user's folder emptied and made again, both libraries
    // downloaded and imported into the shipped empty databases, the dossier table
    // created, the set-up marked complete. False after a reported failure.
    bool FirstSetUp();
    // Opens UnivConn and reads the code tables. False after a reported failure.
    bool EnterWorkspace();
    // The full dossier query, waited for. True when no library or package import of
    // the run failed.
    bool DownloadDossiers();
    // Opens a set in the workspace. False when the set is not in T_KLJHXZZT (Error())
    // or did not open (reported).
    bool OpenSet(const QString &PCDM, const QString &KLDM, const QString &JHXZ);
    // Sends the open set's results, checking the given password as the login dialog
    // does; waits for the leader's answer. The upload's result code, lrNotDone (-1) when
    // nothing was sent.
    int SendResults(const QString &password);
    // The sets of T_KLJHXZZT in code order (empty before the first plan).
    QList<TSetState> ReadSetStates();
    // Ends the task thread (a connected link logs out).
    void End();

    const QString &Error() const { return FError; }

private:
    bool EstablishStorage(const QString &folder);

    TMainDM &FMainDM;
    TMemberNetDM &FNetDM;
    IMessageSink &FSink;
    QString FError;
    bool FThreadStarted = false;
};
