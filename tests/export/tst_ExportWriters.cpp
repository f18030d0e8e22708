// The file writers on their own, with small tables that show the hard cases: texts GBK
// cannot hold, texts cut at a field's width, nulls, dates, logicals, long texts that
// cross the Excel 97 record limit, and the worksheet limits. Each file is read back by an
// independent reader.
#include "ExportFixture.h"
#include "TestSupport.h"
#include "export/DbfFile.h"
#include "export/ExportConn.h"
#include "export/XlsWorkbook.h"
#include "export/XlsxWorkbook.h"
#include "store/SqlQuery.h"
#include "store/ZKError.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// A sheet over fixed rows.
TExportSheet Sheet(const QString &name, const QList<TSheetColumn> &columns, QList<QVariantList> rows)
{
    auto shared = std::make_shared<QList<QVariantList>>(std::move(rows));
    auto next = std::make_shared<qsizetype>(0);
    return {name, columns, [shared, next](QVariantList &row) {
                if (*next >= shared->size())
                    return false;
                row = shared->at((*next)++);
                return true;
            }};
}

const QString LongChinese = QString(5000, QChar(0x4E2D)) + u"尾"_s; // 10,002 bytes as UTF-16

QList<QVariantList> MixedRows()
{
    return {{u"张三"_s, 612.5, QDateTime(QDate(2012, 7, 18), QTime(0, 0)), true},
            {QVariant(), QVariant(), QVariant(), QVariant()},
            {LongChinese, -3.0, QDateTime(QDate(1999, 12, 31), QTime(13, 45, 10)), false},
            {u"Ünïcödé ✓ 한국"_s, 1e-5, QVariant(), true}};
}

QList<TSheetColumn> MixedColumns()
{
    return {{u"XM"_s, TSqlFieldKind::Text},
            {u"CJ"_s, TSqlFieldKind::Double},
            {u"RQ"_s, TSqlFieldKind::DateTime},
            {u"BZ"_s, TSqlFieldKind::Boolean}};
}

} // namespace

