// The detail window against a demo province on the leader's stand-in: pages of both score
// modes, stepping, the fixed page, fetches of photos and documents with pending requests,
// unpacking of archive documents, page errors and the page-file folder.
#include "DetailRig.h"
#include "gui/common/GuiMetrics.h"
#include "store/Archive.h"
#include "store/StorageFolder.h"
#include "store/ZKMainDef.h"
#include "workspace/ChangeLQZT.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QTextBrowser>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// The status dialog: notes whether the window was locked while it ran; cancels.
class TLockProbeDialog : public IChangeLQZTDialog
{
public:
    explicit TLockProbeDialog(TDNForm &form)
        : FForm(form)
    {}
    TChangeLQZTAnswer Show(const TChangeLQZTValues &values) override
    {
        Shown.append(values);
        LockedWhileShown = FForm.DNLocked;
        return {};
    }
    QList<TChangeLQZTValues> Shown;
    bool LockedWhileShown = false;

private:
    TDNForm &FForm;
};

QString FileNameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

// Records what the window hands to the desktop.
class TRecordingOpener : public IDesktopOpener
{
public:
    void OpenUrl(const QUrl &url) override { Opened.append(url); }
    QList<QUrl> Opened;
};

// Records messages and answers every question as told.
class TAnsweringSink : public IMessageSink
{
public:
    TMsgResult ShowMessage(const QString &text, const QString &caption, TMsgIcon icon, TMsgButtons buttons) override
    {
        Messages.append({text, caption, icon});
        Buttons.append(buttons);
        return buttons == TMsgButtons::YesNo ? Answer : TMsgResult::Ok;
    }
    TMsgResult Answer = TMsgResult::No;
    QList<TMessageRec> Messages;
    QList<TMsgButtons> Buttons;
};

// Every file and folder below root (with its size), but the leader's and the databases'
// journals: what the client may have written.
QStringList FilesBelow(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(root).relativeFilePath(path);
        if (relative.startsWith(u"leader"_s) || relative.endsWith(u"-journal"_s) || relative.endsWith(u"-wal"_s) ||
            relative.endsWith(u"-shm"_s))
            continue;
        files.append(relative + u' ' + QString::number(it.fileInfo().size()));
    }
    files.sort();
    return files;
}

void WriteDocument(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

} // namespace

class TestDNForm : public QObject
{
    Q_OBJECT

private slots:
    void pagesOfBothScoreModes_data();
    void pagesOfBothScoreModes();
    void steppingThroughTheList();
    void candidateLeavingTheListAndEmptyList();
    void photoIsFetchedOnlyOnRequest();
    void fixedPageFetchesTheNextDocumentAtOnce();
    void fetchWhileTheLinkIsBusyRunsAfterwards();
    void failedDocumentShowsNoImage();
    void archiveDocumentsAreUnpacked();
    void pageErrorShowsNoImageAndMessage();
    void statusChangeLocksTheWindow();
    void windowRulesAndPageFolder();
    void candidateNumberThatLeavesTheFolderWritesNothing();
    void linksFollowOnlyTheirPolicy();
};

void TestDNForm::pagesOfBothScoreModes_data()
{
    QTest::addColumn<bool>("graded");
    QTest::newRow("numeric scores (11)") << false;
    QTest::newRow("graded scores (32)") << true;
}

void TestDNForm::pagesOfBothScoreModes()
{
    QFETCH(bool, graded);
    TDetailRig r(graded);
    r.ShowFirst();
    TKSItem *ks = r.F->DM.CurrentKSList.first();
    QVERIFY(r.Form->isVisible());
    QCOMPARE(r.Form->KsLabel()->text(), ks->Ksh + u" - "_s + ks->Xm);
    const QStringList names{u"bmxx"_s, u"cjzyxx"_s, u"tjxx"_s};
    for (int page = 0; page < 3; ++page) {
        r.Form->DNActionExecute(page);
        QCOMPARE(r.Form->PageIndex(), page);
        QVERIFY2(FileNameOf(r.Form->CurrentLocation()).startsWith(ks->Ksh + u'_' + names[page] + u'_'),
                 qPrintable(r.Form->CurrentLocation()));
        const QString text = r.BrowserText();
        QVERIFY2(text.contains(ks->Xm), qPrintable(text));
        QVERIFY2(!text.contains(u"<#"_s), qPrintable(text));
    }
    // The score page shows the score items of the province: grades in graded mode.
    r.Form->DNActionExecute(1);
    QVERIFY(r.BrowserText().contains(graded ? u"辅助投档分"_s : u"总分"_s));
    QVERIFY(r.BrowserText().contains(u"志愿"_s));
    QVERIFY2(r.F->Messages.Messages.isEmpty(), qPrintable(r.F->Messages.Messages.value(0).Text));
    r.Shoot(graded ? u"graded"_s : u"numeric"_s);
}

