#include "store/RecordColumn.h"

#include "store/Overloaded.h"

#include <bit>
#include <cstring>

bool TRecordColumn::TKey::operator==(const TKey &other) const
{
    // Texts first: nearly every key is one.
    if (const QString *s = Value.Get<QString>()) {
        const QString *t = other.Value.Get<QString>();
        if (!t || s->isNull() != t->isNull() || s->size() != t->size())
            return false;
        return s->constData() == t->constData() || *s == *t; // shared characters are equal
    }
    if (!(Value == other.Value))
        return false;
    if (const QString *s = Value.Get<QString>())
        return s->isNull() == other.Value.Get<QString>()->isNull();
    if (const QByteArray *b = Value.Get<QByteArray>())
        return b->isNull() == other.Value.Get<QByteArray>()->isNull();
    return true;
}

size_t qHash(const TRecordColumn::TKey &key, size_t seed) noexcept
{
    const size_t kind = key.Value.Data().index();
    if (const QString *s = key.Value.Get<QString>())
        return qHash(*s, seed);
    return std::visit(TOverloaded{
                          [&](std::monostate) { return qHashMulti(seed, kind); },
                          [&](bool b) { return qHashMulti(seed, kind, b); },
                          [&](qint64 i) { return qHashMulti(seed, kind, i); },
                          [&](quint64 u) { return qHashMulti(seed, kind, u); },
                          [&](float f) { return qHashMulti(seed, kind, std::bit_cast<quint32>(f)); },
                          [&](double d) { return qHashMulti(seed, kind, std::bit_cast<quint64>(d)); },
                          [&](TDbCurrency c) { return qHashMulti(seed, kind, c.Units); },
                          [&](TOleDate d) { return qHashMulti(seed, kind, std::bit_cast<quint64>(d.Days)); },
                          [&](const TDbDecimal &d) {
                              return qHashMulti(seed, kind, d.Hi, d.Lo, d.Scale, d.Precision, d.Negative);
                          },
                          [&](TDbDate d) { return qHashMulti(seed, kind, d.Year, d.Month, d.Day); },
                          [&](TDbTime t) { return qHashMulti(seed, kind, t.Hour, t.Minute, t.Second); },
                          [&](const TDbTimeStamp &t) {
                              return qHashMulti(seed, kind, t.Year, t.Month, t.Day, t.Hour, t.Minute,
                                                t.Second, t.Fraction);
                          },
                          [&](TFileTime t) { return qHashMulti(seed, kind, t.Ticks); },
                          [&](const QUuid &u) { return qHashMulti(seed, kind, u); },
                          [&](const QByteArray &b) { return qHashMulti(seed, kind, b); },
                          [&](const QString &s) { return qHashMulti(seed, kind, s); },
                      },
                      key.Value.Data());
}

void TRecordColumn::Reserve(qsizetype rows)
{
    if (FDirect)
        FValues.reserve(rows);
    else
        FIndex.reserve(rows);
}

int TRecordColumn::DistinctIndex(const TDbValue &value)
{
    TKey key{value};
    if (const auto it = FLookup.constFind(key); it != FLookup.constEnd())
        return *it;
    // A column of mostly different values gains nothing from looking each one up.
    if (FDistinct.size() >= MaxDistinct ||
        (FIndex.size() >= SampleRows && FDistinct.size() * 2 > FIndex.size()))
        return -1;
    const auto index = quint16(FDistinct.size());
    FDistinct.append(value);
    FLookup.insert(std::move(key), index);
    return index;
}

void TRecordColumn::MakeDirect()
{
    QList<TDbValue> values;
    values.reserve(std::max(FIndex.capacity(), FIndex.size() + 1));
    for (const quint16 index : std::as_const(FIndex))
        values.append(FDistinct.at(index));
    FValues = std::move(values);
    FDirect = true;
    FIndex = {};
    FDistinct = {};
    FLookup = {};
}

void TRecordColumn::Append(TDbValue value)
{
    if (!FDirect) {
        const int index = DistinctIndex(value);
        if (index >= 0) {
            FIndex.append(quint16(index));
            return;
        }
        MakeDirect();
    }
    FValues.append(std::move(value));
}

void TRecordColumn::Set(qsizetype row, TDbValue value)
{
    if (!FDirect) {
        const int index = DistinctIndex(value);
        if (index >= 0) {
            FIndex[row] = quint16(index);
            return;
        }
        MakeDirect();
    }
    FValues[row] = std::move(value);
}

void TRecordColumn::RemoveAt(qsizetype row)
{
    if (FDirect)
        FValues.removeAt(row);
    else
        FIndex.removeAt(row);
}

void TRecordColumn::Keep(const QList<bool> &keep)
{
    qsizetype row = 0;
    const auto dropped = [&keep, &row](const auto &) { return !keep.at(row++); };
    if (FDirect)
        FValues.removeIf(dropped);
    else
        FIndex.removeIf(dropped);
}

void TRecordColumn::Clear()
{
    *this = TRecordColumn();
}
