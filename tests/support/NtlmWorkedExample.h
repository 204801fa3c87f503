#pragma once
// The published NTLMv2 worked example of the NTLM protocol document
// ([MS-NLMP] 4.2.4: user "User", domain "Domain", password "Password",
// server nonce 0123456789abcdef, client nonce eight 0xaa bytes, time 0,
// target information naming domain "Domain" and server "Server"), and a
// reader for the AUTHENTICATE messages our client sends, so tests can look
// at every field of a token.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace ntlm_example
{
inline std::vector<uint8_t> FromHex(const std::string& hex)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

inline std::string ToHex(const uint8_t* bytes, size_t count)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (size_t i = 0; i < count; ++i)
    {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 15];
    }
    return hex;
}

template <typename Bytes> std::string ToHex(const Bytes& bytes)
{
    return ToHex(bytes.data(), bytes.size());
}

inline const char kUser[] = "User";
inline const char kDomain[] = "Domain";
inline const char kPassword[] = "Password";
inline const char kServerChallenge[] = "0123456789abcdef";
inline const char kClientChallenge[] = "aaaaaaaaaaaaaaaa";

// NTOWFv1 of "Password", and NTOWFv2 (ResponseKeyNT) with "User", "Domain".
inline const char kNtHash[] = "a4f49c406510bdcab6824ee7c30fd852";
inline const char kResponseKeyNt[] = "0c868a403bfd7a93a3001ef22ef02e3f";
inline const char kSessionBaseKey[] = "8de40ccadbc14a82f15cb0ad0de95ca3";
// LMv2 response: the 16-byte proof, then the client nonce.
inline const char kLmV2Response[] = "86c35097ac9cec102554764a57cccc19aaaaaaaaaaaaaaaa";
inline const char kNtProofStr[] = "68cd0ab851e51c96aabc927bebef6a1c";
inline const char kTargetInfo[] = "02000c0044006f006d00610069006e00"
                                  "01000c00530065007200760065007200"
                                  "00000000";
// The whole NTLMv2 response: NTProofStr, then the blob.
inline std::string NtV2Response()
{
    return std::string(kNtProofStr) + "0101000000000000" + "0000000000000000" + kClientChallenge +
           "00000000" + kTargetInfo + "00000000";
}

// The example's CHALLENGE message: flags e28a8233, target name "Server",
// the target information above.
inline const char kChallengeMessage[] = "4e544c4d53535000020000000c000c0038000000"
                                        "33828ae20123456789abcdef0000000000000000"
                                        "2400240044000000060070170000000f"
                                        "530065007200760065007200"
                                        "02000c0044006f006d00610069006e00"
                                        "01000c0053006500720076006500720000000000";

// The fields of an AUTHENTICATE message, each checked against the message.
struct Authenticate
{
    uint32_t flags = 0;
    std::vector<uint8_t> lm, nt, domain, user, workstation, sessionKey;
};

inline ::testing::AssertionResult ReadAuthenticate(const std::vector<uint8_t>& msg, Authenticate& out)
{
    static const uint8_t kSignature[8] = {'N', 'T', 'L', 'M', 'S', 'S', 'P', 0};
    if (msg.size() < 64)
        return ::testing::AssertionFailure() << "only " << msg.size() << " bytes";
    if (!std::equal(kSignature, kSignature + 8, msg.begin()) || msg[8] != 3 || msg[9] || msg[10] || msg[11])
        return ::testing::AssertionFailure() << "not an AUTHENTICATE message";
    const auto u16 = [&](size_t at) { return static_cast<size_t>(msg[at] | msg[at + 1] << 8); };
    const auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    const struct
    {
        size_t at;
        std::vector<uint8_t>* field;
    } fields[] = {{12, &out.lm},   {20, &out.nt},          {28, &out.domain},
                  {36, &out.user}, {44, &out.workstation}, {52, &out.sessionKey}};
    for (const auto& f : fields)
    {
        const size_t length = u16(f.at);
        const size_t offset = u32(f.at + 4);
        if (u16(f.at + 2) != length || offset > msg.size() || length > msg.size() - offset)
            return ::testing::AssertionFailure() << "field at " << f.at << " is out of the message";
        f.field->assign(msg.begin() + static_cast<long>(offset),
                        msg.begin() + static_cast<long>(offset + length));
    }
    out.flags = static_cast<uint32_t>(u32(60));
    return ::testing::AssertionSuccess();
}

// "Text" as UTF-16LE, for ASCII texts.
inline std::vector<uint8_t> Utf16(const std::string& ascii)
{
    std::vector<uint8_t> bytes;
    for (char c : ascii)
    {
        bytes.push_back(static_cast<uint8_t>(c));
        bytes.push_back(0);
    }
    return bytes;
}
} // namespace ntlm_example
