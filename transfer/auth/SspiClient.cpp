#include "transfer/auth/SspiClient.h"

#include "foundation/text/Base64.h"
#include "foundation/text/ByteBuffer.h"
#include "foundation/text/StringSplit.h"
#include "platform/core/Text.h"
#include "platform/core/ThreadLastError.h"
#include "transfer/auth/NtlmSecurityPackage.h"

#include <vector>

namespace
{
// The white space that ends the scheme word (the first-word routine's set).
constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";

// A denied logon reads as the Windows logon failure; other statuses travel
// as they are.
int32_t LastErrorOf(SECURITY_STATUS status)
{
    return status == SEC_E_LOGON_DENIED ? ERROR_LOGON_FAILURE : status;
}

bool Fail(SECURITY_STATUS status)
{
    SetThreadLastError(LastErrorOf(status));
    return false;
}
} // namespace

CSspiClient::CSspiClient() = default;

CSspiClient::~CSspiClient()
{
    FreeCredentials();
}

void CSspiClient::DeleteContext()
{
    if (SecIsValidHandle(m_context))
        DeleteSecurityContext(&m_context);
    m_context = CtxtHandle{};
}

void CSspiClient::FreeCredentials()
{
    // An exchange would outlive its credentials in the package layer and
    // stay there for the rest of the process; end it with them.
    DeleteContext();
    if (IsReady())
        FreeCredentialsHandle(&m_credentials);
    m_credentials = CredHandle{};
    m_status = SEC_E_UNKNOWN_CREDENTIALS;
}

bool CSspiClient::SplitDomainUser(std::string_view text, std::string& user, std::string& domain)
{
    domain.clear();
    const size_t separator = text.find_first_of("/\\");
    if (separator != std::string_view::npos)
    {
        domain = std::string(text.substr(0, separator));
        user = std::string(text.substr(separator + 1));
    }
    else
    {
        const size_t at = text.find('@');
        if (at == std::string_view::npos)
        {
            user = std::string(text);
            return true;
        }
        user = std::string(text.substr(0, at));
        domain = std::string(text.substr(at + 1));
    }
    if (user.empty() || user == "/" || user == "\\")
    {
        SetThreadLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

bool CSspiClient::AcquireCredentials(std::string_view userText, std::string_view password,
                                     std::string_view package)
{
    FreeCredentials();

    std::string user;
    std::string domain;
    SEC_WINNT_AUTH_IDENTITY identity;
    const bool explicitUser = !userText.empty();
    if (explicitUser)
    {
        if (!SplitDomainUser(userText, user, domain))
            return false;
        identity.User = user.c_str();
        identity.UserLength = static_cast<uint32_t>(user.size());
        identity.Domain = domain.c_str();
        identity.DomainLength = static_cast<uint32_t>(domain.size());
        identity.Password = password.empty() ? nullptr : password.data();
        identity.PasswordLength = static_cast<uint32_t>(password.size());
        identity.Flags = SEC_WINNT_AUTH_IDENTITY_ANSI;
    }

    // Here rather than at construction: every HTTP exchange makes a client,
    // and few of them ever authenticate. A token needs credentials first.
    InstallNtlmSecurityPackages();
    CredHandle acquired;
    m_status = AcquireCredentialsHandle(package, SECPKG_CRED_OUTBOUND, explicitUser ? &identity : nullptr,
                                        &acquired);
    if (IsReady())
        m_credentials = acquired;
    return IsReady();
}

bool CSspiClient::NextToken(std::string& out, int step, std::string_view challenge)
{
    if (!IsReady())
        return Fail(m_status);

    out.clear();
    const std::string_view scheme = FindFirstWord(challenge);
    const size_t wordEnd = static_cast<size_t>(scheme.data() + scheme.size() - challenge.data());
    const std::string rest = Trim(challenge.substr(wordEnd), kWhiteSpace);
    CByteBuffer decoded;
    if (!rest.empty() && !Base64Decode(rest, decoded))
        return Fail(SEC_E_INSUFFICIENT_MEMORY);
    const bool hasInput = decoded.GetLength() > 0;

    if (step >= 1 && !hasInput)
        return Fail(SEC_E_INVALID_TOKEN);

    SecPkgInfo info;
    const SECURITY_STATUS queried = QuerySecurityPackageInfo(scheme, info);
    if (queried != SEC_E_OK)
        return Fail(queried);

    std::vector<uint8_t> token(info.cbMaxToken);
    SecBuffer outBuffer{info.cbMaxToken, SECBUFFER_TOKEN, token.data()};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &outBuffer};
    SecBuffer inBuffer{static_cast<uint32_t>(decoded.GetLength()), SECBUFFER_TOKEN, decoded.GetData()};
    SecBufferDesc inDesc{SECBUFFER_VERSION, 1, &inBuffer};

    // A new exchange replaces the old one, which would otherwise stay
    // registered for the rest of the process.
    if (step == 0)
        DeleteContext();
    const SECURITY_STATUS status =
        InitializeSecurityContext(&m_credentials, step == 0 ? nullptr : &m_context, 0, SECURITY_NATIVE_DREP,
                                  step == 0 ? nullptr : &inDesc, &m_context, &outDesc);

    if (status == SEC_I_COMPLETE_AND_CONTINUE || status == SEC_I_COMPLETE_NEEDED)
    {
        // The token is only good once it is completed; a failed completion
        // is a failed step, never a token sent half-made.
        const SECURITY_STATUS completed = CompleteAuthToken(&m_context, &outDesc);
        if (completed != SEC_E_OK)
            return Fail(completed);
    }
    else if (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED)
    {
        return Fail(status);
    }

    out = std::string(scheme);
    out += ' ';
    out += Base64Encode(token.data(), outBuffer.cbBuffer);
    return true;
}
