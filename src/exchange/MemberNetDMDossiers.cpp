// The dossier query: the leader's current batch, the library check, one request per set
// and the import of each package, as a chain of link tasks and their callbacks.

#include "exchange/ExchangeSupport.h"
#include "exchange/MemberNetDM.h"
#include "link/MemberBgTaskThread.h"
#include "link/MemberTransaction.h"
#include "store/SqlDetached.h"
#include "store/SqlQuery.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/DmTables.h"
#include "workspace/MainDM.h"

using namespace Qt::StringLiterals;
using namespace ZKExchange;

void TMemberNetDM::DownLoadAllTDD()
{
    TZKMainDef &def = ZKMainDef();
    if (!def.IsConnected)
        return;
    if (def.IsNetIdle && !FProgressSink->IsProgressShowing()) {
        def.IsNetIdle = false;
        def.PendingDownLoadAllTDD = false;
        FAnimationSink->ShowAnim(u"查询组长服务器信息"_s, u"正在查询组长服务器的有关信息，请稍候..."_s);
        if (StartTask(&TMemberBgTaskThread::DoQueryDQPC, {}, &TMemberNetDM::QueryDQPCDone))
            return;
        // The thread is still busy with a delivery: try again after it.
        FAnimationSink->StopAnim();
        def.IsNetIdle = true;
    }
    def.PendingDownLoadAllTDD = true;
}

void TMemberNetDM::QueryDQPCDone(QVariantList &InParam, QVariantList &OutParam)
{
    Q_UNUSED(InParam);
    TZKMainDef &def = ZKMainDef();
    const QString PCDM = OutParam.value(1).toString();
    if (ResultCode(OutParam.value(0), lrNotDone) == lrOK && PCDM != def.LeaderPCDM) {
        def.LeaderPCDM = PCDM;
        StoreLeaderPCDM(PCDM);
    }
    FAnimationSink->StopAnim();
    def.IsNetIdle = true;
    DownLoadAllTDD(def.LeaderPCDM); // also after a failed query, with the batch known before
}

// The batch code comes from the server: bound as a value, never pasted into the statement.
void TMemberNetDM::StoreLeaderPCDM(const QString &PCDM)
{
    try {
        TMainDM::ShareUse share(FMainDM);
        TSqlQuery ShareQuery(&FMainDM.UnivShareConn);
        ShareQuery.SetSQL(u"UPDATE T_YXZT SET ZDPCDM=:ZDPCDM"_s);
        ShareQuery.SetTextParam(u"ZDPCDM"_s, PCDM);
        ShareQuery.ExecSQL();
    } catch (const EZKError &e) {
        // The query goes on with the batch just reported; the next start reads the old one.
        FMessageSink->ShowMessage(e.Message(), u"查询组长服务器信息"_s, TMsgIcon::Warning);
    }
}

void TMemberNetDM::DownLoadAllTDD(const QString &APcDm)
{
    TZKMainDef &def = ZKMainDef();
    if (!def.IsConnected || !def.IsNetIdle)
        return;
    PcToDownLoad = APcDm;
    def.IsNetIdle = false;
    LastRunResults.clear();
    LastRunDMKResult = 1;
    LastRunJHKResult = 1;
    FAnimationSink->ShowAnim(u"查询组长服务器信息"_s,
                             u"正在向招生组长的服务器查询您所负责的专业的有关信息，请稍候..."_s);
    if (!StartTask(&TMemberBgTaskThread::DoGetDMKJHK, {false}, &TMemberNetDM::GetDMKJHKDone)) {
        FAnimationSink->StopAnim();
        def.IsNetIdle = true;
    }
}

