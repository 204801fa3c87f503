// The tree of a link tree view in step with its engine: levels loaded and
// refreshed, items found and selected.

#include "shell/LinkTreeView.h"

#include "checker/LinkNames.h"
#include "checker/LinkNode.h"
#include "checker/LinkStatus.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "platform/core/WindowHandle.h"
#include "platform/ui/ViewMessages.h"
#include "platform/ui/WidgetWindow.h"
#include "shell/LinkListPane.h"

#include <vector>

namespace
{
// Items without a link (the placeholder) first, then by the link's place
// among its page's links.
int CompareLinkIndex(DWORD_PTR a, DWORD_PTR b)
{
    const auto* left = reinterpret_cast<const CLinkInfo*>(a);
    const auto* right = reinterpret_cast<const CLinkInfo*>(b);
    if (!left || !right)
        return (left ? 1 : 0) - (right ? 1 : 0);
    return (left->m_index > right->m_index) - (left->m_index < right->m_index);
}

bool NeedsPlaceholder(const CLinkInfo& info)
{
    return info.m_sublinks > 0 || (info.m_linkType == kTypeFtpList && info.m_state == kStateMaxRecursion);
}
} // namespace

const CLinkInfo* CLinkTreeView::ItemInfo(HTREEITEM item) const
{
    return item ? InfoOf(m_tree->GetItemData(item)) : nullptr;
}

int CLinkTreeView::AutoExpandDepth() const
{
    return m_services.m_settings ? GetIntOr(*m_services.m_settings, SETTING_MISC_AUTO_EXPAND) : 1;
}

// Nested updates repaint once: only the outermost switches drawing off and
// on again.
void CLinkTreeView::BeginRedraw()
{
    if (++m_redrawNesting == 0)
        m_tree->setUpdatesEnabled(false);
}

void CLinkTreeView::EndRedraw()
{
    if (m_redrawNesting == 0)
    {
        m_tree->setUpdatesEnabled(true);
        m_tree->viewport()->update();
    }
    --m_redrawNesting;
}

void CLinkTreeView::UpdateLevel(HTREEITEM parent, int depth)
{
    CLinkTreeItemMap level;
    if (parent)
    {
        const CLinkInfo* info = ItemInfo(parent);
        if (!info)
            return;
        m_engine->RefreshLinkTree(info->m_linkId, nullptr, &level, false, &m_filter);
    }
    else
    {
        m_engine->GetRootLink(nullptr, &level);
    }
    BeginRedraw();
    // The root level's items are the top items; its "parent" for the
    // auto-expand rule is the first of them.
    HTREEITEM owner = parent ? parent : m_tree->GetRootItem();
    const bool hadChildren = owner && m_tree->GetChildItem(owner) != nullptr;
    const int autoExpand = AutoExpandDepth();

    HTREEITEM child = parent ? m_tree->GetChildItem(parent) : m_tree->GetRootItem();
    while (child)
    {
        HTREEITEM next = m_tree->GetNextSiblingItem(child);
        const CLinkInfo* old = ItemInfo(child);
        auto found = old ? level.find(old->m_linkId) : level.end();
        if (found == level.end())
        {
            m_tree->DeleteItem(child); // the placeholder, or a link the level no longer shows
        }
        else
        {
            CLinkInfo* fresh = found->second.m_info.release();
            const int icon = found->second.m_icon;
            level.erase(found);
            delete old;
            m_tree->SetItemData(child, reinterpret_cast<DWORD_PTR>(fresh));
            m_tree->SetItemText(child, fresh->m_name);
            m_tree->SetItemImage(child, icon, icon);
            // A level that was loaded stays in step; one still behind its
            // placeholder waits until it is opened.
            if (ItemInfo(m_tree->GetChildItem(child)) != nullptr)
                UpdateLevel(child, fresh->m_depth);
        }
        child = next;
    }

    const WindowHandle self = CWidgetWindow::HandleOf(this);
    if (depth >= 0 && depth < autoExpand && owner && !hadChildren && !level.empty())
        (void)PostMessage(self, WM_TREE_EXPAND, reinterpret_cast<WPARAM>(owner), TVE_EXPAND);

    for (auto& [id, entry] : level)
    {
        if (!entry.m_info)
            continue;
        CLinkInfo* info = entry.m_info.release();
        HTREEITEM item = m_tree->InsertItem(info->m_name, entry.m_icon, entry.m_icon, parent ? parent : TVI_ROOT);
        m_tree->SetItemData(item, reinterpret_cast<DWORD_PTR>(info));
        if (NeedsPlaceholder(*info))
        {
            m_tree->InsertItem(kPlaceholderText, -1, -1, item);
            if (info->m_depth < autoExpand)
                (void)PostMessage(self, WM_TREE_EXPAND, reinterpret_cast<WPARAM>(item), TVE_EXPAND);
        }
    }
    m_tree->SortChildren(parent ? parent : TVI_ROOT, CompareLinkIndex);
    EndRedraw();
}

