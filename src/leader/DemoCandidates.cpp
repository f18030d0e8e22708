// The demo candidates: personal data, wishes, scores, health restrictions and the
// leader's pre-assignment, consistent with the status rules the client enforces:
// status 0 undecided (" ?"), 3 returned ("  " with a reason), 1, 4 and 5 with a real
// major of the current unit; DQTDDW equals TDDW except for a candidate moved to a
// major of another unit.

#include "leader/DemoModel.h"
#include "leader/DemoNames.h"
#include "leader/DemoRandom.h"

#include <QDate>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString kBlankMajor = u"  "_s;
const QString kUndecided = u" ?"_s;
const QString kBlankUnit = u"   "_s;

class TCandidateMaker
{
public:
    TCandidateMaker(const TDemoProvince &p, int setIndex, TDemoRandom &rng)
        : P(p)
        , Set(p.Sets.at(setIndex))
        , SetIndex(setIndex)
        , Rng(rng)
    {}

    TDemoCandidate Make(int serial, int package)
    {
        TDemoCandidate c;
        c.Serial = serial;
        FillPersonal(c);
        FillWishes(c);
        FillScores(c);
        FillHealth(c);
        Decide(c, Roll());
        c.Values[u"BH"_s] = package;
        c.Values[u"TASK_TAG"_s] = u"0"_s;
        return c;
    }
    int Roll() { return Rng.Weighted({10, 5, 0, 5, 78, 2}); }
    void Decide(TDemoCandidate &c, int status);
    void SetHealthMarks(TDemoCandidate &c);

private:
    void FillPersonal(TDemoCandidate &c);
    void FillWishes(TDemoCandidate &c);
    void FillScores(TDemoCandidate &c);
    void FillGrades(TDemoCandidate &c);
    void FillHealth(TDemoCandidate &c);
    int PickMajor(TDemoCandidate &c, int &unit);
    QList<int> MajorsOfUnit(int unit) const
    {
        QList<int> list;
        for (int i = 0; i < Set.Majors.size(); ++i) {
            if (Set.Majors.at(i).Unit == unit)
                list.append(i);
        }
        return list;
    }
    void Put(TDemoCandidate &c, const QString &name, const TDbValue &v) { c.Values.insert(name, v); }
    void Put(TDemoCandidate &c, const QString &name, const QString &v) { c.Values.insert(name, v); }

    const TDemoProvince &P;
    const TDemoSet &Set;
    int SetIndex;
    TDemoRandom &Rng;
};

// The check character of an 18-character identity number (ISO 7064 MOD 11-2).
QChar IdCheck(const QString &first17)
{
    static const int weights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    int sum = 0;
    for (int i = 0; i < 17; ++i)
        sum += first17.at(i).digitValue() * weights[i];
    return QStringLiteral("10X98765432").at(sum % 11);
}

