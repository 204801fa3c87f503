#include "checker/ReportWriter.h"

#include "checker/LinkNames.h"
#include "checker/LinkNode.h"
#include "checker/LinkStats.h"

#include "foundation/files/PathUtils.h"
#include "foundation/markup/LinkWalk.h"
#include "foundation/text/DisplayFormats.h"
#include "foundation/text/Escaping.h"
#include "platform/core/OleDateTime.h"
#include "platform/core/Text.h"
#include "transfer/base/TransferLogInterface.h"
#include "transfer/base/UrlPasswordMask.h"
#include "transfer/client/ResourceKind.h"

namespace
{
// The style sheet of every HTML report, one line in its head.
constexpr const char* kStyleSheet =
    "body { font: 11px Verdana, Arial, Helvetica, sans-serif; color: #000000; letter-spacing: 200%; "
    "line-height: 120%; } "
    "td { font: 11px Verdana, Arial, Helvetica, sans-serif; color: #000000; letter-spacing: 200%; "
    "line-height: 120%; } "
    "h1 { font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 18px; font-weight: bold; "
    "align: left; padding:2.25pt; line-height: 140%; } "
    "h2 { font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 16px; font-weight: bold; "
    "align: left; padding:2.25pt; line-height: 120%; } "
    "h3 { font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 14px; font-weight: bold; "
    "align: left; padding:2.25pt; line-height: 100%; } "
    ".xnormal { color:#000000; line-height: 120%; padding-left: 4px; } "
    ".xinfo { color:#000055; line-height: 120%; padding-left: 8px; } "
    ".xbroken { color:#FF0000; line-height: 120%; padding-left: 4px; } "
    ".xcontbroken { color:#700000; line-height: 120%; padding-left: 4px; } "
    ".xmaxrec { color:#AAAAAA; line-height: 120%; padding-left: 4px; } "
    ".xextern { color:#000080; line-height: 120%; padding-left: 4px; } "
    ".xorphan { color:#559955; line-height: 120%; padding-left: 8px; } "
    ".filesize { font-size: 75%; color:#aaaaaa } "
    ".filedate { font-style:italic; font-size:10pt; font-weight:normal; color:white; } "
    ".doctop { color:#9999DD; font-weight:normal; line-height: 220%; } ";

constexpr const char* kHtmlHead =
    "<html>\r\n<head>\r\n<title>%s</title>\r\n<style type=\"text/css\">\r\n<!--\r\n%s\r\n-->\r\n</style>\r\n"
    "</head>\r\n<body text=\"#000000\" bgcolor=\"#FFFFFF\"  link=\"#0000DD\" vlink=\"#500090\" "
    "alink=\"#FF0000\">\r\n\r\n<a name=\"doc_top\"></a>\r\n<h1>%s</h1>\r\n<h2>%s</h2>\r\n\r\n";

constexpr const char* kInfoStart = "<span class=\"xinfo\">";
constexpr const char* kInfoEnd = "</span><br>";

// The characters a report's link address escapes. Unlike the unsafe set
// ("% <>..."), '%' stays: the addresses are already escaped, and escaping
// their escapes again would point the link elsewhere.
constexpr std::string_view kHrefUnsafe = " <>\"#{}|\\^~[]'";

enum Placeholder : int
{
    kDisp,
    kLink,
    kTag,
    kSrc,
    kType,
    kStatus,
    kParent,
    kDepth,
    kRep,
    kSize,
    kTimeDate,
    kOrder,
    kRefs,
    kSizeBytes,
    kPageSize,
    kPageSizeBytes,
    kPlaceholderCount,
};

// In matching order: a placeholder is the first row it begins.
constexpr const char* kPlaceholders[kPlaceholderCount] = {
    "disp", "link", "tag",      "src",   "type", "status",    "parent",   "depth",
    "rep",  "size", "timedate", "order", "refs", "sizebytes", "pagesize", "pagesizebytes",
};

int MatchPlaceholder(std::string_view name)
{
    for (int row = 0; row < kPlaceholderCount; ++row)
    {
        if (StartsWithNoCase(kPlaceholders[row], name))
            return row;
    }
    return -1;
}

const char* LinkClass(const CLinkNode& node)
{
    if (node.m_state == kStateBroken)
        return "xbroken";
    if (node.m_brokenChildren > 0)
        return "xcontbroken";
    if (node.m_state == kStateMaxRecursion)
        return "xmaxrec";
    if (node.m_state == kStateIsExternal)
        return "xextern";
    return "xnormal";
}

// The address a report's anchor leads to. Addresses of schemes a browser
// would run (javascript:, data: and the like) lead nowhere.
std::string LinkHref(const CLinkNode& node)
{
    const int protocol = GetLinkProtocol(node.m_url);
    if (protocol == kProtocolScript || protocol == kProtocolUnknown)
        return "#";
    return EscapeCharSet(MaskUrlPasswords(node.GetLinkHref()), kHrefUnsafe, '%');
}

// The selection's masks, as the list and the tree apply them to a link.
bool PassesMasks(const CLinkNode& node, const CLinkViewFilter& selection)
{
    if (!MaskHasBit(selection.m_stateMask, node.m_state) &&
        !(selection.m_containsBroken && node.m_brokenChildren > 0))
        return false;
    return MaskHasBit(selection.m_typeMask, node.m_linkType) &&
           MaskHasBit(selection.m_tagMask, node.m_tagType) &&
           MaskHasBit(selection.m_scopeMask, node.m_scope) &&
           MaskHasBit(selection.m_protocolMask, GetLinkProtocol(node.m_url));
}

int NormalGroupKind(int kind)
{
    return kind >= 0 && kind <= 5 ? kind : 0;
}

std::string SizeText(int64_t size, int style)
{
    return FormatSizeWithBytes(size, style, "?");
}

int64_t PageSize(const CLinkNode& node)
{
    return node.m_size == -1 ? node.m_childrenSize : node.m_size + node.m_childrenSize;
}
} // namespace

