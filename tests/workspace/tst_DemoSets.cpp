// The workspace on the data the leader sends: the demo generator's code library, plan and
// dossier packages (numeric and graded scores) loaded into a user's local tables, every
// set opened, every cell computed, every column sorted, and a decision made.
#include "TestSupport.h"
#include "WorkspaceFixture.h"
#include "leader/DemoGenerator.h"
#include "store/Adtg.h"
#include "store/Archive.h"
#include "store/Schema.h"
#include "store/SqlQuery.h"
#include "store/StorageFolder.h"
#include "store/TableTools.h"
#include "store/ZKMainDef.h"

#include <QDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Loads every recordset of a package into its table; names maps a file to its table
// and keys ("" for none); files not named are not loaded.
void LoadPackage(TSqlConnection &conn, const QString &zip, const QString &work,
                 const QMap<QString, QPair<QString, QString>> &names, TCopyTableOptions options = {})
{
    QDir(work).removeRecursively();
    QVERIFY(QDir().mkpath(work));
    QCOMPARE(ExtractArchive(zip, work), 0);
    for (auto it = names.begin(); it != names.end(); ++it) {
        const QString file = QDir(work).filePath(it.key());
        if (!QFile::exists(file))
            continue;
        TRecordset set = LoadAdtgFile(file);
        QVERIFY2(CopyDataSetToTable(set, conn, it.value().first, it.value().second, options),
                 qPrintable(it.key()));
    }
}

QMap<QString, QPair<QString, QString>> CodeLibraryNames()
{
    QMap<QString, QPair<QString, QString>> names;
    for (const TDmDBFRec &t : DmDBFTable())
        names.insert(t.TableName + u".adtg"_s, {t.TableName, t.DMField});
    names.insert(u"TD_ZYLBDM.adtg"_s, {u"TD_ZYLBDM"_s, u"ZYLBDM"_s});
    names.insert(u"TD_ZYSXDM.adtg"_s, {u"TD_ZYSXDM"_s, u"ZYSXDM"_s});
    names.insert(u"td_cjxlxdm.adtg"_s, {u"td_cjxlxdm"_s, u"cjxlxdm"_s});
    names.insert(u"td_djdm.adtg"_s, {u"td_djdm"_s, u"cjxlxdm;cj"_s});
    names.insert(u"t_common_params.adtg"_s, {u"t_common_params"_s, QString()});
    names.insert(u"T_TDDZDSX.adtg"_s, {u"T_TDDZDSX"_s, QString()});
    names.insert(u"T_TDDW.adtg"_s, {u"T_TDDW"_s, QString()});
    return names;
}

QMap<QString, QPair<QString, QString>> PlanNames()
{
    return {{u"T_ZYYHLQZTB.adtg"_s, {u"T_KLJHXZZT"_s, QString()}},
            {u"T_JHK.adtg"_s, {u"T_JHK"_s, QString()}},
            {u"T_TDDWCSMB.adtg"_s, {u"T_TDDWCSMB"_s, QString()}},
            {u"T_TDDWCSMBZYJCB.adtg"_s, {u"T_TDDWCSMBZYJCB"_s, QString()}},
            {u"T_ZYCSMB.adtg"_s, {u"T_ZYCSMB"_s, QString()}}};
}

} // namespace

