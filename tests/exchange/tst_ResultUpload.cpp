// The result upload against the stand-in: the package the leader stores and reads back,
// the acknowledgement, a refusal, a wrong password and an empty set.
#include "ExchangeFixture.h"
#include "link/ZkapCodec.h"
#include "store/Adtg.h"
#include "store/Archive.h"
#include "store/SqlConnection.h"
#include "store/ZKMainDef.h"
#include "workspace/DecisionJournal.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// The result recordset of the stand-in's stored package.
TRecordset StoredResult(TExchangeFixture &f, QByteArray *bytes = nullptr)
{
    const QStringList stored = f.Server().Stats().StoredFiles;
    if (stored.size() != 1)
        qFatal("the stand-in stored %d result files", int(stored.size()));
    const QString folder = f.Temp(u"stored/"_s);
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    if (ExtractArchive(stored.first(), folder) != 0)
        qFatal("the stored result is no archive");
    if (QDir(folder).entryList(QDir::Files) != QStringList{u"LQJG.adtg"_s})
        qFatal("the stored result holds other files");
    QFile file(folder + u"LQJG.adtg"_s);
    file.open(QIODevice::ReadOnly);
    const QByteArray data = file.readAll();
    if (bytes)
        *bytes = data;
    return LoadAdtg(data);
}

bool OpenSetWithDossiers(TExchangeFixture &f)
{
    return f.SetUp() && f.Session.DownloadDossiers() && f.Session.OpenSet(u"2"_s, u"5"_s, u"1"_s);
}

const QString kSet251 = u" where PCDM=\"2\" and KLDM=\"5\" and JHXZ=\"1\""_s;

// The journal of set 2/5/1 as "KSH sent package", newest first ("-" for unsent rows).
QStringList JournalOf251(TExchangeFixture &f)
{
    QStringList rows;
    for (const TJournalEntry &e : TDecisionJournal(f.DM.UnivConn).Read(u"2"_s, u"5"_s, u"1"_s))
        rows.append(e.KSH + (e.Sent ? u" %1"_s.arg(e.PackageNumber) : u" -"_s));
    return rows;
}

// Pre-returns the first candidate of the open set's list and pre-admits the second.
QStringList DecideTwo(TExchangeFixture &f)
{
    TMainDM &dm = f.DM;
    TKSItem *first = dm.CurrentKSList.value(0);
    TKSItem *second = dm.CurrentKSList.value(1);
    if (!first || !second)
        qFatal("the set has fewer than two candidates");
    dm.ApplyLQZT({first}, {false, dm.DMTables[size_t(TD_TDYYDM)].value(0).DM, u"专业不符"_s});
    dm.ApplyLQZT({second}, {});
    return {second->Ksh, first->Ksh};
}

} // namespace

class TestResultUpload : public QObject
{
    Q_OBJECT

private slots:
    void acknowledgedUploadMovesTheSetToReview();
    void setWithoutDossiersSendsColumnsOnly();
    void refusedUploadChangesNothing();
    void wrongPasswordSendsNothing();
    void lateAcknowledgementOfAnotherSet();
    void acknowledgedUploadMarksTheJournalRowsItCarried();
    void failedUploadLeavesTheJournalUnsent_data();
    void failedUploadLeavesTheJournalUnsent();
};

