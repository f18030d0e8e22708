// zelkinc-cli sync and send-results run as programs against the stand-in serving
// generated demo data: a fresh storage folder filled, only what is new fetched the next
// time, results delivered and read back by the leader's side.
#include "ExchangeFixture.h"
#include "TestSupport.h"
#include "store/Adtg.h"
#include "store/Archive.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

struct TRun
{
    int Exit = -1;
    QStringList Out;
    QString Err;
};

TRun Cli(const QStringList &args)
{
    QProcess p;
    p.start(zktest::programFolder() + u"/zelkinc-cli"_s, args);
    if (!p.waitForFinished(120000))
        qFatal("zelkinc-cli did not end");
    TRun run;
    run.Exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.Out = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    run.Err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

// "set pcdm=\"2\" kldm=\"5\" jhxz=\"1\" before=0 after=6 dossiers=32 import=done" by set folder "2_5_1".
QMap<QString, QMap<QString, QString>> SetLines(const QStringList &out)
{
    QMap<QString, QMap<QString, QString>> sets;
    for (const QString &line : out) {
        if (!line.startsWith(u"set "_s))
            continue;
        QMap<QString, QString> values;
        for (const QString &pair : line.mid(4).split(u' ')) {
            QString value = pair.section(u'=', 1);
            if (value.startsWith(u'"'))
                value = value.mid(1, value.size() - 2);
            values.insert(pair.section(u'=', 0, 0), value);
        }
        sets.insert(values[u"pcdm"_s] + u'_' + values[u"kldm"_s] + u'_' + values[u"jhxz"_s], values);
    }
    return sets;
}

// The newest package number of each of the leader's sets, and its dossiers.
QMap<QString, QPair<int, int>> LeaderPackages(TExchangeFixture &f)
{
    QMap<QString, QPair<int, int>> packages;
    const QString tdd = f.LeaderUser() + u"tdd/"_s;
    for (const QString &set : QDir(tdd).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        int last = 0;
        for (const QString &zip : QDir(tdd + set).entryList({u"*.zip"_s}))
            last = std::max(last, QFileInfo(zip).baseName().toInt());
        const QString folder = f.Temp(u"leader_"_s + set + u'/');
        QDir().mkpath(folder);
        ExtractArchive(f.Package(set, last), folder);
        packages.insert(set, {last, LoadAdtgFile(folder + u"T_TDD.adtg"_s).StoredRowCount()});
    }
    return packages;
}

} // namespace

class TestExchangeCli : public QObject
{
    Q_OBJECT

    QStringList Args(TExchangeFixture &f, const QString &command,
                     const QString &password = TExchangeFixture::Password)
    {
        return {command,
                u"--storage"_s,
                f.Storage() + u"cli"_s,
                u"--province"_s,
                f.SSDM,
                u"--user"_s,
                TExchangeFixture::User,
                u"--password"_s,
                password,
                u"--host"_s,
                u"127.0.0.1"_s,
                u"--port"_s,
                QString::number(f.Server().Port())};
    }

private slots:
    void syncFillsAFreshFolderThenFetchesWhatIsNew();
    void sendResultsDeliversThePackage();
    void refusedLoginAndWrongCommandLine();
};

