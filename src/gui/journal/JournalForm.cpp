#include "gui/journal/JournalForm.h"

#include "export/DumpToFile.h"
#include "gui/common/GuiMetrics.h"
#include "gui/common/HelpTopicList.h"
#include "gui/common/HelpTopics.h"
#include "gui/export/DumpToFileForm.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString WindowCaption = QStringLiteral("决定记录");

// Widths at 96 dots per inch of the listing's columns.
const QList<int> ColumnWidths = {130, 40, 40, 60, 110, 70, 90, 90, 40, 60, 160, 110, 130};

} // namespace

void TJournalModel::SetEntries(QList<TJournalEntry> entries)
{
    beginResetModel();
    FEntries = std::move(entries);
    FTexts.clear();
    for (const TJournalEntry &entry : std::as_const(FEntries))
        FTexts.append(entry.Texts());
    endResetModel();
}

int TJournalModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(FEntries.size());
}

int TJournalModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(TDecisionJournal::ColumnTitles().size());
}

QVariant TJournalModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= FEntries.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return FTexts[index.row()].value(index.column());
    if (role == Qt::FontRole && !FEntries[index.row()].Sent) {
        QFont font;
        font.setBold(true);
        return font;
    }
    return {};
}

QVariant TJournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return TDecisionJournal::ColumnTitles().value(section);
    return {};
}

TJournalForm::TJournalForm(TMainDM &dm, IProgressSink &progress, IMessageSink &messages, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , FDm(dm)
    , FProgress(progress)
    , FMessages(messages)
    , FModel(new TJournalModel(this))
{
    setObjectName(u"JournalForm"_s);
    setWindowTitle(WindowCaption);
    ChooseFile = [this](const QString &caption, const QString &defaultName) {
        return TDumpToFileForm::RunSaveDialog(this, caption, defaultName);
    };
    BuildLayout();
    ApplyWindowFont(this);
    SetWindowHelpTopic(this, ZKHelp::Journal);
    resize(ScaledPixels(900, this), ScaledPixels(420, this));
}

void TJournalForm::BuildLayout()
{
    HintLabel = new QLabel(this);
    HintLabel->setObjectName(u"HintLabel"_s);
    HintLabel->setWordWrap(true);
    ListLabel = new QLabel(u"决定记录(&L):"_s, this);
    JournalList = new QTableView(this);
    JournalList->setObjectName(u"JournalList"_s);
    JournalList->setAccessibleName(u"决定记录"_s);
    JournalList->setModel(FModel);
    JournalList->setSelectionBehavior(QAbstractItemView::SelectRows);
    JournalList->setSelectionMode(QAbstractItemView::SingleSelection);
    JournalList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    JournalList->setAlternatingRowColors(true);
    JournalList->verticalHeader()->hide();
    JournalList->verticalHeader()->setDefaultSectionSize(ScaledPixels(20, this));
    JournalList->horizontalHeader()->setHighlightSections(false);
    for (int c = 0; c < ColumnWidths.size(); ++c)
        JournalList->setColumnWidth(c, ScaledPixels(ColumnWidths[c], this));
    ListLabel->setBuddy(JournalList);
    connect(JournalList, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex &index) { FocusCandidate(index.row()); });

    CountLabel = new QLabel(this);
    CountLabel->setObjectName(u"CountLabel"_s);
    RefreshBtn = new QPushButton(u"刷新(&R)"_s, this);
    RefreshBtn->setObjectName(u"RefreshBtn"_s);
    ExportBtn = new QPushButton(u"导出(&E)..."_s, this);
    ExportBtn->setObjectName(u"ExportBtn"_s);
    CloseBtn = new QPushButton(u"关闭"_s, this);
    CloseBtn->setObjectName(u"CloseBtn"_s);
    HelpBtn = new QPushButton(u"帮助"_s, this);
    HelpBtn->setObjectName(u"HelpBtn"_s);
    connect(RefreshBtn, &QPushButton::clicked, this, [this] {
        try {
            Reload();
        } catch (const EZKError &e) {
            FMessages.ShowMessage(e.Message(), WindowCaption, TMsgIcon::Warning);
        }
    });
    connect(ExportBtn, &QPushButton::clicked, this, [this] {
        try {
            ExportRows();
        } catch (const EZKError &e) {
            FMessages.ShowMessage(e.Message(), ZKExportText::JournalCaption, TMsgIcon::Error);
        }
    });
    connect(CloseBtn, &QPushButton::clicked, this, &QWidget::close);
    connect(HelpBtn, &QPushButton::clicked, this, [this] { ShowHelpTopic(ZKHelp::Journal, this); });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(CountLabel, 1);
    for (QPushButton *button : {RefreshBtn, ExportBtn, CloseBtn, HelpBtn})
        buttons->addWidget(button);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(HintLabel);
    layout->addWidget(ListLabel);
    layout->addWidget(JournalList, 1);
    layout->addLayout(buttons);
}

