// The requests of the member to the leader's server, and the file transfers
// that carry their packages.
#include "link/ZKALinkCtxt.h"

#include <QFile>
#include <algorithm>
#include <limits>

namespace {

// Attempts in a row that bring no new byte before a download is given up.
constexpr int kMaxFruitlessAttempts = 3;

// File-size limit of an upload: the announcement carries a signed 32-bit size.
constexpr qint64 kMaxUploadSize = std::numeric_limits<int32_t>::max();

} // namespace

template<typename Fill>
int TZKALinkCtxt::Exchange(uint8_t MsgType, int PayloadLen, uint8_t ReplyType, Fill fill)
{
    const int r = KeepAlive();
    if (r != lrOK)
        return r;
    try {
        fill(Payload()); // after the keep-alive, whose reply used the buffer
        WriteMsg(MsgType, PayloadLen);
        ReadMsg();
    } catch (const ELinkError &) {
        CloseConnection();
        return lrTransferFailed;
    }
    if (!ReplyIs(ReplyType))
        return lrProtocolError;
    return Payload()[0];
}

template<typename Fill>
int TZKALinkCtxt::Download(uint8_t MsgType, int PayloadLen, Fill fill, const QString &FileName,
                           QString &FileExt)
{
    const int r = KeepAlive();
    if (r != lrOK)
        return r;
    try {
        fill(Payload());
        WriteMsg(MsgType, PayloadLen);
    } catch (const ELinkError &) {
        CloseConnection();
        return lrTransferFailed;
    }
    return ReceiveFile(FileName, FileExt);
}

int TZKALinkCtxt::QueryMemberState(bool &NewDMK, bool &NewJHK)
{
    const int r = Exchange(mtQueryMemberState, 0, rtMemberState, [](uint8_t *) {});
    if (r == lrOK) {
        NewDMK = Payload()[1] != 0;
        NewJHK = Payload()[2] != 0;
    }
    return r;
}

int TZKALinkCtxt::QueryDQPC(QString &PCDM)
{
    const int r = Exchange(mtQueryDQPC, 0, rtDQPC, [](uint8_t *) {});
    if (r == lrOK)
        PCDM = DecodeDQPC(Payload());
    return r;
}

int TZKALinkCtxt::RequestDMK(const QString &FileName)
{
    QString ext;
    return Download(
        mtRequestDMK, 0, [](uint8_t *) {}, FileName, ext);
}

int TZKALinkCtxt::RequestJHK(const QString &FileName)
{
    QString ext;
    return Download(
        mtRequestJHK, 0, [](uint8_t *) {}, FileName, ext);
}

int TZKALinkCtxt::RequestTDD(const QString &PCDM, const QString &KLDM, const QString &JHXZDM, int LastTDDBH,
                             const QString &FileName)
{
    QString ext;
    const TTDDRequest req{{PCDM, KLDM, JHXZDM}, LastTDDBH};
    return Download(
        mtRequestTDD, TDDRequestLen, [&req](uint8_t *p) { EncodeTDDRequest(p, req); }, FileName, ext);
}

int TZKALinkCtxt::RequestAllZY(const QString &strStudentCode, const QString &FileName)
{
    QString ext;
    return Download(
        mtRequestAllZY, AllZYRequestLen, [&](uint8_t *p) { EncodeAllZYRequest(p, strStudentCode); }, FileName,
        ext);
}

int TZKALinkCtxt::RequestPhoto(const QString &strStudentCode, const QString &FileName, uint8_t PhotoKind,
                               QString &strPhotoType)
{
    QString ext;
    const int r = Download(
        mtRequestPhoto, PhotoRequestLen,
        [&](uint8_t *p) { EncodePhotoRequest(p, strStudentCode, PhotoKind); }, FileName, ext);
    if (r == lrOK)
        strPhotoType = ext;
    return r;
}

