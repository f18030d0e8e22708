// The import of a dossier package and the dossier table of a first set-up.

#include "exchange/ExchangeSupport.h"
#include "exchange/MemberNetDM.h"
#include "store/Archive.h"
#include "store/NameGuards.h"
#include "store/RecordsetReadAhead.h"
#include "store/Schema.h"
#include "store/SqlQuery.h"
#include "store/StorageFolder.h"
#include "store/TableTools.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QFile>
#include <QtEndian>
#include <functional>

using namespace Qt::StringLiterals;
using namespace ZKExchange;

namespace {

// "TDDBH.dat": the package number, 4 bytes, signed 32-bit little endian.
int ReadPackageNumber(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EZKError(u"Cannot open %1: %2"_s.arg(fileName, file.errorString()));
    const QByteArray bytes = file.read(4);
    if (bytes.size() != 4)
        throw EZKError(u"%1 holds no package number."_s.arg(fileName));
    return qFromLittleEndian<qint32>(bytes.constData());
}

const QString kDossierMember = u"T_TDD.adtg"_s;

// The set's dossiers in T_TDD, by the parameters :pcdm, :kldm and :jhxz. A row whose
// condition is NULL is not the set's.
const QString kSetRows = u"PCDM=:pcdm AND KLDM=:kldm AND JHXZ=:jhxz"_s;
const QString kNotSetRows = u"IIF("_s + kSetRows + u", 0, 1) = 1"_s;
// The rows of a companion table that belong to a candidate of the set.
const QString kSetCandidates = u"KSH IN (SELECT KSH FROM T_TDD WHERE "_s + kSetRows + u')';

using TBindSet = std::function<void(TSqlQuery &)>;

// Deletes the rows of a table that meet the condition. When no row would stay (a member
// of one set imports it again), the table is emptied as a whole, which SQLite does page
// by page instead of row by row and key by key; what remains is the same empty table.
// The condition is tried on the rows of probed: the table itself, or for a condition on
// KSH alone the table's distinct numbers, which its key index gives without the rows.
void DeleteRowsWhere(TSqlQuery &query, const QString &table, const QString &condition,
                     const TBindSet &bindSet, const QString &probed)
{
    query.SetSQL({u"SELECT TOP 1 1 FROM "_s + probed, u"WHERE IIF("_s + condition + u", 0, 1) = 1"_s});
    bindSet(query);
    query.Open();
    const bool someStay = !query.Eof();
    query.Close();
    if (someStay) {
        query.SetSQL({u"DELETE FROM "_s + table, u"WHERE "_s + condition});
        bindSet(query);
    } else {
        query.SetSQL(u"DELETE FROM "_s + table);
    }
    query.ExecSQL();
}

} // namespace

int TMemberNetDM::InitTDD()
{
    try {
        TSqlTransaction transaction(FMainDM.UnivConn);
        OpenRecordsetFile(SrcTable, ZKMainDef().ProgramFolder + u"T_TDD.adtg"_s);
        CopyDataSetToTable(SrcTable, FMainDM.UnivConn, u"T_TDD"_s, u"KSH"_s, {});
        FMainDM.UnivConn.ExecSQL(CreateTddbhStatement());
        transaction.Commit();
    } catch (const std::exception &) {
        SrcTable = TRecordset();
        return 1;
    }
    SrcTable = TRecordset();
    return 0;
}

