#pragma once

// Internal pieces shared by the archive reader and writer (Archive*.cpp).

#include <QString>

#include <memory>

#include <locale.h>

struct archive;
struct archive_entry;

namespace zkarchive {

// libarchive converts member names between the archive's charset and the thread's locale;
// in the "C" locale every UTF-8 name is a fatal error. This switches the calling thread
// to a UTF-8 character type for its lifetime (uselocale, so neither the process locale
// nor other threads are touched) unless the thread already uses UTF-8. Create it before
// the archive object: libarchive takes the charset when it first converts a name.
class TUtf8CTypeScope
{
public:
    TUtf8CTypeScope();
    ~TUtf8CTypeScope();
    TUtf8CTypeScope(const TUtf8CTypeScope &) = delete;
    TUtf8CTypeScope &operator=(const TUtf8CTypeScope &) = delete;

private:
    locale_t FPrevious = locale_t(nullptr);
};

struct TReadCloser
{
    void operator()(archive *a) const;
};
using TArchiveReadPtr = std::unique_ptr<archive, TReadCloser>;

// The file name extension in lower case ("zip", "rar"), which chooses the format.
QString ArchiveKind(const QString &archiveFile);

// Opens archiveFile for reading in the format of kind ("zip" or "rar"); null when the kind
// is not readable or the file cannot be opened as that format. Names without the UTF-8
// flag are read as GBK.
TArchiveReadPtr OpenArchiveForReading(const QString &archiveFile, const QString &kind);

// The member's path as stored (in the locale, which the scope above makes UTF-8); empty
// when it has none.
QString EntryPathName(archive_entry *entry);

} // namespace zkarchive
