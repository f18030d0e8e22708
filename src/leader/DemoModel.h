#pragma once

#include "store/DbValue.h"
#include "store/DossierColumns.h"
#include "store/DossierProvinces.h"

#include <QHash>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>

// The in-memory model of a demo province: the institution's plan (sets, submission
// units, majors, the members in charge of them) and the candidates of each dossier
// package. Built by DemoPlan.cpp and DemoCandidates.cpp, written by DemoGenerator.cpp.

// The year of the demo admission: dates in the data derive from it, never from the clock.
inline constexpr int DemoYear = 2024;

struct TDemoUnit
{
    QString TDDWDM; // 3 characters
    QString TDDWMC;
    QString CSMBH; // unit template number, empty or unknown for some units
};

struct TDemoMajor
{
    int Unit = 0; // index into the set's units
    QString ZYDH; // 2 characters, unique within the set
    QString ZYDM;
    QString ZYMC;
    int ZYLB = 0;
    int JHZXS = 0; // places
    QString XZNX;
    int SFBZ = 0;   // yearly fee
    int Member = 0; // index of the member in charge
    QString CSMBH;  // major template number
    QString TJSXBZ;
    QString yxxckm; // graded provinces only
    QString jzxckm;
    QString ZYBZ;
};

struct TDemoSet
{
    QString PCDM, KLDM, JHXZ;
    QChar Pool;     // the major pool: 'S', 'L' or 'Z'
    int Weight = 0; // share of the province's candidates; 0: no dossiers yet
    int Count = 0;  // candidates of the first package
    QList<TDemoUnit> Units;
    QList<TDemoMajor> Majors;
    QList<int> Packages; // package numbers by delivery round (empty: none)
    QString ZT;          // work state the leader reports
    QString Folder() const { return PCDM + u'_' + KLDM + u'_' + JHXZ; }
};

struct TDemoMember
{
    QString UserName;
    QString Password;
};

struct TDemoProvince
{
    TProvince P;
    TDossierScheme Scheme;
    QString YXDM, YXMC;
    QString DQPC; // the leader's current batch
    QList<TDemoSet> Sets;
    QList<TDemoMember> Members;
    QStringList Districts;
};

// One candidate of a dossier package.
struct TDemoCandidate
{
    int Member = 0;                                    // who receives the dossier
    int Serial = 0;                                    // province-wide number inside KSH
    int Tddw = 0;                                      // unit index of TDDW
    int DqTddw = 0;                                    // unit index of DQTDDW
    std::array<int, 6> Wishes{-1, -1, -1, -1, -1, -1}; // major indices of ZYDH1..6, -1 none
    int LqMajor = -2;                // major index of LQZY; -1 "  " (returned), -2 " ?" (undecided)
    QStringList Restrictions;        // the health check's restriction codes
    QHash<QString, TDbValue> Values; // the T_TDD row by column name
    QString KSH() const { return Values.value(QStringLiteral("KSH")).AsString(); }
};

// Builds the province: code, names, the sets with units, majors and package numbers.
// candidates: the first packages' candidates of all sets together; rounds: delivery
// rounds (1 or 2); in round 2 every other set with dossiers gets a newer package.
// Throws EZKError for a code that is not a province.
TDemoProvince BuildDemoProvince(const QString &SSDM, bool rankScores, int candidates, int members, int rounds,
                                uint64_t seed);

// The candidates of a set in round 1, and the next package's candidates (some
// changed, some new) from the previous round's.
QList<TDemoCandidate> BuildCandidates(const TDemoProvince &province, int set, int count, uint64_t seed);
QList<TDemoCandidate> UpdateCandidates(const TDemoProvince &province, int set,
                                       const QList<TDemoCandidate> &previous, int round, uint64_t seed);
