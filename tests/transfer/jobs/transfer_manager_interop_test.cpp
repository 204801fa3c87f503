#include "transfer/jobs/TransferManager.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "transfer/ftp/FtpClient.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/client/ProtocolClient.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLogInterface.h"

#include "tests/servers/FtpServer.h"
#include "tests/servers/NginxServer.h"
#include "tests/servers/ServerProcess.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TlsTestSuite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace
{

// HTTPS jobs trust the test CA only.
class TransferManagerInterop : public CTlsTestSuite
{
};

// The settings the tests share; a queue of `maxConnects` jobs at a time,
// `perSite` of them per site, HTTP/1.1 with keep-alive, retries at once.
void FillSettings(CPropertySet& settings, int maxConnects, int perSite)
{
    settings.SetInt(SETTING_LOGS_MAX_LOG_LINES, 2000);
    settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS, maxConnects);
    settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE, perSite);
    settings.SetInt(SETTING_CONNECTIONS_SESSION_IDLE_TIME, 60);
    settings.SetInt(SETTING_CONNECTIONS_CONNECTION_TIMEOUT, 30);
    settings.SetInt(SETTING_CONNECTIONS_CONNECTION_DELAY, 0);
    settings.SetInt(SETTING_TRANSFER_MANAGER_TIMEOUT_THREADING, 1000);
    settings.SetInt(SETTING_HTTP_VERSION, 1);
    settings.SetInt(SETTING_HTTP_ENABLE_CONNECTION, 1);
    settings.SetInt(SETTING_HTTP_CONNECTION, 0);
    settings.SetInt(SETTING_CONNECTIONS_SSL_TLS_VERSION, 1);
}

CLinkItem DownloadRequest(const std::string& url, const std::string& local)
{
    CLinkItem request;
    EXPECT_TRUE(request.SetUrl(url.c_str(), true)) << url;
    request.SetString(LI_LOCAL_FILE, local.c_str());
    request.SetOperationAndFlags(LI_OP_DOWNLOAD, 0);
    return request;
}

std::string LogText(CTransferManager& manager, int id)
{
    int logId = 0;
    manager.GetJobAttribute(&id, 1, kJobAttributeLogId, &logId);
    ITransferLog* log = GetLogManager().GetLog(logId);
    if (!log)
        return {};
    std::string text;
    log->GetText(text);
    log->Release();
    return text;
}

