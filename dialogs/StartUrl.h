#pragma once
// What the task dialogs tell of a task's start address. A local path is
// text beginning with '/', "~/" or "file:" (IsLocalPath); everything else is
// taken as a URL.

#include <string>

// The verdict the wizard shows under its URL field, and whether Next may go
// on: an empty text is refused; a local path is accepted as an existing
// file, an existing folder or an unknown one; a URL is accepted when it
// parses and refused when not. Lines end with "\r\n".
struct CStartUrlVerdict
{
    std::string m_text;
    bool m_accepted = false;
};
CStartUrlVerdict CheckStartUrl(const std::string& text);

// The New Task dialog's title: "New task" followed by " (local)" for a
// local path, " (HTTP)", " (HTTPS)" or " (FTP)" for those schemes, and
// nothing for other text.
std::string NewTaskTitle(const std::string& uri);

// The message that refuses a start address: "Invalid url: %s." naming the
// address, or "<Empty>" for an empty one.
std::string InvalidUrlMessage(const std::string& url);

// Whether the New Task dialog's OK is enabled: the URI is not empty, and for
// the Edit action (4) it is a local path.
bool NewTaskCanAccept(const std::string& uri, int action);
