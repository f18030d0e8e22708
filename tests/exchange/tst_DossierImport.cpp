// Dossier packages from the stand-in's demo data through the download chain and
// ImportTDD: every set, a newer package, a package with another dossier structure and
// broken packages that must leave the set as it was.
#include "ExchangeFixture.h"
#include "store/Adtg.h"
#include "store/Archive.h"
#include "store/SqlQuery.h"
#include "store/ZKMainDef.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QStringList KshOf(const QString &package, TExchangeFixture &f)
{
    const QString folder = f.Temp(u"ksh_of/"_s);
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    ExtractArchive(package, folder);
    const TRecordset set = LoadAdtgFile(folder + u"T_TDD.adtg"_s);
    QStringList ksh;
    for (int i = 0; i < set.StoredRowCount(); ++i)
        ksh.append(set.StoredRow(i).Values.at(set.FindField(u"KSH")).AsString());
    return ksh;
}

TRecordset LeaderMember(TExchangeFixture &f, const QString &package, const QString &member)
{
    const QString folder = f.Temp(u"member_of/"_s);
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    ExtractArchive(package, folder);
    return LoadAdtgFile(folder + member);
}

// The progress calls in short: "show(caption|text|base|ratio|steps)", "step×n", "hide".
QStringList ProgressTrace(const QList<TProgressCall> &calls)
{
    QStringList trace;
    int steps = 0;
    auto flush = [&] {
        if (steps)
            trace.append(u"step×%1"_s.arg(steps));
        steps = 0;
    };
    for (const TProgressCall &c : calls) {
        if (c.Kind == u"step"_s) {
            ++steps;
            continue;
        }
        flush();
        trace.append(
            c.Kind == u"hide"_s
                ? u"hide"_s
                : u"show(%1|%2|%3|%4|%5)"_s.arg(c.Caption, c.Text).arg(c.Base).arg(c.Ratio).arg(c.Steps));
    }
    flush();
    return trace;
}

QString SetWhere(const QString &PCDM, const QString &KLDM, const QString &JHXZ)
{
    return u" where PCDM=\"%1\" and KLDM=\"%2\" and JHXZ=\"%3\""_s.arg(PCDM, KLDM, JHXZ);
}

struct TSnapshot
{
    QList<QList<QVariantList>> Tables;
    QStringList Columns;
    bool operator==(const TSnapshot &) const = default;
};

TSnapshot Snapshot(TExchangeFixture &f)
{
    TSqlConnection &univ = f.DM.UnivConn;
    TSnapshot s;
    for (const QString &sql :
         {u"select * from T_TDD order by KSH"_s, u"select * from T_KSHKCJ order by KSH, CJXDM"_s,
          u"select * from T_KSJL order by KSH, QSRQ, ZJRQ"_s, u"select * from T_TJXX order by KSH"_s,
          u"select * from T_KLJHXZZT order by PCDM, KLDM, JHXZ"_s})
        s.Tables.append(f.Rows(univ, sql));
    s.Columns = f.Columns(univ, u"T_TDD"_s);
    return s;
}

} // namespace

class TestDossierImport : public QObject
{
    Q_OBJECT

private slots:
    void everySetArrives();
    void newerPackageKeepsEarlierNumbersOfPreAdmitted();
    void dossierOfAnotherSetKeepsThePreAdmittedNumber();
    void samePackageAgainReplacesTheSetsRows_data();
    void samePackageAgainReplacesTheSetsRows();
    void extraColumnRebuildsTheTable();
    void brokenPackageLeavesTheSetAsItWas_data();
    void brokenPackageLeavesTheSetAsItWas();
    void hostileColumnNameRefusesThePackage_data();
    void hostileColumnNameRefusesThePackage();
};

