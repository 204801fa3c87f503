#include "foundation/desktop/ItemSearch.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace
{
// Items are 1-based indices into a row list.
class FakeList : public IFindItemList
{
public:
    FakeList(std::vector<std::string> rows, ViewItem selected) : m_rows(std::move(rows))
    {
        if (selected != kNoViewItem)
            selection.insert(selected);
    }
    bool HasItems() const override { return !m_rows.empty(); }
    std::string GetItemText(ViewItem item) const override { return m_rows[item - 1]; }
    ViewItem GetFirstItem() const override { return m_rows.empty() ? kNoViewItem : 1; }
    ViewItem GetSelectedItem() const override { return selection.empty() ? kNoViewItem : *selection.begin(); }
    void SelectItem(ViewItem item) override
    {
        selection.insert(item);
        shown = item;
    }
    void DeselectItem(ViewItem item) override { selection.erase(item); }
    ViewItem GetNextItem(ViewItem item) const override { return item < m_rows.size() ? item + 1 : kNoViewItem; }

    std::set<ViewItem> selection;
    ViewItem shown = kNoViewItem;

private:
    std::vector<std::string> m_rows;
};

// A tree given as parent of each node (0 for the roots), nodes numbered from 1
// in the order of their siblings.
class FakeTree : public ITreeItems
{
public:
    explicit FakeTree(std::vector<ViewItem> parents) : m_parents(std::move(parents)) {}
    ViewItem GetRootItem() const override { return m_parents.empty() ? kNoViewItem : 1; }
    ViewItem GetChildItem(ViewItem item) const override { return Following(item, item); }
    ViewItem GetNextSiblingItem(ViewItem item) const override { return Following(item, m_parents[item - 1]); }
    ViewItem GetParentItem(ViewItem item) const override { return m_parents[item - 1]; }

private:
    ViewItem Following(ViewItem after, ViewItem parent) const
    {
        for (ViewItem i = after + 1; i <= m_parents.size(); ++i)
            if (m_parents[i - 1] == parent)
                return i;
        return kNoViewItem;
    }
    std::vector<ViewItem> m_parents;
};
} // namespace

TEST(ItemSearch, TreeWalkIsDepthFirst)
{
    //  1          7
    //  +-2        +-8
    //  | +-3
    //  | +-4
    //  +-5
    //    +-6
    const FakeTree tree({0, 1, 2, 2, 1, 5, 0, 7});
    std::vector<ViewItem> order;
    for (ViewItem item = TreeCtrlGetNextItem(tree, kNoViewItem); item != kNoViewItem && order.size() < 20;
         item = TreeCtrlGetNextItem(tree, item))
        order.push_back(item);
    EXPECT_EQ(order, (std::vector<ViewItem>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(TreeCtrlGetNextItem(FakeTree({}), kNoViewItem), kNoViewItem);
}

TEST(ItemSearch, FindItemTextTable)
{
    const std::vector<std::string> rows = {"index.html", "Logo.PNG", "about.html", "logo.png", "contact.HTML"};
    struct Case
    {
        const char* text;
        bool caseSensitive;
        bool wildcards;
        ViewItem selected;
        int expected;
    };
    const Case cases[] = {
        {"logo", false, false, kNoViewItem, 1},
        {"logo", false, false, 2, 3},         // starts after the selection
        {"logo", false, false, 4, -1},        // no match after it: no wrap-around
        {"LOGO", false, false, 3, 3},
        {"logo", true, false, kNoViewItem, 3},
        {"html", false, false, 5, 0},         // the last is selected: start at the first
        {"*.html", false, true, 1, 2},
        {"*.html", true, true, 3, -1},
        {"png", false, true, kNoViewItem, 1}, // a plain text is looked for anywhere
        {"[ab]*", false, true, kNoViewItem, 2},
        {"", false, false, kNoViewItem, -1},
        {"zzz", false, false, kNoViewItem, -1},
    };
    for (const auto& c : cases)
    {
        FakeList list(rows, c.selected);
        EXPECT_EQ(FindItemText(list, c.text, c.caseSensitive, c.wildcards), c.expected) << c.text;
        if (c.expected >= 0)
        {
            EXPECT_EQ(list.selection, std::set<ViewItem>{static_cast<ViewItem>(c.expected + 1)}) << c.text;
            EXPECT_EQ(list.shown, static_cast<ViewItem>(c.expected + 1)) << c.text;
        }
        else if (c.text[0] != '\0')
        {
            EXPECT_TRUE(list.selection.empty()) << c.text;
        }
    }
    FakeList empty({}, kNoViewItem);
    EXPECT_EQ(FindItemText(empty, "a", false, false), -1);
}
