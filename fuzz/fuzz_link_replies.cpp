// Feeds arbitrary server bytes to the member's link: first to the pure frame and
// chunk decoders, then to a link context over a socket pair.
//
// Input: byte 0 chooses the requests; the rest is a list of records
// [kind][length][content] that build what the "server" sends:
//   kind % 4 == 0  raw bytes, sent as they are
//   kind % 4 == 1  a message: content[0] type, content[1] transaction id, the
//                  rest the payload, encrypted under the current key
//   kind % 4 == 2  a login reply: content[0] result, content[1] id, the rest the
//                  key text (as UTF-16 units); encrypted like a real one, and the
//                  key of later messages becomes the key text's
//   kind % 4 == 3  bulk data: content[0] id, content[1..4] the announced length,
//                  the rest the data in chunks of 511
// The whole stream is written before the client runs; then the "server" stops
// sending, so every read ends.
#include "link/ZKALinkCtxt.h"
#include "store/ZKMainDef.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

void DecodeAll(const uint8_t *data, size_t size, const TLinkKey *key, const TFrameRules &rules)
{
    uint8_t payload[ZkapPayloadBufLen];
    int64_t at = 0;
    while (at < int64_t(size)) {
        const TDecodedFrame f = DecodeFrame(data + at, int64_t(size) - at, key, rules, payload);
        if (f.Status != TDecodeStatus::Ok)
            break;
        at += f.Consumed;
        if (f.Hdr.MsgType == rules.HeaderOnlyType && f.Hdr.PayloadLen > 0) {
            const TDecodedChunk c =
                DecodeChunk(data + at, int64_t(size) - at, f.Hdr.PayloadLen, key, payload);
            if (c.Status != TDecodeStatus::Ok)
                break;
            at += c.Consumed;
        }
    }
    if (size >= FileInfoLen) {
        const TFileInfo info = DecodeFileInfo(data);
        (void)ServerFileExt(info.Name());
    }
    if (size >= LoginPayloadLen)
        (void)DecodeLogin(data);
}

class TStream
{
public:
    std::vector<uint8_t> Bytes;
    TLinkKey Key;

    TStream() { DeriveBootstrapKey(Key); }

    void Frame(uint8_t type, uint8_t id, const uint8_t *payload, int len, int announced)
    {
        uint8_t out[ZkapHdrLen + ZkapPayloadBufLen + 8];
        std::memcpy(out + ZkapHdrLen, payload, size_t(len));
        const int n = EncodeFrame({type, id, 0, 0, announced}, out + ZkapHdrLen, len, &Key, out);
        Bytes.insert(Bytes.end(), out, out + n);
    }
    void LoginReply(const uint8_t *c, int len)
    {
        // The key text as the client reads it: up to the first zero unit, and
        // at most the 32 units the field carries with its zero.
        QString keyText;
        for (int i = 2; i + 1 < len && keyText.size() < 32; i += 2) {
            const auto unit = char16_t(c[i] | (c[i + 1] << 8));
            if (unit == 0)
                break;
            keyText.append(QChar(unit));
        }
        TLinkKey loginKey;
        DeriveTextKey(ZKMainDef().LoginInfo.Password, loginKey);
        uint8_t reply[LoginReplyLen + 8];
        EncodeLoginReply(reply, c[0], keyText, loginKey);
        Frame(rtLoginReply, c[1], reply, LoginReplyLen, LoginReplyLen);
        DeriveTextKey(keyText, Key);
    }
    void Data(const uint8_t *c, int len)
    {
        const int32_t announced = GetInt32(c + 1);
        uint8_t hdr[ZkapHdrLen];
        EncodeMsgHdr({rtFileData, c[0], 0, 0, announced}, hdr);
        Bytes.insert(Bytes.end(), hdr, hdr + ZkapHdrLen);
        for (int at = 5; at < len; at += ZkapMaxPayload) {
            const int n = std::min(len - at, ZkapMaxPayload);
            uint8_t chunk[ZkapPayloadBufLen];
            std::memcpy(chunk, c + at, size_t(n));
            Key.EncryptUnit(chunk, n);
            Bytes.insert(Bytes.end(), chunk, chunk + RoundToCipherLen(n));
        }
    }
    void Build(const uint8_t *data, size_t size)
    {
        size_t at = 0;
        while (at + 2 <= size) {
            const uint8_t kind = data[at];
            // Lengths up to 1,020 so that bulk data can span chunks.
            const int len = std::min<int>(int(data[at + 1]) * 4, int(size - at - 2));
            const uint8_t *c = data + at + 2;
            at += 2 + size_t(len);
            switch (kind % 4) {
            case 0:
                Bytes.insert(Bytes.end(), c, c + len);
                break;
            case 1:
                if (len >= 2)
                    Frame(c[0], c[1], c + 2, std::min(len - 2, ZkapMaxPayload),
                          kind & 0x80 ? int(GetInt32Safe(c, len)) : std::min(len - 2, ZkapMaxPayload));
                break;
            case 2:
                if (len >= 2)
                    LoginReply(c, len);
                break;
            default:
                if (len >= 5)
                    Data(c, len);
                break;
            }
        }
    }

private:
    static int32_t GetInt32Safe(const uint8_t *c, int len) { return len >= 6 ? GetInt32(c + 2) : -1; }
};

