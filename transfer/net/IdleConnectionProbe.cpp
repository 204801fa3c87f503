#include "transfer/net/IdleConnectionProbe.h"

#include "transfer/net/Connection.h"

#include <vector>

namespace
{
constexpr int kStrayReadTimeoutMs = 1000;
} // namespace

IdleProbeResult ProbeIdleConnection(CConnection& connection, std::string& stray)
{
    stray.clear();
    // A look that does not wait at all, through the TLS layer when there is
    // one: a session ticket that came after the handshake is no answer.
    char peek[kIdleProbePeekBytes];
    const int peeked = connection.PeekNoWait(peek, sizeof peek);
    if (peeked < 0)
        return IdleProbeResult::Closed;
    if (peeked == 0)
        return IdleProbeResult::Quiet;

    const int timeout = connection.GetTimeout();
    connection.SetTimeout(kStrayReadTimeoutMs);
    std::vector<char> buffer(kIdleProbeStrayBytes);
    const int got = connection.Recv(buffer.data(), kIdleProbeStrayBytes);
    connection.SetTimeout(timeout);
    if (got > 0)
        stray.assign(buffer.data(), size_t(got));
    return IdleProbeResult::Stray;
}
