#include "SqlTestDb.h"
#include "store/Adtg.h"
#include "store/SqlError.h"
#include "store/SqlIdentifiers.h"
#include "store/SqlQuery.h"
#include "store/RecordsetReadAhead.h"
#include "store/TableTools.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

using TRows = QList<QList<TDbValue>>;

TRecordField Text(const QString &name, quint32 size)
{
    return TRecordField::Define(name, DBTYPE_WSTR, size);
}

TRecordField Code(const QString &name, quint32 bytes)
{
    return TRecordField::Define(name, DBTYPE_BYTES, bytes,
                                TRecordField::foNullable | TRecordField::foFixedLength);
}

TRecordField Number(const QString &name, quint16 type = DBTYPE_R8)
{
    return TRecordField::Define(name, type);
}

// A code as a leader's recordset carries it: UTF-16LE bytes.
QByteArray CodeBytes(const QString &code)
{
    return QByteArray(reinterpret_cast<const char *>(code.utf16()), code.size() * 2);
}

// The recordset as it comes back from its recordset file (real file bytes).
TRecordset ThroughFile(const QList<TRecordField> &fields, const TRows &rows)
{
    TRecordset set(fields);
    for (const auto &row : rows)
        set.AddRow(row);
    QTemporaryDir dir;
    const QString file = dir.filePath(u"T.adtg"_s);
    SaveAdtgFile(set, file);
    TRecordset loaded;
    OpenRecordsetFile(loaded, file);
    return loaded;
}

// Dossier-like rows: KSH, XM, CJ.
TRecordset Dossiers(const TRows &rows)
{
    return ThroughFile({Text(u"KSH"_s, 14), Text(u"XM"_s, 20), Number(u"CJ"_s)}, rows);
}

QStringList PrimaryKey(TSqlConnection &conn, const QString &table)
{
    QStringList key;
    for (const TSqlFieldDef &f : conn.GetColumns(table)) {
        if (f.PrimaryKeyPart > 0)
            key.append(f.Name);
    }
    return key;
}

QString ErrorOf(const std::function<void()> &work)
{
    try {
        work();
    } catch (const EZKError &e) {
        return e.Message();
    }
    return u"(no error)"_s;
}

} // namespace

class TestTableTools : public QObject
{
    Q_OBJECT

private slots:
    void columnTypes_data();
    void columnTypes();
    void createsMissingTableWithKey();
    void createStatementWithoutKey_data();
    void createStatementWithoutKey();
    void existingTableKeepsItsColumns();
    void hiddenColumnsAreNotCopied();
    void missingKeyFieldMeansNoKeyAndNoUpdates();
    void replaceModeEmptiesTableEvenForEmptySource();
    void duplicateKeys_data();
    void duplicateKeys();
    void mergeKeyComparesCaseSensitively();
    void mergeByCompositeKeys_data();
    void mergeByCompositeKeys();
    void deleteSourceEmptiesRecordsetAndReportsProgress();
    void filterSelectsRowsAndEmptyFilterCreatesEmptyTable();
    void binaryCodeColumns_data();
    void binaryCodeColumns();
    void mergeLocatesByRightAlignedBinaryKey();
    void valuesTakeTheirColumnsForm();
    void textsAreStoredAsTheDatabaseConvertsThem();
    void autoIncrementFieldBecomesCounter();
    void connectionStateIsGivenBack();
    void failedLoadLeavesTableAsBefore();
    void loadInsideCallersTransactionDoesNotCommit();
    void keyNamesSplitAtSeparators();
    void openRecordsetFileErrors();
    void recordsetFilesReadAhead();
    void backupAndRestore();
    void restoreFillsMissingColumnsWithDefaults();
    void modifyTableByKeys();
    void modifyTableWithoutKeysUpdatesEveryRow();
    void tableOperationErrorsNameTheOperation_data();
    void tableOperationErrorsNameTheOperation();
    void hostileColumnNamesAreRefused_data();
    void hostileColumnNamesAreRefused();
    void keywordColumnNamesWorkQuoted();
    void restoreAndModifyRefuseHostileColumns();
    void varBytesOrMemoText();
};

void TestTableTools::columnTypes_data()
{
    QTest::addColumn<TRecordField>("field");
    QTest::addColumn<QString>("type");
    const int nullable = TRecordField::foNullable;
    QTest::newRow("wide text") << Text(u"A"_s, 20) << u"text(20) with comp"_s;
    QTest::newRow("text of 255") << Text(u"A"_s, 255) << u"text(255) with comp"_s;
    QTest::newRow("text of 256") << Text(u"A"_s, 256) << u"text with comp"_s;
    QTest::newRow("fixed multi-byte text")
        << TRecordField::Define(u"A"_s, DBTYPE_STR, 14, nullable | TRecordField::foFixedLength)
        << u"text(14) with comp"_s;
    QTest::newRow("memo") << TRecordField::Define(u"A"_s, DBTYPE_WSTR, 0, nullable | TRecordField::foLong)
                          << u"text with comp"_s;
    QTest::newRow("16-bit") << Number(u"A"_s, DBTYPE_I2) << u"short"_s;
    QTest::newRow("32-bit") << Number(u"A"_s, DBTYPE_I4) << u"long"_s;
    QTest::newRow("boolean") << Number(u"A"_s, DBTYPE_BOOL) << u"bin"_s;
    QTest::newRow("double") << Number(u"A"_s, DBTYPE_R8) << u"double"_s;
    QTest::newRow("single") << Number(u"A"_s, DBTYPE_R4) << u"double"_s;
    QTest::newRow("currency") << Number(u"A"_s, DBTYPE_CY) << u"double"_s;
    QTest::newRow("numeric") << TRecordField::Define(u"A"_s, DBTYPE_NUMERIC, 0, nullable, 10, 2)
                             << u"double"_s;
    QTest::newRow("date") << Number(u"A"_s, DBTYPE_DATE) << u"datetime"_s;
    QTest::newRow("time stamp") << Number(u"A"_s, DBTYPE_DBTIMESTAMP) << u"datetime"_s;
    QTest::newRow("db date") << Number(u"A"_s, DBTYPE_DBDATE) << u"datetime"_s;
    QTest::newRow("bytes") << Code(u"A"_s, 2) << u"binary(2)"_s;
    QTest::newRow("long bytes") << TRecordField::Define(u"A"_s, DBTYPE_BYTES, 0,
                                                        nullable | TRecordField::foLong)
                                << u"longbinary"_s;
}

