#pragma once

// What the candidate window does with a link clicked in one of its pages. The pages hold
// dossier texts as the leader sent them and documents the leader served, so a link in
// them is untrusted: only the window's own links, the candidate's own pages and
// documents inside the user's download folder, and web addresses (after the member
// agrees) are followed, and nothing executable is ever handed to the desktop.

#include <QString>
#include <QUrl>

enum class TDNLinkAction
{
    FetchDocument, // "…?i": fetch the page's document or photo (LoadDNPage with -1)
    FetchWishes,   // "…?z": fetch the full wish list (LoadQBZY)
    ShowPage,      // one of the candidate's pages, or a document shown as a page: in the window
    OpenDocument,  // another document of the candidate: the desktop opens it
    AskOpenWeb,    // an http or https address: the desktop opens it once the member agrees
    Refuse         // anything else: nothing is opened; RefusalText says why
};

struct TDNLinkDecision
{
    TDNLinkAction Action = TDNLinkAction::Refuse;
    QUrl Target;         // the link resolved against the page
    QString LocalFile;   // ShowPage, OpenDocument: the file (its canonical path)
    QString RefusalText; // Refuse: the member's message
};

struct TDNLinkContext
{
    QUrl Page;              // the page shown, against which relative links resolve (may be empty)
    QString DownloadFolder; // the user's download folder (pages in "HtmlTemp/", documents in "BMB/" …)
    QString Ksh;            // the candidate shown
};

// The decision for a clicked link. A link whose text has "?" followed by "i" or "z" (either
// case) is the window's own, as the pages write it. A local file counts only when it
// exists and its real path (links resolved) lies in the candidate's part of the download
// folder: "HtmlTemp/<Ksh>_…" or "<BMB|TJB|FJB|KSZP>/<Ksh>[.…|_…]…".
TDNLinkDecision DecideDNLink(const QUrl &link, const TDNLinkContext &context);

// Files shown inside the window rather than handed to the desktop (".htm", ".html", ".txt").
bool IsShownAsPage(const QString &fileName);

// A file the desktop must never open: a program, script or launcher by its extension
// (".desktop", ".sh", ".exe", ".jar", ".py" …), by its content type (executables,
// scripts, launchers), or a file the user may execute. A missing file is not one.
bool IsExecutableDocument(const QString &fileName);

// Whether path (an existing file or folder) lies inside folder once every link is
// resolved. False when either does not exist.
bool IsInsideFolder(const QString &path, const QString &folder);

// The desktop: opens an address, a file or a folder with the default program. The
// window's opener is the desktop's; tests replace it and record what would be opened.
class IDesktopOpener
{
public:
    virtual ~IDesktopOpener() = default;
    virtual void OpenUrl(const QUrl &url) = 0;
};