void TestResultUpload::acknowledgedUploadMovesTheSetToReview()
{
    TExchangeFixture f;
    QVERIFY(OpenSetWithDossiers(f));
    TSqlConnection &univ = f.DM.UnivConn;
    univ.ExecSQL(
        u"update T_TDD set KSZT=\"2\", TDYYDM=\"03\", BZ=\"专业不符\" "
        "where KSH in (select top 2 KSH from T_TDD where PCDM=\"2\" and KLDM=\"5\" and JHXZ=\"1\")"_s);
    QCOMPARE(ZKMainDef().CurZT, 1);

    QCOMPARE(f.Session.SendResults(TExchangeFixture::Password), 0);
    QVERIFY(f.Server().Stats().StoredFiles.first().endsWith(u"lqjg_2_5_1_6_1.zip"_s)); // package number 6

    // The leader reads the columns as the local T_TDD has them, the key on KSH.
    const TRecordset result = StoredResult(f);
    const QList<TSqlFieldDef> local = univ.GetColumns(u"T_TDD"_s);
    auto localSize = [&](const QString &name) {
        for (const TSqlFieldDef &d : local) {
            if (d.Name.compare(name, Qt::CaseInsensitive) == 0)
                return quint32(d.Size);
        }
        return 0u;
    };
    const QStringList names{u"KSH"_s, u"KSZT"_s, u"TDYYDM"_s, u"BZ"_s, u"LQFS"_s};
    QCOMPARE(result.FieldCount(), 5);
    for (int i = 0; i < 5; ++i) {
        const TRecordField &field = result.Field(i);
        QCOMPARE(field.Name, names[i]);
        QCOMPARE(field.Type, DBTYPE_WSTR);
        const quint32 flags = i == 0   ? DBCOLUMNFLAGS_WRITE | DBCOLUMNFLAGS_KEYCOLUMN
                              : i == 3 ? DBCOLUMNFLAGS_WRITE | DBCOLUMNFLAGS_ISNULLABLE | DBCOLUMNFLAGS_ISLONG
                                       : DBCOLUMNFLAGS_WRITE | DBCOLUMNFLAGS_ISNULLABLE;
        QCOMPARE(field.Flags, flags);
        QCOMPARE(field.MaxLength, i == 3 ? DB_NO_MAXLENGTH : localSize(names[i]));
    }
    QList<QStringList> rows;
    for (int i = 0; i < result.StoredRowCount(); ++i) {
        QCOMPARE(result.StoredRow(i).Status, TRowStatus::Unchanged);
        QStringList row;
        for (const TDbValue &v : result.StoredRow(i).Values)
            row.append(v.AsString());
        rows.append(row);
    }
    QList<QStringList> expected;
    for (const QVariantList &r : f.Rows(univ, u"select KSH, KSZT, TDYYDM, BZ, LQFS from T_TDD"_s + kSet251)) {
        QStringList row;
        for (const QVariant &v : r)
            row.append(v.toString());
        expected.append(row);
    }
    std::sort(rows.begin(), rows.end());
    std::sort(expected.begin(), expected.end());
    QCOMPARE(rows, expected);
    QCOMPARE(std::count_if(rows.begin(), rows.end(),
                           [](const QStringList &r) {
                               return r.mid(1, 3) == QStringList{u"2"_s, u"03"_s, u"专业不符"_s};
                           }),
             2);

    // Acknowledged: the set is under review, here and in the workspace.
    QCOMPARE(f.Value(univ, u"select ZT from T_KLJHXZZT"_s + kSet251).toString(), u"2"_s);
    QCOMPARE(ZKMainDef().CurZT, 2);
    QCOMPARE(f.Messages.Messages.last().Text, u"录取结果已成功发送。"_s);
    QCOMPARE(f.Messages.Messages.last().Caption, u"发送录取结果"_s);
    QCOMPARE(f.Messages.Messages.last().Icon, TMsgIcon::Information);
    QVERIFY(f.Animation.Shown.contains({u"发送录取结果"_s, u"正在向服务器发送考生的录取结果。"_s}));
    // The package stays in the upload folder; its work folder is gone.
    const QString uploads = ZKMainDef().LoginInfo.UploadFolder;
    const QStringList packages = QDir(uploads).entryList(QDir::Files);
    QCOMPARE(packages.size(), 1);
    QVERIFY2(
        QRegularExpression(u"^lqjg_251\\(003200350031\\)_\\d{17}\\.zip$"_s).match(packages[0]).hasMatch(),
        qPrintable(packages[0]));
    QVERIFY(!QFileInfo::exists(uploads + u"lqjg"_s));
}

void TestResultUpload::setWithoutDossiersSendsColumnsOnly()
{
    TExchangeFixture f;
    QVERIFY(f.SetUp());
    TZKMainDef &def = ZKMainDef();
    def.CurPCDM = u"3"_s; // a set of the plan that has no dossiers yet
    def.CurKLDM = u"5"_s;
    def.CurJHXZ = u"1"_s;
    QCOMPARE(f.Session.SendResults(TExchangeFixture::Password), 0);
    QByteArray bytes;
    const TRecordset result = StoredResult(f, &bytes);
    QCOMPARE(result.FieldCount(), 5);
    QCOMPARE(result.StoredRowCount(), 0);
    QCOMPARE(bytes.back(), char(0x0F));
    QVERIFY(f.Server().Stats().StoredFiles.first().endsWith(u"lqjg_3_5_1_0_1.zip"_s));
}

void TestResultUpload::refusedUploadChangesNothing()
{
    TExchangeFixture f;
    QVERIFY(OpenSetWithDossiers(f));
    TLeaderFaults faults;
    faults.RefuseUpload = 4;
    f.Server().SetFaults(faults);
    QCOMPARE(f.Session.SendResults(TExchangeFixture::Password), 4);
    QCOMPARE(f.Messages.Messages.last().Text, u"录取结果发送失败。"_s);
    QCOMPARE(f.Messages.Messages.last().Caption, u"发送录取结果"_s);
    QCOMPARE(f.Messages.Messages.last().Icon, TMsgIcon::Error);
    QCOMPARE(f.Value(f.DM.UnivConn, u"select ZT from T_KLJHXZZT"_s + kSet251).toString(), u"1"_s);
    QCOMPARE(ZKMainDef().CurZT, 1);
    QCOMPARE(f.Server().Stats().Uploads, 0);
    QVERIFY(ZKMainDef().IsNetIdle);
}

