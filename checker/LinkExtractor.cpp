#include "checker/LinkExtractor.h"

#include "checker/FormData.h"
#include "checker/LinkNames.h"

#include "foundation/files/FileSystem.h"
#include "foundation/files/PathUtils.h"
#include "foundation/links/UrlParts.h"
#include "foundation/markup/XmlNode.h"
#include "foundation/text/Escaping.h"
#include "foundation/text/StringLineSink.h"
#include "platform/core/LocalPath.h"
#include "platform/core/Text.h"
#include "transfer/client/LinkLocation.h"
#include "transfer/client/ResourceKind.h"

namespace
{

constexpr int kDetailUnresolvable = 102;
constexpr int kActionDownloadLinks = 3;

// References that name a local file whatever page they are on. A reference
// beginning with '/' is not one of them: on a web page it is a path of the
// page's site.
bool IsLocalFileReference(std::string_view value)
{
    return value.starts_with("file:") || value.starts_with("~/");
}

// The program's local path text of a local file reference, its escapes
// decoded: "file:///a%20b" gives "/a b", "~/a%20b" gives "~/a b".
std::string DecodeLocalReference(std::string_view value)
{
    if (value.starts_with("file:"))
    {
        std::string path;
        if (ToFileSystemPath(value, path))
            return path;
    }
    return UnescapeChars(value, '%');
}

// A listing's or folder's entry name must be one name: a server that sends
// "..", a name with a separator, or a URL in place of a name could otherwise
// point the crawl anywhere, local files included.
bool IsPlainEntryName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string_view::npos;
}

// A symbolic link's target is a path on the same server; one that reads as a
// URL or a local file is not followed.
bool IsServerPathTarget(std::string_view target)
{
    return !target.empty() && target.find("://") == std::string_view::npos && !target.starts_with("file:") &&
           !target.starts_with('~');
}

} // namespace

CLinkExtractor::CLinkExtractor(const CExtractedPage& page, const CTaskSettings& task, const IStopSource* stop)
    : m_page(page), m_resolver(page.m_baseUrl, false), m_task(task), m_stop(stop)
{
    // A "file:" base is read as its path once, so that what is resolved
    // below it is plain path text whose escapes are decoded exactly once.
    std::string path;
    if (m_page.m_baseUrl.starts_with("file:") && ToFileSystemPath(m_page.m_baseUrl, path))
    {
        m_page.m_baseUrl = path;
        m_resolver = CLinkResolver(m_page.m_baseUrl, false);
    }
    m_recursion = GetIntOr(m_task, TASK_RECURSION, 1);
    m_action = GetIntOr(m_task, TASK_ACTION, 0);
}

CLinkExtractor::~CLinkExtractor() = default;

bool CLinkExtractor::IsCancelled()
{
    return m_stop && m_stop->IsStopRequested();
}

std::vector<std::unique_ptr<CLinkNode>> CLinkExtractor::TakeNodes()
{
    return std::exchange(m_nodes, {});
}

std::unique_ptr<CLinkNode> CLinkExtractor::NewNode(std::string_view sourceText) const
{
    auto node = std::make_unique<CLinkNode>();
    node->m_sourceText = sourceText;
    node->m_referrer = m_page.m_baseUrl;
    node->m_linkId = -1;
    node->m_depth = m_page.m_depth + 1;
    // Not in the statistics yet: AddExtractedLinks counts the node.
    node->m_state = kStateWaiting;
    return node;
}

void CLinkExtractor::Collect(std::unique_ptr<CLinkNode> node)
{
    m_nodes.push_back(std::move(node));
}

std::string CLinkExtractor::ProtocolRelativePrefix() const
{
    const int scheme = IsLocalPath(m_page.m_baseUrl) ? URL_SCHEME_UNKNOWN : GetUrlScheme(m_page.m_baseUrl.c_str(), true);
    const UrlScheme* entry = GetUrlSchemeEntry(scheme);
    if (scheme == URL_SCHEME_UNKNOWN || !entry)
        return "http:";
    // "https://" gives "https:".
    return std::string(entry->prefix.substr(0, entry->prefix.find(':') + 1));
}