int TMemberNetDM::ImportTDD(const QString &PCDM, const QString &KLDM, const QString &JHXZ, int code,
                            const QString &fileName)
{
    if (code != 0)
        return 1;
    // The set codes name the work folder: codes that are not plain are a broken package.
    if (!IsPlainCode(PCDM) || !IsPlainCode(KLDM) || !IsPlainCode(JHXZ))
        return 2;
    TZKMainDef &def = ZKMainDef();
    const QString folder =
        def.LoginInfo.DownloadFolder + u"tdd_"_s + TextWithHexUnits(PCDM + KLDM + JHXZ) + u'/';
    PrepareWorkFolder(folder);
    int result = 0;
    try {
        ExtractPackage(fileName, folder); // a missing member shows up as a failing load
        // The recordsets are read on a second thread while the database takes the one
        // before; the reader is gone before the folder is deleted.
        TRecordsetReadAhead files({folder + kDossierMember, folder + u"T_KSHKCJ.adtg"_s,
                                   folder + u"T_KSJL.adtg"_s, folder + u"T_TJXX.adtg"_s});
        // One transaction: a failure at any step leaves the set's dossiers, their
        // companions and its package number as they were, so the next run asks again.
        TSqlTransaction transaction(FMainDM.UnivConn);
        ImportTDDSteps(PCDM, KLDM, JHXZ, folder, files);
        transaction.Commit();
        def.IsTDDImported = true;
        if (PCDM == def.CurPCDM && KLDM == def.CurKLDM && JHXZ == def.CurJHXZ)
            CurrentTDDChanged = true;
    } catch (const std::exception &) {
        result = 2;
    }
    SrcTable = TRecordset();
    DeleteFolderTree(folder);
    FProgressSink->HideProgress();
    return result;
}

void TMemberNetDM::ImportTDDSteps(const QString &PCDM, const QString &KLDM, const QString &JHXZ,
                                  const QString &folder, TRecordsetReadAhead &files)
{
    TSqlConnection &conn = FMainDM.UnivConn;
    IProgressSink &progress = *FProgressSink;
    progress.ShowProgress(u"导入投档单数据"_s, u"正在为导入做准备..."_s, 0, 15, 12);
    // The set's rows are deleted and written again in one transaction, mostly into the
    // pages their deletion frees.
    const TSqlFastPageFreeing fastFreeing(conn);
    TSqlQuery TDDQuery(&conn);
    const TBindSet bindSet = [&](TSqlQuery &query) { SetSetParams(query, PCDM, KLDM, JHXZ); };
    auto run = [&](const QStringList &lines, bool withSet) {
        TDDQuery.SetSQL(lines);
        if (withSet)
            bindSet(TDDQuery);
        TDDQuery.ExecSQL();
    };
    // The work mark of every other set's dossier reads "0" afterwards. The set's own
    // dossiers are deleted below, so they are found by their codes instead of being
    // marked first.
    run({u"UPDATE T_TDD SET TASK_TAG=\"0\""_s, u"WHERE "_s + kNotSetRows,
         u"AND IIF(TASK_TAG=\"0\", 0, 1) = 1"_s},
        true);
    progress.UpdateProgressTrans();
    run({u"delete from t_tddbh"_s}, false);
    progress.UpdateProgressTrans();
    run({u"INSERT INTO T_TDDBH (KSH, BH)"_s, u"SELECT KSH, BH FROM T_TDD"_s,
         u"WHERE KSZT=\"1\" AND "_s + kSetRows},
        true);
    progress.UpdateProgressTrans();
    // Before the first package the companion tables do not exist yet: nothing to
    // delete, and the loads below create them from the package's recordsets.
    for (const QString &table : {u"T_KSHKCJ"_s, u"T_KSJL"_s, u"T_TJXX"_s}) {
        if (conn.TableExists(table))
            DeleteRowsWhere(TDDQuery, table, kSetCandidates, bindSet,
                            u"(SELECT DISTINCT KSH FROM "_s + table + u')');
        progress.UpdateProgressTrans();
    }
    DeleteRowsWhere(TDDQuery, u"T_TDD"_s, kSetRows, bindSet, u"T_TDD"_s);
    progress.UpdateProgressTrans();
    const bool differs = TDDStructureDiffers(folder, files);
    // Candidate numbers and set codes become parts of file names (pages, images, wishes).
    RequirePlainCodes(SrcTable, {u"KSH"_s, u"PCDM"_s, u"KLDM"_s, u"JHXZ"_s}, kDossierMember);
    progress.UpdateProgressTrans();
    if (differs)
        RebuildTDD();

    progress.ShowProgress(QString(), u"正在导入投档单..."_s, 15, 10, SrcTable.RecordCount());
    const TCopyProgressProc step = [&progress] { progress.UpdateProgressTrans(); };
    CopyDataSetToTable(SrcTable, conn, u"T_TDD"_s, u"KSH"_s, ctoMerge | ctoDeleteSource, step);
    progress.ShowProgress(QString(), QString(), 25, 5, 2);
    const QString n = QString::number(ReadPackageNumber(folder + u"TDDBH.dat"_s));
    // A candidate pre-admitted before this package keeps the package number he was
    // pre-admitted under; the others take this one. Each dossier of the set is written
    // once.
    run({u"UPDATE T_TDD"_s, u"SET KSZT=\"1\", YTZY=LQZY,"_s, u"  BH=IIF(KSH IN (SELECT KSH FROM T_TDDBH),"_s,
         u"    (SELECT T_TDDBH.BH FROM T_TDDBH WHERE T_TDD.KSH = T_TDDBH.KSH), "_s + n + u')',
         u"WHERE "_s + kSetRows},
        true);
    progress.UpdateProgressTrans();
    // A dossier of another set that the package brought under such a candidate's number
    // takes the kept number too.
    run({u"UPDATE T_TDD, T_TDDBH"_s, u"SET T_TDD.BH = T_TDDBH.BH"_s, u"WHERE T_TDD.KSH = T_TDDBH.KSH"_s,
         u"AND "_s + kNotSetRows},
        true);
    progress.UpdateProgressTrans();

    LoadCompanion(u"T_KSHKCJ.adtg"_s, u"T_KSHKCJ"_s, u"KSH;CJXDM"_s, u"正在导入会考成绩库..."_s, 30, 45,
                  folder, files);
    LoadCompanion(u"T_KSJL.adtg"_s, u"T_KSJL"_s, u"KSH;QSRQ;ZJRQ"_s, u"正在导入考生简历库..."_s, 75, 17,
                  folder, files);
    LoadCompanion(u"T_TJXX.adtg"_s, u"T_TJXX"_s, u"KSH"_s, u"正在导入体检库..."_s, 92, 8, folder, files);
    run({u"update t_kljhxzzt"_s, u"set dqtddbh = "_s + n + u", zt = \"1\""_s,
         u"where pcdm = :pcdm and kldm = :kldm and jhxz = :jhxz"_s},
        true);
}

