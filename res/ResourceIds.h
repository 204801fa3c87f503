#pragma once
// Named ids of the program's resources. Each kind of resource has its own
// numbering, so one number can name a menu, an accelerator table, a toolbar,
// a dialog, a string and an icon at once (128 is the main frame's menu, its
// keys, its toolbar, the quick-connect bar's dialog, the program's title and
// its icon). Prefixes: ID_ commands, IDR_ frames (menu, keys, toolbar and
// document string of a window kind), IDM_ popup menus, IDD_ dialogs, IDB_
// bitmaps, IDI_ icons, IDS_ strings, IDC_ controls.

using UINT = unsigned int;

// Frames and the window kinds of the document templates.
inline constexpr UINT IDR_MAINFRAME = 128;
inline constexpr UINT IDR_TASK = 129;
inline constexpr UINT IDR_QUEUE = 133;
inline constexpr UINT IDR_LOG = 139;
inline constexpr UINT IDR_REPORT = 140;
inline constexpr UINT IDR_EDIT = 180;
inline constexpr UINT IDR_QUEUE_TOOLBAR = 211;

// Popup menus.
inline constexpr UINT IDM_TAB = 108;
inline constexpr UINT IDM_BROWSE = 206;
inline constexpr UINT IDM_VIEWS = 207;

// Commands of the class library's numbering.
inline constexpr UINT ID_FILE_NEW = 57600;
inline constexpr UINT ID_FILE_OPEN = 57601;
inline constexpr UINT ID_FILE_CLOSE = 57602;
inline constexpr UINT ID_FILE_SAVE = 57603;
inline constexpr UINT ID_FILE_SAVE_AS = 57604;
inline constexpr UINT ID_FILE_PRINT = 57607;
inline constexpr UINT ID_FILE_PRINT_DIRECT = 57608;
inline constexpr UINT ID_FILE_PRINT_PREVIEW = 57609;
inline constexpr UINT ID_EDIT_COPY = 57634;
inline constexpr UINT ID_EDIT_CUT = 57635;
inline constexpr UINT ID_EDIT_FIND = 57636;
inline constexpr UINT ID_EDIT_PASTE = 57637;
inline constexpr UINT ID_EDIT_SELECT_ALL = 57642;
inline constexpr UINT ID_EDIT_UNDO = 57643;
inline constexpr UINT ID_EDIT_REDO = 57644;
inline constexpr UINT ID_APP_ABOUT = 57664;
inline constexpr UINT ID_APP_EXIT = 57665;
inline constexpr UINT ID_VIEW_TOOLBAR = 59392;
inline constexpr UINT ID_VIEW_STATUS_BAR = 59393;

