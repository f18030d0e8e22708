#include "store/PrivateFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

namespace {

constexpr mode_t PrivateFolderMode = 0700;
constexpr mode_t PrivateFileMode = 0600;
constexpr mode_t GroupAndOthers = 077;

// Takes the group's and others' bits off one entry; a symbolic link stays as it is.
void Tighten(const QByteArray &path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0 || S_ISLNK(st.st_mode))
        return;
    if ((st.st_mode & GroupAndOthers) != 0)
        ::chmod(path.constData(), st.st_mode & 07777 & ~GroupAndOthers);
}

} // namespace

bool MakePrivateFolder(const QString &folder)
{
    if (folder.isEmpty())
        return false;
    const QString path = QDir::cleanPath(QDir(folder).absolutePath());
    if (QFileInfo(path).isDir()) {
        Tighten(QFile::encodeName(path));
        return true;
    }
    // Missing steps are made one by one, so that each new one gets its mode at once.
    QStringList missing;
    QString existing = path;
    while (!QFileInfo::exists(existing)) {
        missing.prepend(QFileInfo(existing).fileName());
        const QString parent = QFileInfo(existing).path();
        if (parent == existing)
            return false;
        existing = parent;
    }
    QString current = existing;
    for (const QString &step : std::as_const(missing)) {
        if (!current.endsWith(u'/'))
            current += u'/';
        current += step;
        const QByteArray name = QFile::encodeName(current);
        if (::mkdir(name.constData(), PrivateFolderMode) != 0 && errno != EEXIST)
            return false;
        ::chmod(name.constData(), PrivateFolderMode); // the umask may have taken owner bits
    }
    return QFileInfo(path).isDir();
}

bool MakePrivateFile(const QString &file)
{
    return ::chmod(QFile::encodeName(file).constData(), PrivateFileMode) == 0;
}

void TightenPrivateTree(const QString &folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    Tighten(QFile::encodeName(folder));
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        Tighten(QFile::encodeName(it.next()));
}
