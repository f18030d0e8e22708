#include "gui/common/InputValues.h"

#include "gui/common/GuiMetrics.h"
#include "gui/common/GuiPictures.h"
#include "gui/common/HelpTopics.h"

#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int ClientWidth = 400; // at 96 dpi
constexpr int BandStartHeight = 32;

// The header band: the band picture stretched over the widget.
class THeaderBand : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        PaintGuiPicture(painter, u"header"_s, QRectF(rect()));
    }
};

// A memo that takes at most MaxLength characters (0: any number).
void LimitMemo(QPlainTextEdit *memo, int maxLength)
{
    if (maxLength <= 0)
        return;
    QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [memo, maxLength] {
        const QString text = memo->toPlainText();
        if (text.size() <= maxLength)
            return;
        QTextCursor cursor = memo->textCursor();
        const int position = std::min<int>(cursor.position(), maxLength);
        memo->setPlainText(text.left(maxLength));
        cursor = memo->textCursor();
        cursor.setPosition(position);
        memo->setTextCursor(cursor);
    });
}

QWidget *CreateControl(TZKInputValuesForm *form, const TZKInputValueRec &rec)
{
    switch (rec.ValueType) {
    case TZKInputValueType::nivtMemo: {
        auto *memo = new QPlainTextEdit(form);
        LimitMemo(memo, rec.MaxLength);
        memo->setPlainText(rec.Value.toString());
        memo->setTabChangesFocus(true);
        return memo;
    }
    case TZKInputValueType::nivtSpinEdit: {
        auto *spin = new QSpinBox(form);
        spin->setRange(rec.MinValue, rec.MaxValue);
        spin->setSingleStep(rec.Increment);
        spin->setValue(rec.Value.toInt());
        return spin;
    }
    case TZKInputValueType::nivtEdit:
        break;
    }
    auto *edit = new QLineEdit(form);
    if (rec.MaxLength > 0)
        edit->setMaxLength(rec.MaxLength);
    if (rec.IsPassword) {
        edit->setEchoMode(QLineEdit::Password);
        edit->setStyleSheet(u"QLineEdit { lineedit-password-character: 42; }"_s);
    }
    edit->setText(rec.Value.toString());
    return edit;
}

// The header band with icon and message (layout steps 1 and 2); returns the band's height.
int LayoutBand(TZKInputValuesForm *form, const QIcon *icon, int clientWidth)
{
    const auto s = [form](int px) { return ScaledPixels(px, form); };
    int messageLeft = s(16);
    int bandHeight = s(BandStartHeight);
    if (icon && !icon->isNull()) {
        const QList<QSize> sizes = icon->availableSizes();
        const QSize at96 = sizes.isEmpty() ? QSize(32, 32) : sizes.first();
        const QSize size(s(at96.width()), s(at96.height()));
        form->IconImage->setPixmap(icon->pixmap(size));
        form->IconImage->resize(size);
        form->IconImage->show();
        messageLeft = form->IconImage->x() + size.width() + s(5);
        bandHeight = std::max(bandHeight, size.height() + s(7));
    } else {
        form->IconImage->hide();
    }
    const int messageWidth = std::max(s(40), clientWidth - messageLeft - s(16));
    const int messageHeight = form->MsgLabel->heightForWidth(messageWidth);
    bandHeight = std::max(bandHeight, messageHeight + s(7));
    form->BgImage->setGeometry(0, 0, clientWidth, bandHeight);
    form->MsgLabel->setGeometry(messageLeft, (bandHeight - messageHeight) / 2, messageWidth, messageHeight);
    form->IconImage->move(form->IconImage->x(), (bandHeight - form->IconImage->height()) / 2);
    return bandHeight;
}

} // namespace

TZKInputValuesForm::TZKInputValuesForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
{
    setObjectName(u"ZKInputValuesForm"_s);
    ApplyWindowFont(this);
    BgImage = new THeaderBand(this);
    BgImage->setObjectName(u"BgImage"_s);
    IconImage = new QLabel(BgImage);
    IconImage->setObjectName(u"IconImage"_s);
    IconImage->move(ScaledPixels(8, this), 0);
    MsgLabel = new QLabel(BgImage);
    MsgLabel->setObjectName(u"MsgLabel"_s);
    MsgLabel->setWordWrap(true);
    QPalette white = MsgLabel->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    MsgLabel->setPalette(white);

    OKBtn = new QPushButton(u"确定"_s, this);
    OKBtn->setObjectName(u"OKBtn"_s);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(u"取消"_s, this);
    CancelBtn->setObjectName(u"CancelBtn"_s);
    HelpBtn = new QPushButton(u"帮助"_s, this);
    HelpBtn->setObjectName(u"HelpBtn"_s);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, [this] { ShowHelpTopic(HelpTopic, this); });
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, HelpBtn,
            &QPushButton::click);
}

