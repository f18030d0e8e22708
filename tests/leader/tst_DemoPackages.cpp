// The demo data as a member's client receives it: generated, served by the stand-in,
// downloaded over the link, unpacked and read back.

#include "DemoWorld.h"
#include "TestSupport.h"
#include "store/Adtg.h"
#include "store/SqlQuery.h"
#include "store/TableTools.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QtEndian>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString kNormal = u"11"_s;
const QString kGraded = u"32"_s;

QStringList Sixfold(const QString &stem)
{
    QStringList names;
    for (int n = 1; n <= 6; ++n)
        names.append(stem + QString::number(n));
    return names;
}

QStringList CodeTableNames()
{
    return {u"TD_BYLBDM"_s, u"TD_CJXDM"_s,  u"TD_DQDM"_s,   u"TD_JHXZDM"_s, u"TD_KLDM"_s,   u"TD_KSLBDM"_s,
            u"TD_KSLXDM"_s, u"TD_LQFSDM"_s, u"TD_MZDM"_s,   u"TD_PCDM"_s,   u"TD_TDYYDM"_s, u"TD_TJJLDM"_s,
            u"TD_WYYZDM"_s, u"TD_XBDM"_s,   u"TD_XTDWDM"_s, u"TD_ZCDM"_s,   u"TD_ZYTZDM"_s, u"TD_ZZMMDM"_s};
}

// Fails the calling test when a recordset lacks one of the columns.
#define REQUIRE_COLUMNS(set, names)                                                                          \
    do {                                                                                                     \
        const QStringList have_ = FieldNames(set);                                                           \
        for (const QString &name_ : (names))                                                                 \
            QVERIFY2(have_.contains(name_), qPrintable(u"missing column "_s + name_));                       \
    } while (false)

struct TSetState
{
    QString PCDM, KLDM, JHXZ;
    int DQTDDBH = 0;
    QString Folder() const { return PCDM + u'_' + KLDM + u'_' + JHXZ; }
};

} // namespace

class TstDemoPackages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void codeLibrary_data() { Members(); }
    void codeLibrary();
    void planLibrary_data() { Members(); }
    void planLibrary();
    void dossierPackages_data() { Members(); }
    void dossierPackages();
    void fieldAttributesDescribeTheDossier_data() { Members(); }
    void fieldAttributesDescribeTheDossier();
    void gradedProvinceCarriesRankColumns();
    void newerPackageChangesSomeAndAddsSome();
    void allWishesAndImages();
    void packagesLoadIntoTheLocalTables_data();
    void packagesLoadIntoTheLocalTables();

private:
    static void Members();
    // Logs in and downloads; the unpacked package, or a failed test.
    TDemoPackage Get(const QString &SSDM, const QString &user, const QString &what,
                     const QStringList &args = {});
    QList<TSetState> States(const QString &SSDM, const QString &user);
    static QString Password(const QString &user) { return u"pw"_s + user.mid(2); }

    std::unique_ptr<TDemoWorld> World;
    int LastCode = 0;
};

void TstDemoPackages::initTestCase()
{
    TDemoOptions options;
    options.Candidates = 360;
    options.Members = 2;
    options.Seed = 7;
    World = std::make_unique<TDemoWorld>(options);
}

void TstDemoPackages::cleanupTestCase()
{
    World.reset();
}

void TstDemoPackages::Members()
{
    QTest::addColumn<QString>("ssdm");
    QTest::addColumn<QString>("user");
    QTest::newRow("numeric scores, first member") << kNormal << u"zy01"_s;
    QTest::newRow("numeric scores, second member") << kNormal << u"zy02"_s;
    QTest::newRow("graded scores, first member") << kGraded << u"zy01"_s;
    QTest::newRow("graded scores, second member") << kGraded << u"zy02"_s;
}

TDemoPackage TstDemoPackages::Get(const QString &SSDM, const QString &user, const QString &what,
                                  const QStringList &args)
{
    auto ctxt = World->Login(SSDM, user, Password(user));
    if (!ctxt)
        return {{}, {}, {}, u"login refused"_s};
    const QString file = World->NewFile(what + u".zip"_s);
    if (what == u"dmk"_s)
        LastCode = ctxt->RequestDMK(file);
    else if (what == u"jhk"_s)
        LastCode = ctxt->RequestJHK(file);
    else if (what == u"tdd"_s)
        LastCode = ctxt->RequestTDD(args[0], args[1], args[2], args[3].toInt(), file);
    else
        LastCode = ctxt->RequestAllZY(args[0], file);
    if (LastCode != lrOK)
        return {{}, {}, {}, u"request answered %1"_s.arg(LastCode)};
    return World->Unpack(file);
}

QList<TSetState> TstDemoPackages::States(const QString &SSDM, const QString &user)
{
    TDemoPackage plan = Get(SSDM, user, u"jhk"_s);
    QList<TSetState> states;
    TRecordset &rows = plan.Recordsets[u"T_ZYYHLQZTB.adtg"_s];
    for (rows.First(); !rows.Eof(); rows.Next())
        states.append({rows.FieldByName(u"PCDM"_s).AsString(), rows.FieldByName(u"KLDM"_s).AsString(),
                       rows.FieldByName(u"JHXZ"_s).AsString(),
                       int(rows.FieldByName(u"DQTDDBH"_s).AsInteger())});
    return states;
}

