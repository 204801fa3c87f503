// CTransferJob::Run and its steps: the existing-file rules, the remote
// information, the attempt loop with its retries.

#include "transfer/jobs/TransferJob.h"

#include "foundation/files/FileSystem.h"
#include "foundation/links/UrlParts.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/text/DisplayFormats.h"
#include "platform/core/RefPtr.h"
#include "transfer/base/LogRegistry.h"
#include "transfer/base/OptionalLog.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferCounter.h"
#include "transfer/base/TransferLog.h"
#include "transfer/base/TransferLogPair.h"
#include "transfer/client/ProtocolClient.h"
#include "transfer/client/ResourceKind.h"
#include "transfer/jobs/CheckFolder.h"
#include "transfer/jobs/TransferMeter.h"

#include <unistd.h>

namespace
{

constexpr int kKindText = 1;
constexpr int kKindHtml = 3;
constexpr int kKindFtpList = 8;
constexpr int kKindLocalFolder = 10;
constexpr int kKindUrlList = 14;

bool IsKnownKind(int kind)
{
    return kind >= 1 && kind < kResourceTypeCount;
}

// The folder part of a local file path: the text before the last '/'.
std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The outermost of the folders on the way to folder that do not exist
// (folder itself when only it is missing); empty when folder exists.
std::string OutermostMissingFolder(std::string folder)
{
    std::string missing;
    while (!folder.empty() && GetPathKind(folder) == kPathMissing)
    {
        missing = folder;
        folder = FolderOf(folder);
    }
    return missing;
}

// Removes folder and the folders above it up to top, as long as each is
// empty. rmdir removes nothing else: a folder with anything in it (a file
// another job put there) stays, with those above it.
void RemoveEmptyFoldersUpTo(std::string folder, const std::string& top)
{
    while (folder.size() >= top.size() && folder.compare(0, top.size(), top) == 0 &&
           ::rmdir(folder.c_str()) == 0 && folder != top)
        folder = FolderOf(folder);
}

} // namespace

// One run of a job: the logs it writes to and the steps of Run.
class CTransferJob::CRunContext
{
public:
    CRunContext(CTransferJob& job, const IPropertySet& settings);
    ~CRunContext();
    CRunContext(const CRunContext&) = delete;
    CRunContext& operator=(const CRunContext&) = delete;

    // The list the job goes to.
    int Run();

private:
    int RunOperation();
    int Check();
    // localInfoRead: Run has just read the local file's information and
    // nothing since could have changed it, so it is not read again (a
    // look-up of a missing name costs a wait on the folder's lock).
    int Transfer(bool localInfoRead);
    int SkipRule(bool localExists);
    int FetchRemoteInfo(bool force, bool errorsAsErrors);
    int Connect();
    int AttemptLoop(bool restartFromZero);
    // Deletes the local file; message 22 and 108 when that fails.
    int DeleteLocalFile();
    // Property 604 or 704 read as a kind, 0 outside 0 to 17.
    int Kind(int id) const;
    // An HTTP request with a body: never resumed, never looked at first.
    bool IsHttpPost() const;
    // A URL that names a static file: not empty, not a page by its type or
    // name, no query, not a folder.
    bool IsPlainFileUrl() const;
    void ShowLocalAndRemote(int remaining);
    int Finish(int result);

    CTransferJob& m_job;
    CProtocolClient& m_client;
    const IPropertySet& m_settings;
    // The job's own log (property 59) and the pair the client writes to,
    // which the job's lines go to as well. Either may be null.
    CRefPtr<ITransferLog> m_jobLog;
    CRefPtr<ITransferLog> m_log;
    // The log of the pooled client, which serves job after job: trimmed
    // like the job's own log, else it grows with every line of every job.
    CRefPtr<ITransferLog> m_clientLog;
    // The outermost folder that this run created for the local file, empty
    // when it created none; removed again, with the folders below it, when
    // the run fails and leaves them empty.
    std::string m_createdFolder;
    std::string m_localPath;
    std::string m_url;
    // Whether the local file was there when Run began.
    bool m_localExistsAtStart = false;
};

