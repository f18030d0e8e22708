// Dossier export speed: a set of 20,000 candidates with their proficiency scores,
// résumés and health checks (imported as the client imports a dossier package) exported
// to each kind of file through TDumpToFile::ExportDossiers, against a bare read of the
// same rows from the user database in the same run. Prints rows per second of each and
// the ratio to the bare read; fails on nothing. An Excel 97 worksheet holds at most
// 65,535 records, so at 20,000 candidates the score table is refused there (the run says
// so); a run with 4000 candidates gives the Excel 97 figure.
//
// usage: bench_export_kinds [candidates]

#include "exchange/MemberNetDM.h"
#include "export/DumpToFile.h"
#include "export/XlsWorkbook.h"
#include "leader/DemoModel.h"
#include "leader/DemoTables.h"
#include "store/SqlQuery.h"
#include "store/StorageFolder.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/DmTables.h"
#include "workspace/MainDM.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

const QStringList DossierTables{u"T_TDD"_s, u"T_KSHKCJ"_s, u"T_KSJL"_s, u"T_TJXX"_s};

struct TBenchSet
{
    QString PCDM, KLDM, JHXZ;
};

// A dossier package of the demo province's largest set.
QByteArray MakePackage(int candidates, TBenchSet &codes)
{
    const TDemoProvince province = BuildDemoProvince(u"11"_s, false, candidates, 1, 1, 7);
    int set = 0;
    for (int s = 0; s < province.Sets.size(); ++s) {
        if (province.Sets[s].Weight > province.Sets[set].Weight)
            set = s;
    }
    const QList<TDemoCandidate> list = BuildCandidates(province, set, candidates, 7);
    QList<const TDemoCandidate *> pointers;
    for (const TDemoCandidate &c : list)
        pointers.append(&c);
    codes = {province.Sets[set].PCDM, province.Sets[set].KLDM, province.Sets[set].JHXZ};
    QByteArray number(4, '\0');
    qToLittleEndian(qint32(1), number.data());
    return ZipMembers({{u"TDDBH.dat"_s, number},
                       RecordsetMember(u"T_TDD.adtg"_s, DossierRecordset(province, pointers)),
                       RecordsetMember(u"T_KSHKCJ.adtg"_s, ProficiencyRecordset(pointers, 7)),
                       RecordsetMember(u"T_KSJL.adtg"_s, ResumeRecordset(province, pointers, 7)),
                       RecordsetMember(u"T_TJXX.adtg"_s, HealthRecordset(pointers, 7))});
}

// A user folder with the set imported and small plan and code tables beside it.
void PrepareUser(const QString &userFolder, TMainDM &dm, const TBenchSet &s, const QString &zip)
{
    TZKMainDef &def = ZKMainDef();
    def.LoginInfo.UserFolder = userFolder;
    def.LoginInfo.DownloadFolder = userFolder + u"Download/"_s;
    QDir().mkpath(def.LoginInfo.DownloadFolder);
    CopyProgramFile(userFolder, UnivDatabaseFileName);
    dm.UnivConn.Open(JetConnectionPrefix + userFolder + UnivDatabaseFileName);
    TMemberNetDM net(dm);
    if (net.InitTDD() != 0)
        qFatal("no dossier table: is %s the program folder?", qPrintable(def.ProgramFolder));
    dm.UnivConn.ExecSQL(u"create table T_KLJHXZZT (PCDM binary(2), KLDM binary(2), JHXZ binary(2), "
                        "DQTDDBH long, ZT text(1) with comp)"_s);
    const QString values = u"(\"%1\", \"%2\", \"%3\""_s.arg(s.PCDM, s.KLDM, s.JHXZ);
    dm.UnivConn.ExecSQL(u"insert into T_KLJHXZZT values "_s + values + u", 0, \"0\")"_s);
    if (net.ImportTDD(s.PCDM, s.KLDM, s.JHXZ, 0, zip) != 0)
        qFatal("the import failed");
    for (const QString &t : {u"t_jhk"_s, u"t_tddw"_s}) {
        dm.UnivConn.ExecSQL(u"create table %1 (PCDM binary(2), KLDM binary(2), JHXZ binary(2), "
                            "TDDW text(3) with comp, ZYDH text(2) with comp, JHS long)"_s.arg(t));
        dm.UnivConn.ExecSQL(u"insert into "_s + t + u" values "_s + values + u", \"001\", \"01\", 30)"_s);
    }
    for (const TDmDBFRec &code : DmDBFTable()) {
        dm.UnivConn.ExecSQL(u"create table %1 (%2 text(10) with comp, %3 text(50) with comp)"_s.arg(
            code.TableName, code.DMField, code.MCField));
        dm.UnivConn.ExecSQL(u"insert into %1 values (\"1\", \"代码一\")"_s.arg(code.TableName));
    }
}

