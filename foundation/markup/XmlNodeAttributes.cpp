// CXmlNode: attributes, read from and written into the start tag's markup.

#include "foundation/markup/XmlNode.h"

#include "foundation/text/AbstractVisitor.h"
#include "foundation/text/AttributeList.h"
#include "foundation/markup/AttributeMapSink.h"
#include "foundation/text/Escaping.h"
#include "platform/core/Text.h"

#include <map>

namespace
{
bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

// Hands each value to the sink entity-decoded.
class CDecodingValueVisitor : public CAbstractVisitor
{
public:
    explicit CDecodingValueVisitor(CAbstractVisitor& sink)
        : m_sink(sink)
    {
    }

    bool Add(std::string_view text) override { return m_sink.Add(UnescapeXmlEntities(text)); }

private:
    CAbstractVisitor& m_sink;
};
} // namespace

bool CXmlNode::AttributeSpan(size_t& begin, size_t& end) const
{
    if (m_type != kOpenElement && m_type != kElement && m_type != kEmptyElement)
        return false;
    const std::string& markup = m_markup;
    if (markup.empty() || markup[0] != '<')
        return false;
    end = markup.size();
    if (m_type == kEmptyElement && markup.size() >= 3 && markup.compare(markup.size() - 2, 2, "/>") == 0)
        end -= 2;
    else if (markup.back() == '>')
        end -= 1;
    size_t i = 1;
    while (i < end && !IsAsciiSpace(markup[i]))
        ++i;
    while (i < end && IsAsciiSpace(markup[i]))
        ++i;
    begin = i;
    return true;
}

std::string CXmlNode::GetAttributeText() const
{
    size_t begin = 0;
    size_t end = 0;
    if (!AttributeSpan(begin, end) || begin >= end)
        return std::string();
    return m_markup.substr(begin, end - begin);
}

std::string CXmlNode::GetAttribute(std::string_view name, bool caseSensitive) const
{
    size_t begin = 0;
    size_t end = 0;
    if (!AttributeSpan(begin, end) || begin >= end)
        return std::string();
    const std::string_view text = std::string_view(m_markup).substr(begin, end - begin);
    size_t nameStart = 0;
    size_t nameLength = 0;
    size_t valueStart = 0;
    std::ptrdiff_t valueLength = 0;
    if (!FindAttribute(text, name, nameStart, nameLength, valueStart, valueLength, caseSensitive) ||
        valueStart == std::string_view::npos)
        return std::string();
    std::string_view value = text.substr(valueStart, static_cast<size_t>(valueLength));
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    else if (!value.empty() && IsQuote(value.front()))
        value.remove_prefix(1);
    return UnescapeXmlEntities(value);
}

int CXmlNode::RemoveAttribute(std::string_view name, bool caseSensitive)
{
    size_t begin = 0;
    size_t end = 0;
    if (!AttributeSpan(begin, end) || begin >= end)
        return -1;
    const std::string_view text = std::string_view(m_markup).substr(begin, end - begin);
    size_t nameStart = 0;
    size_t nameLength = 0;
    size_t valueStart = 0;
    std::ptrdiff_t valueLength = 0;
    if (!FindAttribute(text, name, nameStart, nameLength, valueStart, valueLength, caseSensitive))
        return -1;
    const size_t start = begin + nameStart;
    size_t stop = valueStart == std::string_view::npos ? start + nameLength
                                                        : begin + valueStart + static_cast<size_t>(valueLength);
    while (stop < end && IsAsciiSpace(m_markup[stop]))
        ++stop;
    m_markup.erase(start, stop - start);
    return static_cast<int>(start);
}

bool CXmlNode::SetAttribute(std::string_view name, std::optional<std::string_view> value, bool caseSensitive)
{
    if (name.empty())
        return false;
    size_t begin = 0;
    size_t end = 0;
    if (!AttributeSpan(begin, end) || m_markup.back() != '>')
        return false;
    const int old = RemoveAttribute(name, caseSensitive);
    if (!value)
        return old < 0;

    AttributeSpan(begin, end);
    const size_t at = old >= 0 ? static_cast<size_t>(old) : end;
    std::string piece;
    if (at == 0 || !IsAsciiSpace(m_markup[at - 1]))
        piece += ' ';
    piece.append(name);
    piece += "=\"";
    piece += EscapeXmlEntities(*value);
    piece += '"';
    // Removing the old attribute took the white space after it; without a
    // blank here the value would run into the next attribute.
    if (at < end && !IsAsciiSpace(m_markup[at]))
        piece += ' ';
    m_markup.insert(at, piece);
    return old < 0;
}

int CXmlNode::ParseAttributes(CAbstractVisitor& sink, CAbstractVisitor* bareNames) const
{
    size_t begin = 0;
    size_t end = 0;
    if (!AttributeSpan(begin, end) || begin >= end)
        return 0;
    CDecodingValueVisitor values(sink);
    return ParseAttributeListEx(std::string_view(m_markup).substr(begin, end - begin), &sink, &values, bareNames);
}

bool CXmlNode::HasAttributeFiltered(std::string_view name, std::string& value, bool caseSensitive) const
{
    size_t begin = 0;
    size_t end = 0;
    if (!AttributeSpan(begin, end) || begin >= end)
        return false;
    std::map<std::string, std::string> attributes;
    CAttributeMapSink mapSink(attributes, caseSensitive);
    ParseAttributeList(std::string_view(m_markup).substr(begin, end - begin), mapSink);
    const auto found = attributes.find(caseSensitive ? std::string(name) : MakeUpper(name));
    if (found == attributes.end())
        return false;
    value = found->second;
    return true;
}
