// The status dialog "修改预录取状态" driven through its widgets on a real workspace.
#include "WorkspaceFixture.h"
#include "gui/common/ChangeLQZTDialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

TFixtureCandidate Cand(const QString &ksh, const QString &kszt, const QString &lqzy, const QString &ytzy,
                       double score)
{
    TFixtureCandidate c{ksh};
    c.KSZT = kszt;
    c.LQZY = lqzy;
    c.YTZY = ytzy;
    c.ZYYTJZCJ = score;
    c.ZYDH = {ytzy};
    return c;
}

// D1, D2 undecided (proposed 01 and 02), D4 returned with reason 02 and a remark.
void AddCandidates(TWorkspaceFixture &f)
{
    f.AddCandidate(Cand(u"D1"_s, u"0"_s, u" ?"_s, u"01"_s, 600));
    f.AddCandidate(Cand(u"D2"_s, u"0"_s, u" ?"_s, u"02"_s, 610));
    TFixtureCandidate d4 = Cand(u"D4"_s, u"2"_s, u"  "_s, u"01"_s, 630);
    d4.TDYYDM = u"02"_s;
    d4.BZ = u"原备注"_s;
    f.AddCandidate(d4);
}

QString TddRow(TWorkspaceFixture &f, const QString &ksh)
{
    return f.Rows(u"select KSZT, LQZY, TDYYDM, BZ from T_TDD where KSH = \"%1\""_s.arg(ksh)).value(0);
}

// Runs `walk` on the dialog once it shows modally; the walk ends it.
void WhenShown(TChangeLQZTDialog &dialog, std::function<void(TChangeLQZTWindow *)> walk)
{
    QTimer::singleShot(0, [&dialog, walk] {
        QCOMPARE(QApplication::activeModalWidget(), dialog.Window());
        walk(dialog.Window());
        // A failed check leaves the walk early: the dialog must still end.
        if (dialog.Window()->isVisible())
            dialog.Window()->reject();
    });
}

bool ReasonPartEnabled(TChangeLQZTWindow *w)
{
    return w->TDYYList->isEnabled() && !w->TDYYBZMemo->isReadOnly();
}

} // namespace

class TestChangeLQZTDialog : public QObject
{
    Q_OBJECT

private slots:
    void preAdmitSeveralCandidates()
    {
        TWorkspaceFixture f;
        AddCandidates(f);
        f.Open();
        TChangeLQZTDialog dialog;
        TChangeLQZTForm form(f.Dm(), dialog);
        f.Select({u"D1"_s, u"D2"_s});
        WhenShown(dialog, [](TChangeLQZTWindow *w) {
            QCOMPARE(w->windowTitle(), u"修改预录取状态"_s);
            QCOMPARE(w->Label4->text(), u"请修改刚才选中的考生的预录取状态。"_s);
            for (QLabel *l : {w->KSHLabel, w->XMLabel, w->ScoreLabel, w->ZydpLabel})
                QVERIFY(l->text().isEmpty());
            QCOMPARE(w->LQRadio->text(), u"预录取"_s);
            QVERIFY(w->LQRadio->isChecked());
            QCOMPARE(w->focusWidget(), w->LQRadio);
            QVERIFY(!ReasonPartEnabled(w));
            QCOMPARE(w->TDYYBZMemo->palette().color(QPalette::Base), w->palette().color(QPalette::Button));
            // Several candidates: the radio moves to the top of the labels.
            QCOMPARE(w->LQRadio->y(), w->KSHLabel->y());
            QCOMPARE(w->TDRadio->y(), w->LQRadio->y() + 24);
            QCOMPARE(w->TDGroupBox->y(), w->TDRadio->y());
            QCOMPARE(w->height(), w->TDGroupBox->geometry().bottom() + 1 + 16);
            QCOMPARE(w->TDYYList->currentRow(), 0);
            QTest::mouseClick(w->OKBtn, Qt::LeftButton);
        });
        form.Execute();
        QCOMPARE(TddRow(f, u"D1"_s), u"1|01||"_s);
        QCOMPARE(TddRow(f, u"D2"_s), u"1|02||"_s);
        QCOMPARE(f.InMajor(0), QStringList{u"D1"_s});
        QCOMPARE(f.InMajor(1), QStringList{u"D2"_s});
    }

