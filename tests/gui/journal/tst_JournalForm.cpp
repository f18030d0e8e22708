// The window "决定记录": the open set's journal newest first with unsent rows marked, the
// double click that focuses the candidate, the export, and the names screen readers use.
#include "TestSupport.h"
#include "WorkspaceFixture.h"
#include "gui/journal/JournalForm.h"
#include "store/ZKMainDef.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QtEndian>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

class TCountingProgress : public IProgressSink
{
public:
    void ShowProgress(const QString &caption, const QString &, int, int, int steps) override
    {
        Caption = caption;
        Steps = steps;
    }
    void UpdateProgressTrans() override { ++Updates; }
    void HideProgress() override { ++Hides; }
    bool IsProgressShowing() const override { return false; }
    QString Caption;
    int Steps = 0, Updates = 0, Hides = 0;
};

// J1 undecided (proposed 01, unit 001), J2 undecided (proposed 03, unit 002), J3 returned.
void AddThree(TWorkspaceFixture &f)
{
    TFixtureCandidate j1{u"J1"_s, u"甲"_s};
    j1.YTZY = u"01"_s;
    TFixtureCandidate j2{u"J2"_s, u"乙"_s, u"002"_s};
    j2.YTZY = u"03"_s;
    TFixtureCandidate j3{u"J3"_s, u"丙"_s};
    j3.KSZT = u"2"_s;
    j3.LQZY = u"  "_s;
    j3.YTZY = u"01"_s;
    j3.TDYYDM = u"02"_s;
    for (const TFixtureCandidate &c : {j1, j2, j3})
        f.AddCandidate(c);
}

void Decide(TWorkspaceFixture &f, const QStringList &kshs, bool preAdmit)
{
    TFakeChangeLQZTDialog dialog;
    dialog.Answer = {true, preAdmit, 0, QString()};
    TChangeLQZTForm form(f.Dm(), dialog);
    f.Select(kshs);
    form.Execute();
}

QString Cell(const TJournalForm *form, int row, int column)
{
    return form->Model()->index(row, column).data().toString();
}

bool Bold(const TJournalForm *form, int row)
{
    return form->Model()->index(row, 0).data(Qt::FontRole).value<QFont>().bold();
}

struct TRig
{
    TRig()
    {
        ZKMainDef().ProgramFolder = QDir(zktest::programFolder()).path() + u'/';
        AddThree(F);
        F.Open();
        Decide(F, {u"J1"_s}, true);
        Decide(F, {u"J2"_s}, false);
    }
    TJournalForm *Show() { return TJournalForm::Execute(F.Dm(), Progress, Messages, &Owner); }

    TWorkspaceFixture F;
    TCountingProgress Progress;
    TFakeMessageSink Messages;
    QWidget Owner;
};

} // namespace

class TestJournalForm : public QObject
{
    Q_OBJECT

private slots:
    void listsTheOpenSetNewestFirstWithUnsentRowsMarked()
    {
        TRig rig;
        TJournalForm *form = rig.Show();
        QVERIFY(form->isVisible());
        QCOMPARE(form->windowTitle(), u"决定记录"_s);
        QCOMPARE(form->Model()->rowCount(), 2);
        QCOMPARE(Cell(form, 0, 4), u"J2"_s);
        QCOMPARE(Cell(form, 1, 4), u"J1"_s);
        QVERIFY(Bold(form, 0) && Bold(form, 1));
        QCOMPARE(form->CountLabel->text(), u"共 2 条记录，其中 2 条未发送。"_s);

        // An acknowledged upload marks J1's row; a decision made meanwhile shows when the
        // window is asked again (the same window), the current row kept.
        TDecisionJournal journal(rig.F.Univ());
        journal.MarkSent(u"1"_s, u"1"_s, u"1"_s, journal.LastNumber(), 6);
        form->JournalList->setCurrentIndex(form->Model()->index(1, 0));
        Decide(rig.F, {u"J3"_s}, true);
        QCOMPARE(rig.Show(), form);
        QCOMPARE(rig.Owner.findChildren<TJournalForm *>().size(), 1);
        QCOMPARE(form->Model()->rowCount(), 3);
        QCOMPARE(Cell(form, 0, 4), u"J3"_s);
        QVERIFY(Bold(form, 0));
        QVERIFY(!Bold(form, 1) && !Bold(form, 2));
        QCOMPARE(Cell(form, 2, 11), u"已发送(包号 6)"_s);
        QCOMPARE(Cell(form, 0, 11), u"未发送"_s);
        QCOMPARE(form->JournalList->currentIndex().row(), 2);
        QCOMPARE(form->CountLabel->text(), u"共 3 条记录，其中 1 条未发送。"_s);

        // Names for screen readers.
        QCOMPARE(form->JournalList->accessibleName(), u"决定记录"_s);
        QCOMPARE(form->ListLabel->buddy(), form->JournalList);
        QCOMPARE(form->ExportBtn->text(), u"导出(&E)..."_s);
        const QString shots = qEnvironmentVariable("ZK_GRAB_DIR");
        if (!shots.isEmpty())
            QVERIFY(form->grab().save(shots + u"/journal.png"_s));
    }

