#include "exchange/ExchangeSupport.h"

#include "link/MemberTransaction.h"
#include "store/Archive.h"
#include "store/NameGuards.h"
#include "store/PrivateFiles.h"
#include "store/Recordset.h"
#include "store/SqlQuery.h"
#include "store/StorageFolder.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"

#include <QDir>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace ZKExchange {

QString ErrorText(const std::exception &e)
{
    if (const auto *zk = dynamic_cast<const EZKError *>(&e))
        return zk->Message();
    return QString::fromLocal8Bit(e.what());
}

void PrepareWorkFolder(const QString &folder)
{
    DeleteFolderTree(folder);
    MakePrivateFolder(folder);
}

void ExtractPackage(const QString &archiveFile, const QString &folder)
{
    if (ExtractArchive(archiveFile, folder) == eaExtractFailed)
        throw EZKError(u"The package %1 is damaged or holds a member that would leave its folder; "
                       "nothing of it is imported."_s.arg(archiveFile));
}

void RequirePlainCodes(const TRecordset &rows, const QStringList &fields, const QString &recordsetName)
{
    for (const QString &field : fields) {
        const int column = rows.FindField(field);
        if (column < 0)
            continue;
        for (int i = 0; i < rows.StoredRowCount(); ++i) {
            const TDbValue &value = rows.StoredValue(i, column);
            const QString code = value.AsString();
            if (!value.IsNull() && !IsPlainCode(code))
                throw EZKError(u"%1 holds a %2 that is not a plain code: %3"_s.arg(
                    recordsetName, field, TextWithHexUnits(code).mid(code.size())));
        }
    }
}

void SetSetParams(TSqlQuery &query, const QString &PCDM, const QString &KLDM, const QString &JHXZ)
{
    SetCodeParam(query, u"pcdm"_s, 1, PCDM);
    SetCodeParam(query, u"kldm"_s, 1, KLDM);
    SetCodeParam(query, u"jhxz"_s, 1, JHXZ);
}

int ResultCode(const QVariant &value, int fallback)
{
    bool ok = false;
    const int code = value.toInt(&ok);
    return ok ? code : fallback;
}

QString PlainExtension(const QString &serverExtension)
{
    const qsizetype dot = serverExtension.lastIndexOf(u'.');
    if (dot < 0)
        return {};
    const QString suffix = serverExtension.mid(dot + 1);
    if (suffix.isEmpty())
        return {};
    for (QChar c : suffix) {
        const char16_t u = c.unicode();
        const bool plain = (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
        if (!plain)
            return {};
    }
    return u'.' + suffix;
}

} // namespace ZKExchange