// The program's own commands.
inline constexpr UINT ID_QC_START = 1;
inline constexpr UINT ID_LOCK_BUTTON = 1001;
inline constexpr UINT ID_QC_BROWSE = 1081;
inline constexpr UINT ID_QC_PROPERTIES = 1082;
inline constexpr UINT ID_TASK_STOP = 32772;
inline constexpr UINT ID_TASK_REFRESH = 32773;
inline constexpr UINT ID_QC_FOCUS_URL = 32774;
inline constexpr UINT ID_QC_START_KEY = 32775;
inline constexpr UINT ID_WINDOW_CLOSE_ALL = 32776;
inline constexpr UINT ID_QC_NEXT_CONTROL = 32778;
inline constexpr UINT ID_TOOLS_SETTINGS = 32779;
inline constexpr UINT ID_VIEW_TABBED_BAR = 32782;
inline constexpr UINT ID_EDIT_FIND_NEXT = 32784;
inline constexpr UINT ID_VIEW_TRANSFER_QUEUE = 32785;
inline constexpr UINT ID_SHOW_TRANSFER_QUEUE = 32786;
inline constexpr UINT ID_TAB_CLOSE = 32788;
inline constexpr UINT ID_TAB_BRING_TO_TOP = 32790;
inline constexpr UINT ID_TOOLS_CLEAR_HISTORY = 32791;
inline constexpr UINT ID_QC_PREV_CONTROL = 32792;
inline constexpr UINT ID_TASK_CONTINUE = 32796;
inline constexpr UINT ID_LINK_SAVE_AS = 32797;
inline constexpr UINT ID_INFO_CONTENT = 32799;
inline constexpr UINT ID_INFO_LOG = 32801;
inline constexpr UINT ID_INFO_INFORMATION = 32802;
inline constexpr UINT ID_LINK_NEW_TASK = 32803;
inline constexpr UINT ID_LINK_OPEN_IN_SHELL = 32804;
inline constexpr UINT ID_QC_BROWSE_FILE = 32809;
inline constexpr UINT ID_QC_BROWSE_FOLDER = 32810;
inline constexpr UINT ID_QC_BROWSE_FAVORITES = 32811;
inline constexpr UINT ID_INFO_FORM = 32813;
inline constexpr UINT ID_VIEW_QUICK_CONNECT = 32815;
inline constexpr UINT ID_QUEUE_RESUME_ALL = 32816;
inline constexpr UINT ID_TASK_REPORT = 32819;
inline constexpr UINT ID_WINDOW_CLOSE_LOGS = 32820;
inline constexpr UINT ID_WINDOW_CLOSE_REPORTS = 32821;
inline constexpr UINT ID_LINK_FIND_FIRST = 32826;
inline constexpr UINT ID_HELP_CONTENTS = 32827;
inline constexpr UINT ID_TOOLS_PASSWORDS = 32828;
inline constexpr UINT ID_HELP_CHECK_UPDATE = 32830;
inline constexpr UINT ID_TOOLS_COOKIES = 32831;
inline constexpr UINT ID_TOOLS_FAVORITES = 32832;
inline constexpr UINT ID_VIEW_ALL_TREE_ITEMS = 32834;
inline constexpr UINT ID_VIEW_ALL_DESCENDANTS = 32835;
inline constexpr UINT ID_VIEW_HIDE_REPEATING = 32836;
inline constexpr UINT ID_LINK_RESUME = 32837;
inline constexpr UINT ID_LINK_STOP = 32838;
inline constexpr UINT ID_QUEUE_STOP_ALL = 32839;
inline constexpr UINT ID_TAB_NEXT = 32840;
inline constexpr UINT ID_TAB_PREVIOUS = 32841;
inline constexpr UINT ID_TOOLS_BASE64 = 32842;
inline constexpr UINT ID_LIST_LOCK = 32844;
inline constexpr UINT ID_TASK_RESTART = 32845;
inline constexpr UINT ID_LINK_EDIT = 32846;
inline constexpr UINT ID_EDIT_UPPER_CASE = 32848;
inline constexpr UINT ID_EDIT_LOWER_CASE = 32849;
inline constexpr UINT ID_VIEW_COLORIZE_LIST = 32851;
inline constexpr UINT ID_TASK_CHECK_EXTERNAL = 32852;
inline constexpr UINT ID_LINK_GO_TO_PARENT = 32853;
inline constexpr UINT ID_TOOLS_CACHE = 32854;
inline constexpr UINT ID_VIEW_VIEWS = 32855;
inline constexpr UINT ID_VIEW_MODE_LIST = 32856;
inline constexpr UINT ID_VIEW_MODE_LARGE_ICONS = 32857;
inline constexpr UINT ID_VIEW_MODE_SMALL_ICONS = 32858;
inline constexpr UINT ID_VIEW_MODE_DETAILS = 32859;
inline constexpr UINT ID_VIEW_MODE_THUMBNAILS = 32860;

// Dialogs.
inline constexpr UINT IDD_ABOUTBOX = 101;
inline constexpr UINT IDD_QUICK_CONNECT = 128;
inline constexpr UINT IDD_SETTINGS_GENERAL = 135;
inline constexpr UINT IDD_PROPERTIES = 137;
inline constexpr UINT IDD_TASK_WIZARD = 140;
inline constexpr UINT IDD_POST_DATA = 145;
inline constexpr UINT IDD_SETTINGS_LINKS = 151;
inline constexpr UINT IDD_LOGIN_PROMPT = 159;
inline constexpr UINT IDD_PASSWORDS = 166;
inline constexpr UINT IDD_COOKIES = 167;
inline constexpr UINT IDD_LINK_FILTER_PAGE = 176;
inline constexpr UINT IDD_SELECT_ACTION = 189;
inline constexpr UINT IDD_WAIT = 194;
inline constexpr UINT IDD_NEW_TASK = 197;
inline constexpr UINT IDD_CACHE = 198;
inline constexpr UINT IDD_LINK_VIEW_BAR = 209;
inline constexpr UINT IDD_TEXT_PROMPT = 214;
inline constexpr UINT IDD_SETTINGS = 216;
inline constexpr UINT IDD_FAVORITES = 231;
inline constexpr UINT IDD_TASK_GENERAL_PAGE = 233;
inline constexpr UINT IDD_REPORT_OPTIONS = 234;
inline constexpr UINT IDD_BASE64 = 243;
inline constexpr UINT IDD_LINK_PROPERTIES = 247;
inline constexpr UINT IDD_LINK_GENERAL_PAGE = 249;
inline constexpr UINT IDD_COMPOSE_URL = 2082;
inline constexpr UINT IDD_SETTINGS_FTP = 2085;
inline constexpr UINT IDD_SETTINGS_PROXY = 2087;
inline constexpr UINT IDD_SETTINGS_CONNECTIONS = 2088;
inline constexpr UINT IDD_SETTINGS_HTTP = 2089;
inline constexpr UINT IDD_ENTER_PROXY = 2090;

