// The statistics window: tree, lists, charts, display modes, status bar, messages and
// printing, on the statistics fixture. With ZK_STAT_SHOTS set to a folder, the window is
// also saved there as a PNG per chart kind (for looking at it).
#include "DemoStatsWorld.h"
#include "StatsFixture.h"
#include "gui/common/GuiMetrics.h"
#include "gui/stats/StatForm.h"
#include "store/ZKMainDef.h"

#include <QAction>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QPieSeries>
#include <QPieSlice>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

void AddCandidates(TStatsFixture &f)
{
    const QList<double> chinese{50, 54, 62, 62, 64, 71, 88};
    for (int i = 0; i < chinese.size(); ++i) {
        TFixtureCandidate c{u"C%1"_s.arg(i + 1)};
        c.XBDM = i % 3 == 0 ? u"2"_s : u"1"_s;
        c.ZYYTJZCJ = 560 + 13 * i;
        c.ZYDH = {i % 2 ? u"01"_s : u"02"_s};
        if (i < 3) {
            c.KSZT = u"1"_s;
            c.LQZY = c.YTZY = c.ZYDH[0];
        }
        c.Extra = {{u"GKCJX01"_s, chinese[i]}, {u"MZDM"_s, i == 4 ? u"02"_s : u"01"_s}};
        f.AddCandidate(c);
    }
    TFixtureCandidate other{u"C9"_s, u"考生"_s, u"002"_s};
    other.ZYDH = {u"03"_s};
    f.AddCandidate(other);
}

QStringList ListRows(const QTreeWidget *list)
{
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QStringList cells;
        for (int c = 0; c < list->columnCount(); ++c)
            cells.append(list->topLevelItem(i)->text(c));
        rows.append(cells.join(u'|'));
    }
    return rows;
}

QStringList PanelTexts(const TStatForm &form)
{
    QStringList texts;
    for (const QLabel *panel : form.StatusPanels)
        texts.append(panel->text());
    return texts;
}

void Shot(TStatForm &form, const QString &name)
{
    const QString folder = qEnvironmentVariable("ZK_STAT_SHOTS");
    if (folder.isEmpty())
        return;
    QCoreApplication::processEvents();
    QVERIFY(form.grab().save(u"%1/%2-%3dpi.png"_s.arg(folder, name).arg(ScreenDpi(&form))));
}

} // namespace

