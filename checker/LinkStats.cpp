#include "checker/LinkStats.h"

#include "platform/core/TickCount.h"

#include <algorithm>
#include <iterator>

CLinkStats::CLinkStats()
{
    Clear();
    m_stamp = 0;
}

void CLinkStats::Clear()
{
    std::fill(std::begin(m_brokenReferences), std::end(m_brokenReferences), 0);
    for (int group = 0; group < kGroupCount; ++group)
    {
        std::fill(std::begin(m_linkTypes[group]), std::end(m_linkTypes[group]), 0);
        std::fill(std::begin(m_states[group]), std::end(m_states[group]), 0);
        std::fill(std::begin(m_scopes[group]), std::end(m_scopes[group]), 0);
        std::fill(std::begin(m_protocols[group]), std::end(m_protocols[group]), 0);
        std::fill(std::begin(m_tagTypes[group]), std::end(m_tagTypes[group]), 0);
    }
    m_bytesSent = m_bytesReceived = m_bytesDownloaded = m_localSize = m_remoteSize = 0;
    Touch();
}

void CLinkStats::Touch()
{
    m_stamp = NextChangeStamp(m_stamp);
}

int CLinkStats::SumStateRange(int group, int first, int last) const
{
    if (group < 0 || group >= kGroupCount)
        return 0;
    int sum = 0;
    for (int state = first; state <= last; ++state)
        sum += m_states[group][state];
    return sum;
}

int CLinkStats::CountInProgress(int group) const
{
    return SumStateRange(group, kStateWaiting, kStateProcessing);
}

int CLinkStats::CountChecked(int group) const
{
    return SumStateRange(group, kStateDownloaded, kStateNotAvailableOffline);
}

int CLinkStats::CountSkipped(int group) const
{
    return SumStateRange(group, kStateFiltered, kStateIsExternal);
}

int CLinkStats::CountProcessed(int group) const
{
    return SumStateRange(group, kStateDownloaded, kStateIsExternal);
}

int CLinkStats::CountPending(int group) const
{
    return CountInProgress(group) + SumStateRange(group, kStateMaxRecursion, kStateMaxRecursion);
}

int CLinkStats::SumStates(int group) const
{
    return SumStateRange(group, kStateUnknown, kStateIsExternal);
}
