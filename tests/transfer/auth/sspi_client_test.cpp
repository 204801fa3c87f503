#include "foundation/text/Base64.h"
#include "platform/core/ThreadLastError.h"
#include "tests/support/NtlmWorkedExample.h"
#include "transfer/auth/NtlmEngine.h"
#include "transfer/auth/NtlmMessage.h"
#include "transfer/auth/NtlmSecurityPackage.h"
#include "transfer/auth/SspiClient.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

using namespace ntlm_example;

namespace
{
std::vector<uint8_t> Decode(const std::string& base64)
{
    CByteBuffer buffer;
    EXPECT_TRUE(Base64Decode(base64, buffer));
    return std::vector<uint8_t>(buffer.GetData(), buffer.GetData() + buffer.GetLength());
}

// The token of an authorization value "Scheme base64", after checking the
// scheme word.
std::vector<uint8_t> TokenOf(const std::string& value, const std::string& scheme)
{
    EXPECT_EQ(value.substr(0, scheme.size() + 1), scheme + " ") << value;
    return Decode(value.substr(scheme.size() + 1));
}

std::string ChallengeHeader(const std::string& scheme)
{
    const std::vector<uint8_t> message = FromHex(kChallengeMessage);
    return scheme + " " + Base64Encode(message.data(), message.size());
}

// Checks that an AUTHENTICATE message proves the password: recomputes the
// NTLMv2 proof over the blob the client sent, as a server would.
void ExpectProves(const std::vector<uint8_t>& token, const std::string& user, const std::string& domain,
                  const std::string& password)
{
    Authenticate auth;
    ASSERT_TRUE(ReadAuthenticate(token, auth));
    EXPECT_EQ(auth.user, Utf16(user));
    EXPECT_EQ(auth.domain, Utf16(domain));
    ASSERT_GT(auth.nt.size(), 16u + 28u);
    const std::vector<uint8_t> blob(auth.nt.begin() + 16, auth.nt.end());
    NtlmNonce clientNonce{};
    std::copy(blob.begin() + 16, blob.begin() + 24, clientNonce.begin());
    uint64_t time = 0;
    for (int i = 7; i >= 0; --i)
        time = time << 8 | blob[8 + static_cast<size_t>(i)];
    NtlmNonce serverNonce{};
    const std::vector<uint8_t> server = FromHex(kServerChallenge);
    std::copy(server.begin(), server.end(), serverNonce.begin());
    const NtlmHash key = NtlmV2ResponseKey(NtlmNtHash(password), user, domain);
    const NtlmV2Responses expected =
        ComputeNtlmV2Responses(key, serverNonce, clientNonce, time, FromHex(kTargetInfo));
    EXPECT_EQ(ToHex(auth.nt), ToHex(expected.ntResponse));
    EXPECT_EQ(ToHex(auth.lm), ToHex(expected.lmResponse));
    // A fresh nonce from the system's source, not a constant.
    EXPECT_NE(ToHex(clientNonce), "0000000000000000");
}

// A package that answers each step with the next status of a script, to
// drive the client through the statuses the NTLM engine never gives.
class CScriptedPackage : public ISecurityPackage
{
public:
    struct Script
    {
        std::deque<SECURITY_STATUS> steps;
        SECURITY_STATUS completion = SEC_E_OK;
        int completions = 0;
    };

    explicit CScriptedPackage(std::shared_ptr<Script> script) : m_script(std::move(script)) {}