void TestExchangeCli::syncFillsAFreshFolderThenFetchesWhatIsNew()
{
    TExchangeFixture f;
    const QMap<QString, QPair<int, int>> leader = LeaderPackages(f);
    const QString batch = u"2"_s; // the demo leader's current batch

    TRun first = Cli(Args(f, u"sync"_s));
    QVERIFY2(first.Exit == 0, qPrintable(first.Err));
    QCOMPARE(first.Out.mid(0, 2), (QStringList{u"login 0"_s, u"first-setup 0"_s}));
    QVERIFY(QFileInfo::exists(f.Storage() + u"cli/t_sszt.adtg"_s));
    QMap<QString, QMap<QString, QString>> sets = SetLines(first.Out);
    QVERIFY(sets.size() >= 5);
    QCOMPARE(sets.keys(), [&] {
        QStringList sorted = sets.keys();
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }());
    for (auto it = sets.cbegin(); it != sets.cend(); ++it) {
        const bool fetched = it.key().startsWith(batch + u'_') && leader.contains(it.key());
        QCOMPARE(it.value()[u"before"_s], u"0"_s);
        QCOMPARE(it.value()[u"after"_s].toInt(), fetched ? leader[it.key()].first : 0);
        QCOMPARE(it.value()[u"dossiers"_s].toInt(), fetched ? leader[it.key()].second : 0);
        QCOMPARE(it.value()[u"import"_s], fetched                      ? u"done"_s
                                          : it.key().startsWith(batch) ? u"none"_s
                                                                       : u"-"_s);
    }

    // Nothing new: nothing is fetched.
    TRun second = Cli(Args(f, u"sync"_s));
    QVERIFY2(second.Exit == 0, qPrintable(second.Err));
    QCOMPARE(second.Out.first(), u"login 0"_s);
    QVERIFY(!second.Out.join(u'\n').contains(u"first-setup"_s));
    for (const auto &set : SetLines(second.Out)) {
        QCOMPARE(set[u"before"_s], set[u"after"_s]);
        QVERIFY(set[u"import"_s] != u"done"_s);
    }

    // A newer package of one set: only that one arrives.
    f.DerivePackage(u"2_1_1"_s, 2, 9);
    TRun third = Cli(Args(f, u"sync"_s));
    QVERIFY2(third.Exit == 0, qPrintable(third.Err));
    sets = SetLines(third.Out);
    QCOMPARE(sets[u"2_1_1"_s][u"before"_s], QString::number(leader[u"2_1_1"_s].first));
    QCOMPARE(sets[u"2_1_1"_s][u"after"_s], u"9"_s);
    QCOMPARE(sets[u"2_1_1"_s][u"import"_s], u"done"_s);
    int done = 0;
    for (const auto &set : sets)
        done += set[u"import"_s] == u"done"_s ? 1 : 0;
    QCOMPARE(done, 1);
}

void TestExchangeCli::sendResultsDeliversThePackage()
{
    TExchangeFixture f;
    TRun sync = Cli(Args(f, u"sync"_s));
    QVERIFY2(sync.Exit == 0, qPrintable(sync.Err));
    const int dossiers = SetLines(sync.Out)[u"2_5_1"_s][u"dossiers"_s].toInt();
    QVERIFY(dossiers > 0);

    const QStringList send = Args(f, u"send-results"_s) + QStringList{u"--set"_s, u"2"_s, u"5"_s, u"1"_s};
    TRun sent = Cli(send);
    QVERIFY2(sent.Exit == 0, qPrintable(sent.Err));
    QCOMPARE(sent.Out, (QStringList{u"login 0"_s, u"send-results 0"_s}));
    QVERIFY(sent.Err.contains(u"发送录取结果: 录取结果已成功发送。\n"_s));
    const QStringList stored = f.Server().Stats().StoredFiles;
    QCOMPARE(stored.size(), 1);
    const QString folder = f.Temp(u"stored/"_s);
    QDir().mkpath(folder);
    QCOMPARE(ExtractArchive(stored.first(), folder), 0);
    const TRecordset result = LoadAdtgFile(folder + u"LQJG.adtg"_s);
    QCOMPARE(result.StoredRowCount(), dossiers);
    QCOMPARE(result.Field(0).Name, u"KSH"_s);

    // Sent once, the set is under review: the command refuses to send it again.
    TRun again = Cli(send);
    QCOMPARE(again.Exit, 1);
    QCOMPARE(f.Server().Stats().StoredFiles.size(), 1);
}

void TestExchangeCli::refusedLoginAndWrongCommandLine()
{
    TExchangeFixture f;
    TRun refused = Cli(Args(f, u"sync"_s, u"wrong"_s));
    QCOMPARE(refused.Exit, 1);
    QCOMPARE(refused.Out, QStringList{u"login 2"_s});
    QCOMPARE(refused.Err, u"登录系统: 连接失败，请重新登录。错误码：2\n"_s);
    QCOMPARE(Cli({u"sync"_s, u"--storage"_s, f.Storage()}).Exit, 2);
    QCOMPARE(Cli({u"send-results"_s, u"--storage"_s, f.Storage(), u"--province"_s, f.SSDM, u"--user"_s,
                  TExchangeFixture::User})
                 .Exit,
             2);
}

QTEST_GUILESS_MAIN(TestExchangeCli)
#include "tst_ExchangeCli.moc"