    void preReturnOneCandidate()
    {
        TWorkspaceFixture f;
        AddCandidates(f);
        f.Open();
        TChangeLQZTDialog dialog;
        TChangeLQZTForm form(f.Dm(), dialog);
        f.Select({u"D1"_s});
        WhenShown(dialog, [](TChangeLQZTWindow *w) {
            QCOMPARE(w->KSHLabel->text(), u"考生号: D1"_s);
            QCOMPARE(w->ScoreLabel->text(), u"基准成绩: 600"_s);
            QVERIFY(w->LQRadio->text().startsWith(u"预录取，专业: 01 - "_s));
            QCOMPARE(w->LQRadio->y(), w->ScoreLabel->y() + 24);
            QCOMPARE(w->TDGroupBox->y(), w->LQRadio->y() + 24);
            QVERIFY(!ReasonPartEnabled(w));

            // The tab order runs from the choices through the reasons to the buttons.
            QWidget *expected[] = {w->TDRadio, w->TDYYList,  w->TDYYBZMemo,
                                   w->OKBtn,   w->CancelBtn, w->HelpBtn};
            QWidget *at = w->LQRadio;
            for (QWidget *next : expected) {
                at = at->nextInFocusChain();
                while (at->focusPolicy() == Qt::NoFocus)
                    at = at->nextInFocusChain();
                QCOMPARE(at, next);
            }

            QTest::mouseClick(w->TDRadio, Qt::LeftButton, {}, QPoint(8, w->TDRadio->height() / 2));
            QVERIFY(w->TDRadio->isChecked());
            QVERIFY(ReasonPartEnabled(w));
            QCOMPARE(w->TDYYBZMemo->palette().color(QPalette::Base), w->palette().color(QPalette::Base));
            QCOMPARE(w->TDYYList->count(), 3);
            QCOMPARE(w->TDYYList->item(2)->text(), u"03 其他"_s);
            w->TDYYList->setCurrentRow(2);
            w->TDYYBZMemo->setPlainText(QString(300, u'长'));
            QCOMPARE(w->TDYYBZMemo->toPlainText().size(), 254);
            w->TDYYBZMemo->setPlainText(u"成绩不够"_s);
            // Back and forth: pre-admit locks the reason part again.
            QTest::mouseClick(w->LQRadio, Qt::LeftButton, {}, QPoint(8, w->LQRadio->height() / 2));
            QVERIFY(!ReasonPartEnabled(w));
            QTest::mouseClick(w->TDRadio, Qt::LeftButton, {}, QPoint(8, w->TDRadio->height() / 2));
            QTest::mouseClick(w->OKBtn, Qt::LeftButton);
        });
        form.Execute();
        QCOMPARE(TddRow(f, u"D1"_s), u"2||03|成绩不够"_s);
        QStringList returned = f.InMajor(5);
        returned.sort();
        QCOMPARE(returned, (QStringList{u"D1"_s, u"D4"_s}));
    }

    void returnedCandidateOpensOnItsReason()
    {
        TWorkspaceFixture f;
        AddCandidates(f);
        f.Open();
        TChangeLQZTDialog dialog;
        TChangeLQZTForm form(f.Dm(), dialog);
        f.Select({u"D4"_s});
        WhenShown(dialog, [](TChangeLQZTWindow *w) {
            QVERIFY(w->TDRadio->isChecked());
            QCOMPARE(w->focusWidget(), w->TDRadio);
            QVERIFY(ReasonPartEnabled(w));
            QCOMPARE(w->TDYYList->currentRow(), 1);
            QCOMPARE(w->TDYYBZMemo->toPlainText(), u"原备注"_s);
            // Pre-admitting it clears its reason and remark.
            QTest::mouseClick(w->LQRadio, Qt::LeftButton, {}, QPoint(8, w->LQRadio->height() / 2));
            QTest::mouseClick(w->OKBtn, Qt::LeftButton);
        });
        form.Execute();
        QCOMPARE(TddRow(f, u"D4"_s), u"1|01||"_s);
    }

    void cancelWritesNothing()
    {
        TWorkspaceFixture f;
        AddCandidates(f);
        f.Open();
        TChangeLQZTDialog dialog;
        TChangeLQZTForm form(f.Dm(), dialog);
        f.Select({u"D1"_s});
        WhenShown(dialog, [](TChangeLQZTWindow *w) {
            QTest::mouseClick(w->TDRadio, Qt::LeftButton, {}, QPoint(8, w->TDRadio->height() / 2));
            QTest::keyClick(w, Qt::Key_Escape);
        });
        form.Execute();
        QCOMPARE(TddRow(f, u"D1"_s), u"0| ?|  |"_s);
        // The window is kept for the next call and starts from the values of that call.
        f.Select({u"D2"_s});
        WhenShown(dialog, [](TChangeLQZTWindow *w) {
            QVERIFY(w->LQRadio->isChecked());
            QVERIFY(w->TDYYBZMemo->toPlainText().isEmpty());
            QTest::mouseClick(w->CancelBtn, Qt::LeftButton);
        });
        form.Execute();
        QCOMPARE(TddRow(f, u"D2"_s), u"0| ?|  |"_s);
    }
};

QTEST_MAIN(TestChangeLQZTDialog)
#include "tst_ChangeLQZTDialog.moc"