int CLinkTreeView::RefreshItem(HTREEITEM item)
{
    auto* info = InfoOf(m_tree->GetItemData(item));
    if (!info)
        return 0;
    BeginRedraw();
    const int flags = m_engine->QueryLinkInfo(*info);
    if (flags & CLinkNode::kCopiedContent)
    {
        const int icon = LinkTypeIcon(*info);
        m_tree->SetItemText(item, info->m_name);
        m_tree->SetItemImage(item, icon, icon);
    }
    if (flags & CLinkNode::kCopiedChildren)
        UpdateLevel(item, info->m_depth);
    EndRedraw();
    return flags;
}

void CLinkTreeView::RefreshTree(bool allItems)
{
    BeginRedraw();
    if (!m_tree->GetRootItem())
        UpdateLevel(nullptr, 0);
    // Refreshing may add and remove items below the one refreshed: the next
    // item is found after each refresh.
    for (HTREEITEM item = allItems ? m_tree->GetRootItem() : m_tree->GetFirstVisibleItem(); item;)
    {
        (void)RefreshItem(item);
        item = allItems ? NextItem(item) : m_tree->GetNextVisibleItem(item);
    }
    if (!m_tree->GetSelectedItem() && m_tree->GetRootItem())
        m_tree->SelectItem(m_tree->GetRootItem());
    EndRedraw();
}

HTREEITEM CLinkTreeView::NextItem(HTREEITEM item) const
{
    if (HTREEITEM child = m_tree->GetChildItem(item))
        return child;
    for (; item; item = m_tree->GetParentItem(item))
    {
        if (HTREEITEM sibling = m_tree->GetNextSiblingItem(item))
            return sibling;
    }
    return nullptr;
}

HTREEITEM CLinkTreeView::FindItemOfLink(int linkId) const
{
    if (linkId == 0)
        return nullptr;
    for (HTREEITEM item = m_tree->GetRootItem(); item; item = NextItem(item))
    {
        const CLinkInfo* info = ItemInfo(item);
        if (info && info->m_linkId == linkId)
            return item;
    }
    return nullptr;
}

bool CLinkTreeView::SelectLink(int linkId)
{
    if (HTREEITEM item = FindItemOfLink(linkId))
    {
        m_tree->SelectItem(item);
        return true;
    }
    // Open the pages above it from the top until its item exists.
    std::vector<int> chain;
    for (int id = linkId, referrer = 0; m_engine->GetReferrerId(id, referrer) && referrer != 0; id = referrer)
        chain.push_back(referrer);
    for (auto above = chain.rbegin(); above != chain.rend(); ++above)
    {
        HTREEITEM item = FindItemOfLink(*above);
        if (!item)
            continue;
        m_tree->Expand(item, TVE_EXPAND);
        if (HTREEITEM target = FindItemOfLink(linkId))
        {
            m_tree->SelectItem(target);
            return true;
        }
    }
    return false;
}

bool CLinkTreeView::SelectParentItem()
{
    HTREEITEM parent = m_tree->GetParentItem(m_tree->GetSelectedItem());
    if (!parent)
        return false;
    m_tree->SelectItem(parent);
    return true;
}

int CLinkTreeView::GetSelectedLinkId() const
{
    const CLinkInfo* info = GetSelectedInfo();
    return info ? info->m_linkId : 0;
}

const CLinkInfo* CLinkTreeView::GetSelectedInfo() const
{
    return ItemInfo(m_tree->GetSelectedItem());
}

std::string CLinkTreeView::GetSelectedUrl(bool preferList) const
{
    std::string url;
    if (preferList && m_list && m_list->GetSingleSelectedUrl(url))
        return url;
    const CLinkInfo* info = GetSelectedInfo();
    return info ? info->m_url : std::string();
}

void CLinkTreeView::OnItemExpanded(HTREEITEM item, bool expanded)
{
    if (!expanded || m_expandReentry != 0)
        return;
    ++m_expandReentry;
    UpdateLevel(item, -1);
    --m_expandReentry;
}

void CLinkTreeView::OnSelectionChanged(int cause)
{
    if (m_shutDown)
        return;
    FillList(cause == TVC_BYMOUSE ? 0 : kDeferredFillMs);
    UpdateTitle();
}

void CLinkTreeView::SetViewFilter(const CLinkViewFilter& filter)
{
    const bool same = filter.m_stateMask == m_filter.m_stateMask && filter.m_typeMask == m_filter.m_typeMask &&
                      filter.m_protocolMask == m_filter.m_protocolMask && filter.m_scopeMask == m_filter.m_scopeMask &&
                      filter.m_tagMask == m_filter.m_tagMask && filter.m_containsBroken == m_filter.m_containsBroken;
    if (same)
        return;
    CLinkViewFilter next = filter;
    next.m_fileMode = m_filter.m_fileMode;
    next.m_hideRepeats = m_filter.m_hideRepeats;
    next.m_pageMode = CLinkViewFilter::kAlwaysShown;
    next.m_type0Mode = CLinkViewFilter::kAlwaysShown;
    m_filter = next;
    m_engine->TouchAllLinks();
    RefreshTree(true);
    FillList(0);
}
