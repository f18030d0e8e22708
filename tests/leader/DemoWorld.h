#pragma once

#include "leader/DemoGenerator.h"
#include "leader/LeaderServer.h"
#include "link/ZKALinkCtxt.h"
#include "store/Recordset.h"

#include <QMap>
#include <QTemporaryDir>
#include <memory>

// What a package held: every member's bytes, and the recordset files read back.
struct TDemoPackage
{
    QStringList Names; // member names, sorted
    QMap<QString, QByteArray> Files;
    QMap<QString, TRecordset> Recordsets; // members ending in ".adtg"
    QString Error;                        // why it could not be read; empty when it could
};

// Demo data generated into a temporary folder and served by the stand-in on
// loopback, for the tests of the generator.
class TDemoWorld
{
public:
    // options.Root is replaced by the temporary folder.
    explicit TDemoWorld(TDemoOptions options);
    ~TDemoWorld();

    const QStringList &Summary() const { return FSummary; }
    QString Root() const { return FDir.path() + QStringLiteral("/leader/"); }
    TLeaderServer &Server() { return *FServer; }
    // A fresh path for a downloaded file.
    QString NewFile(const QString &name);

    // A context of the member, logged in (null when the login failed).
    std::unique_ptr<TZKALinkCtxt> Login(const QString &SSDM, const QString &user, const QString &password);

    // Extracts a ZIP file and reads its recordset members.
    TDemoPackage Unpack(const QString &zip);

private:
    QTemporaryDir FDir;
    QStringList FSummary;
    std::unique_ptr<TLeaderServer> FServer;
    int FFiles = 0;
};

// The texts of a column, row by row.
QStringList ColumnTexts(TRecordset &set, const QString &name);
// The field names of a recordset.
QStringList FieldNames(const TRecordset &set);