void TestTableTools::columnTypes()
{
    QFETCH(TRecordField, field);
    QFETCH(QString, type);
    QCOMPARE(ColumnTypeForField(field), type);
}

void TestTableTools::createsMissingTableWithKey()
{
    TSqlTestDb db;
    TRecordset set = ThroughFile({Text(u"KSH"_s, 14), Code(u"PCDM"_s, 2), Text(u"XM"_s, 20), Number(u"CJ"_s),
                                  Number(u"ZT"_s, DBTYPE_I2)},
                                 {{u"1001"_s, CodeBytes(u"1"_s), u"张三"_s, 601.5, 1},
                                  {u"1002"_s, CodeBytes(u"2"_s), u"李四"_s, TDbValue(), 2}});
    QCOMPARE(CreateTableStatement(set, u"T_X"_s, {u"KSH"_s}),
             u"create table T_X ([KSH] text(14) with comp,[PCDM] binary(2),[XM] text(20) with comp,[CJ] double,"
             "[ZT] short,primary key ([KSH]))"_s);

    QVERIFY(CopyDataSetToTable(set, db.Conn(), u"T_X"_s, u"KSH"_s, {}));
    QCOMPARE(PrimaryKey(db.Conn(), u"T_X"_s), QStringList{u"KSH"_s});
    QCOMPARE(ParseDeclaredType(db.Conn().GetColumns(u"T_X"_s).at(1).DeclaredType).Kind,
             TSqlFieldKind::BinaryCode);
    QCOMPARE(db.Rows(u"select * from T_X order by KSH"_s),
             QStringList({u"1001|1|张三|601.5|1"_s, u"1002|2|李四|NULL|2"_s}));
    // The source stays as it was without ctoDeleteSource.
    QCOMPARE(set.RecordCount(), 2);
}

void TestTableTools::createStatementWithoutKey_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("statement");
    const QString columns = u"create table T ([KSH] text(14) with comp,[CJXDM] text(2) with comp"_s;
    QTest::newRow("no keys") << QString() << columns + u")"_s;
    QTest::newRow("a key that is no field") << u"KSH;NOPE"_s << columns + u")"_s;
    QTest::newRow("two keys as written") << u" ksh ;cjxdm"_s << columns + u",primary key ([ksh],[cjxdm]))"_s;
}

void TestTableTools::createStatementWithoutKey()
{
    QFETCH(QString, keys);
    QFETCH(QString, statement);
    const TRecordset set = ThroughFile({Text(u"KSH"_s, 14), Text(u"CJXDM"_s, 2)}, {});
    QCOMPARE(CreateTableStatement(set, u"T"_s, SplitKeyNames(keys)), statement);
}

void TestTableTools::existingTableKeepsItsColumns()
{
    TSqlTestDb db;
    TRecordset first = Dossiers({{u"1001"_s, u"张三"_s, 600}});
    CopyDataSetToTable(first, db.Conn(), u"T_TDD"_s, u"KSH"_s, {});
    // A later recordset with an extra column and in another column order.
    TRecordset second =
        ThroughFile({Number(u"CJ"_s), Text(u"NEW"_s, 5), Text(u"KSH"_s, 14)}, {{610, u"x"_s, u"1002"_s}});
    CopyDataSetToTable(second, db.Conn(), u"T_TDD"_s, u"KSH"_s, ctoMerge);
    QCOMPARE(db.Conn().GetColumns(u"T_TDD"_s).size(), 3);
    // XM has no source field: not written.
    QCOMPARE(db.Rows(u"select * from T_TDD order by KSH"_s),
             QStringList({u"1001|张三|600"_s, u"1002|NULL|610"_s}));
}

// A column that the recordset's cursor added for itself is no field of the recordset.
void TestTableTools::hiddenColumnsAreNotCopied()
{
    TSqlTestDb db;
    TRecordField hidden = Text(u"H"_s, 5);
    hidden.Hidden = true;
    TRecordset source = ThroughFile({Text(u"KSH"_s, 14), hidden}, {{u"1001"_s, u"x"_s}});
    CopyDataSetToTable(source, db.Conn(), u"T"_s, u"KSH"_s, {});
    QCOMPARE(db.Conn().GetColumns(u"T"_s).size(), 1);
    db.Exec({u"create table T2 (KSH text(14), H text(5))"_s});
    CopyDataSetToTable(source, db.Conn(), u"T2"_s, u"KSH"_s, {});
    QCOMPARE(db.Rows(u"select * from T2"_s), QStringList{u"1001|NULL"_s});
}

void TestTableTools::missingKeyFieldMeansNoKeyAndNoUpdates()
{
    TSqlTestDb db;
    TRecordset first = Dossiers({{u"1001"_s, u"张三"_s, 600}});
    CopyDataSetToTable(first, db.Conn(), u"T"_s, u"KSH;NOPE"_s, {});
    QVERIFY(PrimaryKey(db.Conn(), u"T"_s).isEmpty());
    TRecordset second = Dossiers({{u"1001"_s, u"张三"_s, 650}});
    CopyDataSetToTable(second, db.Conn(), u"T"_s, u"KSH;NOPE"_s, ctoMerge);
    QCOMPARE(db.Rows(u"select CJ from T order by CJ"_s), QStringList({u"600"_s, u"650"_s}));
}

