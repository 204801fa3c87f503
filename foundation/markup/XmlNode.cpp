#include "foundation/markup/XmlNode.h"

#include "foundation/text/AbstractVisitor.h"
#include "foundation/text/Escaping.h"
#include "foundation/threads/CancelPoll.h"
#include "platform/core/Text.h"

#include <utility>

namespace
{
bool NamesEqual(std::string_view a, std::string_view b, bool caseSensitive)
{
    return caseSensitive ? a == b : EqualsNoCase(a, b);
}

bool IsLeafType(int type)
{
    return type == CXmlNode::kText || type == CXmlNode::kEmptyElement || type == CXmlNode::kStray;
}

bool IsElementType(int type)
{
    return type == CXmlNode::kOpenElement || type == CXmlNode::kElement || type == CXmlNode::kEmptyElement;
}

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

CXmlNode::~CXmlNode()
{
    if (!m_children.empty())
        DestroyAll(m_children);
}

void CXmlNode::DestroyAll(ChildArray& nodes)
{
    // Each node is deleted only after its children were moved out, so no
    // destructor recurses, however deep the tree. A leaf (most nodes of a
    // page) is deleted at once instead of passing through the list.
    ChildArray pending = std::move(nodes);
    nodes.clear();
    while (!pending.empty())
    {
        std::unique_ptr<CXmlNode> node = std::move(pending.back());
        pending.pop_back();
        for (std::unique_ptr<CXmlNode>& child : node->m_children)
        {
            child->m_parent = nullptr;
            if (child->m_children.empty())
                child.reset();
            else
                pending.push_back(std::move(child));
        }
        node->m_children.clear();
        node.reset();
    }
}

std::unique_ptr<CXmlNode> CXmlNode::Create()
{
    return std::make_unique<CXmlNode>();
}

std::unique_ptr<CXmlNode> CXmlNode::CreateNode() const
{
    return std::make_unique<CXmlNode>();
}

void CXmlNode::SetPosition(int column, int line, int offset)
{
    m_column = column;
    m_line = line;
    m_offset = offset;
}

// ---- Building and shape -------------------------------------------------------

CXmlNode* CXmlNode::AddChild(std::string_view name, std::string_view attributeName, std::string_view text, int type)
{
    std::unique_ptr<CXmlNode> node = CreateNode();
    node->SetContent(name, attributeName, text, type);
    return AppendChild(std::move(node));
}

CXmlNode* CXmlNode::AppendChild(std::unique_ptr<CXmlNode> node)
{
    // The parser's one way of building: kept to a plain append.
    if (!node)
        return nullptr;
    CXmlNode* raw = node.get();
    raw->m_parent = this;
    raw->m_indexHint = m_children.size();
    m_children.push_back(std::move(node));
    return raw;
}

CXmlNode* CXmlNode::InsertChild(size_t index, std::unique_ptr<CXmlNode> node)
{
    if (!node)
        return nullptr;
    if (index > m_children.size())
        index = m_children.size();
    CXmlNode* raw = node.get();
    raw->m_parent = this;
    raw->m_indexHint = index;
    m_children.insert(m_children.begin() + static_cast<std::ptrdiff_t>(index), std::move(node));
    return raw;
}

std::unique_ptr<CXmlNode> CXmlNode::DetachChild(size_t index)
{
    if (index >= m_children.size())
        return nullptr;
    std::unique_ptr<CXmlNode> node = std::move(m_children[index]);
    m_children.erase(m_children.begin() + static_cast<std::ptrdiff_t>(index));
    node->m_parent = nullptr;
    node->m_indexHint = 0;
    return node;
}

void CXmlNode::SetContent(std::string_view name, std::string_view attributeName, std::string_view text, int type)
{
    switch (type)
    {
    case kText:
        m_markup = EscapeXmlEntities(text);
        break;
    case kOpenElement:
    case kElement:
        m_name.assign(name);
        if (!attributeName.empty())
        {
            m_markup = "<" + m_name + " " + std::string(attributeName) + "=\"" + EscapeXmlEntities(text) + "\">";
        }
        else
        {
            m_markup = "<" + m_name + ">";
            if (!text.empty())
                AddChild({}, {}, text, kText);
        }
        break;
    case kEmptyElement:
        m_name.assign(name);
        if (!attributeName.empty())
            m_markup = "<" + m_name + " " + std::string(attributeName) + "=\"" + EscapeXmlEntities(text) + "\"/>";
        else
            m_markup = "<" + m_name + "/>";
        break;
    case kBangMarkup:
        m_markup = "<!-- " + std::string(text) + " -->";
        break;
    case kProcessing:
        SetDeclaration();
        break;
    default:
        break;
    }
    m_type = type;
}

void CXmlNode::SetDeclaration()
{
    m_name = "?xml";
    m_markup = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    m_type = kProcessing;
}

void CXmlNode::Clear()
{
    DestroyAll(m_children);
    m_markup.clear();
    m_name.clear();
    m_type = kRoot;
}

void CXmlNode::DeleteChildren()
{
    DestroyAll(m_children);
}

bool CXmlNode::RemoveNode(CXmlNode* node)
{
    if (!node || node == this)
        return false;
    // A node has one place in the tree; climbing from it finds out whether
    // that place is below this node without searching the whole subtree.
    bool below = false;
    for (const CXmlNode* p = node->m_parent; p; p = p->m_parent)
    {
        if (p == this)
        {
            below = true;
            break;
        }
    }
    if (!below)
        return false;
    CXmlNode* parent = node->m_parent;
    std::unique_ptr<CXmlNode> removed = parent->DetachChild(node->IndexInParent());
    removed.reset();
    return true;
}

void CXmlNode::BuildDocument(CAbstractVisitor& enumerator, std::string_view rootName, std::string_view rootText,
                             const std::string& itemFormat, std::string_view itemName,
                             std::string_view attributeName)
{
    Clear();
    CXmlNode* parent = AddChild({}, {}, {}, kProcessing);
    if (!rootName.empty())
        parent = parent->AddChild(rootName, {}, {}, kElement);
    if (!rootText.empty())
        parent->AddChild({}, {}, rootText, kText);
    std::string text;
    int number = 0;
    while (enumerator.Next(text))
    {
        ++number;
        CXmlNode* item = parent->AddChild(itemName, attributeName, text, kElement);
        item->AddChild({}, {}, Format(itemFormat.c_str(), number), kText);
    }
}

// ---- Navigation ---------------------------------------------------------------

size_t CXmlNode::IndexInParent() const
{
    const ChildArray& siblings = m_parent->m_children;
    if (m_indexHint < siblings.size() && siblings[m_indexHint].get() == this)
        return m_indexHint;
    for (size_t i = 0; i < siblings.size(); ++i)
    {
        if (siblings[i].get() == this)
        {
            m_indexHint = i;
            return i;
        }
    }
    return siblings.size();
}

CXmlNode* CXmlNode::GetChild(size_t index) const
{
    return index < m_children.size() ? m_children[index].get() : nullptr;
}

CXmlNode* CXmlNode::GetNextSibling() const
{
    if (!m_parent)
        return nullptr;
    const size_t next = IndexInParent() + 1;
    if (next >= m_parent->m_children.size())
        return nullptr;
    CXmlNode* sibling = m_parent->m_children[next].get();
    sibling->m_indexHint = next;
    return sibling;
}

CXmlNode* CXmlNode::NextNode() const
{
    if (!m_children.empty())
        return m_children.front().get();
    for (const CXmlNode* node = this; node->m_parent; node = node->m_parent)
    {
        if (CXmlNode* sibling = node->GetNextSibling())
            return sibling;
    }
    return nullptr;
}

CXmlNode* CXmlNode::FindByType(int type)
{
    if (m_type == type)
        return this;
    struct Frame
    {
        CXmlNode* node;
        size_t next;
    };
    std::vector<Frame> stack;
    // Looks at the direct children of node first; without a match the node
    // is pushed so that its children are searched the same way in order.
    auto enter = [&](CXmlNode* node) -> CXmlNode* {
        for (const std::unique_ptr<CXmlNode>& child : node->m_children)
        {
            if (child->m_type == type)
                return child.get();
        }
        stack.push_back({node, 0});
        return nullptr;
    };
    if (CXmlNode* found = enter(this))
        return found;
    while (!stack.empty())
    {
        Frame& frame = stack.back();
        if (frame.next >= frame.node->m_children.size())
        {
            stack.pop_back();
            continue;
        }
        CXmlNode* child = frame.node->m_children[frame.next++].get();
        if (CXmlNode* found = enter(child))
            return found;
    }
    return nullptr;
}

CXmlNode* CXmlNode::FindElement(int type)
{
    CXmlNode* node = FindByType(type);
    return node ? node->NextNode() : nullptr;
}

CXmlNode* CXmlNode::FindChild(std::string_view name, bool caseSensitive, std::string_view attributeName,
                              std::string_view attributeValue, int type, bool noCreate)
{
    if (name.empty())
        return nullptr;
    for (const std::unique_ptr<CXmlNode>& child : m_children)
    {
        if (child->m_type != type || !NamesEqual(child->m_name, name, caseSensitive))
            continue;
        if (!attributeName.empty())
        {
            std::string unused;
            if (!child->HasAttributeFiltered(attributeName, unused, caseSensitive))
                continue;
            if (!noCreate)
                child->SetContent(name, attributeName, attributeValue, type);
        }
        // Without an attribute the start tag is left alone: a lookup must
        // not strip the attributes of an element it passes through.
        return child.get();
    }
    if (noCreate)
        return nullptr;
    return AddChild(name, attributeName, attributeValue, type);
}

void CXmlNode::CollectElements(std::string_view name, bool caseSensitive, bool recursive,
                               std::vector<CXmlNode*>& out)
{
    struct Frame
    {
        CXmlNode* node;
        size_t next;
    };
    std::vector<Frame> stack{{this, 0}};
    while (!stack.empty())
    {
        Frame& frame = stack.back();
        if (frame.next >= frame.node->m_children.size())
        {
            stack.pop_back();
            continue;
        }
        CXmlNode* child = frame.node->m_children[frame.next++].get();
        if (!IsElementType(child->m_type))
            continue;
        if (NamesEqual(child->m_name, name, caseSensitive))
            out.push_back(child);
        if (recursive && !child->m_children.empty())
            stack.push_back({child, 0});
    }
}

intptr_t CXmlNode::Visit(IXmlNodeVisitor& visitor, intptr_t context, ICancelPoll* cancel)
{
    if (cancel)
    {
        if (const int code = cancel->Poll())
            return code;
    }
    const intptr_t own = visitor.OnNode(*this, context);
    if (IsLeafType(m_type))
        return own;
    const intptr_t childContext = (m_type == kOpenElement || m_type == kElement) ? own : context;

    struct Frame
    {
        CXmlNode* node;
        size_t next;
        intptr_t context;
    };
    std::vector<Frame> stack{{this, 0, childContext}};
    while (!stack.empty())
    {
        Frame& frame = stack.back();
        if (frame.next >= frame.node->m_children.size())
        {
            stack.pop_back();
            continue;
        }
        CXmlNode* child = frame.node->m_children[frame.next++].get();
        const intptr_t parentContext = frame.context;
        if (cancel)
        {
            if (const int code = cancel->Poll())
                return code;
        }
        const intptr_t result = visitor.OnNode(*child, parentContext);
        if (IsLeafType(child->m_type) || child->m_children.empty())
            continue;
        const bool element = child->m_type == kOpenElement || child->m_type == kElement;
        stack.push_back({child, 0, element ? result : parentContext});
    }
    return childContext;
}

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
