// Writing a TableGram as the platform's persistence writes a recordset it built:
// header, handler options, result descriptor with the ADC properties, context
// with the ROWSET and ADC properties, no table descriptor, one column descriptor
// per column (presence map 80 01 00: name and IsAutoIncrement), the rows and the
// done token.
#include "store/Adtg.h"
#include "store/AdtgValues.h"
#include "store/ZKError.h"

#include <QSaveFile>
#include <cstring>

using namespace Qt::StringLiterals;

namespace Adtg {

namespace {

struct TProperty
{
    quint32 Id;
    enum
    {
        Long,
        Bool,
        Text
    } Kind;
    qint32 Value;
};

void WritePropertySet(TOutput &out, const QUuid &set, std::initializer_list<TProperty> properties)
{
    out.Guid(set);
    out.U16(quint16(properties.size()));
    for (const TProperty &p : properties) {
        out.U32(p.Id);
        switch (p.Kind) {
        case TProperty::Long:
            out.U16(4);
            out.U32(quint32(p.Value));
            break;
        case TProperty::Bool:
            out.U16(2);
            out.U16(p.Value ? 0xFFFF : 0);
            break;
        case TProperty::Text: // always the empty string
            out.U16(0);
            break;
        }
    }
}

void WriteHeader(TOutput &out)
{
    out.Raw("\x01\x07TG!\x00\x00\x00\x00", 9); // version 0.0, little-endian, unicode flag 0
    const qsizetype e = out.BeginElement(TokHandlerOptions);
    out.Guid(kHandlerGuid);
    out.U8(1); // update type
    for (int i = 0; i < 3; ++i)
        out.LpStr(QString()); // original URL, update URL, friendly name
    out.U16(0);               // async option
    out.EndElement(e);
}

void WriteResultDescriptor(TOutput &out, const TRecordset &set, quint32 rowCount)
{
    const qsizetype e = out.BeginElement(TokResultDescriptor);
    out.Guid(kResultGuid);
    out.Raw("\x00\x00\x00", 3); // reserved, cursor model, normalization
    out.U16(quint16(set.FieldCount()));
    out.U16(quint16(set.ColumnCount()));
    out.U16(0); // computed columns
    out.U16(0); // tables
    out.U16(0); // order-by columns
    out.U32(rowCount);
    out.U16(1);
    // Auto Recalc, Update Resync; unique table, schema, catalog, resync command, reshape name.
    WritePropertySet(out, kPropSetAdc,
                     {{0x0B, TProperty::Long, 1},
                      {0x13, TProperty::Long, 1},
                      {0x0D, TProperty::Text, 0},
                      {0x0E, TProperty::Text, 0},
                      {0x0F, TProperty::Text, 0},
                      {0x10, TProperty::Text, 0},
                      {0x12, TProperty::Text, 0}});
    out.EndElement(e);
}

void WriteContext(TOutput &out)
{
    const qsizetype e = out.BeginElement(TokContext);
    out.U16(2);
    // IRowsetChange, IRowsetUpdate, command time-out, max rows.
    WritePropertySet(out, kPropSetRowset,
                     {{0x7F, TProperty::Bool, 1},
                      {0x86, TProperty::Bool, 1},
                      {0x22, TProperty::Long, 0},
                      {0x49, TProperty::Long, 0}});
    // Fetch sizes, batch size, update criteria, thread priority.
    WritePropertySet(out, kPropSetAdc,
                     {{0x04, TProperty::Long, 15},
                      {0x05, TProperty::Long, 2},
                      {0x03, TProperty::Long, 15},
                      {0x07, TProperty::Long, 50},
                      {0x08, TProperty::Long, 3}});
    out.EndElement(e);
}

void WriteColumnDescriptor(TOutput &out, const TRecordField &f, int ordinal)
{
    const qsizetype e = out.BeginElement(TokColumnDescriptor);
    out.Raw("\x80\x01\x00", 3); // presence map: name, IsAutoIncrement
    out.U16(quint16(ordinal));
    out.LpStr(f.Name);
    out.U16(f.Type);
    out.U32(f.MaxLength);
    out.U32(f.Precision);
    out.U32(quint32(f.Scale));
    out.U32(f.Flags);
    out.U16(f.AutoIncrement ? 0xFFFF : 0); // IsAutoIncrement
    out.U16(f.Hidden ? 0 : 0xFFFF);        // IsVisible
    out.EndElement(e);
}

class TRowWriter
{
public:
    TRowWriter(TOutput &out, const TRecordset &set, TAnsiCodec &ansi)
        : FOut(out)
        , FSet(set)
        , FAnsi(ansi)
    {
        FCells.resize(set.ColumnCount());
        for (const TRecordField &f : set.Columns()) {
            FLayouts.append(TValueLayout::Of(f));
            FNullableCount += f.IsNullable() ? 1 : 0;
        }
    }

