// The demo province's plan: sets, submission units, majors, members, check templates,
// and the plan library's recordsets.

#include "leader/DemoModel.h"
#include "leader/DemoNames.h"
#include "leader/DemoRandom.h"
#include "leader/DemoTables.h"
#include "store/ZKError.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

struct TSetPattern
{
    const char16_t *PCDM, *KLDM, *JHXZ;
    char16_t Pool;
    int Weight;
    const char16_t *ZT;
    QList<const char16_t *> UnitSuffixes; // one per unit
};

QList<TSetPattern> SetPatterns(bool rankScores)
{
    // The first-batch science set is the big one; the last set has no dossiers yet.
    const char16_t *special = rankScores ? u"5" : u"3";
    return {
        {u"1", u"5", u"1", u'S', 8, u"3", {u""}},
        {u"2", u"1", u"1", u'L', 25, u"1", {u"", u"（师范类）"}},
        {u"2", u"5", u"1", u'S', 45, u"1", {u"", u"（医学类）", u"（中外合作办学）"}},
        {u"2", u"5", special, u'S', 12, u"2", {rankScores ? u"（中外合作办学）" : u"（国家专项计划）"}},
        {rankScores ? u"4" : u"3", u"5", u"1", rankScores ? u'Z' : u'S', 0, u"0", {u"", u"（校企合作）"}}};
}

// Unit templates by position: every mode, one unit without a template and one naming
// a template that does not exist.
const QStringList kUnitTemplates{u"01"_s, u"03"_s, u"02"_s, u"04"_s, QString(), u"99"_s};
const QStringList kMajorTemplates{u"Z01"_s, u"Z02"_s, QString(), u"Z01"_s, u"Z03"_s};

QString CourseList(const QString &tjsxbz, const QString &zydm, bool forbidden)
{
    // Required electives follow the major: physics for engineering, chemistry for
    // chemistry and medicine; some majors bar history.
    if (forbidden)
        return zydm.startsWith(u"0809"_s) ? u"08"_s : (zydm.startsWith(u"1002"_s) ? u"08 09"_s : QString());
    if (zydm.startsWith(u"07"_s) || zydm.startsWith(u"10"_s) || !tjsxbz.isEmpty())
        return u"04,05"_s;
    if (zydm.startsWith(u"08"_s))
        return u"04"_s;
    if (zydm.startsWith(u"06"_s) || zydm.startsWith(u"0301"_s))
        return u"08"_s;
    return {};
}

QList<TDemoMajor> BuildMajors(const TDemoProvince &province, const TDemoSet &set, int setIndex, int members,
                              TDemoRandom &rng)
{
    QList<demonames::TMajorInfo> pool = demonames::MajorPool(set.Pool);
    for (int i = int(pool.size()) - 1; i > 0; --i) // shuffle
        pool.swapItemsAt(i, rng.Below(i + 1));
    QList<TDemoMajor> majors;
    int next = 0;
    for (int u = 0; u < set.Units.size(); ++u) {
        const int count = std::min(rng.Range(4, 7), int(pool.size()) - next);
        for (int k = 0; k < std::max(count, 1); ++k) {
            const demonames::TMajorInfo &info = pool.at(next++ % pool.size());
            TDemoMajor m;
            m.Unit = u;
            m.ZYDH = u"%1"_s.arg(majors.size() + 1, 2, 10, QLatin1Char('0'));
            m.ZYDM = info.ZYDM;
            m.ZYMC = info.ZYMC;
            m.ZYLB = info.ZYLB;
            m.XZNX = info.XZNX;
            m.TJSXBZ = info.TJSXBZ;
            m.SFBZ = set.Units.at(u).TDDWMC.contains(u"合作"_s) ? 38000 : (info.ZYLB == 10 ? 6500 : 5000);
            m.Member = int(majors.size()) % members;
            m.CSMBH = kMajorTemplates.at((setIndex + majors.size()) % kMajorTemplates.size());
            if (province.Scheme.RankScores) {
                m.yxxckm = CourseList(info.TJSXBZ, info.ZYDM, false);
                m.jzxckm = CourseList(info.TJSXBZ, info.ZYDM, true);
            }
            if (info.ZYMC == u"英语"_s || info.ZYMC == u"日语"_s)
                m.ZYBZ = u"只招英语语种考生，须参加外语口试"_s;
            majors.append(m);
        }
    }
    return majors;
}

