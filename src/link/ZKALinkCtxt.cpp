#include "link/ZKALinkCtxt.h"

#include "store/ZKMainDef.h"

namespace {

const TLinkKey kNoKey;

} // namespace

TZKALinkCtxt::TZKALinkCtxt(const QString &IP, int Port, const QString &UserName, const QString &Password,
                           TLinkOptions Options)
    : FUserName(UserName)
    , FPassword(Password)
    , FHost(IP)
    , FPort(static_cast<uint16_t>(Port))
    , FUseIPv6(Options.IPv6Allowed && IsIPv6Installed())
    , FConnector(Options.Connector ? std::move(Options.Connector) : TLinkConnector(ConnectTcp))
{
    FClientSocket.SetTimeout(Options.ReadTimeoutMs);
}

TZKALinkCtxt::~TZKALinkCtxt()
{
    if (Connected()) {
        try {
            WriteMsg(mtLogout, 0);
        } catch (const ELinkError &) {
            // Logging out is a courtesy; the connection is closed either way.
        }
        CloseConnection();
    }
    ReleaseActiveKey();
}

bool TZKALinkCtxt::ReplyIs(uint8_t type) const
{
    const TZkapMsgHdr hdr = MsgHdr();
    return hdr.MsgType == type && hdr.TransId == FTransId;
}

void TZKALinkCtxt::SendHeader(uint8_t MsgType, int PayloadLen)
{
    // Bytes 2 and 3 keep whatever the last received header carried there.
    ++FTransId;
    FMsgHdrBuffer[0] = MsgType;
    FMsgHdrBuffer[1] = FTransId;
    PutInt32(FMsgHdrBuffer.data() + 4, PayloadLen);
    WritePayload(FClientSocket, FMsgHdrBuffer.data(), ZkapHdrLen, kNoKey);
}

void TZKALinkCtxt::WriteMsg(uint8_t MsgType, int PayloadLen)
{
    SendHeader(MsgType, PayloadLen);
    WritePayload(FClientSocket, Payload(), PayloadLen, FActiveKey);
}

void TZKALinkCtxt::ReadMsg()
{
    ReadPayload(FClientSocket, FMsgHdrBuffer.data(), ZkapHdrLen, kNoKey);
    const TZkapMsgHdr hdr = MsgHdr();
    if (hdr.MsgType == rtFileData)
        return; // the bulk data is read by the file transfer
    // Over 511 bytes only the first 511 are read (the rest stays unread); a
    // negative length cannot be delimited and counts as a broken reply.
    const int n = FramePlainLen(hdr, ClientReadsServer);
    if (n < 0)
        throw ELinkError("reply with a negative length");
    ReadPayload(FClientSocket, Payload(), n, FActiveKey);
}

bool TZKALinkCtxt::ConnectSocket()
{
    const auto attempt = [this](bool ipv6) {
        const int fd = FConnector(FHost, FPort, ipv6);
        if (fd < 0)
            return false;
        FClientSocket.Adopt(fd);
        return true;
    };
    if (attempt(FUseIPv6))
        return true;
    if (!FUseIPv6)
        return false;
    // Once IPv6 failed, the context stays on IPv4 for all later openings.
    FUseIPv6 = false;
    return attempt(false);
}

int TZKALinkCtxt::OpenConnection()
{
    if (Connected())
        return lrOK;
    // nettle is linked in, so the cryptographic service is always there.
    FFsmState = 0;
    ReleaseActiveKey();
    if (!ConnectSocket())
        return lrConnectFailed;

    int result = lrProtocolError;
    TLinkKey loginKey;
    if (!DeriveBootstrapKey(FActiveKey))
        FActiveKey.Release();
    else if (DeriveTextKey(ZKMainDef().LoginInfo.Password, loginKey))
        result = lrOK;
    else
        ReleaseActiveKey();
    if (result != lrOK) {
        CloseConnection();
        return result;
    }

    result = LoginExchange(loginKey);
    if (result == lrOK)
        FFsmState = 1;
    else
        CloseConnection(); // a refused login included
    loginKey.Release();
    return result;
}

int TZKALinkCtxt::LoginExchange(const TLinkKey &loginKey)
{
    uint8_t *p = Payload();
    if (!EncodeLogin(p, ZKMainDef().LoginInfo.SSDM, FUserName, FPassword, loginKey))
        return lrProtocolError;
    try {
        WriteMsg(mtLogin, LoginPayloadLen); // 152 bytes on the wire under the bootstrap key
        ReadMsg();
    } catch (const ELinkError &) {
        return lrConnectFailed;
    }
    if (!ReplyIs(rtLoginReply) || MsgHdr().PayloadLen != LoginReplyLen)
        return lrProtocolError;
    if (p[0] != lrOK)
        return p[0];

    QString keyText;
    if (!DecryptLoginReplyKeyText(p, loginKey, &keyText))
        return lrProtocolError;
    ReleaseActiveKey(); // the bootstrap key
    if (!DeriveTextKey(keyText, FActiveKey)) {
        ReleaseActiveKey();
        return lrProtocolError;
    }
    return lrOK;
}

int TZKALinkCtxt::KeepAlive()
{
    try {
        WriteMsg(mtKeepAlive, 0);
        ReadMsg(); // any reply will do; it is not examined
        return lrOK;
    } catch (const ELinkError &) {
        CloseConnection();
    }
    return OpenConnection() == lrOK ? lrOK : lrConnectFailed;
}
