// Opening a dossier set of 20,000 candidates with 200 majors and 30 shown columns into the
// workspace, and sorting it by each column, against a bare SQLite select of the same rows
// and columns in the same run. Prints the times and their ratios; fails on nothing.
//
// usage: bench_workspace_open [candidates]

#include "store/Schema.h"
#include "support/BenchDossierSet.h"
#include "store/SqlConnection.h"
#include "store/SqlQuery.h"
#include "store/StorageFolder.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

using namespace BenchSet;

constexpr int Repeats = 3;

// The same rows and columns through SQLite alone: prepare, bind, step, read every value.
double BareSelect(const QString &path, const QStringList &fields)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const QByteArray sql = u"SELECT %1 FROM T_TDD WHERE PCDM = ?1 AND KLDM = ?1 AND JHXZ = ?1 ORDER BY KSH"_s
                               .arg(fields.join(u','))
                               .toUtf8();
    QElapsedTimer timer;
    timer.start();
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
    sqlite3_bind_text(stmt, 1, "1", 1, SQLITE_STATIC);
    qint64 bytes = 0;
    const int columns = sqlite3_column_count(stmt);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_type(stmt, c) == SQLITE_TEXT)
                bytes += sqlite3_column_bytes16(stmt, c);
            else
                bytes += qint64(sqlite3_column_double(stmt, c));
        }
    }
    sqlite3_finalize(stmt);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    sqlite3_close(db);
    return bytes == 0 ? -1 : ms;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
    QTemporaryDir dir;
    const QString univ = PrepareUserFolder(dir.path());
    {
        TSqlConnection conn(univ);
        conn.Open();
        TSqlTransaction transaction(conn);
        CreateReceivedTables(conn);
        FillPlanAndLayout(conn);
        FillCandidates(conn, count);
        transaction.Commit();
    }

    TMainDM dm;
    if (!OpenBenchWorkspace(dm, univ))
        return 1;
    QElapsedTimer first;
    first.start();
    if (dm.OpenTDD() != 0)
        return 1;
    const double firstMs = double(first.nsecsElapsed()) / 1e6;
    QStringList fields;
    for (int i = 0; i < dm.LQGridQuery.FieldCount(); ++i)
        fields.append(dm.LQGridQuery.Field(i).Name);
    const double bare = BestOf([&] { BareSelect(univ, fields); }, Repeats);
    const double open = BestOf([&] { dm.OpenTDD(); }, Repeats);

    std::printf("candidates %d, majors %d, shown columns %d, query fields %d, shown %lld\n", dm.KsNum,
                dm.JhRecCount, dm.ColumnNum, int(fields.size()), qlonglong(dm.CurrentKSList.size()));
    std::printf("bare select of the same rows     %9.2f ms\n", bare);
    std::printf("first open (with row repairs)    %9.2f ms   ratio %6.2f   (goal: at most 4)\n", firstMs,
                firstMs / bare);
    std::printf("open                             %9.2f ms   ratio %6.2f   (goal: at most 2.5)\n", open,
                open / bare);
    for (int c = 0; c < dm.ColumnNum; ++c) {
        const TZKColumnRec &column = dm.ZKColumn[c];
        const double sort = BestOf([&] { dm.SortKS(c); }, Repeats);
        std::printf("sort %c %-12s                %9.2f ms   ratio %6.2f\n", char(column.ColType.unicode()),
                    qPrintable(column.Name), sort, sort / bare);
    }
    return 0;
}