void TestTableTools::replaceModeEmptiesTableEvenForEmptySource()
{
    TSqlTestDb db;
    TRecordset rows = Dossiers({{u"1001"_s, u"张三"_s, 600}, {u"1002"_s, u"李四"_s, 500}});
    CopyDataSetToTable(rows, db.Conn(), u"T"_s, u"KSH"_s, {});
    TRecordset empty = Dossiers({});
    QVERIFY(CopyDataSetToTable(empty, db.Conn(), u"T"_s, u"KSH"_s, {}));
    QCOMPARE(db.Scalar(u"select count(*) from T"_s).toInt(), 0);
}

void TestTableTools::duplicateKeys_data()
{
    QTest::addColumn<int>("options");
    QTest::addColumn<QStringList>("expected");
    // The table holds 1001 (600) before; the source has 1002 twice and 1001 once.
    QTest::newRow("replace: first wins") << 0 << QStringList({u"1001|610"_s, u"1002|500"_s});
    QTest::newRow("merge: last wins, old row updated")
        << int(ctoMerge) << QStringList({u"1001|610"_s, u"1002|520"_s});
}

void TestTableTools::duplicateKeys()
{
    QFETCH(int, options);
    QFETCH(QStringList, expected);
    TSqlTestDb db;
    TRecordset before = Dossiers({{u"1001"_s, u"张三"_s, 600}});
    CopyDataSetToTable(before, db.Conn(), u"T"_s, u"KSH"_s, {});
    TRecordset source =
        Dossiers({{u"1002"_s, u"李四"_s, 500}, {u"1001"_s, u"张三"_s, 610}, {u"1002"_s, u"李四"_s, 520}});
    QVERIFY(CopyDataSetToTable(source, db.Conn(), u"T"_s, u"KSH"_s, TCopyTableOptions::fromInt(options)));
    QCOMPARE(db.Rows(u"select KSH, CJ from T order by KSH"_s), expected);
}

void TestTableTools::mergeKeyComparesCaseSensitively()
{
    TSqlTestDb db;
    TRecordset before = ThroughFile({Text(u"K"_s, 5), Number(u"V"_s)}, {{u"ABC"_s, 1}});
    CopyDataSetToTable(before, db.Conn(), u"T"_s, u"K"_s, {});
    // "abc" cannot be added beside "ABC" (keys ignore case), and the exact key is not
    // there: the row is dropped, the existing row is left alone.
    TRecordset source = ThroughFile({Text(u"K"_s, 5), Number(u"V"_s)}, {{u"abc"_s, 2}, {u"ABC"_s, 3}});
    CopyDataSetToTable(source, db.Conn(), u"T"_s, u"K"_s, ctoMerge);
    QCOMPARE(db.Rows(u"select * from T"_s), QStringList{u"ABC|3"_s});
}

void TestTableTools::mergeByCompositeKeys_data()
{
    QTest::addColumn<TRecordField>("second");
    QTest::addColumn<TDbValue>("value");
    QTest::addColumn<TDbValue>("other");
    QTest::newRow("date") << Number(u"QSRQ"_s, DBTYPE_DBTIMESTAMP)
                          << TDbValue(TDbTimeStamp{2001, 9, 1, 0, 0, 0, 0})
                          << TDbValue(TDbTimeStamp{2001, 9, 1, 0, 0, 1, 0});
    QTest::newRow("integer") << Number(u"QSRQ"_s, DBTYPE_I4) << TDbValue(3) << TDbValue(4);
    QTest::newRow("double") << Number(u"QSRQ"_s, DBTYPE_R8) << TDbValue(2.5) << TDbValue(2.25);
    QTest::newRow("binary code") << Code(u"QSRQ"_s, 4) << TDbValue(CodeBytes(u"1"_s))
                                 << TDbValue(CodeBytes(u"2"_s));
    QTest::newRow("null binary code (all spaces)")
        << Code(u"QSRQ"_s, 4) << TDbValue() << TDbValue(CodeBytes(u"2"_s));
}

// The later row of the same composite key updates the first one, whatever the kind of
// the key columns; another value of the second key adds a row.
void TestTableTools::mergeByCompositeKeys()
{
    QFETCH(TRecordField, second);
    QFETCH(TDbValue, value);
    QFETCH(TDbValue, other);
    TSqlTestDb db;
    TRecordset source =
        ThroughFile({Text(u"KSH"_s, 14), second, Text(u"JL"_s, 10)},
                    {{u"1001"_s, value, u"a"_s}, {u"1001"_s, other, u"b"_s}, {u"1001"_s, value, u"c"_s}});
    CopyDataSetToTable(source, db.Conn(), u"T_KSJL"_s, u"KSH;QSRQ"_s, ctoMerge);
    QCOMPARE(db.Rows(u"select JL from T_KSJL order by JL"_s), QStringList({u"b"_s, u"c"_s}));
}

