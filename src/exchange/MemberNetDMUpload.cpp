// The result upload of the open dossier set.

#include "exchange/ExchangeSupport.h"
#include "exchange/MemberNetDM.h"
#include "link/MemberBgTaskThread.h"
#include "link/MemberTransaction.h"
#include "store/Adtg.h"
#include "store/Archive.h"
#include "store/NameGuards.h"
#include "store/PrivateFiles.h"
#include "store/SqlDetached.h"
#include "store/SqlQuery.h"
#include "store/StorageFolder.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/DecisionJournal.h"
#include "workspace/MainDM.h"

using namespace Qt::StringLiterals;
using namespace ZKExchange;

namespace {

// The result recordset as the leader reads it: each column with the type and size of its
// column in T_TDD, ISNULLABLE for the nullable ones, KEYCOLUMN on KSH (the table's
// primary key, never null), plain rows.
TRecordset ResultRecordset(const TRecordset &rows)
{
    QList<TRecordField> fields = rows.Columns();
    for (TRecordField &field : fields) {
        const bool nullable = field.IsNullable();
        field.Flags &= ~(DBCOLUMNFLAGS_ISNULLABLE | DBCOLUMNFLAGS_MAYBENULL | DBCOLUMNFLAGS_KEYCOLUMN);
        if (field.Name.compare(u"KSH"_s, Qt::CaseInsensitive) == 0)
            field.Flags |= DBCOLUMNFLAGS_KEYCOLUMN;
        else if (nullable)
            field.Flags |= DBCOLUMNFLAGS_ISNULLABLE;
    }
    TRecordset result(fields);
    for (int i = 0; i < rows.StoredRowCount(); ++i)
        result.AddStoredRow(rows.StoredRow(i));
    return result;
}

// The number of the newest journal row: the decisions a package built now carries.
qint64 JournalMark(TSqlConnection &univ)
{
    TDecisionJournal journal(univ);
    return journal.Exists() ? journal.LastNumber() : 0;
}

// Marks the journal rows an acknowledged upload carried, from its task's input
// [PCDM, KLDM, JHXZ, package number, package file, journal mark]. An input without a
// mark carried nothing the journal knows of.
void MarkJournalSent(TSqlConnection &univ, const QVariantList &InParam)
{
    const qint64 mark = InParam.value(5).toLongLong();
    TDecisionJournal journal(univ);
    if (mark <= 0 || !journal.Exists())
        return;
    journal.MarkSent(InParam.value(0).toString(), InParam.value(1).toString(), InParam.value(2).toString(),
                     mark, ResultCode(InParam.value(3), 0));
}

} // namespace

bool TMemberNetDM::UpLoadLQJG()
{
    TZKMainDef &def = ZKMainDef();
    if (!def.IsConnected || !def.IsNetIdle)
        return false;
    def.IsNetIdle = false;
    if (!FPasswordCheck->CheckPassWord()) {
        def.IsNetIdle = true;
        return false;
    }
    const QString folder = def.LoginInfo.UploadFolder + u"lqjg/"_s;
    PrepareWorkFolder(folder); // only this package's file goes into the package
    int packageNumber = 0;
    QString packageFile;
    qint64 journalMark = 0;
    try {
        // The journal rows written so far are the decisions this package carries; rows
        // written while the upload is on its way wait for the next one.
        journalMark = JournalMark(FMainDM.UnivConn);
        MakeResultPackage(folder, packageNumber, packageFile);
    } catch (const std::exception &e) {
        FMessageSink->ShowMessage(u"发送录取结果时本地数据库操作失败："_s + ErrorText(e), u"发送录取结果"_s,
                                  TMsgIcon::Error);
        def.IsNetIdle = true;
        DeleteFolderTree(folder);
        return false;
    }
    DeleteFolderTree(folder);
    FAnimationSink->ShowAnim(u"发送录取结果"_s, u"正在向服务器发送考生的录取结果。"_s);
    if (StartTask(&TMemberBgTaskThread::DoUpLoadResult,
                  {def.CurPCDM, def.CurKLDM, def.CurJHXZ, packageNumber, packageFile, journalMark},
                  &TMemberNetDM::UpLoadLQJGAck))
        return true;
    FAnimationSink->StopAnim();
    def.IsNetIdle = true;
    return false;
}