// A small queue of HTTP, HTTPS and FTP jobs, three of them for files that
// are not there, runs through the manager with two connections at a time and
// one per site; each job ends with its own result.
TEST_F(TransferManagerInterop, MixedQueueFinishesWithTheRightStatuses)
{
    CNginxServer web;
    CNginxServer::Options webOptions;
    webOptions.m_certificate = Certificates().ServerCertificate();
    webOptions.m_key = Certificates().ServerKey();
    ASSERT_TRUE(web.Start(webOptions));
    ASSERT_TRUE(web.WriteDocument("a.txt", "first page\n"));
    ASSERT_TRUE(web.WriteDocument("dir/b.bin", std::string(100000, 'b')));
    CVsftpdServer ftp;
    ASSERT_TRUE(ftp.Start());
    ASSERT_TRUE(ftp.WriteFile(ftp.AnonRoot(), "pub/c.txt", "ftp file\n"));
    ASSERT_TRUE(ftp.WriteFile(ftp.AnonRoot(), "pub/d.bin", std::string(70000, 'd')));
    CTempFolder folder;

    CPropertySet settings;
    settings.SetInt(SETTING_LOGS_MAX_LOG_LINES, 2000);
    settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS, 2);
    settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE, 1);
    settings.SetInt(SETTING_CONNECTIONS_SESSION_IDLE_TIME, 60);
    settings.SetInt(SETTING_TRANSFER_MANAGER_TIMEOUT_THREADING, 1000);
    settings.SetInt(SETTING_FTP_DATA_CONNECTION_TYPE, CFtpClient::kDataPassive);
    settings.SetInt(SETTING_CONNECTIONS_SSL_TLS_VERSION, 1);
    settings.SetInt(SETTING_CONNECTIONS_CONNECTION_TIMEOUT, 30);
    CTransferManagerOptions options;
    options.m_services.m_settings = &settings;
    options.m_dataFolder = folder.Path();
    CTransferManager manager(std::move(options));
    manager.Init();

    const std::string http = "http://127.0.0.1:" + std::to_string(web.HttpPort());
    const std::string https = "https://127.0.0.1:" + std::to_string(web.HttpsPort());
    const std::string ftpSite = "ftp://127.0.0.1:" + std::to_string(ftp.Port());
    struct Job
    {
        std::string url;
        int operation;
        std::string local;
        int result;
        std::string content;
    };
    const std::vector<Job> table = {
        {http + "/a.txt", LI_OP_DOWNLOAD, "a.txt", kResultOk, "first page\n"},
        {ftpSite + "/pub/c.txt", LI_OP_DOWNLOAD, "c.txt", kResultOk, "ftp file\n"},
        {http + "/dir/b.bin", LI_OP_DOWNLOAD, "b.bin", kResultOk, std::string(100000, 'b')},
        {http + "/missing.html", LI_OP_CHECK, "missing.html", kResultRemoteNotFound, ""},
        {ftpSite + "/pub/d.bin", LI_OP_DOWNLOAD, "d.bin", kResultOk, std::string(70000, 'd')},
        {ftpSite + "/pub/missing.bin", LI_OP_CHECK, "missing.bin", kResultRemoteNotFound, ""},
        {https + "/dir/b.bin", LI_OP_DOWNLOAD, "s-b.bin", kResultOk, std::string(100000, 'b')},
        {https + "/missing.html", LI_OP_CHECK, "s-missing.html", kResultRemoteNotFound, ""},
        {https + "/a.txt", LI_OP_DOWNLOAD, "s-a.txt", kResultOk, "first page\n"},
    };
    std::vector<int> ids;
    for (const Job& job : table)
    {
        CLinkItem request;
        ASSERT_TRUE(request.SetUrl(job.url.c_str(), true)) << job.url;
        request.SetString(LI_LOCAL_FILE, (folder / job.local).c_str());
        request.SetOperationAndFlags(job.operation, 0);
        int id = 0;
        ASSERT_EQ(manager.AddJob(request, &id, true), 0);
        ids.push_back(id);
    }
    ASSERT_EQ(manager.WaitForJobs(ids.data(), int(ids.size()), 120000), 0);
    EXPECT_EQ(manager.GetBusyCount(), 0);

    for (size_t i = 0; i < table.size(); ++i)
    {
        SCOPED_TRACE(table[i].url);
        CJobStatus status;
        ASSERT_EQ(manager.GetJobStatus(ids[i], status), 0);
        EXPECT_EQ(status.m_result, table[i].result) << LogText(manager, ids[i]);
        EXPECT_EQ(status.m_state, table[i].result == kResultOk ? kJobListFinished : kJobListIdle);
        if (table[i].result == kResultOk)
        {
            EXPECT_EQ(ReadWhole(folder / table[i].local), table[i].content);
        }
    }
    // The FTP jobs took turns on one logged-on connection.
    EXPECT_EQ(ftp.CountCommands("USER"), 1);
    // nginx saw the three HTTPS jobs over TLS; stopping it first makes sure
    // every request it answered is in its log.
    web.Stop();
    const std::string access = web.AccessLog();
    size_t tlsRequests = 0;
    for (size_t at = access.find("protocol=\"TLS"); at != std::string::npos;
         at = access.find("protocol=\"TLS", at + 1))
        ++tlsRequests;
    EXPECT_EQ(tlsRequests, 3u) << access;
}

