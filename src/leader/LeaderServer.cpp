#include "leader/LeaderServer.h"

#include "leader/LeaderSession.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

TLeaderServer::TLeaderServer(TLeaderOptions options)
    : FOptions(std::move(options))
    , FFolder(FOptions.Root)
    , FLog(FOptions.LogFile)
    , FFaults(FOptions.Faults)
    , FDropsLeft(FOptions.Faults.DropTimes)
{}

TLeaderServer::~TLeaderServer()
{
    Stop();
}

int TLeaderServer::Listen(bool ipv6, uint16_t port, QString *error)
{
    const int fd = socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return -1;
    }
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    int rc;
    if (ipv6) {
        setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &one, sizeof one);
        sockaddr_in6 addr{};
        addr.sin6_family = AF_INET6;
        addr.sin6_port = htons(port);
        addr.sin6_addr = FOptions.LoopbackOnly ? in6addr_loopback : in6addr_any;
        rc = bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    } else {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        addr.sin_addr.s_addr = htonl(FOptions.LoopbackOnly ? INADDR_LOOPBACK : INADDR_ANY);
        rc = bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    }
    if (rc != 0 || listen(fd, 64) != 0) {
        const int err = errno;
        *error = QString::fromLocal8Bit(std::strerror(err));
        ::close(fd);
        errno = err; // the caller tells a taken port from a missing IPv6
        return -1;
    }
    return fd;
}

namespace {

uint16_t BoundPort(int fd)
{
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len);
    return ntohs(addr.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6 *>(&addr)->sin6_port
                                            : reinterpret_cast<sockaddr_in *>(&addr)->sin_port);
}

} // namespace

bool TLeaderServer::Start(QString *error)
{
    QString reason;
    const uint16_t port = FOptions.Port;
    // With port 0 the IPv4 listener picks a free port and the IPv6 one takes the
    // same; when that is taken on IPv6, another pair is tried.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (FOptions.ListenIPv4) {
            FListen4 = Listen(false, port, &reason);
            if (FListen4 < 0)
                break;
        }
        const uint16_t chosen = FListen4 >= 0 ? BoundPort(FListen4) : port;
        if (FOptions.ListenIPv6) {
            QString reason6;
            FListen6 = Listen(true, chosen, &reason6);
            const bool taken = FListen6 < 0 && errno == EADDRINUSE;
            if (FListen6 < 0 && FListen4 >= 0 && port == 0 && taken) {
                ::close(FListen4);
                FListen4 = -1;
                continue;
            }
            if (FListen6 < 0 && (FListen4 < 0 || taken))
                reason = reason6; // a failure other than a missing IPv6 counts
            if (FListen6 < 0 && FListen4 >= 0 && taken) {
                ::close(FListen4);
                FListen4 = -1;
            }
        }
        FPort = FListen4 >= 0 ? chosen : FListen6 >= 0 ? BoundPort(FListen6) : port;
        break;
    }
    if (FListen4 < 0 && FListen6 < 0) {
        if (error)
            *error = u"cannot listen on port %1: %2"_s.arg(port).arg(reason);
        return false;
    }
    if (pipe2(FWakePipe, O_CLOEXEC) != 0) {
        if (error)
            *error = u"cannot create a pipe"_s;
        Stop();
        return false;
    }
    FLog.Write(0, "--",
               u"listening on port %1%2%3"_s.arg(FPort).arg(ListensIPv4() ? u" IPv4"_s : QString(),
                                                            ListensIPv6() ? u" IPv6"_s : QString()));
    FAcceptThread = std::thread([this] { AcceptLoop(); });
    return true;
}

