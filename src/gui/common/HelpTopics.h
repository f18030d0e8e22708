#pragma once

class QTextBrowser;
class QWidget;

// Shows a numbered help topic (login 4020, reconnect 14010 …; ZKHelp in HelpTopicList.h)
// in the help window; 0 and 10 show the contents page "目录和索引". Every window's help
// button, F1 and the help commands call it. The help window is usable beside a modal
// dialog: it belongs to the window that asked for it.
void ShowHelpTopic(int topic, QWidget *parent = nullptr);

// Makes F1 in a window (and its children) show the window's help topic.
void SetWindowHelpTopic(QWidget *window, int topic);

// Names the help topic of a part of a window (the docked major panel): the window's F1
// shows it while the focus is inside that part (HelpTopicAt).
void SetPartHelpTopic(QWidget *part, int topic);
// The topic of the innermost part around widget (itself included) that names one, else
// fallback.
int HelpTopicAt(const QWidget *widget, int fallback);

// The help window's page view while the window exists (tests look at it), else null.
QTextBrowser *HelpBrowser();
