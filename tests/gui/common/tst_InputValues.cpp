// The value-input dialog: its layout rules, its three kinds of values and the routines
// that run it.
#include "gui/common/InputValues.h"

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

TZKInputValueRec Edit(const QString &prompt, const QString &value, int maxLength = 0, bool password = false)
{
    TZKInputValueRec r;
    r.Prompt = prompt;
    r.Value = value;
    r.MaxLength = maxLength;
    r.IsPassword = password;
    return r;
}

TZKInputValueRec Memo(const QString &prompt, const QString &value, int height, int maxLength = 0)
{
    TZKInputValueRec r = Edit(prompt, value, maxLength);
    r.ValueType = TZKInputValueType::nivtMemo;
    r.Height = height;
    return r;
}

TZKInputValueRec Spin(const QString &prompt, int value, int min, int max, int step)
{
    TZKInputValueRec r;
    r.Prompt = prompt;
    r.ValueType = TZKInputValueType::nivtSpinEdit;
    r.Value = value;
    r.MinValue = min;
    r.MaxValue = max;
    r.Increment = step;
    return r;
}

// Runs `act` on the value-input dialog once it shows modally.
void WhenShown(std::function<void(TZKInputValuesForm *)> act)
{
    QTimer::singleShot(0, [act] {
        auto *form = qobject_cast<TZKInputValuesForm *>(QApplication::activeModalWidget());
        QVERIFY(form);
        act(form);
        // A failed check leaves `act` early: the dialog must still end.
        if (form->isVisible())
            form->done(QDialog::Rejected);
    });
}

QIcon SquareIcon(int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::red);
    return QIcon(pixmap);
}

} // namespace

