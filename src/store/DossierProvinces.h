#pragma once

#include "store/Recordset.h"

#include <QList>
#include <QString>

// The province list file "t_sszt.adtg" that ships in the program folder: one row per
// province of the login map, in the map's order, each pointing at the leader's server
// stand-in on this machine, so that the demo works out of the box.

struct TProvince
{
    QString SSDM; // two-digit code
    QString SSMC; // name
    QString SSPY; // short letters: pinyin initials, the first syllable spelled out
                  // where two provinces would share them (HEB 河北 / HUB 湖北, HEN 河南 /
                  // HUN 湖南 / HAIN 海南, SX 山西 / SNX 陕西); names the province's folder
};

// The 34 provinces in the order of the login map's labels.
QList<TProvince> Provinces();
// The province of a code; an empty SSDM when the code is not one of them.
TProvince FindProvince(const QString &SSDM);

// Where the shipped list points every province: the stand-in on this machine.
inline const QString DemoLeaderAddress = QStringLiteral("127.0.0.1");
inline constexpr quint16 DemoLeaderPort = 8612;

// SSDM, SSMC, SSPY, FWQDZ, FWQDKH, ZYDZ, ZYDKH, YHM: all WSTR, SSDM the key.
QList<TRecordField> SSZTFields();
// One row per province with the given server; web server and user name empty.
TRecordset ProvinceListRecordset(const QString &address = DemoLeaderAddress, quint16 port = DemoLeaderPort);
