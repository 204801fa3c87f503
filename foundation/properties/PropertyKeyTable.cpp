#include "foundation/properties/PropertyKeyTable.h"

#include "foundation/text/AttributeList.h"
#include "foundation/markup/AttributeMapSink.h"
#include "foundation/text/Escaping.h"
#include "platform/core/Text.h"

#include <algorithm>
#include <bit>
#include <map>

namespace
{
int DefaultInt(const CPropValue& value)
{
    int out = 0;
    value.GetInt(out, false);
    return out;
}

int64_t DefaultInt64(const CPropValue& value)
{
    int64_t out = 0;
    value.GetInt64(out, false);
    return out;
}

std::string DefaultText(const CPropValue& value)
{
    std::string out;
    value.GetString(out, false);
    return out;
}

// Doubles and dates are kept in a set as the 8 bytes of their double (a
// date's day count).
int64_t DefaultBits(const CPropValue& value)
{
    double out = 0.0;
    value.GetDouble(out, true);
    return std::bit_cast<int64_t>(out);
}
} // namespace

CPropertyKey::CPropertyKey() : m_defaultValue(PropertyValue::InitInt(0)) {}

CPropertyKey::CPropertyKey(std::string_view name, int id, const CPropValue& defaultValue, bool keepEmpty)
    : m_name(name), m_id(static_cast<uint16_t>(id)), m_defaultValue(defaultValue), m_keepEmpty(keepEmpty)
{
}

bool CPropertyKey::SaveTo(IKeyValueStore& store, IPropertySet& set) const
{
    switch (GetKind())
    {
    case CPropValue::kindInt:
    {
        int value = 0;
        set.GetInt(m_id, value);
        store.SetInt(m_name, value);
        return true;
    }
    case CPropValue::kindInt64:
    case CPropValue::kindDouble:
    case CPropValue::kindDate:
    {
        int64_t value = 0;
        set.GetInt64(m_id, value);
        store.SetInt64(m_name, value);
        return true;
    }
    case CPropValue::kindString:
    {
        std::string text;
        set.GetString(m_id, text);
        store.SetString(m_name, text);
        return true;
    }
    default:
        return false;
    }
}

bool CPropertyKey::LoadFrom(IKeyValueStore& store, IPropertySet& set) const
{
    switch (GetKind())
    {
    case CPropValue::kindInt:
    {
        int value = DefaultInt(m_defaultValue);
        const bool found = store.GetInt(m_name, value);
        set.SetInt(m_id, found ? value : DefaultInt(m_defaultValue));
        return found;
    }
    case CPropValue::kindInt64:
    {
        int64_t value = DefaultInt64(m_defaultValue);
        const bool found = store.GetInt64(m_name, value);
        set.SetInt64(m_id, found ? value : DefaultInt64(m_defaultValue));
        return found;
    }
    case CPropValue::kindDouble:
    case CPropValue::kindDate:
    {
        int64_t value = 0;
        bool found = store.GetInt64(m_name, value);
        if (GetKind() == CPropValue::kindDate && value == 0)
            found = false;
        set.SetInt64(m_id, found ? value : DefaultBits(m_defaultValue));
        return found;
    }
    case CPropValue::kindString:
    {
        std::string text;
        if (store.GetString(m_name, text))
        {
            if (!m_keepEmpty)
                text = Trim(text);
            if (m_keepEmpty || !text.empty())
            {
                set.SetString(m_id, text.c_str());
                return true;
            }
        }
        set.SetString(m_id, DefaultText(m_defaultValue).c_str());
        return false;
    }
    default:
        return false;
    }
}

void CPropertyKey::ApplyDefault(IPropertySet& set) const
{
    switch (GetKind())
    {
    case CPropValue::kindInt:
        set.SetInt(m_id, DefaultInt(m_defaultValue));
        break;
    case CPropValue::kindInt64:
        set.SetInt64(m_id, DefaultInt64(m_defaultValue));
        break;
    case CPropValue::kindDouble:
    case CPropValue::kindDate:
        set.SetInt64(m_id, DefaultBits(m_defaultValue));
        break;
    case CPropValue::kindString:
        set.SetString(m_id, DefaultText(m_defaultValue).c_str());
        break;
    default:
        break;
    }
}

