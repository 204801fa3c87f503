#include "transfer/auth/NtlmSecurityPackage.h"

#include "platform/core/FileTime.h"
#include "platform/core/SystemRandom.h"
#include "transfer/auth/NtlmMessage.h"
#include "transfer/auth/NtlmText.h"

#include <cstring>
#include <string.h>
#include <string_view>

namespace
{
class CNtlmCredential : public ISecurityCredential
{
public:
    ~CNtlmCredential() override { explicit_bzero(m_ntHash.data(), m_ntHash.size()); }

    bool m_anonymous = true;
    std::string m_user;
    std::string m_domain;
    NtlmHash m_ntHash{};
};

std::vector<uint8_t> EncodeText(std::string_view text, bool unicode)
{
    if (unicode)
        return NtlmUnicode(text);
    return std::vector<uint8_t>(text.begin(), text.end());
}

class CNtlmContext : public ISecurityContext
{
public:
    CNtlmContext(std::shared_ptr<CNtlmCredential> credential, CNtlmSecurityPackage::RandomSource random,
                 CNtlmSecurityPackage::Clock clock)
        : m_credential(std::move(credential)), m_random(std::move(random)), m_clock(std::move(clock))
    {
    }

    SECURITY_STATUS Step(const SecBuffer* input, SecBuffer& output) override
    {
        const uint32_t capacity = output.cbBuffer;
        output.cbBuffer = 0;
        const bool hasInput = input && input->cbBuffer > 0;
        switch (m_state)
        {
        case State::Start:
            if (hasInput)
                return SEC_E_OUT_OF_SEQUENCE;
            if (!Emit(BuildNtlmNegotiateMessage(kNtlmClientFlags), output, capacity))
                return SEC_E_BUFFER_TOO_SMALL;
            m_state = State::AwaitingChallenge;
            return SEC_I_CONTINUE_NEEDED;
        case State::AwaitingChallenge:
            return Authenticate(input, hasInput, output, capacity);
        case State::Done:
        case State::Failed:
            break;
        }
        return SEC_E_OUT_OF_SEQUENCE;
    }

    SECURITY_STATUS CompleteToken(SecBufferDesc&) override { return SEC_E_OK; }

private:
    enum class State
    {
        Start,
        AwaitingChallenge,
        Done,
        Failed,
    };

    static bool Emit(const std::vector<uint8_t>& message, SecBuffer& output, uint32_t capacity)
    {
        if (message.size() > capacity)
            return false;
        std::memcpy(output.pvBuffer, message.data(), message.size());
        output.cbBuffer = static_cast<uint32_t>(message.size());
        return true;
    }

