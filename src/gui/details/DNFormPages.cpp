// The detail window's pages: generated pages, documents, and the fetches of missing ones.
#include "exchange/MemberNetDM.h"
#include "gui/details/DNForm.h"
#include "link/MemberBgTaskThread.h"
#include "store/Archive.h"
#include "store/NameGuards.h"
#include "store/StorageFolder.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

const QString AboutBlank = u"about:blank"_s;

bool IsPicture(const QString &fileName)
{
    const QByteArray suffix = QFileInfo(fileName).suffix().toLower().toLatin1();
    return !suffix.isEmpty() && QImageReader::supportedImageFormats().contains(suffix);
}

QString HtmlEscaped(const QString &text)
{
    return text.toHtmlEscaped();
}

} // namespace

TMemberBgTaskThread *TDNForm::TaskThread() const
{
    return FNet.TaskThread();
}

void TDNForm::InstallPendingRequests()
{
    TMemberBgTaskThread *thread = TaskThread();
    if (!thread)
        return;
    QPointer<TDNForm> self(this);
    thread->PendingRequests.LoadDNPage = [self](int page) {
        if (self)
            self->LoadDNPage(page);
    };
    thread->PendingRequests.LoadQBZY = [self] {
        if (self)
            self->LoadQBZY();
    };
}

// A candidate whose number cannot be part of a file name gets no page, no document and
// no fetch: the window shows "NoImage.htm" and says why.
bool TDNForm::RefuseUnsafeCandidate()
{
    if (IsPlainCode(FBuilder.Ksh))
        return false;
    FBuilder.CurPhotoDownloaded = false;
    FBuilder.CurPhotoFileName.clear();
    FPictureFile.clear();
    ShowNoImage();
    FMessageSink->ShowMessage(u"生成考生信息页面出错:\r\n"_s + DNKshRefusalText(), windowTitle(), TMsgIcon::Warning);
    return true;
}

void TDNForm::FindDocument()
{
    const QString file =
        FindAttachmentFile(ZKMainDef().LoginInfo.DownloadFolder, FBuilder.Ksh, CurrentPhotoKind);
    FBuilder.CurPhotoDownloaded = !file.isEmpty();
    FBuilder.CurPhotoFileName = file;
}

void TDNForm::LoadDNPage(int NewPageIndex)
{
    TZKMainDef &def = ZKMainDef();
    def.PendingLoadDNPage = false;
    if (NewPageIndex >= 0) {
        FBuilder.PageIndex = NewPageIndex;
        CurrentPhotoKind = NewPageIndex >= 3 ? NewPageIndex - 3 : 3;
        DNActions[size_t(NewPageIndex)]->setChecked(true);
    }
    if (RefuseUnsafeCandidate())
        return;
    FindDocument();
    if (NewPageIndex >= 0 || FBuilder.CurPhotoDownloaded)
        BuildDNPage();
    if (FBuilder.CurPhotoDownloaded || !def.IsConnected ||
        (CurrentPhotoKind == 3 && NewPageIndex >= 0 && !def.AutoPhoto))
        return;
    if (!def.IsNetIdle) {
        InstallPendingRequests();
        def.PendingLoadDNPage = true;
        return;
    }
    TMemberBgTaskThread *thread = TaskThread();
    if (!thread)
        return;
    def.IsNetIdle = false;
    FAnim.ShowAnim(windowTitle(), u"正在下载考生照片，请稍候..."_s);
    InstallPendingRequests();
    QPointer<TDNForm> self(this);
    const bool started =
        thread->ExecBgTask(BgTaskProc<TBgTaskThread>(thread, &TBgTaskThread::DoGetPhoto),
                           {FBuilder.Ksh, CurrentPhotoKind}, [self](QVariantList &in, QVariantList &out) {
                               if (self)
                                   self->PhotoDone(in, out);
                               else
                                   ZKMainDef().IsNetIdle = true;
                           });
    if (!started) { // the thread is busy after all: try again after its delivery
        FAnim.StopAnim();
        def.IsNetIdle = true;
        def.PendingLoadDNPage = true;
    }
}

