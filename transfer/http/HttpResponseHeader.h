#pragma once
// The received side of HTTP headers: cutting a complete header block out of
// the bytes received so far, reading its status line and looking up its
// fields. Free functions over byte buffers; no state.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "transfer/base/TransferLimits.h"

class CByteBuffer;

// Field names as looked up, each with its colon. Names compare ignoring case.
namespace HttpHeaderName
{
inline constexpr std::string_view kContentLength = "Content-Length:";
inline constexpr std::string_view kContentType = "Content-Type:";
inline constexpr std::string_view kContentEncoding = "Content-Encoding:";
inline constexpr std::string_view kContentLocation = "Content-Location:";
inline constexpr std::string_view kTransferEncoding = "Transfer-Encoding:";
inline constexpr std::string_view kLocation = "Location:";
inline constexpr std::string_view kContentRange = "Content-Range:";
inline constexpr std::string_view kConnection = "Connection:";
inline constexpr std::string_view kProxyConnection = "Proxy-Connection:";
inline constexpr std::string_view kLastModified = "Last-Modified:";
inline constexpr std::string_view kSetCookie = "Set-Cookie:";
inline constexpr std::string_view kKeepAlive = "Keep-Alive:";
inline constexpr std::string_view kETag = "ETag:";
inline constexpr std::string_view kWwwAuthenticate = "WWW-Authenticate:";
} // namespace HttpHeaderName

// The fields of one header block, cut out once, for a reader that looks up
// several names in the same block: each look-up compares the names of the
// fields instead of reading the whole block again. Finds exactly what
// FindHttpHeaderAll and FindHttpHeader find in that block. Views into the
// block: the buffer must stay unchanged while the fields are used.
class CHttpHeaderFields
{
public:
    explicit CHttpHeaderFields(const CByteBuffer& header);

    // As FindHttpHeaderAll over the block.
    int FindAll(std::string_view name, std::vector<std::string>& values) const;
    // As FindHttpHeader over the block.
    bool Find(std::string_view name, std::string& value) const;

private:
    // Each field from the start of its name to the end of its last line
    // (continuation lines included), in the order of the block.
    std::vector<std::string_view> m_fields;
};

// Replaces values by the values of every field called name (with its colon)
// in the header block at the start of header, in order, and returns how many
// there are. Only bytes up to the end of the first "\r\n\r\n" count; a
// buffer without one has no fields. A name counts only where it begins a
// line, so "X-Content-Type:" is not "Content-Type:". Continuation lines
// (beginning with a blank or a tab) belong to the value, their inner line
// breaks kept; each value is trimmed of white space at both ends.
int FindHttpHeaderAll(const CByteBuffer& header, std::string_view name, std::vector<std::string>& values);

// The first value of FindHttpHeaderAll (so only the first of repeated fields
// such as "Set-Cookie:" is seen). False, with value untouched, when the
// field is absent.
bool FindHttpHeader(const CByteBuffer& header, std::string_view name, std::string& value);

// Moves one complete header block from the front of receive into header.
// header is emptied first. When receive holds a whole block (up to and
// including the first "\r\n\r\n"), header receives it followed by a zero
// byte, the block is erased from receive (whose read position becomes 0),
// the start of the body stays there, and complete is set. Some servers send
// a "Content-Range:" line just after the blank line: the block then ends at
// the next "\r\n\r\n" and that first blank line is dropped, so the range
// becomes a field of the header.
//
// Returns kResultOk, with complete false when more bytes are needed;
// kResultProtocolError when the block is, or can only become, longer than
// kMaxResponseHeaderSize; kResultNoMoreHandles when no memory could be had
// for header. On a failure complete is false, header empty and receive
// untouched.
int SplitResponseHeader(CByteBuffer& receive, CByteBuffer& header, bool& complete);

// Reads the status line at the start of header: "HTTP/", the version, one
// blank, a status text beginning with three decimal digits, "\r\n". True
// with version ("1.1") and status ("200 OK"); false otherwise. Both outputs
// are emptied first.
bool ParseStatusLine(const CByteBuffer& header, std::string& version, std::string& status);