void TZKInputValuesForm::reject()
{
    if (CanClose && !CanClose())
        return;
    QDialog::reject();
}

void TZKInputValuesForm::closeEvent(QCloseEvent *event)
{
    if (CanClose && !CanClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

QDialog *CreateInputValuesForm(const QString &caption, const QString &message,
                               const QList<TZKInputValueRec> &values, const QIcon *icon, int helpTopic,
                               QWidget *parent)
{
    auto *form = new TZKInputValuesForm(parent);
    const auto s = [form](int px) { return ScaledPixels(px, form); };
    const int clientWidth = s(ClientWidth);
    form->setWindowTitle(caption);
    form->MsgLabel->setText(message);
    form->HelpTopic = helpTopic;

    int y = LayoutBand(form, icon, clientWidth) + s(16);
    QWidget *previous = nullptr;
    for (const TZKInputValueRec &rec : values) {
        auto *label = new QLabel(rec.Prompt, form);
        label->move(s(16), y);
        label->adjustSize();
        QWidget *control = CreateControl(form, rec);
        label->setBuddy(control);
        const int controlHeight =
            rec.ValueType == TZKInputValueType::nivtMemo ? s(rec.Height) : control->sizeHint().height();
        control->setGeometry(s(16), y + s(16), clientWidth - s(32), controlHeight);
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
        form->PromptLabels.append(label);
        form->EditArray.append(control);
        y += rec.ValueType == TZKInputValueType::nivtMemo ? s(24) + controlHeight : s(48);
    }
    const int clientHeight = y + s(48);

    // The buttons sit at the bottom right, in the order OK, Cancel, Help.
    const QSize button(s(75), s(25));
    const int top = clientHeight - s(12) - button.height();
    int left = clientWidth - s(16) - 3 * button.width() - 2 * s(8);
    for (QPushButton *b : {form->OKBtn, form->CancelBtn, form->HelpBtn}) {
        b->setGeometry(QRect(QPoint(left, top), button));
        left += button.width() + s(8);
        if (previous)
            QWidget::setTabOrder(previous, b);
        previous = b;
    }
    form->setFixedSize(clientWidth, clientHeight);
    if (!form->EditArray.isEmpty())
        form->EditArray.first()->setFocus();
    return form;
}

void SetValues(QDialog *dialog, const QList<TZKInputValueRec> &values)
{
    auto *form = qobject_cast<TZKInputValuesForm *>(dialog);
    if (!form)
        return;
    const qsizetype n = std::min(values.size(), form->EditArray.size());
    for (qsizetype i = 0; i < n; ++i) {
        QWidget *control = form->EditArray[i];
        if (auto *spin = qobject_cast<QSpinBox *>(control))
            spin->setValue(values[i].Value.toInt());
        else if (auto *memo = qobject_cast<QPlainTextEdit *>(control))
            memo->setPlainText(values[i].Value.toString());
        else if (auto *edit = qobject_cast<QLineEdit *>(control))
            edit->setText(values[i].Value.toString());
    }
}

void GetValues(QDialog *dialog, QList<TZKInputValueRec> &values)
{
    auto *form = qobject_cast<TZKInputValuesForm *>(dialog);
    if (!form)
        return;
    const qsizetype n = std::min(values.size(), form->EditArray.size());
    for (qsizetype i = 0; i < n; ++i) {
        QWidget *control = form->EditArray[i];
        if (auto *spin = qobject_cast<QSpinBox *>(control))
            values[i].Value = spin->value();
        else if (auto *memo = qobject_cast<QPlainTextEdit *>(control))
            values[i].Value = memo->toPlainText();
        else if (auto *edit = qobject_cast<QLineEdit *>(control))
            values[i].Value = edit->text();
    }
}

bool ExecuteInputValues(const QString &caption, const QString &message, QList<TZKInputValueRec> &values,
                        const QIcon *icon, int helpTopic, QWidget *parent)
{
    std::unique_ptr<QDialog> dialog(CreateInputValuesForm(caption, message, values, icon, helpTopic, parent));
    auto *form = static_cast<TZKInputValuesForm *>(dialog.get());
    QObject::connect(form->OKBtn, &QPushButton::clicked, form, &QDialog::accept);
    if (dialog->exec() != QDialog::Accepted)
        return false;
    GetValues(dialog.get(), values);
    return true;
}

bool InputValue(const QString &caption, const QString &message, const QString &prompt, const QIcon *icon,
                bool isPassword, int maxLength, int helpTopic, QString &value, QWidget *parent)
{
    TZKInputValueRec rec;
    rec.Prompt = prompt;
    rec.ValueType = TZKInputValueType::nivtEdit;
    rec.Value = value;
    rec.MaxLength = maxLength;
    rec.IsPassword = isPassword;
    QList<TZKInputValueRec> values{rec};
    if (!ExecuteInputValues(caption, message, values, icon, helpTopic, parent))
        return false;
    value = values.first().Value.toString();
    return true;
}
