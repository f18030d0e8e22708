#include "ReportPreviewWindow.h"

#include "gui/common/GuiMetrics.h"
#include "report/ReportDocument.h"

#include <QAction>
#include <QHBoxLayout>
#include <QIcon>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr double ZoomStep = 1.25;

QAction *NewAction(QObject *parent, const QString &name, const QString &text,
                   const QKeySequence &shortcut = QKeySequence())
{
    auto *action = new QAction(text, parent);
    action->setObjectName(name);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

QIcon ReportIcon(const QString &name)
{
    return QIcon(u":/report/report-icons/"_s + name + u".svg"_s);
}

} // namespace

TReportPreviewWindow::TReportPreviewWindow(const TReportDocument &document, QPrinter &printer,
                                           QWidget *parent)
    : QDialog(parent)
    , FDocument(document)
{
    setObjectName(u"RavePreviewForm"_s);
    setWindowTitle(u"打印预览 - "_s + document.Name);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setWindowFlag(Qt::WindowMinimizeButtonHint);

    Preview = new QPrintPreviewWidget(&printer, this);
    Preview->setObjectName(u"PreviewArea"_s);
    Preview->setAccessibleName(u"报表页面"_s);
    connect(Preview, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter *target) { FDocument.Paint(*target, 0, 0, PaintProgress); });
    connect(Preview, &QPrintPreviewWidget::previewChanged, this, &TReportPreviewWindow::UpdatePanels);

    BuildActions();
    auto *bar = new QToolBar(this);
    bar->setObjectName(u"ToolBar1"_s);
    bar->setIconSize(QSize(ScaledPixels(24, this), ScaledPixels(24, this)));
    BuildToolBar(bar);

    auto *status = new QStatusBar(this);
    status->setSizeGripEnabled(false);
    Panel1 = new QLabel(u"页"_s, status);
    Panel1->setObjectName(u"Panel1"_s);
    PagePanel = new QLabel(status);
    PagePanel->setObjectName(u"Panel2"_s);
    Panel3 = new QLabel(u"缩放"_s, status);
    Panel3->setObjectName(u"Panel3"_s);
    ZoomPanel = new QLabel(status);
    ZoomPanel->setObjectName(u"Panel4"_s);
    for (QLabel *label : {Panel1, PagePanel, Panel3, ZoomPanel})
        status->addWidget(label);
    PagePanel->setMinimumWidth(ScaledPixels(80, this));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *menus = new QMenuBar(this);
    layout->setMenuBar(menus);
    layout->addWidget(bar);
    layout->addWidget(Preview, 1);
    layout->addWidget(status);
    BuildMenus();
    ApplyWindowFont(this);
    resize(ScaledPixels(900, this), ScaledPixels(700, this));
    setWindowState(Qt::WindowMaximized);
    SetZoom(1.0);
}

void TReportPreviewWindow::BuildActions()
{
    Open1 = NewAction(this, u"Open1"_s, u"打开(&O)"_s, QKeySequence::Open);
    SaveAs1 = NewAction(this, u"SaveAs1"_s, u"另存为(&S)"_s, QKeySequence::Save);
    Print1 = NewAction(this, u"Print1"_s, u"打印(&P)"_s, QKeySequence::Print);
    Exit1 = NewAction(this, u"Exit1"_s, u"退出(&X)"_s);
    First1 = NewAction(this, u"First1"_s, u"第一页(&F)"_s, QKeySequence(Qt::CTRL | Qt::Key_Home));
    Previous1 = NewAction(this, u"Previous1"_s, u"上一页(&P)"_s, QKeySequence(Qt::Key_PageUp));
    Next1 = NewAction(this, u"Next1"_s, u"下一页(&N)"_s, QKeySequence(Qt::Key_PageDown));
    Last1 = NewAction(this, u"Last1"_s, u"最后一页(&L)"_s, QKeySequence(Qt::CTRL | Qt::Key_End));
    GotoPage1 = NewAction(this, u"GotoPage1"_s, u"跳到页面 # (&G)"_s, QKeySequence(Qt::CTRL | Qt::Key_G));
    In1 = NewAction(this, u"In1"_s, u"放大(&I)"_s, QKeySequence(Qt::Key_Plus));
    Out1 = NewAction(this, u"Out1"_s, u"缩小(&O)"_s, QKeySequence(Qt::Key_Minus));
    Page2 = NewAction(this, u"Page2"_s, u"与页面一致(&P)"_s);
    PageWidth1 = NewAction(this, u"PageWidth1"_s, u"与页面宽度一致(&W)"_s);

    connect(Open1, &QAction::triggered, this, [this] {
        if (OnOpen)
            OnOpen();
    });
    connect(SaveAs1, &QAction::triggered, this, [this] {
        if (OnSave)
            OnSave();
    });
    connect(Print1, &QAction::triggered, this, [this] {
        if (OnPrint)
            OnPrint();
    });
    connect(Exit1, &QAction::triggered, this, &QDialog::accept);
    connect(First1, &QAction::triggered, this, [this] { GoToPage(1); });
    connect(Previous1, &QAction::triggered, this, [this] { GoToPage(Preview->currentPage() - 1); });
    connect(Next1, &QAction::triggered, this, [this] { GoToPage(Preview->currentPage() + 1); });
    connect(Last1, &QAction::triggered, this, [this] { GoToPage(Preview->pageCount()); });
    connect(GotoPage1, &QAction::triggered, this, &TReportPreviewWindow::AskPage);
    connect(In1, &QAction::triggered, this, [this] { SetZoom(Preview->zoomFactor() * ZoomStep); });
    connect(Out1, &QAction::triggered, this, [this] { SetZoom(Preview->zoomFactor() / ZoomStep); });
    connect(Page2, &QAction::triggered, this, [this] {
        Preview->fitInView();
        UpdatePanels();
    });
    connect(PageWidth1, &QAction::triggered, this, [this] {
        Preview->fitToWidth();
        UpdatePanels();
    });
}

