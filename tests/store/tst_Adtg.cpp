#include "AdtgBuilder.h"
#include "TestSupport.h"
#include "store/Adtg.h"
#include "store/RecordsetJson.h"
#include "store/ZKError.h"

#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TDbValue)
Q_DECLARE_METATYPE(TRecordField)

namespace {

QByteArray RealFile(const char *name)
{
    return zktest::readFile(
        zktest::dataPath(u"adtg-real/ivere27_tablegram_"_s + QLatin1String(name) + u".adtg"_s));
}

TAdtgOptions CodePage(const char *name)
{
    TAdtgOptions o;
    o.CodePage = name;
    return o;
}

QString LoadError(const QByteArray &bytes, const TAdtgOptions &options = {})
{
    try {
        LoadAdtg(bytes, options);
    } catch (const EZKError &e) {
        return e.Message();
    }
    return {};
}

// A one-column, one-row recordset (column not nullable), written; the value's
// bytes are those between the row token and the done token.
QByteArray ValueBytes(const TRecordField &field, const TDbValue &value)
{
    TRecordset set({field});
    set.AddRow({value});
    const QByteArray bytes = SaveAdtg(set);
    const qsizetype row = bytes.lastIndexOf(QByteArray("\xFF\xFF", 2)) + 2; // after the column's IsVisible
    return bytes.mid(row + 1, bytes.size() - row - 2);
}

} // namespace

class TstAdtg : public QObject
{
    Q_OBJECT

private slots:
    void realFilesRead_data();
    void realFilesRead();
    void wideFileRead();
    void adoFilesRebuiltByteForByte_data();
    void adoFilesRebuiltByteForByte();
    void xmlBuiltFileRoundTrips();
    void hierarchicalFileRefused();
    void publishersExample();
    void serverColumnDescriptors_data();
    void serverColumnDescriptors();
    void everyTypeRoundTrips();
    void valueFraming_data();
    void valueFraming();
    void valuesThatDoNotFitAreRefused();
    void pendingChangesRoundTrip();
    void repeatedValuesReadAsWritten();
    void hiddenAndKeyColumns();
    void resultPackageWithoutRows();
    void strCodePages();
    void malformed_data();
    void malformed();
    void everyTruncationRefused();
    void saveFileIsAtomic();
};

void TstAdtg::realFilesRead_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("codePage");
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("types_basic: inserts of I4, BOOL, CY, R8, DATE")
        << QByteArray("types_basic") << QByteArray("GBK")
        << QByteArray(
               R"({"fields":[{"name":"ID","type":3,"size":4,"flags":20},{"name":"FLAG","type":11,"size":2,"flags":20},)"
               R"({"name":"AMOUNT","type":6,"size":8,"flags":20},{"name":"RATIO","type":5,"size":8,"flags":20},)"
               R"({"name":"WHEN_AT","type":7,"size":8,"flags":20}],"rows":[[1,true,"1234.5600",3.14159,"2001-02-03 04:05:06"],)"
               R"([-2,false,"-7.8900",-0.25,"1999-12-31 23:59:58"]]})");
    QTest::newRow("nulls: NULL, empty string, zero")
        << QByteArray("nulls") << QByteArray("GBK")
        << QByteArray(
               R"({"fields":[{"name":"ID","type":3,"size":4,"flags":20},{"name":"MAYBE_TEXT","type":130,"size":40,"flags":36},)"
               R"({"name":"MAYBE_INT","type":3,"size":4,"flags":52}],"rows":[[1,null,null],[2,"",0]]})");
    QTest::newRow("korean STR in code page 949")
        << QByteArray("strings_korean_ansi") << QByteArray("CP949")
        << QByteArray(
               R"({"fields":[{"name":"ID","type":3,"size":4,"flags":20},{"name":"WORD","type":129,"size":80,"flags":36},)"
               R"({"name":"TAIL","type":129,"size":80,"flags":36}],"rows":[[1,"가","각"],[2,"한글","마지막"],[3,"홍길동","끝값"]]})");
    QTest::newRow("NUMERIC(28,10) extremes")
        << QByteArray("flat_Numeric_precision_scale_28_10") << QByteArray("GBK")
        << QByteArray(
               R"({"fields":[{"name":"ID","type":3,"size":4,"flags":20},{"name":"VALUE_FIELD","type":131,"size":19,"flags":52}],)"
               R"("rows":[[1,"-999999999999999999.9999999999"],[2,"-1.0000000001"],[3,"0.0000000000"],)"
               R"([4,"1.0000000001"],[5,"999999999999999999.9999999999"],[6,null]]})");
    QTest::newRow("DBTIMESTAMP boundaries")
        << QByteArray("flat_DBTimeStamp_boundaries") << QByteArray("GBK")
        << QByteArray(
               R"({"fields":[{"name":"ID","type":3,"size":4,"flags":20},{"name":"VALUE_FIELD","type":135,"size":16,"flags":52}],)"
               R"("rows":[[1,"1899-12-30 00:00:00"],[2,"1999-12-31 23:59:58"],[3,"2000-01-01 00:00:01"],)"
               R"([4,"2026-06-12 14:30:15"],[5,"2038-01-19 03:14:07"],[6,null]]})");
    QTest::newRow("built from XML: MAYBENULL only, DECIMAL tag word 0E 00")
        << QByteArray("doc_numeric_type_aliases") << QByteArray("GBK")
        << QByteArray(
               R"({"fields":[{"name":"ID","type":3,"size":4,"flags":80},{"name":"FIXED_14_4","type":130,"size":4294967295,"flags":192},)"
               R"({"name":"CURRENCY_ALIAS","type":6,"size":8,"flags":80},{"name":"DECIMAL_ALIAS","type":14,"size":16,"flags":80},)"
               R"({"name":"NUMBER_DB_CURRENCY","type":6,"size":8,"flags":80},{"name":"NUMBER_DB_DECIMAL","type":14,"size":16,"flags":80},)"
               R"({"name":"NUMBER_DB_NUMERIC","type":131,"size":19,"flags":80}],)"
               R"("rows":[[1,"1000.1234","2000.5678","3000.25","4000.1250","5000.5","6000.7500"],[2,null,null,null,null,null,null]]})");
    // Two deletes (ids 2 and 5) hidden; changes of ids 1 and 3 show their new
    // values; inserts 7 (with a NULL) and 8 last.
    QTest::newRow("all four row operations")
        << QByteArray("multi_changes") << QByteArray("GBK")
        << QByteArray(
               R"({"fields":[{"name":"ID","type":3,"size":4,"flags":20},{"name":"M01_TEXT","type":130,"size":80,"flags":36},)"
               R"({"name":"M02_INT","type":3,"size":4,"flags":52},{"name":"M03_NUM","type":131,"size":19,"flags":52},)"
               R"({"name":"M04_TS","type":135,"size":16,"flags":52},{"name":"M05_BIN","type":128,"size":32,"flags":36},)"
               R"({"name":"M06_BOOL","type":11,"size":2,"flags":52}],"rows":[)"
               R"([1,"r1_p1_한글_<&'>",100,"1001.1234","2001-02-02 01:03:00","0101dead",false],)"
               R"([3,"r3_p2_한글_<&'>",300,"3002.1234","2003-04-04 03:09:00","0302dead",false],)"
               R"([4,"r4_p0_한글_<&'>",400,"4000.1234","2004-05-05 04:12:00","0400dead",true],)"
               R"([6,"r6_p0_한글_<&'>",600,"6000.1234","2006-07-07 06:18:00",null,true],)"
               R"([7,null,703,"7003.1234","2007-11-11 10:21:21","0703dead",true],)"
               R"([8,"r8_p4_한글_<&'>",804,"8004.1234","2008-01-13 12:24:28","0804dead",true]]})");
}