class TestInputValues : public QObject
{
    Q_OBJECT

private slots:
    void layoutWithoutIcon()
    {
        const QList<TZKInputValueRec> values{Edit(u"招生组长服务器地址:"_s, u"127.0.0.1"_s, 128),
                                             Memo(u"备注:"_s, u"第一行"_s, 60),
                                             Spin(u"周期:"_s, 10, 2, 9999, 1)};
        std::unique_ptr<QDialog> dialog(
            CreateInputValuesForm(u"修改服务器地址"_s, u"请修改服务器的地址。"_s, values, nullptr, 4030));
        auto *form = qobject_cast<TZKInputValuesForm *>(dialog.get());
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), u"修改服务器地址"_s);
        QCOMPARE(form->HelpTopic, 4030);
        QVERIFY(!form->IconImage->isVisibleTo(form));
        QCOMPARE(form->MsgLabel->x(), 16);
        const int band = form->BgImage->height();
        QVERIFY(band >= 32);
        QVERIFY(band >= form->MsgLabel->height() + 7);
        QCOMPARE(form->BgImage->width(), form->width());

        QCOMPARE(form->EditArray.size(), 3);
        int y = band + 16;
        const int steps[] = {48, 24 + 60, 48};
        for (int i = 0; i < 3; ++i) {
            QLabel *label = form->PromptLabels[i];
            QWidget *control = form->EditArray[i];
            QCOMPARE(label->pos(), QPoint(16, y));
            QCOMPARE(label->buddy(), control);
            QCOMPARE(control->geometry().topLeft(), QPoint(16, y + 16));
            QCOMPARE(control->width(), form->width() - 32);
            y += steps[i];
        }
        QCOMPARE(form->EditArray[1]->height(), 60);
        QCOMPARE(form->height(), y + 48);
        // The buttons sit at the bottom.
        for (QPushButton *b : {form->OKBtn, form->CancelBtn, form->HelpBtn})
            QVERIFY(b->geometry().bottom() < form->height() && b->y() > y);
        QCOMPARE(form->OKBtn->text(), u"确定"_s);
        QCOMPARE(form->CancelBtn->text(), u"取消"_s);
        QCOMPARE(form->HelpBtn->text(), u"帮助"_s);
    }

    void layoutWithIcon()
    {
        const QIcon icon = SquareIcon(48);
        std::unique_ptr<QDialog> dialog(
            CreateInputValuesForm(u"连接到服务器"_s, u"请输入密码，以便连接到服务器。"_s,
                                  {Edit(u"密码:"_s, {}, 32, true)}, &icon, 14010));
        auto *form = static_cast<TZKInputValuesForm *>(dialog.get());
        QVERIFY(form->IconImage->isVisibleTo(form));
        QCOMPARE(form->IconImage->size(), QSize(48, 48));
        QCOMPARE(form->MsgLabel->x(), form->IconImage->x() + 48 + 5);
        // The band grows to the icon's height + 7; icon and message are centred in it.
        QCOMPARE(form->BgImage->height(), 55);
        QCOMPARE(form->IconImage->y(), (55 - 48) / 2);
        QCOMPARE(form->MsgLabel->y(), (55 - form->MsgLabel->height()) / 2);
        auto *edit = qobject_cast<QLineEdit *>(form->EditArray[0]);
        QCOMPARE(edit->echoMode(), QLineEdit::Password);
        QCOMPARE(edit->maxLength(), 32);
        QCOMPARE(form->EditArray[0]->y(), 55 + 16 + 16);
    }

    void longMessageGrowsTheBand()
    {
        const QString message = QString(u"很长的提示文字，"_s).repeated(12);
        std::unique_ptr<QDialog> dialog(
            CreateInputValuesForm(u"提示"_s, message, {Edit(u"值:"_s, {})}, nullptr, 0));
        auto *form = static_cast<TZKInputValuesForm *>(dialog.get());
        QVERIFY(form->MsgLabel->height() > 32);
        QCOMPARE(form->BgImage->height(), form->MsgLabel->height() + 7);
        QCOMPARE(form->MsgLabel->width(), form->width() - 16 - 16);
    }

    void okCopiesEveryValueBack()
    {
        QList<TZKInputValueRec> values{Edit(u"地址:"_s, u"old"_s, 5), Memo(u"备注:"_s, u"a"_s, 40, 6),
                                       Spin(u"端口:"_s, 7, 0, 100, 5)};
        WhenShown([](TZKInputValuesForm *form) {
            auto *edit = qobject_cast<QLineEdit *>(form->EditArray[0]);
            edit->clear();
            QTest::keyClicks(edit, u"1234567"_s); // at most 5 characters
            auto *memo = qobject_cast<QPlainTextEdit *>(form->EditArray[1]);
            memo->setPlainText(u"一二三四五六七八"_s); // at most 6
            auto *spin = qobject_cast<QSpinBox *>(form->EditArray[2]);
            QCOMPARE(spin->singleStep(), 5);
            spin->stepUp();
            QTest::mouseClick(form->OKBtn, Qt::LeftButton);
        });
        QVERIFY(ExecuteInputValues(u"设置"_s, u"请输入。"_s, values, nullptr, 0));
        QCOMPARE(values[0].Value, QVariant(u"12345"_s));
        QCOMPARE(values[1].Value, QVariant(u"一二三四五六"_s));
        QCOMPARE(values[2].Value, QVariant(12));
        QCOMPARE(values[2].Value.typeId(), QMetaType::Int);
    }

    void cancelLeavesTheValues()
    {
        QList<TZKInputValueRec> values{Edit(u"地址:"_s, u"old"_s), Spin(u"端口:"_s, 7, 0, 100, 1)};
        WhenShown([](TZKInputValuesForm *form) {
            qobject_cast<QLineEdit *>(form->EditArray[0])->setText(u"new"_s);
            QTest::mouseClick(form->CancelBtn, Qt::LeftButton);
        });
        QVERIFY(!ExecuteInputValues(u"设置"_s, {}, values, nullptr, 0));
        QCOMPARE(values[0].Value, QVariant(u"old"_s));
        QCOMPARE(values[1].Value, QVariant(7));

        QString value = u"2012"_s;
        WhenShown([](TZKInputValuesForm *form) {
            qobject_cast<QLineEdit *>(form->EditArray[0])->setText(u"20120001"_s);
            form->reject();
        });
        QVERIFY(!InputValue(u"查找考生"_s, u"请输入要查询的考生的考生号。"_s, u"考生号:"_s, nullptr, false, 0,
                            11210, value));
        QCOMPARE(value, u"2012"_s);
    }

    void inputValueTakesTheText()
    {
        QString value = u"2012"_s;
        WhenShown([](TZKInputValuesForm *form) {
            QCOMPARE(form->windowTitle(), u"查找考生"_s);
            QCOMPARE(form->PromptLabels[0]->text(), u"考生号:"_s);
            auto *edit = qobject_cast<QLineEdit *>(form->EditArray[0]);
            QCOMPARE(edit->text(), u"2012"_s);
            QCOMPARE(edit->echoMode(), QLineEdit::Normal);
            QTest::keyClick(edit, Qt::Key_End);
            QTest::keyClicks(edit, u"0001"_s);
            QTest::keyClick(edit, Qt::Key_Return); // "确定" is the default button
        });
        QVERIFY(InputValue(u"查找考生"_s, u"请输入要查询的考生的考生号。"_s, u"考生号:"_s, nullptr, false, 0,
                           11210, value));
        QCOMPARE(value, u"20120001"_s);
    }

    void setAndGetValuesInOrder()
    {
        QList<TZKInputValueRec> values{Edit(u"一:"_s, u"a"_s), Memo(u"二:"_s, u"b"_s, 30),
                                       Spin(u"三:"_s, 1, 0, 9, 1)};
        std::unique_ptr<QDialog> dialog(CreateInputValuesForm(u"值"_s, {}, values, nullptr, 0));
        SetValues(dialog.get(), {Edit({}, u"x"_s), Memo({}, u"y\nz"_s, 30), Spin({}, 8, 0, 9, 1)});
        GetValues(dialog.get(), values);
        QCOMPARE(values[0].Value, QVariant(u"x"_s));
        QCOMPARE(values[1].Value, QVariant(u"y\nz"_s));
        QCOMPARE(values[2].Value, QVariant(8));
        // A number outside the box's bounds is held to them.
        SetValues(dialog.get(), {Edit({}, u"x"_s), Memo({}, {}, 30), Spin({}, 42, 0, 9, 1)});
        GetValues(dialog.get(), values);
        QCOMPARE(values[2].Value, QVariant(9));
    }

    void closingCanBeRefused()
    {
        std::unique_ptr<QDialog> dialog(
            CreateInputValuesForm(u"连接到服务器"_s, {}, {Edit(u"密码:"_s, {})}, nullptr, 0));
        auto *form = static_cast<TZKInputValuesForm *>(dialog.get());
        bool idle = false;
        form->CanClose = [&] { return idle; };
        form->show();
        form->reject();
        QVERIFY(form->isVisible());
        QVERIFY(!form->close());
        idle = true;
        form->reject();
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(TestInputValues)
#include "tst_InputValues.moc"
