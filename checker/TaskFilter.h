#pragma once
// CTaskFilter: which links a crawl may follow. Besides the include and
// exclude patterns of CPatternFilter it holds a mask over tag types and a
// mask over URL schemes (bit number = value) and the task's filter flags.
//
// The task settings keep the filter under the property ids 0 to 7 and read
// and write it as text (GetText, SetText); the masks are hexadecimal ("%.8X"),
// the flags decimal, the pattern lists each pattern followed by ';'.

#include "foundation/text/PatternFilter.h"

#include <cstdint>
#include <string>
#include <string_view>

class CLinkNode;

enum TaskFilterId : int
{
    TASK_FILTER_TAGS = 0,
    TASK_FILTER_PROTOCOLS = 1,
    TASK_FILTER_CASE_SENSITIVE = 2,
    TASK_FILTER_INCLUDE = 3,
    TASK_FILTER_INCLUDE_ENABLE = 4,
    TASK_FILTER_EXCLUDE = 5,
    TASK_FILTER_EXCLUDE_ENABLE = 6,
    TASK_FILTER_EXTERNAL = 7,
    kTaskFilterIdCount = 8,
};

// The mask texts of project files and dialogs: leading '0's, then one
// optional 'x' (or 'X'), then further '0's are skipped; hexadecimal digits
// accumulate up to the first other character. An empty text gives 0.
int32_t ParseHexMask(std::string_view text);

class CTaskFilter : public CPatternFilter
{
public:
    // Every tag type, HTTP only, flags off, no patterns.
    CTaskFilter() = default;

    // Back to the initial state.
    void Reset();

    static bool IsFilterId(int id) { return id >= 0 && id < kTaskFilterIdCount; }

    // The text form of a filter id; false for other ids.
    bool GetText(int id, std::string& out) const;
    // Sets a field from its text form; false for other ids.
    bool SetText(int id, std::string_view text);
    // The masks and flags as numbers (ids 0, 1, 2, 4, 6, 7); false for the
    // pattern lists and other ids.
    bool GetInt(int id, int& out) const;
    bool SetInt(int id, int value);

    // True when the node may be followed: a local path or a URL without a
    // known scheme prefix passes the protocol test, any other URL needs its
    // scheme's bit; the tag type's bit must be set; an empty URL passes the
    // patterns, any other must Match them.
    bool Accept(const CLinkNode& node) const;

    bool operator==(const CTaskFilter& other) const;

    int32_t m_tagMask = -1;
    int32_t m_protocolMask = 1 << 1; // http
    bool m_caseSensitive = false;
    bool m_external = false;      // include external links and redirects
    bool m_keepEmptyTags = false; // keep links from empty tags
    bool m_containers = false;    // apply the filter to pages and folders too
};
