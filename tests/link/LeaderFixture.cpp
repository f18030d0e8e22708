#include "LeaderFixture.h"

#include "store/ZKMainDef.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

QByteArray PatternBytes(qsizetype n, int seed)
{
    QByteArray bytes(n, Qt::Uninitialized);
    uint32_t x = 2463534242u + uint32_t(seed);
    for (qsizetype i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = char(x);
    }
    return bytes;
}

void WriteTestFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

TLeaderFixture::TLeaderFixture(const TLeaderOptions &extra)
{
    const QString user = UserFolder();
    WriteTestFile(Root() + SSDM + "/dqpc.txt"_L1, "1\n");
    WriteTestFile(user + "password.txt"_L1, Password.toUtf8() + '\n');
    WriteTestFile(user + "state.txt"_L1, "newdmk=1\nnewjhk=0\n");
    WriteTestFile(user + "dmk.zip"_L1, PatternBytes(1022, 1));
    WriteTestFile(user + "jhk.zip"_L1, {});
    WriteTestFile(user + "tdd/1_5_1/3.zip"_L1, PatternBytes(1023, 3));
    WriteTestFile(user + "tdd/1_5_1/5.zip"_L1, PatternBytes(4000, 5));
    WriteTestFile(user + "qbzy/"_L1 + KSH + ".zip"_L1, PatternBytes(700, 7));
    WriteTestFile(user + "images/"_L1 + KSH + "/3.JPG"_L1, PatternBytes(2000, 9));
    QDir().mkpath(FDir.path() + "/client-files"_L1);

    TLeaderOptions options = extra;
    options.Root = Root();
    options.LoopbackOnly = true;
    options.LogFile = LogFile();
    FServer = std::make_unique<TLeaderServer>(options);
    QString error;
    if (!FServer->Start(&error))
        qFatal("the stand-in does not start: %s", qPrintable(error));

    ZKMainDef().LoginInfo.SSDM = SSDM;
    ZKMainDef().LoginInfo.Password = Password;
}

TLeaderFixture::~TLeaderFixture()
{
    FServer->Stop();
}

QString TLeaderFixture::LogText() const
{
    QFile file(LogFile());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString TLeaderFixture::Host() const
{
    return FServer->ListensIPv6() ? u"::1"_s : u"127.0.0.1"_s;
}

std::unique_ptr<TZKALinkCtxt> TLeaderFixture::MakeCtxt(TLinkOptions options, const QString &host)
{
    return std::make_unique<TZKALinkCtxt>(host.isEmpty() ? Host() : host, FServer->Port(), User, Password,
                                          std::move(options));
}

std::unique_ptr<TZKALinkCtxt> TLeaderFixture::Connected(TLinkOptions options)
{
    auto ctxt = MakeCtxt(std::move(options));
    if (ctxt->OpenConnection() != lrOK)
        qFatal("the fixture's member cannot log in");
    return ctxt;
}
