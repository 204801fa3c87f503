#pragma once
// CLinkNode: one link of a task's link table, a node of the link tree. The
// engine's link table owns every node; a node's children and its URL record
// are pointers it does not own.
//
// Two kinds of operations change a node. The plain ones (SetState, SetSize,
// ...) change the node and the counts its parent keeps of its children. The
// counted ones (...Counted, AddChild, AttachToUrlRecord) also keep a
// CLinkStats in step: a node is counted in the "all" group, and also in the
// "unique" group while it is a first occurrence. A node enters the statistics
// with CountInStats once it is in the table; from then on only counted
// operations keep every counter equal to a recount.
//
// Sizes: a child that is a first occurrence with a page-part tag adds its size
// (when known) to its parent's children size; a child with a frame tag adds
// its own children size as well, so a page's size includes its frames'
// images. A size of -1 is not known and adds nothing; the parent's count of
// sized children follows a size that becomes known (or unknown) later.
//
// Nothing here locks: the caller holds the engine's lock.

#include "checker/LinkInfo.h"

#include <string>
#include <vector>

class CLinkStats;
class CTaskFilter;
class CTaskSettings;
class CUrlRecord;
class IPropertySet;

class CLinkNode : public CLinkInfo
{
public:
    CLinkNode() = default;
    // The root of a task: name, URI and referrer from the task (the name is
    // the start URI when the task has none); a LOCALFOLDER when the URI names
    // an existing folder, else InitFromUrl with the task.
    CLinkNode(const CTaskSettings& task, int linkId);
    CLinkNode(const CLinkNode&) = delete;
    CLinkNode& operator=(const CLinkNode&) = delete;
    ~CLinkNode() override;

    CLinkNode* GetParent() const { return m_parent; }
    const std::vector<CLinkNode*>& GetChildren() const { return m_children; }
    CUrlRecord* GetUrlRecord() const { return m_urlRecord; }

    // The POST description of the node's URL from a task's (or an item's) POST
    // properties: "file:" and the POST file path, or "data:" and the POST
    // text, for an http or https URL whose POST is enabled; else empty.
    void InitFromUrl(const IPropertySet& set);

    // ---- Plain changes (each stamps the content stamp unless said) ----------
    void SetLinkType(int linkType);
    // No stamp.
    void SetScope(int scope);
    // Clears the error detail; the parent's broken-children count follows the
    // node into and out of Broken.
    void SetState(int state);
    void SetBroken(int code);
    void SetSize(int64_t size);
    void SetTime(const COleDateTime& time);
    // Gives the content and children stamps a value above both their own and
    // floor, so that every view copy of the node, and every watermark a view
    // took up to floor, counts as old.
    void TouchStamps(uint32_t floor);

    // ---- Counted changes ----------------------------------------------------
    void SetLinkTypeCounted(int linkType, CLinkStats& stats);
    // As SetState; the parent's broken-children change goes to the broken
    // references of the parent's groups.
    void SetStateCounted(int state, CLinkStats& stats);
    void SetBrokenCounted(int code, CLinkStats& stats);
    // Appends a child: its index and parent, the sublinks, broken and sized
    // children, children size (up the frame chain), the broken references,
    // and every ancestor's recursive count. An empty array changes nothing.
    void AddChild(CLinkNode* child, CLinkStats& stats);
    void AddChildren(const std::vector<CLinkNode*>& children, CLinkStats& stats);
    // Joins the node to its URL record: one more occurrence (and reference
    // when the parent is an HTML page), the first node when the record has
    // none, and the repetition number; the node moves between the groups as
    // its first-occurrence status changes.
    void AttachToUrlRecord(CUrlRecord* record, CLinkStats& stats);
    void CountInStats(CLinkStats& stats) const;
    void RemoveFromStats(CLinkStats& stats) const;
    // A repetition takes size, time, content type, URL, local copy, link type
    // and state from the first node of its record. False for the first node
    // and without a record.
    bool SyncFromFirst(CLinkStats& stats);
    // The first node of a record takes URL, local copy, content type, time
    // and size from the record's results (the local side for a local link)
    // and the record's content kind. False for any other node.
    bool ApplyUrlRecord(CLinkStats& stats);

    // Refreshes a view's copy: returns 1 when the content was newer, 2 the
    // children, 4 the descendants (or-ed), and copies what changed.
    enum CopyBits : int
    {
        kCopiedContent = 1,
        kCopiedChildren = 2,
        kCopiedDescendants = 4,
    };
    int CopyInfoIfChanged(CLinkInfo& copy) const;

    // ---- Questions ----------------------------------------------------------
    // The state name; for Broken with a status text on the record ", " and
    // that text; ", contains broken links" when a child is broken.
    std::string GetStateText() const;
    // The name alone for repetition 1 or -1, else "name (repetition)".
    std::string GetNumberedName() const;
    // This node when it is a first occurrence, else its record's first node.
    const CLinkNode* GetFirstOccurrence() const;
    // Occurrences of the URL on HTML pages; 0 without a record.
    int GetReferenceCount() const;
    // The page where the site of this link was entered: the ancestor site
    // level steps up. Null for site level 0, when there is no such ancestor
    // or when a GENERICURL node is met on the way.
    CLinkNode* GetSiteEntry() const;
    // The URL; for a remote URL with a POST description, URL "/" description.
    std::string GetDisplayUrl() const;
    // A "file://" address for a local path, else the URL.
    std::string GetLinkHref() const;
    bool IsInProgress() const;
    bool IsRecheckable() const;
    bool IsCheckable() const;
    // The URL is a local path naming an existing file, or the link was
    // downloaded.
    bool HasLocalCopy() const;
    // Stopped or at the recursion limit, not "Extra external", and accepted
    // by the task filter.
    bool CanResume(const CTaskFilter& filter) const;
    // Stopped or external, not "Extra external", and accepted by the filter.
    bool CanFollowExternal(const CTaskFilter& filter) const;

private:
    // Adds delta (+1 or -1) times the node's counters to its groups.
    void AdjustStats(CLinkStats& stats, int delta) const;
    // Adds delta to the broken references of this node's groups.
    void AddBrokenReferences(CLinkStats& stats, int delta) const;
    // What this node adds to its parent's children size.
    int64_t SizeContribution() const;
    // Adds delta to this node's children size and on up while the node in
    // hand is a first occurrence with a frame tag.
    void AddChildrenSize(int64_t delta);
    // Places one child without touching the ancestors' recursive counts.
    void PlaceChild(CLinkNode* child, CLinkStats& stats);
    // Adds count to the recursive count of this node and its ancestors.
    void AddDescendants(int count);
    void SetUrlCounted(const std::string& url, CLinkStats& stats);
    void StampContent();

    CUrlRecord* m_urlRecord = nullptr;
    CLinkNode* m_parent = nullptr;
    std::vector<CLinkNode*> m_children;
};
