// The candidate grid on a small workspace: texts, status pictures and colours, sorting by
// a header click, focus, the long-text hint and its placement, double clicks, drops.
#include "WorkspaceFixture.h"
#include "gui/main/LQGridModel.h"
#include "gui/main/LQGridView.h"
#include "store/ZKMainDef.h"

#include <QHeaderView>
#include <QMimeData>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// One candidate per case of the status picture and colour table. The open set's current
// package is 2; the others came with package 1.
struct TStatusCase
{
    const char *Name;
    const char *Kszt;
    const char *Lqzy;
    bool Locked;
    int Package;
    bool ZyHg;
    bool TjHg;
    int Picture;
    QColor Colour; // invalid: the default colour
};

const QColor Teal(0, 112, 112), Blue(0, 0, 224), Grey(96, 96, 96), Purple(160, 0, 160);

const QList<TStatusCase> &StatusCases()
{
    static const QList<TStatusCase> cases{
        {"undecided", "0", " ?", false, 1, true, true, 2, Teal},
        {"undecided locked", "0", " ?", true, 1, true, true, 6, Teal},
        {"pre-admitted", "1", "01", false, 1, true, true, 0, {}},
        {"pre-admitted locked", "1", "01", true, 1, true, true, 4, {}},
        {"pre-admitted of the current package", "1", "01", false, 2, true, true, 2, {}},
        {"pre-admitted of the current package, locked", "1", "01", true, 2, true, true, 6, {}},
        {"pre-admitted, major not eligible", "1", "01", false, 1, false, true, 0, Purple},
        {"pre-admitted, health not eligible", "1", "01", false, 1, true, false, 0, Purple},
        {"pre-returned", "2", "  ", false, 1, true, true, 1, Blue},
        {"pre-returned locked", "2", "  ", true, 1, true, true, 5, Blue},
        {"returned and sent", "3", "  ", false, 1, true, true, 8, Blue},
        {"returned and sent, locked", "3", "  ", true, 1, false, true, 8, Blue},
        {"passed on", "4", "01", false, 1, true, true, 3, Grey},
        {"passed on locked", "4", "01", true, 1, false, false, 7, Grey},
        {"admitted", "5", "01", false, 1, true, true, 9, {}},
        {"admitted, health not eligible", "5", "01", true, 1, true, false, 9, Purple},
        {"status 7", "7", "01", false, 1, false, true, 0, Purple},
        {"status 7 locked", "7", "01", true, 1, true, true, 4, {}},
    };
    return cases;
}

QString CaseKsh(int i)
{
    return u"S%1"_s.arg(i, 2, 10, QChar(u'0'));
}

} // namespace

class TestLQGrid : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TWorkspaceFixture> F;
    std::unique_ptr<TLQGridView> Grid;

    TMainDM &Dm() { return F->Dm(); }

    // A workspace with the status cases, or with the given candidates, shown in a grid.
    void OpenGrid(const QList<TFixtureCandidate> &candidates)
    {
        Grid.reset();
        F = std::make_unique<TWorkspaceFixture>();
        for (const TFixtureCandidate &c : candidates)
            F->AddCandidate(c);
        Grid = std::make_unique<TLQGridView>(Dm(), nullptr);
        F->Open();
        Grid->resize(900, 400);
        Grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(Grid.get()));
    }

    int Row(const QString &ksh) { return F->Ks(ksh)->KsIndex; }
    int Column(const char *name) { return Dm().ColumnIndexOf(QLatin1String(name)); }
    QPoint CellCentre(int row, int column)
    {
        return Grid->visualRect(Grid->model()->index(row, column)).center();
    }
    QStringList SelectedKshs()
    {
        QStringList kshs;
        for (const int row : Grid->SelectedRows())
            kshs.append(Dm().CurrentKSList[row]->Ksh);
        kshs.sort();
        return kshs;
    }

