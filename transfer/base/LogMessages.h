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

// The templates by what they say, for callers of AppendMessage and LogMessage.
enum ELogMessage : int
{
    kMessageCannotSocket = 0,
    kMessageCannotConnect = 1,
    kMessageCannotConnectError = 2,
    kMessageConnectingTo = 3,
    kMessageConnectedTo = 4,
    kMessageHostNotFound = 5,
    kMessageHostResolved = 6,
    kMessageIncorrectParameter = 7,
    kMessageLoginNotSupported = 8,
    kMessageOtpGenerated = 9,
    kMessageFileNotFound = 10,
    kMessageDirNotFound = 11,
    kMessageAccessDenied = 12,
    kMessageCannotGetFileInfo = 13,
    kMessageGettingFileInfo = 14,
    kMessageTransferFinished = 15,
    kMessageTransferFailed = 16,
    kMessageTransferring = 17,
    kMessageConnectionFailed = 18,
    kMessageConnecting = 19,
    kMessageRemovingFile = 20,
    kMessageRemovingDir = 21,
    kMessageCannotRemoveFile = 22,
    kMessageCannotRemoveDir = 23,
    kMessageConnectionClosed = 24,
    kMessageControlClosed = 25,
    kMessageControlClosedCode = 26,
    kMessageDataClosed = 27,
    kMessageDataClosedCode = 28,
    kMessageCannotOpenFile = 29,
    kMessageCannotCreateDir = 30,
    kMessageCannotCopyFile = 31,
    kMessageCannotCopyDir = 32,
    kMessageProxyRefused = 33,
    kMessageProxyFailed = 34,
    kMessageReusingConnection = 35,
    kMessageNotSupported = 36,
    kMessageTimeoutOn = 37,
    kMessageSendingRequest = 38,
    kMessageSendingRequestText = 39,
    kMessageReceivedReply = 40,
    kMessageReceivedReplyText = 41,
    kMessageRetry = 42,
    kMessageRetryFrom = 43,
    kMessageFileInfo = 44,
    kMessageWaitingMilliseconds = 45,
    kMessageWaitingSeconds = 46,
    kMessageTransferRetry = 47,
    kMessageProtocolError = 48,
    kMessageTransferAborted = 49,
    kMessageCertAccepted = 50,
    kMessageCertInfo = 51,
    kMessageCertDenied = 52,
};

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
// False when MaskPasswordCommand would give the text back unchanged (no
// line starts with "PASS " in any letter case); true does not mean that
// anything is masked.
bool MayHoldPasswordCommand(std::string_view text);
