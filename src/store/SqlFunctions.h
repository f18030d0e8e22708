#pragma once

struct sqlite3;

// Registers the Jet functions of the dialect on a connection (SqlDialect.h lists them):
// jet_add, ucase, int, now, instr with three and four arguments, and ltrim with one
// argument (which also reads a code stored as UTF-16 bytes). Throws EZKError.
void RegisterJetFunctions(sqlite3 *db);
