// The code and plan library imports against generated demo libraries: the first set-up,
// a plan reload that keeps the member's own state, values with quotes, and failures
// that leave both databases as they were.
#include "ExchangeFixture.h"
#include "link/PasswordSeal.h"
#include "store/Adtg.h"
#include "store/Archive.h"
#include "store/ZKMainDef.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// A copy of a leader's library package, changed on the unpacked folder.
QString ChangedLibrary(TExchangeFixture &f, const QString &library,
                       const std::function<void(const QString &folder)> &change)
{
    const QString folder = f.Temp(library + u"_changed/"_s);
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    if (ExtractArchive(f.LeaderUser() + library + u".zip"_s, folder) != 0)
        qFatal("cannot unpack the library");
    change(folder);
    const QString package = f.Temp(library + u"_changed.zip"_s);
    QFile::remove(package);
    if (CompressFolder(package, folder) != 0)
        qFatal("cannot pack the library");
    return package;
}

TRecordset Emptied(TRecordset set)
{
    set.ClearRows();
    return set;
}

TRecordset WithName(TRecordset set, const QString &name)
{
    set.First();
    set.Edit();
    set.FieldByName(u"YXMC").SetAsString(name);
    set.Post();
    set.AcceptChanges();
    return set;
}

} // namespace

class TestLibraryImport : public QObject
{
    Q_OBJECT

private slots:
    void firstSetUpFillsBothDatabases_data();
    void firstSetUpFillsBothDatabases();
    void planReloadKeepsTheMembersState();
    void institutionNameWithQuotes();
    void failedCodeLibraryLeavesBothDatabases();
    void failedPlanLeavesNoCopyBehind();
};

void TestLibraryImport::firstSetUpFillsBothDatabases_data()
{
    QTest::addColumn<bool>("graded");
    QTest::newRow("numeric scores") << false;
    QTest::newRow("graded scores") << true;
}

void TestLibraryImport::firstSetUpFillsBothDatabases()
{
    QFETCH(bool, graded);
    TExchangeFixture f(TExchangeFixture::SmallDemo(false, graded));
    QVERIFY(f.SetUp());
    QVERIFY2(f.Messages.Messages.isEmpty(), qPrintable(f.Messages.Messages.value(0).Text));
    TSqlConnection &univ = f.DM.UnivConn;
    const TLoginInfo &login = ZKMainDef().LoginInfo;

    // The shared database: institution, user, sealed password, set-up mark, all wishes.
    {
        TMainDM::ShareUse share(f.DM);
        const QVariantList yxzt =
            f.Rows(f.DM.UnivShareConn, u"select YXDM, YXMC, YHM, YHKL, creation_time, GKLQZ "
                                       "from T_YXZT"_s)
                .value(0);
        QCOMPARE(yxzt.value(0).toString(), u"19001"_s);
        QCOMPARE(yxzt.value(1).toString(), u"北辰科技大学"_s);
        QCOMPARE(yxzt.value(2).toString(), TExchangeFixture::User);
        QCOMPARE(UnsealPassword(yxzt.value(3).toString()), TExchangeFixture::Password);
        QVERIFY(yxzt.value(4).toDateTime().isValid());
        QCOMPARE(yxzt.value(5).toString(), u"1"_s);
        QVERIFY(f.Value(f.DM.UnivShareConn, u"select count(*) from T_QBZYK"_s).toInt() > 0);
    }
    // The code tables, the grade tables only in graded-score mode.
    QCOMPARE(f.Value(univ, u"select count(*) from TD_XBDM"_s).toInt(), 2);
    QCOMPARE(univ.TableExists(u"td_djdm"_s), graded);
    QCOMPARE(ZKMainDef().RankScoreSupported, graded);
    // Every set starts afresh; every field gets its default layout in every set, rank-only
    // fields only with rank scores, from the columns of the screen class.
    QCOMPARE(f.Rows(univ, u"select distinct DQTDDBH, ZT, DQTDDWDM, DQZYDH, PXZDDH from T_KLJHXZZT"_s),
             (QList<QVariantList>{{0, u"0"_s, u""_s, u""_s, u"KSH"_s}}));
    const int sets = f.Value(univ, u"select count(*) from T_KLJHXZZT"_s).toInt();
    QVERIFY(sets >= 5);
    const QString fields = graded ? u"select count(*) from T_TDDZDSX"_s
                                  : u"select count(*) from T_TDDZDSX where rank_only <> \"1\""_s;
    QCOMPARE(f.Value(univ, u"select count(*) from T_TDDZDXHKD"_s).toInt(),
             f.Value(univ, fields).toInt() * sets);
    const QString width = graded ? u"800_rank"_s : u"800"_s;
    QCOMPARE(f.Value(univ, u"select count(*) from T_TDDZDXHKD L, T_TDDZDSX A where L.ZDDH = A.ZDDH "
                           "and (L.WZSY <> A.WZSY%1 or L.KD <> A.QSKD%1 or L.DYWZ <> A.WZSY%1)"_s.arg(width))
                 .toInt(),
             0);
    // The empty dossier table with the shipped recordset's columns, and t_tddbh.
    const TRecordset shipped = LoadAdtgFile(ZKMainDef().ProgramFolder + u"T_TDD.adtg"_s);
    QCOMPARE(f.Columns(univ, u"T_TDD"_s).size(), shipped.FieldCount());
    QCOMPARE(f.Value(univ, u"select count(*) from T_TDD"_s).toInt(), 0);
    QVERIFY(univ.TableExists(u"t_tddbh"_s));
    // The folders of the user; the work folders are gone, the packages stay.
    for (const QString &sub : {u"BMB"_s, u"TJB"_s, u"FJB"_s, u"KSZP"_s})
        QVERIFY(QFileInfo(login.DownloadFolder + sub).isDir());
    QVERIFY(QFileInfo(login.UploadFolder).isDir());
    QVERIFY(!QFileInfo::exists(login.DownloadFolder + u"dmk"_s));
    QVERIFY(!QFileInfo::exists(login.DownloadFolder + u"jhk"_s));
    QCOMPARE(QDir(login.DownloadFolder).entryList({u"dmk_*.zip"_s, u"jhk_*.zip"_s}).size(), 2);
}

