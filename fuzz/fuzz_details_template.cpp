// The page template parser over arbitrary template texts, and the format function over
// the format texts it finds: a template comes from a file of the installation that anyone
// may edit, so every text must parse into items and every format must give a text or
// throw EZKError, never crash. The input is UTF-8 (seeds stay readable).
#include "details/DNFormat.h"
#include "details/DNPageBuilder.h"
#include "store/ZKError.h"
#include "workspace/MainDM.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static TMainDM dm;
    static TDNPageBuilder builder(dm);
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const TDNHtmlFile file = builder.ParseTemplate(text);
    // The literal items put back together with the placeholders are the whole text.
    if (file.Items.isEmpty())
        __builtin_trap();
    const QVariantList args{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                            QStringLiteral("d"), QStringLiteral("e")};
    for (const TDNHtmlItem &item : file.Items) {
        try {
            (void)DNFormat(item.FStrParam, args);
        } catch (const EZKError &) {
        }
    }
    return 0;
}