void TCandidateMaker::FillPersonal(TDemoCandidate &c)
{
    const bool female = Rng.Percent(48);
    const QString name = demonames::PersonName(Rng, female);
    const int district = Rng.Below(int(P.Districts.size()));
    const QString dq = u"%1"_s.arg(district + 1, 2, 10, QLatin1Char('0'));
    const QDate birth(DemoYear - (Rng.Percent(80) ? 18 : 19), Rng.Range(1, 12), Rng.Range(1, 28));
    const QString ksh =
        QString::number(DemoYear % 100) + P.P.SSDM + dq +
        u"%1%2"_s.arg(SetIndex, 2, 10, QLatin1Char('0')).arg(c.Serial, 6, 10, QLatin1Char('0'));
    const QString id17 = P.P.SSDM + dq + u"02"_s + birth.toString(u"yyyyMMdd"_s) + Rng.Digits(2) +
                         QString::number(Rng.Range(0, 4) * 2 + (female ? 0 : 1));
    Put(c, u"KSH"_s, ksh);
    Put(c, u"XM"_s, name);
    Put(c, u"XBDM"_s, female ? u"2"_s : u"1"_s);
    Put(c, u"CSNY"_s, birth.toString(u"yyyyMMdd"_s));
    Put(c, u"SFZH"_s, id17 + IdCheck(id17));
    const QStringList nations{u"01"_s, u"03"_s, u"08"_s, u"11"_s, u"15"_s, u"02"_s, u"06"_s};
    Put(c, u"MZDM"_s, Rng.Percent(90) ? u"01"_s : Rng.Pick(nations));
    Put(c, u"ZZMMDM"_s, Rng.Percent(70) ? u"03"_s : (Rng.Percent(93) ? u"13"_s : u"02"_s));
    Put(c, u"KSLBDM"_s, QString::number(Rng.Range(1, 4)));
    Put(c, u"BYLBDM"_s, Rng.Percent(86) ? u"1"_s : u"2"_s);
    Put(c, u"KSLXDM"_s, u"1"_s);
    Put(c, u"DQDM"_s, dq);
    Put(c, u"XTDWDM"_s, dq);
    const bool english = Rng.Percent(94);
    Put(c, u"WYYZDM"_s, english ? u"1"_s : QString::number(Rng.Range(2, 4)));
    Put(c, u"WYKS"_s, Rng.Percent(15) ? u"1"_s : u"0"_s);
    QString policy;
    if (c.Values.value(u"MZDM"_s).AsString() != u"01"_s)
        policy += u'1';
    if (Rng.Percent(6))
        policy += QChar(u'2' + Rng.Below(5));
    Put(c, u"ZCDM"_s, policy);
    const QStringList features{
        QString(), QString(), QString(), u"三好学生"_s, u"农村户籍"_s, u"体育特长"_s, u"省级优秀学生干部"_s};
    Put(c, u"KSTZ"_s, Rng.Pick(features));
    const QString districtName = P.Districts.at(district);
    Put(c, u"ZXMC"_s, demonames::SchoolName(Rng, districtName));
    Put(c, u"TXDZ"_s, P.P.SSMC + districtName + demonames::StreetAddress(Rng));
    Put(c, u"YZBM"_s, u"%1%2"_s.arg(Rng.Range(10, 85)).arg(Rng.Range(0, 9999), 4, 10, QLatin1Char('0')));
    Put(c, u"LXDH"_s, u"1"_s + QString::number(Rng.Range(30, 89)) + Rng.Digits(8));
    Put(c, u"SJR"_s,
        Rng.Percent(70) ? name : name.left(1) + demonames::PersonName(Rng, Rng.Percent(50)).mid(1));
}

void TCandidateMaker::FillWishes(TDemoCandidate &c)
{
    QList<int> places;
    for (int u = 0; u < Set.Units.size(); ++u) {
        int sum = 0;
        for (int m : MajorsOfUnit(u))
            sum += Set.Majors.at(m).JHZXS;
        places.append(sum);
    }
    c.Tddw = Rng.Weighted(places);
    c.DqTddw = c.Tddw;
    const QString unit = Set.Units.at(c.Tddw).TDDWDM;
    // Wish position of the dossier; 0: placed by the admission office, no wish for us.
    const int position = Rng.Weighted({3, 70, 15, 8, 4});
    Put(c, u"PCDM"_s, Set.PCDM);
    Put(c, u"KLDM"_s, Set.KLDM);
    Put(c, u"JHXZ"_s, Set.JHXZ);
    Put(c, u"TDDW"_s, unit);
    Put(c, u"DQTDDW"_s, unit);
    Put(c, u"TDZY"_s, QString::number(position));
    QList<int> majors = MajorsOfUnit(c.Tddw);
    for (int i = int(majors.size()) - 1; i > 0; --i)
        majors.swapItemsAt(i, Rng.Below(i + 1));
    const int count = position == 0 ? 0 : std::min(int(majors.size()), Rng.Range(2, 6));
    for (int i = 0; i < 6; ++i) {
        c.Wishes[i] = i < count ? majors.at(i) : -1;
        Put(c, u"TDDWDM"_s + QString::number(i + 1), i < count ? unit : kBlankUnit);
        Put(c, u"ZYDH"_s + QString::number(i + 1),
            i < count ? Set.Majors.at(majors.at(i)).ZYDH : kBlankMajor);
    }
    const bool adjusts = Rng.Percent(position == 0 ? 100 : 80);
    Put(c, u"ZYZYTJ"_s, adjusts ? u"1"_s : u"0"_s);
    Put(c, u"DXTJ"_s, Set.JHXZ != u"1"_s && Rng.Percent(60) ? u"1"_s : u"0"_s);
    QString classes;
    for (int i = 0; i < demonames::MajorClasses().size(); ++i)
        classes += Rng.Percent(adjusts ? 85 : 10) ? u'1' : u'0';
    Put(c, u"ZYTJFC"_s, classes);
}

