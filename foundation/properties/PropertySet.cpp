#include "foundation/properties/PropertySet.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/core/Archive.h"
#include "platform/core/TickCount.h"

namespace
{
constexpr char kMagicEntries[4] = {'M', 'D', 'S', 'A'};
constexpr char kMagicEmpty[4] = {'M', 'D', 'S', 'E'};
} // namespace

CPropertySet::CPropertySet(bool threadSafe)
{
    if (threadSafe)
        m_lock = std::make_unique<CCriticalSection>();
}

CPropertySet::~CPropertySet()
{
    ClearEntries();
}

namespace
{
// The first entry of a sorted entry array whose id is not below id.
template <class Entries>
auto LowerBoundIn(Entries& entries, int16_t id)
{
    return std::lower_bound(entries.begin(), entries.end(), id,
                            [](const auto& entry, int16_t key) { return entry.first < key; });
}

// The next id of a packed set (Compact): the one before it, in `id`, plus
// the varint step. False at the end or on a cut step.
bool ReadPackedId(const uint8_t*& p, const uint8_t* end, int16_t& id)
{
    uint32_t step = 0;
    for (int shift = 0; shift < 21 && p < end; shift += 7)
    {
        const uint8_t byte = *p++;
        step |= static_cast<uint32_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0)
        {
            id = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint16_t>(id) + step));
            return true;
        }
    }
    return false;
}
} // namespace


const CPropValue* CPropertySet::Find(int id, CPropValue& decoded) const
{
    const int16_t key = CutId(id);
    if (!m_packed.empty())
    {
        // Steps over the other entries without decoding them.
        const uint8_t* p = m_packed.data();
        const uint8_t* const end = p + m_packed.size();
        int16_t entryId = 0;
        while (ReadPackedId(p, end, entryId) && entryId <= key)
        {
            if (entryId == key)
                return CPropValue::ReadPacked(p, end, &decoded) ? &decoded : nullptr;
            if (!CPropValue::ReadPacked(p, end, nullptr))
                break;
        }
        return nullptr;
    }
    if (!m_entries)
        return nullptr;
    const auto it = LowerBoundIn(std::as_const(*m_entries), key);
    return it == m_entries->end() || it->first != key ? nullptr : &it->second;
}

CPropValue& CPropertySet::FindOrCreate(int id)
{
    Unpack();
    if (!m_entries)
        m_entries.emplace();
    const int16_t key = CutId(id);
    auto it = LowerBoundIn(*m_entries, key);
    if (it == m_entries->end() || it->first != key)
    {
        it = m_entries->emplace(it, key, CPropValue());
        it->second.SetInt(0);
    }
    return it->second;
}

bool CPropertySet::EraseEntry(int id)
{
    Unpack();
    if (!m_entries)
        return false;
    const int16_t key = CutId(id);
    const auto it = LowerBoundIn(*m_entries, key);
    if (it == m_entries->end() || it->first != key)
        return false;
    m_entries->erase(it);
    if (m_entries->empty())
        m_entries.reset();
    return true;
}

void CPropertySet::RemoveForDefault(int id)
{
    Unpack();
    if (!m_entries)
        return;
    EraseEntry(id);
    BumpStamp();
}

void CPropertySet::ClearEntries()
{
    std::vector<uint8_t>().swap(m_packed);
    m_entries.reset();
}

bool CPropertySet::Serialize(CArchive& ar)
{
    CScopedLock lock(m_lock.get());
    if (ar.IsStoring())
    {
        Unpack();
        if (!m_entries)
        {
            ar.Write(kMagicEmpty, sizeof kMagicEmpty);
            return true;
        }
        ar.Write(kMagicEntries, sizeof kMagicEntries);
        ar.WriteUInt32(static_cast<uint32_t>(m_entries->size()));
        for (auto& [id, value] : *m_entries)
        {
            ar.WriteUInt16(static_cast<uint16_t>(id));
            value.Serialize(ar);
        }
        return true;
    }

    ClearEntries();
    BumpStamp();
    const bool loaded = LoadEntries(ar);
    // A damaged record loads nothing rather than a guessed part of it.
    if (!loaded)
        ClearEntries();
    BumpStamp();
    return loaded;
}

