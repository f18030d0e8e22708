// The all-wishes and image tasks on the member's task thread against the stand-in: the
// merge into the shared database, images fetched once and then found on disk, also
// offline, and server file names that must not choose where an image goes.
#include "ExchangeFixture.h"
#include "TestSupport.h"
#include "exchange/ExchangeSupport.h"
#include "link/MemberBgTaskThread.h"
#include "link/MemberTransaction.h"
#include "store/Adtg.h"
#include "store/Archive.h"
#include "store/ZKMainDef.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {


QList<QVariantList> AllWishes(TExchangeFixture &f)
{
    TMainDM::ShareUse share(f.DM);
    return f.Rows(f.DM.UnivShareConn, u"select * from T_QBZYK order by KSH, PCDM, KLDM, JHXZDM, ZYH, TDDW"_s);
}

QSet<QString> KnownCandidates(const QList<QVariantList> &rows)
{
    QSet<QString> ksh;
    for (const QVariantList &row : rows)
        ksh.insert(row.value(0).toString());
    return ksh;
}

} // namespace

class TestAttachmentTasks : public QObject
{
    Q_OBJECT

private slots:
    void allWishesMergeWithoutTouchingOthers();
    void imagesAreFetchedOnce();
    void serverFileNameKeepsOnlyAPlainExtension_data();
    void serverFileNameKeepsOnlyAPlainExtension();
    void hostileImageNameStaysInTheImageFolder();
};

void TestAttachmentTasks::allWishesMergeWithoutTouchingOthers()
{
    TExchangeFixture f;
    QVERIFY(f.SetUp());
    const QList<QVariantList> before = AllWishes(f);
    const QSet<QString> known = KnownCandidates(before);
    QString fresh;
    for (const QString &zip : QDir(f.LeaderUser() + u"qbzy"_s).entryList({u"*.zip"_s})) {
        if (!known.contains(QFileInfo(zip).baseName()))
            fresh = QFileInfo(zip).baseName();
    }
    QVERIFY(!known.isEmpty() && !fresh.isEmpty());

    QCOMPARE(RunBgTask(&TMemberBgTaskThread::DoGetQBZY, {fresh}), QVariantList{0});
    const QList<QVariantList> after = AllWishes(f);
    for (const QVariantList &row : before)
        QVERIFY(after.contains(row));
    const TLoginInfo &login = ZKMainDef().LoginInfo;
    const QString work = f.Temp(u"z/"_s);
    QDir().mkpath(work);
    QCOMPARE(ExtractArchive(login.DownloadFolder + u"QBZY_"_s + fresh + u".ZIP"_s, work),
             0); // the package stays
    QCOMPARE(after.size(), before.size() + LoadAdtgFile(work + u"Z.adtg"_s).StoredRowCount());
    QVERIFY(KnownCandidates(after).contains(fresh));
    QVERIFY(!QFileInfo::exists(login.DownloadFolder + u"QBZY_"_s + fresh));

    // A known candidate's rows are merged again: nothing doubles.
    const QString again = *known.begin();
    QCOMPARE(RunBgTask(&TMemberBgTaskThread::DoGetQBZY, {again}), QVariantList{0});
    QCOMPARE(AllWishes(f), after);

    // A package that cannot be read: 20, the shared database untouched.
    QFile broken(f.LeaderUser() + u"qbzy/"_s + again + u".zip"_s);
    QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("no archive");
    broken.close();
    QCOMPARE(RunBgTask(&TMemberBgTaskThread::DoGetQBZY, {again}), QVariantList{int(lrImportFailed)});
    QCOMPARE(AllWishes(f), after);
    QVERIFY(!QFileInfo::exists(login.DownloadFolder + u"QBZY_"_s + again));

    RunBgTask(&TMemberBgTaskThread::DoDisconnect, {});
    QCOMPARE(RunBgTask(&TMemberBgTaskThread::DoGetQBZY, {fresh}), QVariantList{int(lrProtocolError)});
}

