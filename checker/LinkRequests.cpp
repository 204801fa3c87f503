// The per-link half of the engine: joining a new link to the URL record of
// its URL, answering local files and folders at once and offline links from
// the site cache, handing the others to the transfer side, and taking each
// finished transfer back into the record, its first link and the links that
// repeat its URL.

#include "checker/LinkChecker.h"

#include "checker/CacheFilePath.h"
#include "checker/CrawlTransport.h"
#include "checker/LinkNode.h"
#include "checker/MirrorPath.h"
#include "checker/UrlRecord.h"

#include "foundation/files/FileSystem.h"
#include "foundation/files/PathUtils.h"
#include "foundation/links/JobStatus.h"
#include "foundation/links/LinkItem.h"
#include "foundation/links/UrlParts.h"
#include "platform/core/LocalPath.h"
#include "platform/core/TickCount.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/client/ResourceKind.h"
#include "transfer/client/ServerDateText.h"

#include <algorithm>

namespace
{
// Task actions (property 116).
constexpr int kActionBrowse = 1;
constexpr int kActionBrowseOffline = 2;
constexpr int kActionDownload = 3;

// Job states of the transfer side.
constexpr int kJobStopped = 1;
constexpr int kJobWaiting = 2;
constexpr int kJobRunning = 3;
constexpr int kJobDone = 4;

// The phase of a job status whose transfer step ran: the body is on disk.
constexpr int kPhaseTransferred = 1;

// Every request of the link checker carries this flag.
constexpr int kCheckRequestFlag = LI_FLAG_BINARY_RESUME;

// The key of a node's URL record: the URL, and for a remote POST link "/"
// and the POST description as well, compared exactly. `storage` holds a
// composed key; a plain URL is used where it lies.
std::string_view DuplicateKey(const CLinkNode& node, std::string& storage)
{
    if (node.m_postDescription.empty() || IsLocalPath(node.m_url))
        return node.m_url;
    storage = node.m_url + "/" + node.m_postDescription;
    return storage;
}

// The file-system path of a local link's text (the text itself when it does
// not convert).
std::string LocalPathOf(const std::string& url)
{
    std::string path;
    return ToFileSystemPath(url, path) ? path : url;
}

int64_t NonNegative(int64_t value)
{
    return value < 0 ? 0 : value;
}

int64_t GetInt64Property(const IPropertySet& set, int id)
{
    return GetInt64Or(set, id, 0);
}

COleDateTime ParsedDate(const CLinkItem& item, int id)
{
    COleDateTime date;
    date.m_status = COleDateTime::invalid;
    std::string text;
    if (item.GetString(id, text) && !text.empty())
        ParseDateText(text, date);
    return date;
}

// Consecutive redirect links from node upwards.
int RedirectChainLength(const CLinkNode* node)
{
    int length = 0;
    for (; node != nullptr && node->m_linkType == kTypeHttpRedirect; node = node->GetParent())
        ++length;
    return length;
}
} // namespace

// ---- Sizes and status ------------------------------------------------------------

void CLinkChecker::UpdateLocalSize(CUrlRecord* record, int64_t size)
{
    m_stats.m_localSize += NonNegative(size) - NonNegative(record->m_localSize);
    record->m_localSize = size;
    m_stats.Touch();
}

void CLinkChecker::UpdateRemoteSize(CUrlRecord* record, int64_t size)
{
    m_stats.m_remoteSize += NonNegative(size) - NonNegative(record->m_remoteSize);
    record->m_remoteSize = size;
    m_stats.Touch();
}

void CLinkChecker::SetLinkStatus(CUrlRecord* record, int status, int code, const std::string& text)
{
    record->m_status.SetState(status, code);
    record->SetText(text);
}

void CLinkChecker::SetContentKind(CUrlRecord* record, int kind)
{
    if (record->m_contentKind == kind)
        return;
    record->m_contentKind = kind;
    record->m_contentKindStamp = NextChangeStamp(record->m_contentKindStamp);
}

void CLinkChecker::ParsePage(CLinkNode* node, CEngineLock& lock)
{
    if (m_services.m_parsePage != nullptr)
        m_services.m_parsePage(*this, *node, lock);
}

