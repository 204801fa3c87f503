#include "platform/core/SecurityPackage.h"
#include "tests/support/NtlmWorkedExample.h"
#include "transfer/auth/NtlmEngine.h"
#include "transfer/auth/NtlmMessage.h"
#include "transfer/auth/NtlmSecurityPackage.h"
#include "transfer/auth/NtlmText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace ntlm_example;

namespace
{
NtlmNonce Nonce(const char* hex)
{
    NtlmNonce nonce{};
    const std::vector<uint8_t> bytes = FromHex(hex);
    std::copy(bytes.begin(), bytes.end(), nonce.begin());
    return nonce;
}

// Parses from a heap block of exactly the message's size, so that a read
// one byte past the end is caught by the address sanitizer.
bool ParseExact(const std::vector<uint8_t>& message, NtlmChallengeMessage& out)
{
    const size_t size = message.size();
    std::unique_ptr<uint8_t[]> exact(new uint8_t[size ? size : 1]);
    if (size)
        std::memcpy(exact.get(), message.data(), size);
    return ParseNtlmChallengeMessage(size ? exact.get() : nullptr, size, out);
}

void PutU16(std::vector<uint8_t>& m, size_t at, uint32_t v)
{
    m[at] = static_cast<uint8_t>(v);
    m[at + 1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(std::vector<uint8_t>& m, size_t at, uint32_t v)
{
    PutU16(m, at, v);
    PutU16(m, at + 2, v >> 16);
}

// A package with the example's client nonce and time, under a name of its
// own so the process-wide "NTLM" stays untouched.
class NtlmPackageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto package = std::make_shared<CNtlmSecurityPackage>(
            kName,
            [this](uint8_t* bytes, size_t count)
            {
                ++m_randomCalls;
                std::memset(bytes, 0xaa, count);
                return m_randomWorks;
            },
            [] { return uint64_t{0}; });
        ASSERT_TRUE(RegisterSecurityPackage(package, true));
    }
    void TearDown() override
    {
        if (SecIsValidHandle(m_context))
            DeleteSecurityContext(&m_context);
        if (SecIsValidHandle(m_credential))
            FreeCredentialsHandle(&m_credential);
        UnregisterSecurityPackage(kName);
    }

    void Acquire(const char* user, const char* domain, const char* password)
    {
        SEC_WINNT_AUTH_IDENTITY identity;
        identity.User = user;
        identity.UserLength = static_cast<uint32_t>(std::strlen(user));
        identity.Domain = domain;
        identity.DomainLength = static_cast<uint32_t>(std::strlen(domain));
        identity.Password = password;
        identity.PasswordLength = static_cast<uint32_t>(std::strlen(password));
        ASSERT_EQ(AcquireCredentialsHandle(kName, SECPKG_CRED_OUTBOUND, &identity, &m_credential), SEC_E_OK);
    }

    // One step; input empty for none. The token lands in m_token.
    SECURITY_STATUS Step(const std::vector<uint8_t>& input,
                         uint32_t capacity = CNtlmSecurityPackage::kMaxTokenSize)
    {
        m_token.assign(capacity, 0);
        SecBuffer out{capacity, SECBUFFER_TOKEN, m_token.data()};
        SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &out};
        std::vector<uint8_t> in = input;
        SecBuffer inBuffer{static_cast<uint32_t>(in.size()), SECBUFFER_TOKEN, in.data()};
        SecBufferDesc inDesc{SECBUFFER_VERSION, 1, &inBuffer};
        const bool first = !SecIsValidHandle(m_context);
        const SECURITY_STATUS status =
            InitializeSecurityContext(&m_credential, first ? nullptr : &m_context, 0, SECURITY_NATIVE_DREP,
                                      input.empty() ? nullptr : &inDesc, &m_context, &outDesc);
        m_token.resize(out.cbBuffer);
        return status;
    }

    static constexpr const char* kName = "NTLM-example";
    CredHandle m_credential;
    CtxtHandle m_context;
    std::vector<uint8_t> m_token;
    int m_randomCalls = 0;
    bool m_randomWorks = true;
};
} // namespace

