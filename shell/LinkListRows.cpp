#include "shell/LinkListRows.h"

#include "checker/LinkInfo.h"
#include "checker/LinkNames.h"
#include "checker/LinkViewFilter.h"
#include "foundation/markup/LinkWalk.h"
#include "foundation/text/DisplayFormats.h"
#include "res/ResourceIds.h"
#include "transfer/client/ResourceKind.h"

#include <string_view>

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

// Orders two links on one of their fields; std::string's < is the byte
// order the list has always used for its text columns.
template <auto Field>
int ByField(const CLinkInfo& a, const CLinkInfo& b)
{
    return Order(a.*Field, b.*Field);
}

// A known time sorts before an unknown one; two unknown times tie.
int ByTime(const CLinkInfo& a, const CLinkInfo& b)
{
    if (a.m_time.IsValid() != b.m_time.IsValid())
        return a.m_time.IsValid() ? -1 : 1;
    if (!a.m_time.IsValid())
        return 0;
    return Order(a.m_time, b.m_time);
}

// The tag column sorts on the shown name, not on the tag's number.
int ByTagName(const CLinkInfo& a, const CLinkInfo& b)
{
    return Order(std::string_view(GetLinkKindName(a.m_tagType)), std::string_view(GetLinkKindName(b.m_tagType)));
}

// The key of each sort column, in the order of the column table.
using LinkKeyOrder = int (*)(const CLinkInfo&, const CLinkInfo&);
constexpr std::array<LinkKeyOrder, kLinkListColumnCount> kColumnKeyOrder = {
    ByField<&CLinkInfo::m_name>,        // Name
    ByField<&CLinkInfo::m_referrer>,    // Parent link
    ByField<&CLinkInfo::m_index>,       // #
    ByField<&CLinkInfo::m_linkId>,      // ##
    ByField<&CLinkInfo::m_size>,        // Size
    ByTime,                             // Time
    ByTagName,                          // Tag
    ByField<&CLinkInfo::m_linkType>,    // Type, by number
    ByField<&CLinkInfo::m_contentType>, // Content-Type
    ByField<&CLinkInfo::m_statusText>,  // Status
};

int CompareKeys(const CLinkInfo& a, const CLinkInfo& b, int column)
{
    if (column < 0 || column >= kLinkListColumnCount)
        return 0;
    return kColumnKeyOrder[static_cast<size_t>(column)](a, b);
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
    case 6:
        return GetLinkKindName(link.m_tagType);
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