// ---- PrepareLink -----------------------------------------------------------------

CUrlRecord* CLinkChecker::PrepareLink(CLinkNode* node, CEngineLock& lock)
{
    if (node->GetUrlRecord() != nullptr)
        return node->GetUrlRecord();
    if (!node->IsCheckable())
        return nullptr;
    std::string composed;
    CUrlRecord* record = m_urlRecords.FindOrAdd(DuplicateKey(*node, composed));
    node->AttachToUrlRecord(record, m_stats);
    if (record->m_firstNode != node)
        record->m_repeats.push_back(node);

    if (record->m_status.m_state == CUrlStatus::kNew)
    {
        if (node->m_state == kStateNotSupported)
        {
            SetContentKind(record, node->m_linkType);
            record->m_url = node->m_url;
            SetLinkStatus(record, CUrlStatus::kError, kResultNotSupported, "Not supported");
        }
        else if (IsLocalPath(node->m_url))
        {
            if (node->m_linkType == kTypeUnknown)
                node->SetLinkTypeCounted(GetResourceKind({}, node->m_url), m_stats);
            record->m_localTime = node->m_time;
            SetContentKind(record, node->m_linkType);
            record->m_url.clear();
            record->m_localPath = LocalPathOf(node->m_url);
            CheckLocalLink(node, false, lock);
        }
        else
        {
            record->m_remoteTime = node->m_time;
            SetContentKind(record, node->m_linkType);
            record->m_url = node->m_url;
            record->m_localPath = MakeLocalPath(node);
            UpdateRemoteSize(record, node->m_linkType == kTypeFtpList ? -1 : node->m_size);
            if (record->m_url.empty())
                SetLinkStatus(record, CUrlStatus::kError, kResultEmptyParameter, "empty url");
            else if (record->m_localPath.empty())
                SetLinkStatus(record, CUrlStatus::kError, kResultEmptyParameter, "empty local path");
            else
            {
                int64_t size = -1;
                COleDateTime time;
                uint32_t attributes = 0;
                if (!GetFileInfo(record->m_localPath, size, time, attributes))
                    size = -1;
                record->m_localTime = time;
                record->m_localAttributes = attributes;
                UpdateLocalSize(record, size);
            }
        }
    }
    node->m_localCopy = record->m_localPath;
    if (record->m_status.m_state == CUrlStatus::kNew)
        record->m_status.SetState(CUrlStatus::kWaiting, 0);
    return record;
}

std::string CLinkChecker::MakeLocalPath(const CLinkNode* node) const
{
    if (GetIntOr(m_task, TASK_ACTION) != kActionDownload || node->m_linkType == kTypeFtpList)
        return MakeCacheFilePath(*m_services.m_settings, node->m_url);
    const std::string folder = m_task.GetStringValue(TASK_DOWNLOAD_FOLDER);
    std::string relative;
    if (const CLinkNode* entry = node->GetSiteEntry())
    {
        // The part of the URL below the page where its site was entered.
        int scheme = 0;
        const std::string base = StripUrlScheme(entry->m_url.c_str(), false, scheme);
        const std::string url = StripUrlScheme(node->m_url.c_str(), false, scheme);
        const auto common = std::mismatch(base.begin(), base.end(), url.begin(), url.end());
        relative = url.substr(static_cast<size_t>(common.second - url.begin()));
    }
    else
    {
        const char* name = FindFileName(node->m_url.c_str());
        relative = name != nullptr ? name : node->m_url;
        const int scheme = GetUrlScheme(node->m_url.c_str(), false);
        if ((scheme == URL_SCHEME_HTTP || scheme == URL_SCHEME_HTTPS) && relative.find('.') == std::string::npos)
            relative += "[default].html";
    }
    return MirrorPathBelow(folder, relative);
}

// ---- Local links -----------------------------------------------------------------

