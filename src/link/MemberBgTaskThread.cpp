#include "link/MemberBgTaskThread.h"

#include "store/NameGuards.h"
#include "store/ZKMainDef.h"

using namespace Qt::StringLiterals;

namespace {

QString DownloadFile(const QString &name)
{
    return ZKMainDef().LoginInfo.DownloadFolder + name + u'_' + TimeStampText() + u".zip"_s;
}

} // namespace

TMemberBgTaskThread::~TMemberBgTaskThread()
{
    // The worker's last act (DoThreadStop) uses this object's part: end it while it exists.
    TerminateAndWait();
}

bool TMemberBgTaskThread::LinkOpen() const
{
    return ZKMainDef().IsConnected && LinkCtxt;
}

void TMemberBgTaskThread::DoThreadStart()
{
    LinkCtxt.reset();
}

void TMemberBgTaskThread::DoThreadStop()
{
    LinkCtxt.reset(); // a connected link logs out
}

void TMemberBgTaskThread::DoAfterCallBack()
{
    PendingRequests.RunOne(ZKMainDef());
}

void TMemberBgTaskThread::DoConnectToHost(QVariantList &inParam, QVariantList &outParam)
{
    LinkCtxt.reset(); // a connected link logs out
    ZKMainDef().IsConnected = false;
    LinkCtxt =
        std::make_unique<TZKALinkCtxt>(inParam.value(0).toString(), inParam.value(1).toInt(),
                                       inParam.value(2).toString(), inParam.value(3).toString(), LinkOptions);
    const int code = LinkCtxt->OpenConnection();
    ZKMainDef().IsConnected = code == lrOK;
    outParam = {code};
}

void TMemberBgTaskThread::DoDisconnect(QVariantList &inParam, QVariantList &outParam)
{
    Q_UNUSED(inParam);
    LinkCtxt.reset();
    ZKMainDef().IsConnected = false;
    outParam.clear();
}

void TMemberBgTaskThread::DoGetDMKJHK(QVariantList &inParam, QVariantList &outParam)
{
    const bool force = inParam.value(0).toBool();
    int dmkCode = lrNotDone;
    int jhkCode = lrNotDone;
    QString dmkFile;
    QString jhkFile;
    bool newDMK = false;
    bool newJHK = false;
    if (LinkOpen() && (force || LinkCtxt->QueryMemberState(newDMK, newJHK) == lrOK)) {
        if (force || newDMK) {
            dmkFile = DownloadFile(u"dmk"_s);
            dmkCode = LinkCtxt->RequestDMK(dmkFile);
        }
        // Independently of the code library's result.
        if (force || newJHK) {
            jhkFile = DownloadFile(u"jhk"_s);
            jhkCode = LinkCtxt->RequestJHK(jhkFile);
        }
    }
    outParam = {dmkCode, dmkFile, jhkCode, jhkFile};
}

void TMemberBgTaskThread::DoQueryDQPC(QVariantList &inParam, QVariantList &outParam)
{
    Q_UNUSED(inParam);
    int code = lrNotDone;
    QString PCDM;
    if (LinkOpen())
        code = LinkCtxt->QueryDQPC(PCDM);
    outParam = {code, PCDM};
}

void TMemberBgTaskThread::DoRequestTDD(QVariantList &inParam, QVariantList &outParam)
{
    int code = lrNotDone;
    QString file;
    if (LinkOpen()) {
        const QString PCDM = inParam.value(0).toString();
        const QString KLDM = inParam.value(1).toString();
        const QString JHXZ = inParam.value(2).toString();
        const int lastTDDBH = inParam.value(3).toInt();
        // The codes name the download file: codes that are not plain are refused unasked.
        if (!IsPlainCode(PCDM) || !IsPlainCode(KLDM) || !IsPlainCode(JHXZ)) {
            outParam = {int(lrProtocolError), QString()};
            return;
        }
        file = DownloadFile(u"tdd_"_s + PCDM + KLDM + JHXZ + u'_' + QString::number(lastTDDBH));
        code = LinkCtxt->RequestTDD(PCDM, KLDM, JHXZ, lastTDDBH, file);
    }
    outParam = {code, file};
}

void TMemberBgTaskThread::DoUpLoadResult(QVariantList &inParam, QVariantList &outParam)
{
    int code = lrNotDone;
    if (LinkOpen())
        code = LinkCtxt->UpLoadResult(inParam.value(0).toString(), inParam.value(1).toString(),
                                      inParam.value(2).toString(), inParam.value(3).toInt(),
                                      inParam.value(4).toString());
    outParam = {code};
}

void TMemberBgTaskThread::DoGetQBZY(QVariantList &inParam, QVariantList &outParam)
{
    if (GetQBZYHandler)
        GetQBZYHandler(*this, inParam, outParam);
    else
        outParam = {int(lrProtocolError)};
}

void TMemberBgTaskThread::DoGetPhoto(QVariantList &inParam, QVariantList &outParam)
{
    if (GetPhotoHandler)
        GetPhotoHandler(*this, inParam, outParam);
    else
        outParam = {int(lrProtocolError), QString()};
}

void InitMemberBgTaskThreadUnit()
{
    TZKMainDef &values = ZKMainDef();
    values.CreateBgTaskThreadHook = [] {
        if (BgTaskThread)
            return;
        auto *thread = new TMemberBgTaskThread;
        thread->Start();
        BgTaskThread = thread;
    };
    values.EndBgTaskThreadHook = [] {
        // Waits until a running task has returned; DoThreadStop then logs out.
        delete BgTaskThread;
        BgTaskThread = nullptr;
    };
}

TMemberBgTaskThread *MemberBgTaskThread()
{
    return dynamic_cast<TMemberBgTaskThread *>(BgTaskThread);
}
