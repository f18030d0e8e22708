#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>

class TTDDWCSMB;
class TZYCSMB;
class TCandidateOrder;

// The no-score value: a score that is not a number.
inline constexpr double NoScoreValue = -1e20;
// ZyytTddwDxCj of a candidate item before it is computed.
inline constexpr double UncomputedDxCj = -2147483647.0;

// The two fixed major values of LQZY and YTZY besides a major code.
inline const QString ReturnedZYDH = QStringLiteral("  ");  // no major: a returned candidate
inline const QString UndecidedZYDH = QStringLiteral(" ?"); // the major is not decided

// Candidate status (KSZT) read as a number: a text that is no number counts as 0.
int KsZtOf(const QString &kszt);
// The candidate page's status text and the label of the value shown beside it (none
// for status 0); statuses outside 0..5 show as 0.
QString KsZtText(int kszt);
QString KsZtValueLabel(int kszt);
// Statuses with a major (1, 4, 5) and returned statuses (2, 3).
bool KsZtHasMajor(int kszt);
bool KsZtIsReturned(int kszt);

// The name of a work state 0..3 ("未开始", "阅档中", "审核中", "录取结束"); empty otherwise.
QString ZtName(int zt);

// One row of a code table.
struct TDMRec
{
    QString DM;
    QString DMMC;
};

// One category and plan nature of the current batch.
struct TKL_JHXZRec
{
    QString KLDM;
    QString JHXZ;
};

// A submission unit of the open set.
class TCurrentTDDWItem
{
public:
    TCurrentTDDWItem(const QString &TDDWDM_, const QString &TDDWMC_, TTDDWCSMB *MB_)
        : TDDWDM(TDDWDM_)
        , TDDWMC(TDDWMC_)
        , MB(MB_)
    {}

    QString TDDWDM;
    QString TDDWMC;
    TTDDWCSMB *MB = nullptr; // owned by the template module
};

// A candidate of the open set.
class TKSItem
{
public:
    QString Ksh;
    QString Xm;
    int KsId = 0;
    int KsIndex = -1;
    double ZyytJzCj = NoScoreValue;
    double ZyytTddwDxCj = UncomputedDxCj;
    double FJBJTJ = NoScoreValue;
    QString ZyytRankPermDesc;
    int ZyytRankPermScore = -1;
    QString FjBjRankPermDesc;
    bool ZyHg = false;
    bool TjHg = false;
    int SortCj = 0;
    int Tddw = -1;
    int DqTddw = -1;
    int LqZyId = 0;
    int YTZyId = 0;
    int ZhiYuanXh = 0;
    int ZyXh = 0;
    std::array<int, 7> ZyId{}; // entries 1..6
    bool Zydpyxm = false;
    bool IsMoreZyLbFc = false;
    int KsZt = 0;
    bool SdBz = false;
    std::array<QString, 7> TjSxDm; // entries 1..6
    bool TjjlHg = false;
    int TDDBH = 0;
    // Position of Ksh among all candidate numbers of the set (ascending, ignoring case,
    // in the system's collation): candidate-number comparisons compare these.
    int KshRank = 0;

    // ZyXh := the first wish 1..6 whose major is the current one (0 when none, or when
    // the current major is a pseudo-major).
    void SetZyXh(int JhRecCount);
    // ZyytTddwDxCj from the base score and the template of the candidate's own unit.
    void SetTddwDxCj(const TTDDWCSMB *unitTemplate);
};

// A major of the plan, or one of the two pseudo-majors after them (returned, undecided).
class TJHItem
{
public:
    explicit TJHItem(const TCandidateOrder *order)
        : FOrder(order)
    {}

    int FJhs() const { return FJhsValue; }
    // Planned places; negative counts as 0. Also reserves room in KsList.
    void SetFJhs(int places);

    QString ZYDH;
    QString ZyDM;
    QString Zymc;
    int ZyLbDm = -1;
    int TDDW = -1;
    int JhId = 0;
    int JhIndex = -1;
    QString Xz;
    QStringList TjSxDmList; // sorted, no duplicates
    QString CZYHM;
    QList<TKSItem *> KsList;
    int YTs = 0;
    double MaxScore = 0;
    double MinScore = 0;
    double AveScore = 0;
    TZYCSMB *MB = nullptr; // owned by the template module
    int XZTJIndex = 0;
    int FJBJTJIndex = 0;
    QString AllowedCourseStr;
    QString NotAllowedCourseExpr;
    int CourseExprIndex = 0;
    bool IsPseudo = false; // one of the two pseudo-majors

    // Sets TjSxDmList from TJSXBZ ("a;b;c"): sorted, duplicates and empty codes dropped.
    void SetTjSxDm(const QString &TJSXBZ);
    // The restriction codes as comma-delimited text (codes with blanks, commas or double
    // quotes are double-quoted, a double quote inside doubled).
    QString TjSxDmText() const;

    // Inserts the candidate before the first entry that the list's order does not put
    // before it; appends when there is none.
    void AddKs(TKSItem *AKsItem);
    void AddKsNoSorting(TKSItem *AKsItem) { KsList.append(AKsItem); }
    // 1 when removed, 0 when the candidate was not in the list.
    int DeleteKs(TKSItem *AKsItem);
    // Sorts KsList by the list's order (the major order, or the pseudo-major order).
    void SortKsByCj();
    // The unit code + "-" + ZYDH, or " -" + ZYDH without a unit.
    QString GetTDDW_ZYDH() const;

private:
    const TCandidateOrder *FOrder;
    int FJhsValue = 0;
};

// A grid column of the open set.
struct TZKColumnRec
{
    QString Name;  // field code, upper case
    QString Desc;  // caption
    QChar ColType; // column letter
    int DMTableIndex = 0;
    int DefaultWidth = 0; // 96-dpi pixels
    int Tag = 0;
    int MainField = -1; // column of the candidate query that the column shows; -1 none
};
