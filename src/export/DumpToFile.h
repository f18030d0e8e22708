#pragma once

#include "export/ExportConn.h"
#include "store/UiSinks.h"
#include "workspace/DecisionJournal.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class TMainDM;

// A row of T_KLJHXZZT as the export dialog lists it.
struct TExportSetRow
{
    QString PCDM, KLDM, JHXZ;
    QString PcText, KlText, JhxzText; // each code immediately followed by its name
};

// Which rows of a source table the dossier export copies.
enum class TExportScope
{
    All,        // the whole table
    OfSets,     // the rows of the chosen sets (pcdm, kldm, jhxz)
    OfDossiers, // the rows of the chosen sets' candidates (ksh)
};

// One table of the dossier export: its source, its target name, its rows, and whether
// its numeric fields carry 9 decimals in dBase.
struct TExportTableJob
{
    QString Source, Target;
    TExportScope Scope = TExportScope::All;
    bool PatchDecimals = false;
};

// Texts of the export.
namespace ZKExportText {
inline const QString DialogCaption = QStringLiteral("导出投档单");
inline const QString DossierProgress = QStringLiteral("正在将所选考生信息数据表导出到数据库文件，请稍候。");
inline const QString CodeTableProgress = QStringLiteral("正在导出代码表，请稍候。");
inline const QString DossierDone = QStringLiteral("已完成对所选考生信息数据表的导出。");
inline const QString ScreenCaption = QStringLiteral("导出屏幕显示的投档单信息");
inline const QString ScreenProgress = QStringLiteral("正在将屏幕显示的投档单信息导出到DBF文件，请稍候。");
inline const QString ScreenDone = QStringLiteral("已完成对屏幕显示的投档单信息的导出。");
inline const QString DossierDefaultName = QStringLiteral("tdd");
inline const QString ScreenDefaultName = QStringLiteral("t_tddxx");
inline const QString JournalCaption = QStringLiteral("导出决定记录");
inline const QString JournalProgress = QStringLiteral("正在将决定记录导出到文件，请稍候。");
inline const QString JournalDone = QStringLiteral("已完成对决定记录的导出。");
inline const QString JournalDefaultName = QStringLiteral("t_jdjl");
} // namespace ZKExportText

// The two exports of the dialog "导出投档单", shared by the dialog and zelkinc-cli:
//
// ExportDossiers writes the dossiers of the chosen sets with their résumé, score and
// health rows, the plan, the submission units and the 18 code tables, each as a table of
// its own, reading them from the user's "ZelkinCUniv.mdb" through the target's
// connection. UnivConn is closed meanwhile and reopened afterwards, also after an error.
//
// ExportScreen writes the texts the grid shows for the open set, one record per grid row
// in grid order and one field per grid column.
//
// Both refuse before anything is written: a column name that is no plain identifier, a
// user folder whose path would end a quoted literal, and, for Excel 97, a table of more
// than 65,535 records or 256 columns (with a message that names the table and suggests
// .xlsx or .dbf).
//
// Both show their stages in the progress window and, when done, the completion message.
// An error of the engine or of a file ends the export after the clean-up (the progress
// window hidden, "t_temp.dbf" copied to its table's name and removed, the connections
// closed and UnivConn reopened) and goes on to the caller as EZKError; files already
// written stay in place.
class TDumpToFile
{
public:
    TDumpToFile(TMainDM &dm, IProgressSink &progress, IMessageSink &messages);

    // The rows of T_KLJHXZZT in table order, with the names of their codes.
    static QList<TExportSetRow> ReadSetRows(TMainDM &dm);

    // The selection list of the checked sets: PCDM, KLDM and JHXZ of each, then ";".
    static QString SelectionList(const QList<TExportSetRow> &sets);

    // The dossier export of the chosen sets into the file (its folder for dBase); false,
    // with nothing done and nothing shown, when sets is empty.
    bool ExportDossiers(const QString &fileName, const QList<TExportSetRow> &sets);

    // The screen export of the open set's grid into the file.
    void ExportScreen(const QString &fileName);

    // The decision journal's rows (as the journal window lists them) into the file, one
    // record per row and one text field per column.
    void ExportJournal(const QString &fileName, const QList<TJournalEntry> &entries);

    // The double-quoted path of the user's main database; throws EZKError when the path
    // holds a double quote or a control character, which would end the literal.
    QString SourceClause() const;

    // The condition of the chosen sets' rows: a search of pcdm + kldm + jhxz in their
    // selection list, the list written as a literal with its double quotes doubled.
    static QString SetCondition(const QList<TExportSetRow> &sets);

    // The tables of the dossier export in the order they are written.
    static const QList<TExportTableJob> &DossierTableJobs();

private:
    static QString JobCondition(const TExportTableJob &job, const QString &setCondition,
                                const QString &dossierSource);
    void CheckDossierTables(const QString &setCondition, TExportKind kind);
    void CopyTable(const QString &source, const QString &target, const QString &condition,
                   bool patchDecimals);
    void CopyTableToWorksheet(const QList<TSqlFieldDef> &fields, const QString &source, const QString &target,
                              const QString &from);
    void CopyTableToDbf(const QList<TSqlFieldDef> &fields, const QString &source, const QString &target,
                        const QString &from, bool patchDecimals);
    void ExportDossierTables(const QString &setCondition);
    QString ScreenDefinitions();
    void WriteScreenRows(const QString &definitions);
    void WriteJournalRows(const QList<TJournalEntry> &entries);
    // Opens the target, writes its one table and cleans up (also after an error).
    void ExportTextTable(const QString &fileName, const std::function<void()> &writeRows);

    TMainDM &FDm;
    IProgressSink &FProgress;
    IMessageSink &FMessages;
    TExportConn FExportConn;
};

// The dBase type of a source field in a table definition of the export, and whether the
// field is selected as ltrim of its name (binary codes become their text).
QString DbfColumnType(const TSqlFieldDef &field, bool &selectAsText);

// Sets the decimal count of every numeric field descriptor of a dBase file to 9.
void SetNumericDecimals(const QString &dbfPath);