// Opens the member "T_TDD.adtg" in SrcTable and compares its fields with T_TDD's columns.
bool TMemberNetDM::TDDStructureDiffers(const QString &folder, TRecordsetReadAhead &files)
{
    TSqlQuery TDDQuery(&FMainDM.UnivConn);
    TDDQuery.SetSQL(u"select * from t_tdd where ksh = \"\""_s);
    TDDQuery.Open();
    QStringList columns;
    for (const TSqlFieldDef &field : TDDQuery.FieldDefs())
        columns.append(field.Name);
    TDDQuery.Close();
    SrcTable = TRecordset();
    SrcTable = files.Take(folder + kDossierMember);
    if (columns.size() != SrcTable.FieldCount())
        return true;
    for (int i = 0; i < SrcTable.FieldCount(); ++i) {
        if (!columns.contains(SrcTable.Field(i).Name, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// T_TDD again with the member's columns; the other sets' rows come back column by column.
void TMemberNetDM::RebuildTDD()
{
    TSqlConnection &conn = FMainDM.UnivConn;
    IProgressSink &progress = *FProgressSink;
    BackupTable(conn, u"t_tdd"_s);
    progress.UpdateProgressTrans();
    conn.ExecSQL(u"drop table t_tdd"_s);
    progress.UpdateProgressTrans();
    SrcTable.SetFilter(u"ksh = ''"_s); // no row passes: only the table is made
    CopyDataSetToTable(SrcTable, conn, u"T_TDD"_s, u"KSH"_s, {});
    SrcTable.SetFilter(QString());
    progress.UpdateProgressTrans();
    RestoreTable(conn, u"t_tdd"_s);
    progress.UpdateProgressTrans();
}

void TMemberNetDM::LoadCompanion(const QString &member, const QString &table, const QString &keys,
                                 const QString &text, int base, int ratio, const QString &folder,
                                 TRecordsetReadAhead &files)
{
    SrcTable = TRecordset();
    SrcTable = files.Take(folder + member);
    IProgressSink &progress = *FProgressSink;
    progress.ShowProgress(QString(), text, base, ratio, SrcTable.RecordCount());
    CopyDataSetToTable(SrcTable, FMainDM.UnivConn, table, keys, ctoMerge | ctoDeleteSource,
                       [&progress] { progress.UpdateProgressTrans(); });
}