void TDNForm::PhotoDone(QVariantList &InParam, QVariantList &OutParam)
{
    FAnim.StopAnim();
    ZKMainDef().IsNetIdle = true;
    if (InParam.value(0).toString() != FBuilder.Ksh || InParam.value(1).toInt() != CurrentPhotoKind)
        return;
    if (OutParam.value(0).toInt() == 0) {
        FBuilder.CurPhotoDownloaded = true;
        FBuilder.CurPhotoFileName = OutParam.value(1).toString();
        BuildDNPage();
    } else if (CurrentPhotoKind < 3) {
        FBuilder.CurPhotoDownloaded = true;
        FBuilder.CurPhotoFileName = ZKMainDef().ProgramFolder + NoImagePageName;
        BuildDNPage();
    }
}

void TDNForm::LoadQBZY()
{
    TZKMainDef &def = ZKMainDef();
    def.PendingLoadQBZY = false;
    if (!def.IsConnected || RefuseUnsafeCandidate())
        return;
    if (!def.IsNetIdle) {
        InstallPendingRequests();
        def.PendingLoadQBZY = true;
        return;
    }
    TMemberBgTaskThread *thread = TaskThread();
    if (!thread)
        return;
    def.IsNetIdle = false;
    FAnim.ShowAnim(windowTitle(), u"正在下载考生的全部志愿信息，请稍候..."_s);
    InstallPendingRequests();
    QPointer<TDNForm> self(this);
    const bool started = thread->ExecBgTask(BgTaskProc<TBgTaskThread>(thread, &TBgTaskThread::DoGetQBZY),
                                            {FBuilder.Ksh}, [self](QVariantList &in, QVariantList &out) {
                                                if (self)
                                                    self->QBZYDone(in, out);
                                                else
                                                    ZKMainDef().IsNetIdle = true;
                                            });
    if (!started) {
        FAnim.StopAnim();
        def.IsNetIdle = true;
        def.PendingLoadQBZY = true;
    }
}

void TDNForm::QBZYDone(QVariantList &InParam, QVariantList &OutParam)
{
    FAnim.StopAnim();
    ZKMainDef().IsNetIdle = true;
    if (OutParam.value(0).toInt() == 0 && FBuilder.PageIndex == 1 &&
        InParam.value(0).toString() == FBuilder.Ksh)
        BuildDNPage();
}

void TDNForm::BuildDNPage()
{
    FPictureFile.clear();
    if (FBuilder.PageIndex >= 3) {
        ShowDocument();
        return;
    }
    try {
        ShowFile(FBuilder.BuildDNPage(FBuilder.PageIndex));
    } catch (const EZKError &e) {
        ShowNoImage();
        FMessageSink->ShowMessage(u"生成考生信息页面出错:\r\n"_s + e.Message(), windowTitle(),
                                  TMsgIcon::Warning);
    }
}

void TDNForm::ShowDocument()
{
    const TZKMainDef &def = ZKMainDef();
    if (!FBuilder.CurPhotoDownloaded) {
        if (def.IsConnected)
            ShowBlank(); // a download is on its way
        else
            ShowNoImage();
        return;
    }
    const QString file = FBuilder.CurPhotoFileName;
    const QString suffix = QFileInfo(file).suffix().toUpper();
    if (def.AutoUnpack && (suffix == u"ZIP"_s || suffix == u"RAR"_s)) {
        // The folder is made beside the archive: only beside one in the user's own folder.
        if (!IsInsideFolder(file, def.LoginInfo.DownloadFolder)) {
            ShowNoImage();
            FMessageSink->ShowMessage(u"附件不在本用户的下载文件夹中，不能解压：\r\n"_s + file, windowTitle(),
                                      TMsgIcon::Warning);
            return;
        }
        const QString folder = file.left(file.size() - 4) + u"_files"_s;
        if (!QFileInfo(folder).isDir() && QDir().mkpath(folder))
            ExtractArchive(file, folder); // a damaged archive leaves what it could extract
        if (OpenFolder)
            OpenFolder(folder);
        ShowBlank();
        return;
    }
    if (IsPicture(file)) {
        FPictureFile = file;
        FLocation = file;
        ShowPicture();
        FBrowser->verticalScrollBar()->setValue(0);
        return;
    }
    ShowFile(file);
}

