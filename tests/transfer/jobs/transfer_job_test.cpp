#include "transfer/jobs/TransferJob.h"

#include "foundation/files/DirectoryTree.h"
#include "foundation/files/FileSystem.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/threads/ThreadPool.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLogInterface.h"

#include "tests/support/FakeProtocolClient.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <sys/stat.h>

namespace
{
using namespace std::chrono_literals;

// The manager's side of the lists, without its lock: the tests move jobs
// from one thread at a time.
class CTestOwner : public ITransferJobOwner
{
public:
    CJobList& GetJobList(int index) override { return lists[index]; }
    void RegisterProgressMeter(CTransferMeter*) override { ++meters; }
    void UnregisterProgressMeter(CTransferMeter*) override { --meters; }
    void OnGroupJobProgress(CTransferJob&) override {}

    CJobList lists[kJobListCount];
    int meters = 0;
};

class TransferJobTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        settings.SetInt(SETTING_LOGS_MAX_LOG_LINES, 2000);
        settings.SetInt(SETTING_CONNECTIONS_TRANSFER_RETRIES, 2);
        job.SetUrl("http://files.example/dl/data.bin", true);
        job.SetString(LI_LOCAL_FILE, local.c_str());
        job.SetOperationAndFlags(LI_OP_DOWNLOAD, 0);
        job.SetInt(LI_LOG_ID, GetLogManager().CreateLog());
        job.SetOwner(&owner);
        job.SetClient(&client);
        job.MoveToList(kJobListRunning);
        client.body = "hello world";
        client.remoteSize = 11;
    }

    int Run() { return job.Run(settings); }

    std::string LogText()
    {
        int id = 0;
        job.GetInt(LI_LOG_ID, id);
        ITransferLog* log = GetLogManager().GetLog(id);
        std::string text;
        log->GetText(text);
        log->Release();
        return text;
    }

    CTempFolder folder;
    const std::string local = folder / "data.bin";
    CPropertySet settings;
    CTestOwner owner;
    CFakeProtocolClient client;
    CTransferJob job;
};

TEST_F(TransferJobTest, DownloadsIntoTheLocalFileAndFinishes)
{
    EXPECT_EQ(Run(), kJobListFinished);
    EXPECT_EQ(job.GetStatus().m_result, kResultOk);
    EXPECT_EQ(job.GetStatus().m_phase, kJobPhaseDone);
    EXPECT_EQ(ReadWhole(local), "hello world");
    EXPECT_EQ(owner.meters, 0);
    EXPECT_NE(LogText().find("Transfer finished."), std::string::npos);
}

TEST_F(TransferJobTest, SkipRuleKeepsAnExistingFileWithoutConnecting)
{
    WriteWhole(local, "mine");
    job.SetFlag(LI_FLAG_SKIP_EXISTING);
    EXPECT_EQ(Run(), kJobListFinished);
    EXPECT_EQ(job.GetStatus().m_result, kResultOk);
    EXPECT_EQ(job.GetStatus().m_phase, kJobPhaseDone);
    EXPECT_EQ(client.connects, 0);
    EXPECT_EQ(ReadWhole(local), "mine");
    EXPECT_NE(LogText().find("Transfer skipped: file exists, option: skip."), std::string::npos);
}

TEST_F(TransferJobTest, WithoutResumeAnExistingFileIsOverwritten)
{
    WriteWhole(local, "old content that is longer");
    EXPECT_EQ(Run(), kJobListFinished);
    EXPECT_EQ(ReadWhole(local), "hello world");
    EXPECT_EQ(client.offsets, std::vector<int64_t>{0});
    EXPECT_NE(LogText().find("Overwrite condition: by task."), std::string::npos);
}

