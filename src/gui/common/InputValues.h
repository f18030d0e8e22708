#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

class QIcon;
class QLabel;
class QPushButton;
class QWidget;

enum class TZKInputValueType
{
    nivtEdit,
    nivtMemo,
    nivtSpinEdit
};

// One value of the value-input dialog. MaxLength/MinValue and IsPassword/Height/MaxValue
// are separate fields here; each control reads only those of its type.
struct TZKInputValueRec
{
    QString Prompt;
    TZKInputValueType ValueType = TZKInputValueType::nivtEdit;
    QVariant Value;
    int MaxLength = 0; // edit and memo; 0 = unlimited
    bool IsPassword = false;
    int Height = 0; // memo, at 96 dpi
    int MinValue = 0, MaxValue = 0, Increment = 1;
};

// The value-input dialog: a header band with an optional icon and a white message, one
// labelled control per value, and "确定", "取消", "帮助" at the bottom. "取消" ends it with
// Cancel and "帮助" shows its help topic; "确定" is wired by ExecuteInputValues, or by a
// caller of CreateInputValuesForm that handles it itself.
class TZKInputValuesForm : public QDialog
{
    Q_OBJECT
public:
    explicit TZKInputValuesForm(QWidget *parent = nullptr);

    // While set, closing the dialog (the window's close button, Esc, "取消") is refused
    // unless it answers true.
    std::function<bool()> CanClose;

    QWidget *BgImage = nullptr;
    QLabel *IconImage = nullptr;
    QLabel *MsgLabel = nullptr;
    QList<QWidget *> EditArray; // QLineEdit, QPlainTextEdit or QSpinBox, in order
    QList<QLabel *> PromptLabels;
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;
    QPushButton *HelpBtn = nullptr;
    int HelpTopic = 0;

    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
};

// Builds the dialog without showing it (callers with their own button handling); the
// caller owns it. The returned dialog is a TZKInputValuesForm.
QDialog *CreateInputValuesForm(const QString &caption, const QString &message,
                               const QList<TZKInputValueRec> &values, const QIcon *icon, int helpTopic,
                               QWidget *parent = nullptr);
// Shows the dialog modally; on OK copies every control's value back into its record.
bool ExecuteInputValues(const QString &caption, const QString &message, QList<TZKInputValueRec> &values,
                        const QIcon *icon, int helpTopic, QWidget *parent = nullptr);
// One one-line edit; on OK the entered text goes to value.
bool InputValue(const QString &caption, const QString &message, const QString &prompt, const QIcon *icon,
                bool isPassword, int maxLength, int helpTopic, QString &value, QWidget *parent = nullptr);
// Copy values into the dialog's controls or out of them, in order.
void SetValues(QDialog *form, const QList<TZKInputValueRec> &values);
void GetValues(QDialog *form, QList<TZKInputValueRec> &values);
