#include "link/ZkapCodec.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kSetCodeUnits = 2;
constexpr int kKSHUnits = 15;
constexpr int kSSDMUnits = 3;
constexpr int kNameUnits = 33;
constexpr int kPasswordAt = 72;
constexpr int kInnerPlainLen = kNameUnits * 2; // 66 bytes, 72 encrypted
constexpr int kKeyTextAt = 2;

bool Keyed(const TLinkKey *key)
{
    return key && !key->IsNull();
}

} // namespace

void PutInt32(uint8_t *dst, int32_t value)
{
    const auto u = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        dst[i] = static_cast<uint8_t>(u >> (8 * i));
}

int32_t GetInt32(const uint8_t *src)
{
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= static_cast<uint32_t>(src[i]) << (8 * i);
    return static_cast<int32_t>(u);
}

void EncodeMsgHdr(const TZkapMsgHdr &hdr, uint8_t *out)
{
    out[0] = hdr.MsgType;
    out[1] = hdr.TransId;
    out[2] = hdr.Unused1;
    out[3] = hdr.Unused2;
    PutInt32(out + 4, hdr.PayloadLen);
}

TZkapMsgHdr DecodeMsgHdr(const uint8_t *in)
{
    TZkapMsgHdr hdr;
    hdr.MsgType = in[0];
    hdr.TransId = in[1];
    hdr.Unused1 = in[2];
    hdr.Unused2 = in[3];
    hdr.PayloadLen = GetInt32(in + 4);
    return hdr;
}

void PutTextField(uint8_t *dst, int units, const QString &text)
{
    const int n = static_cast<int>(std::min<qsizetype>(text.size(), units - 1));
    const QChar *src = text.constData();
    for (int i = 0; i < n; ++i) {
        dst[2 * i] = static_cast<uint8_t>(src[i].unicode() & 0xFF);
        dst[2 * i + 1] = static_cast<uint8_t>(src[i].unicode() >> 8);
    }
    std::memset(dst + 2 * n, 0, static_cast<size_t>(2 * (units - n)));
}

QString GetTextField(const uint8_t *src, int units)
{
    int n = 0;
    while (n < units && (src[2 * n] | src[2 * n + 1]) != 0)
        ++n;
    QString text(n, Qt::Uninitialized);
    QChar *out = text.data();
    for (int i = 0; i < n; ++i)
        out[i] = QChar(static_cast<char16_t>(src[2 * i] | (src[2 * i + 1] << 8)));
    return text;
}

int FramePlainLen(const TZkapMsgHdr &hdr, const TFrameRules &rules)
{
    if (hdr.MsgType == rules.HeaderOnlyType)
        return 0;
    if (hdr.PayloadLen < 0)
        return -1;
    if (hdr.PayloadLen > ZkapMaxPayload)
        return rules.CapOverLong ? ZkapMaxPayload : -1;
    return hdr.PayloadLen;
}

TDecodedFrame DecodeFrame(const uint8_t *data, int64_t size, const TLinkKey *key, const TFrameRules &rules,
                          uint8_t *payload)
{
    TDecodedFrame frame;
    if (size < ZkapHdrLen)
        return frame;
    frame.Hdr = DecodeMsgHdr(data);
    frame.PlainLen = FramePlainLen(frame.Hdr, rules);
    if (frame.PlainLen < 0) {
        frame.Status = TDecodeStatus::Malformed;
        return frame;
    }
    if (frame.Hdr.MsgType == rules.HeaderOnlyType) {
        frame.Status = TDecodeStatus::Ok;
        frame.Consumed = ZkapHdrLen;
        return frame;
    }
    const int wire = PayloadWireLen(frame.PlainLen, Keyed(key));
    if (size < ZkapHdrLen + wire)
        return frame;
    std::memcpy(payload, data + ZkapHdrLen, static_cast<size_t>(wire));
    if (Keyed(key) && !key->DecryptUnit(payload, wire)) {
        frame.Status = TDecodeStatus::Malformed;
        return frame;
    }
    frame.Status = TDecodeStatus::Ok;
    frame.Consumed = ZkapHdrLen + wire;
    return frame;
}

TDecodedChunk DecodeChunk(const uint8_t *data, int64_t size, int64_t remaining, const TLinkKey *key,
                          uint8_t *out)
{
    TDecodedChunk chunk;
    if (remaining <= 0) {
        chunk.Status = TDecodeStatus::Malformed;
        return chunk;
    }
    chunk.PlainLen = static_cast<int>(std::min<int64_t>(remaining, ZkapMaxPayload));
    const int wire = PayloadWireLen(chunk.PlainLen, Keyed(key));
    if (size < wire)
        return chunk;
    std::memcpy(out, data, static_cast<size_t>(wire));
    if (Keyed(key) && !key->DecryptUnit(out, wire)) {
        chunk.Status = TDecodeStatus::Malformed;
        return chunk;
    }
    chunk.Status = TDecodeStatus::Ok;
    chunk.Consumed = wire;
    return chunk;
}

int EncodeFrame(const TZkapMsgHdr &hdr, const uint8_t *payload, int len, const TLinkKey *key, uint8_t *out)
{
    EncodeMsgHdr(hdr, out);
    if (len > 0)
        std::memmove(out + ZkapHdrLen, payload, static_cast<size_t>(len));
    if (!Keyed(key))
        return ZkapHdrLen + len;
    if (!key->EncryptUnit(out + ZkapHdrLen, len))
        return -1;
    return ZkapHdrLen + RoundToCipherLen(len);
}