bool CPropertySet::LoadEntries(CArchive& ar)
{
    char magic[4];
    if (!ar.Read(magic, sizeof magic))
        return false;
    // Any other tag ("MDSE" among them) is a set without entries.
    if (std::memcmp(magic, kMagicEntries, sizeof magic) != 0)
        return true;
    uint32_t count = 0;
    if (!ar.ReadUInt32(count))
        return false;
    m_entries.emplace();
    // The count is not trusted: every entry reads at least three bytes, so a
    // huge count ends at the first read past the end.
    for (uint32_t i = 0; i < count; ++i)
    {
        uint16_t id = 0;
        if (!ar.ReadUInt16(id))
            return false;
        if (!FindOrCreate(static_cast<int16_t>(id)).Serialize(ar))
            return false;
    }
    return true;
}

bool CPropertySet::Has(int id) const
{
    CScopedLock lock(m_lock.get());
    CPropValue decoded;
    return Find(id, decoded) != nullptr;
}

bool CPropertySet::GetString(int id, std::string& out) const
{
    CScopedLock lock(m_lock.get());
    out.clear();
    CPropValue decoded;
    const CPropValue* value = Find(id, decoded);
    if (!value)
        return m_dropDefaults;
    return value->GetString(out, m_dropDefaults);
}

bool CPropertySet::GetInt64(int id, int64_t& out) const
{
    CScopedLock lock(m_lock.get());
    out = 0;
    CPropValue decoded;
    const CPropValue* value = Find(id, decoded);
    if (!value)
        return m_dropDefaults;
    return value->GetInt64(out, m_dropDefaults);
}

bool CPropertySet::GetInt(int id, int& out) const
{
    CScopedLock lock(m_lock.get());
    out = 0;
    CPropValue decoded;
    const CPropValue* value = Find(id, decoded);
    if (!value)
        return m_dropDefaults;
    return value->GetInt(out, m_dropDefaults);
}

bool CPropertySet::TestBit(int id, int bit) const
{
    // A shift by 32 or more is undefined; such a bit is never set.
    if (bit < 0 || bit > 31)
        return false;
    CScopedLock lock(m_lock.get());
    int value = 0;
    GetInt(id, value);
    return (static_cast<uint32_t>(value) >> bit) & 1u;
}

const uint8_t* CPropertySet::GetBlobData(int id, int& len) const
{
    return GetBlobPtr(id, len);
}

const uint8_t* CPropertySet::GetBlobPtr(int id, int& len) const
{
    CScopedLock lock(m_lock.get());
    // The pointer must stay valid until the entry changes, so it has to
    // point into a stored entry, not into one decoded for this call.
    const_cast<CPropertySet*>(this)->Unpack();
    CPropValue decoded;
    const CPropValue* value = Find(id, decoded);
    if (!value)
    {
        len = 0;
        return nullptr;
    }
    return value->GetBlobPtr(len);
}

bool CPropertySet::GetBlob(int id, uint8_t* dst, int& len) const
{
    CScopedLock lock(m_lock.get());
    CPropValue decoded;
    const CPropValue* value = Find(id, decoded);
    if (!value)
    {
        len = 0;
        return m_dropDefaults;
    }
    return value->GetBlob(dst, len);
}

bool CPropertySet::GetBlobSize(int id, int& size) const
{
    CScopedLock lock(m_lock.get());
    size = 0;
    CPropValue decoded;
    const CPropValue* value = Find(id, decoded);
    if (!value)
        return m_dropDefaults;
    return value->GetBlobSize(size);
}

