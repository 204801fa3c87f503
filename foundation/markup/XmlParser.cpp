#include "foundation/markup/XmlParser.h"

#include "foundation/threads/CancelPoll.h"
#include "foundation/markup/FoldedName.h"
#include "foundation/markup/MarkupReader.h"
#include "foundation/markup/XmlNode.h"
#include "platform/core/Text.h"

#include <array>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace
{
// The HTML repair lists (XmlParser.h) and the elements whose content is raw
// text, as name keys.
constexpr auto kEmptyElementKeys =
    NameKeys(std::array<std::string_view, 9>{"BR", "HR", "META", "FRAME", "PARAM", "IMG", "INPUT", "OPTION", "LINK"});
constexpr auto kImplicitCloseKeys = NameKeys(std::array<std::string_view, 3>{"P", "DIV", "LI"});
constexpr auto kRawTextKeys = NameKeys(std::array<std::string_view, 2>{"SCRIPT", "STYLE"});

template <size_t N>
bool IsListed(uint64_t nameKey, const std::array<uint64_t, N>& keys)
{
    return IndexOfNameKey(keys, nameKey) >= 0;
}

// The characters of kBlanks, tested without a search of that set.
constexpr bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Trim (Text.h) as a view of the text.
std::string_view TrimmedView(std::string_view text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// The tag name as GetTagName reads it, as a view of the token.
std::string_view TagNameView(std::string_view token)
{
    if (token.size() < 3 || token.front() != '<' || token.back() != '>' || token.substr(0, 4) == "<!--")
        return {};
    size_t begin = 0;
    while (begin < token.size() && (token[begin] == '<' || token[begin] == '/'))
        ++begin;
    size_t end = token.size();
    while (end > begin && token[end - 1] == '>')
        --end;
    size_t cut = begin;
    while (cut < end && !IsBlank(token[cut]))
        ++cut;
    return token.substr(begin, cut - begin);
}

// Hashing and comparing element names with ASCII case ignored, so that the
// open elements are found by the name an end tag spells, without folding a
// copy of it first.
struct NoCaseHash
{
    using is_transparent = void;

    size_t operator()(std::string_view name) const
    {
        size_t hash = 14695981039346656037ull;
        for (const char c : name)
        {
            hash ^= static_cast<unsigned char>(AsciiToUpper(c));
            hash *= 1099511628211ull;
        }
        return hash;
    }
};

struct NoCaseEqual
{
    using is_transparent = void;

    bool operator()(std::string_view a, std::string_view b) const { return EqualsNoCase(a, b); }
};
} // namespace

// Builds the tree for one input; see the header for the rules.
class CXmlParser::CTreeBuilder
{
public:
    CTreeBuilder(const CXmlParser& parser, CXmlNode& root)
        : m_parser(parser)
        , m_mode(parser.m_mode)
        , m_root(root)
        , m_current(&root)
    {
    }

    bool Run(CMarkupReader& reader, ICancelPoll* cancel)
    {
        std::string_view token;
        for (;;)
        {
            if (cancel && cancel->Poll() != 0)
                return false;
            CMarkupReader::TokenKind kind = CMarkupReader::kTextToken;
            if (!m_rawTextEnd.empty())
            {
                const bool got = reader.ReadRawText(token, m_rawTextEnd);
                m_rawTextEnd.clear();
                if (!got)
                    return true;
            }
            else
            {
                kind = reader.ReadMarkupToken(token, m_mode == kHtml);
                if (kind == CMarkupReader::kEnd)
                    return !reader.EndedInsideMarkup();
            }
            if (!AddToken(token, kind, reader))
                return false;
        }
    }

private:
    // False when the token ends parsing.
    bool AddToken(std::string_view token, CMarkupReader::TokenKind kind, const CMarkupReader& reader)
    {
        const std::string_view markup = TrimmedView(token);
        if (markup.empty())
            return true;
        int type = kind == CMarkupReader::kTextToken ? CXmlNode::kText : m_parser.ClassifyTrimmedToken(markup);
        if (type == CXmlNode::kStray)
            return false;

        std::string_view name;
        if (type != CXmlNode::kText)
            name = TagNameView(markup);
        // In XML the '/' of "<Item/>" closes the tag; it is no part of the name.
        if (type == CXmlNode::kEmptyElement && !name.empty() && name.back() == '/')
            name.remove_suffix(1);

        // An end tag becomes a node only when it stays in the tree as stray
        // markup; most close an element and leave nothing behind.
        if (type == CXmlNode::kElement)
            return AddEndTag(markup, name, reader);

        if (type == CXmlNode::kOpenElement && name.empty())
            type = CXmlNode::kStray;
        std::unique_ptr<CXmlNode> node = MakeNode(markup, type, reader);
        if (type != CXmlNode::kOpenElement)
        {
            if (type != CXmlNode::kStray)
                node->SetName(std::string(name));
            m_current->AppendChild(std::move(node));
            return true;
        }

        bool takesChildren = m_mode == kXml;
        if (m_mode == kHtml)
        {
            const uint64_t key = NameKey(name);
            if (IsListed(key, kRawTextKeys))
                m_rawTextEnd = name;
            takesChildren = !IsListed(key, kEmptyElementKeys) && !IsListed(key, kImplicitCloseKeys);
        }
        node->SetName(std::string(name));
        CXmlNode* added = m_current->AppendChild(std::move(node));
        if (takesChildren)
            Open(added);
        return true;
    }

    // A node of the tree's class holding the token, where the reader is now.
    std::unique_ptr<CXmlNode> MakeNode(std::string_view markup, int type, const CMarkupReader& reader) const
    {
        std::unique_ptr<CXmlNode> node = m_current->CreateNode();
        node->SetPosition(reader.GetColumn(), reader.GetLine(), reader.GetOffset());
        node->SetMarkup(std::string(markup));
        node->SetType(type);
        return node;
    }

    bool AddEndTag(std::string_view markup, std::string_view name, const CMarkupReader& reader)
    {
        if (m_mode == kXml)
        {
            // Strict: it must close the open element (never the document).
            if (m_current == &m_root || m_current->GetName() != name)
                return false;
            m_current->SetType(CXmlNode::kElement);
            m_current = m_current->GetParent();
            return true;
        }
        if (m_mode != kHtml)
            return true;

        if (m_current != &m_root && EqualsNoCase(m_current->GetName(), name))
        {
            m_current->SetType(CXmlNode::kElement);
            CloseDownTo(m_current);
            return true;
        }
        CXmlNode* match = FindOpenElement(name);
        if (match)
        {
            match->SetType(CXmlNode::kElement);
            if (match->GetParent() != &m_root)
            {
                CloseDownTo(match);
                return true;
            }
        }
        m_current->AppendChild(MakeNode(markup, CXmlNode::kStray, reader));
        return true;
    }

    void Open(CXmlNode* node)
    {
        if (m_mode == kHtml)
        {
            const std::string& name = node->GetName();
            auto found = m_openByName.find(std::string_view(name));
            if (found == m_openByName.end())
                found = m_openByName.emplace(name, std::vector<CXmlNode*>()).first;
            found->second.push_back(node);
            m_open.push_back(&found->second);
        }
        m_current = node;
    }

    // The deepest open element of that name, or null.
    CXmlNode* FindOpenElement(std::string_view name) const
    {
        const auto found = m_openByName.find(name);
        if (found == m_openByName.end() || found->second.empty())
            return nullptr;
        return found->second.back();
    }

    // Makes the parent of element the open element; element and everything
    // opened below it leave the chain of open elements (their types stay).
    void CloseDownTo(CXmlNode* element)
    {
        for (;;)
        {
            CXmlNode* closing = m_current;
            // The innermost open element is the last of its name.
            m_open.back()->pop_back();
            m_open.pop_back();
            m_current = closing->GetParent();
            if (closing == element)
                return;
        }
    }

    const CXmlParser& m_parser;
    const int m_mode;
    CXmlNode& m_root;
    CXmlNode* m_current;
    // HTML: the open elements by name (ASCII case ignored), deepest last, so
    // an end tag finds its element without walking up the tree.
    std::unordered_map<std::string, std::vector<CXmlNode*>, NoCaseHash, NoCaseEqual> m_openByName;
    // HTML: the chain of open elements from the top down to m_current, each
    // as its entry in m_openByName, so closing one needs no look-up.
    std::vector<std::vector<CXmlNode*>*> m_open;
    // HTML: after a SCRIPT or STYLE start tag, the name whose end tag ends
    // the raw text that follows.
    std::string m_rawTextEnd;
};

CXmlParser::CXmlParser(int mode)
    : m_mode(mode == kHtml || mode == kXml ? mode : kFlat)
{
}

bool CXmlParser::ParseString(CXmlNode& root, std::string_view text, ICancelPoll* cancel) const
{
    root.Clear();
    CMarkupReader reader(text);
    CTreeBuilder builder(*this, root);
    return builder.Run(reader, cancel);
}

bool CXmlParser::ParseStream(CXmlNode& root, StreamInterface& stream, ICancelPoll* cancel) const
{
    root.Clear();
    CMarkupReader reader(stream);
    CTreeBuilder builder(*this, root);
    return builder.Run(reader, cancel);
}

int CXmlParser::ClassifyMarkupToken(std::string_view token) const
{
    return ClassifyTrimmedToken(TrimmedView(token));
}

int CXmlParser::ClassifyTrimmedToken(std::string_view trimmed) const
{
    if (trimmed.empty() || trimmed.front() != '<')
        return CXmlNode::kText;
    if (trimmed.size() < 3 || trimmed.back() != '>')
        return CXmlNode::kStray;
    switch (trimmed[1])
    {
    case '/':
        return CXmlNode::kElement;
    case '!':
        return CXmlNode::kBangMarkup;
    case '?':
        return CXmlNode::kProcessing;
    default:
        break;
    }
    if (m_mode == kXml && trimmed[trimmed.size() - 2] == '/')
        return CXmlNode::kEmptyElement;
    return CXmlNode::kOpenElement;
}

std::string CXmlParser::GetTagName(std::string_view token)
{
    return std::string(TagNameView(token));
}

bool CXmlParser::IsEmptyElementName(std::string_view name)
{
    return IsListed(NameKey(name), kEmptyElementKeys);
}

bool CXmlParser::IsImplicitCloseName(std::string_view name)
{
    return IsListed(NameKey(name), kImplicitCloseKeys);
}