void TstDemoPackages::codeLibrary()
{
    QFETCH(QString, ssdm);
    QFETCH(QString, user);
    TDemoPackage dmk = Get(ssdm, user, u"dmk"_s);
    QVERIFY2(dmk.Error.isEmpty(), qPrintable(dmk.Error));
    QStringList expected{u"T_YXZT"_s,          u"T_QBZYK"_s,   u"TD_ZYLBDM"_s, u"TD_ZYSXDM"_s,
                         u"t_common_params"_s, u"T_TDDZDSX"_s, u"T_TDDW"_s};
    expected += CodeTableNames();
    if (ssdm == kGraded)
        expected += {u"td_cjxlxdm"_s, u"td_djdm"_s};
    for (QString &name : expected)
        name += u".adtg"_s;
    expected.sort();
    QCOMPARE(dmk.Names, expected);

    TRecordset &institution = dmk.Recordsets[u"T_YXZT.adtg"_s];
    REQUIRE_COLUMNS(institution, (QStringList{u"YXDM"_s, u"YXMC"_s}));
    QCOMPARE(institution.RecordCount(), 1);
    QVERIFY(!institution.FieldByName(u"YXMC"_s).AsString().isEmpty());
    REQUIRE_COLUMNS(dmk.Recordsets[u"T_QBZYK.adtg"_s],
                    (QStringList{u"KSH"_s, u"PCDM"_s, u"KLDM"_s, u"JHXZDM"_s, u"ZYH"_s, u"TDDW"_s, u"YXDH"_s,
                                 u"YXMC"_s, u"ZYTZ"_s, u"ZYZYTJ"_s, u"DXTJ"_s} +
                     Sixfold(u"ZYDH"_s) + Sixfold(u"ZYMC"_s)));
    QVERIFY(dmk.Recordsets[u"T_QBZYK.adtg"_s].RecordCount() > 0);

    // Each code table: its code column first (unique codes), then its name column.
    const QStringList codes{u"BYLBDM"_s, u"CJXDM"_s,  u"DQDM"_s,   u"JHXZDM"_s, u"KLDM"_s,   u"KSLBDM"_s,
                            u"KSLXDM"_s, u"LQFSDM"_s, u"MZDM"_s,   u"PCDM"_s,   u"TDYYDM"_s, u"TJJLDM"_s,
                            u"WYYZDM"_s, u"XBDM"_s,   u"XTDWDM"_s, u"ZCDM"_s,   u"ZYTZDM"_s, u"ZZMMDM"_s};
    for (int n = 0; n < codes.size(); ++n) {
        TRecordset &table = dmk.Recordsets[CodeTableNames()[n] + u".adtg"_s];
        QString name = codes[n];
        name.replace(name.size() - 2, 2, u"MC"_s);
        QCOMPARE(table.Field(0).Name, codes[n]);
        QCOMPARE(table.Field(1).Name, name);
        const QStringList values = ColumnTexts(table, codes[n]);
        QVERIFY2(!values.isEmpty(), qPrintable(codes[n]));
        QCOMPARE(QSet<QString>(values.begin(), values.end()).size(), values.size());
    }
    REQUIRE_COLUMNS(dmk.Recordsets[u"TD_CJXDM.adtg"_s], QStringList{u"CJXLXDM"_s});
    REQUIRE_COLUMNS(dmk.Recordsets[u"TD_KLDM.adtg"_s], QStringList{u"JBKL"_s});
    REQUIRE_COLUMNS(dmk.Recordsets[u"TD_PCDM.adtg"_s], (QStringList{u"GBPCDM"_s, u"GBCCDM"_s}));
    REQUIRE_COLUMNS(dmk.Recordsets[u"TD_ZCDM.adtg"_s], (QStringList{u"ZGF"_s, u"XDX"_s}));
    // Major classes are read by position: the class number first, as an integer.
    TRecordset &classes = dmk.Recordsets[u"TD_ZYLBDM.adtg"_s];
    QCOMPARE(FieldNames(classes).mid(0, 2), (QStringList{u"ZYLBDM"_s, u"ZYLBMC"_s}));
    QVERIFY(IsIntegerDbType(classes.Field(0).Type));
    QCOMPARE(FieldNames(dmk.Recordsets[u"TD_ZYSXDM.adtg"_s]).mid(0, 2),
             (QStringList{u"ZYSXDM"_s, u"ZYSXNR"_s}));

    TRecordset &params = dmk.Recordsets[u"t_common_params.adtg"_s];
    REQUIRE_COLUMNS(params, (QStringList{u"rank_score_supported"_s, u"rank_perm_code_list"_s,
                                         u"user_rank_perm_code_list"_s, u"req_course_maskable_rank_list"_s,
                                         u"bmb_name"_s, u"tjb_name"_s, u"fjb_name"_s}));
    QCOMPARE(params.RecordCount(), 1);
    QCOMPARE(params.FieldByName(u"rank_score_supported"_s).AsString(), ssdm == kGraded ? u"1"_s : u"0"_s);
    TRecordset &fields = dmk.Recordsets[u"T_TDDZDSX.adtg"_s];
    QStringList layout{u"ZDDH"_s, u"ZDMC"_s, u"DMK"_s,   u"ZDLX"_s,     u"XH"_s,
                       u"BX"_s,   u"DYKD"_s, u"XSZFS"_s, u"rank_only"_s};
    for (const QString &suffix : {QString(), u"_rank"_s}) {
        for (const QString &width : {u"800"_s, u"1024"_s, u"1280"_s, u"1600"_s})
            layout += {u"WZSY"_s + width + suffix, u"QSKD"_s + width + suffix};
    }
    REQUIRE_COLUMNS(fields, layout);
    REQUIRE_COLUMNS(dmk.Recordsets[u"T_TDDW.adtg"_s],
                    (QStringList{u"PCDM"_s, u"KLDM"_s, u"JHXZ"_s, u"TDDWDM"_s, u"TDDWMC"_s, u"CSMBH"_s}));
}

