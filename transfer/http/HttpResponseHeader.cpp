#include "transfer/http/HttpResponseHeader.h"

#include <cstring>
#include <utility>

#include "foundation/text/ByteBuffer.h"
#include "platform/core/Text.h"
#include "transfer/base/ResultCodes.h"

namespace
{

constexpr std::string_view kBlankLine = "\r\n\r\n";

// Hands each field of the header block at the start of bytes to visit, from
// the start of its line to the '\n' that ends its last line (continuation
// lines, which begin with a blank or a tab, belong to the field before them),
// until visit returns false. Only bytes up to the end of the first
// "\r\n\r\n" count: whatever follows the blank line is body, never a field.
// The status line and the blank line come as fields too: no name matches
// them.
template <typename Visit>
void VisitHeaderFields(std::string_view bytes, Visit&& visit)
{
    const size_t blankLine = bytes.find(kBlankLine);
    if (blankLine == std::string_view::npos)
        return;
    const std::string_view head = bytes.substr(0, blankLine + kBlankLine.size());
    size_t lineStart = 0;
    while (lineStart < head.size())
    {
        size_t lineEnd = head.find('\n', lineStart);
        if (lineEnd == std::string_view::npos)
            return;
        while (lineEnd + 1 < head.size() && (head[lineEnd + 1] == ' ' || head[lineEnd + 1] == '\t'))
        {
            const size_t next = head.find('\n', lineEnd + 1);
            if (next == std::string_view::npos)
                return;
            lineEnd = next;
        }
        if (!visit(head.substr(lineStart, lineEnd - lineStart)))
            return;
        lineStart = lineEnd + 1;
    }
}

// Whether field is called name (with its colon, ignoring case); its value,
// trimmed of white space at both ends, goes to value then.
bool ReadField(std::string_view field, std::string_view name, std::string& value)
{
    if (name.empty() || field.size() < name.size())
        return false;
    // The first bytes with ASCII case folded (| 0x20) differ: no match, and
    // no full comparison (most fields of a block fail here). Bytes equal
    // ignoring case are also equal so folded, so no match is passed over.
    if ((field[0] | 0x20) != (name[0] | 0x20) || !EqualsNoCase(field.substr(0, name.size()), name))
        return false;
    value = Trim(field.substr(name.size()));
    return true;
}

} // namespace

CHttpHeaderFields::CHttpHeaderFields(const CByteBuffer& header)
{
    VisitHeaderFields(header.GetText(),
                      [this](std::string_view field)
                      {
                          m_fields.push_back(field);
                          return true;
                      });
}

int CHttpHeaderFields::FindAll(std::string_view name, std::vector<std::string>& values) const
{
    values.clear();
    std::string value;
    for (std::string_view field : m_fields)
    {
        if (ReadField(field, name, value))
            values.push_back(std::move(value));
    }
    return static_cast<int>(values.size());
}

bool CHttpHeaderFields::Find(std::string_view name, std::string& value) const
{
    for (std::string_view field : m_fields)
    {
        if (ReadField(field, name, value))
            return true;
    }
    return false;
}

int FindHttpHeaderAll(const CByteBuffer& header, std::string_view name, std::vector<std::string>& values)
{
    return CHttpHeaderFields(header).FindAll(name, values);
}

bool FindHttpHeader(const CByteBuffer& header, std::string_view name, std::string& value)
{
    // The first match ends the walk; value stays untouched without one.
    std::string found;
    bool matched = false;
    VisitHeaderFields(header.GetText(),
                      [&](std::string_view field)
                      {
                          matched = ReadField(field, name, found);
                          return !matched;
                      });
    if (matched)
        value = std::move(found);
    return matched;
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
