#include "checker/LinkNode.h"

#include "checker/LinkNames.h"
#include "checker/LinkStats.h"
#include "checker/TaskSettings.h"
#include "checker/UrlRecord.h"

#include "foundation/files/FileSystem.h"
#include "foundation/files/PathUtils.h"
#include "foundation/links/UrlParts.h"
#include "platform/core/LocalPath.h"
#include "platform/core/Text.h"
#include "platform/core/TickCount.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/UrlPasswordMask.h"

#include <algorithm>

namespace
{
template <size_t N>
void AddAt(int32_t (&counters)[N], int index, int delta)
{
    if (index >= 0 && static_cast<size_t>(index) < N)
        counters[index] += delta;
}

bool SizeKnown(int64_t size)
{
    return size >= 0;
}
} // namespace

CLinkNode::CLinkNode(const CTaskSettings& task, int linkId)
{
    m_name = task.GetStringValue(TASK_NAME);
    m_url = task.GetUrl();
    m_sourceText = m_url;
    m_referrer = task.GetStringValue(TASK_REFERRER);
    if (m_name.empty())
        m_name = m_sourceText;
    m_linkId = linkId;
    std::string folder;
    if (IsLocalPath(m_url) && ToFileSystemPath(m_url, folder) && DirectoryExists(folder))
        SetLinkType(kTypeLocalFolder);
    else
        InitFromUrl(task);
}

CLinkNode::~CLinkNode() = default;

void CLinkNode::InitFromUrl(const IPropertySet& set)
{
    m_postDescription.clear();
    const int scheme = GetUrlScheme(m_url.c_str(), true);
    if (GetIntOr(set, TASK_ENABLE_POST) == 0 || IsLocalPath(m_url) ||
        (scheme != URL_SCHEME_HTTP && scheme != URL_SCHEME_HTTPS))
        return;
    std::string text;
    if (GetIntOr(set, TASK_USE_POST_FILE) != 0)
    {
        set.GetString(TASK_POST_FILE_PATH, text);
        m_postDescription = "file:" + text;
    }
    else
    {
        set.GetString(TASK_POST_DATA, text);
        m_postDescription = "data:" + text;
    }
}

void CLinkNode::StampContent()
{
    m_contentStamp = NextChangeStamp(m_contentStamp);
}

// ---- Plain changes ------------------------------------------------------------

void CLinkNode::TouchStamps(uint32_t floor)
{
    m_contentStamp = NextChangeStamp(std::max(m_contentStamp, floor));
    m_childrenStamp = NextChangeStamp(std::max(m_childrenStamp, floor));
}

void CLinkNode::SetLinkType(int linkType)
{
    m_linkType = linkType;
    StampContent();
}

void CLinkNode::SetScope(int scope)
{
    m_scope = scope;
}

void CLinkNode::SetState(int state)
{
    const bool wasBroken = m_state == kStateBroken;
    m_state = state;
    m_errorDetail = 0;
    const bool isBroken = state == kStateBroken;
    if (m_parent && wasBroken != isBroken)
    {
        m_parent->m_brokenChildren += isBroken ? 1 : -1;
        m_parent->StampContent();
    }
    StampContent();
}

void CLinkNode::SetBroken(int code)
{
    SetState(kStateBroken);
    m_errorDetail = code;
}

int64_t CLinkNode::SizeContribution() const
{
    if (!IsFirstOccurrence() || !IsPagePartTag(m_tagType))
        return 0;
    int64_t contribution = SizeKnown(m_size) ? m_size : 0;
    if (IsFrameTag(m_tagType))
        contribution += m_childrenSize;
    return contribution;
}

void CLinkNode::AddChildrenSize(int64_t delta)
{
    if (delta == 0)
        return;
    for (CLinkNode* node = this; node; node = node->m_parent)
    {
        node->m_childrenSize += delta;
        node->StampContent();
        if (!node->IsFirstOccurrence() || !IsFrameTag(node->m_tagType))
            break;
    }
}

