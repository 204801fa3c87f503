#include "transfer/base/LogMessages.h"

#include "platform/core/Text.h"

#include <array>

namespace
{

const char* const kTemplates[kLogMessageCount] = {
    "Cannot socket (error: %d).",
    "Cannot connect to %s:%d.",
    "Cannot connect to %s:%d (error: %d).",
    "Connecting to %s:%d...",
    "Connected to %s:%d.",
    "Cannot find server or DNS Error, host name: \"%s\".",
    "Host name resolved: \"%s\" => \"%s\".",
    "Incorrect parameter \"%s\".",
    "Login type is not supported: \"%s\".",
    "Skey pass phrase generated \"%s\".",
    "File not found \"%s\".",
    "Directory not found \"%s\".",
    "Access denied \"%s\".",
    "Cannot get file info \"%s\".",
    "Getting file info \"%s\".",
    "Transfer finished.",
    "Transfer failed.",
    "Transferring...",
    "Connection failed.",
    "Connecting...",
    "Removing file \"%s\".",
    "Removing dir \"%s\".",
    "Cannot remove file \"%s\".",
    "Cannot remove dir \"%s\".",
    "Connection closed.",
    "Control connection closed.",
    "Control connection closed (%d).",
    "Data connection closed.",
    "Data connection closed (%d).",
    "Cannot open file \"%s\".",
    "Cannot create dir \"%s\".",
    "Cannot copy file \"%s\" to \"%s\".",
    "Cannot copy dir \"%s\" to \"%s\".",
    "Cannot connect to %s:%d via proxy.",
    "Cannot connect to %s:%d via proxy (error: %d).",
    "Reusing existing connection.",
    "Protocol or operation is not supported or implemented: \"%s\".",
    "Timeout on: \"%s\".",
    "Sending request.",
    "Sending request: \"%s\".",
    "Received reply.",
    "Received reply: \"%s\".",
    "--- Retry #%d ---",
    "--- Retry #%d from %d ---",
    "File: \"%s\", size: %I64d, modified: %s.",
    "Waiting %d milliseconds...",
    "Waiting %d seconds...",
    "Transfer retry #%d.",
    "Protocol error: %s.",
    "Transfer aborted: %s, bytes expected %s, received %s.",
    "Server certificate was auto accepted.",
    "Server certificate info: valid from %s, to %s.",
    "Server certificate denied by user.",
};

constexpr std::string_view kPassCommand = "PASS ";
constexpr std::string_view kPasswordMask = "****";

} // namespace

const char* LogMessageTemplate(int index)
{
    if (index < 0 || index >= kLogMessageCount)
        return nullptr;
    return kTemplates[index];
}

std::string FormatLogMessageV(int index, va_list args)
{
    if (!LogMessageTemplate(index))
        return std::string();
    // The templates in the form printf reads ("%I64d" as "%lld"), rewritten
    // once rather than on every line logged.
    static const std::array<std::string, kLogMessageCount> rewritten = []
    {
        std::array<std::string, kLogMessageCount> table;
        for (int i = 0; i < kLogMessageCount; ++i)
            table[i] = TranslateFormat(kTemplates[i]);
        return table;
    }();
    return FormatV(rewritten[index].c_str(), args);
}

std::string FormatLogMessage(int index, ...)
{
    va_list args;
    va_start(args, index);
    std::string out = FormatLogMessageV(index, args);
    va_end(args);
    return out;
}

std::string MaskPasswordCommand(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t start = 0;
    while (start < text.size())
    {
        size_t end = text.find('\n', start);
        end = (end == std::string_view::npos) ? text.size() : end + 1;
        std::string_view line = text.substr(start, end - start);
        // The line break stays as it was; only the content is looked at.
        size_t contentLength = line.size();
        while (contentLength > 0 && (line[contentLength - 1] == '\n' || line[contentLength - 1] == '\r'))
            --contentLength;
        if (contentLength > kPassCommand.size() && StartsWithNoCase(line, kPassCommand))
        {
            out.append(line.substr(0, kPassCommand.size()));
            out.append(kPasswordMask);
            out.append(line.substr(contentLength));
        }
        else
        {
            out.append(line);
        }
        start = end;
    }
    return out;
}

bool MayHoldPasswordCommand(std::string_view text)
{
    for (size_t start = 0; start < text.size();)
    {
        if (StartsWithNoCase(text.substr(start), kPassCommand))
            return true;
        const size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return false;
}
