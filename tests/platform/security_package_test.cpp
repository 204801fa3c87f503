#include "platform/core/FileTime.h"
#include "platform/core/SecurityPackage.h"
#include "platform/core/SystemRandom.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
// A package whose exchanges emit "step N" and end after two steps; a first
// step with the input "fail" fails. It counts the live exchanges it made.
class CCountingPackage : public ISecurityPackage
{
public:
    explicit CCountingPackage(std::string name) : m_name(std::move(name)) {}

    SecPkgInfo GetInfo() const override
    {
        SecPkgInfo info;
        info.Name = m_name;
        info.cbMaxToken = 64;
        return info;
    }
    SECURITY_STATUS AcquireCredential(const SEC_WINNT_AUTH_IDENTITY* identity,
                                      std::shared_ptr<ISecurityCredential>& credential) override
    {
        m_lastUser =
            identity ? std::string(identity->User ? identity->User : "", identity->UserLength) : "<none>";
        credential = std::make_shared<ISecurityCredential>();
        return SEC_E_OK;
    }
    std::unique_ptr<ISecurityContext> NewContext(std::shared_ptr<ISecurityCredential>) override
    {
        return std::make_unique<Context>(m_live);
    }

    std::shared_ptr<int> m_live = std::make_shared<int>(0);
    std::string m_lastUser;

private:
    class Context : public ISecurityContext
    {
    public:
        explicit Context(std::shared_ptr<int> live) : m_live(std::move(live)) { ++*m_live; }
        ~Context() override { --*m_live; }
        SECURITY_STATUS Step(const SecBuffer* input, SecBuffer& output) override
        {
            if (input && input->cbBuffer == 4 && std::memcmp(input->pvBuffer, "fail", 4) == 0)
            {
                output.cbBuffer = 0;
                return SEC_E_INVALID_TOKEN;
            }
            const std::string text = "step " + std::to_string(++m_steps);
            std::memcpy(output.pvBuffer, text.data(), text.size());
            output.cbBuffer = static_cast<uint32_t>(text.size());
            return m_steps == 1 ? SEC_I_CONTINUE_NEEDED : SEC_E_OK;
        }
        SECURITY_STATUS CompleteToken(SecBufferDesc&) override { return SEC_E_OK; }

    private:
        std::shared_ptr<int> m_live;
        int m_steps = 0;
    };

    std::string m_name;
};

class SecurityPackageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_package = std::make_shared<CCountingPackage>("Counting");
        ASSERT_TRUE(RegisterSecurityPackage(m_package, true));
    }
    void TearDown() override { UnregisterSecurityPackage("Counting"); }

    // One step into m_token; input empty for none.
    SECURITY_STATUS Step(const CredHandle* credential, const CtxtHandle* context, CtxtHandle* newContext,
                         const std::string& input = "")
    {
        m_buffer.assign(64, 0);
        SecBuffer out{64, SECBUFFER_TOKEN, m_buffer.data()};
        SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &out};
        std::string in = input;
        SecBuffer inBuffer{static_cast<uint32_t>(in.size()), SECBUFFER_TOKEN, in.data()};
        SecBufferDesc inDesc{SECBUFFER_VERSION, 1, &inBuffer};
        const SECURITY_STATUS status =
            InitializeSecurityContext(credential, context, 0, SECURITY_NATIVE_DREP,
                                      in.empty() ? nullptr : &inDesc, newContext, &outDesc);
        m_token.assign(reinterpret_cast<const char*>(m_buffer.data()), out.cbBuffer);
        return status;
    }

    std::shared_ptr<CCountingPackage> m_package;
    std::vector<uint8_t> m_buffer;
    std::string m_token;
};
} // namespace