void CLinkNode::SetSize(int64_t size)
{
    if (m_parent)
    {
        const int64_t before = SizeContribution();
        const bool wasKnown = SizeKnown(m_size);
        m_size = size;
        if (wasKnown != SizeKnown(size))
        {
            m_parent->m_sizedChildren += SizeKnown(size) ? 1 : -1;
            m_parent->StampContent();
        }
        m_parent->AddChildrenSize(SizeContribution() - before);
    }
    else
    {
        m_size = size;
    }
    StampContent();
}

void CLinkNode::SetTime(const COleDateTime& time)
{
    m_time = time;
    StampContent();
}

// ---- Statistics ---------------------------------------------------------------

void CLinkNode::AdjustStats(CLinkStats& stats, int delta) const
{
    const int protocol = GetLinkProtocol(m_url);
    const int groups = IsFirstOccurrence() ? 2 : 1;
    for (int group = 0; group < groups; ++group)
    {
        stats.m_brokenReferences[group] += delta * m_brokenChildren;
        AddAt(stats.m_linkTypes[group], m_linkType, delta);
        AddAt(stats.m_states[group], m_state, delta);
        AddAt(stats.m_scopes[group], m_scope, delta);
        AddAt(stats.m_protocols[group], protocol, delta);
        AddAt(stats.m_tagTypes[group], m_tagType, delta);
    }
    stats.Touch();
}

void CLinkNode::CountInStats(CLinkStats& stats) const
{
    AdjustStats(stats, 1);
}

void CLinkNode::RemoveFromStats(CLinkStats& stats) const
{
    AdjustStats(stats, -1);
}

void CLinkNode::AddBrokenReferences(CLinkStats& stats, int delta) const
{
    stats.m_brokenReferences[CLinkStats::kAll] += delta;
    if (IsFirstOccurrence())
        stats.m_brokenReferences[CLinkStats::kUnique] += delta;
    stats.Touch();
}

// ---- Counted changes ----------------------------------------------------------

void CLinkNode::SetLinkTypeCounted(int linkType, CLinkStats& stats)
{
    RemoveFromStats(stats);
    SetLinkType(linkType);
    CountInStats(stats);
}

void CLinkNode::SetStateCounted(int state, CLinkStats& stats)
{
    const bool wasBroken = m_state == kStateBroken;
    RemoveFromStats(stats);
    SetState(state);
    CountInStats(stats);
    const bool isBroken = m_state == kStateBroken;
    if (m_parent && wasBroken != isBroken)
        m_parent->AddBrokenReferences(stats, isBroken ? 1 : -1);
}

void CLinkNode::SetBrokenCounted(int code, CLinkStats& stats)
{
    SetStateCounted(kStateBroken, stats);
    m_errorDetail = code;
}

void CLinkNode::SetUrlCounted(const std::string& url, CLinkStats& stats)
{
    if (url == m_url)
        return;
    // The display protocol follows the URL.
    RemoveFromStats(stats);
    m_url = url;
    CountInStats(stats);
    StampContent();
}

void CLinkNode::PlaceChild(CLinkNode* child, CLinkStats& stats)
{
    child->m_index = static_cast<int32_t>(m_children.size());
    child->m_parent = this;
    child->StampContent();
    m_children.push_back(child);
    if (child->m_state == kStateBroken)
    {
        ++m_brokenChildren;
        AddBrokenReferences(stats, 1);
    }
    if (SizeKnown(child->m_size))
        ++m_sizedChildren;
    AddChildrenSize(child->SizeContribution());
}

void CLinkNode::AddDescendants(int count)
{
    for (CLinkNode* node = this; node; node = node->m_parent)
    {
        node->m_sublinksRecursive += count;
        node->m_descendantsStamp = NextChangeStamp(node->m_descendantsStamp);
    }
}

void CLinkNode::AddChild(CLinkNode* child, CLinkStats& stats)
{
    AddChildren({child}, stats);
}

