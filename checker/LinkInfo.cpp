#include "checker/LinkInfo.h"

#include "checker/LinkNames.h"

#include "foundation/markup/LinkWalk.h"
#include "foundation/text/DisplayFormats.h"
#include "platform/core/Text.h"
#include "transfer/client/ResourceKind.h"

CLinkInfo::CLinkInfo()
{
    m_time.m_status = COleDateTime::invalid;
}

CLinkInfo::~CLinkInfo() = default;

std::string CLinkInfo::FormatTooltip(const CLinkInfo& record, std::string_view separator)
{
    const std::string sep(separator);
    const char* s = sep.c_str();
    const std::string repetition = record.m_repetition <= 0 ? "?" : Format("%d", record.m_repetition);
    const std::string tagName = GetLinkKindName(record.m_tagType);
    const std::string scopeName(LinkScopeName(record.m_scope));

    if (record.m_linkType == kTypeMailto || record.m_linkType == kTypeScript)
    {
        return Format("Link:\t%s%sTag type:\t%s%sTag:\t%s%sRepetition:\t%s%sLink depth:\t%d%sStatus:\t%s%s"
                      "Index:\t%d%sGlobal index:\t%d%sReferrer:\t%s%sInterest:\t%s%s",
                      record.m_name.c_str(), s, tagName.c_str(), s, record.m_tagText.c_str(), s, repetition.c_str(), s,
                      record.m_depth, s, record.m_statusText.c_str(), s, record.m_index + 1, s, record.m_linkId - 99,
                      s, record.m_referrer.c_str(), s, scopeName.c_str(), s);
    }

    const int64_t pageSize = record.m_size < 0 ? record.m_childrenSize : record.m_size + record.m_childrenSize;
    const std::string size = FormatSizeWithBytes(record.m_size, 3, "");
    const std::string pageSizeText = FormatSizeWithBytes(pageSize, 3, "");
    const std::string time = FormatDateTime(record.m_time, "");
    const std::string typeName = LinkTypeName(record.m_linkType);
    return Format("Link:\t%s%sURL:\t%s%sLocal copy:\t%s%sContent type:\t%s%sTag type:\t%s%sTag:\t%s%sType:\t%s%s"
                  "Size:\t%s%sPage size:\t%s%sTime:\t%s%sRepetition:\t%s%sLink depth:\t%d%sReferences:\t%d%s"
                  "Sublinks:\t%d%sSublinks (rec):\t%d%sStatus:\t%s%sIndex:\t%d%sGlobal index:\t%d%s"
                  "Referrer:\t%s%sInterest:\t%s%s",
                  record.m_name.c_str(), s, record.m_url.c_str(), s, record.m_localCopy.c_str(), s,
                  record.m_contentType.c_str(), s, tagName.c_str(), s, record.m_tagText.c_str(), s, typeName.c_str(),
                  s, size.c_str(), s, pageSizeText.c_str(), s, time.c_str(), s, repetition.c_str(), s, record.m_depth,
                  s, record.m_references, s, record.m_sublinks, s, record.m_sublinksRecursive, s,
                  record.m_statusText.c_str(), s, record.m_index + 1, s, record.m_linkId - 99, s,
                  record.m_referrer.c_str(), s, scopeName.c_str(), s);
}