void TstAdtg::realFilesRead()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, codePage);
    QFETCH(QByteArray, json);
    const TRecordset set = LoadAdtg(RealFile(name.constData()), CodePage(codePage.constData()));
    QCOMPARE(QString::fromUtf8(RecordsetToJson(set)), QString::fromUtf8(json));
}

void TstAdtg::wideFileRead()
{
    const TRecordset set = LoadAdtg(RealFile("wide_0129"), CodePage("CP949"));
    QCOMPARE(set.FieldCount(), 129);
    // 1 delete, 1 change, 5 unchanged, 1 insert: 7 rows shown, 8 stored.
    QCOMPARE(set.RecordCount(), 7);
    QCOMPARE(set.StoredRowCount(), 8);
    QCOMPARE(set.StoredRow(0).Status, TRowStatus::Deleted);
    QCOMPARE(set.FieldByName(u"w129_01_char").AsString(), u"r1p1        "_s); // fixed STR(12), as stored
    QCOMPARE(set.FieldByName(u"W129_02_Single").AsString(), u"1.125"_s);
    QCOMPARE(set.FieldByName(u"W129_04_GUID").AsString(), u"{00000000-0000-0000-0000-000000001000}"_s);
    QCOMPARE(set.FieldByName(u"W129_15_LongVarChar").AsString().left(10), u"r1_p1_한글_<"_s);
    QVERIFY(set.FieldByName(u"W129_09_Binary").IsNull());
    QCOMPARE(set.Fields(0).AsInteger(), qint64(1)); // by position
}

void TstAdtg::adoFilesRebuiltByteForByte_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("codePage");
    for (const char *name : {"types_basic", "nulls", "long_text", "multi_changes", "large_fixed_fields",
                             "flat_Numeric_precision_scale_28_10", "flat_DBTimeStamp_boundaries"})
        QTest::newRow(name) << QByteArray(name) << QByteArray("GBK");
    QTest::newRow("strings_korean_ansi") << QByteArray("strings_korean_ansi") << QByteArray("CP949");
    QTest::newRow("wide_0129") << QByteArray("wide_0129") << QByteArray("CP949");
}

void TstAdtg::adoFilesRebuiltByteForByte()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, codePage);
    const QByteArray original = RealFile(name.constData());
    const QByteArray rebuilt =
        SaveAdtg(LoadAdtg(original, CodePage(codePage.constData())), CodePage(codePage.constData()));
    QCOMPARE(rebuilt.toHex(' '), original.toHex(' '));
}

