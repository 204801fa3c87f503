#pragma once
// Receiving an HTTP response header: reading bytes until a whole header
// block is in the client's receive buffer, cutting it out
// (SplitResponseHeader), reading its status and storing its cookie.
// Interim responses (1xx) are read past, so the caller sees the final
// answer to its request.

#include <string>

class CByteBuffer;
class CCookieStore;
class CLinkItem;
class IHttpChannel;
class ITransferLog;

// Whether ReadResponseHeader returns an interim response or reads past it.
enum EInterimResponses
{
    kSkipInterim = 0,
    // For a caller that looks at the server's early answer to a request
    // whose body it has not sent yet: "100 Continue" is the go-ahead.
    kReturnInterim = 1,
};

// Moves one header block from receive into header (followed by a zero
// byte), receiving more in reads of 1024 bytes as needed; the bytes after
// the block stay in receive. The block is logged as a received line.
// Results: kResultOk; kResultStopped aborted; kResultControlClosed the server closed first ("Control
// connection closed."); kResultProtocolError a block longer than kMaxResponseHeaderSize; kResultTimeout or a
// WinSock number when a receive failed. Every failure drops the connection.
[[nodiscard]] int ReadHeaderBlock(IHttpChannel& channel, CByteBuffer& receive, CByteBuffer& header,
                                  ITransferLog* log);

// Logs "Received reply." and reads one response header into header (see
// ReadHeaderBlock), then its status line. status is 0 until a status was
// read, then the value of the status text's three digits. With kSkipInterim,
// a 1xx response other than "101 Switching Protocols" is read past and the
// next header read, up to kMaxInterimResponses of them (then kResultProtocolError). A header
// without a valid status line drops the connection and gives 1009. The
// cookie of the final response goes into cookies (StoreResponseCookie);
// null stores none.
[[nodiscard]] int ReadResponseHeader(IHttpChannel& channel, CByteBuffer& receive, CLinkItem& item,
                                     CByteBuffer& header, int& status, ITransferLog* log,
                                     CCookieStore* cookies, EInterimResponses interim = kSkipInterim);

// With a log, the header's text (without its zero byte) as one received line.
void LogResponseHeader(const CByteBuffer& header, ITransferLog* log);

// When the item sends cookies (bit LI_OPTION_SEND_COOKIES of
// LI_REQUEST_OPTIONS), the first "Set-Cookie:" value of the header is handed
// to the store with the host of the item's URL and the local time now.
// Further Set-Cookie fields of the same response are not stored.
void StoreResponseCookie(const CLinkItem& item, const CByteBuffer& header, CCookieStore& store);