// Jobs for one nginx site, each slowed down by nginx's rate limit (the
// first 100 KB at once, the rest a second later), with room for six at a
// time but two per site: nginx never serves more than two of them at once
// (request intervals from its access log), over no more than two
// connections.
TEST_F(TransferManagerInterop, PerSiteLimitHoldsAgainstNginx)
{
    constexpr int kPerSite = 2;
    constexpr int kJobs = 6;
    CNginxServer web;
    const std::string connectionLog = web.Process().Folder() / "connections.log";
    CNginxServer::Options webOptions;
    webOptions.m_httpConfig = "log_format connections '$connection $msec $request_time';\n";
    webOptions.m_serverConfig = "access_log " + connectionLog + " connections;\nlimit_rate 100k;\n";
    ASSERT_TRUE(web.Start(webOptions));
    const std::string body(120000, 'p');
    for (int i = 0; i < kJobs; ++i)
        ASSERT_TRUE(web.WriteDocument("p" + std::to_string(i) + ".bin", body));
    CTempFolder folder;

    CPropertySet settings;
    FillSettings(settings, 6, kPerSite);
    CTransferManagerOptions options;
    options.m_services.m_settings = &settings;
    options.m_dataFolder = folder.Path();
    CTransferManager manager(std::move(options));
    manager.Init();

    std::vector<int> ids;
    for (int i = 0; i < kJobs; ++i)
    {
        const std::string name = "p" + std::to_string(i) + ".bin";
        int id = 0;
        ASSERT_EQ(
            manager.AddJob(DownloadRequest("http://127.0.0.1:" + std::to_string(web.HttpPort()) + "/" + name,
                                           folder / name),
                           &id, true),
            0);
        ids.push_back(id);
    }
    ASSERT_EQ(manager.WaitForJobs(ids.data(), int(ids.size()), 120000), 0);
    for (int i = 0; i < kJobs; ++i)
    {
        CJobStatus status;
        ASSERT_EQ(manager.GetJobStatus(ids[i], status), 0);
        EXPECT_EQ(status.m_result, kResultOk) << LogText(manager, ids[i]);
        EXPECT_EQ(ReadWhole(folder / ("p" + std::to_string(i) + ".bin")), body);
    }
    // Stopping nginx makes sure every request it answered is in its log.
    web.Stop();

    // Each line: connection number, end time and duration in seconds.
    std::istringstream lines(ReadWhole(connectionLog));
    std::set<long> connections;
    std::vector<std::pair<double, int>> edges;
    long connection = 0;
    double end = 0;
    double duration = 0;
    while (lines >> connection >> end >> duration)
    {
        connections.insert(connection);
        // The times have millisecond steps: shrink each interval a little so
        // that requests one after the other on a connection do not touch.
        edges.emplace_back(end - duration + 0.002, +1);
        edges.emplace_back(end - 0.002, -1);
    }
    ASSERT_EQ(edges.size(), size_t(2 * kJobs)) << ReadWhole(connectionLog);
    std::sort(edges.begin(), edges.end());
    int running = 0;
    int most = 0;
    for (const auto& [time, change] : edges)
        most = std::max(most, running += change);
    EXPECT_LE(most, kPerSite) << ReadWhole(connectionLog);
    EXPECT_LE(connections.size(), size_t(kPerSite)) << ReadWhole(connectionLog);
}

// A server that drops its first two connections in the middle of the
// response header: with two transfer retries the job gets the file on the
// third connection; with none it fails after the first.
TEST_F(TransferManagerInterop, DroppedConnectionsAreRetried)
{
    struct Case
    {
        int retries;
        int connections;
        bool succeeds;
    };
    for (const Case& test : {Case{2, 3, true}, Case{0, 1, false}})
    {
        SCOPED_TRACE("retries " + std::to_string(test.retries));
        CServerProcess server;
        const int port = FreeTcpPort();
        ASSERT_NE(port, 0);
        ASSERT_TRUE(server.Start(
            {"/usr/bin/python3", TW_SERVERS_DIR "/http_drop_server.py", std::to_string(port), "2"}, port));
        CTempFolder folder;

        CPropertySet settings;
        FillSettings(settings, 2, 1);
        settings.SetInt(SETTING_CONNECTIONS_CONNECTION_RETRIES, 0);
        settings.SetInt(SETTING_CONNECTIONS_TRANSFER_RETRIES, test.retries);
        CTransferManagerOptions options;
        options.m_services.m_settings = &settings;
        options.m_dataFolder = folder.Path();
        CTransferManager manager(std::move(options));
        manager.Init();

        int id = 0;
        ASSERT_EQ(manager.AddJob(DownloadRequest("http://127.0.0.1:" + std::to_string(port) + "/file.txt",
                                                 folder / "file.txt"),
                                 &id, true),
                  0);
        CJobStatus status;
        ASSERT_EQ(manager.WaitForJob(id, &status, 120000), 0);
        const std::string log = server.Log();
        if (test.succeeds)
        {
            EXPECT_EQ(status.m_result, kResultOk) << LogText(manager, id) << log;
            EXPECT_EQ(status.m_state, kJobListFinished);
            EXPECT_EQ(ReadWhole(folder / "file.txt"), "served after the drops\n");
        }
        else
        {
            // Failed for the dropped connection, a fault worth a retry.
            EXPECT_TRUE(IsRetryableResult(status.m_result)) << status.m_result << LogText(manager, id) << log;
            EXPECT_EQ(status.m_state, kJobListIdle);
        }
        const std::string last =
            "connection " + std::to_string(test.connections) + (test.succeeds ? " served" : " dropped");
        EXPECT_NE(log.find(last), std::string::npos) << log;
        EXPECT_EQ(log.find("connection " + std::to_string(test.connections + 1)), std::string::npos) << log;
    }
}

} // namespace
