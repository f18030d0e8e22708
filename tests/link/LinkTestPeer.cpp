#include "LinkTestPeer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int kWaitMs = 5000;

bool WaitReadable(int fd)
{
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, kWaitMs) > 0;
}

} // namespace

TPeerConn::~TPeerConn()
{
    Close();
}

TPeerConn::TPeerConn(TPeerConn &&other) noexcept
    : FFd(std::exchange(other.FFd, -1))
{}

TPeerConn &TPeerConn::operator=(TPeerConn &&other) noexcept
{
    if (this != &other) {
        Close();
        FFd = std::exchange(other.FFd, -1);
    }
    return *this;
}

QByteArray TPeerConn::Read(int n)
{
    QByteArray out;
    out.reserve(n);
    char buf[4096];
    while (out.size() < n && WaitReadable(FFd)) {
        const ssize_t got = recv(FFd, buf, std::min<size_t>(sizeof buf, size_t(n - out.size())), 0);
        if (got <= 0)
            break;
        out.append(buf, got);
    }
    return out;
}

bool TPeerConn::WaitClosed()
{
    char buf[512];
    while (WaitReadable(FFd)) {
        const ssize_t got = recv(FFd, buf, sizeof buf, 0);
        if (got <= 0)
            return true;
    }
    return false;
}

void TPeerConn::Write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = send(FFd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        done += n;
    }
}

void TPeerConn::Close()
{
    if (FFd >= 0)
        ::close(FFd);
    FFd = -1;
}

TPeerListener::TPeerListener(bool ipv6)
{
    FFd = socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_storage addr{};
    socklen_t len;
    if (ipv6) {
        auto *a = reinterpret_cast<sockaddr_in6 *>(&addr);
        a->sin6_family = AF_INET6;
        a->sin6_addr = in6addr_loopback;
        len = sizeof *a;
    } else {
        auto *a = reinterpret_cast<sockaddr_in *>(&addr);
        a->sin_family = AF_INET;
        a->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        len = sizeof *a;
    }
    bind(FFd, reinterpret_cast<sockaddr *>(&addr), len);
    listen(FFd, 8);
    getsockname(FFd, reinterpret_cast<sockaddr *>(&addr), &len);
    FPort = ntohs(ipv6 ? reinterpret_cast<sockaddr_in6 *>(&addr)->sin6_port
                       : reinterpret_cast<sockaddr_in *>(&addr)->sin_port);
}

TPeerListener::~TPeerListener()
{
    Close();
}

TPeerConn TPeerListener::Accept()
{
    if (FFd < 0 || !WaitReadable(FFd))
        return TPeerConn();
    return TPeerConn(accept4(FFd, nullptr, nullptr, SOCK_CLOEXEC));
}

void TPeerListener::Close()
{
    if (FFd >= 0)
        ::close(FFd);
    FFd = -1;
}
