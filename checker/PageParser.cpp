#include "checker/PageParser.h"

#include "checker/LinkExtractor.h"
#include "checker/LinkNames.h"
#include "checker/LinkNode.h"
#include "checker/LinkStats.h"
#include "checker/TaskSettings.h"
#include "checker/UrlRecord.h"

#include "foundation/files/DirectoryTree.h"
#include "foundation/files/FileSystem.h"
#include "foundation/files/PathUtils.h"
#include "foundation/files/RawFile.h"
#include "foundation/markup/LinkWalk.h"
#include "foundation/markup/XmlNode.h"
#include "foundation/markup/XmlParser.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/core/LocalPath.h"
#include "platform/core/Text.h"
#include "platform/core/TickCount.h"
#include "transfer/ftp/FtpListing.h"

#include <cerrno>
#include <fcntl.h>

namespace
{

// Content sniffing looks no further than this into a file of another kind.
constexpr int64_t kSniffBytes = 300;

// Every tag type of the link walk.
constexpr uint32_t kAllTagTypes = ~0u;

// Whether the content kind is read from a file: listings and pages always,
// any file kind of a local link (it may turn out to be a page), never a
// folder.
bool HasContentFile(int kind, bool local)
{
    if (kind == kTypeLocalFolder)
        return false;
    return kind == kTypeFtpList || kind == kTypeHtml || (local && kind >= kTypeText && kind <= kTypeArchive);
}

std::string FileSystemPath(const std::string& localPath)
{
    std::string path;
    if (IsLocalPath(localPath) && ToFileSystemPath(localPath, path))
        return path;
    return localPath;
}

} // namespace

bool CPageParser::ParsePage(CLinkNode& node, CEngineLock& lock)
{
    CUrlRecord* record = node.GetUrlRecord();
    if (!record || record->m_status.m_state != CUrlStatus::kDone || record->m_parsedNodeId != 0 ||
        node.GetFirstOccurrence() != &node || node.m_state != kStateDownloaded)
        return false;

    const IPropertySet& settings = m_host.GetSettings();
    CExtractedPage page;
    page.m_baseUrl = record->m_url.empty()          ? record->m_localPath
                     : record->m_contentUrl.empty() ? record->m_url
                                                    : record->m_contentUrl;
    page.m_depth = node.m_depth;
    page.m_siteLevel = node.m_siteLevel;
    page.m_linkType = node.m_linkType;
    page.m_external = node.m_scope == kScopeExternal || node.m_scope == kScopeExtraExternal;
    page.m_treatSubdomains = GetIntOr(settings, SETTING_LINKS_TREAT_SUBDOMAINS, 0) != 0;
    page.m_collectFiltered = GetIntOr(settings, SETTING_LINKS_COLLECT_FILTERED_LINK, 1) != 0;
    const IStopSource& stop = m_host.GetStopSource();
    CLinkExtractor extractor(page, m_host.GetTask(), &stop);

    if (!ReadContent(node, *record, extractor, lock))
        return false;

    if (!stop.IsStopRequested())
    {
        std::vector<std::unique_ptr<CLinkNode>> nodes = extractor.TakeNodes();
        AddExtractedLinks(node, nodes, lock);
    }
    if (stop.IsStopRequested())
    {
        node.SetStateCounted(kStateStopped, m_host.GetStats());
        record->m_status.SetState(CUrlStatus::kError, kParseStopped);
        record->SetText("Parsing stopped");
        return false;
    }
    record->m_parsedNodeId = node.m_linkId;
    record->m_parseStamp = GetTickCount();
    return true;
}

bool CPageParser::ReadContent(CLinkNode& node, CUrlRecord& record, CLinkExtractor& extractor, CEngineLock& lock)
{
    const IStopSource& stop = m_host.GetStopSource();
    const bool local = record.m_url.empty();
    const std::string path = FileSystemPath(record.m_localPath);

    if (record.m_contentKind == kTypeLocalFolder)
    {
        lock.unlock();
        if (!stop.IsStopRequested())
            (void)EnumerateFilesRecursive(path, extractor, 0, nullptr, false, &extractor);
        lock.lock();
        return true;
    }
    if (!HasContentFile(record.m_contentKind, local))
        return true;

    // Opened without a look at the path first: the open refuses a missing
    // name and a folder by itself, and both read as "cannot open" with the
    // missing file's code, as any other failure keeps its own.
    CRawFile file;
    if (!file.Open(path, O_RDONLY))
    {
        if (errno == ENOENT || errno == EISDIR)
            FailOpen(node, record, FileErrorToResultCode(ENOENT), kParseCannotOpen);
        else
            FailOpen(node, record, file.GetLastError(), file.GetLastError());
        return false;
    }
    m_host.UpdateLocalSize(record, file.GetLength());
    record.m_localTime = file.GetModifiedTime();

    std::string text;
    if (record.m_contentKind == kTypeFtpList)
    {
        if (!file.ReadAll(text, -1))
        {
            FailNotText(node, record);
            return false;
        }
        (void)file.Close();
        lock.unlock();
        if (!stop.IsStopRequested())
            ParseFtpListing(extractor, text, &extractor);
        lock.lock();
        return true;
    }

    if (record.m_contentKind != kTypeHtml)
    {
        if (file.ReadAll(text, kSniffBytes) && FindNoCase(text, "<html>") != std::string::npos)
        {
            record.m_contentKind = kTypeHtml;
            node.SetLinkTypeCounted(kTypeHtml, m_host.GetStats());
        }
        else
        {
            return true;
        }
    }

    if (file.SeekFromStart(0) != 0 || !file.ReadAll(text, -1))
    {
        FailNotText(node, record);
        return false;
    }
    (void)file.Close();
    const uint32_t start = GetTickCount();
    lock.unlock();
    {
        // Built, walked and freed without the lock: the tree is the
        // extractor's alone.
        std::unique_ptr<CXmlNode> root = CXmlNode::Create();
        if (!stop.IsStopRequested())
            (void)CXmlParser(CXmlParser::kHtml).ParseString(*root, text, &extractor);
        if (!stop.IsStopRequested())
            WalkLinks(*root, extractor, 0, kAllTagTypes, &extractor);
    }
    lock.lock();
    record.m_parseDuration = GetTickCount() - start;
    return true;
}

void CPageParser::FailOpen(CLinkNode& node, CUrlRecord& record, int detail, int statusCode)
{
    node.SetBrokenCounted(detail, m_host.GetStats());
    record.m_status.SetState(CUrlStatus::kError, statusCode);
    record.SetText(record.m_url.empty() ? "Cannot open local file" : "Cannot open downloaded file");
}

void CPageParser::FailNotText(CLinkNode& node, CUrlRecord& record)
{
    node.SetBrokenCounted(kParseNotText, m_host.GetStats());
    record.m_status.SetState(CUrlStatus::kError, kParseNotText);
    record.SetText("Is not ASCII");
}

void CPageParser::AddExtractedLinks(CLinkNode& page, std::vector<std::unique_ptr<CLinkNode>>& nodes,
                                    CEngineLock& lock)
{
    if (nodes.empty())
        return;
    CLinkStats& stats = m_host.GetStats();
    std::vector<CLinkNode*> children;
    children.reserve(nodes.size());
    for (const auto& node : nodes)
        children.push_back(node.get());
    page.AddChildren(children, stats);

    for (auto& owned : nodes)
        (void)m_host.AppendNode(std::move(owned));
    for (CLinkNode* node : children)
    {
        m_host.PrepareLink(*node, lock);
        (void)node->SyncFromFirst(stats);
    }
    nodes.clear();
}