void TestLibraryImport::planReloadKeepsTheMembersState()
{
    TExchangeFixture f;
    QVERIFY(f.SetUp());
    TSqlConnection &univ = f.DM.UnivConn;
    univ.ExecSQL(u"update T_KLJHXZZT set DQTDDBH=7, ZT=\"1\", DQTDDWDM=\"001\", DQZYDH=\"02\", PXZDDH=\"XM\" "
                 "where PCDM=\"2\" and KLDM=\"5\" and JHXZ=\"1\""_s);
    univ.ExecSQL(u"update T_TDDZDXHKD set WZSY=99, KD=123, DYWZ=5, DYKD=44 "
                 "where ZDDH=\"XM\" and PCDM=\"2\" and KLDM=\"5\" and JHXZ=\"1\""_s);
    const QList<QVariantList> layoutBefore =
        f.Rows(univ, u"select * from T_TDDZDXHKD order by PCDM, KLDM, JHXZ, ZDDH"_s);

    QCOMPARE(f.Net.InitJHK(0, f.LeaderUser() + u"jhk.zip"_s), 0);
    QCOMPARE(f.Rows(univ, u"select DQTDDBH, ZT, DQTDDWDM, DQZYDH, PXZDDH from T_KLJHXZZT "
                          "where PCDM=\"2\" and KLDM=\"5\" and JHXZ=\"1\""_s),
             (QList<QVariantList>{{7, u"1"_s, u"001"_s, u"02"_s, u"XM"_s}}));
    QCOMPARE(f.Value(univ, u"select count(*) from T_KLJHXZZT where DQTDDBH <> 0"_s).toInt(), 1);
    QCOMPARE(f.Rows(univ, u"select * from T_TDDZDXHKD order by PCDM, KLDM, JHXZ, ZDDH"_s), layoutBefore);
    QVERIFY(!univ.TableExists(u"T_KLJHXZZT_tmp"_s));
    QVERIFY(!univ.TableExists(u"T_TDDZDXHKD_tmp"_s));
    // A download that did not succeed touches nothing.
    QCOMPARE(f.Net.InitJHK(13, QString()), 1);
    QCOMPARE(f.Net.InitDMK(-1, QString(), false), 1);
    QVERIFY(f.Messages.Messages.isEmpty());
}

void TestLibraryImport::institutionNameWithQuotes()
{
    TExchangeFixture f;
    QVERIFY(f.SetUp());
    const QString name = u"北辰\"科技'大学\\"_s;
    const QString package = ChangedLibrary(f, u"dmk"_s, [&](const QString &folder) {
        ChangeRecordsetFile(folder + u"T_YXZT.adtg"_s, [&](TRecordset set) { return WithName(set, name); });
    });
    QCOMPARE(f.Net.InitDMK(0, package, false), 0);
    TMainDM::ShareUse share(f.DM);
    QCOMPARE(f.Rows(f.DM.UnivShareConn, u"select YXDM, YXMC, YHM from T_YXZT"_s),
             (QList<QVariantList>{{u"19001"_s, name, TExchangeFixture::User}}));
}

