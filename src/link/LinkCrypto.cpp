#include "link/LinkCrypto.h"

#include <algorithm>
#include <cstring>
#include <nettle/sha1.h>

namespace {

// The seed pair of the bootstrap key. The leader's server uses the same values.
constexpr uint16_t kBootstrapSeedX = 0x3A7C;
constexpr uint16_t kBootstrapSeedY = 0x15E3;

constexpr int kBlock = 8;

} // namespace

TSha1Digest Sha1(const void *data, size_t size)
{
    sha1_ctx ctx;
    sha1_init(&ctx);
    sha1_update(&ctx, size, static_cast<const uint8_t *>(data));
    TSha1Digest digest;
    sha1_digest(&ctx, digest.size(), digest.data());
    return digest;
}

void TLinkKey::Release()
{
    std::memset(&FCtx, 0, sizeof FCtx);
    FKeyBytes.fill(0);
    FValid = false;
}

void TLinkKey::SetFromDigest(const TSha1Digest &digest)
{
    std::array<uint8_t, 8> bytes;
    std::memcpy(bytes.data(), digest.data(), bytes.size());
    SetKeyBytes(bytes);
}

void TLinkKey::SetKeyBytes(const std::array<uint8_t, 8> &bytes)
{
    FKeyBytes = bytes;
    // The return value only flags the 16 weak and semi-weak keys; the schedule
    // is set up for them too, and the leader's server uses them the same way.
    (void)des_set_key(&FCtx, FKeyBytes.data());
    FValid = true;
}

bool TLinkKey::EncryptUnit(uint8_t *buf, int count) const
{
    if (!FValid || count < 0)
        return false;
    const int total = RoundToCipherLen(count);
    const auto pad = static_cast<uint8_t>(total - count);
    std::memset(buf + count, pad, static_cast<size_t>(pad));
    uint8_t chain[kBlock] = {};
    for (int at = 0; at < total; at += kBlock) {
        uint8_t *block = buf + at;
        for (int i = 0; i < kBlock; ++i)
            block[i] ^= chain[i];
        des_encrypt(&FCtx, kBlock, block, block);
        std::memcpy(chain, block, kBlock);
    }
    return true;
}

bool TLinkKey::DecryptUnit(uint8_t *buf, int cipherLen, int *plainLen) const
{
    if (!FValid || cipherLen <= 0 || cipherLen % kBlock != 0)
        return false;
    // CBC decryption has no chain between the DES calls: decrypt a segment in
    // one call, then xor every block with the ciphertext block before it.
    constexpr int kSegment = 512;
    uint8_t saved[kSegment];
    uint8_t chain[kBlock] = {};
    for (int at = 0; at < cipherLen; at += kSegment) {
        const int n = std::min(kSegment, cipherLen - at);
        uint8_t *seg = buf + at;
        std::memcpy(saved, seg, static_cast<size_t>(n));
        des_decrypt(&FCtx, static_cast<size_t>(n), seg, seg);
        for (int i = 0; i < kBlock; ++i)
            seg[i] ^= chain[i];
        for (int i = kBlock; i < n; ++i)
            seg[i] ^= saved[i - kBlock];
        std::memcpy(chain, saved + n - kBlock, kBlock);
    }
    const int pad = buf[cipherLen - 1];
    if (pad < 1 || pad > kBlock)
        return false;
    for (int i = cipherLen - pad; i < cipherLen; ++i) {
        if (buf[i] != pad)
            return false;
    }
    if (plainLen)
        *plainLen = cipherLen - pad;
    return true;
}

std::array<uint8_t, 8> BootstrapKeyBytes()
{
    // The pair walks like a Fibonacci sequence; every step mixes the unsigned
    // 32-bit product x*y*(x+y) into one byte.
    uint32_t x = kBootstrapSeedX;
    uint32_t y = kBootstrapSeedY;
    std::array<uint8_t, 8> bytes;
    for (uint8_t &b : bytes) {
        const uint32_t p = x * y * (x + y);
        b = static_cast<uint8_t>(p + (p >> 7));
        const uint32_t nextX = (x + y) & 0xFFFF;
        y = x;
        x = nextX;
    }
    return bytes;
}

bool DeriveBootstrapKey(TLinkKey &key)
{
    const std::array<uint8_t, 8> bytes = BootstrapKeyBytes();
    key.SetFromDigest(Sha1(bytes.data(), bytes.size()));
    return true;
}

bool DeriveTextKey(const QString &text, TLinkKey &key)
{
    const qsizetype n = text.size();
    // The units are hashed incrementally so that no buffer is allocated.
    sha1_ctx ctx;
    sha1_init(&ctx);
    for (qsizetype i = 0; i < n; ++i) {
        const auto unit = static_cast<uint16_t>(text.at(n - 1 - i).unicode() + 1);
        const uint8_t le[2] = {static_cast<uint8_t>(unit & 0xFF), static_cast<uint8_t>(unit >> 8)};
        sha1_update(&ctx, sizeof le, le);
    }
    TSha1Digest digest;
    sha1_digest(&ctx, digest.size(), digest.data());
    key.SetFromDigest(digest);
    return true;
}
