#pragma once
// CCipher: a block cipher that works in place on 8-byte blocks from the
// start of a buffer. CBlowfish (Blowfish.h) is the one implementation; the
// password store enciphers "Passwords.bf" through this interface.

#include <cstdint>

class CCipher
{
public:
    virtual ~CCipher() = default;

    // Deciphers or enciphers the whole 8-byte blocks of buffer in place.
    // Returns 0 when length is a multiple of 8; otherwise the number of bytes
    // the last, partial block lacks (8 - remainder), and that tail is left
    // as it was. A null buffer or a length of 0 or less changes nothing and
    // returns 0.
    virtual int Decrypt(uint8_t* buffer, int length) = 0;
    virtual int Encrypt(uint8_t* buffer, int length) = 0;
};