// Every row of the set's four dossier tables read through the engine, each value touched.
double BareReadMs(TSqlConnection &conn, const TBenchSet &s, qint64 &rows)
{
    const QString where = u"instr(1, \"%1%2%3;\", pcdm + kldm + jhxz, 0) > 0"_s.arg(s.PCDM, s.KLDM, s.JHXZ);
    QElapsedTimer timer;
    timer.start();
    rows = 0;
    qint64 touched = 0;
    for (const QString &t : DossierTables) {
        TSqlQuery q(&conn);
        q.SetSQL(t == "T_TDD"_L1
                     ? u"select * from T_TDD where "_s + where
                     : u"select * from %1 where ksh in (select ksh from t_tdd where %2)"_s.arg(t, where));
        for (q.Open(); !q.Eof(); q.Next()) {
            ++rows;
            touched += q.Row().size();
        }
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    if (touched == 0)
        qFatal("nothing read");
    return ms;
}

class TNoWindows : public IProgressSink, public IMessageSink
{
public:
    void ShowProgress(const QString &, const QString &, int, int, int) override {}
    void UpdateProgressTrans() override {}
    void HideProgress() override {}
    TMsgResult ShowMessage(const QString &, const QString &, TMsgIcon, TMsgButtons) override
    {
        return TMsgResult::Ok;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int candidates = argc > 1 ? std::atoi(argv[1]) : 20000;
    ZKMainDef().SetProgramFolder(QCoreApplication::applicationDirPath() + u"/../bin/"_s);
    TBenchSet set;
    const QByteArray package = MakePackage(candidates, set);
    QTemporaryDir dir;
    const QString zip = dir.filePath(u"tdd.zip"_s);
    QFile file(zip);
    if (!file.open(QIODevice::WriteOnly) || file.write(package) != package.size())
        qFatal("cannot write the package");
    file.close();
    TMainDM dm;
    PrepareUser(dir.path() + u"/user/"_s, dm, set, zip);

    qint64 rows = 0;
    const double bare = BareReadMs(dm.UnivConn, set, rows);
    std::printf("set: %d candidates, %lld rows in T_TDD, T_KSHKCJ, T_KSJL, T_TJXX\n", candidates,
                static_cast<long long>(rows));
    std::printf("bare read of the rows:  %9.1f ms (%8.0f rows/s)\n", bare, rows / bare * 1000);
    TNoWindows windows;
    TExportSetRow row;
    row.PCDM = set.PCDM;
    row.KLDM = set.KLDM;
    row.JHXZ = set.JHXZ;
    const QList<TExportSetRow> sets{row};
    for (const auto &[label, name] :
         {std::pair{"dBase IV  ", u"dbf/tdd.dbf"_s}, std::pair{"Excel 97  ", u"tdd.xls"_s},
          std::pair{"Excel 2007", u"tdd.xlsx"_s}}) {
        QDir().mkpath(dir.filePath(u"dbf"_s));
        QElapsedTimer timer;
        timer.start();
        try {
            TDumpToFile(dm, windows, windows).ExportDossiers(dir.filePath(name), sets);
        } catch (const EZKError &e) {
            std::printf("%s export:     refused: %s\n", label, qPrintable(e.Message()));
            continue;
        }
        const double ms = timer.nsecsElapsed() / 1e6;
        std::printf("%s export:     %9.1f ms (%8.0f rows/s), ratio export / bare read %.1f\n", label, ms,
                    rows / ms * 1000, ms / bare);
    }
    return 0;
}