// Bitmaps (strips are cut into cells; magenta is transparent).
inline constexpr UINT IDB_MAINFRAME = 128;       // main toolbar, 16-pixel cells
inline constexpr UINT IDB_FAVORITES = 144;       // 16-pixel cells: folder, task
inline constexpr UINT IDB_LINE_HTTP = 174;       // line marker of an HTTP link
inline constexpr UINT IDB_SORT_ASCENDING = 182;  // header sort arrows
inline constexpr UINT IDB_SORT_DESCENDING = 183;
inline constexpr UINT IDB_LINE_LOCAL = 184;      // line marker of an existing local file
inline constexpr UINT IDB_ACTIONS_LARGE = 192;   // 32-pixel cells
inline constexpr UINT IDB_LISTS_SMALL = 194;     // 16-pixel cells of the dialogs' lists
inline constexpr UINT IDB_WIZARD = 195;          // the wizard's picture
inline constexpr UINT IDB_QUEUE_TOOLBAR = 211;   // queue toolbar, 16-pixel cells
inline constexpr UINT IDB_LINKS_SMALL = 212;     // 27 link icons, 16-pixel cells
inline constexpr UINT IDB_SETTINGS_BANNER = 226;
inline constexpr UINT IDB_LINE_MISSING = 239;    // line marker of a missing local file
inline constexpr UINT IDB_GROUP_STATES = 240;    // 30-pixel cells
inline constexpr UINT IDB_ACTIONS_SMALL = 247;   // 16-pixel cells
inline constexpr UINT IDB_LINKS_LARGE = 248;     // 27 link icons, 32-pixel cells
inline constexpr UINT IDB_PROXY_STATES = 2080;   // 16-pixel cells: unchecked, checked

// Icons.
inline constexpr UINT IDI_MAINFRAME = 128;
inline constexpr UINT IDI_PASSWORDS = 179;
// The task actions 0 to 4, by action number.
inline constexpr UINT IDI_ACTION0 = 241;
inline constexpr UINT IDI_ACTION1 = 242;
inline constexpr UINT IDI_ACTION2 = 246;
inline constexpr UINT IDI_ACTION3 = 245;
inline constexpr UINT IDI_ACTION4 = 181;
inline constexpr UINT IDI_LOCK = 248;
inline constexpr UINT IDI_PROPERTIES = 249;