intptr_t CLinkExtractor::OnLink(int tagType, std::string_view value, CXmlNode& element, intptr_t context)
{
    if (IsCancelled())
        return context;
    if (value.empty() && !m_task.GetFilter().m_keepEmptyTags)
        return context;
    if (tagType == kLinkAName)
        return context;

    std::unique_ptr<CLinkNode> node = NewNode(value);
    node->m_tagText = element.GetMarkup();
    node->m_sourceLine = element.GetLine();
    node->m_sourceColumn = element.GetColumn();
    node->m_tagType = tagType;

    const bool protocolRelative = value.size() >= 2 && value.starts_with("//");
    if (!protocolRelative && IsLocalFileReference(value))
    {
        node->m_name = DecodeLocalReference(value);
        node->m_url = node->m_name;
        node->m_state = kStateNotSupported;
        node->m_scope = kScopeNotSupported;
        Collect(std::move(node));
        return context;
    }
    if (tagType == kLinkFormAction)
    {
        if (m_action != kActionDownloadLinks)
            AddForm(std::move(node), value, element);
        return context;
    }
    if (StartsWithNoCase(value, "mailto:"))
    {
        node->m_url = value;
        node->m_name = value;
        node->m_linkType = kTypeMailto;
        node->m_state = kStateNotSupported;
        node->m_scope = kScopeNotSupported;
        Collect(std::move(node));
        return context;
    }
    if (StartsWithNoCase(value, "javascript:"))
    {
        node->m_name = value;
        node->m_linkType = kTypeScript;
        node->m_state = kStateNotSupported;
        node->m_scope = kScopeNotSupported;
        Collect(std::move(node));
        return context;
    }

    std::string reference(value);
    const size_t hash = reference.rfind('#');
    if (hash != std::string::npos)
    {
        node->m_fragment = reference.substr(hash);
        reference.resize(hash);
    }

    std::string url;
    if (reference.empty())
    {
        if (m_action == kActionDownloadLinks)
            return context;
        if (node->m_fragment.empty())
        {
            node->SetBroken(kDetailUnresolvable);
            Collect(std::move(node));
            return context;
        }
        url = m_page.m_baseUrl;
        node->m_name = node->m_fragment;
    }
    else if (protocolRelative)
    {
        url = ProtocolRelativePrefix() + reference;
        node->m_name = url;
    }
    else
    {
        url = m_resolver.Resolve(reference);
        node->m_name = reference;
        if (url.empty())
        {
            node->SetBroken(kDetailUnresolvable);
            Collect(std::move(node));
            return context;
        }
    }
    // Escapes stand for bytes of a file name only where the result is one.
    if (IsLocalPath(url))
        url = UnescapeChars(url, '%');

    node->m_url = url;
    const bool sameSite = m_resolver.IsSameLocationAs(url, false, m_page.m_treatSubdomains);
    if (sameSite)
        node->m_siteLevel = m_page.m_siteLevel + 1;
    node->m_scope = m_page.m_external ? kScopeExtraExternal : sameSite ? kScopeInternal : kScopeExternal;

    if (!m_task.GetFilter().Accept(*node))
    {
        node->m_state = kStateFiltered;
        if (m_page.m_collectFiltered)
            Collect(std::move(node));
        return context;
    }
    std::string folderPath;
    if (m_page.m_external || (!sameSite && !m_task.GetFilter().m_external))
        node->m_state = kStateIsExternal;
    else if (node->m_depth >= m_recursion)
        node->m_state = kStateMaxRecursion;
    else if (IsLocalPath(url) && ToFileSystemPath(url, folderPath) && DirectoryExists(folderPath))
    {
        if (m_page.m_linkType == kTypeLocalFolder)
        {
            std::string trimmed = url;
            while (trimmed.size() > 1 && trimmed.ends_with('/'))
                trimmed.pop_back();
            const char* name = FindFileName(trimmed.c_str());
            node->m_name = name ? name : trimmed;
            node->m_linkType = kTypeLocalFolder;
        }
        else
        {
            node->m_state = kStateNotSupported;
        }
    }
    Collect(std::move(node));
    return context;
}

