#include "res/Resources.h"

#include <algorithm>

namespace
{
// The main window's keys work in every window; a child window's keys are
// tried first while it is active.
constexpr AcceleratorDesc kMainKeys[] = {
    {"Ctrl+N", ID_FILE_NEW},
    {"Ctrl+O", ID_FILE_OPEN},
    {"Alt+F7", ID_TOOLS_SETTINGS},
    {"Alt+F8", ID_TOOLS_PASSWORDS},
    {"Alt+F9", ID_TOOLS_COOKIES},
    {"Alt+F10", ID_TOOLS_CACHE},
    {"F4", ID_TOOLS_FAVORITES},
    {"F1", ID_HELP_CONTENTS},
    {"Ctrl+0", ID_VIEW_QUICK_CONNECT},
    {"Ctrl+1", ID_VIEW_TRANSFER_QUEUE},
    {"Alt+1", ID_SHOW_TRANSFER_QUEUE},
    {"Ctrl+2", ID_VIEW_TABBED_BAR},
    {"Ctrl+3", ID_VIEW_TOOLBAR},
    {"Ctrl+4", ID_VIEW_STATUS_BAR},
    {"Alt+U", ID_QC_FOCUS_URL},
    {"Ctrl+Alt+O", ID_QC_START_KEY},
    {"Tab", ID_QC_NEXT_CONTROL},
    {"Shift+Tab", ID_QC_PREV_CONTROL},
    {"Ctrl+PgDown", ID_TAB_NEXT},
    {"Ctrl+PgUp", ID_TAB_PREVIOUS},
};

constexpr AcceleratorDesc kTaskKeys[] = {
    {"F9", ID_TASK_STOP},
    {"Ctrl+U", ID_TASK_CONTINUE},
    {"F5", ID_TASK_REFRESH},
    {"Ctrl+F5", ID_TASK_RESTART},
    {"Ctrl+T", ID_TASK_CHECK_EXTERNAL},
    {"Ctrl+R", ID_TASK_REPORT},
    {"Ctrl+Shift+R", ID_TASK_REPORT}, // with Shift held: no options dialog
    {"Ctrl+P", ID_LINK_RESUME},
    {"Ctrl+Shift+P", ID_LINK_STOP},
    {"Ctrl+Backspace", ID_LINK_GO_TO_PARENT},
    {"Ctrl+Shift+S", ID_LINK_SAVE_AS},
    {"Ctrl+Shift+N", ID_LINK_NEW_TASK},
    {"Ctrl+Shift+O", ID_LINK_OPEN_IN_SHELL},
    {"Ctrl+E", ID_LINK_EDIT},
    {"Ctrl+5", ID_VIEW_ALL_TREE_ITEMS},
    {"Ctrl+6", ID_VIEW_ALL_DESCENDANTS},
    {"Ctrl+7", ID_VIEW_COLORIZE_LIST},
    {"Ctrl+8", ID_VIEW_HIDE_REPEATING},
    {"Ctrl+K", ID_LIST_LOCK},
    {"Ctrl+Shift+C", ID_INFO_CONTENT},
    {"Ctrl+Shift+L", ID_INFO_LOG},
    {"Ctrl+Shift+I", ID_INFO_INFORMATION},
    {"Ctrl+Shift+F", ID_INFO_FORM},
    {"Ctrl+C", ID_EDIT_COPY},
    {"Ctrl+A", ID_EDIT_SELECT_ALL},
    {"Ctrl+F", ID_EDIT_FIND},
    {"F3", ID_EDIT_FIND_NEXT},
};

constexpr AcceleratorDesc kQueueKeys[] = {
    {"F5", ID_TASK_REFRESH},
};

constexpr AcceleratorDesc kTextKeys[] = {
    {"Ctrl+Z", ID_EDIT_UNDO},
    {"Ctrl+Y", ID_EDIT_REDO},
    {"Ctrl+X", ID_EDIT_CUT},
    {"Ctrl+C", ID_EDIT_COPY},
    {"Ctrl+V", ID_EDIT_PASTE},
    {"Ctrl+A", ID_EDIT_SELECT_ALL},
    {"Ctrl+F", ID_EDIT_FIND},
    {"F3", ID_EDIT_FIND_NEXT},
    {"Ctrl+Shift+U", ID_EDIT_UPPER_CASE},
    {"Ctrl+U", ID_EDIT_LOWER_CASE},
    {"Ctrl+P", ID_FILE_PRINT},
};

const AcceleratorTableDesc kTables[] = {
    {IDR_MAINFRAME, kMainKeys}, {IDR_TASK, kTaskKeys}, {IDR_QUEUE, kQueueKeys},
    {IDR_LOG, kTextKeys},       {IDR_REPORT, kTextKeys}, {IDR_EDIT, kTextKeys},
};
} // namespace

std::span<const AcceleratorTableDesc> GetAcceleratorTables()
{
    return kTables;
}

const AcceleratorTableDesc* FindAcceleratorTable(UINT id)
{
    const auto found = std::find_if(std::begin(kTables), std::end(kTables),
                                    [id](const AcceleratorTableDesc& table) { return table.m_id == id; });
    return found == std::end(kTables) ? nullptr : &*found;
}