void TstDemoPackages::planLibrary()
{
    QFETCH(QString, ssdm);
    QFETCH(QString, user);
    TDemoPackage jhk = Get(ssdm, user, u"jhk"_s);
    QVERIFY2(jhk.Error.isEmpty(), qPrintable(jhk.Error));
    QCOMPARE(jhk.Names, (QStringList{u"T_JHK.adtg"_s, u"T_TDDWCSMB.adtg"_s, u"T_TDDWCSMBZYJCB.adtg"_s,
                                     u"T_ZYCSMB.adtg"_s, u"T_ZYCSMBXZTJB.adtg"_s, u"T_ZYCSMBZDCJB.adtg"_s,
                                     u"T_ZYYHLQZTB.adtg"_s}));
    TRecordset &states = jhk.Recordsets[u"T_ZYYHLQZTB.adtg"_s];
    REQUIRE_COLUMNS(states, (QStringList{u"PCDM"_s, u"KLDM"_s, u"JHXZ"_s, u"DQTDDBH"_s, u"ZT"_s,
                                         u"DQTDDWDM"_s, u"DQZYDH"_s, u"PXZDDH"_s, u"ZDTDZY"_s}));
    // The set codes are 2-byte binary columns holding the code's UTF-16 text.
    for (const QString &name : {u"PCDM"_s, u"KLDM"_s, u"JHXZ"_s}) {
        const TRecordField &f = states.Field(states.FindField(name));
        QCOMPARE(f.Type, DBTYPE_BYTES);
        QCOMPARE(f.MaxLength, 2u);
    }
    states.First();
    QCOMPARE(*states.FieldByName(u"PCDM"_s).Value().Get<QByteArray>(), QByteArray("1\0", 2));
    const QStringList workStates = ColumnTexts(states, u"ZT"_s);
    QCOMPARE(QSet<QString>(workStates.begin(), workStates.end()),
             (QSet<QString>{u"0"_s, u"1"_s, u"2"_s, u"3"_s}));

    TRecordset &plan = jhk.Recordsets[u"T_JHK.adtg"_s];
    QStringList planColumns{u"PCDM"_s, u"KLDM"_s,  u"JHXZ"_s, u"TDDW"_s,  u"ZYDH"_s,  u"ZYDM"_s,  u"ZYMC"_s,
                            u"ZYLB"_s, u"JHZXS"_s, u"XZNX"_s, u"CZYHM"_s, u"CSMBH"_s, u"TJSXBZ"_s};
    REQUIRE_COLUMNS(plan, planColumns);
    QCOMPARE(plan.FindField(u"yxxckm"_s) >= 0, ssdm == kGraded);
    QCOMPARE(plan.FindField(u"jzxckm"_s) >= 0, ssdm == kGraded);
    // Every member is in charge of majors of every set; places are positive.
    QMap<QString, QSet<QString>> membersOfSet;
    for (plan.First(); !plan.Eof(); plan.Next()) {
        const QString set = plan.FieldByName(u"PCDM"_s).AsString() + plan.FieldByName(u"KLDM"_s).AsString() +
                            plan.FieldByName(u"JHXZ"_s).AsString();
        membersOfSet[set].insert(plan.FieldByName(u"CZYHM"_s).AsString());
        QVERIFY(plan.FieldByName(u"JHZXS"_s).AsInteger() > 0);
    }
    QCOMPARE(int(membersOfSet.size()), states.RecordCount());
    for (const QSet<QString> &members : membersOfSet)
        QCOMPARE(members, (QSet<QString>{u"zy01"_s, u"zy02"_s}));

    // Unit templates of every wish-level and major-level mode; level differences for mode 3.
    TRecordset &units = jhk.Recordsets[u"T_TDDWCSMB.adtg"_s];
    REQUIRE_COLUMNS(units, (QStringList{u"MBH"_s, u"MBMC"_s, u"ZYJBZT"_s, u"ZYZYJBZT"_s, u"zytj_low_prio"_s,
                                        u"rank_score_order"_s}));
    for (const QString &mode : {u"ZYJBZT"_s, u"ZYZYJBZT"_s}) {
        const QStringList modes = ColumnTexts(units, mode);
        QCOMPARE(QSet<QString>(modes.begin(), modes.end()), (QSet<QString>{u"1"_s, u"2"_s, u"3"_s}));
    }
    TRecordset &levels = jhk.Recordsets[u"T_TDDWCSMBZYJCB.adtg"_s];
    REQUIRE_COLUMNS(levels, (QStringList{u"MBH"_s, u"JCLX"_s, u"XH"_s, u"JCFS"_s}));
    const QStringList kinds = ColumnTexts(levels, u"JCLX"_s);
    QCOMPARE(QSet<QString>(kinds.begin(), kinds.end()), (QSet<QString>{u"1"_s, u"2"_s}));
    REQUIRE_COLUMNS(jhk.Recordsets[u"T_ZYCSMB.adtg"_s],
                    (QStringList{u"MBH"_s, u"MBMC"_s, u"masked_rank_list"_s}));
}

