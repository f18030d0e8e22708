#pragma once

#include <QApplication>
#include <QString>

class QTranslator;

// The client's application object: the application name "zelkinc", Qt's own Chinese
// translation loaded (standard buttons read "确定", "取消"), the window font as default,
// and an exception that reaches the event loop shown as an error message while the
// program goes on.
class TZKApplication : public QApplication
{
    Q_OBJECT
public:
    TZKApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // The general error display: the text with the error icon, captioned with the active
    // window's caption.
    void ShowException(const QString &message);

    // Whether Qt's Chinese translation was found and installed.
    bool QtTranslationLoaded() const { return FQtTranslationLoaded; }

private:
    QTranslator *FQtTranslator;
    bool FQtTranslationLoaded = false;
};
