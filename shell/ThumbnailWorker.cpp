#include "shell/ThumbnailWorker.h"

CThumbnailWorker::~CThumbnailWorker()
{
    Stop();
}

bool CThumbnailWorker::AddUrl(const std::string& url)
{
    if (IsRunning())
        return false;
    CScopedLock lock(m_lock);
    return m_urls.insert(url).second;
}

size_t CThumbnailWorker::GetUrlCount() const
{
    CScopedLock lock(m_lock);
    return m_urls.size();
}

bool CThumbnailWorker::HasUrl(const std::string& url) const
{
    CScopedLock lock(m_lock);
    return m_urls.count(url) != 0;
}

int CThumbnailWorker::Run()
{
    OnThreadExit();
    return 0;
}
