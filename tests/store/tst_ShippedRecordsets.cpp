// The recordset files the build writes into the program folder: the province list and
// the empty dossier recordset of a user's first set-up.

#include "TestSupport.h"
#include "store/Adtg.h"

#include <QDir>
#include <QSet>
#include <QtTest>

using namespace Qt::StringLiterals;

class TstShippedRecordsets : public QObject
{
    Q_OBJECT

private slots:
    void provinceListHasEveryMapProvinceInOrder();
    void provinceListPointsAtTheStandIn();
    void provinceRows_data();
    void provinceRows();
    void dossierRecordsetHasEveryColumn();
    void dossierColumnTypes_data();
    void dossierColumnTypes();

private:
    static TRecordset Load(const QString &name)
    {
        return LoadAdtgFile(QDir(zktest::programFolder()).filePath(name));
    }
    static QStringList FieldNames(const TRecordset &set)
    {
        QStringList names;
        for (int i = 0; i < set.FieldCount(); ++i)
            names.append(set.Field(i).Name);
        return names;
    }
};

void TstShippedRecordsets::provinceListHasEveryMapProvinceInOrder()
{
    TRecordset set = Load(u"t_sszt.adtg"_s);
    QCOMPARE(FieldNames(set), (QStringList{u"SSDM"_s, u"SSMC"_s, u"SSPY"_s, u"FWQDZ"_s, u"FWQDKH"_s,
                                           u"ZYDZ"_s, u"ZYDKH"_s, u"YHM"_s}));
    // The codes of the login map's labels, in the map table's order.
    const QStringList mapOrder{u"65"_s, u"54"_s, u"63"_s, u"51"_s, u"53"_s, u"52"_s, u"45"_s,
                               u"44"_s, u"43"_s, u"42"_s, u"41"_s, u"46"_s, u"71"_s, u"15"_s,
                               u"23"_s, u"22"_s, u"21"_s, u"50"_s, u"62"_s, u"61"_s, u"64"_s,
                               u"14"_s, u"11"_s, u"12"_s, u"13"_s, u"37"_s, u"34"_s, u"36"_s,
                               u"35"_s, u"32"_s, u"33"_s, u"31"_s, u"73"_s, u"72"_s};
    QStringList codes;
    QSet<QString> folders;
    for (set.First(); !set.Eof(); set.Next()) {
        codes.append(set.FieldByName(u"SSDM"_s).AsString());
        const QString folder = set.FieldByName(u"SSPY"_s).AsString();
        // SSPY names the province's folder: letters only and distinct, also without case.
        QVERIFY2(!folder.isEmpty() && folder.toUpper() == folder && folder.size() <= 4, qPrintable(folder));
        QVERIFY2(!folders.contains(folder.toLower()), qPrintable(folder));
        folders.insert(folder.toLower());
        QVERIFY(!set.FieldByName(u"SSMC"_s).AsString().isEmpty());
    }
    QCOMPARE(codes, mapOrder);
}

void TstShippedRecordsets::provinceListPointsAtTheStandIn()
{
    TRecordset set = Load(u"t_sszt.adtg"_s);
    for (set.First(); !set.Eof(); set.Next()) {
        QCOMPARE(set.FieldByName(u"FWQDZ"_s).AsString(), u"127.0.0.1"_s);
        QCOMPARE(set.FieldByName(u"FWQDKH"_s).AsString(), u"8612"_s);
        // Web server and user name are empty texts, not NULL: the dialog shows them.
        for (const QString &name : {u"ZYDZ"_s, u"ZYDKH"_s, u"YHM"_s}) {
            QVERIFY(!set.FieldByName(name).IsNull());
            QCOMPARE(set.FieldByName(name).AsString(), QString());
        }
    }
    // The dialog locates a province by its code.
    QVERIFY(set.Locate(u"SSDM"_s, u"32"_s));
    QCOMPARE(set.FieldByName(u"SSMC"_s).AsString(), u"江苏"_s);
}

void TstShippedRecordsets::provinceRows_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("letters");
    QTest::newRow("first label") << u"65"_s << u"新疆"_s << u"XJ"_s;
    QTest::newRow("three characters") << u"23"_s << u"黑龙江"_s << u"HLJ"_s;
    QTest::newRow("He Bei, not Hu Bei") << u"13"_s << u"河北"_s << u"HEB"_s;
    QTest::newRow("Hu Bei") << u"42"_s << u"湖北"_s << u"HUB"_s;
    QTest::newRow("He Nan") << u"41"_s << u"河南"_s << u"HEN"_s;
    QTest::newRow("Hu Nan") << u"43"_s << u"湖南"_s << u"HUN"_s;
    QTest::newRow("Hai Nan") << u"46"_s << u"海南"_s << u"HAIN"_s;
    QTest::newRow("Shan Xi") << u"14"_s << u"山西"_s << u"SX"_s;
    QTest::newRow("Shaan Xi") << u"61"_s << u"陕西"_s << u"SNX"_s;
    QTest::newRow("last label") << u"72"_s << u"香港"_s << u"XG"_s;
}