bool EncodeLogin(uint8_t *buf, const QString &SSDM, const QString &UserName, const QString &Password,
                 const TLinkKey &loginKey)
{
    PutTextField(buf, kSSDMUnits, SSDM);
    PutTextField(buf + 6, kNameUnits, UserName);
    PutTextField(buf + kPasswordAt, kNameUnits, Password);
    return loginKey.EncryptUnit(buf + kPasswordAt, kInnerPlainLen);
}

TLoginRequest DecodeLogin(const uint8_t *buf)
{
    TLoginRequest req;
    req.SSDM = GetTextField(buf, kSSDMUnits);
    req.UserName = GetTextField(buf + 6, kNameUnits);
    std::memcpy(req.PasswordField.data(), buf + kPasswordAt, req.PasswordField.size());
    return req;
}

bool DecryptPasswordField(const std::array<uint8_t, 72> &field, const TLinkKey &loginKey, QString *password)
{
    std::array<uint8_t, 72> plain = field;
    if (!loginKey.DecryptUnit(plain.data(), static_cast<int>(plain.size())))
        return false;
    *password = GetTextField(plain.data(), kNameUnits);
    return true;
}

bool EncodeLoginReply(uint8_t *buf, uint8_t result, const QString &keyText, const TLinkKey &loginKey)
{
    buf[0] = result;
    buf[1] = 0;
    PutTextField(buf + kKeyTextAt, kNameUnits, keyText);
    return loginKey.EncryptUnit(buf + kKeyTextAt, kInnerPlainLen);
}

bool DecryptLoginReplyKeyText(uint8_t *buf, const TLinkKey &loginKey, QString *keyText)
{
    if (!loginKey.DecryptUnit(buf + kKeyTextAt, RoundToCipherLen(kInnerPlainLen)))
        return false;
    *keyText = GetTextField(buf + kKeyTextAt, kNameUnits);
    return true;
}

void EncodeSetCodes(uint8_t *buf, const TSetCodes &codes)
{
    PutTextField(buf, kSetCodeUnits, codes.PCDM);
    PutTextField(buf + 4, kSetCodeUnits, codes.KLDM);
    PutTextField(buf + 8, kSetCodeUnits, codes.JHXZDM);
}

TSetCodes DecodeSetCodes(const uint8_t *buf)
{
    return {GetTextField(buf, kSetCodeUnits), GetTextField(buf + 4, kSetCodeUnits),
            GetTextField(buf + 8, kSetCodeUnits)};
}

void EncodeTDDRequest(uint8_t *buf, const TTDDRequest &req)
{
    EncodeSetCodes(buf, req.Codes);
    PutInt32(buf + 12, req.LastTDDBH);
}

TTDDRequest DecodeTDDRequest(const uint8_t *buf)
{
    return {DecodeSetCodes(buf), GetInt32(buf + 12)};
}

void EncodeUpLoadAnnounce(uint8_t *buf, const TUpLoadAnnounce &req)
{
    EncodeSetCodes(buf, req.Codes);
    PutInt32(buf + 12, req.TDDBH);
    PutInt32(buf + 16, req.Size);
}

TUpLoadAnnounce DecodeUpLoadAnnounce(const uint8_t *buf)
{
    return {DecodeSetCodes(buf), GetInt32(buf + 12), GetInt32(buf + 16)};
}

void EncodeAllZYRequest(uint8_t *buf, const QString &KSH)
{
    PutTextField(buf, kKSHUnits, KSH);
}

void EncodePhotoRequest(uint8_t *buf, const QString &KSH, uint8_t kind)
{
    PutTextField(buf, kKSHUnits, KSH);
    buf[30] = kind;
    buf[31] = 0;
}

QString DecodeKSH(const uint8_t *buf)
{
    return GetTextField(buf, kKSHUnits);
}

void EncodeFileInfo(uint8_t *buf, const TFileInfo &info)
{
    buf[0] = info.Result;
    buf[1] = info.FileNo;
    std::memcpy(buf + 2, info.NameBlock.data(), FileNameBlockLen);
    PutInt32(buf + 132, info.Size);
}

TFileInfo DecodeFileInfo(const uint8_t *buf)
{
    TFileInfo info;
    info.Result = buf[0];
    info.FileNo = buf[1];
    std::memcpy(info.NameBlock.data(), buf + 2, FileNameBlockLen);
    info.Size = GetInt32(buf + 132);
    return info;
}

std::array<uint8_t, FileNameBlockLen> MakeNameBlock(const QString &name)
{
    std::array<uint8_t, FileNameBlockLen> block{};
    PutTextField(block.data(), FileNameBlockLen / 2, name);
    return block;
}

void EncodeFileDataRequest(uint8_t *buf, const TFileDataRequest &req)
{
    buf[0] = req.FileNo;
    buf[1] = 0;
    std::memcpy(buf + 2, req.NameBlock.data(), FileNameBlockLen);
    PutInt32(buf + 132, req.Offset);
}

TFileDataRequest DecodeFileDataRequest(const uint8_t *buf)
{
    TFileDataRequest req;
    req.FileNo = buf[0];
    std::memcpy(req.NameBlock.data(), buf + 2, FileNameBlockLen);
    req.Offset = GetInt32(buf + 132);
    return req;
}

void EncodeDQPCReply(uint8_t *buf, uint8_t result, const QString &PCDM)
{
    buf[0] = result;
    buf[1] = 0;
    PutTextField(buf + 2, kSetCodeUnits, PCDM);
}

QString DecodeDQPC(const uint8_t *buf)
{
    return GetTextField(buf + 2, kSetCodeUnits);
}

QString ServerFileExt(const QString &name)
{
    for (qsizetype i = name.size() - 1; i >= 0; --i) {
        const QChar c = name.at(i);
        if (c == u'.')
            return name.mid(i);
        if (c == u'\\' || c == u':')
            break;
    }
    return {};
}
