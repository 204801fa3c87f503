#include "shell/LinkListRows.h"

#include "checker/LinkInfo.h"
#include "checker/LinkNames.h"
#include "checker/LinkViewFilter.h"
#include "foundation/markup/LinkWalk.h"
#include "foundation/text/DisplayFormats.h"
#include "res/ResourceIds.h"
#include "transfer/client/ResourceKind.h"

#include <cstring>

namespace
{
// Folders and listings, forms, pages, the rest: the order of the groups
// when sorting on any column but the two numbers.
int KindGroup(int linkType)
{
    switch (linkType)
    {
    case kTypeFtpList:
    case kTypeLocalFolder:
        return 0;
    case kTypeForm:
        return 1;
    case kTypeHtml:
        return 2;
    default:
        return 3;
    }
}

template <typename T>
int Order(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

int CompareText(const std::string& a, const std::string& b)
{
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareKindNames(int a, int b)
{
    const char* nameA = GetLinkKindName(a);
    const char* nameB = GetLinkKindName(b);
    if (nameA == nullptr || nameB == nullptr)
        return Order(nameA != nullptr, nameB != nullptr);
    const int c = std::strcmp(nameA, nameB);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareDates(const COleDateTime& a, const COleDateTime& b)
{
    if (a.IsValid() != b.IsValid())
        return a.IsValid() ? -1 : 1;
    if (!a.IsValid())
        return 0;
    return Order(a, b);
}

int CompareKeys(const CLinkInfo& a, const CLinkInfo& b, int column)
{
    switch (column)
    {
    case 0:
        return CompareText(a.m_name, b.m_name);
    case 1:
        return CompareText(a.m_referrer, b.m_referrer);
    case 2:
        return Order(a.m_index, b.m_index);
    case 3:
        return Order(a.m_linkId, b.m_linkId);
    case 4:
        return Order(a.m_size, b.m_size);
    case 5:
        return CompareDates(a.m_time, b.m_time);
    case 6:
        return CompareKindNames(a.m_tagType, b.m_tagType);
    case 7:
        return Order(a.m_linkType, b.m_linkType);
    case 8:
        return CompareText(a.m_contentType, b.m_contentType);
    case 9:
        return CompareText(a.m_statusText, b.m_statusText);
    default:
        return 0;
    }
}
} // namespace

const std::array<LinkListColumn, kLinkListColumnCount>& LinkListColumns()
{
    static const std::array<LinkListColumn, kLinkListColumnCount> columns = {{
        {IDS_COLUMN_NAME, false, 200},
        {IDS_COLUMN_PARENT_LINK, false, 120},
        {IDS_COLUMN_INDEX, true, 36},
        {IDS_COLUMN_LINK_NUMBER, true, 36},
        {IDS_COLUMN_SIZE, true, 60},
        {IDS_COLUMN_TIME, false, 120},
        {IDS_COLUMN_TAG, false, 80},
        {IDS_COLUMN_TYPE, false, 80},
        {IDS_COLUMN_CONTENT_TYPE, false, 80},
        {IDS_COLUMN_STATUS, false, 120},
    }};
    return columns;
}

std::string LinkListCellText(const CLinkInfo& link, int column)
{
    switch (column)
    {
    case 0:
        return link.m_name;
    case 1:
        return link.m_referrer;
    case 2:
        return std::to_string(static_cast<int64_t>(link.m_index) + 1);
    case 3:
        return std::to_string(static_cast<int64_t>(link.m_linkId) - 99);
    case 4:
        return FormatSizeWithBytes(link.m_size, 4, "");
    case 5:
        return FormatDateTime(link.m_time, "");
    case 6: {
        const char* name = GetLinkKindName(link.m_tagType);
        return name != nullptr ? name : "";
    }
    case 7:
        return LinkTypeName(link.m_linkType);
    case 8:
        return link.m_contentType;
    case 9:
        return link.m_statusText;
    default:
        return {};
    }
}

int CompareLinks(const CLinkInfo& a, const CLinkInfo& b, int column)
{
    int result = 0;
    if (column != 2 && column != 3)
        result = Order(KindGroup(a.m_linkType), KindGroup(b.m_linkType));
    if (result == 0)
        result = CompareKeys(a, b, column);
    if (result == 0)
        result = Order(b.m_repetition, a.m_repetition);
    return result;
}

std::optional<QColor> LinkRowBackground(const CLinkInfo& link)
{
    if (link.m_brokenChildren > 0)
        return QColor(250, 250, 220);
    switch (link.m_state)
    {
    case kStateUnknown:
        return QColor(250, 220, 220);
    case kStateWaiting:
    case kStateProcessing:
        return QColor(230, 250, 230);
    case kStateBroken:
        return QColor(255, 200, 200);
    case kStateRedirected:
        return QColor(200, 200, 255);
    case kStateNotSupported:
    case kStateNotAvailableOffline:
        return QColor(250, 250, 240);
    case kStateFiltered:
        return QColor(240, 240, 245);
    case kStateStopped:
        return QColor(255, 210, 240);
    case kStateMaxRecursion:
        return QColor(235, 235, 235);
    case kStateIsExternal:
        return QColor(245, 240, 240);
    default: // Downloaded, Info only and values outside the table
        return std::nullopt;
    }
}

CLinkViewFilter LinkListFilter(const CLinkViewFilter& treeFilter)
{
    CLinkViewFilter filter = treeFilter;
    filter.m_pageMode = CLinkViewFilter::kByMasks;
    filter.m_fileMode = CLinkViewFilter::kByMasks;
    filter.m_type0Mode = CLinkViewFilter::kByMasks;
    return filter;
}

LinkListModeRule LinkListModeFor(int mode)
{
    switch (mode)
    {
    case 0:
        return {LVS_ICON, 32, false, false};
    case 1:
        return {LVS_SMALLICON, 16, false, false};
    case 2:
        return {LVS_LIST, 16, false, false};
    case 4:
        return {LVS_ICON, 0, true, false};
    default:
        return {LVS_REPORT, 16, false, true};
    }
}
