#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

// The demo data generator of the leader's server stand-in: writes complete province
// folders (LeaderFolder.h) for the stand-in to serve, deterministic for a seed.
//
// Per province and member: password.txt, state.txt (no new libraries: the first
// set-up downloads them anyway), the code library dmk.zip, the plan library jhk.zip,
// the dossier packages tdd/<PCDM>_<KLDM>_<JHXZ>/<N>.zip (T_TDD.adtg, TDDBH.dat,
// T_KSHKCJ.adtg, T_KSJL.adtg, T_TJXX.adtg) of the sets that have dossiers, the
// all-wishes packages qbzy/<KSH>.zip (member "Z.adtg") and the images
// images/<KSH>/<KIND>.png (a few additional forms as <KIND>.zip of PNG pages, a few
// candidates without photo); per province dqpc.txt.

struct TDemoProvinceChoice
{
    QString SSDM;
    bool RankScores = false;
};

struct TDemoOptions
{
    QString Root;
    QList<TDemoProvinceChoice> Provinces; // empty: DefaultDemoProvinces()
    int Candidates = 2000;                // first packages' candidates per province
    int Members = 3;
    uint64_t Seed = 1;
    int Rounds = 2; // 1: only the first package of each set
    bool Images = true;
};

// "11" with numeric scores and "32" in graded-score mode.
QList<TDemoProvinceChoice> DefaultDemoProvinces();

// Writes the province folders below options.Root (made when missing). A province
// folder that exists is replaced as a whole. Returns a human-readable summary, one
// line per item (provinces, members with passwords, sets and their packages). Throws
// EZKError when options are unusable or a file cannot be written.
QStringList GenerateDemo(const TDemoOptions &options);

class QTextStream;

// The command "zelkinc-leader generate": arguments are those after "generate".
//   --root DIR          the data folder (required)
//   --ssdm CODE         a province to write (repeatable, or codes separated by
//                       commas); default: 11 with numeric scores and 32 graded
//   --rank              the provinces given with --ssdm use graded scores
//   --candidates N      candidates of the first packages per province (2000)
//   --members M         members per province (3): zy01 … with passwords pw01 …
//   --seed S            seed of the random data (1)
//   --rounds R          1: only first packages; 2: newer packages for some sets (2)
//   --no-images         no images
// Prints the summary; 0 done, 1 failed, 2 wrong command line.
int RunDemoCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