void TestDossierImport::everySetArrives()
{
    TExchangeFixture f;
    QVERIFY(f.SetUp());
    bool done = false;
    f.Net.OnDownLoadAllTDDDone = [&] { done = true; };
    f.Net.DownLoadAllTDD(QString()); // every set, whatever the leader's batch
    QVERIFY(WaitUntil([&] { return done; }));
    QVERIFY(ZKMainDef().IsNetIdle);

    TSqlConnection &univ = f.DM.UnivConn;
    const QStringList sets = QDir(f.LeaderUser() + u"tdd"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QVERIFY(sets.size() >= 3);
    int imports = 0;
    for (const TTDDRequestResult &r : f.Net.LastRunResults)
        imports += r.Import == 0 ? 1 : 0;
    QCOMPARE(imports, sets.size());
    QCOMPARE(f.Net.LastRunResults.size(), f.Value(univ, u"select count(*) from T_KLJHXZZT"_s).toInt());
    int healthRows = 0;
    for (const QString &set : sets) {
        const QStringList codes = set.split(u'_');
        QStringList numbers = QDir(f.LeaderUser() + u"tdd/"_s + set).entryList({u"*.zip"_s});
        int last = 0;
        for (const QString &n : numbers)
            last = std::max(last, QFileInfo(n).baseName().toInt());
        const QString where = SetWhere(codes[0], codes[1], codes[2]);
        QCOMPARE(f.Rows(univ, u"select DQTDDBH, ZT from T_KLJHXZZT"_s + where),
                 (QList<QVariantList>{{last, u"1"_s}}));
        QCOMPARE(f.Value(univ, u"select count(*) from T_TDD"_s + where).toInt(),
                 KshOf(f.Package(set, last), f).size());
        QCOMPARE(f.Value(univ, u"select count(*) from T_TDD"_s + where +
                                   u" and (KSZT <> \"1\" or BH <> %1)"_s.arg(last))
                     .toInt(),
                 0);
        healthRows += LeaderMember(f, f.Package(set, last), u"T_TJXX.adtg"_s).StoredRowCount();
    }
    // The companion tables did not exist before: made from the recordsets, all columns.
    for (const QString &table : {u"T_KSHKCJ"_s, u"T_KSJL"_s, u"T_TJXX"_s}) {
        const TRecordset leader = LeaderMember(f, f.Package(u"2_5_1"_s, 6), table + u".adtg"_s);
        QStringList fields;
        for (int i = 0; i < leader.FieldCount(); ++i)
            fields.append(leader.Field(i).Name);
        QCOMPARE(f.Columns(univ, table), fields);
    }
    QCOMPARE(f.Value(univ, u"select count(*) from T_TJXX"_s).toInt(), healthRows);
    QVERIFY(ZKMainDef().IsTDDImported);
    QVERIFY(f.Messages.Messages.isEmpty());
}

void TestDossierImport::newerPackageKeepsEarlierNumbersOfPreAdmitted()
{
    TExchangeFixture f;
    QVERIFY(f.SetUp());
    TSqlConnection &univ = f.DM.UnivConn;
    QCOMPARE(f.Net.ImportTDD(u"2"_s, u"1"_s, u"1"_s, 0, f.Package(u"2_1_1"_s, 2)), 0);
    const QList<QVariantList> otherSet =
        f.Rows(univ, u"select * from T_TDD"_s + SetWhere(u"2"_s, u"1"_s, u"1"_s));
    QCOMPARE(f.Net.ImportTDD(u"2"_s, u"5"_s, u"1"_s, 0, f.Package(u"2_5_1"_s, 3)), 0);

    const QStringList first = KshOf(f.Package(u"2_5_1"_s, 3), f);
    const QStringList second = KshOf(f.Package(u"2_5_1"_s, 6), f);
    QStringList both;
    for (const QString &ksh : second) {
        if (first.contains(ksh))
            both.append(ksh);
    }
    QString added;
    for (const QString &ksh : second) {
        if (!first.contains(ksh))
            added = ksh;
    }
    QVERIFY(both.size() >= 2 && !added.isEmpty());
    const QString kept = both[0];     // still pre-admitted when package 6 arrives
    const QString returned = both[1]; // pre-returned by the member meanwhile
    univ.ExecSQL(u"update T_TDD set KSZT=\"2\", TDYYDM=\"01\", BZ=\"mine\" where KSH=\"%1\""_s.arg(returned));
    // An earlier import's work marks left on another set read "0" again afterwards.
    univ.ExecSQL(u"update T_TDD set TASK_TAG=\"1\""_s + SetWhere(u"2"_s, u"1"_s, u"1"_s));

    f.Progress.Calls.clear();
    QCOMPARE(f.Net.ImportTDD(u"2"_s, u"5"_s, u"1"_s, 0, f.Package(u"2_5_1"_s, 6)), 0);
    auto row = [&](const QString &ksh) {
        return f.Rows(univ, u"select BH, KSZT, BZ from T_TDD where KSH=\"%1\""_s.arg(ksh)).value(0);
    };
    QCOMPARE(row(kept).value(0).toInt(), 3);
    QCOMPARE(row(returned).value(0).toInt(), 6);
    QCOMPARE(row(returned).value(1).toString(), u"1"_s);
    QVERIFY(row(returned).value(2).toString() != u"mine"_s); // the package's remark replaces the local one
    QCOMPARE(row(added).value(0).toInt(), 6);
    QCOMPARE(f.Value(univ, u"select count(*) from T_TDD"_s + SetWhere(u"2"_s, u"5"_s, u"1"_s)).toInt(),
             second.size());
    QCOMPARE(f.Rows(univ, u"select * from T_TDD"_s + SetWhere(u"2"_s, u"1"_s, u"1"_s)), otherSet);
    QCOMPARE(f.Value(univ, u"select DQTDDBH from T_KLJHXZZT"_s + SetWhere(u"2"_s, u"5"_s, u"1"_s)).toInt(),
             6);

    // The progress window went through the stages of the import, with one step per row.
    const TRecordset scores = LeaderMember(f, f.Package(u"2_5_1"_s, 6), u"T_KSHKCJ.adtg"_s);
    const TRecordset resume = LeaderMember(f, f.Package(u"2_5_1"_s, 6), u"T_KSJL.adtg"_s);
    const TRecordset health = LeaderMember(f, f.Package(u"2_5_1"_s, 6), u"T_TJXX.adtg"_s);
    QCOMPARE(ProgressTrace(f.Progress.Calls),
             (QStringList{u"show(导入投档单数据|正在为导入做准备...|0|15|12)"_s, u"step×8"_s,
                          u"show(|正在导入投档单...|15|10|%1)"_s.arg(second.size()),
                          u"step×%1"_s.arg(second.size()), u"show(||25|5|2)"_s, u"step×2"_s,
                          u"show(|正在导入会考成绩库...|30|45|%1)"_s.arg(scores.StoredRowCount()),
                          u"step×%1"_s.arg(scores.StoredRowCount()),
                          u"show(|正在导入考生简历库...|75|17|%1)"_s.arg(resume.StoredRowCount()),
                          u"step×%1"_s.arg(resume.StoredRowCount()),
                          u"show(|正在导入体检库...|92|8|%1)"_s.arg(health.StoredRowCount()),
                          u"step×%1"_s.arg(health.StoredRowCount()), u"hide"_s}));
}

// A package that brings, under the number of a candidate pre-admitted in the set, a
// dossier of another set: that dossier keeps the package number the candidate was
// pre-admitted under, as the set's own dossiers do.
void TestDossierImport::dossierOfAnotherSetKeepsThePreAdmittedNumber()
{
    TExchangeFixture f;
    QVERIFY(f.SetUp());
    TSqlConnection &univ = f.DM.UnivConn;
    QCOMPARE(f.Net.ImportTDD(u"2"_s, u"5"_s, u"1"_s, 0, f.Package(u"2_5_1"_s, 3)), 0);
    const QStringList later = KshOf(f.Package(u"2_5_1"_s, 6), f);
    QString moved;
    for (const QString &ksh : KshOf(f.Package(u"2_5_1"_s, 3), f)) {
        if (later.contains(ksh) && moved.isEmpty())
            moved = ksh;
    }
    QVERIFY(!moved.isEmpty());
    f.DerivePackage(u"2_5_1"_s, 6, 7, [&](const QString &folder) {
        ChangeRecordsetFile(folder + u"T_TDD.adtg"_s, [&](const TRecordset &set) {
            const int ksh = set.FindField(u"KSH");
            const int kl = set.FindField(u"KLDM");
            const int bh = set.FindField(u"BH");
            TRecordset result(set.Columns());
            for (int i = 0; i < set.StoredRowCount(); ++i) {
                QList<TDbValue> values = set.StoredRow(i).Values;
                if (values.at(ksh).AsString() == moved) {
                    values[kl] =
                        values.at(kl).Get<QByteArray>() ? TDbValue(QByteArray("1\0", 2)) : TDbValue(u"1"_s);
                    values[bh] = TDbValue(); // the number comes from the member's list alone
                }
                result.AddRow(values);
            }
            return result;
        });
    });
    QCOMPARE(f.Net.ImportTDD(u"2"_s, u"5"_s, u"1"_s, 0, f.Package(u"2_5_1"_s, 7)), 0);
    const QVariantList row =
        f.Rows(univ, u"select KLDM, BH from T_TDD where KSH=\"%1\""_s.arg(moved)).value(0);
    QCOMPARE(row.value(0).toString(), u"1"_s);
    QCOMPARE(row.value(1).toInt(), 3);
    QCOMPARE(f.Value(univ, u"select count(*) from T_TDD"_s + SetWhere(u"2"_s, u"5"_s, u"1"_s) +
                               u" and BH <> 3 and BH <> 7"_s)
                 .toInt(),
             0);
}

// A member of one set imports its package again: the set's rows, and only they, are
// replaced, whether the tables hold nothing else (emptied as a whole) or also a row of
// no candidate of the set.
void TestDossierImport::samePackageAgainReplacesTheSetsRows_data()
{
    QTest::addColumn<bool>("strayRow");
    QTest::newRow("only the set") << false;
    QTest::newRow("and a row of no candidate of the set") << true;
}

void TestDossierImport::samePackageAgainReplacesTheSetsRows()
{
    QFETCH(bool, strayRow);
    TExchangeFixture f;
    QVERIFY(f.SetUp());
    TSqlConnection &univ = f.DM.UnivConn;
    const QString package = f.Package(u"2_5_1"_s, 6);
    QCOMPARE(f.Net.ImportTDD(u"2"_s, u"5"_s, u"1"_s, 0, package), 0);
    const TSnapshot once = Snapshot(f);
    // A score the package no longer has goes; a row of another candidate stays.
    const QString candidate = KshOf(package, f).value(0);
    univ.ExecSQL(u"insert into T_KSHKCJ (KSH, CJXDM, CJ) values (\"%1\", \"ZZ\", \"A\")"_s.arg(candidate));
    const QString stray = u"where KSH=\"99999999999999\""_s;
    if (strayRow)
        univ.ExecSQL(u"insert into T_KSHKCJ (KSH, CJXDM, CJ) values (\"99999999999999\", \"01\", \"A\")"_s);
    QCOMPARE(f.Net.ImportTDD(u"2"_s, u"5"_s, u"1"_s, 0, package), 0);
    QCOMPARE(f.Value(univ, u"select count(*) from T_KSHKCJ "_s + stray).toInt(), strayRow ? 1 : 0);
    univ.ExecSQL(u"delete from T_KSHKCJ "_s + stray);
    QCOMPARE(Snapshot(f), once);
}

void TestDossierImport::extraColumnRebuildsTheTable()
{
    TExchangeFixture f;
    QVERIFY(f.SetUp());
    TSqlConnection &univ = f.DM.UnivConn;
    QCOMPARE(f.Net.ImportTDD(u"2"_s, u"1"_s, u"1"_s, 0, f.Package(u"2_1_1"_s, 2)), 0);
    QCOMPARE(f.Net.ImportTDD(u"2"_s, u"5"_s, u"1"_s, 0, f.Package(u"2_5_1"_s, 3)), 0);
    const QList<QVariantList> otherSet =
        f.Rows(univ, u"select KSH, XM, KSZT, BH from T_TDD"_s + SetWhere(u"2"_s, u"1"_s, u"1"_s));
    f.DerivePackage(u"2_5_1"_s, 6, 7, [](const QString &folder) {
        ChangeRecordsetFile(folder + u"T_TDD.adtg"_s, [](TRecordset set) {
            return WithExtraColumn(set, u"XTRA"_s, [](int row) { return u"x%1"_s.arg(row); });
        });
    });
    f.Progress.Calls.clear();
    QCOMPARE(f.Net.ImportTDD(u"2"_s, u"5"_s, u"1"_s, 0, f.Package(u"2_5_1"_s, 7)), 0);
    QVERIFY(f.Columns(univ, u"T_TDD"_s).contains(u"XTRA"_s));
    QCOMPARE(f.Rows(univ, u"select KSH, XM, KSZT, BH from T_TDD"_s + SetWhere(u"2"_s, u"1"_s, u"1"_s)),
             otherSet);
    QCOMPARE(f.Value(univ, u"select count(*) from T_TDD where XTRA like \"x%\""_s).toInt(),
             KshOf(f.Package(u"2_5_1"_s, 7), f).size());
    QCOMPARE(f.Value(univ, u"select count(*) from T_TDD where XTRA is null"_s).toInt(), otherSet.size());
    QCOMPARE(ProgressTrace(f.Progress.Calls).mid(0, 2),
             (QStringList{u"show(导入投档单数据|正在为导入做准备...|0|15|12)"_s, u"step×12"_s}));
    QVERIFY(!univ.TableExists(u"t_tdd_tmp"_s));
}

void TestDossierImport::brokenPackageLeavesTheSetAsItWas_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<QByteArray>("bytes"); // empty: the member is removed
    QTest::addColumn<bool>("extraColumn");
    QTest::addColumn<bool>("staleFolder"); // a work folder left by a run that ended abruptly
    QTest::newRow("no package number") << u"TDDBH.dat"_s << QByteArray() << false << false;
    QTest::newRow("unreadable résumés")
        << u"T_KSJL.adtg"_s << QByteArrayLiteral("not a recordset") << false << false;
    QTest::newRow("no health checks") << u"T_TJXX.adtg"_s << QByteArray() << false << false;
    QTest::newRow("new structure, no health checks") << u"T_TJXX.adtg"_s << QByteArray() << true << false;
    QTest::newRow("not an archive") << QString() << QByteArrayLiteral("PK but not a zip") << false << false;
    QTest::newRow("not an archive, stale work folder")
        << QString() << QByteArrayLiteral("PK but not a zip") << false << true;
}

