#pragma once
// The standard messages of the transfer logs: 53 numbered printf templates
// (0 to 52) that every transfer component writes through
// ITransferLog::AppendMessage, so the same event always reads the same. The
// numbers are fixed; callers refer to them by index.
//
// Also the one rule for keeping passwords out of logs: a sent "PASS "
// command is logged with "****" in place of the password (URL logins:
// UrlPasswordMask.h).

#include <cstdarg>
#include <string>
#include <string_view>

inline constexpr int kLogMessageCount = 53;

// The template with that index, or null outside 0 to 52.
const char* LogMessageTemplate(int index);

// Formats template `index` with printf rules ("%I64d" is a signed 64-bit
// integer); any other index gives an empty text.
std::string FormatLogMessage(int index, ...);
std::string FormatLogMessageV(int index, va_list args);

// The text as it may be logged: every line of at least 6 characters (line
// break not counted) whose first five are "PASS " in any letter case keeps
// those five and shows "****" for the rest. Other text is returned unchanged,
// so masking twice gives the same text.
std::string MaskPasswordCommand(std::string_view text);