void TMemberNetDM::MakeResultPackage(const QString &folder, int &packageNumber, QString &packageFile)
{
    const TZKMainDef &def = ZKMainDef();
    // The set codes name the package file.
    if (!IsPlainCode(def.CurPCDM) || !IsPlainCode(def.CurKLDM) || !IsPlainCode(def.CurJHXZ))
        throw EZKError(u"The set codes are not plain codes; no result package is made."_s);
    TSqlQuery TDDQuery(&FMainDM.UnivConn);
    TDDQuery.SetSQL(QStringList{u"SELECT KSH,KSZT,TDYYDM,BZ,LQFS FROM T_TDD"_s,
                                u"WHERE PCDM=:PCDM AND KLDM=:KLDM AND JHXZ=:JHXZ"_s});
    SetSetParams(TDDQuery, def.CurPCDM, def.CurKLDM, def.CurJHXZ);
    SaveAdtgFile(ResultRecordset(OpenDetached(TDDQuery)), folder + u"LQJG.adtg"_s);
    MakePrivateFile(folder + u"LQJG.adtg"_s);

    TDDQuery.SetSQL(QStringList{u"select dqtddbh from t_kljhxzzt"_s,
                                u"where pcdm = :pcdm and kldm = :kldm and jhxz = :jhxz"_s});
    SetSetParams(TDDQuery, def.CurPCDM, def.CurKLDM, def.CurJHXZ);
    TDDQuery.Open();
    packageNumber = TDDQuery.Eof() ? 0 : ResultCode(TDDQuery.Value(0), 0);
    TDDQuery.Close();

    packageFile = def.LoginInfo.UploadFolder + u"lqjg_"_s +
                  TextWithHexUnits(def.CurPCDM + def.CurKLDM + def.CurJHXZ) + u'_' + TimeStampText() +
                  u".zip"_s;
    CompressFolder(packageFile, folder); // a missing package fails the upload
}

void TMemberNetDM::UpLoadLQJGAck(QVariantList &InParam, QVariantList &OutParam)
{
    TZKMainDef &def = ZKMainDef();
    FAnimationSink->StopAnim();
    def.IsNetIdle = true;
    const int code = ResultCode(OutParam.value(0), lrNotDone);
    const QString caption = u"发送录取结果"_s;
    if (code != lrOK) {
        FMessageSink->ShowMessage(u"录取结果发送失败。"_s, caption, TMsgIcon::Error);
    } else {
        const QString PCDM = InParam.value(0).toString();
        const QString KLDM = InParam.value(1).toString();
        const QString JHXZ = InParam.value(2).toString();
        try {
            TSqlTransaction transaction(FMainDM.UnivConn);
            TSqlQuery TDDQuery(&FMainDM.UnivConn);
            TDDQuery.SetSQL(QStringList{u"update t_kljhxzzt set zt = \"2\""_s,
                                        u"where pcdm = :pcdm and kldm = :kldm"_s, u"  and jhxz = :jhxz"_s});
            SetSetParams(TDDQuery, PCDM, KLDM, JHXZ);
            TDDQuery.ExecSQL();
            MarkJournalSent(FMainDM.UnivConn, InParam);
            transaction.Commit();
            if (PCDM == def.CurPCDM && KLDM == def.CurKLDM && JHXZ == def.CurJHXZ) {
                def.CurZT = 2;
                FMainDM.SetZTLabel();
            }
            FMessageSink->ShowMessage(u"录取结果已成功发送。"_s, caption, TMsgIcon::Information);
        } catch (const std::exception &) {
            FMessageSink->ShowMessage(u"修改状态时失败。"_s, caption, TMsgIcon::Information);
        }
    }
    if (OnUpLoadDone)
        OnUpLoadDone(code);
}