// ---- Groups ---------------------------------------------------------------------

int ReportGroupEntries(int groupKind)
{
    static const int kEntries[] = {
        1, kLinkStateCount, kLinkTypeCount, kLinkProtocolCount, kLinkScopeCount, kTagTypeCount};
    return kEntries[NormalGroupKind(groupKind)];
}

int ReportGroupCount(const CLinkStats& stats, int groupKind, int entry, int group)
{
    if (entry < 0 || entry >= ReportGroupEntries(groupKind) || group < 0 || group >= CLinkStats::kGroupCount)
        return 0;
    switch (NormalGroupKind(groupKind))
    {
    case 1:
        return stats.m_states[group][entry];
    case 2:
        return stats.m_linkTypes[group][entry];
    case 3:
        return stats.m_protocols[group][entry];
    case 4:
        return stats.m_scopes[group][entry];
    case 5:
        return stats.m_tagTypes[group][entry];
    default:
        return stats.SumStates(group);
    }
}

bool ReportGroupSelected(int groupKind, int entry, const CLinkViewFilter& selection)
{
    switch (NormalGroupKind(groupKind))
    {
    case 1:
        return MaskHasBit(selection.m_stateMask, entry) ||
               (entry == kStateDownloaded && selection.m_containsBroken);
    case 2:
        return MaskHasBit(selection.m_typeMask, entry);
    case 3:
        return MaskHasBit(selection.m_protocolMask, entry);
    case 4:
        return MaskHasBit(selection.m_scopeMask, entry);
    case 5:
        return MaskHasBit(selection.m_tagMask, entry);
    default:
        return true;
    }
}

bool ReportNodeInGroup(const CLinkNode& node, int groupKind, int entry, bool containsBroken)
{
    switch (NormalGroupKind(groupKind))
    {
    case 1:
        // A page with broken links on it is also listed with the downloaded.
        return node.m_state == entry ||
               (containsBroken && entry == kStateDownloaded && node.m_brokenChildren > 0);
    case 2:
        return node.m_linkType == entry;
    case 3:
        return GetLinkProtocol(node.m_url) == entry;
    case 4:
        return node.m_scope == entry;
    case 5:
        return node.m_tagType == entry;
    default:
        return true;
    }
}

