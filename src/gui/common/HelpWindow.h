#pragma once

#include <QWidget>

class QPushButton;
class QTextBrowser;

// The help window: the help pages of the program folder in a page view, with the
// buttons "目录和索引", "后退", "前进" and "关闭".
class THelpWindow : public QWidget
{
    Q_OBJECT
public:
    explicit THelpWindow(QWidget *owner = nullptr);

    // Shows a topic's section; a missing page shows a notice instead.
    void ShowTopic(int topic);

    QTextBrowser *Browser = nullptr;
    QPushButton *ContentsBtn = nullptr;
    QPushButton *BackBtn = nullptr;
    QPushButton *ForwardBtn = nullptr;
    QPushButton *CloseBtn = nullptr;
};
