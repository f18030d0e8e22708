#include "gui/common/HelpTopics.h"

// The help window comes with the help pages; until then a topic shows nothing.
void ShowHelpTopic(int, QWidget *) {}
