#include "res/Resources.h"

#include <algorithm>
#include <array>

namespace
{
using Items = std::span<const MenuItemDesc>;

// Joins menu parts into one table at compile time.
template <size_t... N>
constexpr auto Join(const std::array<MenuItemDesc, N>&... parts)
{
    std::array<MenuItemDesc, (N + ...)> all{};
    size_t at = 0;
    ((std::copy(parts.begin(), parts.end(), all.begin() + static_cast<std::ptrdiff_t>(at)), at += parts.size()), ...);
    return all;
}

constexpr MenuItemDesc kSeparator{1, 0, nullptr};

constexpr std::array<MenuItemDesc, 4> kFileStart{{
    {0, 0, "&File"},
    {1, ID_FILE_NEW, "&New\tCtrl+N"},
    {1, ID_FILE_OPEN, "&Open...\tCtrl+O"},
    kSeparator,
}};
constexpr std::array<MenuItemDesc, 4> kFileDocument{{
    {1, ID_FILE_CLOSE, "&Close"},
    {1, ID_FILE_SAVE, "&Save"},
    {1, ID_FILE_SAVE_AS, "Save &As..."},
    kSeparator,
}};
constexpr std::array<MenuItemDesc, 3> kFilePrint{{
    {1, ID_FILE_PRINT, "&Print...\tCtrl+P"},
    {1, ID_FILE_PRINT_PREVIEW, "Print Pre&view"},
    kSeparator,
}};
constexpr std::array<MenuItemDesc, 1> kFileEnd{{
    {1, ID_APP_EXIT, "E&xit"},
}};
constexpr std::array<MenuItemDesc, 6> kViewBars{{
    {0, 0, "&View"},
    {1, ID_VIEW_TOOLBAR, "&Toolbar\tCtrl+3"},
    {1, ID_VIEW_STATUS_BAR, "&Status Bar\tCtrl+4"},
    {1, ID_VIEW_QUICK_CONNECT, "Quick &Connect\tCtrl+0"},
    {1, ID_VIEW_TABBED_BAR, "T&abbed Bar\tCtrl+2"},
    {1, ID_VIEW_TRANSFER_QUEUE, "Transfer &Queue\tCtrl+1"},
}};
constexpr std::array<MenuItemDesc, 9> kTools{{
    {0, 0, "&Tools"},
    {1, ID_TOOLS_SETTINGS, "&Settings...\tAlt+F7"},
    {1, ID_TOOLS_PASSWORDS, "&Passwords...\tAlt+F8"},
    {1, ID_TOOLS_COOKIES, "&Cookies...\tAlt+F9"},
    {1, ID_TOOLS_FAVORITES, "Favorites...\tF4"},
    {1, ID_TOOLS_CACHE, "Cac&he...\tAlt+F10"},
    {1, ID_TOOLS_BASE64, "&Base64..."},
    kSeparator,
    {1, ID_TOOLS_CLEAR_HISTORY, "Clear &URL History"},
}};
constexpr std::array<MenuItemDesc, 4> kWindow{{
    {0, 0, "&Window"},
    {1, ID_WINDOW_CLOSE_ALL, "Close A&ll"},
    {1, ID_WINDOW_CLOSE_LOGS, "Cl&ose All Logs"},
    {1, ID_WINDOW_CLOSE_REPORTS, "Close All &Reports"},
}};
constexpr std::array<MenuItemDesc, 5> kHelp{{
    {0, 0, "&Help"},
    {1, ID_HELP_CONTENTS, "&Contents\tF1"},
    {1, ID_HELP_CHECK_UPDATE, "Check for latest &Update..."},
    kSeparator,
    {1, ID_APP_ABOUT, "&About Tanglewarden..."},
}};
constexpr std::array<MenuItemDesc, 14> kEditText{{
    {0, 0, "&Edit"},
    {1, ID_EDIT_UNDO, "&Undo\tCtrl+Z"},
    {1, ID_EDIT_REDO, "&Redo\tCtrl+Y"},
    kSeparator,
    {1, ID_EDIT_CUT, "Cu&t\tCtrl+X"},
    {1, ID_EDIT_COPY, "&Copy\tCtrl+C"},
    {1, ID_EDIT_PASTE, "&Paste\tCtrl+V"},
    {1, ID_EDIT_SELECT_ALL, "Select A&ll\tCtrl+A"},
    kSeparator,
    {1, ID_EDIT_FIND, "&Find...\tCtrl+F"},
    {1, ID_EDIT_FIND_NEXT, "Find &Next...\tF3"},
    kSeparator,
    {1, ID_EDIT_UPPER_CASE, "&Make Upper case\tCtrl+Shift+U"},
    {1, ID_EDIT_LOWER_CASE, "Make &Lower case\tCtrl+U"},
}};

constexpr auto kMainMenu = Join(kFileStart, kFileEnd, kViewBars, kTools, kWindow, kHelp);

constexpr std::array<MenuItemDesc, 6> kTaskEdit{{
    {0, 0, "&Edit"},
    {1, ID_EDIT_COPY, "&Copy Selected Link(s)\tCtrl+C"},
    {1, ID_EDIT_SELECT_ALL, "Select A&ll\tCtrl+A"},
    kSeparator,
    {1, ID_EDIT_FIND, "&Find...\tCtrl+F"},
    {1, ID_EDIT_FIND_NEXT, "Find &Next...\tF3"},
}};
constexpr std::array<MenuItemDesc, 18> kTaskView{{
    kSeparator,
    {1, ID_VIEW_ALL_TREE_ITEMS, "Sho&w all Tree Items\tCtrl+5"},
    {1, ID_VIEW_ALL_DESCENDANTS, "&List all Descendants\tCtrl+6"},
    {1, ID_VIEW_COLORIZE_LIST, "C&olorize List\tCtrl+7"},
    {1, ID_VIEW_HIDE_REPEATING, "&Hide Repeating Links\tCtrl+8"},
    {1, ID_LIST_LOCK, "Loc&k/Unlock\tCtrl+K"},
    kSeparator,
    {1, ID_INFO_CONTENT, "&Content\tCtrl+Shift+C"},
    {1, ID_INFO_LOG, "&Log\tCtrl+Shift+L"},
    {1, ID_INFO_INFORMATION, "&Information\tCtrl+Shift+I"},
    {1, ID_INFO_FORM, "&FORM view\tCtrl+Shift+F"},
    kSeparator,
    {1, 0, "&Views"},
    {2, ID_VIEW_MODE_LARGE_ICONS, "L&arge Icons"},
    {2, ID_VIEW_MODE_SMALL_ICONS, "&Small Icons"},
    {2, ID_VIEW_MODE_LIST, "&List"},
    {2, ID_VIEW_MODE_DETAILS, "&Details"},
    {2, ID_VIEW_MODE_THUMBNAILS, "&Thumbnails"},
}};
constexpr std::array<MenuItemDesc, 21> kTaskMenu{{
    {0, 0, "T&ask"},
    {1, ID_TASK_STOP, "&Stop Task\tF9"},
    {1, ID_TASK_CONTINUE, "C&ontinue Task\tCtrl+U"},
    {1, ID_TASK_REFRESH, "R&efresh\tF5"},
    {1, ID_TASK_RESTART, "Restart Task\tCtrl+F5"},
    {1, ID_TASK_CHECK_EXTERNAL, "&Check External Links\tCtrl+T"},
    {1, ID_TASK_REPORT, "&Report...\tCtrl+R"},
    kSeparator,
    {0, 0, "&Link"},
    {1, ID_LINK_RESUME, "&Resume\tCtrl+P"},
    {1, ID_LINK_STOP, "&Stop\tCtrl+Shift+P"},
    kSeparator,
    {1, ID_LINK_FIND_FIRST, "Fin&d First Link"},
    {1, ID_LINK_GO_TO_PARENT, "&Go to Parent\tCtrl+Back"},
    kSeparator,
    {1, ID_LINK_SAVE_AS, "S&ave Link(s) As...\tCtrl+Shift+S"},
    {1, ID_LINK_NEW_TASK, "New &Task from Link...\tCtrl+Shift+N"},
    {1, ID_LINK_OPEN_IN_SHELL, "O&pen in Shell\tCtrl+Shift+O"},
    {1, ID_LINK_EDIT, "&Edit...\tCtrl+E"},
    kSeparator,
    {1, ID_EDIT_COPY, "&Copy Selected Link(s)\tCtrl+C"},
}};
constexpr auto kTaskFrameMenu =
    Join(kFileStart, kFileDocument, kFileEnd, kTaskEdit, kViewBars, kTaskView, kTaskMenu, kTools, kWindow, kHelp);

constexpr std::array<MenuItemDesc, 8> kItemMenu{{
    {0, 0, "&Item"},
    {1, ID_INFO_LOG, "Show &Log"},
    kSeparator,
    {1, ID_LINK_RESUME, "&Resume Selected"},
    {1, ID_QUEUE_RESUME_ALL, "Resume &All"},
    {1, ID_LINK_STOP, "&Stop Selected"},
    {1, ID_QUEUE_STOP_ALL, "S&top All"},
    {1, ID_TASK_REFRESH, "R&efresh\tF5"},
}};
constexpr auto kQueueMenu = Join(kFileStart, kFileEnd, kViewBars, kItemMenu, kTools, kWindow, kHelp);

constexpr auto kTextMenu =
    Join(kFileStart, kFileDocument, kFilePrint, kFileEnd, kEditText, kViewBars, kTools, kWindow, kHelp);

constexpr MenuItemDesc kTabMenu[] = {
    {0, ID_TAB_CLOSE, "&Close"},
    {0, ID_TAB_BRING_TO_TOP, "&Bring to top"},
};
constexpr MenuItemDesc kBrowseMenu[] = {
    {0, ID_QC_BROWSE_FILE, "Browse local &file..."},
    {0, ID_QC_BROWSE_FOLDER, "Browse local f&older..."},
    {0, ID_QC_BROWSE_FAVORITES, "Browse &IE favorites..."},
};
constexpr MenuItemDesc kViewsMenu[] = {
    {0, ID_VIEW_MODE_LARGE_ICONS, "L&arge Icons"},
    {0, ID_VIEW_MODE_SMALL_ICONS, "&Small Icons"},
    {0, ID_VIEW_MODE_LIST, "&List"},
    {0, ID_VIEW_MODE_DETAILS, "&Details"},
    {0, ID_VIEW_MODE_THUMBNAILS, "&Thumbnails"},
};

const MenuDesc kMenus[] = {
    {IDR_MAINFRAME, kMainMenu},   {IDR_TASK, kTaskFrameMenu}, {IDR_QUEUE, kQueueMenu},
    {IDR_LOG, kTextMenu},         {IDR_REPORT, kTextMenu},    {IDR_EDIT, kTextMenu},
    {IDM_TAB, kTabMenu},          {IDM_BROWSE, kBrowseMenu},  {IDM_VIEWS, kViewsMenu},
};
} // namespace

std::span<const MenuDesc> GetMenus()
{
    return kMenus;
}

const MenuDesc* FindMenu(UINT id)
{
    const auto found =
        std::find_if(std::begin(kMenus), std::end(kMenus), [id](const MenuDesc& menu) { return menu.m_id == id; });
    return found == std::end(kMenus) ? nullptr : &*found;
}
