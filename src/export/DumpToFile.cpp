#include "export/DumpToFile.h"

#include "export/DbfFile.h"
#include "export/GridTexts.h"
#include "store/SqlQuery.h"
#include "store/StorageFolder.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/DmTables.h"
#include "workspace/MainDM.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Runs the clean-up of an export: on the way out of a failed export an error of the
// clean-up itself is dropped (the first error is the one to report); after a
// successful export it goes on.
template<class F>
void RunCleanup(bool failing, F &&cleanup)
{
    if (!failing) {
        cleanup();
        return;
    }
    try {
        cleanup();
    } catch (const EZKError &) {
    }
}

// The copy of "t_temp.dbf" to its table's own file, also after an error.
void MoveTempTable(const QString &folder, const QString &target)
{
    const QString temp = folder + ExportTempTable;
    if (!QFile::exists(temp) || QFileInfo(temp) == QFileInfo(target))
        return; // a screen export into a file named like the work file is done already
    QFile::remove(target);
    const bool copied = QFile::copy(temp, target);
    QFile::remove(temp);
    if (!copied)
        throw EZKError(u"Cannot copy %1 to '%2'."_s.arg(ExportTempTable, target));
}

} // namespace

QString DbfColumnType(const TSqlFieldDef &field, bool &selectAsText)
{
    selectAsText = false;
    const auto text = [](int size) { return u"text(%1)"_s.arg(size > 253 || size <= 0 ? 254 : size); };
    switch (field.Kind) {
    case TSqlFieldKind::Text:
    case TSqlFieldKind::FixedText:
        return text(field.Size);
    case TSqlFieldKind::Short:
    case TSqlFieldKind::Long:
    case TSqlFieldKind::Counter:
    case TSqlFieldKind::Double:
        return u"double"_s;
    case TSqlFieldKind::Boolean:
        return u"bin"_s;
    case TSqlFieldKind::DateTime:
        return u"datetime"_s;
    case TSqlFieldKind::BinaryCode:
        selectAsText = true;
        return text(field.Size / 2);
    case TSqlFieldKind::Memo:
    case TSqlFieldKind::LongBinary:
    case TSqlFieldKind::Unknown:
        break;
    }
    // Memos, and kinds the leader's tables do not carry, as the longest dBase text.
    return u"text(254)"_s;
}

void SetNumericDecimals(const QString &dbfPath)
{
    QFile file(dbfPath);
    if (!file.open(QIODevice::ReadWrite))
        throw EZKError(u"Cannot open '%1': %2"_s.arg(dbfPath, file.errorString()));
    for (qint64 i = 0;; ++i) {
        const qint64 at = ZKDbf::HeaderSize + ZKDbf::DescriptorSize * i;
        char type = 0;
        if (!file.seek(at + 11) || !file.getChar(&type))
            break;
        char first = 0;
        if (!file.seek(at) || !file.getChar(&first) || first == ZKDbf::HeaderTerminator)
            break;
        if (type == 'N' && !(file.seek(at + 17) && file.putChar(char(9))))
            throw EZKError(u"Cannot write '%1': %2"_s.arg(dbfPath, file.errorString()));
    }
}

TDumpToFile::TDumpToFile(TMainDM &dm, IProgressSink &progress, IMessageSink &messages)
    : FDm(dm)
    , FProgress(progress)
    , FMessages(messages)
{}

QList<TExportSetRow> TDumpToFile::ReadSetRows(TMainDM &dm)
{
    QList<TExportSetRow> rows;
    TSqlQuery q(&dm.UnivConn);
    q.OpenTable(u"T_KLJHXZZT"_s);
    for (; !q.Eof(); q.Next()) {
        TExportSetRow r;
        r.PCDM = q.AsString(u"PCDM"_s);
        r.KLDM = q.AsString(u"KLDM"_s);
        r.JHXZ = q.AsString(u"JHXZ"_s);
        r.PcText = r.PCDM + dm.GetDMMC(TD_PCDM, r.PCDM.trimmed());
        r.KlText = r.KLDM + dm.GetDMMC(TD_KLDM, r.KLDM.trimmed());
        r.JhxzText = r.JHXZ + dm.GetDMMC(TD_JHXZDM, r.JHXZ.trimmed());
        rows.append(r);
    }
    return rows;
}

QString TDumpToFile::SelectionList(const QList<TExportSetRow> &sets)
{
    QString list;
    for (const TExportSetRow &s : sets)
        list += s.PCDM + s.KLDM + s.JHXZ + u';';
    return list;
}

QString TDumpToFile::SourceClause() const
{
    return u'"' + ZKMainDef().LoginInfo.UserFolder + UnivDatabaseFileName + u'"';
}