void CPropertySet::SetString(int id, const char* text)
{
    CScopedLock lock(m_lock.get());
    if (m_dropDefaults && (!text || !*text))
    {
        RemoveForDefault(id);
        return;
    }
    FindOrCreate(id).SetString(text);
    BumpStamp();
}

void CPropertySet::SetInt64(int id, int64_t value)
{
    CScopedLock lock(m_lock.get());
    if (m_dropDefaults && value == 0)
    {
        RemoveForDefault(id);
        return;
    }
    FindOrCreate(id).SetInt64(value);
    BumpStamp();
}

void CPropertySet::SetInt(int id, int value)
{
    CScopedLock lock(m_lock.get());
    if (m_dropDefaults && value == 0)
    {
        RemoveForDefault(id);
        return;
    }
    FindOrCreate(id).SetInt(value);
    BumpStamp();
}

void CPropertySet::SetFlag(int id, int bit, bool on)
{
    if (bit < 0 || bit > 31)
        return;
    CScopedLock lock(m_lock.get());
    int value = 0;
    GetInt(id, value);
    uint32_t bits = static_cast<uint32_t>(value);
    if (on)
        bits |= 1u << bit;
    else
        bits &= ~(1u << bit);
    SetInt(id, static_cast<int>(bits));
}

void CPropertySet::SetBlob(int id, const uint8_t* data, int len)
{
    CScopedLock lock(m_lock.get());
    if (m_dropDefaults && (!data || len == 0))
    {
        RemoveForDefault(id);
        return;
    }
    FindOrCreate(id).SetBlob(data, len);
    BumpStamp();
}

void CPropertySet::AddInt64(int id, int64_t delta)
{
    CScopedLock lock(m_lock.get());
    CPropValue right;
    right.SetInt64(delta);
    CPropValue& entry = FindOrCreate(id);
    entry = entry.Add(right);
    BumpStamp();
}

void CPropertySet::AddInt(int id, int delta)
{
    CScopedLock lock(m_lock.get());
    CPropValue right;
    right.SetInt(delta);
    CPropValue& entry = FindOrCreate(id);
    entry = entry.Add(right);
    BumpStamp();
}

void CPropertySet::Clear()
{
    CScopedLock lock(m_lock.get());
    ClearEntries();
    BumpStamp();
}

bool CPropertySet::Remove(int id)
{
    CScopedLock lock(m_lock.get());
    if (!EraseEntry(id))
        return false;
    BumpStamp();
    return true;
}

int CPropertySet::GetKind(int id) const
{
    CScopedLock lock(m_lock.get());
    CPropValue decoded;
    const CPropValue* value = Find(id, decoded);
    return value ? value->GetKind() : CPropValue::kindEmpty;
}

void CPropertySet::Visit(IPropertySet& target) const
{
    // Visiting onto itself would change the map under the loop and could
    // only write back what is already there.
    if (&target == this)
        return;
    CScopedLock lock(m_lock.get());
    ForEachEntry([&](int16_t id, const CPropValue& value)
    {
        switch (value.GetKind())
        {
        case CPropValue::kindInt:
        {
            int n = 0;
            value.GetInt(n, false);
            target.SetInt(id, n);
            break;
        }
        case CPropValue::kindInt64:
        {
            int64_t n = 0;
            value.GetInt64(n, false);
            target.SetInt64(id, n);
            break;
        }
        case CPropValue::kindString:
        {
            std::string text;
            value.GetString(text, false);
            target.SetString(id, text.c_str());
            break;
        }
        case CPropValue::kindBlob:
        {
            int len = 0;
            const uint8_t* data = value.GetBlobPtr(len);
            target.SetBlob(id, data, len);
            break;
        }
        default:
            break;
        }
    });
}

void CPropertySet::SetThreadSafe(bool threadSafe)
{
    if (threadSafe && !m_lock)
        m_lock = std::make_unique<CCriticalSection>();
    else if (!threadSafe)
        m_lock.reset();
}

