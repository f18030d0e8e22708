// zelkinc-cli journal: the member's decision journal of a dossier set, for support staff.
//
//   zelkinc-cli journal --storage DIR --province SSDM --user NAME --set PCDM KLDM JHXZ
//
// Reads the journal of the user folder DIR/<SSPY>/<NAME>/ (SSPY: the province's short
// letters in DIR/t_sszt.adtg) without changing anything, and prints, UTF-8, a header line
// with the column captions and then one line per recorded decision of the set, newest
// first, cells separated by tabs (a tab or line break inside a cell becomes a space): the
// time, the set's codes, candidate number and name, the status before and after, the
// major, return reason and remark written, whether an acknowledged upload carried it
// (with that upload's package number) and when it was acknowledged. A user database that
// never recorded a decision prints the header line only.
//
// Exit status: 0 printed; 1 the journal could not be read (unknown province, user folder
// or set, a failure of the database; one line on stderr); 2 usage error or a user name
// that is no plain folder name (one line on stderr).
#include "CliCommands.h"
#include "CliSet.h"
#include "CliInputs.h"
#include "store/SqlDetached.h"
#include "store/ZKError.h"
#include "workspace/DecisionJournal.h"

#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

int Usage()
{
    QTextStream(stderr)
        << "usage: zelkinc-cli journal --storage DIR --province SSDM --user NAME --set PCDM KLDM JHXZ\n";
    return 2;
}

int Fail(const QString &message)
{
    QTextStream(stderr) << "zelkinc-cli journal: " << CliOneLine(message) << '\n';
    return 1;
}

bool ParseArgs(const QStringList &args, TCliSetArgs &a)
{
    for (int i = 0; i < args.size(); ++i) {
        bool ok = true;
        if (!TakeCliSetOption(args, i, a, ok) || !ok || a.HasUnit || a.HasMajor || a.HasSort)
            return false;
    }
    return HasCliSetOptions(a);
}

QString Line(QStringList cells)
{
    for (QString &cell : cells)
        cell = CliOneLine(cell);
    return cells.join(u'\t');
}

} // namespace

int RunJournalCommand(const QStringList &args)
{
    TCliSetArgs a;
    const bool parsed = ParseArgs(args, a);
    if (!a.User.isEmpty() && CliRefusesUserName("journal", a.User))
        return 2;
    if (!parsed)
        return Usage();
    try {
        TMainDM dm;
        TCliMessageSink sink("journal");
        if (!OpenCliUserData(dm, sink, a))
            return 1;
        TRecordset sets = OpenTableRows(dm.UnivConn, u"T_KLJHXZZT"_s);
        if (!sets.Locate(u"pcdm;kldm;jhxz"_s,
                         {QuotedLocateValue(a.Pcdm), QuotedLocateValue(a.Kldm), QuotedLocateValue(a.Jhxz)}))
            return Fail(u"no dossier set %1 %2 %3"_s.arg(a.Pcdm, a.Kldm, a.Jhxz));
        const QList<TJournalEntry> entries = TDecisionJournal(dm.UnivConn).Read(a.Pcdm, a.Kldm, a.Jhxz);
        QTextStream out(stdout);
        out << Line(TDecisionJournal::ColumnTitles()) << '\n';
        for (const TJournalEntry &entry : entries)
            out << Line(entry.Texts()) << '\n';
        return 0;
    } catch (const EZKError &e) {
        return Fail(e.Message());
    }
}
