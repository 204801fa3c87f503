#pragma once
// CPageParser: reads the content of a link once it is available locally (a
// downloaded page, a local file, a local folder, an FTP listing) and adds
// every reference in it to the engine's link table as a child of the link.
// The engine's page-parse function (PageParse.h) runs one whenever a link
// reaches Downloaded.
//
// The engine is reached through IPageParseHost, a handful of the engine's
// own calls, so the parser runs the same against the real engine and
// against a test's fake.
//
// Lock contract: ParsePage and AddExtractedLinks are called with the engine
// lock held exactly once by the calling thread, through the unique_lock the
// engine's public entry took. ParsePage releases that lock around reading,
// parsing and walking (which may take long for a big page) and takes it
// again before it touches the link table, the node or its URL record. A
// lock taken a second time further up the stack would not be released by
// one unlock, so the lock is handed down rather than taken again.

#include "checker/PageParse.h"

#include <cstdint>
#include <memory>
#include <vector>

class CLinkExtractor;
class CLinkNode;
class CLinkStats;
class CTaskSettings;
class CUrlRecord;
class IPropertySet;
class IStopSource;

// What page parsing needs of the crawl engine. Every call is made with the
// engine lock held.
class IPageParseHost
{
public:
    virtual ~IPageParseHost() = default;

    virtual const IStopSource& GetStopSource() const = 0;
    virtual CLinkStats& GetStats() = 0;
    virtual const CTaskSettings& GetTask() const = 0;
    // The program's settings ("Links/Treat Subdomains", "Links/Collect
    // Filtered Link").
    virtual const IPropertySet& GetSettings() const = 0;
    // Stores the node at the end of the link table with its link id (index
    // + 100) and a fresh content stamp, and counts it in the statistics.
    virtual CLinkNode* AppendNode(std::unique_ptr<CLinkNode> node) = 0;
    // Prepares a new link: joins it to the URL record of its URL and answers
    // what can be answered without a transfer. May release and retake the
    // lock (a local page may be parsed at once).
    virtual void PrepareLink(CLinkNode& node, CEngineLock& lock) = 0;
    // Sets the record's local size and keeps the engine's size totals.
    virtual void UpdateLocalSize(CUrlRecord& record, int64_t size) = 0;
};

// Status codes and details of a page that could not be parsed.
enum PageParseCode : int
{
    kParseStopped = 3,      // "Parsing stopped"
    kParseNotSupported = 100,
    kParseNotText = 102,    // "Is not ASCII"; also the detail of unresolvable references
    kParseCannotOpen = 106, // "Cannot open downloaded file" / "Cannot open local file"
};

class CPageParser
{
public:
    explicit CPageParser(IPageParseHost& host) : m_host(host) {}

    // Parses the node's content when its record is done and not parsed yet,
    // the node is its first occurrence and in state Downloaded; otherwise
    // nothing. A page that cannot be opened or read becomes Broken, one
    // whose parse was stopped Stopped, and neither gets children. Returns
    // true when the content was parsed to its end.
    bool ParsePage(CLinkNode& node, CEngineLock& lock);

    // Makes the nodes children of the page, gives them table places, ids and
    // statistics, and prepares each; the list is emptied.
    void AddExtractedLinks(CLinkNode& page, std::vector<std::unique_ptr<CLinkNode>>& nodes, CEngineLock& lock);

private:
    // Opens, reads and walks the content as its kind asks, with the lock
    // released around the parse; false when the page failed (already marked).
    bool ReadContent(CLinkNode& node, CUrlRecord& record, CLinkExtractor& extractor, CEngineLock& lock);
    void FailOpen(CLinkNode& node, CUrlRecord& record, int detail, int statusCode);
    void FailNotText(CLinkNode& node, CUrlRecord& record);

    IPageParseHost& m_host;
};
