#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <cstdint>

// The demo data's random numbers: splitmix64, so that a seed gives the same data on
// every machine and Qt version. Each part of the data draws from its own stream
// (seed + a tag such as "11/2_5_1/candidates"), so adding data to one part does not
// change another.
class TDemoRandom
{
public:
    TDemoRandom(uint64_t seed, const QString &tag)
        : FState(seed ^ 0x9E3779B97F4A7C15ull)
    {
        // FNV-1a of the tag, folded into the state.
        uint64_t h = 1469598103934665603ull;
        for (const QChar c : tag) {
            h ^= c.unicode();
            h *= 1099511628211ull;
        }
        FState ^= h;
        Next();
    }

    uint64_t Next()
    {
        uint64_t z = (FState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1 (0 when n <= 0).
    int Below(int n) { return n <= 0 ? 0 : int(Next() % uint64_t(n)); }
    // lo .. hi inclusive.
    int Range(int lo, int hi) { return lo + Below(hi - lo + 1); }
    // True with the given chance in percent.
    bool Percent(double percent) { return double(Next() >> 11) * 0x1.0p-53 * 100.0 < percent; }
    // Roughly normal around mean (sum of uniforms).
    double Normal(double mean, double deviation)
    {
        double s = 0;
        for (int i = 0; i < 4; ++i)
            s += double(Next() >> 11) * 0x1.0p-53;
        return mean + (s - 2.0) * deviation * 1.732;
    }
    template<class T>
    const T &Pick(const QList<T> &list)
    {
        return list.at(Below(int(list.size())));
    }
    // An index drawn by weight.
    int Weighted(const QList<int> &weights)
    {
        int total = 0;
        for (int w : weights)
            total += w;
        int r = Below(total);
        for (int i = 0; i < weights.size(); ++i) {
            if (r < weights.at(i))
                return i;
            r -= weights.at(i);
        }
        return int(weights.size()) - 1;
    }
    // A text of n decimal digits.
    QString Digits(int n)
    {
        QString s;
        for (int i = 0; i < n; ++i)
            s += QChar(u'0' + Below(10));
        return s;
    }

private:
    uint64_t FState;
};
