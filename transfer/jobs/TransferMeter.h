#pragma once
// CTransferMeter: the progress meter of one transfer attempt of a job. The
// protocol client reports positions through ITransferProgress on the job's
// pool thread; the transfer manager's one-second tick calls PeriodicUpdate on
// the scheduler thread, so a stalled transfer still shows its falling rate.
// Both write the job's status (CTransferJob::SetProgress) and the bytes moved
// in this attempt (property 802 for a download, 803 for an upload).
//
// Rate: the bytes moved since Begin (position - start position) * 1000 /
// elapsed milliseconds (those bytes themselves in the first 10 ms); bytes a
// resumed transfer had before this attempt are not counted. Remaining
// seconds: (total - position) / rate when the total lies ahead and the rate
// is positive, 0 at the total, else -1. Updates are written at most every
// 100 ms; Begin, SetTotal and SetValues always write. In the status a
// download shows the position as local bytes and the total as remote bytes;
// an upload the other way round.

#include "transfer/base/TransferProgress.h"

#include <chrono>
#include <cstdint>
#include <mutex>

class CTransferJob;

class CTransferMeter final : public ITransferProgress
{
public:
    CTransferMeter(CTransferJob& job, bool download);

    void Begin(int64_t position, int64_t total) override;
    void SetValues(int64_t position, int64_t total) override;
    void SetTotal(int64_t total) override;
    void Advance(int64_t count) override;
    void Update(int64_t position);

    // From the manager's tick: an Update at the current position when the
    // client has reported nothing for a second.
    void PeriodicUpdate();

    // Whether the position went past the start position of this attempt:
    // the attempt brought data, so its failure is not counted as a retry.
    bool HasMoved() const;

private:
    using Clock = std::chrono::steady_clock;

    void UpdateLocked(int64_t position, Clock::time_point now);
    void WriteStatusLocked();

    CTransferJob& m_job;
    const bool m_download;
    mutable std::mutex m_lock;
    Clock::time_point m_start;
    int64_t m_total = -1;
    int64_t m_position = 0;
    int64_t m_startPosition = 0;
    int m_rate = -1;
    int m_elapsedSeconds = 0;
    int m_remainingSeconds = -1;
    Clock::time_point m_lastUpdate;
    Clock::time_point m_lastWrite;
};
