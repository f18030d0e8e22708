#pragma once

#include "gui/options/ShownFieldLists.h"

#include <QListWidget>
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class TDualListViewFrame;
class TMainDM;

// One list of the frame. Drags carry the frame and the list they come from; the frame
// decides what a drop does.
class TFieldListWidget : public QListWidget
{
    Q_OBJECT
public:
    TFieldListWidget(TDualListViewFrame *frame, TShownFieldLists::TSide side, QWidget *parent);

    // The drag format: the frame's identity and the source list.
    static QString MimeType();
    QByteArray DragData() const;

    TShownFieldLists::TSide Side() const { return FSide; }

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool SourceOf(const QMimeData *mime, TShownFieldLists::TSide &side) const;

    TDualListViewFrame *FFrame;
    TShownFieldLists::TSide FSide;
};

// The shown-field selection: hidden fields on the left, shown fields in grid order on the
// right, add and remove buttons between them, move-up and move-down beside the shown
// list, and "应用于所有批次、科类、计划性质".
class TDualListViewFrame : public QWidget
{
    Q_OBJECT
public:
    TDualListViewFrame(TMainDM &dm, QWidget *parent = nullptr);

    // Fills both lists for the open set and clears the apply-to-all box.
    void Init();
    // Stores the order; true when the shown fields or their order changed for the open set.
    bool Done();

    // The moves (buttons, double clicks, drops); each shows the lists again.
    void AddField(int before);
    void RemoveField();
    void MoveUp();
    void MoveDown();
    bool DropField(TShownFieldLists::TSide from, TShownFieldLists::TSide to, int target);
    bool AcceptsDrag(TShownFieldLists::TSide from, TShownFieldLists::TSide to) const;

    TShownFieldLists Lists;

    QLabel *TitleLabel = nullptr;
    QLabel *ExcLabel = nullptr;
    TFieldListWidget *ExcList = nullptr;
    QLabel *IncLabel = nullptr;
    TFieldListWidget *IncList = nullptr;
    QPushButton *AddBtn = nullptr;
    QPushButton *RemoveBtn = nullptr;
    QPushButton *UpBtn = nullptr;
    QPushButton *DownBtn = nullptr;
    QCheckBox *ApplyToAllCheck = nullptr;

private:
    void ShowLists();
    void UpdateButtons();

    TMainDM &FDm;
    bool FShowing = false;
};
