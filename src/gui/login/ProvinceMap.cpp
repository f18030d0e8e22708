#include "gui/login/ProvinceMap.h"

#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

double PathArea(const QPainterPath &path)
{
    double area = 0;
    for (const QPolygonF &ring : path.toSubpathPolygons()) {
        double twice = 0;
        for (qsizetype i = 0; i < ring.size(); ++i) {
            const QPointF &a = ring.at(i);
            const QPointF &b = ring.at((i + 1) % ring.size());
            twice += a.x() * b.y() - b.x() * a.y();
        }
        area += std::abs(twice) / 2;
    }
    return area;
}

bool ParsePathData(const QString &data, QPainterPath &path)
{
    static const QRegularExpression token(u"([MLZmlz])|(-?[0-9]*\\.?[0-9]+(?:[eE][-+]?[0-9]+)?)"_s);
    QChar command;
    QList<double> numbers;
    auto flush = [&]() -> bool {
        if (command == u'M' && numbers.size() == 2)
            path.moveTo(numbers[0], numbers[1]);
        else if (command == u'L' && numbers.size() == 2)
            path.lineTo(numbers[0], numbers[1]);
        else if (!numbers.isEmpty())
            return false;
        numbers.clear();
        return true;
    };
    for (auto it = token.globalMatch(data); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedLength(1)) {
            if (!flush())
                return false;
            command = m.captured(1).at(0).toUpper();
            if (command == u'Z')
                path.closeSubpath();
        } else {
            numbers.append(m.captured(2).toDouble());
            if (numbers.size() == 2 && !flush())
                return false;
        }
    }
    return flush();
}

} // namespace

bool TProvinceShapes::Load(const QByteArray &svg, QString *error)
{
    Paths.clear();
    QXmlStreamReader xml(svg);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == u"svg"_s) {
            const QStringList box = attributes.value(u"viewBox"_s).toString().split(u' ', Qt::SkipEmptyParts);
            if (box.size() == 4)
                Size = QSizeF(box[2].toDouble(), box[3].toDouble());
        } else if (xml.name() == u"path"_s) {
            QPainterPath path;
            path.setFillRule(Qt::OddEvenFill);
            const QString id = attributes.value(u"id"_s).toString();
            if (!ParsePathData(attributes.value(u"d"_s).toString(), path)) {
                if (error)
                    *error = u"the outline of %1 cannot be read"_s.arg(id);
                return false;
            }
            Paths.append({id, path});
        }
    }
    if (xml.hasError() || Size.isEmpty()) {
        if (error)
            *error = xml.hasError() ? xml.errorString() : u"the picture has no size"_s;
        return false;
    }
    // The smallest province first: a point inside 北京 is also inside the outline of 河北.
    std::stable_sort(Paths.begin(), Paths.end(),
                     [](const auto &a, const auto &b) { return PathArea(a.second) < PathArea(b.second); });
    return true;
}

QString TProvinceShapes::ProvinceAt(const QPointF &point) const
{
    for (const auto &[code, path] : Paths)
        if (path.contains(point))
            return code;
    return {};
}

QByteArray ProvinceMapSvg()
{
    QFile file(u":/login/provinces.svg"_s);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TProvinceMap::TProvinceMap(QWidget *parent)
    : QWidget(parent)
    , FRenderer(new QSvgRenderer(this))
{
    const QByteArray svg = ProvinceMapSvg();
    FRenderer->load(svg);
    FShapes.Load(svg);
    setMouseTracking(true);
}

TProvinceMap::~TProvinceMap() = default;

QTransform TProvinceMap::MapTransform() const
{
    if (FShapes.Size.isEmpty())
        return {};
    return QTransform::fromScale(width() / FShapes.Size.width(), height() / FShapes.Size.height());
}

QString TProvinceMap::ProvinceAt(const QPoint &pos) const
{
    bool invertible = false;
    const QTransform inverse = MapTransform().inverted(&invertible);
    return invertible ? FShapes.ProvinceAt(inverse.map(QPointF(pos))) : QString();
}

void TProvinceMap::SetCurrentProvince(const QString &code)
{
    if (code != FCurrentProvince) {
        FCurrentProvince = code;
        update();
    }
}

void TProvinceMap::SetHotProvince(const QString &code)
{
    if (code == FHotProvince)
        return;
    FHotProvince = code;
    setCursor(code.isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
    update();
}

void TProvinceMap::FillProvince(QPainter &painter, const QString &code, const QColor &color) const
{
    for (const auto &[id, path] : FShapes.Paths)
        if (id == code)
            painter.fillPath(path, color);
}

void TProvinceMap::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(0xdd, 0xea, 0xf4)); // the sea
    FRenderer->render(&painter, QRectF(rect()));
    painter.setTransform(MapTransform());
    if (!FCurrentProvince.isEmpty())
        FillProvince(painter, FCurrentProvince, QColor(0xf2, 0xb8, 0x6a, 150));
    if (!FHotProvince.isEmpty())
        FillProvince(painter, FHotProvince, QColor(0x5b, 0x9b, 0xd5, 120));
}

void TProvinceMap::mouseMoveEvent(QMouseEvent *event)
{
    SetHotProvince(ProvinceAt(event->position().toPoint()));
    QWidget::mouseMoveEvent(event);
}

void TProvinceMap::mouseReleaseEvent(QMouseEvent *event)
{
    const QString code =
        event->button() == Qt::LeftButton ? ProvinceAt(event->position().toPoint()) : QString();
    if (!code.isEmpty())
        emit ProvinceClicked(code);
    QWidget::mouseReleaseEvent(event);
}

void TProvinceMap::leaveEvent(QEvent *event)
{
    SetHotProvince({});
    QWidget::leaveEvent(event);
}