void TstDemoPackages::dossierPackages()
{
    QFETCH(QString, ssdm);
    QFETCH(QString, user);
    TDemoPackage jhk = Get(ssdm, user, u"jhk"_s);
    TRecordset &plan = jhk.Recordsets[u"T_JHK.adtg"_s];
    int served = 0;
    for (const TSetState &set : States(ssdm, user)) {
        TDemoPackage tdd = Get(ssdm, user, u"tdd"_s, {set.PCDM, set.KLDM, set.JHXZ, u"0"_s});
        if (set.DQTDDBH == 0) { // a set without dossiers yet: the server has no package
            QVERIFY(LastCode != lrOK);
            continue;
        }
        QVERIFY2(tdd.Error.isEmpty(), qPrintable(set.Folder() + u": "_s + tdd.Error));
        ++served;
        QCOMPARE(tdd.Names, (QStringList{u"TDDBH.dat"_s, u"T_KSHKCJ.adtg"_s, u"T_KSJL.adtg"_s,
                                         u"T_TDD.adtg"_s, u"T_TJXX.adtg"_s}));
        QCOMPARE(tdd.Files[u"TDDBH.dat"_s].size(), 4);
        QCOMPARE(qFromLittleEndian<qint32>(tdd.Files[u"TDDBH.dat"_s].constData()), set.DQTDDBH);

        // The majors of the set: unit + major -> member in charge.
        QMap<QString, QString> majors;
        for (plan.First(); !plan.Eof(); plan.Next()) {
            if (plan.FieldByName(u"PCDM"_s).AsString() + plan.FieldByName(u"KLDM"_s).AsString() +
                    plan.FieldByName(u"JHXZ"_s).AsString() ==
                set.PCDM + set.KLDM + set.JHXZ)
                majors.insert(plan.FieldByName(u"TDDW"_s).AsString() + plan.FieldByName(u"ZYDH"_s).AsString(),
                              plan.FieldByName(u"CZYHM"_s).AsString());
        }
        TRecordset &dossiers = tdd.Recordsets[u"T_TDD.adtg"_s];
        QVERIFY(dossiers.RecordCount() > 0);
        QSet<QString> numbers;
        QSet<QString> statuses;
        for (dossiers.First(); !dossiers.Eof(); dossiers.Next()) {
            const auto text = [&](const QString &name) { return dossiers.FieldByName(name).AsString(); };
            const QString ksh = text(u"KSH"_s);
            QCOMPARE(ksh.size(), 14);
            QVERIFY2(!numbers.contains(ksh), qPrintable(ksh));
            numbers.insert(ksh);
            QCOMPARE(text(u"PCDM"_s) + text(u"KLDM"_s) + text(u"JHXZ"_s), set.PCDM + set.KLDM + set.JHXZ);
            const QString status = text(u"KSZT"_s);
            statuses.insert(status);
            const QString major = text(u"LQZY"_s);
            QCOMPARE(text(u"YTZY"_s), major);
            if (status == u"0"_s || status == u"2"_s || status == u"3"_s) {
                // Undecided or returned: no major, back in the own unit.
                QCOMPARE(major, status == u"0"_s ? u" ?"_s : u"  "_s);
                QCOMPARE(text(u"DQTDDW"_s), text(u"TDDW"_s));
                QCOMPARE(text(u"TDYYDM"_s) == u"  "_s, status == u"0"_s);
            } else {
                // With a major: one of the plan in the current unit, handled by this member.
                QVERIFY2(status == u"1"_s || status == u"4"_s || status == u"5"_s, qPrintable(status));
                QCOMPARE(majors.value(text(u"DQTDDW"_s) + major), user);
                QCOMPARE(text(u"TDYYDM"_s), u"  "_s);
            }
            for (int n = 1; n <= 6; ++n) {
                const QString wish = text(u"ZYDH%1"_s.arg(n));
                if (wish != u"  "_s)
                    QVERIFY(majors.contains(text(u"TDDWDM%1"_s.arg(n)) + wish));
                else
                    QCOMPARE(text(u"TDDWDM%1"_s.arg(n)), u"   "_s);
            }
            QCOMPARE(dossiers.FieldByName(u"TDCJ"_s).AsFloat(),
                     dossiers.FieldByName(u"CJ"_s).AsFloat() + dossiers.FieldByName(u"TZCJ"_s).AsFloat());
            if (text(u"TJJLDM"_s) == u"3"_s)
                QCOMPARE(text(u"TJHG"_s), u"0"_s);
            QVERIFY(dossiers.FieldByName(u"BH"_s).AsInteger() <= set.DQTDDBH);
        }
        QVERIFY(statuses.contains(u"4"_s));

        // One health check per dossier, résumé lines and proficiency scores by candidate.
        TRecordset &health = tdd.Recordsets[u"T_TJXX.adtg"_s];
        REQUIRE_COLUMNS(health, (QStringList{u"KSH"_s, u"TJJLDM"_s, u"NK_FYQK"_s, u"JWBSBZ"_s, u"KQ_SFKC"_s,
                                             u"YK_SJJCT"_s, u"EB_XJ"_s} +
                                 Sixfold(u"ZYSXDM"_s)));
        const QStringList checked = ColumnTexts(health, u"KSH"_s);
        QCOMPARE(QSet<QString>(checked.begin(), checked.end()), numbers);
        QCOMPARE(checked.size(), numbers.size());
        TRecordset &resume = tdd.Recordsets[u"T_KSJL.adtg"_s];
        REQUIRE_COLUMNS(resume, (QStringList{u"KSH"_s, u"QSRQ"_s, u"ZJRQ"_s, u"JL"_s, u"RHZW"_s, u"ZMR"_s}));
        QSet<QString> resumeKeys;
        for (resume.First(); !resume.Eof(); resume.Next())
            resumeKeys.insert(resume.FieldByName(u"KSH"_s).AsString() +
                              resume.FieldByName(u"QSRQ"_s).AsString() +
                              resume.FieldByName(u"ZJRQ"_s).AsString());
        QCOMPARE(int(resumeKeys.size()), resume.RecordCount());
        TRecordset &proficiency = tdd.Recordsets[u"T_KSHKCJ.adtg"_s];
        REQUIRE_COLUMNS(proficiency, (QStringList{u"KSH"_s, u"CJXDM"_s, u"CJ"_s}));
        for (proficiency.First(); !proficiency.Eof(); proficiency.Next()) {
            const int item = proficiency.FieldByName(u"CJXDM"_s).AsString().toInt();
            QVERIFY(item >= 1 && item <= 10);
            QVERIFY(numbers.contains(proficiency.FieldByName(u"KSH"_s).AsString()));
        }
    }
    QVERIFY(served >= 3);
}

