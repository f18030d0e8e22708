#include "workspace/CandidateFilter.h"

#include "workspace/WorkspaceItems.h"

#include <algorithm>

namespace {

// Characters that folding leaves as they are apart from ASCII case: ASCII and the common
// CJK ideographs, which have no compatibility form. Most cell texts consist of nothing
// else, and these are folded without the normalisation's cost.
bool IsPlainFoldChar(char16_t c)
{
    return c < 0x80 || (c >= 0x4E00 && c <= 0x9FFF);
}

} // namespace

QString TCandidateFilter::Fold(QStringView text)
{
    const bool plain = std::all_of(text.begin(), text.end(), [](QChar c) { return IsPlainFoldChar(c.unicode()); });
    if (!plain)
        return text.toString().normalized(QString::NormalizationForm_KC).toCaseFolded();
    QString folded = text.toString();
    for (QChar &c : folded) {
        if (c.unicode() >= u'A' && c.unicode() <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return folded;
}

QStringList TCandidateFilter::Terms(QStringView text)
{
    // Folded first, so that the ideographic space becomes a blank as well.
    const QString folded = Fold(text);
    QStringList terms;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= folded.size(); ++i) {
        const bool blank = i == folded.size() || folded[i].isSpace();
        if (blank && start >= 0) {
            terms.append(folded.mid(start, i - start));
            start = -1;
        } else if (!blank && start < 0) {
            start = i;
        }
    }
    return terms;
}

bool TCandidateFilter::Matches(QStringView joinedCells, const QStringList &terms)
{
    return std::all_of(terms.cbegin(), terms.cend(),
                       [joinedCells](const QString &term) { return joinedCells.contains(term); });
}

QString TCandidateFilter::JoinedCells(const QStringList &cells)
{
    return Fold(cells.join(QChar(CellSeparator)));
}

bool TCandidateFilter::Narrows(const QStringList &newTerms, const QStringList &oldTerms)
{
    // A candidate with each new term in a cell has each old term in that cell too when
    // every old term lies inside some new term.
    return std::all_of(oldTerms.cbegin(), oldTerms.cend(), [&newTerms](const QString &old) {
        return std::any_of(newTerms.cbegin(), newTerms.cend(),
                           [&old](const QString &term) { return term.contains(old); });
    });
}

bool TCandidateFilter::SetText(const QString &text)
{
    FText = text;
    QStringList terms = Terms(text);
    if (terms == FTerms)
        return false;
    if (!FTerms.isEmpty() && !terms.isEmpty() && Narrows(terms, FTerms)) {
        for (TVerdict &verdict : FVerdicts) {
            if (verdict == Accepted)
                verdict = AcceptedBefore;
        }
    } else {
        std::fill(FVerdicts.begin(), FVerdicts.end(), Unknown);
    }
    FTerms = std::move(terms);
    return true;
}

const QString &TCandidateFilter::TextOf(const TKSItem *candidate, const TTextMaker &texts)
{
    const size_t id = size_t(candidate->KsId);
    if (id >= FTexts.size())
        FTexts.resize(id + 1);
    if (id >= FVerdicts.size())
        FVerdicts.resize(id + 1, Unknown);
    QString &text = FTexts[id];
    if (text.isNull()) {
        text = texts(candidate);
        // A candidate without any text is kept as a lone separator, which no term
        // matches, so that it is not made again.
        if (text.isNull())
            text = QString(QChar(CellSeparator));
    }
    return text;
}

QList<TKSItem *> TCandidateFilter::Narrow(const QList<TKSItem *> &base, const TTextMaker &texts)
{
    if (!IsActive())
        return base;
    QList<TKSItem *> shown;
    for (TKSItem *candidate : base) {
        if (candidate->KsId < 0)
            continue;
        const size_t id = size_t(candidate->KsId);
        TVerdict verdict = id < FVerdicts.size() ? FVerdicts[id] : Unknown;
        if (verdict == Unknown || verdict == AcceptedBefore) {
            const QString &text = TextOf(candidate, texts);
            verdict = Matches(text, FTerms) ? Accepted : Rejected;
            FVerdicts[id] = verdict;
        }
        if (verdict == Accepted)
            shown.append(candidate);
    }
    return shown;
}

void TCandidateFilter::PrepareTexts(const QList<TKSItem *> &candidates, const TTextMaker &texts)
{
    for (const TKSItem *candidate : candidates) {
        if (candidate->KsId >= 0)
            TextOf(candidate, texts);
    }
}

void TCandidateFilter::ForgetTexts()
{
    FTexts.clear();
    FVerdicts.clear();
}

void TCandidateFilter::ForgetTexts(const TKSItem *candidate)
{
    const size_t id = candidate ? size_t(candidate->KsId) : FTexts.size();
    if (id < FTexts.size())
        FTexts[id] = QString();
    if (id < FVerdicts.size())
        FVerdicts[id] = Unknown;
}

int TCandidateFilter::KeptTexts() const
{
    return int(std::count_if(FTexts.cbegin(), FTexts.cend(), [](const QString &t) { return !t.isNull(); }));
}