void CLinkNode::AddChildren(const std::vector<CLinkNode*>& children, CLinkStats& stats)
{
    if (children.empty())
        return;
    int added = 0;
    for (CLinkNode* child : children)
    {
        PlaceChild(child, stats);
        // A child that brings a subtree brings its descendants too.
        added += 1 + child->m_sublinksRecursive;
    }
    m_sublinks = static_cast<int32_t>(m_children.size());
    StampContent();
    m_childrenStamp = NextChangeStamp(m_childrenStamp);
    AddDescendants(added);
}

void CLinkNode::AttachToUrlRecord(CUrlRecord* record, CLinkStats& stats)
{
    if (!record)
        return;
    RemoveFromStats(stats);
    const int64_t before = m_parent ? SizeContribution() : 0;

    m_urlRecord = record;
    ++record->m_occurrences;
    if (m_parent && m_parent->m_linkType == kTypeHtml)
        ++record->m_references;
    if (!record->m_firstNode)
        record->m_firstNode = this;
    m_repetition = record->m_occurrences;

    // A node that turns out to be a repetition no longer counts to its
    // page's size.
    if (m_parent)
        m_parent->AddChildrenSize(SizeContribution() - before);
    CountInStats(stats);
    StampContent();
}

bool CLinkNode::SyncFromFirst(CLinkStats& stats)
{
    if (!m_urlRecord || !m_urlRecord->m_firstNode || m_urlRecord->m_firstNode == this)
        return false;
    const CLinkNode& first = *m_urlRecord->m_firstNode;
    SetSize(first.m_size);
    m_time = first.m_time;
    m_contentType = first.m_contentType;
    SetUrlCounted(first.m_url, stats);
    m_localCopy = first.m_localCopy;
    SetLinkTypeCounted(first.m_linkType, stats);
    if (first.m_state == kStateBroken)
        SetBrokenCounted(first.m_errorDetail, stats);
    else
        SetStateCounted(first.m_state, stats);
    return true;
}

bool CLinkNode::ApplyUrlRecord(CLinkStats& stats)
{
    if (!m_urlRecord || m_urlRecord->m_firstNode != this)
        return false;
    const CUrlRecord& record = *m_urlRecord;
    if (record.m_url.empty())
    {
        // A local link: the file or folder itself is the content.
        if (!record.m_localPath.empty())
            SetUrlCounted(record.m_localPath, stats);
        m_localCopy = record.m_localPath;
        m_contentType.clear();
        m_time = record.m_localTime;
        SetSize(record.m_localSize);
    }
    else
    {
        SetUrlCounted(record.m_url, stats);
        m_localCopy = record.m_localPath;
        m_contentType = IsLocalPath(record.m_url) ? std::string() : record.m_contentType;
        m_time = record.m_remoteTime;
        SetSize(record.m_remoteSize);
    }
    SetLinkTypeCounted(record.m_contentKind, stats);
    return true;
}

// ---- Copies for the views -----------------------------------------------------

int CLinkNode::CopyInfoIfChanged(CLinkInfo& copy) const
{
    int changed = 0;
    copy.m_linkId = m_linkId;
    if (m_contentStamp != copy.m_contentStamp)
    {
        changed |= kCopiedContent;
        const CLinkNode& first = *GetFirstOccurrence();
        copy.m_contentStamp = m_contentStamp;
        copy.m_state = m_state;
        copy.m_errorDetail = m_errorDetail;
        copy.m_scope = m_scope;
        copy.m_name = GetNumberedName();
        copy.m_tagText = m_tagText;
        copy.m_sourceText = m_sourceText;
        copy.m_index = m_index;
        copy.m_repetition = m_repetition;
        copy.m_depth = m_depth;
        copy.m_fragment = m_fragment;
        copy.m_tagType = m_tagType;
        copy.m_referrer = m_referrer;
        copy.m_statusText = GetStateText();
        copy.m_brokenChildren = m_brokenChildren;
        copy.m_sizedChildren = m_sizedChildren;
        copy.m_localCopy = m_localCopy;
        copy.m_childrenSize = m_childrenSize;
        copy.m_linkType = first.m_linkType;
        copy.m_size = first.m_size;
        copy.m_time = first.m_time;
        copy.m_url = first.m_url;
        copy.m_contentType = first.m_contentType;
        copy.m_form = m_form;
        copy.m_references = GetReferenceCount();
    }
    if (m_childrenStamp != copy.m_childrenStamp)
    {
        changed |= kCopiedChildren;
        copy.m_childrenStamp = m_childrenStamp;
        copy.m_sublinks = m_sublinks;
    }
    if (m_descendantsStamp != copy.m_descendantsStamp)
    {
        changed |= kCopiedDescendants;
        copy.m_descendantsStamp = m_descendantsStamp;
        copy.m_sublinksRecursive = m_sublinksRecursive;
    }
    return changed;
}