void CLinkExtractor::AddForm(std::unique_ptr<CLinkNode> node, std::string_view value, CXmlNode& element)
{
    CStringLineSink markup;
    element.Write(markup, "  ", "", "\r\n", CXmlNode::kMaskAll, false);

    node->m_name = Format("FORM Action=\"%s\"", std::string(value).c_str());
    node->m_linkType = kTypeForm;

    const bool localPage = IsLocalPath(m_page.m_baseUrl);
    std::string action;
    if (value.size() >= 2 && value.starts_with("//"))
        action = ProtocolRelativePrefix() + std::string(value);
    else
        action = ResolveLinkPath(localPage ? kLocalFormBase : std::string_view(m_page.m_baseUrl), value, false);

    // Subdomains never count as the same site here: a form sends data, and
    // sending it to a sibling host is leaving the site.
    if (m_page.m_siteLevel == m_page.m_depth && m_resolver.IsSameLocationAs(action, false, false))
    {
        node->m_siteLevel = m_page.m_siteLevel + 1;
        node->m_scope = kScopeInternal;
    }
    else
    {
        node->m_scope = m_page.m_external ? kScopeExtraExternal : kScopeExternal;
    }
    node->m_url = action;

    auto form = std::make_unique<CFormData>();
    form->SetActionAndMethod(markup.GetText(), action);
    node->m_form.Adopt(std::move(form));
    // A form is never requested; submitting it makes a new link.
    node->m_state = kStateDownloaded;
    Collect(std::move(node));
}

void CLinkExtractor::AddEntry(std::unique_ptr<CLinkNode> node)
{
    node->m_siteLevel = m_page.m_siteLevel + 1;
    if (node->m_depth < m_recursion)
    {
        if (!m_task.GetFilter().Accept(*node))
            node->m_state = kStateFiltered;
    }
    else
    {
        node->m_state = kStateMaxRecursion;
    }
    node->m_scope = m_page.m_external ? kScopeExtraExternal : kScopeInternal;
    Collect(std::move(node));
}

void CLinkExtractor::OnListingEntry(const CFtpListingEntry& entry)
{
    if (IsCancelled())
        return;
    std::string_view name = entry.m_name;
    std::string_view target = name;
    const size_t arrow = name.find(" -> ");
    if (arrow != std::string_view::npos)
    {
        target = name.substr(arrow + 4);
        name = name.substr(0, arrow);
        if (!IsServerPathTarget(target))
            target = name;
    }
    if (!IsPlainEntryName(name))
        return;

    std::unique_ptr<CLinkNode> node = NewNode(entry.m_name);
    node->m_name = entry.m_name;
    node->m_url = ResolveLinkPath(m_page.m_baseUrl, target, true);
    node->m_size = entry.m_size;
    node->m_time = entry.m_date;
    if (entry.m_kind == kEntryFolder)
        node->m_linkType = kTypeFtpList;
    else if (entry.m_kind == kEntrySymbolicLink)
        node->m_linkType = kTypeFtpLink;
    else
        node->m_linkType = GetResourceKind({}, std::string(name));
    AddEntry(std::move(node));
}

void CLinkExtractor::OnFolderEntry(const std::string& name, int64_t size, const COleDateTime& time, bool isFolder)
{
    if (IsCancelled() || !IsPlainEntryName(name))
        return;
    std::unique_ptr<CLinkNode> node = NewNode(name);
    node->m_name = name;
    // Joined by hand: CombinePath would take a name such as "file:x" for a
    // path of its own.
    std::string base = m_page.m_baseUrl;
    while (base.size() > 1 && base.ends_with('/'))
        base.pop_back();
    node->m_url = base + (base.ends_with('/') ? "" : "/") + name;
    node->m_size = size;
    node->m_time = time;
    node->m_linkType = isFolder ? kTypeLocalFolder : GetResourceKind({}, name);
    AddEntry(std::move(node));
}

bool CLinkExtractor::OnEntry(const std::string& name, int64_t size, uint32_t attributes, const COleDateTime& modified,
                             int kind, const std::string& folder)
{
    OnFolderEntry(name, size, modified, kind == kPathDirectory);
    return !IsCancelled();
}
