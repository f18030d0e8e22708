// Loading a dossier-like recordset into a fresh table with CopyDataSetToTable, against a
// bare SQLite loop in the same run: one prepared insert inside one transaction, binding
// the same rows (already in their stored form) into a table of the same shape. Also the
// merge mode (ctoMerge | ctoDeleteSource) into a table that already holds every row,
// so that every row is updated by its key. Each figure is the best of a few runs.
// Prints rows per second and the ratios; fails on nothing.
//
// usage: bench_store_copytable [rows] [runs]

#include "store/Adtg.h"
#include "store/SqlConnection.h"
#include "store/TableTools.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sqlite3.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QString Table = u"T_TDD"_s;

TRecordField Field(const QString &name, quint16 type, quint32 size = 0,
                   int options = TRecordField::foNullable)
{
    return TRecordField::Define(name, type, size, options);
}

// About 100 columns in the shape of a dossier: codes (some as binary code columns),
// Chinese names, scores (some columns null for most candidates), flags and long text.
QList<TRecordField> DossierFields()
{
    QList<TRecordField> f{Field(u"KSH"_s, DBTYPE_WSTR, 14), Field(u"XM"_s, DBTYPE_WSTR, 20)};
    for (const char *code : {"PCDM", "KLDM", "JHXZ"})
        f.append(Field(QString::fromLatin1(code), DBTYPE_BYTES, 2,
                       TRecordField::foNullable | TRecordField::foFixedLength));
    for (const char *code : {"XBDM", "MZDM", "KSLBDM", "BYLBDM", "ZZMMDM", "TDDW", "DQTDDW", "TJJLDM", "KSZT",
                             "LQZY", "YTZY", "TDYYDM", "LQFS", "ZYZYTJ", "DXTJ", "TASK_TAG", "ZYHG", "TJHG"})
        f.append(Field(QString::fromLatin1(code), DBTYPE_WSTR, 3));
    for (int i = 1; i <= 6; ++i) {
        f.append(Field(u"TDDWDM%1"_s.arg(i), DBTYPE_WSTR, 3));
        f.append(Field(u"ZYDH%1"_s.arg(i), DBTYPE_WSTR, 2));
        f.append(Field(u"ZYSXDM%1"_s.arg(i), DBTYPE_WSTR, 2));
    }
    for (const char *score : {"CJ", "TZCJ", "TDCJ", "ZYYTJZCJ", "ZYYTFJCJ", "ZYYTDXJZCJ", "BH"})
        f.append(Field(QString::fromLatin1(score), DBTYPE_R8));
    for (int i = 1; i <= 40; ++i)
        f.append(Field(u"GKCJX%1"_s.arg(i, 2, 10, QChar(u'0')), DBTYPE_R8));
    f.append(Field(u"TDZY"_s, DBTYPE_I2));
    f.append(Field(u"SFZH"_s, DBTYPE_WSTR, 18));
    f.append(Field(u"ZXMC"_s, DBTYPE_WSTR, 60));
    f.append(Field(u"TXDZ"_s, DBTYPE_WSTR, 100));
    f.append(Field(u"ZYTJFC"_s, DBTYPE_WSTR, 40));
    f.append(Field(u"CSNY"_s, DBTYPE_DATE));
    f.append(Field(u"BZ"_s, DBTYPE_WSTR, 0, TRecordField::foNullable | TRecordField::foLong));
    f.append(Field(u"HJQK"_s, DBTYPE_WSTR, 0, TRecordField::foNullable | TRecordField::foLong));
    return f;
}

QByteArray CodeBytes(const QString &code)
{
    return QByteArray(reinterpret_cast<const char *>(code.utf16()), code.size() * 2);
}

TDbValue Value(const TRecordField &f, int row, int column)
{
    const QString &name = f.Name;
    if (name == u"KSH"_s)
        return u"241101011%1"_s.arg(row, 5, 10, QChar(u'0'));
    if (name == u"XM"_s)
        return QString(u"张王李赵刘陈"_s.at(row % 6) + u"小明华"_s.mid(row % 3, 2));
    if (f.Type == DBTYPE_BYTES)
        return CodeBytes(QString::number(1 + (row + column) % 3));
    if (f.Type == DBTYPE_R8) {
        if (name.startsWith(u"GKCJX"_s) && (row + column) % 4 != 0)
            return TDbValue(); // most candidates have no score for most items
        return 300.0 + (row * 7 + column) % 400 + ((row + column) % 2) * 0.5;
    }
    if (f.Type == DBTYPE_I2)
        return qint64(row % 6 + 1);
    if (f.Type == DBTYPE_DATE)
        return TOleDate{36000.0 + row % 2000};
    if (name == u"BZ"_s)
        return row % 5 == 0 ? TDbValue(u"备注：该考生身体健康，成绩优良。"_s.repeated(8)) : TDbValue();
    if (name == u"HJQK"_s)
        return u"高中阶段获省级三好学生、数学竞赛二等奖，担任班长三年。"_s.repeated(1 + row % 3);
    if (name == u"TXDZ"_s)
        return u"河南省郑州市金水区文化路%1号"_s.arg(row % 300);
    if (name == u"ZXMC"_s)
        return u"郑州市第%1中学"_s.arg(row % 50);
    if (f.MaxLength <= 3)
        return QString::number((row + column) % 10).repeated(int(f.MaxLength) == 3 ? 3 : 1);
    return u"41010519%1"_s.arg(row, 10, 10, QChar(u'0'));
}

