#include "transfer/IdleConnectionProbe.h"

#include "platform/core/Socket.h"
#include "platform/core/SocketError.h"
#include "transfer/Connection.h"
#include "transfer/SocketHandle.h"

#include <memory>
#include <sys/socket.h>
#include <vector>

namespace
{
constexpr int kStrayReadTimeoutMs = 1000;
} // namespace

IdleProbeResult ProbeIdleConnection(CConnection& connection, std::string& stray)
{
    stray.clear();
    const std::shared_ptr<CSocket> socket = connection.GetHandle()->GetSocket();
    if (!socket)
        return IdleProbeResult::Closed;
    // A peek that does not wait at all: the socket's non-blocking receive
    // tells at once whether bytes, the end of the stream or nothing waits
    // (nothing reads as an expired zero wait).
    char peek[kIdleProbePeekBytes];
    int error = 0;
    const long peeked = socket->Recv(peek, sizeof peek, MSG_PEEK, 0, &error);
    if (peeked < 0)
        return error == WSAETIMEDOUT ? IdleProbeResult::Quiet : IdleProbeResult::Closed;
    if (peeked == 0)
        return IdleProbeResult::Closed;

    const int timeout = connection.GetTimeout();
    connection.SetTimeout(kStrayReadTimeoutMs);
    std::vector<char> buffer(kIdleProbeStrayBytes);
    const int got = connection.Recv(buffer.data(), kIdleProbeStrayBytes);
    connection.SetTimeout(timeout);
    if (got > 0)
        stray.assign(buffer.data(), size_t(got));
    return IdleProbeResult::Stray;
}
