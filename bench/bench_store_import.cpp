// Import speed through the engine: 20,000 dossiers of 100 columns inserted by one
// prepared statement inside one transaction, against a bare SQLite insert loop doing the
// same work in the same run. Prints both times and their ratio; fails on nothing.
//
// usage: bench_store_import [rows]

#include "store/SqlConnection.h"
#include "store/SqlQuery.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int TextColumns = 80;
constexpr int NumberColumns = 20;

QString ColumnName(int i)
{
    return u"C%1"_s.arg(i, 3, 10, QChar(u'0'));
}

QString CreateStatement()
{
    QStringList columns{u"KSH text(14) with comp"_s};
    for (int i = 1; i < TextColumns; ++i)
        columns.append(ColumnName(i) + u" text(20) with comp"_s);
    for (int i = TextColumns; i < TextColumns + NumberColumns; ++i)
        columns.append(ColumnName(i) + u" double"_s);
    return u"create table T_TDD ("_s + columns.join(u',') + u",primary key (KSH))"_s;
}

QStringList Names()
{
    QStringList names{u"KSH"_s};
    for (int i = 1; i < TextColumns + NumberColumns; ++i)
        names.append(ColumnName(i));
    return names;
}

QVariant Value(int row, int column)
{
    if (column == 0)
        return u"1211010100%1"_s.arg(row, 4, 10, QChar(u'0'));
    if (column < TextColumns)
        return u"值%1-%2"_s.arg(row % 97).arg(column);
    return row * 0.5 + column;
}

// byName: parameters set by name each row; otherwise by their positions, found once.
double ThroughEngine(const QString &path, int rows, bool byName)
{
    TSqlConnection::CreateDatabase(path);
    TSqlConnection conn(JetConnectionPrefix + path);
    conn.Open();
    conn.ExecSQL(CreateStatement());
    const QStringList names = Names();
    QStringList params;
    for (const QString &n : names)
        params.append(u':' + n);
    TSqlQuery insert(&conn);
    insert.SetSQL(u"insert into T_TDD ("_s + names.join(u',') + u") values ("_s + params.join(u',') + u")"_s);
    QList<int> index;
    for (const QString &n : names)
        index.append(insert.ParamIndex(n));
    QElapsedTimer timer;
    timer.start();
    TSqlTransaction transaction(conn);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < names.size(); ++c) {
            if (byName)
                insert.SetParam(names[c], Value(r, c));
            else
                insert.SetParamAt(index[c], Value(r, c));
        }
        insert.ExecSQL();
    }
    transaction.Commit();
    return timer.nsecsElapsed() / 1e6;
}

double Bare(const QString &path, int rows)
{
    {
        TSqlConnection::CreateDatabase(path);
        TSqlConnection conn(JetConnectionPrefix + path);
        conn.Open();
        conn.ExecSQL(CreateStatement());
    }
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    const QStringList names = Names();
    QStringList marks;
    for (int i = 0; i < names.size(); ++i)
        marks.append(u"?"_s);
    const QByteArray sql =
        (u"insert into T_TDD ("_s + names.join(u',') + u") values ("_s + marks.join(u',') + u")"_s).toUtf8();
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
    QElapsedTimer timer;
    timer.start();
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < names.size(); ++c) {
            const QVariant v = Value(r, c);
            if (v.typeId() == QMetaType::Double) {
                sqlite3_bind_double(stmt, c + 1, v.toDouble());
            } else {
                const QString text = v.toString();
                sqlite3_bind_text16(stmt, c + 1, text.utf16(), int(text.size() * 2), SQLITE_TRANSIENT);
            }
        }
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    const double ms = timer.nsecsElapsed() / 1e6;
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 20000;
    QTemporaryDir dir;
    const double bare = Bare(dir.filePath(u"bare.mdb"_s), rows);
    const double engine = ThroughEngine(dir.filePath(u"engine.mdb"_s), rows, false);
    const double byName = ThroughEngine(dir.filePath(u"byname.mdb"_s), rows, true);
    std::printf("rows: %d of %d columns\n", rows, TextColumns + NumberColumns);
    std::printf("bare SQLite insert loop: %8.1f ms (%8.0f rows/s)\n", bare, rows / bare * 1000);
    std::printf("through the engine:      %8.1f ms (%8.0f rows/s)\n", engine, rows / engine * 1000);
    std::printf("engine, names each row:  %8.1f ms (%8.0f rows/s)\n", byName, rows / byName * 1000);
    std::printf("ratio engine / bare:     %8.2f\n", engine / bare);
    std::printf("ratio by name / bare:    %8.2f\n", byName / bare);
    return 0;
}