void CLinkChecker::CheckLocalLink(CLinkNode* node, bool parseNow, CEngineLock& lock)
{
    CUrlRecord* record = node->GetUrlRecord();
    if (record->m_contentKind == kTypeLocalFolder)
    {
        if (DirectoryExists(record->m_localPath))
        {
            record->m_hasLocalCopy = true;
            SetLinkStatus(record, CUrlStatus::kDone, 0, "OK (Local directory)");
        }
        else
        {
            record->m_hasLocalCopy = false;
            SetLinkStatus(record, CUrlStatus::kError, kResultNotFound, "Local directory NOT found");
            node->SetBrokenCounted(kResultNotFound, m_stats);
        }
        return;
    }
    if (!record->m_url.empty())
        return;
    CheckLocalFile(node, record, parseNow, lock);
}

void CLinkChecker::CheckLocalFile(CLinkNode* node, CUrlRecord* record, bool parseNow, CEngineLock& lock)
{
    if (record->m_localSize < 0)
    {
        int64_t size = -1;
        COleDateTime time;
        uint32_t attributes = 0;
        if (!GetFileInfo(record->m_localPath, size, time, attributes))
        {
            record->m_hasLocalCopy = false;
            SetLinkStatus(record, CUrlStatus::kError, kResultNotFound, "Local file not found");
            node->SetBrokenCounted(kResultNotFound, m_stats);
            return;
        }
        node->SetSize(size);
        node->SetTime(time);
        record->m_localTime = time;
        record->m_localAttributes = attributes;
        record->m_hasLocalCopy = true;
        UpdateLocalSize(record, size);
    }
    else
    {
        UpdateLocalSize(record, node->m_size);
        record->m_hasLocalCopy = true;
    }
    if (record->m_contentKind != kTypeHtml)
    {
        SetLinkStatus(record, CUrlStatus::kDone, 0, "OK (local file)");
        node->SetStateCounted(kStateDownloaded, m_stats);
        return;
    }
    SetLinkStatus(record, CUrlStatus::kDone, 0, "OK (local HTML)");
    if (parseNow)
    {
        node->SetStateCounted(kStateDownloaded, m_stats);
        ParsePage(node, lock);
    }
}

// ---- StartLink -------------------------------------------------------------------

int CLinkChecker::StartLink(CLinkNode* node, CEngineLock& lock)
{
    CUrlRecord* record = node->GetUrlRecord();
    if (IsStopRequested() || record == nullptr)
    {
        node->SetStateCounted(kStateStopped, m_stats);
        return 0;
    }
    const CLinkNode* first = node->GetFirstOccurrence();
    if (first != node)
    {
        // A repetition follows its first link: now when that has ended,
        // else through PropagateToRepeats when it ends.
        if (first->m_state != kStateUnknown && first->m_state != kStateWaiting && first->m_state != kStateProcessing)
            node->SyncFromFirst(m_stats);
        return 0;
    }
    switch (record->m_status.m_state)
    {
    case CUrlStatus::kDone:
        node->SetStateCounted(kStateDownloaded, m_stats);
        ParsePage(node, lock);
        return 0;
    case CUrlStatus::kError:
        record->m_status.SetState(CUrlStatus::kWaiting, 0);
        break;
    case CUrlStatus::kWaiting:
        break;
    default:
        node->SetBrokenCounted(kResultTooManyRedirects, m_stats);
        return 0;
    }
    if (record->m_url.empty() && IsLocalPath(node->m_url))
    {
        if (record->m_contentKind == kTypeLocalFolder)
            CheckLocalLink(node, true, lock);
        else
            CheckLocalFile(node, record, true, lock);
        if (record->m_contentKind == kTypeLocalFolder && node->m_state == kStateWaiting)
        {
            node->SetStateCounted(kStateDownloaded, m_stats);
            ParsePage(node, lock);
        }
        return 0;
    }
    CLinkItem request;
    if (!BuildRequest(node, record, request))
    {
        SetLinkStatus(record, CUrlStatus::kError, kResultInvalidParameter, "cannot parse URL: " + record->m_url);
        node->SetBrokenCounted(kResultInvalidParameter, m_stats);
        return 0;
    }
    if (GetIntOr(m_task, TASK_ACTION) == kActionBrowseOffline)
    {
        AnswerOffline(node, record, request, lock);
        return 0;
    }
    request.SetOperationAndFlags(ChooseRequestKind(node, record, request), 0);
    request.SetFlag(kCheckRequestFlag);
    SubmitRequest(node, record, request);
    return 0;
}

