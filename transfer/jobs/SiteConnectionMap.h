#pragma once
// CSiteConnectionMap: the pool of protocol clients, grouped by site (scheme,
// host and port: CLinkItem::GetSiteUrl). It gives each transfer job a client
// to run with, reuses an idle connected client of the same site, proxy and
// login, keeps the number of busy clients of a site within the job's
// "connections per site" (property 3), and closes clients that stay idle.
//
// The transfer manager owns the one instance and calls it only under its
// own lock, so the pool has no lock of its own. The two counters are atomic
// so the manager may read the busy count at any time.
//
// Each client gets a transfer log of its own in the log registry when it is
// made; the log is released when the client is destroyed.
//
// A client and its job point at each other while attached, and SweepIdle
// reads an attached job's list: release a job before destroying it.

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "transfer/client/TransferServices.h"

class CProtocolClient;
class CTransferJob;

// Makes a client for a scheme id reached through a proxy URL (empty: direct);
// null when no client serves the scheme. CreateProtocolClient by default.
using ProtocolClientMaker =
    std::function<std::unique_ptr<CProtocolClient>(int schemeId, const std::string& proxyUrl)>;

class CSiteConnectionMap
{
public:
    // maker: null for CreateProtocolClient. services: what every client it
    // makes works with (the settings also choose proxies and the per-site
    // limit, the password store gives proxy passwords, the log registry
    // gives each client its log).
    explicit CSiteConnectionMap(ProtocolClientMaker maker = {}, const CTransferServices& services = {});
    // SweepIdle(0): closes every client that has no job.
    ~CSiteConnectionMap();
    CSiteConnectionMap(const CSiteConnectionMap&) = delete;
    CSiteConnectionMap& operator=(const CSiteConnectionMap&) = delete;

    // Attaches a client to the job: an idle client of the job's site whose
    // proxy (case-insensitive) and login match, else a new one. The proxy is
    // chosen by SelectProxyUrl (its "Proxy/Skip List" rules included); the
    // job's properties are left as they are (the run copies the request
    // settings in).
    // Login match: a job user "$" never reuses; another user name matches the
    // same name (case-insensitive); no user name matches a client logged in
    // with none, "anonymous" or "ftp".
    // Returns kResultOk (attached), kResultNotSupported (no client serves the scheme) or kResultNoMoreHandles
    // (the site is at its limit: the settings' connections per site, at least 1; also when the job's request option bit 0 asks for a
    // site to itself and a client of the site is busy).
    int Acquire(CTransferJob& job);

    // Detaches the job's client: kept idle (abort flag cleared) when still
    // connected, else closed and destroyed. A job without a client: nothing.
    void Release(CTransferJob& job);

    // Checks the connection of every client whose job is not running (or
    // that has none), detaches a client that lost its connection from such a
    // job, and closes and destroys every client without a job that is
    // disconnected or idle for idleSeconds or more. Sites left without
    // clients are removed.
    void SweepIdle(int idleSeconds);

    int GetClientCount() const { return m_clientCount.load(); }
    int GetBusyCount() const { return m_busyCount.load(); }
    size_t GetSiteCount() const { return m_sites.size(); }
    // Number of clients of the site key (GetSiteUrl of a job).
    size_t GetClientCount(const std::string& siteKey) const;

private:
    struct CSite
    {
        // In the order they were made.
        std::vector<std::unique_ptr<CProtocolClient>> m_clients;
        int m_busy = 0;
    };

    static bool LoginMatches(const std::string& jobUser, CProtocolClient& client);
    void Attach(CSite& site, CProtocolClient& client, CTransferJob& job);
    void Detach(CSite& site, CProtocolClient& client);
    // Closes the client and releases its log; the count drops.
    void Destroy(std::unique_ptr<CProtocolClient> client);

    ProtocolClientMaker m_maker;
    CTransferServices m_services;
    std::unordered_map<std::string, CSite> m_sites;
    std::atomic<int> m_clientCount{0};
    std::atomic<int> m_busyCount{0};
};