// The recordset as the leader's file carries it (written and read once).
TRecordset MakeDossiers(int rows)
{
    const QList<TRecordField> fields = DossierFields();
    TRecordset set(fields);
    for (int r = 0; r < rows; ++r) {
        QList<TDbValue> row;
        for (int c = 0; c < fields.size(); ++c)
            row.append(Value(fields[c], r, c));
        set.AddRow(row);
    }
    return LoadAdtg(SaveAdtg(set));
}

QString NewDatabase(const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    TSqlConnection::CreateDatabase(path);
    return path;
}

// One value of the bare loop, in the form the column stores.
struct TBareValue
{
    enum
    {
        Null,
        Text,
        Number
    } Kind = Null;
    QString TextValue;
    double NumberValue = 0;
};

std::vector<std::vector<TBareValue>> BareRows(TRecordset &set)
{
    std::vector<std::vector<TBareValue>> rows;
    for (set.First(); !set.Eof(); set.Next()) {
        std::vector<TBareValue> row;
        for (int i = 0; i < set.FieldCount(); ++i) {
            const TRecordField &f = set.Field(i);
            const TDbValue &v = set.Fields(i).Value();
            TBareValue b;
            if (f.Type == DBTYPE_BYTES) {
                b = {TBareValue::Text, v.AsString().rightJustified(int(f.MaxLength / 2), u' '), 0};
            } else if (f.Type == DBTYPE_DATE) {
                b = {TBareValue::Text, v.AsString(), 0};
            } else if (!v.IsNull()) {
                b = IsTextDbType(f.Type) ? TBareValue{TBareValue::Text, v.AsString(), 0}
                                         : TBareValue{TBareValue::Number, QString(), v.AsFloat()};
            }
            row.push_back(std::move(b));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

double Bare(const QString &path, const QString &createStatement, const QStringList &names,
            const std::vector<std::vector<TBareValue>> &rows)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db,
                 "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; PRAGMA temp_store=MEMORY; "
                 "PRAGMA cache_size=-16384;",
                 nullptr, nullptr, nullptr);
    QStringList marks;
    for (int i = 0; i < names.size(); ++i)
        marks.append(u"?"_s);
    const QByteArray sql =
        (u"INSERT INTO T_TDD ("_s + names.join(u',') + u") VALUES ("_s + marks.join(u',') + u")"_s).toUtf8();
    QElapsedTimer timer;
    timer.start();
    // The same table shape, declared as the engine declares it.
    {
        TSqlConnection conn(path);
        conn.Open();
        conn.ExecSQL(createStatement);
    }
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    for (const auto &row : rows) {
        for (int c = 0; c < int(row.size()); ++c) {
            const TBareValue &v = row[c];
            if (v.Kind == TBareValue::Text)
                sqlite3_bind_text16(stmt, c + 1, v.TextValue.utf16(), int(v.TextValue.size() * 2),
                                    SQLITE_STATIC);
            else if (v.Kind == TBareValue::Number)
                sqlite3_bind_double(stmt, c + 1, v.NumberValue);
            else
                sqlite3_bind_null(stmt, c + 1);
        }
        if (sqlite3_step(stmt) != SQLITE_DONE)
            std::fprintf(stderr, "bare insert failed: %s\n", sqlite3_errmsg(db));
        sqlite3_reset(stmt);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return ms;
}

double Copy(const QString &path, TRecordset source, TCopyTableOptions options)
{
    TSqlConnection conn(path);
    conn.Open();
    QElapsedTimer timer;
    timer.start();
    CopyDataSetToTable(source, conn, Table, u"KSH"_s, options);
    return double(timer.nsecsElapsed()) / 1e6;
}

double Best(int runs, const std::function<double(int)> &run)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i)
        best = std::min(best, run(i));
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    QTemporaryDir dir;
    TRecordset source = MakeDossiers(rows);
    QStringList names;
    for (int i = 0; i < source.FieldCount(); ++i)
        names.append(source.Field(i).Name);
    const QString create = CreateTableStatement(source, Table, {u"KSH"_s});
    const auto bareRows = BareRows(source);

    const double bare = Best(
        runs, [&](int i) { return Bare(NewDatabase(dir, u"bare%1.mdb"_s.arg(i)), create, names, bareRows); });
    const double copy =
        Best(runs, [&](int i) { return Copy(NewDatabase(dir, u"copy%1.mdb"_s.arg(i)), source, {}); });
    const double merge = Best(runs, [&](int i) {
        const QString path = NewDatabase(dir, u"merge%1.mdb"_s.arg(i));
        Copy(path, source, {});
        return Copy(path, source, ctoMerge | ctoDeleteSource);
    });

    const auto perSecond = [rows](double ms) { return rows / ms * 1000.0; };
    std::printf("rows: %d of %lld columns, best of %d runs\n", rows, qlonglong(names.size()), runs);
    std::printf("bare SQLite insert loop:           %8.1f ms %9.0f rows/s\n", bare, perSecond(bare));
    std::printf("CopyDataSetToTable, new table:     %8.1f ms %9.0f rows/s\n", copy, perSecond(copy));
    std::printf("CopyDataSetToTable, merge updates: %8.1f ms %9.0f rows/s\n", merge, perSecond(merge));
    std::printf("ratio copy / bare (rows/s):        %8.2f\n", bare / copy);
    std::printf("ratio merge / bare (rows/s):       %8.2f\n", bare / merge);
    return 0;
}
