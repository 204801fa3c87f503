#include "transfer/http/HttpAuthentication.h"

#include "foundation/text/Base64.h"
#include "foundation/text/ByteBuffer.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/text/StringSplit.h"
#include "platform/core/Text.h"
#include "transfer/http/HttpResponseHeader.h"

#include <vector>

namespace
{
bool SettingOn(const IPropertySet& settings, int id)
{
    return GetIntOr(settings, id) != 0;
}

// The user part of a Basic credential: "name@domain" is sent as
// "domain\name", the form servers of Windows domains expect.
std::string BasicUserPart(const std::string& user)
{
    const size_t at = user.find('@');
    if (at == std::string::npos)
        return user;
    return user.substr(at + 1) + "\\" + user.substr(0, at);
}
} // namespace

bool ChallengeHasScheme(const std::string& challenge, const char* word)
{
    return EqualsNoCase(FindFirstWord(challenge), word);
}

void CHttpAuthentication::ReadEnabledSchemes(const IPropertySet& settings)
{
    m_enableBasic = SettingOn(settings, SETTING_HTTP_ENABLE_BASIC_AUTHENTICATION);
    m_enableNtlm = SettingOn(settings, SETTING_HTTP_ENABLE_NTLM_AUTHENTICATION);
    m_enableNegotiate = SettingOn(settings, SETTING_HTTP_ENABLE_NEGOTIATE_AUTHENTICATION);
}

CHttpAuthentication::EStep CHttpAuthentication::SspiStep(const CByteBuffer& header, const char* word,
                                                         const std::string& user, const std::string& password)
{
    std::vector<std::string> challenges;
    FindHttpHeaderAll(header, HttpHeaderName::kWwwAuthenticate, challenges);
    const std::string* chosen = nullptr;
    for (const std::string& value : challenges)
        if (ChallengeHasScheme(value, word))
        {
            chosen = &value;
            break;
        }
    if (!chosen)
        return kNoChallenge;
    if (m_step == 0 && !m_sspi.AcquireCredentials(user, password, word))
        return kStepFailed;
    std::string token;
    if (!m_sspi.NextToken(token, m_step, *chosen))
        return kStepFailed;
    m_authorization = token;
    return kStepDone;
}

CHttpAuthentication::EAction CHttpAuthentication::ResetAndPrompt()
{
    m_authenticated = false;
    m_step = 0;
    m_scheme = kSchemeNone;
    m_authorization.clear();
    return kPrompt;
}

CHttpAuthentication::EAction CHttpAuthentication::OnUnauthorized(const CByteBuffer& header,
                                                                 const std::string& user,
                                                                 const std::string& password)
{
    if (m_enableNegotiate && (m_scheme == kSchemeNone || m_scheme == kSchemeNegotiate))
    {
        const EStep step = SspiStep(header, "Negotiate", user, password);
        if (step == kStepDone)
        {
            m_authenticated = true;
            m_scheme = kSchemeNegotiate;
            ++m_step;
            return kRetry;
        }
        if (step == kStepFailed)
            m_enableNegotiate = false;
    }
    if (m_enableNtlm && (m_scheme == kSchemeNone || m_scheme == kSchemeNtlm))
    {
        const EStep step = SspiStep(header, "NTLM", user, password);
        if (step == kStepDone)
        {
            m_authenticated = true;
            m_scheme = kSchemeNtlm;
            ++m_step;
            return kRetry;
        }
        if (step == kStepFailed)
            m_enableNtlm = false;
    }
    if (!m_enableBasic || m_step != 0)
        return m_step > 0 ? ResetAndPrompt() : kGiveUp;
    if (m_scheme != kSchemeNone && m_scheme != kSchemeBasic)
        return kGiveUp;
    std::vector<std::string> challenges;
    FindHttpHeaderAll(header, HttpHeaderName::kWwwAuthenticate, challenges);
    bool basicOffered = false;
    for (const std::string& value : challenges)
        basicOffered = basicOffered || ChallengeHasScheme(value, "Basic");
    if (!basicOffered)
        return kGiveUp;
    if (user.empty())
        return ResetAndPrompt();
    const std::string credentials = BasicUserPart(user) + ":" + password;
    m_authorization = "Basic " + Base64Encode(credentials.data(), credentials.size());
    m_authenticated = true;
    m_scheme = kSchemeBasic;
    m_step = 1;
    return kRetry;
}
