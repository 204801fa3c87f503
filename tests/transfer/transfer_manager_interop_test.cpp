#include "transfer/TransferManager.h"

#include "foundation/PropertySet.h"
#include "foundation/SettingIds.h"
#include "transfer/FtpClient.h"
#include "transfer/LogRegistry.h"
#include "transfer/ResultCodes.h"
#include "transfer/TransferLogInterface.h"

#include "tests/servers/FtpServer.h"
#include "tests/servers/NginxServer.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

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

// A small queue of HTTP and FTP jobs, two of them for files that are not
// there, runs through the manager with two connections at a time and one per
// site; each job ends with its own result.
TEST(TransferManagerInterop, MixedQueueFinishesWithTheRightStatuses)
{
    CNginxServer web;
    ASSERT_TRUE(web.Start());
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
    CTransferManagerOptions options;
    options.m_settings = &settings;
    options.m_dataFolder = folder.Path();
    CTransferManager manager(std::move(options));
    manager.Init();

    const std::string http = "http://127.0.0.1:" + std::to_string(web.HttpPort());
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
}

} // namespace
