#pragma once

#include "link/LinkCrypto.h"

#include <QString>
#include <array>
#include <cstdint>

// The wire format of the link to the leader's server, shared by the member's
// link context and the leader's server stand-in. Everything here is pure: bytes
// in, values out, no sockets and no state.
//
// Byte order is little endian. A message is an 8-byte header, never encrypted,
// followed by its payload. While a key is active the payload travels encrypted
// as one unit and takes RoundToCipherLen(PayloadLen) bytes on the wire, while
// PayloadLen still gives the plaintext length. Bulk data (after mtUpLoadData and
// rtFileData) follows its header as chunks of min(remaining, 511) plaintext
// bytes, each encrypted on its own.

// Message types sent by the member's client.
enum TZkapClientMsg : uint8_t
{
    mtLogin = 0,
    mtLogout = 1,
    mtKeepAlive = 2,
    mtQueryMemberState = 3,
    mtRequestDMK = 4,
    mtRequestJHK = 5,
    mtQueryDQPC = 6,
    mtRequestTDD = 7,
    mtUpLoadResult = 8,
    mtUpLoadData = 9,
    mtRequestAllZY = 10,
    mtRequestPhoto = 11,
    mtRequestFileData = 12,
};

// Message types sent by the leader's server (the numbers overlap those above).
enum TZkapServerMsg : uint8_t
{
    rtResult = 0,
    rtLoginReply = 1,
    rtMemberState = 3,
    rtFileInfo = 4,
    rtDQPC = 5,
    rtFileData = 6,
};

constexpr int ZkapHdrLen = 8;
constexpr int ZkapMaxPayload = 511;    // longest payload and bulk chunk in plaintext
constexpr int ZkapPayloadBufLen = 512; // its cipher length

// Plaintext payload lengths of the fixed layouts.
constexpr int LoginPayloadLen = 144;
constexpr int LoginReplyLen = 74;
constexpr int TDDRequestLen = 16;
constexpr int UpLoadAnnounceLen = 20;
constexpr int AllZYRequestLen = 30;
constexpr int PhotoRequestLen = 32;
constexpr int FileDataRequestLen = 136;
constexpr int FileInfoLen = 136;
constexpr int FileNameBlockLen = 130; // the server file name: 65 UTF-16 units

// Message header: byte 0 MsgType, byte 1 TransId, bytes 2-3 reserved (sent back
// as last received, ignored on receipt), bytes 4-7 PayloadLen (signed 32).
struct TZkapMsgHdr
{
    uint8_t MsgType = 0;
    uint8_t TransId = 0;
    uint8_t Unused1 = 0;
    uint8_t Unused2 = 0;
    int32_t PayloadLen = 0;
};

void EncodeMsgHdr(const TZkapMsgHdr &hdr, uint8_t *out);
TZkapMsgHdr DecodeMsgHdr(const uint8_t *in);

// Little-endian signed 32-bit fields.
void PutInt32(uint8_t *dst, int32_t value);
int32_t GetInt32(const uint8_t *src);

// Fixed text fields of N UTF-16 units: the sender writes at most N-1 units and a
// zero unit (and clears the rest of the field); the reader takes the units up to
// the first zero unit, or all N units when there is none.
void PutTextField(uint8_t *dst, int units, const QString &text);
QString GetTextField(const uint8_t *src, int units);

// ---- Frames --------------------------------------------------------------------

// How one side reads the other's messages.
struct TFrameRules
{
    uint8_t HeaderOnlyType; // its payload is bulk data, read separately
    bool CapOverLong;       // read a payload over 511 bytes as 511 (else malformed)
};
// The client reading the server, and the server reading the client.
constexpr TFrameRules ClientReadsServer{rtFileData, true};
constexpr TFrameRules ServerReadsClient{mtUpLoadData, false};

// Plaintext bytes of a message's payload that the reader takes: 0 for the header
// only type, min(PayloadLen, 511) when capping, -1 for a negative length or (not
// capping) one over 511: such a frame cannot be delimited.
int FramePlainLen(const TZkapMsgHdr &hdr, const TFrameRules &rules);
// Bytes the payload of plainLen bytes takes on the wire.
inline int PayloadWireLen(int plainLen, bool keyed)
{
    return keyed ? RoundToCipherLen(plainLen) : plainLen;
}

enum class TDecodeStatus
{
    Ok,
    NeedMore,
    Malformed
};

struct TDecodedFrame
{
    TDecodeStatus Status = TDecodeStatus::NeedMore;
    TZkapMsgHdr Hdr;
    int PlainLen = 0;     // payload bytes in the output buffer
    int64_t Consumed = 0; // bytes of the input that the frame took
};

// Decodes the frame at the start of data. The plaintext payload goes to payload
// (room for ZkapPayloadBufLen bytes). A null or null-valued key means the payload
// travels plain. Malformed: a length that cannot be delimited, or a payload that
// does not decrypt.
TDecodedFrame DecodeFrame(const uint8_t *data, int64_t size, const TLinkKey *key, const TFrameRules &rules,
                          uint8_t *payload);

