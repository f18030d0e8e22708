#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <functional>
#include <vector>

class TKSItem;

// The live filter over the candidate grid: of a list of candidates it keeps those in whom
// every blank-separated term of a search text occurs in some cell text, ignoring case and
// the difference between full-width and half-width forms.
//
// Matching works on a candidate's cell texts folded once and joined by a line break, which
// no term contains, so a term never matches across two cells. The folded texts are kept
// per candidate until they are forgotten (a decision changed a candidate's texts, the set
// or its columns changed). The filter also remembers which candidates the previous terms
// accepted and rejected: when the new terms only narrow the old ones (the member typed
// on), the rejected candidates are not looked at again.
class TCandidateFilter
{
public:
    // Folds a text for comparison: compatibility forms (full-width letters, digits and
    // signs, half-width katakana, the ideographic space …) become their plain forms and
    // case is folded.
    static QString Fold(QStringView text);
    // The folded terms of a search text, split at blanks (the ideographic space too).
    static QStringList Terms(QStringView text);
    // Whether every term occurs in one cell of a candidate's joined folded cell texts.
    static bool Matches(QStringView joinedCells, const QStringList &terms);
    // The joined folded text of some cell texts (what a candidate's texts are kept as).
    static QString JoinedCells(const QStringList &cells);
    static constexpr char16_t CellSeparator = u'\n';

    // Sets the search text; true when its terms changed (the list needs narrowing again).
    bool SetText(const QString &text);
    const QString &Text() const { return FText; }
    const QStringList &CurrentTerms() const { return FTerms; }
    // True while the search text has a term: the grid shows a narrowed list.
    bool IsActive() const { return !FTerms.isEmpty(); }

    // A candidate's joined folded cell texts (JoinedCells of its cells).
    using TTextMaker = std::function<QString(const TKSItem *)>;
    // The candidates of base that match the terms, in the order of base; every candidate
    // while the filter is not active. Candidates are known by their KsId.
    QList<TKSItem *> Narrow(const QList<TKSItem *> &base, const TTextMaker &texts);
    // Makes the kept texts of every candidate in the list that has none yet.
    void PrepareTexts(const QList<TKSItem *> &candidates, const TTextMaker &texts);

    // Forgets the texts of every candidate (the set was closed, its columns or the way its
    // texts read changed), or of one candidate (a decision changed its texts).
    void ForgetTexts();
    void ForgetTexts(const TKSItem *candidate);
    // The number of candidates whose texts are kept.
    int KeptTexts() const;

private:
    enum TVerdict : std::uint8_t
    {
        Unknown,       // not looked at under these terms
        Rejected,      // fails these terms (or terms these only narrow)
        Accepted,      // matches these terms
        AcceptedBefore // matched terms these narrow: to be looked at again
    };

    const QString &TextOf(const TKSItem *candidate, const TTextMaker &texts);
    static bool Narrows(const QStringList &newTerms, const QStringList &oldTerms);

    QString FText;
    QStringList FTerms;
    std::vector<QString> FTexts;     // by KsId; null while not made
    std::vector<TVerdict> FVerdicts; // by KsId, for FTerms
};
