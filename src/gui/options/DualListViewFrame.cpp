#include "gui/options/DualListViewFrame.h"

#include "gui/common/GuiMetrics.h"
#include "gui/common/GuiPictures.h"

#include <QCheckBox>
#include <QDrag>
#include <QDragEnterEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QByteArray SideText(TShownFieldLists::TSide side)
{
    return side == TShownFieldLists::TSide::Exc ? QByteArrayLiteral("exc") : QByteArrayLiteral("inc");
}

QIcon FieldIcon(const TShownFieldItem &item)
{
    InitGuiCommonResources();
    static const QIcon plain(GuiPicturePath(u"field"_s));
    static const QIcon mustShow(GuiPicturePath(u"mustshow"_s));
    return item.ImageIndex() != 0 ? mustShow : plain;
}

} // namespace

TFieldListWidget::TFieldListWidget(TDualListViewFrame *frame, TShownFieldLists::TSide side, QWidget *parent)
    : QListWidget(parent)
    , FFrame(frame)
    , FSide(side)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

QString TFieldListWidget::MimeType()
{
    return u"application/x-zelkinc-field"_s;
}

QByteArray TFieldListWidget::DragData() const
{
    return QByteArray::number(quintptr(FFrame), 16) + ':' + SideText(FSide);
}

bool TFieldListWidget::SourceOf(const QMimeData *mime, TShownFieldLists::TSide &side) const
{
    if (!mime || !mime->hasFormat(MimeType()))
        return false;
    const QList<QByteArray> parts = mime->data(MimeType()).split(':');
    if (parts.size() != 2 || parts[0] != QByteArray::number(quintptr(FFrame), 16))
        return false;
    side = parts[1] == "exc" ? TShownFieldLists::TSide::Exc : TShownFieldLists::TSide::Inc;
    return true;
}

void TFieldListWidget::startDrag(Qt::DropActions)
{
    if (!currentItem())
        return;
    auto *mime = new QMimeData;
    mime->setData(MimeType(), DragData());
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->exec(Qt::MoveAction);
}

void TFieldListWidget::dragEnterEvent(QDragEnterEvent *event)
{
    TShownFieldLists::TSide from;
    if (SourceOf(event->mimeData(), from) && FFrame->AcceptsDrag(from, FSide))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TFieldListWidget::dragMoveEvent(QDragMoveEvent *event)
{
    TShownFieldLists::TSide from;
    if (SourceOf(event->mimeData(), from) && FFrame->AcceptsDrag(from, FSide))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TFieldListWidget::dropEvent(QDropEvent *event)
{
    TShownFieldLists::TSide from;
    if (!SourceOf(event->mimeData(), from)) {
        event->ignore();
        return;
    }
    const QModelIndex under = indexAt(event->position().toPoint());
    // The frame shows the lists again itself; the view must not move items.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    FFrame->DropField(from, FSide, under.isValid() ? under.row() : -1);
}

TDualListViewFrame::TDualListViewFrame(TMainDM &dm, QWidget *parent)
    : QWidget(parent)
    , FDm(dm)
{
    setObjectName(u"DualListViewFrame"_s);
    TitleLabel = new QLabel(u"当前批次、科类、计划性质的投档单的显示"_s, this);
    ExcLabel = new QLabel(u"不显示下列信息:"_s, this);
    ExcList = new TFieldListWidget(this, TShownFieldLists::TSide::Exc, this);
    ExcList->setObjectName(u"ExcList"_s);
    ExcLabel->setBuddy(ExcList);
    IncLabel = new QLabel(u"显示下列信息:"_s, this);
    IncList = new TFieldListWidget(this, TShownFieldLists::TSide::Inc, this);
    IncList->setObjectName(u"IncList"_s);
    IncLabel->setBuddy(IncList);
    AddBtn = new QPushButton(u"添加 >"_s, this);
    AddBtn->setObjectName(u"AddBtn"_s);
    RemoveBtn = new QPushButton(u"< 移去"_s, this);
    RemoveBtn->setObjectName(u"RemoveBtn"_s);
    UpBtn = new QPushButton(u"上移"_s, this);
    UpBtn->setObjectName(u"UpBtn"_s);
    DownBtn = new QPushButton(u"下移"_s, this);
    DownBtn->setObjectName(u"DownBtn"_s);
    ApplyToAllCheck = new QCheckBox(u"应用于所有批次、科类、计划性质"_s, this);
    ApplyToAllCheck->setObjectName(u"ApplyToAllCheck"_s);

    auto *middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(AddBtn);
    middle->addWidget(RemoveBtn);
    middle->addStretch();
    auto *right = new QVBoxLayout;
    right->addStretch();
    right->addWidget(UpBtn);
    right->addWidget(DownBtn);
    right->addStretch();
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(TitleLabel, 0, 0, 1, 4);
    grid->addWidget(ExcLabel, 1, 0);
    grid->addWidget(IncLabel, 1, 2);
    grid->addWidget(ExcList, 2, 0);
    grid->addLayout(middle, 2, 1);
    grid->addWidget(IncList, 2, 2);
    grid->addLayout(right, 2, 3);
    grid->addWidget(ApplyToAllCheck, 3, 0, 1, 4);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);

    connect(AddBtn, &QPushButton::clicked, this, [this] { AddField(Lists.IncIndex); });
    connect(RemoveBtn, &QPushButton::clicked, this, &TDualListViewFrame::RemoveField);
    connect(UpBtn, &QPushButton::clicked, this, &TDualListViewFrame::MoveUp);
    connect(DownBtn, &QPushButton::clicked, this, &TDualListViewFrame::MoveDown);
    connect(ExcList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        Lists.ExcIndex = ExcList->row(item);
        AddField(Lists.IncIndex);
    });
    connect(IncList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        Lists.IncIndex = IncList->row(item);
        RemoveField();
    });
    connect(ExcList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!FShowing) {
            Lists.ExcIndex = row;
            UpdateButtons();
        }
    });
    connect(IncList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!FShowing) {
            Lists.IncIndex = row;
            UpdateButtons();
        }
    });
    connect(ApplyToAllCheck, &QCheckBox::toggled, this, [this](bool on) { Lists.ApplyToAll = on; });
}