void TestDNForm::steppingThroughTheList()
{
    TDetailRig r(false, false);
    r.ShowFirst();
    const QList<TKSItem *> &list = r.F->DM.CurrentKSList;
    QVERIFY(!r.Form->PrevAction->isEnabled());
    QVERIFY(r.Form->NextAction->isEnabled());
    r.Form->NextActionExecute();
    QCOMPARE(r.Form->Ksh(), list[1]->Ksh);
    QCOMPARE(r.F->DM.Grid().FocusedRow(), 1);
    QVERIFY(r.Form->PrevAction->isEnabled());
    for (int i = 2; i < list.size(); ++i)
        r.Form->NextActionExecute();
    QCOMPARE(r.Form->Ksh(), list.last()->Ksh);
    QVERIFY(!r.Form->NextAction->isEnabled());
    r.Form->NextActionExecute(); // past the last: stays
    QCOMPARE(r.Form->Ksh(), list.last()->Ksh);
    QVERIFY(!r.Form->NextAction->isEnabled());
    r.Form->PrevActionExecute();
    QCOMPARE(r.Form->Ksh(), list[list.size() - 2]->Ksh);
    QVERIFY(r.Form->KsLabel()->text().startsWith(list[list.size() - 2]->Ksh + u" - "_s));
    // Without the fixed page every step shows the registration page.
    r.Form->DNActionExecute(2);
    r.Form->PrevActionExecute();
    QCOMPARE(r.Form->PageIndex(), 0);
    QVERIFY(r.Form->DNActions[0]->isChecked());

    // A selection remembered earlier (a sort, a decision) does not outlive the focus:
    // the window opens on the candidate of the grid's focused row.
    r.F->DM.SetFocusedKs(list[0]);
    r.F->DM.SetSelectedKsList(false);
    r.F->DM.SetFocusedKs(list[2]);
    r.Form->ShowFocusedCandidate();
    QCOMPARE(r.Form->Ksh(), list[2]->Ksh);
}

void TestDNForm::candidateLeavingTheListAndEmptyList()
{
    TDetailRig r(false, false);
    TMainDM &dm = r.F->DM;
    r.ShowFirst();
    r.Form->NextActionExecute();
    TKSItem *shown = r.F->DM.CurrentKSList[1];
    // Narrow the list to a major without the shown candidate.
    int other = -1, empty = -1;
    for (int id = 0; id < dm.JhRecCount; ++id) {
        if (dm.Jh(id)->KsList.isEmpty() && empty < 0)
            empty = id;
        else if (!dm.Jh(id)->KsList.isEmpty() && !dm.Jh(id)->KsList.contains(shown) && other < 0)
            other = id;
    }
    QVERIFY(other >= 0);
    dm.ChangeZyFilter(other);
    QCOMPARE(shown->KsIndex, -1);
    r.Form->NextActionExecute();
    QCOMPARE(r.Form->Ksh(), dm.CurrentKSList.first()->Ksh);
    QVERIFY(r.Form->isVisible());
    if (empty < 0)
        QSKIP("the demo plan has no major without candidates");
    dm.ChangeZyFilter(empty);
    QVERIFY(dm.CurrentKSList.isEmpty());
    r.Form->PrevActionExecute();
    QVERIFY(!r.Form->isVisible());
}

