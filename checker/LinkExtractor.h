#pragma once
// CLinkExtractor: turns the references of one page, FTP listing or local
// folder into new link nodes one level below the page. It is built on the
// stack for one parse, receives the references from the link walk of an HTML
// tree, from the FTP listing parser and from the folder walk, classifies each
// one (URL, name, fragment, state, scope, link type, site level) and collects
// the nodes; the engine then adds them to its table in one step
// (CPageParser::AddExtractedLinks).
//
// While the engine's lock is released around a parse, the extractor touches
// nothing but its own copy of the task and its own node list; the stop
// source is the only thing it shares, and it only reads it.
//
// Rules for a reference V of an HTML page (OnLink), in order:
// - an empty V is dropped unless the filter keeps links from empty tags;
//   A NAME never adds a node;
// - "//host/x" takes the page's scheme ("http" for a page without a URL);
//   it is tested before anything else reads the reference as a local path;
// - "file:" and "~/" references name local files: Not supported, named by
//   their percent-decoded path. Other references beginning with '/' are
//   resolved against the page like any relative reference, so "/img/a.png"
//   stays on the page's site (and on a local page names a local file);
// - FORM ACTION gives a FORM link with its parsed form (none when the task
//   downloads links);
// - "mailto:" and "javascript:" (any case) are Not supported MAILTO and
//   SCRIPT links;
// - the text from the last '#' is the fragment; what is left is resolved
//   against the page still percent-encoded. Only a result that is a local
//   path is percent-decoded, since there the escapes stand for bytes of a
//   file name;
// - an unresolvable reference (or an empty one without a fragment) is a
//   Broken child with detail 102; a fragment alone names the page itself;
// - the task filter, the scope, the recursion depth and the external flags
//   then choose Waiting, Filtered, Max recursion, Is External or (a local
//   folder named from a page that is not itself a folder) Not supported.
//
// HTML entities are decoded once, by the link walk; the value is not decoded
// a second time, so "&amp;lt;" written in a page stays "&lt;".

#include "checker/LinkNode.h"
#include "checker/TaskSettings.h"

#include "foundation/files/DirectoryTree.h"
#include "foundation/markup/LinkWalk.h"
#include "foundation/threads/CancelPoll.h"
#include "transfer/client/LinkLocation.h"
#include "transfer/ftp/FtpListing.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CXmlNode;

// Whether the engine asks the parse to stop; read from the parsing thread.
class IStopSource
{
public:
    virtual ~IStopSource() = default;
    virtual bool IsStopRequested() const = 0;
};

// What the extractor needs to know of the page it reads.
struct CExtractedPage
{
    std::string m_baseUrl;    // the page's URL, or its local path when it has none
    int m_depth = 0;
    int m_siteLevel = 0;
    int m_linkType = 0;       // the page's link type (10 for a local folder)
    bool m_external = false;  // the page's scope is External or Extra external
    bool m_treatSubdomains = false;  // "Links/Treat Subdomains"
    bool m_collectFiltered = true;   // "Links/Collect Filtered Link"
};

class CLinkExtractor : public ILinkSink,
                       public CListingSink,
                       public IFileEntryVisitor,
                       public ICancelPoll,
                       public ICancelFlag
{
public:
    // The placeholder site that the forms of local pages are resolved
    // against, so they can still be shown and submitted by hand. ".invalid"
    // can never name a real host.
    static constexpr std::string_view kLocalFormBase = "http://local-form.invalid/";

    // The page as read under the engine's lock; the task is copied. stop may
    // be null (never stops).
    CLinkExtractor(const CExtractedPage& page, const CTaskSettings& task, const IStopSource* stop);
    ~CLinkExtractor() override;
    CLinkExtractor(const CLinkExtractor&) = delete;
    CLinkExtractor& operator=(const CLinkExtractor&) = delete;

    // One reference of an HTML page (link walk); returns context unchanged.
    intptr_t OnLink(int tagType, std::string_view value, CXmlNode& element, intptr_t context) override;
    // One entry of an FTP listing below the page's URL.
    void OnListingEntry(const CFtpListingEntry& entry) override;
    // One entry of a local folder below the page's path.
    void OnFolderEntry(const std::string& name, int64_t size, const COleDateTime& time, bool isFolder);
    // The folder walk's report: OnFolderEntry.
    bool OnEntry(const std::string& name, int64_t size, uint32_t attributes, const COleDateTime& modified, int kind,
                 const std::string& folder) override;

    // The stop source, for the walks: non-zero / true ends them.
    int Poll() override { return IsCancelled() ? 1 : 0; }
    bool IsCancelled() override;

    const std::vector<std::unique_ptr<CLinkNode>>& GetNodes() const { return m_nodes; }
    // Hands the collected nodes over; the extractor is left with none.
    std::vector<std::unique_ptr<CLinkNode>> TakeNodes();

private:
    // A node with the fields every reference starts with.
    std::unique_ptr<CLinkNode> NewNode(std::string_view sourceText) const;
    void Collect(std::unique_ptr<CLinkNode> node);
    // "http:" for a page without a URL of a known scheme, else the page's
    // scheme and ':'.
    std::string ProtocolRelativePrefix() const;
    // The FORM ACTION rule.
    void AddForm(std::unique_ptr<CLinkNode> node, std::string_view value, CXmlNode& element);
    // The shared tail of a listing and a folder entry.
    void AddEntry(std::unique_ptr<CLinkNode> node);

    CExtractedPage m_page;
    // The page's base read once for all its links.
    CLinkResolver m_resolver;
    CTaskSettings m_task;
    const IStopSource* m_stop;
    int m_recursion = 1;
    int m_action = 0;
    std::vector<std::unique_ptr<CLinkNode>> m_nodes;
};
