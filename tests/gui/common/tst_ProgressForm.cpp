// The progress window's stage arithmetic and its event processing during foreground tasks.
#include "gui/common/ProgressForm.h"

#include <QLabel>
#include <QProgressBar>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestProgressForm : public QObject
{
    Q_OBJECT

private slots:
    void stagePositions_data()
    {
        QTest::addColumn<int>("base");
        QTest::addColumn<int>("ratio");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("updates");
        QTest::addColumn<QList<int>>("positions"); // the bar after each update

        QTest::newRow("5 steps of 20") << 0 << 20 << 5 << 5 << QList<int>{4, 8, 12, 16, 20};
        QTest::newRow("beyond the step count") << 0 << 20 << 5 << 7 << QList<int>{4, 8, 12, 16, 20, 20, 20};
        QTest::newRow("0 steps is one step") << 10 << 30 << 0 << 3 << QList<int>{40, 40, 40};
        QTest::newRow("1 step") << 10 << 30 << 1 << 2 << QList<int>{40, 40};
        QTest::newRow("negative steps") << 0 << 50 << -3 << 1 << QList<int>{50};
        QTest::newRow("whole-number division")
            << 20 << 60 << 7 << 7 << QList<int>{28, 37, 45, 54, 62, 71, 80};
        QTest::newRow("more steps than percent") << 80 << 20 << 50 << 5 << QList<int>{80, 80, 81, 81, 82};
    }

    void stagePositions()
    {
        QFETCH(int, base);
        QFETCH(int, ratio);
        QFETCH(int, steps);
        QFETCH(int, updates);
        QFETCH(QList<int>, positions);

        TProgressForm form;
        form.ShowProgress(u"导入"_s, u"正在导入"_s, base, ratio, steps);
        QCOMPARE(form.ProgressBar->value(), base);
        QCOMPARE(form.LastProgress, base);
        QCOMPARE(form.CurrStep, 0);
        QCOMPARE(form.StepCount, std::max(1, steps < 2 ? 1 : steps));
        QList<int> seen;
        for (int i = 0; i < updates; ++i) {
            form.UpdateProgressTrans();
            seen.append(form.ProgressBar->value());
            QCOMPARE(form.LastProgress, form.ProgressBar->value());
        }
        QCOMPARE(seen, positions);
        QCOMPARE(form.CurrStep, std::min(updates, form.StepCount));
    }

    void stagesShareTheBarAndKeepEmptyTexts()
    {
        TProgressForm form;
        QVERIFY(!form.IsProgressShowing());
        form.ShowProgress(u"接收考生投档单"_s, u"第一步"_s, 0, 20, 2);
        QVERIFY(form.IsProgressShowing());
        form.UpdateProgressTrans();
        form.UpdateProgressTrans();
        QCOMPARE(form.ProgressBar->value(), 20);
        // Empty caption and text keep the previous ones; the next stage starts at its base.
        form.ShowProgress(QString(), QString(), 20, 60, 3);
        QCOMPARE(form.windowTitle(), u"接收考生投档单"_s);
        QCOMPARE(form.MsgLabel->text(), u"第一步"_s);
        QCOMPARE(form.ProgressBar->value(), 20);
        form.ShowProgress(QString(), u"第三步"_s, 80, 20, 1);
        QCOMPARE(form.MsgLabel->text(), u"第三步"_s);
        form.UpdateProgressTrans();
        QCOMPARE(form.ProgressBar->value(), 100);
        // The user cannot dismiss it; only its caller hides it.
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(!form.close());
        QVERIFY(form.IsProgressShowing());
        form.HideProgress();
        QVERIFY(!form.IsProgressShowing());
    }

    void eventsRunOnlyDuringAForegroundTask()
    {
        TProgressForm form;
        bool foregroundIdle = true;
        form.SetForegroundIdleQuery([&] { return foregroundIdle; });
        int delivered = 0;
        const auto post = [&] {
            QMetaObject::invokeMethod(
                &form, [&] { ++delivered; }, Qt::QueuedConnection);
        };

        form.ShowProgress(u"导出"_s, u"正在导出"_s, 0, 100, 4);
        QCoreApplication::processEvents();
        post();
        form.UpdateProgressTrans();
        QCOMPARE(delivered, 0); // idle: only the bar is repainted

        foregroundIdle = false;
        form.UpdateProgressTrans();
        QCOMPARE(delivered, 1); // a foreground task: pending events are processed

        // No move of the bar, no processing.
        form.ShowProgress(QString(), QString(), 0, 1, 4);
        post();
        form.UpdateProgressTrans();
        QCOMPARE(delivered, 1);
        QCoreApplication::processEvents();
        QCOMPARE(delivered, 2);
    }

    void windowShape()
    {
        TProgressForm form;
        QCOMPARE(form.size(), QSize(370, 58)); // the offscreen screen has 96 dpi
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!(form.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(form.MsgLabel->wordWrap());
        QCOMPARE(form.ProgressBar->maximum(), 100);
    }
};

QTEST_MAIN(TestProgressForm)
#include "tst_ProgressForm.moc"
