#pragma once
// The NTLM engine as a security package (platform/core/SecurityPackage.h).
// One class serves both names the HTTP client asks for: "NTLM", and
// "Negotiate", which here speaks the same raw NTLM tokens (no Kerberos, no
// SPNEGO wrapping; servers that offer Negotiate accept raw NTLM tokens).
//
// An exchange has two steps:
//   first call, no input       -> NEGOTIATE message, SEC_I_CONTINUE_NEEDED
//   second call, the CHALLENGE -> AUTHENTICATE message (NTLMv2), SEC_E_OK
// Any further call is SEC_E_OUT_OF_SEQUENCE, and so is an input token on
// the first call. A challenge that does not parse is SEC_E_INVALID_TOKEN
// and spends the exchange. An output buffer too small for the message is
// SEC_E_BUFFER_TOO_SMALL and leaves the exchange where it was.
//
// Credentials: an explicit identity keeps the user, the domain and the NT
// hash of the password (never the password itself). Without an identity the
// package takes the logged-on user, for whom this platform keeps no NTLM
// secret; such an exchange (and one with an empty user and password)
// authenticates anonymously: no user, an empty NT response and a one-byte LM
// response, as the protocol defines. A server that does not let anonymous
// users in answers 401, and the HTTP client then asks the user for a name
// and password.
//
// The client nonce comes from the random source and the response time from
// the clock; both can be replaced for tests. When the server sends its own
// time stamp in the target information, that time is used instead of the
// clock and the LMv2 response is sent as 24 zero bytes, as the protocol
// asks (the LMv2 response carries no time and could be replayed).

#include "platform/core/SecurityPackage.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class CNtlmSecurityPackage : public ISecurityPackage
{
public:
    // Fills count bytes; false when no good randomness could be had.
    using RandomSource = std::function<bool(uint8_t* bytes, size_t count)>;
    // The current time as a Windows file time.
    using Clock = std::function<uint64_t()>;

    // The largest token written; a larger AUTHENTICATE message (only a
    // huge user name or target information makes one) is refused.
    static constexpr uint32_t kMaxTokenSize = 12000;

    // Empty functions stand for the system's (getrandom, CLOCK_REALTIME).
    explicit CNtlmSecurityPackage(std::string name, RandomSource random = {}, Clock clock = {});

    SecPkgInfo GetInfo() const override;
    SECURITY_STATUS AcquireCredential(const SEC_WINNT_AUTH_IDENTITY* identity,
                                      std::shared_ptr<ISecurityCredential>& credential) override;
    std::unique_ptr<ISecurityContext> NewContext(std::shared_ptr<ISecurityCredential> credential) override;

private:
    std::string m_name;
    RandomSource m_random;
    Clock m_clock;
};

// Registers "NTLM" and "Negotiate" with the system's random source and
// clock, unless packages of those names are already registered. Cheap to
// call again; the SSPI client calls it each time it acquires credentials.
void InstallNtlmSecurityPackages();
