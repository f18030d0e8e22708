// The three candidate pages (the shipped templates) of a candidate with six wishes in the
// all-wishes table, ten proficiency scores, résumé rows and a health check, against a bare
// read of that candidate's rows in the same run. Prints the times and their ratio; fails
// on nothing.
//
// usage: bench_details_pages [rounds]

#include "PageRig.h"
#include "TestSupport.h"
#include "store/SqlQuery.h"
#include "store/ZKMainDef.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

void FillCandidate(TPageRig &r)
{
    TFixtureCandidate c{u"B0000000000001"_s, u"测试考生"_s, u"001"_s};
    c.ZYDH = {u"01"_s, u"02"_s, u"04"_s, u"01"_s, u"02"_s, u"04"_s};
    c.ZYSXDM = {u"01"_s};
    c.Extra = {{u"CJ"_s, 612.0},     {u"GKCJX01"_s, 120.0}, {u"GKCJX02"_s, 131.0},
               {u"GKCJX03"_s, 88.0}, {u"ZYTZ"_s, u"AB"_s},  {u"KSTZ"_s, u"应届"_s}};
    r.F.AddCandidate(c);
    r.AddTjxx(c.KSH, {{u"TJJLDM"_s, u"2"_s}, {u"ZYSXDM1"_s, u"01"_s}, {u"NK_FYQK"_s, u"1"_s}});
    for (int n = 1; n <= 10; ++n)
        r.AddHkcj(c.KSH, u"%1"_s.arg(n, 2, 10, QLatin1Char('0')), u"A"_s);
    for (int n = 0; n < 4; ++n)
        r.AddKsjl(c.KSH, QDate(2014 + 3 * n, 9, 1), QDate(2017 + 3 * n, 7, 1), u"在某中学学习"_s);
    for (int wish = 1; wish <= 6; ++wish)
        r.AddQbzy(c.KSH,
                  {u"1"_s, u"1"_s, u"1"_s, QString::number(wish), u"001"_s, u"10001"_s, u"测试大学"_s, u"A"_s,
                   u"1"_s, u"0"_s},
                  {u"01 计算机"_s, u"02 数学"_s, u"04 化学"_s, u"05 生物"_s, u"06 物理"_s, u"07 地理"_s});
}

// What the pages read, row by row, without making anything of it.
qsizetype BareRead(TMainDM &dm, const QString &ksh)
{
    qsizetype values = 0;
    auto read = [&](TSqlConnection &conn, const QString &sql) {
        TSqlQuery q(&conn);
        q.SetSQL(sql);
        q.SetTextParam(u"ksh"_s, ksh);
        for (q.Open(); !q.Eof(); q.Next())
            values += q.Row().size();
    };
    // The dossier row for each page; the other tables once, by the page that shows them.
    for (int page = 0; page < 3; ++page)
        read(dm.UnivConn, u"select * from T_TDD where KSH = :ksh"_s);
    read(dm.UnivConn, u"select * from t_tjxx where ksh = :ksh"_s);
    read(dm.UnivConn, u"select * from T_KSHKCJ where KSH = :ksh"_s);
    read(dm.UnivConn, u"select * from T_KSJL where KSH = :ksh"_s);
    TMainDM::ShareUse share(dm);
    read(dm.UnivShareConn, u"select * from T_QBZYK where KSH = :ksh order by rowid"_s);
    return values;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? qMax(1, atoi(argv[1])) : 200;
    TPageRig r;
    FillCandidate(r);
    r.Open();
    ZKMainDef().SetProgramFolder(zktest::programFolder());
    r.B.Init();
    const QString ksh = u"B0000000000001"_s;
    r.B.SetCandidate(ksh, r.F.Ks(ksh));

    QElapsedTimer timer;
    timer.start();
    qsizetype values = 0;
    for (int i = 0; i < rounds; ++i)
        values += BareRead(r.F.Dm(), ksh);
    const double bareMs = double(timer.nsecsElapsed()) / 1e6;

    timer.restart();
    qsizetype bytes = 0;
    for (int i = 0; i < rounds; ++i) {
        for (int page = 0; page < 3; ++page)
            bytes += QFileInfo(r.B.BuildDNPage(page)).size();
    }
    const double pagesMs = double(timer.nsecsElapsed()) / 1e6;

    std::printf("candidate pages: %d rounds of 3 pages (%lld bytes written, %lld values read bare)\n", rounds,
                static_cast<long long>(bytes), static_cast<long long>(values));
    std::printf("  bare read of the rows : %9.2f ms  (%.3f ms per round)\n", bareMs, bareMs / rounds);
    std::printf("  three pages written   : %9.2f ms  (%.3f ms per round)\n", pagesMs, pagesMs / rounds);
    std::printf("  ratio pages / bare read: %.2f\n", pagesMs / bareMs);
    return 0;
}
