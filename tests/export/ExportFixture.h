#pragma once

#include "ExchangeFixture.h"
#include "export/DumpToFile.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

// A member whose local databases hold the demo province's code tables, plan and every
// dossier set (downloaded from the leader's stand-in as the client does), and recording
// windows for the export.
class TExportWorld
{
public:
    explicit TExportWorld(const TDemoOptions &demo = TExchangeFixture::SmallDemo());

    // Login, code tables and every dossier set; false when any of it failed.
    bool Prepare();

    TMainDM &Dm() { return F->DM; }
    TSqlConnection &Univ() { return F->DM.UnivConn; }
    QString UserFolder() const;
    // An empty folder of its own for one export.
    QString NewFolder();

    // The rows of T_KLJHXZZT as the dialog lists them.
    QList<TExportSetRow> Sets();
    // Opens a set in the workspace as the client does.
    bool OpenSet(const TExportSetRow &set);

    // A value or the rows of a statement on the user database.
    QVariant Value(const QString &sql);
    QList<QVariantList> Rows(const QString &sql);

    // New recording windows for the next export.
    void ResetWindows();

    std::unique_ptr<TExchangeFixture> F;
    TRecordingProgressSink Progress;
    TRecordingMessageSink Messages;

private:
    int FFolders = 0;
};

// The content of exported files read by an independent reader (read_export.py with
// Debian's python3 modules): table name → rows (the first row the column names), each
// cell as JSON gives it. Empty with the reason in error when the reader is missing or
// failed; missing is set when the reader is not installed.
struct TReadBack
{
    QMap<QString, QList<QVariantList>> Tables;
    QString Error;
    bool Missing = false;
};
TReadBack ReadBack(const QString &kind, const QStringList &files);

// Whether /usr/bin/python3 can import the module.
bool HasPythonModule(const QString &module);

// The texts of a CSV file written by LibreOffice ("soffice --headless --convert-to csv")
// for a workbook's first sheet or a dBase file (read as GBK); empty with error set when
// soffice (or its dBase driver) is missing or failed.
QString LibreOfficeCsv(const QString &file, QString &error);

// The index of a column in a header row, ignoring case; -1 when absent.
int ColumnOf(const QVariantList &header, const QString &name);
