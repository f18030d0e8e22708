#include "store/ArchiveSupport.h"

#include <QFile>
#include <QFileInfo>

#include <archive.h>
#include <archive_entry.h>

#include <cstring>

#include <langinfo.h>

namespace zkarchive {

namespace {

locale_t Utf8CType()
{
    static const locale_t locale = [] {
        for (const char *name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
            if (const locale_t l = newlocale(LC_CTYPE_MASK, name, locale_t(nullptr)))
                return l;
        }
        return locale_t(nullptr);
    }();
    return locale;
}

bool ThreadUsesUtf8()
{
    const char *codeset = nl_langinfo(CODESET);
    return codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

} // namespace

TUtf8CTypeScope::TUtf8CTypeScope()
{
    if (ThreadUsesUtf8())
        return;
    if (const locale_t utf8 = Utf8CType())
        FPrevious = uselocale(utf8);
}

TUtf8CTypeScope::~TUtf8CTypeScope()
{
    if (FPrevious)
        uselocale(FPrevious);
}

void TReadCloser::operator()(archive *a) const
{
    archive_read_free(a);
}

QString ArchiveKind(const QString &archiveFile)
{
    return QFileInfo(archiveFile).suffix().toLower();
}

TArchiveReadPtr OpenArchiveForReading(const QString &archiveFile, const QString &kind)
{
    TArchiveReadPtr a(archive_read_new());
    if (!a)
        return {};
    // Names without the UTF-8 flag come from Chinese Windows tools: code page 936.
    if (kind == QLatin1String("zip")) {
        archive_read_support_format_zip(a.get());
        if (archive_read_set_options(a.get(), "zip:hdrcharset=CP936") != ARCHIVE_OK)
            return {};
    } else if (kind == QLatin1String("rar")) {
        archive_read_support_format_rar(a.get());
        archive_read_support_format_rar5(a.get());
        if (archive_read_set_options(a.get(), "rar:hdrcharset=CP936") != ARCHIVE_OK)
            return {};
    } else {
        return {};
    }
    if (archive_read_open_filename(a.get(), QFile::encodeName(archiveFile).constData(), 64 * 1024)
        != ARCHIVE_OK)
        return {};
    return a;
}

QString EntryPathName(archive_entry *entry)
{
    if (const char *utf8 = archive_entry_pathname_utf8(entry))
        return QString::fromUtf8(utf8);
    // A name the charset conversion refused: its bytes as they are.
    if (const char *bytes = archive_entry_pathname(entry))
        return QString::fromUtf8(bytes);
    return {};
}

} // namespace zkarchive
