#pragma once

#include "gui/common/HelpTopicList.h"
#include "workspace/ChangeLQZT.h"

#include <QDialog>
#include <QPointer>

class QGroupBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QWidget;

// The window of the status dialog "修改预录取状态", with its controls in tab order.
class TChangeLQZTWindow : public QDialog
{
    Q_OBJECT
public:
    explicit TChangeLQZTWindow(QWidget *parent = nullptr);

    // Fills the controls for one call and lays them out (labels, radio places, the
    // reason group, the client height).
    void Fill(const TChangeLQZTValues &values);
    // What the controls say now.
    TChangeLQZTAnswer Answer(bool accepted) const;

    void LQRadioClick();
    void TDRadioClick();
    void HelpBtnClick();

    static constexpr int RemarkMaxLength = 254;
    static constexpr int HelpTopic = ZKHelp::ChangeLQZT;

    QLabel *Label4 = nullptr;
    QLabel *KSHLabel = nullptr;
    QLabel *XMLabel = nullptr;
    QLabel *ScoreLabel = nullptr;
    QLabel *ZydpLabel = nullptr;
    QRadioButton *LQRadio = nullptr;
    QRadioButton *TDRadio = nullptr;
    QGroupBox *TDGroupBox = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label1 = nullptr;
    QListWidget *TDYYList = nullptr;
    QLabel *Label2 = nullptr;
    QPlainTextEdit *TDYYBZMemo = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;
    QPushButton *HelpBtn = nullptr;

private:
    void LimitRemark();
    int s(int pixelsAt96) const;
};

// The status dialog "修改预录取状态" behind the workspace's TChangeLQZTForm. The window is
// created at the first call and reused.
class TChangeLQZTDialog : public IChangeLQZTDialog
{
public:
    explicit TChangeLQZTDialog(QWidget *parent = nullptr)
        : FParent(parent)
    {}
    ~TChangeLQZTDialog() override;
    TChangeLQZTAnswer Show(const TChangeLQZTValues &values) override;

    // The window (created on first use).
    TChangeLQZTWindow *Window();

private:
    QWidget *FParent;
    QPointer<TChangeLQZTWindow> FWindow;
};
