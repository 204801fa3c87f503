#include "foundation/stores/SettingsTable.h"

#include "foundation/stores/SettingIds.h"

namespace
{
constexpr SettingOrigin kBase = SettingOrigin::Base;
constexpr SettingOrigin kApp = SettingOrigin::Application;
constexpr SettingOrigin kReplaced = SettingOrigin::BaseReplaced;

constexpr SettingDefinition Int(SettingOrigin origin, int id, const char* name, int value)
{
    return {.m_id = id, .m_name = name, .m_origin = origin, .m_intDefault = value};
}

constexpr SettingDefinition IntIn(SettingOrigin origin, int id, const char* name, int value, int min, int max)
{
    return {.m_id = id,
            .m_name = name,
            .m_origin = origin,
            .m_intDefault = value,
            .m_hasRange = true,
            .m_min = min,
            .m_max = max};
}

constexpr SettingDefinition Text(SettingOrigin origin, int id, const char* name, const char* value)
{
    return {.m_id = id,
            .m_name = name,
            .m_kind = SettingKind::String,
            .m_origin = origin,
            .m_textDefault = value};
}

constexpr SettingDefinition Folder(int id, const char* name, const char* subfolder, bool keepEmpty)
{
    return {.m_id = id,
            .m_name = name,
            .m_kind = SettingKind::String,
            .m_defaultSource = SettingDefaultSource::DataSubfolder,
            .m_textDefault = subfolder,
            .m_keepEmpty = keepEmpty};
}

constexpr SettingDefinition UserAgent(int id, const char* name)
{
    return {.m_id = id,
            .m_name = name,
            .m_kind = SettingKind::String,
            .m_defaultSource = SettingDefaultSource::UserAgent};
}

// Every setting key, in table order.
constexpr SettingDefinition kSettingDefinitions[] = {
    Int(kBase, SETTING_MISC_DEFAULT_TAB_SIZE, "Misc/Default Tab Size", 4),
    Int(kBase, SETTING_MISC_SHOW_LINE_NUMBERS, "Misc/Show Line Numbers", 1),
    Int(kBase, SETTING_MISC_ENABLE_GENERIC_URLS, "Misc/Enable Generic URLs", 1),
    Int(kBase, SETTING_MISC_RUN_ON_WINDOWS_STARTUP, "Misc/Run On Windows Startup", 0),
    Int(kBase, SETTING_MISC_FIRST_LAUNCH, "Misc/First Launch", 0),
    IntIn(kBase, SETTING_MISC_MAX_HISTORY_SIZE, "Misc/Max History Size", 50, 0, 1000),
    IntIn(kBase, SETTING_MISC_MAX_MRU_SIZE, "Misc/Max MRU Size", 10, 0, 20),
    Int(kBase, SETTING_LOGS_LOG_LEVELS, "Logs/Log Levels", 0),
    Int(kBase, SETTING_LOGS_MAX_LOG_LINES, "Logs/Max Log Lines", 2000),
    Int(kBase, SETTING_LOGS_LOG_DETAILS, "Logs/Log Details", 0),
    Int(kBase, SETTING_HTTP_VERSION, "HTTP/Version", 1),
    Int(kBase, SETTING_HTTP_ENABLE_CONNECTION, "HTTP/Enable Connection", 1),
    Int(kBase, SETTING_HTTP_CONNECTION, "HTTP/Connection", 0),
    Int(kBase, SETTING_HTTP_ENABLE_USER_AGENT, "HTTP/Enable User-Agent", 0),
    Int(kBase, SETTING_HTTP_ENABLE_REFERRER, "HTTP/Enable Referrer", 0),
    Int(kBase, SETTING_HTTP_ENABLE_COOKIES, "HTTP/Enable Cookies", 1),
    Int(kBase, SETTING_HTTP_ENABLE_ACCEPT, "HTTP/Enable Accept", 1),
    Int(kBase, SETTING_HTTP_ENABLE_PRAGMA_NO_CACHE, "HTTP/Enable Pragma No Cache", 0),
    Int(kBase, SETTING_HTTP_ENABLE_BASIC_AUTHENTICATION, "HTTP/Enable Basic authentication", 0),
    Int(kBase, SETTING_HTTP_ENABLE_NTLM_AUTHENTICATION, "HTTP/Enable NTLM authentication", 1),
    Int(kBase, SETTING_HTTP_ENABLE_NEGOTIATE_AUTHENTICATION, "HTTP/Enable Negotiate authentication", 1),
    Int(kBase, SETTING_FTP_DATA_CONNECTION_TYPE, "FTP/Data Connection Type", 1),
    Text(kBase, SETTING_PROXY_ALL, "Proxy/All", ""),
    Text(kBase, SETTING_PROXY_HTTP, "Proxy/HTTP", ""),
    Int(kBase, SETTING_PROXY_HTTP_ENABLED, "Proxy/HTTP enabled", 0),
    Text(kBase, SETTING_PROXY_HTTPS, "Proxy/HTTPS", ""),
    Int(kBase, SETTING_PROXY_HTTPS_ENABLED, "Proxy/HTTPS enabled", 0),
    Text(kBase, SETTING_PROXY_FTP, "Proxy/FTP", ""),
    Int(kBase, SETTING_PROXY_FTP_ENABLED, "Proxy/FTP enabled", 0),
    Int(kBase, SETTING_PROXY_SKIP_LIST_ENABLED, "Proxy/Skip List enabled", 0),
    Text(kBase, SETTING_PROXY_SKIP_LIST, "Proxy/Skip List", ""),
    Int(kBase, SETTING_PROXY_SKIP_LOCAL_ENABLED, "Proxy/Skip Local enabled", 1),
    IntIn(kBase, SETTING_CONNECTIONS_MAX_CONNECTS, "Connections/Max Connects", 10, 1, 200),
    IntIn(kBase, SETTING_CONNECTIONS_MAX_CONNECTS_PER_SITE, "Connections/Max Connects Per Site", 10, 1, 200),
    Int(kBase, SETTING_CONNECTIONS_TIMEOUT_FINISHED, "Connections/Timeout Finished", 1000),
    Int(kBase, SETTING_CONNECTIONS_SESSION_IDLE_TIME, "Connections/Session Idle Time", 60000),
    IntIn(kBase, SETTING_CONNECTIONS_CONNECTION_DELAY, "Connections/Connection Delay", 10, 0, 3600),
    IntIn(kBase, SETTING_CONNECTIONS_CONNECTION_RETRIES, "Connections/Connection Retries", 5, 0, 1000),
    IntIn(kBase, SETTING_CONNECTIONS_TRANSFER_RETRIES, "Connections/Transfer Retries", 10, 0, 1000),
    IntIn(kBase, SETTING_CONNECTIONS_CONNECTION_TIMEOUT, "Connections/Connection Timeout", 120, 10, 3600),
    Text(kBase, SETTING_CONNECTIONS_ANONYMOUS_PASSWORD, "Connections/Anonymous Password", "pilot@"),
    IntIn(kBase, SETTING_CONNECTIONS_SSL_TLS_VERSION, "Connections/SSL-TLS Version", 1, 0, 3),
    Text(kBase, SETTING_LAYOUT_MAIN_FRAME, "Layout/Main Frame", ""),
    Text(kBase, SETTING_LAYOUT_CHILD_FRAME, "Layout/Child Frame", ""),
    Int(kBase, SETTING_LAYOUT_PROGRAM_START_EVENT, "Layout/Program Start Event", 0),
    Int(kBase, SETTING_LAYOUT_PROGRAM_EXIT_EVENT, "Layout/Program Exit Event", 0),
    IntIn(kBase, SETTING_LAYOUT_THUMBNAIL_WIDTH, "Layout/Thumbnail Width", 80, 10, 200),
    IntIn(kBase, SETTING_LAYOUT_THUMBNAIL_HEIGHT, "Layout/Thumbnail Height", 60, 10, 200),
    IntIn(kBase, SETTING_LAYOUT_THUMBNAIL_BORDER, "Layout/Thumbnail Border", 10, 0, 20),
    Int(kBase, SETTING_TRANSFER_MANAGER_MAX_THREADS, "Transfer Manager/Max Threads", 10),
    Int(kBase, SETTING_TRANSFER_MANAGER_TIMEOUT_THREADING, "Transfer Manager/Timeout Threading", 10000),

    // The application's keys.
    Int(kApp, SETTING_MISC_AUTO_EXPAND, "Misc/Auto Expand", 1),
    Int(kApp, SETTING_MISC_MAX_RECURSION, "Misc/Max Recursion", 1),
    Int(kApp, SETTING_MISC_EXTERNAL_LINKS, "Misc/External Links", 0),
    Int(kApp, SETTING_MISC_HIDE_REPEATING_LINKS, "Misc/Hide Repeating Links", 0),
    Text(kApp, SETTING_MISC_LAST_OPENED_FOLDER, "Misc/Last Opened Folder", ""),
    Folder(SETTING_MISC_DOWNLOAD_FOLDER, "Misc/Download Folder", "Downloads", false),
    Folder(SETTING_MISC_CACHE_FOLDER, "Misc/Cache Folder", "Cache", false),
    Folder(SETTING_MISC_LOG_FOLDER, "Misc/Log Folder", "Log", true),
    Folder(SETTING_MISC_CHECK_FOLDER, "Misc/Check Folder", "Downloads", true),
    Folder(SETTING_MISC_REPORT_FOLDER, "Misc/Report Folder", "Reports", true),
    Int(kApp, SETTING_MISC_PROPERTY_PAGE, "Misc/Property Page", 0),
    Int(kApp, SETTING_MISC_SINGLE_REPORT_WINDOW, "Misc/Single Report Window", 0),
    Int(kApp, SETTING_MISC_SINGLE_LOG_WINDOW, "Misc/Single Log Window", 0),
    Folder(SETTING_MISC_TEMPLATES_PATH, "Misc/Templates Path", "Templates", false),
    Int(kApp, SETTING_MISC_CHECK_HTML_ON_OPEN, "Misc/Check HTML on open", 0),
    Folder(SETTING_MISC_THUMBNAILS_PATH, "Misc/Thumbnails Path", "Thumbnails", false),
    IntIn(kApp, SETTING_LINKS_DEFAULT_TASK, "Links/Default Task", 0, 0, 5),
    Int(kApp, SETTING_LINKS_TREAT_SUBDOMAINS, "Links/Treat Subdomains", 0),
    Int(kApp, SETTING_LINKS_COLLECT_FILTERED_LINK, "Links/Collect Filtered Link", 1),
    Int(kApp, SETTING_LINKS_AUTO_HIGHLIGHT_HTML_LINKS, "Links/Auto highlight HTML links", 1),
    Int(kApp, SETTING_COLORS_ENABLE_LINK_LIST_COLORING, "Colors/Enable Link List Coloring", 1),
    Text(kApp, SETTING_REPORT_FORMAT, "Report/Format", "Link %order%: %link% (%status%)"),
    Int(kApp, SETTING_REPORT_STYLE, "Report/Style", 0),
    Int(kApp, SETTING_REPORT_OUTPUT, "Report/Output", 0),
    Int(kApp, SETTING_REPORT_INCLUDE_GENERAL, "Report/Include General", 1),
    Int(kApp, SETTING_REPORT_HIDE_REPEATING_LINKS, "Report/Hide Repeating Links", 1),
    Int(kApp, SETTING_REPORT_LINK_STATES, "Report/Link States", 32),
    Int(kApp, SETTING_REPORT_LINK_INTERESET, "Report/Link Intereset", -1),
    Int(kApp, SETTING_REPORT_LINK_TAGS, "Report/Link Tags", -1),
    Int(kApp, SETTING_REPORT_LINK_TYPES, "Report/Link Types", -1),
    Int(kApp, SETTING_REPORT_LINK_PROTOCOLS, "Report/Link Protocols", -1),
    Int(kApp, SETTING_REPORT_CONTAIN_BROKEN, "Report/Contain Broken", 1),
    Int(kApp, SETTING_REPORT_GROUP_LINKS, "Report/Group Links", 0),
    Int(kApp, SETTING_STARTUP_QUEUE, "Startup/Queue", 0),
    Int(kApp, SETTING_PROMPTS_SAVE, "Prompts/Save", 1),
    Int(kApp, SETTING_SOUND_ENABLE, "Sound/Enable", 1),
    UserAgent(SETTING_HTTP_USER_AGENT, "HTTP/User Agent"),
    Text(kApp, SETTING_LAYOUT_LAST_FAVORITE_SITE, "Layout/Last Favorite Site", ""),
    Text(kApp, SETTING_LAYOUT_LAST_SETTINGS_PATH, "Layout/Last Settings Path", ""),
    Text(kApp, SETTING_LAYOUT_LINK_TREE, "Layout/Link Tree", ""),
    Text(kApp, SETTING_LAYOUT_TRANSFER_QUEUE, "Layout/Transfer Queue", ""),
    Text(kApp, SETTING_LAYOUT_TRANSFER_LOG, "Layout/Transfer Log", ""),
    Text(kApp, SETTING_LAYOUT_REPORT, "Layout/Report", ""),
    Text(kApp, SETTING_LAYOUT_TOOLBAR, "Layout/Toolbar", ""),
    Text(kApp, SETTING_LAYOUT_QUICK_CONNECT, "Layout/Quick Connect", ""),
    Int(kApp, SETTING_LAYOUT_TOOLBAR_VISIBLE, "Layout/Toolbar visible", 1),
    Int(kApp, SETTING_LAYOUT_STATUSBAR_VISIBLE, "Layout/Statusbar visible", 1),
    Int(kApp, SETTING_LAYOUT_QC_VISIBLE, "Layout/QC visible", 1),
    Int(kApp, SETTING_LAYOUT_TABBEDBAR_VISIBLE, "Layout/Tabbedbar visible", 1),
    Text(kApp, SETTING_LAYOUT_EDIT, "Layout/Edit", ""),
    Text(kApp, SETTING_LAYOUT_NEW_TASK_LIST_TYPE, "Layout/New Task List Type", ""),
    Int(kApp, SETTING_LAYOUT_LINK_TREE_WIDTH_LEFT, "Layout/Link tree width left", 0),
    Int(kApp, SETTING_LAYOUT_LINK_TREE_HEIGHT_LEFT, "Layout/Link tree height left", 0),
    Int(kApp, SETTING_LAYOUT_LINK_TREE_HEIGHT_RIGHT, "Layout/Link tree height right", 0),
    Text(kApp, SETTING_LAYOUT_LINK_LIST_COLUMNS, "Layout/Link list columns", ""),
    Text(kApp, SETTING_LAYOUT_TRANSFER_LIST_COLUMNS, "Layout/Transfer list columns", ""),
    Text(kApp, SETTING_LAYOUT_FILTER_LIST_COLUMNS, "Layout/Filter list columns", ""),

    // Base registrations that the application's rows above replace.
    Text(kReplaced, SETTING_MISC_LAST_OPENED_FOLDER, "Misc/Last Opened Folder", ""),
    Text(kReplaced, SETTING_HTTP_USER_AGENT, "HTTP/User-Agent", "Noname"),
    Text(kReplaced, SETTING_LAYOUT_LAST_SETTINGS_PATH, "Layout/Last Settings Path", ""),
};
} // namespace

std::span<const SettingDefinition> GetSettingDefinitions()
{
    return kSettingDefinitions;
}
