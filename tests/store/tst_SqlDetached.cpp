#include "store/SqlConnection.h"
#include "store/SqlDetached.h"
#include "store/SqlQuery.h"
#include "store/ZKError.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

// A detached query keeps its rows after the connection is gone, with the column
// types a leader's recordset would carry.
class TestSqlDetached : public QObject
{
    Q_OBJECT

private slots:
    void rowsAndTypesSurviveTheConnection()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"d.mdb"_s);
        TSqlConnection::CreateDatabase(path);
        TRecordset set;
        {
            TSqlConnection conn;
            conn.Open(path);
            conn.ExecSQL(QStringList{u"create table t (pcdm binary(2), tddw binary(6), ksh char(14),"_s,
                                     u"  xm text(20) with comp, cj double, n long, bz text with comp,"_s,
                                     u"  primary key (ksh))"_s});
            conn.ExecSQL(
                u"insert into t values (\"1\", \"01\", \"12345678901234\", \"张三\", 601.5, 7, null)"_s);
            conn.ExecSQL(
                u"insert into t values (\"2\", \"002\", \"12345678901235\", \"李四\", 580, 8, \"x\")"_s);
            TSqlQuery query(&conn);
            query.SetSQL(u"select t.*, cj * 2 as dbl, count(*) as c from t group by ksh order by ksh"_s);
            set = OpenDetached(query);
        }
        QCOMPARE(set.RecordCount(), 2);
        QCOMPARE(set.FieldByName(u"PCDM").Value().AsString(), u"1"_s);
        QCOMPARE(set.Field(set.FindField(u"pcdm")).Type, DBTYPE_BYTES);
        QCOMPARE(set.Field(set.FindField(u"tddw")).MaxLength, 6u);
        // A unit code shorter than its width is right-aligned.
        QCOMPARE(set.FieldByName(u"TDDW").Value().Get<QByteArray>()->size(), 6);
        QCOMPARE(set.FieldByName(u"TDDW").AsString(), u" 01"_s);
        QCOMPARE(set.FieldByName(u"XM").AsString(), u"张三"_s);
        QVERIFY(set.FieldByName(u"BZ").IsNull());
        QCOMPARE(set.Field(set.FindField(u"CJ")).Type, DBTYPE_R8);
        QCOMPARE(set.Field(set.FindField(u"dbl")).Type, DBTYPE_R8);
        QCOMPARE(set.Field(set.FindField(u"c")).Type, DBTYPE_I4);
        QVERIFY(set.Field(set.FindField(u"ksh")).IsKey());
        // Locate by a binary code passes the value quoted, as callers do.
        QVERIFY(set.Locate(u"pcdm"_s, QVariant(u"'2'"_s)));
        QCOMPARE(set.FieldByName(u"XM").AsString(), u"李四"_s);
        set.SetFilter(u"PCDM='1'"_s);
        QCOMPARE(set.RecordCount(), 1);
    }

    // Repeated texts of a column are kept once; a column of many different values
    // stops collecting them. Every row still reads its own value, and changing one
    // row leaves the rows that shared its text alone.
    void repeatedAndDistinctTextsReadBackPerRow()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"d.mdb"_s);
        TSqlConnection::CreateDatabase(path);
        const int rows = 3000; // more different names than a column collects
        TRecordset set;
        {
            TSqlConnection conn;
            conn.Open(path);
            conn.ExecSQL(QStringList{u"create table t (ksh char(14), xm text(20) with comp,"_s,
                                     u"  xbdm text(2), primary key (ksh))"_s});
            TSqlTransaction transaction(conn);
            TSqlQuery insert(&conn);
            insert.SetSQL(u"insert into t values (:ksh, :xm, :xb)"_s);
            for (int i = 0; i < rows; ++i) {
                insert.SetParam(u"ksh"_s, u"%1"_s.arg(i, 14, 10, QChar(u'0')));
                insert.SetParam(u"xm"_s, u"name%1"_s.arg(i));
                insert.SetParam(u"xb"_s, i % 3 == 0 ? u"1"_s : u"2"_s);
                insert.ExecSQL();
            }
            transaction.Commit();
            TSqlQuery query(&conn);
            query.SetSQL(u"select ksh, xm, xbdm from t order by ksh"_s);
            set = OpenDetached(query);
            QVERIFY(!query.Active());
        }
        QCOMPARE(set.RecordCount(), rows);
        for (int i : {0, 1, 2, 2047, 2048, 2049, rows - 1}) {
            set.SetRecNo(i + 1);
            QCOMPARE(set.FieldByName(u"XM").AsString(), u"name%1"_s.arg(i));
            QCOMPARE(set.FieldByName(u"XBDM").AsString(), i % 3 == 0 ? u"1"_s : u"2"_s);
        }
        set.SetRecNo(4);
        set.Edit();
        set.FieldByName(u"XBDM").SetValue(TDbValue(u"9"_s));
        set.Post();
        set.SetRecNo(1);
        QCOMPARE(set.FieldByName(u"XBDM").AsString(), u"1"_s);
        set.SetRecNo(4);
        QCOMPARE(set.FieldByName(u"XBDM").AsString(), u"9"_s);
    }

    // Each cell holds what the query itself reads, whatever the database keeps in the
    // column: a number in a text column, text in a number column, bytes that are no
    // UTF-8, a code kept as text or as bytes; and a text too long for its column is
    // refused, with the query closed.
    void cellsReadAsTheQueryReadsThem()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"d.mdb"_s);
        TSqlConnection::CreateDatabase(path);
        TSqlConnection conn;
        conn.Open(path);
        conn.ExecSQL(u"create table t (k long, a text(6), b memo, n long, d double, c binary(4))"_s);
        conn.ExecSQL(u"insert into t values (1, \"甲乙\", \"x\", 5, 2.5, \"7\")"_s);
        conn.ExecSQL(u"insert into t values (2, 12, cast(x'61ff62' as text), \"6\", 3, x'41004200')"_s);
        conn.ExecSQL(u"insert into t values (3, \"甲乙\", null, null, null, \"07\")"_s);
        // Texts repeated from the row above, and after a NULL in between.
        conn.ExecSQL(u"insert into t values (4, \"甲乙\", \"x\", 5, 2.5, \"07\")"_s);
        conn.ExecSQL(u"insert into t values (5, null, \"x\", 5, 2.5, \"7\")"_s);
        conn.ExecSQL(u"insert into t values (6, \"甲乙\", null, null, null, \"7\")"_s);
        TSqlQuery query(&conn);
        query.SetSQL(u"select a, b, n, d, c from t order by k"_s);
        QList<QVariantList> expected;
        for (query.Open(); !query.Eof(); query.Next())
            expected.append(query.Row());
        TRecordset set = OpenDetached(query);
        QCOMPARE(set.RecordCount(), 6);
        for (int r = 0; r < 6; ++r) {
            set.SetRecNo(r + 1);
            for (int c : {0, 1, 2, 3})
                QCOMPARE(set.Fields(c).AsString(), SqlValueText(expected[r][c]));
        }
        set.SetRecNo(3);
        QCOMPARE(set.Fields(1).Value().IsNull(), true);
        set.SetRecNo(1);
        QCOMPARE(set.Fields(2).Value(), TDbValue(qint64(5)));
        QCOMPARE(set.Fields(3).Value(), TDbValue(2.5));
        QCOMPARE(set.Fields(4).Value(), TDbValue(QByteArray("\x20\x00\x37\x00", 4)));
        set.SetRecNo(2);
        QCOMPARE(set.Fields(2).Value(), TDbValue(qint64(6)));
        QCOMPARE(set.Fields(4).Value(), TDbValue(QByteArray("A\0B\0", 4)));
        set.SetRecNo(3);
        QCOMPARE(set.Fields(4).Value(), TDbValue(QByteArray("0\0"
                                                            "7\0",
                                                            4)));
        set.SetRecNo(4);
        QCOMPARE(set.Fields(4).Value(), TDbValue(QByteArray("0\0"
                                                            "7\0",
                                                            4)));
        set.SetRecNo(5);
        QVERIFY(set.Fields(0).Value().IsNull());
        QCOMPARE(set.Fields(4).Value(), TDbValue(QByteArray("\x20\x00\x37\x00", 4)));

        conn.ExecSQL(u"insert into t values (7, \"一二三四五六七\", null, null, null, null)"_s);
        QVERIFY_THROWS_EXCEPTION(EZKError, OpenDetached(query));
        QVERIFY(!query.Active());
    }
};

QTEST_GUILESS_MAIN(TestSqlDetached)
#include "tst_SqlDetached.moc"
