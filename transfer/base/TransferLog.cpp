#include "transfer/base/TransferLog.h"

#include "platform/core/Text.h"
#include "transfer/base/LogMessages.h"
#include "transfer/base/LogPacking.h"
#include "transfer/base/UrlPasswordMask.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace
{

const char* LinePrefix(int kind)
{
    switch (kind)
    {
    case kLogError:
        return "E:\t";
    case kLogSent:
        return ">:\t";
    case kLogReceived:
        return "<:\t";
    case kLogDetail:
        return "D:\t";
    default:
        return "S:\t";
    }
}

// Appends text with its inner line breaks made "\r\n\t": every line after
// the first shows as an indented continuation, whatever line ends the caller
// used. Whole runs between breaks are copied at once. Returns the number of
// line breaks appended.
int AppendIndented(std::string& out, std::string_view text)
{
    int breaks = 0;
    for (;; ++breaks)
    {
        const size_t lineEnd = text.find('\n');
        if (lineEnd == std::string_view::npos)
            break;
        const size_t contentEnd = lineEnd > 0 && text[lineEnd - 1] == '\r' ? lineEnd - 1 : lineEnd;
        out.append(text.data(), contentEnd);
        out.append("\r\n\t");
        text.remove_prefix(lineEnd + 1);
    }
    out.append(text);
    return breaks;
}

} // namespace

CTransferLog::CTransferLog(int logId) : m_logId(logId) {}

int CTransferLog::AddRef()
{
    return m_refCount.fetch_add(1, std::memory_order_relaxed) + 1;
}

int CTransferLog::Release()
{
    const int count = m_refCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (count == 0)
        delete this;
    return count;
}

std::string CTransferLog::GetName()
{
    CScopedLock lock(m_lock);
    return m_extras ? m_extras->m_name : std::string();
}

void CTransferLog::SetName(const std::string& name)
{
    CScopedLock lock(m_lock);
    if (!name.empty() || m_extras)
        Extras().m_name = name;
}

CTransferLog::CExtras& CTransferLog::Extras()
{
    if (!m_extras)
        m_extras = std::make_unique<CExtras>();
    return *m_extras;
}

int CTransferLog::GetLogId()
{
    return m_logId;
}

void CTransferLog::AppendLine(int kind, std::string_view text)
{
    // Masked into a copy only when there may be a password to hide: most
    // lines have none, and are written straight into the text.
    std::string masked;
    if (kind != kLogRaw && MayHoldUrlPassword(text))
    {
        masked = MaskUrlPasswords(text);
        text = masked;
    }
    if (kind == kLogSent && MayHoldPasswordCommand(text))
    {
        masked = MaskPasswordCommand(text);
        text = masked;
    }

    CScopedLock lock(m_lock);
    Unpack();
    const bool lastLineOpen = !m_text.empty() && m_text.back() != '\n';
    // The line breaks the text gains; trimming below removes only tabs.
    int breaks = 0;
    if (kind == kLogRaw)
    {
        m_text.append(text);
        breaks = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }
    else
    {
        const size_t start = m_text.size();
        const bool endsWithBreak = !text.empty() && text.back() == '\n';
        if (kind == kLogContinuation)
        {
            if (!lastLineOpen)
                m_text += '\t';
        }
        else
        {
            if (lastLineOpen)
            {
                m_text += "\r\n";
                ++breaks;
            }
            m_text += LinePrefix(kind);
        }
        breaks += AppendIndented(m_text, text);
        if (kind != kLogContinuation && !endsWithBreak)
        {
            m_text += "\r\n";
            ++breaks;
        }
        else
        {
            // Only the appended text is trimmed: raw text logged before it
            // is never shortened.
            const size_t last = m_text.find_last_not_of('\t');
            m_text.erase(last == std::string::npos || last < start ? start : last + 1);
        }
    }

    m_lineCount += breaks;
    if (lastLineOpen)
        --m_lineCount;
    if (!m_text.empty() && m_text.back() != '\n')
        ++m_lineCount;
    Notify();
}

void CTransferLog::GetStats(uint32_t* changeCount, size_t* textLength, int* lineCount, int* droppedCount)
{
    CScopedLock lock(m_lock);
    if (changeCount)
        *changeCount = m_changeCount;
    if (textLength)
        *textLength = m_packedLength != 0 ? m_packedLength : m_text.size();
    if (lineCount)
        *lineCount = m_lineCount;
    if (droppedCount)
        *droppedCount = m_droppedCount;
}

size_t CTransferLog::GetTextPart(std::string& text, size_t offset, size_t length)
{
    CScopedLock lock(m_lock);
    Unpack();
    if (length == 0 || offset >= m_text.size())
    {
        text.clear();
        return 0;
    }
    length = std::min(length, m_text.size() - offset);
    text.assign(m_text, offset, length);
    return length;
}

