#pragma once

#include "link/LinkCrypto.h"
#include "link/LinkSocket.h"

#include <cstdint>

class IMessageSink;

// Result codes of every link operation. Any other value 1..255 is the result
// byte of the leader's server, passed on unchanged.
enum TLinkResult : int
{
    lrNotDone = -1, // a background task did not make the request
    lrOK = 0,
    lrProtocolError = 11,    // wrong reply type, transaction id or length; no key
    lrTransferFailed = 13,   // sending a request or receiving its reply or data failed
    lrConnectFailed = 14,    // the connection could not be (re-)opened, or the login broke off
    lrFileCreateFailed = 15, // the local file could not be created (or, for an upload, opened)
    lrImportFailed = 20,     // a downloaded package could not be loaded
};

// Writes the first count bytes of buf; with a non-null key they are first
// encrypted in place as one unit (buf needs room for RoundToCipherLen(count)
// bytes), so RoundToCipherLen(count) bytes go out. Raises ELinkError
// ("Encrypt error!" when the cipher fails).
void WritePayload(TLinkSocket &connection, uint8_t *buf, int count, const TLinkKey &key);

// Reads count plaintext bytes into the start of buf: RoundToCipherLen(count)
// bytes from the wire with a non-null key, decrypted in place. Raises ELinkError
// ("Decrypt error!" when the bytes do not decrypt).
void ReadPayload(TLinkSocket &connection, uint8_t *buf, int count, const TLinkKey &key);

// Shows a failed login code to the user: "连接失败，请重新登录。错误码：%d",
// caption "登录系统", error icon. Runs on the interface thread.
void ShowLoginErrorMsg(IMessageSink &sink, int LoginRes);
