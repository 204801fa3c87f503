#pragma once
// Test doubles for the HTTP readers: a channel fed from a script of receive
// results instead of a socket, a progress meter and a stream that record
// what they are told.

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "foundation/text/StreamInterface.h"
#include "transfer/http/HttpChannel.h"
#include "transfer/base/ResultCodes.h"
#include "transfer/base/TransferProgress.h"

class CScriptedHttpChannel : public IHttpChannel
{
public:
    // Each step is what one Receive gives. Bytes longer than the size asked
    // for are handed out over several receives, as TCP may.
    void AddBytes(const std::string& bytes) { m_script.push_back({kBytes, bytes, 0}); }
    void AddClose() { m_script.push_back({kClose, std::string(), 0}); }
    void AddError(int error) { m_script.push_back({kError, std::string(), error}); }

    bool Send(const char* data, int n) override
    {
        if (m_sendError != 0 || m_failSendWithoutReason)
        {
            m_lastError = m_sendError;
            return false;
        }
        m_sent.append(data, static_cast<size_t>(n));
        return true;
    }

    // Past the end of its script a receive fails with a time-out, so a
    // reader that wants more than the test gave fails instead of hanging.
    int Receive(char* buffer, int size) override
    {
        ++m_receiveCalls;
        if (m_script.empty())
        {
            m_lastError = kResultTimeout;
            return -1;
        }
        Step& step = m_script.front();
        if (step.kind == kClose)
        {
            m_script.pop_front();
            return 0;
        }
        if (step.kind == kError)
        {
            m_lastError = step.error;
            m_script.pop_front();
            return -1;
        }
        const size_t n = step.bytes.size() < static_cast<size_t>(size) ? step.bytes.size() : size_t(size);
        step.bytes.copy(buffer, n);
        step.bytes.erase(0, n);
        if (step.bytes.empty())
            m_script.pop_front();
        m_received += static_cast<int64_t>(n);
        return static_cast<int>(n);
    }

    int GetLastError() const override { return m_lastError; }
    void SetReceiveBlockSize(int bytes) override { m_blockSizes.push_back(bytes); }
    bool IsAborted() const override { return m_aborted; }
    void Drop() override { m_dropped = true; }
    void EndKeepAlive() override { m_keepAliveEnded = true; }

    // What is left of the script, as bytes (close and error steps skipped).
    std::string Unread() const
    {
        std::string rest;
        for (const Step& step : m_script)
            rest += step.bytes;
        return rest;
    }

    std::string m_sent;
    int m_sendError = 0;
    bool m_failSendWithoutReason = false;
    int m_lastError = 0;
    int m_receiveCalls = 0;
    int64_t m_received = 0;
    std::vector<int> m_blockSizes;
    std::atomic<bool> m_aborted{false};
    bool m_dropped = false;
    bool m_keepAliveEnded = false;

private:
    enum Kind
    {
        kBytes,
        kClose,
        kError,
    };
    struct Step
    {
        Kind kind;
        std::string bytes;
        int error;
    };
    std::deque<Step> m_script;
};

class CRecordingProgress : public ITransferProgress
{
public:
    void Begin(int64_t position, int64_t total) override { m_calls.push_back({'B', position, total}); }
    void SetValues(int64_t position, int64_t total) override { m_calls.push_back({'V', position, total}); }
    void SetTotal(int64_t total) override
    {
        m_calls.push_back({'T', total, 0});
        m_total = total;
    }
    void Advance(int64_t count) override
    {
        m_calls.push_back({'A', count, 0});
        m_advanced += count;
    }

    struct Call
    {
        char kind;
        int64_t a;
        int64_t b;
    };
    std::vector<Call> m_calls;
    int64_t m_total = -2; // -2: never told
    int64_t m_advanced = 0;
};

// A write-only stream that keeps what it is given, takes at most m_room
// bytes in all (then reports a short write) and may run a hook after each
// write.
class CRecordingStream : public StreamInterface
{
public:
    int32_t Read(void*, int32_t) override { return -1; }
    int32_t Write(const void* bytes, int32_t count) override
    {
        const int64_t room = m_room - static_cast<int64_t>(m_bytes.size());
        const int32_t taken = count < room ? count : static_cast<int32_t>(room < 0 ? 0 : room);
        m_bytes.append(static_cast<const char*>(bytes), static_cast<size_t>(taken));
        m_writes.push_back(taken);
        if (m_afterWrite)
            m_afterWrite(*this);
        return taken;
    }
    int64_t Tell() override { return static_cast<int64_t>(m_bytes.size()); }
    int64_t Seek(int64_t, int) override { return -1; }

    std::string m_bytes;
    std::vector<int32_t> m_writes;
    int64_t m_room = INT64_MAX;
    std::function<void(CRecordingStream&)> m_afterWrite;
};
