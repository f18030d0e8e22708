#include "leader/DemoGenerator.h"

#include "leader/DemoImages.h"
#include "leader/DemoModel.h"
#include "leader/DemoRandom.h"
#include "leader/DemoTables.h"
#include "store/ZKError.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace {

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw EZKError(u"Cannot write %1: %2"_s.arg(path, file.errorString()));
}

void MakeFolder(const QString &path)
{
    if (!QDir().mkpath(path))
        throw EZKError(u"Cannot make the folder %1."_s.arg(path));
}

QByteArray PackageNumber(int n)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(qint32(n), bytes.data());
    return bytes;
}

// The candidates of each set by delivery round.
using TRounds = QList<QList<TDemoCandidate>>;

QList<TRounds> BuildAllCandidates(const TDemoProvince &p, const TDemoOptions &o)
{
    QList<TRounds> sets;
    for (int s = 0; s < p.Sets.size(); ++s) {
        TRounds rounds;
        const TDemoSet &set = p.Sets.at(s);
        for (int r = 0; r < set.Packages.size(); ++r)
            rounds.append(r == 0 ? BuildCandidates(p, s, set.Count, o.Seed)
                                 : UpdateCandidates(p, s, rounds.last(), r + 1, o.Seed));
        sets.append(rounds);
    }
    return sets;
}

QList<const TDemoCandidate *> OfMember(const QList<TDemoCandidate> &all, int member)
{
    QList<const TDemoCandidate *> list;
    for (const TDemoCandidate &c : all) {
        if (c.Member == member)
            list.append(&c);
    }
    return list;
}

void WriteImages(const QString &folder, const TDemoCandidate &c, uint64_t seed)
{
    const QString ksh = c.KSH();
    TDemoRandom rng(seed, ksh + u"/images"_s);
    const bool female = c.Values.value(u"XBDM"_s).AsString() == u"2"_s;
    const QString dir = folder + ksh + u'/';
    MakeFolder(dir);
    if (!rng.Percent(3)) // a few candidates have no photo yet
        WriteFile(dir + u"3.png"_s, DemoPhotoPng(rng, female, ksh));
    WriteFile(dir + u"0.png"_s, DemoFormPng(0, rng, female, ksh));
    WriteFile(dir + u"1.png"_s, DemoFormPng(1, rng, female, ksh));
    if (rng.Percent(12))
        WriteFile(dir + u"2.png"_s, DemoFormPng(2, rng, female, ksh));
    else if (rng.Percent(12))
        WriteFile(dir + u"2.zip"_s, ZipMembers({{u"1.png"_s, DemoFormPng(2, rng, female, ksh, 1)},
                                                {u"2.png"_s, DemoFormPng(2, rng, female, ksh, 2)}}));
}

class TProvinceWriter
{
public:
    TProvinceWriter(const TDemoProvince &p, const TDemoOptions &o)
        : P(p)
        , O(o)
        , Sets(BuildAllCandidates(p, o))
    {}

    void Write(const QString &folder, QStringList &summary)
    {
        if (QFileInfo::exists(folder) && !QDir(folder).removeRecursively())
            throw EZKError(u"Cannot replace the folder %1."_s.arg(folder));
        MakeFolder(folder);
        WriteFile(folder + u"dqpc.txt"_s, P.DQPC.toUtf8() + '\n');
        for (int m = 0; m < P.Members.size(); ++m)
            WriteMember(folder + P.Members[m].UserName + u'/', m);
        Summarise(summary);
    }

private:
    void WriteMember(const QString &folder, int m)
    {
        MakeFolder(folder);
        WriteFile(folder + u"password.txt"_s, P.Members[m].Password.toUtf8() + '\n');
        WriteFile(folder + u"state.txt"_s, "newdmk=0\nnewjhk=0\n");
        WriteFile(folder + u"jhk.zip"_s, ZipMembers(PlanLibraryMembers(P, m)));
        // The leader already holds the all-wishes rows of a few candidates per set.
        TRecordset known(QBZYKFields());
        for (int s = 0; s < Sets.size(); ++s) {
            if (Sets[s].isEmpty())
                continue;
            const QList<const TDemoCandidate *> latest = OfMember(Sets[s].last(), m);
            for (int r = 0; r < Sets[s].size(); ++r)
                WritePackage(folder, s, r, OfMember(Sets[s][r], m));
            for (int i = 0; i < latest.size(); ++i) {
                if (i < 5)
                    AddAllWishes(known, P, s, *latest[i], O.Seed);
                WriteCandidateFiles(folder, s, *latest[i]);
            }
        }
        WriteFile(folder + u"dmk.zip"_s, ZipMembers(CodeLibraryMembers(P, known)));
    }

