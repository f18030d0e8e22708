// zelkinc-cli export: the two exports of the dialog "导出投档单", for checks and support
// staff.
//
//   zelkinc-cli export --storage DIR --province SSDM --user NAME --sets "P K J[;P K J…]"
//                      --out FILE
//   zelkinc-cli export --screen --storage DIR --province SSDM --user NAME --set P K J
//                      [--unit TDDWDM] [--major ZYDH] [--sort FIELD] --out FILE
//
// The first form runs the dossier export of the sets named by --sets (batch, category
// and plan-nature codes separated by blanks, sets separated by ";") as if exactly their
// rows were checked in the dialog; the second the screen export of the grid that
// "zelkinc-cli grid" prints for the same options. The kind of FILE follows its
// extension: ".dbf" (and any other) dBase IV into FILE's folder, ".xls" Excel 97,
// ".xlsx" Excel 2007. The user's data is opened as "grid" opens it.
//
// Prints the completion message on stdout. Exit status: 0 done; 1 failure (unknown
// province, user folder or set, or an error of the export; one line on stderr);
// 2 usage error.
#include "CliCommands.h"
#include "CliInputs.h"
#include "CliSet.h"
#include "export/DumpToFile.h"
#include "store/ZKError.h"

#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

struct TExportArgs
{
    TCliSetArgs Set;
    bool Screen = false;
    bool HasSets = false;
    QString Sets;
    QString Out;
};

int Usage()
{
    QTextStream(stderr)
        << "usage: zelkinc-cli export --storage DIR --province SSDM --user NAME --sets \"P K J[;P K J...]\"\n"
           "                          --out FILE\n"
           "       zelkinc-cli export --screen --storage DIR --province SSDM --user NAME --set P K J\n"
           "                          [--unit TDDWDM] [--major ZYDH] [--sort FIELD] --out FILE\n";
    return 2;
}

int Fail(const QString &message)
{
    QTextStream(stderr) << "zelkinc-cli export: " << CliOneLine(message) << '\n';
    return 1;
}

bool ParseArgs(const QStringList &args, TExportArgs &a)
{
    for (int i = 0; i < args.size(); ++i) {
        bool ok = true;
        if (TakeCliSetOption(args, i, a.Set, ok)) {
            if (!ok)
                return false;
        } else if (args[i] == u"--screen"_s) {
            a.Screen = true;
        } else if (args[i] == u"--sets"_s && i + 1 < args.size()) {
            a.HasSets = true;
            a.Sets = args[++i];
        } else if (args[i] == u"--out"_s && i + 1 < args.size()) {
            a.Out = args[++i];
        } else {
            return false;
        }
    }
    if (a.Out.isEmpty())
        return false;
    if (a.Screen)
        return !a.HasSets && HasCliSetOptions(a.Set);
    const bool setOptions = !a.Set.Pcdm.isEmpty() || a.Set.HasUnit || a.Set.HasMajor || a.Set.HasSort;
    return a.HasSets && !setOptions && !a.Set.Storage.isEmpty() && !a.Set.Province.isEmpty() &&
           !a.Set.User.isEmpty();
}

// The codes of each set of --sets; empty when a set is not three codes.
QList<QStringList> ParseSets(const QString &text)
{
    QList<QStringList> sets;
    for (const QString &part : text.split(u';', Qt::SkipEmptyParts)) {
        const QStringList codes = part.split(u' ', Qt::SkipEmptyParts);
        if (codes.size() != 3)
            return {};
        sets.append(codes);
    }
    return sets;
}

// The rows of the dialog's list that the sets name, in list order; throws for a set
// that is not in the list.
QList<TExportSetRow> CheckedRows(TMainDM &dm, const QList<QStringList> &sets)
{
    const QList<TExportSetRow> rows = TDumpToFile::ReadSetRows(dm);
    const auto named = [&](const TExportSetRow &r, const QStringList &codes) {
        return r.PCDM.trimmed() == codes[0] && r.KLDM.trimmed() == codes[1] && r.JHXZ.trimmed() == codes[2];
    };
    for (const QStringList &codes : sets) {
        if (std::none_of(rows.cbegin(), rows.cend(), [&](const TExportSetRow &r) { return named(r, codes); }))
            throw EZKError(u"no dossier set %1"_s.arg(codes.join(u' ')));
    }
    QList<TExportSetRow> checked;
    for (const TExportSetRow &r : rows) {
        if (std::any_of(sets.cbegin(), sets.cend(),
                        [&](const QStringList &codes) { return named(r, codes); }))
            checked.append(r);
    }
    return checked;
}

// Completion messages go to stdout; warnings and errors to stderr (and fail the run).
class TExportMessageSink : public TCliMessageSink
{
public:
    TExportMessageSink()
        : TCliMessageSink("export")
    {}
    TMsgResult ShowMessage(const QString &text, const QString &caption, TMsgIcon icon,
                           TMsgButtons buttons = TMsgButtons::Ok) override
    {
        if (icon != TMsgIcon::Information)
            return TCliMessageSink::ShowMessage(text, caption, icon, buttons);
        QTextStream(stdout) << CliOneLine(text) << '\n';
        return TMsgResult::Ok;
    }
};

class TSilentProgress : public IProgressSink
{
public:
    void ShowProgress(const QString &, const QString &, int, int, int) override {}
    void UpdateProgressTrans() override {}
    void HideProgress() override {}
};

} // namespace

int RunExportCommand(const QStringList &args)
{
    TExportArgs a;
    const bool parsed = ParseArgs(args, a);
    if (!a.Set.User.isEmpty() && CliRefusesUserName("export", a.Set.User))
        return 2;
    if (!parsed)
        return Usage();
    const QList<QStringList> sets = a.Screen ? QList<QStringList>() : ParseSets(a.Sets);
    if (!a.Screen && sets.isEmpty())
        return Usage();
    try {
        TMainDM dm;
        TExportMessageSink sink;
        TSilentProgress progress;
        if (a.Screen) {
            if (!OpenCliSet(dm, sink, a.Set))
                return 1;
            TDumpToFile(dm, progress, sink).ExportScreen(a.Out);
        } else {
            if (!OpenCliUserData(dm, sink, a.Set))
                return 1;
            TDumpToFile(dm, progress, sink).ExportDossiers(a.Out, CheckedRows(dm, sets));
        }
        return sink.Failed ? 1 : 0;
    } catch (const EZKError &e) {
        return Fail(e.Message());
    }
}
