// The member commands of the main window: their state, their rules and what they do.

#include "exchange/MemberNetDM.h"
#include "gui/common/AboutForm.h"
#include "gui/common/ChangeLQZTDialog.h"
#include "gui/common/HelpTopics.h"
#include "gui/common/MemberWindows.h"
#include "gui/main/FolderToolBar.h"
#include "gui/main/KsFilterField.h"
#include "gui/main/LQGridView.h"
#include "gui/main/MainStatusBar.h"
#include "gui/main/MemberActionForm.h"
#include "gui/main/ZKMainForm.h"
#include "gui/main/ZyStateForm.h"
#include "link/BgTaskThread.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/ChangeLQZT.h"
#include "workspace/MainDM.h"

#include <QAction>
#include <QDesktopServices>
#include <QItemSelectionModel>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

constexpr int HelpContentsTopic = 10;

} // namespace

TCommandState TZKMainForm::CommandState() const
{
    const TZKMainDef &def = ZKMainDef();
    TCommandState s;
    s.IsConnected = def.IsConnected;
    s.IsNetIdle = def.IsNetIdle;
    s.IsSystemReady = def.IsSystemReady;
    s.IsTDDOpen = def.IsTDDOpen;
    s.CurZT = def.CurZT;
    s.FgLongTaskIdle = ForegroundIdle();
    s.HasFocusedRow = def.IsTDDOpen && FGrid->FocusedRow() >= 0;
    s.HasSelectedRows = def.IsTDDOpen && FGrid->selectionModel() && FGrid->selectionModel()->hasSelection();
    s.HasNetModule = FNet != nullptr;
    s.HasDetailWindow = FWindows->HasDetailWindow();
    s.HasStatistics = FWindows->HasStatistics();
    s.HasPrinting = FWindows->HasPrinting();
    s.HasExport = FWindows->HasExport();
    s.HasOptions = FWindows->HasOptions();
    s.HasReconnect = FWindows->HasReconnect();
    s.HasJournal = FWindows->HasJournal();
    return s;
}

void TZKMainForm::UpdateActions()
{
    if (FClosing)
        return;
    FCommands->UpdateActions(CommandState(), FZyStatePanel->isVisible());
    FKsFilterField->setEnabled(ZKMainDef().IsTDDOpen);
    FStatusBar->SetConnected(ZKMainDef().IsConnected);
}

void TZKMainForm::RunCommand(TMemberCommand id)
{
    // Shortcuts, the grid's double click and tests may come before the next idle update.
    UpdateActions();
    if (!FCommands->Action(id)->isEnabled())
        return;
    try {
        ExecuteCommand(id);
    } catch (const EZKError &e) {
        Messages().ShowMessage(e.Message(), PlainCaption(MemberCommandDef(id).Caption), TMsgIcon::Warning);
    }
    UpdateActions();
}

void TZKMainForm::ExecuteCommand(TMemberCommand id)
{
    using C = TMemberCommand;
    TZKMainDef &def = ZKMainDef();
    switch (id) {
    case C::Login:
        Reconnect();
        break;
    case C::Logout:
        Disconnect();
        break;
    case C::LinkToZB:
        OpenWebPage();
        break;
    case C::ExitAndLogin:
        RestartAfterClose = true;
        // A refused close must not turn the next plain exit into a restart.
        if (!close())
            RestartAfterClose = false;
        break;
    case C::Exit:
        close();
        break;
    case C::SelectPC:
        FFolderToolBar->DropMenu(TFolderMenu::PC);
        break;
    case C::SelectKL_JHXZ:
        FFolderToolBar->DropMenu(TFolderMenu::KL_JHXZ);
        break;
    case C::ViewTDDW:
        FFolderToolBar->DropMenu(TFolderMenu::TDDW);
        break;
    case C::ViewZY:
        FFolderToolBar->DropMenu(TFolderMenu::ZY);
        break;
    case C::FindKS:
        FindCandidate();
        break;
    case C::CopyKshToClipboard:
        FDm.CopyKshToClipboard();
        break;
    case C::FilterKS:
        FocusKsFilterField();
        break;
    case C::ZyState:
        FZyStatePanel->setVisible(!FZyStatePanel->isVisible());
        break;
    case C::SortByKSH:
        SortByField(u"KSH"_s);
        break;
    case C::SortByCj:
        SortByField(u"ZYYTJZCJ"_s);
        break;
    case C::SortByLQZY:
        SortByField(u"LQZY"_s);
        break;
    case C::ShowCodeTable:
        FDm.ShowCodeTableHtml();
        break;
    case C::HelpContent:
        ShowHelpTopic(HelpContentsTopic, this);
        break;
    case C::About:
        ExecuteAbout(u"院校子系统"_s, u"2012"_s, u"V6.1"_s + def.EditionSuffix, this);
        break;
    case C::DownLoadTDD:
        FNet->DownLoadAllTDD(def.CurPCDM);
        break;
    case C::UpLoadJG:
        FNet->UpLoadLQJG();
        break;
    case C::ChangeLQZT:
        ChangeLQZT();
        break;
    default:
        ExecuteWindowCommand(id);
        break;
    }
}

