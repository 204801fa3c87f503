#include "foundation/markup/XmlParser.h"

#include "foundation/threads/CancelPoll.h"
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
constexpr std::array<std::string_view, 9> kEmptyElementNames{"BR",    "HR",  "META",  "FRAME", "PARAM",
                                                             "IMG",   "INPUT", "OPTION", "LINK"};
constexpr std::array<std::string_view, 3> kImplicitCloseNames{"P", "DIV", "LI"};

template <size_t N>
bool IsListed(const std::array<std::string_view, N>& names, std::string_view name)
{
    for (std::string_view listed : names)
    {
        if (EqualsNoCase(listed, name))
            return true;
    }
    return false;
}

// Elements whose content browsers read as text up to their end tag.
bool IsRawTextName(std::string_view name)
{
    return EqualsNoCase(name, "SCRIPT") || EqualsNoCase(name, "STYLE");
}
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
        std::string token;
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
        std::string markup = Trim(token);
        if (markup.empty())
            return true;
        int type = kind == CMarkupReader::kTextToken ? CXmlNode::kText : m_parser.ClassifyMarkupToken(markup);
        if (type == CXmlNode::kStray)
            return false;

        std::string name;
        if (type != CXmlNode::kText)
            name = GetTagName(markup);
        // In XML the '/' of "<Item/>" closes the tag; it is no part of the name.
        if (type == CXmlNode::kEmptyElement && !name.empty() && name.back() == '/')
            name.pop_back();

        std::unique_ptr<CXmlNode> node = m_current->CreateNode();
        node->SetPosition(reader.GetColumn(), reader.GetLine(), reader.GetOffset());
        node->SetMarkup(std::move(markup));

        if (type == CXmlNode::kElement)
            return AddEndTag(std::move(node), name);

        if (type == CXmlNode::kOpenElement && name.empty())
            type = CXmlNode::kStray;
        node->SetType(type);
        if (type != CXmlNode::kOpenElement)
        {
            if (type != CXmlNode::kStray)
                node->SetName(std::move(name));
            m_current->AppendChild(std::move(node));
            return true;
        }

        if (m_mode == kHtml && IsRawTextName(name))
            m_rawTextEnd = name;
        const bool takesChildren = m_mode == kXml ||
                                   (m_mode == kHtml && !IsEmptyElementName(name) && !IsImplicitCloseName(name));
        node->SetName(std::move(name));
        CXmlNode* added = m_current->AppendChild(std::move(node));
        if (takesChildren)
            Open(added);
        return true;
    }

    bool AddEndTag(std::unique_ptr<CXmlNode> endTag, const std::string& name)
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
        endTag->SetType(CXmlNode::kStray);
        m_current->AppendChild(std::move(endTag));
        return true;
    }

    void Open(CXmlNode* node)
    {
        if (m_mode == kHtml)
            m_openByName[MakeUpper(node->GetName())].push_back(node);
        m_current = node;
    }

    // The deepest open element of that name, or null.
    CXmlNode* FindOpenElement(const std::string& name)
    {
        const auto found = m_openByName.find(MakeUpper(name));
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
            std::vector<CXmlNode*>& sameName = m_openByName[MakeUpper(closing->GetName())];
            if (!sameName.empty())
                sameName.pop_back();
            m_current = closing->GetParent();
            if (closing == element)
                return;
        }
    }

    const CXmlParser& m_parser;
    const int m_mode;
    CXmlNode& m_root;
    CXmlNode* m_current;
    // HTML: the open elements by upper-case name, deepest last, so an end tag
    // finds its element without walking up the tree.
    std::unordered_map<std::string, std::vector<CXmlNode*>> m_openByName;
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
    const size_t first = token.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return CXmlNode::kText;
    const std::string_view trimmed = token.substr(first, token.find_last_not_of(kBlanks) + 1 - first);
    if (trimmed.front() != '<')
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
    if (token.size() < 3 || token.front() != '<' || token.back() != '>' || token.substr(0, 4) == "<!--")
        return {};
    size_t begin = 0;
    while (begin < token.size() && (token[begin] == '<' || token[begin] == '/'))
        ++begin;
    size_t end = token.size();
    while (end > begin && token[end - 1] == '>')
        --end;
    std::string_view name = token.substr(begin, end - begin);
    const size_t cut = name.find_first_of(" \r\n\t");
    if (cut != std::string_view::npos)
        name = name.substr(0, cut);
    return std::string(name);
}

bool CXmlParser::IsEmptyElementName(std::string_view name)
{
    return IsListed(kEmptyElementNames, name);
}

bool CXmlParser::IsImplicitCloseName(std::string_view name)
{
    return IsListed(kImplicitCloseNames, name);
}
