#pragma once
// Finding one whole FTP reply (RFC 959 4.2) at the front of the bytes
// received on a control connection. A reply is one line "ddd text", or
// several lines of which the last is "ddd text" and the first "ddd-text";
// the bytes after the final line belong to the next reply and stay where
// they are.
//
// The server's text is hostile: nothing here reads past the given bytes, and
// a caller that keeps receiving while the reply stays incomplete must put its
// own cap on the buffer (kMaxFtpReplySize).

#include <cstddef>
#include <string>
#include <string_view>

enum class FtpReplyParse
{
    Incomplete, // no final line yet: receive more
    Complete,   // the first line has a code and the final line repeats it
    Malformed,  // complete, but the first line has no code or the final line another one
};

// Where a scan over a growing buffer left off: the start of the first line
// not yet known to be a continuation line, so the next call does not scan
// the whole buffer again. Start with 0 for every new reply; the caller
// resets it whenever it removes bytes from the buffer's front.
struct FtpReplyScan
{
    size_t m_lineStart = 0;
    // How far the line at m_lineStart is known to hold no line feed.
    size_t m_searched = 0;
};

// Parses the reply at the front of buffer. Needs more than 3 bytes. The code
// is the first line's three digits, or (when the first line has none) the
// final line's. The final line is the first line whose first three
// characters are digits and whose fourth is a blank; a line counts only when
// a line feed ends it. On a complete reply, text is everything from the
// front to the end of the final line (its line feed excluded) and consumed
// the byte count up to and including that line feed. On Incomplete, text,
// code and consumed are left alone and scan records the progress.
FtpReplyParse ParseReplyBuffer(std::string_view buffer, FtpReplyScan& scan, std::string& text, int& code,
                               size_t& consumed);
