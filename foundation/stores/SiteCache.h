#pragma once
// CSiteCache: what a server last said about each URL (resource type, size,
// time, content type and location, entity tag, redirect target) and when
// that was learned, so that a later request can take the answer without
// asking the server again while it is fresh. The transfer manager owns the
// one instance and keeps it in kSiteCacheFileName in the data folder.
//
// Entries hang on a CCacheEntry tree keyed by GetSiteCacheKey of the item:
// its URL text with path and user name but never the password, split at '/'
// ('\' counts as '/') with empty components skipped, so that the scheme
// ("http:"), the host (with user and port as written) and each path segment
// are one level each, matched case-sensitively.
//
// An entry is valid while its resource type is 1 to 17, and fresh while it
// is valid and not stale (CLinkItem::IsStale judges LI_INFO_DATE, the date
// the information was stored). Only fresh entries are found, enumerated and
// saved. Requests with a body (LI_POST_DATA) are never stored or found, and
// neither is an item without a URL (an empty key).
//
// Every operation, file load and save included, holds the cache lock for
// its whole duration, so engine, pool and UI threads may share the cache.
// The lock is recursive: an Enumerate visitor may call back into the cache;
// entries it clears stay alive until the walk is over.

#include "foundation/stores/CacheEntry.h"
#include "foundation/links/LinkItem.h"
#include "platform/core/CriticalSection.h"
#include "platform/core/RefPtr.h"

#include <functional>
#include <string>

inline constexpr const char* kSiteCacheFileName = "InfoCache.txt";

// The five operations the other subsystems use, in their fixed order.
class ISiteCache
{
public:
    using Visitor = std::function<void(const CLinkItem& item)>;

    virtual ~ISiteCache() = default;

    // True, with the entry's resource information copied into item
    // (CLinkItem::CopyResourceInfoFrom), when a fresh entry exists for the
    // item's key.
    virtual bool Lookup(CLinkItem& item) = 0;
    // Creates every missing level of the item's key and copies the item's
    // URL (CopyUrlFrom) and resource information into the entry.
    virtual void Store(const CLinkItem& item) = 0;
    // Sets the resource type of the item's entry, when there is one, to 0, so
    // that it is neither found nor saved any more.
    virtual void Invalidate(const CLinkItem& item) = 0;
    // Releases the whole tree.
    virtual void Clear() = 0;
    // Calls visitor with the item of every fresh entry, depth first, each
    // entry before its children, children in the order of their names.
    virtual void Enumerate(const Visitor& visitor) = 0;
};

class CSiteCache : public ISiteCache
{
public:
    CSiteCache();
    ~CSiteCache() override;
    CSiteCache(const CSiteCache&) = delete;
    CSiteCache& operator=(const CSiteCache&) = delete;

    bool Lookup(CLinkItem& item) override;
    void Store(const CLinkItem& item) override;
    void Invalidate(const CLinkItem& item) override;
    void Clear() override;
    void Enumerate(const Visitor& visitor) override;

    // Replaces the cache with the entries of an index file (format below).
    // False, leaving the cache as it was, when the file cannot be opened.
    // Lines that name no URL that parses, or no resource type from 1 to 17,
    // and lines longer than kMaxIndexLineLength are skipped.
    [[nodiscard]] bool LoadFile(const std::string& path);
    // Writes one line per fresh entry whose key is not empty, replacing the
    // file in one step (WriteFileAtomic), so a failed save leaves the old
    // file as it was. False when the file could not be written.
    [[nodiscard]] bool SaveFile(const std::string& path);

    // Index file lines, each ending in "\r\n":
    //   URL="<key>" Added="<610>" Size="<602>" Time="<603>" Type="<name>"
    // then, each only when the item has the property, E-Tag= (608),
    // Content-Type= (600), Content-Location= (601), RedirPath= (61) and
    // Redir= (103). A value is written in double quotes; one that holds a
    // double quote goes in single quotes instead, or bare when it also holds
    // a single quote but no white space and does not begin with a quote, so
    // that the attribute reader gives it back unchanged. An entry with a
    // value that none of these forms can carry (both quotes and white space,
    // or a line break) is left out of the file rather than written wrong.
    // Reading matches names in any case; a negative size, or one too large
    // for 64 bits, reads as -1 (unknown).
    static constexpr size_t kMaxIndexLineLength = 1024 * 1024;

private:
    // The entry of key, or null; call with the lock held.
    CCacheEntry* FindEntryLocked(const std::string& key) const;

    mutable CCriticalSection m_lock;
    // Null until the first entry is stored.
    CRefPtr<CCacheEntry> m_root;
};

// The key of an item in the site cache: the URL text with path and user name
// and without the password; empty when the item has no URL.
std::string GetSiteCacheKey(const CLinkItem& item);
