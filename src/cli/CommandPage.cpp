// zelkinc-cli page: one candidate page from a template, as the detail window writes it.
//
//   zelkinc-cli page --storage DIR --province SSDM --user NAME --set PCDM KLDM JHXZ
//                    --ksh KSH --template FILE --out FILE [--online] [--auto-photo]
//                    [--photo FILE]
//
// Opens the user's data and the set as grid does, reads FILE as a page template (UTF-16LE,
// as the window reads "bmxx.htm"), evaluates it for candidate KSH and writes the page to
// --out (UTF-16LE, the items' texts in order), using the --out path as the page's own name
// in its links. --online makes the link count as open (default: offline); --auto-photo
// switches automatic photo download on (default: the stored option); --photo marks the
// photo present with that file name.
//
// Exit status: 0 written; 1 the set could not be opened, the template could not be read or
// the page could not be made (the message on stderr, no file written); 2 usage error.
#include "CliCommands.h"
#include "CliInputs.h"
#include "CliSet.h"
#include "details/DNPageBuilder.h"
#include "store/Schema.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"

#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

struct TPageArgs
{
    TCliSetArgs Set;
    QString Ksh, Template, Out, Photo;
    bool Online = false, AutoPhoto = false, HasPhoto = false;
};

int Usage()
{
    QTextStream(stderr)
        << "usage: zelkinc-cli page --storage DIR --province SSDM --user NAME --set PCDM KLDM JHXZ\n"
           "                        --ksh KSH --template FILE --out FILE [--online] [--auto-photo]\n"
           "                        [--photo FILE]\n";
    return 2;
}

int Fail(const QString &message)
{
    QTextStream(stderr) << "zelkinc-cli page: " << CliOneLine(message) << '\n';
    return 1;
}

bool TakeValue(const QStringList &args, int &i, QString &value)
{
    if (i + 1 >= args.size())
        return false;
    value = args[++i];
    return true;
}

bool ParseArgs(const QStringList &args, TPageArgs &a)
{
    for (int i = 0; i < args.size(); ++i) {
        bool ok = true;
        const QString &arg = args[i];
        if (TakeCliSetOption(args, i, a.Set, ok)) {
            if (!ok)
                return false;
        } else if (arg == u"--ksh"_s) {
            if (!TakeValue(args, i, a.Ksh))
                return false;
        } else if (arg == u"--template"_s) {
            if (!TakeValue(args, i, a.Template))
                return false;
        } else if (arg == u"--out"_s) {
            if (!TakeValue(args, i, a.Out))
                return false;
        } else if (arg == u"--photo"_s) {
            if (!TakeValue(args, i, a.Photo))
                return false;
            a.HasPhoto = true;
        } else if (arg == u"--online"_s) {
            a.Online = true;
        } else if (arg == u"--auto-photo"_s) {
            a.AutoPhoto = true;
        } else {
            return false;
        }
    }
    return HasCliSetOptions(a.Set) && !a.Ksh.isEmpty() && !a.Template.isEmpty() && !a.Out.isEmpty();
}

} // namespace

int RunPageCommand(const QStringList &args)
{
    TPageArgs a;
    const bool parsed = ParseArgs(args, a);
    if (!a.Set.User.isEmpty() && CliRefusesUserName("page", a.Set.User))
        return 2;
    if (!parsed)
        return Usage();
    try {
        TMainDM dm;
        TCliMessageSink sink("page");
        if (!OpenCliSet(dm, sink, a.Set))
            return 1;
        TZKMainDef &def = ZKMainDef();
        def.IsConnected = a.Online;
        if (a.AutoPhoto)
            def.AutoPhoto = true;

        TDNPageBuilder builder(dm);
        builder.SetTemplate(0, TDNPageBuilder::ReadTemplateFile(a.Template));
        builder.ReadFieldTypes();
        builder.CurPhotoDownloaded = a.HasPhoto;
        builder.CurPhotoFileName = a.Photo;
        const int id = dm.GetKsId(a.Ksh);
        try {
            if (id < 0)
                throw EZKError(ZKTable::T_TDD + u"中找不到该考生"_s);
            builder.SetCandidate(dm.KsTable[size_t(id)]->Ksh, dm.KsTable[size_t(id)].get());
            builder.WritePage(0, a.Out);
        } catch (const EZKError &e) {
            return Fail(u"生成考生信息页面出错: "_s + e.Message());
        }
        return 0;
    } catch (const EZKError &e) {
        return Fail(e.Message());
    }
}
