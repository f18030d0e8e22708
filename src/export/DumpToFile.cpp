#include "export/DumpToFile.h"

#include "export/DbfFile.h"
#include "export/GridTexts.h"
#include "export/XlsWorkbook.h"
#include "store/SqlIdentifiers.h"
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

// Column names reach the export's statements from the local tables, whose columns came
// from the leader's recordsets, and from the field list of the grid: only a plain
// identifier is written, and always bracketed.
QString QuotedExportIdentifier(const QString &name, const QString &table)
{
    if (!IsPlainIdentifier(name))
        throw EZKError(u"数据表 %1 的字段名“%2”不是合法的名称，无法导出。"_s.arg(table, name));
    return u'[' + name + u']';
}

// A text inside a double-quoted literal of a statement: each double quote doubled, as the
// engine reads it back.
QString QuotedExportLiteral(const QString &text)
{
    return u'"' + QString(text).replace(u'"', "\"\""_L1) + u'"';
}

// The texts of the export's Excel 97 refusal: the table too large for a worksheet.
void CheckExcel97Size(const QString &table, qint64 records, qint64 columns)
{
    const QString refusal = XlsLimitRefusalText(table, records, columns);
    if (!refusal.isEmpty())
        throw EZKError(refusal);
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
        throw EZKError(u"无法把 %1 复制为“%2”。"_s.arg(ExportTempTable, target));
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
        throw EZKError(u"无法打开文件“%1”：%2"_s.arg(dbfPath, file.errorString()));
    for (qint64 i = 0;; ++i) {
        const qint64 at = ZKDbf::HeaderSize + ZKDbf::DescriptorSize * i;
        char type = 0;
        if (!file.seek(at + 11) || !file.getChar(&type))
            break;
        char first = 0;
        if (!file.seek(at) || !file.getChar(&first) || first == ZKDbf::HeaderTerminator)
            break;
        if (type == 'N' && !(file.seek(at + 17) && file.putChar(char(9))))
            throw EZKError(u"无法写入文件“%1”：%2"_s.arg(dbfPath, file.errorString()));
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
    const QString path = ZKMainDef().LoginInfo.UserFolder + UnivDatabaseFileName;
    // The path stands inside the double-quoted literal that names the file to read: a path
    // that could end that literal is refused, never written into a statement.
    for (const QChar c : path) {
        if (c == u'"' || c.unicode() < 0x20 || c.unicode() == 0x7F)
            throw EZKError(u"用户文件夹的路径中含有双引号或控制字符，无法导出：%1"_s.arg(path));
    }
    return u'"' + path + u'"';
}

QString TDumpToFile::SetCondition(const QList<TExportSetRow> &sets)
{
    return u"instr(1, "_s + QuotedExportLiteral(SelectionList(sets)) + u", pcdm + kldm + jhxz, 0) > 0"_s;
}

const QList<TExportTableJob> &TDumpToFile::DossierTableJobs()
{
    static const QList<TExportTableJob> jobs = [] {
        QList<TExportTableJob> list{{u"t_jhk"_s, u"t_jhk"_s, TExportScope::OfSets, false},
                                    {u"t_tddw"_s, u"t_tddw"_s, TExportScope::OfSets, false},
                                    {u"T_TDD"_s, u"T_TDD"_s, TExportScope::OfSets, true},
                                    {u"T_KSJL"_s, u"T_KSJL"_s, TExportScope::OfDossiers, false},
                                    {u"T_KSHKCJ"_s, u"T_KSHKCJ"_s, TExportScope::OfDossiers, false},
                                    {u"T_TJXX"_s, u"T_TJXX"_s, TExportScope::OfDossiers, false},
                                    {u"T_JHK"_s, u"T_QBJHK"_s, TExportScope::All, false}};
        for (const TDmDBFRec &code : DmDBFTable())
            list.append({code.TableName, code.TableName, TExportScope::All, false});
        return list;
    }();
    return jobs;
}

QString TDumpToFile::JobCondition(const TExportTableJob &job, const QString &setCondition,
                                  const QString &dossierSource)
{
    switch (job.Scope) {
    case TExportScope::OfSets:
        return setCondition;
    case TExportScope::OfDossiers:
        return u"ksh in (select ksh from t_tdd"_s + dossierSource + u" where "_s + setCondition + u")"_s;
    case TExportScope::All:
        break;
    }
    return QString();
}

void TDumpToFile::CheckDossierTables(const QString &setCondition, TExportKind kind)
{
    TSqlConnection &univ = FDm.UnivConn;
    for (const TExportTableJob &job : DossierTableJobs()) {
        if (!univ.TableExists(job.Source))
            continue; // a table that is not there fails its copy where it comes
        const QList<TSqlFieldDef> columns = univ.GetColumns(job.Source);
        for (const TSqlFieldDef &column : columns)
            QuotedExportIdentifier(column.Name, job.Source);
        if (kind != TExportKind::Excel97)
            continue;
        const QString condition = JobCondition(job, setCondition, QString());
        TSqlQuery count(&univ);
        count.SetSQL(u"select count(*) from "_s + job.Source +
                     (condition.isEmpty() ? QString() : u" where "_s + condition));
        count.Open();
        CheckExcel97Size(job.Target, count.Value(0).toLongLong(), columns.size());
    }
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
        CopyTableToDbf(fields, source, target, from, patchDecimals);
    else
        CopyTableToWorksheet(fields, source, target, from);
}

void TDumpToFile::CopyTableToWorksheet(const QList<TSqlFieldDef> &fields, const QString &source,
                                       const QString &target, const QString &from)
{
    QString columns;
    for (const TSqlFieldDef &f : fields) {
        const QString name = QuotedExportIdentifier(f.Name, source);
        if (f.Kind == TSqlFieldKind::BinaryCode)
            columns = u"%1ltrim(%2) as %2,"_s.arg(columns, name);
        else
            columns = u"%1%2,"_s.arg(columns, name);
    }
    columns.chop(1);
    FExportConn.ExecSQL({u"select "_s + columns, u"into ["_s + target + u"]"_s, from});
}

void TDumpToFile::CopyTableToDbf(const QList<TSqlFieldDef> &fields, const QString &source, const QString &target,
                                 const QString &from, bool patchDecimals)
{
    QString definitions;
    QString columns;
    for (const TSqlFieldDef &f : fields) {
        bool asText = false;
        const QString name = QuotedExportIdentifier(f.Name, source);
        definitions = u"%1%2 %3,"_s.arg(definitions, name, DbfColumnType(f, asText));
        columns += (asText ? u"ltrim(%1) as %1"_s.arg(name) : name) + u',';
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

void TDumpToFile::ExportDossierTables(const QString &setCondition)
{
    const QString src = u" in "_s + SourceClause();
    const QList<TExportTableJob> &jobs = DossierTableJobs();
    for (qsizetype i = 0; i < jobs.size(); ++i) {
        // Three stages of the progress window: the plan and units of the sets, the
        // dossiers with their rows, the whole plan and the code tables.
        if (i == 0)
            FProgress.ShowProgress(ZKExportText::DialogCaption, ZKExportText::DossierProgress, 0, 10, 2);
        else if (i == 2)
            FProgress.ShowProgress(QString(), QString(), 10, 60, 4);
        else if (i == 6)
            FProgress.ShowProgress(QString(), ZKExportText::CodeTableProgress, 70, 30, int(jobs.size() - 6));
        const TExportTableJob &job = jobs[i];
        CopyTable(job.Source, job.Target, JobCondition(job, setCondition, src), job.PatchDecimals);
        FProgress.UpdateProgressTrans();
    }
}

bool TDumpToFile::ExportDossiers(const QString &fileName, const QList<TExportSetRow> &sets)
{
    if (sets.isEmpty())
        return false;
    const QString condition = SetCondition(sets);
    // Refusals come before anything is closed, copied or written.
    SourceClause();
    CheckDossierTables(condition, ExportKindOf(fileName));
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
        ExportDossierTables(condition);
    } catch (...) {
        RunCleanup(true, cleanup);
        throw;
    }
    cleanup();
    FMessages.ShowMessage(ZKExportText::DossierDone, ZKExportText::DialogCaption, TMsgIcon::Information);
    return true;
}

QString TDumpToFile::ScreenDefinitions()
{
    QHash<QString, QPair<QString, int>> fieldTypes; // upper-case ZDDH → (upper-case ZDLX, XSZFS)
    {
        TSqlQuery q(&FDm.UnivConn);
        q.SetSQL(u"select ZDDH, ZDLX, XSZFS from T_TDDZDSX"_s);
        for (q.Open(); !q.Eof(); q.Next()) {
            const QString code = q.AsString(0).toUpper();
            if (!fieldTypes.contains(code))
                fieldTypes.insert(code, {q.AsString(1).trimmed().toUpper(), q.Value(2).toInt()});
        }
    }
    QString definitions;
    for (const TZKColumnRec &column : std::as_const(FDm.ZKColumn)) {
        const auto [type, width] = fieldTypes.value(column.Name.toUpper());
        const QString name = QuotedExportIdentifier(column.Name, ZKExportText::ScreenDefaultName);
        if (type == "J"_L1)
            definitions = u"%1%2 text(18) with comp,"_s.arg(definitions, name);
        else if (type == "N"_L1)
            definitions = u"%1%2 text(15) with comp,"_s.arg(definitions, name);
        else
            definitions = u"%1%2 text(%3) with comp,"_s.arg(definitions, name)
                              .arg(width > 253 || width <= 0 ? 254 : width);
    }
    definitions.chop(1);
    return definitions;
}

void TDumpToFile::WriteScreenRows(const QString &definitions)
{
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
    // Refusals come before the target is prepared: nothing is copied or written.
    const QString definitions = ScreenDefinitions();
    if (ExportKindOf(fileName) == TExportKind::Excel97)
        CheckExcel97Size(ZKExportText::ScreenDefaultName, FDm.CurrentKSList.size(), FDm.ZKColumn.size());
    ExportTextTable(fileName, [&] { WriteScreenRows(definitions); });
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
    if (ExportKindOf(fileName) == TExportKind::Excel97)
        CheckExcel97Size(ZKExportText::JournalDefaultName, entries.size(),
                         TDecisionJournal::ExportFieldNames().size());
    ExportTextTable(fileName, [&] { WriteJournalRows(entries); });
    FMessages.ShowMessage(ZKExportText::JournalDone, ZKExportText::JournalCaption, TMsgIcon::Information);
}
