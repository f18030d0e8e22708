// The code and plan library imports.

#include "exchange/ExchangeSupport.h"
#include "exchange/MemberNetDM.h"
#include "link/PasswordSeal.h"
#include "store/Archive.h"
#include "store/SqlQuery.h"
#include "store/StorageFolder.h"
#include "store/TableTools.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/DmTables.h"
#include "workspace/MainDM.h"

using namespace Qt::StringLiterals;
using namespace ZKExchange;

namespace {

const QString kAllWishesKeys = u"KSH;PCDM;KLDM;JHXZDM;ZYH;TDDW"_s;

} // namespace

void TMemberNetDM::LoadMember(const QString &folder, const QString &member, TSqlConnection &conn,
                              const QString &table, const QString &keys)
{
    OpenRecordsetFile(SrcTable, folder + member);
    CopyDataSetToTable(SrcTable, conn, table, keys, {});
}

int TMemberNetDM::InitDMK(int R, const QString &FileName, bool IsFirst)
{
    if (R != 0)
        return 1;
    const QString folder = ZKMainDef().LoginInfo.DownloadFolder + u"dmk/"_s;
    PrepareWorkFolder(folder);
    int result = 0;
    QString error;
    try {
        ExtractPackage(FileName, folder); // a missing member shows up as a failing load
        InitDMKSteps(IsFirst, folder);
    } catch (const std::exception &e) {
        result = 2;
        error = ErrorText(e);
    }
    SrcTable = TRecordset();
    DeleteFolderTree(folder);
    if (result == 2)
        FMessageSink->ShowMessage(u"保存代码表出错:\r\n"_s + error, u"系统事件"_s, TMsgIcon::Warning);
    return result;
}

// The library spans two database files. Each file's part runs in one transaction, and
// the shared database's transaction stays open (under the share lock) until the main
// database's part has committed: a failure anywhere leaves both files as they were.
void TMemberNetDM::InitDMKSteps(bool IsFirst, const QString &folder)
{
    TMainDM::ShareUse share(FMainDM);
    TSqlTransaction shareTransaction(FMainDM.UnivShareConn);
    LoadSharedMembers(IsFirst, folder);
    {
        TSqlTransaction mainTransaction(FMainDM.UnivConn);
        try {
            LoadMainMembers(folder);
        } catch (...) {
            mainTransaction.Rollback();
            // The parameters read during the import were rolled back with it.
            try {
                FMainDM.ReadCommonParams();
            } catch (const EZKError &) {
                // The table as it was could not be read before either; the import's own
                // error is the one reported.
            }
            throw;
        }
        mainTransaction.Commit();
    }
    shareTransaction.Commit();
}

void TMemberNetDM::LoadSharedMembers(bool IsFirst, const QString &folder)
{
    const TLoginInfo &login = ZKMainDef().LoginInfo;
    OpenRecordsetFile(SrcTable, folder + u"T_YXZT.adtg"_s);
    // The values are bound, not pasted into the statement: a name with a quote in it
    // is a name, not a broken statement.
    QStringList lines{u"update t_yxzt"_s, u"set yxdm=:yxdm,"_s, u"  yxmc=:yxmc"_s};
    if (IsFirst)
        lines << u"  ,yhm=:yhm,"_s << u"  yhkl=:yhkl,"_s << u"  creation_time=now"_s;
    TSqlQuery ShareQuery(&FMainDM.UnivShareConn);
    ShareQuery.SetSQL(lines);
    ShareQuery.SetTextParam(u"yxdm"_s, SrcTable.FieldByName(u"yxdm").AsString());
    ShareQuery.SetTextParam(u"yxmc"_s, SrcTable.FieldByName(u"yxmc").AsString());
    if (IsFirst) {
        ShareQuery.SetTextParam(u"yhm"_s, login.UserName);
        ShareQuery.SetTextParam(u"yhkl"_s, SealPassword(login.Password));
    }
    ShareQuery.ExecSQL();
    LoadMember(folder, u"T_QBZYK.adtg"_s, FMainDM.UnivShareConn, u"T_QBZYK"_s, kAllWishesKeys);
}

void TMemberNetDM::LoadMainMembers(const QString &folder)
{
    TSqlConnection &conn = FMainDM.UnivConn;
    for (const TDmDBFRec &table : DmDBFTable())
        LoadMember(folder, table.TableName + u".adtg"_s, conn, table.TableName, table.DMField);
    LoadMember(folder, u"TD_ZYLBDM.adtg"_s, conn, u"TD_ZYLBDM"_s, u"ZYLBDM"_s);
    LoadMember(folder, u"TD_ZYSXDM.adtg"_s, conn, u"TD_ZYSXDM"_s, u"ZYSXDM"_s);
    LoadMember(folder, u"t_common_params.adtg"_s, conn, u"t_common_params"_s, QString());
    FMainDM.ReadCommonParams();
    if (ZKMainDef().RankScoreSupported) {
        LoadMember(folder, u"td_cjxlxdm.adtg"_s, conn, u"td_cjxlxdm"_s, u"cjxlxdm"_s);
        LoadMember(folder, u"td_djdm.adtg"_s, conn, u"td_djdm"_s, u"cjxlxdm;cj"_s);
    }
    LoadMember(folder, u"T_TDDZDSX.adtg"_s, conn, u"T_TDDZDSX"_s, QString());
    LoadMember(folder, u"T_TDDW.adtg"_s, conn, u"T_TDDW"_s, QString());
}

