// Downloads a 64 MB file from the leader's server stand-in over loopback and,
// in the same run, decrypts the same bytes with bare DES-CBC in 511-byte units
// (the cipher work the download cannot avoid). Prints MB/s of both and the ratio.
#include "leader/LeaderServer.h"
#include "link/ZKALinkCtxt.h"
#include "store/ZKMainDef.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kSize = 64LL * 1024 * 1024;

QByteArray Pattern(qint64 n)
{
    QByteArray bytes(n, Qt::Uninitialized);
    uint32_t x = 2463534242u;
    for (qint64 i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = char(x);
    }
    return bytes;
}

bool Write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

double MBps(qint64 bytes, qint64 ns)
{
    return double(bytes) / (1024.0 * 1024.0) / (double(ns) / 1e9);
}

// Bare decryption of the data as the link carries it: 511-byte units.
double DecryptRate(const QByteArray &data)
{
    TLinkKey key;
    DeriveTextKey(u"bench"_s, key);
    std::vector<uint8_t> wire;
    wire.reserve(size_t(data.size() / ZkapMaxPayload + 1) * ZkapPayloadBufLen);
    for (qint64 at = 0; at < data.size(); at += ZkapMaxPayload) {
        const int n = int(std::min<qint64>(ZkapMaxPayload, data.size() - at));
        uint8_t unit[ZkapPayloadBufLen];
        std::memcpy(unit, data.constData() + at, size_t(n));
        key.EncryptUnit(unit, n);
        wire.insert(wire.end(), unit, unit + RoundToCipherLen(n));
    }
    QElapsedTimer timer;
    timer.start();
    qint64 at = 0;
    qint64 plain = 0;
    while (at < qint64(wire.size())) {
        const int n = int(std::min<qint64>(ZkapMaxPayload, data.size() - plain));
        const int w = RoundToCipherLen(n);
        if (!key.DecryptUnit(wire.data() + at, w))
            return -1;
        at += w;
        plain += n;
    }
    return MBps(plain, timer.nsecsElapsed());
}

} // namespace

int main()
{
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString root = dir.path() + u"/leader-data/"_s;
    const QByteArray data = Pattern(kSize);
    if (!Write(root + u"11/zy01/password.txt"_s, "pw1") || !Write(root + u"11/zy01/dmk.zip"_s, data)) {
        out << "cannot prepare the data folder\n";
        return 1;
    }
    TLeaderOptions options;
    options.Root = root;
    options.LoopbackOnly = true;
    TLeaderServer server(options);
    QString error;
    if (!server.Start(&error)) {
        out << "the stand-in does not start: " << error << '\n';
        return 1;
    }
    ZKMainDef().LoginInfo.SSDM = u"11"_s;
    ZKMainDef().LoginInfo.Password = u"pw1"_s;
    TZKALinkCtxt ctx(u"127.0.0.1"_s, server.Port(), u"zy01"_s, u"pw1"_s);
    if (ctx.OpenConnection() != lrOK) {
        out << "cannot log in\n";
        return 1;
    }
    const QString target = dir.path() + u"/dmk.zip"_s;
    QElapsedTimer timer;
    timer.start();
    const int r = ctx.RequestDMK(target);
    const qint64 ns = timer.nsecsElapsed();
    if (r != lrOK || QFileInfo(target).size() != kSize) {
        out << "download failed: " << r << '\n';
        return 1;
    }
    const double download = MBps(kSize, ns);
    const double bare = DecryptRate(data);
    out << "file                          " << kSize / (1024 * 1024) << " MB\n";
    out << "download from the stand-in    " << QString::number(download, 'f', 1) << " MB/s\n";
    out << "bare DES-CBC, 511-byte units  " << QString::number(bare, 'f', 1) << " MB/s\n";
    out << "ratio download / bare         " << QString::number(download / bare, 'f', 3) << '\n';
    return 0;
}