TEST_F(SecurityPackageTest, PackagesAreFoundByNameIgnoringCase)
{
    SecPkgInfo info;
    EXPECT_EQ(QuerySecurityPackageInfo("counting", info), SEC_E_OK);
    EXPECT_EQ(info.Name, "Counting");
    EXPECT_EQ(info.cbMaxToken, 64u);
    EXPECT_EQ(QuerySecurityPackageInfo("Missing", info), SEC_E_SECPKG_NOT_FOUND);

    // Without replace the registered package stays.
    auto other = std::make_shared<CCountingPackage>("COUNTING");
    EXPECT_FALSE(RegisterSecurityPackage(other, false));
    CredHandle credential;
    SEC_WINNT_AUTH_IDENTITY identity;
    identity.User = "joe";
    identity.UserLength = 3;
    ASSERT_EQ(AcquireCredentialsHandle("Counting", SECPKG_CRED_OUTBOUND, &identity, &credential), SEC_E_OK);
    EXPECT_EQ(m_package->m_lastUser, "joe");
    EXPECT_EQ(other->m_lastUser, "");
    EXPECT_EQ(FreeCredentialsHandle(&credential), SEC_E_OK);
}

TEST_F(SecurityPackageTest, AcquireChecksItsArguments)
{
    const size_t before = GetSecurityCredentialCount();
    CredHandle credential;
    EXPECT_EQ(AcquireCredentialsHandle("Missing", SECPKG_CRED_OUTBOUND, nullptr, &credential),
              SEC_E_SECPKG_NOT_FOUND);
    EXPECT_EQ(AcquireCredentialsHandle("Counting", SECPKG_CRED_INBOUND, nullptr, &credential),
              SEC_E_UNSUPPORTED_FUNCTION);
    SEC_WINNT_AUTH_IDENTITY lengthWithoutText;
    lengthWithoutText.UserLength = 5;
    EXPECT_EQ(AcquireCredentialsHandle("Counting", SECPKG_CRED_OUTBOUND, &lengthWithoutText, &credential),
              SEC_E_UNKNOWN_CREDENTIALS);
    SEC_WINNT_AUTH_IDENTITY wide;
    wide.Flags = SEC_WINNT_AUTH_IDENTITY_UNICODE;
    EXPECT_EQ(AcquireCredentialsHandle("Counting", SECPKG_CRED_OUTBOUND, &wide, &credential),
              SEC_E_UNKNOWN_CREDENTIALS);
    EXPECT_FALSE(SecIsValidHandle(credential));
    EXPECT_EQ(GetSecurityCredentialCount(), before);

    ASSERT_EQ(AcquireCredentialsHandle("Counting", SECPKG_CRED_OUTBOUND, nullptr, &credential), SEC_E_OK);
    EXPECT_EQ(m_package->m_lastUser, "<none>");
    EXPECT_EQ(GetSecurityCredentialCount(), before + 1);
    EXPECT_EQ(FreeCredentialsHandle(&credential), SEC_E_OK);
    EXPECT_EQ(FreeCredentialsHandle(&credential), SEC_E_INVALID_HANDLE);
    EXPECT_EQ(GetSecurityCredentialCount(), before);
}

TEST_F(SecurityPackageTest, ExchangeLifecycle)
{
    CredHandle credential;
    ASSERT_EQ(AcquireCredentialsHandle("Counting", SECPKG_CRED_OUTBOUND, nullptr, &credential), SEC_E_OK);

    // A failed first step leaves no exchange and an empty handle.
    CtxtHandle context{7, 7};
    EXPECT_EQ(Step(&credential, nullptr, &context, "fail"), SEC_E_INVALID_TOKEN);
    EXPECT_FALSE(SecIsValidHandle(context));
    EXPECT_EQ(*m_package->m_live, 0);

    EXPECT_EQ(Step(&credential, nullptr, &context), SEC_I_CONTINUE_NEEDED);
    EXPECT_EQ(m_token, "step 1");
    ASSERT_TRUE(SecIsValidHandle(context));
    EXPECT_EQ(*m_package->m_live, 1);

    // The exchange outlives its credential.
    EXPECT_EQ(FreeCredentialsHandle(&credential), SEC_E_OK);
    CredHandle anotherCredential;
    ASSERT_EQ(AcquireCredentialsHandle("Counting", SECPKG_CRED_OUTBOUND, nullptr, &anotherCredential),
              SEC_E_OK);
    EXPECT_EQ(Step(&anotherCredential, &context, &context), SEC_E_OK);
    EXPECT_EQ(m_token, "step 2");

    EXPECT_EQ(DeleteSecurityContext(&context), SEC_E_OK);
    EXPECT_EQ(*m_package->m_live, 0);
    EXPECT_EQ(DeleteSecurityContext(&context), SEC_E_INVALID_HANDLE);
    EXPECT_EQ(Step(&anotherCredential, &context, &context), SEC_E_INVALID_HANDLE);
    EXPECT_EQ(FreeCredentialsHandle(&anotherCredential), SEC_E_OK);
}