TJournalForm *TJournalForm::Execute(TMainDM &dm, IProgressSink &progress, IMessageSink &messages,
                                    QWidget *parent)
{
    auto *form =
        parent ? parent->findChild<TJournalForm *>(u"JournalForm"_s, Qt::FindDirectChildrenOnly) : nullptr;
    if (!form)
        form = new TJournalForm(dm, progress, messages, parent);
    form->Reload();
    form->show();
    form->raise();
    form->activateWindow();
    return form;
}

void TJournalForm::Reload()
{
    const TZKMainDef &def = ZKMainDef();
    const QModelIndex current = JournalList->currentIndex();
    const qint64 keep = current.isValid() ? FModel->Entries().value(current.row()).Number : 0;
    QList<TJournalEntry> entries;
    if (def.IsTDDOpen)
        entries = TDecisionJournal(FDm.UnivConn).Read(def.CurPCDM, def.CurKLDM, def.CurJHXZ);
    FModel->SetEntries(entries);
    HintLabel->setText(
        def.IsTDDOpen
            ? u"批次 %1、科类 %2、计划性质 %3 的预录取和预退档记录，最新的在前。粗体的记录尚未随调剂意见发送给组长。"_s
                  .arg(def.CurPCDM, def.CurKLDM, def.CurJHXZ)
            : u"没有打开的投档单。"_s);
    const auto unsent =
        std::count_if(entries.cbegin(), entries.cend(), [](const TJournalEntry &e) { return !e.Sent; });
    CountLabel->setText(u"共 %1 条记录，其中 %2 条未发送。"_s.arg(entries.size()).arg(unsent));
    ExportBtn->setEnabled(!entries.isEmpty());
    for (int row = 0; row < entries.size(); ++row) {
        if (keep != 0 && entries[row].Number == keep) {
            JournalList->setCurrentIndex(FModel->index(row, 0));
            break;
        }
    }
}

bool TJournalForm::FocusCandidate(int row)
{
    if (row < 0 || row >= FModel->Entries().size())
        return false;
    const QString ksh = FModel->Entries()[row].KSH;
    if (!ZKMainDef().IsTDDOpen || FDm.GetKsId(ksh) < 0) {
        CountLabel->setText(u"考生 %1 不在当前的投档单中。"_s.arg(ksh));
        return false;
    }
    FDm.MakeKSVisible(ksh);
    if (QWidget *owner = parentWidget()) {
        owner->raise();
        owner->activateWindow();
    }
    return true;
}

bool TJournalForm::ExportRows()
{
    if (FModel->Entries().isEmpty())
        return false;
    const QString file = ChooseFile(ZKExportText::JournalCaption, ZKExportText::JournalDefaultName);
    if (file.isEmpty())
        return false;
    TDumpToFile dump(FDm, FProgress, FMessages);
    dump.ExportJournal(file, FModel->Entries());
    return true;
}

void TJournalForm::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow())
        return;
    // No message box here: it would take the activation and come back at once.
    try {
        Reload();
    } catch (const EZKError &e) {
        CountLabel->setText(e.Message());
    }
}