TEST_F(TransferJobTest, ResumeRules)
{
    struct Case
    {
        const char* name;
        int64_t remoteSize;
        const char* oldTag;
        const char* newTag;
        std::string body;
        const char* logLine;
        int downloads;
        int64_t offset;
    };
    const Case cases[] = {
        {"same size", 5, "", "", "hello", "Transfer skipped: size is same, option: resume.", 0, -1},
        {"smaller local", 11, "", "", "hello world",
         "Transfer resumed: local size is smaller, option: resume.", 1, 5},
        {"tag changed", 11, "\"a\"", "\"b\"", "HELLO WORLD", "Overwrite condition: E-Tag changed.", 1, 0},
        {"remote smaller", 3, "", "", "abc", "Overwrite condition: remote size 3 < local size 5.", 1, 0},
        {"size unknown", -1, "", "", "fresh", "Overwrite condition: remote size unknown.", 1, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CTempFolder caseFolder;
        const std::string path = caseFolder / "data.bin";
        WriteWhole(path, "hello");
        CFakeProtocolClient fake;
        fake.body = c.body;
        fake.remoteSize = c.remoteSize;
        fake.remoteTag = c.newTag;
        CTransferJob resumeJob;
        resumeJob.SetUrl("http://files.example/dl/data.bin", true);
        resumeJob.SetString(LI_LOCAL_FILE, path.c_str());
        resumeJob.SetOperationAndFlags(LI_OP_DOWNLOAD, 1 << LI_FLAG_RESUME);
        if (c.oldTag[0])
            resumeJob.SetString(LI_ETAG, c.oldTag);
        const int logId = GetLogManager().CreateLog();
        resumeJob.SetInt(LI_LOG_ID, logId);
        resumeJob.SetClient(&fake);

        EXPECT_EQ(resumeJob.Run(settings), kJobListFinished);
        EXPECT_EQ(ReadWhole(path), c.body);
        EXPECT_EQ(fake.downloads, c.downloads);
        if (c.offset >= 0)
        {
            EXPECT_EQ(fake.offsets, std::vector<int64_t>{c.offset});
        }
        ITransferLog* log = GetLogManager().GetLog(logId);
        std::string text;
        log->GetText(text);
        log->Release();
        EXPECT_NE(text.find(c.logLine), std::string::npos) << text;
    }
}

// A resume that meets a folder where the file should be removes only an
// empty one; a folder with content stays whole and the job fails.
TEST_F(TransferJobTest, ResumeNeverDeletesAFolderWithContent)
{
    ASSERT_EQ(::mkdir(local.c_str(), 0700), 0);
    WriteWhole(local + "/keep.txt", "precious");
    job.SetFlag(LI_FLAG_RESUME);
    EXPECT_EQ(Run(), kJobListIdle);
    EXPECT_EQ(job.GetStatus().m_result, kResultAccessDenied);
    EXPECT_EQ(ReadWhole(local + "/keep.txt"), "precious");
    EXPECT_EQ(client.downloads, 0);
    EXPECT_NE(LogText().find("Cannot overwrite local directory, remove it first."), std::string::npos);
}

TEST_F(TransferJobTest, ResumeReplacesAnEmptyFolderByTheDownload)
{
    ASSERT_EQ(::mkdir(local.c_str(), 0700), 0);
    job.SetFlag(LI_FLAG_RESUME);
    EXPECT_EQ(Run(), kJobListFinished);
    EXPECT_EQ(ReadWhole(local), "hello world");
}

TEST_F(TransferJobTest, RetriesOnlyRetryableCodes)
{
    using Attempt = CFakeProtocolClient::Attempt;
    struct Case
    {
        const char* name;
        int flags;
        std::vector<Attempt> attempts;
        int result;
        int downloads;
        std::string content; // of the local file afterwards
    };
    const Case cases[] = {
        {"retryable, retries used up",
         0,
         {{0, kResultTimeout}, {0, kResultTimeout}, {0, kResultTimeout}},
         kResultTimeout,
         3,
         ""},
        {"retryable, then success", 0, {{0, kWsaConnRefused}, {-1, kResultOk}}, kResultOk, 2, "hello world"},
        {"not retryable", 0, {{0, kResultHttp4xx}}, kResultHttp4xx, 1, ""},
        // Bytes came before each reset: the attempt goes on where it broke.
        {"reset after data, then the rest",
         0,
         {{2, kWsaConnReset}, {2, kWsaConnReset}, {-1, kResultOk}},
         kResultOk,
         3,
         "hello world"},
        // A local failure after some bytes is not tried again.
        {"disk full after data", 0, {{4, kResultDiskFull}}, kResultDiskFull, 1, "hell"},
        {"resume refused, no restart", 0, {{0, kResultBadResumeOffset}}, kResultBadResumeOffset, 1, ""},
        {"resume refused, restart",
         1 << LI_FLAG_RESTART_FROM_ZERO,
         {{3, kResultBadResumeOffset}, {-1, kResultOk}},
         kResultOk,
         2,
         "hello world"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CTempFolder caseFolder;
        const std::string path = caseFolder / "data.bin";
        CFakeProtocolClient fake;
        fake.body = "hello world";
        fake.attempts = c.attempts;
        CTransferJob retryJob;
        retryJob.SetUrl("http://files.example/dl/data.bin", true);
        retryJob.SetString(LI_LOCAL_FILE, path.c_str());
        retryJob.SetOperationAndFlags(LI_OP_DOWNLOAD, c.flags);
        retryJob.SetClient(&fake);

        retryJob.Run(settings);
        EXPECT_EQ(retryJob.GetStatus().m_result, c.result);
        EXPECT_EQ(fake.downloads, c.downloads);
        EXPECT_EQ(ReadWhole(path), c.content);
    }
}

// Every retry counts, also one after data came: with no retries a broken
// connection is not tried again, and a server that breaks every connection
// after a few bytes cannot hold the job without end.
TEST_F(TransferJobTest, RetriesAfterDataAreCounted)
{
    using Attempt = CFakeProtocolClient::Attempt;
    for (const int retries : {0, 2})
    {
        SCOPED_TRACE(retries);
        settings.SetInt(SETTING_CONNECTIONS_TRANSFER_RETRIES, retries);
        CTempFolder caseFolder;
        const std::string path = caseFolder / "data.bin";
        CFakeProtocolClient fake;
        fake.body = "hello world";
        fake.attempts.assign(5, Attempt{2, kWsaConnReset});
        CTransferJob retryJob;
        retryJob.SetUrl("http://files.example/dl/data.bin", true);
        retryJob.SetString(LI_LOCAL_FILE, path.c_str());
        retryJob.SetOperationAndFlags(LI_OP_DOWNLOAD, 0);
        retryJob.SetClient(&fake);

        EXPECT_EQ(retryJob.Run(settings), kJobListIdle);
        EXPECT_EQ(retryJob.GetStatus().m_result, kWsaConnReset);
        EXPECT_EQ(fake.downloads, retries + 1);
        EXPECT_EQ(ReadWhole(path), std::string("hello world").substr(0, size_t(2 * (retries + 1))));
    }
}

// The connect has its own retries (property 4); a failed connect ends the
// job instead of starting them all over for each transfer retry, so a dead
// host with the default settings costs 6 connects, not 66.
TEST_F(TransferJobTest, FailedConnectIsNotRetriedByTheTransferLoop)
{
    settings.SetInt(SETTING_CONNECTIONS_CONNECTION_RETRIES, 5);
    settings.SetInt(SETTING_CONNECTIONS_TRANSFER_RETRIES, 10);
    settings.SetInt(SETTING_CONNECTIONS_CONNECTION_DELAY, 0);
    client.connectResult = kWsaConnRefused;
    EXPECT_EQ(Run(), kJobListIdle);
    EXPECT_EQ(job.GetStatus().m_result, kWsaConnRefused);
    EXPECT_EQ(client.connects, 6);
    EXPECT_EQ(client.downloads, 0);
    EXPECT_EQ(owner.meters, 0);
    EXPECT_EQ(LogText().find("Transfer retry #"), std::string::npos);
}

// A failed job removes the folders it made for its file when it leaves them
// empty, and only those: a folder that was there before stays, and so does
// one that holds a partial download.
TEST_F(TransferJobTest, FailedJobRemovesOnlyTheEmptyFoldersItCreated)
{
    using Attempt = CFakeProtocolClient::Attempt;
    struct Case
    {
        const char* name;
        const char* existing; // folder made before the run, "" for none
        Attempt attempt;
        const char* gone; // the outermost folder gone afterwards, "" for none
        const char* kept; // a folder still there afterwards
    };
    const Case cases[] = {
        {"new folders, nothing received", "", {0, kResultHttp4xx}, "a", ""},
        {"folder above existed", "a", {0, kResultHttp4xx}, "a/b", "a"},
        {"whole folder existed", "a/b", {0, kResultHttp4xx}, "", "a/b"},
        {"partial file kept", "", {4, kResultDiskFull}, "", "a/b"},
        {"success", "", {-1, kResultOk}, "", "a/b"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CTempFolder caseFolder;
        if (c.existing[0])
        {
            ASSERT_TRUE(CreateDirectoryTree(caseFolder / c.existing));
        }
        const std::string path = caseFolder / "a/b/data.bin";
        CFakeProtocolClient fake;
        fake.body = "hello world";
        fake.attempts = {c.attempt};
        CTransferJob folderJob;
        folderJob.SetUrl("http://files.example/dl/data.bin", true);
        folderJob.SetString(LI_LOCAL_FILE, path.c_str());
        folderJob.SetOperationAndFlags(LI_OP_DOWNLOAD, 0);
        folderJob.SetClient(&fake);

        folderJob.Run(settings);
        EXPECT_EQ(folderJob.GetStatus().m_result, c.attempt.result);
        EXPECT_TRUE(DirectoryExists(caseFolder.Path()));
        if (c.gone[0])
        {
            EXPECT_FALSE(DirectoryExists(caseFolder / c.gone));
        }
        if (c.kept[0])
        {
            EXPECT_TRUE(DirectoryExists(caseFolder / c.kept));
        }
    }
}

// A pooled client serves job after job, and its log takes every line of
// each: it is kept under "Logs/Max Log Lines" as the job's own log is.
TEST_F(TransferJobTest, PooledClientLogIsTrimmedLikeTheJobLog)
{
    constexpr int kLimit = 10;
    settings.SetInt(SETTING_LOGS_MAX_LOG_LINES, kLimit);
    const int clientLogId = GetLogManager().CreateLog();
    client.SetLogId(clientLogId);
    ITransferLog* clientLog = GetLogManager().GetLog(clientLogId);
    int mostLines = 0;
    uint32_t lastChange = 0;
    for (int run = 0; run < 6; ++run)
    {
        SCOPED_TRACE(run);
        EXPECT_EQ(Run(), kJobListFinished);
        int lines = 0;
        uint32_t changes = 0;
        clientLog->GetStats(&changes, nullptr, &lines, nullptr);
        EXPECT_GT(changes, lastChange); // the run did write to the client's log
        lastChange = changes;
        mostLines = std::max(mostLines, lines);
    }
    EXPECT_LT(mostLines, kLimit);
    clientLog->Release();
    GetLogManager().ReleaseLog(clientLogId);
}

TEST_F(TransferJobTest, RestartFromZeroDeletesThePartialFile)
{
    using Attempt = CFakeProtocolClient::Attempt;
    client.attempts = {Attempt{3, kResultBadResumeOffset}, Attempt{-1, kResultOk}};
    job.SetFlag(LI_FLAG_RESTART_FROM_ZERO);
    EXPECT_EQ(Run(), kJobListFinished);
    EXPECT_EQ(client.offsets, (std::vector<int64_t>{0, 0}));
    EXPECT_EQ(ReadWhole(local), "hello world");
}

TEST_F(TransferJobTest, HttpPostIsCheckedByDownloadingAndNeverResumed)
{
    WriteWhole(local, "hello");
    const uint8_t post[] = {'a', '=', '1'};
    job.SetBlob(LI_POST_DATA, post, sizeof post);
    job.SetOperationAndFlags(LI_OP_CHECK, 1 << LI_FLAG_RESUME);
    EXPECT_EQ(Run(), kJobListFinished);
    EXPECT_EQ(client.infoRequests, 0);
    EXPECT_EQ(client.offsets, std::vector<int64_t>{0});
    EXPECT_EQ(ReadWhole(local), "hello world");
}

TEST_F(TransferJobTest, CheckOfAFileFetchesOnlyItsInformation)
{
    job.SetOperationAndFlags(LI_OP_CHECK, 0);
    EXPECT_EQ(Run(), kJobListFinished);
    EXPECT_EQ(client.infoRequests, 1);
    EXPECT_EQ(client.downloads, 0);
    EXPECT_EQ(job.GetStatus().m_remoteBytes, 11);
    EXPECT_FALSE(FileExists(local));
}

// "Check Folder": a file the user has is copied instead of downloaded, but
// a decoded name never reaches outside the folder.
TEST_F(TransferJobTest, CheckFolderCopiesOnlyFilesInsideIt)
{
    const std::string check = folder / "check";
    ASSERT_EQ(::mkdir(check.c_str(), 0700), 0);
    WriteWhole(check + "/plain.txt", "from check folder");
    WriteWhole(check + "/two words.txt", "decoded name");
    WriteWhole(folder / "secret.txt", "outside");
    settings.SetString(SETTING_MISC_CHECK_FOLDER, check.c_str());

    struct Case
    {
        const char* localName;
        std::string content;
        int downloads;
    };
    const Case cases[] = {
        {"plain.txt", "from check folder", 0}, {"two%20words.txt", "decoded name", 0},
        {"..%2Fsecret.txt", "hello world", 1}, {"%2E%2E%2Fsecret.txt", "hello world", 1},
        {"..%5Csecret.txt", "hello world", 1}, {"%2E%2E", "hello world", 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.localName);
        CTempFolder out;
        const std::string path = out / c.localName;
        CFakeProtocolClient fake;
        fake.body = "hello world";
        CTransferJob checkJob;
        checkJob.SetUrl("http://files.example/dl/x", true);
        checkJob.SetString(LI_LOCAL_FILE, path.c_str());
        checkJob.SetOperationAndFlags(LI_OP_DOWNLOAD, 1 << LI_FLAG_SKIP_EXISTING);
        checkJob.SetClient(&fake);

        EXPECT_EQ(checkJob.Run(settings), kJobListFinished);
        EXPECT_EQ(ReadWhole(path), c.content);
        EXPECT_EQ(fake.downloads, c.downloads);
    }
    EXPECT_EQ(ReadWhole(folder / "secret.txt"), "outside");
}

TEST_F(TransferJobTest, OperationsWithoutTransfer)
{
    struct Case
    {
        int operation;
        int result;
        const char* logLine;
    };
    const Case cases[] = {
        {LI_OP_NONE, kResultOk, "Empty operation is done."},
        {LI_OP_UPLOAD, kResultNotSupported, "E:\tUpload is not implemeted."},
        {7, kResultNotSupported, "E:\tOperation is not supported or implemeted."},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.operation);
        job.SetOperationAndFlags(c.operation, 0);
        Run();
        EXPECT_EQ(job.GetStatus().m_result, c.result);
        EXPECT_NE(LogText().find(c.logLine), std::string::npos);
    }
    EXPECT_EQ(client.downloads, 0);
}

// A stop that reaches a job handed to the pool before its run begins ends
// the run at once as stopped: nothing is connected, the job leaves the
// running list.
TEST_F(TransferJobTest, StopBeforeTheRunStartsEndsItAsStopped)
{
    job.Stop();
    EXPECT_TRUE(client.IsAborted());
    const int list = Run();
    job.ReturnToList(list);
    EXPECT_EQ(list, kJobListIdle);
    EXPECT_EQ(job.GetStatus().m_result, kResultStopped);
    EXPECT_EQ(job.GetStatus().m_state, kJobListIdle);
    EXPECT_EQ(client.connects, 0);
    EXPECT_NE(LogText().find("Connection closed."), std::string::npos);
}

TEST_F(TransferJobTest, ListMovesKeepTheListsLinked)
{
    CTransferJob second;
    second.SetOwner(&owner);
    job.MoveToList(kJobListNew);
    second.MoveToList(kJobListNew);
    EXPECT_EQ(owner.lists[kJobListRunning].m_count, 0);
    EXPECT_EQ(owner.lists[kJobListNew].m_count, 2);
    EXPECT_EQ(owner.lists[kJobListNew].m_head, &job);
    EXPECT_EQ(job.GetNext(), &second);

    const uint32_t stamp = job.GetStamp();
    EXPECT_TRUE(job.Queue(0));
    EXPECT_GT(job.GetStamp(), stamp);
    EXPECT_EQ(owner.lists[kJobListNew].m_head, &second);
    EXPECT_EQ(second.GetPrev(), nullptr);
    EXPECT_EQ(owner.lists[kJobListWaiting].m_count, 1);

    job.Stop();
    EXPECT_EQ(job.GetStatus().m_state, kJobListIdle);
    EXPECT_EQ(job.GetStatus().m_result, kResultStopped);
    EXPECT_EQ(owner.lists[kJobListWaiting].m_count, 0);
    EXPECT_EQ(owner.lists[kJobListIdle].m_tail, &job);

    job.MoveToList(kJobListRunning);
    EXPECT_FALSE(job.Queue(0));
}

TEST_F(TransferJobTest, RunOnPoolWithoutAThreadLeavesTheJobWhereItWas)
{
    job.MoveToList(kJobListWaiting);
    CThreadPool stopped; // never started: gives no thread
    EXPECT_FALSE(job.RunOnPool(stopped, [](CTransferJob*) {}));
    EXPECT_EQ(job.GetStatus().m_state, kJobListWaiting);
    EXPECT_EQ(owner.lists[kJobListRunning].m_count, 0);
    EXPECT_EQ(owner.lists[kJobListWaiting].m_tail, &job);
}

std::promise<int>* g_ran = nullptr;

TEST_F(TransferJobTest, RunOnPoolRunsTheBodyOnAPoolThread)
{
    job.MoveToList(kJobListWaiting);
    CThreadPool pool;
    pool.Start();
    std::promise<int> ran;
    g_ran = &ran;
    ASSERT_TRUE(job.RunOnPool(pool,
                              [](CTransferJob* running)
                              {
                                  const int list = running->Run(CPropertySet());
                                  g_ran->set_value(list);
                              }));
    EXPECT_EQ(owner.lists[kJobListRunning].m_head, &job);
    auto done = ran.get_future();
    ASSERT_EQ(done.wait_for(10s), std::future_status::ready);
    const int list = done.get();
    job.ReturnToList(list);
    EXPECT_EQ(job.GetStatus().m_state, kJobListFinished);
    EXPECT_EQ(ReadWhole(local), "hello world");
    pool.StopAndWait();
    g_ran = nullptr;
}

} // namespace

// The job keeps the address of the services it was given, not a copy: its
// log goes back to that registry when the job goes, and a job given none
// runs with the program's log registry.
TEST(TransferJobServicesTest, TheJobUsesTheServicesItWasGiven)
{
    CLogRegistry registry;
    const CTransferServices services{.m_logs = &registry};
    const int logId = registry.CreateLog();
    {
        CTransferJob job;
        EXPECT_EQ(&job.GetServices().Logs(), &GetLogManager());
        job.SetServices(services);
        EXPECT_EQ(&job.GetServices(), &services);
        job.SetInt(LI_LOG_ID, logId);
    }
    EXPECT_FALSE(registry.ReleaseLog(logId)) << "the job released its log in its own registry";
}
