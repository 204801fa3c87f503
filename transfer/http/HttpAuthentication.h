#pragma once
// The authentication state of one HTTP request: which scheme is in use
// (Negotiate, NTLM or Basic, tried in that order), how far its exchange has
// gone, and the Authorization value to send with the next pass. The request
// loop of CHttpClient owns one per request and hands it every 401 answer.

#include "transfer/auth/SspiClient.h"

#include <string>

class CByteBuffer;
class IPropertySet;

class CHttpAuthentication
{
public:
    enum EScheme
    {
        kSchemeNone = 0,
        kSchemeBasic = 1,
        kSchemeNtlm = 2,
        kSchemeNegotiate = 3,
    };

    // What the request exchange does after a 401.
    enum EAction
    {
        kRetry = 0,  // send the request again with Authorization()
        kPrompt = 1, // a handshake failed or no user is known: ask the user
        kGiveUp = 2, // the 401 is the final answer
    };

    // Reads the three "HTTP/Enable ... authentication" settings again (after
    // a prompt the user may have changed them).
    void ReadEnabledSchemes(const IPropertySet& settings);

    // The next step for a 401 response with these credentials. Negotiate
    // (when enabled and nothing else is in use), then NTLM, each through an
    // SSPI exchange that gives up the scheme for this request when a token
    // cannot be made; then Basic, only before any exchange began: "Basic "
    // and the Base64 of "user:password", where a user "name@domain" is sent
    // as "domain\name". A handshake that ran and failed, or Basic without a
    // user name, resets the state and asks for a prompt.
    EAction OnUnauthorized(const CByteBuffer& header, const std::string& user, const std::string& password);

    // The Authorization value for the next request (empty: none).
    const std::string& Authorization() const { return m_authorization; }
    // Whether the Authorization value must be masked in the log: a Basic
    // value is the password in Base64, on every request that carries it
    // (also the ones after a redirect).
    bool MaskInLog() const { return m_scheme == kSchemeBasic && !m_authorization.empty(); }
    // A scheme produced credentials that the server may accept.
    bool IsAuthenticated() const { return m_authenticated; }
    EScheme GetScheme() const { return m_scheme; }

private:
    enum EStep
    {
        kNoChallenge, // the server did not offer the scheme
        kStepDone,    // a token was made
        kStepFailed,  // offered, but no token could be made
    };
    // One SSPI step for the named scheme.
    EStep SspiStep(const CByteBuffer& header, const char* word, const std::string& user,
                   const std::string& password);
    EAction ResetAndPrompt();

    bool m_enableBasic = true;
    bool m_enableNtlm = true;
    bool m_enableNegotiate = true;
    EScheme m_scheme = kSchemeNone;
    int m_step = 0;
    bool m_authenticated = false;
    std::string m_authorization;
    CSspiClient m_sspi;
};

// The first word of an authentication challenge ("NTLM", "Basic", ...),
// matched ignoring case. Exposed for tests.
bool ChallengeHasScheme(const std::string& challenge, const char* word);
