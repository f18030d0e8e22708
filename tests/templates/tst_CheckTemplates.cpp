// Check templates: loading a set's unit and major templates, the adjusted score, masks.
#include "store/SqlConnection.h"
#include "store/ZKMainDef.h"
#include "templates/MBDataModule.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// A user database with the template tables and two sets; set 1/1/1 is the current one.
class TTemplateDb
{
public:
    TTemplateDb()
    {
        const QString path = FDir.filePath(u"u.mdb"_s);
        TSqlConnection::CreateDatabase(path);
        Conn.Open(path);
        for (const char *sql : {
                 "create table T_TDDW (PCDM text(2), KLDM text(2), JHXZ text(2), TDDWDM text(3), TDDWMC "
                 "text(20), "
                 "CSMBH text(10))",
                 "create table T_JHK (PCDM text(2), KLDM text(2), JHXZ text(2), TDDW text(3), ZYDH text(2), "
                 "CSMBH text(10))",
                 "create table T_TDDWCSMB (MBH text(10), MBMC text(20), ZYJBZT text(1), ZYZYJBZT text(1), "
                 "zytj_low_prio text(1), rank_score_order text(1))",
                 "create table T_TDDWCSMBZYJCB (MBH text(10), JCLX text(1), XH text(1), JCFS long)",
                 "create table T_ZYCSMB (MBH text(10), MBMC text(20), masked_rank_list text(50))",
                 "insert into T_TDDW values (\"1\", \"1\", \"1\", \"001\", \"a\", \"W3\")",
                 "insert into T_TDDW values (\"1\", \"1\", \"1\", \"002\", \"b\", \"w3\")",
                 "insert into T_TDDW values (\"1\", \"1\", \"1\", \"003\", \"c\", \"W2\")",
                 "insert into T_TDDW values (\"1\", \"1\", \"1\", \"004\", \"d\", \"NONE\")",
                 "insert into T_TDDW values (\"1\", \"2\", \"1\", \"001\", \"e\", \"OTHER\")",
                 "insert into T_TDDWCSMB values (\"W3\", \"级差模板\", \"3\", \"3\", \"1\", \"3\")",
                 "insert into T_TDDWCSMB values (\"W2\", \"分数模板\", \"x\", \"9\", \"0\", \"7\")",
                 "insert into T_TDDWCSMB values (\"OTHER\", \"别的\", \"1\", \"1\", \"0\", \"1\")",
                 "insert into T_TDDWCSMBZYJCB values (\"W3\", \"1\", \"1\", 5)",
                 "insert into T_TDDWCSMBZYJCB values (\"W3\", \"1\", \"2\", 3)",
                 "insert into T_TDDWCSMBZYJCB values (\"W3\", \"1\", \"A\", 7)",
                 "insert into T_TDDWCSMBZYJCB values (\"W3\", \"1\", \"0\", 9)",
                 "insert into T_TDDWCSMBZYJCB values (\"W3\", \"2\", \"1\", 2)",
                 "insert into T_TDDWCSMBZYJCB values (\"W3\", \"2\", \"7\", 100)",
                 "insert into T_TDDWCSMBZYJCB values (\"W3\", \"2\", \"x\", 4)",
                 "insert into T_TDDWCSMBZYJCB values (\"W2\", \"1\", \"1\", 50)",
                 "insert into T_JHK values (\"1\", \"1\", \"1\", \"001\", \"01\", \"Z1\")",
                 "insert into T_JHK values (\"1\", \"1\", \"1\", \"001\", \"02\", \"Z1\")",
                 "insert into T_ZYCSMB values (\"Z1\", \"屏蔽模板\", \"001;x\t003\")",
             })
            Conn.ExecSQL(QString::fromUtf8(sql));
        TZKMainDef &def = ZKMainDef();
        def.Reset();
        def.CurPCDM = u"1"_s;
        def.CurKLDM = u"1"_s;
        def.CurJHXZ = u"1"_s;
    }
    ~TTemplateDb() { ZKMainDef().Reset(); }

    TSqlConnection Conn;

private:
    QTemporaryDir FDir;
};

TTDDWCSMB LevelTemplate()
{
    TTDDWCSMB t;
    t.SetZhiYuanJbZt(3);
    t.SetZhiYuanJc(1, 5);
    t.SetZhiYuanJc(2, 3);
    t.SetZhiYuanJc(35, 1);
    t.SetZyJbZt(3);
    t.SetZyJc(1, 2);
    t.SetZyJc(2, 4);
    t.SetZyJc(6, 1);
    return t;
}

} // namespace

class TestCheckTemplates : public QObject
{
    Q_OBJECT

private slots:
    void adjustedScore_data()
    {
        QTest::addColumn<double>("cj");
        QTest::addColumn<int>("wish");
        QTest::addColumn<int>("major");
        QTest::addColumn<double>("expected");
        // Major position 1 loses no major-level difference.
        QTest::newRow("wish 1") << 600.0 << 1 << 1 << 600.0;
        QTest::newRow("wish 3 loses wishes 1 and 2") << 600.0 << 3 << 1 << 592.0;
        QTest::newRow("no wish position loses all 35") << 600.0 << 0 << 1 << 591.0;
        QTest::newRow("wish beyond 35 counts as 35") << 600.0 << 40 << 1 << 592.0;
        QTest::newRow("major 3 loses majors 1 and 2") << 600.0 << 1 << 3 << 594.0;
        QTest::newRow("no major position loses all six") << 600.0 << 1 << 0 << 593.0;
        QTest::newRow("both") << 600.5 << 2 << 2 << 593.5;
        QTest::newRow("no score stays") << -1e20 << 0 << 0 << -1e20;
    }
    void adjustedScore()
    {
        QFETCH(double, cj);
        QFETCH(int, wish);
        QFETCH(int, major);
        QFETCH(double, expected);
        QCOMPARE(LevelTemplate().CalcDxCj(cj, wish, major), expected);
    }