// The commands whose windows come from other subsystems.
void TZKMainForm::ExecuteWindowCommand(TMemberCommand id)
{
    using C = TMemberCommand;
    switch (id) {
    case C::DumpToFile:
        // The export dialog brackets its work as a foreground long task itself.
        FWindows->ExportDossiers();
        break;
    case C::DumpTextToFile:
        FWindows->ExportScreen();
        break;
    case C::PrintTDD:
        FWindows->PrintDossierList();
        break;
    case C::KSXX:
        FWindows->ShowDetailWindow();
        break;
    case C::Stat:
        FWindows->ShowStatistics();
        break;
    case C::Options:
        FWindows->ShowOptions();
        break;
    case C::Journal:
        FWindows->ShowJournal();
        break;
    default:
        break;
    }
}

void TZKMainForm::Reconnect()
{
    if (ZKMainDef().IsConnected)
        return;
    FWindows->Reconnect();
    FStatusBar->SetConnected(ZKMainDef().IsConnected);
    if (ZKMainDef().IsConnected && FNet)
        FNet->DownLoadAllTDD();
}

void TZKMainForm::Disconnect()
{
    TBgTaskThread *thread = FThreadSet ? FThread : BgTaskThread;
    if (!ZKMainDef().IsConnected || !thread)
        return;
    // The link is busy until the answer is back, so that no connect starts meanwhile.
    ZKMainDef().IsNetIdle = false;
    QPointer<TZKMainForm> self(this);
    const bool started = thread->ExecBgTask(
        [thread](QVariantList &in, QVariantList &out) { thread->DoDisconnect(in, out); }, {},
        [self](QVariantList &, QVariantList &) {
            ZKMainDef().IsNetIdle = true;
            if (self)
                self->FStatusBar->SetConnected(ZKMainDef().IsConnected);
        });
    if (!started)
        ZKMainDef().IsNetIdle = true;
}

void TZKMainForm::OpenWebPage()
{
    const TLoginInfo &login = ZKMainDef().LoginInfo;
    const QUrl url(u"http://"_s + login.WebAddress + u':' + login.WebPort);
    if (!url.isValid() || login.WebAddress.isEmpty() || !QDesktopServices::openUrl(url))
        throw EZKError(u"无法打开 "_s + url.toString());
}

void TZKMainForm::FindCandidate()
{
    QString ksh = FDm.KsTable.empty() ? QString() : FDm.KsTable.front()->Ksh.left(4);
    if (FHooks.AskCandidateNumber && FHooks.AskCandidateNumber(ksh))
        FDm.MakeKSVisible(ksh);
}

void TZKMainForm::SortByField(const QString &field)
{
    const int column = FDm.ColumnIndexOf(field);
    if (column >= 0)
        FGrid->SortByColumn(column);
}

void TZKMainForm::ChangeLQZT()
{
    if (!FChangeLQZTDialog) {
        if (!FDefaultChangeLQZTDialog)
            FDefaultChangeLQZTDialog = std::make_unique<TChangeLQZTDialog>(this);
        FChangeLQZTDialog = FDefaultChangeLQZTDialog.get();
    }
    TChangeLQZTForm(FDm, *FChangeLQZTDialog).Execute();
}
