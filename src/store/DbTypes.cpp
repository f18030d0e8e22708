#include "store/DbTypes.h"

#include <QString>

int DbTypeFixedSize(quint16 type)
{
    switch (type) {
    case DBTYPE_EMPTY:
    case DBTYPE_NULL:
    case DBTYPE_BYTES:
    case DBTYPE_STR:
    case DBTYPE_WSTR:
    case DBTYPE_BSTR:
    case DBTYPE_VARNUMERIC:
        return 0;
    case DBTYPE_I1:
    case DBTYPE_UI1:
        return 1;
    case DBTYPE_I2:
    case DBTYPE_UI2:
    case DBTYPE_BOOL:
        return 2;
    case DBTYPE_I4:
    case DBTYPE_UI4:
    case DBTYPE_R4:
        return 4;
    case DBTYPE_I8:
    case DBTYPE_UI8:
    case DBTYPE_R8:
    case DBTYPE_CY:
    case DBTYPE_DATE:
    case DBTYPE_FILETIME:
        return 8;
    case DBTYPE_DBDATE:
    case DBTYPE_DBTIME:
        return 6;
    case DBTYPE_DECIMAL:
    case DBTYPE_GUID:
    case DBTYPE_DBTIMESTAMP:
        return 16;
    case DBTYPE_NUMERIC:
        return 19;
    default:
        return -1;
    }
}

bool IsSupportedDbType(quint16 type)
{
    return DbTypeFixedSize(type) >= 0;
}

bool IsVariableDbType(quint16 type)
{
    return type == DBTYPE_BYTES || type == DBTYPE_STR || type == DBTYPE_WSTR || type == DBTYPE_BSTR ||
           type == DBTYPE_VARNUMERIC;
}

int DbTypeUnitBytes(quint16 type)
{
    return (type == DBTYPE_WSTR || type == DBTYPE_BSTR) ? 2 : 1;
}

bool IsTextDbType(quint16 type)
{
    return type == DBTYPE_STR || type == DBTYPE_WSTR || type == DBTYPE_BSTR;
}

bool IsIntegerDbType(quint16 type)
{
    switch (type) {
    case DBTYPE_I1:
    case DBTYPE_I2:
    case DBTYPE_I4:
    case DBTYPE_I8:
    case DBTYPE_UI1:
    case DBTYPE_UI2:
    case DBTYPE_UI4:
    case DBTYPE_UI8:
        return true;
    default:
        return false;
    }
}

QString DbTypeName(quint16 type)
{
    static const struct
    {
        quint16 type;
        const char *name;
    } names[] = {
        {DBTYPE_EMPTY, "EMPTY"},
        {DBTYPE_NULL, "NULL"},
        {DBTYPE_I2, "I2"},
        {DBTYPE_I4, "I4"},
        {DBTYPE_R4, "R4"},
        {DBTYPE_R8, "R8"},
        {DBTYPE_CY, "CY"},
        {DBTYPE_DATE, "DATE"},
        {DBTYPE_BSTR, "BSTR"},
        {DBTYPE_IDISPATCH, "IDISPATCH"},
        {DBTYPE_ERROR, "ERROR"},
        {DBTYPE_BOOL, "BOOL"},
        {DBTYPE_VARIANT, "VARIANT"},
        {DBTYPE_IUNKNOWN, "IUNKNOWN"},
        {DBTYPE_DECIMAL, "DECIMAL"},
        {DBTYPE_I1, "I1"},
        {DBTYPE_UI1, "UI1"},
        {DBTYPE_UI2, "UI2"},
        {DBTYPE_UI4, "UI4"},
        {DBTYPE_I8, "I8"},
        {DBTYPE_UI8, "UI8"},
        {DBTYPE_FILETIME, "FILETIME"},
        {DBTYPE_GUID, "GUID"},
        {DBTYPE_BYTES, "BYTES"},
        {DBTYPE_STR, "STR"},
        {DBTYPE_WSTR, "WSTR"},
        {DBTYPE_NUMERIC, "NUMERIC"},
        {DBTYPE_UDT, "UDT"},
        {DBTYPE_DBDATE, "DBDATE"},
        {DBTYPE_DBTIME, "DBTIME"},
        {DBTYPE_DBTIMESTAMP, "DBTIMESTAMP"},
        {DBTYPE_HCHAPTER, "HCHAPTER"},
        {DBTYPE_PROPVARIANT, "PROPVARIANT"},
        {DBTYPE_VARNUMERIC, "VARNUMERIC"},
    };
    for (const auto &n : names) {
        if (n.type == type)
            return QLatin1String(n.name);
    }
    return QString::number(type);
}
