#pragma once
// The rules a task window applies to the start address of its task, apart
// from any window: what the task keeps of the address the user gave (a
// ".url" shortcut is read, a remote URL is checked and written again with
// its password taken out), and the title of the window.

#include <string>

// What becomes of a start address.
struct CStartAddress
{
    bool m_valid = false;
    // Valid: the address the task keeps as its start address.
    std::string m_url;
    // Not valid: the text that "Invalid url: %s." names.
    std::string m_invalid;
    // A password taken out of the address, to be kept in the password store
    // under this key (the site with its login); empty key: none.
    std::string m_passwordKey;
    std::string m_password;
};

// The address of an Internet shortcut: the text after "URL=" up to the end
// of its line (or of the file), trimmed. False when the file cannot be read
// or holds no "URL=".
bool ReadInternetShortcut(const std::string& path, std::string& url);

// An empty address is invalid ("<Empty>"). A local path is kept as it is,
// except an existing ".url" file (any letter case), whose address is taken
// instead (an unreadable one, or one without "URL=", is invalid under the
// path). A remote address must parse; it is then written again from its
// parts: a user of exactly "$" keeps the user and drops the password, a
// password of exactly "$" stays, any other password is dropped from the
// address and, with a user, handed out for the password store.
CStartAddress PrepareStartAddress(const std::string& address);

// The title of a task window: the URL (past 100 characters its first 100
// and "..."), " [maxrec: N]", and " (offline)" for an offline task.
std::string MakeLinkTreeTitle(const std::string& url, int recursion, bool offline);