class TestStatForm : public QObject
{
    Q_OBJECT

private slots:
    void showsEachStatisticAsChartOrList()
    {
        TStatsFixture f;
        AddCandidates(f);
        f.Open();
        TFakeProgress progress;
        TStatForm form(f.Dm(), progress, f.Messages);
        form.show();
        QCOMPARE(form.windowTitle(), u"统计信息"_s);
        QCOMPARE(form.TDDWComboBox->count(), 3);
        QCOMPARE(form.TDDWComboBox->itemText(1), u"001 一志愿投档"_s);
        QCOMPARE(form.StepComboBox->currentText(), u"5"_s);
        const QTreeWidgetItem *root = form.StatTree->topLevelItem(0);
        QCOMPARE(root->text(0), u"统计信息"_s);
        QCOMPARE(root->child(1)->text(0), u"成绩信息"_s);
        QCOMPARE(root->child(1)->child(1)->text(0), u"01 语文"_s);
        QCOMPARE(root->child(2)->childCount(), 3);
        QVERIFY(!form.ShowGridAction->isEnabled());

        form.FocusLeaf(sgRegistration, 0);
        QVERIFY(form.ResultPages->currentWidget()->isAncestorOf(form.ResultChart));
        QVERIFY(form.ShowChartAction->isChecked() && form.ShowGridAction->isEnabled());
        QChart *chart = form.ResultChart->chart();
        QCOMPARE(chart->title(), u"所有投档单位类考生性别比例统计图"_s);
        auto *pie = qobject_cast<QPieSeries *>(chart->series().value(0));
        QVERIFY(pie);
        QCOMPARE(pie->count(), 2);
        QCOMPARE(pie->slices()[0]->label(), u"男"_s);
        QCOMPARE(pie->slices()[1]->brush().color(), QColor(0xC0, 0xC0, 0xFF));
        QCOMPARE(PanelTexts(form), (QStringList{u"共有考生：8"_s, u""_s, u""_s, u""_s}));
        QCOMPARE(form.StatusPanels[1]->width(), ScaledPixels(180, &form));
        Shot(form, u"pie"_s);

        form.ShowGridAction->trigger();
        QVERIFY(form.IsShowGrid);
        QCOMPARE(form.ResultPages->currentWidget(), static_cast<QWidget *>(form.ResultList));
        QCOMPARE(form.ResultList->headerItem()->text(2), u"所占比例(%)"_s);
        QCOMPARE(form.ResultList->columnWidth(2), ScaledPixels(150, &form));
        QCOMPARE(ListRows(form.ResultList), (QStringList{u"男|5| 62.50"_s, u"女|3| 37.50"_s}));
        Shot(form, u"list"_s);

        // The score step recomputes the focused leaf; the status shows the score range.
        form.FocusLeaf(sgScore, 1);
        QCOMPARE(ListRows(form.ResultList).first(), u"85 - 89|1| 14.29"_s);
        form.StepComboBox->setCurrentIndex(1);
        QCOMPARE(ListRows(form.ResultList).first(), u"80 - 89|1| 14.29"_s);
        QCOMPARE(form.StatusPanels[1]->text(), u"最高分：88; 最低分：50"_s);
        form.ShowChartAction->trigger();
        QCOMPARE(form.ResultChart->chart()->title(), u"所有投档单位类考生01 语文分数分布直方图"_s);
        auto *labels =
            qobject_cast<QBarCategoryAxis *>(form.ResultChart->chart()->axes(Qt::Horizontal).value(0));
        QVERIFY(labels);
        QCOMPARE(labels->categories(), (QStringList{u"50-"_s, u"60-"_s, u"70-"_s, u"80-"_s}));
        Shot(form, u"bar"_s);

        form.FocusLeaf(sgMajor, smFirstChoice);
        chart = form.ResultChart->chart();
        auto *bars = qobject_cast<QHorizontalBarSeries *>(chart->series().value(0));
        QVERIFY(bars);
        QCOMPARE(bars->count(), 2);
        QCOMPARE(bars->barSets()[0]->label(), u"专业1报考数"_s);
        QCOMPARE(bars->barSets()[0]->brush().color(), QColor(0xC0, 0xC0, 0xFF));
        QCOMPARE(bars->barSets()[1]->label(), u"计划数"_s);
        // The first major stands at the top: the axis's last category.
        auto *majors = qobject_cast<QBarCategoryAxis *>(chart->axes(Qt::Vertical).value(0));
        QVERIFY(majors);
        QCOMPARE(majors->categories().last(), u"001-01 计算机科学与"_s);
        QCOMPARE(bars->barSets()[1]->at(4), 2.0);
        QCOMPARE(bars->barSets()[0]->at(4), 3.0);
        // Panels 1 and 2 keep the previous statistic's texts.
        QCOMPARE(PanelTexts(form).mid(0, 2), (QStringList{u"共有专业：5"_s, u"最高分：88; 最低分：50"_s}));
        Shot(form, u"hbar"_s);

        form.FocusLeaf(sgMajor, smSatisfaction);
        QCOMPARE(qobject_cast<QPieSeries *>(form.ResultChart->chart()->series().value(0))->count(), 9);
        Shot(form, u"satisfaction"_s);

        form.StatTree->setCurrentItem(root->child(0));
        QCOMPARE(form.ResultPages->currentIndex(), 0);
        QVERIFY(!form.ShowChartAction->isEnabled());
        QVERIFY(f.Messages.Messages.isEmpty());
    }

