#include "foundation/desktop/ItemSearch.h"

#include "foundation/text/Wildcard.h"
#include "platform/core/Text.h"

ViewItem TreeCtrlGetNextItem(const ITreeItems& tree, ViewItem item)
{
    if (item == kNoViewItem)
        return tree.GetRootItem();
    if (const ViewItem child = tree.GetChildItem(item); child != kNoViewItem)
        return child;
    for (ViewItem current = item; current != kNoViewItem; current = tree.GetParentItem(current))
    {
        if (const ViewItem sibling = tree.GetNextSiblingItem(current); sibling != kNoViewItem)
            return sibling;
    }
    return kNoViewItem;
}

int FindItemText(IFindItemList& list, std::string_view text, bool caseSensitive, bool wildcards)
{
    if (text.empty() || !list.HasItems())
        return -1;

    std::string wanted(text);
    if (wildcards && wanted.find_first_of("*?[") == std::string::npos)
        wanted = "*" + wanted + "*";
    if (!caseSensitive)
        wanted = MakeLower(wanted);

    const ViewItem first = list.GetFirstItem();
    ViewItem start = kNoViewItem;
    if (const ViewItem selected = list.GetSelectedItem(); selected != kNoViewItem)
        start = list.GetNextItem(selected);
    if (start == kNoViewItem)
        start = first;

    ViewItem found = kNoViewItem;
    int foundIndex = -1;
    bool started = false;
    int index = 0;
    for (ViewItem item = first; item != kNoViewItem; item = list.GetNextItem(item), ++index)
    {
        started = started || item == start;
        if (started && found == kNoViewItem)
        {
            const std::string itemText = list.GetItemText(item);
            const bool passes = wildcards ? WildcardMatch(itemText, wanted, caseSensitive)
                                          : (caseSensitive ? itemText : MakeLower(itemText)).find(wanted) !=
                                                std::string::npos;
            if (passes)
            {
                found = item;
                foundIndex = index;
                continue;
            }
        }
        list.DeselectItem(item);
    }
    if (found != kNoViewItem)
        list.SelectItem(found);
    return foundIndex;
}
