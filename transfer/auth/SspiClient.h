#pragma once
// CSspiClient: the client tokens of the Negotiate and NTLM authentication
// schemes of HTTP. The HTTP client owns one per request that needs it:
// it acquires credentials once with the package name (the scheme word), then
// asks for one token per exchange with the server, passing the server's
// "WWW-Authenticate:" value, and sends the result as its authorization value.
//
// Failures are false with the reason in the thread's last error
// (platform/core/ThreadLastError.h): ERROR_INVALID_PARAMETER (87) for a bad
// user name, ERROR_LOGON_FAILURE (1326) for a denied logon, otherwise the
// package's SECURITY_STATUS. The HTTP client then gives up that scheme.
//
// One object belongs to one request on one thread; nothing is shared.

#include "platform/core/SecurityPackage.h"

#include <string>
#include <string_view>

class CSspiClient
{
public:
    CSspiClient();
    ~CSspiClient();
    CSspiClient(const CSspiClient&) = delete;
    CSspiClient& operator=(const CSspiClient&) = delete;

    // Credentials are held (the last acquisition gave SEC_E_OK).
    bool IsReady() const { return m_status == SEC_E_OK; }
    // SEC_E_UNKNOWN_CREDENTIALS while none are held.
    SECURITY_STATUS GetStatus() const { return m_status; }

    // Releases the credentials and any exchange in progress; afterwards the
    // status is SEC_E_UNKNOWN_CREDENTIALS.
    void FreeCredentials();

    // Frees the old credentials, then acquires new ones from the package.
    // A non-empty user text is split by SplitDomainUser (a failed split
    // ends here with false) and passed with the password; an empty user
    // text takes the logged-on user's credentials and ignores the password.
    bool AcquireCredentials(std::string_view userText, std::string_view password, std::string_view package);

    // One token step. challenge is the server's header value: its first word
    // names the scheme (and the package asked for its token size), the rest
    // is the Base64 token. Step 0 starts a new exchange (ending the previous
    // one) and sends no input token; a step of 1 or more continues the
    // exchange with the server's token and fails without one. On success out
    // is the scheme word, a blank and the Base64 of the client's token.
    // Without credentials the result is false and out is left alone.
    bool NextToken(std::string& out, int step, std::string_view challenge);

    // Splits "domain\user" or "domain/user" (at the first separator) and
    // "user@domain" (at the first '@'; only when there is no separator). A
    // text with none of them is the user with an empty domain, accepted
    // unchecked. A split form is accepted when its user is not empty and is
    // neither "/" nor "\"; otherwise the thread's last error becomes
    // ERROR_INVALID_PARAMETER and the result is false.
    static bool SplitDomainUser(std::string_view text, std::string& user, std::string& domain);

private:
    // Ends the exchange in progress, if any.
    void DeleteContext();

    SECURITY_STATUS m_status = SEC_E_UNKNOWN_CREDENTIALS;
    CredHandle m_credentials;
    CtxtHandle m_context;
};
