// The members of the code library and the plan library packages.

#include "store/DossierColumns.h"
#include "store/DossierFieldKinds.h"
#include "store/Schema.h"

using namespace Qt::StringLiterals;
using namespace dossierfields;

namespace {

TCodeTableDef CodeTable(const QString &table, const QString &code, quint32 width, const QString &name,
                        const QList<TRecordField> &more = {})
{
    return {table, code, name, QList<TRecordField>{KeyCode(code, width), Text(name, 60)} + more};
}

} // namespace

QList<TRecordField> YXZTFields()
{
    return {Code(u"YXDM"_s, 5), Text(u"YXMC"_s, 40), Code(u"SSDM"_s, 2)};
}

QList<TRecordField> CommonParamsFields()
{
    return {Code(u"rank_score_supported"_s, 1),
            Text(u"rank_perm_code_list"_s, 200),
            Text(u"user_rank_perm_code_list"_s, 200),
            Text(u"req_course_maskable_rank_list"_s, 100),
            Text(u"bmb_name"_s, 20),
            Text(u"tjb_name"_s, 20),
            Text(u"fjb_name"_s, 20)};
}

QList<TRecordField> TDDZDSXFields()
{
    // The types of the shipped table (Schema.cpp): texts and long integers.
    QList<TRecordField> f{Text(u"ZDDH"_s, 32), Text(u"ZDMC"_s, 50), Text(u"DMK"_s, 32),
                          Text(u"ZDLX"_s, 2),  Text(u"XH"_s, 10),   Text(u"BX"_s, 2)};
    for (const QString &suffix : {QString(), u"_rank"_s}) {
        for (const QString &stem : {u"WZSY"_s, u"QSKD"_s}) {
            for (int width : ZKScreenClassWidths)
                f.append(Int(stem + QString::number(width) + suffix));
        }
    }
    f += {Int(u"DYKD"_s), Int(u"XSZFS"_s), Code(u"rank_only"_s, 1)};
    return f;
}

QList<TRecordField> TDDWFields()
{
    return {BinaryCode(u"PCDM"_s), BinaryCode(u"KLDM"_s), BinaryCode(u"JHXZ"_s),
            Code(u"TDDWDM"_s, 3),  Text(u"TDDWMC"_s, 60), Text(u"CSMBH"_s, 10)};
}

QList<TCodeTableDef> NumberedCodeTables()
{
    return {CodeTable(u"TD_BYLBDM"_s, u"BYLBDM"_s, 1, u"BYLBMC"_s),
            CodeTable(u"TD_CJXDM"_s, u"CJXDM"_s, 2, u"CJXMC"_s, {Code(u"CJXLXDM"_s, 3)}),
            CodeTable(u"TD_DQDM"_s, u"DQDM"_s, 2, u"DQMC"_s),
            CodeTable(u"TD_JHXZDM"_s, u"JHXZDM"_s, 1, u"JHXZMC"_s),
            CodeTable(u"TD_KLDM"_s, u"KLDM"_s, 1, u"KLMC"_s, {Text(u"JBKL"_s, 10)}),
            CodeTable(u"TD_KSLBDM"_s, u"KSLBDM"_s, 1, u"KSLBMC"_s),
            CodeTable(u"TD_KSLXDM"_s, u"KSLXDM"_s, 1, u"KSLXMC"_s),
            CodeTable(u"TD_LQFSDM"_s, u"LQFSDM"_s, 1, u"LQFSMC"_s),
            CodeTable(u"TD_MZDM"_s, u"MZDM"_s, 2, u"MZMC"_s),
            CodeTable(u"TD_PCDM"_s, u"PCDM"_s, 1, u"PCMC"_s, {Code(u"GBPCDM"_s, 2), Code(u"GBCCDM"_s, 1)}),
            CodeTable(u"TD_TDYYDM"_s, u"TDYYDM"_s, 2, u"TDYYMC"_s),
            CodeTable(u"TD_TJJLDM"_s, u"TJJLDM"_s, 1, u"TJJLMC"_s),
            CodeTable(u"TD_WYYZDM"_s, u"WYYZDM"_s, 1, u"WYYZMC"_s),
            CodeTable(u"TD_XBDM"_s, u"XBDM"_s, 1, u"XBMC"_s),
            CodeTable(u"TD_XTDWDM"_s, u"XTDWDM"_s, 2, u"XTDWMC"_s),
            CodeTable(u"TD_ZCDM"_s, u"ZCDM"_s, 1, u"ZCMC"_s, {Real(u"ZGF"_s), Code(u"XDX"_s, 1)}),
            CodeTable(u"TD_ZYTZDM"_s, u"ZYTZDM"_s, 1, u"ZYTZMC"_s),
            CodeTable(u"TD_ZZMMDM"_s, u"ZZMMDM"_s, 2, u"ZZMMMC"_s)};
}