void TstAdtg::xmlBuiltFileRoundTrips()
{
    // Built from XML: its DECIMAL tag words 0E 00 become 00 00, nothing else changes.
    const QByteArray original = RealFile("doc_numeric_type_aliases");
    const TRecordset set = LoadAdtg(original);
    const QByteArray rebuilt = SaveAdtg(set);
    QCOMPARE(rebuilt.size(), original.size());
    QList<qsizetype> differing;
    for (qsizetype i = 0; i < original.size(); ++i) {
        if (original[i] != rebuilt[i])
            differing.append(i);
    }
    QCOMPARE(differing.size(), 2);
    for (qsizetype i : differing)
        QCOMPARE(quint8(original[i]), quint8(0x0E));
    QVERIFY(LoadAdtg(rebuilt).SameContent(set));
}

void TstAdtg::hierarchicalFileRefused()
{
    const QString error = LoadError(RealFile("orders_lines_product_pending_shape"));
    QVERIFY2(error.startsWith(u"hierarchical recordsets are not supported"_s), qPrintable(error));
}

void TstAdtg::publishersExample()
{
    const QByteArray bytes = PublishersExample();
    QCOMPARE(bytes.size(), 744);
    QCOMPARE(bytes.mid(347, 8).toHex(' '), QByteArray("06 45 00 f2 01 00 01 00"));
    QCOMPARE(bytes.mid(707, 2).toHex(' '), QByteArray("07 ff"));
    const TRecordset set = LoadAdtg(bytes);
    QCOMPARE(
        QString::fromUtf8(RecordsetToJson(set)),
        uR"({"fields":[{"name":"pub_id","type":129,"size":4,"flags":32792},{"name":"pub_name","type":129,"size":40,"flags":104},)"
        uR"({"name":"city","type":129,"size":20,"flags":104},{"name":"state","type":129,"size":2,"flags":120},)"
        uR"({"name":"country","type":129,"size":30,"flags":104}],"rows":[["0736","New Moon Books","New York","MA","USA"]]})"_s);
    QVERIFY(set.Field(0).IsKey());
    QVERIFY(!set.Field(1).IsKey());
}

void TstAdtg::serverColumnDescriptors_data()
{
    QTest::addColumn<int>("searchableBytes");
    QTest::addColumn<bool>("friendlyName");
    QTest::newRow("IsSearchable of 2 bytes") << 2 << true;
    QTest::newRow("IsSearchable of 4 bytes") << 4 << true;
    QTest::newRow("no friendly name: the base column name") << 2 << false;
}

void TstAdtg::serverColumnDescriptors()
{
    // Every optional field of a column descriptor, a hidden key column that only
    // the table descriptor names as key, and a visible one.
    QFETCH(int, searchableBytes);
    QFETCH(bool, friendlyName);
    TAdtgBuilder b;
    b.Header().HandlerOptions().ResultDescriptor(1, 2, 1, 1).Context();
    b.Element(0x05, TAdtgBuilder()
                        .U16(1)
                        .LpStr(u"\"db\".\"dbo\".\"T_TDD\""_s)
                        .LpStr(u"T_TDD"_s)
                        .U16(0)
                        .U16(2)
                        .U16(1)
                        .U16(2)
                        .Bytes);
    for (quint16 ordinal : {1, 2}) {
        const QString name = ordinal == 1 ? u"XM"_s : u"KSH"_s;
        TAdtgBuilder c;
        c.U8(friendlyName ? 0xF3 : 0x73).Hex("F1 F8").U16(ordinal);
        if (friendlyName)
            c.LpStr(name);
        c.U16(1).U16(ordinal).LpStr(name);
        c.U16(130).U32(ordinal == 1 ? 20 : 14).U32(255).U32(255).U32(ordinal == 1 ? 0x68 : 0x18);
        c.LpStr(u"db"_s).LpStr(u"dbo"_s).U32(0).U32(0).U32(0).Raw(QByteArray(16, '\0'));
        c.U16(0).U16(0).U16(0).Raw(QByteArray(searchableBytes, '\0')).U16(0).U32(28);
        c.U16(ordinal == 1 ? 0xFFFF : 0); // IsVisible: the key column is hidden
        b.Element(0x06, c.Bytes);
    }
    b.Hex("07 ff 04 20 5f 09 4e 30 00 31 00 32 00 33 00 34 00 35 00 36 00 37 00 38 00 39 00 30 00 31 00 32 "
          "00 33 00 0f");
    const TRecordset set = LoadAdtg(b.Bytes);
    QCOMPARE(set.FieldCount(), 1);
    QCOMPARE(set.Fields(0).Name(), u"XM"_s);
    QCOMPARE(set.Fields(0).AsString(), u"张三"_s);
    QVERIFY(set.Column(1).IsHidden() && set.Column(1).IsKey());
    QCOMPARE(set.Column(1).Name, u"KSH"_s);
    QCOMPARE(set.StoredRow(0).Values[1].AsString(), u"01234567890123"_s);
}