void TCandidateMaker::FillScores(TDemoCandidate &c)
{
    const bool rank = P.Scheme.RankScores;
    const QList<int> means = rank ? QList<int>{400, 390, 372, 335, 260} : QList<int>{640, 625, 592, 525, 380};
    double total = Rng.Normal(means.value(Set.PCDM.toInt(), means.last()) - (Set.Pool == u'L' ? 8 : 0), 18);
    const QList<double> shares = rank ? QList<double>{0.36, 0.36, 0.28} : QList<double>{0.2, 0.21, 0.21};
    const QList<double> maxima = rank ? QList<double>{160, 160, 120} : QList<double>{150, 150, 150};
    double sum = 0;
    for (int i = 0; i < shares.size(); ++i) {
        const double v = std::clamp(double(qRound(Rng.Normal(total * shares[i], 7))), 40.0, maxima[i]);
        Put(c, u"GKCJX0"_s + QString::number(i + 1), v);
        sum += v;
    }
    if (!rank) {
        const double comprehensive = std::clamp(double(qRound(total - sum)), 60.0, 300.0);
        Put(c, u"GKCJX04"_s, comprehensive);
        sum += comprehensive;
        if (c.Values.value(u"WYYZDM"_s).AsString() == u"1"_s)
            Put(c, u"GKCJX05"_s, double(Rng.Range(18, 30)));
    } else {
        FillGrades(c);
    }
    static const QList<double> bonus{0, 5, 10, 5, 10, 3, 0};
    double tz = 0;
    for (const QChar code : c.Values.value(u"ZCDM"_s).AsString())
        tz += bonus.value(code.digitValue(), 0);
    tz = std::min(tz, 20.0);
    Put(c, u"CJ"_s, sum);
    Put(c, u"TZCJ"_s, tz);
    Put(c, u"TDCJ"_s, sum + tz);
    Put(c, u"ZYYTJZCJ"_s, sum + tz);
    Put(c, u"ZYYTFJCJ"_s, c.Values.value(u"GKCJX02"_s));
    Put(c, u"ZYYTDXJZCJ"_s, sum + tz);
}

// Two graded electives (type "001", grades 0 D … 5 A+) and four required subjects
// (type "002", grades 0 D … 3 A).
void TCandidateMaker::FillGrades(TDemoCandidate &c)
{
    const int first = Set.Pool == u'L' ? 8 : 4;
    int second = Rng.Range(4, 9);
    while (second == first)
        second = Rng.Range(4, 9);
    const int lo = std::min(first, second), hi = std::max(first, second);
    const int strength = Set.PCDM == u"1"_s ? 3 : (Set.PCDM == u"2"_s ? 2 : 1);
    const int g1 = std::clamp(strength + Rng.Range(-1, 2), 0, 5);
    const int g2 = std::clamp(strength + Rng.Range(-1, 2), 0, 5);
    Put(c, u"GKCJX0"_s + QString::number(lo), double(g1));
    Put(c, u"GKCJX0"_s + QString::number(hi), double(g2));
    QStringList required;
    for (int i = 0; i < 4; ++i)
        required.append(QString::number(std::clamp(strength - 1 + Rng.Range(0, 2), 0, 3)));
    const QString loCode = u"0"_s + QString::number(lo), hiCode = u"0"_s + QString::number(hi);
    Put(c, u"XKKM"_s, loCode + u',' + hiCode + u',');
    Put(c, u"ZYYTDJLX"_s, u"C"_s + loCode + u"/C"_s + hiCode);
    Put(c, u"ZYYTDJ"_s, QString::number(g1) + u'/' + QString::number(g2));
    Put(c, u"ZYYTDJPX"_s, 10 * (g1 + g2) + std::max(g1, g2));
    Put(c, u"ZYYTFJDJLX"_s, u"002"_s);
    Put(c, u"ZYYTFJDJ"_s, required.join(u';'));
    Put(c, u"KMDJ001"_s, QString::number(g1) + u';' + QString::number(g2));
    Put(c, u"KMDJ002"_s, required.join(u';'));
}