void TestTableTools::deleteSourceEmptiesRecordsetAndReportsProgress()
{
    TSqlTestDb db;
    TRecordset source =
        Dossiers({{u"1001"_s, u"张三"_s, 600}, {u"1001"_s, u"张三"_s, 601}, {u"1002"_s, u"李四"_s, 500}});
    QStringList progress;
    CopyDataSetToTable(source, db.Conn(), u"T"_s, u"KSH"_s, ctoMerge | ctoDeleteSource,
                       [&] { progress.append(db.Scalar(u"select count(*) from T"_s).toString()); });
    // One call after each source row, the dropped row included.
    QCOMPARE(progress, QStringList({u"1"_s, u"1"_s, u"2"_s}));
    QVERIFY(source.IsEmpty());
    QCOMPARE(source.StoredRowCount(), 3); // pending deletes
    QCOMPARE(db.Rows(u"select KSH, CJ from T order by KSH"_s), QStringList({u"1001|601"_s, u"1002|500"_s}));
}

void TestTableTools::filterSelectsRowsAndEmptyFilterCreatesEmptyTable()
{
    TSqlTestDb db;
    TRecordset source = Dossiers({{u"1001"_s, u"张三"_s, 600}, {u"1002"_s, u"李四"_s, 500}});
    source.SetFilter(u"ksh = ''"_s);
    CopyDataSetToTable(source, db.Conn(), u"T_TDD"_s, u"KSH"_s, {});
    QCOMPARE(PrimaryKey(db.Conn(), u"T_TDD"_s), QStringList{u"KSH"_s});
    QCOMPARE(db.Scalar(u"select count(*) from T_TDD"_s).toInt(), 0);

    source.SetFilter(u"KSH='1002'"_s);
    CopyDataSetToTable(source, db.Conn(), u"T_TDD"_s, u"KSH"_s, ctoMerge | ctoDeleteSource);
    QCOMPARE(db.Rows(u"select KSH from T_TDD"_s), QStringList{u"1002"_s});
    source.SetFilter(QString());
    QCOMPARE(source.RecordCount(), 1);
}

void TestTableTools::binaryCodeColumns_data()
{
    QTest::addColumn<TRecordField>("sourceField");
    QTest::addColumn<TDbValue>("value");
    QTest::addColumn<QString>("stored");
    const TRecordField text = Text(u"DM"_s, 10);
    const TRecordField bytes = Code(u"DM"_s, 6);
    QTest::newRow("one character") << text << TDbValue(u"1"_s) << u" 1"_s;
    QTest::newRow("full width") << text << TDbValue(u"12"_s) << u"12"_s;
    QTest::newRow("longer text kept whole") << text << TDbValue(u"123"_s) << u"123"_s;
    QTest::newRow("text keeps its spaces") << text << TDbValue(u" 1 "_s) << u" 1 "_s;
    QTest::newRow("binary: up to NUL, without leading spaces")
        << bytes << TDbValue(QByteArray(CodeBytes(u" A"_s) + QByteArray(2, '\0'))) << u" A"_s;
    QTest::newRow("binary: wider code") << bytes << TDbValue(CodeBytes(u"  7"_s)) << u" 7"_s;
    QTest::newRow("number") << Number(u"DM"_s, DBTYPE_I4) << TDbValue(5) << u" 5"_s;
    QTest::newRow("null is all spaces") << text << TDbValue() << u"  "_s;
}

// A binary code column of 4 bytes holds two characters, right-aligned.
void TestTableTools::binaryCodeColumns()
{
    QFETCH(TRecordField, sourceField);
    QFETCH(TDbValue, value);
    QFETCH(QString, stored);
    TSqlTestDb db;
    db.Exec({u"create table T (DM binary(4))"_s});
    TRecordset source = ThroughFile({sourceField}, {{value}});
    CopyDataSetToTable(source, db.Conn(), u"T"_s, QString(), {});
    QCOMPARE(db.Scalar(u"select DM from T"_s).toString(), stored);
    QCOMPARE(db.Scalar(u"select typeof(DM) from T"_s).toString(), u"text"_s);
}

void TestTableTools::mergeLocatesByRightAlignedBinaryKey()
{
    TSqlTestDb db;
    db.Exec(
        {u"create table T_KLJHXZZT (PCDM binary(4), KLDM binary(2), ZT text(1), primary key (PCDM, KLDM))"_s,
         u"insert into T_KLJHXZZT values (\" 1\", \"5\", \"0\")"_s,
         u"insert into T_KLJHXZZT values (\" 2\", \"5\", \"0\")"_s});
    TRecordset source = ThroughFile(
        {Code(u"PCDM"_s, 2), Code(u"KLDM"_s, 2), Text(u"ZT"_s, 1)},
        {{CodeBytes(u"1"_s), CodeBytes(u"5"_s), u"1"_s}, {CodeBytes(u"3"_s), CodeBytes(u"5"_s), u"1"_s}});
    CopyDataSetToTable(source, db.Conn(), u"T_KLJHXZZT"_s, u"PCDM;KLDM"_s, ctoMerge);
    QCOMPARE(db.Rows(u"select PCDM, KLDM, ZT from T_KLJHXZZT order by PCDM"_s),
             QStringList({u" 1|5|1"_s, u" 2|5|0"_s, u" 3|5|1"_s}));
}

