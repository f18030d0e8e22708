#pragma once

#include <QString>

class QWidget;

// The about box "关于本软件": "Velkaro\r\n<product> <year> <version>" and the ownership notice.
void ExecuteAbout(const QString &productName, const QString &yearVer, const QString &digitalVer,
                  QWidget *parent = nullptr);
