#pragma once

#include <QString>
#include <QStringList>

class TMainDM;

// What the status dialog ("修改预录取状态") shows for one call: its four candidate labels,
// the captions and choice of the two radio buttons, the return reasons and the remark.
struct TChangeLQZTValues
{
    QString KSHLabel; // "考生号: " + number, or empty for several candidates
    QString XMLabel;
    QString ScoreLabel;
    QString ZydpLabel;
    QString LQRadioCaption;
    // One candidate: the pre-admit radio sits 24 pixels below ScoreLabel; several: it moves
    // to the top of KSHLabel. The pre-return radio is 24 pixels below it, the reason group
    // at the top of the pre-return radio, the client height the group's bottom + 16.
    bool LQRadioAtLabels = true;
    bool TDRadioChecked = false; // else the pre-admit radio is checked; the checked one has the focus
    QStringList TDYYLines;       // TDYYDM + " " + TDYYMC per return reason, in code-table order
    int TDYYIndex = 0;           // the selected reason line
    QString Remark;              // at most 254 characters are taken
};

// The user's answer.
struct TChangeLQZTAnswer
{
    bool Accepted = false; // OK; false for Cancel
    bool PreAdmit = true;  // the pre-admit radio was chosen; false: pre-return
    int TDYYIndex = 0;     // the chosen reason line
    QString Remark;
};

// The dialog's widgets. Show runs the dialog modally with the prepared values (the
// pre-admit radio disables the reason list and makes the remark read-only, the pre-return
// radio enables both) and returns the answer.
class IChangeLQZTDialog
{
public:
    virtual ~IChangeLQZTDialog() = default;
    virtual TChangeLQZTAnswer Show(const TChangeLQZTValues &values) = 0;
};

// The status dialog's logic: prepares the dialog for the grid's selected candidates,
// shows it, and applies the decision to every selected candidate in one walk.
class TChangeLQZTForm
{
public:
    TChangeLQZTForm(TMainDM &dm, IChangeLQZTDialog &dialog)
        : FDm(dm)
        , FDialog(dialog)
    {}

    // The whole decision for the currently selected grid rows.
    void Execute();
    // The values the dialog shows for the selected candidates (SelectedKsList).
    TChangeLQZTValues PrepareValues() const;

private:
    QString StoredRemark(const QString &ksh) const;

    TMainDM &FDm;
    IChangeLQZTDialog &FDialog;
};