void TDualListViewFrame::Init()
{
    Lists.Load(FDm);
    ApplyToAllCheck->setChecked(false);
    ShowLists();
}

bool TDualListViewFrame::Done()
{
    Lists.ApplyToAll = ApplyToAllCheck->isChecked();
    return Lists.Done(FDm);
}

void TDualListViewFrame::ShowLists()
{
    FShowing = true;
    const auto fill = [](QListWidget *list, const QList<TShownFieldItem> &items, int current) {
        list->clear();
        for (const TShownFieldItem &item : items)
            list->addItem(new QListWidgetItem(FieldIcon(item), item.ZDMC));
        list->setCurrentRow(current);
    };
    fill(ExcList, Lists.Exc, Lists.ExcIndex);
    fill(IncList, Lists.Inc, Lists.IncIndex);
    FShowing = false;
    UpdateButtons();
}

void TDualListViewFrame::UpdateButtons()
{
    const bool excSelected = Lists.ExcIndex >= 0 && Lists.ExcIndex < Lists.Exc.size();
    const bool incSelected = Lists.IncIndex >= 0 && Lists.IncIndex < Lists.Inc.size();
    AddBtn->setEnabled(excSelected);
    RemoveBtn->setEnabled(incSelected && !Lists.Inc[Lists.IncIndex].MustShow());
    UpBtn->setEnabled(incSelected && Lists.IncIndex > 0);
    DownBtn->setEnabled(incSelected && Lists.IncIndex < Lists.Inc.size() - 1);
}

void TDualListViewFrame::AddField(int before)
{
    if (!Lists.Add(before))
        return;
    ShowLists();
    IncList->setFocus();
}

void TDualListViewFrame::RemoveField()
{
    if (!Lists.Remove())
        return;
    ShowLists();
    ExcList->setFocus();
}

void TDualListViewFrame::MoveUp()
{
    if (Lists.MoveUp())
        ShowLists();
}

void TDualListViewFrame::MoveDown()
{
    if (Lists.MoveDown())
        ShowLists();
}

bool TDualListViewFrame::AcceptsDrag(TShownFieldLists::TSide from, TShownFieldLists::TSide to) const
{
    return Lists.AcceptsDrag(from, to);
}

bool TDualListViewFrame::DropField(TShownFieldLists::TSide from, TShownFieldLists::TSide to, int target)
{
    if (!Lists.Drop(from, to, target))
        return false;
    ShowLists();
    (to == TShownFieldLists::TSide::Inc ? IncList : ExcList)->setFocus();
    return true;
}
