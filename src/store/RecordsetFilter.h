#pragma once

#include "store/DbValue.h"
#include "store/RecordField.h"

#include <QList>
#include <functional>

// Orders two values of one column: NULL first; numbers (integers, CY, decimals,
// R4/R8, BOOL) by value with NaN last; dates by time; GUIDs and bytes bytewise;
// texts with the given case sensitivity. Values of different kinds compare by
// their texts.
int CompareDbValues(const TDbValue &a, const TDbValue &b, Qt::CaseSensitivity cs);

// A parsed filter expression of the forms the client writes: terms
// "name = 'text'" and "name <> 'text'" joined by AND and OR, AND binding first;
// field names as identifiers or in brackets, keywords in any case, a doubled quote
// inside the text for one quote. Anything else is refused with an EZKError naming
// the position. The literal is converted to the field's type once: a text field
// compares case-insensitively, other fields by value; NULL passes no term.
class TRecordsetFilter
{
public:
    TRecordsetFilter(const QString &expression, const QList<TRecordField> &columns);
    // Whether a row passes, its values given column by column.
    bool Matches(const std::function<const TDbValue &(int column)> &valueAt) const;

private:
    struct TTerm
    {
        int Column = -1;
        bool NotEqual = false;
        TDbValue Literal;
    };
    QList<QList<TTerm>> FAnyOf; // OR of AND groups
};
