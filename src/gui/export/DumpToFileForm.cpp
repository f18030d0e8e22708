#include "gui/export/DumpToFileForm.h"

#include "gui/common/GuiMetrics.h"
#include "gui/common/HelpTopics.h"
#include "link/BgTaskThread.h"
#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int HelpTopic = 11120;

// Holds the task thread's results back while the export runs on the interface thread.
class TForegroundLongTask
{
public:
    TForegroundLongTask()
    {
        if (BgTaskThread)
            BgTaskThread->BeginFgLongTask();
    }
    ~TForegroundLongTask()
    {
        if (BgTaskThread)
            BgTaskThread->EndFgLongTask();
    }
    TForegroundLongTask(const TForegroundLongTask &) = delete;
    TForegroundLongTask &operator=(const TForegroundLongTask &) = delete;
};

} // namespace

TDumpToFileForm::TDumpToFileForm(TMainDM &dm, QWidget *parent)
    : QDialog(parent)
    , FDm(dm)
{
    setObjectName(u"DumpToFileForm"_s);
    setWindowTitle(ZKExportText::DialogCaption);
    ChooseFile = [this](const QString &caption, const QString &defaultName) {
        return RunSaveDialog(this, caption, defaultName);
    };
    BuildLayout();
    ApplyWindowFont(this);
}

void TDumpToFileForm::BuildLayout()
{
    HintLabel = new QLabel(u"请在下表中选择你需要导出的考生范围以及导出文件名。"_s, this);
    HintLabel->setWordWrap(true);

    auto *rangeGroup = new QGroupBox(u"导出考生范围"_s, this);
    KLJHXZList = new QTreeWidget(rangeGroup);
    KLJHXZList->setObjectName(u"KLJHXZList"_s);
    KLJHXZList->setAccessibleName(u"导出考生范围"_s);
    KLJHXZList->setRootIsDecorated(false);
    KLJHXZList->setHeaderLabels({u"批次"_s, u"科类"_s, u"计划性质"_s});
    KLJHXZList->header()->setStretchLastSection(false);
    // The check box sits in the first column: it gets its room on top of the text's 90.
    const int checkRoom = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, KLJHXZList) +
                          2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, KLJHXZList);
    KLJHXZList->setColumnWidth(0, ScaledPixels(90, this) + checkRoom);
    KLJHXZList->setColumnWidth(1, ScaledPixels(80, this));
    KLJHXZList->setColumnWidth(2, ScaledPixels(111, this));
    KLJHXZList->setMinimumWidth(ScaledPixels(90 + 80 + 111 + 24, this) + checkRoom);
    SelectAllBtn = new QPushButton(u"全部选定"_s, rangeGroup);
    InvertSelectBtn = new QPushButton(u"反向选择"_s, rangeGroup);
    auto *rangeButtons = new QVBoxLayout;
    rangeButtons->addWidget(SelectAllBtn);
    rangeButtons->addWidget(InvertSelectBtn);
    rangeButtons->addStretch();
    auto *rangeLayout = new QHBoxLayout(rangeGroup);
    rangeLayout->addWidget(KLJHXZList, 1);
    rangeLayout->addLayout(rangeButtons);

    auto *fileGroup = new QGroupBox(u"导出文件名"_s, this);
    auto *fileLabel = new QLabel(u"文件名:"_s, fileGroup);
    FileNameEdit = new QLineEdit(fileGroup);
    FileNameEdit->setObjectName(u"FileNameEdit"_s);
    FileNameEdit->setReadOnly(true);
    fileLabel->setBuddy(FileNameEdit);
    FileBtn = new QPushButton(u"…"_s, fileGroup);
    FileBtn->setObjectName(u"FileBtn"_s);
    FileBtn->setFixedWidth(ScaledPixels(32, this));
    auto *fileLayout = new QHBoxLayout(fileGroup);
    fileLayout->addWidget(fileLabel);
    fileLayout->addWidget(FileNameEdit, 1);
    fileLayout->addWidget(FileBtn);

    OKBtn = new QPushButton(u"确定"_s, this);
    OKBtn->setObjectName(u"OKBtn"_s);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(u"取消"_s, this);
    CancelBtn->setObjectName(u"CancelBtn"_s);
    HelpBtn = new QPushButton(u"帮助"_s, this);
    HelpBtn->setObjectName(u"HelpBtn"_s);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(HelpBtn);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(HintLabel);
    layout->addWidget(rangeGroup, 1);
    layout->addWidget(fileGroup);
    layout->addLayout(buttons);
    resize(ScaledPixels(440, this), ScaledPixels(360, this));

    connect(SelectAllBtn, &QPushButton::clicked, this, [this] { SetAllChecks(false); });
    connect(InvertSelectBtn, &QPushButton::clicked, this, [this] { SetAllChecks(true); });
    connect(FileBtn, &QPushButton::clicked, this, &TDumpToFileForm::ChooseFileClicked);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBtn, &QPushButton::clicked, this, [this] { ShowHelpTopic(HelpTopic, this); });
    auto *f1 = new QShortcut(QKeySequence::HelpContents, this);
    connect(f1, &QShortcut::activated, this, [this] { ShowHelpTopic(HelpTopic, this); });
}

