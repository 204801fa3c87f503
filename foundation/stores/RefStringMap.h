#pragma once
// A reference-counted node of a tree keyed by path components: the base of
// the site cache's entries and the cookie store's records.
//
// A path is split at '/' ('\' counts as '/'); empty components are skipped,
// so "a//b/" and "/a\b" name the same node as "a/b". Components compare
// exactly (case-sensitively). A node owns one reference to each child and
// releases it when the node goes; a holder that took its own reference
// (AddRef) keeps a child alive after its parent is gone.
//
// Reference counts change atomically. Walking and inserting are not locked
// here: the owner of the tree (the site cache, the cookie store) does that
// under its own lock. Nodes are always made with new, because the last
// Release deletes the node.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

class CRefStringMap
{
public:
    using ChildMap = std::map<std::string, CRefStringMap*, std::less<>>;

    // Empty name, value 0, no children, one reference (the creator's).
    CRefStringMap();
    CRefStringMap(const CRefStringMap&) = delete;
    CRefStringMap& operator=(const CRefStringMap&) = delete;

    // A new empty node of the same concrete class; subclasses override it so
    // that the levels FindOrCreate adds are of their kind.
    virtual CRefStringMap* CreateNode() const;
    // The new count.
    virtual int32_t AddRef();
    // The new count; at 0 the node deletes itself and releases its children,
    // so the caller must not touch the node after releasing its last
    // reference.
    virtual int32_t Release();

    // The node at path below this one, or null when a level is missing. An
    // empty path (or one of separators only) gives this node.
    CRefStringMap* Find(std::string_view path);
    // The same, creating every missing level through CreateNode of this node
    // (the parent holds the creation reference). Never null.
    CRefStringMap* FindOrCreate(std::string_view path);
    // The direct child named exactly name (no splitting, no skipping), made
    // through CreateNode when missing. For owners whose keys must not fold
    // "a/" into "a" or '\' into '/'. Never null.
    CRefStringMap* FindOrCreateChild(std::string_view name);

    // Releases every child once and forgets them.
    void ClearChildren();

    const std::string& GetName() const { return m_name; }
    int32_t GetValue() const { return m_value; }
    void SetValue(int32_t value) { m_value = value; }
    int32_t GetRefCount() const { return m_refCount.load(); }
    // Component -> child; null while the node never had a child.
    const ChildMap* GetChildren() const { return m_children.get(); }

protected:
    // Only Release deletes a node. The children are deleted after this node,
    // one at a time, so that tearing down a very deep tree does not nest one
    // call per level.
    virtual ~CRefStringMap();

private:
    static void Destroy(CRefStringMap* node);

    std::string m_name;
    int32_t m_value = 0;
    std::unique_ptr<ChildMap> m_children;
    std::atomic<int32_t> m_refCount{1};
};