const QString &WorkFolder()
{
    static QTemporaryDir dir;
    static const bool made = [] {
        QFile up(dir.filePath(QStringLiteral("up.zip")));
        return up.open(QIODevice::WriteOnly) && up.write(QByteArray(1100, 'r')) == 1100;
    }();
    (void)made;
    static const QString path = dir.path() + u'/';
    return path;
}

void RunContext(uint8_t choice, const std::vector<uint8_t> &stream)
{
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        return;
    const int big = 1 << 20;
    setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &big, sizeof big);
    size_t sent = 0;
    while (sent < stream.size()) {
        const ssize_t n =
            send(fds[1], stream.data() + sent, stream.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n <= 0)
            break;
        sent += size_t(n);
    }
    shutdown(fds[1], SHUT_WR);

    TLinkOptions options;
    options.ReadTimeoutMs = 2000;
    int clientFd = fds[0];
    options.Connector = [&clientFd](const QString &, uint16_t, bool) { return std::exchange(clientFd, -1); };
    {
        TZKALinkCtxt ctx(QStringLiteral("leader"), 1, QStringLiteral("zy01"), QStringLiteral("pw1"), options);
        if (ctx.OpenConnection() == lrOK) {
            const QString &w = WorkFolder();
            bool a, b;
            QString text;
            for (int i = 0; i < 2; ++i) {
                switch ((choice >> (4 * i)) & 0xF) {
                case 0:
                    ctx.QueryMemberState(a, b);
                    break;
                case 1:
                    ctx.QueryDQPC(text);
                    break;
                case 2:
                    ctx.RequestDMK(w + QStringLiteral("dmk"));
                    break;
                case 3:
                    ctx.RequestJHK(w + QStringLiteral("jhk"));
                    break;
                case 4:
                    ctx.RequestTDD(QStringLiteral("1"), QStringLiteral("5"), QStringLiteral("1"), 3,
                                   w + QStringLiteral("tdd"));
                    break;
                case 5:
                    ctx.RequestAllZY(QStringLiteral("11010119991234"), w + QStringLiteral("zy"));
                    break;
                case 6:
                    ctx.RequestPhoto(QStringLiteral("11010119991234"), w + QStringLiteral("p"), 3, text);
                    break;
                case 7:
                    ctx.UpLoadResult(QStringLiteral("1"), QStringLiteral("5"), QStringLiteral("1"), 3,
                                     w + QStringLiteral("up.zip"));
                    break;
                default:
                    ctx.OpenConnection();
                    break;
                }
            }
        }
    }
    if (clientFd >= 0)
        ::close(clientFd);
    ::close(fds[1]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TLinkKey link;
    DeriveTextKey(QStringLiteral("K1"), link);
    DecodeAll(data, size, nullptr, ClientReadsServer);
    DecodeAll(data, size, &link, ClientReadsServer);
    DecodeAll(data, size, &link, ServerReadsClient);

    if (size < 1 || size > 64 * 1024)
        return 0;
    ZKMainDef().LoginInfo.SSDM = QStringLiteral("11");
    ZKMainDef().LoginInfo.Password = QStringLiteral("pw1");
    TStream stream;
    stream.Build(data + 1, size - 1);
    RunContext(data[0], stream.Bytes);
    return 0;
}