class TestExportWriters : public QObject
{
    Q_OBJECT

private slots:
    void gbkTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ASCII") << u"abc 123"_s << QByteArray("abc 123");
        QTest::newRow("Chinese") << u"银行存款"_s << QByteArray::fromHex("d2f8d0d0b4e6bfee");
        QTest::newRow("Hangul is not in GBK") << u"a한b"_s << QByteArray("a?b");
        QTest::newRow("a character beyond the BMP is one ?") << u"x\U00020000y"_s << QByteArray("x?y");
        QTest::newRow("mixed") << u"中a"_s << QByteArray::fromHex("d6d061");
        // Only the character GBK lacks becomes "?": the ones after it are kept.
        QTest::newRow("the unencodable character alone") << u"𠮷田一郎"_s << QByteArray::fromHex("3fccefd2bbc0c9");
        QTest::newRow("inside a text") << u"小学𠮷田一郎"_s << QByteArray::fromHex("d0a1d1a73fccefd2bbc0c9");
        QTest::newRow("two in a row") << u"한𠮷中"_s << QByteArray::fromHex("3f3fd6d0");
    }

    void dbfKeepsTheTextAroundAnUnencodableCharacter()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"names.dbf"_s);
        TDbfFile::Create(path, {{u"XM"_s, 'C', 12, 0}, {u"CUT"_s, 'C', 6, 0}});
        TDbfFile file;
        file.Open(path);
        // The second field of 6 bytes would cut "郎" in half: it keeps "?田一".
        file.Append({u"小学𠮷田一郎"_s, u"𠮷田一郎"_s});
        file.Append({u"𠮷田一郎"_s, u"a𠮷田一郎"_s});
        file.Close();
        const TReadBack back = ReadBack(u"dbf"_s, {path});
        if (back.Missing)
            QSKIP(qPrintable(back.Error));
        QVERIFY2(back.Error.isEmpty(), qPrintable(back.Error));
        const QList<QVariantList> rows = back.Tables[u"names"_s];
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[1], (QVariantList{u"小学?田一郎"_s, u"?田一"_s}));
        QCOMPARE(rows[2], (QVariantList{u"?田一郎"_s, u"a?田一"_s}));
    }
    void gbkTexts()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(GbkBytes(text), bytes);
    }

    void dbfRecords()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"t.dbf"_s);
        TDbfFile::Create(path, {{u"XM"_s, 'C', 5, 0},
                                {u"CJ"_s, 'N', 20, 5},
                                {u"RQ"_s, 'D', 8, 0},
                                {u"BZ"_s, 'L', 1, 0},
                                {u"A_VERY_LONG_NAME"_s, 'C', 3, 0}});
        TDbfFile file;
        file.Open(path);
        QCOMPARE(file.Fields().size(), 5);
        QCOMPARE(file.Fields()[4].Name, u"A_VERY_LON"_s);
        file.Append({u"张三丰"_s, 612.5, QDateTime(QDate(2012, 7, 18), QTime(8, 0)), true, u"x"_s});
        file.Append({QVariant(), QVariant(), QVariant(), QVariant(), QVariant()});
        file.Append({u"ab한"_s, -3, u"1999-12-31 00:00:00"_s, false});
        file.Close();

        const QByteArray bytes = zktest::readFile(path);
        const int header = 32 + 5 * 32 + 1;
        const int record = 1 + 5 + 20 + 8 + 1 + 3;
        QCOMPARE(qFromLittleEndian<quint16>(bytes.constData() + 8), quint16(header));
        QCOMPARE(qFromLittleEndian<quint16>(bytes.constData() + 10), quint16(record));
        QCOMPARE(qFromLittleEndian<qint32>(bytes.constData() + 4), 3);
        QCOMPARE(bytes.size(), header + 3 * record + 1);
        QCOMPARE(bytes.back(), char(0x1A));
        const QByteArray r1 = bytes.mid(header, record);
        // "张三丰" is 6 bytes: the field of 5 keeps two whole characters and a blank.
        QCOMPARE(r1.mid(1, 5), QByteArray::fromHex("d5c5c8fd20"));
        QCOMPARE(r1.mid(6, 20), QByteArray("           612.50000"));
        QCOMPARE(r1.mid(26, 8), QByteArray("20120718"));
        QCOMPARE(r1.mid(34, 1), QByteArray("T"));
        const QByteArray r2 = bytes.mid(header + record, record);
        QCOMPARE(r2, QByteArray(" ") + QByteArray(record - 1, ' '));
        const QByteArray r3 = bytes.mid(header + 2 * record, record);
        QCOMPARE(r3.mid(1, 5), QByteArray("ab?  "));
        QCOMPARE(r3.mid(26, 9), QByteArray("19991231F"));

        const TReadBack back = ReadBack(u"dbf"_s, {path});
        if (back.Missing)
            QSKIP(qPrintable(back.Error));
        QVERIFY2(back.Error.isEmpty(), qPrintable(back.Error));
        const QList<QVariantList> rows = back.Tables[u"t"_s];
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[1][0].toString(), u"张三"_s);
        QCOMPARE(rows[1][1].toDouble(), 612.5);
        QCOMPARE(rows[1][2].toString(), u"2012-07-18"_s);
        QCOMPARE(rows[1][3].toBool(), true);
        QVERIFY(rows[2][0].isNull() && rows[2][1].isNull() && rows[2][2].isNull() && rows[2][3].isNull());
        QCOMPARE(rows[3][1].toDouble(), -3.0);

        // LibreOffice reads the same records; its header line names each field's type.
        QString error;
        const QString csv = LibreOfficeCsv(path, error);
        if (csv.isEmpty())
            QSKIP(qPrintable(error));
        const QStringList lines = csv.split(u'\n');
        QCOMPARE(lines[0].trimmed(), u"\"XM,C,5\",\"CJ,N,20,5\",\"RQ,D\",\"BZ,L\",\"A_VERY_LON,C,3\""_s);
        QVERIFY2(lines[1].startsWith(u"张三,612.50000,"_s) && lines[1].contains(u"TRUE"_s),
                 qPrintable(lines[1]));
        QVERIFY2(lines[2].startsWith(u",,,"_s), qPrintable(lines[2]));
        QVERIFY2(lines[3].startsWith(u"ab?,-3.00000,"_s) && lines[3].contains(u"FALSE"_s),
                 qPrintable(lines[3]));
    }

    void dbfRefusesWhatDoesNotFit()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"n.dbf"_s);
        TDbfFile::Create(path, {{u"CJ"_s, 'N', 20, 9}});
        TDbfFile file;
        file.Open(path);
        file.Append({123.25});
        QVERIFY_THROWS_EXCEPTION(EZKError, file.Append({1e15}));
        QVERIFY_THROWS_EXCEPTION(EZKError, file.Append({u"abc"_s}));
        file.Close();
        // The records before the refused ones stay, with a count that matches them.
        const QByteArray bytes = zktest::readFile(path);
        QCOMPARE(qFromLittleEndian<qint32>(bytes.constData() + 4), 1);
        QCOMPARE(bytes.mid(32 + 32 + 1 + 1, 20), QByteArray("       123.250000000"));
    }

    void workbooks_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("Excel 97") << u"xls"_s;
        QTest::newRow("Excel 2007") << u"xlsx"_s;
    }
    void workbooks()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"book."_s + kind);
        // Many distinct texts push the shared strings past several record boundaries.
        QList<QVariantList> many;
        for (int i = 0; i < 3000; ++i)
            many.append({u"考生%1"_s.arg(i), i});
        QList<TExportSheet> sheets{
            Sheet(u"T_TDD"_s, MixedColumns(), MixedRows()),
            Sheet(u"代码表"_s, {{u"DM"_s, TSqlFieldKind::Text}, {u"N"_s, TSqlFieldKind::Long}}, many),
            Sheet(u"EMPTY"_s, {{u"X"_s, TSqlFieldKind::Text}}, {})};
        if (kind == "xls"_L1)
            WriteXlsWorkbook(path, sheets);
        else
            WriteXlsxWorkbook(path, sheets);
        const TReadBack back = ReadBack(kind, {path});
        if (back.Missing)
            QSKIP(qPrintable(back.Error));
        QVERIFY2(back.Error.isEmpty(), qPrintable(back.Error));
        QCOMPARE(back.Tables.keys(), (QStringList{u"EMPTY"_s, u"T_TDD"_s, u"代码表"_s}));
        const QList<QVariantList> t = back.Tables[u"T_TDD"_s];
        QCOMPARE(t[0], (QVariantList{u"XM"_s, u"CJ"_s, u"RQ"_s, u"BZ"_s}));
        QCOMPARE(t[1], (QVariantList{u"张三"_s, 612.5, u"2012-07-18"_s, true}));
        // An empty row at the end of a sheet may be left out by a reader.
        QVERIFY(t.size() == 5 || t.size() == 4);
        QCOMPARE(t[3][0].toString(), LongChinese);
        QCOMPARE(t[3][1].toDouble(), -3.0);
        QCOMPARE(t[3][2].toString(), u"1999-12-31T13:45:10"_s);
        QCOMPARE(t[3][3].toBool(), false);
        QCOMPARE(t[4][0].toString(), u"Ünïcödé ✓ 한국"_s);
        QCOMPARE(t[4][1].toDouble(), 1e-5);
        const QList<QVariantList> m = back.Tables[u"代码表"_s];
        QCOMPARE(m.size(), 3001);
        QCOMPARE(m[2999][0].toString(), u"考生2998"_s);
        QCOMPARE(m[2999][1].toInt(), 2998);
        QCOMPARE(back.Tables[u"EMPTY"_s].value(0).value(0).toString(), u"X"_s);

        // LibreOffice reads the first worksheet the same way.
        QString error;
        const QString csv = LibreOfficeCsv(path, error);
        if (csv.isEmpty())
            QSKIP(qPrintable(error));
        const QStringList lines = csv.split(u'\n');
        QCOMPARE(lines[0].trimmed(), u"XM,CJ,RQ,BZ"_s);
        QVERIFY2(lines[1].startsWith(u"张三,612.5,2012-07-18,"_s), qPrintable(lines[1]));
        QVERIFY2(lines[3].startsWith(LongChinese + u",-3,1999-12-31 13:45:10,"_s),
                 qPrintable(lines[3].left(80)));
    }

    void excel97TableTooLongFailsItsStatement()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(u"source.mdb"_s);
        TSqlConnection::CreateDatabase(source);
        {
            TSqlConnection conn(source);
            conn.Open();
            conn.ExecSQL(u"create table big (n long)"_s);
            conn.ExecSQL(u"create table small (s text(5) with comp)"_s);
            conn.ExecSQL(u"insert into small values (\"小\")"_s);
            TSqlTransaction transaction(conn);
            TSqlQuery insert(&conn);
            insert.SetSQL(u"insert into big values (:n)"_s);
            for (int i = 0; i < XlsMaxRows; ++i) {
                insert.SetIntParam(u"n"_s, i);
                insert.ExecSQL();
            }
            transaction.Commit();
        }
        const QString book = dir.filePath(u"out.xls"_s);
        const QString src = u"\""_s + source + u"\""_s;
        TExportConn conn;
        conn.Open(book, zktest::programFolder());
        conn.ExecSQL({u"select s"_s, u"into [small]"_s, u"from small in "_s + src});
        QVERIFY_THROWS_EXCEPTION(EZKError,
                                 conn.ExecSQL({u"select n"_s, u"into [big]"_s, u"from big in "_s + src}));
        conn.Close();
        const TReadBack back = ReadBack(u"xls"_s, {book});
        if (back.Missing)
            QSKIP(qPrintable(back.Error));
        QCOMPARE(back.Tables.keys(), QStringList{u"small"_s});
        QCOMPARE(back.Tables[u"small"_s].value(1).value(0).toString(), u"小"_s);
    }

    void excel97RefusalNamesTheTable_data()
    {
        QTest::addColumn<qint64>("records");
        QTest::addColumn<qint64>("columns");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("fits") << qint64(65535) << qint64(256) << QString();
        QTest::newRow("one record too many")
            << qint64(65536) << qint64(3) << u"数据表 T_TDD 有 65536 条记录，超过了 Excel 97 工作表最多 65535 条记录的限制"_s;
        QTest::newRow("one column too many")
            << qint64(10) << qint64(257) << u"数据表 T_TDD 有 257 列，超过了 Excel 97 工作表最多 256 列的限制"_s;
    }
    void excel97RefusalNamesTheTable()
    {
        QFETCH(qint64, records);
        QFETCH(qint64, columns);
        QFETCH(QString, refusal);
        const QString text = XlsLimitRefusalText(u"T_TDD"_s, records, columns);
        QVERIFY2(text.startsWith(refusal), qPrintable(text));
        QCOMPARE(text.isEmpty(), refusal.isEmpty());
        if (!text.isEmpty())
            QVERIFY(text.endsWith(u"请改为导出到 Excel 2007 文件（.xlsx）或 dBase 文件（.dbf）。"_s));
    }

    void excel97Limits()
    {
        QTemporaryDir dir;
        QList<QVariantList> rows(XlsMaxRows, QVariantList{1});
        QList<TExportSheet> tooLong{Sheet(u"T"_s, {{u"N"_s, TSqlFieldKind::Long}}, rows)};
        try {
            WriteXlsWorkbook(dir.filePath(u"a.xls"_s), tooLong);
            QFAIL("a table longer than a worksheet was written");
        } catch (const EZKError &e) {
            QVERIFY2(e.Message().startsWith(u"数据表 T 有 65536 条记录"_s), qPrintable(e.Message()));
        }
        rows.removeLast(); // the column names take the first row
        QList<TExportSheet> fits{Sheet(u"T"_s, {{u"N"_s, TSqlFieldKind::Long}}, rows)};
        WriteXlsWorkbook(dir.filePath(u"b.xls"_s), fits);
        QList<TSheetColumn> columns(XlsMaxColumns + 1, TSheetColumn{u"C"_s, TSqlFieldKind::Text});
        QList<TExportSheet> tooWide{Sheet(u"T"_s, columns, {})};
        QVERIFY_THROWS_EXCEPTION(EZKError, WriteXlsWorkbook(dir.filePath(u"c.xls"_s), tooWide));
    }
};

QTEST_GUILESS_MAIN(TestExportWriters)
#include "tst_ExportWriters.moc"
