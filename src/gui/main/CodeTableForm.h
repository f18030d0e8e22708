#pragma once

#include "workspace/WorkspaceViews.h"

#include <QDesktopServices>
#include <QPointer>
#include <QUrl>
#include <QWidget>
#include <functional>

class QTextBrowser;

// The window that shows an HTML page the workspace wrote (the code table page), read in
// the character set the page declares (UTF-16 with its byte-order mark, else UTF-8).
class TCodeTableForm : public QWidget
{
    Q_OBJECT

public:
    explicit TCodeTableForm(QWidget *parent);

    // Loads the page and shows the window; throws EZKError when the file cannot be read.
    void ShowPage(const QString &fileName);
    QTextBrowser *Browser() const { return FBrowser; }

private:
    QTextBrowser *FBrowser;
};

// The main window's way of opening files: with the desktop's default program for the
// file (the code table page, where the member prints it). When the desktop cannot open
// it, the error names the file.
class TMainDocumentOpener : public IDocumentOpener
{
public:
    explicit TMainDocumentOpener(QWidget *owner)
        : FOwner(owner)
    {}
    void OpenDocument(const QString &path) override;
    // The page window, once a page was shown in it.
    TCodeTableForm *PageWindow() const { return FPageWindow; }
    // Shows an HTML page in the program's own page window, in place of the desktop
    // (the tests use it as the desktop's program).
    void ShowInPageWindow(const QString &path);

    // The desktop's "open" of a file URL; true when the desktop took it.
    std::function<bool(const QUrl &)> DesktopOpen = [](const QUrl &url) { return QDesktopServices::openUrl(url); };

private:
    QWidget *FOwner;
    QPointer<TCodeTableForm> FPageWindow;
};

// The system clipboard.
class TQtClipboard : public IClipboard
{
public:
    void SetText(const QString &text) override;
};
