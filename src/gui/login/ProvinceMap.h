#pragma once

// The map under the province labels of the login dialog: the provinces drawn from an
// SVG with one path per province (its id the province code), the province under the
// mouse highlighted, and a click inside a province reported like a click on its label.

#include <QHash>
#include <QList>
#include <QPainterPath>
#include <QString>
#include <QWidget>

class QSvgRenderer;

// The outlines of an SVG written by tools/make-province-map.py: its paths by id, in
// SVG user units. Only absolute "M", "L" and "Z" commands occur in such a file.
struct TProvinceShapes
{
    QSizeF Size; // the viewBox
    QList<std::pair<QString, QPainterPath>> Paths;

    // False with the reason when the file cannot be read.
    bool Load(const QByteArray &svg, QString *error = nullptr);
    // The code of the smallest province holding the point, or an empty text.
    QString ProvinceAt(const QPointF &point) const;
};

// The map picture of the program (built into the program).
QByteArray ProvinceMapSvg();

class TProvinceMap : public QWidget
{
    Q_OBJECT
public:
    explicit TProvinceMap(QWidget *parent = nullptr);
    ~TProvinceMap() override;

    const TProvinceShapes &Shapes() const { return FShapes; }
    // The code of the province under a point of this widget, or an empty text.
    QString ProvinceAt(const QPoint &pos) const;
    // The province drawn highlighted (empty: none).
    const QString &HotProvince() const { return FHotProvince; }
    // The chosen province, drawn in a warmer tint.
    void SetCurrentProvince(const QString &code);

signals:
    void ProvinceClicked(const QString &code);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QTransform MapTransform() const;
    void SetHotProvince(const QString &code);
    void FillProvince(QPainter &painter, const QString &code, const QColor &color) const;

    QSvgRenderer *FRenderer;
    TProvinceShapes FShapes;
    QString FHotProvince;
    QString FCurrentProvince;
};
