#pragma once

#include <QtGlobal>

// OLE DB type ids (DBTYPE) and column flags (DBCOLUMNFLAGS). Recordset fields carry
// them as the leader's server and the recordset files do, so that a file read and
// written again keeps its metadata.

constexpr quint16 DBTYPE_EMPTY = 0;
constexpr quint16 DBTYPE_NULL = 1;
constexpr quint16 DBTYPE_I2 = 2;
constexpr quint16 DBTYPE_I4 = 3;
constexpr quint16 DBTYPE_R4 = 4;
constexpr quint16 DBTYPE_R8 = 5;
constexpr quint16 DBTYPE_CY = 6;
constexpr quint16 DBTYPE_DATE = 7;
constexpr quint16 DBTYPE_BSTR = 8;
constexpr quint16 DBTYPE_IDISPATCH = 9;
constexpr quint16 DBTYPE_ERROR = 10;
constexpr quint16 DBTYPE_BOOL = 11;
constexpr quint16 DBTYPE_VARIANT = 12;
constexpr quint16 DBTYPE_IUNKNOWN = 13;
constexpr quint16 DBTYPE_DECIMAL = 14;
constexpr quint16 DBTYPE_I1 = 16;
constexpr quint16 DBTYPE_UI1 = 17;
constexpr quint16 DBTYPE_UI2 = 18;
constexpr quint16 DBTYPE_UI4 = 19;
constexpr quint16 DBTYPE_I8 = 20;
constexpr quint16 DBTYPE_UI8 = 21;
constexpr quint16 DBTYPE_FILETIME = 64;
constexpr quint16 DBTYPE_GUID = 72;
constexpr quint16 DBTYPE_BYTES = 128;
constexpr quint16 DBTYPE_STR = 129;
constexpr quint16 DBTYPE_WSTR = 130;
constexpr quint16 DBTYPE_NUMERIC = 131;
constexpr quint16 DBTYPE_UDT = 132;
constexpr quint16 DBTYPE_DBDATE = 133;
constexpr quint16 DBTYPE_DBTIME = 134;
constexpr quint16 DBTYPE_DBTIMESTAMP = 135;
constexpr quint16 DBTYPE_HCHAPTER = 136;
constexpr quint16 DBTYPE_PROPVARIANT = 138;
constexpr quint16 DBTYPE_VARNUMERIC = 139;
// Modifier bits; no recordset file we read carries them.
constexpr quint16 DBTYPE_VECTOR = 0x1000;
constexpr quint16 DBTYPE_ARRAY = 0x2000;
constexpr quint16 DBTYPE_BYREF = 0x4000;

constexpr quint32 DBCOLUMNFLAGS_MAYDEFER = 0x2;
constexpr quint32 DBCOLUMNFLAGS_WRITE = 0x4;
constexpr quint32 DBCOLUMNFLAGS_WRITEUNKNOWN = 0x8;
constexpr quint32 DBCOLUMNFLAGS_ISFIXEDLENGTH = 0x10;
constexpr quint32 DBCOLUMNFLAGS_ISNULLABLE = 0x20;
constexpr quint32 DBCOLUMNFLAGS_MAYBENULL = 0x40;
constexpr quint32 DBCOLUMNFLAGS_ISLONG = 0x80;
constexpr quint32 DBCOLUMNFLAGS_ISROWID = 0x100;
constexpr quint32 DBCOLUMNFLAGS_ISROWVER = 0x200;
constexpr quint32 DBCOLUMNFLAGS_CACHEDEFERRED = 0x1000;
constexpr quint32 DBCOLUMNFLAGS_ISCHAPTER = 0x2000;
constexpr quint32 DBCOLUMNFLAGS_SCALEISNEGATIVE = 0x4000;
constexpr quint32 DBCOLUMNFLAGS_KEYCOLUMN = 0x8000;

// MaxLength of a column without a declared maximum (long columns).
constexpr quint32 DB_NO_MAXLENGTH = 0xFFFFFFFFu;

// Bytes of a value of a fixed-size type, 0 for the variable-size types (text,
// bytes, VARNUMERIC) and for the types without data (EMPTY, NULL), -1 for types a
// recordset cannot hold.
int DbTypeFixedSize(quint16 type);
// True for the types a recordset can hold (every type a flat recordset file carries).
bool IsSupportedDbType(quint16 type);
// Text and binary types whose values are counted in code units (MaxLength).
bool IsVariableDbType(quint16 type);
// Bytes per code unit of a variable type: 2 for WSTR and BSTR, 1 for STR, BYTES, VARNUMERIC.
int DbTypeUnitBytes(quint16 type);
bool IsTextDbType(quint16 type);    // STR, WSTR, BSTR
bool IsIntegerDbType(quint16 type); // I1..I8, UI1..UI8
// A short name for messages ("WSTR", "I4", ...), or the number.
QString DbTypeName(quint16 type);
