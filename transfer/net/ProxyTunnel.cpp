#include "transfer/net/ProxyTunnel.h"

#include <cstring>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <utility>

#include "foundation/text/ByteBuffer.h"
#include "foundation/links/UrlParts.h"
#include "platform/core/Text.h"
#include "transfer/net/Connection.h"
#include "transfer/net/HostAddress.h"
#include "transfer/http/HttpResponseHeader.h"
#include "transfer/base/OptionalLog.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLimits.h"
#include "transfer/base/TransferLogInterface.h"

namespace
{

// SOCKS wire values (RFC 1928, RFC 1929, SOCKS4).
constexpr uint8_t kSocks4Version = 0x04;
constexpr uint8_t kSocks4Granted = 0x5A;
constexpr uint8_t kSocks5Version = 0x05;
constexpr uint8_t kSocksConnect = 0x01;
constexpr uint8_t kSocks5NoAuth = 0x00;
constexpr uint8_t kSocks5UserPassword = 0x02;
constexpr uint8_t kUserPasswordVersion = 0x01;
constexpr uint8_t kAddressIPv4 = 0x01;
constexpr uint8_t kAddressDomain = 0x03;
constexpr uint8_t kAddressIPv6 = 0x04;
constexpr size_t kSocks4ReplySize = 8;
constexpr size_t kSocks5ReplyHeadSize = 4; // version, REP, reserved, address type
constexpr size_t kRfc1929MaxText = 255;

// The CONNECT reply is looked at in pieces of this size.
constexpr int kConnectReadPiece = 256;
constexpr std::string_view kBlankLine = "\r\n\r\n";

// One proxy handshake on a connection already connected to the proxy: sends
// and receives through the deadline-guarded raw calls, so every step is bound
// by the connection's time-out, and records failures as the callers expect
// (the code as last error, message 33 or 34 naming the target).
class CHandshake
{
public:
    CHandshake(IByteStream& connection, ITransferLog* log, std::string target, int port)
        : m_connection(connection), m_log(log), m_target(std::move(target)), m_port(port)
    {
    }

    // All bytes, or false with the failure recorded (message 34).
    bool Send(const void* data, size_t length)
    {
        if (m_connection.SendRaw(static_cast<const char*>(data), static_cast<int>(length), 0) ==
            static_cast<int>(length))
            return true;
        return Failed(SocketErrorOr(kWsaNotConn));
    }

    // Exactly length bytes, looping over short reads. False with the failure
    // recorded: a peer that closed first gives 10053 (message 33 when it
    // closed before the reply began and closedRefuses is set, else 34).
    bool Receive(void* buffer, size_t length, bool closedRefuses = false)
    {
        char* out = static_cast<char*>(buffer);
        size_t done = 0;
        while (done < length)
        {
            const int n = m_connection.RecvRaw(out + done, static_cast<int>(length - done), 0);
            if (n == 0)
            {
                if (closedRefuses && done == 0)
                    return Refused(kWsaConnAborted);
                return Failed(kWsaConnAborted);
            }
            if (n < 0)
                return Failed(SocketErrorOr(kWsaNotConn));
            done += static_cast<size_t>(n);
        }
        return true;
    }

    // Looks at up to size queued bytes without taking them (blocking until
    // some arrive).
    int Peek(char* buffer, int size)
    {
        const int n = m_connection.RecvRaw(buffer, size, MSG_PEEK);
        if (n == 0)
            Failed(kWsaConnAborted);
        else if (n < 0)
            Failed(SocketErrorOr(kWsaNotConn));
        return n;
    }

    // "Cannot connect to %s:%d via proxy (error: %d).": always false.
    bool Failed(int code)
    {
        m_connection.SetLastError(code);
        LogMessage(m_log, kLogError, kMessageProxyFailed, m_target.c_str(), m_port, code);
        return false;
    }

    // "Cannot connect to %s:%d via proxy.": always false.
    bool Refused(int code)
    {
        m_connection.SetLastError(code);
        LogMessage(m_log, kLogError, kMessageProxyRefused, m_target.c_str(), m_port);
        return false;
    }

private:
    // A raw call that failed without a socket leaves the last error alone;
    // a failure must never read as success.
    int SocketErrorOr(int fallback) const
    {
        const int error = m_connection.GetLastError();
        return error != 0 ? error : fallback;
    }

