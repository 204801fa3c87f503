#include "transfer/client/TransferServices.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/CookieStore.h"
#include "foundation/stores/PasswordStore.h"
#include "foundation/stores/Settings.h"
#include "transfer/auth/PromptRequestQueue.h"
#include "transfer/base/LogRegistry.h"

const IPropertySet& CTransferServices::Settings() const
{
    if (m_settings)
        return *m_settings;
    return GetSettings();
}

CCookieStore& CTransferServices::Cookies() const
{
    if (m_cookies)
        return *m_cookies;
    return GetCookieStore();
}

CPasswordStore& CTransferServices::Passwords() const
{
    if (m_passwords)
        return *m_passwords;
    return GetPasswordStore();
}

CLogRegistry& CTransferServices::Logs() const
{
    if (m_logs)
        return *m_logs;
    return GetLogManager();
}

CPromptRequestQueue& CTransferServices::Prompts() const
{
    if (m_prompts)
        return *m_prompts;
    return GetPromptQueue();
}
