#pragma once

class TMainDM;

// What the options dialog shows besides the field lists.
struct TMemberOptionsValues
{
    bool LetterQuery = false; // the letter query (loaded and stored, not shown)
    int LetterPeriod = 2;     // minutes, 2..9999
    bool DossierQuery = false;
    int DossierPeriod = 2;
    bool AutoPhoto = false;
    bool ShowCodes = false;
    bool AutoUnpack = false;

    bool operator==(const TMemberOptionsValues &) const = default;
};

// What storing the options changed.
struct TMemberOptionsStored
{
    bool PeriodsChanged = false;   // a stored period differs: the query timer restarts
    bool ShowCodesChanged = false; // the grid must be repainted
};

// The options kept in the single row of T_YXZT of the user's shared database (periods
// XJXZZQ and SJXZZQ: minutes, positive when the query is on) and in the program-wide
// flags AutoPhoto, ShowCodes and AutoUnpack. Both run under the share lock; errors of
// the database pass on (EZKError).
namespace MemberOptions {

// The periods from T_YXZT (an absolute value of 1 or less shows as 2), the check boxes
// from the program-wide flags.
TMemberOptionsValues Load(TMainDM &dm);

// Writes the values to T_YXZT (a period negated when its query is off) and, once they
// are posted, to the program-wide flags.
TMemberOptionsStored Store(TMainDM &dm, const TMemberOptionsValues &values);

} // namespace MemberOptions