TEST(NtlmEngine, WorkedExampleKeysAndResponses)
{
    const NtlmHash ntHash = NtlmNtHash(kPassword);
    EXPECT_EQ(ToHex(ntHash), kNtHash);
    const NtlmHash key = NtlmV2ResponseKey(ntHash, kUser, kDomain);
    EXPECT_EQ(ToHex(key), kResponseKeyNt);

    const NtlmV2Responses r = ComputeNtlmV2Responses(key, Nonce(kServerChallenge), Nonce(kClientChallenge), 0,
                                                     FromHex(kTargetInfo));
    ASSERT_GE(r.ntResponse.size(), 16u);
    EXPECT_EQ(ToHex(r.ntResponse.data(), 16), kNtProofStr);
    EXPECT_EQ(ToHex(r.ntResponse), NtV2Response());
    EXPECT_EQ(ToHex(r.lmResponse), kLmV2Response);
    EXPECT_EQ(ToHex(r.sessionBaseKey), kSessionBaseKey);
}

TEST(NtlmEngine, UserIsFoldedButDomainIsNot)
{
    const NtlmHash ntHash = NtlmNtHash(kPassword);
    const std::string key = ToHex(NtlmV2ResponseKey(ntHash, "User", "Domain"));
    EXPECT_EQ(ToHex(NtlmV2ResponseKey(ntHash, "user", "Domain")), key);
    EXPECT_EQ(ToHex(NtlmV2ResponseKey(ntHash, "USER", "Domain")), key);
    EXPECT_NE(ToHex(NtlmV2ResponseKey(ntHash, "User", "DOMAIN")), key);
    // Non-ASCII letters fold too: the key of "josé" is that of "JOSÉ".
    EXPECT_EQ(ToHex(NtlmV2ResponseKey(ntHash, "jos\xC3\xA9", "")),
              ToHex(NtlmV2ResponseKey(ntHash, "JOS\xC3\x89", "")));
}

TEST(NtlmText, Utf16FromUtf8)
{
    const struct
    {
        const char* utf8;
        const char* utf16le;
        const char* upper;
    } cases[] = {
        {"User", "5500730065007200", "5500530045005200"},
        {"", "", ""},
        {"\xC3\xA9", "e900", "c900"},                     // é
        {"\xE2\x82\xAC", "ac20", "ac20"},                 // €
        {"\xF0\x9F\x98\x80", "3dd800de", "3dd800de"},     // a character outside the plane: a surrogate pair
        {"\xE9t\xE9", "e9007400e900", "c9005400c900"},    // Latin-1 bytes, not UTF-8
        {"\xC3", "c300", "c300"},                         // a cut sequence
        {"\xED\xA0\x80", "ed00a0008000", "cd00a0008000"}, // an encoded surrogate is not a character
        {"\xC0\xAF", "c000af00", "c000af00"},             // an overlong '/'
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(ToHex(NtlmUnicode(c.utf8)), c.utf16le) << c.utf16le;
        EXPECT_EQ(ToHex(NtlmUpperUnicode(c.utf8)), c.upper) << c.upper;
    }
}

TEST(NtlmMessage, NegotiateMessage)
{
    // Signature, type 1, the flags, then empty domain and workstation fields
    // pointing at the end of the 32-byte message.
    EXPECT_EQ(ToHex(BuildNtlmNegotiateMessage(0xa2088207)), std::string("4e544c4d53535000"
                                                                        "01000000"
                                                                        "078208a2"
                                                                        "0000000020000000"
                                                                        "0000000020000000"));
}

TEST(NtlmMessage, ParsesTheWorkedExampleChallenge)
{
    NtlmChallengeMessage challenge;
    ASSERT_TRUE(ParseExact(FromHex(kChallengeMessage), challenge));
    EXPECT_EQ(challenge.flags, 0xe28a8233u);
    EXPECT_EQ(ToHex(challenge.serverChallenge), kServerChallenge);
    EXPECT_EQ(challenge.targetName, Utf16("Server"));
    EXPECT_EQ(ToHex(challenge.targetInfo), kTargetInfo);
    EXPECT_FALSE(challenge.hasTimestamp);
}

