#include "transfer/client/ProtocolClient.h"

#include "foundation/files/BufferedFile.h"
#include "foundation/files/DirectoryTree.h"
#include "foundation/files/FileAttributes.h"
#include "foundation/files/FileSystem.h"
#include "foundation/links/LinkItem.h"
#include "platform/core/OleDateTime.h"
#include "platform/core/PosixFile.h"
#include "platform/core/TickCount.h"
#include "transfer/http/ContentCoding.h"
#include "transfer/client/DownloadInflation.h"
#include "transfer/base/OptionalLog.h"
#include "transfer/auth/PromptRequestQueue.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "transfer/client/ResourceKind.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferProgress.h"
#include "transfer/net/HostAddress.h"

#include <cerrno>
#include <chrono>
#include <unistd.h>

namespace
{

// The resource kind of a local folder (LinkTypeName: "LOCALFOLDER").
constexpr int kKindLocalFolder = 10;

constexpr const char* kLocalTimeFormat = "%m/%d/%Y %H:%M:%S";

std::atomic<int> g_instanceCounter{0};

// Property 603, when it reads as a date, as the file's modification time
// (best effort: a file whose date cannot be set is still a good file).
void SetServerFileTime(const CLinkItem& request, const std::string& path)
{
    std::string timeText;
    request.GetString(LI_TIME, timeText);
    COleDateTime modified;
    time_t when = 0;
    if (!timeText.empty() && modified.ParseDateTime(timeText) && modified.ToTimeT(when, true))
        PosixSetModifiedTime(path, when);
}

} // namespace

bool IsRetryableResult(int code)
{
    switch (code)
    {
    case kResultTimeout:
    case kResultControlClosed:
    case kResultDataClosed:
    case kWsaNetDown:
    case kWsaConnAborted:
    case kWsaConnReset:
    case kWsaTimedOut:
    case kWsaConnRefused:
    case kWsaHostDown:
        return true;
    default:
        return false;
    }
}

int ClearFolderInTheWay(const std::string& path, ITransferLog* log)
{
    if (!DirectoryExists(path))
        return kResultOk;
    // rmdir removes only an empty folder, and only a real one (a link to a
    // folder gives ENOTDIR), so nothing that anybody put there is lost.
    if (::rmdir(path.c_str()) == 0)
    {
        LogMessage(log, kLogStatus, kMessageRemovingDir, path.c_str());
        return kResultOk;
    }
    if (errno == ENOTEMPTY || errno == EEXIST || errno == ENOTDIR)
    {
        LogFormat(log, kLogError, "Cannot overwrite local directory, remove it first.");
        return kResultAccessDenied;
    }
    LogMessage(log, kLogStatus, kMessageRemovingDir, path.c_str());
    LogMessage(log, kLogError, kMessageCannotRemoveDir, path.c_str());
    return kResultAccessDenied;
}

CProtocolClient::CProtocolClient(int protocol) : m_protocol(protocol), m_instanceNumber(++g_instanceCounter)
{
    Touch();
}

CProtocolClient::~CProtocolClient() = default;

void CProtocolClient::Close()
{
    const int promptId = m_pendingPromptId.load();
    if (promptId != 0)
        m_services.Prompts().Cancel(promptId);
}

void CProtocolClient::Abort()
{
    // The flag first: a prompt posted after Close looked for it sees the
    // flag and gives up by itself.
    SetAborted(1);
    Close();
}

int CProtocolClient::SetAborted(int value)
{
    const int old = m_abort.exchange(value);
    if (value != 0)
    {
        {
            std::lock_guard<std::mutex> lock(m_waitMutex);
            m_waitChanged.notify_all();
        }
        WakeHostLookups();
    }
    return old;
}

int CProtocolClient::SetConnected(int value)
{
    return m_connected.exchange(value);
}

void CProtocolClient::Touch()
{
    m_activityMs.store(GetTickCount64());
}

int CProtocolClient::GetIdleSeconds() const
{
    const int64_t idle = GetTickCount64() - m_activityMs.load();
    return idle > 0 ? int(idle / 1000) : 0;
}

std::string CProtocolClient::GetLocalFilePath(const CLinkItem& request)
{
    std::string path;
    request.GetString(LI_LOCAL_FILE, path);
    return path;
}

