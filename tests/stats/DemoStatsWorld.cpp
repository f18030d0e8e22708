#include "DemoStatsWorld.h"

#include "TestSupport.h"
#include "leader/DemoGenerator.h"
#include "store/Adtg.h"
#include "store/Archive.h"
#include "store/SqlQuery.h"
#include "store/StorageFolder.h"
#include "store/TableTools.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/DmTables.h"
#include "workspace/MainDM.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace {

using TNames = QMap<QString, QPair<QString, QString>>;

void Check(bool ok, const QString &what)
{
    if (!ok)
        throw EZKError(u"demo set-up: "_s + what);
}

void LoadPackage(TSqlConnection &conn, const QString &zip, const QString &work, const TNames &names,
                 TCopyTableOptions options = {})
{
    QDir(work).removeRecursively();
    Check(QDir().mkpath(work), work);
    Check(ExtractArchive(zip, work) == 0, zip);
    for (auto it = names.begin(); it != names.end(); ++it) {
        const QString file = QDir(work).filePath(it.key());
        if (!QFile::exists(file))
            continue;
        TRecordset set = LoadAdtgFile(file);
        Check(CopyDataSetToTable(set, conn, it.value().first, it.value().second, options), it.key());
    }
}

TNames CodeLibraryNames()
{
    TNames names;
    for (const TDmDBFRec &t : DmDBFTable())
        names.insert(t.TableName + u".adtg"_s, {t.TableName, t.DMField});
    names.insert(u"TD_ZYLBDM.adtg"_s, {u"TD_ZYLBDM"_s, u"ZYLBDM"_s});
    names.insert(u"TD_ZYSXDM.adtg"_s, {u"TD_ZYSXDM"_s, u"ZYSXDM"_s});
    names.insert(u"td_cjxlxdm.adtg"_s, {u"td_cjxlxdm"_s, u"cjxlxdm"_s});
    names.insert(u"td_djdm.adtg"_s, {u"td_djdm"_s, u"cjxlxdm;cj"_s});
    names.insert(u"t_common_params.adtg"_s, {u"t_common_params"_s, QString()});
    names.insert(u"T_TDDZDSX.adtg"_s, {u"T_TDDZDSX"_s, QString()});
    names.insert(u"T_TDDW.adtg"_s, {u"T_TDDW"_s, QString()});
    return names;
}

TNames PlanNames()
{
    return {{u"T_ZYYHLQZTB.adtg"_s, {u"T_KLJHXZZT"_s, QString()}},
            {u"T_JHK.adtg"_s, {u"T_JHK"_s, QString()}},
            {u"T_TDDWCSMB.adtg"_s, {u"T_TDDWCSMB"_s, QString()}},
            {u"T_TDDWCSMBZYJCB.adtg"_s, {u"T_TDDWCSMBZYJCB"_s, QString()}},
            {u"T_ZYCSMB.adtg"_s, {u"T_ZYCSMB"_s, QString()}}};
}

QString UserFolderOf(const QString &storage, const QString &ssdm)
{
    TLoginInfo info;
    info.StorageFolder = storage;
    info.SSPY = u"DEMO"_s + ssdm;
    info.UserName = u"zy01"_s;
    DeriveUserFolders(info);
    return info.UserFolder;
}

} // namespace

TDemoStatsWorld::TDemoStatsWorld(int candidates)
{
    FStorage = FDir.filePath(u"storage"_s) + u'/';
    FDemo = FDir.filePath(u"demo"_s);
    TDemoOptions options;
    options.Root = FDemo;
    options.Candidates = candidates;
    options.Members = 1;
    options.Rounds = 1;
    options.Images = false;
    options.Seed = 7;
    Check(!GenerateDemo(options).isEmpty(), u"generate"_s);
    Check(QDir().mkpath(FStorage), FStorage);

    QList<TRecordField> fields;
    for (const char *name : {"SSDM", "SSMC", "SSPY", "FWQDZ", "FWQDKH", "ZYDZ", "ZYDKH", "YHM"})
        fields.append(TRecordField::Define(QString::fromLatin1(name), DBTYPE_WSTR, 50));
    TRecordset provinces(fields);
    provinces.AddRow({u"11"_s, u"北京"_s, u"DEMO11"_s, u"127.0.0.1"_s, u"5000"_s, u""_s, u""_s, u""_s});
    provinces.AddRow({u"32"_s, u"江苏"_s, u"DEMO32"_s, u"127.0.0.1"_s, u"5000"_s, u""_s, u""_s, u""_s});
    SaveAdtgFile(provinces, FStorage + ProvinceListFileName);
    LoadProvince(u"11"_s, false);
    LoadProvince(u"32"_s, true);
}

