// The locked queries the views make of the engine: tree items, copies of
// links and statistics, the links around a link, and the orphan files of a
// local site. Each takes the engine lock once and copies out.

#include "checker/LinkChecker.h"

#include "checker/CrawlTransport.h"
#include "checker/LinkNode.h"
#include "checker/LinkStatus.h"
#include "checker/UrlRecord.h"

#include "foundation/files/DirectoryTree.h"
#include "foundation/files/FileSystem.h"
#include "foundation/files/PathJoin.h"
#include "foundation/files/PathUtils.h"
#include "platform/core/LocalPath.h"
#include "transfer/client/LinkLocation.h"

#include <algorithm>
#include <set>

namespace
{
CLinkTreeItem MakeItem(const CLinkNode& node)
{
    CLinkTreeItem item;
    item.m_info = std::make_unique<CLinkInfo>();
    node.CopyInfoIfChanged(*item.m_info);
    item.m_icon = LinkTypeIcon(*item.m_info);
    item.m_linkId = node.m_linkId;
    return item;
}

void StoreItem(const CLinkNode& node, CLinkTreeItemArray* items, CLinkTreeItemMap* map)
{
    if (items != nullptr)
        items->push_back(MakeItem(node));
    if (map != nullptr)
        (*map)[node.m_linkId] = MakeItem(node);
}

// Collects the files of a walk that no link of the task reached.
class COrphanCollector : public IFileEntryVisitor
{
public:
    COrphanCollector(const std::set<std::string>& reached, std::vector<std::string>& names, int64_t& total)
        : m_reached(reached), m_names(names), m_total(total)
    {
    }

    bool OnEntry(const std::string& name, int64_t size, uint32_t, const COleDateTime&, int kind,
                 const std::string& folder) override
    {
        if (kind != kPathFile)
            return true;
        const std::string path = JoinEntryPath(folder, name);
        if (m_reached.count(path) == 0)
        {
            m_names.push_back(path);
            m_total += size;
        }
        return true;
    }

private:
    const std::set<std::string>& m_reached;
    std::vector<std::string>& m_names;
    int64_t& m_total;
};
} // namespace

void CLinkChecker::GetRootLink(CLinkTreeItemArray* items, CLinkTreeItemMap* map) const
{
    CEngineLock lock(m_lock);
    if (!m_links.empty())
        StoreItem(*m_links.front(), items, map);
}

void CLinkChecker::UpdateLinkTree(int id, uint32_t& stamp, CLinkTreeItemArray* items, CLinkTreeItemMap* map,
                                  bool recursive, const CLinkViewFilter* filter) const
{
    CEngineLock lock(m_lock);
    if ((items == nullptr && map == nullptr) || !IsValidId(id))
        return;
    stamp = CollectNewerChildren(*GetNodeById(id), stamp, items, map, recursive, filter);
}

uint32_t CLinkChecker::CollectNewerChildren(const CLinkNode& node, uint32_t stamp, CLinkTreeItemArray* items,
                                            CLinkTreeItemMap* map, bool recursive,
                                            const CLinkViewFilter* filter) const
{
    uint32_t newest = 0;
    for (const CLinkNode* child : node.GetChildren())
    {
        if ((filter == nullptr || filter->Match(*child)) && child->m_contentStamp > stamp)
        {
            StoreItem(*child, items, map);
            newest = std::max(newest, child->m_contentStamp);
        }
    }
    if (recursive)
    {
        // Every child is descended into, matched or not, each against the
        // caller's stamp.
        for (const CLinkNode* child : node.GetChildren())
            newest = std::max(newest, CollectNewerChildren(*child, stamp, items, map, recursive, filter));
    }
    return newest;
}

void CLinkChecker::RefreshLinkTree(int id, CLinkTreeItemArray* items, CLinkTreeItemMap* map, bool recursive,
                                   const CLinkViewFilter* filter) const
{
    uint32_t stamp = 0;
    UpdateLinkTree(id, stamp, items, map, recursive, filter);
}

void CLinkChecker::GetStatistics(CLinkStats& stats) const
{
    stats = GetStats();
}

bool CLinkChecker::GetReferrerId(int id, int& referrerId) const
{
    CEngineLock lock(m_lock);
    referrerId = 0;
    if (!IsValidId(id))
        return false;
    if (const CLinkNode* parent = GetNodeById(id)->GetParent())
        referrerId = parent->m_linkId;
    return referrerId != 0;
}

