// zelkinc-cli grid: the candidate grid of a dossier set as text, for scripts and checks.
//
//   zelkinc-cli grid --storage DIR --province SSDM --user NAME --set PCDM KLDM JHXZ
//                    [--unit TDDWDM] [--major ZYDH] [--sort FIELD] [--majors]
//
// Opens the set from the user folder DIR/<SSPY>/<NAME>/ as the client does (code tables,
// templates, the repair of inconsistent rows written to the database), where SSPY is the
// province's short letters in DIR/t_sszt.adtg. The set is opened without becoming the
// user's remembered set and without saving column widths.
//
// Prints, UTF-8, one line per row, cells separated by tabs (a tab or line break inside a
// cell becomes a space):
//   - a header line with the column captions, then the shown candidates in the grid's
//     order, each cell as the grid shows it;
//   - with --majors instead: the list-view lines of the major state panel for the current
//     major list (the user's majors of the unit filter and the returned pseudo-major),
//     with places, candidates and scores; no header line.
//
// --unit narrows to a submission unit (its code). --major narrows to a major by its code
// ZYDH, looked up in the --unit when given, else among all majors of the set (a code that
// several units have needs --unit). --sort sorts by the shown column whose field code
// (ZDDH, ignoring case) is FIELD; without it the set's sort column (the candidate number)
// orders the grid.
//
// Exit status: 0 printed; 1 the set could not be shown (unknown province, user folder,
// set, unit, major or column, or a failure of the workspace; one line on stderr);
// 2 usage error.
#include "CliCommands.h"
#include "CliInputs.h"
#include "CliSet.h"
#include "export/GridTexts.h"
#include "store/ZKError.h"
#include "workspace/ZyStateText.h"

#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

struct TGridArgs
{
    TCliSetArgs Set;
    bool Majors = false;
};

int Usage()
{
    QTextStream(stderr)
        << "usage: zelkinc-cli grid --storage DIR --province SSDM --user NAME --set PCDM KLDM JHXZ\n"
           "                        [--unit TDDWDM] [--major ZYDH] [--sort FIELD] [--majors]\n";
    return 2;
}

int Fail(const QString &message)
{
    QTextStream(stderr) << "zelkinc-cli grid: " << CliOneLine(message) << '\n';
    return 1;
}

bool ParseArgs(const QStringList &args, TGridArgs &a)
{
    for (int i = 0; i < args.size(); ++i) {
        bool ok = true;
        if (TakeCliSetOption(args, i, a.Set, ok)) {
            if (!ok)
                return false;
        } else if (args[i] == u"--majors"_s) {
            a.Majors = true;
        } else {
            return false;
        }
    }
    return HasCliSetOptions(a.Set);
}

void PrintGrid(const TMainDM &dm, bool majors)
{
    QTextStream out(stdout);
    if (majors) {
        for (const TJHItem *jh : dm.CurrentJhList)
            out << CliOneLine(ZyStateRowOf(dm, *jh).ListLine) << '\n';
        return;
    }
    const auto line = [](QStringList cells) {
        for (QString &cell : cells)
            cell = CliOneLine(cell);
        return cells.join(u'\t');
    };
    out << line(GridHeaderTexts(dm)) << '\n';
    for (const TKSItem *ks : dm.CurrentKSList)
        out << line(GridRowTexts(dm, ks)) << '\n';
}

} // namespace

int RunGridCommand(const QStringList &args)
{
    TGridArgs a;
    const bool parsed = ParseArgs(args, a);
    if (!a.Set.User.isEmpty() && CliRefusesUserName("grid", a.Set.User))
        return 2;
    if (!parsed)
        return Usage();
    try {
        TMainDM dm;
        TCliMessageSink sink("grid");
        if (!OpenCliSet(dm, sink, a.Set))
            return 1;
        PrintGrid(dm, a.Majors);
        return 0;
    } catch (const EZKError &e) {
        return Fail(e.Message());
    }
}
