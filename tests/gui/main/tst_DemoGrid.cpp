// The demo data's default grid layout, as a new member first sees it: in the client's
// font every column's caption fits its width, and so do the texts of nearly all rows,
// for numeric and graded provinces and the narrowest and widest screen classes.
#include "ExchangeFixture.h"
#include "gui/common/GuiMetrics.h"
#include "gui/main/LQGridView.h"
#include "gui/main/ZKMainForm.h"
#include "store/ZKMainDef.h"

#include <QApplication>
#include <QHeaderView>
#include <QtTest>
#include <algorithm>

using namespace Qt::StringLiterals;

class TstDemoGrid : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The client's window font, as the program's application object sets it.
        QFont font = QApplication::font();
        font.setFamily(WindowFontFamily());
        QApplication::setFont(font);
    }
    void columnsFitTheirTexts_data();
    void columnsFitTheirTexts();
};

void TstDemoGrid::columnsFitTheirTexts_data()
{
    QTest::addColumn<bool>("graded");
    QTest::addColumn<int>("screenClass");
    QTest::newRow("numeric, 800") << false << 0;
    QTest::newRow("numeric, 1600") << false << 3;
    QTest::newRow("graded, 800") << true << 0;
    QTest::newRow("graded, 1600") << true << 3;
}

void TstDemoGrid::columnsFitTheirTexts()
{
    QFETCH(bool, graded);
    QFETCH(int, screenClass);
    TExchangeFixture f(TExchangeFixture::SmallDemo(false, graded));
    ZKMainDef().ScreenClass = screenClass;
    TZKMainForm w(f.DM, false);
    QVERIFY(f.SetUp());
    QVERIFY(f.Session.DownloadDossiers());
    TSetState open;
    for (const TSetState &set : f.Session.ReadSetStates()) {
        if (set.Dossiers > open.Dossiers)
            open = set;
    }
    QVERIFY(open.Dossiers > 0);
    QVERIFY(f.Session.OpenSet(open.PCDM, open.KLDM, open.JHXZ));

    TLQGridView *grid = w.Grid();
    QAbstractItemModel *model = grid->model();
    QHeaderView *header = grid->horizontalHeader();
    const QFontMetrics metrics(grid->font());
    const int margin = ScaledPixels(2, grid);
    const int picture = ScaledPixels(15, grid) + margin;
    QVERIFY(model->columnCount() > 5);
    for (int c = 0; c < model->columnCount(); ++c) {
        const QString caption = model->headerData(c, Qt::Horizontal).toString();
        const int width = grid->columnWidth(c);
        QVERIFY2(header->sectionSizeHint(c) <= width,
                 qPrintable(u"%1: caption needs %2, has %3"_s.arg(caption).arg(header->sectionSizeHint(c)).arg(width)));
        // Nine rows in ten show their whole text.
        QList<int> needs;
        for (int r = 0; r < model->rowCount(); ++r) {
            const QString text = model->data(model->index(r, c)).toString();
            needs.append(metrics.horizontalAdvance(text) + 2 * margin + (c == 0 ? picture : 0));
        }
        std::sort(needs.begin(), needs.end());
        const int typical = needs.at(needs.size() * 9 / 10);
        QVERIFY2(typical <= width, qPrintable(u"%1: text needs %2, has %3"_s.arg(caption).arg(typical).arg(width)));
    }
}

QTEST_MAIN(TstDemoGrid)
#include "tst_DemoGrid.moc"
