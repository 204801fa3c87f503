#pragma once
// One-time passwords (RFC 2289) for FTP logons. A server that supports them
// answers USER with a challenge such as "331 otp-md5 499 ke1234 ext": the
// hash, a sequence number and a seed. The client then sends, instead of the
// secret pass phrase, the one-time password for that sequence number, written
// as six words of the RFC's dictionary (OtpDictionary.h). The pass phrase
// itself never crosses the network.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// How an FTP logon sends its password; the FTP client keeps the kind, and
// MakeOtpAnswer settles kLoginSkeyAuto to one of the two hashes.
enum FtpLoginKind
{
    kLoginAnonymous = 0,
    kLoginNormal = 1,
    kLoginDouble = 2,
    kLoginSkeyAuto = 3, // a password is asked for; a challenge in the reply makes it one of the two below
    kLoginSkeyMd4 = 4,
    kLoginSkeyMd5 = 5,
};

// The highest sequence number answered. Each step costs one digest, and the
// number comes from the server: a hostile "otp-md5 2147483647 x" would keep
// the logon hashing for minutes. Real chains start at a few hundred (the
// RFC's examples use 499) and generators refuse more than four digits.
inline constexpr int kMaxOtpSequence = 9999;

// The 64-bit one-time password, most significant byte first.
using OtpKey = std::array<uint8_t, 8>;

enum class OtpDigest
{
    Md4,
    Md5,
};

// The one-time password for sequence number `sequence`: the digest of the
// seed (in lower case, as RFC 2289 6.0 asks) followed directly by the pass
// phrase, folded to 64 bits (byte i XOR byte i + 8), then `sequence` more
// rounds of digest and fold over those 8 bytes. False, with key left alone,
// for a sequence below 0 or above kMaxOtpSequence.
bool ComputeOtpKey(OtpDigest digest, int sequence, std::string_view passPhrase, std::string_view seed,
                   OtpKey& key);

// ComputeOtpKey written as six words (OtpToSixWords) into output; false,
// with output left alone, when the sequence is refused.
bool ComputeOtpMd4(int sequence, std::string_view passPhrase, std::string_view seed, std::string& output);
bool ComputeOtpMd5(int sequence, std::string_view passPhrase, std::string_view seed, std::string& output);

// The six-word form of RFC 2289 Appendix B: the 64 bits and a 2-bit checksum
// (the sum of the 32 two-bit groups) make 66 bits, cut into six 11-bit word
// numbers; the words are joined by single blanks, in capitals.
std::string OtpToSixWords(const OtpKey& key);

// count bits (1 to 16) from bit offset on, the most significant bit of
// bytes[0] being bit 0, as a number. Bytes past size read as zero.
uint32_t ExtractBits(const uint8_t* bytes, size_t size, int offset, int count);

// The answer to the reply to USER. With kind kLoginSkeyAuto the reply is
// searched, with case, for " otp-md4 " (kind becomes kLoginSkeyMd4), else
// " otp-md5 " (kLoginSkeyMd5), else " s/key " (kLoginSkeyMd4: S/Key is the
// MD4 scheme). A kind other
// than kLoginSkeyMd4 or kLoginSkeyMd5 answers with the pass phrase as it is.
// Otherwise the reply, in lower case, must hold the tag of the kind (or
// " s/key ") followed by a decimal sequence number (0 to kMaxOtpSequence),
// white space and the seed; whatever follows (RFC 2243's "ext") is ignored.
// The answer is then the six-word one-time password. False, with answer left
// alone, when the challenge cannot be answered.
bool MakeOtpAnswer(std::string_view passPhrase, std::string& answer, std::string_view challenge, int& kind);
