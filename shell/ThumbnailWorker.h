#pragma once
// CThumbnailWorker: collects the URLs of the link list's rows in thumbnail
// mode, the work list for making their pictures. Making pictures is not
// done yet: nothing starts the thread, so every row keeps the placeholder
// image. The list view owns the worker while thumbnail mode is on and stops
// it when the mode ends.
//
// AddUrl and the queries run on the UI thread; a running thread would own
// the set, so new keys are taken only while no thread runs.

#include "foundation/threads/WorkerThread.h"
#include "platform/core/CriticalSection.h"

#include <set>
#include <string>

class CThumbnailWorker : public CWorkerThread
{
public:
    CThumbnailWorker() = default;
    ~CThumbnailWorker() override;

    // Adds a URL key; false while the thread runs or for a key already held.
    bool AddUrl(const std::string& url);
    size_t GetUrlCount() const;
    bool HasUrl(const std::string& url) const;

protected:
    void OnStopRequested() override {}
    int Run() override;

private:
    mutable CCriticalSection m_lock;
    std::set<std::string> m_urls;
};
