#pragma once

#include <QStatusBar>
#include <array>

class QLabel;

// The main window's status bar: seven panels, left to right the link picture (offline or
// online), "考生数", "第n人", "计划数", "专业数", "已录数" and the long hint of what is under
// the mouse. Each text panel is a label whose text is its content.
class TMainStatusBar : public QStatusBar
{
    Q_OBJECT

public:
    static constexpr int PanelCount = 7;
    static constexpr int HintPanel = 6;

    explicit TMainStatusBar(QWidget *parent);

    QLabel *Panel(int panel) const { return FPanels.at(size_t(panel)); }
    // Text panels 1..6; other numbers are ignored.
    void SetPanelText(int panel, const QString &text);
    // The picture of panel 0.
    void SetConnected(bool connected);
    bool ShowsConnected() const { return FConnected; }

private:
    std::array<QLabel *, PanelCount> FPanels{};
    bool FConnected = false;
    bool FPictureSet = false;
};
