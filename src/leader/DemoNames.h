#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class TDemoRandom;

// Word lists of the demo data: names, places, majors, institutions.
namespace demonames {

// A Chinese personal name: a common surname and one or two given characters.
QString PersonName(TDemoRandom &rng, bool female);
// The districts of a province (code "01", "02", … by position): real district names
// for a few provinces, numbered exam districts for the others.
QStringList Districts(const QString &SSDM, const QString &SSMC);
// A secondary school of a district: "<district>第三中学", "<district>实验中学" ….
QString SchoolName(TDemoRandom &rng, const QString &district);
QString PrimarySchoolName(TDemoRandom &rng, const QString &district);
// A street address without the province and district.
QString StreetAddress(TDemoRandom &rng);
// An institution other than ours, by number (stable names for the all-wishes rows).
QString OtherInstitution(int n);

struct TMajorInfo
{
    QString ZYDM; // 专业代码
    QString ZYMC;
    int ZYLB;       // major class, TD_ZYLBDM
    QString XZNX;   // years of schooling
    QString TJSXBZ; // health restriction codes that bar the major, ";"-separated
};
// Majors of a kind of set: "S" science and engineering, "L" humanities, "Z" short-cycle
// (专科).
QList<TMajorInfo> MajorPool(QChar kind);

// The major classes of TD_ZYLBDM, numbered from 1.
QStringList MajorClasses();

} // namespace demonames
