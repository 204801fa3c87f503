#include "res/Resources.h"

#include <algorithm>

namespace
{
constexpr ControlDesc kLoginPrompt[] = {
    {ControlKind::Static, 0, "&User:", 7, 7, 50, 8},
    {ControlKind::Edit, IDC_LOGIN_USER, "", 60, 5, 140, 14},
    {ControlKind::Static, 0, "&Password:", 7, 25, 50, 8},
    {ControlKind::Password, IDC_LOGIN_PASSWORD, "", 60, 23, 140, 14},
    {ControlKind::DefButton, 1, "OK", 96, 45, 50, 14},
    {ControlKind::Button, 2, "Cancel", 150, 45, 50, 14},
};

constexpr ControlDesc kTextPrompt[] = {
    {ControlKind::Static, IDC_PROMPT_LABEL, "", 7, 7, 193, 8},
    {ControlKind::Combo, IDC_PROMPT_TEXT, "", 7, 18, 193, 60},
    {ControlKind::DefButton, 1, "OK", 96, 80, 50, 14},
    {ControlKind::Button, 2, "Cancel", 150, 80, 50, 14},
};

constexpr ControlDesc kBase64[] = {
    {ControlKind::Static, 0, "&Base64 encoded string:", 7, 7, 150, 8},
    {ControlKind::MultiEdit, IDC_BASE64_ENCODED, "", 7, 18, 286, 60},
    {ControlKind::Static, 0, "&Real string or binary:", 7, 84, 150, 8},
    {ControlKind::MultiEdit, IDC_BASE64_REAL, "", 7, 95, 286, 60},
    {ControlKind::Check, IDC_BASE64_BINARY, "Bi&nary", 7, 162, 60, 10},
    {ControlKind::Button, 2, "&Close", 243, 160, 50, 14},
};

constexpr ControlDesc kWait[] = {
    {ControlKind::Static, IDC_WAIT_TEXT, "", 7, 7, 160, 20},
    {ControlKind::Button, 2, "Cancel", 60, 32, 50, 14},
};

// The Settings dialog: the tree at the left, the banner and the page area
// at the right, the buttons below. The dialog lays these out itself.
constexpr ControlDesc kSettings[] = {
    {ControlKind::Static, IDC_SETTINGS_CATEGORY, "&Category:", 7, 7, 100, 8},
    {ControlKind::Tree, IDC_SETTINGS_TREE, "", 7, 18, 100, 200},
    {ControlKind::Picture, IDC_SETTINGS_BANNER, "", 114, 7, 270, 22},
    {ControlKind::Static, IDC_SETTINGS_PAGE_AREA, "", 114, 33, 270, 185},
    {ControlKind::Static, IDC_SETTINGS_STATIC, "", 7, 222, 377, 2},
    {ControlKind::DefButton, 1, "OK", 170, 228, 50, 14},
    {ControlKind::Button, 2, "Cancel", 224, 228, 50, 14},
    {ControlKind::Button, IDC_SETTINGS_APPLY, "&Apply", 278, 228, 50, 14},
    {ControlKind::Button, IDC_SETTINGS_HELP, "Help (F&1)", 332, 228, 52, 14},
};

constexpr ControlDesc kSettingsGeneral[] = {
    {ControlKind::Static, 0, "Automatically e&xpand link tree:", 7, 7, 150, 8},
    {ControlKind::Edit, IDC_GENERAL_AUTO_EXPAND, "", 160, 5, 50, 14},
    {ControlKind::Spin, IDC_GENERAL_AUTO_EXPAND_SPIN, "", 210, 5, 10, 14},
    {ControlKind::Static, 0, "&Default download path:", 7, 25, 100, 8},
    {ControlKind::Edit, IDC_GENERAL_DOWNLOAD_FOLDER, "", 110, 23, 120, 14},
    {ControlKind::Button, IDC_GENERAL_BROWSE, "...", 234, 23, 20, 14},
    {ControlKind::Check, IDC_GENERAL_PROMPT_SAVE, "Always &prompt to save new link validation document", 7, 43, 250, 10},
    {ControlKind::Check, IDC_GENERAL_SINGLE_LOG, "Display &transfer logs in the single window", 7, 57, 250, 10},
    {ControlKind::Check, IDC_GENERAL_SINGLE_REPORT, "Display local &reports in the single window", 7, 71, 250, 10},
    {ControlKind::Static, 0, "&On program start:", 7, 87, 100, 8},
    {ControlKind::DropList, IDC_GENERAL_START_EVENT, "", 110, 85, 144, 14, 0,
     "None\nNew Task dialog\nShow Favorites\nShow Settings\nShow Passwords"},
    {ControlKind::Static, 0, "&Maximum lines in the log:", 7, 105, 150, 8},
    {ControlKind::Edit, IDC_GENERAL_MAX_LOG_LINES, "", 160, 103, 50, 14},
    {ControlKind::Spin, IDC_GENERAL_MAX_LOG_LINES_SPIN, "", 210, 103, 10, 14},
    {ControlKind::Static, 0, "Maximum history &size:", 7, 123, 150, 8},
    {ControlKind::Edit, IDC_GENERAL_MAX_HISTORY, "", 160, 121, 50, 14},
    {ControlKind::Spin, IDC_GENERAL_MAX_HISTORY_SPIN, "", 210, 121, 10, 14},
};

constexpr ControlDesc kSettingsLinks[] = {
    {ControlKind::Check, IDC_LINKS_TREAT_SUBDOMAINS, "&Treat sub domains", 7, 7, 250, 10},
    {ControlKind::Check, IDC_LINKS_AUTO_HIGHLIGHT, "A&uto highlight HTML links", 7, 21, 250, 10},
    {ControlKind::Check, IDC_LINKS_LIST_COLORING, "&Enable link list coloring", 7, 35, 250, 10},
    {ControlKind::Check, IDC_LINKS_CHECK_HTML_ON_OPEN, "Check &links in HTML files when it is opened", 7, 49, 250,
     10},
};

constexpr ControlDesc kSettingsConnections[] = {
    {ControlKind::Group, 0, "Downloads", 4, 2, 256, 48},
    {ControlKind::Static, 0, "&Max simultaneous downloads:", 10, 14, 150, 8},
    {ControlKind::Edit, IDC_CONN_MAX_CONNECTS, "", 165, 12, 50, 14},
    {ControlKind::Spin, IDC_CONN_MAX_CONNECTS_SPIN, "", 215, 12, 10, 14},
    {ControlKind::Static, 0, "Max connections per &site:", 10, 32, 150, 8},
    {ControlKind::Edit, IDC_CONN_PER_SITE, "", 165, 30, 50, 14},
    {ControlKind::Spin, IDC_CONN_PER_SITE_SPIN, "", 215, 30, 10, 14},
    {ControlKind::Group, 0, "Retries", 4, 52, 256, 84},
    {ControlKind::Static, 0, "C&onnection retries:", 10, 64, 150, 8},
    {ControlKind::Edit, IDC_CONN_RETRIES, "", 165, 62, 50, 14},
    {ControlKind::Spin, IDC_CONN_RETRIES_SPIN, "", 215, 62, 10, 14},
    {ControlKind::Static, 0, "&Transfer retries:", 10, 82, 150, 8},
    {ControlKind::Edit, IDC_CONN_TRANSFER_RETRIES, "", 165, 80, 50, 14},
    {ControlKind::Spin, IDC_CONN_TRANSFER_RETRIES_SPIN, "", 215, 80, 10, 14},
    {ControlKind::Static, 0, "&Delay between retries:", 10, 100, 150, 8},
    {ControlKind::Edit, IDC_CONN_DELAY, "", 165, 98, 50, 14},
    {ControlKind::Spin, IDC_CONN_DELAY_SPIN, "", 215, 98, 10, 14},
    {ControlKind::Static, 0, "seconds", 228, 100, 30, 8},
    {ControlKind::Static, 0, "&Reconnect if nothing received for:", 10, 118, 150, 8},
    {ControlKind::Edit, IDC_CONN_TIMEOUT, "", 165, 116, 50, 14},
    {ControlKind::Spin, IDC_CONN_TIMEOUT_SPIN, "", 215, 116, 10, 14},
    {ControlKind::Static, 0, "seconds", 228, 118, 30, 8},
    {ControlKind::Group, 0, "SSL", 4, 138, 256, 30},
    {ControlKind::Static, 0, "SSL/TLS &version:", 10, 152, 100, 8},
    {ControlKind::DropList, IDC_CONN_SSL_VERSION, "", 120, 150, 100, 14, 0, "SSLv2\nSSLv23\nSSLv3\nTLSv1.0"},
};

constexpr ControlDesc kSettingsHttp[] = {
    {ControlKind::Static, 0, "H&TTP version:", 7, 7, 80, 8},
    {ControlKind::DropList, IDC_HTTP_VERSION, "", 90, 5, 60, 14, 0, "1.0\n1.1\n1.2"},
    {ControlKind::Check, IDC_HTTP_ENABLE_CONNECTION, "Include &Keep Alive parameter:", 7, 23, 130, 10},
    {ControlKind::Static, IDC_HTTP_CONNECTION_LABEL, "C&onnection:", 140, 24, 45, 8},
    {ControlKind::DropList, IDC_HTTP_CONNECTION, "", 188, 21, 70, 14, 0, "Keep-Alive\nClose"},
    {ControlKind::Check, IDC_HTTP_ENABLE_USER_AGENT, "&Include User-Agent", 7, 39, 250, 10},
    {ControlKind::Static, IDC_HTTP_USER_AGENT_LABEL, "&User-Agent:", 7, 55, 45, 8},
    {ControlKind::Combo, IDC_HTTP_USER_AGENT, "", 55, 53, 203, 14},
    {ControlKind::Check, IDC_HTTP_ENABLE_REFERRER, "Include &Referrer parameter", 7, 71, 250, 10},
    {ControlKind::Check, IDC_HTTP_ENABLE_COOKIES, "Enable &Cookies", 7, 83, 250, 10},
    {ControlKind::Check, IDC_HTTP_ENABLE_ACCEPT, "&Enable Accept parameter", 7, 95, 250, 10},
    {ControlKind::Check, IDC_HTTP_ENABLE_PRAGMA, "Enable &Pragma: no-cache (via HTTP proxy)", 7, 107, 250, 10},
    {ControlKind::Check, IDC_HTTP_ENABLE_BASIC, "Enable &Basic authentication", 7, 119, 250, 10},
    {ControlKind::Check, IDC_HTTP_ENABLE_NTLM, "Enable &NTLM authentication", 7, 131, 250, 10},
    {ControlKind::Check, IDC_HTTP_ENABLE_NEGOTIATE, "Enable Ne&gotiate authentication", 7, 143, 250, 10},
    {ControlKind::Static, 0, "HTTP request &sample:", 7, 157, 250, 8},
    {ControlKind::MultiEdit, IDC_HTTP_SAMPLE, "", 7, 167, 251, 60, kControlReadOnly},
};

constexpr ControlDesc kSettingsFtp[] = {
    {ControlKind::Static, 0, "&Data connection type:", 7, 7, 100, 8},
    {ControlKind::DropList, IDC_FTP_DATA_CONNECTION, "", 110, 5, 80, 14, 0, "PORT\nPASV\nPASV RFC"},
};

constexpr ControlDesc kSettingsProxy[] = {
    {ControlKind::Static, 0, "&Proxy mapping:", 7, 7, 100, 8},
    {ControlKind::List, IDC_PROXY_LIST, "", 7, 18, 251, 70},
    {ControlKind::Button, IDC_PROXY_ADD, "&Add proxy...", 7, 92, 60, 14},
    {ControlKind::Button, IDC_PROXY_EDIT, "&Edit", 71, 92, 50, 14},
    {ControlKind::Button, IDC_PROXY_REMOVE, "&Remove", 125, 92, 50, 14},
    {ControlKind::Check, IDC_PROXY_SKIP_ENABLED, "&Do not use proxy for following addresses:", 7, 112, 250, 10},
    {ControlKind::Edit, IDC_PROXY_SKIP_LIST, "", 7, 124, 251, 14},
    {ControlKind::Static, 0, "Use comma \",\" or semicolon \";\" as separator between addresses.", 7, 140, 251, 8},
    {ControlKind::Check, IDC_PROXY_SKIP_LOCAL, "Do not use proxy for &local addresses", 7, 154, 250, 10},
};

constexpr ControlDesc kEnterProxy[] = {
    {ControlKind::Static, 0, "&Protocol:", 7, 7, 70, 8},
    {ControlKind::DropList, IDC_ENTER_PROXY_PROTOCOL, "", 80, 5, 120, 14},
    {ControlKind::Static, 0, "P&roxy type:", 7, 25, 70, 8},
    {ControlKind::DropList, IDC_ENTER_PROXY_TYPE, "", 80, 23, 120, 14},
    {ControlKind::Static, 0, "Proxy &server:", 7, 43, 70, 8},
    {ControlKind::Edit, IDC_ENTER_PROXY_SERVER, "", 80, 41, 120, 14},
    {ControlKind::Static, 0, "Pr&oxy port:", 7, 61, 70, 8},
    {ControlKind::Edit, IDC_ENTER_PROXY_PORT, "", 80, 59, 50, 14},
    {ControlKind::Static, 0, "Proxy &user name:", 7, 79, 70, 8},
    {ControlKind::Edit, IDC_ENTER_PROXY_USER, "", 80, 77, 120, 14},
    {ControlKind::Static, 0, "Proxy pass&word:", 7, 97, 70, 8},
    {ControlKind::Password, IDC_ENTER_PROXY_PASSWORD, "", 80, 95, 120, 14},
    {ControlKind::DefButton, 1, "OK", 96, 116, 50, 14},
    {ControlKind::Button, 2, "Cancel", 150, 116, 50, 14},
};

constexpr ControlDesc kComposeUrl[] = {
    {ControlKind::Static, 0, "&Protocol:", 7, 7, 60, 8},
    {ControlKind::DropList, IDC_COMPOSE_PROTOCOL, "", 70, 5, 80, 14},
    {ControlKind::Static, 0, "&Host:", 7, 25, 60, 8},
    {ControlKind::Edit, IDC_COMPOSE_HOST, "", 70, 23, 130, 14},
    {ControlKind::Static, 0, "P&ort:", 7, 43, 60, 8},
    {ControlKind::Edit, IDC_COMPOSE_PORT, "", 70, 41, 40, 14, kControlDigits},
    {ControlKind::Check, IDC_COMPOSE_AUTH, "&Authentication required", 7, 59, 150, 10},
    {ControlKind::Static, IDC_COMPOSE_USER_LABEL, "&User:", 7, 75, 60, 8},
    {ControlKind::Edit, IDC_COMPOSE_USER, "", 70, 73, 130, 14},
    {ControlKind::Static, IDC_COMPOSE_PASSWORD_LABEL, "Pa&ssword:", 7, 93, 60, 8},
    {ControlKind::Password, IDC_COMPOSE_PASSWORD, "", 70, 91, 130, 14},
    {ControlKind::Static, IDC_COMPOSE_PATH_LABEL, "&Remote file system path:", 7, 111, 193, 8},
    {ControlKind::Edit, IDC_COMPOSE_PATH, "", 7, 121, 193, 14},
    {ControlKind::DefButton, 1, "OK", 96, 142, 50, 14},
    {ControlKind::Button, 2, "Cancel", 150, 142, 50, 14},
};

constexpr ControlDesc kPostData[] = {
    {ControlKind::Static, IDC_POST_TEXT_LABEL, "&POST data:", 7, 7, 100, 8},
    {ControlKind::MultiEdit, IDC_POST_TEXT, "", 7, 18, 250, 70},
    {ControlKind::Check, IDC_POST_USE_FILE, "&Use file:", 7, 94, 50, 10},
    {ControlKind::Edit, IDC_POST_FILE, "", 60, 92, 175, 14},
    {ControlKind::Button, IDC_POST_BROWSE, "&...", 239, 92, 18, 14},
    {ControlKind::DefButton, 1, "OK", 153, 112, 50, 14},
    {ControlKind::Button, 2, "Cancel", 207, 112, 50, 14},
};

// The Report options dialog: the choices at the top, the template below
// them, the link-group list taking the spare height.
constexpr ControlDesc kReportOptions[] = {
    {ControlKind::Static, 0, "&Report style:", 7, 7, 70, 8},
    {ControlKind::DropList, IDC_REPORT_STYLE, "", 80, 5, 140, 60, 0,
     "Flat list (Text)\nFlat list (HTML)\nList sub links (Text)\nList sub links (HTML)"},
    {ControlKind::Static, 0, "O&utput to:", 7, 25, 70, 8},
    {ControlKind::DropList, IDC_REPORT_OUTPUT, "", 80, 23, 140, 40, 0, "Local view\nShell (notepad, IE)"},
    {ControlKind::Static, 0, "Group &by::", 7, 43, 70, 8},
    {ControlKind::DropList, IDC_REPORT_GROUP_BY, "", 80, 41, 140, 80, 0,
     "Do not group\nState\nType\nProtocol\nInterest\nTag"},
    {ControlKind::Static, 0, "F&ormat report records:", 7, 61, 213, 8},
    {ControlKind::Edit, IDC_REPORT_FORMAT, "", 7, 71, 213, 14},
    {ControlKind::Check, IDC_REPORT_INCLUDE_GENERAL, "Include general &information", 7, 91, 213, 10},
    {ControlKind::Check, IDC_REPORT_HIDE_REPEATING, "&Hide repeating links", 7, 105, 213, 10},
    {ControlKind::Static, 0, "Link &groups:", 7, 121, 213, 8},
    {ControlKind::List, IDC_REPORT_GROUPS, "", 7, 131, 213, 110},
    {ControlKind::DefButton, 1, "OK", 116, 247, 50, 14},
    {ControlKind::Button, 2, "Cancel", 170, 247, 50, 14},
};

constexpr ControlDesc kLinkProperties[] = {
    {ControlKind::Static, IDC_LINKPROP_TABS, "", 7, 7, 270, 14},
    {ControlKind::Static, IDC_LINKPROP_PAGE_AREA, "", 7, 24, 270, 190},
    {ControlKind::Button, IDC_LINKPROP_SETTINGS, "&Settings...", 7, 220, 60, 14},
    {ControlKind::DefButton, 1, "OK", 119, 220, 50, 14},
    {ControlKind::Button, 2, "Cancel", 173, 220, 50, 14},
    {ControlKind::Button, IDC_LINKPROP_HELP, "Help (F&1)", 227, 220, 50, 14},
};

constexpr ControlDesc kLinkGeneralPage[] = {
    {ControlKind::Static, 0, "&Recursion depth:", 7, 7, 100, 8},
    {ControlKind::Edit, IDC_LINKGEN_RECURSION, "", 110, 5, 40, 14},
    {ControlKind::Spin, IDC_LINKGEN_RECURSION_SPIN, "", 150, 5, 10, 14},
    {ControlKind::Check, IDC_LINKGEN_FINISH_ON_MAX, "Apply &Get File Info when reaching Recursion depth:", 7, 25,
     250, 10},
    {ControlKind::Check, IDC_LINKGEN_POST, "&POST method", 7, 41, 100, 10},
    {ControlKind::Static, IDC_LINKGEN_POST_DATA_LABEL, "P&OST data:", 7, 57, 100, 8},
    {ControlKind::MultiEdit, IDC_LINKGEN_POST_DATA, "", 7, 67, 250, 60},
    {ControlKind::Check, IDC_LINKGEN_USE_FILE, "&Use file:", 7, 133, 50, 10},
    {ControlKind::Edit, IDC_LINKGEN_POST_FILE, "", 60, 131, 175, 14},
    {ControlKind::Button, IDC_LINKGEN_BROWSE, "&...", 239, 131, 18, 14},
};

constexpr ControlDesc kLinkFilterPage[] = {
    {ControlKind::Check, IDC_LINKFILTER_INCLUDE_ON, "&Include links which URL contains following text:", 7, 7, 250,
     10},
    {ControlKind::Edit, IDC_LINKFILTER_INCLUDE, "", 7, 19, 250, 14},
    {ControlKind::Check, IDC_LINKFILTER_EXCLUDE_ON, "E&xclude links which URL contains following text:", 7, 37, 250,
     10},
    {ControlKind::Edit, IDC_LINKFILTER_EXCLUDE, "", 7, 49, 250, 14},
    {ControlKind::Static, 0, "&Filter by HTML Tags:", 7, 67, 120, 8},
    {ControlKind::Static, 0, "Filter external links by &protocol:", 135, 67, 122, 8},
    {ControlKind::List, IDC_LINKFILTER_TAGS, "", 7, 77, 120, 70},
    {ControlKind::List, IDC_LINKFILTER_PROTOCOLS, "", 135, 77, 122, 70},
    {ControlKind::Check, IDC_LINKFILTER_EXTERNAL, "Include &external links and redirects", 7, 151, 250, 10},
    {ControlKind::Check, IDC_LINKFILTER_IGNORE_EMPTY, "Ignore empty &tags, e.g. <img src=\"\">", 7, 163, 250, 10},
    {ControlKind::Check, IDC_LINKFILTER_CONTAINERS, "&Apply filter for link containers (HTML, Folders)", 7, 175,
     250, 10},
};

constexpr ControlDesc kSelectAction[] = {
    {ControlKind::List, IDC_ACTION_LIST, "", 7, 7, 286, 120},
    {ControlKind::Button, IDC_ACTION_VIEW_ICONS, "Icons", 7, 133, 40, 14},
    {ControlKind::Button, IDC_ACTION_VIEW_LIST, "List", 49, 133, 40, 14},
    {ControlKind::Button, IDC_ACTION_VIEW_DETAILS, "Details", 91, 133, 40, 14},
    {ControlKind::DefButton, 1, "OK", 189, 133, 50, 14},
    {ControlKind::Button, 2, "Cancel", 243, 133, 50, 14},
};

// The wizard's picture at the left, its pages at the right; the wizard lays
// these out itself.
constexpr ControlDesc kTaskWizard[] = {
    {ControlKind::Picture, IDC_WIZARD_PICTURE, "", 7, 7, 80, 150},
    {ControlKind::Static, IDC_WIZARD_PAGE_AREA, "", 94, 7, 220, 150},
    {ControlKind::Button, IDC_WIZARD_BACK, "< &Back", 152, 164, 50, 14},
    {ControlKind::Button, IDC_WIZARD_NEXT, "&Next >", 206, 164, 50, 14},
    {ControlKind::Button, 2, "Cancel", 264, 164, 50, 14},
};

constexpr ControlDesc kWizardIntro[] = {
    {ControlKind::Static, 0,
     "This wizard sets up a new task in three short steps: where the task starts, "
     "how deep it follows links, and where it keeps what it downloads.\n\n"
     "Click Next to continue.",
     7, 7, 206, 60},
};

constexpr ControlDesc kWizardUrl[] = {
    {ControlKind::Static, 0,
     "&Type a URL to be checked by the task. It can be remote Web page or local file or folder.", 7, 7, 206, 16},
    {ControlKind::Edit, IDC_WIZARD_URL, "", 7, 27, 206, 14},
    {ControlKind::Button, IDC_WIZARD_BROWSE_FILE, "Br&owse...", 7, 45, 60, 14},
    {ControlKind::Button, IDC_WIZARD_COMPOSE, "&Compose URL...", 71, 45, 70, 14},
    {ControlKind::Static, IDC_WIZARD_VERDICT, "", 7, 65, 206, 70},
};

constexpr ControlDesc kWizardParam[] = {
    {ControlKind::Static, 0, "&Maximum link recursion:", 7, 7, 100, 8},
    {ControlKind::Edit, IDC_WIZARD_RECURSION, "", 110, 5, 40, 14},
    {ControlKind::Spin, IDC_WIZARD_RECURSION_SPIN, "", 150, 5, 10, 14},
    {ControlKind::Check, IDC_WIZARD_EXTERNAL, "Include &external links", 7, 25, 200, 10},
    {ControlKind::Static, IDC_WIZARD_FOLDER_LABEL, "&Type local download path:", 7, 41, 200, 8},
    {ControlKind::Edit, IDC_WIZARD_FOLDER, "", 7, 51, 150, 14},
    {ControlKind::Button, IDC_WIZARD_BROWSE_FOLDER, "Br&owse...", 161, 51, 50, 14},
    {ControlKind::Button, IDC_WIZARD_PROPERTIES, "&Properties...", 7, 71, 60, 14},
};

constexpr ControlDesc kNewTask[] = {
    {ControlKind::Static, IDC_NEWTASK_URI_LABEL, "Local file, directory path or remote &URL:", 7, 7, 250, 8},
    {ControlKind::Picture, IDC_NEWTASK_ICON, "", 7, 18, 20, 20},
    {ControlKind::Combo, IDC_NEWTASK_URI, "", 31, 18, 204, 14},
    {ControlKind::Button, IDC_NEWTASK_BROWSE_FILE, "...", 239, 18, 18, 14},
    {ControlKind::Radio, IDC_NEWTASK_CHECK, "&Check links recursively", 7, 44, 200, 10, kControlGroup},
    {ControlKind::Radio, IDC_NEWTASK_BROWSE, "&Browse links", 7, 56, 200, 10},
    {ControlKind::Radio, IDC_NEWTASK_OFFLINE, "Browse o&ffline", 7, 68, 200, 10},
    {ControlKind::Radio, IDC_NEWTASK_DOWNLOAD, "&Download to:", 7, 82, 60, 10},
    {ControlKind::Radio, IDC_NEWTASK_EDIT, "&Edit", 7, 98, 200, 10},
    // After the radio buttons, so that they stay one group.
    {ControlKind::Edit, IDC_NEWTASK_FOLDER, "", 70, 80, 165, 14},
    {ControlKind::Button, IDC_NEWTASK_BROWSE_FOLDER, "...", 239, 80, 18, 14},
    {ControlKind::Button, IDC_NEWTASK_PROPERTIES, "&Properties", 7, 116, 60, 14},
    {ControlKind::DefButton, 1, "OK", 153, 116, 50, 14},
    {ControlKind::Button, 2, "Cancel", 207, 116, 50, 14},
};

constexpr ControlDesc kTaskGeneralPage[] = {
    {ControlKind::Static, IDC_TASKGEN_URI_LABEL, "Local file, directory or remote &URL:", 7, 7, 250, 8},
    {ControlKind::Edit, IDC_TASKGEN_URI, "", 7, 18, 228, 14},
    {ControlKind::Button, IDC_TASKGEN_BROWSE, "&...", 239, 18, 18, 14},
    {ControlKind::Button, IDC_TASKGEN_COMPOSE, "Co&mpose URL...", 7, 36, 70, 14},
    {ControlKind::Static, IDC_TASKGEN_RECURSION_LABEL, "R&ecursion:", 7, 56, 60, 8},
    {ControlKind::Edit, IDC_TASKGEN_RECURSION, "", 70, 54, 40, 14},
    {ControlKind::Spin, IDC_TASKGEN_RECURSION_SPIN, "", 110, 54, 10, 14},
};

// The quick-connect bar: one row whose address box takes the spare width.
constexpr ControlDesc kQuickConnect[] = {
    {ControlKind::Static, 0, "&URL:", 4, 5, 18, 8},
    {ControlKind::Combo, IDC_QC_URL, "", 24, 3, 220, 100, kControlStretch},
    {ControlKind::Button, ID_QC_BROWSE, "", 246, 3, 16, 14},
    {ControlKind::Static, 0, "&Depth:", 266, 5, 24, 8},
    {ControlKind::Edit, IDC_QC_DEPTH, "", 292, 3, 30, 14, kControlDigits},
    {ControlKind::Spin, IDC_QC_DEPTH_SPIN, "", 322, 3, 10, 14},
    {ControlKind::DefButton, ID_QC_START, "&Open", 336, 3, 40, 14},
    {ControlKind::Button, ID_QC_PROPERTIES, "", 380, 3, 16, 14},
};

// The Passwords dialog: the list over its buttons, which stay at the bottom
// as the dialog grows.
constexpr ControlDesc kPasswords[] = {
    {ControlKind::List, IDC_PASSWORDS_LIST, "", 7, 7, 300, 120},
    {ControlKind::Button, IDC_PASSWORDS_ADD, "&Add Password", 7, 133, 66, 14},
    {ControlKind::Button, IDC_PASSWORDS_CHANGE, "&Change Password", 77, 133, 70, 14},
    {ControlKind::Button, IDC_PASSWORDS_REMOVE, "&Remove", 151, 133, 50, 14},
    {ControlKind::Button, IDC_PASSWORDS_REMOVE_ALL, "R&emove All", 205, 133, 50, 14},
    {ControlKind::DefButton, 1, "&Save", 149, 153, 50, 14},
    {ControlKind::Button, 2, "Cancel", 203, 153, 50, 14},
    {ControlKind::Button, IDC_PASSWORDS_HELP, "Help (F&1)", 257, 153, 50, 14},
};

constexpr ControlDesc kCookies[] = {
    {ControlKind::List, IDC_COOKIES_LIST, "", 7, 7, 400, 150},
    {ControlKind::Button, IDC_COOKIES_REMOVE, "&Remove", 7, 163, 50, 14},
    {ControlKind::Button, IDC_COOKIES_REMOVE_ALL, "Remove &All", 61, 163, 50, 14},
    {ControlKind::Button, IDC_COOKIES_MODIFY, "&Modify...", 115, 163, 50, 14},
    {ControlKind::Button, 2, "&Close", 357, 163, 50, 14},
};

constexpr ControlDesc kCache[] = {
    {ControlKind::Static, 0, "&Cached sites:", 7, 7, 150, 8},
    {ControlKind::List, IDC_CACHE_LIST, "", 7, 18, 200, 120},
    {ControlKind::Button, IDC_CACHE_CLEAN, "Cl&ean", 7, 144, 50, 14},
    {ControlKind::Button, IDC_CACHE_CLEAN_ALL, "Clean A&ll", 61, 144, 50, 14},
    {ControlKind::Button, IDC_CACHE_REFRESH, "&Refresh", 115, 144, 50, 14},
    {ControlKind::Button, 2, "Close", 157, 164, 50, 14},
};

// The About box places its picture and text view itself.
constexpr ControlDesc kAbout[] = {
    {ControlKind::Picture, IDC_ABOUT_PICTURE, "", 0, 0, 200, 40},
    {ControlKind::Static, IDC_ABOUT_TEXT, "", 0, 46, 200, 100},
};

// The properties container lays out its tabs over the page area itself.
constexpr ControlDesc kProperties[] = {
    {ControlKind::Static, IDC_PROPERTIES_PAGE_AREA, "", 7, 22, 250, 150},
    {ControlKind::Check, IDC_PROPERTIES_PIN, "&Pin", 7, 178, 50, 10},
    {ControlKind::Static, IDC_PROPERTIES_NONE, "No properties available", 60, 90, 150, 8},
    {ControlKind::DefButton, 1, "OK", 207, 176, 50, 14},
};

constexpr ControlDesc kFavorites[] = {
    {ControlKind::Tree, IDC_FAV_TREE, "", 7, 7, 140, 190},
    {ControlKind::Static, IDC_FAV_PAGE_AREA, "", 153, 7, 264, 120},
    {ControlKind::Button, IDC_FAV_NEW_FOLDER, "New &Folder", 423, 7, 60, 14},
    {ControlKind::Button, IDC_FAV_NEW_TASK, "New &Task", 423, 25, 60, 14},
    {ControlKind::Button, IDC_FAV_RENAME, "&Rename", 423, 43, 60, 14},
    {ControlKind::Button, IDC_FAV_DELETE, "&Delete", 423, 61, 60, 14},
    {ControlKind::Button, IDC_FAV_PROPERTIES, "&Properties", 423, 85, 60, 14},
    {ControlKind::Button, IDC_FAV_HELP, "Help (F&1)", 423, 103, 60, 14},
    {ControlKind::Button, IDC_FAV_CHECK, "&Check links", 153, 135, 70, 14},
    {ControlKind::Button, IDC_FAV_BROWSE, "&Browse links", 227, 135, 70, 14},
    {ControlKind::Button, IDC_FAV_OFFLINE, "Browse &offline", 301, 135, 70, 14},
    {ControlKind::DefButton, 1, "OK", 369, 183, 55, 14},
    {ControlKind::Button, 2, "Cancel", 428, 183, 55, 14},
};

const DialogDesc kDialogs[] = {
    {IDD_QUICK_CONNECT, "", 400, 20, kQuickConnect},
    {IDD_LOGIN_PROMPT, "Prompt", 207, 66, kLoginPrompt},
    {IDD_TEXT_PROMPT, "Prompt", 207, 101, kTextPrompt},
    {IDD_BASE64, "Base64 conversion", 300, 181, kBase64},
    {IDD_WAIT, "Wait", 174, 53, kWait},
    {IDD_SETTINGS, "Settings", 391, 249, kSettings},
    {IDD_SETTINGS_GENERAL, "General", 265, 140, kSettingsGeneral},
    {IDD_SETTINGS_LINKS, "Links", 265, 66, kSettingsLinks},
    {IDD_SETTINGS_CONNECTIONS, "Connection", 265, 172, kSettingsConnections},
    {IDD_SETTINGS_PROXY, "Proxy", 265, 170, kSettingsProxy},
    {IDD_SETTINGS_HTTP, "HTTP", 265, 232, kSettingsHttp},
    {IDD_SETTINGS_FTP, "FTP", 265, 26, kSettingsFtp},
    {IDD_ENTER_PROXY, "Enter Proxy", 207, 137, kEnterProxy},
    {IDD_COMPOSE_URL, "Compose URL", 207, 163, kComposeUrl},
    {IDD_POST_DATA, "HTTP POST data", 264, 133, kPostData},
    {IDD_REPORT_OPTIONS, "Report", 227, 268, kReportOptions},
    {IDD_LINK_PROPERTIES, "Link properties", 284, 241, kLinkProperties},
    {IDD_LINK_GENERAL_PAGE, "General", 264, 150, kLinkGeneralPage},
    {IDD_LINK_FILTER_PAGE, "Filter", 264, 190, kLinkFilterPage},
    {IDD_SELECT_ACTION, "Select New Action", 300, 154, kSelectAction},
    {IDD_TASK_WIZARD, "Tanglewarden Task Wizard", 321, 185, kTaskWizard},
    {IDD_WIZARD_INTRO, "", 220, 150, kWizardIntro},
    {IDD_WIZARD_URL, "", 220, 150, kWizardUrl},
    {IDD_WIZARD_PARAM, "", 220, 150, kWizardParam},
    {IDD_NEW_TASK, "New Task", 264, 137, kNewTask},
    {IDD_TASK_GENERAL_PAGE, "General", 264, 75, kTaskGeneralPage},
    {IDD_PASSWORDS, "Passwords", 314, 174, kPasswords},
    {IDD_COOKIES, "Cookies", 414, 184, kCookies},
    {IDD_CACHE, "Cache", 214, 185, kCache},
    {IDD_ABOUTBOX, "About Tanglewarden", 200, 150, kAbout},
    {IDD_PROPERTIES, "Properties", 264, 197, kProperties},
    {IDD_FAVORITES, "Favorite Sites", 490, 204, kFavorites},
};
} // namespace

std::span<const DialogDesc> GetDialogs()
{
    return kDialogs;
}

const DialogDesc* FindDialog(UINT id)
{
    const auto found = std::find_if(std::begin(kDialogs), std::end(kDialogs),
                                    [id](const DialogDesc& dialog) { return dialog.m_id == id; });
    return found == std::end(kDialogs) ? nullptr : &*found;
}
