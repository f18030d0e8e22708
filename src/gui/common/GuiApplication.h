#pragma once

#include <QApplication>

// The client's application object: Qt's own Chinese translation loaded, and an exception
// that reaches the event loop shown as an error message while the program goes on.
class TZKApplication : public QApplication
{
    Q_OBJECT
public:
    TZKApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