void TestDossierImport::brokenPackageLeavesTheSetAsItWas()
{
    QFETCH(QString, member);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, extraColumn);
    QFETCH(bool, staleFolder);
    TExchangeFixture f;
    QVERIFY(f.SetUp());
    TSqlConnection &univ = f.DM.UnivConn;
    QCOMPARE(f.Net.ImportTDD(u"2"_s, u"5"_s, u"1"_s, 0, f.Package(u"2_5_1"_s, 3)), 0);
    univ.ExecSQL(u"update T_TDD set KSZT=\"2\", BZ=\"mine\" where KSH in (select top 1 KSH from T_TDD)"_s);
    const TSnapshot before = Snapshot(f);

    f.DerivePackage(u"2_5_1"_s, 6, 8, [&](const QString &folder) {
        if (extraColumn)
            ChangeRecordsetFile(folder + u"T_TDD.adtg"_s, [](TRecordset set) {
                return WithExtraColumn(set, u"XTRA"_s, [](int) { return u"x"_s; });
            });
        if (member.isEmpty())
            return;
        QFile::remove(folder + member);
        if (!bytes.isEmpty()) {
            QFile file(folder + member);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
    });
    if (member.isEmpty()) {
        QFile file(f.Package(u"2_5_1"_s, 8));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    if (staleFolder) {
        const QString work = ZKMainDef().LoginInfo.DownloadFolder + u"tdd_251(003200350031)/"_s;
        QDir().mkpath(work);
        QCOMPARE(ExtractArchive(f.Package(u"2_5_1"_s, 6), work), 0);
    }
    f.Progress.Calls.clear();
    QCOMPARE(f.Net.ImportTDD(u"2"_s, u"5"_s, u"1"_s, 0, f.Package(u"2_5_1"_s, 8)), 2);
    QVERIFY(Snapshot(f) == before);
    for (const QString &table : univ.GetTableNames())
        QVERIFY2(!table.endsWith(u"_tmp"_s, Qt::CaseInsensitive), qPrintable(table));
    QCOMPARE(f.Progress.Calls.last().Kind, u"hide"_s);
    QVERIFY(f.Messages.Messages.isEmpty());
    QVERIFY(QDir(ZKMainDef().LoginInfo.DownloadFolder).entryList({u"tdd_*"_s}, QDir::Dirs).isEmpty());
    // The next package imports as usual.
    QCOMPARE(f.Net.ImportTDD(u"2"_s, u"5"_s, u"1"_s, 0, f.Package(u"2_5_1"_s, 6)), 0);
}

// A column name that is no plain identifier, in the dossiers (a new structure: the table
// would be rebuilt) or in a companion table (merged into the existing one): the package
// is refused like a broken one, the set stays as it was and no statement ran with it.
void TestDossierImport::hostileColumnNameRefusesThePackage_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<QString>("column");
    QTest::newRow("dossiers, second statement") << u"T_TDD.adtg"_s << u"X text);drop table T_JHK;--"_s;
    QTest::newRow("dossiers, attached file") << u"T_TDD.adtg"_s << u"X in \"evil.mdb\""_s;
    QTest::newRow("dossiers, quote") << u"T_TDD.adtg"_s << u"X\"Y"_s;
    QTest::newRow("health checks, bracket") << u"T_TJXX.adtg"_s << u"X] text, [Y"_s;
    QTest::newRow("résumés, control character") << u"T_KSJL.adtg"_s << u"X\x1bY"_s;
}

