#pragma once
// The hard caps on what the transfer engine accepts from a peer, in one place,
// so that "how big may this get" has one answer. A peer that goes past a cap
// is not speaking its protocol; the reader reports kResultProtocolError
// (ResultCodes.h) instead of letting a buffer grow without end.

#include <cstdint>

// The largest HTTP response header block, from the status line through the
// blank line that ends it. Real servers send a few kilobytes; proxies and
// servers with many cookies stay well below this.
inline constexpr int32_t kMaxResponseHeaderSize = 256 * 1024;

// The longest chunk-size line of a chunked HTTP body, chunk extensions
// included. The size itself needs at most 16 hex digits; the rest is room for
// extensions that nobody sends at this length.
inline constexpr int32_t kMaxChunkSizeLine = 4096;

// The trailer fields after the last chunk of a chunked body, all lines
// together; the same bound as a header block.
inline constexpr int32_t kMaxChunkTrailerSize = kMaxResponseHeaderSize;

// The largest Content-Length or chunk size believed (1 PiB). No file this
// program stores comes near it; a larger number is a broken or hostile
// header, not a body.
inline constexpr int64_t kMaxContentLength = int64_t(1) << 50;

// Interim (1xx) responses skipped before the final one of a request. Real
// servers send one "100 Continue" at most, or a few "103 Early Hints".
inline constexpr int kMaxInterimResponses = 16;

// The part of an unwanted body (an error page, a redirect's text) kept for
// the transfer log; the rest is read and discarded to keep the connection in
// step.
inline constexpr int32_t kMaxLoggedBodySize = 64 * 1024;

// The most of an unwanted body read to keep its connection for the next
// request. Past it, dropping the connection costs less than reading on, and
// a body without end never holds the request.
inline constexpr int64_t kMaxUnwantedBodySize = 1024 * 1024;

// A compressed body may inflate to this many times its size, and always to
// kMinInflatedSizeCap; past both it is a decompression bomb, not a file, and
// the download fails before it fills the disk.
inline constexpr int64_t kMaxInflationRatio = 1000;
inline constexpr int64_t kMinInflatedSizeCap = 64 * 1024 * 1024;

// The longest FTP reply taken from a control connection, all its lines
// together. Real replies (a long greeting, a FEAT list) stay within a few
// kilobytes; a server that never ends its reply has its connection dropped.
inline constexpr int32_t kMaxFtpReplySize = 1024 * 1024;
