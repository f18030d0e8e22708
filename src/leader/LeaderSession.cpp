#include "leader/LeaderSession.h"

#include "leader/LeaderServer.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr size_t kInputBuffer = 64 * 1024;
constexpr int kChunksPerSend = 64;
constexpr int kOverlongLen = 600;
constexpr uint8_t kJunkByte = 0xEE;

// Result bytes of the stand-in's refusals.
constexpr uint8_t kNoSuchFile = 1; // no package, no current batch, unknown member
constexpr uint8_t kBadPassword = 2;
constexpr uint8_t kBadUpload = 2; // impossible size or unusable set codes
constexpr uint8_t kBadDataRequest = 3;
constexpr uint8_t kCannotStore = 4;

QString ClientMsgName(uint8_t type)
{
    static const char *const names[] = {
        "mtLogin",        "mtLogout",       "mtKeepAlive",      "mtQueryMemberState", "mtRequestDMK",
        "mtRequestJHK",   "mtQueryDQPC",    "mtRequestTDD",     "mtUpLoadResult",     "mtUpLoadData",
        "mtRequestAllZY", "mtRequestPhoto", "mtRequestFileData"};
    return type < std::size(names) ? QLatin1String(names[type]) : u"type%1"_s.arg(type);
}

QString ServerMsgName(uint8_t type)
{
    static const char *const names[] = {"rtResult",   "rtLoginReply", "type2",     "rtMemberState",
                                        "rtFileInfo", "rtDQPC",       "rtFileData"};
    return type < std::size(names) ? QLatin1String(names[type]) : u"type%1"_s.arg(type);
}

QString HdrText(const QString &name, const TZkapMsgHdr &hdr)
{
    return u"%1 id=%2 rsv=%3,%4 len=%5"_s.arg(name)
        .arg(hdr.TransId)
        .arg(uint(hdr.Unused1), 2, 16, QChar(u'0'))
        .arg(uint(hdr.Unused2), 2, 16, QChar(u'0'))
        .arg(hdr.PayloadLen);
}

QString SetText(const TSetCodes &codes)
{
    return u"pcdm=%1 kldm=%2 jhxz=%3"_s.arg(codes.PCDM, codes.KLDM, codes.JHXZDM);
}

// Fills the units after a text field's terminating zero with a fixed pattern.
void JunkAfterText(uint8_t *field, int units)
{
    int n = 0;
    while (n < units && (field[2 * n] | field[2 * n + 1]) != 0)
        ++n;
    for (int i = 2 * (n + 1); i < 2 * units; ++i)
        field[i] = static_cast<uint8_t>(0x41 + i % 23);
}

} // namespace

TLeaderSession::TLeaderSession(TLeaderServer &server, int fd, int id)
    : FServer(server)
    , FFd(fd)
    , FId(id)
    , FIn(kInputBuffer)
{
    DeriveBootstrapKey(FKey);
    FOut.reserve(ZkapHdrLen + kChunksPerSend * ZkapPayloadBufLen);
}

TLeaderSession::~TLeaderSession()
{
    ::close(FFd);
}

void TLeaderSession::Shutdown()
{
    ::shutdown(FFd, SHUT_RDWR);
}

void TLeaderSession::Log(const char *direction, const QString &text)
{
    FServer.Log().Write(FId, direction, text);
}

void TLeaderSession::Violation(const QString &what)
{
    FServer.CountViolation();
    Log("--", u"VIOLATION "_s + what);
}

void TLeaderSession::Run()
{
    TDecodedFrame frame;
    while (NextFrame(frame) && Dispatch(frame)) {
    }
    Shutdown();
    Log("--", u"closed"_s);
}

bool TLeaderSession::FillInput()
{
    if (FInStart == FInEnd)
        FInStart = FInEnd = 0;
    if (FInEnd == FIn.size()) {
        std::memmove(FIn.data(), FIn.data() + FInStart, FInEnd - FInStart);
        FInEnd -= FInStart;
        FInStart = 0;
    }
    for (;;) {
        const ssize_t n = ::recv(FFd, FIn.data() + FInEnd, FIn.size() - FInEnd, 0);
        if (n > 0) {
            FInEnd += static_cast<size_t>(n);
            return true;
        }
        if (n == 0 || errno != EINTR)
            return false;
    }
}

