#pragma once

#include "store/SqlConnection.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

// A fresh database file in a temporary folder with an open connection, and helpers
// that turn query results into text rows ("a|b|c", null as "NULL") for comparisons.
class TSqlTestDb
{
public:
    TSqlTestDb();
    // A copy of an existing database file, opened.
    explicit TSqlTestDb(const QString &templateFile);

    TSqlConnection &Conn() { return FConn; }
    QString Path() const { return FPath; }
    QString FolderPath() const { return FDir.path(); }

    // Runs each statement (Jet dialect) in order.
    void Exec(const QStringList &statements);
    // The rows of a query as "a|b|c" texts.
    QStringList Rows(const QString &sql);
    // The single value of a query.
    QVariant Scalar(const QString &sql);

private:
    QTemporaryDir FDir;
    QString FPath;
    TSqlConnection FConn;
};

// One row of a query result as "a|b|c"; null is "NULL".
QString RowText(const QVariantList &row);
