#pragma once

#include "workspace/WorkspaceViews.h"

#include <QPointer>
#include <QWidget>

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

// The main window's way of opening files: HTML pages in the page window, anything else
// with the desktop's default program.
class TMainDocumentOpener : public IDocumentOpener
{
public:
    explicit TMainDocumentOpener(QWidget *owner)
        : FOwner(owner)
    {}
    void OpenDocument(const QString &path) override;
    // The page window, once a page was shown.
    TCodeTableForm *PageWindow() const { return FPageWindow; }

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