int TMemberNetDM::InitJHK(int R, const QString &FileName)
{
    if (R != 0)
        return 1;
    const QString folder = ZKMainDef().LoginInfo.DownloadFolder + u"jhk/"_s;
    PrepareWorkFolder(folder);
    int result = 0;
    int step = 0;
    QString error;
    try {
        ExtractPackage(FileName, folder);
        // One transaction: a failure leaves the plan, the state rows and the layout as
        // they were, and no "_tmp" copy behind to break the next import's backup.
        TSqlTransaction transaction(FMainDM.UnivConn);
        InitJHKSteps(step, folder);
        transaction.Commit();
    } catch (const std::exception &e) {
        result = 2;
        error = ErrorText(e);
    }
    SrcTable = TRecordset();
    DeleteFolderTree(folder);
    if (result == 2)
        FMessageSink->ShowMessage(u"保存计划库第 %1 步出错:\r\n%2"_s.arg(step).arg(error), u"系统事件"_s,
                                  TMsgIcon::Warning);
    return result;
}

// Before the first plan arrives T_KLJHXZZT does not exist: it has nothing to keep, so it
// is neither copied nor merged back, and the load creates it from the recordset.
void TMemberNetDM::InitJHKSteps(int &step, const QString &folder)
{
    TSqlConnection &conn = FMainDM.UnivConn;
    const TZKMainDef &def = ZKMainDef();
    step = 0;
    const bool keepStates = conn.TableExists(u"T_KLJHXZZT"_s);
    const bool keepLayout = conn.TableExists(u"T_TDDZDXHKD"_s);
    if (keepStates)
        BackupTable(conn, u"T_KLJHXZZT"_s);
    if (keepLayout)
        BackupTable(conn, u"T_TDDZDXHKD"_s);
    step = 1;
    OpenRecordsetFile(SrcTable, folder + u"T_ZYYHLQZTB.adtg"_s);
    // The set codes become parts of file names (downloads, work folders, uploads).
    RequirePlainCodes(SrcTable, {u"PCDM"_s, u"KLDM"_s, u"JHXZ"_s}, u"T_ZYYHLQZTB.adtg"_s);
    CopyDataSetToTable(SrcTable, conn, u"T_KLJHXZZT"_s, QString(), {});
    TSqlQuery TDDQuery(&conn);
    TDDQuery.SetSQL(QStringList{u"UPDATE T_KLJHXZZT"_s,
                                u"SET DQTDDBH=0, ZT=\"0\", DQTDDWDM=\"\", DQZYDH=\"\", PXZDDH=\"KSH\""_s});
    TDDQuery.ExecSQL();
    step = 2;
    TDDQuery.SetSQL(u"DELETE FROM T_TDDZDXHKD"_s);
    TDDQuery.ExecSQL();
    const QString w =
        ScreenClassWidthText(def.ScreenClass) + (def.RankScoreSupported ? u"_rank"_s : QString());
    QStringList insert{u"INSERT INTO T_TDDZDXHKD"_s, u"  (PCDM, KLDM, JHXZ, ZDDH, WZSY, KD, DYWZ, DYKD)"_s,
                       u"SELECT PCDM, KLDM, JHXZ, ZDDH, WZSY"_s + w + u", "_s,
                       u"  QSKD"_s + w + u", WZSY"_s + w + u", DYKD"_s, u"FROM T_TDDZDSX, T_KLJHXZZT"_s};
    if (!def.RankScoreSupported)
        insert << u"WHERE rank_only <> \"1\""_s;
    TDDQuery.SetSQL(insert);
    TDDQuery.ExecSQL();
    step = 3;
    for (const QString &table : {u"T_JHK"_s, u"T_TDDWCSMB"_s, u"T_TDDWCSMBZYJCB"_s, u"T_ZYCSMB"_s,
                                 u"T_ZYCSMBXZTJB"_s, u"T_ZYCSMBZDCJB"_s})
        LoadMember(folder, table + u".adtg"_s, conn, table, QString());
    step = 4;
    if (keepStates)
        ModifyTable(conn, u"T_KLJHXZZT"_s, {u"DQTDDBH"_s, u"ZT"_s, u"DQTDDWDM"_s, u"DQZYDH"_s, u"PXZDDH"_s},
                    {u"PCDM"_s, u"KLDM"_s, u"JHXZ"_s});
    if (keepLayout)
        ModifyTable(conn, u"T_TDDZDXHKD"_s, {u"WZSY"_s, u"KD"_s, u"dywz"_s, u"dykd"_s},
                    {u"PCDM"_s, u"KLDM"_s, u"JHXZ"_s, u"ZDDH"_s});
}