void TestDNForm::photoIsFetchedOnlyOnRequest()
{
    TDetailRig r;
    r.ShowFirst();
    QCOMPARE(r.F->Animation.Shown.size(), 0); // no photo fetch without the option
    const QString page = r.Form->CurrentLocation();
    QVERIFY(QFile(page).open(QIODevice::ReadOnly));
    QVERIFY(TDNPageBuilder::ReadTemplateFile(page).contains(page + u"?i\">下载照片</a>"_s));

    // The photo link of the page; the page is rebuilt with the picture.
    emit r.Form->DNBrowser()->anchorClicked(QUrl(page + u"?i"_s));
    QCOMPARE(r.F->Animation.Shown.value(0).second, u"正在下载考生照片，请稍候..."_s);
    QCOMPARE(r.F->Animation.Shown.value(0).first, u"考生信息"_s);
    QVERIFY(r.WaitForStops(1));
    const QString ksh = r.Form->Ksh();
    if (r.LeaderHasImage(ksh, 3, u"png"_s)) {
        const QString photo = ZKMainDef().LoginInfo.DownloadFolder + u"KSZP/"_s + ksh + u".png"_s;
        QVERIFY(QFile::exists(photo));
        QVERIFY(TDNPageBuilder::ReadTemplateFile(r.Form->CurrentLocation())
                    .contains(u"<img width=96 height=128 src=\""_s + photo + u"\">"_s));
        QVERIFY(!QFile::exists(page)); // the old page file went
    }
    // With the option the photo comes with the page.
    ZKMainDef().AutoPhoto = true;
    r.Form->NextActionExecute();
    QCOMPARE(r.F->Animation.Shown.size(), 2);
    QVERIFY(r.WaitForStops(2));
}

void TestDNForm::fixedPageFetchesTheNextDocumentAtOnce()
{
    TDetailRig r;
    r.ShowFirst();
    r.Form->KeepPageAction->trigger();
    QVERIFY(r.Form->KeepPageAction->isChecked());
    r.Form->DNActionExecute(4);
    QCOMPARE(r.Form->CurrentPhotoKind, 1);
    QCOMPARE(r.Form->CurrentLocation(), u"about:blank"_s); // on its way
    QVERIFY(r.WaitForStops(1));
    const QString tjb = ZKMainDef().LoginInfo.DownloadFolder + u"TJB/"_s;
    QCOMPARE(r.Form->CurrentLocation(), tjb + r.Form->Ksh() + u".png"_s);
    QVERIFY(r.BrowserText().isEmpty() || !r.BrowserText().contains(u"<#"_s));

    r.Form->NextActionExecute();
    QCOMPARE(r.Form->PageIndex(), 4);
    QVERIFY(r.Form->DNActions[4]->isChecked());
    QVERIFY(r.WaitForStops(2));
    QCOMPARE(r.Form->CurrentLocation(), tjb + r.Form->Ksh() + u".png"_s);

    // Offline a stored document is still shown; a missing one shows "NoImage.htm".
    ZKMainDef().IsConnected = false;
    r.Form->PrevActionExecute();
    QCOMPARE(r.Form->CurrentLocation(), tjb + r.Form->Ksh() + u".png"_s);
    r.Form->DNActionExecute(3);
    QCOMPARE(r.Form->CurrentLocation(), ZKMainDef().ProgramFolder + NoImagePageName);
    QCOMPARE(r.F->Animation.Shown.size(), 2);
}

void TestDNForm::fetchWhileTheLinkIsBusyRunsAfterwards()
{
    TDetailRig r;
    r.ShowFirst();
    // The full wish list occupies the link; the document of page 3 waits for it.
    r.Form->DNActionExecute(1);
    r.Form->LoadQBZY();
    QVERIFY(!ZKMainDef().IsNetIdle);
    r.Form->DNActionExecute(3);
    QVERIFY(ZKMainDef().PendingLoadDNPage);
    QVERIFY(r.WaitForStops(2));
    QVERIFY(!ZKMainDef().PendingLoadDNPage);
    QCOMPARE(r.F->Animation.Shown.value(0).second, u"正在下载考生的全部志愿信息，请稍候..."_s);
    QCOMPARE(r.F->Animation.Shown.value(1).second, u"正在下载考生照片，请稍候..."_s);
    QCOMPARE(r.Form->CurrentLocation(),
             ZKMainDef().LoginInfo.DownloadFolder + u"BMB/"_s + r.Form->Ksh() + u".png"_s);
    QVERIFY(QFile::exists(ZKMainDef().LoginInfo.DownloadFolder + u"QBZY_"_s + r.Form->Ksh() + u".ZIP"_s));
}

