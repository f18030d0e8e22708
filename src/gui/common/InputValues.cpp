#include "gui/common/InputValues.h"

#include <QDialog>

// Being built: the dialog is empty and always cancelled.
QDialog *CreateInputValuesForm(const QString &, const QString &, const QList<TZKInputValueRec> &, const QIcon *,
                               int, QWidget *parent)
{
    return new QDialog(parent);
}
bool ExecuteInputValues(const QString &, const QString &, QList<TZKInputValueRec> &, const QIcon *, int, QWidget *)
{
    return false;
}
bool InputValue(const QString &, const QString &, const QString &, const QIcon *, bool, int, int, QString &, QWidget *)
{
    return false;
}
void SetValues(QDialog *, const QList<TZKInputValueRec> &) {}
void GetValues(QDialog *, QList<TZKInputValueRec> &) {}
