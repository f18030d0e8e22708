#pragma once

#include <QString>
#include <array>

// The check template of a submission unit (T_TDDWCSMB with its level differences in
// T_TDDWCSMBZYJCB). It decides the adjusted score of a candidate (CalcDxCj) and, through
// its switches, the order of a major's candidates (the workspace's candidate order).
//
// Level modes: 1 the wish (or major) order decides first, 2 the score only, 3 the score
// minus the level differences. Graded-score order: 1 score then grade order, 2 score
// only, 3 grade order then score.
class TTDDWCSMB
{
public:
    static constexpr int WishCount = 35; // wish positions 1..35 ('1'..'9', 'A'..'Z')
    static constexpr int MajorCount = 6; // major positions 1..6 within a wish

    QString FMBH;
    QString FMBMC;

    int FZhiYuanJbZt() const { return FZhiYuanJbZtValue; }
    int FZyJbZt() const { return FZyJbZtValue; }
    // Setting a mode to 3 zeroes its difference array first; a mode outside 1..3 becomes 2.
    void SetZhiYuanJbZt(int mode);
    void SetZyJbZt(int mode);

    bool FZyTjLowPrio = false;
    int FRankScoreOrder = 1;

    // Entry k (1-based) is subtracted from every wish (major position) after k.
    int ZhiYuanJc(int k) const { return FZhiYuanJc.at(size_t(k - 1)); }
    void SetZhiYuanJc(int k, int points) { FZhiYuanJc.at(size_t(k - 1)) = points; }
    int ZyJc(int k) const { return FZyJc.at(size_t(k - 1)); }
    void SetZyJc(int k, int points) { FZyJc.at(size_t(k - 1)) = points; }

    // The adjusted score of a base score Cj for a dossier sent under wish TDZhiYuan (0..35,
    // 0 when unknown) and a current major at position ZyXh (0..6, 0 when none of the six).
    // A no-score value (-1e20 or below) is returned unchanged.
    double CalcDxCj(double Cj, int TDZhiYuan, int ZyXh) const;

private:
    int FZhiYuanJbZtValue = 2;
    int FZyJbZtValue = 2;
    std::array<int, WishCount> FZhiYuanJc{};
    std::array<int, MajorCount> FZyJc{};
};
