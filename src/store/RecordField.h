#pragma once

#include "store/DbTypes.h"

#include <QString>

// The description of one recordset column: what a recordset file's column
// descriptor carries and what a table loader needs to create a column. Code that
// builds a recordset with chosen columns fills a list of these (see Define).
struct TRecordField
{
    QString Name;
    quint16 Type = DBTYPE_WSTR;
    // Maximum length in code units (characters for WSTR/BSTR, bytes for STR and
    // BYTES), the size for fixed-size types, DB_NO_MAXLENGTH for none.
    quint32 MaxLength = DB_NO_MAXLENGTH;
    quint32 Precision = 0;
    qint32 Scale = 0;
    quint32 Flags = 0; // DBCOLUMNFLAGS_*
    // A column the cursor added for updating (a hidden key): read and written with
    // every row, but not offered as a field.
    bool Hidden = false;
    // The column numbers its rows by itself (IsAutoIncrement of the column descriptor);
    // a table created from the recordset gives it a counter column.
    bool AutoIncrement = false;

    bool IsFixedLength() const { return Flags & DBCOLUMNFLAGS_ISFIXEDLENGTH; }
    bool IsLong() const { return Flags & DBCOLUMNFLAGS_ISLONG; }
    // A column that may hold NULL: ISNULLABLE or MAYBENULL.
    bool IsNullable() const { return Flags & (DBCOLUMNFLAGS_ISNULLABLE | DBCOLUMNFLAGS_MAYBENULL); }
    bool IsKey() const { return Flags & DBCOLUMNFLAGS_KEYCOLUMN; }
    bool IsHidden() const { return Hidden; }

    enum TOption
    {
        foNone = 0,
        foNullable = 1,
        foKey = 2,
        foFixedLength = 4, // fixed text or binary (adChar, adWChar, adBinary)
        foLong = 8,        // memo or blob
    };
    // A column as the recordset files we write describe it: flags WRITE, plus
    // ISFIXEDLENGTH for fixed-size types and fixed text/binary, ISNULLABLE,
    // ISLONG, KEYCOLUMN from the options. MaxLength is the type's size for
    // fixed-size types; for text and binary the given length, or DB_NO_MAXLENGTH
    // when it is 0. Precision and scale matter for DECIMAL and NUMERIC only.
    static TRecordField Define(const QString &name, quint16 type, quint32 maxLength = 0,
                               int options = foNullable, quint32 precision = 0, qint32 scale = 0);

    bool operator==(const TRecordField &) const = default;
};