std::string ReportGroupName(int groupKind, int entry)
{
    switch (NormalGroupKind(groupKind))
    {
    case 1:
        return std::string(LinkStateName(entry));
    case 2:
        return LinkTypeName(entry);
    case 3:
        return std::string(LinkProtocolName(entry));
    case 4:
        return std::string(LinkScopeName(entry));
    case 5:
    {
        const char* name = GetLinkKindName(entry);
        return name != nullptr ? name : "";
    }
    default:
        return "All links";
    }
}

// ---- The writer -----------------------------------------------------------------

CReportWriter::CReportWriter(const CReportSource& source, ITransferLog& sink, const CReportOptions& options)
    : m_source(source), m_sink(sink), m_options(options),
      m_html(options.m_format == 1 || options.m_format == 3), m_lineBreak(m_html ? "<br>" : ""),
      m_template(options.m_template)
{
    while (!m_template.empty() && (m_template.back() == '\r' || m_template.back() == '\n'))
        m_template.pop_back();
    if (m_template.empty())
        m_template = kDefaultReportTemplate;
    m_indented = (m_html ? "&nbsp;&nbsp;" : "  ") + m_template;
}

void CReportWriter::Raw(const std::string& text)
{
    m_sink.AppendLine(kLogRaw, text);
}

std::string CReportWriter::Text(std::string_view text) const
{
    const std::string shown = MaskUrlPasswords(text);
    return m_html ? EscapeXmlEntities(shown) : shown;
}

std::string CReportWriter::Info(const std::string& text) const
{
    return m_html ? kInfoStart + text + "</span>" + m_lineBreak : text;
}

bool CReportWriter::Write()
{
    if (m_source.m_links->empty())
        return true;
    WriteHeader();
    if (m_options.m_statistics)
        WriteStatistics();
    const bool list = m_options.m_format == 0 || m_options.m_format == 1;
    if (!(list ? WriteList() : WriteTree()))
        return false;
    Raw(m_lineBreak + "\r\n");
    WriteOrphans();
    if (m_html)
    {
        Raw("<b><a class=\"doctop\" href=\"#doc_top\">Back to the Top</a></b>\r\n");
        Raw("\r\n</body>\r\n</html>\r\n");
    }
    return true;
}

void CReportWriter::WriteHeader()
{
    const CLinkNode& root = *m_source.m_links->front();
    const std::string when = !m_source.m_generatedOn.empty()
                                 ? m_source.m_generatedOn
                                 : FormatDateTime(COleDateTime::GetCurrentTime(), "");
    if (!m_html)
    {
        Raw(Format("Tanglewarden's Report for \"%s\" generated on %s.\r\n\r\n", Text(root.m_url).c_str(),
                   when.c_str()));
        return;
    }
    const std::string title = Format("Tanglewarden's Report for \"%s\" generated on %s",
                                     Text(root.m_url).c_str(), Text(when).c_str());
    const std::string start = Format("Starting link: <a href=\"%s\" target=\"_blank\">%s</a>",
                                     EscapeXmlEntities(LinkHref(root)).c_str(), Text(root.m_url).c_str());
    Raw(Format(kHtmlHead, title.c_str(), kStyleSheet, "Tanglewarden's summary link report", start.c_str()));
}

