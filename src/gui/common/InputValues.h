#pragma once

#include <QList>
#include <QString>
#include <QVariant>

class QDialog;
class QIcon;
class QWidget;

enum class TZKInputValueType { nivtEdit, nivtMemo, nivtSpinEdit };

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

// Builds the dialog without showing it (callers with their own button handling).
QDialog *CreateInputValuesForm(const QString &caption, const QString &message, const QList<TZKInputValueRec> &values,
                               const QIcon *icon, int helpTopic, QWidget *parent = nullptr);
// Shows the dialog modally; on OK copies every control's value back into its record.
bool ExecuteInputValues(const QString &caption, const QString &message, QList<TZKInputValueRec> &values,
                        const QIcon *icon, int helpTopic, QWidget *parent = nullptr);
// One one-line edit; on OK the entered text goes to value.
bool InputValue(const QString &caption, const QString &message, const QString &prompt, const QIcon *icon,
                bool isPassword, int maxLength, int helpTopic, QString &value, QWidget *parent = nullptr);
// Copy values into the dialog's controls or out of them, in order.
void SetValues(QDialog *form, const QList<TZKInputValueRec> &values);
void GetValues(QDialog *form, QList<TZKInputValueRec> &values);
