#include "store/DossierProvinces.h"

#include "store/DossierFieldKinds.h"

using namespace Qt::StringLiterals;
using namespace dossierfields;

QList<TProvince> Provinces()
{
    return {
        {u"65"_s, u"新疆"_s, u"XJ"_s},  {u"54"_s, u"西藏"_s, u"XZ"_s},    {u"63"_s, u"青海"_s, u"QH"_s},
        {u"51"_s, u"四川"_s, u"SC"_s},  {u"53"_s, u"云南"_s, u"YN"_s},    {u"52"_s, u"贵州"_s, u"GZ"_s},
        {u"45"_s, u"广西"_s, u"GX"_s},  {u"44"_s, u"广东"_s, u"GD"_s},    {u"43"_s, u"湖南"_s, u"HUN"_s},
        {u"42"_s, u"湖北"_s, u"HUB"_s}, {u"41"_s, u"河南"_s, u"HEN"_s},   {u"46"_s, u"海南"_s, u"HAIN"_s},
        {u"71"_s, u"台湾"_s, u"TW"_s},  {u"15"_s, u"内蒙古"_s, u"NMG"_s}, {u"23"_s, u"黑龙江"_s, u"HLJ"_s},
        {u"22"_s, u"吉林"_s, u"JL"_s},  {u"21"_s, u"辽宁"_s, u"LN"_s},    {u"50"_s, u"重庆"_s, u"CQ"_s},
        {u"62"_s, u"甘肃"_s, u"GS"_s},  {u"61"_s, u"陕西"_s, u"SNX"_s},   {u"64"_s, u"宁夏"_s, u"NX"_s},
        {u"14"_s, u"山西"_s, u"SX"_s},  {u"11"_s, u"北京"_s, u"BJ"_s},    {u"12"_s, u"天津"_s, u"TJ"_s},
        {u"13"_s, u"河北"_s, u"HEB"_s}, {u"37"_s, u"山东"_s, u"SD"_s},    {u"34"_s, u"安徽"_s, u"AH"_s},
        {u"36"_s, u"江西"_s, u"JX"_s},  {u"35"_s, u"福建"_s, u"FJ"_s},    {u"32"_s, u"江苏"_s, u"JS"_s},
        {u"33"_s, u"浙江"_s, u"ZJ"_s},  {u"31"_s, u"上海"_s, u"SH"_s},    {u"73"_s, u"澳门"_s, u"AM"_s},
        {u"72"_s, u"香港"_s, u"XG"_s}};
}

TProvince FindProvince(const QString &SSDM)
{
    for (const TProvince &p : Provinces()) {
        if (p.SSDM == SSDM)
            return p;
    }
    return {};
}

QList<TRecordField> SSZTFields()
{
    return {KeyCode(u"SSDM"_s, 2), Text(u"SSMC"_s, 20),  Text(u"SSPY"_s, 10), Text(u"FWQDZ"_s, 128),
            Text(u"FWQDKH"_s, 5),  Text(u"ZYDZ"_s, 128), Text(u"ZYDKH"_s, 5), Text(u"YHM"_s, 16)};
}

TRecordset ProvinceListRecordset(const QString &address, quint16 port)
{
    TRecordset set(SSZTFields());
    const QString portText = QString::number(port);
    for (const TProvince &p : Provinces())
        set.AddRow({p.SSDM, p.SSMC, p.SSPY, address, portText, QString(), QString(), QString()});
    return set;
}
