// The all-wishes and image tasks of the task thread. They run on the worker: they use
// the thread's link and the login values only, never the interface thread's connections.

#include "exchange/ExchangeSupport.h"
#include "exchange/MemberNetDM.h"
#include "link/MemberBgTaskThread.h"
#include "link/MemberTransaction.h"
#include "store/Archive.h"
#include "store/NameGuards.h"
#include "store/NamedLock.h"
#include "store/SqlConnection.h"
#include "store/StorageFolder.h"
#include "store/TableTools.h"
#include "store/ZKMainDef.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;
using namespace ZKExchange;

namespace {

// Merges the package's "Z.adtg" into T_QBZYK of the user's shared database, through a
// connection of this thread and under the share lock. Throws on any failure.
void ImportAllWishes(const TLoginInfo &login, const QString &folder)
{
    TNamedLock lock = TakeShareLock(login.SSPY);
    TRecordset wishes;
    OpenRecordsetFile(wishes, folder + u"Z.adtg"_s);
    TSqlConnection conn(JetConnectionPrefix + login.UserFolder + UnivShareDatabaseFileName);
    conn.Open();
    CopyDataSetToTable(wishes, conn, u"T_QBZYK"_s, u"KSH;PCDM;KLDM;JHXZDM;ZYH;TDDW"_s, ctoMerge);
}

} // namespace

void TMemberNetDM::DoGetQBZY(TMemberBgTaskThread &thread, QVariantList &InParam, QVariantList &OutParam)
{
    const TLoginInfo login = ZKMainDef().LoginInfo;
    const QString KSH = InParam.value(0).toString();
    // The candidate number names the package and its work folder.
    if (!IsPlainCode(KSH)) {
        OutParam = {int(lrProtocolError)};
        return;
    }
    const QString package = login.DownloadFolder + u"QBZY_"_s + KSH + u".ZIP"_s;
    if (!thread.LinkOpen()) {
        OutParam = {int(lrProtocolError)};
        return;
    }
    int code = thread.LinkCtxt->RequestAllZY(KSH, package);
    if (code != lrOK) {
        OutParam = {code};
        return;
    }
    const QString folder = login.DownloadFolder + u"QBZY_"_s + KSH + u'/';
    PrepareWorkFolder(folder);
    try {
        ExtractPackage(package, folder); // a missing member shows up as a failing load
        ImportAllWishes(login, folder);
    } catch (const std::exception &) {
        code = lrImportFailed; // the package file stays for a look
    }
    DeleteFolderTree(folder);
    OutParam = {code};
}

void TMemberNetDM::DoGetPhoto(TMemberBgTaskThread &thread, QVariantList &InParam, QVariantList &OutParam)
{
    const TLoginInfo login = ZKMainDef().LoginInfo;
    const QString KSH = InParam.value(0).toString();
    const int kind = InParam.value(1).toInt();
    // The candidate number names the temporary and the stored file.
    if (kind < 0 || kind >= AttachmentFolderNames().size() || !IsPlainCode(KSH)) {
        OutParam = {int(lrProtocolError), QString()};
        return;
    }
    const QString stored = FindAttachmentFile(login.DownloadFolder, KSH, kind);
    if (!stored.isEmpty()) {
        OutParam = QVariantList{int(lrOK), stored};
        return;
    }
    const QString folder = login.DownloadFolder + AttachmentFolderNames().at(kind) + u'/';
    if (!thread.LinkOpen()) {
        OutParam = QVariantList{int(lrProtocolError), QString(folder + KSH)};
        return;
    }
    QString extension;
    const int code = thread.LinkCtxt->RequestPhoto(KSH, folder + u"TMP_"_s + KSH, uint8_t(kind), extension);
    if (code != lrOK) {
        OutParam = QVariantList{code, QString(folder + KSH)};
        return;
    }
    // The server's name decides the extension only when it is a plain one: a name that
    // carries separators or ".." must not lead the file out of the image folder.
    const QString image = folder + KSH + PlainExtension(extension);
    QFile::rename(folder + u"TMP_"_s + KSH, image); // on failure it stays under its temporary name
    OutParam = QVariantList{int(lrOK), image};
}
