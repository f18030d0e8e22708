// Feeds bytes to the recordset file reader. Whatever it accepts must be written
// again, read back as the same recordset (rows in the order the writer puts
// them) and written again to the same bytes.
#include "store/Adtg.h"
#include "store/RecordsetJson.h"
#include "store/ZKError.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// The rows in the order the writer emits them: pending deletes, other stored rows, inserts.
QList<TRecordRow> WriteOrder(const TRecordset &set)
{
    QList<TRecordRow> rows;
    for (TRowStatus pass : {TRowStatus::Deleted, TRowStatus::Unchanged, TRowStatus::Inserted}) {
        for (int i = 0; i < set.StoredRowCount(); ++i) {
            const TRecordRow &row = set.StoredRow(i);
            const TRowStatus group = row.Status == TRowStatus::Modified ? TRowStatus::Unchanged : row.Status;
            if (group == pass)
                rows.append(row);
        }
    }
    return rows;
}

[[noreturn]] void Fail(const char *what, const char *detail = "")
{
    std::fprintf(stderr, "fuzz_store_adtg: %s %s\n", what, detail);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Not copied: a read past the input's end must reach the sanitizer.
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    TRecordset set;
    try {
        set = LoadAdtg(bytes);
    } catch (const EZKError &) {
        return 0; // refused cleanly
    }
    RecordsetToJson(set);
    QByteArray written;
    try {
        written = SaveAdtg(set);
    } catch (const EZKError &e) {
        Fail("the writer refused what the reader accepted:", e.what());
    }
    TRecordset back;
    try {
        back = LoadAdtg(written);
    } catch (const EZKError &e) {
        Fail("the reader refused what the writer wrote:", e.what());
    }
    if (back.Columns() != set.Columns() || WriteOrder(back) != WriteOrder(set))
        Fail("the recordset read back differs");
    if (SaveAdtg(back) != written)
        Fail("writing the recordset read back gives other bytes");
    return 0;
}