QStringList TDumpToFileForm::FileFilters()
{
    QStringList filters{u"dBase IV 文件(*.dbf)"_s, u"Excel 文件(*.xls)"_s};
    if (ZKMainDef().AceAvailable)
        filters.append(u"Excel 2007 文件(*.xlsx)"_s);
    return filters;
}

QString TDumpToFileForm::RunSaveDialog(QWidget *parent, const QString &caption, const QString &defaultName)
{
    QFileDialog dialog(parent, caption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(FileFilters());
    dialog.setDefaultSuffix(u"dbf"_s);
    dialog.selectFile(defaultName);
    // A name typed without an extension takes the chosen type's.
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &filter) {
        const qsizetype dot = filter.lastIndexOf(u'.');
        dialog.setDefaultSuffix(filter.mid(dot + 1).chopped(1));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

void TDumpToFileForm::ChooseFileClicked()
{
    const QString file = ChooseFile(windowTitle(), ZKExportText::DossierDefaultName);
    if (file.isEmpty())
        return;
    FileNameEdit->setText(file);
    OKBtn->setEnabled(true);
}

void TDumpToFileForm::SetAllChecks(bool invert)
{
    for (int i = 0; i < KLJHXZList->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = KLJHXZList->topLevelItem(i);
        const bool checked = item->checkState(0) == Qt::Checked;
        item->setCheckState(0, invert && checked ? Qt::Unchecked : Qt::Checked);
    }
}

void TDumpToFileForm::Prepare()
{
    const TZKMainDef &def = ZKMainDef();
    FRows = TDumpToFile::ReadSetRows(FDm);
    KLJHXZList->clear();
    for (const TExportSetRow &row : std::as_const(FRows)) {
        auto *item = new QTreeWidgetItem(KLJHXZList, {row.PcText, row.KlText, row.JhxzText});
        const bool current = row.PCDM == def.CurPCDM && row.KLDM == def.CurKLDM && row.JHXZ == def.CurJHXZ;
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, current ? Qt::Checked : Qt::Unchecked);
    }
    FileNameEdit->clear();
    OKBtn->setEnabled(false);
}

QList<TExportSetRow> TDumpToFileForm::CheckedSets() const
{
    QList<TExportSetRow> sets;
    for (int i = 0; i < KLJHXZList->topLevelItemCount() && i < FRows.size(); ++i) {
        if (KLJHXZList->topLevelItem(i)->checkState(0) == Qt::Checked)
            sets.append(FRows[i]);
    }
    return sets;
}

bool TDumpToFileForm::ExportChecked(IProgressSink &progress, IMessageSink &messages)
{
    TDumpToFile dump(FDm, progress, messages);
    return dump.ExportDossiers(FileNameEdit->text(), CheckedSets());
}

bool TDumpToFileForm::Execute(IProgressSink &progress, IMessageSink &messages)
{
    Prepare();
    if (exec() != QDialog::Accepted)
        return false;
    return ExportChecked(progress, messages);
}

bool TDumpToFileForm::ExecuteWithTextTable(IProgressSink &progress, IMessageSink &messages)
{
    const QString file = ChooseFile(ZKExportText::ScreenCaption, ZKExportText::ScreenDefaultName);
    if (file.isEmpty())
        return false;
    TDumpToFile dump(FDm, progress, messages);
    dump.ExportScreen(file);
    return true;
}

void TDumpToFileForm::Execute(TMainDM &dm, bool screenExport, IProgressSink &progress, IMessageSink &messages,
                              QWidget *parent)
{
    TDumpToFileForm form(dm, parent);
    try {
        if (screenExport) {
            form.ExecuteWithTextTable(progress, messages);
        } else {
            const TForegroundLongTask longTask;
            form.Execute(progress, messages);
        }
    } catch (const EZKError &e) {
        messages.ShowMessage(e.Message(),
                             screenExport ? ZKExportText::ScreenCaption : ZKExportText::DialogCaption,
                             TMsgIcon::Error);
    }
}
