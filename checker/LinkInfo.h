#pragma once
// CLinkInfo: the record of one link as the link table holds it (CLinkNode
// derives from it) and as the views hold their copies of it. The copies are
// refreshed through CLinkNode::CopyInfoIfChanged by comparing the three change
// stamps.

#include "checker/OwnedForm.h"

#include "platform/core/OleDateTime.h"

#include <cstdint>
#include <string>
#include <string_view>

class CLinkInfo
{
public:
    CLinkInfo();
    CLinkInfo(const CLinkInfo&) = default;
    CLinkInfo& operator=(const CLinkInfo&) = default;
    virtual ~CLinkInfo();

    // The tooltip text of a link: the short form for MAILTO and SCRIPT links,
    // the long form with URL, sizes and time for every other type; each line
    // ends with separator. A repetition of 0 or below shows as "?".
    static std::string FormatTooltip(const CLinkInfo& record, std::string_view separator = "\r\n");

    // A repetition number of -1 (not attached yet) or 1.
    bool IsFirstOccurrence() const { return m_repetition == -1 || m_repetition < 2; }

    // In a copy handed to the views: the name alone for the first occurrence,
    // else "name (repetition)".
    std::string m_name;
    std::string m_url;         // absolute URL or local path
    std::string m_localCopy;   // path of the downloaded file
    std::string m_tagText;     // the tag as found in the page
    std::string m_sourceText;  // the link as written in the page (a root: the task's start URL)
    std::string m_contentType;
    std::string m_statusText;  // copies only: CLinkNode::GetStateText
    std::string m_referrer;
    std::string m_fragment;    // from the '#' on, cut from the URL
    std::string m_postDescription; // "data:..." or "file:..." for POST links, else empty
    int32_t m_depth = 0;       // recursion level, 0 for a root
    int32_t m_siteLevel = 0;   // links in a row, ending here, that stayed on one site
    int32_t m_index = -1;      // position in the parent's children, -1 when not placed
    int32_t m_sourceLine = -1; // where the link extraction found it
    int32_t m_sourceColumn = -1;
    int32_t m_references = 0;  // copies only: occurrences of the URL on HTML pages
    int32_t m_linkId = 0;      // index in the link table + 100; 0 for none
    uint32_t m_contentStamp = 0;
    uint32_t m_childrenStamp = 0;
    uint32_t m_descendantsStamp = 0;
    COleDateTime m_time;       // remote file time; invalid until known
    COwnedForm m_form;         // the parsed form of a FORM link
    int32_t m_tagType = 0;
    int32_t m_scope = 0;
    int32_t m_linkType = 0;
    int32_t m_errorDetail = 0; // result code of a broken link
    int32_t m_state = 0;
    int32_t m_repetition = -1; // -1 until attached to its URL record, then 1, 2, ...
    int32_t m_sublinks = 0;
    int32_t m_sublinksRecursive = 0;
    int32_t m_brokenChildren = 0;
    int32_t m_sizedChildren = 0;
    int64_t m_size = -1;       // -1 when not known
    int64_t m_childrenSize = 0; // sizes of the children that count to the page
};