TEST(NtlmMessage, RejectsHostileChallenges)
{
    const std::vector<uint8_t> good = FromHex(kChallengeMessage);
    const size_t size = good.size(); // 0x68
    using Edit = void (*)(std::vector<uint8_t>&);
    const struct
    {
        const char* what;
        Edit edit;
    } cases[] = {
        {"empty", [](std::vector<uint8_t>& m) { m.clear(); }},
        {"31 bytes", [](std::vector<uint8_t>& m) { m.resize(31); }},
        {"wrong signature", [](std::vector<uint8_t>& m) { m[7] = 'X'; }},
        {"wrong type", [](std::vector<uint8_t>& m) { PutU32(m, 8, 3); }},
        {"target info past the end", [](std::vector<uint8_t>& m) { PutU32(m, 44, 0x7FFFFFFF); }},
        {"target info offset wraps 32 bits", [](std::vector<uint8_t>& m) { PutU32(m, 44, 0xFFFFFFF0); }},
        {"target info length huge", [](std::vector<uint8_t>& m) { PutU16(m, 40, 0xFFFF); }},
        {"target info flag without its fields",
         [](std::vector<uint8_t>& m)
         {
             m.resize(40);
             PutU16(m, 12, 0);
         }},
        {"AV pair runs past its list", [](std::vector<uint8_t>& m) { PutU16(m, 0x44 + 2, 0x0100); }},
        {"AV pair one byte too long",
         [](std::vector<uint8_t>& m)
         {
             // The list is cut before the closing pair; the last value claims one byte more.
             PutU16(m, 40, 32);
             PutU16(m, 0x44 + 16 + 2, 13);
         }},
        {"partial AV pair header",
         [](std::vector<uint8_t>& m)
         {
             PutU16(m, 40, 2);
             PutU16(m, 0x44, 7);
         }},
        {"larger than any real challenge",
         [](std::vector<uint8_t>& m) { m.resize(kNtlmChallengeMaxSize + 1, 0); }},
    };
    for (const auto& c : cases)
    {
        std::vector<uint8_t> message = good;
        c.edit(message);
        NtlmChallengeMessage out;
        out.flags = 0x1234;
        EXPECT_FALSE(ParseExact(message, out)) << c.what;
        EXPECT_EQ(out.flags, 0x1234u) << c.what << ": written on failure";
    }
    // A malformed target name is no reason to refuse: nothing computed from
    // the challenge reads it (one common server sends an offset past the
    // end), so the rest is taken and the name left empty.
    const struct
    {
        const char* what;
        Edit edit;
    } badNames[] = {
        {"name past the end", [](std::vector<uint8_t>& m) { PutU32(m, 16, 0x1000); }},
        {"name one byte past the end",
         [](std::vector<uint8_t>& m) { PutU32(m, 16, static_cast<uint32_t>(m.size() - 11)); }},
        {"name offset wraps 32 bits",
         [](std::vector<uint8_t>& m)
         {
             PutU16(m, 12, 0xFFFF);
             PutU32(m, 16, 0xFFFFFFFF);
         }},
        {"name inside the header", [](std::vector<uint8_t>& m) { PutU32(m, 16, 8); }},
        {"name length huge", [](std::vector<uint8_t>& m) { PutU16(m, 12, 0xFFFF); }},
    };
    for (const auto& c : badNames)
    {
        std::vector<uint8_t> message = good;
        c.edit(message);
        NtlmChallengeMessage out;
        ASSERT_TRUE(ParseExact(message, out)) << c.what;
        EXPECT_TRUE(out.targetName.empty()) << c.what;
        EXPECT_EQ(ToHex(out.serverChallenge), kServerChallenge) << c.what;
        EXPECT_EQ(ToHex(out.targetInfo), kTargetInfo) << c.what;
    }
    // Edges that are well formed: a field ending exactly at the message end,
    // an empty field whatever its offset says, and no target information
    // without its flag, however wrong its fields are.
    std::vector<uint8_t> atEnd = good;
    PutU32(atEnd, 16, static_cast<uint32_t>(size - 12));
    NtlmChallengeMessage out;
    EXPECT_TRUE(ParseExact(atEnd, out));
    std::vector<uint8_t> emptyName = good;
    PutU16(emptyName, 12, 0);
    PutU32(emptyName, 16, 0xFFFFFFFF);
    EXPECT_TRUE(ParseExact(emptyName, out));
    EXPECT_TRUE(out.targetName.empty());
    std::vector<uint8_t> oldServer(good.begin(), good.begin() + 32);
    PutU32(oldServer, 20, 0x00008201); // no target information
    PutU16(oldServer, 12, 0);
    EXPECT_TRUE(ParseExact(oldServer, out));
    EXPECT_TRUE(out.targetInfo.empty());
}

