#include "exchange/ExchangeSupport.h"

#include "link/MemberTransaction.h"
#include "store/SqlQuery.h"
#include "store/StorageFolder.h"
#include "store/ZKError.h"

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
    QDir().mkpath(folder);
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
