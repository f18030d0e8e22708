#include "leader/LeaderFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

QString FirstLine(const QString &path, bool *ok)
{
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly);
    if (!*ok)
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    return text.section(u'\n', 0, 0).remove(u'\r');
}

// A served file if it exists and its size fits the 32-bit size field.
TServedFile Served(TServedKind kind, const QString &userFolder, const QString &relative)
{
    const QFileInfo info(userFolder + relative);
    if (!info.isFile() || info.size() > std::numeric_limits<int32_t>::max())
        return {};
    QString serverName = relative;
    serverName.replace(u'/', u'\\');
    return {kind, serverName, info.filePath(), info.size()};
}

bool IsSetSafe(const QString &PCDM, const QString &KLDM, const QString &JHXZ)
{
    return TLeaderFolder::IsSafeName(PCDM) && TLeaderFolder::IsSafeName(KLDM) &&
           TLeaderFolder::IsSafeName(JHXZ);
}

QString SetFolderName(const QString &PCDM, const QString &KLDM, const QString &JHXZ)
{
    return PCDM + u'_' + KLDM + u'_' + JHXZ;
}

} // namespace

TLeaderFolder::TLeaderFolder(QString root)
    : FRoot(std::move(root))
{
    if (!FRoot.endsWith(u'/'))
        FRoot += u'/';
}

bool TLeaderFolder::IsSafeName(const QString &name)
{
    if (name.isEmpty() || name == "."_L1 || name == ".."_L1)
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c == u':' || c.unicode() < 0x20)
            return false;
    }
    return true;
}

QString TLeaderFolder::ProvinceFolder(const QString &SSDM) const
{
    if (!IsSafeName(SSDM) || !QFileInfo(FRoot + SSDM).isDir())
        return {};
    return FRoot + SSDM + u'/';
}

QString TLeaderFolder::UserFolder(const QString &SSDM, const QString &UserName) const
{
    const QString province = ProvinceFolder(SSDM);
    if (province.isEmpty() || !IsSafeName(UserName) || !QFileInfo(province + UserName).isDir())
        return {};
    return province + UserName + u'/';
}

std::optional<QString> TLeaderFolder::ReadPassword(const QString &userFolder)
{
    bool ok;
    const QString line = FirstLine(userFolder + "password.txt"_L1, &ok);
    return ok ? std::optional<QString>(line) : std::nullopt;
}

TMemberFlags TLeaderFolder::ReadState(const QString &userFolder)
{
    QFile file(userFolder + "state.txt"_L1);
    TMemberFlags flags;
    if (!file.open(QIODevice::ReadOnly))
        return flags;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line == "newdmk=1"_L1)
            flags.NewDMK = true;
        else if (line == "newjhk=1"_L1)
            flags.NewJHK = true;
    }
    return flags;
}

std::optional<QString> TLeaderFolder::ReadDQPC(const QString &provinceFolder)
{
    bool ok;
    const QString line = FirstLine(provinceFolder + "dqpc.txt"_L1, &ok).trimmed();
    return ok ? std::optional<QString>(line) : std::nullopt;
}

TServedFile TLeaderFolder::FindDMK(const QString &userFolder)
{
    return Served(skDMK, userFolder, u"dmk.zip"_s);
}

TServedFile TLeaderFolder::FindJHK(const QString &userFolder)
{
    return Served(skJHK, userFolder, u"jhk.zip"_s);
}

TServedFile TLeaderFolder::FindTDD(const QString &userFolder, const QString &PCDM, const QString &KLDM,
                                   const QString &JHXZ, int32_t lastTDDBH)
{
    if (!IsSetSafe(PCDM, KLDM, JHXZ))
        return {};
    const QString set = u"tdd/"_s + SetFolderName(PCDM, KLDM, JHXZ) + u'/';
    const QStringList names = QDir(userFolder + set).entryList({u"*.zip"_s}, QDir::Files);
    int64_t best = -1;
    for (const QString &name : names) {
        bool ok;
        const int number = name.chopped(4).toInt(&ok);
        if (ok && number > lastTDDBH && number > best && QString::number(number) + ".zip"_L1 == name)
            best = number;
    }
    if (best < 0)
        return {};
    return Served(skTDD, userFolder, set + QString::number(best) + ".zip"_L1);
}

TServedFile TLeaderFolder::FindAllZY(const QString &userFolder, const QString &KSH)
{
    if (!IsSafeName(KSH))
        return {};
    return Served(skAllZY, userFolder, u"qbzy/"_s + KSH + ".zip"_L1);
}

TServedFile TLeaderFolder::FindImage(const QString &userFolder, const QString &KSH, uint8_t kind)
{
    if (!IsSafeName(KSH) || kind > 3)
        return {};
    const QString folder = u"images/"_s + KSH + u'/';
    const QString stem = QString::number(kind);
    QStringList names = QDir(userFolder + folder).entryList({stem, stem + ".*"_L1}, QDir::Files, QDir::Name);
    if (names.isEmpty())
        return {};
    return Served(skImage, userFolder, folder + names.first());
}

TServedFile TLeaderFolder::Resolve(const QString &userFolder, const QString &serverName)
{
    const QStringList parts = serverName.split(u'\\');
    for (const QString &part : parts) {
        if (!IsSafeName(part))
            return {};
    }
    const QString top = parts.first();
    TServedKind kind = skNone;
    if (parts.size() == 1 && top == "dmk.zip"_L1)
        kind = skDMK;
    else if (parts.size() == 1 && top == "jhk.zip"_L1)
        kind = skJHK;
    else if (parts.size() == 3 && top == "tdd"_L1)
        kind = skTDD;
    else if (parts.size() == 2 && top == "qbzy"_L1)
        kind = skAllZY;
    else if (parts.size() == 3 && top == "images"_L1)
        kind = skImage;
    if (kind == skNone)
        return {};
    return Served(kind, userFolder, parts.join(u'/'));
}

QString TLeaderFolder::NewResultPath(const QString &userFolder, const QString &PCDM, const QString &KLDM,
                                     const QString &JHXZ, int32_t TDDBH)
{
    if (!IsSetSafe(PCDM, KLDM, JHXZ) || !QDir().mkpath(userFolder + "results"_L1))
        return {};
    const QString stem = userFolder + "results/lqjg_"_L1 + SetFolderName(PCDM, KLDM, JHXZ) + u'_' +
                         QString::number(TDDBH) + u'_';
    for (int n = 1;; ++n) {
        const QString path = stem + QString::number(n) + ".zip"_L1;
        if (!QFileInfo::exists(path))
            return path;
    }
}
