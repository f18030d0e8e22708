#pragma once

#include "link/LinkCrypto.h"
#include "link/LinkSocket.h"
#include "link/MemberTransaction.h"
#include "link/ZkapCodec.h"

#include <QString>
#include <array>
#include <cstdint>

class QFile;

// How a link context reaches the server; the defaults are those of the client.
struct TLinkOptions
{
    // Every single read waits at most this long (20 minutes); 0 = no limit.
    int ReadTimeoutMs = 1200000;
    // False: behave as if IPv6 were not installed (connect over IPv4 only).
    bool IPv6Allowed = true;
    // Makes the connected socket; empty = TCP through getaddrinfo (ConnectTcp).
    TLinkConnector Connector;
};

// The member's end of the link to the leader's server (module
// MemberTransaction). Created, used and destroyed on one thread (the background
// task thread); uses plain blocking sockets, no event loop.
//
// Every public operation answers a TLinkResult code, or the server's non-zero
// result byte passed on. The connection opens with OpenConnection (a TCP connect,
// IPv6 first and then IPv4 for the rest of the context's life, and the login
// handshake). Every request first runs a keep-alive exchange that re-opens a
// broken connection with a fresh handshake. The handshake reads the login values
// SSDM and Password of ZKMainDef().LoginInfo at that moment.
//
// The header and payload buffers are fixed arrays of the context: no message
// allocates. Outputs of a request are set only when it answers lrOK.
class TZKALinkCtxt
{
public:
    // Create: prepares the context, does not connect. The port is taken as a
    // 16-bit value.
    TZKALinkCtxt(const QString &IP, int Port, const QString &UserName, const QString &Password,
                 TLinkOptions Options = {});
    // Destroy: sends mtLogout when connected (no reply awaited), closes, frees.
    virtual ~TZKALinkCtxt();
    TZKALinkCtxt(const TZKALinkCtxt &) = delete;
    TZKALinkCtxt &operator=(const TZKALinkCtxt &) = delete;

    // lrOK at once when connected; else connects and logs in: lrOK,
    // lrConnectFailed, lrProtocolError or the server's refusal code.
    int OpenConnection();

    int QueryMemberState(bool &NewDMK, bool &NewJHK);
    int QueryDQPC(QString &PCDM);
    int RequestDMK(const QString &FileName);
    int RequestJHK(const QString &FileName);
    int RequestTDD(const QString &PCDM, const QString &KLDM, const QString &JHXZDM, int LastTDDBH,
                   const QString &FileName);
    int RequestAllZY(const QString &strStudentCode, const QString &FileName);
    // strPhotoType := the extension of the server's file name (".JPG").
    int RequestPhoto(const QString &strStudentCode, const QString &FileName, uint8_t PhotoKind,
                     QString &strPhotoType);
    // Sends a result file of the set; answers the server's final result. A file
    // that cannot be opened (or is 2 GB or larger) answers lrFileCreateFailed and
    // sends nothing after the keep-alive.
    int UpLoadResult(const QString &PCDM, const QString &KLDM, const QString &JHXZDM, int TDDBH,
                     const QString &FileName);

    // Observers for diagnostics and tests.
    bool Connected() const { return FClientSocket.Connected(); }
    uint8_t FsmState() const { return FFsmState; }
    uint8_t TransId() const { return FTransId; }
    bool UsesIPv6() const { return FUseIPv6; }
    void SetReadTimeout(int ms) { FClientSocket.SetTimeout(ms); }
    int ReadTimeout() const { return FClientSocket.Timeout(); }

private:
    TZkapMsgHdr MsgHdr() const { return DecodeMsgHdr(FMsgHdrBuffer.data()); }
    uint8_t *Payload() { return FMsgPayloadBuffer.data(); }
    bool ReplyIs(uint8_t type) const;

    void SendHeader(uint8_t MsgType, int PayloadLen);
    void WriteMsg(uint8_t MsgType, int PayloadLen);
    void ReadMsg();
    void CloseConnection() { FClientSocket.Close(); }
    void ReleaseActiveKey() { FActiveKey.Release(); }
    bool ConnectSocket();
    int LoginExchange(const TLinkKey &loginKey);
    int KeepAlive();

    // The common frame of the queries: keep-alive, fill and send, read the reply.
    template<typename Fill>
    int Exchange(uint8_t MsgType, int PayloadLen, uint8_t ReplyType, Fill fill);
    // The common frame of the downloads: keep-alive, fill and send, ReceiveFile.
    template<typename Fill>
    int Download(uint8_t MsgType, int PayloadLen, Fill fill, const QString &FileName, QString &FileExt);
    int ReceiveFile(const QString &FileName, QString &FileExt);
    int RequestFileData(QFile &file, const std::array<uint8_t, FileNameBlockLen> &nameBlock, int32_t size,
                        int32_t &received, uint8_t fileNo);
    int SendResultFile(QFile &file, int32_t size);

    QString FUserName;
    QString FPassword;
    // The TCP client: socket, server address and the IP version in use.
    TLinkSocket FClientSocket;
    QString FHost;
    uint16_t FPort = 0;
    bool FUseIPv6 = false;
    TLinkConnector FConnector;
    uint8_t FFsmState = 0; // 0 not logged in, 1 logged in, 2 sending result data
    TLinkKey FActiveKey;
    std::array<uint8_t, ZkapHdrLen> FMsgHdrBuffer{};
    std::array<uint8_t, ZkapPayloadBufLen> FMsgPayloadBuffer{};
    uint8_t FTransId = 0; // id of the last message sent
};
