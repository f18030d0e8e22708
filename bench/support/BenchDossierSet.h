#pragma once

// The dossier set the benchmarks share: a user database with the received tables, a plan of
// Units × MajorsPerUnit majors, 30 shown columns and any number of random candidates in one
// batch, category and plan nature ("1" "1" "1").

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>
#include <algorithm>

class TMainDM;
class TSqlConnection;

namespace BenchSet {

inline constexpr int Units = 10;
inline constexpr int MajorsPerUnit = 20;

// The 30 shown columns: field, caption, code table, letter.
const QList<QStringList> &Columns();
void Exec(TSqlConnection &conn, const QString &sql);
// The tables the leader's packages bring, with code tables, templates and the one set.
void CreateReceivedTables(TSqlConnection &conn);
// n with leading zeros to width.
QString Code(int n, int width);
// The units and majors of the plan, the shown columns and their layout.
void FillPlanAndLayout(TSqlConnection &conn);
// count candidates with random scores, wishes and decisions (the same every run).
void FillCandidates(TSqlConnection &conn, int count);

// The benchmark's user "bench" of province "BENCH" with its folder under storageFolder
// (login values of ZKMainDef) and the shipped empty user databases; the path of the
// institution database.
QString PrepareUserFolder(const QString &storageFolder);
// Reads the code tables of the user database univ into dm and makes "1" "1" "1" the
// current set; false when the code tables could not be read.
bool OpenBenchWorkspace(TMainDM &dm, const QString &univ);

// The best of repeats runs, in milliseconds.
template<class F>
double BestOf(F &&run, int repeats)
{
    double best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace BenchSet