void TstAdtg::everyTypeRoundTrips()
{
    using F = TRecordField;
    TDbDecimal dec = *TDbDecimal::Parse(u"-79228162514264337593543950335");
    TDbDecimal dec28 = *TDbDecimal::Parse(u"0.0000000000000000000000000001");
    TDbDecimal num = *TDbDecimal::Parse(u"-12345678901234567890123456789012345678");
    num.Precision = 38;
    TDbDecimal varnum = *TDbDecimal::Parse(u"1234.5");
    varnum.Precision = 5;
    const QList<TRecordField> columns = {
        F::Define(u"I1"_s, DBTYPE_I1),
        F::Define(u"I2"_s, DBTYPE_I2),
        F::Define(u"I4"_s, DBTYPE_I4),
        F::Define(u"I8"_s, DBTYPE_I8),
        F::Define(u"UI1"_s, DBTYPE_UI1),
        F::Define(u"UI2"_s, DBTYPE_UI2),
        F::Define(u"UI4"_s, DBTYPE_UI4),
        F::Define(u"UI8"_s, DBTYPE_UI8),
        F::Define(u"R4"_s, DBTYPE_R4),
        F::Define(u"R8"_s, DBTYPE_R8),
        F::Define(u"CY"_s, DBTYPE_CY),
        F::Define(u"DATE"_s, DBTYPE_DATE),
        F::Define(u"BOOL"_s, DBTYPE_BOOL),
        F::Define(u"DEC"_s, DBTYPE_DECIMAL, 0, F::foNullable, 29, 0),
        F::Define(u"NUM"_s, DBTYPE_NUMERIC, 0, F::foNullable, 38, 0),
        F::Define(u"GUID"_s, DBTYPE_GUID),
        F::Define(u"DBDATE"_s, DBTYPE_DBDATE),
        F::Define(u"DBTIME"_s, DBTYPE_DBTIME),
        F::Define(u"TS"_s, DBTYPE_DBTIMESTAMP),
        F::Define(u"FT"_s, DBTYPE_FILETIME),
        F::Define(u"BYTES"_s, DBTYPE_BYTES, 16),
        F::Define(u"STR"_s, DBTYPE_STR, 20),
        F::Define(u"WSTR"_s, DBTYPE_WSTR, 20),
        F::Define(u"BSTR"_s, DBTYPE_BSTR),
        F::Define(u"VARNUM"_s, DBTYPE_VARNUMERIC, 8),
        F::Define(u"EMPTY"_s, DBTYPE_EMPTY, 0, 0), // holds nothing, not even when not nullable
    };
    TRecordset set(columns);
    set.AddRow({qint64(-128),
                qint64(-32768),
                qint64(std::numeric_limits<qint32>::min()),
                std::numeric_limits<qint64>::min(),
                qint64(255),
                qint64(65535),
                qint64(4294967295LL),
                std::numeric_limits<quint64>::max(),
                -0.0f,
                std::numeric_limits<double>::quiet_NaN(),
                TDbCurrency{std::numeric_limits<qint64>::min()},
                TOleDate{-1.5},
                true,
                dec,
                num,
                QUuid(u"{3FF292B6-B204-11CF-8D23-00AA005FFE58}"_s),
                TDbDate{-1, 2, 29},
                TDbTime{23, 59, 59},
                TDbTimeStamp{2024, 7, 20, 8, 30, 1, 123456789},
                TFileTime{std::numeric_limits<quint64>::max()},
                QByteArray("\0\x01\xFF", 3),
                u"张三 ABC"_s,
                u"考生😀"_s,
                QString(u"\xFEFF"_s),
                varnum,
                TDbValue()});
    set.AddRow({qint64(127),
                qint64(32767),
                qint64(std::numeric_limits<qint32>::max()),
                std::numeric_limits<qint64>::max(),
                qint64(0),
                qint64(0),
                qint64(0),
                quint64(0),
                std::numeric_limits<float>::infinity(),
                -0.0,
                TDbCurrency{std::numeric_limits<qint64>::max()},
                TOleDate{45000.25},
                false,
                dec28,
                TDbDecimal{},
                QUuid(),
                TDbDate{},
                TDbTime{},
                TDbTimeStamp{},
                TFileTime{},
                QByteArray(),
                QString(),
                QString(),
                QString(),
                TDbDecimal{},
                TDbValue()});
    set.AddRow(QList<TDbValue>(columns.size())); // every column NULL
    const QByteArray bytes = SaveAdtg(set);
    const TRecordset back = LoadAdtg(bytes);
    QVERIFY(back.SameContent(set));
    QCOMPARE(SaveAdtg(back), bytes);
    // Spot checks of values that are easy to lose.
    QCOMPARE(back.StoredRow(0).Values[7].AsString(), u"18446744073709551615"_s);
    QCOMPARE(back.StoredRow(0).Values[10].AsString(), u"-922337203685477.5808"_s);
    QCOMPARE(back.StoredRow(0).Values[11].AsString(), u"1899-12-29 12:00:00"_s);
    QCOMPARE(back.StoredRow(0).Values[18].AsString(), u"2024-07-20 08:30:01.123456789"_s);
    QCOMPARE(back.StoredRow(0).Values[23].AsString(), u"\xFEFF"_s); // a leading BOM is text
    QVERIFY(std::signbit(*back.StoredRow(1).Values[9].Get<double>()));
    QVERIFY(back.StoredRow(1).Values[21].Get<QString>()->isEmpty());
    QVERIFY(!back.StoredRow(1).Values[21].IsNull());
    QVERIFY(back.StoredRow(2).Values[21].IsNull());
}