int CProtocolClient::EnsureLocalDir(const std::string& path, ITransferLog* log)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
    {
        LogFormat(log, kLogError, "Invalid name %s.", path.c_str());
        return kResultInvalidParameter;
    }
    const std::string folder = path.substr(0, slash);
    // A file right below the root needs no folder.
    if (folder.empty() || DirectoryExists(folder))
        return kResultOk;
    LogFormat(log, kLogStatus, "Creating new local dir %s.", folder.c_str());
    if (!CreateDirectoryTree(folder))
    {
        LogFormat(log, kLogError, "Cant create local dir %s.", folder.c_str());
        return kResultAccessDenied;
    }
    return kResultOk;
}

int CProtocolClient::DownloadToFile(CLinkItem& request, ITransferLog* log, ITransferProgress* meter)
{
    if (IsAborted())
        return kResultStopped;
    const std::string path = GetLocalFilePath(request);
    if (path.find('/') == std::string::npos)
        return EnsureLocalDir(path, log); // refuses the name
    // The open comes first and tells whether it made the file: the folder
    // and the path are looked at only when the open fails, since only then
    // can a missing folder be made or a folder in the way be cleared. (The
    // usual download goes to a folder that is there.)
    CBufferedFile file;
    bool opened = file.Open(path, CBufferedFile::modeWrite);
    int result = kResultOk;
    if (!opened)
    {
        result = EnsureLocalDir(path, log);
        if (result != kResultOk)
            return result;
        opened = file.Open(path, CBufferedFile::modeWrite);
    }
    if (!opened && GetPathKind(path) == kPathDirectory)
    {
        result = ClearFolderInTheWay(path, log);
        if (result != kResultOk)
            return result;
        opened = file.Open(path, CBufferedFile::modeWrite);
    }
    if (!opened)
    {
        LogMessage(log, kLogError, kMessageCannotOpenFile, path.c_str());
        return file.GetLastError() ? file.GetLastError() : kResultInvalidParameter;
    }
    const bool existed = !file.WasCreated();
    // The resume point: whatever an earlier attempt left (a file just made
    // holds nothing).
    const int64_t offset = existed ? file.GetLength() : 0;
    int64_t expected = -1;
    if (!request.GetInt64(LI_SIZE, expected))
        expected = -1;
    if (meter)
        meter->Begin(offset, expected);

    result = Download(request, file, offset, -1, log, meter);

    int64_t length = file.GetLength();
    if (!file.Close() && result == kResultOk)
    {
        // Bytes the download counted as stored never reached the disk.
        LogFormat(log, kLogError, "Cannot write file \"%s\".", path.c_str());
        result = WriteFailureCode(file.GetLastError());
    }

    if (result == kResultOk)
    {
        if (MustInflateDownload(request))
        {
            std::string encoding;
            request.GetString(LI_CONTENT_ENCODING, encoding);
            result = InflateDownloadedFile(*this, path, GetContentCoding(encoding), log, length);
        }
        if (result == kResultOk)
        {
            if (meter)
                meter->SetValues(length, length);
            request.SetInt64(LI_SIZE, length);
            // Only a whole file takes the server's date: a part dated like
            // the whole would pass for the finished file (and a later
            // comparison of dates would skip it). Set after the inflation,
            // which replaces the file.
            SetServerFileTime(request, path);
        }
    }
    if (result != kResultOk && !existed && FileExists(path) && GetFileSize64(path) == 0)
        DeleteFileForce(path);
    return result;
}

int CProtocolClient::GetLocalFileInfo(CLinkItem& request, ITransferLog* log)
{
    const std::string path = GetLocalFilePath(request);
    int64_t size = 0;
    COleDateTime modified;
    uint32_t attributes = 0;
    if (!path.empty() && GetFileInfo(path, size, modified, attributes))
    {
        const int kind =
            (attributes & kFileAttributeDirectory) ? kKindLocalFolder : GetResourceKind("", path);
        const std::string time = modified.Format(kLocalTimeFormat);
        request.SetInt64(LI_LOCAL_SIZE, size);
        request.SetInt(LI_LOCAL_RESOURCE_TYPE, kind);
        request.SetString(LI_LOCAL_TIME, time.c_str());
        LogMessage(log, kLogStatus, kMessageFileInfo, path.c_str(), static_cast<long long>(size),
                   time.c_str());
        return kResultOk;
    }
    // Values of a copy that is gone would make it look present.
    request.Remove(LI_LOCAL_SIZE);
    request.Remove(LI_LOCAL_RESOURCE_TYPE);
    request.Remove(LI_LOCAL_TIME);
    const int operation = request.GetOperation();
    if (operation != LI_OP_DOWNLOAD && operation != LI_OP_FILE_INFO && operation != LI_OP_CHECK)
        LogMessage(log, kLogError, kMessageFileNotFound, path.c_str());
    return kResultNotFound;
}

