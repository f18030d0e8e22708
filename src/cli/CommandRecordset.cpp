// zelkinc-cli recordset: look into a recordset file (ADTG) or make one.
//
//   zelkinc-cli recordset dump FILE [--code-page NAME]
//       prints the recordset as one JSON object (UTF-8, one line)
//   zelkinc-cli recordset make JSON OUT [--code-page NAME]
//       writes the recordset the JSON object describes, every row a plain row
//
// The code page is that of STR (multi-byte) text, GBK unless given. Exit status 0
// on success, 1 when the file cannot be read or written (one line on stderr), 2
// for a usage error.
#include "CliCommands.h"
#include "store/Adtg.h"
#include "store/RecordsetJson.h"
#include "store/ZKError.h"

#include <QFile>
#include <QTextStream>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

int Usage()
{
    QTextStream(stderr) << "usage: zelkinc-cli recordset dump FILE [--code-page NAME]\n"
                           "       zelkinc-cli recordset make JSON OUT [--code-page NAME]\n";
    return 2;
}

int Fail(const QString &message)
{
    QString line = message;
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    QTextStream(stderr) << "zelkinc-cli recordset: " << line << '\n';
    return 1;
}

QByteArray ReadWholeFile(const QString &name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        throw EZKError(u"cannot open %1: %2"_s.arg(name, file.errorString()));
    return file.readAll();
}

} // namespace

int RunRecordsetCommand(const QStringList &arguments)
{
    QStringList args = arguments;
    TAdtgOptions options;
    const qsizetype cp = args.indexOf(u"--code-page"_s);
    if (cp >= 0) {
        if (cp + 1 >= args.size())
            return Usage();
        options.CodePage = args[cp + 1].toLatin1();
        args.remove(cp, 2);
    }
    const QString verb = args.value(0);
    try {
        if (verb == u"dump"_s && args.size() == 2) {
            const QByteArray json = RecordsetToJson(LoadAdtgFile(args[1], options)) + '\n';
            std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
        if (verb == u"make"_s && args.size() == 3) {
            TRecordset set;
            try {
                set = RecordsetFromJson(ReadWholeFile(args[1]));
            } catch (const EZKError &e) {
                throw e.WithPrefix(args[1] + u": "_s);
            }
            SaveAdtgFile(set, args[2], options);
            return 0;
        }
    } catch (const EZKError &e) {
        return Fail(e.Message());
    }
    return Usage();
}
