#pragma once

#include "store/DbValue.h"

#include <QString>

// Readings of table values shared by the templates and the workspace. The leader's tables
// carry numbers in number columns or as texts; a value that is no number takes the
// default the caller names.

// The value's text as an integer (surrounding blanks ignored); def for NULL or a text
// that is no whole number.
int IntOrDefault(const TDbValue &value, int def);
int IntOrDefault(const QString &text, int def);

// The value as a decimal number; def for NULL, a text that is no number, or NaN.
double FloatOrDefault(const TDbValue &value, double def);
