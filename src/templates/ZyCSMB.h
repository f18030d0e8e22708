#pragma once

#include <QList>
#include <QString>

// The check template of a major (T_ZYCSMB). In graded-score mode it masks grade
// requirements: FRankMaskStatus has one flag per grade code of the workspace's grade code
// list, true when that grade requirement is masked for the major.
class TZYCSMB
{
public:
    QString FMBH;
    QString FMBMC;
    QList<bool> FRankMaskStatus;

    // False for a grade position outside the list.
    bool IsRankMasked(int rankPosition) const
    {
        return rankPosition >= 0 && rankPosition < FRankMaskStatus.size() && FRankMaskStatus.at(rankPosition);
    }
};