void TestTableTools::valuesTakeTheirColumnsForm()
{
    TSqlTestDb db;
    db.Exec({u"create table T (A text(10), B double, C long, D datetime, E bin, F text(10), G datetime,"
             " H longbinary, I short)"_s});
    TDbTimeStamp stamp{2024, 7, 15, 8, 30, 5, 250000000};
    TRecordset source = ThroughFile(
        {Number(u"A"_s, DBTYPE_R8), Text(u"B"_s, 10), Text(u"C"_s, 10), Number(u"D"_s, DBTYPE_DBTIMESTAMP),
         Text(u"E"_s, 5), Number(u"F"_s, DBTYPE_BOOL), Text(u"G"_s, 20), Text(u"H"_s, 5), Text(u"I"_s, 4)},
        {{600.5, u"12.25"_s, u"42"_s, stamp, u"True"_s, true, u"2001-09-01"_s, u"ab"_s, u" "_s}});
    CopyDataSetToTable(source, db.Conn(), u"T"_s, QString(), {});
    TSqlQuery q(&db.Conn());
    q.SetSQL(u"select A, B, C, D, E, F, G, H, I, typeof(B), typeof(C) from T"_s);
    q.Open();
    QCOMPARE(q.Value(0).toString(), u"600.5"_s);
    QCOMPARE(q.Value(1).toDouble(), 12.25);
    QCOMPARE(q.Value(2).toInt(), 42);
    QCOMPARE(q.Value(3).toDateTime(), QDateTime(QDate(2024, 7, 15), QTime(8, 30, 5, 250)));
    QCOMPARE(q.Value(4).toBool(), true);
    QCOMPARE(q.Value(5).toString(), u"True"_s);
    QCOMPARE(q.Value(6).toDateTime(), QDateTime(QDate(2001, 9, 1), QTime(0, 0)));
    QCOMPARE(q.Value(7).toByteArray(), CodeBytes(u"ab"_s));
    QVERIFY(q.Value(8).isNull()); // a blank text in a number column
    QCOMPARE(q.Value(9).toString(), u"real"_s);
    QCOMPARE(q.Value(10).toString(), u"integer"_s);
}

// Every text reaches the table with the bytes SQLite's own conversion of its UTF-16
// gives: plain, accented and Chinese texts, characters beyond the BMP, a surrogate
// without its partner, an embedded NUL, the empty text, a leading character SQLite would
// take for a byte order mark (kept as a character); a repeated day number keeps
// its text in a merge too.
void TestTableTools::textsAreStoredAsTheDatabaseConvertsThem()
{
    const QString texts[] = {u"KS001"_s,
                             u"Zoë café"_s,
                             u"张三丰"_s,
                             QString(u"𠀀𪚥 x"_s),
                             QString(u"a"_s + QChar(0xD800) + u"b"_s),
                             QString(QChar(0xDC00)),
                             QString(u"a"_s + QChar(0) + u"b"_s),
                             QString(),
                             QString(QChar(0xFFFF)) + QChar(0x07FF) + QChar(0x0800),
                             QString(QChar(0xFEFF)) + u"x"_s,
                             QString(QChar(0xFFFE)) + u"𪚥"_s};
    TRows rows;
    int id = 0;
    for (const QString &text : texts)
        rows.append({u"%1"_s.arg(++id), text, TOleDate{36000.25}});
    TRecordset source =
        ThroughFile({Text(u"ID"_s, 4), Text(u"A"_s, 20), Number(u"D"_s, DBTYPE_DATE)}, rows);
    TSqlTestDb db;
    CopyDataSetToTable(source, db.Conn(), u"T"_s, u"ID"_s, {});
    CopyDataSetToTable(source, db.Conn(), u"T"_s, u"ID"_s, ctoMerge);
    TSqlQuery stored(&db.Conn());
    stored.SetSQL(u"select hex(A), D from T order by rowid"_s);
    stored.Open();
    TSqlQuery converted(&db.Conn());
    converted.SetSQL(u"select hex(:TEXT)"_s);
    for (const QString &text : texts) {
        QVERIFY(!stored.Eof());
        converted.SetParam(u"TEXT"_s, text);
        converted.Open();
        QCOMPARE(stored.Value(0).toString(), converted.Value(0).toString());
        converted.Close();
        QCOMPARE(stored.Value(1).toDateTime(), QDateTime(QDate(1998, 7, 24), QTime(6, 0)));
        stored.Next();
    }
    QVERIFY(stored.Eof());
}

void TestTableTools::autoIncrementFieldBecomesCounter()
{
    TRecordField id = Number(u"ID"_s, DBTYPE_I4);
    id.AutoIncrement = true;
    const TRecordset set = ThroughFile({id, Text(u"A"_s, 5)}, {{7, u"x"_s}});
    QVERIFY(set.Field(0).AutoIncrement);
    QCOMPARE(CreateTableStatement(set, u"T"_s, {}), u"create table T ([ID] counter,[A] text(5) with comp)"_s);
}

void TestTableTools::connectionStateIsGivenBack()
{
    TSqlTestDb db;
    db.Conn().Close();
    TRecordset source = Dossiers({{u"1001"_s, u"张三"_s, 600}});
    CopyDataSetToTable(source, db.Conn(), u"T"_s, u"KSH"_s, {});
    QVERIFY(!db.Conn().Connected());
    db.Conn().Open();
    CopyDataSetToTable(source, db.Conn(), u"T"_s, u"KSH"_s, ctoMerge);
    QVERIFY(db.Conn().Connected());
    QCOMPARE(db.Scalar(u"select count(*) from T"_s).toInt(), 1);
}

void TestTableTools::failedLoadLeavesTableAsBefore()
{
    TSqlTestDb db;
    db.Exec({u"create table T (KSH text(14), N long, primary key (KSH))"_s,
             u"insert into T values (\"old\", 1)"_s});
    TRecordset source =
        ThroughFile({Text(u"KSH"_s, 14), Text(u"N"_s, 5)}, {{u"1001"_s, u"2"_s}, {u"1002"_s, u"x"_s}});
    const QString error = ErrorOf([&] { CopyDataSetToTable(source, db.Conn(), u"T"_s, u"KSH"_s, {}); });
    QVERIFY2(error.contains(u"field N"_s), qPrintable(error));
    // The delete of the old rows and the first row are undone; no transaction is left open.
    QCOMPARE(db.Rows(u"select * from T"_s), QStringList{u"old|1"_s});
    QVERIFY(!db.Conn().InTransaction());
    // The source keeps every row even when the load was to delete them.
    QVERIFY_THROWS_EXCEPTION(
        EZKError, CopyDataSetToTable(source, db.Conn(), u"T"_s, u"KSH"_s, ctoMerge | ctoDeleteSource));
    QCOMPARE(source.RecordCount(), 2);

    // A created table goes as well (here the progress call fails).
    const auto failing = [] { throw EZKError(u"stopped"_s); };
    QVERIFY_THROWS_EXCEPTION(EZKError,
                             CopyDataSetToTable(source, db.Conn(), u"T_NEW"_s, u"KSH"_s, {}, failing));
    QVERIFY(!db.Conn().TableExists(u"T_NEW"_s));
}

