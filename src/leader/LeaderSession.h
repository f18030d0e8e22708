#pragma once

#include "leader/LeaderFolder.h"
#include "link/LinkCrypto.h"
#include "link/ZkapCodec.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

class TLeaderServer;

// One client connection of the stand-in: reads the client's messages with the
// shared frame decoder, checks them (transaction ids in sequence, payload
// lengths, file numbers, names and offsets of data requests, upload sizes) and
// answers them from the data folder. A violation is logged and counted; one that
// leaves the stream unreadable ends the connection.
class TLeaderSession
{
public:
    TLeaderSession(TLeaderServer &server, int fd, int id);
    ~TLeaderSession(); // closes the socket
    TLeaderSession(const TLeaderSession &) = delete;
    TLeaderSession &operator=(const TLeaderSession &) = delete;

    // Serves the connection until it ends; runs on the connection's thread.
    void Run();
    // Breaks the connection; callable from any thread.
    void Shutdown();

private:
    bool FillInput();
    bool NextFrame(TDecodedFrame &frame);
    bool NextChunk(int64_t remaining, TDecodedChunk &chunk, uint8_t *out);
    bool SendBytes(const uint8_t *data, int64_t size);
    bool Reply(const TDecodedFrame &request, uint8_t type, const uint8_t *payload, int len,
               const QString &detail = {});

    bool Dispatch(const TDecodedFrame &frame);
    bool ExpectLen(const TDecodedFrame &frame, int len);
    bool HandleLogin(const TDecodedFrame &frame);
    bool OfferFile(const TDecodedFrame &frame, const TServedFile &found, const QString &detail);
    bool HandleFileData(const TDecodedFrame &frame);
    bool SendFileData(const TDecodedFrame &frame, const TServedFile &file, int32_t offset);
    bool HandleUpload(const TDecodedFrame &frame);
    bool ReceiveUpload(const TDecodedFrame &announce, const TUpLoadAnnounce &ann);
    std::array<uint8_t, FileNameBlockLen> NameBlockFor(const QString &name) const;
    void Violation(const QString &what);
    void Log(const char *direction, const QString &text);

    TLeaderServer &FServer;
    const int FFd;
    const int FId;
    TLinkKey FKey; // the bootstrap key until the login is accepted, then the link key
    bool FLoggedIn = false;
    int FLastTransId = -1;
    QString FUserFolder;
    QString FProvinceFolder;
    uint8_t FReplyCount = 0;
    std::vector<uint8_t> FIn;
    size_t FInStart = 0;
    size_t FInEnd = 0;
    std::array<uint8_t, ZkapPayloadBufLen> FPayload{};
    std::vector<uint8_t> FOut;
};
