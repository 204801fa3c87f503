#include "foundation/text/AttributeList.h"

#include "platform/core/Text.h"

namespace
{
size_t SkipSpace(std::string_view text, size_t i)
{
    while (i < text.size() && IsAsciiSpace(text[i]))
        ++i;
    return i;
}

struct AttributeItem
{
    size_t nameStart = 0;
    size_t nameLength = 0;
    bool bare = false;
    std::string_view value; // without quotes
    size_t rawValueStart = 0; // with quotes
    size_t rawValueLength = 0;
};

// Walks text by the rules in the header; onItem returns false to stop.
template <typename OnItem>
void WalkAttributes(std::string_view text, OnItem onItem)
{
    const size_t n = text.size();
    size_t i = 0;
    while (i < n)
    {
        i = SkipSpace(text, i);
        if (i == n)
            break;

        AttributeItem item;
        item.nameStart = i;
        while (i < n && text[i] != '=' && !IsAsciiSpace(text[i]))
            ++i;
        item.nameLength = i - item.nameStart;

        if (i == n)
        {
            item.bare = true;
            onItem(item);
            break;
        }
        if (IsAsciiSpace(text[i]))
        {
            i = SkipSpace(text, i);
            if (i == n || text[i] != '=')
            {
                item.bare = true;
                if (!onItem(item))
                    break;
                continue;
            }
        }

        i = SkipSpace(text, i + 1);
        if (i == n)
            break;
        if (text[i] == '"' || text[i] == '\'')
        {
            if (i + 1 == n)
                break;
            const char quote = text[i];
            const size_t close = text.find(quote, i + 1);
            const size_t valueEnd = close == std::string_view::npos ? n : close;
            item.value = text.substr(i + 1, valueEnd - i - 1);
            item.rawValueStart = i;
            i = close == std::string_view::npos ? n : close + 1;
            item.rawValueLength = i - item.rawValueStart;
        }
        else
        {
            const size_t start = i;
            while (i < n && !IsAsciiSpace(text[i]))
                ++i;
            item.value = text.substr(start, i - start);
            item.rawValueStart = start;
            item.rawValueLength = i - start;
        }
        if (!onItem(item))
            break;
    }
}
} // namespace

int ParseAttributeList(std::string_view text, CAbstractVisitor& visitor, CAbstractVisitor* bareNames)
{
    return ParseAttributeListEx(text, &visitor, &visitor, bareNames);
}

int ParseAttributeListEx(std::string_view text, CAbstractVisitor* names, CAbstractVisitor* values,
                         CAbstractVisitor* bareNames)
{
    int pairs = 0;
    WalkAttributes(text, [&](const AttributeItem& item) {
        const std::string_view name = text.substr(item.nameStart, item.nameLength);
        if (item.bare)
            return bareNames ? bareNames->Add(name) : true;
        ++pairs;
        if (names && !names->Add(name))
            return false;
        return values ? values->Add(item.value) : true;
    });
    return pairs;
}

bool FindAttribute(std::string_view text, std::string_view name, size_t& nameStart, size_t& nameLength,
                   size_t& valueStart, std::ptrdiff_t& valueLength, bool caseSensitive)
{
    if (text.empty() || name.empty())
        return false;
    bool found = false;
    WalkAttributes(text, [&](const AttributeItem& item) {
        const std::string_view candidate = text.substr(item.nameStart, item.nameLength);
        if (caseSensitive ? candidate != name : !EqualsNoCase(candidate, name))
            return true;
        found = true;
        nameStart = item.nameStart;
        nameLength = item.nameLength;
        if (item.bare)
        {
            valueStart = std::string_view::npos;
            valueLength = -1;
        }
        else
        {
            valueStart = item.rawValueStart;
            valueLength = static_cast<std::ptrdiff_t>(item.rawValueLength);
        }
        return false;
    });
    return found;
}

bool CAttributePairVisitor::Add(std::string_view text)
{
    if (!m_haveName)
    {
        m_name.assign(text);
        m_haveName = true;
        return true;
    }
    m_haveName = false;
    return OnAttribute(m_name, text);
}
