#include "foundation/stores/RegistryKey.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace
{
// Groups may be written with '/' or '\'; the store separates levels by '\'.
std::string ToStorePath(std::string_view path)
{
    std::string out(path);
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

// Splits a value name at its last separator into a subkey path (empty when
// the value lives in the key itself) and the value name.
void SplitValueName(std::string_view name, std::string& subKey, std::string_view& valueName)
{
    const size_t separator = name.find_last_of("/\\");
    if (separator == std::string_view::npos)
    {
        subKey.clear();
        valueName = name;
        return;
    }
    subKey = ToStorePath(name.substr(0, separator));
    valueName = name.substr(separator + 1);
}

// A registry text is a C string: it ends at its first NUL.
std::string_view CutAtNul(std::string_view text)
{
    return text.substr(0, std::min(text.find('\0'), text.size()));
}
} // namespace

CRegistryKey::CRegistryKey(CRegistry& registry) : m_registry(&registry) {}

CRegistryKey::OpenResult CRegistryKey::Open(std::string_view subKey, bool readOnly, const CRegistryHandle& parent)
{
    // The new key is opened before the current one closes, so that parent
    // may be this wrapper's own key; on failure the wrapper still ends closed.
    CRegistryHandle key;
    OpenResult result = OpenResult::kFailed;
    if (readOnly)
    {
        if (m_registry->OpenKey(parent, subKey, false, key) == RegResult::Ok)
            result = OpenResult::kExisting;
    }
    else
    {
        bool created = false;
        if (m_registry->CreateKey(parent, subKey, key, &created) == RegResult::Ok)
            result = created ? OpenResult::kCreated : OpenResult::kExisting;
    }
    Close();
    if (result != OpenResult::kFailed)
        m_key = std::move(key);
    return result;
}

CRegistryKey::OpenResult CRegistryKey::Open(std::string_view subKey, bool readOnly)
{
    const CRegistryHandle root = m_registry->GetRootKey();
    return Open(subKey, readOnly, root);
}

CRegistryKey::OpenResult CRegistryKey::OpenChild(std::string_view subKey, bool readOnly, const CRegistryKey& parentKey)
{
    m_registry = parentKey.m_registry;
    return Open(subKey, readOnly, parentKey.m_key);
}

bool CRegistryKey::Close()
{
    return m_key.Close() == RegResult::Ok;
}

bool CRegistryKey::ReadValue(std::string_view name, RegistryValue& value)
{
    if (!m_key.IsOpen())
        return false;
    std::string subKey;
    std::string_view valueName;
    SplitValueName(name, subKey, valueName);
    if (subKey.empty())
        return m_registry->QueryValue(m_key, valueName, value) == RegResult::Ok;
    CRegistryHandle sub;
    if (m_registry->OpenKey(m_key, subKey, false, sub) != RegResult::Ok)
        return false;
    return m_registry->QueryValue(sub, valueName, value) == RegResult::Ok;
}

bool CRegistryKey::WriteValue(std::string_view name, const RegistryValue& value)
{
    // A key opened read-only must not gain subkeys either.
    if (!m_key.IsOpen() || !m_key.IsWritable())
        return false;
    std::string subKey;
    std::string_view valueName;
    SplitValueName(name, subKey, valueName);
    if (subKey.empty())
        return m_registry->SetValue(m_key, valueName, value) == RegResult::Ok;
    CRegistryHandle sub;
    if (m_registry->CreateKey(m_key, subKey, sub) != RegResult::Ok)
        return false;
    const bool set = m_registry->SetValue(sub, valueName, value) == RegResult::Ok;
    // Closing may be what saves (below the top of the store nothing else
    // holds the save back).
    const bool closed = sub.Close() == RegResult::Ok;
    return set && closed;
}

bool CRegistryKey::GetString(std::string_view name, std::string& out)
{
    RegistryValue value;
    if (!ReadValue(name, value) || value.m_type != RegistryType::String)
        return false;
    out = CutAtNul(value.m_data);
    return true;
}

bool CRegistryKey::SetString(std::string_view name, std::string_view text)
{
    return WriteValue(name, RegistryValue::MakeString(CutAtNul(text)));
}

bool CRegistryKey::GetInt(std::string_view name, int& out)
{
    RegistryValue value;
    uint32_t number = 0;
    if (!ReadValue(name, value) || !value.GetDword(number))
        return false;
    out = static_cast<int>(number);
    return true;
}

bool CRegistryKey::SetInt(std::string_view name, int value)
{
    return WriteValue(name, RegistryValue::MakeDword(static_cast<uint32_t>(value)));
}

bool CRegistryKey::GetInt64(std::string_view name, int64_t& out)
{
    RegistryValue value;
    if (!ReadValue(name, value) || value.m_type != RegistryType::Binary || value.m_data.size() != 8)
        return false;
    uint64_t number = 0;
    for (size_t i = 8; i-- > 0;)
        number = (number << 8) | static_cast<uint8_t>(value.m_data[i]);
    out = static_cast<int64_t>(number);
    return true;
}

bool CRegistryKey::SetInt64(std::string_view name, int64_t value)
{
    uint8_t bytes[8];
    uint64_t number = static_cast<uint64_t>(value);
    for (uint8_t& byte : bytes)
    {
        byte = static_cast<uint8_t>(number & 0xFF);
        number >>= 8;
    }
    return WriteValue(name, RegistryValue::MakeBinary(bytes, sizeof bytes));
}

bool CRegistryKey::SetBytes(std::string_view name, const uint8_t* bytes, int length)
{
    if (length > 0 && !bytes)
        return false;
    return WriteValue(name, RegistryValue::MakeBinary(bytes, length > 0 ? static_cast<size_t>(length) : 0));
}

bool CRegistryKey::GetBytes(std::string_view name, uint8_t* buffer, int& length)
{
    const size_t room = length > 0 ? static_cast<size_t>(length) : 0;
    if (room > 0 && !buffer)
        return false;
    RegistryValue value;
    if (!ReadValue(name, value) || value.m_type != RegistryType::Binary)
        return false;
    const size_t copied = std::min(room, value.m_data.size());
    if (copied > 0)
        std::memcpy(buffer, value.m_data.data(), copied);
    length = static_cast<int>(copied);
    return true;
}

bool CRegistryKey::GetBytesSize(std::string_view name, unsigned& size)
{
    // The same name rules as GetBytes, so a size asked for a grouped name
    // belongs to the value GetBytes then reads.
    RegistryValue value;
    if (!ReadValue(name, value) || value.m_type != RegistryType::Binary)
        return false;
    size = static_cast<unsigned>(std::min<size_t>(value.m_data.size(), UINT_MAX));
    return true;
}

bool CRegistryKey::DeleteKey(std::string_view name)
{
    return DeleteKeyTree(*m_registry, m_key, ToStorePath(name));
}

bool CRegistryKey::EnumSubkeyName(int index, std::string& name, int& maxLength)
{
    if (!m_key.IsOpen() || index < 0)
        return false;
    if (maxLength <= 0)
    {
        RegistryKeyInfo info;
        const bool known = QueryKeyInfo(info) && info.m_maxSubkeyNameLength > 0;
        maxLength = known ? static_cast<int>(std::min<size_t>(info.m_maxSubkeyNameLength, INT_MAX)) : 200;
    }
    return m_registry->EnumKey(m_key, static_cast<size_t>(index), name) == RegResult::Ok;
}

bool CRegistryKey::QueryKeyInfo(RegistryKeyInfo& info)
{
    return m_key.IsOpen() && m_registry->QueryInfo(m_key, info) == RegResult::Ok;
}

bool DeleteKeyTree(CRegistry& registry, const CRegistryHandle& parent, std::string_view subKey)
{
    if (!parent.IsOpen() || subKey.empty())
        return false;
    return registry.DeleteKey(parent, subKey, true) == RegResult::Ok;
}

bool ForEachSubkeyValue(CAbstractVisitor& collector, CRegistry& registry, const CRegistryHandle& parent,
                        std::string_view path, std::string_view valueName)
{
    CRegistryKey key(registry);
    if (key.Open(path, true, parent) == CRegistryKey::OpenResult::kFailed)
        return false;
    int maxLength = 0;
    std::string name;
    for (int index = 0; key.EnumSubkeyName(index, name, maxLength); ++index)
    {
        CRegistryHandle sub;
        if (registry.OpenKey(key.GetHandle(), name, false, sub) != RegResult::Ok)
            return false;
        RegistryValue value;
        if (registry.QueryValue(sub, valueName, value) == RegResult::Ok &&
            value.m_type == RegistryType::String && !collector.Add(CutAtNul(value.m_data)))
            break;
    }
    return true;
}
