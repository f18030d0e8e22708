#pragma once

#include <QString>

// Archives of the exchanged packages, on libarchive. The format follows the archive file
// name's extension, compared in lower case: ".zip" is read and written, ".rar" (RAR 4 and
// 5) is only read. Neither operation raises; both return codes.

// Result codes of ExtractArchive.
enum : int {
    eaExtracted = 0,
    eaNoArchiveFile = 1,
    eaNoDestFolder = 2,
    eaExtractFailed = 3,
};

// Result codes of CompressFolder.
enum : int {
    cfDone = 0,
    cfFailed = 2,
};

// Extracts every member of archiveFile below destFolder, keeping the members' stored
// paths and replacing existing files: 0 extracted, 1 the archive file does not exist, 2 the
// destination folder does not exist, 3 the archive cannot be read or a member could not be
// extracted.
//
// Member names are UTF-8 when the archive says so and GBK (code page 936) otherwise, as the
// leader's Windows tools write them. Each file is written under a temporary name beside
// its target and renamed over it when complete, so a failure never leaves half a file
// under a real name, and the temporary file is removed on every failure (damaged or
// truncated data, a read or write error). Names starting with ".zk-extract-" are kept for
// those temporary files: a member so named is refused like an unsafe one.
//
// A member that would land outside destFolder (an absolute path, a drive letter, a ".."
// step, a path through a symbolic link already in the folder) is not extracted, and
// neither is any member that is not a plain file or folder (symbolic and hard links,
// devices): a package holding one is hostile. The other members are still extracted and
// the result is then 3, so that no caller imports such a package as if it were sound.
int ExtractArchive(const QString &archiveFile, const QString &destFolder);

// Adds every file of sourceFolder (not its sub-folders) to archiveFile under its bare file
// name, as a ZIP with UTF-8 names (flag 0x800). When the archive exists its members stay,
// except those that a file of the same name replaces. The archive is written beside its
// final name and renamed over it, so a failure leaves the old archive untouched.
// 0 done, 2 any failure.
int CompressFolder(const QString &archiveFile, const QString &sourceFolder);