bool TLeaderSession::NextFrame(TDecodedFrame &frame)
{
    for (;;) {
        frame = DecodeFrame(FIn.data() + FInStart, static_cast<int64_t>(FInEnd - FInStart), &FKey,
                            ServerReadsClient, FPayload.data());
        if (frame.Status == TDecodeStatus::Ok)
            break;
        if (frame.Status == TDecodeStatus::Malformed) {
            Violation(u"undecodable message: "_s + HdrText(ClientMsgName(frame.Hdr.MsgType), frame.Hdr));
            return false;
        }
        if (!FillInput())
            return false;
    }
    FInStart += static_cast<size_t>(frame.Consumed);
    Log("<-", HdrText(ClientMsgName(frame.Hdr.MsgType), frame.Hdr));
    // Ids run on by one from message to message; the first one of a connection
    // continues wherever the client's earlier connections left off.
    if (FLastTransId >= 0 && frame.Hdr.TransId != ((FLastTransId + 1) & 0xFF)) {
        Violation(u"transaction id %1 after %2"_s.arg(frame.Hdr.TransId).arg(FLastTransId));
        return false;
    }
    FLastTransId = frame.Hdr.TransId;
    return true;
}

bool TLeaderSession::NextChunk(int64_t remaining, TDecodedChunk &chunk, uint8_t *out)
{
    for (;;) {
        chunk = DecodeChunk(FIn.data() + FInStart, static_cast<int64_t>(FInEnd - FInStart), remaining, &FKey,
                            out);
        if (chunk.Status == TDecodeStatus::Ok) {
            FInStart += static_cast<size_t>(chunk.Consumed);
            return true;
        }
        if (chunk.Status == TDecodeStatus::Malformed) {
            Violation(u"undecodable data chunk"_s);
            return false;
        }
        if (!FillInput())
            return false;
    }
}

