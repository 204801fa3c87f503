#include "foundation/stores/Favorites.h"

#include "foundation/desktop/AppIdentity.h"
#include "foundation/files/DirectoryTree.h"
#include "foundation/files/FileSystem.h"
#include "foundation/files/PathUtils.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/DataFolderFile.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "foundation/desktop/ShellHooks.h"
#include "foundation/markup/XmlDocumentFile.h"
#include "platform/core/Text.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <utility>
#include <vector>

namespace
{
constexpr uint32_t kFirstFavoriteId = 1000;
constexpr const char kFavoritesFileName[] = "Favorites.xml";
// How many unreadable files are kept beside the favourites ("<file>.bad",
// "<file>.bad2", ...) before a save gives up rather than lose one.
constexpr int kMaxKeptDamagedFiles = 100;

// The commands that end the "Favorite Sites" dialog with a task to open.
constexpr int kCommandCheckLinks = 255;
constexpr int kCommandBrowseLinks = 1104;
constexpr int kCommandBrowseOffline = 1105;

struct FavoritesStore
{
    std::unique_ptr<CFavoritesNode> m_tree;
    std::unique_ptr<std::map<std::string, CXmlNode*>> m_usedIds;
    uint32_t m_nextId = kFirstFavoriteId;
    // The file the last load found but could not read as favourites.
    std::string m_damagedPath;
};

FavoritesStore& Store()
{
    static FavoritesStore store;
    return store;
}


// Moves an unreadable favourites file out of the way of a save, to the first
// free name of "<path>.bad", "<path>.bad2", ..., so neither it nor a file
// kept earlier is overwritten. True when nothing is left at path.
bool KeepDamagedFile(const std::string& path)
{
    if (GetPathKind(path) == kPathMissing)
        return true;
    for (int n = 1; n <= kMaxKeptDamagedFiles; ++n)
    {
        const std::string aside = n == 1 ? path + ".bad" : Format("%s.bad%d", path.c_str(), n);
        if (MovePath(path, aside))
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

void BuildDefaultTree(CXmlNode& root)
{
    root.Clear();
    CXmlNode* declaration = root.AddChild({}, {}, {}, CXmlNode::kProcessing);
    declaration->AddChild("Favorites", {}, "X-Favorites", CXmlNode::kElement);
}

// Folders, empty-element tags and items are favourites; every other node is
// not shown.
bool IsFavoriteNode(const CXmlNode& node)
{
    const std::string& name = node.GetName();
    if (name.empty())
        return false;
    return (node.GetType() == CXmlNode::kElement && name == "Folder") ||
           node.GetType() == CXmlNode::kEmptyElement || name == "Item";
}

// First walk: inserts the tree items and records the ids. The context is the
// parent's tree item; 0 marks a subtree that is not shown.
class CShowVisitor : public IXmlNodeVisitor
{
public:
    CShowVisitor(IFavoritesTreeControl& control, const CXmlNode* top,
                 std::map<std::string, CXmlNode*>& usedIds, std::string wantedId)
        : m_control(control), m_top(top), m_usedIds(usedIds), m_wantedId(std::move(wantedId))
    {
    }

    intptr_t OnNode(CXmlNode& node, intptr_t context) override
    {
        if (&node == m_top)
            return context;
        if (context == 0 || !IsFavoriteNode(node))
            return 0;

        const std::string id = GetFavoriteId(&node);
        bool wanted = false;
        if (!id.empty())
        {
            auto [entry, added] = m_usedIds.emplace(id, &node);
            if (!added && entry->second != &node)
                node.RemoveAttribute("ID", true);
            else
                wanted = id == m_wantedId;
        }

        const int image = node.GetName() == "Item" ? 1 : 0;
        const IFavoritesTreeControl::Item item =
            m_control.InsertItem(context, GetFavoriteName(&node), image, image, &node);
        m_control.Expand(context);
        if (wanted)
            m_wantedItem = item;
        return item;
    }

    IFavoritesTreeControl::Item GetWantedItem() const { return m_wantedItem; }

private:
    IFavoritesTreeControl& m_control;
    const CXmlNode* m_top;
    std::map<std::string, CXmlNode*>& m_usedIds;
    std::string m_wantedId;
    IFavoritesTreeControl::Item m_wantedItem = 0;
};

// Second walk: gives every favourite without an id a new one.
class CAssignIdVisitor : public IXmlNodeVisitor
{
public:
    explicit CAssignIdVisitor(std::map<std::string, CXmlNode*>& usedIds) : m_usedIds(usedIds) {}

    intptr_t OnNode(CXmlNode& node, intptr_t context) override
    {
        if (IsFavoriteNode(node) && GetFavoriteId(&node).empty())
        {
            const std::string id = NewFavoriteId();
            if (node.SetAttribute("ID", id, true))
            {
                m_usedIds[id] = &node;
                ++m_assigned;
            }
        }
        return context;
    }

    int GetAssignedCount() const { return m_assigned; }

private:
    std::map<std::string, CXmlNode*>& m_usedIds;
    int m_assigned = 0;
};
} // namespace

std::unique_ptr<CXmlNode> CFavoritesNode::CreateNode() const
{
    return std::make_unique<CFavoritesNode>();
}

bool LoadFavorites()
{
    const std::string path = GetDataFolderFilePath(kFavoritesFileName);
    if (path.empty())
        return false;
    return LoadFavoritesFromFile(path);
}

bool LoadFavoritesFromFile(const std::string& path)
{
    FavoritesStore& store = Store();
    if (!store.m_tree)
        store.m_tree = std::make_unique<CFavoritesNode>();
    if (!store.m_usedIds)
        store.m_usedIds = std::make_unique<std::map<std::string, CXmlNode*>>();
    store.m_nextId = kFirstFavoriteId;
    store.m_usedIds->clear();

    bool complete = false;
    const bool opened = ReadXmlDocumentFile(path, *store.m_tree, &complete);
    const CXmlNode* top = store.m_tree->FindElement(CXmlNode::kProcessing);
    store.m_damagedPath.clear();
    // A file cut off between two tags parses without a fault but leaves
    // its top element open; it is as damaged as one cut inside a tag.
    if (!complete || !top || top->GetName() != "Favorites" || top->GetType() != CXmlNode::kElement)
    {
        BuildDefaultTree(*store.m_tree);
        // A file that is there but would not open (no read permission, no
        // descriptor left) is as unreadable as a damaged one; only a missing
        // file (or a folder, which a save cannot replace) leaves nothing to
        // keep.
        if (opened || GetPathKind(path) == kPathFile)
            store.m_damagedPath = path;
    }
    return opened;
}

bool SaveFavorites()
{
    if (!Store().m_tree)
        return false;
    const std::string path = GetDataFolderFilePath(kFavoritesFileName);
    return !path.empty() && SaveFavoritesToFile(path);
}

bool SaveFavoritesToFile(const std::string& path)
{
    FavoritesStore& store = Store();
    if (!store.m_tree || path.empty())
        return false;
    // The tree of an unreadable file is the empty default; writing it over
    // the file would destroy whatever of the user's favourites it still holds.
    if (path == store.m_damagedPath)
    {
        if (!KeepDamagedFile(path))
            return false;
        store.m_damagedPath.clear();
    }
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0)
        CreateDirectoryTree(path.substr(0, slash));
    if (!WriteXmlDocumentFile(*store.m_tree, path, 0600))
        return false;
    PostInstanceBroadcast(kBroadcastFavoritesSaved, 0);
    return true;
}

void FreeFavorites()
{
    FavoritesStore& store = Store();
    store.m_usedIds.reset();
    store.m_tree.reset();
    store.m_damagedPath.clear();
}

const std::string& GetDamagedFavoritesFile()
{
    return Store().m_damagedPath;
}

CXmlNode* GetFavoritesRoot()
{
    const FavoritesStore& store = Store();
    return store.m_tree ? store.m_tree->FindElement(CXmlNode::kProcessing) : nullptr;
}

std::string GetFavoriteName(const CXmlNode* node)
{
    return node ? node->GetAttribute("Name", true) : std::string();
}

std::string GetFavoriteId(const CXmlNode* node)
{
    return node ? node->GetAttribute("ID", true) : std::string();
}

std::string NewFavoriteId()
{
    FavoritesStore& store = Store();
    if (!store.m_usedIds)
        return std::string();
    // The map holds finitely many ids, so this ends within its size + 1 steps.
    std::string id;
    do
        id = Format("%u", store.m_nextId++);
    while (store.m_usedIds->count(id) != 0);
    return id;
}

int CompareFavoriteNames(const CXmlNode* first, const CXmlNode* second)
{
    if (!first)
        return -1;
    if (!second)
        return 1;
    return CompareNoCase(GetFavoriteName(first), GetFavoriteName(second));
}

void FillFavoritesTree(IFavoritesTreeControl& control)
{
    FavoritesStore& store = Store();
    CXmlNode* top = GetFavoritesRoot();
    if (!top || !store.m_usedIds)
        return;
    const IFavoritesTreeControl::Item all = control.InsertItem(0, "All", 0, 0, nullptr);

    // The map describes the tree as shown now; entries of nodes the dialog
    // has deleted since the last fill would point at freed nodes.
    store.m_usedIds->clear();
    CShowVisitor show(control, top, *store.m_usedIds, GetSettingString(SETTING_LAYOUT_LAST_FAVORITE_SITE));
    top->Visit(show, all, nullptr);

    CAssignIdVisitor assign(*store.m_usedIds);
    top->Visit(assign, 0, nullptr);
    // A failed save loses nothing: the new ids stay in the tree and go to
    // disk with the next save.
    if (assign.GetAssignedCount() > 0)
        static_cast<void>(SaveFavorites());

    control.SelectItem(all);
    if (show.GetWantedItem() != 0)
        control.SelectItem(show.GetWantedItem());
}

void SortTreeChildren(IFavoritesTreeControl& control, FavoriteCompare compare,
                      IFavoritesTreeControl::Item item)
{
    if (!compare)
        return;
    using Item = IFavoritesTreeControl::Item;
    std::vector<std::pair<Item, const CXmlNode*>> children;
    for (Item child : control.GetChildren(item))
        children.emplace_back(child, control.GetItemNode(child));
    if (children.size() < 2)
        return;
    // CompareFavoriteNames puts a missing node first even against another
    // missing node; a sort needs a consistent order, so two of them tie.
    std::stable_sort(children.begin(), children.end(),
                     [compare](const auto& first, const auto& second)
                     {
                         if (!first.second && !second.second)
                             return false;
                         return compare(first.second, second.second) < 0;
                     });
    std::vector<Item> order;
    order.reserve(children.size());
    for (const auto& child : children)
        order.push_back(child.first);
    control.SetChildOrder(item, order);
}

void SortTreeRecursive(IFavoritesTreeControl& control, FavoriteCompare compare)
{
    using Item = IFavoritesTreeControl::Item;
    // An explicit stack: folders may nest deeply.
    std::vector<Item> pending{0};
    while (!pending.empty())
    {
        const Item item = pending.back();
        pending.pop_back();
        SortTreeChildren(control, compare, item);
        const std::vector<Item> children = control.GetChildren(item);
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
}

void RunFavoritesDialog()
{
    CPropertySet task;
    const int command = ShowFavoritesDialog(task);
    if (command == kCommandCheckLinks || command == kCommandBrowseLinks || command == kCommandBrowseOffline)
        OpenTaskDocument(task);
}
