#pragma once
// Whether the connection of an HTTP response may carry the next request.

class CByteBuffer;
class IHttpChannel;

// False when the server says it closes the connection after this response:
// "Proxy-Connection: close", or no Proxy-Connection field and
// "Connection: close" (values ignoring case), or a Keep-Alive value holding
// "timeout=1 " (a server about to close the idle connection). A response
// without these fields keeps the connection.
bool ResponseKeepsConnection(const CByteBuffer& header);

// Ends keep-alive on channel (IHttpChannel::EndKeepAlive) when the response
// does not keep the connection; the rest of the response may still be read.
void UpdateKeepAlive(IHttpChannel& channel, const CByteBuffer& header);