    void modesAndDefaults()
    {
        TTDDWCSMB t;
        QCOMPARE(t.FZhiYuanJbZt(), 2);
        QCOMPARE(t.FZyJbZt(), 2);
        QCOMPARE(t.FRankScoreOrder, 1);
        // Modes 1 and 2 subtract nothing.
        t.SetZhiYuanJc(1, 9);
        QCOMPARE(t.CalcDxCj(600, 5, 0), 600.0);
        // Setting mode 3 zeroes the differences; a mode outside 1..3 becomes 2.
        t.SetZhiYuanJbZt(3);
        QCOMPARE(t.ZhiYuanJc(1), 0);
        t.SetZyJbZt(0);
        QCOMPARE(t.FZyJbZt(), 2);
    }

    void loadsTheUnitTemplatesOfTheSet()
    {
        TTemplateDb db;
        TMBDataModule mb(&db.Conn);
        mb.InitTddwCSMB();
        // Two units name W3 (in two spellings): one template; a number without a template row
        // and the other set's template are not read.
        QCOMPARE(mb.TDDWCSMBLookupList(), (QStringList{u"W2"_s, u"W3"_s}));
        QVERIFY(!mb.GetTddwCSMB(u"NONE"_s));
        QVERIFY(!mb.GetTddwCSMB(u"OTHER"_s));
        QCOMPARE(mb.GetTddwCSMB(u"w3"_s), mb.GetTddwCSMB(u"W3"_s));
        const TTDDWCSMB &w3 = *mb.GetTddwCSMB(u"W3"_s);
        QCOMPARE(w3.FMBMC, u"级差模板"_s);
        QCOMPARE(w3.FZhiYuanJbZt(), 3);
        QCOMPARE(w3.ZhiYuanJc(1), 5);
        QCOMPARE(w3.ZhiYuanJc(2), 3);
        QCOMPARE(w3.ZhiYuanJc(10), 7); // XH "A"
        QCOMPARE(w3.ZhiYuanJc(35), 9); // XH "0"
        QCOMPARE(w3.FZyJbZt(), 3);
        QCOMPARE(w3.ZyJc(1), 2);
        QCOMPARE(w3.ZyJc(6), 4); // XH "x" counts as 6; XH 7 is ignored
        QVERIFY(w3.FZyTjLowPrio);
        QCOMPARE(w3.FRankScoreOrder, 1); // read only with graded scores
        QCOMPARE(w3.CalcDxCj(600, 3, 2), 590.0);
        const TTDDWCSMB &w2 = *mb.GetTddwCSMB(u"W2"_s);
        QCOMPARE(w2.FZhiYuanJbZt(), 2);
        QCOMPARE(w2.FZyJbZt(), 2);
        QCOMPARE(w2.ZhiYuanJc(1), 0);
        QVERIFY(!w2.FZyTjLowPrio);
    }

    void gradedModeUnitTemplates()
    {
        TTemplateDb db;
        ZKMainDef().RankScoreSupported = true;
        TMBDataModule mb(&db.Conn);
        mb.InitTddwCSMB();
        const TTDDWCSMB &w3 = *mb.GetTddwCSMB(u"W3"_s);
        // The wish level never counts with graded scores.
        QCOMPARE(w3.FZhiYuanJbZt(), 2);
        QCOMPARE(w3.CalcDxCj(600, 3, 1), 600.0);
        QCOMPARE(w3.FRankScoreOrder, 3);
        QCOMPARE(mb.GetTddwCSMB(u"W2"_s)->FRankScoreOrder, 1); // 7 is no order
    }

    void majorTemplatesAndMasks()
    {
        TTemplateDb db;
        TMBDataModule mb(&db.Conn);
        mb.SetRankCodes(3, {{u"001"_s, 0}, {u"003"_s, 2}});
        mb.InitZYCSMB();
        QCOMPARE(mb.ZYCSMBLookupList(), QStringList{u"Z1"_s});
        QVERIFY(mb.GetZYCSMB(u"Z1"_s)->FRankMaskStatus.isEmpty());
        ZKMainDef().RankScoreSupported = true;
        mb.InitZYCSMB();
        const TZYCSMB &z1 = *mb.GetZYCSMB(u"z1"_s);
        QCOMPARE(z1.FMBMC, u"屏蔽模板"_s);
        QCOMPARE(z1.FRankMaskStatus, (QList<bool>{true, false, true}));
        QVERIFY(z1.IsRankMasked(2) && !z1.IsRankMasked(1) && !z1.IsRankMasked(-1));
    }
};

QTEST_GUILESS_MAIN(TestCheckTemplates)
#include "tst_CheckTemplates.moc"
