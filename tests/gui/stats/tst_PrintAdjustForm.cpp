// The print layout dialog on the workspace fixture: how it opens, its keys, what it
// stores when it closes, the grid synchronisation, fonts and printing from it.
#include "TestSupport.h"
#include "WorkspaceFixture.h"
#include "gui/stats/PrintAdjustForm.h"
#include "report/ReportDocument.h"
#include "report/ReportOutput.h"
#include "store/ZKMainDef.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

class TAnsweringSink : public IMessageSink
{
public:
    TMsgResult ShowMessage(const QString &text, const QString &caption, TMsgIcon, TMsgButtons) override
    {
        Messages.append(caption + u": "_s + text);
        return Answer;
    }
    QStringList Messages;
    TMsgResult Answer = TMsgResult::Yes;
};

class TKeptOutput : public IReportOutput
{
public:
    explicit TKeptOutput(TReportDocument *into)
        : FInto(into)
    {}
    bool Output(const TReportDocument &document) override
    {
        *FInto = document;
        return true;
    }

private:
    TReportDocument *FInto;
};

// Fields of the fixture's set 1/1/1 in XH order with print positions and widths; the
// fields not named are hidden. XM sits at position 2 so that a hidden field lies
// between it and KSH.
void PlaceFields(TWorkspaceFixture &f, const QList<std::tuple<QString, int, int>> &places)
{
    f.Exec({u"update T_TDDZDXHKD set DYWZ = -1, DYKD = 60"_s});
    const QStringList order = f.Rows(u"select ZDDH from T_TDDZDXHKD order by WZSY"_s);
    for (int i = 0; i < order.size(); ++i)
        f.Exec({u"update T_TDDZDSX set XH = \"%1\" where ZDDH = \"%2\""_s.arg(i + 100).arg(order[i])});
    for (const auto &[zddh, dywz, dykd] : places)
        f.Exec({u"update T_TDDZDXHKD set DYWZ = %1, DYKD = %2 where ZDDH = \"%3\""_s.arg(dywz).arg(dykd).arg(
            zddh)});
}

void StandardPlaces(TWorkspaceFixture &f)
{
    PlaceFields(f, {{u"KSH"_s, 0, 100}, {u"XM"_s, 2, 5}, {u"LQZY"_s, 3, 2047}});
}

void AddCandidate(TWorkspaceFixture &f)
{
    TFixtureCandidate c{u"A1"_s, u"张三"_s};
    c.KSZT = u"1"_s;
    c.LQZY = u"01"_s;
    c.YTZY = u"01"_s;
    c.ZYDH = {u"01"_s};
    f.AddCandidate(c);
}

int FieldOf(const TPrintAdjustForm &form, const QString &name)
{
    for (int n = 0; n < form.FieldCount(); ++n) {
        if (form.ZKColumn()[n].Name == name)
            return n;
    }
    return -1;
}

QStringList VisibleOrder(const TPrintAdjustForm &form)
{
    QStringList names;
    for (const auto &column : form.CurrentLayout().Columns)
        names.append(form.ZKColumn()[column.Field].Name);
    return names;
}

} // namespace

class TestPrintAdjustForm : public QObject
{
    Q_OBJECT

private slots:
    void init() { ZKMainDef().Reset(); }

    void opensTheStoredLayout()
    {
        TWorkspaceFixture f;
        AddCandidate(f);
        StandardPlaces(f);
        f.Open();
        TAnsweringSink sink;
        TPrintAdjustForm form(f.Dm(), sink);
        QCOMPARE(form.TitleEdit->text(), u"录取新生名册"_s);
        form.Open();
        QCOMPARE(form.windowTitle(), u"打印宽度设置"_s);
        QCOMPARE(form.TitleEdit->text(), u"测试大学测试省考生投档单"_s);
        QCOMPARE(VisibleOrder(form), (QStringList{u"KSH"_s, u"XM"_s, u"LQZY"_s}));
        // A print width below 9 opens as 8.
        QCOMPARE(form.PreviewGrid->columnWidth(FieldOf(form, u"XM"_s)), 8);
        QCOMPARE(form.FieldList->count(), form.FieldCount());
        QCOMPARE(form.FieldList->item(FieldOf(form, u"XBDM"_s))->checkState(), Qt::Unchecked);
        QCOMPARE(form.FieldList->item(FieldOf(form, u"XM"_s))->checkState(), Qt::Checked);
        QVERIFY(form.PreviewGrid->isColumnHidden(FieldOf(form, u"XBDM"_s)));
        // The preview row shows the first candidate, a major with the print mark.
        QCOMPARE(form.PreviewGrid->rowCount(), 1);
        QCOMPARE(form.PreviewGrid->item(0, FieldOf(form, u"XM"_s))->text(), u"张三"_s);
        QCOMPARE(form.PreviewGrid->item(0, FieldOf(form, u"LQZY"_s))->text(), u".计算机科学与技术"_s);
        QCOMPARE(form.RowHeight(), 24);
        QVERIFY(!form.SettingsChanged);
    }

