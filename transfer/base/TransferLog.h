#pragma once
// CTransferLog: the in-memory transfer log of one job (or of anything else
// that logs through ITransferLog). Logs live in memory only; nothing here
// reads or writes a log file. Every operation takes the log's own lock, so
// protocol clients on pool threads may append while the log windows read.
//
// A log starts with one reference, held by whoever created it (normally the
// registry, LogRegistry.h). It is deleted by the Release that drops the
// count to 0, so it must be created with new and never deleted directly.

#include "platform/core/CriticalSection.h"
#include "transfer/base/TransferLogInterface.h"

#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CTransferLog : public ITransferLog
{
public:
    explicit CTransferLog(int logId = 0);
    CTransferLog(const CTransferLog&) = delete;
    CTransferLog& operator=(const CTransferLog&) = delete;

    int AddRef() override;
    int Release() override;

    std::string GetName() override;
    void SetName(const std::string& name) override;
    int GetLogId() override;

    // Every text but raw text (kind 6) goes through MaskUrlPasswords first,
    // and a sent line (kind 2) also through MaskPasswordCommand, so neither a
    // URL's login nor a "PASS " command shows its password, whoever logs it.
    void AppendLine(int kind, std::string_view text) override;

    void GetStats(uint32_t* changeCount, size_t* textLength, int* lineCount, int* droppedCount) override;
    size_t GetTextPart(std::string& text, size_t offset, size_t length) override;
    void GetText(std::string& text) override;
    uint32_t GetChangeCount() override;

    // A block longer than a 32-bit count can carry is not handed over: -1.
    int32_t WriteLines(int n, StreamInterface& sink) override;
    void TakeLines(int n, std::string* removed = nullptr) override;
    int32_t FlushLines(int n, StreamInterface& sink) override;
    void Clear() override;
    // Packs the text (LogPacking.h) when that makes it smaller; the next
    // call that reads or changes the text unpacks it again.
    void Compact() override;

    void AddObserver(TransferLogObserver callback, void* userData) override;
    void RemoveObserver(TransferLogObserver callback, void* userData) override;

protected:
    ~CTransferLog() override = default;

private:
    // Byte length of the first n lines; the lock is held.
    size_t FirstLinesLength(int n) const;
    // Removes the first n lines and returns their length; the lock is held.
    size_t RemoveFirstLines(int n);
    // Counts the change and calls the observers; the lock is held.
    void Notify();
    // Brings a packed text back into m_text; the lock is held.
    void Unpack();

    using Observers = std::vector<std::pair<TransferLogObserver, void*>>;
    // The name and the observers, held apart: most logs (a finished job's)
    // have neither, and two empty containers, or two pointers to them,
    // would cost every kept log a larger block.
    struct CExtras
    {
        std::string m_name;
        Observers m_observers;
    };
    // Made when either is first set; the lock is held.
    CExtras& Extras();

    CCriticalSection m_lock;
    std::unique_ptr<CExtras> m_extras;
    // The text, or while packed (m_packedLength not 0, the length of the
    // text) the packed bytes: a finished job's log keeps one string.
    std::string m_text;
    size_t m_packedLength = 0;
    // The 32-bit fields together, so that no padding falls between them.
    std::atomic<int> m_refCount{1};
    uint32_t m_changeCount = 0;
    int m_lineCount = 0;
    int m_droppedCount = 0;
    const int m_logId;
};

// Keeps a log under a line limit: when its line count is not below `limit`,
// the oldest (count - limit / 2) lines are removed, so the log falls back to
// about half the limit and the newest lines stay. A null log is ignored.
// A job applies it with the
// setting "Logs/Max Log Lines" (SETTING_LOGS_MAX_LOG_LINES) when a run ends.
void TrimLog(ITransferLog* log, int limit);