void TestDossierImport::hostileColumnNameRefusesThePackage()
{
    QFETCH(QString, member);
    QFETCH(QString, column);
    TExchangeFixture f;
    QVERIFY(f.SetUp());
    const QString evil = ZKMainDef().LoginInfo.DownloadFolder + u"evil.mdb"_s;
    column.replace(u"evil.mdb"_s, evil);
    QCOMPARE(f.Net.ImportTDD(u"2"_s, u"5"_s, u"1"_s, 0, f.Package(u"2_5_1"_s, 3)), 0);
    const TSnapshot before = Snapshot(f);
    const QStringList tables = f.DM.UnivConn.GetTableNames();
    f.DerivePackage(u"2_5_1"_s, 6, 8, [&](const QString &folder) {
        ChangeRecordsetFile(folder + member, [&](TRecordset set) {
            return WithExtraColumn(set, column, [](int) { return u"x"_s; });
        });
    });
    QCOMPARE(f.Net.ImportTDD(u"2"_s, u"5"_s, u"1"_s, 0, f.Package(u"2_5_1"_s, 8)), 2);
    QVERIFY(Snapshot(f) == before);
    QCOMPARE(f.DM.UnivConn.GetTableNames(), tables);
    QVERIFY(!QFile::exists(evil));
    QCOMPARE(f.Net.ImportTDD(u"2"_s, u"5"_s, u"1"_s, 0, f.Package(u"2_5_1"_s, 6)), 0);
}

QTEST_GUILESS_MAIN(TestDossierImport)
#include "tst_DossierImport.moc"
