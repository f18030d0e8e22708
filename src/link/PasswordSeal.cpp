#include "link/PasswordSeal.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Ordinal numbers (1-based, ascending) of the primes up to 320 that make the key. A
// sealed password is readable only by a program with the same eight numbers.
constexpr std::array<int, 8> kPrimeOrdinals = {2, 5, 9, 14, 20, 27, 35, 44};
constexpr int kSieveLimit = 320;

constexpr int kUnits = 36;              // units of the buffer
constexpr int kBytes = kUnits * 2;      // 72
constexpr int kPlainBytes = kBytes - 1; // encrypted as the final block: 71 + 1 padding
constexpr int kMaxChars = kUnits - 1;   // 35: the last unit stays zero

std::array<int, 66> PrimesUpToLimit()
{
    std::array<bool, kSieveLimit + 1> composite{};
    std::array<int, 66> primes{};
    int count = 0;
    for (int n = 2; n <= kSieveLimit; ++n) {
        if (composite[size_t(n)])
            continue;
        primes[size_t(count++)] = n;
        for (int m = n * n; m <= kSieveLimit; m += n)
            composite[size_t(m)] = true;
    }
    return primes;
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

// A group of four hexadecimal digits; 0 when it is not such a number.
uint16_t GroupValue(const QString &text, int group)
{
    const QString digits = text.mid(group * 4, 4);
    if (digits.size() != 4)
        return 0;
    unsigned value = 0;
    for (QChar c : digits) {
        const int d = HexDigit(c);
        if (d < 0)
            return 0;
        value = value * 16 + unsigned(d);
    }
    return uint16_t(value);
}

} // namespace

bool DerivePasswordKey(TLinkKey &key)
{
    const std::array<int, 66> primes = PrimesUpToLimit();
    uint64_t product = 1;
    for (int ordinal : kPrimeOrdinals)
        product *= uint64_t(primes[size_t(ordinal - 1)]);
    std::array<uint8_t, 8> bytes;
    for (int i = 0; i < 8; ++i)
        bytes[size_t(i)] = uint8_t(product >> (56 - 8 * i));
    key.SetFromDigest(Sha1(bytes.data(), bytes.size()));
    return !key.IsNull();
}

QString SealPassword(const QString &text)
{
    TLinkKey key;
    if (!DerivePasswordKey(key))
        return {};
    std::array<uint8_t, kBytes> buf{};
    const int chars = int(std::min<qsizetype>(text.size(), kMaxChars));
    for (int i = 0; i < chars; ++i) {
        const char16_t u = text.at(i).unicode();
        buf[size_t(2 * i)] = uint8_t(u & 0xFF);
        buf[size_t(2 * i + 1)] = uint8_t(u >> 8);
    }
    if (!key.EncryptUnit(buf.data(), kPlainBytes))
        return {};
    QString sealed;
    sealed.reserve(kUnits * 4);
    for (int i = 0; i < kUnits; ++i) {
        const unsigned unit = unsigned(buf[size_t(2 * i)]) | unsigned(buf[size_t(2 * i + 1)]) << 8;
        sealed += QStringLiteral("%1").arg(unit, 4, 16, QLatin1Char('0')).toUpper();
    }
    return sealed;
}

QString UnsealPassword(const QString &sealed)
{
    TLinkKey key;
    if (!DerivePasswordKey(key))
        return {};
    std::array<uint8_t, kBytes> buf{};
    for (int i = 0; i < kUnits; ++i) {
        const uint16_t unit = GroupValue(sealed, i);
        buf[size_t(2 * i)] = uint8_t(unit & 0xFF);
        buf[size_t(2 * i + 1)] = uint8_t(unit >> 8);
    }
    int plainLen = 0;
    if (!key.DecryptUnit(buf.data(), kBytes, &plainLen))
        return {};
    // The padding byte is not text: a 35-unit password ends at the last unit.
    std::memset(buf.data() + plainLen, 0, size_t(kBytes - plainLen));
    QString text;
    for (int i = 0; i < kUnits; ++i) {
        const char16_t u = char16_t(buf[size_t(2 * i)] | buf[size_t(2 * i + 1)] << 8);
        if (u == 0)
            break;
        text += QChar(u);
    }
    return text;
}
