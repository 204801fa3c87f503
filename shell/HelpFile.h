#pragma once
// The help file. There is no help viewer on this platform: the file is found
// as it always was and handed to the desktop, which opens it with whatever
// the user has for it.

#include <string>

// The path of setting 20488 when a file is there; else "Tanglewarden.chm"
// in the program's folder, else in its "Help" subfolder; else empty.
std::string FindHelpFilePath();

// Opens the help file with the desktop; without one, the message "Help file
// not found!" (an error box). True when the file was handed to the desktop.
bool OpenHelpFile();
