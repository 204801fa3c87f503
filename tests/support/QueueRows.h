#pragma once
// The job ids of a transfer queue view's rows, top to bottom: what the queue
// tests compare against the manager's jobs.

#include "shell/TransferQueueView.h"
#include "widgets/OwnerDrawListCtrl.h"

#include <vector>

inline std::vector<int> QueueRowIds(const CTransferQueueView& view)
{
    std::vector<int> ids;
    const COwnerDrawListCtrl* list = view.GetList();
    for (int row = 0; row < list->GetItemCount(); ++row)
        ids.push_back(static_cast<int>(list->GetItemData(row)));
    return ids;
}
