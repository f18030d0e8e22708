#pragma once

// Small helpers shared by the parts of the data-exchange module.

#include <QString>
#include <QVariant>
#include <exception>

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

// An integer out of a task's output element; fallback when it holds none.
int ResultCode(const QVariant &value, int fallback);

// The extension to store a downloaded image under: the server file name's extension
// when it is plain (a dot followed only by ASCII letters and digits), else none.
QString PlainExtension(const QString &serverExtension);

} // namespace ZKExchange
