#include "DemoWorld.h"

#include "store/Adtg.h"
#include "store/Archive.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

using namespace Qt::StringLiterals;

TDemoWorld::TDemoWorld(TDemoOptions options)
{
    options.Root = Root();
    FSummary = GenerateDemo(options);
    TLeaderOptions server;
    server.Root = Root();
    server.LoopbackOnly = true;
    server.ListenIPv6 = false;
    FServer = std::make_unique<TLeaderServer>(server);
    QString error;
    if (!FServer->Start(&error))
        qFatal("the stand-in does not start: %s", qPrintable(error));
}

TDemoWorld::~TDemoWorld()
{
    FServer->Stop();
}

QString TDemoWorld::NewFile(const QString &name)
{
    const QString dir = FDir.path() + u"/client/%1/"_s.arg(++FFiles);
    QDir().mkpath(dir);
    return dir + name;
}

std::unique_ptr<TZKALinkCtxt> TDemoWorld::Login(const QString &SSDM, const QString &user,
                                                const QString &password)
{
    // The handshake reads the province and the password of the login values.
    ZKMainDef().LoginInfo.SSDM = SSDM;
    ZKMainDef().LoginInfo.Password = password;
    TLinkOptions options;
    options.ReadTimeoutMs = 60000;
    auto ctxt = std::make_unique<TZKALinkCtxt>(u"127.0.0.1"_s, FServer->Port(), user, password, options);
    if (ctxt->OpenConnection() != lrOK)
        return {};
    return ctxt;
}

TDemoPackage TDemoWorld::Unpack(const QString &zip)
{
    TDemoPackage package;
    const QString dir = FDir.path() + u"/unpacked/%1/"_s.arg(++FFiles);
    QDir().mkpath(dir);
    const int code = ExtractArchive(zip, dir);
    if (code != eaExtracted) {
        package.Error = u"ExtractArchive gave %1"_s.arg(code);
        return package;
    }
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QDir(dir).relativeFilePath(path);
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        package.Files.insert(name, file.readAll());
        package.Names.append(name);
        if (name.endsWith(u".adtg"_s)) {
            try {
                package.Recordsets.insert(name, LoadAdtgFile(path));
            } catch (const EZKError &e) {
                package.Error = name + u": "_s + e.Message();
            }
        }
    }
    package.Names.sort();
    return package;
}

QStringList ColumnTexts(TRecordset &set, const QString &name)
{
    QStringList texts;
    for (set.First(); !set.Eof(); set.Next())
        texts.append(set.FieldByName(name).AsString());
    return texts;
}

QStringList FieldNames(const TRecordset &set)
{
    QStringList names;
    for (int i = 0; i < set.FieldCount(); ++i)
        names.append(set.Field(i).Name);
    return names;
}