void TestDNForm::failedDocumentShowsNoImage()
{
    TDetailRig r;
    TMainDM &dm = r.F->DM;
    int index = -1;
    for (int i = 0; i < dm.CurrentKSList.size() && index < 0; ++i) {
        const QString ksh = dm.CurrentKSList[i]->Ksh;
        if (!r.LeaderHasImage(ksh, 2, u"png"_s) && !r.LeaderHasImage(ksh, 2, u"zip"_s))
            index = i;
    }
    QVERIFY(index >= 0);
    dm.SetFocusedKs(dm.CurrentKSList[index]);
    r.Form->ShowFocusedCandidate();
    r.Form->DNActionExecute(5);
    QVERIFY(r.WaitForStops(1));
    QCOMPARE(r.Form->CurrentLocation(), ZKMainDef().ProgramFolder + NoImagePageName);
    QVERIFY(r.BrowserText().contains(u"没有可以显示的内容"_s));
}

void TestDNForm::archiveDocumentsAreUnpacked()
{
    TDetailRig r(false, false);
    ZKMainDef().IsConnected = false;
    ZKMainDef().AutoUnpack = true;
    TMainDM &dm = r.F->DM;
    const QString fjb = ZKMainDef().LoginInfo.DownloadFolder + u"FJB/"_s;
    const QString ks1 = dm.CurrentKSList[0]->Ksh, ks2 = dm.CurrentKSList[1]->Ksh;
    // A ZIP of two pages and a RAR with one page and a member that tries to leave.
    const QString scratch = r.F->Temp(u"zipsource/"_s);
    QDir().mkpath(scratch);
    QFile page(scratch + u"第1页.txt"_s);
    QVERIFY(page.open(QIODevice::WriteOnly) && page.write("one") == 3);
    page.close();
    QCOMPARE(CompressFolder(fjb + ks1 + u".ZIP"_s, scratch), 0);
    QFile rar(fjb + ks2 + u".rar"_s);
    QVERIFY(rar.open(QIODevice::WriteOnly));
    rar.write(StoredRar4({{u"附加表.txt"_s, "rar page"}, {u"..\\escaped.txt"_s, "bad"}}));
    rar.close();

    r.ShowFirst();
    r.Form->DNActionExecute(5);
    QCOMPARE(r.Form->CurrentLocation(), u"about:blank"_s);
    QCOMPARE(r.OpenedFolders, QStringList{fjb + ks1 + u"_files"_s});
    QVERIFY(QFile::exists(fjb + ks1 + u"_files/第1页.txt"_s));

    r.Form->KeepPageAction->setChecked(true);
    r.Form->NextActionExecute();
    QCOMPARE(r.OpenedFolders.value(1), fjb + ks2 + u"_files"_s);
    QFile unpacked(fjb + ks2 + u"_files/附加表.txt"_s);
    QVERIFY(unpacked.open(QIODevice::ReadOnly));
    QCOMPARE(unpacked.readAll(), QByteArray("rar page"));
    QVERIFY(!QFile::exists(fjb + u"escaped.txt"_s));
    QCOMPARE(r.Form->CurrentLocation(), u"about:blank"_s);

    // The folder is extracted once: a second visit reuses it as it is.
    QFile::remove(fjb + ks2 + u"_files/附加表.txt"_s);
    r.Form->DNActionExecute(4);
    r.Form->DNActionExecute(5);
    QCOMPARE(r.OpenedFolders.size(), 3);
    QVERIFY(!QFile::exists(fjb + ks2 + u"_files/附加表.txt"_s));

    // Without the option the archive is just a file.
    ZKMainDef().AutoUnpack = false;
    r.Form->DNActionExecute(4);
    r.Form->DNActionExecute(5);
    QCOMPARE(r.OpenedFolders.size(), 3);
    QCOMPARE(r.Form->CurrentLocation(), fjb + ks2 + u".rar"_s);
}

void TestDNForm::pageErrorShowsNoImageAndMessage()
{
    TDetailRig r(false, false);
    r.ShowFirst();
    r.F->DM.UnivConn.ExecSQL(u"delete from t_tjxx where KSH = '%1'"_s.arg(r.Form->Ksh()));
    r.Form->DNActionExecute(2);
    QCOMPARE(r.Form->CurrentLocation(), ZKMainDef().ProgramFolder + NoImagePageName);
    QCOMPARE(r.F->Messages.Messages.size(), 1);
    QCOMPARE(r.F->Messages.Messages[0].Text, u"生成考生信息页面出错:\r\nt_tjxx中找不到该考生"_s);
    QCOMPARE(r.F->Messages.Messages[0].Caption, u"考生信息"_s);
    QCOMPARE(r.F->Messages.Messages[0].Icon, TMsgIcon::Warning);
    r.F->DM.UnivConn.ExecSQL(u"delete from T_TDD where KSH = '%1'"_s.arg(r.Form->Ksh()));
    r.Form->DNActionExecute(0);
    QCOMPARE(r.F->Messages.Messages.value(1).Text, u"生成考生信息页面出错:\r\nT_TDD中找不到该考生"_s);
    QVERIFY(r.Form->isVisible());
}

