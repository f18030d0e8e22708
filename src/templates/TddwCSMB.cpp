#include "templates/TddwCSMB.h"

namespace {

constexpr double NoScore = -1e20;

int ValidMode(int mode)
{
    return mode >= 1 && mode <= 3 ? mode : 2;
}

} // namespace

void TTDDWCSMB::SetZhiYuanJbZt(int mode)
{
    FZhiYuanJbZtValue = ValidMode(mode);
    if (FZhiYuanJbZtValue == 3)
        FZhiYuanJc.fill(0);
}

void TTDDWCSMB::SetZyJbZt(int mode)
{
    FZyJbZtValue = ValidMode(mode);
    if (FZyJbZtValue == 3)
        FZyJc.fill(0);
}

double TTDDWCSMB::CalcDxCj(double Cj, int TDZhiYuan, int ZyXh) const
{
    if (Cj <= NoScore)
        return Cj;
    double result = Cj;
    if (FZhiYuanJbZtValue == 3) {
        // A dossier without a wish position loses every wish-level difference.
        int t = TDZhiYuan >= WishCount ? WishCount : TDZhiYuan;
        if (TDZhiYuan == 0)
            t = WishCount + 1;
        for (int k = 1; k < t; ++k)
            result -= FZhiYuanJc.at(size_t(k - 1));
    }
    if (FZyJbZtValue == 3) {
        // A major outside the six wishes loses every major-level difference.
        int t = ZyXh == 0 ? MajorCount + 1 : ZyXh;
        if (t > MajorCount + 1)
            t = MajorCount + 1;
        for (int k = 1; k < t; ++k)
            result -= FZyJc.at(size_t(k - 1));
    }
    return result;
}