void TCandidateMaker::FillHealth(TDemoCandidate &c)
{
    const int conclusion = Rng.Weighted({0, 85, 13, 2});
    if (conclusion == 2) {
        c.Restrictions.append(u"0"_s + QString::number(Rng.Range(1, 7)));
        if (Rng.Percent(30)) {
            const QString more = u"0"_s + QString::number(Rng.Range(1, 7));
            if (!c.Restrictions.contains(more))
                c.Restrictions.append(more);
        }
        c.Restrictions.sort();
    }
    Put(c, u"TJJLDM"_s, QString::number(conclusion));
    for (int i = 0; i < 6; ++i) {
        QString code = kBlankMajor;
        if (c.Wishes[i] >= 0) {
            const QStringList barred = Set.Majors.at(c.Wishes[i]).TJSXBZ.split(u';', Qt::SkipEmptyParts);
            for (const QString &r : c.Restrictions) {
                if (barred.contains(r)) {
                    code = r;
                    break;
                }
            }
        }
        Put(c, u"ZYSXDM"_s + QString::number(i + 1), code);
    }
}

// The major of a pre-assignment: mostly one of the wishes (the first most often),
// sometimes another major of the unit (adjusted), rarely one of another unit.
int TCandidateMaker::PickMajor(TDemoCandidate &c, int &unit)
{
    unit = c.Tddw;
    if (Set.Units.size() > 1 && Rng.Percent(3)) {
        unit = (c.Tddw + 1 + Rng.Below(int(Set.Units.size()) - 1)) % int(Set.Units.size());
        return Rng.Pick(MajorsOfUnit(unit));
    }
    int wishes = 0;
    while (wishes < 6 && c.Wishes[wishes] >= 0)
        ++wishes;
    const bool adjusts = c.Values.value(u"ZYZYTJ"_s).AsString() == u"1"_s;
    if (wishes == 0 || (adjusts && Rng.Percent(8)))
        return Rng.Pick(MajorsOfUnit(unit));
    const int k = Rng.Weighted(QList<int>{60, 20, 10, 5, 3, 2}.mid(0, wishes));
    return c.Wishes[k];
}

void TCandidateMaker::Decide(TDemoCandidate &c, int status)
{
    c.DqTddw = c.Tddw;
    QString tdyy = kBlankMajor, remark, lqfs = u"1"_s;
    if (status == 0) {
        c.LqMajor = -2;
    } else if (status == 2 || status == 3) {
        c.LqMajor = -1;
        static const QStringList reasons{u"01"_s, u"02"_s, u"03"_s, u"04"_s, u"06"_s};
        static const QStringList texts{u"专业已录满，不服从调剂"_s, u"体检不合格"_s, u"体检结果专业受限"_s,
                                       u"单科成绩不符合要求"_s, u"考生放弃"_s};
        const int r = Rng.Below(int(reasons.size()));
        tdyy = reasons.at(r);
        remark = texts.at(r);
    } else {
        int dq = c.Tddw;
        c.LqMajor = PickMajor(c, dq);
        c.DqTddw = dq;
        if (!std::count(c.Wishes.begin(), c.Wishes.end(), c.LqMajor))
            lqfs = u"3"_s;
    }
    const QString major =
        c.LqMajor >= 0 ? Set.Majors.at(c.LqMajor).ZYDH : (c.LqMajor == -1 ? kBlankMajor : kUndecided);
    Put(c, u"DQTDDW"_s, Set.Units.at(c.DqTddw).TDDWDM);
    Put(c, u"KSZT"_s, QString::number(status));
    Put(c, u"LQZY"_s, major);
    Put(c, u"YTZY"_s, major);
    Put(c, u"TDYYDM"_s, tdyy);
    Put(c, u"BZ"_s, remark);
    Put(c, u"LQFS"_s, lqfs);
    Put(c, u"SDBZ"_s, Rng.Percent(1) ? u"1"_s : u"0"_s);
    Put(c, u"ZYHG"_s, Rng.Percent(97) ? u"1"_s : u"0"_s);
    SetHealthMarks(c);
    // The member in charge of the major receives the dossier; without a major, the
    // one in charge of the first wish.
    const int reference = c.LqMajor >= 0 ? c.LqMajor : c.Wishes[0];
    c.Member = reference >= 0 ? Set.Majors.at(reference).Member : c.Serial % int(P.Members.size());
}

