#include "gui/common/AboutForm.h"

// Being built.
void ExecuteAbout(const QString &, const QString &, const QString &, QWidget *) {}