    void anEmptyListShowsOneEmptyRow()
    {
        TWorkspaceFixture f;
        StandardPlaces(f);
        f.Open();
        TAnsweringSink sink;
        TPrintAdjustForm form(f.Dm(), sink);
        form.Open();
        QCOMPARE(form.PreviewGrid->rowCount(), 1);
        QCOMPARE(form.PreviewGrid->item(0, FieldOf(form, u"KSH"_s))->text(), QString());
    }

    void keys_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("rowHeight");
        const QStringList standard{u"KSH"_s, u"XM"_s, u"LQZY"_s};
        QTest::newRow("H skips the hidden field")
            << u"KSH"_s << u"H"_s << QStringList{u"XM"_s, u"KSH"_s, u"LQZY"_s} << 100 << 24;
        QTest::newRow("g in lower case")
            << u"LQZY"_s << u"g"_s << QStringList{u"KSH"_s, u"LQZY"_s, u"XM"_s} << 2047 << 24;
        QTest::newRow("G at the front stays") << u"KSH"_s << u"G"_s << standard << 100 << 24;
        QTest::newRow("H at the end stays") << u"LQZY"_s << u"H"_s << standard << 2047 << 24;
        QTest::newRow("J stops at 8") << u"XM"_s << u"JJ"_s << standard << 8 << 24;
        QTest::newRow("K widens") << u"KSH"_s << u"KKK"_s << standard << 103 << 24;
        QTest::newRow("K stops at 2048") << u"LQZY"_s << u"KK"_s << standard << 2048 << 24;
        QTest::newRow("I lowers, not below 4") << u"KSH"_s << QString(25, u'I') << standard << 100 << 4;
        QTest::newRow("M raises, the handle stops at 80")
            << u"KSH"_s << QString(70, u'm') << standard << 100 << 80;
    }
    void keys()
    {
        QFETCH(QString, focus);
        QFETCH(QString, keys);
        TWorkspaceFixture f;
        StandardPlaces(f);
        f.Open();
        TAnsweringSink sink;
        TPrintAdjustForm form(f.Dm(), sink);
        form.Open();
        const int field = FieldOf(form, focus);
        form.PreviewGrid->setCurrentCell(0, field);
        for (const QChar key : keys)
            QTest::keyClick(form.PreviewGrid, key.toLatin1());
        QTEST(VisibleOrder(form), "order");
        QTEST(form.PreviewGrid->columnWidth(field), "width");
        QTEST(form.RowHeight(), "rowHeight");
        QTEST(form.PreviewGrid->rowHeight(0), "rowHeight");
        QCOMPARE(form.SettingsChanged, keys.contains(u'I') || keys.contains(u'm'));
    }

    void closingStoresThePlacesHoweverItCloses_data()
    {
        QTest::addColumn<bool>("applyToAll");
        QTest::newRow("this set") << false;
        QTest::newRow("every set") << true;
    }
    void closingStoresThePlacesHoweverItCloses()
    {
        QFETCH(bool, applyToAll);
        TWorkspaceFixture f;
        StandardPlaces(f);
        f.Exec({u"insert into T_TDDZDXHKD (PCDM, KLDM, JHXZ, ZDDH, WZSY, KD, DYWZ, DYKD) "
                "values (\"2\", \"1\", \"1\", \"KSH\", 0, 60, 5, 60)"_s});
        f.Open();
        const QStringList fonts = f.Rows(u"select * from t_print_tdd"_s);
        TAnsweringSink sink;
        QTimer::singleShot(0, this, [applyToAll] {
            auto *form = qobject_cast<TPrintAdjustForm *>(QApplication::activeModalWidget());
            QVERIFY(form);
            const int ksh = FieldOf(*form, u"KSH"_s);
            form->PreviewGrid->setCurrentCell(0, ksh);
            QTest::keyClicks(form->PreviewGrid, u"KKH"_s);
            form->FieldList->item(FieldOf(*form, u"XM"_s))->setCheckState(Qt::Unchecked);
            form->ApplyAllCheck->setChecked(applyToAll);
            form->reject(); // closed with Esc or the title bar, not "关闭"
        });
        TPrintAdjustForm::Execute(f.Dm(), sink, nullptr);
        QVERIFY2(sink.Messages.isEmpty(), qPrintable(sink.Messages.join(u'\n')));
        const QString set = u" and PCDM = \"1\""_s;
        QCOMPARE(f.Rows(u"select DYWZ, DYKD from T_TDDZDXHKD where ZDDH = \"LQZY\""_s + set),
                 QStringList{u"1|2047"_s});
        QCOMPARE(f.Rows(u"select DYWZ, DYKD from T_TDDZDXHKD where ZDDH = \"KSH\""_s + set),
                 QStringList{u"0|102"_s});
        // A hidden field keeps the width it had.
        QCOMPARE(f.Rows(u"select DYWZ, DYKD from T_TDDZDXHKD where ZDDH = \"XM\""_s + set),
                 QStringList{u"-1|8"_s});
        QCOMPARE(f.Rows(u"select DYWZ, DYKD from T_TDDZDXHKD where ZDDH = \"KSH\" and PCDM = \"2\""_s),
                 QStringList{applyToAll ? u"0|102"_s : u"5|60"_s});
        // Nothing of the fonts changed, so they were not written.
        QCOMPARE(f.Rows(u"select * from t_print_tdd"_s), fonts);
    }

    void fontsAndRowHeightAreStoredWhenChanged()
    {
        TWorkspaceFixture f;
        StandardPlaces(f);
        f.Exec({u"update t_print_tdd set TableFontHeight = 14, HeaderHeight = 24"_s});
        f.Open();
        TAnsweringSink sink;
        TPrintAdjustForm form(f.Dm(), sink);
        form.Open();
        form.ChooseFont = [](QFont &font, const QString &) {
            font.setPixelSize(28);
            return true;
        };
        form.ChooseTableFont();
        QCOMPARE(sink.Messages,
                 QStringList{u"打印宽度设置: 需要按照字体放缩的比例自动调整表格的宽度和高度吗？"_s});
        // Twice the height: widths and row height doubled.
        QCOMPARE(form.PreviewGrid->columnWidth(FieldOf(form, u"KSH"_s)), 200);
        QCOMPARE(form.RowHeight(), 48);
        form.StoreSettings();
        QCOMPARE(f.Rows(u"select TableFontHeight, HeaderHeight from t_print_tdd"_s), QStringList{u"28|48"_s});
        QCOMPARE(f.Rows(u"select DYKD from T_TDDZDXHKD where ZDDH = \"KSH\""_s), QStringList{u"200"_s});

        // No: the font changes, the sizes stay.
        sink.Answer = TMsgResult::No;
        form.ChooseFont = [](QFont &font, const QString &) {
            font.setPixelSize(14);
            return true;
        };
        form.ChooseTableFont();
        QCOMPARE(form.RowHeight(), 48);
        QCOMPARE(form.PreviewGrid->columnWidth(FieldOf(form, u"KSH"_s)), 200);
    }

    void synchronisesWithTheMainGrid()
    {
        TWorkspaceFixture f;
        f.SetColumns({{u"XM"_s, u"姓名"_s, u""_s, u"X"_s},
                      {u"KSH"_s, u"考生号"_s, u""_s, u"K"_s},
                      {u"LQZY"_s, u"录取专业"_s, u""_s, u"Z"_s}});
        f.Exec({u"update T_TDDZDXHKD set DYWZ = -1"_s,
                u"update T_TDDZDXHKD set DYWZ = 0 where ZDDH = \"LQZY\""_s});
        f.Open();
        TAnsweringSink sink;
        TPrintAdjustForm form(f.Dm(), sink);
        form.Open();
        QCOMPARE(VisibleOrder(form), QStringList{u"LQZY"_s});
        form.SyncButton->click();
        QCOMPARE(VisibleOrder(form), (QStringList{u"XM"_s, u"KSH"_s, u"LQZY"_s}));
        for (int n = 0; n < form.FieldCount(); ++n)
            QCOMPARE(form.FieldList->item(n)->checkState(), Qt::Checked);
    }

    void printsFromTheDialogAndStaysOpen()
    {
        TWorkspaceFixture f;
        AddCandidate(f);
        StandardPlaces(f);
        f.Open();
        ZKMainDef().SetProgramFolder(zktest::programFolder());
        TAnsweringSink sink;
        TPrintAdjustForm form(f.Dm(), sink);
        form.Open();
        TReportDocument printed;
        form.MakeOutput = [&printed] { return std::make_unique<TKeptOutput>(&printed); };
        form.TitleEdit->setText(u"我的名册"_s);
        form.PrintButton->click();
        QVERIFY2(sink.Messages.isEmpty(), qPrintable(sink.Messages.join(u'\n')));
        const QStringList texts = printed.PageTexts(0);
        QCOMPARE(texts.first(), u"我的名册"_s);
        QVERIFY(texts.contains(u"A1"_s) && texts.contains(u".计算机科学与技术"_s));

        // A failure is shown and the dialog keeps working.
        ZKMainDef().SetProgramFolder(QDir::tempPath() + u"/no-such-program-folder"_s);
        form.PrintButton->click();
        QCOMPARE(sink.Messages.size(), 1);
        QVERIFY(sink.Messages.first().contains(u"ZelkinC.rav"_s));
        QVERIFY(form.PreviewGrid->isEnabled());
    }
};

QTEST_MAIN(TestPrintAdjustForm)
#include "tst_PrintAdjustForm.moc"
