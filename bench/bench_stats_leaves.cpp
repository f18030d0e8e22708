// Every statistic of a dossier set of 20,000 candidates (10 units, 200 majors, 5 score
// items) and the filling of the three work tables, against a bare SQLite `group by` count
// over the same rows in the same run. Prints the times and their ratios; fails on nothing.
//
// usage: bench_stats_leaves [candidates]

#include "stats/StatWorkTables.h"
#include "stats/Statistics.h"
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
#include <random>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

using BenchSet::OpenBenchWorkspace;
using BenchSet::PrepareUserFolder;

constexpr int Units = 10;
constexpr int MajorsPerUnit = 20;
constexpr int ScoreItems = 5;
constexpr int Repeats = 3;

QString Code(int n, int width)
{
    return u"%1"_s.arg(n, width, 10, QChar(u'0'));
}

void CreateTables(TSqlConnection &conn)
{
    for (const TDmDBFRec &t : DmDBFTable())
        conn.ExecSQL(
            u"create table %1 (%2 text(10) with comp, %3 text(50) with comp, CJXLXDM text(3) with comp)"_s
                .arg(t.TableName, t.DMField, t.MCField));
    QString tdd =
        u"create table T_TDD (KSH text(14) with comp, XM text(20) with comp, PCDM binary(2), KLDM binary(2), "
        "JHXZ binary(2), TDDW text(3) with comp, DQTDDW text(3) with comp, KSZT text(1) with comp, "
        "LQZY text(2) with comp, ZYYTJZCJ double, XBDM text(2) with comp, MZDM text(2) with comp, "
        "KSLBDM text(2) with comp, BYLBDM text(2) with comp, ZZMMDM text(2) with comp, "_s;
    for (int i = 1; i <= 6; ++i)
        tdd += u"TDDWDM%1 text(3) with comp, ZYDH%1 text(2) with comp, "_s.arg(i);
    for (int s = 1; s <= ScoreItems; ++s)
        tdd += u"GKCJX%1 double, "_s.arg(Code(s, 2));
    tdd += u"primary key (KSH))"_s;
    for (
        const QString &sql :
        {u"create table TD_ZYLBDM (ZYLBDM long, ZYLBMC text(50) with comp)"_s,
         u"create table t_common_params (rank_score_supported text(1) with comp, rank_perm_code_list "
         u"text(50) "
         "with comp, user_rank_perm_code_list text(50) with comp, req_course_maskable_rank_list text(50) "
         "with "
         "comp, bmb_name text(20) with comp, tjb_name text(20) with comp, fjb_name text(20) with comp)"_s,
         u"insert into t_common_params values (\"0\", \"\", \"\", \"\", \"报名表\", \"体检表\", \"附加表\")"_s,
         u"create table T_KLJHXZZT (PCDM binary(2), KLDM binary(2), JHXZ binary(2), DQTDDBH long, "
         "ZT text(1) with comp, ZDTDZY text(1) with comp)"_s,
         u"create table T_JHK (PCDM text(2) with comp, KLDM text(2) with comp, JHXZ text(2) with comp, "
         "TDDW text(3) with comp, ZYDH text(2) with comp, ZYMC text(50) with comp, JHZXS long)"_s,
         tdd})
        conn.ExecSQL(sql);
    for (int s = 1; s <= ScoreItems; ++s)
        conn.ExecSQL(u"insert into TD_CJXDM values (\"%1\", \"科目%1\", \"000\")"_s.arg(Code(s, 2)));
    for (int n = 1; n <= 9; ++n) {
        for (const char *table : {"TD_XBDM", "TD_MZDM", "TD_KSLBDM", "TD_BYLBDM", "TD_ZZMMDM"})
            conn.ExecSQL(
                u"insert into %1 values (\"%2\", \"名称%2\", \"\")"_s.arg(QLatin1StringView(table)).arg(n));
    }
    for (int u = 1; u <= Units; ++u) {
        for (int m = 1; m <= MajorsPerUnit; ++m)
            conn.ExecSQL(
                u"insert into T_JHK values (\"1\", \"1\", \"1\", \"%1\", \"%2\", \"专业%1-%2\", %3)"_s
                    .arg(Code(u, 3), Code(m, 2))
                    .arg(5 + m % 20));
    }
}

