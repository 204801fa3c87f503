#pragma once
// Storing what a response header says about the resource on the request
// item: type, encoding, location, entity tag, size, modification time, kind
// (properties LI_CONTENT_TYPE to LI_INFO_DATE of LinkItem.h).

#include <cstdint>

class CByteBuffer;
class CLinkItem;

// The values read from a response header besides the item's properties.
// Unknown numbers are -1 (range start 0).
struct SResponseLengths
{
    int64_t m_contentLength = -1;
    int64_t m_rangeStart = 0;
    int64_t m_rangeEnd = -1;
    // The size of the whole resource: the Content-Length, or for a partial
    // response the total after '/' in Content-Range; -1 when unknown ("*")
    // or when the length on the wire is not the size (a body with a content
    // coding).
    int64_t m_size = -1;
};

// For a response of the given status:
// 1. LI_INFO_DATE becomes the local time now ("%m/%d/%Y %H:%M:%S"), and the
//    type, encoding, location, entity tag, size, size-known flag, kind and
//    time properties of an earlier answer are gone (for a success, each is
//    replaced by the steps below or removed where they give none). A status
//    outside 200..299 ends here.
// 2. LI_CONTENT_TYPE and LI_CONTENT_ENCODING take their fields' values;
//    LI_CONTENT_LOCATION the Content-Location resolved against the item's
//    URL (with its user name, never its password); LI_ETAG the ETag less a
//    leading "W/" (any case).
// 3. The Content-Length must be valid (ContentLength.h) when present. For
//    206 the Content-Range must read and the Content-Length must equal its
//    last - first + 1, and a content coding is allowed only on
//    "application/x-tar"; otherwise the size is the Content-Length, or -1
//    with a content coding on any type but "application/x-tar".
// 4. LI_SIZE = the size, LI_SIZE_KNOWN = 1 when it is not -1, else 0;
//    LI_RESOURCE_TYPE from the type and the request path; LI_TIME the
//    Last-Modified date (text up to its first ',' dropped), read as GMT and
//    stored as local time in "%m/%d/%Y %H:%M:%S", when it reads.
// 5. When LI_HEADER_FILE names a file, the header text is appended to it
//    (created when missing; nothing is written when it cannot be opened).
// Returns 0, or kResultProtocolError when step 3 fails (the properties of steps 4 and 5 are
// then absent). lengths is filled as far as it was read.
int ParseResponseHeaders(int status, CLinkItem& item, const CByteBuffer& header, SResponseLengths& lengths);