CTransferJob::CRunContext::CRunContext(CTransferJob& job, const IPropertySet& settings)
    : m_job(job), m_client(*job.m_client), m_settings(settings)
{
    m_job.LoadOptionsFrom(settings);
    const int logId = GetIntOr(m_job, LI_LOG_ID);
    if (logId != 0 && logId != -1)
        m_jobLog = CRefPtr<ITransferLog>::Adopt(m_job.m_services->Logs().GetLog(logId));
    const int clientLogId = m_client.GetLogId();
    if (clientLogId != 0 && clientLogId != -1 && clientLogId != logId)
        m_clientLog = CRefPtr<ITransferLog>::Adopt(m_job.m_services->Logs().GetLog(clientLogId));
    m_log =
        CRefPtr<ITransferLog>::Adopt(CTransferLogPair::Make(m_jobLog.Get(), m_clientLog.Get(), clientLogId));
    m_localPath = m_job.GetStringValue(LI_LOCAL_FILE);
    m_url = m_job.GetUrl();
}

CTransferJob::CRunContext::~CRunContext() = default;

int CTransferJob::CRunContext::Run()
{
    // A stop that came before the pool started us: nothing is touched.
    if (m_job.IsStopRequested() || m_client.IsAborted())
        return Finish(kResultStopped);

    CTransferCounter counter(m_job);
    m_client.SetTrafficObserver(&counter);
    m_localExistsAtStart = m_client.GetLocalFileInfo(m_job, m_log.Get()) == kResultOk;
    m_job.SetPhase(kJobPhaseStarted);

    const int result = RunOperation();

    m_client.SetTrafficObserver(nullptr);
    const int64_t received = GetInt64Or(m_job, LI_BYTES_RECEIVED, 0);
    const int64_t sent = GetInt64Or(m_job, LI_BYTES_SENT, 0);
    LogFormat(m_log.Get(), kLogStatus, "Total bytes received: %s, total bytes sent: %s.",
              FormatSizeWithBytes(received, 2, "").c_str(), FormatSizeWithBytes(sent, 2, "").c_str());
    return Finish(result);
}

int CTransferJob::CRunContext::RunOperation()
{
    switch (m_job.GetOperation())
    {
    case LI_OP_NONE:
        LogFormat(m_log.Get(), kLogStatus, "Empty operation is done.");
        return kResultOk;
    case LI_OP_DOWNLOAD:
        return Transfer(true);
    case LI_OP_UPLOAD:
        LogFormat(m_log.Get(), kLogError, "Upload is not implemeted.");
        return kResultNotSupported;
    case LI_OP_FILE_INFO:
    {
        m_client.GetLocalFileInfo(m_job, m_log.Get());
        const int result = FetchRemoteInfo(true, false);
        ShowLocalAndRemote(0);
        return result;
    }
    case LI_OP_CHECK:
        return Check();
    default:
        LogFormat(m_log.Get(), kLogError, "Operation is not supported or implemeted.");
        return kResultNotSupported;
    }
}

int CTransferJob::CRunContext::Finish(int result)
{
    // The settings' values were for this run; a finished job is kept until
    // it is removed, and the next run loads them again.
    m_job.DropOptions();
    m_job.SetResult(result);
    if (result == kResultStopped)
        LogMessage(m_jobLog.Get(), kLogStatus, kMessageConnectionClosed);
    if (result != kResultOk && !m_createdFolder.empty())
        RemoveEmptyFoldersUpTo(FolderOf(m_localPath), m_createdFolder);
    // A limit of 0 (a missing setting) would empty the log rather than
    // bound it.
    const int limit = GetIntOr(m_settings, SETTING_LOGS_MAX_LOG_LINES);
    for (ITransferLog* log : {m_jobLog.Get(), m_clientLog.Get()})
    {
        if (log && limit > 0)
        {
            TrimLog(log, limit);
        }
    }
    // The job is kept until it is removed, usually without another write:
    // its record and its own log give back what they held for writing.
    // (The pooled client's log serves the next job and stays as it is.)
    m_job.Compact();
    if (m_jobLog)
        m_jobLog->Compact();
    return result == kResultOk ? kJobListFinished : kJobListIdle;
}