    void showsMessagesAndErrors()
    {
        TStatsFixture f;
        AddCandidates(f);
        f.Open();
        TFakeProgress progress;
        TStatForm form(f.Dm(), progress, f.Messages);
        form.show();
        form.FocusLeaf(sgScore, 1);
        const QStringList shown = ListRows(form.ResultList);
        form.FocusLeaf(sgScore, 2); // nobody has 02
        QCOMPARE(f.Messages.Messages.size(), 1);
        QCOMPARE(f.Messages.Messages[0].Text, u"此投档单位中不包含此科目。"_s);
        QCOMPARE(f.Messages.Messages[0].Caption, u"统计信息"_s);
        QCOMPARE(f.Messages.Messages[0].Icon, TMsgIcon::Warning);
        QCOMPARE(ListRows(form.ResultList), shown);
        QVERIFY(form.IsStatisticShown());

        f.Exec({u"alter table T_JHK rename to T_JHK_GONE"_s});
        form.FocusLeaf(sgMajor, smAdmissions);
        QCOMPARE(f.Messages.Messages.size(), 2);
        QCOMPARE(f.Messages.Messages[1].Icon, TMsgIcon::Error);
        QVERIFY(form.isVisible());

        form.FocusLeaf(sgRegistration, 0);
        f.Exec({u"update T_TDD set TDDW = \"002\""_s});
        form.TDDWComboBox->setCurrentIndex(1); // unit 001 has nobody now
        form.FocusLeaf(sgMajor, smSatisfaction);
        QCOMPARE(f.Messages.Messages.last().Text, u"目前还没有考生。"_s);
        QCOMPARE(form.ResultList->topLevelItemCount(), 0);
        QVERIFY(!form.IsStatisticShown());
    }

    // The demo data of both score modes: every leaf shows as list and chart, without an
    // error.
    void showsEveryLeafOfTheDemoData()
    {
        const TDemoStatsWorld world(600);
        for (const QString &ssdm : {u"11"_s, u"32"_s}) {
            TMainDM dm;
            TFakeMessageSink messages;
            dm.SetMessageSink(&messages);
            QVERIFY(world.OpenSet(dm, ssdm, world.Sets(ssdm).value(0).split(u'_')));
            TFakeProgress progress;
            TStatForm form(dm, progress, messages);
            form.show();
            const QTreeWidgetItem *root = form.StatTree->topLevelItem(0);
            for (int group = 0; group < root->childCount(); ++group) {
                for (int leaf = 0; leaf < root->child(group)->childCount(); ++leaf) {
                    messages.Messages.clear();
                    form.FocusLeaf(group, leaf);
                    if (!messages.Messages.isEmpty()) {
                        QCOMPARE(messages.Messages[0].Icon, TMsgIcon::Warning);
                        continue;
                    }
                    QVERIFY(form.IsStatisticShown());
                    QVERIFY(form.ResultList->topLevelItemCount() > 0);
                    QVERIFY(!form.ResultChart->chart()->series().isEmpty());
                    if (leaf == 0 || (group == sgScore && leaf == 4) || group == sgMajor)
                        Shot(form, u"demo%1-%2-%3"_s.arg(ssdm).arg(group).arg(leaf));
                }
            }
        }
        ZKMainDef().Reset();
    }

    // Printing fills the work tables for the selected unit, then hands the unit text on.
    void printsTheWorkTables()
    {
        TStatsFixture f;
        AddCandidates(f);
        f.Open();
        TFakeProgress progress;
        TStatForm form(f.Dm(), progress, f.Messages);
        QStringList printed;
        form.PrintReport = [&](const QString &TDDWStr) {
            printed.append(TDDWStr);
            QVERIFY(!TableRows(f.Univ(), u"bmxx"_s).isEmpty());
            QCOMPARE(progress.Calls.last(), u"hide"_s);
        };
        form.show();
        form.PrintAction->trigger();
        form.TDDWComboBox->setCurrentIndex(1);
        form.PrintAction->trigger();
        QCOMPARE(printed, (QStringList{u"全部"_s, u"001 一志愿投档"_s}));
        QVERIFY(TableRows(f.Univ(), u"zyxx"_s).contains(u"NULL|01 计算机科学与技术|2|3|1 : 1.50"_s));
        QVERIFY(f.Messages.Messages.isEmpty());

        form.PrintReport = [](const QString &) { throw EZKError(u"打印机不可用"_s); };
        form.PrintAction->trigger();
        QCOMPARE(f.Messages.Messages.value(0).Text, u"打印机不可用"_s);
        QCOMPARE(f.Messages.Messages.value(0).Icon, TMsgIcon::Error);
    }
};

QTEST_MAIN(TestStatForm)
#include "tst_StatForm.moc"