// A picture fills the width of the browser; it is laid out again when the window's
// size changes.
void TDNForm::ShowPicture()
{
    const int margin = int(FBrowser->document()->documentMargin());
    int width =
        FBrowser->viewport()->width() - 2 * margin - FBrowser->verticalScrollBar()->sizeHint().width();
    width = qMax(64, width);
    const int scrolled = FBrowser->verticalScrollBar()->value();
    FBrowser->document()->clear();
    FBrowser->setHtml(u"<html><body><p align=\"center\"><img src=\""_s +
                      HtmlEscaped(QUrl::fromLocalFile(FPictureFile).toString()) + u"\" width=\""_s +
                      QString::number(width) + u"\"></p></body></html>"_s);
    FBrowser->verticalScrollBar()->setValue(scrolled);
}

void TDNForm::ShowFile(const QString &fileName)
{
    FLocation = fileName;
    FBrowser->document()->clear(); // no cached pictures of an earlier page
    if (IsShownAsPage(fileName) || fileName.startsWith(ZKMainDef().LoginInfo.DownloadFolder + u"HtmlTemp/"_s)) {
        FBrowser->setSource(QUrl::fromLocalFile(fileName), QTextDocument::HtmlResource);
    } else if (IsExecutableDocument(fileName)) {
        // Never offered to the desktop: it could run.
        FBrowser->setHtml(u"<html><body><p>"_s + HtmlEscaped(QFileInfo(fileName).fileName()) +
                          u"</p><p>该文件可能是程序或脚本，为安全起见不能打开。</p></body></html>"_s);
    } else {
        FBrowser->setHtml(u"<html><body><p>"_s + HtmlEscaped(QFileInfo(fileName).fileName()) +
                          u"</p><p><a href=\""_s + HtmlEscaped(QUrl::fromLocalFile(fileName).toString()) +
                          u"\">用关联的程序打开</a></p></body></html>"_s);
    }
    FBrowser->clearHistory();
}

void TDNForm::ShowBlank()
{
    FLocation = AboutBlank;
    FBrowser->document()->clear();
    FBrowser->setSource(QUrl());
    FBrowser->clear();
    FBrowser->clearHistory();
}

void TDNForm::ShowNoImage()
{
    ShowFile(ZKMainDef().ProgramFolder + NoImagePageName);
}

void TDNForm::AnchorClicked(const QUrl &url)
{
    const QUrl page = FLocation == AboutBlank ? QUrl() : QUrl::fromLocalFile(FLocation);
    const TDNLinkDecision d = DecideDNLink(url, {page, ZKMainDef().LoginInfo.DownloadFolder, FBuilder.Ksh});
    switch (d.Action) {
    case TDNLinkAction::FetchDocument:
        LoadDNPage(-1);
        break;
    case TDNLinkAction::FetchWishes:
        LoadQBZY();
        break;
    case TDNLinkAction::ShowPage:
        FPictureFile.clear();
        ShowFile(d.LocalFile);
        break;
    case TDNLinkAction::OpenDocument:
        FDesktopOpener->OpenUrl(QUrl::fromLocalFile(d.LocalFile));
        break;
    case TDNLinkAction::AskOpenWeb:
        if (FMessageSink->ShowMessage(u"是否用浏览器打开以下网址？\r\n"_s + d.Target.toDisplayString(), windowTitle(),
                                      TMsgIcon::Question, TMsgButtons::YesNo) == TMsgResult::Yes)
            FDesktopOpener->OpenUrl(d.Target);
        break;
    case TDNLinkAction::Refuse:
        FMessageSink->ShowMessage(d.RefusalText, windowTitle(), TMsgIcon::Warning);
        break;
    }
}
