#include "store/Recordset.h"
#include "store/ZKError.h"

#include <QtTest>
#include <bit>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TDbValue)

namespace {

QByteArray Utf16(const QString &s)
{
    QByteArray b;
    for (QChar c : s)
        b.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return b;
}

// Four candidates; PCDM is a binary code column holding UTF-16 text.
TRecordset Fixture()
{
    using F = TRecordField;
    TRecordField hidden = F::Define(u"ROWID"_s, DBTYPE_I4, 0, F::foKey);
    hidden.Hidden = true;
    TRecordset set({F::Define(u"ID"_s, DBTYPE_I4, 0, 0), F::Define(u"KSH"_s, DBTYPE_WSTR, 14),
                    F::Define(u"MBH"_s, DBTYPE_WSTR, 4), F::Define(u"JCLX"_s, DBTYPE_WSTR, 1),
                    F::Define(u"PCDM"_s, DBTYPE_BYTES, 4), F::Define(u"SCORE"_s, DBTYPE_R8),
                    F::Define(u"NAME"_s, DBTYPE_WSTR, 20), hidden});
    set.AddRow({1, u"a1"_s, u"n"_s, u"1"_s, Utf16(u" 1"_s), 600.5, u"张三"_s, 11});
    set.AddRow({2, u"A1"_s, u"n"_s, u"2"_s, Utf16(u" 2"_s), TDbValue(), u""_s, 12});
    set.AddRow({3, u"b2"_s, u"m"_s, u"1"_s, Utf16(u" 1"_s), 580, TDbValue(), 13});
    set.AddRow({4, u""_s, u"n"_s, u"1"_s, Utf16(u"11"_s), 600.5, u"O'Neil"_s, 14});
    set.First();
    return set;
}

// The IDs of the shown rows in view order; leaves the recordset at its end.
QList<qint64> Ids(TRecordset &set)
{
    QList<qint64> ids;
    for (set.First(); !set.Eof(); set.Next())
        ids.append(set.FieldByName(u"ID").AsInteger());
    return ids;
}

QString ErrorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const EZKError &e) {
        return e.Message();
    }
    return {};
}

} // namespace

class TstRecordset : public QObject
{
    Q_OBJECT

private slots:
    void fieldsByNameAndPosition();
    void navigation();
    void filter_data();
    void filter();
    void badFilter_data();
    void badFilter();
    void locate();
    void sort();
    void appendEditPostCancel();
    void deleteKeepsPendingDeletes();
    void assignmentChecks();
    void valueTexts_data();
    void valueTexts();
    void conversions();
    void valuesKeepEveryBitHoweverTheyAreKept();
};

void TstRecordset::fieldsByNameAndPosition()
{
    TRecordset set = Fixture();
    QCOMPARE(set.FieldCount(), 7);
    QCOMPARE(set.ColumnCount(), 8);
    QCOMPARE(set.Fields(1).Name(), u"KSH"_s);
    QCOMPARE(set.FieldByName(u"ksh").AsString(), u"a1"_s); // names compare case-insensitively
    QCOMPARE(set.FindField(u"ROWID"), -1);                 // hidden columns are not offered
    QCOMPARE(ErrorOf([&] { set.FieldByName(u"NOPE"); }), u"field 'NOPE' not found"_s);
}

void TstRecordset::navigation()
{
    TRecordset empty({TRecordField::Define(u"A"_s, DBTYPE_I4)});
    QVERIFY(empty.Eof() && empty.Bof() && empty.IsEmpty());
    QCOMPARE(empty.RecNo(), 0);
    QVERIFY(empty.FieldByName(u"A").IsNull());
    TRecordset set = Fixture();
    QCOMPARE(set.RecordCount(), 4);
    QCOMPARE(set.RecNo(), 1);
    QCOMPARE(Ids(set), (QList<qint64>{1, 2, 3, 4}));
    QVERIFY(set.Eof());
    QCOMPARE(set.RecNo(), 0);
    set.Last();
    QCOMPARE(set.RecNo(), 4);
    set.Prior();
    QCOMPARE(set.FieldByName(u"ID").AsInteger(), qint64(3));
    set.SetRecNo(2);
    QCOMPARE(set.FieldByName(u"KSH").AsString(), u"A1"_s);
    QVERIFY(!ErrorOf([&] { set.SetRecNo(5); }).isEmpty());
}

