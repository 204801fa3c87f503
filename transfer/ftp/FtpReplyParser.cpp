#include "transfer/ftp/FtpReplyParser.h"

#include "platform/core/Text.h"

namespace
{
bool StartsWithCode(std::string_view line)
{
    return line.size() >= 3 && IsAsciiDigit(line[0]) && IsAsciiDigit(line[1]) && IsAsciiDigit(line[2]);
}

int CodeOf(std::string_view line)
{
    return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}
} // namespace

FtpReplyParse ParseReplyBuffer(std::string_view buffer, FtpReplyScan& scan, std::string& text, int& code,
                               size_t& consumed)
{
    if (buffer.size() <= 3)
        return FtpReplyParse::Incomplete;

    size_t lineStart = scan.m_lineStart < buffer.size() ? scan.m_lineStart : 0;
    size_t searchFrom =
        scan.m_searched > lineStart && scan.m_searched <= buffer.size() ? scan.m_searched : lineStart;
    while (lineStart < buffer.size())
    {
        const size_t lineFeed = buffer.find('\n', searchFrom);
        if (lineFeed == std::string_view::npos)
        {
            scan.m_lineStart = lineStart;
            scan.m_searched = buffer.size();
            return FtpReplyParse::Incomplete;
        }
        const std::string_view line = buffer.substr(lineStart, lineFeed - lineStart);
        if (StartsWithCode(line) && line.size() >= 4 && line[3] == ' ')
        {
            const bool firstHasCode = StartsWithCode(buffer);
            code = firstHasCode ? CodeOf(buffer) : CodeOf(line);
            text.assign(buffer.substr(0, lineFeed));
            consumed = lineFeed + 1;
            scan = FtpReplyScan();
            return firstHasCode && line.substr(0, 3) == buffer.substr(0, 3) ? FtpReplyParse::Complete
                                                                            : FtpReplyParse::Malformed;
        }
        lineStart = lineFeed + 1;
        searchFrom = lineStart;
    }
    scan.m_lineStart = lineStart;
    scan.m_searched = lineStart;
    return FtpReplyParse::Incomplete;
}
