#pragma once

#include "gui/common/HelpTopicList.h"
#include "gui/options/MemberOptions.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTabWidget;
class TDualListViewFrame;
class TMainDM;
class TMemberNetDM;

// The options dialog "选项": the page "显示投档单" with the shown-field frame, the code
// display and the unpacking of attachments, and the page "网络通信" with the query
// periods and the automatic photo download.
class TMemberOptionsForm : public QDialog
{
    Q_OBJECT
public:
    TMemberOptionsForm(TMainDM &dm, TMemberNetDM &net, QWidget *parent = nullptr);

    // The main window's command: creates the dialog, runs it and frees it. Errors while
    // loading or storing pass on (EZKError) to the general error display.
    static bool Execute(TMainDM &dm, TMemberNetDM &net, QWidget *parent);

    // Loads, shows the dialog modally and applies it; true when closed with "确定".
    bool Execute();
    // Fills the controls from T_YXZT and the program-wide flags, and the frame.
    void LoadOptions();
    // What "确定" does: stores the options (restarting the query timer when a period
    // changed), stores the field order and reopens the set when it changed, or repaints
    // the grid when only the code display changed.
    void Apply();

    TMemberOptionsValues Values() const;
    void SetValues(const TMemberOptionsValues &values);

    // The grid must be repainted because the code display changed.
    bool RefreshTDDNeeded = false;

    QTabWidget *PageControl = nullptr;
    TDualListViewFrame *DualListFrame = nullptr;
    QCheckBox *ShowCodesCheck = nullptr;
    QCheckBox *AutoUnpackCheck = nullptr;
    QCheckBox *LetterQueryCheck = nullptr;
    QSpinBox *LetterPeriodEdit = nullptr;
    QCheckBox *DossierQueryCheck = nullptr;
    QSpinBox *DossierPeriodEdit = nullptr;
    QCheckBox *AutoPhotoCheck = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;
    QPushButton *HelpBtn = nullptr;

    static constexpr int HelpTopic = ZKHelp::Options;

private:
    QWidget *CreateFieldPage();
    QWidget *CreateNetworkPage();
    QWidget *CreatePeriodRow(QCheckBox *&check, QSpinBox *&edit, const QString &caption, const QString &name);

    TMainDM &FDm;
    TMemberNetDM &FNet;
};
