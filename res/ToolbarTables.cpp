#include "res/Resources.h"

#include <algorithm>

namespace
{
constexpr UINT kMainButtons[] = {
    ID_FILE_NEW,           ID_FILE_OPEN,      0,
    ID_TASK_STOP,          ID_TASK_CONTINUE,  ID_TASK_REFRESH, ID_TASK_REPORT, 0,
    ID_VIEW_VIEWS,         0,
    ID_VIEW_TRANSFER_QUEUE, ID_TOOLS_SETTINGS, ID_TOOLS_FAVORITES, 0,
    ID_HELP_CONTENTS,
};

constexpr UINT kQueueButtons[] = {
    ID_INFO_LOG, 0, ID_LINK_RESUME, ID_QUEUE_RESUME_ALL, ID_LINK_STOP, ID_QUEUE_STOP_ALL, 0, ID_TASK_REFRESH,
};

const ToolbarDesc kToolbars[] = {
    {IDR_MAINFRAME, IDB_MAINFRAME, 16, kMainButtons},
    {IDR_QUEUE_TOOLBAR, IDB_QUEUE_TOOLBAR, 16, kQueueButtons},
};
} // namespace

std::span<const ToolbarDesc> GetToolbars()
{
    return kToolbars;
}

const ToolbarDesc* FindToolbar(UINT id)
{
    const auto found = std::find_if(std::begin(kToolbars), std::end(kToolbars),
                                    [id](const ToolbarDesc& toolbar) { return toolbar.m_id == id; });
    return found == std::end(kToolbars) ? nullptr : &*found;
}
