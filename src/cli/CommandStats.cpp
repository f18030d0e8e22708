// zelkinc-cli stats: one statistic of a dossier set as the statistics window computes it,
// or the statistics work tables as printing fills them.
//
//   zelkinc-cli stats --storage DIR --province SSDM --user NAME --set PCDM KLDM JHXZ
//                     [--unit TDDWDM] [--step 5|10] --item CAPTION
//   zelkinc-cli stats ... [--unit TDDWDM] [--step 5|10] --work-tables [--pdf FILE]
//
// The set is opened as `grid` opens it. --unit selects one submission unit (default: all
// units), --step the score step of the score items (default 5).
//
// --item prints, UTF-8, for the leaf captioned CAPTION ("性别" … "政治面貌", "预投基准分",
// a score item as code + " " + name, "专业1报考取向", "各专业录取进展", "报考专业满足率"):
//   the list's column captions, tab-separated; one line per list row, cells as shown;
//   status TAB panel 0 TAB panel 1 TAB panel 2
//   chart TAB pie|bar|hbar TAB title
//   series TAB title TAB #RRGGBB            one line per series (a pie: title and colour empty)
//   point TAB label TAB value TAB #RRGGBB   one line per slice or bar, in series order
// A leaf that shows a message prints only: message TAB text.
//
// --work-tables fills bmxx, cjxx and zyxx and prints their rows in insertion order as the
// table name TAB its columns (bmxx: XM XMMC RS SZBL; cjxx: XM FSD RS SZBL; zyxx: XM ZYMC
// JHRS BK_LQRS BL), null as empty; with --pdf it then prints "StatReport" into FILE.
//
// Exit status: 0 done (also for a statistic that shows a message); 1 failure (the set
// could not be opened, an unknown item, a statement failed, the score statistic's error
// message); 2 usage error.
#include "CliCommands.h"
#include "CliInputs.h"
#include "CliSet.h"
#include "report/PrintDM.h"
#include "report/ReportOutput.h"
#include "stats/StatWorkTables.h"
#include "stats/Statistics.h"
#include "store/SqlQuery.h"
#include "store/ZKError.h"

#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

struct TStatsArgs
{
    TCliSetArgs Set;
    QString Step = u"5"_s;
    QString Item;
    bool HasItem = false;
    bool WorkTables = false;
    QString Pdf;
};

int Usage()
{
    QTextStream(stderr)
        << "usage: zelkinc-cli stats --storage DIR --province SSDM --user NAME --set PCDM KLDM JHXZ\n"
           "                         [--unit TDDWDM] [--step 5|10] --item CAPTION\n"
           "       zelkinc-cli stats ... [--unit TDDWDM] [--step 5|10] --work-tables [--pdf FILE]\n";
    return 2;
}

int Fail(const QString &message)
{
    QTextStream(stderr) << "zelkinc-cli stats: " << CliOneLine(message) << '\n';
    return 1;
}

bool ParseArgs(const QStringList &args, TStatsArgs &a)
{
    for (int i = 0; i < args.size(); ++i) {
        bool ok = true;
        const bool hasValue = i + 1 < args.size();
        if (TakeCliSetOption(args, i, a.Set, ok)) {
            if (!ok)
                return false;
        } else if (args[i] == u"--step"_s && hasValue) {
            a.Step = args[++i];
            if (a.Step != u"5"_s && a.Step != u"10"_s)
                return false;
        } else if (args[i] == u"--item"_s && hasValue) {
            a.Item = args[++i];
            a.HasItem = true;
        } else if (args[i] == u"--work-tables"_s) {
            a.WorkTables = true;
        } else if (args[i] == u"--pdf"_s && hasValue) {
            a.Pdf = args[++i];
        } else {
            return false;
        }
    }
    if (a.HasItem == a.WorkTables || (!a.Pdf.isEmpty() && !a.WorkTables))
        return false;
    return HasCliSetOptions(a.Set);
}

// The unit list's entry of the --unit code (0 for all units).
int UnitEntry(const TMainDM &dm, const TStatsArgs &a)
{
    if (!a.Set.HasUnit)
        return 0;
    const int unit = dm.GetCurrentTDDWId(a.Set.Unit);
    if (unit < 0)
        throw EZKError(u"no submission unit %1 in the set"_s.arg(a.Set.Unit));
    return unit + 1;
}

