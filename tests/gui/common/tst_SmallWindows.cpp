// The about box, the splash window, the animation window and the message boxes.
#include "gui/common/AboutForm.h"
#include "gui/common/AnimateForm.h"
#include "gui/common/MessageBoxSink.h"
#include "gui/common/SplashForm.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TMsgIcon)
Q_DECLARE_METATYPE(TMsgButtons)
Q_DECLARE_METATYPE(TMsgResult)

class TestSmallWindows : public QObject
{
    Q_OBJECT

private slots:
    void aboutBoxTexts()
    {
        TAboutForm form;
        form.SetProduct(u"院校子系统"_s, u"2012"_s, u"V6.1 [组员使用]"_s);
        QCOMPARE(form.windowTitle(), u"关于本软件"_s);
        QCOMPARE(form.ProductNameLabel->text(), u"Velkaro\r\n院校子系统 2012 V6.1 [组员使用]"_s);
        QVERIFY(form.ProductNameLabel->font().bold());
        QVERIFY(form.CopyrightLabel->text().contains(u"2012"_s));
        QCOMPARE(form.OKBtn->text(), u"确定"_s);

        QTimer::singleShot(0, [] {
            auto *box = qobject_cast<TAboutForm *>(QApplication::activeModalWidget());
            QVERIFY(box);
            QVERIFY(box->ProductNameLabel->text().endsWith(u"学院 2013 V7"_s));
            QTest::mouseClick(box->OKBtn, Qt::LeftButton);
        });
        ExecuteAbout(u"学院"_s, u"2013"_s, u"V7"_s);
    }

    void splashHidesItselfAfterThreeSeconds()
    {
        QElapsedTimer clock;
        clock.start();
        TSplashForm splash;
        QVERIFY(splash.isVisible()); // shown at once
        QCOMPARE(splash.windowTitle(), u"启动院校子系统"_s);
        QCOMPARE(splash.size(), QSize(500, 350));
        QCOMPARE(splash.Timer->interval(), 3000);
        QVERIFY(splash.windowFlags() & Qt::WindowStaysOnTopHint);
        const QPoint centre = QGuiApplication::primaryScreen()->geometry().center();
        QVERIFY((splash.geometry().center() - centre).manhattanLength() <= 2);
        QTRY_VERIFY_WITH_TIMEOUT(!splash.isVisible(), 30000);
        QVERIFY(clock.elapsed() >= 2990);
        QVERIFY(!splash.Timer->isActive());
    }

    void animationWindowAtTheTopRight()
    {
        TAnimateForm form;
        QCOMPARE(form.size(), QSize(387, 53));
        const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
        QCOMPARE(form.pos(), QPoint(screenWidth - 387 - 150, 0));
        QCOMPARE(form.palette().color(QPalette::Window), QColor(Qt::white));
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);

        form.ShowAnim(u"登录系统"_s, u"正在登录招生组长的服务器，请稍候。"_s);
        QVERIFY(form.isVisible());
        QVERIFY(!form.isModal());
        QCOMPARE(form.windowTitle(), u"登录系统"_s);
        QCOMPARE(form.MsgLabel->text(), u"正在登录招生组长的服务器，请稍候。"_s);
        QVERIFY(form.Animate->IsPlaying());
        QTRY_VERIFY(form.Animate->Frame() != 0); // it moves on
        form.StopAnim();
        QVERIFY(!form.isVisible());
        QVERIFY(!form.Animate->IsPlaying());
    }

    void messageBoxes_data()
    {
        QTest::addColumn<TMsgIcon>("icon");
        QTest::addColumn<TMsgButtons>("buttons");
        QTest::addColumn<int>("press"); // QMessageBox::StandardButton, 0 for Esc
        QTest::addColumn<QMessageBox::Icon>("boxIcon");
        QTest::addColumn<TMsgResult>("result");

        QTest::newRow("information ok") << TMsgIcon::Information << TMsgButtons::Ok << int(QMessageBox::Ok)
                                        << QMessageBox::Information << TMsgResult::Ok;
        QTest::newRow("warning esc") << TMsgIcon::Warning << TMsgButtons::Ok << 0 << QMessageBox::Warning
                                     << TMsgResult::Ok;
        QTest::newRow("error") << TMsgIcon::Error << TMsgButtons::Ok << int(QMessageBox::Ok)
                               << QMessageBox::Critical << TMsgResult::Ok;
        QTest::newRow("question yes") << TMsgIcon::Question << TMsgButtons::YesNo << int(QMessageBox::Yes)
                                      << QMessageBox::Question << TMsgResult::Yes;
        QTest::newRow("question esc is no")
            << TMsgIcon::Question << TMsgButtons::YesNo << 0 << QMessageBox::Question << TMsgResult::No;
        QTest::newRow("cancel") << TMsgIcon::Warning << TMsgButtons::OkCancel << int(QMessageBox::Cancel)
                                << QMessageBox::Warning << TMsgResult::Cancel;
        QTest::newRow("three buttons esc") << TMsgIcon::Question << TMsgButtons::YesNoCancel << 0
                                           << QMessageBox::Question << TMsgResult::Cancel;
    }

    void messageBoxes()
    {
        QFETCH(TMsgIcon, icon);
        QFETCH(TMsgButtons, buttons);
        QFETCH(int, press);
        QFETCH(QMessageBox::Icon, boxIcon);
        QFETCH(TMsgResult, result);

        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            seen = true;
            QCOMPARE(box->windowTitle(), u"打开投档单"_s);
            QCOMPARE(box->text(), u"打开投档单第 3 步出错:\n磁盘已满"_s);
            QCOMPARE(box->icon(), boxIcon);
            if (press == 0)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(QMessageBox::StandardButton(press))->click();
        });
        TMessageBoxSink sink;
        QCOMPARE(sink.ShowMessage(u"打开投档单第 3 步出错:\r\n磁盘已满"_s, u"打开投档单"_s, icon, buttons),
                 result);
        QVERIFY(seen);
    }
};

QTEST_MAIN(TestSmallWindows)
#include "tst_SmallWindows.moc"
