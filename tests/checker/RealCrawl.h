#pragma once
// The crawl engine over the real transfer manager, for the interop tests:
// settings of their own (a few connections, no delays, a cache folder in a
// temporary folder), a manager with its prompt queue, the engine's transport
// over it, and a run that is waited for through the engine's progress
// calls (a condition-variable wait, never a sleep). One crawl at a time per
// test program: the progress callback reaches the crawl through a static.

#include "checker/CrawlTransport.h"
#include "checker/LinkChecker.h"
#include "checker/LinkNode.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "transfer/auth/PromptRequestQueue.h"
#include "transfer/jobs/TransferManager.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

class CRealCrawl
{
public:
    CRealCrawl()
    {
        m_settings.SetInt(SETTING_LOGS_MAX_LOG_LINES, 2000);
        m_settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS, 4);
        m_settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE, 4);
        m_settings.SetInt(SETTING_CONNECTIONS_CONNECTION_DELAY, 0);
        m_settings.SetInt(SETTING_CONNECTIONS_CONNECTION_TIMEOUT, 20);
        m_settings.SetInt(SETTING_TRANSFER_MANAGER_TIMEOUT_THREADING, 1000);
        m_settings.SetString(SETTING_MISC_CACHE_FOLDER, (m_folder / "cache").c_str());
        CTransferManagerOptions options;
        options.m_services.m_settings = &m_settings;
        options.m_services.m_prompts = &m_prompts;
        options.m_dataFolder = m_folder.Path();
        m_manager = std::make_unique<CTransferManager>(std::move(options));
        m_manager->Init();
        m_transport = std::make_unique<CManagerTransport>(*m_manager, m_manager->GetInfoCache());
        CLinkCheckerServices services;
        services.m_transport = m_transport.get();
        services.m_settings = &m_settings;
        m_engine = std::make_unique<CLinkChecker>(services);
        s_current = this;
        m_engine->SetProgressCallback(&CRealCrawl::OnProgress, 0);
    }

    ~CRealCrawl()
    {
        m_engine.reset();
        s_current = nullptr;
        m_manager->Stop();
    }

    CRealCrawl(const CRealCrawl&) = delete;
    CRealCrawl& operator=(const CRealCrawl&) = delete;

    CPropertySet& Settings() { return m_settings; }
    CPromptRequestQueue& Prompts() { return m_prompts; }
    CLinkChecker& Engine() { return *m_engine; }
    // For a second engine (a view's) over the same transfer side.
    ICrawlTransport& Transport() { return *m_transport; }

    // A task on the start URI with these settings, checked to its end.
    void Check(const CTaskSettings& task)
    {
        ASSERT_TRUE(m_engine->SetTaskSettings(task));
        StartAndWaitForEnd();
    }

    // Starts a run and waits (at most a minute) for a progress call that
    // finds no link Waiting or Processing: the call at the run's end, or a
    // throttled one just before it. Then joins the thread.
    void StartAndWaitForEnd()
    {
        const int before = IdleCalls();
        ASSERT_TRUE(m_engine->Start());
        {
            std::unique_lock<std::mutex> lock(Mutex());
            ASSERT_TRUE(Changed().wait_for(lock, std::chrono::seconds(60), [&] { return s_idleCalls > before; }));
        }
        m_engine->Stop();
    }

    // The node with this URL, referrer and fragment; null when none.
    const CLinkNode* Find(const std::string& url, const std::string& referrer, const std::string& fragment) const
    {
        for (int i = 0; i < m_engine->GetLinkCount(); ++i)
        {
            const CLinkNode* node = m_engine->GetNodeAt(i);
            if (node->m_url == url && node->m_referrer == referrer && node->m_fragment == fragment)
                return node;
        }
        return nullptr;
    }

private:
    static std::mutex& Mutex()
    {
        static std::mutex mutex;
        return mutex;
    }
    static std::condition_variable& Changed()
    {
        static std::condition_variable changed;
        return changed;
    }
    static int IdleCalls()
    {
        std::lock_guard<std::mutex> lock(Mutex());
        return s_idleCalls;
    }
    // Runs with the engine lock held, so the statistics may be read.
    static void OnProgress(std::intptr_t)
    {
        const bool idle = s_current != nullptr && s_current->m_engine->GetStats().CountInProgress(CLinkStats::kAll) == 0;
        std::lock_guard<std::mutex> lock(Mutex());
        s_idleCalls += idle ? 1 : 0;
        Changed().notify_all();
    }

    static inline CRealCrawl* s_current = nullptr;
    static inline int s_idleCalls = 0;

    CTempFolder m_folder;
    CPropertySet m_settings;
    CPromptRequestQueue m_prompts;
    std::unique_ptr<CTransferManager> m_manager;
    std::unique_ptr<CManagerTransport> m_transport;
    std::unique_ptr<CLinkChecker> m_engine;
};
