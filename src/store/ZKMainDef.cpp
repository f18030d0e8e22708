#include "store/ZKMainDef.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <array>

using namespace Qt::StringLiterals;

namespace {

constexpr std::array<int, 4> ScreenClassWidths{800, 1024, 1280, 1600};

QString WithTrailingSlash(const QString &folder)
{
    if (folder.isEmpty() || folder.endsWith(u'/'))
        return folder;
    return folder + u'/';
}

} // namespace

TZKMainDef &ZKMainDef()
{
    static TZKMainDef instance;
    return instance;
}

void TZKMainDef::Reset()
{
    IsNetIdle = true;
    IsConnected = false;
    PendingDownLoadAllTDD = false;
    PendingLoadDNPage = false;
    PendingLoadQBZY = false;
    IsSystemReady = false;
    IsTDDOpen = false;
    IsTDDImported = false;
    ScreenClass = 0;
    AceAvailable = true;
    ProgramFolder = RunningProgramFolder();
    EditionSuffix.clear();
    CreateBgTaskThreadHook = nullptr;
    EndBgTaskThreadHook = nullptr;
    LoginInfo = TLoginInfo();
    InstitutionCode.clear();
    InstitutionName.clear();
    LeaderPCDM.clear();
    RankScoreSupported = false;
    AutoPhoto = false;
    ShowCodes = false;
    AutoUnpack = false;
    CurPCDM.clear();
    CurKLDM.clear();
    CurJHXZ.clear();
    CurZT = 0;
    CurDQTDDBH = 0;
    TddwFilter = -1;
    ZyFilter = -1;
}

void TZKMainDef::SetProgramFolder(const QString &folder)
{
    ProgramFolder = WithTrailingSlash(folder);
}

int ScreenClassFor(int widthPixels, int dotsPerInch)
{
    if (dotsPerInch <= 0)
        dotsPerInch = 96;
    const qint64 width96 = qint64(widthPixels) * 96 / dotsPerInch;
    for (int i = int(ScreenClassWidths.size()) - 1; i >= 1; --i) {
        if (width96 >= ScreenClassWidths[size_t(i)])
            return i;
    }
    return 0;
}

QString ScreenClassWidthText(int screenClass)
{
    const int index = qBound(0, screenClass, int(ScreenClassWidths.size()) - 1);
    return QString::number(ScreenClassWidths[size_t(index)]);
}

QString RunningProgramFolder()
{
    // Before the application object exists Qt cannot tell the program's path; the
    // kernel's link to the running file can.
    const QString dir = QCoreApplication::instance()
                            ? QCoreApplication::applicationDirPath()
                            : QFileInfo(QFileInfo(u"/proc/self/exe"_s).canonicalFilePath()).path();
    return WithTrailingSlash(dir);
}

QString TimeStampText(const QDateTime &time)
{
    return time.toLocalTime().toString(u"yyyyMMddHHmmsszzz"_s);
}

QString TextWithHexUnits(const QString &text)
{
    QString result = text + u'(';
    for (const QChar unit : text)
        result += QStringLiteral("%1").arg(unit.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    return result + u')';
}

int CodeCharValue(const QString &text)
{
    if (text.isEmpty())
        return 0;
    const char16_t c = text.at(0).unicode();
    if (c >= u'1' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'Z')
        return c - u'A' + 10;
    return 0;
}
