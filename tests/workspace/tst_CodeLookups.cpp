// Reading the code tables, the parameters and the institution values, and every lookup.
#include "WorkspaceFixture.h"
#include "store/ZKMainDef.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestCodeLookups : public QObject
{
    Q_OBJECT

private slots:
    void readsEverythingInNormalMode()
    {
        TWorkspaceFixture f;
        QCOMPARE(f.Dm().ReadDMTable(), 0);
        const TZKMainDef &def = ZKMainDef();
        QVERIFY(!def.RankScoreSupported);
        QCOMPARE(def.InstitutionCode, u"10001"_s);
        QCOMPARE(def.InstitutionName, u"测试大学"_s);
        QCOMPARE(def.LeaderPCDM, u"1"_s);
        QVERIFY(def.AutoPhoto && !def.ShowCodes && def.AutoUnpack);
        QVERIFY(f.Dm().ZyStateReportOnStart);
        QCOMPARE(f.Detail.Captions, (QStringList{u"报名表"_s, u"体检表"_s, u"附加表"_s}));
        QCOMPARE(f.Detail.Inits, 1);
        QCOMPARE(f.Dm().RankPermCodeStr, u"001/C03,C05"_s);
        QCOMPARE(f.View.MenuCaptions(TFolderMenu::PC), (QStringList{u"1 本科一批"_s, u"2 本科二批"_s}));
        // Classes 1, 2 and 5: the gaps hold ".".
        QCOMPARE(f.Dm().ZyLbMcList, (QStringList{u"."_s, u"工学"_s, u"理学"_s, u"."_s, u"."_s, u"医学"_s}));
        QCOMPARE(f.Dm().DMTables[TD_TDYYDM].size(), 3);
        QCOMPARE(f.Dm().DMTables[TD_TDYYDM][1].DMMC, u"体检不合格"_s);
        // Without graded scores the grade lists stay empty.
        QVERIFY(f.Dm().RankCodeList.isEmpty() && f.Dm().RankDescArray.isEmpty() &&
                f.Dm().CourseRankIdArray.isEmpty() && f.Dm().RankPermCodeList.isEmpty());
        QVERIFY(f.Messages.Messages.isEmpty());
    }

    void readsTheGradesInGradedMode()
    {
        TWorkspaceFixture f(true);
        QCOMPARE(f.Dm().ReadDMTable(), 0);
        const TMainDM &dm = f.Dm();
        QVERIFY(ZKMainDef().RankScoreSupported);
        QCOMPARE(dm.RankCodeList, (QStringList{u"001"_s, u"002"_s}));
        QCOMPARE(dm.RankNameList, (QStringList{u"等级"_s, u"合格性"_s}));
        QCOMPARE(dm.RankCodeCJXSM, (QList<int>{4, 2}));
        // "009" is no grade type and is dropped.
        QCOMPARE(dm.MaskableRankCodeList, (QStringList{u"001"_s, u"002"_s}));
        QCOMPARE(dm.MaskableRankCodePosition, (QList<int>{0, 1}));
        QCOMPARE(dm.RankDescArray,
                 (QList<QStringList>{{u"D"_s, u"C"_s, u"B"_s, u"A"_s}, {u"不合格"_s, u""_s, u"合格"_s}}));
        QCOMPARE(dm.CourseRankIdArray, (QList<int>{-1, -1, 0, 0, 1}));
        QCOMPARE(dm.RankPermCodeList, (QStringList{u"001/C03"_s, u"C05"_s}));
        QCOMPARE(dm.RankPermNameList, (QStringList{u"等级,物理"_s, u"生物"_s}));
    }

    void lookups()
    {
        TWorkspaceFixture f(true);
        QCOMPARE(f.Dm().ReadDMTable(), 0);
        const TMainDM &dm = f.Dm();
        QCOMPARE(dm.GetDMTableIndex(u"td_xbdm"_s), 13);
        QCOMPARE(dm.GetDMTableIndex(u"TD_NOPE"_s), -1);
        QCOMPARE(dm.GetDMId(13, u"2"_s), 1);
        QCOMPARE(dm.GetDMId(16, u"a"_s), -1); // codes compare case-sensitively
        QCOMPARE(dm.GetDMMC(13, u"1"_s), u"男"_s);
        QCOMPARE(dm.GetDMMC(13, -1), QString());
        QCOMPARE(dm.GetDMMC(13, 2), QString());
        QCOMPARE(dm.GetRankDesc(0, 3), u"A"_s);
        QCOMPARE(dm.GetRankDesc(0, 4), QString());
        QCOMPARE(dm.GetRankDesc(-1, 0), QString());
        QCOMPARE(dm.GetRankDesc(1, 1), QString());
        QCOMPARE(dm.GetRankSetDesc(0, u"3;1"_s), u"AC"_s);
        QCOMPARE(dm.GetRankSetDesc(0, u"2;x;"_s), u"B"_s);
        QCOMPARE(dm.GetRankPermName(u"001/C03 002\tzzz"_s), u"等级,物理,合格性"_s);
        QCOMPARE(dm.GetRankPermName(u""_s), QString());
        // A grade for the first code and nothing for the second.
        QCOMPARE(dm.GetRankPermDesc(u"001/002"_s, u"2"_s), u"B,-"_s);
        // "000" and numeric score items add nothing; a score item's grade type counts.
        QCOMPARE(dm.GetRankPermDesc(u"C03/000/C01/C05"_s, u"3;0/1/2/2"_s), u"AD,合格"_s);
        QCOMPARE(dm.GetRankPermDesc(u"C99/zzz"_s, u"1/1"_s), QString());
    }

    void setLookupsAndPseudoMajors()
    {
        TWorkspaceFixture f;
        f.Open();
        const TMainDM &dm = f.Dm();
        QCOMPARE(dm.JhRecCount, 5);
        QCOMPARE(dm.GetCurrentTDDWId(u"002"_s), 1);
        QCOMPARE(dm.GetCurrentTDDWId(u"009"_s), -1);
        QCOMPARE(dm.GetZyId(0, u"  "_s), 5);
        QCOMPARE(dm.GetZyId(-1, u"  "_s), 5);
        QCOMPARE(dm.GetZyId(0, u" ?"_s), 6);
        QCOMPARE(dm.GetZyId(0, u"03"_s), 6); // unit 001 has no major 03
        QCOMPARE(dm.GetZyId(1, u"03"_s), 2);
        QCOMPARE(dm.GetZyId(-1, u"01"_s), 6);
        QCOMPARE(dm.GetKsId(u"nobody"_s), -1);
        const TJHItem &returned = *dm.Jh(5);
        const TJHItem &undecided = *dm.Jh(6);
        QCOMPARE(returned.ZYDH, u"  "_s);
        QCOMPARE(undecided.ZYDH, u" ?"_s);
        QCOMPARE(undecided.Zymc, u"未定"_s);
        QVERIFY(returned.IsPseudo && undecided.IsPseudo && returned.TDDW == -1 && returned.FJhs() == 0);
        // Plan values: a class that is no number is -1, negative places are 0.
        QCOMPARE(dm.Jh(3)->ZyLbDm, -1);
        QCOMPARE(dm.Jh(4)->FJhs(), 0);
        QCOMPARE(dm.Jh(4)->TDDW, -1);
        QCOMPARE(dm.Jh(0)->TjSxDmList, (QStringList{u"01"_s, u"02"_s}));
        QCOMPARE(dm.Jh(0)->GetTDDW_ZYDH(), u"001-01"_s);
        QCOMPARE(dm.Jh(4)->GetTDDW_ZYDH(), u" -05"_s);
        QCOMPARE(dm.Jh(0)->MB->FMBMC, u"专业模板"_s);
        QCOMPARE(dm.CurrentTDDWTable[0]->MB->FMBH, u"T1"_s);
        QVERIFY(!dm.CurrentTDDWTable[1]->MB);
        QCOMPARE(ZKMainDef().CurZT, 1);
        QCOMPARE(ZKMainDef().CurDQTDDBH, 2);
        QCOMPARE(dm.ZDTDZY, 3);
    }

    void failingStepsAreReported_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<bool>("failInit");
        QTest::addColumn<QString>("start");
        QTest::newRow("code table") << u"drop table TD_MZDM"_s << false
                                    << u"读取代码库第 2 步出错:\r\n[TD_MZDM] "_s;
        QTest::newRow("major classes")
            << u"insert into TD_ZYLBDM values (null, \"x\")"_s << false << u"读取代码库第 3 步出错:\r\n"_s;
        QTest::newRow("absurd major class number")
            << u"insert into TD_ZYLBDM values (2000000000, \"x\")"_s << false << u"读取代码库第 3 步出错:\r\n"_s;
        QTest::newRow("common params")
            << u"drop table t_common_params"_s << false << u"读取代码库第 0 步出错:\r\n"_s;
        QTest::newRow("detail window") << QString() << true << u"读取代码库第 8 步出错:\r\nno templates"_s;
    }
    void failingStepsAreReported()
    {
        QFETCH(QString, statement);
        QFETCH(bool, failInit);
        QFETCH(QString, start);
        TWorkspaceFixture f;
        if (!statement.isEmpty())
            f.Exec({statement});
        if (failInit)
            f.Detail.FailInit = u"no templates"_s;
        QCOMPARE(f.Dm().ReadDMTable(), 1);
        QCOMPARE(f.Messages.Messages.size(), 1);
        QVERIFY2(f.Messages.Messages[0].Text.startsWith(start), qPrintable(f.Messages.Messages[0].Text));
        QCOMPARE(f.Messages.Messages[0].Caption, u"读取代码库"_s);
        QCOMPARE(f.Messages.Messages[0].Icon, TMsgIcon::Warning);
    }

    void reportModeIsReadAndSaved()
    {
        TWorkspaceFixture f;
        f.ExecShare({u"update T_YXZT set zy_state_report = \"\""_s});
        QCOMPARE(f.Dm().ReadDMTable(), 0);
        QVERIFY(!f.Dm().ZyStateReportOnStart);
        f.Panel.Report = true;
        f.Dm().SaveZyStateReportMode();
        QCOMPARE(f.ShareRows(u"select zy_state_report from T_YXZT"_s), QStringList{u"1"_s});
        f.Panel.Report = false;
        f.Dm().SaveZyStateReportMode();
        QCOMPARE(f.ShareRows(u"select zy_state_report from T_YXZT"_s), QStringList{u"0"_s});
    }

    void categoryMenuAndInstitutionButton()
    {
        TWorkspaceFixture f;
        f.Open();
        QCOMPARE(f.View.Buttons[TFolderButton::YX_SS], u"10001 测试大学 - 测试省录取进程"_s);
        QCOMPARE(f.View.MenuCaptions(TFolderMenu::KL_JHXZ),
                 (QStringList{u"1 理工 - 1 非定向"_s, u"2 文史 - 1 非定向"_s}));
        QCOMPARE(f.View.Menus[TFolderMenu::KL_JHXZ][1].Tag, 1);
        QCOMPARE(f.Dm().KL_JHXZTable.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestCodeLookups)
#include "tst_CodeLookups.moc"
