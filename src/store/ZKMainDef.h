#pragma once

#include <QString>

#include <atomic>

// The program-wide values, in one place: the flags with their start values, the
// login values, the institution values and the open dossier set. Everything but
// the atomics is used from the interface thread only; the task thread reads the
// login values while no window changes them (a link task runs) and sets
// IsConnected.

struct TLoginInfo
{
    QString SSDM;          // province code
    QString SSPY;          // province short letters (name of the province folder)
    QString SSMC;          // province name
    QString ServerAddress; // leader's server
    QString ServerPort;    // as text
    QString WebAddress;
    QString WebPort;
    QString UserName;
    QString Password;
    // Folders; each ends with '/'.
    QString StorageFolder;
    QString UserFolder;
    QString ServerFolder;
    QString DownloadFolder;
    QString UploadFolder;
};

class TZKMainDef
{
public:
    // Flags shared with the task thread.
    std::atomic<bool> IsNetIdle{true};
    std::atomic<bool> IsConnected{false};
    std::atomic<bool> PendingDownLoadAllTDD{false};
    std::atomic<bool> PendingLoadDNPage{false};
    std::atomic<bool> PendingLoadQBZY{false};

    bool IsSystemReady = false;
    bool IsTDDOpen = false;
    bool IsTDDImported = false;

    int ScreenClass = 0;       // 0..3 for the classes 800, 1024, 1280, 1600
    bool AceAvailable = true;  // the .xlsx writer is always available here
    QString ProgramFolder;     // ends with '/'
    QString EditionSuffix;     // " [组员使用]" once the member edition is prepared

    TLoginInfo LoginInfo;

    // From the institution state and the common parameters.
    QString InstitutionCode;
    QString InstitutionName;
    QString LeaderPCDM;
    bool RankScoreSupported = false;
    bool AutoPhoto = false;
    bool ShowCodes = false;
    bool AutoUnpack = false;

    // The open dossier set.
    QString CurPCDM;
    QString CurKLDM;
    QString CurJHXZ;
    int CurZT = 0;
    int CurDQTDDBH = 0;
    int TddwFilter = -1;
    int ZyFilter = -1;
};

// The one instance of the running program.
TZKMainDef &ZKMainDef();