    IByteStream& m_connection;
    ITransferLog* m_log;
    std::string m_target;
    int m_port;
};

void AppendPort(std::string& bytes, int port)
{
    bytes += static_cast<char>((port >> 8) & 0xFF);
    bytes += static_cast<char>(port & 0xFF);
}

// The address is in network byte order: its bytes go out as they lie.
void AppendAddress(std::string& bytes, uint32_t address)
{
    char raw[4];
    std::memcpy(raw, &address, sizeof raw);
    bytes.append(raw, sizeof raw);
}

bool IncorrectParameter(IByteStream& connection, ITransferLog* log, const char* what)
{
    connection.SetLastError(kResultInvalidParameter);
    LogMessage(log, kLogError, kMessageIncorrectParameter, what);
    return false;
}

// A host name goes into the CONNECT request line as it is: one holding a
// blank or a control character (a line break above all) could end the line
// and add lines of its own.
bool IsSafeRequestHost(std::string_view host)
{
    if (host.empty())
        return false;
    for (char c : host)
    {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7F)
            return false;
    }
    return true;
}

// How many bytes of piece belong to the header block whose first bytes,
// collected, are already taken (the blank line may straddle the two), or 0
// when the block does not end within piece.
size_t HeaderEndInPiece(const std::string& collected, std::string_view piece)
{
    const size_t tailLength = collected.size() < 3 ? collected.size() : 3;
    std::string window = collected.substr(collected.size() - tailLength);
    window.append(piece);
    const size_t at = window.find(kBlankLine);
    if (at == std::string::npos)
        return 0;
    return at + kBlankLine.size() - tailLength;
}

} // namespace

bool ConnectThroughProxy(CConnection& connection, const char* host, int port, const char* proxyUrl,
                         ITransferLog* log)
{
    connection.SetLastError(kResultOk);
    CUrlParts proxy;
    std::string path;
    if (!proxyUrl || !ParseUrlToParts(proxyUrl, proxy, path, false))
        return IncorrectParameter(connection, log, "proxy url");
    switch (proxy.m_scheme)
    {
    case URL_SCHEME_HTTP:
    case URL_SCHEME_HTTPS:
    case URL_SCHEME_FTP:
    case URL_SCHEME_SOCKS4:
    case URL_SCHEME_SOCKS5:
        break;
    default:
        return IncorrectParameter(connection, log, "proxy type");
    }
    const char* target = host ? host : "";
    const bool tunnel = proxy.m_scheme != URL_SCHEME_HTTP && proxy.m_scheme != URL_SCHEME_FTP;
    // SOCKS carries the port in two bytes: a wider value would quietly
    // reach another port.
    if (tunnel && (port < 1 || port > 0xFFFF))
        return IncorrectParameter(connection, log, "port");

    uint32_t address = 0;
    const bool socks = proxy.m_scheme == URL_SCHEME_SOCKS4 || proxy.m_scheme == URL_SCHEME_SOCKS5;
    int failure = kResultOk;
    if (socks && !ResolveHost(target, &address, connection.GetTimeout(), connection.GetAbortFlag(), &failure))
    {
        connection.SetLastError(failure);
        if (failure != kResultStopped)
            LogMessage(log, kLogError, kMessageHostNotFound, target);
        return false;
    }

    if (!connection.ConnectHost(proxy.m_host.c_str(), proxy.m_port, log))
        return false;

    switch (proxy.m_scheme)
    {
    case URL_SCHEME_HTTPS:
        return HttpConnectTunnel(connection, target, port, log);
    case URL_SCHEME_SOCKS4:
        return Socks4Connect(connection, proxy.m_user.c_str(), address, port, log);
    case URL_SCHEME_SOCKS5:
        return Socks5Connect(connection, proxy.m_user.c_str(), proxy.m_password.c_str(), address, port, log);
    default: // a plain http or ftp proxy: the client speaks to the proxy itself
        return true;
    }
}

bool HttpConnectTunnel(IByteStream& stream, const char* host, int port, ITransferLog* log)
{
    stream.SetLastError(kResultOk);
    const std::string target = host ? host : "";
    if (!IsSafeRequestHost(target))
        return IncorrectParameter(stream, log, "host");
    CHandshake handshake(stream, log, target, port);

    const std::string request =
        Format("CONNECT %s:%d HTTP/1.0\r\n\r\n", AuthorityHost(target).c_str(), port);
    LogMessage(log, kLogStatus, kMessageSendingRequestText, "HTTP CONNECT");
    if (log)
        log->AppendLine(kLogSent, request);
    if (!handshake.Send(request.data(), request.size()))
        return false;

    // Only the header block is taken from the socket: what the server sends
    // right after the proxy's blank line stays queued for the protocol
    // client (a server that speaks first, such as FTP, may be that quick).
    std::string block;
    for (;;)
    {
        char piece[kConnectReadPiece];
        const int peeked = handshake.Peek(piece, sizeof piece);
        if (peeked <= 0)
            return false;
        const size_t end = HeaderEndInPiece(block, std::string_view(piece, static_cast<size_t>(peeked)));
        const size_t take = end != 0 ? end : static_cast<size_t>(peeked);
        if (block.size() + take > static_cast<size_t>(kMaxResponseHeaderSize))
        {
            // Whatever sends this much without ending its header is not a
            // proxy to talk to any further.
            stream.CloseSocket();
            LogMessage(log, kLogError, kMessageProtocolError, "proxy reply header too long");
            return handshake.Refused(kResultProtocolError);
        }
        if (!handshake.Receive(piece, take))
            return false;
        block.append(piece, take);
        if (end != 0)
            break;
    }
    if (log)
        log->AppendLine(kLogReceived, block);

    CByteBuffer header;
    if (!header.Grow(static_cast<int32_t>(block.size())))
        return handshake.Failed(kResultNoMoreHandles);
    std::memcpy(header.GetData(), block.data(), block.size());
    header.SetLength(static_cast<int32_t>(block.size()));
    std::string version;
    std::string status;
    const bool granted = ParseStatusLine(header, version, status) && status.compare(0, 3, "200") == 0 &&
                         (status.size() == 3 || status[3] == ' ');
    if (!granted)
        return handshake.Refused(kResultInvalidParameter);
    return true;
}

