#include "foundation/stores/UrlHistory.h"

#include "foundation/text/AbstractVisitor.h"
#include "foundation/text/AttributeList.h"
#include "foundation/files/PathUtils.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/DataFolderFile.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "foundation/desktop/ShellHooks.h"
#include "foundation/text/StringVisitors.h"
#include "foundation/markup/XmlDocumentFile.h"
#include "foundation/markup/XmlNode.h"
#include "platform/core/Text.h"
#include "platform/core/TickCount.h"

#include <algorithm>
#include <memory>

namespace
{
constexpr const char kHistoryFileName[] = "History.xml";

uint32_t g_historyStamp = 0;

void TouchHistory()
{
    g_historyStamp = NextChangeStamp(g_historyStamp);
}

// Takes the attributes of one "Item" as name, value, name, value, ... and
// hands each usable "URI" value on to the loading visitor.
class CUriAttributeSink : public CAttributePairVisitor
{
public:
    explicit CUriAttributeSink(CAbstractVisitor& target) : m_target(target) {}

    bool OnAttribute(std::string_view name, std::string_view text) override
    {
        if (name != "URI" || m_stopped)
            return !m_stopped;
        const std::string url = Trim(text);
        if (!url.empty() && !m_target.Add(url))
            m_stopped = true;
        return !m_stopped;
    }

    bool IsStopped() const { return m_stopped; }

private:
    CAbstractVisitor& m_target;
    bool m_stopped = false;
};

// Collects the URLs of a load in file order, each only once.
class CDistinctListVisitor : public CAbstractVisitor
{
public:
    explicit CDistinctListVisitor(std::vector<std::string>& list) : m_list(list) {}

    bool Add(std::string_view text) override
    {
        if (std::find(m_list.begin(), m_list.end(), text) == m_list.end())
            m_list.emplace_back(text);
        return true;
    }

private:
    std::vector<std::string>& m_list;
};
} // namespace

std::vector<std::string>& GetHistoryList()
{
    static std::vector<std::string> list;
    return list;
}

uint32_t GetHistoryStamp()
{
    return g_historyStamp;
}

void AddToHistory(std::string_view url)
{
    if (url.empty())
        return;
    std::vector<std::string>& list = GetHistoryList();
    list.erase(std::remove(list.begin(), list.end(), url), list.end());
    list.emplace(list.begin(), url);
    int maxSize = 0;
    GetSettings().GetInt(SETTING_MISC_MAX_HISTORY_SIZE, maxSize);
    if (list.size() > static_cast<size_t>(std::max(maxSize, 0)))
        list.resize(static_cast<size_t>(std::max(maxSize, 0)));
    TouchHistory();
}

void ClearHistory()
{
    GetHistoryList().clear();
    TouchHistory();
}

int GetHistoryCount()
{
    return static_cast<int>(GetHistoryList().size());
}

void EnumHistory(CAbstractVisitor& visitor)
{
    // A copy, so that a visitor that changes the history cannot invalidate
    // the walk.
    const std::vector<std::string> entries = GetHistoryList();
    for (const std::string& url : entries)
        visitor.Add(url);
}

bool SaveHistory()
{
    CStringArrayVisitor enumerator(GetHistoryList());
    return SaveHistoryToFile(enumerator);
}

bool SaveHistoryToFile(CAbstractVisitor& enumerator)
{
    return SaveAndAnnounce(
        kHistoryFileName, kBroadcastHistorySaved,
        [&enumerator](const std::string& path)
        {
            std::unique_ptr<CXmlNode> root = CXmlNode::Create();
            root->BuildDocument(enumerator, "History", "XVebb History", "Item %d", "Item", "URI");
            return WriteXmlDocumentFile(*root, path, 0600);
        },
        [] { return static_cast<int64_t>(g_historyStamp); });
}

void LoadHistory()
{
    std::vector<std::string> loaded;
    CDistinctListVisitor visitor(loaded);
    if (LoadHistoryFromFile(visitor))
        GetHistoryList() = std::move(loaded);
}

bool LoadHistoryFromFile(CAbstractVisitor& visitor)
{
    const std::string path = GetDataFolderFilePath(kHistoryFileName);
    if (path.empty())
        return false;
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    if (!ReadXmlDocumentFile(path, *root, nullptr))
        return false;

    std::vector<CXmlNode*> items;
    root->CollectElements("Item", true, true, items);
    TouchHistory();
    for (const CXmlNode* item : items)
    {
        CUriAttributeSink sink(visitor);
        item->ParseAttributes(sink);
        if (sink.IsStopped())
            break;
    }
    return true;
}
