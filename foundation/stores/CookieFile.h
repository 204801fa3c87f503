#pragma once
// CCookieFile: a cookie store bound to one open file of kCookieFileName, the
// visitor through which CCookieStore saves (its Enumerate into a writing
// CCookieFile) and loads (a reading CCookieFile's Enumerate into the store).
// Only AddCookie and Enumerate are its own; it keeps no cookies.
//
// One line per dated cookie, each line beginning with a blank:
//   Domain="%s" Path="%s" Secure="%d" Expires="%s" Cookie="%s" Added="%s"\r\n
// Secure is 0 or 1; Expires is the UTC expiry as "%m/%d/%Y %H:%M:%S GMT",
// Added the local time of arrival as "%m/%d/%Y %H:%M:%S". A value holding a
// double quote is written in single quotes (bare when it holds both kinds),
// so that the reader, which takes values exactly as they stand, gets it back
// unchanged; a cookie that no form can carry is left out.
//
// Reading matches the attribute names without regard to case, ignores other
// names, counts Secure as set only for exactly "1", and hands each line to
// the visitor's AddCookie, which skips the lines it refuses.

#include "foundation/stores/CookieStore.h"

class CAtomicFile;
class CBufferedFile;

class CCookieFile : public CCookieStore
{
public:
    // Writing: AddCookie appends lines to output.
    explicit CCookieFile(CAtomicFile& output);
    // Reading: Enumerate reads the lines of input.
    explicit CCookieFile(CBufferedFile& input);

    // Writes the line of a dated cookie. True when written; false for a
    // session cookie, one the line cannot carry, or a failed write.
    bool AddCookie(std::string_view domain, std::string_view path, bool secure, std::string_view cookie,
                   std::string_view expires, const COleDateTime& added) override;

    // Hands every line of the input to visitor.AddCookie.
    void Enumerate(CCookieStore& visitor) override;

    // Whether a write to the output failed.
    bool HasWriteFailed() const { return m_writeFailed; }

private:
    CAtomicFile* m_output = nullptr;
    CBufferedFile* m_input = nullptr;
    bool m_writeFailed = false;
};
