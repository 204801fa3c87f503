#include "transfer/base/TransferLogPair.h"

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

ITransferLog* CTransferLogPair::ClientLogFor(int kind) const
{
    const bool protocolText = kind == kLogSent || kind == kLogReceived;
    return protocolText && m_jobLog ? nullptr : m_clientLog.Get();
}

void CTransferLogPair::AppendLine(int kind, std::string_view text)
{
    if (m_jobLog)
        m_jobLog->AppendLine(kind, text);
    if (ITransferLog* clientLog = ClientLogFor(kind))
        clientLog->AppendLine(kind, text);
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
