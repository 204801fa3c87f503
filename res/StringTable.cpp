#include "res/Resources.h"

#include <algorithm>

namespace
{
constexpr StringDesc kStrings[] = {
    {IDR_MAINFRAME, "Tanglewarden"},
    {IDS_INVALID_URL, "Invalid url: %s."},
    {IDS_EMPTY, "<Empty>"},
    {IDS_TRANSFERS_TITLE, "Transfers"},
    {IDS_SELECT_DOWNLOAD_FOLDER, "Please select a default download folder."},
    {IDS_ASK_CREATE_DIRECTORY, "Directory \"%s\" does not exists. Would you like to create it?"},
    {IDS_CANNOT_CREATE_DIRECTORY, "Cannot create local directory \"%s\"."},
    {IDS_SELECT_FOLDER, "Select folder"},
    {IDS_FIND_WHAT, "Fi&nd what"},
    {IDS_FIND_IN_TREE, "Find in link tree"},
    {IDS_FIND_IN_LIST, "Find in link list"},
    {IDR_TASK, "\nTanglewarden\nTanglewarden\nTanglewarden Doc (*.vbb)\n.vbb\nTanglewarden.Document\nTanglewarden Document"},
    {IDR_QUEUE, "\nXQueue\nXQueue\n\n\nXQueue.Document\nXQueue Document"},
    {IDS_ACTION_EDIT, "Edit"},
    {IDS_ACTION_CHECK, "Check links recursively"},
    {IDS_ACTION_BROWSE, "Browse links"},
    {IDS_ACTION_OFFLINE, "Browse links offline"},
    {IDS_ACTION_DOWNLOAD, "Download links"},
    {IDS_COLUMN_TASK, "Task"},
    {IDS_COLUMN_DESCRIPTION, "Description"},
    {IDS_COLUMN_NAME, "Name"},
    {IDS_COLUMN_PARENT_LINK, "Parent link"},
    {IDS_COLUMN_INDEX, "#"},
    {IDS_COLUMN_LINK_NUMBER, "##"},
    {IDS_COLUMN_SIZE, "Size"},
    {IDS_COLUMN_TIME, "Time"},
    {IDS_COLUMN_TAG, "Tag"},
    {IDS_COLUMN_TYPE, "Type"},
    {IDS_COLUMN_CONTENT_TYPE, "Content-Type"},
    {IDS_COLUMN_STATUS, "Status"},
    {IDR_LOG, "\nXLog\nXLog\nXLog Doc (*.log)\n.log\nXLog.Document\nXLog Document"},
    {IDR_REPORT, "\nXReport\nXReport\nReport Doc (*.txt)\n.txt\nXReport.Document\nXReport Document"},
    {IDS_ACTION_NEW_PAGE, "Create new HTML document"},
    {IDS_CANNOT_CREATE_REPORT, "Cannot create report file!"},
    {IDS_FINISH, "Finish"},
    {IDS_HELP_NOT_FOUND, "Help file not found!"},
    {IDS_COLUMN_SITES, "Sites"},
    {IDS_COLUMN_TOTAL, "Total"},
    {IDS_COLUMN_UNIQUE, "Unique"},
    {IDS_COLUMN_LINKS, "Links"},
    {IDS_NEXT, "&Next >"},
    {IDR_EDIT, "\nText\nText\nText Doc (*.txt;*.htm;*.html)\n.txt\nText.Document\nText Document"},
    {IDS_TRANSFER_LOG_TITLE, "Transfer Log"},
    {IDS_REPORT_TITLE, "Report"},
    {IDS_STRING_NOT_FOUND, "Cannot find the string '%s'."},
    {IDS_NO_UNCHECKED_INTERNAL, "There are no more unchecked internal links."},
    {IDS_NO_UNCHECKED_EXTERNAL, "There are no more unchecked external links."},
    {IDS_EDIT_TITLE, "Edit"},
    {IDS_PAGE_CONTENT, "Content"},
    {IDS_PAGE_HTML_ELEMENTS, "HTML elements"},
    {IDS_PAGE_HTML_TEXT, "HTML text"},
    {IDS_PAGE_HTML_TAGS, "HTML tags"},
    {IDS_PAGE_LOG, "Log"},
    {IDS_PAGE_FORM, "Form"},
    {IDS_PAGE_INFORMATION, "Information"},
    {IDS_SETTINGS_GENERAL, "General"},
    {IDS_SETTINGS_LINKS, "Links"},
    {IDS_PROXY_CAPTION, "Proxy"},
    {IDS_SETTINGS_CONNECTIONS, "Connection"},
    {IDS_SETTINGS_HTTP, "HTTP"},
    {IDS_SETTINGS_FTP, "FTP"},
    {IDS_OPEN, "Open"},
    {IDS_SAVE_AS, "Save As"},
    {IDS_ALL_FILES, "All Files (*.*)"},
    {IDS_UNTITLED, "Untitled"},
    {IDS_SAVE_COPY_AS, "Save Copy As"},
    {IDS_CANNOT_OPEN_DOCUMENT, "Cannot open the document \"%s\"."},
    {IDS_FAILED_TO_CREATE_DOCUMENT, "Failed to create empty document."},
    {IDS_QUEUE_COLUMN_NAME, "Name"},
    {IDS_QUEUE_COLUMN_LOCAL_PATH, "Local Path"},
    {IDS_QUEUE_COLUMN_LOCAL_SIZE, "Local Size"},
    {IDS_QUEUE_COLUMN_REMOTE_SIZE, "Remote Size"},
    {IDS_QUEUE_COLUMN_PERCENT, "Xfer %"},
    {IDS_QUEUE_COLUMN_TIME, "Time"},
    {IDS_QUEUE_COLUMN_TIME_LEFT, "Time left"},
    {IDS_QUEUE_COLUMN_SPEED, "Speed"},
    {IDS_QUEUE_COLUMN_STATUS, "Status"},
    {IDS_CANNOT_DELETE, "Cannot delete \"%s\"."},
    {IDS_CANNOT_DELETE_CONTINUE, "Cannot delete \"%s\". Continue?"},
    {IDS_ASK_CLEAN_CACHE, "Delete all files in the Tanglewarden cache?"},
    {IDS_COLUMN_DOMAIN, "Domain"},
    {IDS_COLUMN_PATH, "Path"},
    {IDS_COLUMN_EXPIRES, "Expires"},
    {IDS_COLUMN_SECURE, "Secure"},
    {IDS_COLUMN_KEY, "Key"},
    {IDS_COLUMN_ADDED, "Added"},
    {IDS_CANNOT_SAVE_PASSWORDS, "Cannot save the passwords."},
    {IDS_CANNOT_SAVE_COOKIES, "Cannot save the cookies."},
    {IDS_CANNOT_SAVE_FAVORITES,
     "Cannot save the favorites. Your changes are still shown; close the dialog with Cancel to drop them."},
    {IDS_FAVORITES_DAMAGED, "The favorites file \"%s\" is damaged and could not be read. It will be kept under a "
                            "name ending in \".bad\" when the favorites are saved."},
};

constexpr UINT kReferenced[] = {
    IDR_MAINFRAME,          IDR_TASK,           IDR_QUEUE,          IDR_LOG, IDR_REPORT, IDR_EDIT,
    IDS_TRANSFERS_TITLE,    IDS_TRANSFER_LOG_TITLE, IDS_REPORT_TITLE, IDS_EDIT_TITLE, IDS_OPEN,
    IDS_FAILED_TO_CREATE_DOCUMENT, IDS_SETTINGS_GENERAL, IDS_SETTINGS_LINKS, IDS_PROXY_CAPTION,
    IDS_SETTINGS_CONNECTIONS, IDS_SETTINGS_HTTP, IDS_SETTINGS_FTP, IDS_SELECT_DOWNLOAD_FOLDER,
    IDS_ASK_CREATE_DIRECTORY, IDS_CANNOT_CREATE_DIRECTORY,
    IDS_QUEUE_COLUMN_NAME, IDS_QUEUE_COLUMN_LOCAL_PATH, IDS_QUEUE_COLUMN_LOCAL_SIZE, IDS_QUEUE_COLUMN_REMOTE_SIZE,
    IDS_QUEUE_COLUMN_PERCENT, IDS_QUEUE_COLUMN_TIME, IDS_QUEUE_COLUMN_TIME_LEFT, IDS_QUEUE_COLUMN_SPEED,
    IDS_QUEUE_COLUMN_STATUS,
};
} // namespace

std::span<const StringDesc> GetStringTable()
{
    return kStrings;
}

const char* LoadResourceString(UINT id)
{
    const auto found = std::find_if(std::begin(kStrings), std::end(kStrings),
                                    [id](const StringDesc& entry) { return entry.m_id == id; });
    return found == std::end(kStrings) ? nullptr : found->m_text;
}

std::span<const UINT> GetReferencedStrings()
{
    return kReferenced;
}