TEST_F(SecurityPackageTest, StaleForgedAndMixedUpHandlesAreRefused)
{
    CredHandle credential;
    ASSERT_EQ(AcquireCredentialsHandle("Counting", SECPKG_CRED_OUTBOUND, nullptr, &credential), SEC_E_OK);
    CtxtHandle context;
    ASSERT_EQ(Step(&credential, nullptr, &context), SEC_I_CONTINUE_NEEDED);

    CtxtHandle result;
    const CredHandle forged{credential.dwLower + 1000, credential.dwUpper};
    EXPECT_EQ(Step(&forged, nullptr, &result), SEC_E_INVALID_HANDLE);
    EXPECT_EQ(Step(nullptr, nullptr, &result), SEC_E_INVALID_HANDLE);
    // A context handle where a credential belongs, and the reverse.
    EXPECT_EQ(Step(&context, nullptr, &result), SEC_E_INVALID_HANDLE);
    EXPECT_EQ(Step(&credential, &credential, &result), SEC_E_INVALID_HANDLE);
    EXPECT_EQ(DeleteSecurityContext(&credential), SEC_E_INVALID_HANDLE);
    EXPECT_EQ(FreeCredentialsHandle(&context), SEC_E_INVALID_HANDLE);
    EXPECT_EQ(*m_package->m_live, 1);

    // Requirements this layer cannot meet, and a missing output buffer.
    SecBufferDesc noToken;
    EXPECT_EQ(
        InitializeSecurityContext(&credential, nullptr, 0, SECURITY_NATIVE_DREP, nullptr, &result, &noToken),
        SEC_E_INVALID_TOKEN);
    EXPECT_EQ(InitializeSecurityContext(&credential, nullptr, 0x10, SECURITY_NATIVE_DREP, nullptr, &result,
                                        nullptr),
              SEC_E_UNSUPPORTED_FUNCTION);

    EXPECT_EQ(DeleteSecurityContext(&context), SEC_E_OK);
    EXPECT_EQ(FreeCredentialsHandle(&credential), SEC_E_OK);
}

TEST(FileTime, CountsFrom1601)
{
    EXPECT_EQ(UnixTimeToFileTime(0, 0), 116444736000000000ull);
    // 2009-02-13 23:31:30.1234567 UTC
    EXPECT_EQ(UnixTimeToFileTime(1234567890, 123456789), 128790414901234567ull);
    EXPECT_EQ(UnixTimeToFileTime(-11644473601, 0), 0u);
    EXPECT_GT(GetSystemTimeAsFileTime(), UnixTimeToFileTime(1700000000, 0));
}

TEST(SystemRandom, FillsEveryByte)
{
    // 256 bytes that all stay zero has odds of 2^-2048.
    std::vector<uint8_t> bytes(256, 0);
    ASSERT_TRUE(FillRandomBytes(bytes.data(), bytes.size()));
    size_t nonZero = 0;
    for (uint8_t b : bytes)
        nonZero += b != 0;
    EXPECT_GT(nonZero, 128u);
}
