#include "transfer/base/TransferLogPair.h"

#include <cstdarg>

CTransferLogPair* CTransferLogPair::Make(ITransferLog* jobLog, ITransferLog* clientLog, int clientLogId)
{
    if (!jobLog && !clientLog)
        return nullptr;
    return new CTransferLogPair(jobLog, clientLog, clientLogId);
}

CTransferLogPair::CTransferLogPair(ITransferLog* jobLog, ITransferLog* clientLog, int clientLogId)
    : m_jobLog(CRefPtr<ITransferLog>::Share(jobLog)),
      m_clientLog(CRefPtr<ITransferLog>::Share(clientLog == jobLog ? nullptr : clientLog)),
      m_logId(clientLogId)
{
}

CTransferLogPair::~CTransferLogPair() = default;

int CTransferLogPair::AddRef()
{
    return ++m_refCount;
}

int CTransferLogPair::Release()
{
    const int count = --m_refCount;
    if (count == 0)
        delete this;
    return count;
}

void CTransferLogPair::AppendLine(int kind, const std::string& text)
{
    if (m_jobLog)
        m_jobLog->AppendLine(kind, text);
    if (m_clientLog)
        m_clientLog->AppendLine(kind, text);
}

namespace
{

// A va_list can be walked once; each log gets its own copy.
template <typename Call> void ForwardWithCopy(ITransferLog* log, va_list args, Call call)
{
    if (!log)
        return;
    va_list copy;
    va_copy(copy, args);
    call(log, copy);
    va_end(copy);
}

} // namespace

void CTransferLogPair::AppendFormatV(int kind, const char* format, va_list args)
{
    for (ITransferLog* log : {m_jobLog.Get(), m_clientLog.Get()})
        ForwardWithCopy(log, args,
                        [&](ITransferLog* target, va_list copy)
                        { target->AppendFormatV(kind, format, copy); });
}

void CTransferLogPair::AppendMessageV(int kind, int index, va_list args)
{
    for (ITransferLog* log : {m_jobLog.Get(), m_clientLog.Get()})
        ForwardWithCopy(log, args,
                        [&](ITransferLog* target, va_list copy)
                        { target->AppendMessageV(kind, index, copy); });
}

void CTransferLogPair::GetStats(uint32_t* changeCount, size_t* textLength, int* lineCount, int* droppedCount)
{
    if (changeCount)
        *changeCount = 0;
    if (textLength)
        *textLength = 0;
    if (lineCount)
        *lineCount = 0;
    if (droppedCount)
        *droppedCount = 0;
}

size_t CTransferLogPair::GetTextPart(std::string& text, size_t, size_t)
{
    text.clear();
    return 0;
}

void CTransferLogPair::TakeLines(int, std::string* removed)
{
    if (removed)
        removed->clear();
}