private slots:
    void initTestCase()
    {
        QList<TFixtureCandidate> candidates;
        for (int i = 0; i < StatusCases().size(); ++i) {
            const TStatusCase &c = StatusCases()[i];
            TFixtureCandidate k{CaseKsh(i)};
            k.KSZT = QLatin1String(c.Kszt);
            k.LQZY = QLatin1String(c.Lqzy);
            k.SDBZ = c.Locked ? u"1"_s : u"0"_s;
            k.BH = c.Package;
            k.ZYHG = c.ZyHg ? u"1"_s : u"0"_s;
            k.TJHG = c.TjHg ? u"1"_s : u"0"_s;
            k.ZYYTJZCJ = 600 - i;
            candidates.append(k);
        }
        OpenGrid(candidates);
    }

    void statusPictureAndColour_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < StatusCases().size(); ++i)
            QTest::newRow(StatusCases()[i].Name) << i;
    }

    void statusPictureAndColour()
    {
        QFETCH(int, index);
        const TStatusCase &c = StatusCases()[index];
        QCOMPARE(ZKMainDef().CurDQTDDBH, 2);
        const int row = Row(CaseKsh(index));
        QVERIFY(row >= 0);
        const QAbstractItemModel *model = Grid->model();
        QCOMPARE(model->index(row, 0).data(TLQGridModel::PictureIndexRole).toInt(), c.Picture);
        QVERIFY(!model->index(row, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
        // Only the first column has a picture.
        QVERIFY(!model->index(row, 1).data(Qt::DecorationRole).isValid());
        QCOMPARE(model->index(row, 3).data(Qt::ForegroundRole).value<QColor>(), c.Colour);
    }

    void cellTextsComeFromTheWorkspace()
    {
        const QAbstractItemModel *model = Grid->model();
        QCOMPARE(model->columnCount(), Dm().ColumnNum);
        QCOMPARE(model->rowCount(), int(StatusCases().size()));
        QCOMPARE(model->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), u"姓名"_s);
        for (const char *name : {"KSH", "LQZY", "ZYYTJZCJ", "TDYYDM", "XBDM"}) {
            for (const QString &ksh : {CaseKsh(0), CaseKsh(8)}) {
                const int row = Row(ksh);
                QCOMPARE(model->index(row, Column(name)).data().toString(),
                         F->Cell(ksh, QLatin1String(name)));
            }
        }
        QCOMPARE(model->index(Row(CaseKsh(3)), 0).data().toString(), CaseKsh(3));
    }

    void columnWidthsFromTheWorkspace()
    {
        // The workspace gives the first column 16 pixels more for the picture.
        QCOMPARE(Grid->ColumnWidth(0), Dm().ZKColumn[0].DefaultWidth + 16);
        QCOMPARE(Grid->ColumnWidth(1), Dm().ZKColumn[1].DefaultWidth);
        QVERIFY(Grid->horizontalHeader()->height() >= 23);
        QCOMPARE(Grid->accessibleName(), u"考生列表"_s);
    }

    void userColumnWidthSurvivesANewList()
    {
        Grid->setColumnWidth(2, 123);
        // Narrowing to a major rebuilds the list with another row count.
        Dm().ChangeZyFilter(F->Ks(CaseKsh(2))->LqZyId);
        QVERIFY(Grid->RowCount() < StatusCases().size());
        QCOMPARE(Grid->RowCount(), int(Dm().CurrentKSList.size()));
        QCOMPARE(Grid->ColumnWidth(2), 123);
        Dm().ChangeZyFilter(-1);
        QCOMPARE(Grid->RowCount(), int(StatusCases().size()));
        QCOMPARE(Grid->ColumnWidth(2), 123);
    }

    void headerClickSortsAndKeepsTheSelection()
    {
        const int ksh = Column("KSH");
        Grid->SortByColumn(ksh);
        QCOMPARE(F->Shown().first(), CaseKsh(0));
        Dm().SetFocusedKs(F->Ks(CaseKsh(3)));
        Grid->SelectRow(Row(CaseKsh(12)));
        Grid->SelectRow(Row(CaseKsh(7)));
        // Rows selected one by one reach the view without anything asking for them.
        QTRY_VERIFY(Grid->selectionModel()->isRowSelected(Row(CaseKsh(12)), {}));
        const QStringList selected{CaseKsh(3), CaseKsh(7), CaseKsh(12)};
        QCOMPARE(SelectedKshs(), selected);

        // The scores fall with the case number: sorting by score reverses nothing here,
        // so sort by the status column first, which moves the rows around.
        QHeaderView *header = Grid->horizontalHeader();
        const int lqzy = Column("LQZY");
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(lqzy) + 5, header->height() / 2));
        QCOMPARE(Dm().SortColIndex, lqzy);
        QVERIFY(F->Shown().first() != CaseKsh(0));
        QCOMPARE(SelectedKshs(), selected);
        QCOMPARE(Grid->FocusedRow(), Row(CaseKsh(3)));
        // A candidate keeps its texts in its new row.
        QCOMPARE(Grid->model()->index(Row(CaseKsh(7)), ksh).data().toString(), CaseKsh(7));

        // The start of a drag makes the selected list in candidate-number order.
        Grid->MakeSelectedList();
        QStringList list;
        for (const TKSItem *k : Dm().SelectedKsList)
            list.append(k->Ksh);
        QCOMPARE(list, selected);
    }

    void focusShowsTheRowNumberAndHidesTheHint()
    {
        const int hides = F->View.HintHides;
        Grid->SetFocusedRow(4);
        QCOMPARE(F->View.Panels.value(ZKStatusPanel::FocusedRow), u"第5人"_s);
        QVERIFY(F->View.HintHides > hides);
        Grid->SetFocusedRow(-1);
        QCOMPARE(F->View.Panels.value(ZKStatusPanel::FocusedRow), QString());
        QCOMPARE(Grid->FocusedRow(), -1);
    }

    void longTextHint()
    {
        TFixtureCandidate withText{u"K1"_s};
        withText.XM = u"张三"_s;
        withText.Extra[u"XKKM"_s] = u"01,03"_s;
        TFixtureCandidate withoutText{u"K2"_s};
        OpenGrid({withText, withoutText});
        QSignalSpy hints(Grid.get(), &TLQGridView::LongTextHintRequested);
        const int xkkm = Column("XKKM");
        QCOMPARE(Dm().ZKColumn[xkkm].ColType, u'T');

        QTest::mouseClick(Grid->viewport(), Qt::LeftButton, {}, CellCentre(Row(u"K2"_s), xkkm));
        QCOMPARE(hints.size(), 0); // empty text: no hint

        const int hides = F->View.HintHides;
        QTest::mouseClick(Grid->viewport(), Qt::LeftButton, {}, CellCentre(Row(u"K1"_s), xkkm));
        QCOMPARE(hints.size(), 1);
        QCOMPARE(hints[0][0].toString(), u"K1 张三 - 选考科目"_s);
        QCOMPARE(hints[0][1].toString(), F->Cell(u"K1"_s, u"XKKM"_s));
        QVERIFY(!hints[0][1].toString().isEmpty());
        QCOMPARE(hints[0][2].toRect(), Grid->CellRect(Row(u"K1"_s), xkkm));

        // Another column hides the hint and shows none.
        QTest::mouseClick(Grid->viewport(), Qt::LeftButton, {}, CellCentre(Row(u"K1"_s), Column("XM")));
        QCOMPARE(hints.size(), 1);
        QVERIFY(F->View.HintHides > hides);
    }

    void hintPanelPlacement_data()
    {
        QTest::addColumn<QRect>("cell");
        QTest::addColumn<QPoint>("expected");
        // Panel 241 × 99, client 800 wide, grid from y 50, 400 high (half at 250).
        QTest::newRow("centred below") << QRect(300, 100, 80, 20) << QPoint(220, 120);
        QTest::newRow("left edge") << QRect(0, 100, 60, 20) << QPoint(0, 120);
        QTest::newRow("right edge") << QRect(760, 100, 40, 20) << QPoint(800 - 241, 120);
        QTest::newRow("lower half above") << QRect(300, 301, 80, 20) << QPoint(220, 301 - 99);
        QTest::newRow("exactly half below") << QRect(300, 250, 80, 20) << QPoint(220, 270);
    }

    void hintPanelPlacement()
    {
        QFETCH(QRect, cell);
        QFETCH(QPoint, expected);
        QCOMPARE(LQGridHintPanelPos(cell, QSize(241, 99), 800, 50, 400), expected);
    }

    void doubleClickOpensStatusDialogOrDetails_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<bool>("statusDialog");
        QTest::newRow("LQZY") << u"LQZY"_s << true;
        QTest::newRow("TDYYDM") << u"TDYYDM"_s << true;
        QTest::newRow("KSH") << u"KSH"_s << false;
        QTest::newRow("XKKM") << u"XKKM"_s << false;
    }

    void doubleClickOpensStatusDialogOrDetails()
    {
        QFETCH(QString, column);
        QFETCH(bool, statusDialog);
        QSignalSpy status(Grid.get(), &TLQGridView::StatusDialogRequested);
        QSignalSpy details(Grid.get(), &TLQGridView::DetailWindowRequested);
        const int c = Dm().ColumnIndexOf(column);
        Grid->scrollTo(Grid->model()->index(0, c));
        QTest::mouseDClick(Grid->viewport(), Qt::LeftButton, {}, CellCentre(0, c));
        QCOMPARE(status.size(), statusDialog ? 1 : 0);
        QCOMPARE(details.size(), statusDialog ? 0 : 1);
    }

    void dropsAreRefused()
    {
        QMimeData mime;
        mime.setData(u"application/x-zelkinc-candidates"_s, "K1");
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(Grid->viewport(), &enter);
        QVERIFY(!enter.isAccepted());
        QVERIFY(!Grid->model()->canDropMimeData(&mime, Qt::CopyAction, 0, 0, {}));
    }

    void cleanupTestCase()
    {
        Grid.reset();
        F.reset();
    }
};

QTEST_MAIN(TestLQGrid)
#include "tst_LQGrid.moc"
