#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <nettle/des.h>

// Cryptography of the link to the leader's server (module MemberTransaction):
// SHA-1, DES keys made from a SHA-1 digest (the key is the first 8 bytes of the
// digest) and the payload cipher: DES in CBC mode with an all-zero
// initialisation vector and PKCS#5 padding. Every unit (one payload, one bulk
// chunk, the inner password field, the inner key text) is encrypted on its own,
// always starting from the zero vector.

using TSha1Digest = std::array<uint8_t, 20>;

TSha1Digest Sha1(const void *data, size_t size);

// Cipher length of an n-byte plaintext: (n div 8 + 1) * 8. A multiple of 8
// still grows by a whole block (0 -> 8, 8 -> 16, 511 -> 512).
constexpr int RoundToCipherLen(int n)
{
    return (n / 8 + 1) * 8;
}

// A DES key of the link. Stands for the key handles of the leader's protocol:
// a null key (the handle 0) means "no key", and payloads then travel plain.
class TLinkKey
{
public:
    bool IsNull() const { return !FValid; }
    void Release();

    // The key from the first 8 bytes of a SHA-1 digest. DES ignores the low
    // bit of every key byte, so no parity is adjusted.
    void SetFromDigest(const TSha1Digest &digest);
    void SetKeyBytes(const std::array<uint8_t, 8> &bytes);
    const std::array<uint8_t, 8> &KeyBytes() const { return FKeyBytes; }

    // Encrypts the first count bytes of buf in place as one unit; buf must have
    // room for RoundToCipherLen(count) bytes. False for a null key or count < 0.
    bool EncryptUnit(uint8_t *buf, int count) const;
    // Decrypts cipherLen bytes in place as one unit and checks the padding (the
    // last byte p is 1..8 and the last p bytes all equal p). On success the
    // plaintext length is cipherLen - p. False for a null key, a length that is
    // not a positive multiple of 8, or bad padding.
    bool DecryptUnit(uint8_t *buf, int cipherLen, int *plainLen = nullptr) const;

private:
    des_ctx FCtx{};
    std::array<uint8_t, 8> FKeyBytes{};
    bool FValid = false;
};

// The 8 bytes the bootstrap key is hashed from, built from the two seed
// constants shared with the leader's server.
std::array<uint8_t, 8> BootstrapKeyBytes();

// The fixed bootstrap key that protects the login message and its reply.
// True when the key was made.
bool DeriveBootstrapKey(TLinkKey &key);

// The key made from a text (the password, or the key text the server returns):
// the text reversed with every UTF-16 unit raised by one (mod 65536), hashed as
// little-endian units. True when the key was made.
bool DeriveTextKey(const QString &text, TLinkKey &key);