void TstDemoPackages::fieldAttributesDescribeTheDossier()
{
    QFETCH(QString, ssdm);
    QFETCH(QString, user);
    TDemoPackage dmk = Get(ssdm, user, u"dmk"_s);
    const TSetState first = States(ssdm, user).value(1);
    TDemoPackage tdd = Get(ssdm, user, u"tdd"_s, {first.PCDM, first.KLDM, first.JHXZ, u"0"_s});
    QVERIFY2(tdd.Error.isEmpty(), qPrintable(tdd.Error));
    const QStringList columns = FieldNames(tdd.Recordsets[u"T_TDD.adtg"_s]);
    const bool graded = ssdm == kGraded;
    TRecordset &fields = dmk.Recordsets[u"T_TDDZDSX.adtg"_s];
    QSet<QString> described;
    QMap<QString, QList<int>> positions; // layout column -> shown positions
    for (fields.First(); !fields.Eof(); fields.Next()) {
        const auto text = [&](const QString &name) { return fields.FieldByName(name).AsString(); };
        const QString name = text(u"ZDDH"_s);
        const QString letter = text(u"ZDLX"_s);
        const bool used = graded || text(u"rank_only"_s) != u"1"_s;
        QVERIFY2(QStringLiteral("ABCDFHIJKNRSTWXYZ").contains(letter) && letter.size() == 1,
                 qPrintable(name));
        // The grid selects the fields of these letters from T_TDD.
        if (used && QStringLiteral("ACDNRSTY").contains(letter))
            QVERIFY2(columns.contains(name), qPrintable(name));
        const QString table = text(u"DMK"_s);
        QVERIFY2(table.isEmpty() || dmk.Names.contains(table + u".adtg"_s), qPrintable(table));
        described.insert(name);
        for (const QString &suffix : {QString(), u"_rank"_s}) {
            for (const QString &width : {u"800"_s, u"1024"_s, u"1280"_s, u"1600"_s}) {
                const int at = int(fields.FieldByName(QString(u"WZSY"_s + width + suffix)).AsInteger());
                QVERIFY(fields.FieldByName(QString(u"QSKD"_s + width + suffix)).AsInteger() > 0);
                if (at >= 0) {
                    positions[width + suffix].append(at);
                    if (!graded && suffix.isEmpty())
                        QVERIFY2(text(u"rank_only"_s) != u"1"_s, qPrintable(name));
                }
            }
        }
        if (name == u"KSH"_s)
            QCOMPARE(letter, u"K"_s);
    }
    // Every column of the dossier but the import's work mark is described.
    for (const QString &column : columns)
        QVERIFY2(described.contains(column) || column == u"TASK_TAG"_s, qPrintable(column));
    // Each default layout numbers its shown fields 0, 1, 2 … and more for wider screens.
    QCOMPARE(positions.size(), 8);
    int previous = 0;
    for (const QString &width : {u"800"_s, u"1024"_s, u"1280"_s, u"1600"_s}) {
        QList<int> shown = positions.value(width);
        std::sort(shown.begin(), shown.end());
        for (int i = 0; i < shown.size(); ++i)
            QCOMPARE(shown[i], i);
        QVERIFY(shown.size() > previous);
        previous = int(shown.size());
    }
}