void TestDNForm::statusChangeLocksTheWindow()
{
    TDetailRig r(false, false);
    r.ShowFirst();
    r.Form->ZYActionExecute(); // no dialog: nothing happens
    TLockProbeDialog dialog(*r.Form);
    r.Form->SetChangeLQZTDialog(&dialog);
    r.Form->DNActionExecute(1);
    const QString before = r.Form->CurrentLocation();
    QTest::qWait(2);
    r.Form->TDYYActionExecute();
    QCOMPARE(dialog.Shown.size(), 1);
    QVERIFY(dialog.LockedWhileShown);
    QVERIFY(!r.Form->DNLocked);
    QVERIFY(r.Form->CurrentLocation() != before); // page 1 was built again
    QCOMPARE(dialog.Shown[0].KSHLabel, u"考生号: "_s + r.Form->Ksh());
}

void TestDNForm::windowRulesAndPageFolder()
{
    TDetailRig r(false, false);
    r.Form->SetDocumentCaptions(u"报名登记表"_s, u"体检登记表"_s, QString());
    QCOMPARE(r.Form->DNActions[3]->text(), u"报名登记表"_s);
    QCOMPARE(r.Form->DNActions[4]->text(), u"体检登记表"_s);
    QCOMPARE(r.Form->DNActions[5]->text(), u"附加表"_s);
    QCOMPARE(r.Form->windowTitle(), u"考生信息"_s);
    QVERIFY(r.Form->height() >= ScaledPixels(533, r.Form.get()));
    r.ShowFirst();
    TDNItemRec locked{r.F->DM.CurrentKSList[2]->Ksh, r.F->DM.CurrentKSList[2], {}};
    r.Form->DNLocked = true;
    r.Form->Execute(locked, {});
    QCOMPARE(r.Form->Ksh(), r.F->DM.CurrentKSList[0]->Ksh); // ignored while locked
    r.Form->DNLocked = false;
    r.Form->DisableNavigator();
    QVERIFY(!r.Form->NextAction->isEnabled());
    QTest::keyClick(r.Form->DNBrowser(), Qt::Key_Escape);
    QVERIFY(!r.Form->isVisible());
    r.ShowFirst();
    QTest::keyClick(r.Form.get(), Qt::Key_Return);
    QVERIFY(!r.Form->isVisible());
    const QString folder = ZKMainDef().LoginInfo.DownloadFolder + u"HtmlTemp/"_s;
    QVERIFY(QDir(folder).exists());
    r.F->DM.SetDetailWindow(nullptr);
    r.Form.reset();
    QVERIFY(!QDir(folder).exists());
}

// A candidate number from the leader that would lead out of the page or document folders:
// every page shows the error instead of a written file, no document is looked for,
// unpacked or fetched, and nothing anywhere below the test's folder changes.
void TestDNForm::candidateNumberThatLeavesTheFolderWritesNothing()
{
    TDetailRig r(false, false);
    r.ShowFirst();
    ZKMainDef().AutoUnpack = true;
    ZKMainDef().AutoPhoto = true;
    ZKMainDef().IsConnected = true; // a fetch would start at once
    const QString root = QDir::cleanPath(r.F->Temp(QString()) + u"/.."_s);
    const QString pages = ZKMainDef().LoginInfo.DownloadFolder + u"HtmlTemp"_s;
    const QString up = QString(u"../"_s).repeated(QDir(root).relativeFilePath(pages).count(u'/') + 1);
    QVERIFY(QFileInfo(pages + u'/' + up).canonicalFilePath() == QFileInfo(root).canonicalFilePath());
    const QStringList before = FilesBelow(root);

    TKSItem *item = r.F->DM.CurrentKSList[1];
    const QString refusal = u"生成考生信息页面出错:\r\n"_s + DNKshRefusalText();
    int messages = 0;
    for (const QString &ksh : QStringList{up + u"escaped"_s, u"../"_s + r.Form->Ksh(), u".."_s, u"a/b"_s, u"a\\b"_s,
                               u"x\ny"_s, QString()}) {
        TDNItemRec rec{ksh, item, {}};
        r.Form->Execute(rec, {});
        for (int page : {1, 3, 5}) {
            r.Form->DNActionExecute(page);
            QCOMPARE(r.Form->CurrentLocation(), ZKMainDef().ProgramFolder + NoImagePageName);
        }
        r.Form->LoadDNPage(-1);
        r.Form->LoadQBZY();
        QVERIFY2(r.F->Messages.Messages.size() == messages + 6, qPrintable(ksh));
        for (; messages < r.F->Messages.Messages.size(); ++messages)
            QCOMPARE(r.F->Messages.Messages[messages].Text, refusal);
    }
    QVERIFY(r.F->Animation.Shown.isEmpty()); // nothing was fetched
    QVERIFY(r.OpenedFolders.isEmpty());
    QCOMPARE(FilesBelow(root), before);
}

