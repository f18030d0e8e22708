// The application object: its name, Qt's Chinese translation, and errors that reach the
// event loop shown without ending the program.
#include "gui/common/GuiApplication.h"
#include "store/ZKError.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

// An object whose events fail the way an operation of the program fails.
class TThrower : public QObject
{
public:
    bool Standard = false;
    int Handled = 0;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++Handled;
        if (Standard)
            throw std::runtime_error("disk full");
        throw EZKError(u"打开投档单第 2 步出错:\r\n表不存在"_s);
    }
};

struct TSeenBox
{
    QString Text;
    QString Title;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QString OkText;
};

// Closes the next message box once it shows and remembers what it said.
void CloseNextBox(TSeenBox &seen)
{
    auto *poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, &seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->stop();
        poll->deleteLater();
        seen.Text = box->text();
        seen.Title = box->windowTitle();
        seen.Icon = box->icon();
        seen.OkText = box->button(QMessageBox::Ok)->text();
        box->button(QMessageBox::Ok)->click();
    });
    poll->start();
}

} // namespace

class TestZKApplication : public QObject
{
    Q_OBJECT

private slots:
    void nameAndTranslation()
    {
        QCOMPARE(QCoreApplication::applicationName(), u"zelkinc"_s);
        auto *app = qobject_cast<TZKApplication *>(qApp);
        QVERIFY(app);
        QVERIFY(app->QtTranslationLoaded());
        QMessageBox box(QMessageBox::Information, u"标题"_s, u"文字"_s,
                        QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Ok)->text(), u"确定"_s);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), u"取消"_s);
    }

    void errorsReachingTheLoopAreShownAndTheProgramGoesOn()
    {
        QWidget window;
        window.setWindowTitle(u"Velkaro - 院校子系统"_s);
        window.show();
        QApplication::setActiveWindow(&window);
        TThrower thrower;

        TSeenBox seen;
        CloseNextBox(seen);
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QTRY_COMPARE(thrower.Handled, 1);
        QTRY_COMPARE(seen.Icon, QMessageBox::Critical);
        QCOMPARE(seen.Text, u"打开投档单第 2 步出错:\n表不存在"_s);
        QCOMPARE(seen.Title, u"Velkaro - 院校子系统"_s);
        QCOMPARE(seen.OkText, u"确定"_s);

        TSeenBox standard;
        CloseNextBox(standard);
        thrower.Standard = true;
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QTRY_COMPARE(standard.Text, u"disk full"_s);
        QCOMPARE(standard.Icon, QMessageBox::Critical);
        QCOMPARE(thrower.Handled, 2);

        // The loop still runs.
        bool later = false;
        QTimer::singleShot(0, [&] { later = true; });
        QTRY_VERIFY(later);
    }
};

int main(int argc, char **argv)
{
    TZKApplication app(argc, argv);
    TestZKApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ZKApplication.moc"