bool CPropertyKey::FormatAsAttribute(IPropertySet& set, std::string& out) const
{
    if (!set.Has(m_id))
        return false;
    std::string value;
    switch (GetKind())
    {
    case CPropValue::kindInt:
    {
        int number = 0;
        set.GetInt(m_id, number);
        if (number == DefaultInt(m_defaultValue))
            return false;
        value = Format("%d", number);
        break;
    }
    case CPropValue::kindInt64:
    {
        int64_t number = 0;
        set.GetInt64(m_id, number);
        if (number == DefaultInt64(m_defaultValue))
            return false;
        value = Format("%I64d", static_cast<long long>(number));
        break;
    }
    case CPropValue::kindString:
    {
        std::string text;
        set.GetString(m_id, text);
        if (text == DefaultText(m_defaultValue))
            return false;
        value = EscapeXmlEntities(text);
        break;
    }
    default:
        return false;
    }
    if (!out.empty())
        out += ' ';
    out += m_name;
    out += "=\"";
    out += value;
    out += '"';
    return true;
}

void CPropertyKeyTable::Add(std::string_view name, int id, const CPropValue& defaultValue, bool keepEmpty)
{
    AddOrReplace(CPropertyKey(name, id, defaultValue, keepEmpty));
}

void CPropertyKeyTable::AddOrReplace(const CPropertyKey& key)
{
    const auto old = std::find_if(m_entries.begin(), m_entries.end(),
                                  [&key](const CPropertyKey& entry) { return entry.m_id == key.m_id; });
    if (old != m_entries.end())
        m_entries.erase(old);
    m_entries.push_back(key);
}

CPropertyKey CPropertyKeyTable::GetEntry(int index) const
{
    if (index < 0 || index >= GetCount())
        return CPropertyKey();
    return m_entries[static_cast<size_t>(index)];
}

void CPropertyKeyTable::SaveTo(IKeyValueStore& store, IPropertySet& set) const
{
    for (const CPropertyKey& entry : m_entries)
        entry.SaveTo(store, set);
}

int CPropertyKeyTable::LoadFrom(IKeyValueStore& store, IPropertySet& set) const
{
    int loaded = 0;
    for (const CPropertyKey& entry : m_entries)
    {
        if (entry.LoadFrom(store, set))
            ++loaded;
    }
    return loaded;
}

void CPropertyKeyTable::ApplyDefaults(IPropertySet& set) const
{
    for (const CPropertyKey& entry : m_entries)
        entry.ApplyDefault(set);
}

void CPropertyKeyTable::FormatAttributes(IPropertySet& set, std::string& out) const
{
    for (const CPropertyKey& entry : m_entries)
        entry.FormatAsAttribute(set, out);
}

void CPropertyKeyTable::SetByName(IPropertySet& set, std::string_view name, std::string_view text,
                                  bool caseSensitive) const
{
    const auto entry =
        std::find_if(m_entries.begin(), m_entries.end(),
                     [&](const CPropertyKey& key)
                     { return caseSensitive ? key.m_name == name : EqualsNoCase(key.m_name, name); });
    if (entry == m_entries.end())
        return;
    const std::string value(text);
    switch (entry->GetKind())
    {
    case CPropValue::kindInt:
        set.SetInt(entry->m_id, StrToIntSafe(value));
        break;
    case CPropValue::kindInt64:
        set.SetInt64(entry->m_id, StrToInt64Safe(value));
        break;
    case CPropValue::kindDouble:
        set.SetInt64(entry->m_id, std::bit_cast<int64_t>(StrToDoubleSafe(value)));
        break;
    case CPropValue::kindString:
        set.SetString(entry->m_id, value.c_str());
        break;
    default:
        break;
    }
}

void CPropertyKeyTable::ApplyAttributeList(std::string_view text, IPropertySet& set, bool caseSensitive) const
{
    // The sink decodes the values; a name given twice keeps its last value,
    // as applying the pairs one after the other would.
    std::map<std::string, std::string> pairs;
    CAttributeMapSink sink(pairs, caseSensitive);
    ParseAttributeList(text, sink);
    for (const auto& [name, value] : pairs)
        SetByName(set, name, value, caseSensitive);
}