// Places: about the candidates of the first package divided by 1.05, spread over the
// majors with some variety; at least 2 each.
void AllotPlaces(TDemoSet &set, TDemoRandom &rng)
{
    QList<int> weights;
    int total = 0;
    for (int i = 0; i < set.Majors.size(); ++i) {
        weights.append(rng.Range(2, 9));
        total += weights.last();
    }
    const int places = std::max(int(set.Count / 1.05), 2 * int(set.Majors.size()));
    for (int i = 0; i < set.Majors.size(); ++i)
        set.Majors[i].JHZXS = std::max(2, places * weights.at(i) / std::max(total, 1));
}

} // namespace

TDemoProvince BuildDemoProvince(const QString &SSDM, bool rankScores, int candidates, int members, int rounds,
                                uint64_t seed)
{
    TDemoProvince p;
    p.P = FindProvince(SSDM);
    if (p.P.SSDM.isEmpty())
        throw EZKError(u"%1 is not a province code"_s.arg(SSDM));
    p.Scheme = rankScores ? GradedDossierScheme() : TypicalDossierScheme();
    p.YXDM = u"19001"_s;
    p.YXMC = u"北辰科技大学"_s;
    p.DQPC = u"2"_s;
    p.Districts = demonames::Districts(p.P.SSDM, p.P.SSMC);
    for (int m = 1; m <= members; ++m)
        p.Members.append(
            {u"zy%1"_s.arg(m, 2, 10, QLatin1Char('0')), u"pw%1"_s.arg(m, 2, 10, QLatin1Char('0'))});

    const QList<TSetPattern> patterns = SetPatterns(rankScores);
    int weightSum = 0;
    for (const TSetPattern &s : patterns)
        weightSum += s.Weight;
    TDemoRandom rng(seed, SSDM + u"/plan"_s);
    int nextPackage = 1;
    for (int round = 1; round <= rounds; ++round) {
        for (int i = 0; i < patterns.size(); ++i) {
            if (round == 1) {
                TDemoSet set;
                set.PCDM = QString::fromUtf16(patterns[i].PCDM);
                set.KLDM = QString::fromUtf16(patterns[i].KLDM);
                set.JHXZ = QString::fromUtf16(patterns[i].JHXZ);
                set.Pool = QChar(patterns[i].Pool);
                set.Weight = patterns[i].Weight;
                set.ZT = QString::fromUtf16(patterns[i].ZT);
                set.Count = int(qint64(candidates) * set.Weight / std::max(weightSum, 1));
                for (int u = 0; u < patterns[i].UnitSuffixes.size(); ++u)
                    set.Units.append({u"%1"_s.arg(u + 1, 3, 10, QLatin1Char('0')),
                                      p.YXMC + QString::fromUtf16(patterns[i].UnitSuffixes[u]),
                                      kUnitTemplates.at((i + u) % kUnitTemplates.size())});
                set.Majors = BuildMajors(p, set, i, members, rng);
                AllotPlaces(set, rng);
                p.Sets.append(set);
            }
            TDemoSet &set = p.Sets[i];
            // A newer package in round 2 for every other set with dossiers.
            if (set.Count > 0 && (round == 1 || i % 2 == 0))
                set.Packages.append(nextPackage++);
        }
    }
    return p;
}

TRecordset UnitsRecordset(const TDemoProvince &province)
{
    TRecordset set(TDDWFields());
    for (const TDemoSet &s : province.Sets) {
        for (const TDemoUnit &u : s.Units)
            set.AddRow({s.PCDM, s.KLDM, s.JHXZ, u.TDDWDM, u.TDDWMC, u.CSMBH});
    }
    return set;
}

