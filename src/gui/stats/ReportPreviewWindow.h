#pragma once

#include <QDialog>
#include <functional>

class QAction;
class QLabel;
class QPrintPreviewWidget;
class QPrinter;
class TReportDocument;

// The report engine's preview: tool bar, menus, the pages and the status panels of page
// and zoom. It opens maximised at 100 % zoom. Printing and saving from here go through
// the callbacks the output gives it.
class TReportPreviewWindow : public QDialog
{
    Q_OBJECT
public:
    TReportPreviewWindow(const TReportDocument &document, QPrinter &printer, QWidget *parent = nullptr);

    std::function<void()> OnPrint; // "打印(&P)"
    std::function<void()> OnSave;  // "另存为(&S)"
    std::function<void()> OnOpen;  // "打开(&O)"
    // Told of each page while the preview draws the pages; false stops drawing.
    std::function<bool(int page, int count)> PaintProgress;

    QPrintPreviewWidget *Preview = nullptr;
    QLabel *Panel1 = nullptr; // "页"
    QLabel *PagePanel = nullptr;
    QLabel *Panel3 = nullptr; // "缩放"
    QLabel *ZoomPanel = nullptr;

    QAction *Open1 = nullptr, *SaveAs1 = nullptr, *Print1 = nullptr, *Exit1 = nullptr;
    QAction *First1 = nullptr, *Previous1 = nullptr, *Next1 = nullptr, *Last1 = nullptr, *GotoPage1 = nullptr;
    QAction *In1 = nullptr, *Out1 = nullptr, *Page2 = nullptr, *PageWidth1 = nullptr;

    // Zooms to a factor (1 = 100 %) and updates the panels.
    void SetZoom(double factor);
    void GoToPage(int page);

private:
    void BuildActions();
    void BuildMenus();
    void BuildToolBar(class QToolBar *bar);
    void UpdatePanels();
    void AskPage();

    const TReportDocument &FDocument;
};