void TestTableTools::loadInsideCallersTransactionDoesNotCommit()
{
    TSqlTestDb db;
    TRecordset source = Dossiers({{u"1001"_s, u"张三"_s, 600}});
    db.Conn().BeginTrans();
    CopyDataSetToTable(source, db.Conn(), u"T"_s, u"KSH"_s, {});
    QCOMPARE(db.Conn().TransactionLevel(), 1);
    QCOMPARE(db.Scalar(u"select count(*) from T"_s).toInt(), 1);
    // A load that fails takes back only its own part; the caller's transaction stays open.
    TRecordset more = Dossiers({{u"1002"_s, u"李四"_s, 500}});
    QVERIFY_THROWS_EXCEPTION(EZKError, CopyDataSetToTable(more, db.Conn(), u"T"_s, u"KSH"_s, {},
                                                          [] { throw EZKError(u"stopped"_s); }));
    QCOMPARE(db.Conn().TransactionLevel(), 1);
    QCOMPARE(db.Rows(u"select KSH from T"_s), QStringList{u"1001"_s});
    db.Conn().RollbackTrans();
    QVERIFY(!db.Conn().TableExists(u"T"_s));
}

void TestTableTools::keyNamesSplitAtSeparators()
{
    QCOMPARE(SplitKeyNames(u"KSH;QSRQ ZJRQ\t\r\nX;;"_s),
             QStringList({u"KSH"_s, u"QSRQ"_s, u"ZJRQ"_s, u"X"_s}));
    QVERIFY(SplitKeyNames(u" ; "_s).isEmpty());
}

void TestTableTools::openRecordsetFileErrors()
{
    TRecordset set = Dossiers({{u"1001"_s, u"张三"_s, 600}});
    QTemporaryDir dir;
    const QString missing = dir.filePath(u"none.adtg"_s);
    QVERIFY_THROWS_EXCEPTION(EZKError, OpenRecordsetFile(set, missing));
    QCOMPARE(set.FieldCount(), 0);
}

// Files read on the reader's thread come out as OpenRecordsetFile gives them, in any
// order of taking; a file that cannot be read throws when it is taken, and the others
// are still there. A file taken again, or never given, is read on the spot.
void TestTableTools::recordsetFilesReadAhead()
{
    QTemporaryDir dir;
    QStringList files;
    for (int n = 0; n < 3; ++n) {
        TRecordset set({Text(u"KSH"_s, 14), Number(u"CJ"_s)});
        for (int i = 0; i < 1000 * (n + 1); ++i)
            set.AddRow({TDbValue(u"%1%2"_s.arg(n).arg(i, 6, 10, QChar(u'0'))), TDbValue(double(i))});
        files.append(dir.filePath(u"T%1.adtg"_s.arg(n)));
        SaveAdtgFile(set, files.last());
    }
    QFile broken(dir.filePath(u"broken.adtg"_s));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a recordset");
    broken.close();
    auto text = [](const TRecordset &set) {
        QStringList rows;
        for (int i = 0; i < set.StoredRowCount(); ++i)
            rows.append(set.StoredRow(i).Values.at(0).AsString() + u'|' +
                        set.StoredRow(i).Values.at(1).AsString());
        return rows;
    };
    auto opened = [&](const QString &file) {
        TRecordset set;
        OpenRecordsetFile(set, file);
        return set;
    };
    {
        TRecordsetReadAhead ahead({files[0], broken.fileName(), files[1], files[2]});
        const TRecordset second = ahead.Take(files[1]);
        QCOMPARE(text(second), text(opened(files[1])));
        QCOMPARE(second.RecNo(), 1);
        QVERIFY_THROWS_EXCEPTION(EZKError, ahead.Take(broken.fileName()));
        QCOMPARE(text(ahead.Take(files[0])), text(opened(files[0])));
        QCOMPARE(text(ahead.Take(files[0])), text(opened(files[0])));
        QVERIFY_THROWS_EXCEPTION(EZKError, ahead.Take(dir.filePath(u"none.adtg"_s)));
    } // files[2] is never taken: the reader ends without it
    {
        // A reader dropped at once leaves the files to be deleted.
        TRecordsetReadAhead ahead(files);
    }
    for (const QString &file : files)
        QVERIFY(QFile::remove(file));
}

void TestTableTools::backupAndRestore()
{
    TSqlTestDb db;
    db.Exec({u"create table T (K text(5), V long, primary key (K))"_s, u"insert into T values (\"a\", 1)"_s,
             u"insert into T values (\"b\", 2)"_s});
    BackupTable(db.Conn(), u"T"_s);
    db.Exec({u"drop table T"_s, u"create table T (K text(5), V long, W text(3), primary key (K))"_s,
             u"insert into T values (\"c\", 3, \"z\")"_s});
    RestoreTable(db.Conn(), u"T"_s);
    QCOMPARE(db.Rows(u"select * from T order by K"_s), QStringList({u"a|1|NULL"_s, u"b|2|NULL"_s}));
    QVERIFY(!db.Conn().TableExists(u"T_tmp"_s));
}