void TstRecordset::filter_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QList<qint64>>("ids");
    QTest::newRow("one term, texts case-insensitive") << u"KSH='a1'"_s << QList<qint64>{1, 2};
    QTest::newRow("two terms") << u"MBH='n' AND JCLX='1'"_s << QList<qint64>{1, 4};
    QTest::newRow("empty text, spaces, lower-case name") << u"ksh = ''"_s << QList<qint64>{4};
    QTest::newRow("OR") << u"MBH='m' or JCLX='2'"_s << QList<qint64>{2, 3};
    QTest::newRow("AND binds before OR") << u"MBH='n' AND JCLX='1' OR ID='3'"_s << QList<qint64>{1, 3, 4};
    QTest::newRow("number by value") << u"SCORE='600.50'"_s << QList<qint64>{1, 4};
    QTest::newRow("<> passes no NULL") << u"SCORE<>'600.5'"_s << QList<qint64>{3};
    QTest::newRow("binary code column by its text") << u"PCDM=' 1'"_s << QList<qint64>{1, 3};
    QTest::newRow("doubled quote") << u"NAME='O''Neil'"_s << QList<qint64>{4};
    QTest::newRow("bracketed name") << u"[KSH]='b2'"_s << QList<qint64>{3};
    QTest::newRow("NULL is not empty") << u"NAME<>''"_s << QList<qint64>{1, 4};
    QTest::newRow("Chinese text") << u"NAME='张三'"_s << QList<qint64>{1};
    QTest::newRow("no filter") << u"  "_s << QList<qint64>{1, 2, 3, 4};
}

void TstRecordset::filter()
{
    QFETCH(QString, expression);
    QFETCH(QList<qint64>, ids);
    TRecordset set = Fixture();
    set.SetFilter(expression);
    QCOMPARE(set.RecordCount(), ids.size());
    QCOMPARE(Ids(set), ids);
    set.SetFilter(QString());
    QCOMPARE(set.RecordCount(), 4);
}

void TstRecordset::badFilter_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("error");
    QTest::newRow("no operator") << u"KSH"_s << u"= or <> expected"_s;
    QTest::newRow("unterminated text") << u"KSH='a"_s << u"unterminated text"_s;
    QTest::newRow("other operator") << u"KSH>'a'"_s << u"= or <> expected"_s;
    QTest::newRow("other keyword") << u"KSH='a' XOR ID='1'"_s << u"AND or OR expected"_s;
    QTest::newRow("dangling AND") << u"KSH='a' AND"_s << u"field name expected"_s;
    QTest::newRow("unknown field") << u"NOPE='1'"_s << u"unknown field 'NOPE'"_s;
    QTest::newRow("hidden field") << u"ROWID='11'"_s << u"unknown field 'ROWID'"_s;
    QTest::newRow("no number") << u"ID='abc'"_s << u"'abc' is no value of field ID"_s;
    QTest::newRow("parentheses") << u"(KSH='a')"_s << u"field name expected"_s;
    QTest::newRow("unquoted value") << u"KSH=a"_s << u"quoted text expected"_s;
    QTest::newRow("LIKE") << u"KSH LIKE 'a*'"_s << u"= or <> expected"_s;
}

void TstRecordset::badFilter()
{
    QFETCH(QString, expression);
    QFETCH(QString, error);
    TRecordset set = Fixture();
    set.SetFilter(u"MBH='n'"_s);
    const QString message = ErrorOf([&] { set.SetFilter(expression); });
    QVERIFY2(message.startsWith(u"invalid filter expression"_s) && message.contains(error),
             qPrintable(message));
    QCOMPARE(set.Filter(), u"MBH='n'"_s); // the previous filter stays
    QCOMPARE(set.RecordCount(), 3);
}

