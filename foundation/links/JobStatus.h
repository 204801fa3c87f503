#pragma once
// CJobStatus: the status record a transfer job keeps and hands out by copy.
// A new record is reset; the reserved word is never set by a reset and never
// copied.

#include <cstdint>

class CJobStatus
{
public:
    CJobStatus();

    // Everything but m_reserved back to its value at the start of a run:
    // counts 0, remote bytes, rate and remaining seconds -1 (unknown).
    void Reset();
    // Copies every field but m_reserved.
    void CopyFrom(const CJobStatus& other);

    // 0 the run started, 6 remote file information was fetched, 1 the
    // transfer step ran or the file was skipped.
    int m_phase = 0;
    // The index of the manager's job list the job is on: 0 new, 1 stopped or
    // failed, 2 waiting, 3 running, 4 finished.
    int m_state = 0;
    // The last result code of the job.
    int m_result = 0;
    int m_reserved = 0;
    // Download: bytes present in the local file; upload: the local total.
    int64_t m_localBytes = 0;
    // Download: the remote size; upload: bytes sent so far. -1 when unknown.
    int64_t m_remoteBytes = -1;
    // Bytes per second, -1 when unknown.
    int m_rate = -1;
    int m_elapsedSeconds = 0;
    // -1 when unknown.
    int m_remainingSeconds = -1;
};
