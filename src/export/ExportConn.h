#pragma once

#include "store/SqlConnection.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

class QTemporaryDir;
class TSqlQuery;

// The kinds of export targets, from the chosen file's extension.
enum class TExportKind
{
    DBase = 0,     // one dBase IV file per table in the chosen file's folder
    Excel97 = 1,   // one worksheet per table in the chosen .xls workbook
    Excel2007 = 2, // one worksheet per table in the chosen .xlsx workbook
};

// ".DBF" dBase, ".XLS" Excel 97, ".XLSX" Excel 2007 (upper-cased extension); any other
// extension, or none, dBase.
TExportKind ExportKindOf(const QString &fileName);

// The work file of the dBase exports, in the chosen file's folder.
inline const QString ExportTempTable = QStringLiteral("t_temp.dbf");

// The empty workbook of the program folder that an Excel export starts from:
// "ZelkinCExport.XLS" or "ZelkinCExport.XLSX".
QString EmptyExportWorkbookName(TExportKind kind);

// The connection to an export target (ExportConn). Statements are written in the Jet
// dialect as for the local databases and read their source tables from another file
// with T in "file": "select top 1 * from T in SRC", "select … into [N] from T in SRC",
// "create table [t_temp.dbf] (…)", "insert into [t_temp.dbf] select … from T in SRC",
// "drop table [N]".
//
// The statements run on a scratch database that holds the target's tables; the target
// files follow them:
// - dBase: "create table" and "select … into" write the table's file at once (the name,
//   with ".dbf" appended when it has no extension, in the target folder), and the rows
//   a statement adds are appended to the file through the file's own header, so a
//   descriptor patched on disk after the create governs the records. A table whose file
//   was removed no longer exists.
// - Excel: each created table is a worksheet of that name; Close writes the workbook
//   with every worksheet made so far, in the order they were made. In Excel 97 a table
//   of more than 65,535 records or 256 columns fails its statement and is left out.
// Every failure throws EZKError; files already written stay in place.
class TExportConn
{
public:
    TExportConn();
    ~TExportConn(); // closes; an error while closing is dropped here
    TExportConn(const TExportConn &) = delete;
    TExportConn &operator=(const TExportConn &) = delete;

    // Prepares the target for the chosen file and opens the connection. dBase: deletes
    // "t_temp.dbf" in the file's folder. Excel: copies the empty workbook of the
    // program folder over the chosen file and makes the copy writable.
    void Open(const QString &fileName, const QString &programFolder);
    // Excel: writes the workbook. Closing a closed connection does nothing.
    void Close();
    bool Connected() const { return FScratch != nullptr; }

    TExportKind Kind() const { return FKind; }
    // The chosen file and its folder (ending with '/').
    const QString &FileName() const { return FFileName; }
    const QString &Folder() const { return FFolder; }
    // The connection string the target is opened with.
    QString ConnectionString() const;

    // Runs one statement given as its lines; returns the rows it added or changed.
    int ExecSQL(const QStringList &lines);
    // The field definitions of a select (for example "select top 1 *" / "from T in SRC").
    QList<TSqlFieldDef> FieldDefs(const QStringList &lines);

    // Opens a table of the target for appending records: "[t_temp.dbf]" for dBase,
    // "[name$]" (the worksheet) for the Excel kinds.
    void OpenTable(const QString &name);
    // Appends and posts a record to the open table (one value per column).
    void AppendRecord(const QVariantList &values);

private:
    QString TablePath(const QString &table) const;
    void ForgetRemovedTables();
    void AddTable(const QString &table);
    void SyncTable(const QString &table);
    void SyncTables();
    void CheckWorksheetLimits(const QString &table);
    void CommitAppends();
    void WriteWorkbook();

    TExportKind FKind = TExportKind::DBase;
    QString FFileName;
    QString FFolder;
    std::unique_ptr<QTemporaryDir> FScratchDir;
    std::unique_ptr<TSqlConnection> FScratch;
    QStringList FTables;                // the target's tables in the order they were made
    QHash<QString, qint64> FSyncedRows; // dBase: last scratch row id written to the file
    QString FAppendTable;               // the table OpenTable opened
    int FAppendColumns = 0;
    qint64 FAppendRows = 0;   // records of the open table
    QList<int> FAppendParams; // parameter position of each column
    bool FAppending = false;  // a transaction of appended records is open
    std::unique_ptr<TSqlQuery> FAppendQuery;
};