void TstDemoPackages::gradedProvinceCarriesRankColumns()
{
    const QStringList rank{u"ZYYTDJLX"_s, u"ZYYTDJ"_s, u"ZYYTDJPX"_s, u"ZYYTFJDJLX"_s, u"ZYYTFJDJ"_s};
    TDemoPackage dmk = Get(kGraded, u"zy01"_s, u"dmk"_s);
    // Grade texts by grade type.
    QMap<QString, int> gradeCount;
    TRecordset &grades = dmk.Recordsets[u"td_djdm.adtg"_s];
    REQUIRE_COLUMNS(grades, (QStringList{u"cjxlxdm"_s, u"cj"_s, u"dj"_s}));
    for (grades.First(); !grades.Eof(); grades.Next())
        ++gradeCount[grades.FieldByName(u"cjxlxdm"_s).AsString()];
    REQUIRE_COLUMNS(dmk.Recordsets[u"td_cjxlxdm.adtg"_s],
                    (QStringList{u"CJXLXDM"_s, u"CJXLXMC"_s, u"CJXSM"_s}));
    QMap<QString, QString> itemType;
    TRecordset &items = dmk.Recordsets[u"TD_CJXDM.adtg"_s];
    for (items.First(); !items.Eof(); items.Next())
        itemType.insert(items.FieldByName(u"CJXDM"_s).AsString(), items.FieldByName(u"CJXLXDM"_s).AsString());
    QVERIFY(itemType.values().contains(u"000"_s));
    QVERIFY(itemType.size() > itemType.values().count(u"000"_s));

    const TSetState set = States(kGraded, u"zy01"_s).value(2);
    TDemoPackage tdd = Get(kGraded, u"zy01"_s, u"tdd"_s, {set.PCDM, set.KLDM, set.JHXZ, u"0"_s});
    TRecordset &dossiers = tdd.Recordsets[u"T_TDD.adtg"_s];
    REQUIRE_COLUMNS(dossiers, rank);
    for (dossiers.First(); !dossiers.Eof(); dossiers.Next()) {
        // A graded score item holds a grade number of its type, or nothing.
        for (auto it = itemType.cbegin(); it != itemType.cend(); ++it) {
            const TConstFieldRef score = std::as_const(dossiers).FieldByName(QString(u"GKCJX"_s + it.key()));
            if (it.value() != u"000"_s && !score.IsNull())
                QVERIFY(score.AsInteger() >= 0 && score.AsInteger() < gradeCount.value(it.value()));
        }
        // The grade types of the pre-assignment name graded items ("C" + item code).
        for (const QString &part : dossiers.FieldByName(u"ZYYTDJLX"_s).AsString().split(u'/')) {
            QVERIFY2(part.startsWith(u'C') && itemType.value(part.mid(1)) != u"000"_s, qPrintable(part));
            QVERIFY(!dossiers.FieldByName(QString(u"GKCJX"_s + part.mid(1))).IsNull());
        }
    }
    // The province with numeric scores has none of them.
    const TSetState normal = States(kNormal, u"zy01"_s).value(2);
    TDemoPackage plain = Get(kNormal, u"zy01"_s, u"tdd"_s, {normal.PCDM, normal.KLDM, normal.JHXZ, u"0"_s});
    const QStringList plainColumns = FieldNames(plain.Recordsets[u"T_TDD.adtg"_s]);
    for (const QString &name : rank)
        QVERIFY2(!plainColumns.contains(name), qPrintable(name));
    // Its dossiers have the columns of the shipped empty dossier recordset, so that the
    // first import finds the same structure.
    const TRecordset shipped = LoadAdtgFile(QDir(zktest::programFolder()).filePath(u"T_TDD.adtg"_s));
    QCOMPARE(plainColumns, FieldNames(shipped));
}

void TstDemoPackages::newerPackageChangesSomeAndAddsSome()
{
    // The set with two packages: the server offers the newest above the number given.
    const QString folder = World->Root() + kNormal + u"/zy01/tdd/"_s;
    QString setFolder;
    QStringList numbers;
    for (const QString &set : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        numbers = QDir(folder + set).entryList({u"*.zip"_s}, QDir::Files);
        if (numbers.size() == 2) {
            setFolder = set;
            break;
        }
    }
    QVERIFY(!setFolder.isEmpty());
    const auto number = [](const QString &zip) { return zip.section(u'.', 0, 0).toInt(); };
    std::sort(numbers.begin(), numbers.end(),
              [&](const QString &a, const QString &b) { return number(a) < number(b); });
    const int older = number(numbers[0]), newer = number(numbers[1]);
    QVERIFY(newer > older);
    const QStringList codes = setFolder.split(u'_');
    TDemoPackage latest = Get(kNormal, u"zy01"_s, u"tdd"_s, codes + QStringList{QString::number(older)});
    QCOMPARE(qFromLittleEndian<qint32>(latest.Files[u"TDDBH.dat"_s].constData()), newer);
    Get(kNormal, u"zy01"_s, u"tdd"_s, codes + QStringList{QString::number(newer)});
    QVERIFY(LastCode != lrOK);

    TDemoPackage first = World->Unpack(folder + setFolder + u'/' + numbers[0]);
    QMap<QString, QList<TDbValue>> before;
    TRecordset &old = first.Recordsets[u"T_TDD.adtg"_s];
    for (old.First(); !old.Eof(); old.Next()) {
        QList<TDbValue> row;
        for (int i = 0; i < old.FieldCount(); ++i)
            row.append(old.Fields(i).Value());
        before.insert(old.FieldByName(u"KSH"_s).AsString(), row);
    }
    int changed = 0, added = 0;
    TRecordset &now = latest.Recordsets[u"T_TDD.adtg"_s];
    for (now.First(); !now.Eof(); now.Next()) {
        const QString ksh = now.FieldByName(u"KSH"_s).AsString();
        const qint64 bh = now.FieldByName(u"BH"_s).AsInteger();
        if (!before.contains(ksh)) {
            ++added;
            QCOMPARE(bh, qint64(newer));
            continue;
        }
        QCOMPARE(bh, qint64(older)); // arrived with the older package
        QList<TDbValue> row;
        for (int i = 0; i < now.FieldCount(); ++i)
            row.append(now.Fields(i).Value());
        changed += row != before.take(ksh);
    }
    QVERIFY(before.isEmpty()); // nobody dropped
    QVERIFY(added > 0);
    QVERIFY(changed > 0);
}

