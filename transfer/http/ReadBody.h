#pragma once
// Receiving HTTP bodies: delimited by a length, chunked, or by the server
// closing the connection. Bytes already in the client's receive buffer (what
// came with the header) are used first; body bytes go from the receive
// buffer straight to the sink and are erased from it. Blocks of at most
// 0x8000 bytes are received, with the socket's receive buffer sized to the
// block.
//
// Every failure that leaves unread or doubtful bytes on the connection drops
// it (IHttpChannel::Drop), so a later request never reads a stale body. The
// abort flag is tested before and after every receive; a set flag gives 3.

#include <cstdint>

class CByteBuffer;
class IHttpChannel;
class ITransferLog;
class ITransferProgress;
class StreamInterface;

// Whether the response's "Transfer-Encoding:" value is "chunked" (ignoring
// case).
bool IsChunkedBody(const CByteBuffer& header);

// Reads one body into sink. expected is the number of body bytes wanted, -1
// when unknown; chunked selects the chunked coding. progress (may be null)
// gets Advance for every piece written and SetTotal with the count received
// when the body is complete.
//
// The body is complete when expected bytes arrived; for a chunked body when
// its last chunk and trailer were read (a chunked body that comes to fewer
// than a known expected count gives kResultControlClosed); otherwise when the server closes
// the connection, which is also the end of a body of unknown length. A server
// that sends more than expected has the surplus discarded and the connection
// dropped. Result codes:
//   0     complete;
//   3     aborted;
//   kResultDiskFull   the sink took fewer bytes than given ("Transfer aborted: cannot
//         write to file, no disk space.");
//   kResultControlClosed  the server closed before the body was complete (including a
//         chunked body before its last chunk);
//   kResultProtocolError  malformed chunked coding;
//   110 or a WinSock number: the receive failed.
[[nodiscard]] int ReadBody(IHttpChannel& channel, CByteBuffer& receive, StreamInterface& sink,
                           int64_t expected, bool chunked, ITransferLog* log, ITransferProgress* progress);

// Reads away the body of a response that nobody wants (a redirect's, a
// 401's, an error page) so that the connection can carry the next request.
// First applies UpdateKeepAlive. A chunked body is read to its end; a body
// without Content-Length cannot be delimited on this connection, which is
// dropped (result 0); an invalid Content-Length drops it and gives kResultProtocolError; a
// length of 0 reads nothing. At most kMaxUnwantedBodySize bytes are read:
// a longer body has its connection dropped there (result 0), so an endless
// one never holds the request. With showDetails the first kMaxLoggedBodySize
// bytes are logged between two lines of 43 '-', the rest is discarded.
// A failure of ReadBody drops the connection and is returned.
[[nodiscard]] int ReadBodyToLog(IHttpChannel& channel, CByteBuffer& receive, const CByteBuffer& header,
                                ITransferLog* log, bool showDetails);
