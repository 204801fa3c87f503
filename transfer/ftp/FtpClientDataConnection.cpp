// The data connection of CFtpClient: passive (PASV) or active (PORT), the
// restart offset, and receiving a LIST or RETR body into a sink.
#include "transfer/ftp/FtpClient.h"

#include "foundation/links/LinkItem.h"
#include "foundation/text/StreamInterface.h"
#include "platform/core/Text.h"
#include "transfer/ftp/FtpReplyText.h"
#include "transfer/net/HostAddress.h"
#include "transfer/base/OptionalLog.h"
#include "transfer/net/ProxySelection.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLimits.h"
#include "transfer/base/TransferProgress.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace
{

constexpr int kMaxBodyBlock = 65536;

// Only a plain FTP proxy carries data connections; behind any other proxy
// the data connection goes straight to the address of the PASV reply.
bool IsFtpProxy(const std::string& proxy)
{
    return StartsWithNoCase(proxy, "ftp://");
}
} // namespace

int CFtpClient::OpenDataConnection(CLinkItem& request, const std::string& transferCommand, int64_t offset,
                                   ITransferLog* log, std::string& preliminary)
{
    if (IsAborted())
        return kResultStopped;
    // A request that never took the settings reads 0, active, as a missing
    // property reads everywhere.
    int type = kDataActive;
    request.GetInt(LI_FTP_DATA_CONNECTION, type);
    preliminary.clear();
    const int result = type == kDataActive ? OpenActive(transferCommand, offset, log, preliminary)
                                           : OpenPassive(type, transferCommand, offset, log, preliminary);
    if (result != kResultOk)
        m_data.Close();
    return result;
}

int CFtpClient::OpenPassive(int type, const std::string& transferCommand, int64_t offset, ITransferLog* log,
                            std::string& preliminary)
{
    std::string replyText;
    int replyCode = 0;
    int result = CommandExpect("PASV", log, replyText, replyCode, 2);
    if (result != kResultOk)
        return result;
    uint32_t address = 0;
    int port = 0;
    if (!ParsePasvAddress(replyText, address, port))
        return kResultProtocolError;
    // Only the server's own address is trusted for its data port: a hostile
    // or confused reply could otherwise aim the data connection (and what is
    // sent over it) at any other host. It also mends servers behind NAT that
    // name their private address. Through a proxy the peer is the proxy, so
    // the named address is kept there.
    uint32_t peer = 0;
    int peerPort = 0;
    if (IsDirectProxy(GetProxyKey()) && m_control.GetPeerAddress(&peer, &peerPort) && peer != address)
    {
        LogFormat(log, kLogStatus, "PASV address %s replaced by the server's address %s.",
                  FormatIPv4(address).c_str(), FormatIPv4(peer).c_str());
        address = peer;
    }
    if (offset != kNoOffset)
    {
        result = SendRestart(offset, log);
        if (result != kResultOk)
            return result;
    }
    if (type == kDataPassive)
    {
        result = SendCommand(transferCommand, log);
        if (result != kResultOk)
            return result;
    }

    m_data.CloseSocket();
    std::string proxy = GetProxyKey();
    if (!IsFtpProxy(proxy))
        proxy.clear();
    if (!m_data.ConnectViaProxyToAddress(address, port, proxy.c_str(), log))
    {
        result = IsAborted() ? kResultStopped : m_data.GetLastError();
        // The server may still answer the transfer command, or hold a
        // restart offset meant for it: the next command would read a reply
        // that is not its own. A fresh connection is the only sure way back
        // into step.
        SetConnectedState(false);
        return result != kResultOk ? result : kResultDataClosed;
    }
    LogFormat(log, kLogStatus, "PASV - data connection established.");

    if (type != kDataPassive)
    {
        result = SendCommand(transferCommand, log);
        if (result != kResultOk)
            return result;
    }
    result = ReadReply(log, preliminary, replyCode);
    if (result != kResultOk)
        return result;
    return IsReplyClass(replyCode, 1) ? kResultOk : ReplyClassResult(replyCode);
}

int CFtpClient::SendRestart(int64_t offset, ITransferLog* log)
{
    std::string replyText;
    int replyCode = 0;
    const int result =
        CommandExpect(Format("REST %I64d", static_cast<long long>(offset)), log, replyText, replyCode, 3);
    // Starting at byte 0 needs no restart: a server that knows no REST, and
    // says so, still sends the whole file. Any other offset must be honoured.
    const bool refused = result != kResultOk && (IsReplyClass(replyCode, 4) || IsReplyClass(replyCode, 5));
    if (refused && offset == 0)
        return kResultOk;
    if (refused)
    {
        LogFormat(log, kLogError, "Server refused to resume at %I64d.", static_cast<long long>(offset));
        return kResultBadResumeOffset;
    }
    return result;
}

