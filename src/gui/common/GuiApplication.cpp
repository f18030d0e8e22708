#include "gui/common/GuiApplication.h"

#include "gui/common/GuiMetrics.h"
#include "gui/common/GuiPictures.h"
#include "gui/common/MessageBoxSink.h"
#include "store/ZKError.h"

#include <QLibraryInfo>
#include <QTranslator>
#include <QWidget>
#include <exception>

using namespace Qt::StringLiterals;

TZKApplication::TZKApplication(int &argc, char **argv)
    : QApplication(argc, argv)
    , FQtTranslator(new QTranslator(this))
{
    setApplicationName(u"zelkinc"_s);
    InitGuiCommonResources();
    if (FQtTranslator->load(u"qtbase_zh_CN"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        FQtTranslationLoaded = installTranslator(FQtTranslator);
    QFont font = QApplication::font();
    font.setFamily(WindowFontFamily());
    QApplication::setFont(font);
}

bool TZKApplication::notify(QObject *receiver, QEvent *event)
{
    // An error that nothing caught ends the event it came from, never the program.
    try {
        return QApplication::notify(receiver, event);
    } catch (const EZKError &e) {
        ShowException(e.Message());
    } catch (const std::exception &e) {
        ShowException(QString::fromUtf8(e.what()));
    }
    return false;
}

void TZKApplication::ShowException(const QString &message)
{
    QWidget *window = activeWindow();
    const QString caption =
        window && !window->windowTitle().isEmpty() ? window->windowTitle() : u"院校子系统"_s;
    TMessageBoxSink(window).ShowMessage(message, caption, TMsgIcon::Error);
}
