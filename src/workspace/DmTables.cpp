#include "workspace/DmTables.h"

using namespace Qt::StringLiterals;

const QList<TDmDBFRec> &DmDBFTable()
{
    static const QList<TDmDBFRec> tables = {
        {u"TD_BYLBDM"_s, u"BYLBDM"_s, u"BYLBMC"_s}, {u"TD_CJXDM"_s, u"CJXDM"_s, u"CJXMC"_s},
        {u"TD_DQDM"_s, u"DQDM"_s, u"DQMC"_s},       {u"TD_JHXZDM"_s, u"JHXZDM"_s, u"JHXZMC"_s},
        {u"TD_KLDM"_s, u"KLDM"_s, u"KLMC"_s},       {u"TD_KSLBDM"_s, u"KSLBDM"_s, u"KSLBMC"_s},
        {u"TD_KSLXDM"_s, u"KSLXDM"_s, u"KSLXMC"_s}, {u"TD_LQFSDM"_s, u"LQFSDM"_s, u"LQFSMC"_s},
        {u"TD_MZDM"_s, u"MZDM"_s, u"MZMC"_s},       {u"TD_PCDM"_s, u"PCDM"_s, u"PCMC"_s},
        {u"TD_TDYYDM"_s, u"TDYYDM"_s, u"TDYYMC"_s}, {u"TD_TJJLDM"_s, u"TJJLDM"_s, u"TJJLMC"_s},
        {u"TD_WYYZDM"_s, u"WYYZDM"_s, u"WYYZMC"_s}, {u"TD_XBDM"_s, u"XBDM"_s, u"XBMC"_s},
        {u"TD_XTDWDM"_s, u"XTDWDM"_s, u"XTDWMC"_s}, {u"TD_ZCDM"_s, u"ZCDM"_s, u"ZCMC"_s},
        {u"TD_ZYTZDM"_s, u"ZYTZDM"_s, u"ZYTZMC"_s}, {u"TD_ZZMMDM"_s, u"ZZMMDM"_s, u"ZZMMMC"_s},
    };
    return tables;
}