void TDumpToFile::CopyTable(const QString &source, const QString &target, const QString &condition,
                            bool patchDecimals)
{
    const QString src = SourceClause();
    QString from = u"from "_s + source + u" in "_s + src;
    if (!condition.isEmpty())
        from += u" where "_s + condition;
    const QList<TSqlFieldDef> fields =
        FExportConn.FieldDefs({u"select top 1 *"_s, u"from "_s + source + u" in "_s + src});
    if (FExportConn.Kind() == TExportKind::DBase)
        CopyTableToDbf(fields, target, from, patchDecimals);
    else
        CopyTableToWorksheet(fields, target, from);
}

void TDumpToFile::CopyTableToWorksheet(const QList<TSqlFieldDef> &fields, const QString &target,
                                       const QString &from)
{
    QString columns;
    for (const TSqlFieldDef &f : fields) {
        if (f.Kind == TSqlFieldKind::BinaryCode)
            columns = u"%1ltrim(%2) as %2,"_s.arg(columns, f.Name);
        else
            columns = u"%1%2,"_s.arg(columns, f.Name);
    }
    columns.chop(1);
    FExportConn.ExecSQL({u"select "_s + columns, u"into ["_s + target + u"]"_s, from});
}

void TDumpToFile::CopyTableToDbf(const QList<TSqlFieldDef> &fields, const QString &target,
                                 const QString &from, bool patchDecimals)
{
    QString definitions;
    QString columns;
    for (const TSqlFieldDef &f : fields) {
        bool asText = false;
        definitions = u"%1%2 %3,"_s.arg(definitions, f.Name, DbfColumnType(f, asText));
        columns += (asText ? u"ltrim(%1) as %1"_s.arg(f.Name) : f.Name) + u',';
    }
    definitions.chop(1);
    columns.chop(1);
    const QString folder = FExportConn.Folder();
    try {
        FExportConn.ExecSQL({u"create table ["_s + ExportTempTable + u"]"_s, u"("_s + definitions + u")"_s});
        if (patchDecimals)
            SetNumericDecimals(folder + ExportTempTable);
        FExportConn.ExecSQL({u"insert into ["_s + ExportTempTable + u"]"_s, u"select "_s + columns, from});
    } catch (...) {
        RunCleanup(true, [&] { MoveTempTable(folder, folder + target + u".dbf"_s); });
        throw;
    }
    MoveTempTable(folder, folder + target + u".dbf"_s);
}

void TDumpToFile::ExportDossierTables(const QString &condition)
{
    FProgress.ShowProgress(ZKExportText::DialogCaption, ZKExportText::DossierProgress, 0, 10, 2);
    for (const QString &table : {u"t_jhk"_s, u"t_tddw"_s}) {
        CopyTable(table, table, condition, false);
        FProgress.UpdateProgressTrans();
    }
    FProgress.ShowProgress(QString(), QString(), 10, 60, 4);
    CopyTable(u"T_TDD"_s, u"T_TDD"_s, condition, true);
    FProgress.UpdateProgressTrans();
    const QString ofDossiers =
        u"ksh in (select ksh from t_tdd in "_s + SourceClause() + u" where "_s + condition + u")"_s;
    for (const QString &table : {u"T_KSJL"_s, u"T_KSHKCJ"_s, u"T_TJXX"_s}) {
        CopyTable(table, table, ofDossiers, false);
        FProgress.UpdateProgressTrans();
    }
    FProgress.ShowProgress(QString(), ZKExportText::CodeTableProgress, 70, 30, 19);
    CopyTable(u"T_JHK"_s, u"T_QBJHK"_s, QString(), false);
    FProgress.UpdateProgressTrans();
    for (const TDmDBFRec &code : DmDBFTable()) {
        CopyTable(code.TableName, code.TableName, QString(), false);
        FProgress.UpdateProgressTrans();
    }
}

bool TDumpToFile::ExportDossiers(const QString &fileName, const QList<TExportSetRow> &sets)
{
    if (sets.isEmpty())
        return false;
    const QString list = u'"' + SelectionList(sets) + u'"';
    FDm.UnivConn.Close();
    const auto cleanup = [this] {
        // Each step runs even when an earlier one fails; the first error goes on.
        std::optional<EZKError> error;
        const auto step = [&](auto &&f) {
            try {
                f();
            } catch (const EZKError &e) {
                if (!error)
                    error = e;
            }
        };
        step([this] { FExportConn.Close(); });
        step([this] { FDm.UnivConn.Open(); });
        step([this] { FProgress.HideProgress(); });
        if (error)
            throw *error;
    };
    try {
        FExportConn.Open(fileName, ZKMainDef().ProgramFolder);
        ExportDossierTables(u"instr(1, "_s + list + u", pcdm + kldm + jhxz, 0) > 0"_s);
    } catch (...) {
        RunCleanup(true, cleanup);
        throw;
    }
    cleanup();
    FMessages.ShowMessage(ZKExportText::DossierDone, ZKExportText::DialogCaption, TMsgIcon::Information);
    return true;
}

