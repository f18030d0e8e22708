#pragma once

#include <QDateTime>
#include <QString>

#include <atomic>
#include <functional>

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

// The caption suffix of the member edition (main window, login dialog, about box).
inline const QString MemberEditionSuffix = QStringLiteral(" [组员使用]");

class TZKMainDef
{
public:
    TZKMainDef() { Reset(); }
    TZKMainDef(const TZKMainDef &) = delete;
    TZKMainDef &operator=(const TZKMainDef &) = delete;

    // Gives every value its start value (the program start; tests call it between cases).
    void Reset();

    // Points ProgramFolder at another folder (tests and tools use the build's program
    // folder); a missing trailing '/' is added.
    void SetProgramFolder(const QString &folder);

    // Flags shared with the task thread.
    std::atomic<bool> IsNetIdle{true};
    std::atomic<bool> IsConnected{false};
    std::atomic<bool> PendingDownLoadAllTDD{false};
    std::atomic<bool> PendingLoadDNPage{false};
    std::atomic<bool> PendingLoadQBZY{false};

    bool IsSystemReady = false;
    bool IsTDDOpen = false;
    bool IsTDDImported = false;

    int ScreenClass = 0;       // 0..3 for the classes 800, 1024, 1280, 1600 (ScreenClassFor)
    bool AceAvailable = true;  // the .xlsx writer is always available here
    QString ProgramFolder;     // folder of the running program, ends with '/'
    QString EditionSuffix;     // MemberEditionSuffix once the member edition is prepared

    // The two slots of the background task thread: the thread's module fills them when
    // it is initialised; start-up calls the first, the end of the run the second. Each
    // is called only when it is filled.
    std::function<void()> CreateBgTaskThreadHook;
    std::function<void()> EndBgTaskThreadHook;

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

// The screen class of a screen: its width in pixels scaled to 96 dots per inch (integer
// division) compared with 800, 1024, 1280, 1600; the highest index 1..3 whose width is
// reached, else 0. A resolution that is not positive counts as 96. The widget layer passes
// the primary screen's values.
int ScreenClassFor(int widthPixels, int dotsPerInch);

// The width of a screen class as decimal text ("800", "1024", "1280", "1600"); a class
// outside 0..3 gives the nearest one.
QString ScreenClassWidthText(int screenClass);

// The folder of the running program file, ending with '/'.
QString RunningProgramFolder();

// The local time as "yyyymmddhhnnsszzz" (17 digits), for package and page file names.
QString TimeStampText(const QDateTime &time = QDateTime::currentDateTime());

// The text followed by "(", each UTF-16 unit as 4 upper-case hexadecimal digits, and ")";
// gives file names that differ for codes that differ only in case or in characters a file
// system would not keep apart. TextWithHexUnits("1A") == "1A(00310041)".
QString TextWithHexUnits(const QString &text);

// A wish character as a number: '1'..'9' give 1..9, 'A'..'Z' give 10..35, anything else
// (also '0' and an empty text) gives 0. Only the first character counts.
int CodeCharValue(const QString &text);
