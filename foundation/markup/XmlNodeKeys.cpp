// CXmlNode: '/'-path keys and the IKeyValueStore operations over them.

#include "foundation/markup/XmlNode.h"

#include "foundation/text/Escaping.h"
#include "platform/core/Text.h"

namespace
{
// Characters that cannot stand in an element name become '_'. Reading and
// writing map the same set, so a key written is found again.
std::string MapKeyName(std::string_view key)
{
    std::string mapped(key);
    for (char& c : mapped)
    {
        if (c == ' ' || c == '"' || c == '\'' || c == '\t' || c == '<' || c == '>')
            c = '_';
    }
    return mapped;
}

// Finds or creates the element path of key below start; null when the key
// has an empty part (checked before anything is created).
CXmlNode* WalkKeyPath(CXmlNode& start, std::string_view key, bool caseSensitive)
{
    const size_t first = key.find_first_not_of('/');
    if (first == std::string_view::npos)
        return nullptr;
    key.remove_prefix(first);
    const std::vector<std::string> parts = Split(key, '/', true);
    for (const std::string& part : parts)
    {
        if (part.empty())
            return nullptr;
    }
    CXmlNode* node = &start;
    for (const std::string& part : parts)
    {
        node = node->FindChild(part, caseSensitive, {}, {}, CXmlNode::kElement, false);
        if (!node)
            return nullptr;
    }
    return node;
}
} // namespace

CXmlNode* CXmlNode::SetPathValue(std::string_view key, std::string_view value, bool caseSensitive)
{
    CXmlNode* leaf = WalkKeyPath(*this, key, caseSensitive);
    if (!leaf)
        return nullptr;
    leaf->DeleteChildren();
    return leaf->AddChild({}, {}, value, kText);
}

bool CXmlNode::GetPathValue(std::string_view key, std::string& value, bool caseSensitive)
{
    CXmlNode* leaf = WalkKeyPath(*this, key, caseSensitive);
    if (!leaf)
        return false;
    const CXmlNode* first = leaf->GetChild(0);
    if (!first || first->GetType() != kText)
        return false;
    value = UnescapeXmlEntities(first->GetMarkup());
    return true;
}

bool CXmlNode::GetString(std::string_view name, std::string& out)
{
    std::string value;
    if (!GetPathValue(MapKeyName(name), value, false))
        return false;
    out = std::move(value);
    return true;
}

bool CXmlNode::SetString(std::string_view name, std::string_view text)
{
    return SetPathValue(MapKeyName(name), text, false) != nullptr;
}

bool CXmlNode::GetInt(std::string_view name, int& out)
{
    std::string text;
    if (!GetString(name, text))
    {
        out = 0;
        return false;
    }
    out = StrToIntSafe(text);
    return true;
}

bool CXmlNode::SetInt(std::string_view name, int value)
{
    return SetString(name, Format("%d", value));
}

bool CXmlNode::GetInt64(std::string_view name, int64_t& out)
{
    std::string text;
    if (!GetString(name, text))
    {
        out = 0;
        return false;
    }
    out = StrToInt64Safe(text);
    return true;
}

bool CXmlNode::SetInt64(std::string_view name, int64_t value)
{
    return SetString(name, Format("%I64d", static_cast<long long>(value)));
}

bool CXmlNode::SetBytes(std::string_view, const uint8_t*, int)
{
    return false;
}

bool CXmlNode::GetBytes(std::string_view, uint8_t*, int& length)
{
    length = 0;
    return false;
}

bool CXmlNode::GetBytesSize(std::string_view, unsigned& size)
{
    size = 0;
    return false;
}

bool CXmlNode::DeleteKey(std::string_view)
{
    return false;
}
