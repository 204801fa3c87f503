#include "foundation/stores/SiteCache.h"

#include "foundation/files/RawFile.h"
#include "foundation/links/UrlParts.h"
#include "foundation/text/AttributeFormat.h"
#include "foundation/text/AttributeList.h"
#include "platform/core/AtomicFile.h"
#include "platform/core/Text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>
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
        m_root = CRefPtr<CCacheEntry>::Adopt(new CCacheEntry());
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
    m_root.Reset();
}

void CSiteCache::Enumerate(const Visitor& visitor)
{
    CScopedLock lock(m_lock);
    if (!m_root || !visitor)
        return;
    // A visitor that clears the cache must not free the nodes still to be
    // walked: the walk holds the tree through its own reference.
    const CRefPtr<CCacheEntry> root = m_root;
    // An explicit stack: a URL with very many segments makes a deep tree.
    std::vector<const CRefStringMap*> pending{root.Get()};
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
}

namespace
{

// The index line of a cached item, "\r\n" included; false when the item
// cannot be written faithfully.
bool FormatIndexLine(const CLinkItem& item, std::string& line)
{
    line.clear();
    const std::string key = GetSiteCacheKey(item);
    if (key.empty())
        return false;
    int type = 0;
    item.GetInt(LI_RESOURCE_TYPE, type);
    int64_t size = 0;
    item.GetInt64(LI_SIZE, size);
    if (!AppendAttributeText(line, "URL", key) ||
        !AppendAttributeText(line, "Added", item.GetStringValue(LI_INFO_DATE)) ||
        !AppendAttributeText(line, "Size", Format("%I64d", static_cast<long long>(size))) ||
        !AppendAttributeText(line, "Time", item.GetStringValue(LI_TIME)) ||
        !AppendAttributeText(line, "Type", GetResourceTypeName(type)))
        return false;

    struct OptionalAttribute
    {
        const char* name;
        int id;
    };
    static constexpr OptionalAttribute kOptional[] = {
        {"E-Tag", LI_ETAG},
        {"Content-Type", LI_CONTENT_TYPE},
        {"Content-Location", LI_CONTENT_LOCATION},
        {"RedirPath", LI_REDIRECT_PATH},
        {"Redir", LI_REDIRECT_URL},
    };
    for (const OptionalAttribute& attribute : kOptional)
    {
        std::string value;
        if (item.GetString(attribute.id, value) && !AppendAttributeText(line, attribute.name, value))
            return false;
    }
    line += "\r\n";
    return line.size() <= CSiteCache::kMaxIndexLineLength;
}

// A size as _atoi64 reads it (leading blanks, a sign, the digits up to the
// first other character; no digits is 0), except that a negative value and
// one beyond 64 bits are the unknown size -1.
int64_t ParseIndexSize(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int64_t value = 0;
    const std::from_chars_result result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        return -1;
    if (result.ec != std::errc())
        return 0;
    return value < 0 ? -1 : value;
}

// Collects the names and values of one line in turn.
class CPairVisitor : public CAbstractVisitor
{
public:
    bool Add(std::string_view text) override
    {
        m_texts.emplace_back(text);
        return true;
    }
    std::vector<std::string> m_texts;
};

// Fills item from one index line. False when the line names no URL that
// parses or no resource type from 1 to 17: such an entry could never be
// found or saved.
bool ParseIndexLine(std::string_view line, CLinkItem& item)
{
    CPairVisitor names;
    CPairVisitor values;
    ParseAttributeListEx(line, &names, &values, nullptr);
    static constexpr struct
    {
        const char* name;
        int id;
    } kTextAttributes[] = {
        {"Redir", LI_REDIRECT_URL},
        {"RedirPath", LI_REDIRECT_PATH},
        {"time", LI_TIME},
        {"content-type", LI_CONTENT_TYPE},
        {"added", LI_INFO_DATE},
        {"E-Tag", LI_ETAG},
        {"content-location", LI_CONTENT_LOCATION},
    };
    bool urlParsed = false;
    const size_t count = std::min(names.m_texts.size(), values.m_texts.size());
    for (size_t i = 0; i < count; ++i)
    {
        const std::string& name = names.m_texts[i];
        const std::string& value = values.m_texts[i];
        if (EqualsNoCase(name, "url"))
        {
            urlParsed = item.SetUrl(value.c_str(), true);
            continue;
        }
        if (EqualsNoCase(name, "size"))
        {
            item.SetInt64(LI_SIZE, ParseIndexSize(value));
            continue;
        }
        if (EqualsNoCase(name, "type"))
        {
            item.SetInt(LI_RESOURCE_TYPE, GetResourceTypeByName(value));
            continue;
        }
        for (const auto& attribute : kTextAttributes)
        {
            if (EqualsNoCase(name, attribute.name))
            {
                item.SetString(attribute.id, value.c_str());
                break;
            }
        }
    }
    int type = 0;
    item.GetInt(LI_RESOURCE_TYPE, type);
    return urlParsed && type >= 1 && type < kResourceTypeCount;
}

// Hands out the lines of a file without their line ends (LF or CR LF). A line
// longer than the limit is skipped whole, so a damaged file without line
// breaks cannot make the reader hold all of it.
class CIndexLineReader
{
public:
    CIndexLineReader(CRawFile& file, size_t maxLength) : m_file(file), m_maxLength(maxLength) {}

    // False at the end of the file or on a read error.
    bool Next(std::string& line)
    {
        for (;;)
        {
            bool tooLong = false;
            if (!ReadOne(line, tooLong))
                return false;
            if (tooLong)
                continue;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return true;
        }
    }

private:
    // The next line, LF dropped; tooLong when it was dropped whole.
    bool ReadOne(std::string& line, bool& tooLong)
    {
        line.clear();
        bool any = false;
        for (;;)
        {
            if (m_pos == m_chunk.size() && !Fill())
                return any;
            any = true;
            const size_t lf = m_chunk.find('\n', m_pos);
            const size_t end = lf == std::string::npos ? m_chunk.size() : lf;
            const size_t length = end - m_pos;
            if (!tooLong && line.size() + length <= m_maxLength)
                line.append(m_chunk, m_pos, length);
            else
            {
                tooLong = true;
                line.clear();
            }
            m_pos = lf == std::string::npos ? end : end + 1;
            if (lf != std::string::npos)
                return true;
        }
    }

    bool Fill()
    {
        m_chunk.resize(kChunkSize);
        const int32_t got = m_file.Read(m_chunk.data(), static_cast<int32_t>(kChunkSize));
        m_chunk.resize(got > 0 ? static_cast<size_t>(got) : 0);
        m_pos = 0;
        return got > 0;
    }

    static constexpr size_t kChunkSize = 0x10000;
    CRawFile& m_file;
    size_t m_maxLength;
    std::string m_chunk;
    size_t m_pos = 0;
};

} // namespace

bool CSiteCache::LoadFile(const std::string& path)
{
    CRawFile file;
    if (!file.Open(path, kOpenReadOnly | kOpenBinary))
        return false;
    CScopedLock lock(m_lock);
    Clear();
    CIndexLineReader reader(file, kMaxIndexLineLength);
    std::string line;
    while (reader.Next(line))
    {
        CLinkItem item;
        if (ParseIndexLine(line, item))
            Store(item);
    }
    return true;
}

bool CSiteCache::SaveFile(const std::string& path)
{
    CScopedLock lock(m_lock);
    std::string text;
    std::string line;
    Enumerate(
        [&text, &line](const CLinkItem& item)
        {
            if (FormatIndexLine(item, line))
                text += line;
        });
    return WriteFileAtomic(path, text, 0600);
}
