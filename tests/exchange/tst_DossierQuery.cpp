// The dossier query chain against the stand-in: the leader's batch, the texts of the
// busy window, the reload of the open set, and the automatic query timer with its
// pending query.
#include "ExchangeFixture.h"
#include "store/SqlQuery.h"
#include "store/ZKMainDef.h"
#include "workspace/DmTables.h"

#include <QFile>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestDossierQuery : public QObject
{
    Q_OBJECT

private slots:
    void fullQueryAsksForTheLeadersBatch();
    void leadersBatchWithAQuoteIsStored();
    void openSetIsReloadedWhenItsPackageArrives();
    void timerFollowsThePeriod();
    void offlineTickDoesNothing();
    void tickDuringAQueryRunsOnceAfterIt();
};

void TestDossierQuery::fullQueryAsksForTheLeadersBatch()
{
    TExchangeFixture f;
    QVERIFY(f.SetUp());
    f.Animation.Shown.clear();
    f.Animation.Stops = 0;
    QVERIFY(f.Session.DownloadDossiers());

    const TZKMainDef &def = ZKMainDef();
    QCOMPARE(def.LeaderPCDM, u"2"_s); // the demo leader's current batch
    {
        TMainDM::ShareUse share(f.DM);
        QCOMPARE(f.Value(f.DM.UnivShareConn, u"select ZDPCDM from T_YXZT"_s).toString(), u"2"_s);
    }
    const QList<QVariantList> sets =
        f.Rows(f.DM.UnivConn,
               u"select PCDM, KLDM, JHXZ from T_KLJHXZZT where PCDM=\"2\" order by PCDM, KLDM, JHXZ"_s);
    QCOMPARE(f.Net.LastRunResults.size(), sets.size());
    QList<std::pair<QString, QString>> expected{
        {u"查询组长服务器信息"_s, u"正在查询组长服务器的有关信息，请稍候..."_s},
        {u"查询组长服务器信息"_s, u"正在向招生组长的服务器查询您所负责的专业的有关信息，请稍候..."_s}};
    for (int i = 0; i < sets.size(); ++i) {
        const QString PCDM = sets[i][0].toString(), KLDM = sets[i][1].toString(),
                      JHXZ = sets[i][2].toString();
        QCOMPARE(f.Net.LastRunResults[i].PCDM + f.Net.LastRunResults[i].KLDM + f.Net.LastRunResults[i].JHXZ,
                 PCDM + KLDM + JHXZ);
        QCOMPARE(f.Net.LastRunResults[i].Import, 0);
        expected.append(
            {u"查询投档单"_s, u"正在查询 %1 %2，%3 %4，%5 %6 是否有新的考生投档单，请稍候。"_s.arg(
                                  PCDM, f.DM.GetDMMC(TD_PCDM, PCDM), KLDM, f.DM.GetDMMC(TD_KLDM, KLDM), JHXZ,
                                  f.DM.GetDMMC(TD_JHXZDM, JHXZ))});
    }
    QVERIFY(!f.DM.GetDMMC(TD_PCDM, u"2"_s).isEmpty());
    QCOMPARE(f.Animation.Shown, expected);
    QCOMPARE(f.Animation.Stops, expected.size());
    QVERIFY(def.IsNetIdle);
}

// The batch code comes from the server: it is stored as it is, never pasted into a statement.
void TestDossierQuery::leadersBatchWithAQuoteIsStored()
{
    TExchangeFixture f;
    QVERIFY(f.SetUp());
    QFile dqpc(f.LeaderRoot() + f.SSDM + u"/dqpc.txt"_s);
    QVERIFY(dqpc.open(QIODevice::WriteOnly | QIODevice::Truncate));
    dqpc.write("\"\n"); // a batch code is one character on the wire
    dqpc.close();
    QVERIFY(f.Session.DownloadDossiers());
    QCOMPARE(ZKMainDef().LeaderPCDM, u"\""_s);
    TMainDM::ShareUse share(f.DM);
    QCOMPARE(f.Value(f.DM.UnivShareConn, u"select ZDPCDM from T_YXZT"_s).toString(), u"\""_s);
    QVERIFY(f.Messages.Messages.isEmpty());
    QVERIFY(f.Net.LastRunResults.isEmpty()); // no set of such a batch
}