// Decodes one bulk chunk of a transfer with `remaining` plaintext bytes left.
struct TDecodedChunk
{
    TDecodeStatus Status = TDecodeStatus::NeedMore;
    int PlainLen = 0;
    int64_t Consumed = 0;
};
TDecodedChunk DecodeChunk(const uint8_t *data, int64_t size, int64_t remaining, const TLinkKey *key,
                          uint8_t *out);

// Builds a whole frame: the header and the payload, encrypted when a key is
// given. out needs room for ZkapHdrLen + RoundToCipherLen(len) bytes; returns the
// bytes written, or -1 when the payload could not be encrypted.
int EncodeFrame(const TZkapMsgHdr &hdr, const uint8_t *payload, int len, const TLinkKey *key, uint8_t *out);

// ---- Payload layouts -------------------------------------------------------------

// mtLogin, 144 bytes: SSDM (3 units) at 0, user name (33 units) at 6, and at 72
// the password as 33 units encrypted with the login key into 72 bytes.
bool EncodeLogin(uint8_t *buf, const QString &SSDM, const QString &UserName, const QString &Password,
                 const TLinkKey &loginKey);
struct TLoginRequest
{
    QString SSDM;
    QString UserName;
    std::array<uint8_t, 72> PasswordField{};
};
TLoginRequest DecodeLogin(const uint8_t *buf);
// The password from the field; false when it does not decrypt with the key.
bool DecryptPasswordField(const std::array<uint8_t, 72> &field, const TLinkKey &loginKey, QString *password);

// rtLoginReply, 74 bytes: byte 0 result, byte 1 undefined, at 2 the key text as
// 33 units encrypted with the login key into 72 bytes.
bool EncodeLoginReply(uint8_t *buf, uint8_t result, const QString &keyText, const TLinkKey &loginKey);
// Decrypts bytes 2-73 in place; false when they do not decrypt.
bool DecryptLoginReplyKeyText(uint8_t *buf, const TLinkKey &loginKey, QString *keyText);

// The codes of a set: PCDM, KLDM, JHXZDM as 2-unit fields at 0, 4 and 8 (one
// character each; a longer code is cut to its first character).
struct TSetCodes
{
    QString PCDM;
    QString KLDM;
    QString JHXZDM;
};
void EncodeSetCodes(uint8_t *buf, const TSetCodes &codes);
TSetCodes DecodeSetCodes(const uint8_t *buf);

// mtRequestTDD, 16 bytes: set codes, LastTDDBH at 12.
struct TTDDRequest
{
    TSetCodes Codes;
    int32_t LastTDDBH = 0;
};
void EncodeTDDRequest(uint8_t *buf, const TTDDRequest &req);
TTDDRequest DecodeTDDRequest(const uint8_t *buf);

// mtUpLoadResult, 20 bytes: set codes, TDDBH at 12, file size at 16.
struct TUpLoadAnnounce
{
    TSetCodes Codes;
    int32_t TDDBH = 0;
    int32_t Size = 0;
};
void EncodeUpLoadAnnounce(uint8_t *buf, const TUpLoadAnnounce &req);
TUpLoadAnnounce DecodeUpLoadAnnounce(const uint8_t *buf);

// mtRequestAllZY, 30 bytes: KSH as 15 units. mtRequestPhoto, 32 bytes: KSH as 15
// units, kind at 30, byte 31 undefined.
void EncodeAllZYRequest(uint8_t *buf, const QString &KSH);
void EncodePhotoRequest(uint8_t *buf, const QString &KSH, uint8_t kind);
QString DecodeKSH(const uint8_t *buf);
inline uint8_t DecodePhotoKind(const uint8_t *buf)
{
    return buf[30];
}

// rtFileInfo, 136 bytes: byte 0 result, byte 1 file number, bytes 2-131 server
// file name (65 units), bytes 132-135 file size.
struct TFileInfo
{
    uint8_t Result = 0;
    uint8_t FileNo = 0;
    std::array<uint8_t, FileNameBlockLen> NameBlock{};
    int32_t Size = 0;
    QString Name() const { return GetTextField(NameBlock.data(), FileNameBlockLen / 2); }
};
void EncodeFileInfo(uint8_t *buf, const TFileInfo &info);
TFileInfo DecodeFileInfo(const uint8_t *buf);
// A name block for a server file name (cut to 64 units and terminated).
std::array<uint8_t, FileNameBlockLen> MakeNameBlock(const QString &name);

// mtRequestFileData, 136 bytes: byte 0 file number, byte 1 undefined, the name
// block exactly as received, bytes 132-135 the offset to send from.
struct TFileDataRequest
{
    uint8_t FileNo = 0;
    std::array<uint8_t, FileNameBlockLen> NameBlock{};
    int32_t Offset = 0;
};
void EncodeFileDataRequest(uint8_t *buf, const TFileDataRequest &req);
TFileDataRequest DecodeFileDataRequest(const uint8_t *buf);

// rtDQPC: byte 0 result, byte 1 undefined, bytes 2-5 PCDM as 2 units.
void EncodeDQPCReply(uint8_t *buf, uint8_t result, const QString &PCDM);
QString DecodeDQPC(const uint8_t *buf);

// The extension of a server file name: from its last "." on, searched only after
// the last "\" or ":"; empty when there is none.
QString ServerFileExt(const QString &name);