// Strings.
inline constexpr UINT IDS_INVALID_URL = 102;
inline constexpr UINT IDS_EMPTY = 103;
inline constexpr UINT IDS_TRANSFERS_TITLE = 106;
inline constexpr UINT IDS_SELECT_DOWNLOAD_FOLDER = 116;
inline constexpr UINT IDS_ASK_CREATE_DIRECTORY = 117;
inline constexpr UINT IDS_CANNOT_CREATE_DIRECTORY = 118;
inline constexpr UINT IDS_SELECT_FOLDER = 121;
inline constexpr UINT IDS_FIND_WHAT = 122;
inline constexpr UINT IDS_FIND_IN_TREE = 124;
inline constexpr UINT IDS_FIND_IN_LIST = 125;
inline constexpr UINT IDS_COLUMN_TASK = 136;
inline constexpr UINT IDS_COLUMN_DESCRIPTION = 137;
// The link list's column headers.
inline constexpr UINT IDS_COLUMN_NAME = 189;
inline constexpr UINT IDS_COLUMN_PARENT_LINK = 148;
inline constexpr UINT IDS_COLUMN_INDEX = 127;
inline constexpr UINT IDS_COLUMN_LINK_NUMBER = 196;
inline constexpr UINT IDS_COLUMN_SIZE = 134;
inline constexpr UINT IDS_COLUMN_TIME = 160;
inline constexpr UINT IDS_COLUMN_TAG = 161;
inline constexpr UINT IDS_COLUMN_TYPE = 108;
inline constexpr UINT IDS_COLUMN_CONTENT_TYPE = 186;
inline constexpr UINT IDS_COLUMN_STATUS = 162;
inline constexpr UINT IDS_CANNOT_CREATE_REPORT = 143;
inline constexpr UINT IDS_FINISH = 144;
inline constexpr UINT IDS_HELP_NOT_FOUND = 145;
inline constexpr UINT IDS_COLUMN_SITES = 149;
inline constexpr UINT IDS_COLUMN_TOTAL = 175;
inline constexpr UINT IDS_COLUMN_UNIQUE = 203;
inline constexpr UINT IDS_COLUMN_LINKS = 240;
inline constexpr UINT IDS_NEXT = 153;
inline constexpr UINT IDS_TRANSFER_LOG_TITLE = 201;
inline constexpr UINT IDS_REPORT_TITLE = 207;
inline constexpr UINT IDS_STRING_NOT_FOUND = 215;
inline constexpr UINT IDS_NO_UNCHECKED_INTERNAL = 244;
inline constexpr UINT IDS_NO_UNCHECKED_EXTERNAL = 245;
inline constexpr UINT IDS_EDIT_TITLE = 250;
// The pages of a task window's link view.
inline constexpr UINT IDS_PAGE_CONTENT = 142;
inline constexpr UINT IDS_PAGE_HTML_ELEMENTS = 150;
inline constexpr UINT IDS_PAGE_HTML_TEXT = 152;
inline constexpr UINT IDS_PAGE_HTML_TAGS = 192;
inline constexpr UINT IDS_PAGE_LOG = 195;
inline constexpr UINT IDS_PAGE_FORM = 221;
inline constexpr UINT IDS_PAGE_INFORMATION = 229;
inline constexpr UINT IDS_SETTINGS_GENERAL = 223;
inline constexpr UINT IDS_SETTINGS_LINKS = 227;
inline constexpr UINT IDS_PROXY_CAPTION = 2081;
inline constexpr UINT IDS_SETTINGS_CONNECTIONS = 2083;
inline constexpr UINT IDS_SETTINGS_HTTP = 2084;
inline constexpr UINT IDS_SETTINGS_FTP = 2086;
inline constexpr UINT IDS_OPEN = 61440;
inline constexpr UINT IDS_SAVE_AS = 61441;
inline constexpr UINT IDS_ALL_FILES = 61442;
inline constexpr UINT IDS_UNTITLED = 61443;
inline constexpr UINT IDS_SAVE_COPY_AS = 61444;
inline constexpr UINT IDS_CANNOT_OPEN_DOCUMENT = 61697;
inline constexpr UINT IDS_FAILED_TO_CREATE_DOCUMENT = 61700;
// Column headings of the transfer queue.
inline constexpr UINT IDS_QUEUE_COLUMN_NAME = 2400;
inline constexpr UINT IDS_QUEUE_COLUMN_LOCAL_PATH = 2401;
inline constexpr UINT IDS_QUEUE_COLUMN_LOCAL_SIZE = 2402;
inline constexpr UINT IDS_QUEUE_COLUMN_REMOTE_SIZE = 2403;
inline constexpr UINT IDS_QUEUE_COLUMN_PERCENT = 2404;
inline constexpr UINT IDS_QUEUE_COLUMN_TIME = 2405;
inline constexpr UINT IDS_QUEUE_COLUMN_TIME_LEFT = 2406;
inline constexpr UINT IDS_QUEUE_COLUMN_SPEED = 2407;
inline constexpr UINT IDS_QUEUE_COLUMN_STATUS = 2408;

// Controls of the dialogs described in Dialogs.cpp.
inline constexpr UINT IDC_PROMPT_LABEL = 1003;
inline constexpr UINT IDC_PROMPT_TEXT = 1004;
inline constexpr UINT IDC_LOGIN_USER = 1066;
inline constexpr UINT IDC_LOGIN_PASSWORD = 1067;
inline constexpr UINT IDC_BASE64_ENCODED = 1111;
inline constexpr UINT IDC_BASE64_REAL = 1112;
inline constexpr UINT IDC_WAIT_TEXT = 1132;
inline constexpr UINT IDC_BASE64_BINARY = 1142;

// The quick-connect bar (IDD_QUICK_CONNECT); its start button is 1, Browse
// and properties are the commands ID_QC_BROWSE and ID_QC_PROPERTIES.
inline constexpr UINT IDC_QC_URL = 1006;
inline constexpr UINT IDC_QC_DEPTH = 1019;
inline constexpr UINT IDC_QC_DEPTH_SPIN = 1020;

