#pragma once
// CTransferLogPair: the log a protocol client writes to while it serves a
// job. It forwards lines to two logs, the job's own log and the client's
// log (the log of the connection slot in the site pool): the job's log for
// the user looking at one transfer, the client's log for the story of one
// connection across jobs. Status and error lines go to both. The protocol
// text itself (what was sent and received: request and response headers,
// bodies shown in the log) goes to the job's log alone when there is one:
// it is the bulk of every job's lines, and writing it twice cost more than
// any other step of a small transfer, for a copy that the client's log
// trims away a few jobs later. Without a job log the client's log takes it.
//
// Either log may be absent; Make gives null when both are, so a caller that
// has no log passes null on as usual. The pair holds a reference on each
// log it forwards to. It is named "Log Pair" and bears the client's log id;
// its text operations answer as an empty log (the texts live in the two
// logs), and observers are not kept.

#include "platform/core/RefPtr.h"
#include "transfer/base/TransferLogInterface.h"

#include <atomic>

class CTransferLogPair final : public ITransferLog
{
public:
    // Null when both logs are null; otherwise a pair with one reference for
    // the caller to release. Takes its own references on the logs.
    static CTransferLogPair* Make(ITransferLog* jobLog, ITransferLog* clientLog, int clientLogId);

    int AddRef() override;
    int Release() override;

    std::string GetName() override { return "Log Pair"; }
    void SetName(const std::string&) override {}
    int GetLogId() override { return m_logId; }

    void AppendLine(int kind, std::string_view text) override;

    void GetStats(uint32_t* changeCount, size_t* textLength, int* lineCount, int* droppedCount) override;
    size_t GetTextPart(std::string& text, size_t, size_t) override;
    void GetText(std::string& text) override { text.clear(); }
    uint32_t GetChangeCount() override { return 0; }
    int32_t WriteLines(int, StreamInterface&) override { return 0; }
    void TakeLines(int, std::string* removed) override;
    int32_t FlushLines(int, StreamInterface&) override { return 0; }
    void Clear() override {}
    void AddObserver(TransferLogObserver, void*) override {}
    void RemoveObserver(TransferLogObserver, void*) override {}

private:
    CTransferLogPair(ITransferLog* jobLog, ITransferLog* clientLog, int clientLogId);
    ~CTransferLogPair() override;
    // The client's log when a line of this kind goes to it as well; null
    // otherwise.
    ITransferLog* ClientLogFor(int kind) const;

    std::atomic<int> m_refCount{1};
    const CRefPtr<ITransferLog> m_jobLog;
    const CRefPtr<ITransferLog> m_clientLog;
    const int m_logId;
};
