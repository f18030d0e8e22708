#pragma once

#include <QString>

// Column types of table definitions. Statements define columns with the Jet type names
// ("text(20) with comp", "binary(2)", "long" …); the database holds them under the
// declared types below, chosen so that SQLite's type affinity keeps every code a text:
//
//   Jet type                           declared type                 kind        size
//   text(n) [with comp]                VARCHAR(n) COLLATE NOCASE     Text        n characters
//   text / memo [with comp]            TEXT COLLATE NOCASE           Memo        0 (no limit)
//   char(n)                            CHAR(n) COLLATE NOCASE        FixedText   n characters
//   binary(n) / varbinary(n)           BINARY TEXT(n) COLLATE NOCASE BinaryCode  n bytes
//   short / smallint / byte            SMALLINT                      Short       2
//   long / int / integer               INT                           Long        4
//   counter / autoincrement            COUNTER INT                   Counter     4
//   double / float / single / currency DOUBLE                        Double      8
//   datetime / date / time             DATETIME                      DateTime    8
//   bin / bit / yesno / logical        BOOLEAN                       Boolean     2
//   longbinary / image / oleobject     BLOB                          LongBinary  0
//
// A binary code column holds its code as text, right-aligned (padded with leading
// spaces) to n/2 characters, never as bytes: SQLite never finds a BLOB equal to a TEXT,
// and the statements compare these columns with text columns and text parameters.
// Bytes are produced only where a recordset file is written. The byte width stays in the
// declared type so that readers know the column is a binary code column of n bytes.
//
// Every text-like column compares without regard to the case of ASCII letters, as the
// statements expect (field codes are joined case-insensitively), and so do its keys.
// "INT" rather than "INTEGER" keeps a one-column integer key from becoming the row id.
// The length of a text column is not enforced: a longer text is kept whole.

enum class TSqlFieldKind
{
    Unknown, // an expression without a declared type
    Text,
    Memo,
    FixedText,
    BinaryCode,
    Short,
    Long,
    Counter,
    Double,
    DateTime,
    Boolean,
    LongBinary
};

struct TSqlColumnType
{
    TSqlFieldKind Kind = TSqlFieldKind::Unknown;
    int Size = 0;
};

// The declared SQLite type (with its collation) for a Jet type name and its size (the
// text between the parentheses, empty when none); "with comp" changes nothing here.
// Throws EZKError for a type name the dialect does not know.
QString MapJetColumnType(const QString &typeName, const QString &size);

// What a declared type (as SQLite reports it for a column) stands for. Declared types
// written by other programs are read by their SQLite affinity.
TSqlColumnType ParseDeclaredType(const QString &declaredType);

// True for the kinds whose values are texts (codes among them).
bool IsTextKind(TSqlFieldKind kind);