void CReportWriter::WriteStatistics()
{
    const CLinkStats& stats = *m_source.m_stats;
    const char* prefix = m_html ? kInfoStart : "";
    const char* suffix = m_html ? kInfoEnd : "";
    const auto number = [&](const char* label, int value)
    { Raw(Format("%s%s: %d%s\r\n", prefix, label, value, suffix)); };
    const auto size = [&](const char* label, int64_t value)
    { Raw(Format("%s%s: %s%s\r\n", prefix, label, SizeText(value, 3).c_str(), suffix)); };
    number("Total links", stats.SumStates(CLinkStats::kAll));
    number("Unique links", stats.SumStates(CLinkStats::kUnique));
    number("Checked links", stats.CountChecked(CLinkStats::kAll));
    number("Processed links", stats.CountProcessed(CLinkStats::kAll));
    number("Broken links", stats.m_states[CLinkStats::kAll][kStateBroken]);
    number("Pages containing broken links", stats.m_brokenReferences[CLinkStats::kUnique]);
    number("Links processed last time", stats.CountProcessed(CLinkStats::kAll) - m_source.m_processedAtStart);
    size("Total bytes downloaded", stats.m_bytesDownloaded);
    size("Total bytes received", stats.m_bytesReceived);
    size("Total bytes sent", stats.m_bytesSent);
    size("Local size", stats.m_localSize);
    size("Remote size", stats.m_remoteSize);
    if (m_source.m_crawlEnded)
        Raw(Format("%sTime processed: %d ms%s\r\n", prefix,
                   static_cast<int>(m_source.m_crawlEnd - m_source.m_crawlStart), suffix));
    else
        Raw(Format("%sProcessing...%s\r\n", prefix, suffix));
    Raw(m_html ? "<br>\r\n" : "\r\n");
}

bool CReportWriter::WriteList()
{
    const CLinkViewFilter& selection = m_options.m_selection;
    const int kind = NormalGroupKind(m_options.m_groupKind);
    for (int entry = 0; entry < ReportGroupEntries(kind); ++entry)
    {
        if (m_source.m_stopRequested())
            return false;
        if (!ReportGroupSelected(kind, entry, selection))
            continue;
        Raw(Format("\r\n%sLink group: %s (%d/%d)%s\r\n", m_html ? kInfoStart : "",
                   Text(ReportGroupName(kind, entry)).c_str(),
                   ReportGroupCount(*m_source.m_stats, kind, entry, CLinkStats::kAll),
                   ReportGroupCount(*m_source.m_stats, kind, entry, CLinkStats::kUnique),
                   m_html ? kInfoEnd : ""));
        for (const auto& node : *m_source.m_links)
        {
            if (m_source.m_stopRequested())
                return false;
            if (selection.m_hideRepeats && !node->IsFirstOccurrence())
                continue;
            if (ReportNodeInGroup(*node, kind, entry, selection.m_containsBroken) &&
                PassesMasks(*node, selection))
                Raw(FormatLinkLine(*node, m_template));
        }
    }
    return true;
}

bool CReportWriter::WriteTree()
{
    bool written = false;
    for (const auto& node : *m_source.m_links)
    {
        if (m_source.m_stopRequested())
            return false;
        if (!node->IsFirstOccurrence() || node->m_scope == kScopeExternal ||
            node->m_scope == kScopeExtraExternal || node->m_linkType == kTypeForm)
            continue;
        if (written)
        {
            // After the first line only pages and lists, which have sublinks.
            if (!IsContainerType(node->m_linkType))
                continue;
            const int state = node->m_state;
            if (state == kStateFiltered || state == kStateStopped || state == kStateMaxRecursion ||
                state == kStateIsExternal)
                continue;
            Raw("\r\n");
        }
        Raw(FormatLinkLine(*node, m_template));
        written = true;
        if (node->m_state != kStateDownloaded && node->m_state != kStateInfoOnly)
            continue;
        const auto& children = node->GetChildren();
        const std::string sublinks = children.empty()
                                         ? std::string("(no sublinks)")
                                         : Format("(sublinks: %d)", static_cast<int>(children.size()));
        Raw(Info(sublinks) + "\r\n");
        for (const CLinkNode* child : children)
        {
            if (PassesMasks(*child, m_options.m_selection))
                Raw(FormatLinkLine(*child, m_indented));
        }
        Raw(m_lineBreak + "\r\n");
    }
    return true;
}

