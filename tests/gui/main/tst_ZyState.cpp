// The major state panel on a small workspace: rows, pictures, colours and list lines, the
// refresh after a decision, column widths by score mode and screen class, view switching,
// narrowing the grid, list columns and the redrawn counts, refused drops.
#include "WorkspaceFixture.h"
#include "gui/main/ZyStateForm.h"
#include "gui/main/ZyStateModels.h"
#include "store/ZKMainDef.h"

#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QStackedWidget>
#include <QTreeView>
#include <QtTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int PlanColumn = 9;
constexpr int CountColumn = 10;

TFixtureCandidate Placed(const QString &ksh, const QString &lqzy, double score)
{
    TFixtureCandidate c{ksh};
    c.KSZT = u"1"_s;
    c.LQZY = lqzy;
    c.ZYYTJZCJ = score;
    return c;
}

const QColor Teal(0, 112, 112), Black(0, 0, 0), Blue(0, 0, 224);

} // namespace

class TestZyState : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TWorkspaceFixture> F;
    std::unique_ptr<TZyStateForm> Panel;

    TMainDM &Dm() { return F->Dm(); }

    // Major "01" (2 places) full with two candidates, "02" (1 place) over-filled, "03"
    // (1 place) empty, one undecided candidate, nobody returned.
    void OpenPanel()
    {
        Panel.reset();
        F = std::make_unique<TWorkspaceFixture>();
        F->AddCandidate(Placed(u"K1"_s, u"01"_s, 580.5));
        F->AddCandidate(Placed(u"K2"_s, u"01"_s, 579.5));
        F->AddCandidate(Placed(u"K3"_s, u"02"_s, 600));
        F->AddCandidate(Placed(u"K4"_s, u"02"_s, 590));
        F->AddCandidate(TFixtureCandidate{u"K5"_s});
        Panel = std::make_unique<TZyStateForm>(Dm(), nullptr);
        F->Open();
        Panel->resize(760, 320);
        Panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(Panel.get()));
    }

    // The panel row of a major (its position in the current plan list).
    int RowOf(int JhId)
    {
        for (int i = 0; i < Dm().CurrentJhList.size(); ++i) {
            if (Dm().CurrentJhList[i]->JhId == JhId)
                return i;
        }
        return -1;
    }
    QModelIndex Detail(int JhId, int column) { return Panel->DetailModel()->index(RowOf(JhId), column); }
    QModelIndex Line(int JhId) { return Panel->ListModel()->index(RowOf(JhId), 0); }
    int Returned() { return Dm().JhRecCount; }

