#include "link/LinkSocket.h"

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

[[noreturn]] void Fail(const char *what, int err)
{
    throw ELinkError(std::string(what) + ": " + std::strerror(err));
}

} // namespace

int ConnectTcp(const QString &host, uint16_t port, bool ipv6)
{
    addrinfo hints{};
    hints.ai_family = ipv6 ? AF_INET6 : AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo *list = nullptr;
    const QByteArray node = host.toUtf8();
    const QByteArray service = QByteArray::number(port);
    if (getaddrinfo(node.constData(), service.constData(), &hints, &list) != 0)
        return -1;
    int fd = -1;
    for (addrinfo *ai = list; ai && fd < 0; ai = ai->ai_next) {
        fd = socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC, ai->ai_protocol);
        if (fd < 0)
            continue;
        int rc;
        do {
            rc = connect(fd, ai->ai_addr, ai->ai_addrlen);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(list);
    if (fd >= 0) {
        // Requests are small and answered one by one: send them at once.
        const int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    return fd;
}

bool IsIPv6Installed()
{
    const int fd = socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

TLinkSocket::~TLinkSocket()
{
    Close();
}

void TLinkSocket::Adopt(int fd)
{
    Close();
    FFd = fd;
    ApplyTimeout();
}

void TLinkSocket::Close()
{
    if (FFd >= 0) {
        ::close(FFd);
        FFd = -1;
    }
}

void TLinkSocket::SetTimeout(int ms)
{
    FTimeoutMs = ms < 0 ? 0 : ms;
    ApplyTimeout();
}

void TLinkSocket::ApplyTimeout()
{
    if (FFd < 0)
        return;
    timeval tv{};
    tv.tv_sec = FTimeoutMs / 1000;
    tv.tv_usec = (FTimeoutMs % 1000) * 1000;
    setsockopt(FFd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    // A server that stops reading must not hang an upload for ever either.
    setsockopt(FFd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

void TLinkSocket::ReadExact(uint8_t *buf, int count)
{
    if (FFd < 0)
        throw ELinkError("not connected");
    int done = 0;
    while (done < count) {
        const ssize_t n = ::recv(FFd, buf + done, static_cast<size_t>(count - done), 0);
        if (n > 0) {
            done += static_cast<int>(n);
        } else if (n == 0) {
            throw ELinkError("connection closed by the server");
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            throw ELinkError("read time-out");
        } else if (errno != EINTR) {
            Fail("read failed", errno);
        }
    }
}

void TLinkSocket::WriteAll(const uint8_t *buf, int count)
{
    if (FFd < 0)
        throw ELinkError("not connected");
    int done = 0;
    while (done < count) {
        const ssize_t n = ::send(FFd, buf + done, static_cast<size_t>(count - done), MSG_NOSIGNAL);
        if (n >= 0) {
            done += static_cast<int>(n);
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            throw ELinkError("write time-out");
        } else if (errno != EINTR) {
            Fail("write failed", errno);
        }
    }
}
