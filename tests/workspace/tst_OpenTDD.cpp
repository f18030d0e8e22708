// Choosing and opening a dossier set: the remembered set, the state, units, plan and
// columns, the repair of inconsistent rows, failures, and closing.
#include "WorkspaceFixture.h"
#include "store/ZKMainDef.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestOpenTDD : public QObject
{
    Q_OBJECT

private slots:
    void opensTheRememberedSet()
    {
        TWorkspaceFixture f;
        f.View.Dpi = 144;
        f.AddCandidate({u"A1"_s});
        f.AddCandidate({u"A2"_s, u"乙"_s, u"001"_s, QString(), u"1"_s, u"01"_s, u"01"_s});
        f.AddCandidate({u"B1"_s}, u"1"_s, u"2"_s, u"1"_s); // another set
        f.Open();
        const TZKMainDef &def = ZKMainDef();
        QVERIFY(def.IsTDDOpen);
        QCOMPARE(def.CurPCDM + def.CurKLDM + def.CurJHXZ, u"111"_s);
        QCOMPARE(f.View.Buttons[TFolderButton::PC], u"1 本科一批"_s);
        QCOMPARE(f.View.Buttons[TFolderButton::KL_JHXZ], u"1 理工 - 1 非定向"_s);
        QCOMPARE(f.View.Buttons[TFolderButton::ZT], u"[阅档中]"_s);
        QCOMPARE(f.View.Buttons[TFolderButton::TDDW], u"所有的投档单位"_s);
        QCOMPARE(f.View.Buttons[TFolderButton::ZY], u"所有的专业"_s);
        QCOMPARE(f.View.MenuCaptions(TFolderMenu::TDDW),
                 (QStringList{u"所有的投档单位"_s, u"-"_s, u"001 一志愿投档"_s, u"002 二志愿投档"_s}));
        QCOMPARE(f.View.Menus[TFolderMenu::TDDW][3].Tag, 1);
        QCOMPARE(f.View.Panels[ZKStatusPanel::KsCount], u"考生数2"_s);
        QCOMPARE(f.View.Panels[ZKStatusPanel::JhCount], u"计划数5"_s);
        QCOMPARE(f.View.Panels[ZKStatusPanel::ZyCount], u"专业数5"_s);
        QCOMPARE(f.View.Panels[ZKStatusPanel::YlCount], u"已录数1"_s);
        QVERIFY(f.View.ClientVisible);
        QCOMPARE(f.Panel.Shows, 1);
        QCOMPARE(f.Panel.Clears, 1);
        // One grid column per shown field: 50 at 96 dpi is 75 at 144, the first 16 wider.
        QVERIFY(f.Grid.Visible);
        QCOMPARE(f.Grid.Columns.size(), TWorkspaceFixture::DefaultColumns().size());
        QCOMPARE(f.Grid.Columns[0].Caption, u"考生号"_s);
        QCOMPARE(f.Grid.Columns[0].Width, 91);
        QCOMPARE(f.Grid.Columns[1].Width, 75);
        QCOMPARE(f.Grid.Rows, 2);
        QCOMPARE(f.Grid.Focused, 0);
        QCOMPARE(f.Grid.SelectedRows(), QList<int>{0});
        QCOMPARE(f.Shown(), (QStringList{u"A1"_s, u"A2"_s}));
        QCOMPARE(f.ShareRows(u"select DQPCDM, DQKLDM, DQJHXZ from T_YXZT"_s), QStringList{u"1|1|1"_s});
        QVERIFY(f.Messages.Messages.isEmpty());
    }

    void choosesTheSetOfABatch()
    {
        TWorkspaceFixture f;
        f.ExecShare({u"update T_YXZT set DQKLDM = \"2\""_s});
        f.Open();
        QCOMPARE(f.View.Buttons[TFolderButton::KL_JHXZ], u"2 文史 - 1 非定向"_s);
        QCOMPARE(f.View.Buttons[TFolderButton::ZT], u"[审核中]"_s);
        // A batch with its own set; the remembered set is not of that batch.
        f.Dm().PCMenuItemClick(u"2 本科二批"_s);
        QCOMPARE(ZKMainDef().CurPCDM, u"2"_s);
        QCOMPARE(f.View.Buttons[TFolderButton::PC], u"2 本科二批"_s);
        QCOMPARE(f.View.Buttons[TFolderButton::ZT], u"[未开始]"_s);
        QCOMPARE(f.View.MenuCaptions(TFolderMenu::KL_JHXZ), QStringList{u"1 理工 - 1 非定向"_s});
        QCOMPARE(f.ShareRows(u"select DQPCDM, DQKLDM, DQJHXZ from T_YXZT"_s), QStringList{u"2|1|1"_s});
        // A batch without sets falls back to every set, and finds the remembered one.
        f.Dm().ChangeCurrTDDPc(u"7"_s);
        QCOMPARE(ZKMainDef().CurPCDM + ZKMainDef().CurKLDM, u"21"_s);
        // Choosing the category that is open does nothing; another one opens it.
        const int shows = f.Panel.Shows;
        f.Dm().PCMenuItemClick(u"2 本科二批"_s);
        QCOMPARE(f.Panel.Shows, shows);
        f.Dm().PCMenuItemClick(u"1 本科一批"_s);
        f.Dm().KL_JHXZMenuItemClick(0);
        QCOMPARE(f.Panel.Shows, shows + 1);
        f.Dm().KL_JHXZMenuItemClick(1);
        QCOMPARE(ZKMainDef().CurKLDM, u"2"_s);
        QCOMPARE(f.ShareRows(u"select DQPCDM, DQKLDM, DQJHXZ from T_YXZT"_s), QStringList{u"1|2|1"_s});
    }

    void firstSetWithoutARememberedOne()
    {
        TWorkspaceFixture f;
        f.ExecShare({u"update T_YXZT set DQPCDM = \"\", DQKLDM = \"\", DQJHXZ = \"\""_s});
        f.Open();
        QCOMPARE(ZKMainDef().CurPCDM + ZKMainDef().CurKLDM + ZKMainDef().CurJHXZ, u"111"_s);
    }

    void noDossierSets()
    {
        TWorkspaceFixture f;
        f.Exec({u"delete from T_KLJHXZZT"_s});
        f.Open();
        QVERIFY(!ZKMainDef().IsTDDOpen);
        QCOMPARE(f.Messages.Messages.size(), 1);
        QCOMPARE(f.Messages.Messages[0].Text,
                 u"目前还没有投出贵院校的任何科类的投档单。\r\n请等待，或与招生办公室联系。"_s);
        QCOMPARE(f.Messages.Messages[0].Caption, u"选择投档单"_s);
        QCOMPARE(f.Messages.Messages[0].Icon, TMsgIcon::Information);
    }

    void repairsInconsistentRows()
    {
        TWorkspaceFixture f;
        auto cand = [](const QString &ksh, const QString &kszt, const QString &lqzy,
                       const QString &dqtddw = {}) {
            TFixtureCandidate c{ksh};
            c.KSZT = kszt;
            c.LQZY = lqzy;
            c.DQTDDW = dqtddw;
            c.TDYYDM = u"01"_s;
            c.BZ = u"备注"_s;
            return c;
        };
        f.AddCandidate(cand(u"R1"_s, u"2"_s, u""_s, u"002"_s));   // returned without "  ", in another unit
        f.AddCandidate(cand(u"R2"_s, u"1"_s, u"03"_s));           // a major its unit does not have
        f.AddCandidate(cand(u"R3"_s, u"0"_s, u" ?"_s, u"002"_s)); // undecided in another unit
        f.AddCandidate(cand(u"R4"_s, u"0"_s, u"01"_s));           // undecided with a major
        f.AddCandidate(cand(u"R5"_s, u"1"_s, u"05"_s));           // a major of a unit outside the set
        f.AddCandidate(cand(u"R6"_s, u"3"_s, u"  "_s));           // consistent
        f.AddCandidate(cand(u"R7"_s, u"1"_s, u"01"_s));           // consistent
        f.AddCandidate(cand(u"R8"_s, u"4"_s, u"xx"_s));           // no rule for status 4
        f.Open();
        QCOMPARE(f.Rows(u"select KSH, DQTDDW, LQZY, TDYYDM, BZ, KSZT from T_TDD order by KSH"_s),
                 (QStringList{u"R1|001|  |01|备注|2"_s, u"R2|001| ?|  ||0"_s, u"R3|001| ?|  ||0"_s,
                              u"R4|001| ?|  ||0"_s, u"R5|001| ?|  ||0"_s, u"R6|001|  |01|备注|3"_s,
                              u"R7|001|01|01|备注|1"_s, u"R8|001|xx|01|备注|4"_s}));
        // The in-memory candidate query carries the same repairs.
        TMainDM &dm = f.Dm();
        const TRecordset &q = dm.LQGridQuery;
        auto queryRow = [&](const QString &ksh) {
            const TKSItem *ks = f.Ks(ksh);
            QStringList cells;
            for (const char *name : {"DQTDDW", "LQZY", "TDYYDM", "KSZT"})
                cells.append(dm.QueryText(ks, q.FindField(QString::fromLatin1(name))));
            return cells.join(u'|');
        };
        QCOMPARE(queryRow(u"R1"_s), u"001|  |01|2"_s);
        QCOMPARE(queryRow(u"R2"_s), u"001| ?|  |0"_s);
        QCOMPARE(queryRow(u"R3"_s), u"001| ?|  |0"_s);
        QCOMPARE(queryRow(u"R7"_s), u"001|01|01|1"_s);
        // And the model.
        QCOMPARE(f.InMajor(0), QStringList{u"R7"_s});
        QCOMPARE(f.InMajor(5), (QStringList{u"R1"_s, u"R6"_s}));
        QCOMPARE(f.InMajor(6), (QStringList{u"R2"_s, u"R3"_s, u"R4"_s, u"R5"_s, u"R8"_s}));
        QCOMPARE(f.Ks(u"R1"_s)->DqTddw, 0);
        QCOMPARE(f.Ks(u"R2"_s)->KsZt, 0);
        QCOMPARE(f.Ks(u"R8"_s)->KsZt, 4);
        QCOMPARE(f.View.Panels[ZKStatusPanel::YlCount], u"已录数1"_s);
        // Opening again finds nothing left to repair.
        f.Dm().ChangeCurrTDDKlJhxz(u"1"_s, u"1"_s);
        QCOMPARE(f.Rows(u"select count(*) from T_TDD where DQTDDW <> TDDW"_s), QStringList{u"0"_s});
    }

    void planAndColumns()
    {
        TWorkspaceFixture f;
        f.Open();
        const TMainDM &dm = f.Dm();
        auto column = [&](const QString &name) { return dm.ZKColumn[dm.ColumnIndexOf(name)]; };
        QCOMPARE(dm.ColumnNum, TWorkspaceFixture::DefaultColumns().size());
        QCOMPARE(column(u"XBDM"_s).DMTableIndex, 13);
        QCOMPARE(column(u"TDYYDM"_s).DMTableIndex, TD_TDYYDM);
        QCOMPARE(column(u"TDZY"_s).DMTableIndex, -1);
        QCOMPARE(column(u"XKKM"_s).DMTableIndex, TD_CJXDM);
        QCOMPARE(column(u"GKCJX01"_s).DMTableIndex, -1);
        QCOMPARE(column(u"CJDJ001"_s).DMTableIndex, -1);
        QCOMPARE(column(u"ZYYTJZCJ"_s).Tag, 0);
        QCOMPARE(column(u"ZYYTDXJZCJ"_s).Tag, 1);
        QCOMPARE(column(u"LQZY"_s).Tag, 0);
        QCOMPARE(column(u"YTZY"_s).Tag, -1);
        QCOMPARE(column(u"ZYDH2"_s).Tag, 2);
        QCOMPARE(column(u"ZYDH1"_s).MainField, dm.LQGridQuery.FindField(u"ZYTJFC"));
        QCOMPARE(column(u"ZYSX"_s).MainField, -1);
        QCOMPARE(column(u"KSH"_s).ColType, QChar(u'K'));
        QCOMPARE(dm.SortColIndex, 0);
        QCOMPARE(dm.ColumnIndexOf(u"SFZH"_s), -1); // not shown
        // The candidate query holds the fixed fields and the fields of the shown columns.
        for (const char *name : {"ZYDH6", "TDDWDM1", "ZYSXDM3", "ZYTJFC", "CJ", "BYXX", "XKKM", "CJDJ001"})
            QVERIFY2(dm.LQGridQuery.FindField(QString::fromLatin1(name)) >= 0, name);
        QVERIFY(dm.LQGridQuery.FindField(u"SFZH") < 0);
        QVERIFY(dm.LQGridQuery.FindField(u"ZYYTDJPX") < 0);
        QVERIFY(dm.Jh(0)->AllowedCourseStr.isEmpty());
    }

    void gradedColumnsAndSubjects()
    {
        TWorkspaceFixture f(true);
        f.Exec({u"update T_JHK set yxxckm = \"03,04 05\", jzxckm = \"01 03,99,02\" where ZYDH = \"01\""_s,
                u"update T_ZYCSMB set masked_rank_list = \"001\""_s});
        f.AddColumn(u"GKCJX03"_s, u"物理"_s, u""_s, u"N"_s);
        f.Open();
        const TMainDM &dm = f.Dm();
        QCOMPARE(dm.ZKColumn[dm.ColumnIndexOf(u"GKCJX03"_s)].DMTableIndex, 0);
        QCOMPARE(dm.ZKColumn[dm.ColumnIndexOf(u"GKCJX01"_s)].DMTableIndex, -1);
        QCOMPARE(dm.ZKColumn[dm.ColumnIndexOf(u"CJDJ001"_s)].DMTableIndex, 0);
        QVERIFY(dm.LQGridQuery.FindField(u"ZYYTDJPX") >= 0);
        // The masked forbidden subject shows among the allowed ones; unknown ones drop out.
        QCOMPARE(dm.Jh(0)->AllowedCourseStr, u"03物理,04化学,05生物(03物理)"_s);
        QCOMPARE(dm.Jh(0)->NotAllowedCourseExpr, u"(GKCJX01 is null) and (GKCJX02 is null)"_s);
        QCOMPARE(dm.Jh(0)->MB->FRankMaskStatus, (QList<bool>{true, false}));
    }

    void failuresAreReportedWithTheirStep_data()
    {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QString>("start");
        QTest::newRow("units") << QStringList{u"drop table T_TDDW"_s} << u"打开投档单第 1 步出错:\r\n"_s;
        QTest::newRow("plan") << QStringList{u"drop table T_JHK"_s} << u"打开投档单第 2 步出错:\r\n"_s;
        QTest::newRow("unit templates")
            << QStringList{u"drop table T_TDDWCSMB"_s} << u"打开投档单第 1 步出错:\r\n"_s;
        QTest::newRow("candidate fields")
            << QStringList{u"alter table T_TDD drop column SDBZ"_s} << u"打开投档单第 3 步出错:\r\n"_s;
    }
    void failuresAreReportedWithTheirStep()
    {
        QFETCH(QStringList, statements);
        QFETCH(QString, start);
        TWorkspaceFixture f;
        f.AddCandidate({u"A1"_s});
        f.Exec(statements);
        f.Open();
        QVERIFY(!ZKMainDef().IsTDDOpen);
        QCOMPARE(f.Messages.Messages.size(), 1);
        QVERIFY2(f.Messages.Messages[0].Text.startsWith(start), qPrintable(f.Messages.Messages[0].Text));
        QCOMPARE(f.Messages.Messages[0].Caption, u"打开投档单"_s);
        QVERIFY(f.Dm().KsTable.empty() && f.Dm().JhTable.empty() && f.Dm().CurrentTDDWTable.empty());
        // The combination is remembered only after a successful opening.
        f.ExecShare({u"update T_YXZT set DQKLDM = \"9\""_s});
        f.Dm().ChangeCurrTDDKlJhxz(u"1"_s, u"1"_s);
        QCOMPARE(f.ShareRows(u"select DQKLDM from T_YXZT"_s), QStringList{u"9"_s});
    }

    void layoutColumnMissingFromTheDossierTable()
    {
        // Graded provinces name grade columns that the local table gets only with the
        // first package: the set opens and the column stays empty.
        TWorkspaceFixture f;
        f.AddCandidate({u"A1"_s, u"Zhang"_s});
        f.Exec({u"insert into T_TDDZDSX (ZDDH, ZDMC, DMK, ZDLX) values (\"NOSUCH\", \"无\", \"\", \"R\")"_s,
                u"insert into T_TDDZDXHKD values (\"1\", \"1\", \"1\", \"NOSUCH\", 99, 10, 0, 0)"_s});
        f.Open();
        QVERIFY(ZKMainDef().IsTDDOpen);
        QVERIFY(f.Messages.Messages.isEmpty());
        const TMainDM &dm = f.Dm();
        const int column = dm.ColumnIndexOf(u"NOSUCH"_s);
        QVERIFY(column >= 0);
        QCOMPARE(dm.ZKColumn[column].MainField, -1);
        QCOMPARE(f.Cell(u"A1"_s, u"NOSUCH"_s), QString());
        QCOMPARE(f.Cell(u"A1"_s, u"XM"_s), u"Zhang"_s);

        // A graded province before its first package: the table lacks the grade columns.
        TWorkspaceFixture graded(true);
        graded.AddCandidate({u"B1"_s, u"Li"_s});
        graded.Exec({u"alter table T_TDD drop column ZYYTDJPX"_s, u"alter table T_TDD drop column ZYYTDJ"_s});
        graded.Open();
        QVERIFY(ZKMainDef().IsTDDOpen);
        QVERIFY(graded.Messages.Messages.isEmpty());
        QCOMPARE(graded.Ks(u"B1"_s)->ZyytRankPermScore, -1);
        QCOMPARE(graded.Cell(u"B1"_s, u"XM"_s), u"Li"_s);
    }

    void closingSavesTheColumnWidths()
    {
        TWorkspaceFixture f;
        f.View.Dpi = 192;
        f.AddCandidate({u"A1"_s});
        f.Open();
        f.Grid.Columns[0].Width = 316; // (316 - 16) * 96 / 192
        f.Grid.Columns[1].Width = 1;
        f.Dm().CloseTDD();
        QCOMPARE(f.Rows(u"select ZDDH, KD from T_TDDZDXHKD where WZSY in (0, 1, 2) order by WZSY"_s),
                 (QStringList{u"KSH|150"_s, u"XM|1"_s, u"XBDM|50"_s}));
        QVERIFY(!ZKMainDef().IsTDDOpen);
        QVERIFY(!f.View.ClientVisible);
        QVERIFY(f.Dm().ReloadSignal);
        QCOMPARE(f.Panel.Hides, 1);
        QCOMPARE(f.Detail.Hides, 1);
        QCOMPARE(f.Grid.Rows, 0);
        for (int panel = 1; panel <= 4; ++panel)
            QVERIFY(f.View.Panels[panel].isEmpty());
        QVERIFY(f.Dm().KsTable.empty() && f.Dm().CurrentKSList.isEmpty());
    }

    void layoutWithoutACandidateNumberColumn()
    {
        TWorkspaceFixture f;
        f.AddCandidate({u"A1"_s, u"Zhang"_s});
        f.AddCandidate({u"A2"_s, u"Li"_s});
        f.Open();
        QCOMPARE(f.Dm().SortColIndex, 0);
        f.SetColumns({{u"CJ"_s, u"总分"_s, u""_s, u"A"_s}, {u"XM"_s, u"姓名"_s, u""_s, u"X"_s}});
        f.Dm().SortKS(1);
        f.Dm().ChangeCurrTDDKlJhxz(u"1"_s, u"1"_s);
        // The previous sort column stays where the new layout has it.
        QCOMPARE(f.Dm().SortColIndex, 1);
        QCOMPARE(f.Shown(), (QStringList{u"A2"_s, u"A1"_s}));
        f.SetColumns({{u"XM"_s, u"姓名"_s, u""_s, u"X"_s}});
        f.Dm().ChangeCurrTDDKlJhxz(u"1"_s, u"1"_s);
        QCOMPARE(f.Dm().SortColIndex, -1);
        QCOMPARE(f.Shown(), (QStringList{u"A1"_s, u"A2"_s}));
    }
};

QTEST_GUILESS_MAIN(TestOpenTDD)
#include "tst_OpenTDD.moc"