int TZKALinkCtxt::ReceiveFile(const QString &FileName, QString &FileExt)
{
    try {
        ReadMsg();
    } catch (const ELinkError &) {
        return lrTransferFailed; // a broken connection is found by the next keep-alive
    }
    if (!ReplyIs(rtFileInfo))
        return lrProtocolError;
    // rtFileInfo is used as 136 bytes whatever its PayloadLen says.
    const TFileInfo info = DecodeFileInfo(Payload());
    if (info.Result != 0)
        return info.Result;
    if (info.Size < 0)
        return lrProtocolError; // no file can have that size

    QFile file(FileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return lrFileCreateFailed;
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner); // received files are the member's alone
    int32_t received = 0;
    int failures = 0;
    int r;
    do {
        r = KeepAlive();
        if (r != lrOK)
            break; // a failed re-opening is final
        const int32_t before = received;
        r = RequestFileData(file, info.NameBlock, info.Size, received, info.FileNo);
        if (r == lrTransferFailed)
            failures = received == before ? failures + 1 : 0;
    } while (r == lrTransferFailed && failures < kMaxFruitlessAttempts);
    file.close();
    if (r != lrOK) {
        file.remove();
        return r;
    }
    FileExt = ServerFileExt(info.Name());
    return lrOK;
}

int TZKALinkCtxt::RequestFileData(QFile &file, const std::array<uint8_t, FileNameBlockLen> &nameBlock,
                                  int32_t size, int32_t &received, uint8_t fileNo)
{
    try {
        EncodeFileDataRequest(Payload(), {fileNo, nameBlock, received});
        WriteMsg(mtRequestFileData, FileDataRequestLen);
        ReadPayload(FClientSocket, FMsgHdrBuffer.data(), ZkapHdrLen, TLinkKey());
        if (!ReplyIs(rtFileData) || MsgHdr().PayloadLen != size - received)
            return lrProtocolError;
        // What was written stays in the file and in `received`: the next
        // attempt continues from there.
        if (!file.seek(received))
            throw ELinkError("cannot position the local file");
        while (received < size) {
            const int n = std::min(size - received, ZkapMaxPayload);
            ReadPayload(FClientSocket, Payload(), n, FActiveKey);
            if (file.write(reinterpret_cast<const char *>(Payload()), n) != n)
                throw ELinkError("cannot write the local file");
            received += n;
        }
        if (!file.flush())
            throw ELinkError("cannot write the local file");
    } catch (const ELinkError &) {
        CloseConnection();
        return lrTransferFailed;
    }
    return lrOK;
}

int TZKALinkCtxt::UpLoadResult(const QString &PCDM, const QString &KLDM, const QString &JHXZDM, int TDDBH,
                               const QString &FileName)
{
    const int r = KeepAlive();
    if (r != lrOK)
        return r;
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxUploadSize)
        return lrFileCreateFailed;
    const auto size = static_cast<int32_t>(file.size());
    int result;
    try {
        EncodeUpLoadAnnounce(Payload(), {{PCDM, KLDM, JHXZDM}, TDDBH, size});
        WriteMsg(mtUpLoadResult, UpLoadAnnounceLen);
        ReadMsg();
        if (!ReplyIs(rtResult))
            result = lrProtocolError;
        else if (Payload()[0] != 0)
            result = Payload()[0]; // the server declines; nothing more is sent
        else
            result = SendResultFile(file, size);
    } catch (const ELinkError &) {
        CloseConnection();
        result = lrTransferFailed;
    }
    return result;
}

int TZKALinkCtxt::SendResultFile(QFile &file, int32_t size)
{
    FFsmState = 2;
    SendHeader(mtUpLoadData, size); // the header goes out plain
    int32_t sent = 0;
    while (sent < size) {
        const int n = std::min(size - sent, ZkapMaxPayload);
        if (file.read(reinterpret_cast<char *>(Payload()), n) != n)
            throw ELinkError("the result file is shorter than announced");
        WritePayload(FClientSocket, Payload(), n, FActiveKey);
        sent += n;
    }
    ReadMsg();
    FFsmState = 1;
    // The acknowledgement carries the id of the data message.
    return ReplyIs(rtResult) ? Payload()[0] : int(lrProtocolError);
}
