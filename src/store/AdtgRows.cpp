// Reading the rows of a TableGram.
//
//   unchanged  07 OriginalRowData
//   delete     07 OriginalRowData 0C
//   change     07 OriginalRowData 0A UpdateRowData
//   insert     0D UpdateRowData
//   done       0F (the last byte)
//
// OriginalRowData: a null bitmap with one bit per nullable column (ISNULLABLE or
// MAYBENULL), MSB first, 1 = value present; then the values of the present
// columns in ordinal order (hidden columns included). Columns that are not
// nullable have no bit and always a value.
// UpdateRowData: an update map and a force-null map of one bit per column each,
// then the values of the columns whose update bit is set. A force-null bit means
// NULL without bytes, whatever the update bit says; neither bit leaves the column
// untouched (a change keeps its original value, an insert shows NULL).
#include "store/AdtgReader.h"
#include "store/AdtgValues.h"
#include "store/ZKError.h"

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace Adtg {

namespace {

enum : quint8
{
    ChildRow0 = 0x80,
    ChildRow1 = 0x87,
    ChildRow2 = 0x8A,
    ChildRow3 = 0x8C,
    ChildRow4 = 0x8D
};

bool BitAt(const char *map, int i)
{
    return quint8(map[i / 8]) & (0x80 >> (i % 8));
}

class TRowReader
{
public:
    TRowReader(TInput &in, const TMetadata &meta, TAnsiCodec &ansi)
        : FIn(in)
        , FMeta(meta)
        , FAnsi(ansi)
    {
        for (const TColumnInfo &c : meta.Columns) {
            FNullable += c.Field.IsNullable() ? 1 : 0;
            FReaders.emplace_back(c.Field, c.Layout);
        }
        // No count in the file drives the loop, but a row of zero-byte columns
        // costs one byte: cap the values at a generous multiple of the input.
        FCellBudget = std::max<qint64>(qint64(1) << 20, qint64(in.Remaining()) * 16);
    }

    void Run(TRecordset &set)
    {
        qint64 rowNumber = 0;
        while (true) {
            if (FIn.AtEnd())
                Malformed(u"the file ends without the done token 0F"_s, FIn.Offset());
            const qsizetype offset = FIn.Offset();
            const quint8 token = FIn.U8("row token");
            if (token == TokDone) {
                FIn.ExpectEnd("the data after the done token");
                return;
            }
            ++rowNumber;
            ChargeCells();
            try {
                LoadRow(token, offset, set);
            } catch (const EZKError &e) {
                throw e.WithPrefix(u"row %1%2: "_s.arg(rowNumber).arg(
                    FColumn >= 0 ? u", column \"%1\""_s.arg(FMeta.Columns[FColumn].Field.Name) : QString()));
            }
        }
    }

private:
    void ChargeCells()
    {
        FCellBudget -= FMeta.Columns.size();
        if (FCellBudget < 0)
            Malformed(u"more rows than a file of this size can hold"_s, FIn.Offset());
    }

    void LoadRow(quint8 token, qsizetype offset, TRecordset &set)
    {
        FColumn = -1;
        switch (token) {
        case TokRow:
            LoadOriginal(set);
            if (!FIn.AtEnd() && FIn.Peek() == TokDelete) {
                FIn.U8("delete token");
                set.EndLoadedRow(TRowStatus::Deleted);
            } else if (!FIn.AtEnd() && FIn.Peek() == TokChange) {
                FIn.U8("change token");
                TRecordRow row;
                row.Values = set.TakeLoadingRow();
                row.Original = row.Values;
                row.Changed = ReadUpdate(row.Values, false);
                row.Status = TRowStatus::Modified;
                AddWholeRow(set, std::move(row));
            } else {
                set.EndLoadedRow(TRowStatus::Unchanged);
            }
            return;
        case TokInsert: {
            TRecordRow row;
            row.Values = QList<TDbValue>(FMeta.Columns.size());
            ReadUpdate(row.Values, true);
            row.Status = TRowStatus::Inserted;
            AddWholeRow(set, std::move(row));
            return;
        }
        case TokChange:
        case TokDelete:
            Malformed(u"a change or delete token without its original row"_s, offset);
        case TokResultDescriptor:
        case ChildRow0:
        case ChildRow1:
        case ChildRow2:
        case ChildRow3:
        case ChildRow4:
            Hierarchical(u"the file holds rows of a child recordset"_s);
        default:
            Malformed(u"unexpected token %1 where a row belongs"_s.arg(uint(token), 2, 16, QLatin1Char('0')),
                      offset);
        }
    }

    // Puts the original values of a row into their columns.
    void LoadOriginal(TRecordset &set)
    {
        const char *bitmap = FIn.Take((FNullable + 7) / 8, "null bitmap");
        int bit = 0;
        for (FColumn = 0; FColumn < FMeta.Columns.size(); ++FColumn) {
            TRecordColumn &column = set.LoadingColumn(FColumn);
            if (FMeta.Columns[FColumn].Field.IsNullable() && !BitAt(bitmap, bit++))
                FReaders[FColumn].PutNull(column);
            else
                FReaders[FColumn].ReadInto(FIn, FAnsi, column);
        }
        FColumn = -1;
    }

    // A row whose values are not all its file bytes' (a change, an insert).
    void AddWholeRow(TRecordset &set, TRecordRow row)
    {
        set.AddStoredRow(std::move(row));
        for (TColumnReader &reader : FReaders)
            reader.Forget();
    }

    // Applies the update maps to values; returns the columns the row assigns.
    QBitArray ReadUpdate(QList<TDbValue> &values, bool insert)
    {
        const qsizetype mapBytes = (FMeta.Columns.size() + 7) / 8;
        const char *update = FIn.Take(mapBytes, "update map");
        const char *forceNull = FIn.Take(mapBytes, "force-null map");
        QBitArray assigned(FMeta.Columns.size());
        for (FColumn = 0; FColumn < FMeta.Columns.size(); ++FColumn) {
            if (BitAt(forceNull, FColumn)) {
                values[FColumn] = TDbValue();
                assigned.setBit(FColumn);
            } else if (BitAt(update, FColumn)) {
                values[FColumn] = FReaders[FColumn].Read(FIn, FAnsi);
                assigned.setBit(FColumn);
            } else if (insert) {
                values[FColumn] = TDbValue(); // an untouched column of an insert shows NULL
            }
        }
        FColumn = -1;
        return assigned;
    }

    TInput &FIn;
    const TMetadata &FMeta;
    TAnsiCodec &FAnsi;
    std::vector<TColumnReader> FReaders; // one per column, in ordinal order
    int FNullable = 0;
    int FColumn = -1;
    qint64 FCellBudget = 0;
};

} // namespace

void ReadRows(TInput &in, const TMetadata &meta, TRecordset &set, TAnsiCodec &ansi)
{
    // The announced count is only a hint: no more rows than the bytes left could hold
    // at a few bytes each are made room for.
    set.ReserveRows(qsizetype(std::min<qint64>(meta.RowCount, qint64(in.Remaining()) / 8)));
    TRowReader(in, meta, ansi).Run(set);
}

} // namespace Adtg
