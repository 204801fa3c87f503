#include "Common/SslClientSettings.h"

void CSslClientSettings::SetCertificatePrompt(std::shared_ptr<ISslCertificatePrompt> prompt)
{
    CScopedLock lock(m_lock);
    m_prompt = std::move(prompt);
}

std::shared_ptr<ISslCertificatePrompt> CSslClientSettings::GetCertificatePrompt() const
{
    CScopedLock lock(m_lock);
    return m_prompt;
}

void CSslClientSettings::SetAcceptedCertificatesFile(const std::string& path)
{
    CScopedLock lock(m_lock);
    m_acceptedFile = path;
}

std::string CSslClientSettings::GetAcceptedCertificatesFile() const
{
    CScopedLock lock(m_lock);
    return m_acceptedFile;
}

void CSslClientSettings::SetClientIdentity(const SslClientIdentity& identity)
{
    CScopedLock lock(m_lock);
    m_identity = identity;
}

SslClientIdentity CSslClientSettings::GetClientIdentity() const
{
    CScopedLock lock(m_lock);
    return m_identity;
}

void CSslClientSettings::Reset()
{
    CScopedLock lock(m_lock);
    m_prompt.reset();
    m_acceptedFile.clear();
    m_identity = SslClientIdentity();
}

CSslClientSettings& GetSslClientSettings()
{
    static CSslClientSettings settings;
    return settings;
}