bool Socks4Connect(IByteStream& stream, const char* user, uint32_t address, int port, ITransferLog* log)
{
    stream.SetLastError(kResultOk);
    CHandshake handshake(stream, log, FormatIPv4(address), port);

    std::string request;
    request += static_cast<char>(kSocks4Version);
    request += static_cast<char>(kSocksConnect);
    AppendPort(request, port);
    AppendAddress(request, address);
    request += (user && *user) ? user : "noname";
    request += '\0';
    if (!handshake.Send(request.data(), request.size()))
        return false;

    uint8_t reply[kSocks4ReplySize];
    if (!handshake.Receive(reply, sizeof reply))
        return false;
    if (reply[0] != 0x00 || reply[1] != kSocks4Granted)
        return handshake.Refused(kResultInvalidParameter);
    return true;
}

bool Socks5Connect(IByteStream& stream, const char* user, const char* password, uint32_t address, int port,
                   ITransferLog* log)
{
    stream.SetLastError(kResultOk);
    CHandshake handshake(stream, log, FormatIPv4(address), port);
    const std::string_view userText = user ? user : "";
    const std::string_view passwordText = password ? password : "";

    const uint8_t greeting[] = {kSocks5Version, 0x01, userText.empty() ? kSocks5NoAuth : kSocks5UserPassword};
    if (!handshake.Send(greeting, sizeof greeting))
        return false;

    uint8_t method[2];
    if (!handshake.Receive(method, sizeof method))
        return false;
    if (method[0] != kSocks5Version)
        return handshake.Refused(kResultInvalidParameter);
    if (method[1] == kSocks5UserPassword)
    {
        // RFC 1929 gives each text one length byte: a longer one cannot be
        // sent whole, and a cut one would log on as somebody else.
        if (userText.empty() || passwordText.empty() || userText.size() > kRfc1929MaxText ||
            passwordText.size() > kRfc1929MaxText)
            return handshake.Refused(kResultInvalidParameter);
        std::string login;
        login += static_cast<char>(kUserPasswordVersion);
        login += static_cast<char>(userText.size());
        login += userText;
        login += static_cast<char>(passwordText.size());
        login += passwordText;
        if (!handshake.Send(login.data(), login.size()))
            return false;
        uint8_t status[2];
        if (!handshake.Receive(status, sizeof status))
            return false;
        if (status[0] != kUserPasswordVersion || status[1] != 0x00)
            return handshake.Refused(kResultInvalidParameter);
    }
    else if (method[1] != kSocks5NoAuth)
    {
        return handshake.Refused(kResultInvalidParameter);
    }

    std::string request;
    request += static_cast<char>(kSocks5Version);
    request += static_cast<char>(kSocksConnect);
    request += '\0';
    request += static_cast<char>(kAddressIPv4);
    AppendAddress(request, address);
    AppendPort(request, port);
    if (!handshake.Send(request.data(), request.size()))
        return false;

    // The reply carries the proxy's bound address in the form its type
    // says, so its length is known only once the type is read. All of it is
    // taken: a byte left behind would reach the protocol client as if the
    // server had sent it.
    uint8_t head[kSocks5ReplyHeadSize];
    if (!handshake.Receive(head, sizeof head, true))
        return false;
    if (head[0] != kSocks5Version)
        return handshake.Refused(kResultInvalidParameter);
    if (head[1] != 0x00)
        return handshake.Refused(head[1]);

    size_t rest = 0;
    switch (head[3])
    {
    case kAddressIPv4:
        rest = 4 + 2;
        break;
    case kAddressIPv6:
        rest = 16 + 2;
        break;
    case kAddressDomain:
    {
        uint8_t length = 0;
        if (!handshake.Receive(&length, 1))
            return false;
        rest = static_cast<size_t>(length) + 2;
        break;
    }
    default:
        return handshake.Refused(kResultInvalidParameter);
    }
    uint8_t bound[255 + 2];
    if (!handshake.Receive(bound, rest))
        return false;
    return true;
}