int CTransferJob::CRunContext::Kind(int id) const
{
    const int kind = GetIntOr(m_job, id);
    return kind >= 0 && kind < kResourceTypeCount ? kind : 0;
}

void CTransferJob::CRunContext::ShowLocalAndRemote(int remaining)
{
    m_job.SetProgress(-1, 0, remaining, GetInt64Or(m_job, LI_LOCAL_SIZE, 0), GetInt64Or(m_job, LI_SIZE, -1));
}

bool CTransferJob::CRunContext::IsHttpPost() const
{
    const int scheme = m_job.GetUrlParts().m_scheme;
    return (scheme == URL_SCHEME_HTTP || scheme == URL_SCHEME_HTTPS) && m_job.Has(LI_POST_DATA);
}

bool CTransferJob::CRunContext::IsPlainFileUrl() const
{
    return !m_url.empty() && GetResourceKind(m_job.GetStringValue(LI_CONTENT_TYPE), m_url) != kKindHtml &&
           m_url.find('?') == std::string::npos && m_url.back() != '/';
}

int CTransferJob::CRunContext::Check()
{
    if (IsHttpPost() || !IsPlainFileUrl())
        return Transfer(false);
    const int result = FetchRemoteInfo(true, false);
    if (result != kResultOk)
        return result;
    const int kind = Kind(LI_RESOURCE_TYPE);
    if (kind == kKindHtml || kind == kKindFtpList)
        return Transfer(false);
    m_client.GetLocalFileInfo(m_job, m_log.Get());
    ShowLocalAndRemote(0);
    return kResultOk;
}

int CTransferJob::CRunContext::Connect()
{
    return m_client.RunWithRetries(m_job, m_log.Get());
}

int CTransferJob::CRunContext::FetchRemoteInfo(bool force, bool errorsAsErrors)
{
    const bool known = IsKnownKind(GetIntOr(m_job, LI_RESOURCE_TYPE));
    if (!force && known && !m_job.IsStale())
        return kResultOk;
    if (known)
        LogFormat(m_log.Get(), kLogStatus, "Available remote file info: %s.", m_job.GetDescription().c_str());
    int result = Connect();
    if (result != kResultOk)
        return result;
    const std::string url = m_job.GetUrlText(true, false);
    LogMessage(m_log.Get(), kLogStatus, kMessageGettingFileInfo, url.c_str());
    result = m_client.GetRemoteFileInfo(m_job, m_log.Get());
    m_job.SetPhase(kJobPhaseRemoteInfo);
    if (result == kResultRemoteNotFound)
        LogMessage(m_log.Get(), errorsAsErrors ? kLogError : kLogStatus, kMessageFileNotFound, url.c_str());
    else if (result != kResultOk && result != kResultStopped)
        LogMessage(m_log.Get(), kLogError, kMessageCannotGetFileInfo, url.c_str());
    return result;
}

int CTransferJob::CRunContext::SkipRule(bool localExists)
{
    if (!m_job.TestFlag(LI_FLAG_SKIP_EXISTING))
        return kResultOk;
    if (localExists)
    {
        m_job.SetProgress(-1, 0, -1, GetInt64Or(m_job, LI_LOCAL_SIZE, 0), -1);
        LogFormat(m_log.Get(), kLogStatus, "Transfer skipped: file exists, option: skip.");
        m_job.SetPhase(kJobPhaseDone);
        return kSkipRuleSkipped;
    }
    std::string folder;
    m_settings.GetString(SETTING_MISC_CHECK_FOLDER, folder);
    if (folder.empty() || !DirectoryExists(folder))
        return kResultOk;
    const std::string candidate = FindCheckFolderFile(folder, m_localPath);
    if (candidate.empty())
        return kResultOk;
    if (!CopyFileCreatingDirs(candidate, m_localPath))
    {
        LogMessage(m_log.Get(), kLogError, kMessageCannotCopyFile, candidate.c_str(), m_localPath.c_str());
        return kResultAccessDenied;
    }
    m_job.SetProgress(-1, 0, -1, GetFileSize64(m_localPath), -1);
    LogFormat(m_log.Get(), kLogStatus, "Transfer skipped: check file exists, option: skip.");
    m_job.SetPhase(kJobPhaseDone);
    return kSkipRuleSkipped;
}

