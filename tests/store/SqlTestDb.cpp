#include "SqlTestDb.h"

#include "store/SqlQuery.h"

#include <QFile>
#include <QtTest>

using namespace Qt::StringLiterals;

TSqlTestDb::TSqlTestDb()
    : FPath(FDir.filePath(u"test.mdb"_s))
{
    TSqlConnection::CreateDatabase(FPath);
    FConn.Open(FPath);
}

TSqlTestDb::TSqlTestDb(const QString &templateFile)
    : FPath(FDir.filePath(u"test.mdb"_s))
{
    if (!QFile::copy(templateFile, FPath))
        qFatal("cannot copy the fixture database");
    FConn.Open(FPath);
}

void TSqlTestDb::Exec(const QStringList &statements)
{
    for (const QString &s : statements)
        FConn.ExecSQL(s);
}

QString RowText(const QVariantList &row)
{
    QStringList cells;
    for (const QVariant &v : row)
        cells.append(v.isValid() ? SqlValueText(v) : u"NULL"_s);
    return cells.join(u'|');
}

QStringList TSqlTestDb::Rows(const QString &sql)
{
    TSqlQuery q(&FConn);
    q.SetSQL(sql);
    QStringList rows;
    for (q.Open(); !q.Eof(); q.Next())
        rows.append(RowText(q.Row()));
    return rows;
}

QVariant TSqlTestDb::Scalar(const QString &sql)
{
    TSqlQuery q(&FConn);
    q.SetSQL(sql);
    q.Open();
    return q.Eof() ? QVariant() : q.Value(0);
}