void TestTableTools::restoreFillsMissingColumnsWithDefaults()
{
    TSqlTestDb db;
    db.Exec({u"create table T (K text(5), V long)"_s, u"insert into T values (\"a\", 1)"_s});
    BackupTable(db.Conn(), u"T"_s);
    db.Exec({u"drop table T"_s, u"create table T (ZT text(1) default \"0\", K text(5), N counter)"_s});
    RestoreTable(db.Conn(), u"T"_s);
    QCOMPARE(db.Rows(u"select ZT, K, N from T"_s), QStringList{u"0|a|1"_s});
}

void TestTableTools::modifyTableByKeys()
{
    TSqlTestDb db;
    db.Exec({u"create table T (PCDM binary(2), KLDM binary(2), DQTDDBH long, ZT text(1), X text(1))"_s,
             u"insert into T values (\"1\", \"5\", 7, \"2\", \"p\")"_s,
             u"insert into T values (\"2\", \"5\", 3, \"1\", \"q\")"_s});
    BackupTable(db.Conn(), u"T"_s);
    db.Exec({u"update T set DQTDDBH = 0, ZT = \"0\", X = \"-\""_s, u"delete from T where PCDM = \"2\""_s,
             u"insert into T values (\"3\", \"5\", 0, \"0\", \"-\")"_s});
    ModifyTable(db.Conn(), u"T"_s, {u"DQTDDBH"_s, u"ZT"_s}, {u"PCDM"_s, u"KLDM"_s});
    QCOMPARE(db.Rows(u"select * from T order by PCDM"_s), QStringList({u"1|5|7|2|-"_s, u"3|5|0|0|-"_s}));
    QVERIFY(!db.Conn().TableExists(u"T_tmp"_s));
}

void TestTableTools::modifyTableWithoutKeysUpdatesEveryRow()
{
    TSqlTestDb db;
    db.Exec({u"create table T (K text(1), V long)"_s, u"insert into T values (\"a\", 9)"_s});
    BackupTable(db.Conn(), u"T"_s);
    db.Exec({u"update T set V = 0"_s, u"insert into T values (\"b\", 0)"_s});
    ModifyTable(db.Conn(), u"T"_s, {u"V"_s}, {});
    QCOMPARE(db.Rows(u"select * from T order by K"_s), QStringList({u"a|9"_s, u"b|9"_s}));
}

void TestTableTools::tableOperationErrorsNameTheOperation_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("backup of a missing table") << u"backup missing"_s << u"(BackupTable T_NONE) "_s;
    QTest::newRow("second backup") << u"backup twice"_s << u"(BackupTable T) "_s;
    QTest::newRow("restore without backup") << u"restore"_s << u"(RestoreTable T) "_s;
    QTest::newRow("modify without backup") << u"modify"_s << u"(ModifyTable T) "_s;
    QTest::newRow("modify of an unknown column") << u"modify column"_s << u"(ModifyTable T) "_s;
}

void TestTableTools::tableOperationErrorsNameTheOperation()
{
    QFETCH(QString, operation);
    QFETCH(QString, prefix);
    TSqlTestDb db;
    db.Exec({u"create table T (K text(1), V long)"_s, u"insert into T values (\"a\", 9)"_s});
    TSqlConnection &conn = db.Conn();
    const QString error = ErrorOf([&] {
        if (operation == u"backup missing"_s) {
            BackupTable(conn, u"T_NONE"_s);
        } else if (operation == u"backup twice"_s) {
            BackupTable(conn, u"T"_s);
            BackupTable(conn, u"T"_s);
        } else if (operation == u"restore"_s) {
            RestoreTable(conn, u"T"_s);
        } else if (operation == u"modify"_s) {
            ModifyTable(conn, u"T"_s, {u"V"_s}, {u"K"_s});
        } else {
            BackupTable(conn, u"T"_s);
            ModifyTable(conn, u"T"_s, {u"NOPE"_s}, {u"K"_s});
        }
    });
    QVERIFY2(error.startsWith(prefix) && error.size() > prefix.size(), qPrintable(error));
    // Nothing of the failed operation stays: the table keeps its row.
    QCOMPARE(db.Rows(u"select * from T"_s), QStringList{u"a|9"_s});
    QVERIFY(!conn.InTransaction());
}

// Column names of a received recordset that could end the name or the statement: the
// whole recordset is refused before any table is made, emptied or written, and nothing
// reaches the engine (an attached file would be created).
void TestTableTools::hostileColumnNamesAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("blank") << u"a b"_s;
    QTest::newRow("double quote") << u"x\"y"_s;
    QTest::newRow("closing bracket") << u"x]"_s;
    QTest::newRow("second statement") << u"a;drop table T"_s;
    QTest::newRow("definition inside") << u"a text, b"_s;
    QTest::newRow("attached file") << u"a in \"evil.mdb\""_s;
    QTest::newRow("bracketed attached file") << u"[a] in \"evil.mdb\""_s;
    QTest::newRow("control character") << u"a\tb"_s;
    QTest::newRow("line break") << u"a\r\nb"_s;
    QTest::newRow("leading digit") << u"1a"_s;
    QTest::newRow("chinese") << u"成绩"_s;
}

