#include "exchange/MemberSession.h"

#include "exchange/ExchangeSupport.h"
#include "exchange/MemberNetDM.h"
#include "link/MemberBgTaskThread.h"
#include "link/MemberTransaction.h"
#include "link/PasswordSeal.h"
#include "store/Adtg.h"
#include "store/NamedLock.h"
#include "store/SqlQuery.h"
#include "store/StorageFolder.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QHash>

using namespace Qt::StringLiterals;

namespace {

const QString kLoginCaption = u"登录系统"_s;

// The login dialog's caption: "登录系统", the year and the edition suffix.
QString LoginDialogCaption()
{
    return kLoginCaption + u' ' + StorageFolderYear + MemberEditionSuffix;
}

QString WithSlash(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

// Runs a task on the program's task thread and waits for its callback.
QVariantList RunAndWait(const TBgTaskExecProc &task, const QVariantList &in)
{
    QVariantList result{int(lrNotDone)};
    TMemberBgTaskThread *thread = MemberBgTaskThread();
    if (!thread)
        return result;
    QEventLoop loop;
    bool done = false;
    if (!thread->ExecBgTask(task, in, [&](QVariantList &, QVariantList &out) {
            result = out;
            done = true;
            loop.quit();
        }))
        return result;
    if (!done)
        loop.exec();
    return result;
}

int CountRows(TSqlQuery &table)
{
    int rows = 0;
    for (; !table.Eof(); table.Next())
        ++rows;
    return rows;
}

} // namespace

TMemberSession::TMemberSession(TMainDM &mainDM, TMemberNetDM &netDM, IMessageSink &sink)
    : FMainDM(mainDM)
    , FNetDM(netDM)
    , FSink(sink)
{}

TMemberSession::~TMemberSession()
{
    End();
}

bool TMemberSession::EstablishStorage(const QString &folder)
{
    ZKMainDef().LoginInfo.StorageFolder = folder;
    if (QFileInfo::exists(folder))
        return true;
    // A new storage folder gets the province list and the common database, as the
    // program's own storage folder does.
    if (!QDir().mkpath(folder)) {
        FError = u"cannot make the storage folder %1"_s.arg(folder);
        return false;
    }
    CopyProgramFile(folder, ProvinceListFileName);
    CopyProgramFile(folder, CommonDatabaseFileName);
    return true;
}

bool TMemberSession::PrepareLogin(const TSessionOptions &options)
{
    TZKMainDef &def = ZKMainDef();
    const QString storage = WithSlash(QDir(options.StorageFolder).absolutePath());
    if (!EstablishStorage(storage))
        return false;
    TRecordset provinces;
    try {
        TNamedLock lock = TakeProvinceListLock();
        provinces = LoadAdtgFile(storage + ProvinceListFileName);
    } catch (const EZKError &e) {
        FError = e.Message();
        return false;
    }
    if (!provinces.Locate(u"ssdm"_s, options.SSDM)) {
        FError = u"the province list has no province %1"_s.arg(options.SSDM);
        return false;
    }
    TLoginInfo &login = def.LoginInfo;
    login.SSDM = options.SSDM;
    login.SSPY = provinces.FieldByName(u"SSPY").AsString();
    login.SSMC = provinces.FieldByName(u"SSMC").AsString();
    login.ServerAddress = options.Host.isEmpty() ? provinces.FieldByName(u"FWQDZ").AsString() : options.Host;
    login.ServerPort =
        options.Port < 0 ? provinces.FieldByName(u"FWQDKH").AsString() : QString::number(options.Port);
    login.WebAddress = provinces.FieldByName(u"ZYDZ").AsString();
    login.WebPort = provinces.FieldByName(u"ZYDKH").AsString();
    login.UserName = options.UserName;
    login.Password = options.Password;
    DeriveUserFolders(login);
    FMainDM.UnivShareConn.SetConnectionString(JetConnectionPrefix + login.UserFolder +
                                              UnivShareDatabaseFileName);
    FMainDM.UnivConn.SetConnectionString(JetConnectionPrefix + login.UserFolder + UnivDatabaseFileName);
    FMainDM.CommonConn.SetConnectionString(JetConnectionPrefix + storage + CommonDatabaseFileName);
    return true;
}

int TMemberSession::Connect()
{
    TZKMainDef &def = ZKMainDef();
    if (!MemberBgTaskThread()) {
        if (!def.CreateBgTaskThreadHook)
            InitMemberBgTaskThreadUnit();
        def.CreateBgTaskThreadHook();
        FThreadStarted = true;
    }
    TMemberBgTaskThread *thread = MemberBgTaskThread();
    FNetDM.SetTaskThread(thread);
    const TLoginInfo &login = def.LoginInfo;
    bool isNumber = false;
    int port = login.ServerPort.toInt(&isNumber);
    if (!isNumber)
        port = 0;
    def.IsNetIdle = false;
    const QVariantList out = RunAndWait(BgTaskProc(thread, &TMemberBgTaskThread::DoConnectToHost),
                                        {login.ServerAddress, port, login.UserName, login.Password});
    def.IsNetIdle = true;
    const int code = ZKExchange::ResultCode(out.value(0), lrNotDone);
    if (code != lrOK)
        FNetDM.ShowLoginErrorMsg(code);
    return code;
}

bool TMemberSession::ReadSetUpState(bool &setUp)
{
    setUp = false;
    const TLoginInfo &login = ZKMainDef().LoginInfo;
    if (!QFileInfo::exists(login.UserFolder + UnivShareDatabaseFileName))
        return true;
    try {
        TMainDM::ShareUse share(FMainDM);
        TSqlQuery table(&FMainDM.UnivShareConn);
        table.OpenTable(u"T_YXZT"_s);
        const bool marked = !table.Eof() && table.AsString(u"GKLQZ"_s) == u"1"_s;
        setUp = marked && CountRows(table) == 1;
        return true;
    } catch (const EZKError &) {
        FSink.ShowMessage(
            u"启动系统时读取 T_YXZT.DB 出错。请尝试再次运行本系统, \r\n必要时可重新启动计算机。"_s,
            u"脱机登录"_s, TMsgIcon::Error);
        return false;
    }
}

void TMemberSession::StorePassword()
{
    try {
        TMainDM::ShareUse share(FMainDM);
        TSqlQuery table(&FMainDM.UnivShareConn);
        table.OpenTable(u"T_YXZT"_s);
        if (CountRows(table) != 1)
            return;
        table.Close();
        TSqlQuery update(&FMainDM.UnivShareConn);
        update.SetSQL(u"update T_YXZT set YHKL=:yhkl"_s);
        update.SetTextParam(u"yhkl"_s, SealPassword(ZKMainDef().LoginInfo.Password));
        update.ExecSQL();
    } catch (const EZKError &) {
        FSink.ShowMessage(u"更新用户信息出错。"_s, LoginDialogCaption(), TMsgIcon::Error);
    }
}

bool TMemberSession::FirstSetUp()
{
    TZKMainDef &def = ZKMainDef();
    const TLoginInfo &login = def.LoginInfo;
    FMainDM.UnivConn.Close();
    FMainDM.UnivShareConn.Close();
    DeleteFolderTree(login.UserFolder);
    CreateFirstSetUpFolders(login);
    def.IsNetIdle = false;
    const QVariantList out =
        RunAndWait(BgTaskProc(MemberBgTaskThread(), &TMemberBgTaskThread::DoGetDMKJHK), {true});
    def.IsNetIdle = true;

    CopyProgramFile(login.UserFolder, UnivDatabaseFileName);
    CopyProgramFile(login.UserFolder, UnivShareDatabaseFileName);
    try {
        FMainDM.UnivConn.Open();
    } catch (const EZKError &e) {
        FError = e.Message();
        return false;
    }
    if (FNetDM.InitDMK(ZKExchange::ResultCode(out.value(0), lrNotDone), out.value(1).toString(), true) != 0) {
        FError = u"the code library could not be received"_s;
        return false;
    }
    if (FNetDM.InitTDD() != 0) {
        FError = u"the dossier table could not be created"_s;
        return false;
    }
    if (FNetDM.InitJHK(ZKExchange::ResultCode(out.value(2), lrNotDone), out.value(3).toString()) != 0) {
        FError = u"the plan could not be received"_s;
        return false;
    }
    try {
        TMainDM::ShareUse share(FMainDM);
        FMainDM.UnivShareConn.ExecSQL(QStringList{u"UPDATE T_YXZT"_s, u"SET GKLQZ=\"1\""_s});
    } catch (const EZKError &) {
        FSink.ShowMessage(u"院校状态表更新失败。"_s, kLoginCaption, TMsgIcon::Error);
        return false;
    }
    return true;
}

bool TMemberSession::EnterWorkspace()
{
    try {
        if (!FMainDM.UnivConn.Connected())
            FMainDM.UnivConn.Open();
    } catch (const EZKError &) {
        FSink.ShowMessage(u"代码库读取失败。"_s, kLoginCaption, TMsgIcon::Error);
        return false;
    }
    if (FMainDM.ReadDMTable() != 0) {
        FSink.ShowMessage(u"代码库读取失败。"_s, kLoginCaption, TMsgIcon::Error);
        return false;
    }
    return true;
}

bool TMemberSession::DownloadDossiers()
{
    TZKMainDef &def = ZKMainDef();
    QEventLoop loop;
    bool done = false;
    FNetDM.OnDownLoadAllTDDDone = [&] {
        done = true;
        loop.quit();
    };
    FNetDM.DownLoadAllTDD();
    const bool started = !def.IsNetIdle;
    if (started && !done)
        loop.exec();
    FNetDM.OnDownLoadAllTDDDone = nullptr;
    if (!started) {
        FError = u"the dossier query could not start"_s;
        return false;
    }
    bool ok = FNetDM.LastRunDMKResult != 2 && FNetDM.LastRunJHKResult != 2;
    for (const TTDDRequestResult &r : FNetDM.LastRunResults)
        ok = ok && r.Import != 2;
    return ok;
}

bool TMemberSession::OpenSet(const QString &PCDM, const QString &KLDM, const QString &JHXZ)
{
    TZKMainDef &def = ZKMainDef();
    bool known = false;
    for (const TSetState &set : ReadSetStates())
        known = known || (set.PCDM == PCDM && set.KLDM == KLDM && set.JHXZ == JHXZ);
    if (!known) {
        FError = u"the set %1 %2 %3 is not in the plan"_s.arg(PCDM, KLDM, JHXZ);
        return false;
    }
    def.CurPCDM = PCDM;
    def.CurZT = 0;
    FMainDM.ReadKL_JHXZ();
    FMainDM.ChangeCurrTDDKlJhxz(KLDM, JHXZ);
    return def.IsTDDOpen;
}

int TMemberSession::SendResults(const QString &password)
{
    TGivenPasswordCheck check(password, FSink);
    FNetDM.SetPasswordCheck(&check);
    QEventLoop loop;
    bool done = false;
    int code = lrNotDone;
    FNetDM.OnUpLoadDone = [&](int result) {
        code = result;
        done = true;
        loop.quit();
    };
    if (FNetDM.UpLoadLQJG() && !done)
        loop.exec();
    FNetDM.OnUpLoadDone = nullptr;
    FNetDM.SetPasswordCheck(nullptr);
    return code;
}

QList<TSetState> TMemberSession::ReadSetStates()
{
    QList<TSetState> sets;
    TSqlConnection &conn = FMainDM.UnivConn;
    try {
        if (!conn.Connected() || !conn.TableExists(u"T_KLJHXZZT"_s))
            return sets;
        QHash<QString, int> dossiers;
        TSqlQuery query(&conn);
        query.SetSQL(u"select pcdm, kldm, jhxz, count(*) from t_tdd group by pcdm, kldm, jhxz"_s);
        for (query.Open(); !query.Eof(); query.Next())
            dossiers.insert(
                QStringList{query.AsString(0), query.AsString(1), query.AsString(2)}.join(QChar(0)),
                query.Value(3).toInt());
        query.SetSQL(u"select pcdm, kldm, jhxz, dqtddbh, zt from t_kljhxzzt order by pcdm, kldm, jhxz"_s);
        for (query.Open(); !query.Eof(); query.Next()) {
            TSetState set{query.AsString(0),      query.AsString(1), query.AsString(2),
                          query.Value(3).toInt(), query.AsString(4), 0};
            set.Dossiers = dossiers.value(QStringList{set.PCDM, set.KLDM, set.JHXZ}.join(QChar(0)));
            sets.append(set);
        }
    } catch (const EZKError &e) {
        FError = e.Message();
    }
    return sets;
}

void TMemberSession::End()
{
    FNetDM.SetTaskThread(nullptr);
    if (FThreadStarted && ZKMainDef().EndBgTaskThreadHook)
        ZKMainDef().EndBgTaskThreadHook();
    FThreadStarted = false;
}