namespace {

TRecordset StateRecordset(const TDemoProvince &province, int member)
{
    TRecordset set(ZYYHLQZTBFields());
    for (const TDemoSet &s : province.Sets) {
        const int last = s.Packages.isEmpty() ? 0 : s.Packages.last();
        set.AddRow({s.PCDM, s.KLDM, s.JHXZ, province.Members.at(member).UserName, last, s.ZT, QString(),
                    QString(), u"KSH"_s, u"6"_s});
    }
    return set;
}

TRecordset PlanRecordset(const TDemoProvince &province)
{
    const bool rank = province.Scheme.RankScores;
    TRecordset set(JHKFields(rank));
    for (const TDemoSet &s : province.Sets) {
        for (const TDemoMajor &m : s.Majors) {
            QList<TDbValue> row{s.PCDM,  s.KLDM,   s.JHXZ, s.Units.at(m.Unit).TDDWDM,
                                m.ZYDH,  m.ZYDM,   m.ZYMC, m.ZYLB,
                                m.JHZXS, m.XZNX,   m.SFBZ, province.Members.at(m.Member).UserName,
                                m.CSMBH, m.TJSXBZ, m.ZYBZ};
            if (rank)
                row += {m.yxxckm, m.jzxckm};
            set.AddRow(row);
        }
    }
    return set;
}

// Unit templates of every mode, with wish-level and major-level differences.
QList<TZipMember> TemplateMembers(const TDemoProvince &province)
{
    TRecordset units(TDDWCSMBFields());
    units.AddRow({u"01"_s, u"志愿优先"_s, u"1"_s, u"1"_s, u"0"_s, u"1"_s});
    units.AddRow({u"02"_s, u"分数优先，调剂靠后"_s, u"2"_s, u"2"_s, u"1"_s, u"2"_s});
    units.AddRow({u"03"_s, u"分数级差"_s, u"3"_s, u"3"_s, u"0"_s, u"3"_s});
    units.AddRow({u"04"_s, u"志愿优先，专业级差"_s, u"1"_s, u"3"_s, u"1"_s, u"1"_s});
    TRecordset levels(TDDWCSMBZYJCBFields());
    const QList<QList<TDbValue>> levelRows{
        {u"03"_s, u"1"_s, u"1"_s, 5}, {u"03"_s, u"1"_s, u"2"_s, 3}, {u"03"_s, u"1"_s, u"3"_s, 2},
        {u"03"_s, u"1"_s, u"4"_s, 1}, {u"03"_s, u"1"_s, u"A"_s, 1}, {u"03"_s, u"2"_s, u"1"_s, 3},
        {u"03"_s, u"2"_s, u"2"_s, 2}, {u"03"_s, u"2"_s, u"3"_s, 2}, {u"03"_s, u"2"_s, u"4"_s, 1},
        {u"03"_s, u"2"_s, u"5"_s, 1}, {u"04"_s, u"1"_s, u"1"_s, 4}, {u"04"_s, u"2"_s, u"1"_s, 2},
        {u"04"_s, u"2"_s, u"2"_s, 2}, {u"04"_s, u"2"_s, u"3"_s, 1}, {u"04"_s, u"2"_s, u"4"_s, 1},
        {u"04"_s, u"2"_s, u"5"_s, 1}};
    for (const QList<TDbValue> &row : levelRows)
        levels.AddRow(row);
    TRecordset majors(ZYCSMBFields());
    majors.AddRow({u"Z01"_s, u"普通专业"_s, QString()});
    majors.AddRow({u"Z02"_s, u"选测科目要求可放宽"_s, province.Scheme.RankScores ? u"001"_s : QString()});
    majors.AddRow({u"Z03"_s, u"特殊要求专业"_s, QString()});
    TRecordset conditions(ZYCSMBXZTJBFields());
    conditions.AddRow({u"Z03"_s, 1, u"01"_s, u"1"_s, u"限英语语种考生"_s});
    conditions.AddRow({u"Z03"_s, 2, u"02"_s, u"170"_s, u"男生身高不低于170厘米"_s});
    TRecordset minimum(ZYCSMBZDCJBFields());
    minimum.AddRow({u"Z01"_s, u"02"_s, 90.0});
    minimum.AddRow({u"Z03"_s, u"03"_s, 110.0});
    return {RecordsetMember(u"T_TDDWCSMB.adtg"_s, units), RecordsetMember(u"T_TDDWCSMBZYJCB.adtg"_s, levels),
            RecordsetMember(u"T_ZYCSMB.adtg"_s, majors), RecordsetMember(u"T_ZYCSMBXZTJB.adtg"_s, conditions),
            RecordsetMember(u"T_ZYCSMBZDCJB.adtg"_s, minimum)};
}

} // namespace

QList<TZipMember> PlanLibraryMembers(const TDemoProvince &province, int member)
{
    return QList<TZipMember>{RecordsetMember(u"T_ZYYHLQZTB.adtg"_s, StateRecordset(province, member)),
                             RecordsetMember(u"T_JHK.adtg"_s, PlanRecordset(province))} +
           TemplateMembers(province);
}
