// Extracts arbitrary bytes as an archive (".rar" when they start like one, else ".zip")
// into a fresh folder nested in a scratch tree, and checks that nothing lands outside the
// target folder, that no symbolic link and no temporary file is left inside it, and that
// the result is one of the documented codes.

#include "store/Archive.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

const fs::path &Root()
{
    // Never destroyed, so that the clean-up at exit can still use it.
    static const fs::path &root = *[] {
        std::string pattern = (fs::temp_directory_path() / "zk-fuzz-archive-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(Root(), ignored);
        });
        return new fs::path(pattern);
    }();
    return root;
}

void Fail(const char *what, const fs::path &path)
{
    std::fprintf(stderr, "fuzz_store_archive: %s: %s\n", what, path.c_str());
    std::abort();
}

void ExpectOnly(const fs::path &folder, const std::set<std::string> &names)
{
    for (const auto &entry : fs::directory_iterator(folder)) {
        if (!names.count(entry.path().filename().string()))
            Fail("file outside the target folder", entry.path());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const fs::path &root = Root();
    const bool rar = size >= 4 && std::memcmp(data, "Rar!", 4) == 0;
    const fs::path archive = root / (rar ? "in.rar" : "in.zip");
    const fs::path dest = root / "a" / "b" / "dest";
    fs::remove_all(root / "a");
    fs::remove(root / "in.rar");
    fs::remove(root / "in.zip");
    fs::create_directories(dest);
    {
        std::ofstream out(archive, std::ios::binary);
        out.write(reinterpret_cast<const char *>(data), std::streamsize(size));
    }

    const int result = ExtractArchive(QString::fromStdString(archive.string()), QString::fromStdString(dest.string()));
    if (result != 0 && result != 3)
        Fail("unexpected result code", archive);

    ExpectOnly(root, {archive.filename().string(), "a"});
    ExpectOnly(root / "a", {"b"});
    ExpectOnly(root / "a" / "b", {"dest"});
    for (const auto &entry : fs::recursive_directory_iterator(dest)) {
        if (entry.is_symlink())
            Fail("symbolic link extracted", entry.path());
        if (entry.path().filename().string().rfind(".zk-extract-", 0) == 0)
            Fail("temporary file left", entry.path());
    }
    return 0;
}
