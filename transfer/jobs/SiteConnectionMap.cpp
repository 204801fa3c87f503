#include "transfer/jobs/SiteConnectionMap.h"

#include "foundation/links/LinkItem.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/core/Text.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/client/ProtocolClient.h"
#include "transfer/jobs/ProtocolClientFactory.h"
#include "transfer/net/ProxySelection.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/jobs/TransferJob.h"

#include <algorithm>

CSiteConnectionMap::CSiteConnectionMap(ProtocolClientMaker maker, const CTransferServices& services)
    : m_maker(maker ? std::move(maker) : ProtocolClientMaker(&CreateProtocolClient)), m_services(services)
{
}

CSiteConnectionMap::~CSiteConnectionMap()
{
    SweepIdle(0);
}

size_t CSiteConnectionMap::GetClientCount(const std::string& siteKey) const
{
    const auto found = m_sites.find(siteKey);
    return found == m_sites.end() ? 0 : found->second.m_clients.size();
}

bool CSiteConnectionMap::LoginMatches(const std::string& jobUser, CProtocolClient& client)
{
    CScopedLock lock(client.GetLock());
    const std::string clientUser = client.GetUserName();
    if (!jobUser.empty())
        return jobUser != "$" && CompareNoCase(jobUser, clientUser) == 0;
    return clientUser.empty() || CompareNoCase(clientUser, "anonymous") == 0 ||
           CompareNoCase(clientUser, "ftp") == 0;
}

void CSiteConnectionMap::Attach(CSite& site, CProtocolClient& client, CTransferJob& job)
{
    client.SetJob(&job);
    job.SetClient(&client);
    client.Touch();
    ++site.m_busy;
    ++m_busyCount;
}

void CSiteConnectionMap::Detach(CSite& site, CProtocolClient& client)
{
    if (CTransferJob* job = client.GetJob())
        job->SetClient(nullptr);
    client.SetJob(nullptr);
    --site.m_busy;
    --m_busyCount;
}

void CSiteConnectionMap::Destroy(std::unique_ptr<CProtocolClient> client)
{
    --m_clientCount;
    client->Close();
    const int logId = client->GetLogId();
    client.reset();
    m_services.Logs().ReleaseLog(logId);
}

int CSiteConnectionMap::Acquire(CTransferJob& job)
{
    // Only the per-site limit is read here: the run copies the request
    // settings into the job itself (and drops them when it ends), so a copy
    // made here would be overwritten before anything read it.
    const IPropertySet& settings = m_services.Settings();
    const CUrlParts parts = job.GetUrlParts();
    const int scheme = parts.m_scheme;
    std::string proxy = SelectProxyUrl(job, settings, &m_services.Passwords());
    if (IsDirectProxy(proxy))
        proxy.clear();
    if (scheme < URL_SCHEME_HTTP || scheme > URL_SCHEME_FTP)
        return kResultNotSupported;

    const std::string siteKey = job.GetSiteUrl();
    CSite& site = m_sites[siteKey];
    for (const auto& client : site.m_clients)
    {
        if (client->GetJob() || CompareNoCase(client->GetProxyKey(), proxy) != 0 ||
            !LoginMatches(parts.m_user, *client))
            continue;
        Attach(site, *client, job);
        return kResultOk;
    }

    const int limit = std::max(GetIntOr(settings, SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE), 1);
    if (site.m_busy >= limit || (site.m_busy > 0 && job.TestBit(LI_REQUEST_OPTIONS, 0)))
    {
        if (site.m_clients.empty())
            m_sites.erase(siteKey);
        return kResultNoMoreHandles;
    }

    std::unique_ptr<CProtocolClient> client = m_maker(scheme, proxy);
    if (!client)
    {
        if (site.m_clients.empty())
            m_sites.erase(siteKey);
        return kResultNotSupported;
    }
    client->SetSiteKey(siteKey);
    Attach(site, *client, job);
    client->SetProxyKey(proxy);
    client->SetServices(m_services);
    client->SetLogId(m_services.Logs().CreateLog());
    site.m_clients.push_back(std::move(client));
    ++m_clientCount;
    return kResultOk;
}

void CSiteConnectionMap::Release(CTransferJob& job)
{
    CProtocolClient* client = job.GetClient();
    if (!client)
        return;
    const auto found = m_sites.find(client->GetSiteKey());
    if (found == m_sites.end())
    {
        job.SetClient(nullptr);
        return;
    }
    CSite& site = found->second;
    Detach(site, *client);
    if (client->IsConnected())
    {
        client->SetAborted(0);
        return;
    }
    auto& clients = site.m_clients;
    const auto at =
        std::find_if(clients.begin(), clients.end(), [client](const auto& c) { return c.get() == client; });
    if (at != clients.end())
    {
        std::unique_ptr<CProtocolClient> owned = std::move(*at);
        clients.erase(at);
        Destroy(std::move(owned));
    }
    if (clients.empty())
        m_sites.erase(found);
}

void CSiteConnectionMap::SweepIdle(int idleSeconds)
{
    for (auto site = m_sites.begin(); site != m_sites.end();)
    {
        auto& clients = site->second.m_clients;
        for (size_t i = 0; i < clients.size();)
        {
            CProtocolClient& client = *clients[i];
            CTransferJob* job = client.GetJob();
            if (!job || job->GetListIndex() != kJobListRunning)
            {
                client.CheckIdleConnection();
                if (!client.IsConnected() && job)
                    Detach(site->second, client);
            }
            const bool keep =
                client.GetJob() || (client.IsConnected() && client.GetIdleSeconds() < idleSeconds);
            if (keep)
            {
                ++i;
                continue;
            }
            std::unique_ptr<CProtocolClient> owned = std::move(clients[i]);
            clients.erase(clients.begin() + static_cast<std::ptrdiff_t>(i));
            Destroy(std::move(owned));
        }
        if (clients.empty())
            site = m_sites.erase(site);
        else
            ++site;
    }
}
