// zelkinc-cli print: the printed dossier list of a set as a PDF file.
//
//   zelkinc-cli print --storage DIR --province SSDM --user NAME --set PCDM KLDM JHXZ
//                     [--unit TDDWDM] [--major ZYDH] [--sort FIELD] --pdf FILE
//
// Opens the set as `grid` does and prints the report "TDDReport" for the candidates the
// grid shows, in the grid's order, with the set's stored print layout (positions and
// widths of T_TDDZDXHKD, fonts and row height of t_print_tdd) and the title the print
// layout dialog proposes, into FILE.
//
// Exit status: 0 printed; 1 the set could not be shown or the report not written (one
// line on stderr); 2 usage error.
#include "CliCommands.h"
#include "CliInputs.h"
#include "CliSet.h"
#include "report/PrintDM.h"
#include "report/PrintLayout.h"
#include "store/ZKError.h"

#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

struct TPrintArgs
{
    TCliSetArgs Set;
    QString Pdf;
};

int Usage()
{
    QTextStream(stderr)
        << "usage: zelkinc-cli print --storage DIR --province SSDM --user NAME --set PCDM KLDM JHXZ\n"
           "                         [--unit TDDWDM] [--major ZYDH] [--sort FIELD] --pdf FILE\n";
    return 2;
}

int Fail(const QString &message)
{
    QTextStream(stderr) << "zelkinc-cli print: " << CliOneLine(message) << '\n';
    return 1;
}

bool ParseArgs(const QStringList &args, TPrintArgs &a)
{
    for (int i = 0; i < args.size(); ++i) {
        bool ok = true;
        if (TakeCliSetOption(args, i, a.Set, ok)) {
            if (!ok)
                return false;
        } else if (args[i] == u"--pdf"_s && i + 1 < args.size()) {
            a.Pdf = args[++i];
        } else {
            return false;
        }
    }
    return HasCliSetOptions(a.Set) && !a.Pdf.isEmpty();
}

} // namespace

int RunPrintCommand(const QStringList &args)
{
    TPrintArgs a;
    const bool parsed = ParseArgs(args, a);
    if (!a.Set.User.isEmpty() && CliRefusesUserName("print", a.Set.User))
        return 2;
    if (!parsed)
        return Usage();
    try {
        TMainDM dm;
        TCliMessageSink sink("print");
        if (!OpenCliSet(dm, sink, a.Set))
            return 1;
        TTddPrintFields fields(dm);
        fields.ReadFields();
        const TTddPrintLayout layout = fields.StoredLayout(ReadPrintFonts(dm.UnivConn), ProposedPrintTitle());
        TPdfReportOutput output(a.Pdf);
        TPrintDM(dm, output).ExecuteTDD(layout, fields);
        return 0;
    } catch (const EZKError &e) {
        return Fail(e.Message());
    }
}
