#include "foundation/properties/PropertySet.h"

#include <cstring>

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

void CPropertySet::BumpStamp()
{
    m_changeStamp = NextChangeStamp(m_changeStamp);
}

const CPropValue* CPropertySet::Find(int id) const
{
    if (!m_entries)
        return nullptr;
    const auto it = m_entries->find(CutId(id));
    return it == m_entries->end() ? nullptr : &it->second;
}

CPropValue& CPropertySet::FindOrCreate(int id)
{
    if (!m_entries)
        m_entries.emplace();
    auto [it, created] = m_entries->try_emplace(CutId(id));
    if (created)
        it->second.SetInt(0);
    return it->second;
}

void CPropertySet::RemoveForDefault(int id)
{
    if (!m_entries)
        return;
    m_entries->erase(CutId(id));
    if (m_entries->empty())
        m_entries.reset();
    BumpStamp();
}

void CPropertySet::ClearEntries()
{
    m_entries.reset();
}

bool CPropertySet::Serialize(CArchive& ar)
{
    CScopedLock lock(m_lock.get());
    if (ar.IsStoring())
    {
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
    return Find(id) != nullptr;
}

bool CPropertySet::GetString(int id, std::string& out) const
{
    CScopedLock lock(m_lock.get());
    out.clear();
    const CPropValue* value = Find(id);
    if (!value)
        return m_dropDefaults;
    return value->GetString(out, m_dropDefaults);
}

bool CPropertySet::GetInt64(int id, int64_t& out) const
{
    CScopedLock lock(m_lock.get());
    out = 0;
    const CPropValue* value = Find(id);
    if (!value)
        return m_dropDefaults;
    return value->GetInt64(out, m_dropDefaults);
}

bool CPropertySet::GetInt(int id, int& out) const
{
    CScopedLock lock(m_lock.get());
    out = 0;
    const CPropValue* value = Find(id);
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
    const CPropValue* value = Find(id);
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
    const CPropValue* value = Find(id);
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
    const CPropValue* value = Find(id);
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
    if (!m_entries || m_entries->erase(CutId(id)) == 0)
        return false;
    if (m_entries->empty())
        m_entries.reset();
    BumpStamp();
    return true;
}

int CPropertySet::GetKind(int id) const
{
    CScopedLock lock(m_lock.get());
    const CPropValue* value = Find(id);
    return value ? value->GetKind() : CPropValue::kindEmpty;
}

void CPropertySet::Visit(IPropertySet& target) const
{
    // Visiting onto itself would change the map under the loop and could
    // only write back what is already there.
    if (&target == this)
        return;
    CScopedLock lock(m_lock.get());
    if (!m_entries)
        return;
    for (const auto& [id, value] : *m_entries)
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
    }
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
        if (src.m_entries && !filter)
            m_entries.emplace();
    }
    if (src.m_entries)
    {
        for (const auto& [id, value] : *src.m_entries)
        {
            if (filter && !filter(id))
                continue;
            if (!m_entries)
                m_entries.emplace();
            (*m_entries)[id] = value;
        }
    }
    BumpStamp();
}

std::string CPropertySet::GetStringValue(int id) const
{
    std::string text;
    GetString(id, text);
    return text;
}

uint32_t CPropertySet::GetChangeStamp() const
{
    CScopedLock lock(m_lock.get());
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
