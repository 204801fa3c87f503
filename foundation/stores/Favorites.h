#pragma once
// The favourites store: the user's favourite sites and tasks, kept in
// folders. It is one process-wide markup tree of CFavoritesNode nodes,
// loaded from and saved to "Favorites.xml" in the data folder, plus a map of
// the favourite ids in use and an id counter. The "Favorite Sites" dialog
// loads the store when it opens, shows it (FillFavoritesTree), lets the user
// add, rename, move and delete folders and items in the tree, saves it and
// frees it when it closes.
//
// The file:
//   <?xml version="1.0" encoding="UTF-8"?>
//   <Favorites>
//     X-Favorites
//     <Folder Name="..." ID="1000">
//       <Item Name="..." ID="1001" .../>
//     </Folder>
//   </Favorites>
// two blanks per level, every line ended by "\r\n". Folders and items carry
// "Name" (the text shown) and "ID" (a decimal number, unique within the
// file); the further attributes of items belong to the dialog (the task an
// item starts, as attribute text) and the store keeps them untouched.
// Attribute values are entity-encoded, so quotes, '&' and '<' round-trip;
// other bytes, UTF-8 included, are written as they are.
//
// The store is used on the UI thread only; it has no lock.

#include "foundation/markup/XmlNode.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The node class of the favourites tree: every node of a loaded or built
// tree is one, so the dialog can tell the store's nodes by their class.
class CFavoritesNode : public CXmlNode
{
public:
    std::unique_ptr<CXmlNode> CreateNode() const override;
};

// LoadFavoritesFromFile with "Favorites.xml" in the data folder; false when
// there is no data folder.
bool LoadFavorites();

// Creates the tree and the id map when missing, sets the id counter to 1000,
// empties both and parses the file (strict XML). Unless the whole file was
// read and its top element (after the declaration) is "Favorites" with its
// end tag (a file cut off between two tags lacks it), the tree
// becomes the default document: declaration, "Favorites", text
// "X-Favorites"; a file that gave it, or that is there but could not be
// opened, is damaged (GetDamagedFavoritesFile). The file itself is touched
// only by the next save. True when the file could be opened.
[[nodiscard]] bool LoadFavoritesFromFile(const std::string& path);

// The file the last load found but could not read as favourites (cut off,
// broken, empty, another document, or not to be opened), so the store holds
// the default tree instead; "" when the last load read its file whole or
// found none. The next save to that file first renames it to "<file>.bad"
// (or "<file>.bad2", ... when taken) so what it holds stays for the user to
// recover.
const std::string& GetDamagedFavoritesFile();

// SaveFavoritesToFile with "Favorites.xml" in the data folder; false when
// there is no data folder.
[[nodiscard]] bool SaveFavorites();

// Creates the folders above path and replaces the file with the tree in one
// step (mode 0600: tasks may carry credentials), then broadcasts code 7
// with the argument 0. False when no tree is loaded (nothing is written) or
// the file could not be written whole, or the damaged file it replaces could
// not be renamed aside; the old file is then kept and nothing is broadcast.
[[nodiscard]] bool SaveFavoritesToFile(const std::string& path);

// Deletes the tree and the id map.
void FreeFavorites();

// The "Favorites" element of the loaded tree (the element after the
// declaration); null when no tree is loaded.
CXmlNode* GetFavoritesRoot();

// The "Name" and "ID" attributes (names case-sensitive); "" when absent or
// for a null node.
std::string GetFavoriteName(const CXmlNode* node);
std::string GetFavoriteId(const CXmlNode* node);

// The first decimal text, counting up from the id counter, that the id map
// does not hold; the counter ends one above it. "" when no store is loaded.
std::string NewFavoriteId();

// -1 when the first node is null, 1 when the second is, else the comparison
// of their "Name" attributes ignoring ASCII case (negative, 0, positive).
int CompareFavoriteNames(const CXmlNode* first, const CXmlNode* second);

// The tree control that FillFavoritesTree fills; the dialog implements it
// over its widget. Items are opaque non-zero handles; 0 is "none".
class IFavoritesTreeControl
{
public:
    using Item = intptr_t;

    virtual ~IFavoritesTreeControl() = default;

    // Inserts an item under parent (0: at the top level) after its last
    // child and returns it; node is the item's data (null for "All").
    virtual Item InsertItem(Item parent, const std::string& text, int image, int selectedImage,
                            CXmlNode* node) = 0;
    virtual void Expand(Item item) = 0;
    virtual void SelectItem(Item item) = 0;

    // The children of parent (0: the top-level items) in their order.
    virtual std::vector<Item> GetChildren(Item parent) = 0;
    // The node an item was given (null for "All" and for an item the user
    // is still naming).
    virtual CXmlNode* GetItemNode(Item item) = 0;
    // Puts the children of parent in this order; children holds exactly the
    // items GetChildren gave.
    virtual void SetChildOrder(Item parent, const std::vector<Item>& children) = 0;
};

// Orders two favourites: negative, 0 or positive (CompareFavoriteNames).
using FavoriteCompare = int (*)(const CXmlNode* first, const CXmlNode* second);

// Shows the loaded tree in the control and repairs its ids:
// 1. nothing happens when no store is loaded; a top-level item "All" is
//    inserted;
// 2. the "Favorites" element maps to "All"; below it "Folder" elements,
//    empty-element tags and nodes named "Item" each get an item (text: the
//    name; image 1 for "Item", 0 otherwise) under their parent's item, and
//    the parent's item is expanded; other nodes are left out with
//    everything below them. An id already used by an earlier node is removed
//    from the later node; the others are recorded in the id map. The node
//    whose id is the setting "Layout/Last Favorite Site" is remembered;
// 3. every such node in the tree (also below left-out nodes) that has no id
//    gets NewFavoriteId;
// 4. when any id was given, the store is saved (SaveFavorites);
// 5. "All" is selected, then the remembered node's item, when there is one.
void FillFavoritesTree(IFavoritesTreeControl& control);

// Sorts the children of item (0: the top-level items) with compare; items
// that compare equal keep their order. Two items without a node count as
// equal whatever compare says of them, so the order stays consistent.
void SortTreeChildren(IFavoritesTreeControl& control, FavoriteCompare compare,
                      IFavoritesTreeControl::Item item);

// Sorts the children of every item, top level first, then depth first.
void SortTreeRecursive(IFavoritesTreeControl& control, FavoriteCompare compare);

// Runs the "Favorite Sites" dialog (ShellHooks.h); when the user ended it
// with "&Check links", "&Browse links" or "Browse &offline", opens a new
// task window for the dialog's task copy.
void RunFavoritesDialog();