void TReportPreviewWindow::BuildMenus()
{
    auto *menus = qobject_cast<QMenuBar *>(layout()->menuBar());
    QMenu *file = menus->addMenu(u"文件(&F)"_s);
    file->setObjectName(u"File1"_s);
    file->addActions({Open1, SaveAs1, Print1});
    file->addSeparator();
    file->addAction(Exit1);
    QMenu *page = menus->addMenu(u"页面(&P)"_s);
    page->setObjectName(u"Page1"_s);
    page->addActions({First1, Previous1, Next1, Last1});
    page->addSeparator();
    page->addAction(GotoPage1);
    QMenu *zoom = menus->addMenu(u"缩放(&Z)"_s);
    zoom->setObjectName(u"Zoom1"_s);
    zoom->addActions({In1, Out1});
    zoom->addSeparator();
    zoom->addActions({Page2, PageWidth1});

    // The pop-up menu of the pages zooms as the menu does.
    auto *popup = new QMenu(this);
    popup->setObjectName(u"PopupMenu1"_s);
    QAction *in2 =
        popup->addAction(u"放大(&I)"_s, this, [this] { SetZoom(Preview->zoomFactor() * ZoomStep); });
    in2->setObjectName(u"In2"_s);
    QAction *out2 =
        popup->addAction(u"缩小(&O)"_s, this, [this] { SetZoom(Preview->zoomFactor() / ZoomStep); });
    out2->setObjectName(u"Out2"_s);
    Preview->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Preview, &QWidget::customContextMenuRequested, this,
            [this, popup](const QPoint &at) { popup->popup(Preview->mapToGlobal(at)); });
}

void TReportPreviewWindow::BuildToolBar(QToolBar *bar)
{
    const struct
    {
        const char *Name;
        const char *Icon;
        QString Hint;
        QAction *Target;
    } buttons[] = {
        {"ToolButton1", "open", u"打开其他报表"_s, Open1},
        {"ToolButton2", "save", u"保存报表"_s, SaveAs1},
        {"ToolButton3", "print", u"打印报表"_s, Print1},
        {nullptr, nullptr, QString(), nullptr},
        {"ToolButton5", "first", u"移到第一页"_s, First1},
        {"ToolButton6", "previous", u"移到上一页"_s, Previous1},
        {"ToolButton7", "next", u"移到下一页"_s, Next1},
        {"ToolButton8", "last", u"移到最后一页"_s, Last1},
        {nullptr, nullptr, QString(), nullptr},
        {"ToolButton11", "zoom-in", u"放大 (+)"_s, In1},
        {"ToolButton12", "zoom-out", u"缩小 (-)"_s, Out1},
        {"ToolButton13", "page-width", u"缩放到与页面宽度一致"_s, PageWidth1},
        {"ToolButton14", "whole-page", u"缩放到与页面一致"_s, Page2},
        {nullptr, nullptr, QString(), nullptr},
        {"ToolButton15", "exit", u"退出预览"_s, Exit1},
    };
    for (const auto &b : buttons) {
        if (!b.Name) {
            bar->addSeparator();
            continue;
        }
        // The buttons carry only a picture; the hint names them.
        QAction *action = bar->addAction(ReportIcon(QLatin1StringView(b.Icon)), b.Hint);
        action->setObjectName(QLatin1StringView(b.Name));
        action->setToolTip(b.Hint);
        connect(action, &QAction::triggered, b.Target, &QAction::trigger);
    }
}

void TReportPreviewWindow::SetZoom(double factor)
{
    Preview->setZoomMode(QPrintPreviewWidget::CustomZoom);
    Preview->setZoomFactor(std::clamp(factor, 0.1, 10.0));
    UpdatePanels();
}

void TReportPreviewWindow::GoToPage(int page)
{
    Preview->setCurrentPage(std::clamp(page, 1, std::max(1, Preview->pageCount())));
    UpdatePanels();
}

void TReportPreviewWindow::AskPage()
{
    bool ok = false;
    const int page = QInputDialog::getInt(this, u"跳到页面"_s, u"页号(&N):"_s, Preview->currentPage(), 1,
                                          std::max(1, Preview->pageCount()), 1, &ok);
    if (ok)
        GoToPage(page);
}

void TReportPreviewWindow::UpdatePanels()
{
    PagePanel->setText(u"%1 / %2"_s.arg(Preview->currentPage()).arg(Preview->pageCount()));
    ZoomPanel->setText(u"%1%"_s.arg(qRound(Preview->zoomFactor() * 100)));
}