void CPropertySet::CopyFrom(const CPropertySet& src, bool replace, const std::function<bool(int id)>& filter)
{
    if (&src == this)
        return;
    CScopedLock lock(m_lock.get());
    CScopedLock sourceLock(src.m_lock.get());
    if (replace)
    {
        ClearEntries();
        m_dropDefaults = src.m_dropDefaults;
        // An unfiltered copy keeps even an empty map, so it is stored alike.
        if ((src.m_entries || !src.m_packed.empty()) && !filter)
            m_entries.emplace();
    }
    src.ForEachEntry(
        [&](int16_t id, const CPropValue& value)
        {
            if (!filter || filter(id))
                FindOrCreate(id) = value;
        });
    BumpStamp();
}

std::string CPropertySet::GetStringValue(int id) const
{
    std::string text;
    GetString(id, text);
    return text;
}

void CPropertySet::Compact()
{
    CScopedLock lock(m_lock.get());
    if (!m_entries || m_entries->empty())
        return;
    // Each entry: its id as the varint of the step from the id before,
    // then the value's packed form. A date is not packed; such a set stays
    // unpacked.
    std::vector<uint8_t> packed;
    int16_t previous = 0;
    for (const auto& [id, value] : *m_entries)
    {
        uint16_t step = static_cast<uint16_t>(static_cast<uint16_t>(id) - static_cast<uint16_t>(previous));
        while (step >= 0x80)
        {
            packed.push_back(static_cast<uint8_t>(step | 0x80));
            step = static_cast<uint16_t>(step >> 7);
        }
        packed.push_back(static_cast<uint8_t>(step));
        previous = id;
        if (!value.AppendPacked(packed))
        {
            m_entries->shrink_to_fit();
            return;
        }
    }
    m_packed.assign(packed.begin(), packed.end());
    m_entries.reset();
}

void CPropertySet::Unpack()
{
    if (m_packed.empty())
        return;
    EntryMap entries;
    ForEachPacked(
        [&](int16_t id, CPropValue& value)
        {
            entries.emplace_back(id, std::move(value));
            return true;
        });
    std::vector<uint8_t>().swap(m_packed);
    m_entries.emplace(std::move(entries));
}

void CPropertySet::ForEachPacked(const std::function<bool(int16_t id, CPropValue& value)>& visit) const
{
    // Written by Compact from a valid set, so every read succeeds; the
    // checks only keep a fault from reading past the end.
    const uint8_t* p = m_packed.data();
    const uint8_t* const end = p + m_packed.size();
    int16_t id = 0;
    while (ReadPackedId(p, end, id))
    {
        CPropValue value;
        if (!CPropValue::ReadPacked(p, end, &value) || !visit(id, value))
            return;
    }
}

void CPropertySet::ForEachEntry(const std::function<void(int16_t id, const CPropValue& value)>& visit) const
{
    if (!m_packed.empty())
    {
        ForEachPacked(
            [&](int16_t id, CPropValue& value)
            {
                visit(id, value);
                return true;
            });
        return;
    }
    if (m_entries)
        for (const auto& [id, value] : *m_entries)
            visit(id, value);
}

uint32_t CPropertySet::GetChangeStamp() const
{
    CScopedLock lock(m_lock.get());
    if (m_stampBehind)
    {
        m_changeStamp = NextChangeStamp(m_changeStamp);
        m_stampBehind = false;
    }
    return m_changeStamp;
}

int GetIntOr(const IPropertySet& set, int id, int missing)
{
    int value = 0;
    return set.GetInt(id, value) ? value : missing;
}

int64_t GetInt64Or(const IPropertySet& set, int id, int64_t missing)
{
    int64_t value = 0;
    return set.GetInt64(id, value) ? value : missing;
}

std::string GetStringOf(const IPropertySet& set, int id)
{
    std::string text;
    set.GetString(id, text);
    return text;
}
