// The Jet dialect translation over arbitrary statement texts: it must give a plan or
// throw EZKError, never crash (statements are built from received values, such as an
// institution name).
#include "store/SqlDialect.h"
#include "store/ZKError.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString sql = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const TSqlPlan plan = TranslateJetSql(sql);
        (void)plan;
    } catch (const EZKError &) {
    }
    return 0;
}
