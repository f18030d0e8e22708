#pragma once

// The sealed copy of the user's password in the state table (YHKL of T_YXZT): what the
// offline login compares a typed password with, and what the first set-up and every
// online login store.

#include "link/LinkCrypto.h"

#include <QString>

// The DES key of the sealed password. Eight primes are picked from those up to 320 by
// their ordinal numbers (the only stored input), multiplied into an unsigned 64-bit
// number, written as 8 bytes most significant first and hashed with SHA-1; the key is
// made from the digest as every link key is. True when the key was made.
bool DerivePasswordKey(TLinkKey &key);

// The first 35 UTF-16 units of the text in a zero-filled buffer of 36 units (72
// bytes); its first 71 bytes encrypted as one unit (one byte of padding, 72 bytes of
// cipher text), written as 36 groups of 4 upper-case hexadecimal digits, each group
// one little-endian 16-bit unit: 144 digits. Empty when the key cannot be made.
QString SealPassword(const QString &text);

// The reverse: 36 groups of 4 hexadecimal digits (a group that is not a number counts
// as 0, missing groups too), decrypted; the text up to the first zero unit. Empty when
// the cipher text does not decrypt.
QString UnsealPassword(const QString &sealed);
