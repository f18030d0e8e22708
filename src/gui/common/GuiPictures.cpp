#include "gui/common/GuiPictures.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

using namespace Qt::StringLiterals;

static void InitResourcesOnce()
{
    Q_INIT_RESOURCE(gui_common_pictures);
}

void InitGuiCommonResources()
{
    static const bool done = [] {
        InitResourcesOnce();
        return true;
    }();
    Q_UNUSED(done);
}

QString GuiPicturePath(const QString &name)
{
    return u":/zk/common/pictures/"_s + name + u".svg"_s;
}

static QSvgRenderer &Renderer(const QString &name)
{
    InitGuiCommonResources();
    // Renderers are kept: the pictures are small and painted often (busy indicator, bands).
    static QHash<QString, QSvgRenderer *> renderers;
    QSvgRenderer *&renderer = renderers[name];
    if (!renderer)
        renderer = new QSvgRenderer(GuiPicturePath(name));
    return *renderer;
}

void PaintGuiPicture(QPainter &painter, const QString &name, const QRectF &target)
{
    Renderer(name).render(&painter, target);
}

QPixmap GuiPicturePixmap(const QString &name, const QSize &size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintGuiPicture(painter, name, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}
