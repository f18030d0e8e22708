#pragma once

#include "store/DbValue.h"

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
    void Append(TDbValue &&value);
    // Appends the text of these UTF-16 units in native order, which may lie unaligned:
    // a text kept before is found by its units, with no string made for it.
    void AppendUtf16(const char *units, qsizetype count);
    // Appends the value of the last row once more (there must be one).
    void AppendRepeat() { AppendCopyOf(Size() - 1); }
    // Appends the value of an earlier row once more.
    void AppendCopyOf(qsizetype row);
    void Set(qsizetype row, TDbValue &&value);
    void RemoveAt(qsizetype row);
    // Keeps the rows whose flag is set, in their order.
    void Keep(const QList<bool> &keep);
    void Clear();

private:
    static constexpr qsizetype MaxDistinct = 2048;
    static constexpr qsizetype SampleRows = 64;

    // The number of an equal value kept before, or of this one now kept; -1 when the
    // column keeps too many different values already.
    int DistinctIndex(TDbValue &&value);
    // The number of the kept value with this hash that same() takes for equal, or -1;
    // slot is where such a value goes (-1 while there is no table yet).
    template<class F>
    int Find(size_t hash, F &&same, qsizetype &slot) const;
    void Grow();
    void MakeDirect();

    bool FDirect = false;
    QList<TDbValue> FValues;   // once direct: one per row
    QList<TDbValue> FDistinct; // before: each distinct value once
    QList<size_t> FHashes;     // before: the hash of each distinct value
    QList<quint16> FIndex;     // before: per row, into FDistinct
    // Before: an open-addressed table of distinct numbers plus one (0 is a free
    // slot), twice as large as the values it finds at least. Looking a value up
    // this way copies nothing.
    QList<quint16> FSlots;
};