void TCandidateMaker::SetHealthMarks(TDemoCandidate &c)
{
    const int reference = c.LqMajor >= 0 ? c.LqMajor : c.Wishes[0];
    bool fit = c.Values.value(u"TJJLDM"_s).AsString() != u"3"_s;
    if (fit && reference >= 0) {
        const QStringList barred = Set.Majors.at(reference).TJSXBZ.split(u';', Qt::SkipEmptyParts);
        for (const QString &r : c.Restrictions)
            fit = fit && !barred.contains(r);
    }
    Put(c, u"TJHG"_s, fit ? u"1"_s : u"0"_s);
}

} // namespace

QList<TDemoCandidate> BuildCandidates(const TDemoProvince &province, int set, int count, uint64_t seed)
{
    TDemoRandom rng(seed, province.P.SSDM + u'/' + province.Sets.at(set).Folder() + u"/candidates"_s);
    TCandidateMaker maker(province, set, rng);
    const int package = province.Sets.at(set).Packages.value(0);
    QList<TDemoCandidate> list;
    list.reserve(count);
    for (int i = 1; i <= count; ++i)
        list.append(maker.Make(i, package));
    return list;
}

QList<TDemoCandidate> UpdateCandidates(const TDemoProvince &province, int set,
                                       const QList<TDemoCandidate> &previous, int round, uint64_t seed)
{
    TDemoRandom rng(seed, province.P.SSDM + u'/' + province.Sets.at(set).Folder() + u"/round"_s +
                              QString::number(round));
    TCandidateMaker maker(province, set, rng);
    QList<TDemoCandidate> list = previous;
    int serial = 0;
    for (TDemoCandidate &c : list) {
        serial = std::max(serial, c.Serial);
        const QString status = c.Values.value(u"KSZT"_s).AsString();
        if ((status == u"4"_s || status == u"1"_s) && rng.Percent(6)) {
            c.Values[u"KSZT"_s] = u"5"_s; // admitted after the review
        } else if (status == u"4"_s && rng.Percent(3)) {
            const int member = c.Member; // the dossier stays with its member
            maker.Decide(c, 3);          // returned by the leader
            c.Member = member;
        } else if (rng.Percent(3)) {
            // A corrected feature score.
            const double tz = std::min(c.Values.value(u"TZCJ"_s).AsFloat() + 5, 20.0);
            const double total = c.Values.value(u"CJ"_s).AsFloat() + tz;
            c.Values[u"TZCJ"_s] = tz;
            c.Values[u"TDCJ"_s] = total;
            c.Values[u"ZYYTJZCJ"_s] = total;
            c.Values[u"ZYYTDXJZCJ"_s] = total;
            c.Values[u"BZ"_s] = u"加分已复核"_s;
        }
    }
    const int package = province.Sets.at(set).Packages.value(round - 1);
    const int added = std::max(1, int(previous.size()) / 12);
    for (int i = 1; i <= added; ++i)
        list.append(maker.Make(serial + i, package));
    return list;
}