void TLeaderServer::Stop()
{
    if (FWakePipe[1] >= 0) {
        const char c = 'x';
        [[maybe_unused]] const ssize_t n = write(FWakePipe[1], &c, 1);
    }
    if (FAcceptThread.joinable())
        FAcceptThread.join();
    for (int *fd : {&FListen4, &FListen6, &FWakePipe[0], &FWakePipe[1]}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    std::list<TConnection> connections;
    {
        const std::lock_guard lock(FMutex);
        for (TConnection &c : FConnections)
            c.Session->Shutdown();
        connections.splice(connections.end(), FConnections);
    }
    for (TConnection &c : connections) {
        if (c.Thread.joinable())
            c.Thread.join();
    }
}

void TLeaderServer::AcceptLoop()
{
    for (;;) {
        pollfd fds[3] = {{FWakePipe[0], POLLIN, 0}, {FListen4, POLLIN, 0}, {FListen6, POLLIN, 0}};
        if (poll(fds, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[0].revents)
            return;
        for (int i = 1; i < 3; ++i) {
            if (fds[i].revents & POLLIN)
                Accept(fds[i].fd);
        }
        ReapFinished();
    }
}

void TLeaderServer::Accept(int listener)
{
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    const int fd = accept4(listener, reinterpret_cast<sockaddr *>(&addr), &len, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    // Replies are small and each is awaited: send them at once.
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    char host[INET6_ADDRSTRLEN] = {};
    const void *raw = addr.ss_family == AF_INET6
                          ? static_cast<const void *>(&reinterpret_cast<sockaddr_in6 *>(&addr)->sin6_addr)
                          : static_cast<const void *>(&reinterpret_cast<sockaddr_in *>(&addr)->sin_addr);
    inet_ntop(addr.ss_family, raw, host, sizeof host);
    const QString peer = (addr.ss_family == AF_INET6 ? u"IPv6 "_s : u"IPv4 "_s) + QLatin1String(host);

    const std::lock_guard lock(FMutex);
    const int id = FNextConnection++;
    ++FStats.Connections;
    TConnection &c = FConnections.emplace_back();
    c.Session = std::make_shared<TLeaderSession>(*this, fd, id);
    FLog.Write(id, "--", u"connected from "_s + peer);
    c.Thread = std::thread([&c] {
        c.Session->Run();
        c.Done = true;
    });
}

void TLeaderServer::ReapFinished()
{
    std::list<TConnection> finished;
    {
        const std::lock_guard lock(FMutex);
        for (auto it = FConnections.begin(); it != FConnections.end();) {
            auto next = std::next(it);
            if (it->Done)
                finished.splice(finished.end(), FConnections, it);
            it = next;
        }
    }
    for (TConnection &c : finished)
        c.Thread.join();
}

TLeaderFaults TLeaderServer::Faults() const
{
    const std::lock_guard lock(FMutex);
    return FFaults;
}

void TLeaderServer::SetFaults(const TLeaderFaults &faults)
{
    const std::lock_guard lock(FMutex);
    FFaults = faults;
    FDropsLeft = faults.DropTimes;
}

void TLeaderServer::DropConnections()
{
    const std::lock_guard lock(FMutex);
    for (TConnection &c : FConnections)
        c.Session->Shutdown();
}

TLeaderStats TLeaderServer::Stats() const
{
    const std::lock_guard lock(FMutex);
    return FStats;
}

QString TLeaderServer::NewKeyText()
{
    uint32_t counter;
    {
        const std::lock_guard lock(FMutex);
        counter = ++FKeyCounter;
    }
    // A counter makes every key text differ; the random part and the Chinese
    // unit make it look like what a real server might return.
    static const char kAlphabet[] = "ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz23456789";
    QString text = u"钥"_s + QString::number(counter) + u'-';
    for (int i = 0; i < 16; ++i)
        text += QLatin1Char(kAlphabet[QRandomGenerator::global()->bounded(int(sizeof kAlphabet - 1))]);
    return text;
}

bool TLeaderServer::TakeDrop()
{
    const std::lock_guard lock(FMutex);
    if (FFaults.DropAfterChunks < 0 || FDropsLeft == 0)
        return false;
    if (FDropsLeft > 0)
        --FDropsLeft;
    return true;
}

void TLeaderServer::CountLogin(bool accepted, const QString &keyText)
{
    const std::lock_guard lock(FMutex);
    if (accepted) {
        ++FStats.Logins;
        FStats.KeyTexts.append(keyText);
    } else {
        ++FStats.RefusedLogins;
    }
}

void TLeaderServer::CountViolation()
{
    const std::lock_guard lock(FMutex);
    ++FStats.Violations;
}

void TLeaderServer::CountDataOffset(int32_t offset)
{
    const std::lock_guard lock(FMutex);
    FStats.DataOffsets.push_back(offset);
}

bool TLeaderServer::StoreResult(const QString &tempPath, const QString &userFolder, const QString &PCDM,
                                const QString &KLDM, const QString &JHXZ, int32_t TDDBH, QString *stored)
{
    const std::lock_guard lock(FMutex);
    const QString path = TLeaderFolder::NewResultPath(userFolder, PCDM, KLDM, JHXZ, TDDBH);
    if (path.isEmpty() || !QFile::rename(tempPath, path))
        return false;
    ++FStats.Uploads;
    FStats.StoredFiles.append(path);
    *stored = path;
    return true;
}

TServedFile TLeaderServer::ServedFile(const QString &userFolder, const TServedFile &file)
{
    const TLeaderHostility hostility = Faults().Hostility;
    const QString key = userFolder + u'\n' + file.ServerName;
    if (file.Kind == skNone || !hostility.ChangesPackages()) {
        // What a data request names now is the file itself, not an earlier hostile form.
        const std::lock_guard lock(FMutex);
        FHostileFiles.remove(key);
        return file;
    }
    QString scratch;
    {
        const std::lock_guard lock(FMutex);
        if (!FScratch)
            FScratch = std::make_unique<QTemporaryDir>();
        scratch = FScratch->path();
    }
    const TServedFile served = HostileServedFile(hostility, file, scratch);
    const std::lock_guard lock(FMutex);
    FHostileFiles.remove(key);
    if (served.Path != file.Path)
        FHostileFiles.insert(userFolder + u'\n' + served.ServerName, served);
    return served;
}

TServedFile TLeaderServer::ResolveServed(const QString &userFolder, const QString &serverName)
{
    {
        const std::lock_guard lock(FMutex);
        const auto it = FHostileFiles.constFind(userFolder + u'\n' + serverName);
        if (it != FHostileFiles.cend())
            return *it;
    }
    return TLeaderFolder::Resolve(userFolder, serverName);
}
