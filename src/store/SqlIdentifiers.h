#pragma once

#include <QString>

class TRecordset;

// Names that reach a statement as identifiers: column names of received recordsets (and
// the tables made from them), score-item codes turned into column names. A name is used
// only when it is a plain identifier, and then always quoted in the dialect's brackets;
// anything else is refused before a statement is built from it.

// An ASCII letter or "_", then ASCII letters, digits or "_", at most 64 characters in all
// (the longest name a table of the engine takes). Every column of the leader's tables is
// such a name (KSH, GKCJX01, WZSY1024_rank, NK_FYQK, creation_time).
bool IsPlainIdentifier(const QString &name);

// "[name]" for a plain identifier; throws EZKError with IdentifierRefusalText otherwise.
QString QuoteIdentifier(const QString &name);

// The error text of a refused name. The name is shown with its control characters
// written as \uXXXX, so that the message itself stays readable.
QString IdentifierRefusalText(const QString &name);

// Throws EZKError with IdentifierRefusalText for the first field of a received recordset
// whose name is not a plain identifier: such a recordset is refused whole, like a broken
// one, before any table is touched.
void RequirePlainFieldNames(const TRecordset &source);