void TDumpToFile::WriteScreenRows()
{
    QHash<QString, QPair<QString, int>> fieldTypes; // upper-case ZDDH → (ZDLX, XSZFS)
    {
        TSqlQuery q(&FDm.UnivConn);
        q.SetSQL(u"select ZDDH, ZDLX, XSZFS from T_TDDZDSX"_s);
        for (q.Open(); !q.Eof(); q.Next()) {
            const QString code = q.AsString(0).toUpper();
            if (!fieldTypes.contains(code))
                fieldTypes.insert(code, {q.AsString(1), q.Value(2).toInt()});
        }
    }
    QString definitions;
    for (const TZKColumnRec &column : std::as_const(FDm.ZKColumn)) {
        const auto [type, width] = fieldTypes.value(column.Name.toUpper());
        if (type == "J"_L1)
            definitions = u"%1%2 text(18) with comp,"_s.arg(definitions, column.Name);
        else if (type == "N"_L1)
            definitions = u"%1%2 text(15) with comp,"_s.arg(definitions, column.Name);
        else
            definitions = u"%1%2 text(%3) with comp,"_s.arg(definitions, column.Name)
                              .arg(width > 253 || width <= 0 ? 254 : width);
    }
    definitions.chop(1);
    const bool dbase = FExportConn.Kind() == TExportKind::DBase;
    const QString target = dbase ? ExportTempTable : ZKExportText::ScreenDefaultName;
    FExportConn.ExecSQL({u"create table ["_s + target + u"] ("_s + definitions + u")"_s});
    FExportConn.OpenTable(dbase ? u"["_s + target + u"]"_s : u"["_s + target + u"$]"_s);
    FProgress.ShowProgress(ZKExportText::ScreenCaption, ZKExportText::ScreenProgress, 0, 100,
                           int(FDm.CurrentKSList.size()));
    QVariantList values;
    for (const TKSItem *ks : std::as_const(FDm.CurrentKSList)) {
        values.clear();
        for (const QString &text : GridRowTexts(FDm, ks))
            values.append(text);
        FExportConn.AppendRecord(values);
        FProgress.UpdateProgressTrans();
    }
}

void TDumpToFile::ExportTextTable(const QString &fileName, const std::function<void()> &writeRows)
{
    const auto cleanup = [this] {
        std::optional<EZKError> error;
        const auto step = [&](auto &&f) {
            try {
                f();
            } catch (const EZKError &e) {
                if (!error)
                    error = e;
            }
        };
        const QString folder = FExportConn.Folder();
        const QString chosen = FExportConn.FileName();
        const bool dbase = FExportConn.Kind() == TExportKind::DBase;
        step([this] { FExportConn.Close(); });
        step([this] { FProgress.HideProgress(); });
        if (dbase)
            step([&] { MoveTempTable(folder, chosen); });
        if (error)
            throw *error;
    };
    try {
        FExportConn.Open(fileName, ZKMainDef().ProgramFolder);
        writeRows();
    } catch (...) {
        RunCleanup(true, cleanup);
        throw;
    }
    cleanup();
}

void TDumpToFile::ExportScreen(const QString &fileName)
{
    ExportTextTable(fileName, [this] { WriteScreenRows(); });
    FMessages.ShowMessage(ZKExportText::ScreenDone, ZKExportText::ScreenCaption, TMsgIcon::Information);
}

void TDumpToFile::WriteJournalRows(const QList<TJournalEntry> &entries)
{
    // Every column is text; the remark may take the whole width of a dBase text field.
    static const QList<int> widths = {19, 10, 10, 10, 20, 50, 20, 20, 10, 10, 254, 30, 19};
    const QStringList names = TDecisionJournal::ExportFieldNames();
    QStringList definitions;
    for (int i = 0; i < names.size(); ++i)
        definitions.append(u"%1 text(%2) with comp"_s.arg(names[i]).arg(widths.value(i, 254)));
    const bool dbase = FExportConn.Kind() == TExportKind::DBase;
    const QString target = dbase ? ExportTempTable : ZKExportText::JournalDefaultName;
    FExportConn.ExecSQL({u"create table ["_s + target + u"] ("_s + definitions.join(u',') + u")"_s});
    FExportConn.OpenTable(dbase ? u"["_s + target + u"]"_s : u"["_s + target + u"$]"_s);
    FProgress.ShowProgress(ZKExportText::JournalCaption, ZKExportText::JournalProgress, 0, 100,
                           int(entries.size()));
    QVariantList values;
    for (const TJournalEntry &entry : entries) {
        values.clear();
        for (const QString &text : entry.Texts())
            values.append(text);
        FExportConn.AppendRecord(values);
        FProgress.UpdateProgressTrans();
    }
}

void TDumpToFile::ExportJournal(const QString &fileName, const QList<TJournalEntry> &entries)
{
    ExportTextTable(fileName, [&] { WriteJournalRows(entries); });
    FMessages.ShowMessage(ZKExportText::JournalDone, ZKExportText::JournalCaption, TMsgIcon::Information);
}