int CTransferJob::CRunContext::DeleteLocalFile()
{
    if (DeleteFileForce(m_localPath))
        return kResultOk;
    LogMessage(m_log.Get(), kLogError, kMessageCannotRemoveFile, m_localPath.c_str());
    return kResultAccessDenied;
}

int CTransferJob::CRunContext::Transfer(bool localInfoRead)
{
    bool resume = m_job.TestFlag(LI_FLAG_RESUME);
    bool binaryResume = m_job.TestFlag(LI_FLAG_BINARY_RESUME);
    const bool restartFromZero = m_job.TestFlag(LI_FLAG_RESTART_FROM_ZERO);
    const bool asciiAtStart = GetIntOr(m_job, LI_ASCII_TRANSFER) != 0;
    bool ascii = asciiAtStart;
    if (ascii)
        binaryResume = false;
    bool localExists =
        localInfoRead ? m_localExistsAtStart : m_client.GetLocalFileInfo(m_job, m_log.Get()) == kResultOk;
    ShowLocalAndRemote(0);

    int result = SkipRule(localExists);
    if (result == kSkipRuleSkipped)
        return kResultOk;
    if (result != kResultOk)
        return result;

    if (IsHttpPost() || !IsPlainFileUrl())
        resume = binaryResume = false;

    const int localKind = Kind(LI_LOCAL_RESOURCE_TYPE);
    const int64_t localSize = GetInt64Or(m_job, LI_LOCAL_SIZE, 0);
    // The look for missing folders has just found the folder there (the
    // usual case): it is not looked at again before the download, which
    // looks once more itself. A name without a folder is still refused here.
    const std::string missing = OutermostMissingFolder(FolderOf(m_localPath));
    if (!missing.empty() || m_localPath.find('/') == std::string::npos)
    {
        result = m_client.EnsureLocalDir(m_localPath, m_log.Get());
        if (!missing.empty() && DirectoryExists(missing))
            m_createdFolder = missing;
        if (result != kResultOk)
            return result;
    }

    bool resuming = false;
    if ((resume || binaryResume) && localExists)
    {
        if (localKind == kKindLocalFolder)
        {
            // Only an empty folder gives way: a resume must never delete
            // what the user keeps in a folder of that name.
            result = ClearFolderInTheWay(m_localPath, m_log.Get());
            if (result != kResultOk)
                return result;
            localExists = false;
        }
        else
        {
            const std::string oldTag = m_job.GetStringValue(LI_ETAG);
            result = FetchRemoteInfo(false, true);
            if (result != kResultOk)
                return result;
            const bool tagChanged = !oldTag.empty() && oldTag != m_job.GetStringValue(LI_ETAG);
            const int remoteKind = Kind(LI_RESOURCE_TYPE);
            if (!asciiAtStart &&
                (remoteKind == kKindText || remoteKind == kKindHtml || remoteKind == kKindUrlList))
            {
                ascii = true;
                LogFormat(m_log.Get(), kLogStatus, "File type updated to ASCII.");
                m_job.SetInt(LI_ASCII_TRANSFER, 1);
            }
            if (binaryResume)
                resume = !ascii;
            if (resume)
            {
                const int64_t remoteSize = GetInt64Or(m_job, LI_SIZE, -1);
                bool overwrite = true;
                if (tagChanged)
                    LogFormat(m_log.Get(), kLogStatus, "Overwrite condition: E-Tag changed.");
                else if (remoteSize == -1)
                    LogFormat(m_log.Get(), kLogStatus, "Overwrite condition: remote size unknown.");
                else if (remoteSize < localSize)
                    LogFormat(m_log.Get(), kLogStatus,
                              "Overwrite condition: remote size %I64d < local size %I64d.", remoteSize,
                              localSize);
                else if (remoteKind == kKindFtpList)
                    LogFormat(m_log.Get(), kLogStatus, "Overwrite condition: listing.");
                else
                    overwrite = false;
                if (overwrite)
                {
                    LogMessage(m_log.Get(), kLogStatus, kMessageRemovingFile, m_localPath.c_str());
                    result = DeleteLocalFile();
                    if (result != kResultOk)
                        return result;
                    localExists = false;
                }
                else if (remoteSize == localSize)
                {
                    m_job.SetProgress(-1, 0, 0, localSize, remoteSize);
                    LogFormat(m_log.Get(), kLogStatus,
                              binaryResume ? "Transfer skipped: size is same, option: resume binary."
                                           : "Transfer skipped: size is same, option: resume.");
                    m_job.SetPhase(kJobPhaseDone);
                    return kResultOk;
                }
                else
                {
                    LogFormat(m_log.Get(), kLogStatus,
                              binaryResume ? "Binary transfer resumed: local size is smaller, option: resume."
                                           : "Transfer resumed: local size is smaller, option: resume.");
                    resuming = true;
                }
            }
        }
    }

    if (!resuming && localExists)
    {
        if (localKind == kKindLocalFolder)
        {
            LogFormat(m_log.Get(), kLogError, "Cannot overwrite local directory, remove it first.");
            return kResultAccessDenied;
        }
        LogFormat(m_log.Get(), kLogStatus, "Overwrite condition: by task.");
        LogMessage(m_log.Get(), kLogStatus, kMessageRemovingFile, m_localPath.c_str());
        result = DeleteLocalFile();
        if (result != kResultOk)
            return result;
    }

    m_job.SetInt(LI_ASCII_TRANSFER, ascii ? 1 : 0);
    LogMessage(m_log.Get(), kLogStatus, kMessageTransferring);
    return AttemptLoop(restartFromZero);
}

