#include "gui/common/SplashForm.h"

// Being built.
TSplashForm::TSplashForm(QWidget *parent)
    : QWidget(parent)
{}
