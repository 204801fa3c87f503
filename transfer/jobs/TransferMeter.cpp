#include "transfer/jobs/TransferMeter.h"

#include "transfer/jobs/TransferJob.h"

namespace
{
constexpr std::chrono::milliseconds kWriteInterval{100};
constexpr std::chrono::milliseconds kPeriodicInterval{1000};
} // namespace

CTransferMeter::CTransferMeter(CTransferJob& job, bool download)
    : m_job(job), m_download(download), m_start(Clock::now()), m_lastUpdate(m_start), m_lastWrite(m_start)
{
}

void CTransferMeter::Begin(int64_t position, int64_t total)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_startPosition = position;
    m_position = position;
    m_total = total;
    m_rate = -1;
    m_elapsedSeconds = 0;
    m_remainingSeconds = -1;
    WriteStatusLocked();
    m_job.SetInt64(m_download ? LI_ATTEMPT_BYTES_DOWN : LI_ATTEMPT_BYTES_UP, 0);
}

void CTransferMeter::SetValues(int64_t position, int64_t total)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_position = position;
    m_total = total;
    WriteStatusLocked();
}

void CTransferMeter::SetTotal(int64_t total)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_total = total;
    WriteStatusLocked();
}

void CTransferMeter::Advance(int64_t count)
{
    std::lock_guard<std::mutex> lock(m_lock);
    UpdateLocked(m_position + count, Clock::now());
}

void CTransferMeter::Update(int64_t position)
{
    std::lock_guard<std::mutex> lock(m_lock);
    UpdateLocked(position, Clock::now());
}

void CTransferMeter::PeriodicUpdate()
{
    std::lock_guard<std::mutex> lock(m_lock);
    const Clock::time_point now = Clock::now();
    if (now - m_lastUpdate >= kPeriodicInterval)
        UpdateLocked(m_position, now);
}

bool CTransferMeter::HasMoved() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_position > m_startPosition;
}

void CTransferMeter::UpdateLocked(int64_t position, Clock::time_point now)
{
    m_position = position;
    m_lastUpdate = now;
    const int64_t elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(now - m_start).count();
    // Only what this attempt moved: a resumed transfer's earlier bytes came
    // in another attempt and would show a rate never reached.
    const int64_t moved = position - m_startPosition;
    const int64_t rate = elapsedMs < 10 ? moved : moved * 1000 / elapsedMs;
    m_rate = static_cast<int>(rate);
    m_elapsedSeconds = static_cast<int>(elapsedMs / 1000);
    if (m_total > position && rate > 0)
        m_remainingSeconds = static_cast<int>((m_total - position) / rate);
    else if (m_total == position)
        m_remainingSeconds = 0;
    else
        m_remainingSeconds = -1;
    if (now - m_lastWrite < kWriteInterval)
        return;
    WriteStatusLocked();
    m_job.SetInt64(m_download ? LI_ATTEMPT_BYTES_DOWN : LI_ATTEMPT_BYTES_UP, m_position - m_startPosition);
}

void CTransferMeter::WriteStatusLocked()
{
    m_lastWrite = Clock::now();
    if (m_download)
        m_job.SetProgress(m_rate, m_elapsedSeconds, m_remainingSeconds, m_position, m_total);
    else
        m_job.SetProgress(m_rate, m_elapsedSeconds, m_remainingSeconds, m_total, m_position);
}