bool CLinkChecker::GetFirstOccurrence(int id, int& firstId) const
{
    CEngineLock lock(m_lock);
    firstId = 0;
    if (!IsValidId(id))
        return false;
    firstId = GetNodeById(id)->GetFirstOccurrence()->m_linkId;
    return true;
}

bool CLinkChecker::GetLinkLogId(int id, int& logId) const
{
    CEngineLock lock(m_lock);
    logId = 0;
    if (!IsValidId(id))
        return false;
    const CUrlRecord* record = GetNodeById(id)->GetUrlRecord();
    if (record != nullptr && record->m_jobId != 0)
        logId = m_services.m_transport->GetJobLogId(record->m_jobId);
    return logId != 0;
}

int CLinkChecker::QueryLinkInfo(CLinkInfo& copy) const
{
    CEngineLock lock(m_lock);
    if (!IsValidId(copy.m_linkId))
        return 0;
    return GetNodeById(copy.m_linkId)->CopyInfoIfChanged(copy);
}

int CLinkChecker::GetLinkStateByHref(int id, const std::string& reference) const
{
    CEngineLock lock(m_lock);
    if (reference.empty() || !IsValidId(id))
        return kStateUnknown;
    const CLinkNode* page = GetNodeById(id);
    std::string url = ResolveLinkPath(page->m_url, reference, page->m_linkType == kTypeLocalFolder);
    const size_t hash = url.rfind('#');
    const size_t slash = url.rfind('/');
    if (hash != std::string::npos && (slash == std::string::npos || hash > slash))
        url.resize(hash);
    if (!url.empty())
    {
        const CUrlRecord* record = m_urlRecords.Find(url);
        if (record != nullptr && record->m_firstNode != nullptr)
            return record->m_firstNode->m_state;
    }
    // With no link left at the recursion limit the whole site was reached:
    // an address the task never met does not exist there.
    return m_stats.m_states[CLinkStats::kAll][kStateMaxRecursion] == 0 ? kStateBroken : kStateUnknown;
}

void CLinkChecker::TouchAllLinks()
{
    CEngineLock lock(m_lock);
    // A stamp moves on from the tick count or, when it ran ahead of it, by
    // one; a view's watermark may therefore lie above a link's next stamp.
    // Every link is moved above the greatest stamp of the table instead.
    uint32_t greatest = 0;
    for (const auto& node : m_links)
        greatest = std::max({greatest, node->m_contentStamp, node->m_childrenStamp});
    for (const auto& node : m_links)
        node->TouchStamps(greatest);
}

bool CLinkChecker::IsRunFinished() const
{
    CEngineLock lock(m_lock);
    return m_crawlEnded && !m_reportPending.load();
}

int CLinkChecker::GetRecursion() const
{
    CEngineLock lock(m_lock);
    return GetIntOr(m_task, TASK_RECURSION);
}

void CLinkChecker::FindOrphanFiles(std::vector<std::string>& names, int64_t& totalSize) const
{
    CEngineLock lock(m_lock);
    FindOrphanFilesLocked(names, totalSize);
}

std::string CLinkChecker::FindOrphanFilesLocked(std::vector<std::string>& names, int64_t& totalSize) const
{
    totalSize = 0;
    if (m_links.empty() || m_stats.CountPending(CLinkStats::kAll) != 0)
        return {};
    const CLinkNode& root = *m_links.front();
    std::string rootPath;
    if (!IsLocalPath(root.m_url) || !ToFileSystemPath(root.m_url, rootPath))
        return {};
    std::string folder;
    if (root.m_linkType == kTypeLocalFolder)
        folder = rootPath;
    else if (root.m_linkType == kTypeHtml)
        folder = GetDirectoryPart(rootPath);
    else
        return {};
    folder = WithoutTrailingSlashes(folder);

    // The files reached are those of the links joined to a URL record.
    std::set<std::string> reached;
    for (const auto& node : m_links)
    {
        std::string path;
        if (node->GetUrlRecord() != nullptr && IsLocalPath(node->m_url) &&
            ToFileSystemPath(node->m_url, path))
            reached.insert(path);
    }
    COrphanCollector collector(reached, names, totalSize);
    EnumerateFilesRecursive(folder, collector, 1, nullptr, false, nullptr);
    return folder;
}