void TestTableTools::hostileColumnNamesAreRefused()
{
    QFETCH(QString, name);
    TSqlTestDb db;
    db.Exec({u"create table T (KSH text(14), XM text(20))"_s, u"insert into T values (\"1001\", \"张三\")"_s});
    const QString evil = db.FolderPath() + u"/evil.mdb"_s;
    name.replace(u"evil.mdb"_s, evil);
    TRecordset set = ThroughFile({Text(u"KSH"_s, 14), Text(name, 20)}, {{u"1002"_s, u"李四"_s}});
    QCOMPARE(set.Field(1).Name, name);

    QCOMPARE(ErrorOf([&] { CreateTableStatement(set, u"T_NEW"_s, {u"KSH"_s}); }), IdentifierRefusalText(name));
    QCOMPARE(ErrorOf([&] { CopyDataSetToTable(set, db.Conn(), u"T_NEW"_s, u"KSH"_s, {}); }),
             IdentifierRefusalText(name));
    QVERIFY(!db.Conn().TableExists(u"T_NEW"_s));
    // An existing table is neither emptied nor merged into; the source stays whole.
    for (const TCopyTableOptions options : {TCopyTableOptions(), TCopyTableOptions(ctoMerge | ctoDeleteSource)})
        QCOMPARE(ErrorOf([&] { CopyDataSetToTable(set, db.Conn(), u"T"_s, u"KSH"_s, options); }),
                 IdentifierRefusalText(name));
    QCOMPARE(db.Rows(u"select * from T"_s), QStringList{u"1001|张三"_s});
    QCOMPARE(set.RecordCount(), 1);
    QCOMPARE(db.Conn().GetTableNames(), QStringList{u"T"_s});
    QVERIFY(!QFile::exists(evil));
    QVERIFY(!db.Conn().InTransaction());
}

// Plain names that are words of the statements stay names: they are quoted everywhere a
// table tool writes them.
void TestTableTools::keywordColumnNamesWorkQuoted()
{
    TSqlTestDb db;
    TRecordset set = ThroughFile({Text(u"order"_s, 5), Text(u"primary"_s, 5), Number(u"select"_s, DBTYPE_I4)},
                                 {{u"a"_s, u"x"_s, 1}, {u"b"_s, u"y"_s, 2}});
    QVERIFY(CopyDataSetToTable(set, db.Conn(), u"T"_s, u"order"_s, {}));
    QCOMPARE(PrimaryKey(db.Conn(), u"T"_s), QStringList{u"order"_s});
    QCOMPARE(db.Rows(u"select [order], [primary], [select] from T order by [order]"_s),
             QStringList({u"a|x|1"_s, u"b|y|2"_s}));

    BackupTable(db.Conn(), u"T"_s);
    db.Exec({u"update T set [select] = 0"_s});
    ModifyTable(db.Conn(), u"T"_s, {u"select"_s}, {u"order"_s});
    QCOMPARE(db.Rows(u"select [select] from T order by [order]"_s), QStringList({u"1"_s, u"2"_s}));
    BackupTable(db.Conn(), u"T"_s);
    db.Exec({u"delete from T"_s});
    RestoreTable(db.Conn(), u"T"_s);
    QCOMPARE(db.Rows(u"select [order], [primary], [select] from T order by [order]"_s),
             QStringList({u"a|x|1"_s, u"b|y|2"_s}));
}

// A table that holds a column no loader would have made (an older file, a hand edit): the
// copy back and the column merge refuse it by name and leave table and copy as they were.
void TestTableTools::restoreAndModifyRefuseHostileColumns()
{
    TSqlTestDb db;
    db.Exec({u"create table T (K text(1), [a b] long)"_s, u"insert into T values (\"a\", 9)"_s});
    BackupTable(db.Conn(), u"T"_s);
    const QString refusal = IdentifierRefusalText(u"a b"_s);
    QCOMPARE(ErrorOf([&] { RestoreTable(db.Conn(), u"T"_s); }), u"(RestoreTable T) "_s + refusal);
    QCOMPARE(ErrorOf([&] { ModifyTable(db.Conn(), u"T"_s, {u"a b"_s}, {u"K"_s}); }),
             u"(ModifyTable T) "_s + refusal);
    QCOMPARE(ErrorOf([&] { ModifyTable(db.Conn(), u"T"_s, {u"K"_s}, {u"a b"_s}); }),
             u"(ModifyTable T) "_s + refusal);
    QCOMPARE(db.Rows(u"select * from T"_s), QStringList{u"a|9"_s});
    QVERIFY(db.Conn().TableExists(u"T_tmp"_s));
    QCOMPARE(ErrorOf([&] { BackupTable(db.Conn(), u"T x"_s); }),
             u"(BackupTable T x) "_s + IdentifierRefusalText(u"T x"_s));
}

void TestTableTools::varBytesOrMemoText()
{
    TRecordset set = ThroughFile(
        {Code(u"PCDM"_s, 4),
         TRecordField::Define(u"BZ"_s, DBTYPE_WSTR, 0, TRecordField::foNullable | TRecordField::foLong)},
        {{QByteArray(CodeBytes(u"1"_s) + QByteArray(2, '\0')), u"备注\r\n第二行"_s},
         {TDbValue(), TDbValue()}});
    QString text = u"junk"_s;
    VarBytesOrMemoFieldGetText(set.FieldByName(u"PCDM"), text, true);
    QCOMPARE(text, u"1"_s);
    VarBytesOrMemoFieldGetText(set.FieldByName(u"BZ"), text, false);
    QCOMPARE(text, u"备注\r\n第二行"_s);
    set.Next();
    VarBytesOrMemoFieldGetText(set.FieldByName(u"PCDM"), text, true);
    QCOMPARE(text, QString());
    QCOMPARE(VarBytesOrMemoText(QVariant(CodeBytes(u"12"_s))), u"12"_s);
    QCOMPARE(VarBytesOrMemoText(QVariant(u" 3"_s)), u" 3"_s);
    QCOMPARE(VarBytesOrMemoText(QVariant()), QString());
}

QTEST_GUILESS_MAIN(TestTableTools)
#include "tst_TableTools.moc"
