#pragma once

#include "leader/LeaderServer.h"
#include "link/ZKALinkCtxt.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <memory>

// Deterministic file contents of n bytes.
QByteArray PatternBytes(qsizetype n, int seed = 1);
// Writes a file, making its folders.
void WriteTestFile(const QString &path, const QByteArray &bytes);

// A leader's data folder in a temporary folder and a stand-in serving it on
// loopback (port 0), with the login values of its member set in ZKMainDef():
//   province "11" (current batch "1"), member "zy01" password "pw1" with
//   state newdmk=1 newjhk=0; dmk.zip (1,022 bytes), jhk.zip (0 bytes),
//   dossier packages 3 and 5 of set 1/5/1 (1,023 and 4,000 bytes), the
//   all-wishes package and the photo (kind 3, ".JPG") of candidate KSH.
class TLeaderFixture
{
public:
    static inline const QString SSDM = QStringLiteral("11");
    static inline const QString User = QStringLiteral("zy01");
    static inline const QString Password = QStringLiteral("pw1");
    static inline const QString KSH = QStringLiteral("11010119991234");

    explicit TLeaderFixture(const TLeaderOptions &extra = {});
    ~TLeaderFixture();

    TLeaderServer &Server() { return *FServer; }
    QString Root() const { return FDir.path() + QStringLiteral("/leader-data/"); }
    QString UserFolder() const { return Root() + SSDM + u'/' + User + u'/'; }
    QString LogFile() const { return FDir.path() + QStringLiteral("/leader.log"); }
    QString LogText() const;
    // A path for a downloaded or uploaded file in the temporary folder.
    QString WorkPath(const QString &name) const { return FDir.path() + QStringLiteral("/client-files/") + name; }

    // The address to reach the stand-in: ::1 when it listens on IPv6, so that
    // the client's first (IPv6) attempt succeeds, else 127.0.0.1.
    QString Host() const;
    // A context for the fixture's member; an empty host means Host().
    std::unique_ptr<TZKALinkCtxt> MakeCtxt(TLinkOptions options = {}, const QString &host = {});
    // The same context, already logged in.
    std::unique_ptr<TZKALinkCtxt> Connected(TLinkOptions options = {});

private:
    QTemporaryDir FDir;
    std::unique_ptr<TLeaderServer> FServer;
};