TEST_F(NtlmPackageTest, TwoStepsGiveTheWorkedExampleResponses)
{
    Acquire(kUser, kDomain, kPassword);

    ASSERT_EQ(Step({}), SEC_I_CONTINUE_NEEDED);
    ASSERT_TRUE(SecIsValidHandle(m_context));
    ASSERT_EQ(m_token.size(), 32u);
    EXPECT_EQ(ToHex(m_token).substr(0, 24), "4e544c4d5353500001000000");

    ASSERT_EQ(Step(FromHex(kChallengeMessage)), SEC_E_OK);
    Authenticate auth;
    ASSERT_TRUE(ReadAuthenticate(m_token, auth));
    EXPECT_EQ(ToHex(auth.lm), kLmV2Response);
    EXPECT_EQ(ToHex(auth.nt), NtV2Response());
    EXPECT_EQ(auth.user, Utf16(kUser));
    EXPECT_EQ(auth.domain, Utf16(kDomain));
    EXPECT_TRUE(auth.sessionKey.empty());
    EXPECT_TRUE(auth.flags & NTLMSSP_NEGOTIATE_UNICODE);
    EXPECT_FALSE(auth.flags & NTLMSSP_NEGOTIATE_OEM);
    EXPECT_FALSE(auth.flags & NTLMSSP_NEGOTIATE_ANONYMOUS);
    // No key exchange, signing or sealing was asked for, so none is claimed.
    EXPECT_EQ(auth.flags & 0x40000030u, 0u);

    // The exchange is over.
    EXPECT_EQ(Step(FromHex(kChallengeMessage)), SEC_E_OUT_OF_SEQUENCE);
    EXPECT_EQ(m_token.size(), 0u);
}

TEST_F(NtlmPackageTest, BadChallengeSpendsTheExchange)
{
    Acquire(kUser, kDomain, kPassword);
    ASSERT_EQ(Step({}), SEC_I_CONTINUE_NEEDED);
    std::vector<uint8_t> hostile = FromHex(kChallengeMessage);
    PutU32(hostile, 44, 0xFFFFFFF0);
    EXPECT_EQ(Step(hostile), SEC_E_INVALID_TOKEN);
    EXPECT_EQ(m_token.size(), 0u);
    EXPECT_EQ(Step(FromHex(kChallengeMessage)), SEC_E_OUT_OF_SEQUENCE);
}

TEST_F(NtlmPackageTest, OutOfOrderInput)
{
    Acquire(kUser, kDomain, kPassword);
    // A challenge before the negotiate message: no exchange is created.
    EXPECT_EQ(Step(FromHex(kChallengeMessage)), SEC_E_OUT_OF_SEQUENCE);
    EXPECT_FALSE(SecIsValidHandle(m_context));
    // The second step needs the challenge.
    ASSERT_EQ(Step({}), SEC_I_CONTINUE_NEEDED);
    EXPECT_EQ(Step({}), SEC_E_INVALID_TOKEN);
}

TEST_F(NtlmPackageTest, SmallOutputBufferIsRefusedAndTheStepCanBeRetried)
{
    Acquire(kUser, kDomain, kPassword);
    EXPECT_EQ(Step({}, 31), SEC_E_BUFFER_TOO_SMALL);
    EXPECT_FALSE(SecIsValidHandle(m_context));
    ASSERT_EQ(Step({}), SEC_I_CONTINUE_NEEDED);
    EXPECT_EQ(Step(FromHex(kChallengeMessage), 100), SEC_E_BUFFER_TOO_SMALL);
    EXPECT_EQ(m_token.size(), 0u);
    ASSERT_EQ(Step(FromHex(kChallengeMessage)), SEC_E_OK);
    Authenticate auth;
    EXPECT_TRUE(ReadAuthenticate(m_token, auth));
}

TEST_F(NtlmPackageTest, NoRandomnessNoResponse)
{
    Acquire(kUser, kDomain, kPassword);
    ASSERT_EQ(Step({}), SEC_I_CONTINUE_NEEDED);
    m_randomWorks = false;
    EXPECT_EQ(Step(FromHex(kChallengeMessage)), SEC_E_INTERNAL_ERROR);
    EXPECT_EQ(m_token.size(), 0u);
    EXPECT_EQ(m_randomCalls, 1);
}

