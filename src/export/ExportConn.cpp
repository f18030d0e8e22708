#include "export/ExportConn.h"

#include "export/DbfFile.h"
#include "export/XlsWorkbook.h"
#include "export/XlsxWorkbook.h"
#include "store/SqlQuery.h"
#include "store/ZKError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

QString BareName(QString name)
{
    name = name.trimmed();
    if (name.startsWith(u'[') && name.endsWith(u']'))
        name = name.mid(1, name.size() - 2);
    return name;
}

// The table that a create or drop statement names, and which of the two it is.
bool TableDefinition(const QString &jet, QString &verb, QString &table)
{
    static const QRegularExpression re(u"^\\s*(create|drop)\\s+table\\s+(\\[[^\\]]*\\]|[^\\s(]+)"_s,
                                       QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(jet);
    if (!m.hasMatch())
        return false;
    verb = m.captured(1).toLower();
    table = BareName(m.captured(2));
    return true;
}

qsizetype IndexOfName(const QStringList &names, const QString &name)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString DbfFieldName(const QString &name, QStringList &used)
{
    QString n = name.left(10);
    for (int k = 1; used.contains(n, Qt::CaseInsensitive); ++k) {
        const QString suffix = QString::number(k);
        n = name.left(10 - suffix.size()) + suffix;
    }
    used.append(n);
    return n;
}

// The dBase field of a column of the target: texts C (254 bytes at most), numbers
// N(20,5), logicals L, dates D; memos, long binary data and expressions without a type
// C(254).
TDbfField DbfFieldOf(const TSqlFieldDef &column, QStringList &used)
{
    TDbfField f;
    f.Name = DbfFieldName(column.Name, used);
    switch (column.Kind) {
    case TSqlFieldKind::Text:
    case TSqlFieldKind::FixedText:
        f.Type = 'C';
        f.Length = column.Size > 0 ? qMin(column.Size, ZKDbf::MaxTextLength) : ZKDbf::MaxTextLength;
        break;
    case TSqlFieldKind::BinaryCode:
        f.Type = 'C';
        f.Length = qBound(1, column.Size / 2, ZKDbf::MaxTextLength);
        break;
    case TSqlFieldKind::Short:
    case TSqlFieldKind::Long:
    case TSqlFieldKind::Counter:
    case TSqlFieldKind::Double:
        f.Type = 'N';
        f.Length = 20;
        f.Decimals = 5;
        break;
    case TSqlFieldKind::Boolean:
        f.Type = 'L';
        f.Length = 1;
        break;
    case TSqlFieldKind::DateTime:
        f.Type = 'D';
        f.Length = 8;
        break;
    default:
        f.Type = 'C';
        f.Length = ZKDbf::MaxTextLength;
        break;
    }
    return f;
}

void ScratchPragma(TSqlConnection &conn, const char *pragma)
{
    char *message = nullptr;
    if (sqlite3_exec(conn.Handle(), pragma, nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = QString::fromUtf8(message ? message : "");
        sqlite3_free(message);
        throw EZKError(u"无法准备导出：%1"_s.arg(text));
    }
}

} // namespace

TExportKind ExportKindOf(const QString &fileName)
{
    const QString ext = QFileInfo(fileName).suffix().toUpper();
    if (ext == "XLS"_L1)
        return TExportKind::Excel97;
    if (ext == "XLSX"_L1)
        return TExportKind::Excel2007;
    return TExportKind::DBase;
}

QString EmptyExportWorkbookName(TExportKind kind)
{
    return kind == TExportKind::Excel2007 ? u"ZelkinCExport.XLSX"_s : u"ZelkinCExport.XLS"_s;
}

TExportConn::TExportConn() = default;

TExportConn::~TExportConn()
{
    try {
        Close();
    } catch (const EZKError &) {
        // The caller closes explicitly when it wants to hear of errors.
    }
}

QString TExportConn::ConnectionString() const
{
    switch (FKind) {
    case TExportKind::Excel97:
        return u"Provider=Microsoft.Jet.OLEDB.4.0;Extended Properties=\"Excel 8.0;HDR=Yes\";Data Source="_s +
               FFileName;
    case TExportKind::Excel2007:
        return u"Provider=Microsoft.ACE.OLEDB.12.0;Extended Properties=\"Excel 12.0 Xml;HDR=Yes\";Data Source="_s +
               FFileName;
    case TExportKind::DBase:
        break;
    }
    return u"Provider=Microsoft.Jet.OLEDB.4.0;Extended Properties=\"dBase IV\";Data Source="_s + FFolder;
}

void TExportConn::Open(const QString &fileName, const QString &programFolder)
{
    Close();
    const QFileInfo info(fileName);
    FFileName = info.absoluteFilePath();
    FFolder = info.absolutePath() + u'/';
    FKind = ExportKindOf(fileName);
    if (FKind == TExportKind::DBase) {
        QFile::remove(FFolder + ExportTempTable);
    } else {
        const QString empty = QDir(programFolder).filePath(EmptyExportWorkbookName(FKind));
        if (!QFileInfo::exists(empty))
            throw EZKError(u"找不到空白工作簿“%1”。"_s.arg(empty));
        QFile::remove(FFileName);
        if (!QFile::copy(empty, FFileName))
            throw EZKError(u"无法把空白工作簿复制为“%1”。"_s.arg(FFileName));
        QFile::setPermissions(FFileName,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    auto dir = std::make_unique<QTemporaryDir>();
    if (!dir->isValid())
        throw EZKError(u"无法为导出建立临时文件夹：%1"_s.arg(dir->errorString()));
    const QString scratch = dir->filePath(u"target.db"_s);
    TSqlConnection::CreateDatabase(scratch);
    auto conn = std::make_unique<TSqlConnection>(scratch);
    conn->Open();
    // The scratch file is thrown away afterwards: no journal, no waiting for the disk.
    ScratchPragma(*conn, "PRAGMA journal_mode=OFF");
    ScratchPragma(*conn, "PRAGMA synchronous=OFF");
    FScratchDir = std::move(dir);
    FScratch = std::move(conn);
    FTables.clear();
    FSyncedRows.clear();
}

void TExportConn::Close()
{
    if (!FScratch)
        return;
    // Whatever happens while the target is finished, the connection ends.
    struct TEnd
    {
        TExportConn &Conn;
        ~TEnd()
        {
            Conn.FAppendQuery.reset();
            Conn.FScratch.reset();
            Conn.FScratchDir.reset();
            Conn.FAppending = false;
            Conn.FAppendTable.clear();
        }
    } end{*this};
    CommitAppends();
    if (FKind == TExportKind::DBase)
        SyncTables();
    else
        WriteWorkbook();
}

QString TExportConn::TablePath(const QString &table) const
{
    return FFolder + (QFileInfo(table).suffix().isEmpty() ? table + u".dbf"_s : table);
}

void TExportConn::ForgetRemovedTables()
{
    if (FKind != TExportKind::DBase)
        return;
    for (qsizetype i = FTables.size() - 1; i >= 0; --i) {
        if (QFileInfo::exists(TablePath(FTables[i])))
            continue;
        FScratch->ExecSQL(u"drop table [%1]"_s.arg(FTables[i]));
        FSyncedRows.remove(FTables[i].toLower());
        FTables.removeAt(i);
    }
}

void TExportConn::AddTable(const QString &table)
{
    FTables.append(table);
    if (FKind != TExportKind::DBase)
        return;
    QList<TDbfField> fields;
    QStringList used;
    for (const TSqlFieldDef &column : FScratch->GetColumns(table))
        fields.append(DbfFieldOf(column, used));
    TDbfFile::Create(TablePath(table), fields);
    FSyncedRows.insert(table.toLower(), 0);
}

// Appends the scratch rows of a table that its file does not have yet.
void TExportConn::SyncTable(const QString &table)
{
    const qint64 synced = FSyncedRows.value(table.toLower(), 0);
    TSqlQuery rows(FScratch.get());
    rows.OpenTable(table);
    TDbfFile file;
    file.Open(TablePath(table));
    qint64 last = synced;
    for (; !rows.Eof(); rows.Next()) {
        if (rows.RowId() <= synced)
            continue;
        file.Append(rows.Row());
        last = rows.RowId();
    }
    file.Close();
    FSyncedRows.insert(table.toLower(), last);
}

void TExportConn::SyncTables()
{
    for (const QString &table : std::as_const(FTables)) {
        if (QFileInfo::exists(TablePath(table)))
            SyncTable(table);
    }
}

int TExportConn::ExecSQL(const QStringList &lines)
{
    if (!FScratch)
        throw EZKError(u"导出目标没有打开。"_s);
    CommitAppends();
    ForgetRemovedTables();
    const QString jet = lines.join(u'\n');
    const TSqlPlan plan = TranslateJetSql(jet);
    QString verb;
    QString table;
    const bool definition = TableDefinition(jet, verb, table);
    TSqlQuery query(FScratch.get());
    query.SetSQL(lines);
    const int changed = query.ExecSQL();
    if (definition && verb == "create"_L1) {
        AddTable(table);
    } else if (definition && verb == "drop"_L1) {
        const qsizetype i = IndexOfName(FTables, table);
        if (i >= 0) {
            if (FKind == TExportKind::DBase)
                QFile::remove(TablePath(FTables[i]));
            FSyncedRows.remove(FTables[i].toLower());
            FTables.removeAt(i);
        }
    } else if (plan.Kind == TSqlPlanKind::SelectInto) {
        AddTable(plan.Table);
        if (FKind == TExportKind::DBase)
            SyncTable(plan.Table);
        CheckWorksheetLimits(plan.Table);
    } else if (plan.Kind == TSqlPlanKind::InsertSelect) {
        const qsizetype i = IndexOfName(FTables, plan.Table);
        if (i >= 0 && FKind == TExportKind::DBase)
            SyncTable(FTables[i]);
        if (i >= 0)
            CheckWorksheetLimits(FTables[i]);
    }
    if (definition && verb == "create"_L1)
        CheckWorksheetLimits(table);
    return changed;
}

// An Excel 97 worksheet holds 65,536 rows (the column names take the first) and 256
// columns: a table beyond that fails its statement and is no worksheet of the workbook,
// as the worksheets made before it are.
void TExportConn::CheckWorksheetLimits(const QString &table)
{
    if (FKind != TExportKind::Excel97)
        return;
    const qsizetype i = IndexOfName(FTables, table);
    if (i < 0)
        return;
    const qsizetype columns = FScratch->GetColumns(FTables[i]).size();
    TSqlQuery count(FScratch.get());
    count.SetSQL(u"select count(*) from [%1]"_s.arg(FTables[i]));
    count.Open();
    const qint64 rows = count.Value(0).toLongLong();
    count.Close();
    if (rows < XlsMaxRows && columns <= XlsMaxColumns)
        return;
    FScratch->ExecSQL(u"drop table [%1]"_s.arg(FTables[i]));
    const QString name = FTables.takeAt(i);
    throw EZKError(XlsLimitRefusalText(name, rows, columns));
}

QList<TSqlFieldDef> TExportConn::FieldDefs(const QStringList &lines)
{
    if (!FScratch)
        throw EZKError(u"导出目标没有打开。"_s);
    TSqlQuery query(FScratch.get());
    query.SetSQL(lines);
    query.Open();
    return query.FieldDefs();
}

void TExportConn::OpenTable(const QString &name)
{
    if (!FScratch)
        throw EZKError(u"导出目标没有打开。"_s);
    CommitAppends();
    QString table = BareName(name);
    if (FKind != TExportKind::DBase && table.endsWith(u'$'))
        table.chop(1);
    const qsizetype i = IndexOfName(FTables, table);
    if (i < 0)
        throw EZKError(u"导出目标中没有数据表 %1。"_s.arg(name));
    FAppendTable = FTables[i];
    FAppendColumns = int(FScratch->GetColumns(FAppendTable).size());
    TSqlQuery count(FScratch.get());
    count.SetSQL(u"select count(*) from [%1]"_s.arg(FAppendTable));
    count.Open();
    FAppendRows = count.Value(0).toLongLong();
    QStringList params;
    for (int c = 0; c < FAppendColumns; ++c)
        params.append(u":p%1"_s.arg(c));
    FAppendQuery = std::make_unique<TSqlQuery>(FScratch.get());
    FAppendQuery->SetSQL(u"insert into [%1] values (%2)"_s.arg(FAppendTable, params.join(u", "_s)));
    FAppendParams.clear();
    for (int c = 0; c < FAppendColumns; ++c)
        FAppendParams.append(FAppendQuery->ParamIndex(u"p%1"_s.arg(c)));
}

void TExportConn::AppendRecord(const QVariantList &values)
{
    if (!FAppendQuery)
        throw EZKError(u"导出目标中没有打开的数据表。"_s);
    if (FKind == TExportKind::Excel97 && FAppendRows + 1 >= XlsMaxRows)
        throw EZKError(XlsLimitRefusalText(FAppendTable, FAppendRows + 1, 0));
    if (!FAppending) {
        FScratch->BeginTrans();
        FAppending = true;
    }
    for (int c = 0; c < FAppendColumns; ++c)
        FAppendQuery->SetParamAt(FAppendParams[c], c < values.size() ? values[c] : QVariant());
    FAppendQuery->ExecSQL();
    ++FAppendRows;
}

void TExportConn::CommitAppends()
{
    if (!FAppending)
        return;
    FAppending = false;
    FScratch->CommitTrans();
}

void TExportConn::WriteWorkbook()
{
    if (FTables.isEmpty())
        return; // the copied empty workbook stays as it is
    std::vector<std::unique_ptr<TSqlQuery>> readers;
    QList<TExportSheet> sheets;
    for (const QString &table : std::as_const(FTables)) {
        TExportSheet sheet;
        sheet.Name = table;
        for (const TSqlFieldDef &column : FScratch->GetColumns(table))
            sheet.Columns.append({column.Name, column.Kind});
        auto reader = std::make_unique<TSqlQuery>(FScratch.get());
        TSqlQuery *q = reader.get();
        readers.push_back(std::move(reader));
        bool opened = false;
        sheet.NextRow = [q, table, opened](QVariantList &row) mutable {
            if (!opened) {
                q->OpenTable(table);
                opened = true;
            } else {
                q->Next();
            }
            if (q->Eof())
                return false;
            row = q->Row();
            return true;
        };
        sheets.append(sheet);
    }
    if (FKind == TExportKind::Excel97)
        WriteXlsWorkbook(FFileName, sheets);
    else
        WriteXlsxWorkbook(FFileName, sheets);
}