void CTransferLog::GetText(std::string& text)
{
    CScopedLock lock(m_lock);
    Unpack();
    text = m_text;
}

uint32_t CTransferLog::GetChangeCount()
{
    CScopedLock lock(m_lock);
    return m_changeCount;
}

size_t CTransferLog::FirstLinesLength(int n) const
{
    size_t position = 0;
    for (int found = 0; found < n; ++found)
    {
        const size_t lineEnd = m_text.find('\n', position);
        if (lineEnd == std::string::npos)
            return m_text.size();
        position = lineEnd + 1;
    }
    return position;
}

size_t CTransferLog::RemoveFirstLines(int n)
{
    n = std::max(n, 0);
    size_t length;
    if (n < m_lineCount)
    {
        length = FirstLinesLength(n);
        m_lineCount -= n;
        m_droppedCount += n;
    }
    else
    {
        length = m_text.size();
        m_droppedCount += m_lineCount;
        m_lineCount = 0;
    }
    m_text.erase(0, length);
    return length;
}

int32_t CTransferLog::WriteLines(int n, StreamInterface& sink)
{
    CScopedLock lock(m_lock);
    Unpack();
    const size_t length = FirstLinesLength(n);
    if (length > static_cast<size_t>(INT32_MAX))
        return -1;
    return sink.Write(m_text.data(), static_cast<int32_t>(length));
}

void CTransferLog::TakeLines(int n, std::string* removed)
{
    CScopedLock lock(m_lock);
    Unpack();
    if (removed)
        removed->assign(m_text, 0, FirstLinesLength(std::max(n, 0)));
    RemoveFirstLines(n);
    Notify();
}

int32_t CTransferLog::FlushLines(int n, StreamInterface& sink)
{
    CScopedLock lock(m_lock);
    Unpack();
    const size_t length = FirstLinesLength(n);
    if (length > static_cast<size_t>(INT32_MAX))
        return -1;
    const int32_t written = sink.Write(m_text.data(), static_cast<int32_t>(length));
    if (written <= 0)
        return written;
    // Lines the sink did not take stay in the log rather than being lost;
    // whole lines it did take go, so that a retry does not write them twice.
    int taken = n;
    if (static_cast<size_t>(written) != length)
        for (taken = 0; taken < n && FirstLinesLength(taken + 1) <= static_cast<size_t>(written);)
            ++taken;
    if (taken > 0)
    {
        RemoveFirstLines(taken);
        Notify();
    }
    return written;
}

void CTransferLog::Clear()
{
    CScopedLock lock(m_lock);
    // Cleared lines count as dropped like any others removed from the front,
    // so dropped + line count never goes back for a reader that numbers lines.
    m_droppedCount += m_lineCount;
    m_lineCount = 0;
    if (m_packedLength != 0)
        std::string().swap(m_text);
    m_text.clear();
    m_packedLength = 0;
    Notify();
}

void CTransferLog::Compact()
{
    CScopedLock lock(m_lock);
    if (m_packedLength != 0)
        return;
    std::string packed = PackLogText(m_text);
    if (packed.empty())
    {
        m_text.shrink_to_fit();
        return;
    }
    // Moved in, not assigned: assigning keeps the text's larger room.
    m_packedLength = m_text.size();
    m_text = std::move(packed);
}

void CTransferLog::Unpack()
{
    if (m_packedLength == 0)
        return;
    m_text = UnpackLogText(m_text, m_packedLength);
    m_packedLength = 0;
}

void CTransferLog::AddObserver(TransferLogObserver callback, void* userData)
{
    if (!callback)
        return;
    CScopedLock lock(m_lock);
    Extras().m_observers.emplace_back(callback, userData);
}

void CTransferLog::RemoveObserver(TransferLogObserver callback, void* userData)
{
    CScopedLock lock(m_lock);
    if (!m_extras)
        return;
    std::erase_if(m_extras->m_observers,
                  [&](const std::pair<TransferLogObserver, void*>& entry) {
                      return (callback && entry.first == callback) || (userData && entry.second == userData);
                  });
}

void CTransferLog::Notify()
{
    ++m_changeCount;
    if (!m_extras || m_extras->m_observers.empty())
        return;
    // A copy, because an observer may add or remove observers of this log
    // while it is being called (the lock is recursive).
    const Observers observers = m_extras->m_observers;
    for (auto it = observers.rbegin(); it != observers.rend(); ++it)
        it->first(it->second);
}

void TrimLog(ITransferLog* log, int limit)
{
    if (!log)
        return;
    int lineCount = 0;
    log->GetStats(nullptr, nullptr, &lineCount, nullptr);
    if (lineCount >= limit)
    {
        const int64_t excess = static_cast<int64_t>(lineCount) - limit / 2;
        log->TakeLines(static_cast<int>(std::min<int64_t>(excess, INT_MAX)));
    }
}