int CTransferJob::CRunContext::AttemptLoop(bool restartFromZero)
{
    ITransferJobOwner* owner = m_job.GetOwner();
    const int retries = GetIntOr(m_job, LI_TRANSFER_RETRIES);
    int attempts = 0;
    bool restart = false;
    for (;;)
    {
        if (restart && FileExists(m_localPath))
        {
            const int result = DeleteLocalFile();
            if (result != kResultOk)
                return result;
        }
        CTransferMeter meter(m_job, true);
        if (owner)
            owner->RegisterProgressMeter(&meter);
        int result = Connect();
        if (result != kResultOk)
        {
            // The connect has had its own retries: another round of them
            // for each transfer retry would hold a dead host for an age.
            if (owner)
                owner->UnregisterProgressMeter(&meter);
            return result;
        }
        result = m_client.DownloadToFile(m_job, m_log.Get(), &meter);
        m_job.SetPhase(kJobPhaseDone);
        m_client.GetLocalFileInfo(m_job, m_log.Get());
        if (owner)
            owner->UnregisterProgressMeter(&meter);
        if (result == kResultOk)
        {
            LogMessage(m_log.Get(), kLogStatus, kMessageTransferFinished);
            return kResultOk;
        }
        if (m_client.IsAborted() || m_job.IsStopRequested())
            return kResultStopped;
        if (result == kResultBadResumeOffset)
        {
            restart = true;
            if (!restartFromZero)
            {
                LogMessage(m_log.Get(), kLogError, kMessageTransferFailed);
                return result;
            }
        }
        else if (!IsRetryableResult(result))
        {
            // Also when data came: a local failure such as a full disk would
            // otherwise be retried without end, a few bytes at a time.
            LogMessage(m_log.Get(), kLogError, kMessageTransferFailed);
            return result;
        }
        // Every retry counts, also one after data came: a server that breaks
        // each connection after a few bytes would otherwise hold the job
        // without end, and a limit of 0 would not mean "never again".
        if (++attempts > retries)
        {
            LogMessage(m_log.Get(), kLogError, kMessageTransferFailed);
            return result;
        }
        LogMessage(m_log.Get(), kLogStatus, kMessageTransferRetry, attempts);
        // The connection broke after bringing data: the next attempt goes on
        // from there at once.
        if (!meter.HasMoved() && m_client.RetryWait(m_job, m_log.Get()) == kResultStopped)
            return kResultStopped;
    }
}

int CTransferJob::Run()
{
    return Run(m_services->Settings());
}

int CTransferJob::Run(const IPropertySet& settings)
{
    if (!m_client)
    {
        SetResult(kResultNotSupported);
        return kJobListIdle;
    }
    CRunContext context(*this, settings);
    return context.Run();
}