void CReportWriter::WriteOrphans()
{
    const CLinkNode& root = *m_source.m_links->front();
    const bool applies =
        root.m_linkType == kTypeLocalFolder || (root.m_linkType == kTypeHtml && IsLocalPath(root.m_url));
    if (!applies)
    {
        Raw(Info("Orphan files: available only for local HTML files") + "\r\n");
        return;
    }
    const int pending = m_source.m_stats->CountPending(CLinkStats::kAll);
    if (pending != 0)
    {
        Raw(Info(Format("Orphan files: test is not complete, unchecked internal files: %d", pending)) +
            "\r\n");
        return;
    }
    std::vector<std::string> names;
    int64_t total = 0;
    const std::string folder = m_source.m_findOrphans(names, total);
    Raw(Info(Format("Orphan (unreferenced) files relative to the starting link: %s quantity: %d, size: %s",
                    Text(folder).c_str(), static_cast<int>(names.size()), SizeText(total, 3).c_str())) +
        "\r\n");
    for (const std::string& name : names)
    {
        if (m_html)
            Raw(Format("<a class=\"xorphan\" href=\"%s\" target=\"_blank\">%s</a><br>\r\n",
                       EscapeXmlEntities(UrlEscapeUnsafe(name)).c_str(), Text(name).c_str()));
        else
            Raw(name + "\r\n");
    }
    Raw(m_lineBreak + "\r\n");
}

// ---- Lines ----------------------------------------------------------------------

std::string CReportWriter::FormatLinkLine(const CLinkNode& node, std::string_view recordTemplate) const
{
    std::string line;
    if (recordTemplate.empty())
        return line;
    if (m_html)
        line = Format("<span class=\"%s\">", LinkClass(node));
    for (size_t at = 0; at < recordTemplate.size(); ++at)
    {
        if (recordTemplate[at] != '%')
        {
            line += recordTemplate[at];
            continue;
        }
        // A placeholder runs to the next '%', or to the end of the template.
        size_t end = recordTemplate.find('%', at + 1);
        if (end == std::string_view::npos)
            end = recordTemplate.size();
        FormatPlaceholder(node, line, recordTemplate.substr(at + 1, end - at - 1));
        at = end;
    }
    line += m_html ? "</span><br>\r\n" : "\r\n";
    return line;
}

std::string CReportWriter::LinkAnchor(const CLinkNode& node) const
{
    return Format("<a class=\"%s\" href=\"%s\" target=\"_blank\">", LinkClass(node),
                  EscapeXmlEntities(LinkHref(node)).c_str()) +
           Text(node.m_url) + "</a>";
}

void CReportWriter::FormatPlaceholder(const CLinkNode& node, std::string& out, std::string_view name) const
{
    switch (MatchPlaceholder(name))
    {
    case kDisp:
        out += Text(node.m_name);
        break;
    case kLink:
        out += m_html ? LinkAnchor(node) : Text(node.m_url);
        break;
    case kTag:
        out += Text(node.m_tagText);
        break;
    case kSrc:
        out += Text(node.m_sourceText);
        break;
    case kType:
    {
        const char* tagName = GetLinkKindName(node.m_tagType);
        out += Text(tagName != nullptr ? tagName : "");
        break;
    }
    case kStatus:
        out += Text(node.GetStateText());
        break;
    case kParent:
        out += node.GetParent() != nullptr ? Text(node.GetParent()->m_url) : std::string("N/A");
        break;
    case kDepth:
        out += Format("%d", node.m_depth);
        break;
    case kRep:
        out += Format("%d", node.m_repetition);
        break;
    case kSize:
        out += Text(SizeText(node.m_size, 3));
        break;
    case kTimeDate:
        out += FormatDateTime(node.m_time, "?");
        break;
    case kOrder:
        out += Format("%d", node.m_linkId - 100 + 1);
        break;
    case kRefs:
        out += Format("%d", node.GetReferenceCount());
        break;
    case kSizeBytes:
        out += SizeText(node.m_size, 0);
        break;
    case kPageSize:
        out += Text(SizeText(PageSize(node), 3));
        break;
    case kPageSizeBytes:
        out += SizeText(PageSize(node), 0);
        break;
    default:
        // A name the table does not know stands for itself.
        out += name;
        break;
    }
}
