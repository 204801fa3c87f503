// Building the link table from the task's start URI: a single link, a local
// folder, a ".urls" list of URLs, a ".vbb" project naming one task, or a URL
// template that stands for many URLs.

#include "checker/LinkChecker.h"

#include "checker/LinkNode.h"

#include "foundation/files/FileSystem.h"
#include "foundation/files/PathUtils.h"
#include "foundation/files/RawFile.h"
#include "foundation/links/UrlTemplate.h"
#include "foundation/markup/XmlNode.h"
#include "foundation/markup/XmlParser.h"
#include "foundation/stores/SettingIds.h"
#include "platform/core/LocalPath.h"
#include "platform/core/Text.h"

#include <cstring>

namespace
{
// The file-system path of a local start text; empty when it is none.
std::string LocalFileOf(const std::string& text)
{
    std::string path;
    if (!IsLocalPath(text) || !ToFileSystemPath(text, path))
        return {};
    return path;
}

int StateByRecursion(int recursion)
{
    return recursion > 1 ? kStateWaiting : kStateMaxRecursion;
}
} // namespace

void CLinkChecker::ResetFromTaskLocked(CEngineLock& lock)
{
    ClearLocked(true);
    auto made = std::make_unique<CLinkNode>(m_task, 100);
    made->m_depth = 0;
    made->SetScope(kScopeInternal);
    made->SetState(kStateWaiting);
    CLinkNode* root = AppendNode(std::move(made));

    const int recursion = GetIntOr(m_task, TASK_RECURSION);
    const std::string uri = m_task.GetUrl();
    const char* extension = FindFileExtension(uri.c_str());
    const std::string file = LocalFileOf(uri);
    bool filled = false;
    if (!file.empty() && FileExists(file) && extension != nullptr)
    {
        // The extensions are compared exactly: "list.URLS" is a single link.
        if (std::strcmp(extension, ".urls") == 0)
            filled = AddListChildren(root, file, recursion, lock);
        else if (std::strcmp(extension, ".vbb") == 0)
            filled = AddProjectChild(root, file, recursion, lock);
    }
    if (!filled)
        filled = AddTemplateChildren(root, uri, recursion, lock);
    if (!filled)
    {
        const std::string folder = LocalFileOf(uri);
        if (!folder.empty() && DirectoryExists(folder))
            root->SetLinkTypeCounted(kTypeLocalFolder, m_stats);
        PrepareLink(root, lock);
    }
    m_queueCursor = -1;
}

bool CLinkChecker::AddListChildren(CLinkNode* root, const std::string& path, int recursion, CEngineLock& lock)
{
    CRawFile file;
    if (!file.Open(path, kOpenReadOnly))
        return false;
    root->SetLinkTypeCounted(kTypeUrlList, m_stats);
    root->SetStateCounted(kStateDownloaded, m_stats);
    std::string line;
    while (file.ReadLine(line))
    {
        const std::string text = Trim(line);
        if (!text.empty() && text[0] != '#')
            AddStartChild(root, text, recursion, lock);
    }
    return true;
}

bool CLinkChecker::AddProjectChild(CLinkNode* root, const std::string& path, int recursion, CEngineLock& lock)
{
    CRawFile file;
    std::string text;
    if (!file.Open(path, kOpenReadOnly) || !file.ReadAll(text, -1))
        return false;
    const std::unique_ptr<CXmlNode> xml = CXmlNode::Create();
    CTaskSettings task({}, m_services.m_settings);
    CXmlParser(CXmlParser::kXml).ParseString(*xml, text, nullptr);
    if (!task.ReadXml(*xml))
        return false;
    root->SetLinkTypeCounted(kTypeUrlList, m_stats);
    root->SetStateCounted(kStateDownloaded, m_stats);
    PlaceStartChild(root, std::make_unique<CLinkNode>(task, 0), recursion, lock);
    return true;
}

bool CLinkChecker::AddTemplateChildren(CLinkNode* root, const std::string& uri, int recursion, CEngineLock& lock)
{
    CUrlTemplate urlTemplate;
    if (GetIntOr(*m_services.m_settings, SETTING_MISC_ENABLE_GENERIC_URLS) == 0 || urlTemplate.Parse(uri) != 1)
        return false;
    root->SetLinkTypeCounted(kTypeGenericUrl, m_stats);
    root->SetStateCounted(kStateDownloaded, m_stats);
    std::string url;
    while (urlTemplate.GetNext(url))
        AddStartChild(root, url, recursion, lock);
    return true;
}

void CLinkChecker::AddStartChild(CLinkNode* root, const std::string& text, int recursion, CEngineLock& lock)
{
    auto child = std::make_unique<CLinkNode>();
    child->m_name = text;
    child->m_sourceText = text;
    child->m_url = text;
    child->m_referrer = m_task.GetStringValue(TASK_REFERRER);
    const std::string folder = LocalFileOf(text);
    if (!folder.empty() && DirectoryExists(folder))
        child->SetLinkType(kTypeLocalFolder);
    else
        child->InitFromUrl(m_task);
    PlaceStartChild(root, std::move(child), recursion, lock);
}

void CLinkChecker::PlaceStartChild(CLinkNode* root, std::unique_ptr<CLinkNode> child, int recursion,
                                   CEngineLock& lock)
{
    child->m_depth = 1;
    child->m_siteLevel = 1;
    child->SetScope(kScopeInternal);
    child->SetState(StateByRecursion(recursion));
    CLinkNode* node = AppendNode(std::move(child));
    root->AddChild(node, m_stats);
    PrepareLink(node, lock);
}