void TDemoStatsWorld::LoadProvince(const QString &ssdm, bool graded)
{
    const QString user = UserFolderOf(FStorage, ssdm);
    Check(QDir().mkpath(user), user);
    const QString shipped = zktest::programFolder() + u'/';
    for (const QString &db : {UnivDatabaseFileName, UnivShareDatabaseFileName}) {
        Check(QFile::copy(shipped + db, user + db), db);
        QFile::setPermissions(user + db, QFile::ReadOwner | QFile::WriteOwner);
    }
    TSqlConnection conn(user + UnivDatabaseFileName);
    conn.Open();
    const QString member = u"%1/%2/zy01/"_s.arg(FDemo, ssdm);
    const QString work = FDir.filePath(u"work"_s);
    LoadPackage(conn, member + u"dmk.zip"_s, work, CodeLibraryNames());
    LoadPackage(conn, member + u"jhk.zip"_s, work, PlanNames());
    const QString screen = graded ? u"1280_rank"_s : u"1280"_s;
    QStringList layout{u"INSERT INTO T_TDDZDXHKD"_s, u"  (PCDM, KLDM, JHXZ, ZDDH, WZSY, KD, DYWZ, DYKD)"_s,
                       u"SELECT PCDM, KLDM, JHXZ, ZDDH, WZSY%1, "_s.arg(screen),
                       u"  QSKD%1, WZSY%1, DYKD"_s.arg(screen), u"FROM T_TDDZDSX, T_KLJHXZZT"_s};
    if (!graded)
        layout.append(u"WHERE rank_only <> \"1\""_s);
    conn.ExecSQL(layout);
    TRecordset empty = LoadAdtgFile(shipped + u"T_TDD.adtg"_s);
    Check(CopyDataSetToTable(empty, conn, u"T_TDD"_s, u"KSH"_s, {}), u"T_TDD"_s);
    if (graded)
        conn.ExecSQL(u"drop table T_TDD"_s);
    QDir tdd(member + u"tdd"_s);
    for (const QString &set : tdd.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QDir folder(tdd.filePath(set));
        for (const QString &package : folder.entryList({u"*.zip"_s}, QDir::Files, QDir::Name))
            LoadPackage(conn, folder.filePath(package), work, {{u"T_TDD.adtg"_s, {u"T_TDD"_s, u"KSH"_s}}},
                        ctoMerge);
    }
}

QStringList TDemoStatsWorld::Sets(const QString &ssdm) const
{
    QStringList sets;
    const QDir tdd(u"%1/%2/zy01/tdd"_s.arg(FDemo, ssdm));
    for (const QString &set : tdd.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        sets.append(set);
    return sets;
}

bool TDemoStatsWorld::OpenSet(TMainDM &dm, const QString &ssdm, const QStringList &set) const
{
    TZKMainDef &def = ZKMainDef();
    def.Reset();
    def.LoginInfo.StorageFolder = FStorage;
    def.LoginInfo.SSDM = ssdm;
    def.LoginInfo.SSPY = u"DEMO"_s + ssdm;
    def.LoginInfo.UserName = u"zy01"_s;
    DeriveUserFolders(def.LoginInfo);
    const QString user = def.LoginInfo.UserFolder;
    dm.UnivConn.Open(user + UnivDatabaseFileName);
    dm.UnivShareConn.SetConnectionString(user + UnivShareDatabaseFileName);
    if (dm.ReadDMTable() != 0)
        return false;
    def.CurPCDM = set.value(0);
    dm.ReadKL_JHXZ();
    def.CurKLDM = set.value(1);
    def.CurJHXZ = set.value(2);
    return dm.OpenTDD() == 0;
}