// The Settings dialog (IDD_SETTINGS); its OK and Cancel are 1 and 2.
inline constexpr UINT IDC_SETTINGS_APPLY = 1001;
inline constexpr UINT IDC_SETTINGS_TREE = 1012;
inline constexpr UINT IDC_SETTINGS_BANNER = 1013;
inline constexpr UINT IDC_SETTINGS_PAGE_AREA = 1014;
inline constexpr UINT IDC_SETTINGS_HELP = 1016;
inline constexpr UINT IDC_SETTINGS_CATEGORY = 1029;
inline constexpr UINT IDC_SETTINGS_STATIC = 1030;

// The General page (IDD_SETTINGS_GENERAL).
inline constexpr UINT IDC_GENERAL_BROWSE = 1005;
inline constexpr UINT IDC_GENERAL_AUTO_EXPAND = 1017;
inline constexpr UINT IDC_GENERAL_AUTO_EXPAND_SPIN = 1018;
inline constexpr UINT IDC_GENERAL_MAX_LOG_LINES = 1019;
inline constexpr UINT IDC_GENERAL_MAX_LOG_LINES_SPIN = 1020;
inline constexpr UINT IDC_GENERAL_DOWNLOAD_FOLDER = 1021;
inline constexpr UINT IDC_GENERAL_MAX_HISTORY = 1022;
inline constexpr UINT IDC_GENERAL_MAX_HISTORY_SPIN = 1023;
inline constexpr UINT IDC_GENERAL_PROMPT_SAVE = 1064;
inline constexpr UINT IDC_GENERAL_SINGLE_LOG = 1065;
inline constexpr UINT IDC_GENERAL_SINGLE_REPORT = 1066;
inline constexpr UINT IDC_GENERAL_START_EVENT = 1116;

// The Links page (IDD_SETTINGS_LINKS).
inline constexpr UINT IDC_LINKS_TREAT_SUBDOMAINS = 1049;
inline constexpr UINT IDC_LINKS_AUTO_HIGHLIGHT = 1050;
inline constexpr UINT IDC_LINKS_LIST_COLORING = 1067;
inline constexpr UINT IDC_LINKS_CHECK_HTML_ON_OPEN = 1068;

// The Connections page (IDD_SETTINGS_CONNECTIONS); each spin button follows its edit.
inline constexpr UINT IDC_CONN_MAX_CONNECTS = 1032;
inline constexpr UINT IDC_CONN_RETRIES = 1033;
inline constexpr UINT IDC_CONN_MAX_CONNECTS_SPIN = 1034;
inline constexpr UINT IDC_CONN_RETRIES_SPIN = 1035;
inline constexpr UINT IDC_CONN_DELAY = 1036;
inline constexpr UINT IDC_CONN_DELAY_SPIN = 1037;
inline constexpr UINT IDC_CONN_PER_SITE = 1038;
inline constexpr UINT IDC_CONN_PER_SITE_SPIN = 1039;
inline constexpr UINT IDC_CONN_TIMEOUT = 1040;
inline constexpr UINT IDC_CONN_TIMEOUT_SPIN = 1041;
inline constexpr UINT IDC_CONN_TRANSFER_RETRIES = 1042;
inline constexpr UINT IDC_CONN_TRANSFER_RETRIES_SPIN = 1043;
inline constexpr UINT IDC_CONN_SSL_VERSION = 2092;

// The HTTP page (IDD_SETTINGS_HTTP).
inline constexpr UINT IDC_HTTP_ENABLE_USER_AGENT = 1035;
inline constexpr UINT IDC_HTTP_USER_AGENT_LABEL = 1036;
inline constexpr UINT IDC_HTTP_CONNECTION_LABEL = 1037;
inline constexpr UINT IDC_HTTP_ENABLE_CONNECTION = 1038;
inline constexpr UINT IDC_HTTP_USER_AGENT = 1039;
inline constexpr UINT IDC_HTTP_CONNECTION = 1040;
inline constexpr UINT IDC_HTTP_VERSION = 1042;
inline constexpr UINT IDC_HTTP_SAMPLE = 1051;
inline constexpr UINT IDC_HTTP_ENABLE_REFERRER = 1054;
inline constexpr UINT IDC_HTTP_ENABLE_COOKIES = 1055;
inline constexpr UINT IDC_HTTP_ENABLE_ACCEPT = 1056;
inline constexpr UINT IDC_HTTP_ENABLE_PRAGMA = 1057;
inline constexpr UINT IDC_HTTP_ENABLE_BASIC = 1123;
inline constexpr UINT IDC_HTTP_ENABLE_NTLM = 1124;
inline constexpr UINT IDC_HTTP_ENABLE_NEGOTIATE = 1125;

