#pragma once

class QWidget;

// Shows a numbered help topic (login 4020, reconnect 14010 …) in the help window; 0
// shows the contents page. Every window's help button, F1 and the help commands call it.
void ShowHelpTopic(int topic, QWidget *parent = nullptr);