    SECURITY_STATUS Authenticate(const SecBuffer* input, bool hasInput, SecBuffer& output, uint32_t capacity)
    {
        NtlmChallengeMessage challenge;
        if (!hasInput || !ParseNtlmChallengeMessage(static_cast<const uint8_t*>(input->pvBuffer),
                                                    input->cbBuffer, challenge))
        {
            m_state = State::Failed;
            return SEC_E_INVALID_TOKEN;
        }

        const bool unicode = (challenge.flags & NTLMSSP_NEGOTIATE_UNICODE) != 0;
        NtlmAuthenticateParts parts;
        parts.flags = challenge.flags & (kNtlmClientFlags | NTLMSSP_NEGOTIATE_TARGET_INFO);
        parts.flags &= ~(NTLMSSP_NEGOTIATE_UNICODE | NTLMSSP_NEGOTIATE_OEM);
        parts.flags |= NTLMSSP_NEGOTIATE_NTLM | (unicode ? NTLMSSP_NEGOTIATE_UNICODE : NTLMSSP_NEGOTIATE_OEM);

        if (m_credential->m_anonymous)
        {
            parts.flags |= NTLMSSP_NEGOTIATE_ANONYMOUS;
            parts.lmResponse.assign(1, 0);
        }
        else
        {
            NtlmNonce clientChallenge{};
            if (!m_random(clientChallenge.data(), clientChallenge.size()))
                return SEC_E_INTERNAL_ERROR;
            const uint64_t time = challenge.hasTimestamp ? challenge.timestamp : m_clock();
            NtlmHash key =
                NtlmV2ResponseKey(m_credential->m_ntHash, m_credential->m_user, m_credential->m_domain);
            NtlmV2Responses responses = ComputeNtlmV2Responses(key, challenge.serverChallenge,
                                                               clientChallenge, time, challenge.targetInfo);
            explicit_bzero(key.data(), key.size());
            explicit_bzero(responses.sessionBaseKey.data(), responses.sessionBaseKey.size());
            parts.ntResponse = std::move(responses.ntResponse);
            if (challenge.hasTimestamp)
                parts.lmResponse.assign(24, 0);
            else
                parts.lmResponse = std::move(responses.lmResponse);
            parts.user = EncodeText(m_credential->m_user, unicode);
            parts.domain = EncodeText(m_credential->m_domain, unicode);
        }

        std::vector<uint8_t> message;
        if (!BuildNtlmAuthenticateMessage(parts, message) || !Emit(message, output, capacity))
            return SEC_E_BUFFER_TOO_SMALL;
        m_state = State::Done;
        return SEC_E_OK;
    }

    State m_state = State::Start;
    std::shared_ptr<CNtlmCredential> m_credential;
    CNtlmSecurityPackage::RandomSource m_random;
    CNtlmSecurityPackage::Clock m_clock;
};
} // namespace

CNtlmSecurityPackage::CNtlmSecurityPackage(std::string name, RandomSource random, Clock clock)
    : m_name(std::move(name)), m_random(std::move(random)), m_clock(std::move(clock))
{
    if (!m_random)
        m_random = FillRandomBytes;
    if (!m_clock)
        m_clock = GetSystemTimeAsFileTime;
}

SecPkgInfo CNtlmSecurityPackage::GetInfo() const
{
    SecPkgInfo info;
    info.fCapabilities = 0;
    info.wVersion = 1;
    info.wRPCID = 10; // the NTLM package's RPC id
    info.cbMaxToken = kMaxTokenSize;
    info.Name = m_name;
    info.Comment = "NTLMv2 client authentication";
    return info;
}

SECURITY_STATUS CNtlmSecurityPackage::AcquireCredential(const SEC_WINNT_AUTH_IDENTITY* identity,
                                                        std::shared_ptr<ISecurityCredential>& credential)
{
    auto made = std::make_shared<CNtlmCredential>();
    if (identity)
    {
        const std::string_view user(identity->User ? identity->User : "", identity->UserLength);
        const std::string_view domain(identity->Domain ? identity->Domain : "", identity->DomainLength);
        const std::string_view password(identity->Password ? identity->Password : "",
                                        identity->PasswordLength);
        made->m_anonymous = user.empty() && password.empty();
        made->m_user = user;
        made->m_domain = domain;
        made->m_ntHash = NtlmNtHash(password);
    }
    credential = std::move(made);
    return SEC_E_OK;
}

std::unique_ptr<ISecurityContext>
CNtlmSecurityPackage::NewContext(std::shared_ptr<ISecurityCredential> credential)
{
    auto ntlm = std::dynamic_pointer_cast<CNtlmCredential>(credential);
    if (!ntlm)
        return nullptr;
    return std::make_unique<CNtlmContext>(std::move(ntlm), m_random, m_clock);
}

void InstallNtlmSecurityPackages()
{
    for (const char* name : {"NTLM", "Negotiate"})
    {
        SecPkgInfo info;
        if (QuerySecurityPackageInfo(name, info) != SEC_E_OK)
            RegisterSecurityPackage(std::make_shared<CNtlmSecurityPackage>(name), false);
    }
}