    void aDoubleClickFocusesTheCandidate()
    {
        TRig rig;
        // The grid narrowed to major 02 (J2 is not shown there).
        rig.F.Dm().ChangeZyFilter(1);
        TJournalForm *form = rig.Show();
        QVERIFY(!rig.F.Shown().contains(u"J1"_s));
        const QRect cell = form->JournalList->visualRect(form->Model()->index(1, 4));
        // A double click as the window system delivers it: a click, then the double click.
        QTest::mouseClick(form->JournalList->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(form->JournalList->viewport(), Qt::LeftButton, {}, cell.center());
        QVERIFY(rig.F.Shown().contains(u"J1"_s));
        QCOMPARE(rig.F.Grid.Focused, rig.F.Ks(u"J1"_s)->KsIndex);

        // A candidate that left the set: said so, nothing moves.
        TDecisionJournal journal(rig.F.Univ());
        journal.Append({0, {}, u"1"_s, u"1"_s, u"1"_s, u"GONE"_s, u"丁"_s, u"0"_s, u"1"_s, u"01"_s});
        form->Reload();
        QVERIFY(!form->FocusCandidate(0));
        QCOMPARE(form->CountLabel->text(), u"考生 GONE 不在当前的投档单中。"_s);
        QCOMPARE(rig.F.Grid.Focused, rig.F.Ks(u"J1"_s)->KsIndex);
    }

    void exportsTheListedRows_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("dBase") << u"journal.dbf"_s;
        QTest::newRow("Excel 97") << u"journal.xls"_s;
        QTest::newRow("Excel 2007") << u"journal.xlsx"_s;
    }

    void exportsTheListedRows()
    {
        QFETCH(QString, name);
        TRig rig;
        TJournalForm *form = rig.Show();
        QTemporaryDir out;
        QString askedCaption, askedName;
        form->ChooseFile = [&](const QString &caption, const QString &defaultName) {
            askedCaption = caption;
            askedName = defaultName;
            return out.filePath(name);
        };
        QVERIFY(form->ExportRows());
        QCOMPARE(askedCaption, u"导出决定记录"_s);
        QCOMPARE(askedName, u"t_jdjl"_s);
        QCOMPARE(rig.Progress.Steps, 2);
        QCOMPARE(rig.Progress.Updates, 2);
        QCOMPARE(rig.Messages.Messages.last().Text, u"已完成对决定记录的导出。"_s);
        QFile file(out.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.size() > 100);
        if (name.endsWith(u".dbf"_s)) {
            // dBase header: record count, header length → 13 fields, two records.
            QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 4), 2u);
            const int headerLength = qFromLittleEndian<quint16>(bytes.constData() + 8);
            QCOMPARE((headerLength - 33) / 32, 13);
            QVERIFY(bytes.contains(QByteArray("J2")));
        }
        QVERIFY(!QFile::exists(out.filePath(u"t_temp.dbf"_s)));
    }
};

QTEST_MAIN(TestJournalForm)
#include "tst_JournalForm.moc"
