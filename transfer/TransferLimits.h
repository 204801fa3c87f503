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
