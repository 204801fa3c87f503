#pragma once
// CTransferServices: the shared objects a transfer needs besides its
// request: the settings (time-outs, TLS version, authentication schemes, log
// detail, proxies, the anonymous FTP password), the cookie and password
// stores, the log registry and the queue that credential prompts go to.
//
// The program builds one at its edge and hands it to the transfer manager,
// which hands it to its connection pool, its jobs and every client it makes;
// a test hands in its own settings and stores and leaves the process-wide
// ones alone. A member left null stands for the process-wide object, and
// the accessors below are the only place in the engine that reaches for
// one, so a caller that hands nothing in still works as before.
//
// The objects are not owned and must outlive everything they are handed to.

class CCookieStore;
class CLogRegistry;
class CPasswordStore;
class CPromptRequestQueue;
class IPropertySet;

struct CTransferServices
{
    const IPropertySet* m_settings = nullptr;
    CCookieStore* m_cookies = nullptr;
    CPasswordStore* m_passwords = nullptr;
    CLogRegistry* m_logs = nullptr;
    CPromptRequestQueue* m_prompts = nullptr;

    const IPropertySet& Settings() const;
    CCookieStore& Cookies() const;
    CPasswordStore& Passwords() const;
    CLogRegistry& Logs() const;
    CPromptRequestQueue& Prompts() const;
};