// The FTP page (IDD_SETTINGS_FTP).
inline constexpr UINT IDC_FTP_DATA_CONNECTION = 1065;

// The Proxy page (IDD_SETTINGS_PROXY).
inline constexpr UINT IDC_PROXY_ADD = 1001;
inline constexpr UINT IDC_PROXY_LIST = 1046;
inline constexpr UINT IDC_PROXY_REMOVE = 1047;
inline constexpr UINT IDC_PROXY_SKIP_LIST = 1048;
inline constexpr UINT IDC_PROXY_SKIP_ENABLED = 1049;
inline constexpr UINT IDC_PROXY_EDIT = 1050;
inline constexpr UINT IDC_PROXY_SKIP_LOCAL = 1051;

// The Enter Proxy dialog (IDD_ENTER_PROXY).
inline constexpr UINT IDC_ENTER_PROXY_USER = 1002;
inline constexpr UINT IDC_ENTER_PROXY_PASSWORD = 1003;
inline constexpr UINT IDC_ENTER_PROXY_PORT = 1011;
inline constexpr UINT IDC_ENTER_PROXY_PROTOCOL = 1078;
inline constexpr UINT IDC_ENTER_PROXY_TYPE = 1079;
inline constexpr UINT IDC_ENTER_PROXY_SERVER = 1080;

// The Compose URL dialog (IDD_COMPOSE_URL).
inline constexpr UINT IDC_COMPOSE_PATH_LABEL = 1024;
inline constexpr UINT IDC_COMPOSE_HOST = 1036;
inline constexpr UINT IDC_COMPOSE_PORT = 1037;
inline constexpr UINT IDC_COMPOSE_PROTOCOL = 1038;
inline constexpr UINT IDC_COMPOSE_USER = 1039;
inline constexpr UINT IDC_COMPOSE_PASSWORD = 1040;
inline constexpr UINT IDC_COMPOSE_PATH = 1041;
inline constexpr UINT IDC_COMPOSE_AUTH = 1042;
inline constexpr UINT IDC_COMPOSE_USER_LABEL = 1043;
inline constexpr UINT IDC_COMPOSE_PASSWORD_LABEL = 1044;

// The HTTP POST data dialog (IDD_POST_DATA).
inline constexpr UINT IDC_POST_BROWSE = 1005;
inline constexpr UINT IDC_POST_TEXT = 1069;
inline constexpr UINT IDC_POST_USE_FILE = 1070;
inline constexpr UINT IDC_POST_TEXT_LABEL = 1071;
inline constexpr UINT IDC_POST_FILE = 1072;

// The Report options dialog (IDD_REPORT_OPTIONS).
inline constexpr UINT IDC_REPORT_HIDE_REPEATING = 1049;
inline constexpr UINT IDC_REPORT_INCLUDE_GENERAL = 1050;
inline constexpr UINT IDC_REPORT_GROUPS = 1095;
inline constexpr UINT IDC_REPORT_STYLE = 1096;
inline constexpr UINT IDC_REPORT_FORMAT = 1097;
inline constexpr UINT IDC_REPORT_OUTPUT = 1099;
inline constexpr UINT IDC_REPORT_GROUP_BY = 1101;

// The Link properties dialog (IDD_LINK_PROPERTIES) and its two pages.
inline constexpr UINT IDC_LINKPROP_HELP = 1077;
inline constexpr UINT IDC_LINKPROP_PAGE_AREA = 1113;
inline constexpr UINT IDC_LINKPROP_TABS = 1114;
inline constexpr UINT IDC_LINKPROP_SETTINGS = 252;
// The General page (IDD_LINK_GENERAL_PAGE).
inline constexpr UINT IDC_LINKGEN_BROWSE = 1005;
inline constexpr UINT IDC_LINKGEN_RECURSION = 1019;
inline constexpr UINT IDC_LINKGEN_RECURSION_SPIN = 1020;
inline constexpr UINT IDC_LINKGEN_POST = 1052;
inline constexpr UINT IDC_LINKGEN_POST_DATA = 1069;
inline constexpr UINT IDC_LINKGEN_USE_FILE = 1070;
inline constexpr UINT IDC_LINKGEN_POST_DATA_LABEL = 1071;
inline constexpr UINT IDC_LINKGEN_POST_FILE = 1072;
inline constexpr UINT IDC_LINKGEN_FINISH_ON_MAX = 1139;
// The Filter page (IDD_LINK_FILTER_PAGE).
inline constexpr UINT IDC_LINKFILTER_EXTERNAL = 1056;
inline constexpr UINT IDC_LINKFILTER_IGNORE_EMPTY = 1057;
inline constexpr UINT IDC_LINKFILTER_CONTAINERS = 1058;
inline constexpr UINT IDC_LINKFILTER_INCLUDE = 1060;
inline constexpr UINT IDC_LINKFILTER_EXCLUDE = 1061;
inline constexpr UINT IDC_LINKFILTER_INCLUDE_ON = 1062;
inline constexpr UINT IDC_LINKFILTER_EXCLUDE_ON = 1063;
inline constexpr UINT IDC_LINKFILTER_TAGS = 1082;
inline constexpr UINT IDC_LINKFILTER_PROTOCOLS = 1084;

