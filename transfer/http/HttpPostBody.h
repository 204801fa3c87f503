#pragma once
// The body of a POST request as the user gives it (LI_POST_DATA), resolved
// once per request so that every pass of the request exchange sends the same
// bytes:
// - "data:" followed by text (one '?' right after "data:" is dropped too):
//   the text;
// - "file:" followed by a path: that file's content, read from its start in
//   blocks when it is sent;
// - anything else, and anything shorter than five bytes: sent unchanged.

#include "foundation/files/RawFile.h"

#include <cstdint>
#include <string>

class IHttpChannel;
class ITransferLog;

class CHttpPostBody
{
public:
    // Files this large or larger are refused (a Content-Length the request
    // builder and the block loop keep in 32 bits).
    static constexpr int64_t kMaxFileBody = int64_t(1) << 31;
    // A file body is sent in blocks of at most this many bytes.
    static constexpr int kFileBlockBytes = 0x8000;
    // Only the first block's first bytes are shown in the log.
    static constexpr int kLoggedBytes = 200;

    // Resolves the body. 0; for a "file:" body that cannot be opened, the
    // file's error code ("Cannot open file \"%s\"." as an error line); for a
    // file of kMaxFileBody or more, "File too big for POST processing:
    // \"%s\"." and 100.
    int Resolve(const uint8_t* data, int length, ITransferLog* log);

    // The byte count sent as Content-Length.
    int64_t GetLength() const { return m_isFile ? m_fileLength : int64_t(m_text.size()); }
    bool IsFile() const { return m_isFile; }

    // Sends the body (SendData). A file is read from its start again on
    // every call; a short read gives "Failed to read from file during POST
    // processing \"%s\"." and 112. Returns 0 or the failure's code.
    int Send(IHttpChannel& channel, ITransferLog* log);

private:
    bool m_isFile = false;
    std::string m_text;
    std::string m_path;
    int64_t m_fileLength = 0;
    CRawFile m_file;
};