void TstAdtg::valueFraming_data()
{
    QTest::addColumn<TRecordField>("field");
    QTest::addColumn<TDbValue>("value");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("readBack");
    using F = TRecordField;
    const QString x300 = u"x"_s + QString(299, u' ');
    QTest::newRow("WSTR(80): 1-byte prefix")
        << F::Define(u"A"_s, DBTYPE_WSTR, 80, 0) << TDbValue(u"张"_s) << QByteArray("02 20 5f") << u"张"_s;
    QTest::newRow("WSTR(220): 440 bytes, 4-byte prefix")
        << F::Define(u"A"_s, DBTYPE_WSTR, 220, 0) << TDbValue(u"a"_s) << QByteArray("02 00 00 00 61 00")
        << u"a"_s;
    QTest::newRow("long WSTR without maximum: 4-byte prefix")
        << F::Define(u"A"_s, DBTYPE_WSTR, 0, F::foLong) << TDbValue(u"a"_s) << QByteArray("02 00 00 00 61 00")
        << u"a"_s;
    QTest::newRow("long BYTES declared 64: 1-byte prefix")
        << F::Define(u"A"_s, DBTYPE_BYTES, 64, F::foLong) << TDbValue(QByteArray("\x01\x02", 2))
        << QByteArray("02 01 02") << u"\x201"_s;
    QTest::newRow("fixed WSTR(4): no prefix, space padded")
        << F::Define(u"A"_s, DBTYPE_WSTR, 4, F::foFixedLength) << TDbValue(u"ab"_s)
        << QByteArray("61 00 62 00 20 00 20 00") << u"ab  "_s;
    QTest::newRow("fixed BYTES(4): zero padded")
        << F::Define(u"A"_s, DBTYPE_BYTES, 4, F::foFixedLength) << TDbValue(QByteArray("\x31\x00", 2))
        << QByteArray("31 00 00 00") << u"1"_s;
    QTest::newRow("fixed STR(300): 4-byte prefix equal to the capacity")
        << F::Define(u"A"_s, DBTYPE_STR, 300, F::foFixedLength) << TDbValue(u"x"_s)
        << (QByteArray("2c 01 00 00 78 ") + QByteArray(299, ' ').toHex(' ')) << x300;
    QTest::newRow("VARNUMERIC: precision, scale, sign, shortest magnitude")
        << F::Define(u"A"_s, DBTYPE_VARNUMERIC, 8, 0, 5, 1) << TDbValue(u"1234.5"_s)
        << QByteArray("05 05 01 01 39 30") << u"1234.5"_s;
    QTest::newRow("NUMERIC(5,2) takes its column's scale; sign 00 is negative")
        << F::Define(u"A"_s, DBTYPE_NUMERIC, 0, 0, 5, 2) << TDbValue(u"-1.5"_s)
        << QByteArray("05 02 00 96 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00") << u"-1.50"_s;
    QTest::newRow("DECIMAL: tag 0, scale, sign 80, Hi32, Lo32, Mid32")
        << F::Define(u"A"_s, DBTYPE_DECIMAL, 0, 0) << TDbValue(u"-18446744078004518.914"_s)
        << QByteArray("00 00 03 80 01 00 00 00 02 00 00 00 01 00 00 00") << u"-18446744078004518.914"_s;
    QTest::newRow("binary code column: UTF-16 text in BYTES")
        << F::Define(u"PCDM"_s, DBTYPE_BYTES, 4, 0) << TDbValue(u" 1"_s) << QByteArray("04 20 00 31 00")
        << u" 1"_s;
}

void TstAdtg::valueFraming()
{
    QFETCH(TRecordField, field);
    QFETCH(TDbValue, value);
    QFETCH(QByteArray, wire);
    QFETCH(QString, readBack);
    QCOMPARE(ValueBytes(field, value).toHex(' '), wire);
    TRecordset set({field});
    set.AddRow({value});
    const TRecordset back = LoadAdtg(SaveAdtg(set));
    QCOMPARE(back.Fields(0).AsString(), readBack);
}

void TstAdtg::valuesThatDoNotFitAreRefused()
{
    const struct
    {
        TRecordField field;
        TDbValue value;
        const char *error;
    } cases[] = {
        {TRecordField::Define(u"A"_s, DBTYPE_WSTR, 4, 0), u"abcde"_s, "too long for field A"},
        {TRecordField::Define(u"A"_s, DBTYPE_STR, 3, 0), u"张三"_s, "too long for field A"}, // 4 bytes in GBK
        {TRecordField::Define(u"A"_s, DBTYPE_STR, 10, 0), u"😀"_s, "cannot be written in code page GBK"},
        {TRecordField::Define(u"A"_s, DBTYPE_I2, 0, 0), qint64(40000), "out of the range of I2"},
        {TRecordField::Define(u"A"_s, DBTYPE_I4, 0, 0), TDbValue(), "not nullable"},
    };
    for (const auto &c : cases) {
        TRecordset set({c.field});
        set.AddStoredRow(TRecordRow{{c.value}});
        try {
            SaveAdtg(set);
            QFAIL(c.error);
        } catch (const EZKError &e) {
            QVERIFY2(e.Message().contains(QLatin1String(c.error)), qPrintable(e.Message()));
        }
    }
}