    void WritePackage(const QString &folder, int s, int round, const QList<const TDemoCandidate *> &list)
    {
        if (list.isEmpty())
            return;
        const TDemoSet &set = P.Sets[s];
        const QString dir = folder + u"tdd/"_s + set.Folder() + u'/';
        MakeFolder(dir);
        const int n = set.Packages[round];
        WriteFile(dir + QString::number(n) + u".zip"_s,
                  ZipMembers({RecordsetMember(u"T_TDD.adtg"_s, DossierRecordset(P, list)),
                              {u"TDDBH.dat"_s, PackageNumber(n)},
                              RecordsetMember(u"T_KSHKCJ.adtg"_s, ProficiencyRecordset(list, O.Seed)),
                              RecordsetMember(u"T_KSJL.adtg"_s, ResumeRecordset(P, list, O.Seed)),
                              RecordsetMember(u"T_TJXX.adtg"_s, HealthRecordset(list, O.Seed))}));
    }

    void WriteCandidateFiles(const QString &folder, int s, const TDemoCandidate &c)
    {
        TRecordset wishes(QBZYKFields());
        AddAllWishes(wishes, P, s, c, O.Seed);
        MakeFolder(folder + u"qbzy"_s);
        WriteFile(folder + u"qbzy/"_s + c.KSH() + u".zip"_s,
                  ZipMembers({RecordsetMember(u"Z.adtg"_s, wishes)}));
        if (O.Images)
            WriteImages(folder + u"images/"_s, c, O.Seed);
    }

    void Summarise(QStringList &summary) const
    {
        int total = 0;
        for (const TRounds &r : Sets)
            total += r.isEmpty() ? 0 : int(r.last().size());
        summary.append(
            u"province %1 %2 (%3): %4 candidates, institution %5 %6"_s
                .arg(P.P.SSDM, P.P.SSMC, P.Scheme.RankScores ? u"graded scores"_s : u"numeric scores"_s)
                .arg(total)
                .arg(P.YXDM, P.YXMC));
        QStringList users;
        for (const TDemoMember &m : P.Members)
            users.append(m.UserName + u" / "_s + m.Password);
        summary.append(u"  members (user / password): "_s + users.join(u", "_s));
        for (int s = 0; s < P.Sets.size(); ++s) {
            const TDemoSet &set = P.Sets[s];
            QStringList packages;
            for (int r = 0; r < set.Packages.size(); ++r)
                packages.append(u"%1 (%2 candidates)"_s.arg(set.Packages[r]).arg(Sets[s][r].size()));
            summary.append(u"  set %1, state %2: %3"_s.arg(
                set.Folder(), set.ZT,
                packages.isEmpty() ? u"no dossiers yet"_s : u"packages "_s + packages.join(u", "_s)));
        }
    }

    const TDemoProvince &P;
    const TDemoOptions &O;
    QList<TRounds> Sets;
};

} // namespace

QList<TDemoProvinceChoice> DefaultDemoProvinces()
{
    return {{u"11"_s, false}, {u"32"_s, true}};
}

QStringList GenerateDemo(const TDemoOptions &options)
{
    if (options.Root.isEmpty())
        throw EZKError(u"No data folder given."_s);
    if (options.Candidates < 0 || options.Candidates > 200000)
        throw EZKError(u"The number of candidates must be between 0 and 200000."_s);
    if (options.Members < 1 || options.Members > 99)
        throw EZKError(u"The number of members must be between 1 and 99."_s);
    if (options.Rounds < 1 || options.Rounds > 2)
        throw EZKError(u"The number of delivery rounds must be 1 or 2."_s);
    const QList<TDemoProvinceChoice> provinces =
        options.Provinces.isEmpty() ? DefaultDemoProvinces() : options.Provinces;
    QList<TDemoProvince> built;
    for (const TDemoProvinceChoice &choice : provinces)
        built.append(BuildDemoProvince(choice.SSDM, choice.RankScores, options.Candidates, options.Members,
                                       options.Rounds, options.Seed));
    QString root = QDir(options.Root).absolutePath();
    if (!root.endsWith(u'/'))
        root += u'/';
    MakeFolder(root);
    QStringList summary;
    for (const TDemoProvince &p : built)
        TProvinceWriter(p, options).Write(root + p.P.SSDM + u'/', summary);
    return summary;
}
