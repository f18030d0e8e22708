#include "gui/common/GuiMetrics.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

using namespace Qt::StringLiterals;

int ScreenDpi(const QWidget *widget)
{
    if (widget)
        return widget->logicalDpiY();
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInchY()) : 96;
}

int ScaledPixels(int pixelsAt96, int dpi)
{
    return (pixelsAt96 * dpi + 48) / 96;
}

int ScaledPixels(int pixelsAt96, const QWidget *widget)
{
    return ScaledPixels(pixelsAt96, ScreenDpi(widget));
}

QString WindowFontFamily()
{
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const QString &wanted : {u"微软雅黑"_s, u"Microsoft YaHei"_s, u"WenQuanYi Micro Hei"_s}) {
            if (installed.contains(wanted, Qt::CaseInsensitive))
                return wanted;
        }
        return QFont().family();
    }();
    return family;
}

void ApplyWindowFont(QWidget *window)
{
    QFont font = window->font();
    font.setFamily(WindowFontFamily());
    window->setFont(font);
}