void TstAdtg::pendingChangesRoundTrip()
{
    using F = TRecordField;
    TRecordset set({F::Define(u"ID"_s, DBTYPE_I4, 0, 0), F::Define(u"NAME"_s, DBTYPE_WSTR, 10)});
    for (int id = 1; id <= 3; ++id)
        set.AddRow({id, u"n%1"_s.arg(id)});
    set.Locate(u"ID"_s, 2);
    set.Edit();
    set.FieldByName(u"NAME").Clear(); // a change to NULL
    set.Post();
    set.Locate(u"ID"_s, 3);
    set.Delete();
    set.Append();
    set.FieldByName(u"ID").SetValue(4);
    set.Post();
    const QByteArray bytes = SaveAdtg(set);
    // Deletes first (07 <row 3> 0C), then originals, the change with its
    // force-null bit only, the insert last; RowCount 3 in the result descriptor.
    QVERIFY(bytes.contains(QByteArray::fromHex("07 ff 03000000 04 6e003300 0c")));
    QVERIFY(bytes.contains(QByteArray::fromHex("07 ff 02000000 04 6e003200 0a 00 40")));
    QVERIFY(bytes.endsWith(QByteArray::fromHex("0d 80 40 04000000 0f")));
    QVERIFY(bytes.indexOf(QByteArray::fromHex("0c 07 ff 01000000")) > 0);
    QCOMPARE(bytes.mid(9 + 28 + 3 + 16 + 3 + 10, 4).toHex(' '), QByteArray("03 00 00 00")); // RowCount
    const TRecordset back = LoadAdtg(bytes);
    QCOMPARE(
        QString::fromUtf8(RecordsetToJson(back)),
        uR"({"fields":[{"name":"ID","type":3,"size":4,"flags":20},{"name":"NAME","type":130,"size":10,"flags":36}],)"
        uR"("rows":[[1,"n1"],[2,null],[4,null]]})"_s);
    QCOMPARE(back.StoredRow(2).Status, TRowStatus::Modified);
    QCOMPARE(back.StoredRow(2).Original[1].AsString(), u"n2"_s);
    QCOMPARE(SaveAdtg(back), bytes);
}

// Values that repeat row after row, change, come back after a NULL, or never repeat,
// in every kind of text and binary column, across enough rows for the reader to
// change its mind about a column; a changed row reads its original and new values.
void TstAdtg::repeatedValuesReadAsWritten()
{
    using F = TRecordField;
    TRecordset set({F::Define(u"KSH"_s, DBTYPE_WSTR, 14, F::foKey), F::Define(u"DM"_s, DBTYPE_WSTR, 6),
                    F::Define(u"PCDM"_s, DBTYPE_BYTES, 4, F::foNullable | F::foFixedLength),
                    F::Define(u"XM"_s, DBTYPE_STR, 20), F::Define(u"DW"_s, DBTYPE_WSTR, 4, F::foFixedLength),
                    F::Define(u"BZ"_s, DBTYPE_WSTR, 0, F::foLong | F::foNullable)});
    for (int r = 0; r < 700; ++r) {
        const int run = r / 40;
        // Fixed columns as the reader gives them back: padded.
        const QByteArray code = run % 3 == 0 ? QByteArray("1\0\0\0", 4) : QByteArray("1\0" "2\0", 4);
        set.AddRow({u"2411010100%1"_s.arg(r, 4, 10, QLatin1Char('0')), QString(u"0"_s.repeated(run % 4)),
                    r % 7 == 3 ? TDbValue() : TDbValue(code), QString(u"张三"_s + QString::number(run % 2)),
                    QString::number(run % 5).leftJustified(4), r % 5 == 2 ? TDbValue() : TDbValue(u"备注"_s.repeated(run))});
    }
    set.SetRecNo(650);
    set.Edit();
    set.FieldByName(u"DM").SetAsString(u"000"_s); // another value of the column
    set.FieldByName(u"BZ").SetAsString(set.FieldByName(u"BZ").AsString()); // the same value again
    set.Post();
    const QByteArray bytes = SaveAdtg(set);
    const TRecordset back = LoadAdtg(bytes);
    QVERIFY(back.SameContent(set));
    QCOMPARE(back.StoredRow(649).Original[1].AsString(), set.StoredRow(649).Original[1].AsString());
    QCOMPARE(SaveAdtg(back), bytes);
}