bool CLinkChecker::BuildRequest(const CLinkNode* node, const CUrlRecord* record, CLinkItem& request) const
{
    if (!request.SetUrl(record->m_url.c_str(), false))
        return false;
    if (request.GetUrl().empty())
        request.SetString(LI_URL_PATH, "/");
    request.LoadOptionsFrom(*m_services.m_settings);
    request.SetString(LI_LOCAL_FILE, record->m_localPath.c_str());
    request.SetFlag(LI_REQUEST_OPTIONS, LI_OPTION_SEND_REFERRER, GetIntOr(m_task, TASK_ENABLE_REFERRER) != 0);
    if (!IsLocalPath(node->m_referrer))
        request.SetString(LI_REFERRER, node->m_referrer.c_str());
    return true;
}

int CLinkChecker::ChooseRequestKind(const CLinkNode* node, const CUrlRecord* record, CLinkItem& request) const
{
    const int action = GetIntOr(m_task, TASK_ACTION);
    if (action == kActionDownload || action == kActionBrowse || record->m_recheck)
        return LI_OP_DOWNLOAD;
    if (node->m_depth + 1 >= GetIntOr(m_task, TASK_RECURSION) && GetIntOr(m_task, TASK_FINISH_ON_MAX_REC) != 0)
        return LI_OP_FILE_INFO;
    if (node->m_url.empty() || node->m_linkType == kTypeHtml)
        return LI_OP_DOWNLOAD;
    if (!node->m_postDescription.empty())
    {
        const std::string& body = node->m_postDescription;
        request.SetBlob(LI_POST_DATA, reinterpret_cast<const uint8_t*>(body.data()), static_cast<int>(body.size()));
        return LI_OP_DOWNLOAD;
    }
    if (node->m_scope == kScopeExternal || node->m_scope == kScopeExtraExternal)
        return LI_OP_FILE_INFO;
    return LI_OP_CHECK;
}

void CLinkChecker::AnswerOffline(CLinkNode* node, CUrlRecord* record, CLinkItem& request, CEngineLock& lock)
{
    const bool found = m_services.m_transport->LookupSiteCache(request);
    if (found)
    {
        ApplyResponse(record, request);
        node->ApplyUrlRecord(m_stats);
    }
    const char* notOffline = "File info is not available offline";
    if (FileExists(record->m_localPath))
    {
        int64_t size = GetFileSize64(record->m_localPath);
        if (found && size == record->m_remoteSize)
        {
            record->m_hasLocalCopy = true;
            node->SetStateCounted(kStateDownloaded, m_stats);
            SetLinkStatus(record, CUrlStatus::kDone, 0, "");
            ParsePage(node, lock);
        }
        else if (found)
        {
            record->m_hasLocalCopy = false;
            node->SetStateCounted(kStateInfoOnly, m_stats);
            SetLinkStatus(record, CUrlStatus::kDone, 0, "");
        }
        else
        {
            record->m_hasLocalCopy = true;
            node->SetStateCounted(kStateNotAvailableOffline, m_stats);
            SetLinkStatus(record, CUrlStatus::kError, kResultNotFound, notOffline);
        }
        return;
    }
    record->m_hasLocalCopy = false;
    if (found)
    {
        node->SetStateCounted(kStateInfoOnly, m_stats);
        SetLinkStatus(record, CUrlStatus::kDone, 0, "");
    }
    else
    {
        node->SetStateCounted(kStateNotAvailableOffline, m_stats);
        SetLinkStatus(record, CUrlStatus::kError, kResultNotFound, notOffline);
    }
}