private slots:
    void init() { OpenPanel(); }

    void rowsPicturesColoursAndLines_data()
    {
        QTest::addColumn<int>("JhId");
        QTest::addColumn<int>("picture");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QString>("plan");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("line");
        QTest::newRow("full") << 0 << 1 << Black << u"2"_s << u"2"_s
                              << u"001-01 计算机科学与技术 [2/2][580-580]"_s;
        QTest::newRow("over-filled") << 1 << 2 << Blue << u"1"_s << u"2"_s
                                     << u"001-02 数学与应用数学 [1/2][600-590]"_s;
        QTest::newRow("places left") << 2 << 0 << Teal << u"1"_s << u"0"_s << u"002-03 物理学 [1/0]"_s;
        QTest::newRow("returned, empty") << -1 << 1 << Black << QString() << u"0"_s << u"退档 [0]"_s;
    }

    void rowsPicturesColoursAndLines()
    {
        QFETCH(int, JhId);
        QFETCH(int, picture);
        QFETCH(QColor, colour);
        QFETCH(QString, plan);
        QFETCH(QString, count);
        QFETCH(QString, line);
        if (JhId < 0)
            JhId = Returned();
        QCOMPARE(Panel->DetailModel()->rowCount(), int(Dm().CurrentJhList.size()));
        QCOMPARE(Panel->ListModel()->rowCount(), int(Dm().CurrentJhList.size()));
        QVERIFY(RowOf(JhId) >= 0);
        QCOMPARE(Detail(JhId, 0).data(ZyStatePictureRole).toInt(), picture);
        QVERIFY(!Detail(JhId, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
        QCOMPARE(Detail(JhId, 2).data(Qt::ForegroundRole).value<QColor>(), colour);
        QCOMPARE(Detail(JhId, PlanColumn).data().toString(), plan);
        QCOMPARE(Detail(JhId, CountColumn).data().toString(), count);
        QVERIFY(Detail(JhId, CountColumn).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                Qt::AlignRight);
        QCOMPARE(Line(JhId).data().toString(), line);
        QCOMPARE(Line(JhId).data(Qt::ForegroundRole).value<QColor>(), colour);
        QCOMPARE(Line(JhId).data(ZyStatePictureRole).toInt(), picture);
    }

    void detailCellsAndCaptions()
    {
        const QAbstractItemModel *model = Panel->DetailModel();
        QCOMPARE(model->columnCount(), 14);
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), u"代号"_s);
        QCOMPARE(model->headerData(13, Qt::Horizontal).toString(), u"平均分"_s);
        QCOMPARE(Detail(0, 0).data().toString(), u"01"_s);
        QCOMPARE(Detail(0, 3).data().toString(), u" 1 工学"_s);
        QCOMPARE(Detail(0, 4).data().toString(), u"001 一志愿投档"_s);
        QCOMPARE(Detail(0, 11).data().toString(), u"580.5"_s);
        QCOMPARE(Detail(0, 13).data().toString(), u"580.0"_s);
        QCOMPARE(Detail(Returned(), 2).data().toString(), u"退档"_s);
        QCOMPARE(Detail(Returned(), 11).data().toString(), QString());
    }

    void decisionRefreshesTheRows()
    {
        // Returning one of the over-filled major's candidates fills it exactly.
        Dm().ApplyLQZT({F->Ks(u"K4"_s)}, {false, u"01"_s, QString()});
        QCOMPARE(Detail(1, 0).data(ZyStatePictureRole).toInt(), 1);
        QCOMPARE(Line(1).data().toString(), u"001-02 数学与应用数学 [1/1][600-600]"_s);
        QCOMPARE(Line(Returned()).data().toString(), u"退档 [1][590-590]"_s);
        QCOMPARE(Line(Returned()).data(Qt::ForegroundRole).value<QColor>(), Blue);
    }

    void closingTheSetClearsAndHides()
    {
        Dm().CloseTDD();
        QCOMPARE(Panel->DetailModel()->rowCount(), 0);
        QCOMPARE(Panel->ListModel()->rowCount(), 0);
        QVERIFY(Panel->isHidden());
    }

    void columnWidthsByModeAndScreen_data()
    {
        QTest::addColumn<bool>("graded");
        QTest::addColumn<int>("screenClass");
        QTest::addColumn<QList<int>>("widths");
        QTest::newRow("normal 0") << false << 0
                                  << QList<int>{36, 56, 115, 56, 60, 36, 80, 75, 0, 45, 45, 45, 45, 45};
        QTest::newRow("normal 1") << false << 1
                                  << QList<int>{48, 60, 140, 100, 100, 42, 100, 90, 0, 50, 50, 55, 55, 60};
        QTest::newRow("normal 3 as 2")
            << false << 3 << QList<int>{50, 60, 160, 110, 120, 50, 130, 120, 0, 60, 60, 60, 60, 70};
        QTest::newRow("graded 0") << true << 0
                                  << QList<int>{36, 56, 95, 56, 56, 32, 56, 70, 56, 45, 45, 45, 45, 45};
        QTest::newRow("graded 2") << true << 2
                                  << QList<int>{50, 60, 160, 110, 120, 50, 130, 120, 110, 60, 60, 60, 60, 70};
    }

    void columnWidthsByModeAndScreen()
    {
        QFETCH(bool, graded);
        QFETCH(int, screenClass);
        QFETCH(QList<int>, widths);
        ZKMainDef().RankScoreSupported = graded;
        ZKMainDef().ScreenClass = screenClass;
        Panel->Init(true);
        QTreeView *view = Panel->DetailView();
        QCOMPARE(view->isColumnHidden(8), !graded);
        QList<int> actual;
        for (int c = 0; c < 14; ++c)
            actual.append(view->isColumnHidden(c) ? 0 : view->columnWidth(c));
        QCOMPARE(actual, widths);
    }

    void viewSwitching()
    {
        QCOMPARE(Panel->DetailView()->accessibleName(), u"详细信息"_s);
        QCOMPARE(Panel->ListView()->accessibleName(), u"列表"_s);
        Panel->Init(false);
        QVERIFY(!Panel->IsReportView());
        QVERIFY(Panel->ListAction()->isChecked());
        QVERIFY(Panel->ListView()->isVisible());
        Panel->ReportAction()->trigger();
        QVERIFY(Panel->IsReportView());
        QVERIFY(!Panel->ListAction()->isChecked());
        QVERIFY(Panel->DetailView()->isVisible());
        QVERIFY(!Panel->ListView()->isVisible());
        Panel->ListAction()->trigger();
        QVERIFY(!Panel->IsReportView());
        QVERIFY(Panel->ListView()->isVisible());
        QCOMPARE(Panel->ViewMenu()->actions(),
                 (QList<QAction *>{Panel->ListAction(), Panel->ReportAction()}));
    }

    void narrowingTheGrid()
    {
        QCOMPARE(ZKMainDef().ZyFilter, -1);
        // Double click on the over-filled major in the detail view.
        QTreeView *detail = Panel->DetailView();
        const QRect row = detail->visualRect(Detail(1, 2));
        QTest::mouseClick(detail->viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(detail->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(ZKMainDef().ZyFilter, 1);
        QCOMPARE(F->Shown(), (QStringList{u"K3"_s, u"K4"_s}));
        QCOMPARE(F->Grid.FocusedRow(), 0);

        // Enter on the first major in the list view.
        Panel->SetReportView(false);
        QListView *list = Panel->ListView();
        list->setCurrentIndex(Line(0));
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(ZKMainDef().ZyFilter, 0);
        QCOMPARE(F->Shown(), (QStringList{u"K1"_s, u"K2"_s}));

        // The pop-up entry acts on the shown view.
        list->setCurrentIndex(Line(Returned()));
        QAction *entry = Panel->PopupMenu()->actions().value(0);
        QCOMPARE(entry->text(), u"查看所选专业的考生"_s);
        entry->trigger();
        QCOMPARE(ZKMainDef().ZyFilter, Returned());
        QVERIFY(F->Shown().isEmpty());

        // A double click on the strip removes the filter.
        QTest::mouseDClick(Panel->Strip(), Qt::LeftButton, {}, QPoint(5, 100));
        QCOMPARE(ZKMainDef().ZyFilter, -1);
        QCOMPARE(F->Shown().size(), 5);
    }

    void listColumnsFollowTheWidth()
    {
        Panel->SetReportView(false);
        QCOMPARE(Panel->ListColumnWidth(), 240);
        Panel->resize(260, 300);
        QCOMPARE(Panel->ListColumnCount(), 1);
        Panel->resize(900, 300);
        QTRY_COMPARE(Panel->ListColumnCount(), 3);
        const QListView *list = Panel->ListView();
        QCOMPARE(list->gridSize().width(), list->viewport()->width() / 3);
        // Paints without trouble at every width (the lines are drawn by the delegate).
        QVERIFY(!Panel->grab().isNull());
    }

    void countsRedrawnInANarrowColumn()
    {
        QListView *list = Panel->ListView();
        auto *delegate = qobject_cast<TZyStateListDelegate *>(list->itemDelegate());
        QVERIFY(delegate);
        const QString text = u"001-01 一个名称很长很长很长很长很长很长很长很长的专业 [2/2][580-580]"_s;
        const QFontMetrics metrics = list->fontMetrics();
        const int textWidth = metrics.horizontalAdvance(text);
        QVERIFY(textWidth + 28 >= 240 - 16);
        const int countsWidth = metrics.horizontalAdvance(u"[2/2][580-580]"_s);

        const QRect narrow(10, 36, textWidth + 28, 18);
        const QRect counts = delegate->CountsRect(narrow, text, metrics);
        QCOMPARE(counts.right(), narrow.right() - 8);
        QCOMPARE(counts.width(), countsWidth);
        // Wide enough for the whole line, or too narrow to bother: drawn once.
        QVERIFY(delegate->CountsRect(QRect(10, 36, textWidth + 29, 18), text, metrics).isEmpty());
        QVERIFY(delegate->CountsRect(QRect(10, 36, 240 - 17, 18), text, metrics).isEmpty());
        QVERIFY(!delegate->CountsRect(QRect(10, 36, 240 - 16, 18), text, metrics).isEmpty());
        QVERIFY(delegate->CountsRect(narrow, u"no counts"_s, metrics).isEmpty());
    }

    void dropsAreRefused()
    {
        QMimeData mime;
        mime.setData(u"application/x-zelkinc-candidates"_s, "K1");
        for (QAbstractItemView *view : {static_cast<QAbstractItemView *>(Panel->DetailView()),
                                        static_cast<QAbstractItemView *>(Panel->ListView())}) {
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
            QCoreApplication::sendEvent(view->viewport(), &enter);
            QVERIFY(!enter.isAccepted());
        }
    }

    void cleanup()
    {
        Panel.reset();
        F.reset();
        ZKMainDef().Reset();
    }
};

QTEST_MAIN(TestZyState)
#include "tst_ZyState.moc"