void TstAdtg::hiddenAndKeyColumns()
{
    TRecordField hidden = TRecordField::Define(u"ROWKEY"_s, DBTYPE_I4, 0, TRecordField::foKey);
    hidden.Hidden = true;
    TRecordset set({TRecordField::Define(u"NAME"_s, DBTYPE_WSTR, 10), hidden});
    set.AddRow({u"a"_s, 7});
    const QByteArray bytes = SaveAdtg(set);
    const TRecordset back = LoadAdtg(bytes);
    QCOMPARE(back.FieldCount(), 1);
    QCOMPARE(back.ColumnCount(), 2);
    QCOMPARE(back.FindField(u"ROWKEY"), -1);
    QVERIFY(back.Column(1).IsKey() && back.Column(1).IsHidden());
    QCOMPARE(back.StoredRow(0).Values[1].AsInteger(), 7);
    QCOMPARE(RecordsetToJson(back),
             QByteArray(R"({"fields":[{"name":"NAME","type":130,"size":10,"flags":36}],"rows":[["a"]]})"));
}

void TstAdtg::resultPackageWithoutRows()
{
    // The result package of a set without dossiers: five column descriptors, no
    // row, the done token; every part as the platform writes it.
    using F = TRecordField;
    const TRecordset set({F::Define(u"KSH"_s, DBTYPE_WSTR, 14, F::foKey),
                          F::Define(u"KSZT"_s, DBTYPE_WSTR, 1), F::Define(u"TDYYDM"_s, DBTYPE_WSTR, 2),
                          F::Define(u"BZ"_s, DBTYPE_WSTR, 0, F::foLong | F::foNullable),
                          F::Define(u"LQFS"_s, DBTYPE_R8)});
    TAdtgBuilder expected;
    expected.Prologue(5, 0)
        .Column(1, u"KSH"_s, 130, 14, 0x8004)
        .Column(2, u"KSZT"_s, 130, 1, 0x24)
        .Column(3, u"TDYYDM"_s, 130, 2, 0x24)
        .Column(4, u"BZ"_s, 130, 0xFFFFFFFF, 0xA4)
        .Column(5, u"LQFS"_s, 5, 8, 0x34)
        .U8(0x0F);
    QCOMPARE(SaveAdtg(set).toHex(' '), expected.Bytes.toHex(' '));
}

void TstAdtg::strCodePages()
{
    TRecordset set({TRecordField::Define(u"XM"_s, DBTYPE_STR, 20)});
    set.AddRow({u"张三"_s});
    const QByteArray bytes = SaveAdtg(set);
    QVERIFY(bytes.contains(QByteArray::fromHex("04 d5c5 c8fd"))); // GBK
    QCOMPARE(LoadAdtg(bytes).Fields(0).AsString(), u"张三"_s);
    // A byte sequence that is no GBK text is refused rather than guessed at.
    QByteArray bad = bytes;
    bad.replace(QByteArray::fromHex("04 d5c5 c8fd"), QByteArray::fromHex("04 d5c5 c8ff"));
    QVERIFY2(LoadError(bad).contains(u"not valid in code page GBK"_s), qPrintable(LoadError(bad)));
    QVERIFY(LoadError(bytes, CodePage("NO-SUCH-CODE-PAGE"))
                .contains(u"code page NO-SUCH-CODE-PAGE is not known"_s));
}