void TstDemoPackages::allWishesAndImages()
{
    const TSetState set = States(kNormal, u"zy02"_s).value(2);
    TDemoPackage tdd = Get(kNormal, u"zy02"_s, u"tdd"_s, {set.PCDM, set.KLDM, set.JHXZ, u"0"_s});
    TDemoPackage dmk = Get(kNormal, u"zy02"_s, u"dmk"_s);
    const QString institution = dmk.Recordsets[u"T_YXZT.adtg"_s].FieldByName(u"YXDM"_s).AsString();
    TRecordset &dossiers = tdd.Recordsets[u"T_TDD.adtg"_s];
    auto ctxt = World->Login(kNormal, u"zy02"_s, u"pw02"_s);
    QVERIFY(ctxt);
    int checked = 0, withoutPhoto = 0;
    for (dossiers.First(); !dossiers.Eof() && checked < 40; dossiers.Next(), ++checked) {
        const auto text = [&](const QString &name) { return dossiers.FieldByName(name).AsString(); };
        const QString ksh = text(u"KSH"_s);
        const QString zip = World->NewFile(u"qbzy.zip"_s);
        QCOMPARE(ctxt->RequestAllZY(ksh, zip), int(lrOK));
        TDemoPackage wishes = World->Unpack(zip);
        QCOMPARE(wishes.Names, QStringList{u"Z.adtg"_s});
        TRecordset &rows = wishes.Recordsets[u"Z.adtg"_s];
        QSet<QString> keys;
        int own = 0;
        for (rows.First(); !rows.Eof(); rows.Next()) {
            const auto value = [&](const QString &name) { return rows.FieldByName(name).AsString(); };
            QCOMPARE(value(u"KSH"_s), ksh);
            keys.insert(value(u"PCDM"_s) + value(u"KLDM"_s) + value(u"JHXZDM"_s) + value(u"ZYH"_s) +
                        value(u"TDDW"_s));
            if (value(u"YXDH"_s) == institution) {
                ++own;
                QCOMPARE(value(u"ZYH"_s), text(u"TDZY"_s));
                QCOMPARE(value(u"TDDW"_s), text(u"TDDW"_s));
                QCOMPARE(value(u"ZYDH1"_s), text(u"ZYDH1"_s));
            }
        }
        QCOMPARE(int(keys.size()), rows.RecordCount());
        QCOMPARE(own, text(u"TDZY"_s) == u"0"_s ? 0 : 1);

        for (uint8_t kind = 0; kind < 4; ++kind) {
            QString ext;
            const QString image = World->NewFile(u"image"_s);
            const int code = ctxt->RequestPhoto(ksh, image, kind, ext);
            if (code != lrOK) {
                // Only a photo may be missing, and only for a few candidates.
                QVERIFY2(kind >= 2, qPrintable(ksh));
                withoutPhoto += kind == 3;
                continue;
            }
            const QByteArray bytes = zktest::readFile(image);
            if (ext == u".zip"_s) {
                QVERIFY(kind == 2);
                QVERIFY(QFile::rename(image, image + ext)); // the client keeps the server's extension
                TDemoPackage pages = World->Unpack(image + ext);
                QCOMPARE(pages.Names, (QStringList{u"1.png"_s, u"2.png"_s}));
                QVERIFY(pages.Files[u"1.png"_s].startsWith("\x89PNG\r\n\x1a\n"));
            } else {
                QCOMPARE(ext, u".png"_s);
                QVERIFY(bytes.startsWith("\x89PNG\r\n\x1a\n"));
            }
        }
    }
    QVERIFY(withoutPhoto < checked / 4);
}

void TstDemoPackages::packagesLoadIntoTheLocalTables_data()
{
    QTest::addColumn<QString>("ssdm");
    QTest::newRow("numeric scores") << kNormal;
    QTest::newRow("graded scores") << kGraded;
}

