#include "details/DNLinkPolicy.h"

#include "store/NameGuards.h"
#include "store/StorageFolder.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

const QString PageFolderName = u"HtmlTemp"_s;

// Programs, scripts, launchers and installers of the desktops and systems a member may
// meet: handing one of them to the desktop may run it.
const QSet<QString> &ExecutableSuffixes()
{
    static const QSet<QString> suffixes{
        u"desktop"_s, u"kdelnk"_s,  u"directory"_s, u"sh"_s,     u"bash"_s,        u"zsh"_s,    u"csh"_s,
        u"tcsh"_s,    u"ksh"_s,     u"fish"_s,      u"command"_s, u"tool"_s,       u"run"_s,    u"bin"_s,
        u"elf"_s,     u"out"_s,     u"so"_s,        u"appimage"_s, u"flatpakref"_s, u"flatpakrepo"_s,
        u"snap"_s,    u"deb"_s,     u"rpm"_s,       u"apk"_s,    u"exe"_s,         u"com"_s,    u"bat"_s,
        u"cmd"_s,     u"msi"_s,     u"msp"_s,       u"scr"_s,    u"pif"_s,         u"cpl"_s,    u"hta"_s,
        u"lnk"_s,     u"url"_s,     u"reg"_s,       u"inf"_s,    u"scf"_s,         u"msc"_s,    u"gadget"_s,
        u"application"_s, u"vbs"_s, u"vbe"_s,       u"js"_s,     u"jse"_s,         u"mjs"_s,    u"wsf"_s,
        u"wsh"_s,     u"ps1"_s,     u"psm1"_s,      u"jar"_s,    u"jnlp"_s,        u"py"_s,     u"pyc"_s,
        u"pyw"_s,     u"pyz"_s,     u"pl"_s,        u"pm"_s,     u"rb"_s,          u"php"_s,    u"lua"_s,
        u"tcl"_s,     u"awk"_s,     u"xpi"_s,       u"crx"_s,    u"app"_s,         u"dmg"_s,    u"pkg"_s,
        u"service"_s, u"workflow"_s, u"action"_s};
    return suffixes;
}

// Content types that run something when opened (scripts are subtypes of the first).
const QStringList &ExecutableMimeTypes()
{
    static const QStringList types{u"application/x-executable"_s,  u"application/x-sharedlib"_s,
                                   u"application/x-desktop"_s,     u"application/x-shellscript"_s,
                                   u"application/x-ms-dos-executable"_s, u"application/x-msdownload"_s,
                                   u"application/x-msi"_s,         u"application/x-ms-shortcut"_s,
                                   u"application/java-archive"_s,  u"application/x-java-archive"_s,
                                   u"application/x-java-jnlp-file"_s, u"text/x-python"_s,
                                   u"text/x-python3"_s,            u"application/x-perl"_s,
                                   u"application/x-ruby"_s,        u"application/x-php"_s,
                                   u"application/javascript"_s,    u"text/javascript"_s,
                                   u"application/hta"_s,           u"application/x-appimage"_s,
                                   u"application/vnd.appimage"_s,  u"application/x-iso9660-appimage"_s};
    return types;
}

bool HasExecutableType(const QFileInfo &info)
{
    const QMimeDatabase db;
    for (const QMimeDatabase::MatchMode mode : {QMimeDatabase::MatchDefault, QMimeDatabase::MatchContent}) {
        const QMimeType type = db.mimeTypeForFile(info, mode);
        for (const QString &name : ExecutableMimeTypes()) {
            if (type.inherits(name))
                return true;
        }
    }
    return false;
}

QString CanonicalFolder(const QString &folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QString() : canonical + u'/';
}

// A name in a document folder that belongs to the candidate: "<Ksh>", "<Ksh>.ext" or an
// unpacked "<Ksh>_files".
bool IsCandidateName(const QString &name, const QString &ksh)
{
    return name.compare(ksh, Qt::CaseInsensitive) == 0 || name.startsWith(ksh + u'.', Qt::CaseInsensitive) ||
           name.startsWith(ksh + u'_', Qt::CaseInsensitive);
}

// Whether the canonical path lies in the candidate's part of the download folder.
bool IsCandidateFile(const QString &canonical, const TDNLinkContext &context)
{
    const QString folder = CanonicalFolder(context.DownloadFolder);
    if (folder.isEmpty() || !IsPlainCode(context.Ksh) || !canonical.startsWith(folder))
        return false;
    const QStringList parts = canonical.mid(folder.size()).split(u'/');
    if (parts.size() < 2)
        return false;
    if (parts[0] == PageFolderName)
        return parts.size() == 2 && parts[1].startsWith(context.Ksh + u'_', Qt::CaseInsensitive);
    return AttachmentFolderNames().contains(parts[0]) && IsCandidateName(parts[1], context.Ksh);
}

TDNLinkDecision Refused(const QUrl &target, const QString &why)
{
    TDNLinkDecision d;
    d.Action = TDNLinkAction::Refuse;
    d.Target = target;
    d.RefusalText = why + u"\r\n"_s + target.toDisplayString();
    return d;
}

TDNLinkDecision DecideLocalFile(const QUrl &target, const TDNLinkContext &context)
{
    const QFileInfo info(target.toLocalFile());
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty() || !IsCandidateFile(canonical, context) || !QFileInfo(canonical).isFile())
        return Refused(target, u"该链接指向的不是本考生的页面或文件，不能打开："_s);
    TDNLinkDecision d;
    d.Target = target;
    d.LocalFile = canonical;
    if (IsShownAsPage(canonical)) {
        d.Action = TDNLinkAction::ShowPage;
        return d;
    }
    if (IsExecutableDocument(canonical))
        return Refused(target, u"该文件可能是程序或脚本，为安全起见不能打开："_s);
    d.Action = TDNLinkAction::OpenDocument;
    return d;
}

} // namespace

TDNLinkDecision DecideDNLink(const QUrl &link, const TDNLinkContext &context)
{
    // The window's own links, as the pages write them: the page's file name + "?i" or "?z".
    const QString text = link.toString();
    const qsizetype question = text.indexOf(u'?');
    if (question >= 0 && question + 1 < text.size()) {
        const QChar letter = text[question + 1].toUpper();
        if (letter == u'I' || letter == u'Z') {
            TDNLinkDecision d;
            d.Action = letter == u'I' ? TDNLinkAction::FetchDocument : TDNLinkAction::FetchWishes;
            d.Target = link;
            return d;
        }
    }
    const QUrl target = context.Page.isEmpty() ? link : context.Page.resolved(link);
    const QString scheme = target.scheme().toLower();
    if ((scheme == u"http"_s || scheme == u"https"_s) && !target.host().isEmpty()) {
        TDNLinkDecision d;
        d.Action = TDNLinkAction::AskOpenWeb;
        d.Target = target;
        return d;
    }
    if (scheme == u"file"_s && target.host().isEmpty())
        return DecideLocalFile(target, context);
    return Refused(target, u"不能打开这种链接："_s);
}

bool IsShownAsPage(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == u"htm"_s || suffix == u"html"_s || suffix == u"txt"_s;
}

bool IsExecutableDocument(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (ExecutableSuffixes().contains(info.suffix().toLower()))
        return true;
    if (!info.exists())
        return false;
    return (info.isFile() && info.isExecutable()) || HasExecutableType(info);
}

bool IsInsideFolder(const QString &path, const QString &folder)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const QString inside = CanonicalFolder(folder);
    return !canonical.isEmpty() && !inside.isEmpty() && canonical.startsWith(inside);
}