void CLinkChecker::SubmitRequest(CLinkNode* node, CUrlRecord* record, const CLinkItem& request)
{
    ICrawlTransport& transport = *m_services.m_transport;
    if (record->m_jobId != 0 && transport.UpdateJobRequest(record->m_jobId, request) == 1)
        record->m_jobId = 0;
    if (record->m_jobId == 0)
        transport.AddJob(request, record->m_jobId);
    if (record->m_jobId == 0 || transport.StartJob(record->m_jobId) != 0)
    {
        // A job that cannot be started is lost: the link ends Stopped, so
        // that a later run tries it again, and nothing is left in flight.
        SetLinkStatus(record, CUrlStatus::kError, kResultStopped, "xfer stopped");
        node->SetStateCounted(kStateStopped, m_stats);
        return;
    }
    m_inFlightIds.push_back(record->m_jobId);
    SetLinkStatus(record, CUrlStatus::kWorking, 0, "");
    node->SetStateCounted(kStateProcessing, m_stats);
}

// ---- Results ---------------------------------------------------------------------

int CLinkChecker::OnTransferDone(CUrlRecord* record, CEngineLock& lock)
{
    CLinkNode* node = record->m_firstNode;
    ICrawlTransport& transport = *m_services.m_transport;
    const bool stopping = IsStopRequested() || node->m_state == kStateStopped;
    if (stopping)
        transport.StopJob(record->m_jobId);
    CJobStatus status;
    const bool known = transport.GetJobStatus(record->m_jobId, status) == 0;
    std::string text;
    if (!known)
    {
        node->SetStateCounted(kStateStopped, m_stats);
        status.m_state = kJobStopped;
        status.m_result = kResultStopped;
        text = "xfer stopped";
    }
    else
    {
        UpdateLocalSize(record, status.m_localBytes);
        if (stopping)
        {
            status.m_state = kJobStopped;
            status.m_result = kResultStopped;
        }
    }
    if (known && (status.m_state == kJobDone || status.m_state == kJobStopped))
    {
        CLinkItem response;
        transport.GetJobProperties(record->m_jobId, response);
        std::string statusLine;
        response.GetString(LI_STATUS_LINE, statusLine);
        TakeTransferTotals(record, response);
        transport.StoreSiteCache(response);
        if (status.m_state == kJobDone)
        {
            ApplyResponse(record, response);
            text = record->m_contentKind == kTypeFtpList ? "OK (FTP list)"
                   : record->m_contentKind == kTypeHtml  ? "OK (downloaded HTML)"
                                                         : "OK (downloaded file)";
            SetLinkStatus(record, kJobDone, 0, text);
            node->ApplyUrlRecord(m_stats);
            if (status.m_phase == kPhaseTransferred)
            {
                m_stats.m_bytesDownloaded += NonNegative(GetInt64Property(response, LI_ATTEMPT_BYTES_DOWN));
                m_stats.Touch();
                record->m_hasLocalCopy = true;
                node->SetStateCounted(kStateDownloaded, m_stats);
                ParsePage(node, lock);
            }
            else
            {
                record->m_hasLocalCopy = false;
                node->SetStateCounted(kStateInfoOnly, m_stats);
            }
        }
        else if (status.m_result == kResultRedirectOutside)
        {
            text = "redirected";
            FollowRedirect(node, record, response, lock);
            if (node->m_state == kStateBroken)
                text = TransferErrorText(kResultTooManyRedirects);
        }
        else if (status.m_result == kResultNotSupported)
        {
            node->SetStateCounted(kStateNotSupported, m_stats);
            text = "protocol or operation is not supported or implemented";
        }
        else if (status.m_result == kResultStopped)
        {
            node->SetStateCounted(kStateStopped, m_stats);
            text = "connection closed.";
        }
        else
        {
            node->SetBrokenCounted(status.m_result, m_stats);
            text = TransferErrorText(status.m_result);
            if (!statusLine.empty())
                text += "(" + statusLine + ")";
        }
    }
    if (status.m_state == kJobWaiting)
        SetLinkStatus(record, CUrlStatus::kWorking, 0, text);
    else if (status.m_state != kJobDone)
    {
        const bool redirectLimit = node->m_state == kStateBroken && node->m_errorDetail == kResultTooManyRedirects;
        SetLinkStatus(record, status.m_state, redirectLimit ? kResultTooManyRedirects : status.m_result, text);
    }
    if (known && (status.m_state == kJobWaiting || status.m_state == kJobRunning))
        return 0;
    PropagateToRepeats(node);
    RemoveInFlightId(record->m_jobId);
    return 0;
}