    SecPkgInfo GetInfo() const override
    {
        SecPkgInfo info;
        info.Name = "Scripted";
        info.cbMaxToken = 16;
        return info;
    }
    SECURITY_STATUS AcquireCredential(const SEC_WINNT_AUTH_IDENTITY*,
                                      std::shared_ptr<ISecurityCredential>& credential) override
    {
        credential = std::make_shared<ISecurityCredential>();
        return SEC_E_OK;
    }
    std::unique_ptr<ISecurityContext> NewContext(std::shared_ptr<ISecurityCredential>) override
    {
        return std::make_unique<Context>(m_script);
    }

private:
    class Context : public ISecurityContext
    {
    public:
        explicit Context(std::shared_ptr<Script> script) : m_script(std::move(script)) {}
        SECURITY_STATUS Step(const SecBuffer*, SecBuffer& output) override
        {
            std::memcpy(output.pvBuffer, "half", 4);
            output.cbBuffer = 4;
            const SECURITY_STATUS status = m_script->steps.front();
            m_script->steps.pop_front();
            return status;
        }
        SECURITY_STATUS CompleteToken(SecBufferDesc& token) override
        {
            ++m_script->completions;
            std::memcpy(token.pBuffers[0].pvBuffer, "done", 4);
            return m_script->completion;
        }

    private:
        std::shared_ptr<Script> m_script;
    };

    std::shared_ptr<Script> m_script;
};

class ScriptedPackageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_script = std::make_shared<CScriptedPackage::Script>();
        ASSERT_TRUE(RegisterSecurityPackage(std::make_shared<CScriptedPackage>(m_script), true));
    }
    void TearDown() override { UnregisterSecurityPackage("Scripted"); }

    std::shared_ptr<CScriptedPackage::Script> m_script;
};
} // namespace

TEST(SspiClient, SplitDomainUser)
{
    const struct
    {
        const char* text;
        bool ok;
        const char* user;
        const char* domain;
    } cases[] = {
        {"DOM\\joe", true, "joe", "DOM"},
        {"DOM/joe", true, "joe", "DOM"},
        {"joe@DOM", true, "joe", "DOM"},
        {"DOM\\joe@mail", true, "joe@mail", "DOM"}, // the separator wins over '@'
        {"a@b\\c", true, "c", "a@b"},
        {"joe", true, "joe", ""},
        {"joe@", true, "joe", ""},
        {"DOM\\a\\b", true, "a\\b", "DOM"}, // only the first separator splits
        {"DOM\\", false, "", "DOM"},
        {"/", false, "", ""},
        {"\\", false, "", ""},
        {"@DOM", false, "", "DOM"},
        {"DOM//", false, "/", "DOM"},
        {"DOM\\\\", false, "\\", "DOM"},
    };
    for (const auto& c : cases)
    {
        std::string user = "old";
        std::string domain = "old";
        SetThreadLastError(0);
        EXPECT_EQ(CSspiClient::SplitDomainUser(c.text, user, domain), c.ok) << c.text;
        EXPECT_EQ(user, c.user) << c.text;
        EXPECT_EQ(domain, c.domain) << c.text;
        EXPECT_EQ(GetThreadLastError(), c.ok ? 0 : ERROR_INVALID_PARAMETER) << c.text;
    }
}

