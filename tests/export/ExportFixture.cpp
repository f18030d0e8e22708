#include "ExportFixture.h"

#include "TestSupport.h"
#include "store/SqlQuery.h"
#include "store/ZKMainDef.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

TExportWorld::TExportWorld(const TDemoOptions &demo)
    : F(std::make_unique<TExchangeFixture>(demo))
{}

bool TExportWorld::Prepare()
{
    if (!F->SetUp())
        return false;
    bool done = false;
    F->Net.OnDownLoadAllTDDDone = [&] { done = true; };
    F->Net.DownLoadAllTDD(QString());
    if (!WaitUntil([&] { return done; }))
        return false;
    return F->Messages.Messages.isEmpty() && Univ().Connected();
}

QString TExportWorld::UserFolder() const
{
    return ZKMainDef().LoginInfo.UserFolder;
}

QString TExportWorld::NewFolder()
{
    const QString folder = F->Temp(u"export%1/"_s.arg(++FFolders));
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    return folder;
}

QList<TExportSetRow> TExportWorld::Sets()
{
    return TDumpToFile::ReadSetRows(Dm());
}

bool TExportWorld::OpenSet(const TExportSetRow &set)
{
    TZKMainDef &def = ZKMainDef();
    def.CurPCDM = set.PCDM;
    Dm().ReadKL_JHXZ();
    Dm().ChangeCurrTDDKlJhxz(set.KLDM, set.JHXZ);
    return def.IsTDDOpen && def.CurKLDM == set.KLDM && def.CurJHXZ == set.JHXZ;
}

QVariant TExportWorld::Value(const QString &sql)
{
    return F->Value(Univ(), sql);
}

QList<QVariantList> TExportWorld::Rows(const QString &sql)
{
    return F->Rows(Univ(), sql);
}

void TExportWorld::ResetWindows()
{
    Progress = TRecordingProgressSink();
    Messages = TRecordingMessageSink();
}

bool HasPythonModule(const QString &module)
{
    if (!QFileInfo::exists(u"/usr/bin/python3"_s))
        return false;
    return QProcess::execute(u"/usr/bin/python3"_s, {u"-c"_s, u"import "_s + module}) == 0;
}

TReadBack ReadBack(const QString &kind, const QStringList &files)
{
    TReadBack result;
    const QString module = kind == "dbf"_L1 ? u"dbf"_s : kind == "xls"_L1 ? u"xlrd"_s : u"openpyxl"_s;
    if (!HasPythonModule(module)) {
        result.Missing = true;
        result.Error = u"python3-"_s + module + u" is not installed"_s;
        return result;
    }
    QProcess p;
    p.start(u"/usr/bin/python3"_s,
            QStringList{zktest::sourceDir() + u"/tests/export/read_export.py"_s, kind} + files);
    if (!p.waitForFinished(300000) || p.exitCode() != 0) {
        result.Error = QString::fromUtf8(p.readAllStandardError());
        return result;
    }
    const QJsonObject tables =
        QJsonDocument::fromJson(p.readAllStandardOutput()).object()["tables"_L1].toObject();
    for (auto it = tables.begin(); it != tables.end(); ++it) {
        QList<QVariantList> rows;
        for (const QJsonValue &row : it.value().toArray())
            rows.append(row.toArray().toVariantList());
        result.Tables.insert(it.key(), rows);
    }
    return result;
}

QString LibreOfficeCsv(const QString &file, QString &error)
{
    const QString soffice = QStandardPaths::findExecutable(u"soffice"_s);
    if (soffice.isEmpty()) {
        error = u"soffice is not installed"_s;
        return QString();
    }
    const bool dbase = QFileInfo(file).suffix().compare(u"dbf"_s, Qt::CaseInsensitive) == 0;
    if (dbase && !QFileInfo::exists(u"/usr/lib/libreoffice/program/libdbaselo.so"_s)) {
        error = u"LibreOffice's dBase driver (libreoffice-base-drivers) is not installed"_s;
        return QString();
    }
    const QString out = QFileInfo(file).absolutePath() + u"/csv/"_s;
    QDir().mkpath(out);
    // A profile of its own, so that a LibreOffice running elsewhere does not interfere.
    QStringList args{u"-env:UserInstallation=file://"_s + out + u"profile"_s, u"--headless"_s};
    // LibreOffice does not take the code page from a dBase file's header; 85 is its GBK.
    if (dbase)
        args.append(u"--infilter=dBase:85"_s);
    args += {u"--convert-to"_s, u"csv:Text - txt - csv (StarCalc):44,34,76"_s, u"--outdir"_s, out, file};
    QProcess p;
    p.start(soffice, args);
    if (!p.waitForFinished(300000) || p.exitCode() != 0) {
        error = QString::fromUtf8(p.readAllStandardError());
        return QString();
    }
    QFile csv(out + QFileInfo(file).completeBaseName() + u".csv"_s);
    if (!csv.open(QIODevice::ReadOnly)) {
        error = u"no CSV written"_s;
        return QString();
    }
    return QString::fromUtf8(csv.readAll());
}

int ColumnOf(const QVariantList &header, const QString &name)
{
    for (int i = 0; i < header.size(); ++i) {
        if (header[i].toString().compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}