TCodeTableDef ZYLBDMTable()
{
    return {u"TD_ZYLBDM"_s, u"ZYLBDM"_s, u"ZYLBMC"_s, {KeyInt(u"ZYLBDM"_s), Text(u"ZYLBMC"_s, 40)}};
}

TCodeTableDef ZYSXDMTable()
{
    return CodeTable(u"TD_ZYSXDM"_s, u"ZYSXDM"_s, 2, u"ZYSXNR"_s);
}

TCodeTableDef CJXLXDMTable()
{
    return CodeTable(u"td_cjxlxdm"_s, u"CJXLXDM"_s, 3, u"CJXLXMC"_s, {Int(u"CJXSM"_s)});
}

QList<TRecordField> DJDMFields()
{
    TRecordField cj = Int(u"cj"_s);
    cj.Flags = (cj.Flags | DBCOLUMNFLAGS_KEYCOLUMN) & ~DBCOLUMNFLAGS_ISNULLABLE;
    return {KeyCode(u"cjxlxdm"_s, 3), cj, Text(u"dj"_s, 10)};
}

QList<TRecordField> ZYYHLQZTBFields()
{
    // DQTDDWDM and DQZYDH are variable: the client resets them to "".
    return {BinaryCode(u"PCDM"_s), BinaryCode(u"KLDM"_s), BinaryCode(u"JHXZ"_s),  Text(u"YHM"_s, 16),
            Int(u"DQTDDBH"_s),     Code(u"ZT"_s, 1),      Text(u"DQTDDWDM"_s, 3), Text(u"DQZYDH"_s, 2),
            Text(u"PXZDDH"_s, 32), Code(u"ZDTDZY"_s, 1)};
}

QList<TRecordField> JHKFields(bool rankScores)
{
    QList<TRecordField> f{BinaryCode(u"PCDM"_s), BinaryCode(u"KLDM"_s), BinaryCode(u"JHXZ"_s),
                          Code(u"TDDW"_s, 3),    Code(u"ZYDH"_s, 2),    Code(u"ZYDM"_s, 6),
                          Text(u"ZYMC"_s, 60),   Int(u"ZYLB"_s),        Int(u"JHZXS"_s),
                          Text(u"XZNX"_s, 4),    Int(u"SFBZ"_s),        Text(u"CZYHM"_s, 16),
                          Text(u"CSMBH"_s, 10),  Text(u"TJSXBZ"_s, 40), Text(u"ZYBZ"_s, 100)};
    if (rankScores)
        f += {Text(u"yxxckm"_s, 40), Text(u"jzxckm"_s, 40)};
    return f;
}

QList<TRecordField> TDDWCSMBFields()
{
    return {Text(u"MBH"_s, 10),     Text(u"MBMC"_s, 40),         Code(u"ZYJBZT"_s, 1),
            Code(u"ZYZYJBZT"_s, 1), Code(u"zytj_low_prio"_s, 1), Code(u"rank_score_order"_s, 1)};
}

QList<TRecordField> TDDWCSMBZYJCBFields()
{
    return {Text(u"MBH"_s, 10), Code(u"JCLX"_s, 1), Code(u"XH"_s, 1), Int(u"JCFS"_s)};
}

QList<TRecordField> ZYCSMBFields()
{
    return {Text(u"MBH"_s, 10), Text(u"MBMC"_s, 40), Text(u"masked_rank_list"_s, 50)};
}

QList<TRecordField> ZYCSMBXZTJBFields()
{
    return {Text(u"MBH"_s, 10), Int(u"XH"_s), Text(u"TJLXDM"_s, 10), Text(u"TJZ"_s, 50),
            Text(u"TJSM"_s, 100)};
}

QList<TRecordField> ZYCSMBZDCJBFields()
{
    return {Text(u"MBH"_s, 10), Code(u"CJXDM"_s, 2), Real(u"ZDCJ"_s)};
}
