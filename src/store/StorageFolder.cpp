#include "store/StorageFolder.h"

#include "store/NameGuards.h"
#include "store/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

QString WithTrailingSlash(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

// Files are removed through their folder, so it is the folders that must be writable (a
// read-only file does not stop its removal here). Each folder is opened up before it is
// listed, as a folder without read permission cannot be listed.
void MakeTreeWritable(const QString &folder)
{
    QFile::setPermissions(folder, QFile::permissions(folder) | QFile::ReadOwner | QFile::WriteOwner
                                      | QFile::ExeOwner);
    const QStringList subFolders =
        QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks);
    for (const QString &sub : subFolders)
        MakeTreeWritable(folder + u'/' + sub);
}

} // namespace

const QStringList &AttachmentFolderNames()
{
    static const QStringList names{u"BMB"_s, u"TJB"_s, u"FJB"_s, u"KSZP"_s};
    return names;
}

QString StorageFolderFor(const QString &stem)
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return WithTrailingSlash(documents) + stem + StorageFolderYear + u'/';
}

QString EstablishStorageFolder(const QString &stem)
{
    const QString folder = StorageFolderFor(stem);
    ZKMainDef().LoginInfo.StorageFolder = folder;
    OpenStorageFolder(folder);
    return folder;
}

bool OpenStorageFolder(const QString &folder)
{
    if (QFileInfo::exists(folder)) {
        TightenPrivateTree(folder);
        return QFileInfo(folder).isDir();
    }
    if (!MakePrivateFolder(folder))
        return false;
    CopyProgramFile(folder, ProvinceListFileName);
    CopyProgramFile(folder, CommonDatabaseFileName);
    return true;
}

bool CopyProgramFile(const QString &targetFolder, const QString &fileName)
{
    if (targetFolder.isEmpty())
        return false;
    QFile source(ZKMainDef().ProgramFolder + fileName);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QString targetPath = WithTrailingSlash(targetFolder) + fileName;
    // Written beside the target and renamed over it: a failed copy never leaves half a
    // database under the real name.
    QSaveFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly))
        return false;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = source.read(buffer, sizeof buffer);
        if (n < 0) {
            target.cancelWriting();
            break;
        }
        if (n == 0)
            break;
        if (target.write(buffer, n) != n) {
            target.cancelWriting();
            break;
        }
    }
    if (!target.commit())
        return false;
    // QSaveFile keeps the permissions of a file it replaces; the copy must be writable
    // whatever the shipped file or an earlier copy was, and the member's alone.
    return MakePrivateFile(targetPath);
}

bool DeriveUserFolders(TLoginInfo &info)
{
    if (!IsPlainUserName(info.UserName) || !IsPlainFileName(info.SSPY) || info.StorageFolder.isEmpty()) {
        info.UserFolder.clear();
        info.ServerFolder.clear();
        info.DownloadFolder.clear();
        info.UploadFolder.clear();
        return false;
    }
    info.UserFolder = WithTrailingSlash(info.StorageFolder) + info.SSPY + u'/' + info.UserName + u'/';
    info.ServerFolder = info.UserFolder + u"SERVER/"_s;
    info.DownloadFolder = info.UserFolder + u"Download/"_s;
    info.UploadFolder = info.UserFolder + u"Upload/"_s;
    return true;
}

bool CreateFirstSetUpFolders(const TLoginInfo &info)
{
    if (info.DownloadFolder.isEmpty() || info.UploadFolder.isEmpty())
        return false;
    bool ok = true;
    for (const QString &name : AttachmentFolderNames())
        ok = MakePrivateFolder(info.DownloadFolder + name) && ok;
    return MakePrivateFolder(info.UploadFolder) && ok;
}

void DeleteFolderTree(const QString &folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    MakeTreeWritable(folder);
    QDir(folder).removeRecursively();
}

QString FindAttachmentFile(const QString &folder, const QString &name, int kind)
{
    if (kind < 0 || kind >= AttachmentFolderNames().size() || name.isEmpty())
        return {};
    const QDir dir(WithTrailingSlash(folder) + AttachmentFolderNames().at(kind));
    // Compared by hand rather than as a wildcard pattern: a name is data, not a pattern.
    // As the pattern name + ".*" does, the bare name counts too: an image whose server
    // file name had no extension is stored under the bare candidate number.
    const QString prefix = name + u'.';
    const QStringList files = dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString &file : files) {
        if (file.startsWith(prefix, Qt::CaseInsensitive) || file.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(file);
    }
    return {};
}