void TestResultUpload::wrongPasswordSendsNothing()
{
    TExchangeFixture f;
    QVERIFY(OpenSetWithDossiers(f));
    QCOMPARE(f.Session.SendResults(u"pw02"_s), -1);
    QCOMPARE(f.Messages.Messages.size(), 1);
    QCOMPARE(f.Messages.Messages[0].Text, u"您未能输入正确的口令，\r\n因此不能发送。"_s);
    QCOMPARE(f.Messages.Messages[0].Caption, u"验证用户身份"_s);
    QCOMPARE(f.Messages.Messages[0].Icon, TMsgIcon::Error);
    QVERIFY(QDir(ZKMainDef().LoginInfo.UploadFolder)
                .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)
                .isEmpty());
    QCOMPARE(f.Server().Stats().Uploads, 0);
    QVERIFY(ZKMainDef().IsNetIdle);
}

// The member opened another set while the upload was on its way.
void TestResultUpload::lateAcknowledgementOfAnotherSet()
{
    TExchangeFixture f;
    QVERIFY(f.SetUp() && f.Session.DownloadDossiers() && f.Session.OpenSet(u"2"_s, u"1"_s, u"1"_s));
    QVariantList in{u"2"_s, u"5"_s, u"1"_s, 6, QString()};
    QVariantList out{0};
    f.Net.UpLoadLQJGAck(in, out);
    QCOMPARE(f.Value(f.DM.UnivConn, u"select ZT from T_KLJHXZZT"_s + kSet251).toString(), u"2"_s);
    QCOMPARE(
        f.Value(f.DM.UnivConn, u"select ZT from T_KLJHXZZT where PCDM=\"2\" and KLDM=\"1\" and JHXZ=\"1\""_s)
            .toString(),
        u"1"_s);
    QCOMPARE(ZKMainDef().CurZT, 1);
}

void TestResultUpload::acknowledgedUploadMarksTheJournalRowsItCarried()
{
    TExchangeFixture f;
    QVERIFY(OpenSetWithDossiers(f));
    const QStringList decided = DecideTwo(f);
    // A decision made once the package is built, while it is on its way, is not in it.
    TKSItem *late = f.DM.CurrentKSList.value(2);
    QVERIFY(late);
    f.Animation.OnShow = [&](const QString &) { f.DM.ApplyLQZT({late}, {}); };
    QCOMPARE(f.Session.SendResults(TExchangeFixture::Password), 0);
    QCOMPARE(JournalOf251(f), (QStringList{late->Ksh + u" -"_s, decided[0] + u" 6"_s, decided[1] + u" 6"_s}));
    const QList<TJournalEntry> entries = TDecisionJournal(f.DM.UnivConn).Read(u"2"_s, u"5"_s, u"1"_s);
    QVERIFY(!entries[1].SentTime.isEmpty());
    QCOMPARE(entries[1].SentText(), u"已发送(包号 6)"_s);
    // The journal never travels: the package holds the result recordset alone.
    StoredResult(f);
}

void TestResultUpload::failedUploadLeavesTheJournalUnsent_data()
{
    QTest::addColumn<int>("refuse");
    QTest::addColumn<int>("wrongReplyFor");
    QTest::newRow("refused") << 4 << -1;
    QTest::newRow("broken reply after the data") << 0 << int(mtUpLoadData);
}

void TestResultUpload::failedUploadLeavesTheJournalUnsent()
{
    QFETCH(int, refuse);
    QFETCH(int, wrongReplyFor);
    TExchangeFixture f;
    QVERIFY(OpenSetWithDossiers(f));
    const QStringList decided = DecideTwo(f);
    TLeaderFaults faults;
    faults.RefuseUpload = refuse;
    faults.WrongTypeFor = wrongReplyFor;
    f.Server().SetFaults(faults);
    QVERIFY(f.Session.SendResults(TExchangeFixture::Password) != 0);
    QCOMPARE(JournalOf251(f), (QStringList{decided[0] + u" -"_s, decided[1] + u" -"_s}));
    // Sent again without the fault: now the rows are carried.
    f.Server().SetFaults({});
    QCOMPARE(f.Session.SendResults(TExchangeFixture::Password), 0);
    QCOMPARE(JournalOf251(f), (QStringList{decided[0] + u" 6"_s, decided[1] + u" 6"_s}));
}

QTEST_GUILESS_MAIN(TestResultUpload)
#include "tst_ResultUpload.moc"
