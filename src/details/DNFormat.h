#pragma once

#include <QString>
#include <QVariantList>

// The format function of the candidate pages' texts: "%" ["index:"] ["-"] [width]
// ["." precision] type, with the types d, u, x (whole numbers), e, f, g, n, m (decimal
// numbers), s (texts) and "%%" for a percent sign. Width and precision may be "*" (taken
// from the arguments). An index chooses the argument; the ones after it follow on.
//
// Arguments are texts (QString) or numbers (int, qlonglong, double). A directive whose
// argument is missing or of the wrong kind, or an unknown type letter, throws EZKError
// ("Format '…' invalid or incompatible with argument"); a lone "%" at the very end of the
// format stays as it is.
QString DNFormat(const QString &format, const QVariantList &args);
