#include "transfer/http/HttpResponseHeader.h"

#include <cstring>
#include <utility>

#include "foundation/text/ByteBuffer.h"
#include "platform/core/Text.h"
#include "transfer/base/ResultCodes.h"

namespace
{

constexpr std::string_view kBlankLine = "\r\n\r\n";

} // namespace

int FindHttpHeaderAll(const CByteBuffer& header, std::string_view name, std::vector<std::string>& values)
{
    values.clear();
    const std::string_view bytes = header.GetText();
    const size_t blankLine = bytes.find(kBlankLine);
    if (name.empty() || blankLine == std::string_view::npos)
        return 0;
    // Whatever follows the blank line is body, never a field.
    const std::string_view head = bytes.substr(0, blankLine + kBlankLine.size());

    // A field starts a line, so only line starts are compared with the
    // name (a search for the name everywhere compared it at every byte);
    // the folded lines of a value start with a blank and never match.
    size_t lineStart = 0;
    while (lineStart < head.size())
    {
        size_t lineEnd = head.find('\n', lineStart);
        if (lineEnd == std::string_view::npos)
            break;
        if (head.size() - lineStart < name.size() || !EqualsNoCase(head.substr(lineStart, name.size()), name))
        {
            lineStart = lineEnd + 1;
            continue;
        }
        const size_t valueStart = lineStart + name.size();
        lineEnd = head.find('\n', valueStart);
        if (lineEnd == std::string_view::npos)
            break;
        bool unterminated = false;
        while (lineEnd + 1 < head.size() && (head[lineEnd + 1] == ' ' || head[lineEnd + 1] == '\t'))
        {
            const size_t next = head.find('\n', lineEnd + 1);
            if (next == std::string_view::npos)
            {
                unterminated = true;
                break;
            }
            lineEnd = next;
        }
        if (unterminated)
            break;
        values.push_back(Trim(head.substr(valueStart, lineEnd - valueStart)));
        lineStart = lineEnd + 1;
    }
    return static_cast<int>(values.size());
}

bool FindHttpHeader(const CByteBuffer& header, std::string_view name, std::string& value)
{
    std::vector<std::string> values;
    if (FindHttpHeaderAll(header, name, values) == 0)
        return false;
    value = std::move(values.front());
    return true;
}

int SplitResponseHeader(CByteBuffer& receive, CByteBuffer& header, bool& complete)
{
    complete = false;
    header.SetLength(0);
    header.SetReadPos(0);

    const std::string_view bytes = receive.GetText();
    const size_t first = bytes.find(kBlankLine);
    if (first == std::string_view::npos)
    {
        // Even the next byte could not end a block within the cap.
        return bytes.size() >= static_cast<size_t>(kMaxResponseHeaderSize) ? kResultProtocolError : kResultOk;
    }
    const size_t firstEnd = first + kBlankLine.size();

    size_t blockEnd = firstEnd; // in receive
    size_t droppedBlank = 0;    // bytes of a misplaced blank line left out of the header
    constexpr std::string_view kRangeName = "Content-Range:";
    if (StartsWithNoCase(bytes.substr(firstEnd), kRangeName))
    {
        droppedBlank = 2;
        const size_t second = bytes.find(kBlankLine, firstEnd);
        if (second == std::string_view::npos)
        {
            return bytes.size() - droppedBlank >= static_cast<size_t>(kMaxResponseHeaderSize)
                       ? kResultProtocolError
                       : kResultOk;
        }
        blockEnd = second + kBlankLine.size();
    }
    if (blockEnd - droppedBlank > static_cast<size_t>(kMaxResponseHeaderSize))
        return kResultProtocolError;

    const auto blockLength = static_cast<int32_t>(blockEnd);
    receive.CopyHead(header, blockLength);
    if (header.GetLength() != blockLength)
    {
        header.SetLength(0);
        return kResultNoMoreHandles;
    }
    if (droppedBlank > 0)
        header.Erase(static_cast<int32_t>(first + 2), static_cast<int32_t>(droppedBlank));
    if (!header.AppendByte(0))
    {
        header.SetLength(0);
        return kResultNoMoreHandles;
    }
    receive.Erase(0, blockLength);
    complete = true;
    return kResultOk;
}

bool ParseStatusLine(const CByteBuffer& header, std::string& version, std::string& status)
{
    version.clear();
    status.clear();
    constexpr std::string_view kPrefix = "HTTP/";
    const std::string_view bytes = header.GetText();
    if (bytes.substr(0, kPrefix.size()) != kPrefix)
        return false;
    const size_t lineEnd = bytes.find("\r\n", kPrefix.size());
    // The blank is sought on the status line only: one found on a later
    // line would take a field's text for the status.
    const size_t blank =
        bytes.substr(0, lineEnd == std::string_view::npos ? 0 : lineEnd).find(' ', kPrefix.size());
    if (lineEnd == std::string_view::npos || blank == std::string_view::npos || lineEnd - blank <= 3)
        return false;
    for (size_t i = blank + 1; i <= blank + 3; ++i)
    {
        if (bytes[i] < '0' || bytes[i] > '9')
            return false;
    }
    version.assign(bytes.substr(kPrefix.size(), blank - kPrefix.size()));
    status.assign(bytes.substr(blank + 1, lineEnd - blank - 1));
    return true;
}
