#pragma once
// CCacheEntry: one node of the site cache's tree, keyed by the components of
// a URL (see CSiteCache). Every node holds a link item with the cached URL
// and what the server last said about it; the levels above a stored URL
// ("http:", the host, the folders) are entries too, with resource type 0
// until something is stored under their own URL.
//
// Entries are reference-counted like every CRefStringMap node: a holder that
// took its own reference keeps its entry (and the entry's subtree) alive
// after the cache released it. The item itself has no lock; it is read and
// changed only under the site cache's lock.

#include "foundation/links/LinkItem.h"
#include "foundation/stores/RefStringMap.h"

class CCacheEntry : public CRefStringMap
{
public:
    CCacheEntry();

    // A new empty entry, so that the levels FindOrCreate adds are entries.
    CRefStringMap* CreateNode() const override;

    CLinkItem& GetItem() { return m_item; }
    const CLinkItem& GetItem() const { return m_item; }

    // The resource type is between 1 and 17: the entry holds information.
    bool IsValid() const;
    // Valid, and the information is not stale (CLinkItem::IsStale).
    bool IsFresh() const;

protected:
    ~CCacheEntry() override;

private:
    CLinkItem m_item;
};
