#include "link/MemberTransaction.h"

#include "store/UiSinks.h"

using namespace Qt::StringLiterals;

void WritePayload(TLinkSocket &connection, uint8_t *buf, int count, const TLinkKey &key)
{
    if (!key.IsNull()) {
        if (!key.EncryptUnit(buf, count))
            throw ELinkError("Encrypt error!");
        count = RoundToCipherLen(count);
    }
    connection.WriteAll(buf, count);
}

void ReadPayload(TLinkSocket &connection, uint8_t *buf, int count, const TLinkKey &key)
{
    if (!key.IsNull())
        count = RoundToCipherLen(count);
    connection.ReadExact(buf, count);
    if (!key.IsNull() && !key.DecryptUnit(buf, count))
        throw ELinkError("Decrypt error!");
}

void ShowLoginErrorMsg(IMessageSink &sink, int LoginRes)
{
    sink.ShowMessage(u"连接失败，请重新登录。错误码：%1"_s.arg(LoginRes), u"登录系统"_s, TMsgIcon::Error);
}