// A code library whose last member is missing, with an emptied all-wishes table, an
// emptied code table and a new institution name before it: nothing of it may stay.
void TestLibraryImport::failedCodeLibraryLeavesBothDatabases()
{
    TExchangeFixture f;
    QVERIFY(f.SetUp());
    TSqlConnection &univ = f.DM.UnivConn;
    const int wishes = [&] {
        TMainDM::ShareUse share(f.DM);
        return f.Value(f.DM.UnivShareConn, u"select count(*) from T_QBZYK"_s).toInt();
    }();
    const QString package = ChangedLibrary(f, u"dmk"_s, [&](const QString &folder) {
        ChangeRecordsetFile(folder + u"T_YXZT.adtg"_s,
                            [](TRecordset set) { return WithName(set, u"新名"_s); });
        ChangeRecordsetFile(folder + u"T_QBZYK.adtg"_s, Emptied);
        ChangeRecordsetFile(folder + u"TD_XBDM.adtg"_s, Emptied);
        QFile::remove(folder + u"T_TDDW.adtg"_s);
    });
    QCOMPARE(f.Net.InitDMK(0, package, false), 2);
    QCOMPARE(f.Messages.Messages.size(), 1);
    QVERIFY(f.Messages.Messages[0].Text.startsWith(u"保存代码表出错:\r\n"_s));
    QCOMPARE(f.Messages.Messages[0].Caption, u"系统事件"_s);
    QCOMPARE(f.Messages.Messages[0].Icon, TMsgIcon::Warning);
    QCOMPARE(f.Value(univ, u"select count(*) from TD_XBDM"_s).toInt(), 2);
    QVERIFY(f.Value(univ, u"select count(*) from T_TDDW"_s).toInt() > 0);
    {
        TMainDM::ShareUse share(f.DM);
        QCOMPARE(f.Value(f.DM.UnivShareConn, u"select YXMC from T_YXZT"_s).toString(), u"北辰科技大学"_s);
        QCOMPARE(f.Value(f.DM.UnivShareConn, u"select count(*) from T_QBZYK"_s).toInt(), wishes);
    }
    QVERIFY(!QFileInfo::exists(ZKMainDef().LoginInfo.DownloadFolder + u"dmk"_s));
}

void TestLibraryImport::failedPlanLeavesNoCopyBehind()
{
    TExchangeFixture f;
    QVERIFY(f.SetUp());
    TSqlConnection &univ = f.DM.UnivConn;
    univ.ExecSQL(u"update T_KLJHXZZT set DQTDDBH=7 where PCDM=\"2\" and KLDM=\"5\" and JHXZ=\"1\""_s);
    const QList<QVariantList> plan = f.Rows(univ, u"select * from T_JHK"_s);
    const QString broken = ChangedLibrary(f, u"jhk"_s, [](const QString &folder) {
        ChangeRecordsetFile(folder + u"T_JHK.adtg"_s, Emptied);
        QFile::remove(folder + u"T_ZYCSMBZDCJB.adtg"_s);
    });
    QCOMPARE(f.Net.InitJHK(0, broken), 2);
    QCOMPARE(f.Messages.Messages.size(), 1);
    QVERIFY2(f.Messages.Messages[0].Text.startsWith(u"保存计划库第 3 步出错:\r\n"_s),
             qPrintable(f.Messages.Messages[0].Text));
    QCOMPARE(f.Messages.Messages[0].Caption, u"系统事件"_s);
    QCOMPARE(f.Rows(univ, u"select * from T_JHK"_s), plan);
    QCOMPARE(f.Value(univ, u"select DQTDDBH from T_KLJHXZZT where PCDM=\"2\" and KLDM=\"5\" and JHXZ=\"1\""_s)
                 .toInt(),
             7);
    for (const QString &table : univ.GetTableNames())
        QVERIFY2(!table.endsWith(u"_tmp"_s, Qt::CaseInsensitive), qPrintable(table));
    // The next plan imports as usual.
    QCOMPARE(f.Net.InitJHK(0, f.LeaderUser() + u"jhk.zip"_s), 0);
    QCOMPARE(f.Value(univ, u"select DQTDDBH from T_KLJHXZZT where PCDM=\"2\" and KLDM=\"5\" and JHXZ=\"1\""_s)
                 .toInt(),
             7);
}

QTEST_GUILESS_MAIN(TestLibraryImport)
#include "tst_LibraryImport.moc"