void FillCandidates(TSqlConnection &conn, int count)
{
    std::mt19937 random(20240601);
    auto pick = [&random](int n) { return int(random() % unsigned(n)); };
    QStringList names{u"KSH"_s,  u"XM"_s,     u"PCDM"_s,   u"KLDM"_s,   u"JHXZ"_s,
                      u"TDDW"_s, u"DQTDDW"_s, u"KSZT"_s,   u"LQZY"_s,   u"ZYYTJZCJ"_s,
                      u"XBDM"_s, u"MZDM"_s,   u"KSLBDM"_s, u"BYLBDM"_s, u"ZZMMDM"_s};
    for (int i = 1; i <= 6; ++i)
        names << u"TDDWDM%1"_s.arg(i) << u"ZYDH%1"_s.arg(i);
    for (int s = 1; s <= ScoreItems; ++s)
        names << u"GKCJX%1"_s.arg(Code(s, 2));
    QStringList params;
    for (const QString &n : names)
        params.append(u':' + n);
    TSqlQuery insert(&conn);
    insert.SetSQL(u"insert into T_TDD (%1) values (%2)"_s.arg(names.join(u','), params.join(u',')));
    for (int k = 0; k < count; ++k) {
        const QString unit = Code(1 + pick(Units), 3);
        QStringList wishes;
        for (int i = 0; i < 6; ++i)
            wishes.append(Code(1 + pick(MajorsPerUnit), 2));
        const int kind = pick(100);
        const QString kszt = kind < 50 ? u"1"_s : (kind < 60 ? u"2"_s : u"0"_s);
        const QString lqzy = kind < 50 ? wishes[pick(6)] : (kind < 60 ? u"  "_s : u" ?"_s);
        QVariantList values{u"2024%1"_s.arg(k, 10, 10, QChar(u'0')),
                            u"考生%1"_s.arg(k),
                            u"1"_s,
                            u"1"_s,
                            u"1"_s,
                            unit,
                            unit,
                            kszt,
                            lqzy,
                            450 + pick(500) * 0.5};
        for (int c = 0; c < 5; ++c)
            values.append(Code(1 + pick(9), 1));
        for (int i = 0; i < 6; ++i)
            values << unit << wishes[i];
        for (int s = 1; s <= ScoreItems; ++s)
            values.append(pick(20) ? QVariant(40 + pick(110)) : QVariant());
        for (int c = 0; c < values.size(); ++c)
            insert.SetParam(names[c], values[c]);
        insert.ExecSQL();
    }
}

// The baseline: a bare `group by` count of the same rows through SQLite alone.
double BareGroupBy(const QString &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const char *sql =
        "SELECT XBDM, COUNT(*) FROM T_TDD WHERE PCDM = ?1 AND KLDM = ?1 AND JHXZ = ?1 GROUP BY XBDM";
    QElapsedTimer timer;
    timer.start();
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    sqlite3_bind_text(stmt, 1, "1", 1, SQLITE_STATIC);
    qint64 total = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        total += sqlite3_column_int64(stmt, 1);
    sqlite3_finalize(stmt);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    sqlite3_close(db);
    return total == 0 ? -1 : ms;
}

template<class F>
double BestOf(F &&run)
{
    double best = 1e300;
    for (int i = 0; i < Repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

class TNoProgress : public IProgressSink
{
public:
    void ShowProgress(const QString &, const QString &, int, int, int) override {}
    void UpdateProgressTrans() override {}
    void HideProgress() override {}
};

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
        CreateTables(conn);
        FillCandidates(conn, count);
        transaction.Commit();
    }

    TMainDM dm;
    if (!OpenBenchWorkspace(dm, univ))
        return 1;
    TStatistics stats(dm);
    const double bare = BestOf([&] { BareGroupBy(univ); });
    std::printf("candidates %d, majors %d, score items %d\n", count, Units * MajorsPerUnit, ScoreItems);
    std::printf("bare group by count               %9.2f ms\n", bare);
    double all = 0;
    for (int group = 0; group < 3; ++group) {
        for (int leaf = 0; leaf < stats.ItemStrArray()[size_t(group)].size(); ++leaf) {
            TStatResult result;
            const double ms = BestOf([&] { result = stats.Compute(group, leaf); });
            all += ms;
            // The name last: printf pads bytes, not the width of Chinese characters.
            std::printf("leaf                              %9.2f ms   ratio %6.2f   %s%s\n", ms, ms / bare,
                        qPrintable(stats.ItemStrArray()[size_t(group)][leaf]),
                        result.HasMessage() ? " (message)" : "");
        }
    }
    std::printf("every leaf                        %9.2f ms   ratio %6.2f\n", all, all / bare);
    TNoProgress progress;
    const double tables = BestOf([&] { FillStatWorkTables(dm, QString(), progress); });
    std::printf("work tables bmxx, cjxx, zyxx      %9.2f ms   ratio %6.2f\n", tables, tables / bare);
    return 0;
}
