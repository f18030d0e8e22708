// Dossier package import speed: a package of 20,000 candidates with their proficiency
// scores, résumés and health checks imported through TMemberNetDM::ImportTDD (unpacking,
// reading the recordsets, the merge into the local tables, all in one transaction),
// against a bare prepared-insert loop of the same rows into tables of the same columns
// in the same run. Prints rows per second of both and their ratio; fails on nothing.
//
// usage: bench_exchange_import [candidates]

#include "exchange/MemberNetDM.h"
#include "leader/DemoModel.h"
#include "leader/DemoTables.h"
#include "store/SqlConnection.h"
#include "store/StorageFolder.h"
#include "store/TableTools.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdio>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

struct TPackage
{
    QString PCDM, KLDM, JHXZ;
    QList<std::pair<QString, TRecordset>> Tables; // target table and its rows
    QByteArray Zip;
    int Rows = 0;
};

TPackage MakePackage(int candidates)
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
    TPackage p{province.Sets[set].PCDM, province.Sets[set].KLDM, province.Sets[set].JHXZ, {}, {}, 0};
    p.Tables = {{u"T_TDD"_s, DossierRecordset(province, pointers)},
                {u"T_KSHKCJ"_s, ProficiencyRecordset(pointers, 7)},
                {u"T_KSJL"_s, ResumeRecordset(province, pointers, 7)},
                {u"T_TJXX"_s, HealthRecordset(pointers, 7)}};
    QByteArray number(4, '\0');
    qToLittleEndian(qint32(1), number.data());
    QList<TZipMember> members{{u"TDDBH.dat"_s, number}};
    for (const auto &[table, rows] : p.Tables) {
        members.append(RecordsetMember(table + u".adtg"_s, rows));
        p.Rows += rows.StoredRowCount();
    }
    p.Zip = ZipMembers(members);
    return p;
}

// A user folder as a first set-up leaves it, with the set's state row.
void PrepareUser(const QString &userFolder, TMainDM &dm, TMemberNetDM &net, const TPackage &p)
{
    TZKMainDef &def = ZKMainDef();
    def.LoginInfo.UserFolder = userFolder;
    def.LoginInfo.DownloadFolder = userFolder + u"Download/"_s;
    QDir().mkpath(def.LoginInfo.DownloadFolder);
    CopyProgramFile(userFolder, UnivDatabaseFileName);
    dm.UnivConn.Open(JetConnectionPrefix + userFolder + UnivDatabaseFileName);
    if (net.InitTDD() != 0)
        qFatal("no dossier table: is %s the program folder?", qPrintable(def.ProgramFolder));
    dm.UnivConn.ExecSQL(u"create table T_KLJHXZZT (PCDM binary(2), KLDM binary(2), JHXZ binary(2), "
                        "DQTDDBH long, ZT text(1) with comp)"_s);
    dm.UnivConn.ExecSQL(
        u"insert into T_KLJHXZZT values (\"%1\", \"%2\", \"%3\", 0, \"0\")"_s.arg(p.PCDM, p.KLDM, p.JHXZ));
}

double ImportMs(TMemberNetDM &net, const TPackage &p, const QString &file)
{
    QElapsedTimer timer;
    timer.start();
    if (net.ImportTDD(p.PCDM, p.KLDM, p.JHXZ, 0, file) != 0)
        qFatal("the import failed");
    return timer.nsecsElapsed() / 1e6;
}

void Bind(sqlite3_stmt *stmt, int index, const TDbValue &v, quint16 type)
{
    if (v.IsNull()) {
        sqlite3_bind_null(stmt, index);
    } else if (type == DBTYPE_R8 || type == DBTYPE_R4) {
        sqlite3_bind_double(stmt, index, v.AsFloat());
    } else if (type == DBTYPE_I2 || type == DBTYPE_I4 || type == DBTYPE_I8) {
        sqlite3_bind_int64(stmt, index, v.AsInteger());
    } else {
        const QString text = v.AsString();
        sqlite3_bind_text16(stmt, index, text.utf16(), int(text.size() * 2), SQLITE_TRANSIENT);
    }
}

// The same rows inserted by one prepared statement per table, in one transaction, into
// tables created with the same columns.
double BareMs(const QString &path, const TPackage &p)
{
    {
        TSqlConnection::CreateDatabase(path);
        TSqlConnection conn(JetConnectionPrefix + path);
        conn.Open();
        for (const auto &[table, rows] : p.Tables)
            conn.ExecSQL(CreateTableStatement(rows, table, {}));
    }
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    QElapsedTimer timer;
    timer.start();
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    for (const auto &[table, rows] : p.Tables) {
        QStringList names, marks;
        for (int f = 0; f < rows.FieldCount(); ++f) {
            names.append(rows.Field(f).Name);
            marks.append(u"?"_s);
        }
        const QByteArray sql = (u"insert into "_s + table + u" ("_s + names.join(u',') + u") values ("_s +
                                marks.join(u',') + u")"_s)
                                   .toUtf8();
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
        for (int r = 0; r < rows.StoredRowCount(); ++r) {
            const QList<TDbValue> &values = rows.StoredRow(r).Values;
            for (int f = 0; f < rows.FieldCount(); ++f)
                Bind(stmt, f + 1, values.at(rows.FieldColumn(f)), rows.Field(f).Type);
            sqlite3_step(stmt);
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    const double ms = timer.nsecsElapsed() / 1e6;
    sqlite3_close(db);
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int candidates = argc > 1 ? std::atoi(argv[1]) : 20000;
    // The shipped files are beside the programs: build/bin next to build/bench.
    ZKMainDef().SetProgramFolder(QCoreApplication::applicationDirPath() + u"/../bin/"_s);
    const TPackage p = MakePackage(candidates);
    QTemporaryDir dir;
    const QString file = dir.filePath(u"tdd.zip"_s);
    QFile zip(file);
    if (!zip.open(QIODevice::WriteOnly) || zip.write(p.Zip) != p.Zip.size())
        qFatal("cannot write the package");
    zip.close();

    const double bare = BareMs(dir.filePath(u"bare.mdb"_s), p);
    TMainDM dm;
    TMemberNetDM net(dm);
    PrepareUser(dir.path() + u"/user/"_s, dm, net, p);
    const double first = ImportMs(net, p, file);
    const double again = ImportMs(net, p, file); // the set's rows replaced, companions merged

    auto perSecond = [&](double ms) { return p.Rows / ms * 1000; };
    std::printf("package: %d candidates, %d rows in T_TDD, T_KSHKCJ, T_KSJL, T_TJXX, %lld bytes zipped\n",
                candidates, p.Rows, static_cast<long long>(p.Zip.size()));
    std::printf("bare prepared-insert loop: %9.1f ms (%8.0f rows/s)\n", bare, perSecond(bare));
    std::printf("ImportTDD, first package:  %9.1f ms (%8.0f rows/s)\n", first, perSecond(first));
    std::printf("ImportTDD, same again:     %9.1f ms (%8.0f rows/s)\n", again, perSecond(again));
    std::printf("ratio ImportTDD / bare:    %9.2f (first), %.2f (again)\n", first / bare, again / bare);
    return 0;
}
