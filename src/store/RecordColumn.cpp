#include "store/RecordColumn.h"

#include "store/Overloaded.h"

#include <QHash>
#include <bit>
#include <cstring>

namespace {

// Equal for the column's purpose: the same kind and bits, and for texts and bytes the
// same null-ness.
bool SameValue(const TDbValue &a, const TDbValue &b)
{
    // Texts first: nearly every value is one.
    if (const QString *s = a.Get<QString>()) {
        const QString *t = b.Get<QString>();
        if (!t || s->isNull() != t->isNull() || s->size() != t->size())
            return false;
        return s->constData() == t->constData() || *s == *t; // shared characters are equal
    }
    if (!(a == b))
        return false;
    if (const QByteArray *bytes = a.Get<QByteArray>())
        return bytes->isNull() == b.Get<QByteArray>()->isNull();
    return true;
}

// Texts hash by the bytes of their units, so that units not yet made into a string
// hash the same.
size_t HashOfUnits(const char *units, qsizetype count)
{
    return qHash(QByteArrayView(units, count * 2), QHashSeed::globalSeed());
}

size_t HashOf(const TDbValue &value)
{
    const size_t seed = QHashSeed::globalSeed();
    if (const QString *s = value.Get<QString>())
        return HashOfUnits(reinterpret_cast<const char *>(s->constData()), s->size());
    const size_t kind = value.Data().index();
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
                      value.Data());
}

} // namespace

void TRecordColumn::Reserve(qsizetype rows)
{
    if (FDirect)
        FValues.reserve(rows);
    else
        FIndex.reserve(rows);
}

template<class F>
int TRecordColumn::Find(size_t hash, F &&same, qsizetype &slot) const
{
    slot = -1;
    if (FSlots.isEmpty())
        return -1;
    const qsizetype mask = FSlots.size() - 1;
    for (slot = qsizetype(hash) & mask; FSlots.at(slot) != 0; slot = (slot + 1) & mask) {
        const int index = FSlots.at(slot) - 1;
        if (FHashes.at(index) == hash && same(FDistinct.at(index)))
            return index;
    }
    return -1;
}

int TRecordColumn::DistinctIndex(TDbValue &&value)
{
    const size_t hash = HashOf(value);
    qsizetype slot = -1;
    if (const int index = Find(
            hash, [&value](const TDbValue &kept) { return SameValue(kept, value); }, slot);
        index >= 0)
        return index;
    // A column of mostly different values gains nothing from looking each one up.
    if (FDistinct.size() >= MaxDistinct ||
        (FIndex.size() >= SampleRows && FDistinct.size() * 2 > FIndex.size()))
        return -1;
    const auto index = quint16(FDistinct.size());
    FDistinct.append(std::move(value));
    FHashes.append(hash);
    if (FDistinct.size() * 2 > FSlots.size()) {
        Grow(); // places every distinct value, this one included
    } else {
        FSlots[slot] = quint16(index + 1);
    }
    return index;
}

void TRecordColumn::Grow()
{
    const qsizetype size = std::max<qsizetype>(16, FSlots.size() * 2);
    FSlots = QList<quint16>(size, 0);
    for (qsizetype index = 0; index < FDistinct.size(); ++index) {
        qsizetype slot = qsizetype(FHashes.at(index)) & (size - 1);
        while (FSlots.at(slot) != 0)
            slot = (slot + 1) & (size - 1);
        FSlots[slot] = quint16(index + 1);
    }
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
    FHashes = {};
    FSlots = {};
}

void TRecordColumn::Append(TDbValue &&value)
{
    if (!FDirect) {
        const int index = DistinctIndex(std::move(value));
        if (index >= 0) {
            FIndex.append(quint16(index));
            return;
        }
        MakeDirect();
    }
    FValues.append(std::move(value));
}

void TRecordColumn::AppendUtf16(const char *units, qsizetype count)
{
    if (!FDirect) {
        const auto sameText = [units, count](const TDbValue &kept) {
            const QString *text = kept.Get<QString>();
            return text && !text->isNull() && text->size() == count &&
                   std::memcmp(text->constData(), units, size_t(count) * 2) == 0;
        };
        qsizetype slot = -1;
        if (const int index = Find(HashOfUnits(units, count), sameText, slot); index >= 0) {
            FIndex.append(quint16(index));
            return;
        }
    }
    QString text(count, Qt::Uninitialized);
    std::memcpy(text.data(), units, size_t(count) * 2);
    Append(std::move(text));
}

void TRecordColumn::AppendCopyOf(qsizetype row)
{
    if (FDirect) {
        TDbValue copy = FValues.at(row); // shares a text's characters
        FValues.append(std::move(copy));
    } else {
        FIndex.append(FIndex.at(row));
    }
}

void TRecordColumn::Set(qsizetype row, TDbValue &&value)
{
    if (!FDirect) {
        const int index = DistinctIndex(std::move(value));
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
