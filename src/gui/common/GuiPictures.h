#pragma once

#include <QPixmap>
#include <QString>

class QPainter;
class QRectF;

// Registers the pictures compiled into this library (a static library needs it once
// before the first picture is loaded; later calls cost nothing).
void InitGuiCommonResources();

// The resource path of a picture of this library: "header" → ":/zk/common/pictures/header.svg".
QString GuiPicturePath(const QString &name);

// Paints a picture stretched over a rectangle.
void PaintGuiPicture(QPainter &painter, const QString &name, const QRectF &target);

// A picture rendered at a size in device pixels (for icons and labels).
QPixmap GuiPicturePixmap(const QString &name, const QSize &size);