void TstAdtg::malformed_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    const auto file = [](quint16 type, quint32 maxLength, quint32 flags, const char *rows) {
        TAdtgBuilder b;
        b.Prologue(1).Column(1, u"A"_s, type, maxLength, flags).Hex(rows);
        return b.Bytes;
    };
    TAdtgBuilder b;
    QTest::newRow("empty") << QByteArray() << u"not a recordset file"_s;
    QTest::newRow("other file") << QByteArray("PK\x03\x04") << u"not a recordset file"_s;
    QTest::newRow("wrong magic") << TAdtgBuilder().Hex("01 07 54 47 3f 00 00 00 00").Bytes << u"TG!"_s;
    QTest::newRow("big-endian") << TAdtgBuilder().Header(1).Bytes << u"big-endian"_s;
    QTest::newRow("wrong element token") << TAdtgBuilder().Header().Hex("03 00 00").Bytes
                                         << u"token 03 where the handler options (02) belongs"_s;
    QTest::newRow("element past the end")
        << TAdtgBuilder().Header().Hex("02 ff ff 00").Bytes << u"needs 65535 bytes"_s;
    QTest::newRow("element not used up") << TAdtgBuilder().Header().Element(0x02, QByteArray(27, '\0')).Bytes
                                         << u"handler options has 2 bytes more"_s;
    QTest::newRow("huge property count") << TAdtgBuilder()
                                                .Header()
                                                .HandlerOptions()
                                                .ResultDescriptor(0, 0, 0, 0)
                                                .Element(0x10, QByteArray::fromHex("ffff"))
                                                .Bytes
                                         << u"property set GUID needs 16 bytes"_s;
    QTest::newRow("column count not met")
        << TAdtgBuilder().Header().HandlerOptions().ResultDescriptor(9, 9, 0, 0).Context().Hex("0f").Bytes
        << u"0 column descriptors where the result descriptor announces 0 and 9"_s;
    QTest::newRow("ordinals not 1..n") << TAdtgBuilder()
                                              .Prologue(2)
                                              .Column(1, u"A"_s, 3, 4, 0x14)
                                              .Column(1, u"B"_s, 3, 4, 0x14)
                                              .Hex("0f")
                                              .Bytes
                                       << u"ordinals"_s;
    QTest::newRow("VARIANT column") << file(12, 16, 0x24, "0f") << u"VARIANT"_s;
    QTest::newRow("unknown type") << file(999, 4, 0x14, "0f") << u"unsupported type 999"_s;
    QTest::newRow("array type") << file(0x2003, 4, 0x14, "0f") << u"unsupported type"_s;
    QTest::newRow("chapter column") << file(136, 4, 0x2010, "0f") << u"hierarchical"_s;
    QTest::newRow("second result descriptor")
        << (TAdtgBuilder().Prologue(0).ResultDescriptor(0, 0, 0, 0).Bytes) << u"hierarchical"_s;
    QTest::newRow("child row token") << file(3, 4, 0x14, "87 0f") << u"hierarchical"_s;
    QTest::newRow("unicode flag with STR") << TAdtgBuilder()
                                                  .Header(0, 1)
                                                  .HandlerOptions()
                                                  .ResultDescriptor(1, 1, 0, 0)
                                                  .Context()
                                                  .Column(1, u"A"_s, 129, 4, 4)
                                                  .Hex("0f")
                                                  .Bytes
                                           << u"unicode"_s;
    QTest::newRow("missing done token") << file(3, 4, 0x14, "07 01000000") << u"without the done token"_s;
    QTest::newRow("bytes after done") << file(3, 4, 0x14, "0f 00") << u"after the done token"_s;
    QTest::newRow("change without a row") << file(3, 4, 0x14, "0a 00 00 0f") << u"without its original row"_s;
    QTest::newRow("unknown row token") << file(3, 4, 0x14, "42 0f") << u"unexpected token 42"_s;
    QTest::newRow("value cut short") << file(3, 4, 0x14, "07 0100")
                                     << u"I4 value needs 4 bytes, 2 are left"_s;
    QTest::newRow("4-byte prefix beyond the file")
        << file(130, 0xFFFFFFFF, 0x84, "07 ffffffff 0f") << u"needs 4294967295 bytes"_s;
    QTest::newRow("text longer than its column")
        << file(130, 2, 0x04, "07 06 610062006300 0f") << u"at most 4"_s;
    QTest::newRow("odd UTF-16 length") << file(130, 20, 0x04, "07 03 610062 0f") << u"odd number of bytes"_s;
    QTest::newRow("fixed value prefix not its capacity")
        << file(128, 300, 0x14, "07 01000000 00 0f") << u"fixed-length value of 1 bytes in a column of 300"_s;
    QTest::newRow("key ordinal out of range")
        << TAdtgBuilder()
               .Header()
               .HandlerOptions()
               .ResultDescriptor(1, 1, 1, 0)
               .Context()
               .Element(0x05,
                        TAdtgBuilder().U16(1).LpStr(u"T"_s).LpStr(u"T"_s).U16(0).U16(1).U16(1).U16(2).Bytes)
               .Column(1, u"A"_s, 3, 4, 0x14)
               .Hex("0f")
               .Bytes
        << u"key column ordinal 2"_s;
    // Zero-byte columns: a row costs one byte but allocates every column.
    TAdtgBuilder bomb;
    bomb.Header().HandlerOptions().ResultDescriptor(2000, 2000, 0, 0).Context();
    for (quint16 i = 1; i <= 2000; ++i)
        bomb.Column(i, u"E"_s, 0, 0, 0);
    bomb.Raw(QByteArray(20000, '\x07')).U8(0x0F);
    QTest::newRow("rows of empty columns beyond the file's size") << bomb.Bytes << u"more rows than a file"_s;
}

void TstAdtg::malformed()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    const QString message = LoadError(bytes);
    QVERIFY2(message.contains(error), qPrintable(u"got: "_s + message));
}

void TstAdtg::everyTruncationRefused()
{
    const QByteArray bytes = RealFile("multi_changes");
    for (qsizetype n = 0; n < bytes.size(); ++n) {
        // Copied, so that a read past the end hits the sanitizer's redzone.
        const QByteArray cut(bytes.constData(), n);
        QVERIFY2(!LoadError(cut).isEmpty(), qPrintable(u"a file cut at %1 bytes was accepted"_s.arg(n)));
    }
}

void TstAdtg::saveFileIsAtomic()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"T_TDD.adtg"_s);
    TRecordset set({TRecordField::Define(u"KSH"_s, DBTYPE_WSTR, 2)});
    set.AddRow({u"01"_s});
    SaveAdtgFile(set, path);
    QCOMPARE(LoadAdtgFile(path).Fields(0).AsString(), u"01"_s);
    const QByteArray before = zktest::readFile(path);
    set.AddStoredRow(TRecordRow{{u"too long"_s}});
    QVERIFY_THROWS_EXCEPTION(EZKError, SaveAdtgFile(set, path));
    QCOMPARE(zktest::readFile(path), before);
    try {
        LoadAdtgFile(dir.filePath(u"missing.adtg"_s));
        QFAIL("a missing file was read");
    } catch (const EZKError &e) {
        QVERIFY(e.Message().contains(u"missing.adtg"_s));
    }
}

QTEST_GUILESS_MAIN(TstAdtg)
#include "tst_Adtg.moc"