int CProtocolClient::RunWithRetries(CLinkItem& request, ITransferLog* log)
{
    int retries = 0;
    request.GetInt(LI_CONNECTION_RETRIES, retries);
    int attempt = 0;
    int result;
    for (;;)
    {
        if (attempt > 0)
            LogMessage(log, kLogStatus, kMessageRetryFrom, attempt, retries);
        result = Connect(request, log);
        if (IsAborted())
            return kResultStopped;
        if (!IsRetryableResult(result) || retries < ++attempt)
            break;
        if (RetryWait(request, log) != kResultOk)
            return kResultStopped;
    }
    if (result != kResultOk && result != kResultStopped)
        LogMessage(log, kLogError, kMessageConnectionFailed);
    return result;
}

int CProtocolClient::RetryWait(CLinkItem& request, ITransferLog* log)
{
    int delay = 0;
    request.GetInt(LI_CONNECTION_DELAY, delay);
    if (delay < 0)
        delay = 0;
    LogMessage(log, kLogStatus, kMessageWaitingSeconds, delay);
    std::unique_lock<std::mutex> lock(m_waitMutex);
    m_waitChanged.wait_for(lock, std::chrono::seconds(delay), [this] { return IsAborted(); });
    return IsAborted() ? kResultStopped : kResultOk;
}

int CProtocolClient::PromptCredentials(const std::string& prompt, std::string& user, std::string& password,
                                       ITransferLog* log)
{
    if (log)
        log->AppendLine(kLogStatus, "Need user/pass - prompting...");
    bool unanswered = false;
    const int answered =
        m_services.Prompts().PostAndWait(m_pendingPromptId, user, password, prompt, &m_abort, &unanswered);
    if (answered)
    {
        LogFormat(log, kLogStatus, "Prompt complete: user:%s, pass:****.", user.c_str());
        return kResultOk;
    }
    LogFormat(log, kLogStatus, "Prompt canceled.");
    // Nobody there to answer (no window, or nobody in time): the server's
    // refusal stands. "Stopped" is kept for a stop or a dismissed prompt.
    return unanswered && !IsAborted() ? kResultRemoteAccessDenied : kResultStopped;
}

int CProtocolClient::ConnectionTimeoutMs(const IPropertySet& settings)
{
    constexpr int kMinimumMs = 1000;
    constexpr int kMaximumSeconds = 24 * 3600;
    // Settings without the entry (a caller's own, partly filled) get the
    // program's default rather than the one-second floor.
    constexpr int kDefaultSeconds = 120;
    int seconds = 0;
    if (!settings.GetInt(SETTING_CONNECTIONS_CONNECTION_TIMEOUT, seconds))
        seconds = kDefaultSeconds;
    const int64_t ms = int64_t(seconds > kMaximumSeconds ? kMaximumSeconds : seconds) * 1000;
    return ms < kMinimumMs ? kMinimumMs : static_cast<int>(ms);
}

std::string CProtocolClient::GetSiteKey()
{
    CScopedLock lock(m_lock);
    return m_siteKey;
}

void CProtocolClient::SetSiteKey(const std::string& key)
{
    CScopedLock lock(m_lock);
    m_siteKey = key;
}

std::string CProtocolClient::GetProxyKey()
{
    CScopedLock lock(m_lock);
    return m_proxyKey;
}

void CProtocolClient::SetProxyKey(const std::string& key)
{
    CScopedLock lock(m_lock);
    m_proxyKey = key;
}

std::string CProtocolClient::GetUserName()
{
    CScopedLock lock(m_lock);
    return m_userName;
}

std::string CProtocolClient::GetPassword()
{
    CScopedLock lock(m_lock);
    return m_password;
}

void CProtocolClient::SetLogin(const std::string& user, const std::string& password)
{
    CScopedLock lock(m_lock);
    m_userName = user;
    m_password = password;
}
