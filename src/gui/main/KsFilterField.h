#pragma once

#include <QLineEdit>

class TMainDM;

// The search field of the folder tool bar ("筛选考生"): every change of its text narrows
// the candidate grid at once through the workspace's live filter. Esc clears it, Enter
// hands the focus to the grid. While the filter narrows the grid, the field shows it in
// its filtered colour.
class TKsFilterField : public QLineEdit
{
    Q_OBJECT

public:
    TKsFilterField(TMainDM &dm, QWidget *parent);

    // The background while the grid is narrowed.
    static QColor FilteredColour();
    // True while the field shows the filtered colour.
    bool ShowsFiltered() const { return FShowsFiltered; }

signals:
    // Enter was pressed: the grid is to take the focus.
    void GridFocusRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void OnTextChanged(const QString &text);
    void UpdateLook();

    TMainDM &FDm;
    bool FShowsFiltered = false;
};
