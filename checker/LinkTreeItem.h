#pragma once
// CLinkTreeItem: what the engine hands a view for one link of its tree: the
// link's icon, its id and a copy of its record that the view owns. Views
// collect items in an array (in child order) or in a map keyed by link id
// (looking up an absent id makes an empty item).

#include "checker/LinkInfo.h"

#include <memory>
#include <unordered_map>
#include <vector>

struct CLinkTreeItem
{
    int m_icon = 0;   // LinkTypeIcon of the copy
    int m_linkId = 0; // 0: no link
    std::unique_ptr<CLinkInfo> m_info;
};

using CLinkTreeItemArray = std::vector<CLinkTreeItem>;
using CLinkTreeItemMap = std::unordered_map<int, CLinkTreeItem>;
