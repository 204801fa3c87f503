#pragma once
// Walking and searching the items of the views' tree and list controls,
// through small interfaces that the views implement over their widgets, so
// the rules live here without any widget code.

#include <cstdint>
#include <string>
#include <string_view>

// An opaque item of a tree or list control; 0 is no item.
using ViewItem = uintptr_t;
inline constexpr ViewItem kNoViewItem = 0;

// The structure of a tree control.
class ITreeItems
{
public:
    virtual ~ITreeItems() = default;
    virtual ViewItem GetRootItem() const = 0;
    virtual ViewItem GetChildItem(ViewItem item) const = 0;       // first child
    virtual ViewItem GetNextSiblingItem(ViewItem item) const = 0;
    virtual ViewItem GetParentItem(ViewItem item) const = 0;
};

// The next item in depth-first order: for no item the root; otherwise the
// item's first child, else the next sibling of the item or of its nearest
// ancestor that has one; no item at the end.
ViewItem TreeCtrlGetNextItem(const ITreeItems& tree, ViewItem item);

// The items of a list-like view, in the order a search walks them.
class IFindItemList
{
public:
    virtual ~IFindItemList() = default;
    virtual bool HasItems() const = 0;
    virtual std::string GetItemText(ViewItem item) const = 0;
    virtual ViewItem GetFirstItem() const = 0;
    virtual ViewItem GetSelectedItem() const = 0; // kNoViewItem without selection
    // Selects the item and scrolls it into view.
    virtual void SelectItem(ViewItem item) = 0;
    virtual void DeselectItem(ViewItem item) = 0;
    virtual ViewItem GetNextItem(ViewItem item) const = 0; // kNoViewItem after the last
};

// Finds the next item whose text holds text (ignoring ASCII case unless
// caseSensitive), or with wildcards matches it as a WildcardMatch pattern; a
// text without '*', '?' or '[' is then looked for anywhere ("*text*"). The
// search starts at the item after the selected one, or at the first item
// when nothing or the last item is selected, and does not wrap around. Every
// item but the one found is deselected; the one found is selected and shown.
// Returns its index counted from the first item, or -1 (also for an empty
// text or a list without items).
int FindItemText(IFindItemList& list, std::string_view text, bool caseSensitive, bool wildcards);
