#pragma once
// ITransferProgress: the progress meter of one transfer attempt, as the
// protocol clients see it. A transfer job hands its meter (CTransferMeter)
// to the client with each download; the client base announces the start
// position and the final size, and the body readers report the total and
// every block as it arrives. Positions and totals are 64-bit byte counts; a
// total of -1 means unknown. A meter may be absent: callers pass null and
// skip the calls.

#include <cstdint>

class ITransferProgress
{
public:
    virtual ~ITransferProgress() = default;

    // A transfer starts (or resumes) at position with total bytes expected.
    virtual void Begin(int64_t position, int64_t total) = 0;
    // The final position and total, once the data is complete.
    virtual void SetValues(int64_t position, int64_t total) = 0;
    // The total became known (a Content-Length, a SIZE reply).
    virtual void SetTotal(int64_t total) = 0;
    // count more bytes arrived.
    virtual void Advance(int64_t count) = 0;
};
