// CXmlNode, its markup side: attributes, read from and written into the start
// tag's markup, and Write with the white-space helpers it uses.

#include "foundation/markup/XmlNode.h"

#include "foundation/markup/AttributeMapSink.h"
#include "foundation/text/AbstractVisitor.h"
#include "foundation/text/AttributeList.h"
#include "foundation/text/Escaping.h"
#include "foundation/text/LineSink.h"
#include "platform/core/Text.h"

#include <algorithm>
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

bool IsLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

// Every run of characters that pass isRun becomes one blank; a run at the
// start is dropped.
template <typename IsRun>
std::string CollapseRuns(std::string_view text, IsRun isRun)
{
    std::string out;
    out.reserve(text.size());
    bool inRun = false;
    for (const char c : text)
    {
        if (isRun(c))
        {
            inRun = true;
            continue;
        }
        if (inRun && !out.empty())
            out += ' ';
        inRun = false;
        out += c;
    }
    if (inRun && !out.empty())
        out += ' ';
    return out;
}

bool IsSelected(int type, int typeMask)
{
    if (typeMask == -1)
        return true;
    if (type < 0 || type > 31)
        return false;
    return ((static_cast<unsigned>(typeMask) >> type) & 1u) != 0;
}

// Where a node is written: its depth in steps below the starting indent, or
// flat (no indent and no newline) inside an element written on one line.
struct Layout
{
    size_t level = 0;
    bool flat = false;
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

std::string_view CXmlNode::GetAttributeText() const
{
    size_t begin = 0;
    size_t end = 0;
    if (!AttributeSpan(begin, end) || begin >= end)
        return {};
    return std::string_view(m_markup).substr(begin, end - begin);
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

std::string CollapseWhitespace(std::string_view text)
{
    return CollapseRuns(text, IsAsciiSpace);
}

std::string CollapseLineBreaks(std::string_view text)
{
    return CollapseRuns(text, IsLineBreak);
}

bool CXmlNode::Write(ILineSink& sink, std::string_view step, std::string_view indent, std::string_view newline,
                     int typeMask, bool normalise) const
{
    // One indent text serves every level: the indent of level n is its
    // first indent.size() + n * step.size() characters.
    std::string indentText(indent);
    auto indentOf = [&](const Layout& layout) -> std::string_view {
        if (layout.flat)
            return {};
        const size_t levels = std::min(layout.level, kMaxIndentLevels);
        const size_t length = indent.size() + levels * step.size();
        while (indentText.size() < length)
            indentText.append(step);
        return std::string_view(indentText).substr(0, length);
    };
    auto newlineOf = [&](const Layout& layout) -> std::string_view { return layout.flat ? std::string_view() : newline; };

    std::string piece;
    auto emit = [&]() -> bool {
        if (piece.empty())
            return true;
        const bool ok = sink.WriteLine(piece);
        piece.clear();
        return ok;
    };

    struct Frame
    {
        const CXmlNode* node;
        size_t next;
        Layout layout;
        Layout childLayout;
        bool block;
        bool selected;
    };
    std::vector<Frame> stack;

    // Writes what comes before a node's children and pushes its frame.
    auto open = [&](const CXmlNode& node, const Layout& layout) -> bool {
        const bool oneLine = node.m_type == kElement && node.m_children.size() == 1 &&
                             node.m_children.front()->m_type == kText && typeMask != kMaskText;
        const bool block = !oneLine;
        const bool selected = IsSelected(node.m_type, typeMask);
        if (selected)
        {
            switch (node.m_type)
            {
            case kText:
            case kEmptyElement:
            case kStray:
            case kBangMarkup:
            case kProcessing: {
                std::string text;
                if (node.m_type == kText && typeMask == kMaskText)
                {
                    text = UnescapeXmlEntities(node.m_markup);
                    if (normalise)
                        text = CollapseWhitespace(text);
                }
                else if (node.m_type == kText && typeMask != kMaskAll)
                {
                    text = normalise ? CollapseWhitespace(node.m_markup) : node.m_markup;
                }
                else
                {
                    text = normalise ? CollapseLineBreaks(node.m_markup) : node.m_markup;
                }
                // An empty text adds nothing, not even its indent.
                if (node.m_type == kText && typeMask == kMaskText && text.empty())
                    break;
                piece.append(indentOf(layout));
                piece += text;
                piece.append(newlineOf(layout));
                break;
            }
            case kOpenElement:
            case kElement:
                piece.append(indentOf(layout));
                piece += normalise ? CollapseLineBreaks(node.m_markup) : node.m_markup;
                if (block)
                    piece.append(newlineOf(layout));
                break;
            default:
                break;
            }
            if (!emit())
                return false;
        }

        Layout childLayout = layout;
        if (node.m_type != kRoot && node.m_type != kProcessing)
        {
            if (block)
                childLayout.level = layout.level + 1;
            else
                childLayout.flat = true;
        }
        stack.push_back({&node, 0, layout, childLayout, block, selected});
        return true;
    };

    // Writes what comes after a node's children.
    auto close = [&](const Frame& frame) -> bool {
        if (!frame.selected || frame.node->m_type != kElement)
            return true;
        if (frame.block)
            piece.append(indentOf(frame.layout));
        piece += "</";
        piece += frame.node->m_name;
        piece += '>';
        piece.append(newlineOf(frame.layout));
        return emit();
    };

    if (!open(*this, Layout{}))
        return false;
    while (!stack.empty())
    {
        Frame& frame = stack.back();
        if (frame.next < frame.node->m_children.size())
        {
            const CXmlNode& child = *frame.node->m_children[frame.next++];
            const Layout childLayout = frame.childLayout;
            if (!open(child, childLayout))
                return false;
            continue;
        }
        const Frame done = frame;
        stack.pop_back();
        if (!close(done))
            return false;
    }
    return true;
}
