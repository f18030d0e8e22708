#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <stdexcept>

// The failure of a link primitive: a socket error, a closed connection, a read
// that waited longer than the read time-out, a reply that cannot be delimited,
// or a cipher failure ("Encrypt error!", "Decrypt error!"). Only the link's own
// code sees it; every operation turns it into a result code.
class ELinkError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Makes a connected stream socket: answers the socket descriptor, or -1 (the
// error swallowed). ipv6 selects the address family (AF_INET6 or AF_INET).
using TLinkConnector = std::function<int(const QString &host, uint16_t port, bool ipv6)>;

// The connector over getaddrinfo: tries every address of the family in turn.
int ConnectTcp(const QString &host, uint16_t port, bool ipv6);

// True when the system can create an AF_INET6 socket (IPv6 is installed).
bool IsIPv6Installed();

// A blocking client stream socket with a read time-out. Used by one thread.
class TLinkSocket
{
public:
    TLinkSocket() = default;
    ~TLinkSocket();
    TLinkSocket(const TLinkSocket &) = delete;
    TLinkSocket &operator=(const TLinkSocket &) = delete;

    // Takes over a connected socket and applies the time-outs to it.
    void Adopt(int fd);
    bool Connected() const { return FFd >= 0; }
    void Close();

    // Time-out of every single read (and write) wait, in milliseconds; 0 = none.
    void SetTimeout(int ms);
    int Timeout() const { return FTimeoutMs; }

    // Read exactly count bytes / write all count bytes, or raise ELinkError.
    void ReadExact(uint8_t *buf, int count);
    void WriteAll(const uint8_t *buf, int count);

private:
    void ApplyTimeout();

    int FFd = -1;
    int FTimeoutMs = 0;
};