// The Select New Action dialog (IDD_SELECT_ACTION).
inline constexpr UINT IDC_ACTION_LIST = 1121;
inline constexpr UINT IDC_ACTION_VIEW_ICONS = 1126;
inline constexpr UINT IDC_ACTION_VIEW_LIST = 1127;
inline constexpr UINT IDC_ACTION_VIEW_DETAILS = 1128;

// The task wizard (IDD_TASK_WIZARD) and its pages.
inline constexpr UINT IDC_WIZARD_NEXT = 1030;
inline constexpr UINT IDC_WIZARD_BACK = 1032;
inline constexpr UINT IDC_WIZARD_PAGE_AREA = 1033;
inline constexpr UINT IDC_WIZARD_PICTURE = 1034;
inline constexpr UINT IDD_WIZARD_INTRO = 136;
inline constexpr UINT IDD_WIZARD_URL = 252;
inline constexpr UINT IDD_WIZARD_PARAM = 253;
inline constexpr UINT IDC_WIZARD_URL = 1010;
inline constexpr UINT IDC_WIZARD_BROWSE_FILE = 1003;
inline constexpr UINT IDC_WIZARD_COMPOSE = 1005;
inline constexpr UINT IDC_WIZARD_VERDICT = 1045;
inline constexpr UINT IDC_WIZARD_PROPERTIES = 1102;
inline constexpr UINT IDC_WIZARD_RECURSION = 1118;
inline constexpr UINT IDC_WIZARD_RECURSION_SPIN = 1119;
inline constexpr UINT IDC_WIZARD_FOLDER = 1122;
inline constexpr UINT IDC_WIZARD_BROWSE_FOLDER = 1135;
inline constexpr UINT IDC_WIZARD_FOLDER_LABEL = 1136;
inline constexpr UINT IDC_WIZARD_EXTERNAL = 1137;

// The New Task dialog (IDD_NEW_TASK).
inline constexpr UINT IDC_NEWTASK_URI = 1006;
inline constexpr UINT IDC_NEWTASK_URI_LABEL = 1008;
inline constexpr UINT IDC_NEWTASK_BROWSE_FOLDER = 1028;
inline constexpr UINT IDC_NEWTASK_BROWSE_FILE = 1081;
inline constexpr UINT IDC_NEWTASK_PROPERTIES = 1102;
inline constexpr UINT IDC_NEWTASK_CHECK = 1103;
inline constexpr UINT IDC_NEWTASK_BROWSE = 1104;
inline constexpr UINT IDC_NEWTASK_DOWNLOAD = 1105;
inline constexpr UINT IDC_NEWTASK_OFFLINE = 1106;
inline constexpr UINT IDC_NEWTASK_FOLDER = 1107;
inline constexpr UINT IDC_NEWTASK_EDIT = 1108;
inline constexpr UINT IDC_NEWTASK_ICON = 1109;

// The Favourite Sites dialog (IDD_FAVORITES).
inline constexpr UINT IDC_FAV_NEW_FOLDER = 1001;
inline constexpr UINT IDC_FAV_PAGE_AREA = 1014;
inline constexpr UINT IDC_FAV_HELP = 1077;
inline constexpr UINT IDC_FAV_TREE = 1087;
inline constexpr UINT IDC_FAV_RENAME = 1088;
inline constexpr UINT IDC_FAV_DELETE = 1089;
inline constexpr UINT IDC_FAV_NEW_TASK = 1090;
inline constexpr UINT IDC_FAV_PROPERTIES = 1102;
inline constexpr UINT IDC_FAV_CHECK = 255;
inline constexpr UINT IDC_FAV_BROWSE = 1104;
inline constexpr UINT IDC_FAV_OFFLINE = 1105;