TEST_F(NtlmPackageTest, ServerTimeStampIsUsedAndLmResponseIsZero)
{
    Acquire(kUser, kDomain, kPassword);
    ASSERT_EQ(Step({}), SEC_I_CONTINUE_NEEDED);

    // The example challenge with an MsvAvTimestamp pair before the closing pair.
    std::vector<uint8_t> message = FromHex(kChallengeMessage);
    const std::vector<uint8_t> stamp = FromHex("0700080000f8d1c6a3b9d401");
    message.insert(message.end() - 4, stamp.begin(), stamp.end());
    PutU16(message, 40, 36 + 12);
    PutU16(message, 42, 36 + 12);
    ASSERT_EQ(Step(message), SEC_E_OK);

    Authenticate auth;
    ASSERT_TRUE(ReadAuthenticate(m_token, auth));
    EXPECT_EQ(auth.lm, std::vector<uint8_t>(24, 0));
    // Blob: NTProofStr(16) 0101 0000 00000000, then the time at byte 24.
    ASSERT_GT(auth.nt.size(), 32u);
    EXPECT_EQ(ToHex(auth.nt.data() + 24, 8), "00f8d1c6a3b9d401");
    // The proof covers the server's target information as sent.
    const NtlmHash key = NtlmV2ResponseKey(NtlmNtHash(kPassword), kUser, kDomain);
    const std::vector<uint8_t> info(message.begin() + 0x44, message.end());
    const NtlmV2Responses expected = ComputeNtlmV2Responses(
        key, Nonce(kServerChallenge), Nonce(kClientChallenge), 0x01d4b9a3c6d1f800, info);
    EXPECT_EQ(ToHex(auth.nt), ToHex(expected.ntResponse));
}

TEST_F(NtlmPackageTest, OemServerGetsBytesAsTheyAre)
{
    Acquire(kUser, kDomain, kPassword);
    ASSERT_EQ(Step({}), SEC_I_CONTINUE_NEEDED);
    std::vector<uint8_t> message = FromHex(kChallengeMessage);
    PutU32(message, 20, 0xe28a8232); // OEM, not Unicode
    ASSERT_EQ(Step(message), SEC_E_OK);
    Authenticate auth;
    ASSERT_TRUE(ReadAuthenticate(m_token, auth));
    EXPECT_EQ(std::string(auth.user.begin(), auth.user.end()), kUser);
    EXPECT_EQ(std::string(auth.domain.begin(), auth.domain.end()), kDomain);
    EXPECT_TRUE(auth.flags & NTLMSSP_NEGOTIATE_OEM);
    EXPECT_FALSE(auth.flags & NTLMSSP_NEGOTIATE_UNICODE);
    // The proof does not depend on the wire form of the names.
    EXPECT_EQ(ToHex(auth.nt), NtV2Response());
}

TEST_F(NtlmPackageTest, LoggedOnUserAuthenticatesAnonymously)
{
    ASSERT_EQ(AcquireCredentialsHandle(kName, SECPKG_CRED_OUTBOUND, nullptr, &m_credential), SEC_E_OK);
    ASSERT_EQ(Step({}), SEC_I_CONTINUE_NEEDED);
    ASSERT_EQ(Step(FromHex(kChallengeMessage)), SEC_E_OK);
    Authenticate auth;
    ASSERT_TRUE(ReadAuthenticate(m_token, auth));
    EXPECT_TRUE(auth.flags & NTLMSSP_NEGOTIATE_ANONYMOUS);
    EXPECT_EQ(auth.lm, std::vector<uint8_t>(1, 0));
    EXPECT_TRUE(auth.nt.empty());
    EXPECT_TRUE(auth.user.empty());
    EXPECT_TRUE(auth.domain.empty());
    EXPECT_EQ(m_randomCalls, 0);
}

TEST_F(NtlmPackageTest, UserWithEmptyPasswordStillProves)
{
    Acquire(kUser, kDomain, "");
    ASSERT_EQ(Step({}), SEC_I_CONTINUE_NEEDED);
    ASSERT_EQ(Step(FromHex(kChallengeMessage)), SEC_E_OK);
    Authenticate auth;
    ASSERT_TRUE(ReadAuthenticate(m_token, auth));
    EXPECT_FALSE(auth.flags & NTLMSSP_NEGOTIATE_ANONYMOUS);
    const NtlmHash key = NtlmV2ResponseKey(NtlmNtHash(""), kUser, kDomain);
    const NtlmV2Responses expected = ComputeNtlmV2Responses(key, Nonce(kServerChallenge),
                                                            Nonce(kClientChallenge), 0, FromHex(kTargetInfo));
    EXPECT_EQ(ToHex(auth.nt), ToHex(expected.ntResponse));
}
