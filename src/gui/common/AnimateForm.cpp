#include "gui/common/AnimateForm.h"

// Being built: the window shows nothing yet.
TAnimateForm::TAnimateForm(QWidget *parent)
    : QWidget(parent)
{}
void TAnimateForm::ShowAnim(const QString &, const QString &) {}
void TAnimateForm::StopAnim() {}