// The packages go into the local tables with the table tools, as the imports load them,
// and the statements that read them find their columns.
void TstDemoPackages::packagesLoadIntoTheLocalTables()
{
    QFETCH(QString, ssdm);
    const bool graded = ssdm == kGraded;
    QTemporaryDir dir;
    const QString univ = dir.filePath(u"ZelkinCUniv.mdb"_s);
    QVERIFY(QFile::copy(QDir(zktest::programFolder()).filePath(u"ZelkinCUniv.mdb"_s), univ));
    TSqlConnection conn(univ);
    conn.Open();
    const auto load = [&](TRecordset &set, const QString &table, const QString &keys,
                          TCopyTableOptions options = {}) {
        const int rows = set.RecordCount();
        QVERIFY2(CopyDataSetToTable(set, conn, table, keys, options), qPrintable(table));
        TSqlQuery count(&conn);
        count.SetSQL(u"select count(*) from "_s + table);
        count.Open();
        QVERIFY2(count.Value(0).toInt() >= rows, qPrintable(table)); // no row dropped for its key
    };
    TDemoPackage dmk = Get(ssdm, u"zy01"_s, u"dmk"_s);
    for (const QString &table : CodeTableNames()) {
        TRecordset &set = dmk.Recordsets[table + u".adtg"_s];
        load(set, table, set.Field(0).Name, {});
    }
    load(dmk.Recordsets[u"TD_ZYLBDM.adtg"_s], u"TD_ZYLBDM"_s, u"ZYLBDM"_s);
    load(dmk.Recordsets[u"TD_ZYSXDM.adtg"_s], u"TD_ZYSXDM"_s, u"ZYSXDM"_s);
    load(dmk.Recordsets[u"t_common_params.adtg"_s], u"t_common_params"_s, {});
    if (graded) {
        load(dmk.Recordsets[u"td_cjxlxdm.adtg"_s], u"td_cjxlxdm"_s, u"cjxlxdm"_s);
        load(dmk.Recordsets[u"td_djdm.adtg"_s], u"td_djdm"_s, u"cjxlxdm;cj"_s);
    }
    load(dmk.Recordsets[u"T_TDDZDSX.adtg"_s], u"T_TDDZDSX"_s, {}); // the shipped table
    load(dmk.Recordsets[u"T_TDDW.adtg"_s], u"T_TDDW"_s, {});
    TDemoPackage jhk = Get(ssdm, u"zy01"_s, u"jhk"_s);
    load(jhk.Recordsets[u"T_ZYYHLQZTB.adtg"_s], u"T_KLJHXZZT"_s, {});
    load(jhk.Recordsets[u"T_JHK.adtg"_s], u"T_JHK"_s, {});
    // The default layout of the plan import, for the widest screens.
    const QString w = graded ? u"1600_rank"_s : u"1600"_s;
    QStringList rebuild{u"INSERT INTO T_TDDZDXHKD"_s, u"  (PCDM, KLDM, JHXZ, ZDDH, WZSY, KD, DYWZ, DYKD)"_s,
                        u"SELECT PCDM, KLDM, JHXZ, ZDDH, WZSY"_s + w + u", "_s,
                        u"  QSKD"_s + w + u", WZSY"_s + w + u", DYKD"_s, u"FROM T_TDDZDSX, T_KLJHXZZT"_s};
    if (!graded)
        rebuild.append(u"WHERE rank_only <> \"1\""_s);
    QVERIFY(conn.ExecSQL(rebuild) > 0);

    // The first set-up's empty dossier table, then a package of a set.
    TRecordset shipped = LoadAdtgFile(QDir(zktest::programFolder()).filePath(u"T_TDD.adtg"_s));
    load(shipped, u"T_TDD"_s, u"KSH"_s);
    const TSetState set = States(ssdm, u"zy01"_s).value(2);
    TDemoPackage tdd = Get(ssdm, u"zy01"_s, u"tdd"_s, {set.PCDM, set.KLDM, set.JHXZ, u"0"_s});
    TRecordset &dossiers = tdd.Recordsets[u"T_TDD.adtg"_s];
    if (graded) // other columns: the import makes the table again from the package
        conn.ExecSQL(u"drop table t_tdd"_s);
    load(dossiers, u"T_TDD"_s, u"KSH"_s, ctoMerge);
    load(tdd.Recordsets[u"T_KSHKCJ.adtg"_s], u"T_KSHKCJ"_s, u"KSH;CJXDM"_s, ctoMerge);
    load(tdd.Recordsets[u"T_KSJL.adtg"_s], u"T_KSJL"_s, u"KSH;QSRQ;ZJRQ"_s, ctoMerge);
    load(tdd.Recordsets[u"T_TJXX.adtg"_s], u"T_TJXX"_s, u"KSH"_s, ctoMerge);

    // The grid's shown columns of the set, then the candidate query with them.
    TSqlQuery columns(&conn);
    columns.SetSQL(
        QStringList{u"select t_tddzdxhkd.wzsy, ucase(t_tddzdsx.zddh) as zddh, zdmc,"_s,
                    u"  ucase(dmk) as dmk, ucase(zdlx) as zdlx, kd"_s, u"from t_tddzdsx, t_tddzdxhkd"_s,
                    u"where t_tddzdsx.ZDDH=t_tddzdxhkd.ZDDH and t_tddzdxhkd.WZSY>=0"_s,
                    u"  and pcdm=:pcdm and kldm=:kldm and jhxz=:jhxz"_s, u"order by t_tddzdxhkd.wzsy"_s});
    SetCodeParam(columns, u"pcdm"_s, 1, set.PCDM);
    SetCodeParam(columns, u"kldm"_s, 1, set.KLDM);
    SetCodeParam(columns, u"jhxz"_s, 1, set.JHXZ);
    QStringList fields{u"ksh"_s,  u"xm"_s,     u"zyytjzcj"_s, u"zyytfjcj"_s, u"zyhg"_s,
                       u"tjhg"_s, u"tdzy"_s,   u"tddw"_s,     u"dqtddw"_s,   u"zyzytj"_s,
                       u"lqzy"_s, u"ytzy"_s,   u"tdyydm"_s,   u"lqfs"_s,     u"kszt"_s,
                       u"sdbz"_s, u"tjjldm"_s, u"bh"_s,       u"zytjfc"_s};
    if (graded)
        fields += {u"zyytdjlx"_s, u"zyytdj"_s, u"zyytdjpx"_s, u"zyytfjdjlx"_s, u"zyytfjdj"_s};
    fields += Sixfold(u"ZYDH"_s) + Sixfold(u"TDDWDM"_s) + Sixfold(u"ZYSXDM"_s);
    int shown = 0;
    for (columns.Open(); !columns.Eof(); columns.Next(), ++shown) {
        if (QStringLiteral("ACDNRSTY").contains(columns.AsString(u"zdlx"_s).left(1)))
            fields.append(columns.AsString(u"zddh"_s));
    }
    QVERIFY(shown > 20);
    fields.removeDuplicates();
    TSqlQuery candidates(&conn);
    candidates.SetSQL(QStringList{u"select "_s + fields.join(u','), u"from t_tdd"_s,
                                  u"where pcdm=:pcdm and kldm=:kldm and jhxz=:jhxz"_s, u"order by ksh"_s});
    SetCodeParam(candidates, u"pcdm"_s, 1, set.PCDM);
    SetCodeParam(candidates, u"kldm"_s, 1, set.KLDM);
    SetCodeParam(candidates, u"jhxz"_s, 1, set.JHXZ);
    int rows = 0;
    for (candidates.Open(); !candidates.Eof(); candidates.Next())
        ++rows;
    QCOMPARE(rows, dossiers.RecordCount());
}

QTEST_GUILESS_MAIN(TstDemoPackages)
#include "tst_DemoPackages.moc"