TEST(SspiClient, AcquireCredentials)
{
    CSspiClient client;
    EXPECT_FALSE(client.IsReady());
    EXPECT_EQ(client.GetStatus(), SEC_E_UNKNOWN_CREDENTIALS);

    // The logged-on user.
    EXPECT_TRUE(client.AcquireCredentials("", "ignored", "NTLM"));
    EXPECT_EQ(client.GetStatus(), SEC_E_OK);

    // A bad user name frees what was held and stops before the package.
    SetThreadLastError(0);
    EXPECT_FALSE(client.AcquireCredentials("DOM\\", "pw", "NTLM"));
    EXPECT_EQ(GetThreadLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(client.GetStatus(), SEC_E_UNKNOWN_CREDENTIALS);

    EXPECT_FALSE(client.AcquireCredentials("joe", "pw", "Kerberos"));
    EXPECT_EQ(client.GetStatus(), SEC_E_SECPKG_NOT_FOUND);

    EXPECT_TRUE(client.AcquireCredentials("joe@DOM", "", "negotiate")); // names ignore case
    client.FreeCredentials();
    EXPECT_FALSE(client.IsReady());
    EXPECT_EQ(client.GetStatus(), SEC_E_UNKNOWN_CREDENTIALS);
}

// A client made for every exchange installs the NTLM packages only when it
// first acquires credentials, so a package gone between its making and its
// use is there again when needed.
TEST(SspiClient, PackagesInstalledWhenCredentialsAreAcquired)
{
    InstallNtlmSecurityPackages(); // as an earlier exchange left them
    CSspiClient client;
    ASSERT_TRUE(UnregisterSecurityPackage("NTLM"));
    SecPkgInfo info;
    EXPECT_EQ(QuerySecurityPackageInfo("NTLM", info), SEC_E_SECPKG_NOT_FOUND);
    EXPECT_TRUE(client.AcquireCredentials("", "ignored", "NTLM"));
    EXPECT_EQ(QuerySecurityPackageInfo("NTLM", info), SEC_E_OK);
}

TEST(SspiClient, NoTokenWithoutCredentials)
{
    CSspiClient client;
    std::string out = "unchanged";
    EXPECT_FALSE(client.NextToken(out, 0, "NTLM"));
    EXPECT_EQ(out, "unchanged");
}

// NTLM and Negotiate both send raw NTLM messages under their own scheme word.
TEST(SspiClient, HandshakeGivesRawNtlmTokens)
{
    for (const std::string scheme : {"NTLM", "Negotiate"})
    {
        SCOPED_TRACE(scheme);
        const size_t contextsBefore = GetSecurityContextCount();
        {
            CSspiClient client;
            ASSERT_TRUE(client.AcquireCredentials("Domain\\User", kPassword, scheme));

            std::string first;
            ASSERT_TRUE(client.NextToken(first, 0, scheme));
            const std::vector<uint8_t> negotiate = TokenOf(first, scheme);
            ASSERT_EQ(negotiate.size(), 32u);
            EXPECT_EQ(ToHex(negotiate).substr(0, 24), "4e544c4d5353500001000000");

            std::string second;
            ASSERT_TRUE(client.NextToken(second, 1, ChallengeHeader(scheme)));
            ExpectProves(TokenOf(second, scheme), kUser, kDomain, kPassword);

            // The exchange is complete; another step is out of order.
            std::string third = "unchanged";
            SetThreadLastError(0);
            EXPECT_FALSE(client.NextToken(third, 2, ChallengeHeader(scheme)));
            EXPECT_EQ(GetThreadLastError(), SEC_E_OUT_OF_SEQUENCE);
            EXPECT_EQ(third, "");
        }
        EXPECT_EQ(GetSecurityContextCount(), contextsBefore);
    }
}

TEST(SspiClient, SchemeWordAlone)
{
    CSspiClient client;
    ASSERT_TRUE(client.AcquireCredentials("joe", "pw", "NTLM"));
    std::string out;
    EXPECT_TRUE(client.NextToken(out, 0, "  NTLM \r\n"));
    EXPECT_EQ(out.substr(0, 5), "NTLM ");
    SetThreadLastError(0);
    EXPECT_FALSE(client.NextToken(out, 1, "NTLM"));
    EXPECT_EQ(GetThreadLastError(), SEC_E_INVALID_TOKEN);
    EXPECT_EQ(out, "");
}

TEST(SspiClient, BadChallengesFail)
{
    const struct
    {
        const char* what;
        std::string header;
        SECURITY_STATUS error;
    } cases[] = {
        {"not Base64", "NTLM ????????", SEC_E_INVALID_TOKEN},
        {"not an NTLM message", "NTLM " + Base64Encode("hello world!", 12), SEC_E_INVALID_TOKEN},
        {"cut challenge", "NTLM " + Base64Encode(FromHex(kChallengeMessage).data(), 40), SEC_E_INVALID_TOKEN},
        {"unknown scheme", ChallengeHeader("Kerberos"), SEC_E_SECPKG_NOT_FOUND},
    };
    for (const auto& c : cases)
    {
        CSspiClient client;
        ASSERT_TRUE(client.AcquireCredentials("joe", "pw", "NTLM"));
        std::string out;
        ASSERT_TRUE(client.NextToken(out, 0, "NTLM"));
        SetThreadLastError(0);
        EXPECT_FALSE(client.NextToken(out, 1, c.header)) << c.what;
        EXPECT_EQ(GetThreadLastError(), c.error) << c.what;
    }
}

// Every restart at step 0 ends the exchange it replaces; the client leaves
// no exchange behind in the package layer.
TEST(SspiClient, RestartsDoNotLeakExchanges)
{
    const size_t before = GetSecurityContextCount();
    {
        CSspiClient client;
        ASSERT_TRUE(client.AcquireCredentials("joe", "pw", "NTLM"));
        std::string out;
        for (int i = 0; i < 3; ++i)
        {
            ASSERT_TRUE(client.NextToken(out, 0, "NTLM"));
            EXPECT_EQ(GetSecurityContextCount(), before + 1);
        }
        // New credentials end the exchange of the old ones.
        ASSERT_TRUE(client.AcquireCredentials("joe", "pw2", "NTLM"));
        EXPECT_EQ(GetSecurityContextCount(), before);
        ASSERT_TRUE(client.NextToken(out, 0, "NTLM"));
        EXPECT_EQ(GetSecurityContextCount(), before + 1);
    }
    EXPECT_EQ(GetSecurityContextCount(), before);
}

TEST_F(ScriptedPackageTest, StatusesOfAStep)
{
    const std::string half = "Scripted " + Base64Encode("half", 4);
    const std::string done = "Scripted " + Base64Encode("done", 4);
    const struct
    {
        const char* what;
        SECURITY_STATUS step;
        SECURITY_STATUS completion;
        bool ok;
        std::string out;
        int32_t lastError;
        int completions;
    } cases[] = {
        {"ok", SEC_E_OK, SEC_E_OK, true, half, 0, 0},
        {"continue", SEC_I_CONTINUE_NEEDED, SEC_E_OK, true, half, 0, 0},
        {"complete and continue", SEC_I_COMPLETE_AND_CONTINUE, SEC_E_OK, true, done, 0, 1},
        {"complete and continue, completion fails", SEC_I_COMPLETE_AND_CONTINUE, SEC_E_INTERNAL_ERROR, false,
         "", SEC_E_INTERNAL_ERROR, 1},
        // A completed final token is a good token and goes out.
        {"complete", SEC_I_COMPLETE_NEEDED, SEC_E_OK, true, done, 0, 1},
        {"complete, logon denied", SEC_I_COMPLETE_NEEDED, SEC_E_LOGON_DENIED, false, "", ERROR_LOGON_FAILURE,
         1},
        {"logon denied", SEC_E_LOGON_DENIED, SEC_E_OK, false, "", ERROR_LOGON_FAILURE, 0},
        {"other error", SEC_E_INVALID_TOKEN, SEC_E_OK, false, "", SEC_E_INVALID_TOKEN, 0},
    };
    for (const auto& c : cases)
    {
        m_script->steps = {SEC_I_CONTINUE_NEEDED, c.step};
        m_script->completion = c.completion;
        m_script->completions = 0;
        CSspiClient client;
        ASSERT_TRUE(client.AcquireCredentials("", "", "Scripted"));
        std::string out;
        ASSERT_TRUE(client.NextToken(out, 0, "Scripted"));
        SetThreadLastError(0);
        EXPECT_EQ(client.NextToken(out, 1, "Scripted AAAA"), c.ok) << c.what;
        EXPECT_EQ(out, c.out) << c.what;
        EXPECT_EQ(GetThreadLastError(), c.lastError) << c.what;
        EXPECT_EQ(m_script->completions, c.completions) << c.what;
    }
}