// ---- Questions ----------------------------------------------------------------

std::string CLinkNode::GetStateText() const
{
    std::string text(LinkStateName(m_state));
    if (m_state == kStateBroken && m_urlRecord && !m_urlRecord->m_status.m_text.empty())
        text += ", " + m_urlRecord->m_status.m_text;
    if (m_brokenChildren > 0)
        text += ", contains broken links";
    return text;
}

std::string CLinkNode::GetNumberedName() const
{
    if (m_repetition == 1 || m_repetition == -1)
        return m_name;
    return Format("%s (%d)", m_name.c_str(), m_repetition);
}

const CLinkNode* CLinkNode::GetFirstOccurrence() const
{
    if (IsFirstOccurrence() || !m_urlRecord || !m_urlRecord->m_firstNode)
        return this;
    return m_urlRecord->m_firstNode;
}

int CLinkNode::GetReferenceCount() const
{
    return m_urlRecord ? m_urlRecord->m_references : 0;
}

CLinkNode* CLinkNode::GetSiteEntry() const
{
    if (m_siteLevel <= 0)
        return nullptr;
    CLinkNode* node = m_parent;
    for (int step = 1; node; ++step, node = node->m_parent)
    {
        if (node->m_linkType == kTypeGenericUrl)
            return nullptr;
        if (step == m_siteLevel)
            return node;
    }
    return nullptr;
}

std::string CLinkNode::GetDisplayUrl() const
{
    // What is shown never carries the password of a "user:password@" login.
    if (!m_postDescription.empty() && !IsLocalPath(m_url))
        return MaskUrlPasswords(m_url) + "/" + m_postDescription;
    return MaskUrlPasswords(m_url);
}

std::string CLinkNode::GetLinkHref() const
{
    if (!IsLocalPath(m_url))
        return m_url;
    std::string path;
    if (!ToFileSystemPath(m_url, path))
        return m_url;
    return "file://" + path;
}

bool CLinkNode::IsInProgress() const
{
    return m_state == kStateWaiting || m_state == kStateProcessing;
}

bool CLinkNode::IsRecheckable() const
{
    switch (m_state)
    {
    case kStateBroken:
        return m_errorDetail != kResultInvalidParameter;
    case kStateInfoOnly:
    case kStateFiltered:
    case kStateStopped:
    case kStateMaxRecursion:
    case kStateIsExternal:
        return true;
    default:
        return false;
    }
}

bool CLinkNode::IsCheckable() const
{
    if (m_state == kStateUnknown || m_state == kStateFiltered)
        return false;
    if (m_state == kStateBroken && m_errorDetail == kResultInvalidParameter)
        return false;
    switch (m_linkType)
    {
    case kTypeForm:
    case kTypeGenericUrl:
    case kTypeScript:
    case kTypeAnchor:
        return false;
    default:
        return true;
    }
}

bool CLinkNode::HasLocalCopy() const
{
    if (m_state == kStateDownloaded)
        return true;
    std::string path;
    return IsLocalPath(m_url) && ToFileSystemPath(m_url, path) && FileExists(path);
}

bool CLinkNode::CanResume(const CTaskFilter& filter) const
{
    return m_scope != kScopeExtraExternal && (m_state == kStateStopped || m_state == kStateMaxRecursion) &&
           filter.Accept(*this);
}

bool CLinkNode::CanFollowExternal(const CTaskFilter& filter) const
{
    return m_scope != kScopeExtraExternal && (m_state == kStateStopped || m_state == kStateIsExternal) &&
           filter.Accept(*this);
}
