#pragma once

#include "store/DbValue.h"

#include <QHash>
#include <QList>

// The values of one column of a recordset, in storage order. Most columns of a dossier
// repeat a few values (codes, flags, marks, scores in steps): such a column keeps each
// distinct value once and a 16-bit number per row. A column that shows many different
// values (candidate numbers, names, or more different values than repeats after its
// first rows) keeps the values themselves from then on. Either
// way a value read is a stored TDbValue, equal in every bit to the one put in.
class TRecordColumn
{
public:
    qsizetype Size() const { return FDirect ? FValues.size() : FIndex.size(); }
    const TDbValue &At(qsizetype row) const
    {
        return FDirect ? FValues.at(row) : FDistinct.at(FIndex.at(row));
    }

    void Reserve(qsizetype rows);
    void Append(TDbValue value);
    void Set(qsizetype row, TDbValue value);
    void RemoveAt(qsizetype row);
    // Keeps the rows whose flag is set, in their order.
    void Keep(const QList<bool> &keep);
    void Clear();

    // A value that may stand for an equal one: same kind, same bits, and for texts
    // and bytes the same null-ness.
    struct TKey
    {
        TDbValue Value;
        bool operator==(const TKey &other) const;
    };

private:
    static constexpr qsizetype MaxDistinct = 2048;
    static constexpr qsizetype SampleRows = 64;

    // The number of an equal value kept before, or of this one now kept; -1 when the
    // column keeps too many different values already.
    int DistinctIndex(const TDbValue &value);
    void MakeDirect();

    bool FDirect = false;
    QList<TDbValue> FValues;   // once direct: one per row
    QList<TDbValue> FDistinct; // before: each distinct value once
    QList<quint16> FIndex;     // before: per row, into FDistinct
    QHash<TKey, quint16> FLookup;
};

size_t qHash(const TRecordColumn::TKey &key, size_t seed = 0) noexcept;
