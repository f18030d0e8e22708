#include "export/ExportSheet.h"

#include <QDateTime>

namespace {

double ExcelSerial(const QDateTime &time)
{
    static const qint64 epoch = QDate(1899, 12, 30).toJulianDay();
    return double(time.date().toJulianDay() - epoch) + time.time().msecsSinceStartOfDay() / 86400000.0;
}

bool IsNumberKind(TSqlFieldKind kind)
{
    return kind == TSqlFieldKind::Double || kind == TSqlFieldKind::Short || kind == TSqlFieldKind::Long ||
           kind == TSqlFieldKind::Counter;
}

TSheetCell DateCell(const QDateTime &time)
{
    TSheetCell cell;
    cell.Kind = TCellKind::Date;
    cell.Number = ExcelSerial(time);
    cell.HasTime = time.time().msecsSinceStartOfDay() != 0;
    return cell;
}

} // namespace

TSheetCell SheetCellOf(const QVariant &value, TSqlFieldKind kind)
{
    TSheetCell cell;
    if (!value.isValid() || value.isNull())
        return cell;
    const int type = value.typeId();
    if (kind == TSqlFieldKind::Boolean || type == QMetaType::Bool) {
        cell.Kind = TCellKind::Boolean;
        cell.Boolean = value.typeId() == QMetaType::QString
                           ? value.toString().trimmed() == QLatin1StringView("1")
                           : value.toBool();
        return cell;
    }
    if (type == QMetaType::QDateTime)
        return DateCell(value.toDateTime());
    if (kind == TSqlFieldKind::DateTime) {
        const QDateTime time = QDateTime::fromString(value.toString().left(19), Qt::ISODate);
        if (time.isValid())
            return DateCell(time);
    }
    const bool numeric = type == QMetaType::Double || type == QMetaType::Int || type == QMetaType::LongLong ||
                         type == QMetaType::UInt || type == QMetaType::ULongLong;
    if (numeric || IsNumberKind(kind)) {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (ok) {
            cell.Kind = TCellKind::Number;
            cell.Number = number;
            return cell;
        }
    }
    cell.Kind = TCellKind::Text;
    cell.Text = value.toString().left(MaxCellTextLength);
    return cell;
}