void TestAttachmentTasks::imagesAreFetchedOnce()
{
    TExchangeFixture f(TExchangeFixture::SmallDemo(true));
    QVERIFY(f.SetUp());
    const QString images = f.LeaderUser() + u"images/"_s;
    QString withPhoto, withoutPhoto;
    for (const QString &ksh : QDir(images).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        (QFileInfo::exists(images + ksh + u"/3.png"_s) ? withPhoto : withoutPhoto) = ksh;
    }
    QVERIFY(!withPhoto.isEmpty() && !withoutPhoto.isEmpty());
    const QString photos = ZKMainDef().LoginInfo.DownloadFolder + u"KSZP/"_s;
    const QVariantList fetched{0, QString(photos + withPhoto + u".png"_s)};

    QCOMPARE(RunBgTask(&TMemberBgTaskThread::DoGetPhoto, {withPhoto, 3}), fetched);
    QCOMPARE(zktest::readFile(photos + withPhoto + u".png"_s),
             zktest::readFile(images + withPhoto + u"/3.png"_s));
    QVERIFY(!QFileInfo::exists(photos + u"TMP_"_s + withPhoto));
    QCOMPARE(RunBgTask(&TMemberBgTaskThread::DoGetPhoto, {withoutPhoto, 3}),
             (QVariantList{1, QString(photos + withoutPhoto)})); // the leader has none

    // Later requests are answered from disk, even when the leader no longer has the file
    // and when the link is closed.
    QVERIFY(QFile::remove(images + withPhoto + u"/3.png"_s));
    QCOMPARE(RunBgTask(&TMemberBgTaskThread::DoGetPhoto, {withPhoto, 3}), fetched);
    RunBgTask(&TMemberBgTaskThread::DoDisconnect, {});
    QCOMPARE(RunBgTask(&TMemberBgTaskThread::DoGetPhoto, {withPhoto, 3}), fetched);
    QCOMPARE(RunBgTask(&TMemberBgTaskThread::DoGetPhoto, {withoutPhoto, 3}),
             (QVariantList{int(lrProtocolError), QString(photos + withoutPhoto)}));
}

void TestAttachmentTasks::serverFileNameKeepsOnlyAPlainExtension_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("stored");
    QTest::newRow("plain") << u".JPG"_s << u".JPG"_s;
    QTest::newRow("digits") << u".mp4"_s << u".mp4"_s;
    QTest::newRow("none") << QString() << QString();
    QTest::newRow("dot only") << u"."_s << QString();
    QTest::newRow("path after the dot") << u".jpg/../../../x"_s << QString();
    QTest::newRow("parent step") << u"./../x"_s << QString();
    QTest::newRow("backslash") << u".jpg\\..\\x"_s << QString();
    QTest::newRow("space") << u".j g"_s << QString();
    QTest::newRow("not ASCII") << u".图片"_s << QString();
}

void TestAttachmentTasks::serverFileNameKeepsOnlyAPlainExtension()
{
    QFETCH(QString, server);
    QFETCH(QString, stored);
    QCOMPARE(ZKExchange::PlainExtension(server), stored);
}

// The stand-in names an image by its file; one whose extension is not plain is stored
// without extension, inside the kind's folder, and found there the next time.
void TestAttachmentTasks::hostileImageNameStaysInTheImageFolder()
{
    TExchangeFixture f(TExchangeFixture::SmallDemo(true));
    QVERIFY(f.SetUp());
    const QString images = f.LeaderUser() + u"images/"_s;
    const QString ksh = QDir(images).entryList(QDir::Dirs | QDir::NoDotAndDotDot).first();
    QVERIFY(QFile::rename(images + ksh + u"/0.png"_s, images + ksh + u"/0.p%g"_s));
    const QString forms = ZKMainDef().LoginInfo.DownloadFolder + u"BMB/"_s;
    QCOMPARE(RunBgTask(&TMemberBgTaskThread::DoGetPhoto, {ksh, 0}), (QVariantList{0, QString(forms + ksh)}));
    QCOMPARE(QDir(forms).entryList(QDir::Files), QStringList{ksh});
    QVERIFY(QFile::remove(images + ksh + u"/0.p%g"_s));
    QCOMPARE(RunBgTask(&TMemberBgTaskThread::DoGetPhoto, {ksh, 0}), (QVariantList{0, QString(forms + ksh)}));
}

QTEST_GUILESS_MAIN(TestAttachmentTasks)
#include "tst_AttachmentTasks.moc"
