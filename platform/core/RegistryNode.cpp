#include "platform/core/RegistryNode.h"

#include "platform/core/Text.h"

RegistryValue RegistryValue::MakeString(std::string_view text)
{
    return RegistryValue{RegistryType::String, std::string(text)};
}

RegistryValue RegistryValue::MakeDword(uint32_t number)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[static_cast<size_t>(i)] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return RegistryValue{RegistryType::Dword, std::move(bytes)};
}

RegistryValue RegistryValue::MakeBinary(const void* data, size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    return RegistryValue{RegistryType::Binary, size ? std::string(bytes, size) : std::string()};
}

bool RegistryValue::GetDword(uint32_t& number) const
{
    if (m_type != RegistryType::Dword || m_data.size() != 4)
        return false;
    uint32_t out = 0;
    for (int i = 3; i >= 0; --i)
        out = (out << 8) | static_cast<unsigned char>(m_data[static_cast<size_t>(i)]);
    number = out;
    return true;
}

bool RegistryNameLess::operator()(std::string_view a, std::string_view b) const
{
    return CompareNoCase(a, b) < 0;
}

RegistryPath SplitRegistryPath(std::string_view text)
{
    return Split(text, '\\', false);
}

std::string JoinRegistryPath(const RegistryPath& path)
{
    std::string out;
    for (const std::string& name : path)
    {
        if (!out.empty())
            out += '\\';
        out += name;
    }
    return out;
}

CRegistryNode* CRegistryNode::Find(const RegistryPath& path)
{
    CRegistryNode* node = this;
    for (const std::string& name : path)
    {
        const auto it = node->m_subkeys.find(name);
        if (it == node->m_subkeys.end())
            return nullptr;
        node = it->second.get();
    }
    return node;
}

const CRegistryNode* CRegistryNode::Find(const RegistryPath& path) const
{
    return const_cast<CRegistryNode*>(this)->Find(path);
}

CRegistryNode& CRegistryNode::FindOrCreate(const RegistryPath& path, bool* created)
{
    CRegistryNode* node = this;
    bool made = false;
    for (const std::string& name : path)
    {
        auto it = node->m_subkeys.find(name);
        made = it == node->m_subkeys.end();
        if (made)
            it = node->m_subkeys.emplace(name, std::make_unique<CRegistryNode>()).first;
        node = it->second.get();
    }
    if (created)
        *created = made;
    return *node;
}

bool CRegistryNode::Remove(const RegistryPath& path, bool withSubkeys)
{
    if (path.empty())
        return false;
    CRegistryNode* parent = Find(RegistryPath(path.begin(), path.end() - 1));
    if (!parent)
        return false;
    const auto it = parent->m_subkeys.find(path.back());
    if (it == parent->m_subkeys.end() || (!withSubkeys && !it->second->m_subkeys.empty()))
        return false;
    parent->m_subkeys.erase(it);
    return true;
}