// Links of a page: web addresses only after the member agrees, the candidate's documents
// through the desktop, never an executable or a file elsewhere; a document that could run
// is not even offered.
void TestDNForm::linksFollowOnlyTheirPolicy()
{
    TDetailRig r(false, false);
    TRecordingOpener opener;
    TAnsweringSink sink;
    r.Form->SetDesktopOpener(&opener);
    r.Form->SetMessageSink(&sink);
    ZKMainDef().IsConnected = false;
    r.ShowFirst();
    const QString ksh = r.Form->Ksh();
    const QString download = ZKMainDef().LoginInfo.DownloadFolder;
    QTextBrowser *browser = r.Form->DNBrowser();

    emit browser->anchorClicked(QUrl(u"https://example.org/a"_s));
    QCOMPARE(sink.Messages.value(0).Text, u"是否用浏览器打开以下网址？\r\nhttps://example.org/a"_s);
    QCOMPARE(sink.Messages.value(0).Icon, TMsgIcon::Question);
    QCOMPARE(sink.Messages.value(0).Caption, u"考生信息"_s);
    QCOMPARE(sink.Buttons.value(0), TMsgButtons::YesNo);
    QVERIFY(opener.Opened.isEmpty());
    sink.Answer = TMsgResult::Yes;
    emit browser->anchorClicked(QUrl(u"https://example.org/a"_s));
    QCOMPARE(opener.Opened, QList<QUrl>{QUrl(u"https://example.org/a"_s)});

    for (const QString &link : {u"file:///etc/passwd"_s, u"mailto:a@example.org"_s, u"../../../../x.pdf"_s}) {
        emit browser->anchorClicked(QUrl(link));
        QCOMPARE(sink.Messages.last().Icon, TMsgIcon::Warning);
    }
    QCOMPARE(opener.Opened.size(), 1);

    // The candidate's documents: one the desktop may open, one it may not.
    WriteDocument(download + u"BMB/"_s + ksh + u".pdf"_s, "%PDF-1.4\n");
    WriteDocument(download + u"FJB/"_s + ksh + u".desktop"_s, "[Desktop Entry]\nType=Application\nExec=true\n");
    r.Form->DNActionExecute(3);
    QVERIFY(r.BrowserText().contains(u"用关联的程序打开"_s));
    emit browser->anchorClicked(QUrl::fromLocalFile(download + u"BMB/"_s + ksh + u".pdf"_s));
    QCOMPARE(opener.Opened.value(1), QUrl::fromLocalFile(download + u"BMB/"_s + ksh + u".pdf"_s));
    r.Form->DNActionExecute(5);
    QVERIFY(r.BrowserText().contains(u"为安全起见不能打开"_s));
    QVERIFY(!browser->toHtml().contains(u"<a "_s));
    const int shown = int(sink.Messages.size());
    emit browser->anchorClicked(QUrl::fromLocalFile(download + u"FJB/"_s + ksh + u".desktop"_s));
    QCOMPARE(sink.Messages.size(), shown + 1);
    QVERIFY(sink.Messages.last().Text.startsWith(u"该文件可能是程序或脚本"_s));
    QCOMPARE(opener.Opened.size(), 2);
}

QTEST_MAIN(TestDNForm)
#include "tst_DNForm.moc"