// The task General page (IDD_TASK_GENERAL_PAGE).
inline constexpr UINT IDC_TASKGEN_COMPOSE = 1001;
inline constexpr UINT IDC_TASKGEN_URI = 1006;
inline constexpr UINT IDC_TASKGEN_URI_LABEL = 1008;
inline constexpr UINT IDC_TASKGEN_BROWSE = 1115;
inline constexpr UINT IDC_TASKGEN_RECURSION = 1118;
inline constexpr UINT IDC_TASKGEN_RECURSION_SPIN = 1119;
inline constexpr UINT IDC_TASKGEN_RECURSION_LABEL = 1120;

// The task actions' names (task property 116), and the new page's icon and
// the view buttons' bitmaps of the Select New Action dialog.
inline constexpr UINT IDS_ACTION_EDIT = 119;
inline constexpr UINT IDS_ACTION_CHECK = 130;
inline constexpr UINT IDS_ACTION_BROWSE = 131;
inline constexpr UINT IDS_ACTION_OFFLINE = 132;
inline constexpr UINT IDS_ACTION_DOWNLOAD = 135;
inline constexpr UINT IDS_ACTION_NEW_PAGE = 141;
inline constexpr UINT IDI_ACTION5 = 247;
inline constexpr UINT IDB_VIEW_ICONS = 193;
inline constexpr UINT IDB_VIEW_LIST = 245;
inline constexpr UINT IDB_VIEW_DETAILS = 246;

// The Passwords dialog (IDD_PASSWORDS); Save and Cancel are 1 and 2.
inline constexpr UINT IDC_PASSWORDS_CHANGE = 253;
inline constexpr UINT IDC_PASSWORDS_ADD = 256;
inline constexpr UINT IDC_PASSWORDS_REMOVE = 1001;
inline constexpr UINT IDC_PASSWORDS_REMOVE_ALL = 1002;
inline constexpr UINT IDC_PASSWORDS_LIST = 1084;
inline constexpr UINT IDC_PASSWORDS_HELP = 1138;

// The Cookies dialog (IDD_COOKIES); Close is 2.
inline constexpr UINT IDC_COOKIES_REMOVE = 1001;
inline constexpr UINT IDC_COOKIES_REMOVE_ALL = 1002;
inline constexpr UINT IDC_COOKIES_MODIFY = 1085;
inline constexpr UINT IDC_COOKIES_LIST = 1086;

// The Cache dialog (IDD_CACHE); Close is 2.
inline constexpr UINT IDC_CACHE_LIST = 1140;
inline constexpr UINT IDC_CACHE_CLEAN = 1141;
inline constexpr UINT IDC_CACHE_CLEAN_ALL = 1142;
inline constexpr UINT IDC_CACHE_REFRESH = 1143;

// The About box (IDD_ABOUTBOX): the picture and the text view's placeholder.
inline constexpr UINT IDC_ABOUT_PICTURE = 1004;
inline constexpr UINT IDC_ABOUT_TEXT = 1005;

// The properties container (IDD_PROPERTIES).
inline constexpr UINT IDC_PROPERTIES_PAGE_AREA = 1022;
inline constexpr UINT IDC_PROPERTIES_PIN = 1023;
inline constexpr UINT IDC_PROPERTIES_TABS = 1024;
inline constexpr UINT IDC_PROPERTIES_NONE = 1025;

// Strings of the stores' dialogs and the Cache dialog.
inline constexpr UINT IDS_CANNOT_DELETE = 151;
inline constexpr UINT IDS_CANNOT_DELETE_CONTINUE = 156;
inline constexpr UINT IDS_ASK_CLEAN_CACHE = 1083;
inline constexpr UINT IDS_COLUMN_DOMAIN = 2200;
inline constexpr UINT IDS_COLUMN_PATH = 2201;
inline constexpr UINT IDS_COLUMN_EXPIRES = 2202;
inline constexpr UINT IDS_COLUMN_SECURE = 2203;
inline constexpr UINT IDS_COLUMN_KEY = 2204;
inline constexpr UINT IDS_COLUMN_ADDED = 2205;
inline constexpr UINT IDS_CANNOT_SAVE_PASSWORDS = 2206;
inline constexpr UINT IDS_CANNOT_SAVE_COOKIES = 2207;
inline constexpr UINT IDS_CANNOT_SAVE_FAVORITES = 2208;
inline constexpr UINT IDS_FAVORITES_DAMAGED = 2209;