int PrintItem(TStatistics &stats, const QString &caption)
{
    const TStatItemNames &names = stats.ItemStrArray();
    for (int group = 0; group < int(names.size()); ++group) {
        const int leaf = int(names[size_t(group)].indexOf(caption));
        if (leaf < 0)
            continue;
        const TStatResult r = stats.Compute(group, leaf);
        QTextStream out(stdout);
        if (r.HasMessage()) {
            out << "message\t" << CliOneLine(r.Message) << '\n';
            return r.MessageIcon == TMsgIcon::Error ? 1 : 0;
        }
        QStringList header;
        for (const TStatColumn &c : r.Columns)
            header.append(CliOneLine(c.Caption));
        out << header.join(u'\t') << '\n';
        for (const QStringList &row : r.Rows) {
            QStringList cells;
            for (const QString &cell : row)
                cells.append(CliOneLine(cell));
            out << cells.join(u'\t') << '\n';
        }
        out << "status";
        for (const std::optional<QString> &panel : r.Status)
            out << '\t' << CliOneLine(panel.value_or(QString()));
        out << '\n';
        out << "chart\t" << StatChartKindName(r.Chart.Kind) << '\t' << CliOneLine(r.Chart.Title) << '\n';
        for (const TStatSeries &s : r.Chart.Series)
            out << "series\t" << CliOneLine(s.Title) << '\t'
                << (s.Colour ? StatColourText(*s.Colour) : QString()) << '\n';
        for (const TStatSeries &s : r.Chart.Series) {
            for (const TStatPoint &p : s.Points)
                out << "point\t" << CliOneLine(p.Label) << '\t' << QString::number(p.Value, 'g', 15) << '\t'
                    << StatColourText(p.Colour) << '\n';
        }
        return 0;
    }
    return Fail(u"no statistic \"%1\""_s.arg(caption));
}

class TNoProgress : public IProgressSink
{
public:
    void ShowProgress(const QString &, const QString &, int, int, int) override {}
    void UpdateProgressTrans() override {}
    void HideProgress() override {}
};

void PrintWorkTables(TMainDM &dm)
{
    QTextStream out(stdout);
    const QList<QPair<QString, QStringList>> tables{
        {u"bmxx"_s, {u"XM"_s, u"XMMC"_s, u"RS"_s, u"SZBL"_s}},
        {u"cjxx"_s, {u"XM"_s, u"FSD"_s, u"RS"_s, u"SZBL"_s}},
        {u"zyxx"_s, {u"XM"_s, u"ZYMC"_s, u"JHRS"_s, u"BK_LQRS"_s, u"BL"_s}}};
    for (const auto &[table, columns] : tables) {
        TSqlQuery q(&dm.UnivConn);
        // Storage order is the order the rows were appended in.
        q.OpenTable(table);
        for (; !q.Eof(); q.Next()) {
            out << table;
            for (const QString &column : columns)
                out << '\t' << CliOneLine(q.AsString(column));
            out << '\n';
        }
    }
}

int RunWorkTables(TMainDM &dm, const TStatsArgs &a, int unitEntry)
{
    TNoProgress progress;
    bool ok = false;
    const int step = a.Step.toInt(&ok);
    FillStatWorkTables(dm, StatUnitCode(dm, unitEntry), progress, ok ? step : 5);
    PrintWorkTables(dm);
    if (!a.Pdf.isEmpty()) {
        TPdfReportOutput output(a.Pdf);
        TPrintDM(dm, output).ExecuteStat(StatUnitPrintText(dm, unitEntry));
    }
    return 0;
}

} // namespace

int RunStatsCommand(const QStringList &args)
{
    TStatsArgs a;
    const bool parsed = ParseArgs(args, a);
    if (!a.Set.User.isEmpty() && CliRefusesUserName("stats", a.Set.User))
        return 2;
    if (!parsed)
        return Usage();
    try {
        TMainDM dm;
        TCliMessageSink sink("stats");
        if (!OpenCliSet(dm, sink, a.Set))
            return 1;
        const int unitEntry = UnitEntry(dm, a);
        if (a.WorkTables)
            return RunWorkTables(dm, a, unitEntry);
        TStatistics stats(dm);
        stats.SetUnitEntry(unitEntry);
        stats.SetScoreStepText(a.Step);
        return PrintItem(stats, a.Item);
    } catch (const EZKError &e) {
        return Fail(e.Message());
    }
}