class TestDemoSets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TDemoOptions options;
        options.Root = FDemo.path();
        options.Candidates = 240;
        options.Members = 1;
        options.Rounds = 2;
        options.Images = false;
        options.Seed = 11;
        QVERIFY(!GenerateDemo(options).isEmpty());
    }

    void everySetOpensSortsAndDecides_data()
    {
        QTest::addColumn<QString>("ssdm");
        QTest::addColumn<bool>("graded");
        QTest::newRow("numeric scores") << u"11"_s << false;
        QTest::newRow("graded scores") << u"32"_s << true;
    }
    void everySetOpensSortsAndDecides()
    {
        QFETCH(QString, ssdm);
        QFETCH(bool, graded);
        QTemporaryDir dir;
        TZKMainDef &def = ZKMainDef();
        def.Reset();
        def.LoginInfo = {};
        def.LoginInfo.SSPY = u"DEMO%1"_s.arg(ssdm);
        def.LoginInfo.UserName = u"zy01"_s;
        def.LoginInfo.StorageFolder = u"%1/"_s.arg(dir.path());
        DeriveUserFolders(def.LoginInfo);
        const QString user = def.LoginInfo.UserFolder;
        QVERIFY(QDir().mkpath(user));
        const QString shipped = u"%1/"_s.arg(zktest::programFolder());
        QVERIFY(QFile::copy(shipped + UnivDatabaseFileName, user + UnivDatabaseFileName));
        QVERIFY(QFile::copy(shipped + UnivShareDatabaseFileName, user + UnivShareDatabaseFileName));
        QFile::setPermissions(user + UnivDatabaseFileName, QFile::ReadOwner | QFile::WriteOwner);
        QFile::setPermissions(user + UnivShareDatabaseFileName, QFile::ReadOwner | QFile::WriteOwner);

        TMainDM dm;
        TFakeMessageSink messages;
        TFakeMainView view;
        TMemoryGrid grid;
        dm.SetMessageSink(&messages);
        dm.SetMainView(&view);
        dm.SetGrid(&grid);
        dm.UnivConn.Open(user + UnivDatabaseFileName);
        dm.UnivShareConn.SetConnectionString(user + UnivShareDatabaseFileName);
        const QString member = u"%1/%2/zy01/"_s.arg(FDemo.path(), ssdm);
        const QString work = dir.filePath(u"work"_s);
        LoadPackage(dm.UnivConn, member + u"dmk.zip"_s, work, CodeLibraryNames());
        LoadPackage(dm.UnivConn, member + u"jhk.zip"_s, work, PlanNames());
        const QString screen = graded ? u"1280_rank"_s : u"1280"_s;
        QStringList rebuild{u"INSERT INTO T_TDDZDXHKD"_s,
                            u"  (PCDM, KLDM, JHXZ, ZDDH, WZSY, KD, DYWZ, DYKD)"_s,
                            u"SELECT PCDM, KLDM, JHXZ, ZDDH, WZSY%1, "_s.arg(screen),
                            u"  QSKD%1, WZSY%1, DYKD"_s.arg(screen), u"FROM T_TDDZDSX, T_KLJHXZZT"_s};
        if (!graded)
            rebuild.append(u"WHERE rank_only <> \"1\""_s);
        dm.UnivConn.ExecSQL(rebuild);
        TRecordset empty = LoadAdtgFile(shipped + u"T_TDD.adtg"_s);
        QVERIFY(CopyDataSetToTable(empty, dm.UnivConn, u"T_TDD"_s, u"KSH"_s, {}));
        if (graded)
            dm.UnivConn.ExecSQL(u"drop table T_TDD"_s);
        QDir tdd(member + u"tdd"_s);
        for (const QString &set : tdd.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            for (const QString &package :
                 QDir(tdd.filePath(set)).entryList({u"*.zip"_s}, QDir::Files, QDir::Name))
                LoadPackage(dm.UnivConn, QDir(tdd.filePath(set)).filePath(package), work,
                            {{u"T_TDD.adtg"_s, {u"T_TDD"_s, u"KSH"_s}}}, ctoMerge);
        }

        QCOMPARE(dm.ReadDMTable(), 0);
        QCOMPARE(def.RankScoreSupported, graded);
        QVERIFY(!dm.DMTables[TD_TDYYDM].isEmpty());
        TSqlQuery sets(&dm.UnivConn);
        sets.SetSQL(u"select pcdm, kldm, jhxz from T_KLJHXZZT"_s);
        int opened = 0;
        int decided = 0;
        for (sets.Open(); !sets.Eof(); sets.Next()) {
            def.CurPCDM = sets.AsString(0);
            dm.ReadKL_JHXZ();
            dm.ChangeCurrTDDKlJhxz(sets.AsString(1), sets.AsString(2));
            QVERIFY2(messages.Messages.isEmpty(), qPrintable(messages.Messages.value(0).Text));
            QVERIFY(def.IsTDDOpen);
            ++opened;
            TSqlQuery count(&dm.UnivConn);
            count.SetSQL(u"select count(*) from T_TDD where pcdm = :p and kldm = :k and jhxz = :j"_s);
            SetCodeParam(count, u"p"_s, 1, def.CurPCDM);
            SetCodeParam(count, u"k"_s, 1, def.CurKLDM);
            SetCodeParam(count, u"j"_s, 1, def.CurJHXZ);
            count.Open();
            QCOMPARE(dm.KsNum, count.Value(0).toInt());
            QVERIFY(dm.ColumnNum > 20);
            // Every candidate stands in the list of its current major, in the list's order.
            for (const auto &jh : dm.JhTable) {
                for (int i = 0; i < jh->KsList.size(); ++i) {
                    QCOMPARE(jh->KsList[i]->LqZyId, jh->JhId);
                    if (i > 0)
                        QVERIFY(dm.Order.Compare(*jh, jh->KsList[i - 1], jh->KsList[i]) <= 0);
                }
            }
            for (const TKSItem *ks : dm.CurrentKSList) {
                for (const TZKColumnRec &column : dm.ZKColumn)
                    dm.GetTddFieldStr(ks, column);
            }
            for (int c = 0; c < dm.ColumnNum; ++c)
                dm.SortKS(c);
            QVERIFY2(messages.Messages.isEmpty(), qPrintable(messages.Messages.value(0).Text));
            for (const auto &ks : dm.KsTable) {
                if (ks->KsZt == 4 && ks->YTZyId < dm.JhRecCount) {
                    dm.ApplyLQZT({ks.get()}, {});
                    QCOMPARE(ks->KsZt, 1);
                    QVERIFY(dm.Jh(ks->YTZyId)->KsList.contains(ks.get()));
                    ++decided;
                    break;
                }
            }
        }
        QVERIFY(opened >= 4);
        QVERIFY(decided >= 1);
        dm.CloseTDD();
    }

private:
    QTemporaryDir FDemo;
};

QTEST_GUILESS_MAIN(TestDemoSets)
#include "tst_DemoSets.moc"
