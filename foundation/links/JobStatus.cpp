#include "foundation/links/JobStatus.h"

CJobStatus::CJobStatus()
{
    Reset();
}

void CJobStatus::Reset()
{
    m_phase = 0;
    m_state = 0;
    m_result = 0;
    m_localBytes = 0;
    m_remoteBytes = -1;
    m_rate = -1;
    m_elapsedSeconds = 0;
    m_remainingSeconds = -1;
}

void CJobStatus::CopyFrom(const CJobStatus& other)
{
    if (this == &other)
        return;
    m_phase = other.m_phase;
    m_state = other.m_state;
    m_result = other.m_result;
    m_localBytes = other.m_localBytes;
    m_remoteBytes = other.m_remoteBytes;
    m_rate = other.m_rate;
    m_elapsedSeconds = other.m_elapsedSeconds;
    m_remainingSeconds = other.m_remainingSeconds;
}
