// Printing the dossier list of a set of 20,000 candidates with 12 printed columns to a
// PDF file, as pages per second, next to the bare row walk of the same report (the
// connection's rows and every printed text, without layout or drawing) in the same run.
// Prints the times and their ratios; fails on nothing.
//
// usage: bench_report_print [candidates]

#include "report/PrintDM.h"
#include "report/PrintLayout.h"
#include "report/ReportDocument.h"
#include "store/Schema.h"
#include "support/BenchDossierSet.h"
#include "store/SqlConnection.h"
#include "store/SqlQuery.h"
#include "store/StorageFolder.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

using namespace BenchSet;


// The printed columns: position by field.
const QStringList &PrintedFields()
{
    static const QStringList fields{u"KSH"_s,   u"XM"_s,   u"XBDM"_s, u"ZYYTJZCJ"_s, u"LQZY"_s, u"ZYDH1"_s,
                                    u"ZYDH2"_s, u"TDZY"_s, u"TDDW"_s, u"CJ"_s,       u"BYXX"_s, u"SFZH"_s};
    return fields;
}

void PlacePrintedFields(TSqlConnection &conn)
{
    int xh = 100;
    for (const QStringList &c : Columns())
        Exec(conn, u"update T_TDDZDSX set XH = \"%1\" where ZDDH = \"%2\""_s.arg(xh++).arg(c[0]));
    Exec(conn, u"update T_TDDZDXHKD set DYWZ = -1, DYKD = 70"_s);
    for (int p = 0; p < PrintedFields().size(); ++p)
        Exec(conn, u"update T_TDDZDXHKD set DYWZ = %1 where ZDDH = \"%2\""_s.arg(p).arg(PrintedFields()[p]));
}

class TCountingOutput : public IReportOutput
{
public:
    bool Output(const TReportDocument &document) override
    {
        Pages = document.PageCount();
        return true;
    }
    int Pages = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
    QTemporaryDir dir;
    TZKMainDef &def = ZKMainDef();
    // The report definitions are shipped into the program folder beside the programs.
    const QString programFolder = qEnvironmentVariable("ZK_PROGRAM_FOLDER");
    def.SetProgramFolder(programFolder.isEmpty() ? QCoreApplication::applicationDirPath() + u"/../bin"_s
                                                 : programFolder);
    const QString univ = PrepareUserFolder(dir.path());
    def.LoginInfo.SSMC = u"测试省"_s;
    {
        TSqlConnection conn(univ);
        conn.Open();
        TSqlTransaction transaction(conn);
        CreateReceivedTables(conn);
        FillPlanAndLayout(conn);
        PlacePrintedFields(conn);
        FillCandidates(conn, count);
        transaction.Commit();
    }

    TMainDM dm;
    if (!OpenBenchWorkspace(dm, univ))
        return 1;
    if (dm.OpenTDD() != 0)
        return 1;
    TTddPrintFields fields(dm);
    fields.ReadFields();
    const TTddPrintLayout layout = fields.StoredLayout(ReadPrintFonts(dm.UnivConn), ProposedPrintTitle());

    // The bare row walk: what the report's connection produces, nothing laid out or drawn.
    qint64 characters = 0;
    const double walk = BestOf(
        [&] {
            fields.OpenQuery();
            for (const TKSItem *ks : dm.CurrentKSList) {
                for (const auto &column : layout.Columns)
                    characters += fields.GetTddFieldStr(ks, column.Field).size();
            }
            fields.CloseQuery();
        },
        3);
    TCountingOutput counting;
    const double laidOut = BestOf([&] { TPrintDM(dm, counting).ExecuteTDD(layout, fields); }, 3);
    const QString pdf = dir.filePath(u"list.pdf"_s);
    TPdfReportOutput output(pdf);
    const double printed = BestOf([&] { TPrintDM(dm, output).ExecuteTDD(layout, fields); }, 2);
    const int pages = output.PagesWritten();
    const double pdfBytes = double(QFileInfo(pdf).size());

    std::printf("candidates %lld, printed columns %lld, pages %d, characters walked %lld\n",
                qlonglong(dm.CurrentKSList.size()), qlonglong(layout.Columns.size()), pages,
                qlonglong(characters));
    std::printf("bare row walk                  %9.2f ms   %9.1f pages/s\n", walk, pages * 1000.0 / walk);
    std::printf("laid out into pages            %9.2f ms   %9.1f pages/s   ratio %6.2f\n", laidOut,
                counting.Pages * 1000.0 / laidOut, laidOut / walk);
    std::printf("printed to PDF (%.1f MB)        %9.2f ms   %9.1f pages/s   ratio %6.2f\n", pdfBytes / 1e6,
                printed, pages * 1000.0 / printed, printed / walk);
    return 0;
}
