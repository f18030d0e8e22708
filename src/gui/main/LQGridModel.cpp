#include "gui/main/LQGridModel.h"

#include "store/ZKError.h"
#include "store/ZKMainDef.h"
#include "workspace/MainDM.h"

#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <array>

using namespace Qt::StringLiterals;

namespace {

// Picture by lock mark (row) and status 0..5 (column).
constexpr int PictureTable[2][6] = {{2, 0, 1, 8, 3, 9}, {6, 4, 5, 8, 7, 9}};
constexpr int PictureCount = 10;

const QString CandidateMimeType = u"application/x-zelkinc-candidates"_s;

QPixmap RenderSvg(const QString &resource, int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

} // namespace

int LQGridPictureIndex(const TKSItem &ks, int curDqTddBh)
{
    int status = ks.KsZt;
    if (status > 5 || status < 0)
        status = 1;
    if (ks.TDDBH == curDqTddBh)
        status = 0;
    return PictureTable[ks.SdBz ? 1 : 0][status];
}

std::optional<QColor> LQGridTextColour(const TKSItem &ks)
{
    switch (ks.KsZt) {
    case 0:
        return QColor(0, 112, 112);
    case 2:
    case 3:
        return QColor(0, 0, 224);
    case 4:
        return QColor(96, 96, 96);
    default:
        if (!ks.ZyHg || !ks.TjHg)
            return QColor(160, 0, 160);
        return std::nullopt;
    }
}

QIcon LQGridStatusIcon(int index)
{
    static std::array<QIcon, PictureCount> icons;
    if (index < 0 || index >= PictureCount)
        return {};
    QIcon &icon = icons[size_t(index)];
    if (icon.isNull()) {
        const QString resource = u":/gui/main/pictures/lqgrid-%1.svg"_s.arg(index);
        // Rendered for the common screen scales; the selected picture is the normal one,
        // not a tinted copy.
        for (const int side : {15, 23, 30, 45, 60}) {
            const QPixmap pixmap = RenderSvg(resource, side);
            icon.addPixmap(pixmap, QIcon::Normal);
            icon.addPixmap(pixmap, QIcon::Selected);
        }
    }
    return icon;
}

TLQGridModel::TLQGridModel(TMainDM &dm, QObject *parent)
    : QAbstractTableModel(parent)
    , FDm(dm)
{}

int TLQGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : FRows;
}

int TLQGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(FCaptions.size());
}

TKSItem *TLQGridModel::Candidate(int row) const
{
    return row >= 0 && row < FDm.CurrentKSList.size() ? FDm.CurrentKSList[row] : nullptr;
}

QString TLQGridModel::CellText(int row, int column) const
{
    const TKSItem *ks = Candidate(row);
    if (!ks || column < 0 || column >= FDm.ZKColumn.size())
        return {};
    try {
        FDm.LQGridTableGotoKs(ks);
        return FDm.GetTddFieldStr(ks, FDm.ZKColumn[column]);
    } catch (const EZKError &e) {
        return e.Message();
    }
}

QVariant TLQGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return CellText(index.row(), index.column());
    case Qt::ForegroundRole:
        if (const TKSItem *ks = Candidate(index.row())) {
            if (const std::optional<QColor> colour = LQGridTextColour(*ks))
                return *colour;
        }
        return {};
    case Qt::DecorationRole:
    case PictureIndexRole:
        if (index.column() != 0)
            return {};
        if (const TKSItem *ks = Candidate(index.row())) {
            const int picture = LQGridPictureIndex(*ks, ZKMainDef().CurDQTDDBH);
            return role == PictureIndexRole ? QVariant(picture) : QVariant(LQGridStatusIcon(picture));
        }
        return {};
    default:
        return {};
    }
}

QVariant TLQGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return FCaptions.value(section);
    return {};
}

Qt::ItemFlags TLQGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

QStringList TLQGridModel::mimeTypes() const
{
    return {CandidateMimeType};
}

// The dragged candidates' numbers, one a line; nothing in the program accepts them, but a
// drag needs something to carry.
QMimeData *TLQGridModel::mimeData(const QModelIndexList &indexes) const
{
    QStringList numbers;
    int lastRow = -1;
    for (const QModelIndex &index : indexes) {
        if (index.row() == lastRow)
            continue;
        lastRow = index.row();
        if (const TKSItem *ks = Candidate(index.row()))
            numbers.append(ks->Ksh);
    }
    auto *mime = new QMimeData;
    mime->setData(CandidateMimeType, numbers.join(u"\r\n"_s).toUtf8());
    return mime;
}

void TLQGridModel::SetRowCount(int rows)
{
    rows = std::max(0, rows);
    // Rows are removed and inserted rather than the model reset, which would give the
    // columns back their default widths.
    if (rows < FRows) {
        beginRemoveRows({}, rows, FRows - 1);
        FRows = rows;
        endRemoveRows();
    } else if (rows > FRows) {
        beginInsertRows({}, FRows, rows - 1);
        FRows = rows;
        endInsertRows();
    }
}

void TLQGridModel::ClearColumns()
{
    if (FCaptions.isEmpty())
        return;
    beginRemoveColumns({}, 0, int(FCaptions.size()) - 1);
    FCaptions.clear();
    endRemoveColumns();
}

void TLQGridModel::AddColumn(const QString &caption)
{
    const int column = int(FCaptions.size());
    beginInsertColumns({}, column, column);
    FCaptions.append(caption);
    endInsertColumns();
}