void TstRecordset::locate()
{
    TRecordset set = Fixture();
    QVERIFY(set.Locate(u"KSH"_s, u"b2"_s));
    QCOMPARE(set.RecNo(), 3);
    QVERIFY(!set.Locate(u"KSH"_s, u"B2"_s)); // exact, case-sensitive
    QCOMPARE(set.RecNo(), 3);                // the current row stays
    QVERIFY(set.Locate(u"mbh;jclx"_s, QVariantList{u"n"_s, u"1"_s}));
    QCOMPARE(set.RecNo(), 1);
    // Binary code values come quoted.
    QVERIFY(set.Locate(u"PCDM;ID"_s, QVariantList{u"' 1'"_s, 3}));
    QCOMPARE(set.RecNo(), 3);
    QVERIFY(set.Locate(u"PCDM"_s, QVariant(Utf16(u"11"_s))));
    QCOMPARE(set.RecNo(), 4);
    QVERIFY(set.Locate(u"NAME"_s, u"'O''Neil'"_s));
    QVERIFY(set.Locate(u"ID"_s, u"2"_s)); // a number given as text
    QCOMPARE(set.RecNo(), 2);
    QVERIFY(set.Locate(u"SCORE"_s, QVariant(580)));
    QVERIFY(set.Locate(u"SCORE"_s, QVariant())); // NULL finds NULL
    QCOMPARE(set.RecNo(), 2);
    QVERIFY(!set.Locate(u"ID"_s, u"x"_s));
    set.SetFilter(u"MBH='n'"_s);
    QVERIFY(!set.Locate(u"ID"_s, 3)); // only shown rows
    QVERIFY(!ErrorOf([&] { set.Locate(u"ID;KSH"_s, 1); }).isEmpty());
}

void TstRecordset::sort()
{
    TRecordset set = Fixture();
    set.SetSort(u"MBH, SCORE DESC"_s); // NULL first ascending, so last descending; stable
    QCOMPARE(Ids(set), (QList<qint64>{3, 1, 4, 2}));
    set.SetSort(u"KSH"_s);
    QCOMPARE(Ids(set), (QList<qint64>{4, 1, 2, 3}));
    set.SetSort(u"PCDM DESC; ID ASC"_s);
    QCOMPARE(Ids(set), (QList<qint64>{4, 2, 1, 3}));
    set.SetFilter(u"JCLX='1'"_s);
    QCOMPARE(Ids(set), (QList<qint64>{4, 1, 3}));
    set.SetSort(QString());
    QCOMPARE(Ids(set), (QList<qint64>{1, 3, 4}));
    QVERIFY(ErrorOf([&] { set.SetSort(u"KSH DOWN"_s); }).contains(u"invalid sort"_s));
    QVERIFY(ErrorOf([&] { set.SetSort(u"NOPE"_s); }).contains(u"not found"_s));
}

void TstRecordset::appendEditPostCancel()
{
    TRecordset set = Fixture();
    set.Append();
    QCOMPARE(set.State(), TRecordsetState::Insert);
    set.FieldByName(u"ID").SetValue(5);
    set.FieldByName(u"KSH").SetAsString(u"c3"_s);
    set.Post();
    QCOMPARE(set.RecordCount(), 5);
    QCOMPARE(set.RecNo(), 5);
    QCOMPARE(set.FieldByName(u"KSH").AsString(), u"c3"_s);
    QVERIFY(set.FieldByName(u"NAME").IsNull());
    QCOMPARE(set.StoredRow(4).Status, TRowStatus::Inserted);

    set.Append();
    set.FieldByName(u"ID").SetValue(6);
    set.Cancel();
    QCOMPARE(set.RecordCount(), 5);

    set.First();
    set.Edit();
    set.FieldByName(u"NAME").SetValue(u"李四"_s);
    QCOMPARE(set.FieldByName(u"NAME").AsString(), u"李四"_s); // the edit buffer
    set.Cancel();
    QCOMPARE(set.FieldByName(u"NAME").AsString(), u"张三"_s);

    set.Edit();
    set.FieldByName(u"NAME").SetValue(u"李四"_s);
    set.FieldByName(u"MBH").SetValue(u"n"_s); // assigned with the same value
    set.Next();                               // moving posts the edit
    const TRecordRow &row = set.StoredRow(0);
    QCOMPARE(row.Status, TRowStatus::Modified);
    QCOMPARE(row.Values[6].AsString(), u"李四"_s);
    QCOMPARE(row.Original[6].AsString(), u"张三"_s);
    QCOMPARE(row.Changed.count(true), 2);
    QVERIFY(row.Changed.testBit(2) && row.Changed.testBit(6));

    set.AcceptChanges();
    QCOMPARE(set.StoredRow(0).Status, TRowStatus::Unchanged);
    QCOMPARE(set.StoredRow(4).Status, TRowStatus::Unchanged);
    QVERIFY(set.StoredRow(0).Original.isEmpty());
}