void TestDossierQuery::openSetIsReloadedWhenItsPackageArrives()
{
    TExchangeFixture f;
    QVERIFY(f.SetUp());
    QVERIFY(f.Session.DownloadDossiers());
    QVERIFY(f.Session.OpenSet(u"2"_s, u"1"_s, u"1"_s));
    const int before = int(f.DM.KsTable.size());
    QVERIFY(before > 1);
    f.DerivePackage(u"2_1_1"_s, 2, 9, [](const QString &folder) {
        ChangeRecordsetFile(folder + u"T_TDD.adtg"_s, [](TRecordset set) {
            set.Last();
            set.Delete();
            set.AcceptChanges();
            return set;
        });
    });
    QVERIFY(f.Session.DownloadDossiers());
    QVERIFY(ZKMainDef().IsTDDOpen);
    QCOMPARE(ZKMainDef().CurKLDM, u"1"_s);
    QCOMPARE(int(f.DM.KsTable.size()), before - 1);
}

void TestDossierQuery::timerFollowsThePeriod()
{
    TExchangeFixture f;
    QVERIFY(f.SetUp());
    QVERIFY(!f.Net.QueryTimer.isActive()); // off until the period has been read
    QCOMPARE(f.Net.QueryTimer.interval(), 600000);
    const struct
    {
        int Period;
        bool Active;
        int Interval;
    } cases[] = {
        {5, true, 300000}, {-5, false, 300000}, {0, false, 300000}, {7, true, 420000}, {1, true, 60000}};
    for (const auto &c : cases) {
        {
            TMainDM::ShareUse share(f.DM);
            f.DM.UnivShareConn.ExecSQL(u"update T_YXZT set SJXZZQ=%1"_s.arg(c.Period));
        }
        f.Net.SetQueryTimer();
        QCOMPARE(f.Net.QueryTimer.isActive(), c.Active);
        QCOMPARE(f.Net.QueryTimer.interval(), c.Interval);
        if (c.Active)
            QVERIFY(f.Net.QueryTimer.remainingTime() > c.Interval - 30000); // the count restarted
    }
}

void TestDossierQuery::offlineTickDoesNothing()
{
    TExchangeFixture f;
    f.Net.QueryTimerTimer();
    QVERIFY(f.Animation.Shown.isEmpty());
    QVERIFY(!ZKMainDef().PendingDownLoadAllTDD);
    QVERIFY(ZKMainDef().IsNetIdle);
}

void TestDossierQuery::tickDuringAQueryRunsOnceAfterIt()
{
    TExchangeFixture f;
    QVERIFY(f.SetUp());
    TZKMainDef &def = ZKMainDef();
    int runs = 0;
    f.Net.OnDownLoadAllTDDDone = [&] { ++runs; };
    f.Animation.OnShow = [&](const QString &title) {
        if (runs == 0 && title == u"查询投档单"_s) {
            f.Net.QueryTimerTimer(); // ticks inside the running query
            f.Net.QueryTimerTimer();
            QVERIFY(def.PendingDownLoadAllTDD);
        }
    };
    f.Net.QueryTimerTimer();
    QVERIFY(!def.IsNetIdle);
    QVERIFY(WaitUntil([&] { return runs == 2 && def.IsNetIdle; }));
    QVERIFY(!def.PendingDownLoadAllTDD);
    QCoreApplication::processEvents();
    QCOMPARE(runs, 2);

    // While another operation's progress window shows, the query only becomes pending.
    f.Animation.Shown.clear();
    f.Progress.ForceShowing = true;
    f.Net.DownLoadAllTDD();
    QVERIFY(def.PendingDownLoadAllTDD);
    QVERIFY(f.Animation.Shown.isEmpty());
    QVERIFY(def.IsNetIdle);
}

QTEST_GUILESS_MAIN(TestDossierQuery)
#include "tst_DossierQuery.moc"
