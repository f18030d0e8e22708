#pragma once

#include "store/Recordset.h"

#include <QByteArray>

// A recordset as one JSON object, for support staff who look into packages:
//
//   {"fields":[{"name":"KSH","type":130,"size":14,"flags":16},...],
//    "rows":[["12345678901234","张三",null],...]}
//
// Fields are the visible columns (hidden key columns are left out) with their
// DBTYPE id, MaxLength (4294967295 for none) and column flags. Rows are the
// shown rows in storage order (unchanged, changed with their new values,
// inserted; pending deletes left out). Values:
//   integers                  JSON numbers, exact over the whole 64-bit range
//   R4, R8                    JSON numbers in the shortest form that reads back to
//                             the same float or double, always with a point or an
//                             exponent ("3.0", "-0.0", "1e+20"); NaN and the
//                             infinities as the strings "NaN", "Infinity", "-Infinity"
//   CY, DECIMAL, NUMERIC,     decimal strings without exponent ("1234.5600")
//   VARNUMERIC
//   text                      strings (UTF-8; unpaired surrogates as \u escapes)
//   BYTES                     lower-case hex strings
//   DATE, DBTIMESTAMP,        "YYYY-MM-DD HH:MM:SS", with ".fffffff" only when there
//   FILETIME                  is a fraction of a second (a DBTIMESTAMP fraction finer
//                             than 100 ns shows 9 digits); a DATE outside the years
//                             100-9999 as its day number
//   DBDATE, DBTIME            "YYYY-MM-DD", "HH:MM:SS"
//   BOOL                      true, false
//   GUID                      "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
//   NULL                      null
QByteArray RecordsetToJson(const TRecordset &set);

// The recordset a JSON object of the same shape describes; every row a plain row.
// A field needs "name" and "type"; "size" defaults to the type's size (none for
// text and binary), "flags" to WRITE, ISFIXEDLENGTH for fixed-size types and
// ISNULLABLE; "precision" and "scale" may be given for DECIMAL and NUMERIC.
// Values take the forms above (numbers may also be given as strings and the other
// way round). Throws EZKError naming the place of the first problem.
TRecordset RecordsetFromJson(const QByteArray &json);