int CFtpClient::OpenActive(const std::string& transferCommand, int64_t offset, ITransferLog* log,
                           std::string& preliminary)
{
    uint32_t address = 0;
    int port = 0;
    if (!m_control.GetLocalAddress(&address, &port))
        return m_control.GetLastError();
    CConnection listener;
    if (!listener.BindAndListen(address, 0, 1, log))
        return IsAborted() ? kResultStopped : listener.GetLastError();
    if (!listener.GetLocalAddress(&address, &port))
        return listener.GetLastError();

    std::string replyText;
    int replyCode = 0;
    int result = CommandExpect(FormatPortCommand(address, port), log, replyText, replyCode, 2);
    if (result != kResultOk)
        return result;
    if (offset != kNoOffset)
    {
        result = SendRestart(offset, log);
        if (result != kResultOk)
            return result;
    }
    result = CommandExpect(transferCommand, log, preliminary, replyCode, 1);
    if (result != kResultOk)
        return result;

    // Anyone may reach a listening port; only the server may deliver the
    // file. Through a proxy the control peer is the proxy, not the host the
    // data comes from, so nobody is singled out there (as with PASV).
    uint32_t server = 0;
    int serverPort = 0;
    if (IsDirectProxy(GetProxyKey()))
        m_control.GetPeerAddress(&server, &serverPort);
    // Abort closes the data connection's socket, not the listener's: the
    // wait is bounded by the listener's time-out either way.
    listener.SetTimeout(m_data.GetTimeout());
    if (!listener.Accept(m_data, log, server))
    {
        result = IsAborted() ? kResultStopped : listener.GetLastError();
        // The server has accepted the transfer command and will answer it
        // once its own connect fails.
        SetConnectedState(false);
        return result != kResultOk ? result : kResultDataClosed;
    }
    listener.Close();
    return kResultOk;
}

int CFtpClient::ReceiveBody(StreamInterface& sink, int64_t expected, int64_t minimum, ITransferLog* log,
                            bool logData, ITransferProgress* progress)
{
    const bool known = expected >= 0;
    const int block =
        known && expected >= 1 && expected <= 65535 ? static_cast<int>(expected) : kMaxBodyBlock;
    m_data.SetBufferSize(0, block);
    std::vector<char> buffer(static_cast<size_t>(block));

    int64_t total = 0;
    // A listing can be megabytes: only its head goes to the log, which is
    // kept in memory and shown to the user.
    int64_t logged = 0;
    bool cut = false;
    for (;;)
    {
        if (IsAborted())
        {
            m_data.CloseSocket();
            return kResultStopped;
        }
        int ask = block;
        if (known && expected - total < ask)
            ask = static_cast<int>(expected - total);
        const int received = ask > 0 ? m_data.Recv(buffer.data(), ask) : 0;
        if (IsAborted())
        {
            m_data.CloseSocket();
            return kResultStopped;
        }
        if (received < 0)
        {
            const int error = m_data.GetLastError();
            m_data.CloseSocket();
            if (error == kResultTimeout)
                LogMessage(log, kLogError, kMessageTimeoutOn, "FTP recv body");
            else
                LogMessage(log, kLogError, kMessageDataClosedCode, error);
            return error != 0 ? error : kResultDataClosed;
        }
        if (received == 0)
        {
            m_data.CloseSocket();
            const int64_t needed = known ? expected : minimum;
            if (needed < 0 || total >= needed)
                return kResultOk;
            LogFormat(log, kLogError,
                      "Transfer aborted: connection closed by server, bytes expected %I64d, received %I64d.",
                      static_cast<long long>(needed), static_cast<long long>(total));
            return kResultDataClosed;
        }
        if (sink.Write(buffer.data(), received) != received)
        {
            m_data.CloseSocket();
            LogFormat(log, kLogError, "Transfer aborted: cannot write to file, no disk space.");
            return kResultDiskFull;
        }
        total += received;
        if (progress)
            progress->Advance(received);
        if (logData && log && !cut)
        {
            const int64_t keep = std::min<int64_t>(received, kMaxLoggedBodySize - logged);
            if (keep > 0)
                log->AppendLine(kLogRaw, std::string_view(buffer.data(), static_cast<size_t>(keep)));
            logged += keep;
            cut = keep < received;
            if (cut)
                LogFormat(log, kLogStatus, "Listing longer than %d bytes: the rest is not logged.",
                          static_cast<int>(kMaxLoggedBodySize));
        }
        if (known && total >= expected)
        {
            m_data.CloseSocket();
            return kResultOk;
        }
    }
}

int CFtpClient::ReadClosingReply(int bodyResult, bool judgeReply, ITransferLog* log)
{
    if (bodyResult == kResultStopped)
    {
        // The closing reply stays unread: the connection is out of step.
        SetConnectedState(false);
        return bodyResult;
    }
    std::string replyText;
    int replyCode = 0;
    const int result = ReadReply(log, replyText, replyCode);
    if (bodyResult != kResultOk)
        return bodyResult;
    if (result != kResultOk)
        return result;
    // The server saying that the transfer failed (426 connection closed,
    // 451 local error) means the body is incomplete, whatever arrived.
    if (judgeReply && (IsReplyClass(replyCode, 4) || IsReplyClass(replyCode, 5)))
        return ReplyClassResult(replyCode);
    return kResultOk;
}
