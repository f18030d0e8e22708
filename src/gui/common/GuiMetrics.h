#pragma once

#include <QString>

class QWidget;

// Sizes in the program are designed at 96 dots per inch; these turn them into pixels of
// the screen a widget is on (the primary screen when there is no widget).
int ScreenDpi(const QWidget *widget = nullptr);
int ScaledPixels(int pixelsAt96, const QWidget *widget = nullptr);
int ScaledPixels(int pixelsAt96, int dpi);

// The window font: "微软雅黑" when it is installed, otherwise the installed CJK font.
QString WindowFontFamily();
// Switches a window (and its children, which inherit it) to the window font, keeping
// its point size.
void ApplyWindowFont(QWidget *window);
