#include "transfer/http/HttpChannel.h"

#include <cstring>

#include "foundation/text/ByteBuffer.h"
#include "transfer/net/Connection.h"
#include "transfer/base/ResultCodes.h"

namespace
{

// Sets the time-out and the observer for one operation and clears the
// observer when it ends.
class CScopedTraffic
{
public:
    CScopedTraffic(CConnection& connection, int timeoutMs, ITrafficObserver* observer)
        : m_connection(connection)
    {
        m_connection.SetTimeout(timeoutMs);
        m_connection.SetTrafficObserver(observer);
    }
    ~CScopedTraffic() { m_connection.SetTrafficObserver(nullptr); }
    CScopedTraffic(const CScopedTraffic&) = delete;
    CScopedTraffic& operator=(const CScopedTraffic&) = delete;

private:
    CConnection& m_connection;
};

} // namespace

bool CConnectionHttpChannel::Send(const char* data, int n)
{
    CScopedTraffic traffic(m_connection, TimeoutMs(), TrafficObserver());
    int sent = 0;
    while (sent < n)
    {
        const int result = m_connection.Send(data + sent, n - sent);
        if (result <= 0)
        {
            if (m_connection.GetLastError() == 0)
                m_connection.SetLastError(kResultControlClosed);
            return false;
        }
        sent += result;
    }
    return true;
}

int CConnectionHttpChannel::Receive(char* buffer, int size)
{
    CScopedTraffic traffic(m_connection, TimeoutMs(), TrafficObserver());
    return m_connection.Recv(buffer, size);
}

int CConnectionHttpChannel::GetLastError() const
{
    return m_connection.GetLastError();
}

void CConnectionHttpChannel::SetReceiveBlockSize(int bytes)
{
    m_connection.SetBufferSize(0, bytes);
}

int ReceiveAppend(IHttpChannel& channel, CByteBuffer& buffer, int maxBytes, int& error)
{
    error = 0;
    if (maxBytes <= 0)
        maxBytes = 1;
    const int32_t length = buffer.GetLength();
    if (length > CByteBuffer::kMaxCapacity - maxBytes)
    {
        error = kResultNoMoreHandles;
        return -1;
    }
    const int32_t room = buffer.GetCapacity() - length;
    if (room < maxBytes && !buffer.Grow(maxBytes - room))
    {
        error = kResultNoMoreHandles;
        return -1;
    }
    const int count = channel.Receive(reinterpret_cast<char*>(buffer.GetData()) + length, maxBytes);
    if (count < 0)
    {
        error = channel.GetLastError();
        if (error == 0)
            error = kResultControlClosed;
        return -1;
    }
    buffer.SetLength(length + count);
    return count;
}
