#include "transfer/jobs/TransferJob.h"

#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "transfer/ftp/FtpClient.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/jobs/SiteConnectionMap.h"
#include "transfer/base/TransferLogInterface.h"

#include "tests/servers/FtpServer.h"
#include "tests/servers/ServerProcess.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{

std::string LogText(int logId)
{
    ITransferLog* log = GetLogManager().GetLog(logId);
    std::string text;
    log->GetText(text);
    log->Release();
    return text;
}

// Two downloads from one FTP site, run as the transfer manager runs them:
// acquire a client, run the job, release the client. The second job gets
// the first one's logged-on connection and does not log on again.
TEST(TransferJobInterop, FtpDownloadsShareTheSiteConnection)
{
    CVsftpdServer server;
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(server.WriteFile(server.AnonRoot(), "pub/one.txt", "first file\n"));
    ASSERT_TRUE(server.WriteFile(server.AnonRoot(), "pub/two.txt", std::string(70000, 'x')));
    CTempFolder folder;

    CPropertySet settings;
    settings.SetInt(SETTING_LOGS_MAX_LOG_LINES, 2000);
    settings.SetInt(SETTING_FTP_DATA_CONNECTION_TYPE, CFtpClient::kDataPassive);
    settings.SetInt(SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE, 1);

    std::unique_ptr<CTransferJob> jobs[2];
    CSiteConnectionMap pool(nullptr, CTransferServices{.m_settings = &settings});
    const char* names[] = {"one.txt", "two.txt"};
    CProtocolClient* clients[2] = {};
    for (int i = 0; i < 2; ++i)
    {
        SCOPED_TRACE(names[i]);
        jobs[i] = std::make_unique<CTransferJob>();
        CTransferJob& job = *jobs[i];
        const std::string url = "ftp://127.0.0.1:" + std::to_string(server.Port()) + "/pub/" + names[i];
        ASSERT_TRUE(job.SetUrl(url.c_str(), true));
        job.SetString(LI_LOCAL_FILE, (folder / names[i]).c_str());
        job.SetOperationAndFlags(LI_OP_DOWNLOAD, 0);
        job.SetInt(LI_LOG_ID, GetLogManager().CreateLog());

        ASSERT_EQ(pool.Acquire(job), kResultOk);
        clients[i] = job.GetClient();
        EXPECT_EQ(job.Run(settings), kJobListFinished);
        int logId = 0;
        job.GetInt(LI_LOG_ID, logId);
        EXPECT_EQ(job.GetStatus().m_result, kResultOk) << LogText(logId);
        EXPECT_TRUE(clients[i]->IsConnected());
        int64_t received = 0;
        EXPECT_TRUE(job.GetInt64(LI_BYTES_RECEIVED, received));
        EXPECT_GT(received, 0);
        pool.Release(job);
    }
    EXPECT_EQ(ReadWhole(folder / "one.txt"), "first file\n");
    EXPECT_EQ(ReadWhole(folder / "two.txt"), std::string(70000, 'x'));
    EXPECT_EQ(clients[1], clients[0]);
    EXPECT_EQ(pool.GetClientCount(), 1);
    EXPECT_EQ(server.CountCommands("USER"), 1);
    EXPECT_EQ(server.CountCommands("RETR"), 2);
}

// A dead host (a port on 127.0.0.1 that nobody listens on) costs the
// connect's own retries and no more: 6 connects with 5 connection retries,
// however many transfer retries are left.
TEST(TransferJobInterop, DeadHostCostsOneRoundOfConnectRetries)
{
    CDeadTcpPort dead;
    CTempFolder folder;
    CPropertySet settings;
    settings.SetInt(SETTING_CONNECTIONS_CONNECTION_RETRIES, 5);
    settings.SetInt(SETTING_CONNECTIONS_TRANSFER_RETRIES, 10);
    settings.SetInt(SETTING_CONNECTIONS_CONNECTION_DELAY, 0);
    CSiteConnectionMap pool(nullptr, CTransferServices{.m_settings = &settings});
    CTransferJob job;
    const std::string url = "http://127.0.0.1:" + std::to_string(dead.Port()) + "/file.bin";
    ASSERT_TRUE(job.SetUrl(url.c_str(), true));
    job.SetString(LI_LOCAL_FILE, (folder / "file.bin").c_str());
    job.SetOperationAndFlags(LI_OP_DOWNLOAD, 0);
    const int logId = GetLogManager().CreateLog();
    job.SetInt(LI_LOG_ID, logId);

    ASSERT_EQ(pool.Acquire(job), kResultOk);
    EXPECT_EQ(job.Run(settings), kJobListIdle);
    pool.Release(job);
    const std::string log = LogText(logId);
    EXPECT_EQ(job.GetStatus().m_result, kWsaConnRefused) << log;
    const std::string connecting = "Connecting to 127.0.0.1:" + std::to_string(dead.Port()) + "...";
    int connects = 0;
    for (size_t at = log.find(connecting); at != std::string::npos; at = log.find(connecting, at + 1))
        ++connects;
    EXPECT_EQ(connects, 6) << log;
}

// A resumed download asks the server for the rest only.
TEST(TransferJobInterop, FtpResumeFetchesTheRest)
{
    CVsftpdServer server;
    ASSERT_TRUE(server.Start());
    std::string content;
    for (int i = 0; i < 50000; ++i)
        content += static_cast<char>('a' + i % 26);
    ASSERT_TRUE(server.WriteFile(server.AnonRoot(), "big.bin", content));
    CTempFolder folder;
    const std::string local = folder / "big.bin";
    WriteWhole(local, content.substr(0, 12345));

    CPropertySet settings;
    settings.SetInt(SETTING_FTP_DATA_CONNECTION_TYPE, CFtpClient::kDataPassive);
    CSiteConnectionMap pool(nullptr, CTransferServices{.m_settings = &settings});
    CTransferJob job;
    const std::string url = "ftp://127.0.0.1:" + std::to_string(server.Port()) + "/big.bin";
    ASSERT_TRUE(job.SetUrl(url.c_str(), true));
    job.SetString(LI_LOCAL_FILE, local.c_str());
    job.SetOperationAndFlags(LI_OP_DOWNLOAD, 1 << LI_FLAG_RESUME);
    const int logId = GetLogManager().CreateLog();
    job.SetInt(LI_LOG_ID, logId);

    ASSERT_EQ(pool.Acquire(job), kResultOk);
    EXPECT_EQ(job.Run(settings), kJobListFinished) << LogText(logId);
    pool.Release(job);
    EXPECT_EQ(ReadWhole(local), content);
    EXPECT_NE(LogText(logId).find("Transfer resumed: local size is smaller, option: resume."),
              std::string::npos);
    EXPECT_NE(server.ProtocolLog().find("REST 12345"), std::string::npos);
    EXPECT_EQ(job.GetStatus().m_localBytes, 50000);
}

} // namespace