void TMemberNetDM::GetDMKJHKDone(QVariantList &InParam, QVariantList &OutParam)
{
    Q_UNUSED(InParam);
    const int dmkCode = ResultCode(OutParam.value(0), lrNotDone);
    const int jhkCode = ResultCode(OutParam.value(2), lrNotDone);
    LastRunDMKResult = InitDMK(dmkCode, OutParam.value(1).toString(), false);
    LastRunJHKResult = InitJHK(jhkCode, OutParam.value(3).toString());
    DMKChanged = dmkCode == lrOK || jhkCode == lrOK;
    FAnimationSink->StopAnim();
    CurrentTDDChanged = false;
    try {
        // Read after the plan import: sets the new plan added are asked for too.
        TSqlQuery query(&FMainDM.UnivConn);
        query.SetSQL(u"select * from t_kljhxzzt"_s);
        if (!PcToDownLoad.isEmpty()) {
            query.SetSQL(QStringList{u"select * from t_kljhxzzt"_s, u"where pcdm = :pcdm"_s});
            SetCodeParam(query, u"pcdm"_s, 1, PcToDownLoad);
        }
        KLJHXZZTQuery = OpenDetached(query);
        KLJHXZZTQuery.SetSort(u"pcdm,kldm,jhxz"_s);
        KLJHXZZTQuery.First();
        if (RequestNextTDD())
            DownLoadAllTDDDone();
    } catch (const std::exception &) {
        DownLoadAllTDDDone();
    }
}

bool TMemberNetDM::RequestNextTDD()
{
    if (KLJHXZZTQuery.Eof())
        return true;
    const QString PCDM = KLJHXZZTQuery.FieldByName(u"PCDM").AsString();
    const QString KLDM = KLJHXZZTQuery.FieldByName(u"KLDM").AsString();
    const QString JHXZ = KLJHXZZTQuery.FieldByName(u"JHXZ").AsString();
    bool isNumber = false;
    int DQTDDBH = KLJHXZZTQuery.FieldByName(u"DQTDDBH").AsString().trimmed().toInt(&isNumber);
    if (!isNumber)
        DQTDDBH = 0;
    FAnimationSink->ShowAnim(u"查询投档单"_s,
                             u"正在查询 %1 %2，%3 %4，%5 %6 是否有新的考生投档单，请稍候。"_s.arg(
                                 PCDM, FMainDM.GetDMMC(TD_PCDM, PCDM), KLDM, FMainDM.GetDMMC(TD_KLDM, KLDM),
                                 JHXZ, FMainDM.GetDMMC(TD_JHXZDM, JHXZ)));
    if (StartTask(&TMemberBgTaskThread::DoRequestTDD, {PCDM, KLDM, JHXZ, DQTDDBH},
                  &TMemberNetDM::RequestTDDDone))
        return false;
    FAnimationSink->StopAnim();
    return true;
}

void TMemberNetDM::RequestTDDDone(QVariantList &InParam, QVariantList &OutParam)
{
    FAnimationSink->StopAnim();
    try {
        TTDDRequestResult r;
        r.PCDM = InParam.value(0).toString();
        r.KLDM = InParam.value(1).toString();
        r.JHXZ = InParam.value(2).toString();
        r.Code = ResultCode(OutParam.value(0), lrNotDone);
        r.Import = ImportTDD(r.PCDM, r.KLDM, r.JHXZ, r.Code, OutParam.value(1).toString());
        LastRunResults.append(r);
        KLJHXZZTQuery.Next();
        if (RequestNextTDD())
            DownLoadAllTDDDone();
    } catch (const std::exception &) {
        DownLoadAllTDDDone();
    }
}

void TMemberNetDM::DownLoadAllTDDDone()
{
    TZKMainDef &def = ZKMainDef();
    KLJHXZZTQuery = TRecordset();
    def.IsNetIdle = true;
    if (def.IsTDDOpen) {
        if (DMKChanged) {
            if (FMainDM.ReadDMTable() == 0)
                FMainDM.ChangeCurrTDDPc(def.CurPCDM);
        } else if (CurrentTDDChanged) {
            FMainDM.CloseTDD();
            FMainDM.OpenTDD();
        }
    }
    if (OnDownLoadAllTDDDone)
        OnDownLoadAllTDDDone();
}