void CLinkChecker::TakeTransferTotals(CUrlRecord* record, const CLinkItem& response)
{
    const int64_t sent = NonNegative(GetInt64Property(response, LI_BYTES_SENT));
    const int64_t received = NonNegative(GetInt64Property(response, LI_BYTES_RECEIVED));
    m_stats.m_bytesSent += sent - NonNegative(record->m_lastBytesSent);
    m_stats.m_bytesReceived += received - NonNegative(record->m_lastBytesReceived);
    record->m_lastBytesSent = sent;
    record->m_lastBytesReceived = received;
    m_stats.Touch();
}

void CLinkChecker::FollowRedirect(CLinkNode* node, CUrlRecord* record, const CLinkItem& response,
                                  CEngineLock& lock)
{
    SetContentKind(record, kTypeHttpRedirect);
    node->SetLinkTypeCounted(kTypeHttpRedirect, m_stats);
    if (RedirectChainLength(node) > kMaxRedirectChain)
    {
        // The link is the 21st redirect in a row: end the chain here.
        node->SetBrokenCounted(kResultTooManyRedirects, m_stats);
        return;
    }
    node->SetStateCounted(kStateRedirected, m_stats);
    std::string target;
    response.GetString(LI_REDIRECT_URL, target);
    const size_t hash = target.rfind('#');
    const size_t slash = target.rfind('/');
    if (hash != std::string::npos && (slash == std::string::npos || hash > slash))
        target.erase(hash);
    auto made = std::make_unique<CLinkNode>();
    made->m_name = target;
    made->m_sourceText = target;
    made->m_url = target;
    made->m_depth = node->m_depth + 1;
    made->SetScope(node->m_scope == kScopeExternal || node->m_scope == kScopeExtraExternal ? kScopeExtraExternal
                                                                                            : kScopeExternal);
    const bool accepted = m_task.GetFilter().Accept(*made);
    made->SetState(accepted ? kStateWaiting : kStateFiltered);
    CLinkNode* targetNode = AppendNode(std::move(made));
    node->AddChild(targetNode, m_stats);
    if (accepted)
        PrepareLink(targetNode, lock);
}

void CLinkChecker::ApplyResponse(CUrlRecord* record, const CLinkItem& response)
{
    const std::string url = response.GetUrlText(true, false);
    if (!url.empty())
        record->m_url = url;
    const std::string answered = response.GetRequestUrlText(true, false);
    record->m_contentUrl = answered == record->m_url ? std::string() : answered;
    response.GetString(LI_CONTENT_TYPE, record->m_contentType);
    response.GetString(LI_CONTENT_LOCATION, record->m_contentLocation);
    int64_t size = -1;
    if (response.GetInt64(LI_SIZE, size))
        UpdateRemoteSize(record, size);
    if (response.GetInt64(LI_LOCAL_SIZE, size))
        UpdateLocalSize(record, size);
    const COleDateTime remote = ParsedDate(response, LI_TIME);
    if (remote.m_status == COleDateTime::valid)
        record->m_remoteTime = remote;
    const COleDateTime local = ParsedDate(response, LI_LOCAL_TIME);
    if (local.m_status == COleDateTime::valid)
        record->m_localTime = local;
    int kind = GetIntOr(response, LI_RESOURCE_TYPE);
    if (kind <= 0 || kind >= kLinkTypeCount)
        kind = kTypeFile;
    SetContentKind(record, kind);
}

void CLinkChecker::PropagateToRepeats(CLinkNode* node)
{
    CUrlRecord* record = node->GetUrlRecord();
    if (record == nullptr || record->m_occurrences < 2)
        return;
    for (CLinkNode* repeat : record->m_repeats)
        repeat->SyncFromFirst(m_stats);
}

void CLinkChecker::RemoveInFlightId(int jobId)
{
    const auto found = std::find(m_inFlightIds.begin(), m_inFlightIds.end(), jobId);
    if (found != m_inFlightIds.end())
        m_inFlightIds.erase(found);
}
