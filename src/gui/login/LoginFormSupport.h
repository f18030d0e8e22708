#pragma once

// What the parts of the login dialog share: its fixed texts and the placing of controls
// at the designed 96-dpi positions.

#include "store/Recordset.h"

#include <QString>
#include <QVariantList>

class QLabel;
class QWidget;

namespace LoginFormParts {

inline const QString FormCaption = QStringLiteral("登录系统");
inline const QString OfflineCaption = QStringLiteral("脱机登录");
inline const QString StateTableError =
    QStringLiteral("启动系统时读取 T_YXZT.DB 出错。请尝试再次运行本系统, \r\n必要时可重新启动计算机。");

// A label at a designed position, naming its buddy for screen readers.
QLabel *AddLabel(const QString &text, QWidget *parent, int left, int top, QWidget *buddy = nullptr);
// Sets a control's geometry from its designed position and size.
void Place(QWidget *widget, int left, int top, int width, int height);
// The text of a field of the province list, empty when the list has no such field.
QString FieldText(TRecordset &set, const char16_t *name);
// The result code of a connect task's output (element 0); lrNotDone when it has none.
int ResultCodeOf(const QVariantList &out);

} // namespace LoginFormParts
