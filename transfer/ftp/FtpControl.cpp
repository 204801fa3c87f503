// The control connection of CFtpClient: sending commands, reading replies,
// the expected-class check and the connected state.
#include "transfer/ftp/FtpClient.h"

#include "platform/core/Text.h"
#include "transfer/net/IdleConnectionProbe.h"
#include "transfer/base/LogMessages.h"
#include "transfer/base/OptionalLog.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferLimits.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace
{

// The block asked for per receive while a reply is incomplete.
constexpr int kReplyReceiveBlock = 256;
} // namespace

int CFtpClient::ReplyClassResult(int replyCode)
{
    switch (replyCode / 100)
    {
    case 4:
        return kResultFtp4xx;
    case 5:
        return kResultFtp5xx;
    default:
        return kResultFtpError;
    }
}

bool CFtpClient::IsReplyClass(int replyCode, int replyClass)
{
    return replyCode == replyClass || replyCode / 100 == replyClass;
}

int CFtpClient::SendCommand(const std::string& command, ITransferLog* log)
{
    const std::string text = Trim(command, "\r\n");
    if (text.empty())
    {
        LogFormat(log, kLogError, "Empty parameter for FTP command.");
        return kResultEmptyParameter;
    }
    // A path or user name from a link may hold an encoded line break; sent
    // as it is, the rest of it would reach the server as a command of its own.
    if (text.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
    {
        LogFormat(log, kLogError, "Invalid character in FTP command, not sent.");
        return kResultInvalidParameter;
    }
    if (log)
        log->AppendLine(kLogSent, MaskPasswordCommand(text));
    const std::string line = text + "\r\n";
    if (m_control.Send(line.data(), static_cast<int>(line.size())) != static_cast<int>(line.size()))
    {
        const int error = m_control.GetLastError();
        SetConnectedState(false);
        if (IsAborted())
            return kResultStopped;
        LogFormat(log, kLogError,
                  error == kResultTimeout ? "Request timeouted." : "Request failed on sending.");
        return error != 0 ? error : kResultControlClosed;
    }
    return kResultOk;
}

int CFtpClient::ReadReply(ITransferLog* log, std::string& replyText, int& replyCode)
{
    for (;;)
    {
        const std::string_view buffered = m_replyBuffer.GetText();
        std::string text;
        int code = 0;
        size_t consumed = 0;
        const FtpReplyParse parsed = ParseReplyBuffer(buffered, m_replyScan, text, code, consumed);
        if (parsed != FtpReplyParse::Incomplete)
        {
            const int32_t rest = m_replyBuffer.GetLength() - static_cast<int32_t>(consumed);
            if (rest > 0)
                std::memmove(m_replyBuffer.GetData(), m_replyBuffer.GetData() + consumed,
                             static_cast<size_t>(rest));
            m_replyBuffer.SetLength(rest);
            m_replyScan = FtpReplyScan();

            replyText = TrimRight(text, "\r\n");
            replyCode = code;
            if (log)
            {
                log->AppendLine(kLogReceived, replyText);
                if (parsed == FtpReplyParse::Malformed)
                    log->AppendLine(kLogError,
                                    "WARNING: Incorrect reply received from server: 3 digit number "
                                    "expected at the beginning of the server reply.");
            }
            return kResultOk;
        }

        if (m_replyBuffer.GetLength() >= kMaxFtpReplySize)
        {
            LogFormat(log, kLogError, "Reply from server too long (over %d bytes), connection dropped.",
                      static_cast<int>(kMaxFtpReplySize));
            SetConnectedState(false);
            return kResultProtocolError;
        }
        if (IsAborted())
        {
            // The reply stays unread: the connection is out of step.
            SetConnectedState(false);
            return kResultStopped;
        }
        // Doubling keeps a long reply from being copied again on every block.
        if (m_replyBuffer.GetCapacity() - m_replyBuffer.GetLength() < kReplyReceiveBlock &&
            !m_replyBuffer.Grow(std::max(kReplyReceiveBlock, m_replyBuffer.GetCapacity())))
        {
            SetConnectedState(false);
            return kResultNoMoreHandles;
        }
        char* room = reinterpret_cast<char*>(m_replyBuffer.GetData()) + m_replyBuffer.GetLength();
        const int received = m_control.Recv(room, kReplyReceiveBlock);
        if (received == 0)
        {
            LogFormat(log, kLogError, "Connection closed by server.");
            SetConnectedState(false);
            return kResultControlClosed;
        }
        if (received < 0)
        {
            const int error = m_control.GetLastError();
            SetConnectedState(false);
            if (IsAborted())
                return kResultStopped;
            if (error == kResultTimeout)
                LogMessage(log, kLogError, kMessageTimeoutOn, "FTP reply read");
            else
                LogMessage(log, kLogError, kMessageControlClosedCode, error);
            return error != 0 ? error : kResultControlClosed;
        }
        m_replyBuffer.SetLength(m_replyBuffer.GetLength() + received);
    }
}

int CFtpClient::Command(const std::string& command, ITransferLog* log, std::string& replyText, int& replyCode)
{
    if (IsAborted())
        return kResultStopped;
    if (m_cache.IsCachedCommand(command, replyCode))
    {
        replyText.clear();
        return kResultOk;
    }
    int result = SendCommand(command, log);
    if (result != kResultOk)
        return result;
    result = ReadReply(log, replyText, replyCode);
    if (result != kResultOk)
        return result;
    m_cache.UpdateCommandCache(command, replyCode);
    return kResultOk;
}

int CFtpClient::CommandExpect(const std::string& command, ITransferLog* log, std::string& replyText,
                              int& replyCode, int expected)
{
    const int result = Command(command, log, replyText, replyCode);
    if (result != kResultOk)
        return result;
    if (!IsReplyClass(replyCode, expected))
        return ReplyClassResult(replyCode);
    return kResultOk;
}

bool CFtpClient::CheckControlConnection(bool check)
{
    if (check && IsConnected())
    {
        // Bytes already buffered answer no command of ours, just like bytes
        // still waiting on the socket.
        std::string stray;
        if (m_replyBuffer.GetLength() == 0 && ProbeIdleConnection(m_control, stray) == IdleProbeResult::Quiet)
            return true;
        SetConnectedState(false);
        return false;
    }
    if (!IsConnected())
        CloseConnections();
    return IsConnected();
}

void CFtpClient::SetConnectedState(bool connected)
{
    SetConnected(connected ? 1 : 0);
}

int CFtpClient::SetConnected(int value)
{
    const int old = CProtocolClient::SetConnected(value);
    if (value == 0)
        CloseConnections();
    return old;
}

void CFtpClient::CloseConnections()
{
    m_data.Close();
    m_control.Close();
}

void CFtpClient::AttachTrafficObserver(bool attach)
{
    ITrafficObserver* observer = attach ? GetTrafficObserver() : nullptr;
    m_control.SetTrafficObserver(observer);
    m_data.SetTrafficObserver(observer);
}
