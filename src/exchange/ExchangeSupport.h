#pragma once

// Small helpers shared by the parts of the data-exchange module.

#include <QString>
#include <QVariant>
#include <exception>

class TRecordset;
class TSqlQuery;

namespace ZKExchange {

// The text of an error caught at the top of an operation.
QString ErrorText(const std::exception &e);

// Empties a work folder (files left by an earlier run that ended abruptly must never
// be taken for members of this package) and makes it with missing parents. Throws
// nothing: a folder that cannot be made shows up as a failing load.
void PrepareWorkFolder(const QString &folder);

// Binds the three set codes (pcdm, kldm, jhxz; any case) as code parameters of width 1.
void SetSetParams(TSqlQuery &query, const QString &PCDM, const QString &KLDM, const QString &JHXZ);

// Extracts a received package into its work folder. Throws EZKError when the archive could
// not be read or held a member that was refused as unsafe: such a package is broken as a
// whole and nothing of it is imported. A missing archive or folder throws nothing: it
// shows up as a failing load.
void ExtractPackage(const QString &archiveFile, const QString &folder);

// Throws EZKError when a row of a received recordset holds, in one of the fields, a
// value that is not a plain code (IsPlainCode): such codes become parts of file names.
// A field the recordset does not have, and NULL, are not checked.
void RequirePlainCodes(const TRecordset &rows, const QStringList &fields, const QString &recordsetName);

// An integer out of a task's output element; fallback when it holds none.
int ResultCode(const QVariant &value, int fallback);

// The extension to store a downloaded image under: the server file name's extension
// when it is plain (a dot followed only by ASCII letters and digits), else none.
QString PlainExtension(const QString &serverExtension);

} // namespace ZKExchange
