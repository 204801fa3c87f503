#include "foundation/stores/RefStringMap.h"

#include <vector>

namespace
{
// Takes the next component off the front of rest (leading separators
// skipped); empty when none is left. Separators are '/' and '\'.
std::string_view NextComponent(std::string_view& rest)
{
    const auto isSeparator = [](char c) { return c == '/' || c == '\\'; };
    size_t start = 0;
    while (start < rest.size() && isSeparator(rest[start]))
        ++start;
    size_t end = start;
    while (end < rest.size() && !isSeparator(rest[end]))
        ++end;
    const std::string_view component = rest.substr(start, end - start);
    rest.remove_prefix(end < rest.size() ? end + 1 : end);
    return component;
}

// Nodes whose last reference went while another node of this thread was
// being deleted; the outermost Destroy deletes them in turn.
thread_local std::vector<CRefStringMap*>* t_pendingDeletes = nullptr;
} // namespace

CRefStringMap::CRefStringMap() = default;

CRefStringMap::~CRefStringMap()
{
    ClearChildren();
}

CRefStringMap* CRefStringMap::CreateNode() const
{
    return new CRefStringMap();
}

int32_t CRefStringMap::AddRef()
{
    return m_refCount.fetch_add(1) + 1;
}

int32_t CRefStringMap::Release()
{
    const int32_t count = m_refCount.fetch_sub(1) - 1;
    if (count == 0)
        Destroy(this);
    return count;
}

void CRefStringMap::Destroy(CRefStringMap* node)
{
    if (t_pendingDeletes)
    {
        t_pendingDeletes->push_back(node);
        return;
    }
    std::vector<CRefStringMap*> pending{node};
    t_pendingDeletes = &pending;
    while (!pending.empty())
    {
        CRefStringMap* next = pending.back();
        pending.pop_back();
        delete next;
    }
    t_pendingDeletes = nullptr;
}

CRefStringMap* CRefStringMap::Find(std::string_view path)
{
    CRefStringMap* node = this;
    for (std::string_view component = NextComponent(path); !component.empty();
         component = NextComponent(path))
    {
        if (!node->m_children)
            return nullptr;
        const auto found = node->m_children->find(component);
        if (found == node->m_children->end())
            return nullptr;
        node = found->second;
    }
    return node;
}

CRefStringMap* CRefStringMap::FindOrCreate(std::string_view path)
{
    CRefStringMap* node = this;
    for (std::string_view component = NextComponent(path); !component.empty();
         component = NextComponent(path))
    {
        if (!node->m_children)
            node->m_children = std::make_unique<ChildMap>();
        auto found = node->m_children->find(component);
        if (found == node->m_children->end())
        {
            CRefStringMap* child = CreateNode();
            child->m_name = std::string(component);
            found = node->m_children->emplace(child->m_name, child).first;
        }
        node = found->second;
    }
    return node;
}

CRefStringMap* CRefStringMap::FindOrCreateChild(std::string_view name)
{
    if (!m_children)
        m_children = std::make_unique<ChildMap>();
    auto found = m_children->find(name);
    if (found == m_children->end())
    {
        CRefStringMap* child = CreateNode();
        child->m_name = std::string(name);
        found = m_children->emplace(child->m_name, child).first;
    }
    return found->second;
}

void CRefStringMap::ClearChildren()
{
    // Detached first, so a child's release never sees a half-emptied map.
    std::unique_ptr<ChildMap> children = std::move(m_children);
    if (!children)
        return;
    for (auto& [name, child] : *children)
        child->Release();
}
