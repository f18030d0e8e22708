// The main window's dock sites: each is as large as its windows need while one of them
// shows, and collapses when the last visible one leaves.

#include "gui/main/ZKMainForm.h"
#include "gui/main/ZyStateForm.h"

#include <QDockWidget>
#include <QStackedWidget>
#include <QTimer>

namespace {

bool IsHorizontalSite(Qt::DockWidgetArea area)
{
    return area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea;
}

} // namespace

void TZKMainForm::WirePanel()
{
    FZyStatePanel->setObjectName(QStringLiteral("ZyStateForm"));
    connect(FZyStatePanel, &TZyStateForm::PanelVisibilityChanged, this, [this](bool visible) {
        if (FZyStatePanel->isFloating())
            return;
        if (visible)
            SetDockPanelState(FPanelArea, true);
        else
            UpdateDockPanel(FPanelArea, FZyStatePanel);
    });
    connect(FZyStatePanel, &QDockWidget::dockLocationChanged, this, &TZKMainForm::OnPanelDockMoved);
    connect(FZyStatePanel, &QDockWidget::topLevelChanged, this, &TZKMainForm::OnPanelFloating);
}

void TZKMainForm::OnPanelDockMoved(Qt::DockWidgetArea area)
{
    if (area == Qt::NoDockWidgetArea || FZyStatePanel->isFloating())
        return;
    if (area != FPanelArea)
        UpdateDockPanel(FPanelArea, FZyStatePanel);
    FPanelArea = area;
    if (FZyStatePanel->isVisible())
        SetDockPanelState(area, true);
}

void TZKMainForm::OnPanelFloating(bool floating)
{
    if (floating)
        UpdateDockPanel(FPanelArea, FZyStatePanel);
    else if (FZyStatePanel->isVisible())
        SetDockPanelState(dockWidgetArea(FZyStatePanel), true);
}

bool TZKMainForm::IsDockSiteShown(Qt::DockWidgetArea area) const
{
    const auto it = FSiteShown.find(area);
    return it != FSiteShown.end() && it->second;
}

void TZKMainForm::SetDockPanelState(Qt::DockWidgetArea area, bool visible)
{
    QList<QDockWidget *> docks;
    const QList<QDockWidget *> all = findChildren<QDockWidget *>();
    for (QDockWidget *dock : all) {
        if (!dock->isFloating() && dockWidgetArea(dock) == area)
            docks.append(dock);
    }
    const bool horizontal = IsHorizontalSite(area);
    if (!visible) {
        for (QDockWidget *dock : docks)
            horizontal ? dock->setMinimumHeight(0) : dock->setMinimumWidth(0);
        FSiteShown[area] = false;
        return;
    }
    if (IsDockSiteShown(area))
        return;
    // The grid as it was before the site took its share: a window being shown may have
    // been laid out beside the grid already.
    QRect before = FClientArea->geometry();
    for (QDockWidget *dock : docks) {
        if (dock->isVisible() && !before.intersects(dock->geometry()))
            before = before.united(dock->geometry());
    }
    const int grid = horizontal ? before.height() : before.width();
    const int minimum = grid < 240 ? grid / 8 : 30;
    const int size = grid / 4;
    QList<int> sizes;
    for (QDockWidget *dock : docks) {
        dock->setMinimumSize(horizontal ? QSize(0, minimum) : QSize(minimum, 0));
        sizes.append(size);
    }
    // A window that is being shown joins the layout only when it is laid out next.
    const Qt::Orientation orientation = horizontal ? Qt::Vertical : Qt::Horizontal;
    QTimer::singleShot(0, this, [this, docks, sizes, orientation] {
        QList<QDockWidget *> alive;
        for (QDockWidget *dock : docks) {
            if (findChildren<QDockWidget *>().contains(dock))
                alive.append(dock);
        }
        if (!alive.isEmpty())
            resizeDocks(alive, sizes.mid(0, alive.size()), orientation);
    });
    FSiteShown[area] = true;
}

void TZKMainForm::UpdateDockPanel(Qt::DockWidgetArea area, QDockWidget *excluded)
{
    const QList<QDockWidget *> all = findChildren<QDockWidget *>();
    for (QDockWidget *dock : all) {
        if (dock != excluded && !dock->isFloating() && dockWidgetArea(dock) == area && dock->isVisible())
            return;
    }
    SetDockPanelState(area, false);
}