void TstRecordset::deleteKeepsPendingDeletes()
{
    TRecordset set = Fixture();
    set.Locate(u"ID"_s, 2);
    set.Edit();
    set.FieldByName(u"KSH").SetValue(u"zz"_s);
    set.Post();
    set.Delete(); // a changed row is deleted with its original values
    QCOMPARE(set.RecordCount(), 3);
    QCOMPARE(set.FieldByName(u"ID").AsInteger(), qint64(3)); // the next row becomes current
    QCOMPARE(set.StoredRow(1).Status, TRowStatus::Deleted);
    QCOMPARE(set.StoredRow(1).Values[1].AsString(), u"A1"_s);
    set.Append();
    set.FieldByName(u"ID").SetValue(9);
    set.Post();
    set.Delete(); // an appended row simply goes
    QCOMPARE(set.StoredRowCount(), 4);
    QVERIFY(set.Eof());
    QCOMPARE(Ids(set), (QList<qint64>{1, 3, 4}));
    set.First();
    set.Append();
    set.Delete(); // drops the row being appended, nothing else
    QCOMPARE(set.RecordCount(), 3);
    QCOMPARE(set.State(), TRecordsetState::Browse);
    set.AcceptChanges();
    QCOMPARE(set.StoredRowCount(), 3);
    TRecordset empty({TRecordField::Define(u"A"_s, DBTYPE_I4)});
    QVERIFY(ErrorOf([&] { empty.Delete(); }).contains(u"no current record"_s));
}

void TstRecordset::assignmentChecks()
{
    TRecordset set = Fixture();
    QVERIFY(
        ErrorOf([&] { set.FieldByName(u"KSH").SetValue(u"x"_s); }).contains(u"not in edit or insert mode"_s));
    set.Edit();
    QVERIFY(ErrorOf([&] { set.FieldByName(u"ID").Clear(); }).contains(u"cannot be NULL"_s));
    QVERIFY(
        ErrorOf([&] { set.FieldByName(u"ID").SetValue(u"x1"_s); }).contains(u"cannot convert 'x1' to I4"_s));
    QVERIFY(
        ErrorOf([&] { set.FieldByName(u"JCLX").SetValue(u"12"_s); }).contains(u"too long for field JCLX"_s));
    set.FieldByName(u"ID").SetAsString(u" 42 "_s);
    set.FieldByName(u"SCORE").SetAsString(u"615.5"_s);
    set.FieldByName(u"PCDM").SetAsString(u" 3"_s); // a text into a binary code column
    set.Post();
    QCOMPARE(set.FieldByName(u"ID").AsInteger(), qint64(42));
    QCOMPARE(set.FieldByName(u"SCORE").AsFloat(), 615.5);
    QCOMPARE(*set.FieldByName(u"PCDM").Value().Get<QByteArray>(), Utf16(u" 3"_s));
}