void TstShippedRecordsets::provinceRows()
{
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(QString, letters);
    TRecordset set = Load(u"t_sszt.adtg"_s);
    QVERIFY(set.Locate(u"SSDM"_s, code));
    QCOMPARE(set.FieldByName(u"SSMC"_s).AsString(), name);
    QCOMPARE(set.FieldByName(u"SSPY"_s).AsString(), letters);
}

void TstShippedRecordsets::dossierRecordsetHasEveryColumn()
{
    const TRecordset set = Load(u"T_TDD.adtg"_s);
    QCOMPARE(set.RecordCount(), 0);
    const QStringList names = FieldNames(set);
    // Every column the client reads, writes, filters or sorts on.
    QStringList required{
        u"KSH"_s,    u"XM"_s,     u"PCDM"_s,     u"KLDM"_s,     u"JHXZ"_s,       u"XBDM"_s,    u"MZDM"_s,
        u"KSLBDM"_s, u"BYLBDM"_s, u"ZZMMDM"_s,   u"TDDW"_s,     u"DQTDDW"_s,     u"TDZY"_s,    u"ZYZYTJ"_s,
        u"DXTJ"_s,   u"ZYTJFC"_s, u"ZYYTJZCJ"_s, u"ZYYTFJCJ"_s, u"ZYYTDXJZCJ"_s, u"CJ"_s,      u"TZCJ"_s,
        u"TDCJ"_s,   u"ZYHG"_s,   u"TJHG"_s,     u"TJJLDM"_s,   u"KSZT"_s,       u"LQZY"_s,    u"YTZY"_s,
        u"TDYYDM"_s, u"BZ"_s,     u"LQFS"_s,     u"SDBZ"_s,     u"BH"_s,         u"TASK_TAG"_s};
    for (int n = 1; n <= 6; ++n)
        required += {u"TDDWDM%1"_s.arg(n), u"ZYDH%1"_s.arg(n), u"ZYSXDM%1"_s.arg(n)};
    // One score column per score item of a province with numeric scores.
    for (const char *item : {"01", "02", "03", "04", "05"})
        required.append(u"GKCJX"_s + QLatin1StringView(item));
    for (const QString &name : required)
        QVERIFY2(names.contains(name), qPrintable(name));
    // Rank columns belong to graded provinces only; names are not repeated.
    for (const QString &name : {u"ZYYTDJLX"_s, u"ZYYTDJ"_s, u"ZYYTDJPX"_s, u"ZYYTFJDJLX"_s, u"ZYYTFJDJ"_s})
        QVERIFY2(!names.contains(name), qPrintable(name));
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
    QCOMPARE(names.first(), u"KSH"_s);
}

void TstShippedRecordsets::dossierColumnTypes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("key");
    QTest::newRow("candidate number") << u"KSH"_s << int(DBTYPE_WSTR) << 14 << true;
    QTest::newRow("batch as binary text") << u"PCDM"_s << int(DBTYPE_BYTES) << 2 << false;
    QTest::newRow("plan nature as binary text") << u"JHXZ"_s << int(DBTYPE_BYTES) << 2 << false;
    QTest::newRow("submission unit") << u"TDDW"_s << int(DBTYPE_WSTR) << 3 << false;
    QTest::newRow("unit of wish 6") << u"TDDWDM6"_s << int(DBTYPE_WSTR) << 3 << false;
    QTest::newRow("major of wish 1") << u"ZYDH1"_s << int(DBTYPE_WSTR) << 2 << false;
    QTest::newRow("current major") << u"LQZY"_s << int(DBTYPE_WSTR) << 2 << false;
    QTest::newRow("status flag") << u"KSZT"_s << int(DBTYPE_WSTR) << 1 << false;
    QTest::newRow("base score") << u"ZYYTJZCJ"_s << int(DBTYPE_R8) << 8 << false;
    QTest::newRow("score item") << u"GKCJX03"_s << int(DBTYPE_R8) << 8 << false;
    QTest::newRow("package number") << u"BH"_s << int(DBTYPE_I4) << 4 << false;
}

void TstShippedRecordsets::dossierColumnTypes()
{
    QFETCH(QString, name);
    QFETCH(int, type);
    QFETCH(int, size);
    QFETCH(bool, key);
    const TRecordset set = Load(u"T_TDD.adtg"_s);
    const int column = set.FindField(name);
    QVERIFY(column >= 0);
    const TRecordField &f = set.Column(column);
    QCOMPARE(int(f.Type), type);
    QCOMPARE(int(f.MaxLength), size);
    QCOMPARE(f.IsKey(), key);
    QCOMPARE(f.IsNullable(), !key);
}

QTEST_GUILESS_MAIN(TstShippedRecordsets)
#include "tst_ShippedRecordsets.moc"
