#include "templates/FieldValues.h"

#include <cmath>
#include <variant>

int IntOrDefault(const QString &text, int def)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok, 10);
    return ok ? n : def;
}

int IntOrDefault(const TDbValue &value, int def)
{
    if (value.IsNull())
        return def;
    return IntOrDefault(value.AsString(), def);
}

double FloatOrDefault(const TDbValue &value, double def)
{
    if (value.IsNull())
        return def;
    double d = 0;
    if (const double *p = value.Get<double>()) {
        d = *p;
    } else if (const qint64 *i = value.Get<qint64>()) {
        d = double(*i);
    } else {
        bool ok = false;
        d = value.AsString().trimmed().toDouble(&ok);
        if (!ok)
            return def;
    }
    return std::isnan(d) ? def : d;
}
