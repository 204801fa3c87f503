#include "foundation/stores/SiteCache.h"

#include "foundation/links/UrlParts.h"

#include <vector>

std::string GetSiteCacheKey(const CLinkItem& item)
{
    CUrlParts parts = item.GetUrlParts();
    // The key is written to the index file, which must never hold a password.
    parts.m_password.clear();
    return ComposeUrlFromParts(parts, item.GetUrl(), true);
}

CSiteCache::CSiteCache() = default;

CSiteCache::~CSiteCache()
{
    Clear();
}

CCacheEntry* CSiteCache::FindEntryLocked(const std::string& key) const
{
    // An empty key would name the root itself, which is no URL's entry.
    if (!m_root || key.empty())
        return nullptr;
    // Every node of the tree was made by the root's CreateNode.
    return static_cast<CCacheEntry*>(m_root->Find(key));
}

bool CSiteCache::Lookup(CLinkItem& item)
{
    if (item.Has(LI_POST_DATA))
        return false;
    const std::string key = GetSiteCacheKey(item);
    CScopedLock lock(m_lock);
    const CCacheEntry* entry = FindEntryLocked(key);
    if (!entry || !entry->IsFresh())
        return false;
    item.CopyResourceInfoFrom(entry->GetItem());
    return true;
}

void CSiteCache::Store(const CLinkItem& item)
{
    if (item.Has(LI_POST_DATA))
        return;
    const std::string key = GetSiteCacheKey(item);
    if (key.empty())
        return;
    CScopedLock lock(m_lock);
    if (!m_root)
        m_root = new CCacheEntry();
    auto* entry = static_cast<CCacheEntry*>(m_root->FindOrCreate(key));
    entry->GetItem().CopyUrlFrom(item);
    entry->GetItem().CopyResourceInfoFrom(item);
}

void CSiteCache::Invalidate(const CLinkItem& item)
{
    const std::string key = GetSiteCacheKey(item);
    CScopedLock lock(m_lock);
    if (CCacheEntry* entry = FindEntryLocked(key))
        entry->GetItem().SetInt(LI_RESOURCE_TYPE, 0);
}

void CSiteCache::Clear()
{
    CScopedLock lock(m_lock);
    CCacheEntry* root = m_root;
    m_root = nullptr;
    if (root)
        root->Release();
}

void CSiteCache::Enumerate(const Visitor& visitor)
{
    CScopedLock lock(m_lock);
    if (!m_root || !visitor)
        return;
    // A visitor that clears the cache must not free the nodes still to be
    // walked: the walk holds the tree through its own reference.
    CCacheEntry* root = m_root;
    root->AddRef();
    // An explicit stack: a URL with very many segments makes a deep tree.
    std::vector<const CRefStringMap*> pending{root};
    while (!pending.empty())
    {
        const auto* entry = static_cast<const CCacheEntry*>(pending.back());
        pending.pop_back();
        if (entry->IsFresh())
            visitor(entry->GetItem());
        if (const CRefStringMap::ChildMap* children = entry->GetChildren())
        {
            // Pushed in reverse, so the children come off in name order.
            for (auto it = children->rbegin(); it != children->rend(); ++it)
                pending.push_back(it->second);
        }
    }
    root->Release();
}