    void Write(int index)
    {
        try {
            const auto stored = [this, index](int c) -> const TDbValue & {
                return FSet.StoredValue(index, c);
            };
            switch (FSet.StoredStatus(index)) {
            case TRowStatus::Unchanged:
                WriteOriginal(stored);
                break;
            case TRowStatus::Deleted:
                WriteOriginal(stored);
                FOut.U8(TokDelete);
                break;
            case TRowStatus::Modified: {
                const TRecordRow row = FSet.StoredRow(index);
                WriteOriginal([&row](int c) -> const TDbValue & { return row.Original[c]; });
                FOut.U8(TokChange);
                WriteUpdate(stored, row.Changed);
                break;
            }
            case TRowStatus::Inserted:
                FOut.U8(TokInsert);
                WriteUpdate(stored, QBitArray(FSet.ColumnCount(), true));
                break;
            }
        } catch (const EZKError &e) {
            throw e.WithPrefix(u"row %1: "_s.arg(index + 1));
        }
    }

private:
    // Null bitmap with the unused low bits set, as the platform writes it.
    template<class F>
    void WriteOriginal(const F &stored)
    {
        // Each value is looked up once: the bitmap and the values both read it.
        for (int c = 0; c < FSet.ColumnCount(); ++c)
            FCells[c] = &stored(c);
        const auto valueAt = [this](int c) -> const TDbValue & { return *FCells[c]; };
        FOut.U8(TokRow);
        const qsizetype bitmapBytes = (FNullableCount + 7) / 8;
        char *bitmap = FOut.Grow(bitmapBytes); // filled before anything else is written
        std::memset(bitmap, 0, size_t(bitmapBytes));
        int bit = 0;
        for (int c = 0; c < FSet.ColumnCount(); ++c) {
            const TRecordField &f = FSet.Column(c);
            if (!f.IsNullable()) {
                // EMPTY and NULL columns hold nothing: no value is their only value.
                if (valueAt(c).IsNull() && FLayouts[c].Framing != TValueLayout::NoData)
                    throw EZKError(u"field %1 is not nullable but has no value"_s.arg(f.Name));
                continue;
            }
            if (!valueAt(c).IsNull())
                bitmap[bit / 8] = char(bitmap[bit / 8] | (0x80 >> (bit % 8)));
            ++bit;
        }
        if (bit % 8 != 0)
            bitmap[bit / 8] = char(bitmap[bit / 8] | (0xFF >> (bit % 8)));
        for (int c = 0; c < FSet.ColumnCount(); ++c) {
            const TDbValue &value = valueAt(c);
            if (!value.IsNull())
                WriteValue(FOut, FSet.Column(c), FLayouts[c], value, FAnsi);
        }
    }

    // Update and force-null maps (unused bits 0): an assigned NULL is force-null
    // alone, any other assigned value has its update bit and follows.
    template<class F>
    void WriteUpdate(const F &valueAt, const QBitArray &assigned)
    {
        const int n = FSet.ColumnCount();
        QByteArray update((n + 7) / 8, '\0');
        QByteArray forceNull((n + 7) / 8, '\0');
        for (int c = 0; c < n; ++c) {
            if (!assigned.testBit(c))
                continue;
            QByteArray &map = valueAt(c).IsNull() ? forceNull : update;
            map[c / 8] = char(map[c / 8] | (0x80 >> (c % 8)));
        }
        FOut.Raw(update.constData(), update.size());
        FOut.Raw(forceNull.constData(), forceNull.size());
        for (int c = 0; c < n; ++c) {
            if (assigned.testBit(c) && !valueAt(c).IsNull())
                WriteValue(FOut, FSet.Column(c), FLayouts[c], valueAt(c), FAnsi);
        }
    }

    TOutput &FOut;
    const TRecordset &FSet;
    TAnsiCodec &FAnsi;
    QList<TValueLayout> FLayouts;
    QList<const TDbValue *> FCells; // the row being written
    int FNullableCount = 0;
};

} // namespace

} // namespace Adtg

QByteArray SaveAdtg(const TRecordset &set, const TAdtgOptions &options)
{
    using namespace Adtg;
    if (set.ColumnCount() > 0xFFFF)
        throw EZKError(u"a recordset file holds at most 65535 columns"_s);
    quint32 rowCount = 0;
    for (int i = 0; i < set.StoredRowCount(); ++i)
        rowCount += set.StoredStatus(i) != TRowStatus::Deleted ? 1 : 0;
    TOutput out;
    WriteHeader(out);
    WriteResultDescriptor(out, set, rowCount);
    WriteContext(out);
    for (int c = 0; c < set.ColumnCount(); ++c)
        WriteColumnDescriptor(out, set.Column(c), c + 1);
    TAnsiCodec ansi(options.CodePage);
    TRowWriter rows(out, set, ansi);
    // The platform's order: pending deletes, the other stored rows, inserts.
    for (TRowStatus pass : {TRowStatus::Deleted, TRowStatus::Unchanged, TRowStatus::Inserted}) {
        for (int i = 0; i < set.StoredRowCount(); ++i) {
            const TRowStatus status = set.StoredStatus(i);
            const TRowStatus group = status == TRowStatus::Modified ? TRowStatus::Unchanged : status;
            if (group == pass)
                rows.Write(i);
        }
    }
    out.U8(TokDone);
    return out.TakeBytes();
}

void SaveAdtgFile(const TRecordset &set, const QString &fileName, const TAdtgOptions &options)
{
    const QByteArray bytes = SaveAdtg(set, options);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EZKError(u"cannot write %1: %2"_s.arg(fileName, file.errorString()));
}