void TstRecordset::valueTexts_data()
{
    QTest::addColumn<TDbValue>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("integer");
    QTest::addColumn<double>("number");
    TDbDecimal negative = *TDbDecimal::Parse(u"-0.05");
    QTest::newRow("I4") << TDbValue(42) << u"42"_s << qint64(42) << 42.0;
    QTest::newRow("R8 score") << TDbValue(612.5) << u"612.5"_s << qint64(612) << 612.5; // half to even
    QTest::newRow("R8 0.1") << TDbValue(0.1) << u"0.1"_s << qint64(0) << 0.1;
    QTest::newRow("R8 large, no exponent")
        << TDbValue(1e17) << u"100000000000000000"_s << qint64(100000000000000000LL) << 1e17;
    QTest::newRow("R4 0.1, as a float") << TDbValue(0.1f) << u"0.1"_s << qint64(0) << double(0.1f);
    QTest::newRow("CY") << TDbValue(TDbCurrency{12345600}) << u"1234.5600"_s << qint64(1235) << 1234.56;
    QTest::newRow("DECIMAL") << TDbValue(negative) << u"-0.05"_s << qint64(0) << -0.05;
    QTest::newRow("BOOL") << TDbValue(true) << u"True"_s << qint64(1) << 1.0;
    QTest::newRow("BYTES code up to NUL")
        << TDbValue(Utf16(u" 7"_s) + QByteArray(4, '\0')) << u" 7"_s << qint64(7) << 7.0;
    QTest::newRow("text with spaces") << TDbValue(u" 12 "_s) << u" 12 "_s << qint64(12) << 12.0;
    QTest::newRow("NULL") << TDbValue() << QString() << qint64(0) << 0.0;
    QTest::newRow("DATE") << TDbValue(TOleDate{36925.170208333336}) << u"2001-02-03 04:05:06"_s
                          << qint64(36925) << 36925.170208333336;
    QTest::newRow("DATE before 1899-12-30")
        << TDbValue(TOleDate{-1.5}) << u"1899-12-29 12:00:00"_s << qint64(-2) << -1.5;
    const double withMs = DbText::OleDateFromParts(2024, 1, 2, 120001230000LL);
    QTest::newRow("DATE with milliseconds")
        << TDbValue(TOleDate{withMs}) << u"2024-01-02 03:20:00.1230000"_s << qint64(45293) << withMs;
    QTest::newRow("DBTIMESTAMP") << TDbValue(TDbTimeStamp{2024, 7, 20, 8, 30, 0, 500000000})
                                 << u"2024-07-20 08:30:00.5000000"_s << qint64(45493) << 45493.354172453706;
}

void TstRecordset::valueTexts()
{
    QFETCH(TDbValue, value);
    QFETCH(QString, text);
    QFETCH(qint64, integer);
    QFETCH(double, number);
    QCOMPARE(value.AsString(), text);
    QCOMPARE(value.AsFloat(), number);
    if (value.Get<TOleDate>() || value.Get<TDbTimeStamp>())
        return; // dates have no integer value
    QCOMPARE(value.AsInteger(), integer);
}

void TstRecordset::conversions()
{
    const auto text = [](const TDbValue &v, quint16 type) { return v.ConvertTo(type).AsString(); };
    QCOMPARE(text(u"1.23455"_s, DBTYPE_CY), u"1.2346"_s); // half to even at 1/10000
    QCOMPARE(text(u"1.23445"_s, DBTYPE_CY), u"1.2344"_s);
    QCOMPARE(text(u"2.5"_s, DBTYPE_I4), u"2"_s);
    QCOMPARE(text(u"3.5"_s, DBTYPE_I4), u"4"_s);
    QCOMPARE(text(u"18446744073709551615"_s, DBTYPE_UI8), u"18446744073709551615"_s);
    QCOMPARE(text(u"2001-02-03 04:05:06"_s, DBTYPE_DATE), u"2001-02-03 04:05:06"_s);
    QCOMPARE(text(u"{3ff292b6-b204-11cf-8d23-00aa005ffe58}"_s, DBTYPE_GUID),
             u"{3FF292B6-B204-11CF-8D23-00AA005FFE58}"_s);
    QCOMPARE(text(TDbValue(TOleDate{36925.5}), DBTYPE_DBTIMESTAMP), u"2001-02-03 12:00:00"_s);
    QCOMPARE(text(u"0.1"_s, DBTYPE_R4), u"0.1"_s);
    QCOMPARE(text(u"-0.0"_s, DBTYPE_R8), u"-0"_s);
    for (const auto &[value, type] :
         {std::pair{TDbValue(256), DBTYPE_UI1},
          {TDbValue(-1), DBTYPE_UI8},
          {TDbValue(u"2001-02-30"_s), DBTYPE_DATE},
          {TDbValue(u"1e400"_s), DBTYPE_R8},
          {TDbValue(u"1234567890123456789012345678901234567890"_s), DBTYPE_NUMERIC},
          {TDbValue(u"79228162514264337593543950336"_s), DBTYPE_DECIMAL},
          {TDbValue(u"maybe"_s), DBTYPE_BOOL}}) {
        QVERIFY2(!ErrorOf([&] { value.ConvertTo(type); }).isEmpty(), qPrintable(value.AsString()));
    }
}