bool TLeaderSession::SendBytes(const uint8_t *data, int64_t size)
{
    while (size > 0) {
        const ssize_t n = ::send(FFd, data, static_cast<size_t>(size), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

bool TLeaderSession::Reply(const TDecodedFrame &request, uint8_t type, const uint8_t *payload, int len,
                           const QString &detail)
{
    const TLeaderFaults faults = FServer.Faults();
    const int for_ = request.Hdr.MsgType;
    if (faults.StallFor == for_) {
        Log("--", u"not answering (fault)"_s);
        return true;
    }
    TZkapMsgHdr hdr;
    const uint8_t wrongType = type == rtResult ? rtDQPC : rtResult;
    hdr.MsgType = faults.WrongTypeFor == for_ ? wrongType : type;
    hdr.TransId = faults.WrongTransIdFor == for_ ? request.Hdr.TransId ^ 0x80 : request.Hdr.TransId;
    if (FServer.Options().JunkUndefined) {
        hdr.Unused1 = 0xA5;
        hdr.Unused2 = ++FReplyCount;
    }
    // rtFileData is a header only; its length counts the bulk data that follows.
    const bool headerOnly = type == rtFileData;
    std::array<uint8_t, kOverlongLen> plain{};
    if (!headerOnly)
        std::copy_n(payload, len, plain.begin());
    hdr.PayloadLen = len;
    if (faults.OverlongFor == for_ && !headerOnly) {
        // The first 512 bytes on the wire decrypt with a valid one-byte pad, so a
        // reader that takes 511 bytes accepts them; the rest stays in the stream.
        hdr.PayloadLen = kOverlongLen;
        plain[ZkapMaxPayload] = 0x01;
    }
    std::array<uint8_t, ZkapHdrLen + RoundToCipherLen(kOverlongLen)> wire;
    const int n = EncodeFrame(hdr, plain.data(), headerOnly ? 0 : hdr.PayloadLen,
                              headerOnly ? nullptr : &FKey, wire.data());
    Log("->", HdrText(ServerMsgName(hdr.MsgType), hdr) + (detail.isEmpty() ? QString() : u' ' + detail));
    return SendBytes(wire.data(), n);
}

bool TLeaderSession::ExpectLen(const TDecodedFrame &frame, int len)
{
    if (frame.Hdr.PayloadLen == len)
        return true;
    Violation(u"%1 with a payload of %2 bytes, not %3"_s.arg(ClientMsgName(frame.Hdr.MsgType))
                  .arg(frame.Hdr.PayloadLen)
                  .arg(len));
    return false;
}

bool TLeaderSession::Dispatch(const TDecodedFrame &frame)
{
    const uint8_t type = frame.Hdr.MsgType;
    if (type == mtLogin) {
        if (FLoggedIn) {
            Violation(u"a second login on one connection"_s);
            return false;
        }
        return ExpectLen(frame, LoginPayloadLen) && HandleLogin(frame);
    }
    if (!FLoggedIn) {
        Violation(u"message before the login"_s);
        return false;
    }
    const uint8_t ok[3] = {0, 0, 0};
    switch (type) {
    case mtLogout:
        ExpectLen(frame, 0);
        return false;
    case mtKeepAlive:
        return ExpectLen(frame, 0) && Reply(frame, rtResult, ok, 1);
    case mtQueryMemberState: {
        if (!ExpectLen(frame, 0))
            return false;
        const TMemberFlags flags = TLeaderFolder::ReadState(FUserFolder);
        const uint8_t reply[3] = {0, uint8_t(flags.NewDMK), uint8_t(flags.NewJHK)};
        return Reply(frame, rtMemberState, reply, 3,
                     u"result=0 newdmk=%1 newjhk=%2"_s.arg(int(flags.NewDMK)).arg(int(flags.NewJHK)));
    }
    case mtQueryDQPC: {
        if (!ExpectLen(frame, 0))
            return false;
        const std::optional<QString> pcdm = TLeaderFolder::ReadDQPC(FProvinceFolder);
        uint8_t reply[6];
        EncodeDQPCReply(reply, pcdm ? 0 : kNoSuchFile, pcdm.value_or(QString()));
        if (FServer.Options().JunkUndefined)
            reply[1] = kJunkByte;
        return Reply(frame, rtDQPC, reply, 6,
                     u"result=%1 pcdm=%2"_s.arg(reply[0]).arg(pcdm.value_or(QString())));
    }
    case mtRequestDMK:
        return ExpectLen(frame, 0) && OfferFile(frame, TLeaderFolder::FindDMK(FUserFolder), {});
    case mtRequestJHK:
        return ExpectLen(frame, 0) && OfferFile(frame, TLeaderFolder::FindJHK(FUserFolder), {});
    case mtRequestTDD: {
        if (!ExpectLen(frame, TDDRequestLen))
            return false;
        const TTDDRequest req = DecodeTDDRequest(FPayload.data());
        return OfferFile(frame,
                         TLeaderFolder::FindTDD(FUserFolder, req.Codes.PCDM, req.Codes.KLDM, req.Codes.JHXZDM,
                                                req.LastTDDBH),
                         SetText(req.Codes) + u" last=%1"_s.arg(req.LastTDDBH));
    }
    case mtRequestAllZY: {
        if (!ExpectLen(frame, AllZYRequestLen))
            return false;
        const QString ksh = DecodeKSH(FPayload.data());
        return OfferFile(frame, TLeaderFolder::FindAllZY(FUserFolder, ksh), u"ksh="_s + ksh);
    }
    case mtRequestPhoto: {
        if (!ExpectLen(frame, PhotoRequestLen))
            return false;
        const QString ksh = DecodeKSH(FPayload.data());
        const uint8_t kind = DecodePhotoKind(FPayload.data());
        return OfferFile(frame, TLeaderFolder::FindImage(FUserFolder, ksh, kind),
                         u"ksh=%1 kind=%2"_s.arg(ksh).arg(kind));
    }
    case mtRequestFileData:
        return ExpectLen(frame, FileDataRequestLen) && HandleFileData(frame);
    case mtUpLoadResult:
        return ExpectLen(frame, UpLoadAnnounceLen) && HandleUpload(frame);
    default:
        Violation(u"unexpected "_s + ClientMsgName(type));
        return false;
    }
}

bool TLeaderSession::HandleLogin(const TDecodedFrame &frame)
{
    const TLoginRequest req = DecodeLogin(FPayload.data());
    QString userFolder = FServer.Folder().UserFolder(req.SSDM, req.UserName);
    if (userFolder.isEmpty() && FServer.Faults().Hostility.AcceptAnyUser)
        userFolder = AnyMemberFolder(FServer.Folder(), req.SSDM);
    const std::optional<QString> stored =
        userFolder.isEmpty() ? std::nullopt : TLeaderFolder::ReadPassword(userFolder);
    TLinkKey loginKey;
    DeriveTextKey(stored.value_or(QString()), loginKey);
    QString password;
    int result = 0;
    if (!stored)
        result = kNoSuchFile;
    else if (!DecryptPasswordField(req.PasswordField, loginKey, &password) || password != *stored)
        result = kBadPassword;
    else if (FServer.Faults().RefuseLogin != 0)
        result = FServer.Faults().RefuseLogin & 0xFF;
    const QString keyText = result == 0 ? FServer.NewKeyText() : QString();

    // A refusal is a full 74-byte reply too, with the code in byte 0.
    uint8_t reply[ZkapPayloadBufLen] = {};
    reply[0] = static_cast<uint8_t>(result);
    PutTextField(reply + 2, 33, keyText);
    if (FServer.Options().JunkUndefined) {
        reply[1] = kJunkByte;
        JunkAfterText(reply + 2, 33);
    }
    loginKey.EncryptUnit(reply + 2, 66);
    // Counted before the reply goes out, so that a client that has the reply
    // also finds its login in the statistics.
    FServer.CountLogin(result == 0, keyText);
    const int len = std::clamp(FServer.Faults().LoginReplyLen, 0, ZkapMaxPayload);
    if (!Reply(
            frame, rtLoginReply, reply, len,
            u"ssdm=%1 user=%2 result=%3 keytext=%4"_s.arg(req.SSDM, req.UserName).arg(result).arg(keyText)))
        return false;
    if (result != 0)
        return false;
    DeriveTextKey(keyText, FKey);
    FLoggedIn = true;
    FUserFolder = userFolder;
    FProvinceFolder = FServer.Folder().ProvinceFolder(req.SSDM);
    return true;
}

std::array<uint8_t, FileNameBlockLen> TLeaderSession::NameBlockFor(const QString &name) const
{
    std::array<uint8_t, FileNameBlockLen> block = MakeNameBlock(name);
    if (FServer.Options().JunkUndefined)
        JunkAfterText(block.data(), FileNameBlockLen / 2);
    return block;
}

bool TLeaderSession::OfferFile(const TDecodedFrame &frame, const TServedFile &found, const QString &detail)
{
    const TServedFile file = FServer.ServedFile(FUserFolder, found);
    TFileInfo info;
    // The name field holds 64 units and its zero.
    if (file.Kind == skNone || file.ServerName.size() >= FileNameBlockLen / 2) {
        info.Result = kNoSuchFile;
    } else {
        info.FileNo = file.Kind;
        info.NameBlock = NameBlockFor(file.ServerName);
        info.Size = static_cast<int32_t>(file.Size);
    }
    uint8_t reply[FileInfoLen];
    EncodeFileInfo(reply, info);
    const QString text = u"result=%1 fileno=%2 name=%3 size=%4"_s.arg(info.Result)
                             .arg(info.FileNo)
                             .arg(info.Result == 0 ? file.ServerName : QString())
                             .arg(info.Size);
    return Reply(frame, rtFileInfo, reply, FileInfoLen, detail.isEmpty() ? text : detail + u' ' + text);
}

bool TLeaderSession::HandleFileData(const TDecodedFrame &frame)
{
    const TFileDataRequest req = DecodeFileDataRequest(FPayload.data());
    const QString name = GetTextField(req.NameBlock.data(), FileNameBlockLen / 2);
    FServer.CountDataOffset(req.Offset);
    Log("--", u"data request fileno=%1 name=%2 offset=%3"_s.arg(req.FileNo).arg(name).arg(req.Offset));
    const TServedFile file = FServer.ResolveServed(FUserFolder, name);
    QString problem;
    if (file.Kind == skNone)
        problem = u"data request for an unknown file"_s;
    else if (req.FileNo != file.Kind)
        problem =
            u"data request with file number %1 for a file of number %2"_s.arg(req.FileNo).arg(file.Kind);
    else if (req.NameBlock != NameBlockFor(name))
        problem = u"data request whose name block differs from the announced one"_s;
    else if (req.Offset < 0 || req.Offset > file.Size)
        problem = u"data request at offset %1 of a file of %2 bytes"_s.arg(req.Offset).arg(file.Size);
    if (!problem.isEmpty()) {
        Violation(problem);
        const uint8_t refusal = kBadDataRequest;
        return Reply(frame, rtResult, &refusal, 1);
    }
    return SendFileData(frame, file, req.Offset);
}

bool TLeaderSession::SendFileData(const TDecodedFrame &frame, const TServedFile &file, int32_t offset)
{
    QFile in(file.Path);
    if (!in.open(QIODevice::ReadOnly) || !in.seek(offset)) {
        Log("--", u"cannot read "_s + file.Path);
        return false;
    }
    const TLeaderFaults faults = FServer.Faults();
    const auto total = static_cast<int32_t>(file.Size - offset);
    if (!Reply(frame, rtFileData, nullptr, total))
        return false;
    if (faults.StallFor == frame.Hdr.MsgType)
        return true;
    int32_t sent = 0;
    int chunks = 0;
    FOut.clear();
    while (sent < total) {
        if (chunks == faults.DropAfterChunks && FServer.TakeDrop()) {
            SendBytes(FOut.data(), static_cast<int64_t>(FOut.size()));
            Log("--", u"dropping the connection after %1 chunks (fault)"_s.arg(chunks));
            return false;
        }
        const int n = std::min(total - sent, ZkapMaxPayload);
        const size_t at = FOut.size();
        FOut.resize(at + static_cast<size_t>(RoundToCipherLen(n)));
        if (in.read(reinterpret_cast<char *>(FOut.data() + at), n) != n) {
            Log("--", u"cannot read "_s + file.Path);
            return false;
        }
        FKey.EncryptUnit(FOut.data() + at, n);
        sent += n;
        if (++chunks % kChunksPerSend == 0 || sent == total) {
            if (!SendBytes(FOut.data(), static_cast<int64_t>(FOut.size())))
                return false;
            FOut.clear();
        }
    }
    Log("--", u"sent %1 bytes in %2 chunks"_s.arg(total).arg(chunks));
    return true;
}

bool TLeaderSession::HandleUpload(const TDecodedFrame &frame)
{
    const TUpLoadAnnounce ann = DecodeUpLoadAnnounce(FPayload.data());
    const TLeaderFaults faults = FServer.Faults();
    uint8_t result = 0;
    if (faults.RefuseUpload != 0)
        result = static_cast<uint8_t>(faults.RefuseUpload);
    else if (ann.Size < 0 || !TLeaderFolder::IsSafeName(ann.Codes.PCDM) ||
             !TLeaderFolder::IsSafeName(ann.Codes.KLDM) || !TLeaderFolder::IsSafeName(ann.Codes.JHXZDM))
        result = kBadUpload;
    if (!Reply(frame, rtResult, &result, 1,
               SetText(ann.Codes) +
                   u" tddbh=%1 size=%2 result=%3"_s.arg(ann.TDDBH).arg(ann.Size).arg(result)))
        return false;
    return result != 0 || ReceiveUpload(frame, ann);
}

bool TLeaderSession::ReceiveUpload(const TDecodedFrame &, const TUpLoadAnnounce &ann)
{
    TDecodedFrame data;
    if (!NextFrame(data))
        return false;
    if (data.Hdr.MsgType != mtUpLoadData || data.Hdr.PayloadLen != ann.Size) {
        Violation(u"%1 of %2 bytes after an announcement of %3 bytes"_s.arg(ClientMsgName(data.Hdr.MsgType))
                      .arg(data.Hdr.PayloadLen)
                      .arg(ann.Size));
        return false;
    }
    QDir().mkpath(FUserFolder + "results"_L1);
    const QString temp = FUserFolder + u"results/.upload-%1.part"_s.arg(FId);
    QFile out(temp);
    bool writable = out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    int64_t remaining = ann.Size;
    TDecodedChunk chunk;
    while (remaining > 0) {
        if (!NextChunk(remaining, chunk, FPayload.data())) {
            out.remove();
            return false;
        }
        writable = writable && out.write(reinterpret_cast<const char *>(FPayload.data()), chunk.PlainLen) ==
                                   chunk.PlainLen;
        remaining -= chunk.PlainLen;
    }
    out.close();
    QString stored;
    const bool ok = writable && FServer.StoreResult(temp, FUserFolder, ann.Codes.PCDM, ann.Codes.KLDM,
                                                    ann.Codes.JHXZDM, ann.TDDBH, &stored);
    if (!ok)
        QFile::remove(temp);
    const uint8_t result = ok ? 0 : kCannotStore;
    return Reply(data, rtResult, &result, 1,
                 u"result=%1 stored=%2"_s.arg(result).arg(QDir(FUserFolder).relativeFilePath(stored)));
}
