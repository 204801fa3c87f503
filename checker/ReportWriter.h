#pragma once
// CReportWriter: turns a task's link table into a text or HTML report,
// written piece by piece into a transfer log as raw text. The engine runs it
// on its own thread with its lock held for the whole report.
//
// Formats: 0 text list, 1 HTML list, 2 text tree, 3 HTML tree. A list
// report writes the links group by group (group kinds: 0 all links, 1 by
// state, 2 by link type, 3 by display protocol, 4 by scope, 5 by tag type;
// any other kind counts as 0); a tree report writes each page with the links
// found on it. Each link is one line made from a record template whose
// "%name%" placeholders stand for the link's fields.
//
// An HTML report escapes every text it inserts (names, tag and source texts,
// statuses, addresses, paths), so that a crawled page cannot put markup or
// script into a report opened in a browser; only the report's own markup
// and the user's template are written as they stand. No address in a report
// carries the password of a "user:password@" login.

#include "checker/LinkViewFilter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CLinkNode;
class CLinkStats;
class ITransferLog;

// What a report is asked for.
struct CReportOptions
{
    int m_format = 0;
    std::string m_template; // empty: kDefaultReportTemplate
    CLinkViewFilter m_selection;
    bool m_statistics = false;
    int m_groupKind = 0;
};

inline constexpr const char* kDefaultReportTemplate = "Link %order%: %link% (%status%)";

// What the writer reads of the engine; everything stays the engine's.
struct CReportSource
{
    const std::vector<std::unique_ptr<CLinkNode>>* m_links = nullptr;
    const CLinkStats* m_stats = nullptr;
    int m_processedAtStart = 0; // processed links when the last crawl began
    bool m_crawlEnded = true;
    uint32_t m_crawlStart = 0;
    uint32_t m_crawlEnd = 0;
    // Asked before every group and every link; true ends the report.
    std::function<bool()> m_stopRequested;
    // The orphan files of a local root: the folder searched, the files and
    // their total size.
    std::function<std::string(std::vector<std::string>&, int64_t&)> m_findOrphans;
    // The "generated on" text; empty: the local date and time now.
    std::string m_generatedOn;
};

class CReportWriter
{
public:
    CReportWriter(const CReportSource& source, ITransferLog& sink, const CReportOptions& options);

    // The whole report; nothing for an empty table. False when a stop ended
    // it early (nothing more is written then).
    bool Write();
    // The statistics block.
    void WriteStatistics();
    // One record line for node from the template, with its line end.
    std::string FormatLinkLine(const CLinkNode& node, std::string_view recordTemplate) const;
    // Appends the text of one placeholder (its name without the '%' signs).
    void FormatPlaceholder(const CLinkNode& node, std::string& out, std::string_view name) const;

private:
    void Raw(const std::string& text);
    // The text, without URL passwords, and escaped for HTML.
    std::string Text(std::string_view text) const;
    // An information line: in HTML inside the "xinfo" span with a break.
    std::string Info(const std::string& text) const;
    void WriteHeader();
    bool WriteList();
    bool WriteTree();
    void WriteOrphans();
    std::string LinkAnchor(const CLinkNode& node) const;

    const CReportSource& m_source;
    ITransferLog& m_sink;
    const CReportOptions& m_options;
    const bool m_html;
    const std::string m_lineBreak;
    std::string m_template;
    std::string m_indented;
};

// The counter of entry in the statistics for a group kind (1 states, 2 link
// types, 3 protocols, 4 scopes, 5 tag types; 0 the sum of the states), in
// group 0 all links or 1 unique links.
int ReportGroupCount(const CLinkStats& stats, int groupKind, int entry, int group);
// Whether the selection's mask of the group kind has the entry (kind 0
// always; state entry 3 always with contains-broken).
bool ReportGroupSelected(int groupKind, int entry, const CLinkViewFilter& selection);
bool ReportNodeInGroup(const CLinkNode& node, int groupKind, int entry, bool containsBroken);
std::string ReportGroupName(int groupKind, int entry);
// The number of entries of a group kind (1 for kind 0 and unknown kinds).
int ReportGroupEntries(int groupKind);
