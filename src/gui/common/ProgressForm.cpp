#include "gui/common/ProgressForm.h"

// Being built: the window shows nothing yet.
TProgressForm::TProgressForm(QWidget *parent)
    : QDialog(parent)
{}
void TProgressForm::ShowProgress(const QString &, const QString &, int, int, int) {}
void TProgressForm::UpdateProgressTrans() {}
void TProgressForm::HideProgress() {}
bool TProgressForm::IsProgressShowing() const { return false; }
