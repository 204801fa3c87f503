#pragma once
// A report written to a file: the whole text of the report's log replaces
// the file in one step (a temporary file beside it, renamed over it), so a
// report that cannot be written whole leaves the file that stood there
// before as it was.

#include <string>

class ITransferLog;

// False when the file could not be made or written, or the log handed out
// less than its length; the file at path is then untouched.
[[nodiscard]] bool SaveLogToFile(ITransferLog& log, const std::string& path);
