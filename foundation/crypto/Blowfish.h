#pragma once
// CBlowfish: the Blowfish block cipher (16 rounds, standard key schedule) in
// electronic-codebook mode, in place.
//
// Byte order: each 8-byte block is read as two 32-bit words in little-endian
// order (bytes 0-3 the left half, 4-7 the right) and written back the same
// way. The published test vectors read the halves big-endian, so they match
// once each 32-bit word of clear and cipher text is byte-swapped. Files
// enciphered by this program ("Passwords.bf") depend on this order.
//
// Keys: at most the first 72 bytes count; longer keys behave exactly as their
// first 72 bytes. Key bytes enter the P-array most significant byte first,
// cycling through the key. An empty key leaves the P-array unmixed (the
// schedule still runs), so it never divides by a zero key length.

#include "foundation/crypto/Cipher.h"

#include <cstddef>
#include <cstdint>
#include <memory>

class CBlowfish : public CCipher
{
public:
    static constexpr int kMaxKeyLength = 72;

    CBlowfish(const void* key, size_t keyLength);
    ~CBlowfish() override;
    CBlowfish(const CBlowfish&) = delete;
    CBlowfish& operator=(const CBlowfish&) = delete;

    int Decrypt(uint8_t* buffer, int length) override;
    int Encrypt(uint8_t* buffer, int length) override;

    // One block as two words, left and right (the standard's view).
    void EncryptBlock(uint32_t& left, uint32_t& right) const;
    void DecryptBlock(uint32_t& left, uint32_t& right) const;

private:
    // The key-dependent tables, 4168 bytes, allocated by the first keying.
    struct Tables
    {
        uint32_t p[18];
        uint32_t s[4][256];
    };

    void SetKey(const uint8_t* key, size_t keyLength);
    uint32_t F(uint32_t x) const;

    std::unique_ptr<Tables> m_tables;
};
