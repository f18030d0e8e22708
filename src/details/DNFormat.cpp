// The format function of the candidate pages.
#include "details/DNFormat.h"

#include "store/ZKError.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace {

[[noreturn]] void Incompatible(const QString &format)
{
    throw EZKError(u"Format '%1' invalid or incompatible with argument"_s.arg(format));
}

bool IsText(const QVariant &v)
{
    return v.typeId() == QMetaType::QString;
}

bool IsWhole(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

bool IsNumber(const QVariant &v)
{
    return IsWhole(v) || v.typeId() == QMetaType::Double;
}

// Reads the directive after a '%' and writes its text.
class TDirectiveReader
{
public:
    TDirectiveReader(const QString &format, const QVariantList &args)
        : FFormat(format)
        , FArgs(args)
    {}

    QString Run()
    {
        QString out;
        out.reserve(FFormat.size() + 32);
        qsizetype i = 0;
        while (i < FFormat.size()) {
            const qsizetype percent = FFormat.indexOf(u'%', i);
            if (percent < 0 || percent + 1 >= FFormat.size()) {
                out += QStringView(FFormat).mid(i);
                break;
            }
            out += QStringView(FFormat).mid(i, percent - i);
            i = percent + 1;
            if (FFormat[i] == u'%') {
                out += u'%';
                ++i;
                continue;
            }
            out += Directive(i);
        }
        return out;
    }

private:
    // A number of the format, or "*" taken from the arguments; -1 when absent.
    int Number(qsizetype &i)
    {
        if (i < FFormat.size() && FFormat[i] == u'*') {
            ++i;
            const QVariant v = NextArg();
            if (!IsWhole(v))
                Incompatible(FFormat);
            return v.toInt();
        }
        int n = -1;
        while (i < FFormat.size() && FFormat[i].isDigit() && FFormat[i].unicode() < 128) {
            n = (n < 0 ? 0 : n) * 10 + (FFormat[i].unicode() - u'0');
            if (n > 100000)
                Incompatible(FFormat); // a width no page needs: a damaged format
            ++i;
        }
        return n;
    }

    QVariant NextArg()
    {
        if (FNext >= FArgs.size())
            Incompatible(FFormat);
        return FArgs[FNext++];
    }

    QString Directive(qsizetype &i)
    {
        // An index comes first when the number is followed by ':'.
        qsizetype probe = i;
        const int first = (i < FFormat.size() && FFormat[i] == u'*') ? -1 : Number(probe);
        if (first >= 0 && probe < FFormat.size() && FFormat[probe] == u':') {
            FNext = first;
            i = probe + 1;
        } else if (probe < FFormat.size() && FFormat[probe] == u':' && first < 0) {
            FNext = 0; // "%:s": index 0
            i = probe + 1;
        }
        bool left = false;
        if (i < FFormat.size() && FFormat[i] == u'-') {
            left = true;
            ++i;
        }
        const int width = Number(i);
        int precision = -1;
        if (i < FFormat.size() && FFormat[i] == u'.') {
            ++i;
            precision = qMax(0, Number(i));
        }
        if (i >= FFormat.size())
            Incompatible(FFormat);
        const QChar type = FFormat[i++].toLower();
        QString text = Converted(type, NextArg(), precision);
        if (width > text.size())
            text = left ? text.leftJustified(width) : text.rightJustified(width);
        return text;
    }

    QString Converted(QChar type, const QVariant &arg, int precision) const
    {
        switch (type.unicode()) {
        case u's':
            if (!IsText(arg))
                Incompatible(FFormat);
            return precision >= 0 ? arg.toString().left(precision) : arg.toString();
        case u'd':
        case u'u': {
            if (!IsWhole(arg))
                Incompatible(FFormat);
            const qlonglong n = arg.toLongLong();
            QString digits = QString::number(n < 0 ? -n : n);
            if (precision > digits.size())
                digits = digits.rightJustified(precision, u'0');
            return n < 0 ? u'-' + digits : digits;
        }
        case u'x': {
            if (!IsWhole(arg))
                Incompatible(FFormat);
            QString digits = QString::number(arg.toULongLong(), 16).toUpper();
            if (precision > digits.size())
                digits = digits.rightJustified(precision, u'0');
            return digits;
        }
        case u'f':
        case u'e':
        case u'g':
        case u'n':
        case u'm': {
            if (!IsNumber(arg))
                Incompatible(FFormat);
            return Decimal(type, arg.toDouble(), precision);
        }
        default:
            Incompatible(FFormat);
        }
    }

    static QString Decimal(QChar type, double v, int precision)
    {
        switch (type.unicode()) {
        case u'f':
            return QString::number(v, 'f', precision < 0 ? 2 : precision);
        case u'e':
            return QString::number(v, 'E', precision < 0 ? 14 : qMax(0, precision - 1));
        case u'g':
            return QString::number(v, 'g', precision < 0 ? 15 : qMax(1, precision));
        default: { // n and m: thousands separated
            QLocale c = QLocale::c();
            c.setNumberOptions({});
            return c.toString(v, 'f', precision < 0 ? 2 : precision);
        }
        }
    }

    const QString &FFormat;
    const QVariantList &FArgs;
    qsizetype FNext = 0;
};

} // namespace

QString DNFormat(const QString &format, const QVariantList &args)
{
    return TDirectiveReader(format, args).Run();
}
