// The options dialog: loading and storing the options, the query timer, reopening the set
// or only repainting the grid, and the field frame's widgets.
#include "OptionsFixture.h"
#include "exchange/MemberNetDM.h"
#include "gui/options/DualListViewFrame.h"
#include "gui/options/MemberOptionsForm.h"
#include "store/ZKMainDef.h"

#include <QCheckBox>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

void StorePeriods(TOptionsFixture &f, const QString &letter, const QString &dossier)
{
    f.ExecShare({u"update T_YXZT set XJXZZQ = %1, SJXZZQ = %2"_s.arg(letter, dossier)});
}

QString StoredOptions(TOptionsFixture &f)
{
    return f.ShareRows(u"select XJXZZQ, SJXZZQ, ZDXZZP, TDDXSDM, JYKSYSWJ from T_YXZT"_s).value(0);
}

// A drag of the frame's list `from` arriving over `to`: whether it is accepted.
bool DragEnters(TFieldListWidget *from, TFieldListWidget *to)
{
    QMimeData mime;
    mime.setData(TFieldListWidget::MimeType(), from->DragData());
    QDragEnterEvent event(QPoint(5, 5), Qt::MoveAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(to->viewport(), &event);
    return event.isAccepted();
}

void Drop(TFieldListWidget *from, TFieldListWidget *to, int row)
{
    QMimeData mime;
    mime.setData(TFieldListWidget::MimeType(), from->DragData());
    const QPoint at = row < 0 ? QPoint(5, to->viewport()->height() - 2)
                              : to->visualRect(to->model()->index(row, 0)).center();
    // A drop goes to the list that the drag last entered, as in a real drag.
    QDragEnterEvent enter(at, Qt::MoveAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(to->viewport(), &enter);
    QDropEvent event(at, Qt::MoveAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(to->viewport(), &event);
}

QStringList Texts(QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

} // namespace

class TestMemberOptionsForm : public QObject
{
    Q_OBJECT

private slots:
    void loadsThePeriods_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("on");
        QTest::addColumn<int>("shown");
        QTest::newRow("0") << u"0"_s << false << 2;
        QTest::newRow("1") << u"1"_s << true << 2;
        QTest::newRow("-1") << u"-1"_s << false << 2;
        QTest::newRow("null") << u"null"_s << false << 2;
        QTest::newRow("on 15") << u"15"_s << true << 15;
        QTest::newRow("off 30") << u"-30"_s << false << 30;
    }
    void loadsThePeriods()
    {
        QFETCH(QString, stored);
        QFETCH(bool, on);
        QFETCH(int, shown);
        TOptionsFixture f;
        StorePeriods(f, stored, stored);
        f.Open();
        TMemberNetDM net(f.Dm());
        TMemberOptionsForm form(f.Dm(), net);
        form.LoadOptions();
        QCOMPARE(form.DossierQueryCheck->isChecked(), on);
        QCOMPARE(form.DossierPeriodEdit->value(), shown);
        QCOMPARE(form.DossierPeriodEdit->isEnabled(), on);
        QCOMPARE(form.LetterQueryCheck->isChecked(), on);
        QCOMPARE(form.LetterPeriodEdit->value(), shown);
        // The number box follows its check box.
        form.DossierQueryCheck->setChecked(!on);
        QCOMPARE(form.DossierPeriodEdit->isEnabled(), !on);
    }

    void storesTheOptionsAndTheFlags()
    {
        TOptionsFixture f;
        StorePeriods(f, u"7"_s, u"10"_s);
        f.Open();
        TMemberNetDM net(f.Dm());
        TMemberOptionsForm form(f.Dm(), net);
        form.LoadOptions();
        QVERIFY(!form.LetterQueryCheck->isVisibleTo(&form)); // stored, not shown
        QVERIFY(!form.ShowCodesCheck->isChecked());
        form.DossierQueryCheck->setChecked(false);
        form.AutoPhotoCheck->setChecked(false);
        form.AutoUnpackCheck->setChecked(true);
        form.ShowCodesCheck->setChecked(true);
        form.Apply();
        QCOMPARE(StoredOptions(f), u"7|-10|0|1|1"_s);
        const TZKMainDef &def = ZKMainDef();
        QVERIFY(!def.AutoPhoto);
        QVERIFY(def.ShowCodes);
        QVERIFY(def.AutoUnpack);
        // The next opening shows what was stored.
        TMemberOptionsForm again(f.Dm(), net);
        again.LoadOptions();
        QCOMPARE(again.Values(), form.Values());
    }

    void theTimerRestartsOnlyWhenAPeriodChanged()
    {
        TOptionsFixture f;
        StorePeriods(f, u"-5"_s, u"-10"_s);
        f.Open();
        TMemberNetDM net(f.Dm());
        {
            TMemberOptionsForm form(f.Dm(), net);
            form.LoadOptions();
            form.Apply(); // the same numbers: the timer is left alone
            QVERIFY(!net.QueryTimer.isActive());
        }
        {
            TMemberOptionsForm form(f.Dm(), net);
            form.LoadOptions();
            form.DossierQueryCheck->setChecked(true);
            form.Apply();
            QCOMPARE(StoredOptions(f).section(u'|', 0, 1), u"-5|10"_s);
            QVERIFY(net.QueryTimer.isActive());
            QCOMPARE(net.QueryTimer.interval(), 10 * 60 * 1000);
        }
        {
            TMemberOptionsForm form(f.Dm(), net);
            form.LoadOptions();
            form.DossierQueryCheck->setChecked(false); // negated and stopped
            form.Apply();
            QCOMPARE(StoredOptions(f).section(u'|', 0, 1), u"-5|-10"_s);
            QVERIFY(!net.QueryTimer.isActive());
        }
        {
            // A change of the hidden letter period alone also restarts the timer.
            TMemberOptionsForm form(f.Dm(), net);
            form.LoadOptions();
            net.QueryTimer.start(1234);
            form.LetterPeriodEdit->setValue(6);
            form.Apply();
            QVERIFY(!net.QueryTimer.isActive()); // restarted from SJXZZQ, which is off
        }
    }

    void codeDisplayRepaintsWithoutReopening()
    {
        TOptionsFixture f;
        f.Open();
        TMemberNetDM net(f.Dm());
        TMemberOptionsForm form(f.Dm(), net);
        form.LoadOptions();
        const int hides = f.Panel.Hides, repaints = f.Grid.RepaintCount;
        form.ShowCodesCheck->setChecked(true);
        form.Apply();
        QVERIFY(form.RefreshTDDNeeded);
        QCOMPARE(f.Panel.Hides, hides);
        QVERIFY(f.Grid.RepaintCount > repaints);

        // Nothing changed: neither.
        form.LoadOptions();
        const int repaintsAfter = f.Grid.RepaintCount;
        form.Apply();
        QVERIFY(!form.RefreshTDDNeeded);
        QCOMPARE(f.Grid.RepaintCount, repaintsAfter);
        QCOMPARE(f.Panel.Hides, hides);
    }

    void aChangedOrderReopensTheSet()
    {
        TOptionsFixture f;
        f.Open();
        TMemberNetDM net(f.Dm());
        TMemberOptionsForm form(f.Dm(), net);
        form.LoadOptions();
        TDualListViewFrame *frame = form.DualListFrame;
        frame->IncList->setCurrentRow(3);
        frame->UpBtn->click();
        QCOMPARE(Texts(frame->IncList), (QStringList{u"考生号"_s, u"姓名"_s, u"录取专业"_s, u"基准成绩"_s}));
        const int hides = f.Panel.Hides;
        form.Apply();
        QCOMPARE(f.Panel.Hides, hides + 1);
        QVERIFY(ZKMainDef().IsTDDOpen);
        QCOMPARE(f.Grid.Columns[2].Caption, u"录取专业"_s);
    }

    void applyToAllKeepsTheSetOpen()
    {
        TOptionsFixture f;
        f.Open();
        TMemberNetDM net(f.Dm());
        TMemberOptionsForm form(f.Dm(), net);
        form.LoadOptions();
        QVERIFY(!form.DualListFrame->ApplyToAllCheck->isChecked());
        form.DualListFrame->ApplyToAllCheck->setChecked(true);
        const int hides = f.Panel.Hides;
        form.Apply();
        QCOMPARE(f.Panel.Hides, hides);
        QCOMPARE(f.Layout(u"2"_s), f.Layout(u"1"_s));
        // Unchecked again each time the dialog opens.
        form.LoadOptions();
        QVERIFY(!form.DualListFrame->ApplyToAllCheck->isChecked());
    }

    void frameButtonsAndDoubleClicks()
    {
        TOptionsFixture f;
        f.Open();
        TMemberNetDM net(f.Dm());
        TMemberOptionsForm form(f.Dm(), net);
        form.LoadOptions();
        TDualListViewFrame *frame = form.DualListFrame;
        QCOMPARE(Texts(frame->ExcList), (QStringList{u"身份证号"_s, u"毕业学校"_s, u"专业1"_s}));
        QCOMPARE(frame->ExcLabel->buddy(), frame->ExcList);
        QCOMPARE(frame->IncLabel->buddy(), frame->IncList);

        // The must-show field: no remove button, a double click does nothing.
        frame->IncList->setCurrentRow(0);
        QVERIFY(!frame->RemoveBtn->isEnabled());
        emit frame->IncList->itemDoubleClicked(frame->IncList->item(0));
        QCOMPARE(frame->IncList->count(), 4);

        // A double click on a hidden field adds it before the selected shown field.
        frame->IncList->setCurrentRow(1);
        emit frame->ExcList->itemDoubleClicked(frame->ExcList->item(1));
        QCOMPARE(Texts(frame->IncList),
                 (QStringList{u"考生号"_s, u"毕业学校"_s, u"姓名"_s, u"基准成绩"_s, u"录取专业"_s}));
        QCOMPARE(frame->IncList->currentRow(), 1);
        QCOMPARE(frame->ExcList->currentRow(), 1); // the item now at the same place
        QCOMPARE(frame->ExcList->currentItem()->text(), u"专业1"_s);

        // A must-show hidden field moves by button; then it cannot go back.
        frame->AddBtn->click();
        QCOMPARE(frame->IncList->currentItem()->text(), u"专业1"_s);
        QVERIFY(!frame->RemoveBtn->isEnabled());
        frame->RemoveBtn->click();
        QCOMPARE(frame->IncList->count(), 6);

        frame->IncList->setCurrentRow(2);
        emit frame->IncList->itemDoubleClicked(frame->IncList->item(2));
        QCOMPARE(Texts(frame->ExcList), (QStringList{u"身份证号"_s, u"毕业学校"_s}));
        QCOMPARE(frame->ExcList->currentItem()->text(), u"毕业学校"_s);
    }

    void dragsFollowTheRules()
    {
        TOptionsFixture f;
        f.Open();
        TMemberNetDM net(f.Dm());
        TMemberOptionsForm form(f.Dm(), net);
        form.LoadOptions();
        TDualListViewFrame *frame = form.DualListFrame;
        form.resize(600, 500);
        form.show();
        TFieldListWidget *exc = frame->ExcList, *inc = frame->IncList;

        frame->ExcList->setCurrentRow(2); // 专业1, must show
        QVERIFY(!DragEnters(exc, inc));
        frame->ExcList->setCurrentRow(0);
        QVERIFY(DragEnters(exc, inc));
        QVERIFY(!DragEnters(exc, exc));
        frame->IncList->setCurrentRow(0); // 考生号, must show
        QVERIFY(!DragEnters(inc, exc));
        QVERIFY(DragEnters(inc, inc));
        frame->IncList->setCurrentRow(1);
        QVERIFY(DragEnters(inc, exc));

        // A drop of a hidden field lands before the item under the cursor.
        Drop(exc, inc, 2);
        QCOMPARE(Texts(inc),
                 (QStringList{u"考生号"_s, u"姓名"_s, u"身份证号"_s, u"基准成绩"_s, u"录取专业"_s}));
        // Another frame's drag is not ours.
        QMimeData mime;
        mime.setData(TFieldListWidget::MimeType(), QByteArrayLiteral("1234:exc"));
        QDragEnterEvent foreign(QPoint(5, 5), Qt::MoveAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(inc->viewport(), &foreign);
        QVERIFY(!foreign.isAccepted());
    }

    void executeOkAndCancel()
    {
        TOptionsFixture f;
        StorePeriods(f, u"-5"_s, u"-10"_s);
        f.Open();
        TMemberNetDM net(f.Dm());
        const QString before = StoredOptions(f);
        QTimer::singleShot(0, [] {
            auto *form = qobject_cast<TMemberOptionsForm *>(QApplication::activeModalWidget());
            QVERIFY(form);
            QCOMPARE(form->windowTitle(), u"选项"_s);
            QCOMPARE(form->PageControl->tabText(0), u"显示投档单"_s);
            QCOMPARE(form->PageControl->tabText(1), u"网络通信"_s);
            form->DossierQueryCheck->setChecked(true);
            form->CancelBtn->click();
        });
        QVERIFY(!TMemberOptionsForm::Execute(f.Dm(), net, nullptr));
        QCOMPARE(StoredOptions(f), before);

        QTimer::singleShot(0, [] {
            auto *form = qobject_cast<TMemberOptionsForm *>(QApplication::activeModalWidget());
            QVERIFY(form);
            form->DossierQueryCheck->setChecked(true);
            form->DossierPeriodEdit->setValue(25);
            form->OKBtn->click();
        });
        QVERIFY(TMemberOptionsForm::Execute(f.Dm(), net, nullptr));
        QCOMPARE(StoredOptions(f).section(u'|', 0, 1), u"-5|25"_s);
        QCOMPARE(net.QueryTimer.interval(), 25 * 60 * 1000);
    }
};

QTEST_MAIN(TestMemberOptionsForm)
#include "tst_MemberOptionsForm.moc"