// A column of repeated values keeps each once; one of many different values keeps them
// all. Either way, and across the change from one to the other in the middle of a set,
// every value reads back in every bit (an empty text apart from a null one, -0 apart
// from 0, a NaN's payload), and edits, deletes and accepted changes behave alike.
void TstRecordset::valuesKeepEveryBitHoweverTheyAreKept()
{
    using F = TRecordField;
    TRecordset set(
        {F::Define(u"T"_s, DBTYPE_WSTR, 20, F::foNullable), F::Define(u"R"_s, DBTYPE_R8, 0, F::foNullable)});
    const double nan = std::bit_cast<double>(quint64(0x7FF8000000000123));
    const QList<TDbValue> texts = {TDbValue(QString()), TDbValue(u""_s), TDbValue(), TDbValue(u"甲"_s)};
    const QList<TDbValue> reals = {TDbValue(0.0), TDbValue(-0.0), TDbValue(nan), TDbValue()};
    QList<QList<TDbValue>> rows;
    for (int i = 0; i < 4300; ++i) {
        // Repeats first, then different values: both columns change how they keep them.
        const bool distinct = i >= 100;
        rows.append({distinct ? TDbValue(u"v%1"_s.arg(i)) : texts[i % 4],
                     distinct ? TDbValue(double(i)) : reals[i % 4]});
        set.AddRow(rows.last());
    }
    const auto sameBits = [](const TDbValue &a, const TDbValue &b) {
        if (!(a == b))
            return false;
        const QString *s = a.Get<QString>();
        return !s || s->isNull() == b.Get<QString>()->isNull();
    };
    for (int i = 0; i < rows.size(); ++i) {
        for (int c = 0; c < 2; ++c)
            QVERIFY2(sameBits(set.StoredValue(i, c), rows[i][c]),
                     qPrintable(u"row %1 column %2"_s.arg(i).arg(c)));
    }

    set.SetRecNo(6); // a row of repeats, changed after its column went over to different values
    set.Edit();
    set.Fields(0).SetValue(TDbValue(u"新"_s));
    set.Post();
    QCOMPARE(set.StoredStatus(5), TRowStatus::Modified);
    QVERIFY(sameBits(set.StoredRow(5).Original[0], rows[5][0]));
    QCOMPARE(set.StoredValue(5, 0), TDbValue(u"新"_s));
    QVERIFY(sameBits(set.StoredValue(4, 0), rows[4][0]));
    set.Append();
    set.Fields(0).SetValue(TDbValue(u"加"_s));
    set.Post();
    set.Delete(); // the appended row goes again
    QCOMPARE(set.StoredRowCount(), 4300);
    set.SetRecNo(6);
    set.Delete(); // the changed row becomes a pending delete with its original values
    QCOMPARE(set.StoredStatus(5), TRowStatus::Deleted);
    QVERIFY(sameBits(set.StoredValue(5, 0), rows[5][0]));
    set.SetRecNo(4199); // shown rows: the pending delete is no longer one of them
    QCOMPARE(set.Fields(0).AsString(), u"v4199"_s);
    set.Delete();
    set.AcceptChanges();
    QCOMPARE(set.StoredRowCount(), 4298);
    rows.removeAt(4199);
    rows.removeAt(5);
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(set.StoredStatus(i), TRowStatus::Unchanged);
        for (int c = 0; c < 2; ++c)
            QVERIFY(sameBits(set.StoredValue(i, c), rows[i][c]));
    }
}

QTEST_GUILESS_MAIN(TstRecordset)
#include "tst_Recordset.moc"
