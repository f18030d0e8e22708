#include "gui/main/MainStatusBar.h"

#include "gui/common/GuiMetrics.h"

#include <QIcon>
#include <QLabel>

using namespace Qt::StringLiterals;

namespace {
// Panel widths at 96 dots per inch; the hint panel takes what is left.
constexpr std::array<int, TMainStatusBar::PanelCount> PanelWidths = {40, 70, 60, 70, 70, 70, 50};
} // namespace

TMainStatusBar::TMainStatusBar(QWidget *parent)
    : QStatusBar(parent)
{
    setObjectName(u"StatusBar"_s);
    for (int i = 0; i < PanelCount; ++i) {
        auto *label = new QLabel(this);
        label->setObjectName(u"StatusPanel%1"_s.arg(i));
        label->setMinimumWidth(ScaledPixels(PanelWidths.at(size_t(i)), this));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        if (i == 0)
            label->setAlignment(Qt::AlignCenter);
        addWidget(label, i == HintPanel ? 1 : 0);
        FPanels.at(size_t(i)) = label;
    }
    SetConnected(false);
}

void TMainStatusBar::SetPanelText(int panel, const QString &text)
{
    if (panel >= 1 && panel < PanelCount)
        Panel(panel)->setText(text);
}

void TMainStatusBar::SetConnected(bool connected)
{
    if (FPictureSet && connected == FConnected)
        return;
    FConnected = connected;
    FPictureSet = true;
    const QString name = connected ? u"status-online"_s : u"status-offline"_s;
    const QSize size(ScaledPixels(32, this), ScaledPixels(14, this));
    QLabel *picture = Panel(0);
    picture->setPixmap(QIcon(u":/gui/main/pictures/"_s + name + u".svg"_s).pixmap(size));
    // A picture has no text to read; say what it shows.
    picture->setToolTip(connected ? u"已连接"_s : u"未连接"_s);
    picture->setAccessibleName(picture->toolTip());
}
