#pragma once
// Sending an HTTP request: the header text, then the body bytes, each logged
// the way the transfer logs show requests. A failed send drops the
// connection: part of a request may have gone out, so nothing more can be
// said on it.

#include "transfer/http/HttpChannel.h"

#include <string>

class ITransferLog;

// Sends request. With a log: "Sending request: "HTTP <method>"." (the text
// before the first blank of logged, or just "HTTP" when it has none after
// its first character) as a status line, then logged as a sent line. An
// empty logged text logs request itself; callers pass a copy with the
// credentials masked. Returns 0, or the reason of the failure (a time-out
// is logged as "Timeout on: "HTTP".", any other failure as "Request failed
// on sending: connection closed (error: %d).").
[[nodiscard]] int SendHeader(IHttpChannel& channel, const std::string& request, const std::string& logged,
               ITransferLog* log);

// Sends n body bytes. With a log: "Sending data: %d bytes." as a status line
// and, when showLimit is above 0, the first min(n, showLimit) bytes (zero
// bytes shown as '?') as a sent line. Returns 0, or the reason of the
// failure (a time-out logged as "Timeout on: "HTTP data send."", any other
// failure as "Data send failed.").
int SendData(IHttpChannel& channel, const char* data, int n, ITransferLog* log, int showLimit);
