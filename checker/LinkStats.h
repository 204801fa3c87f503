#pragma once
// CLinkStats: the counters of a task's link table, each kept twice: over all
// links and over unique links (first occurrences). The engine changes them
// under its lock through the counted operations of CLinkNode; the views get
// whole copies.

#include "checker/LinkNames.h"

#include <cstdint>

class CLinkStats
{
public:
    enum Group : int
    {
        kAll = 0,
        kUnique = 1,
        kGroupCount = 2,
    };

    CLinkStats();

    // Zeroes every counter and byte total and moves the stamp on.
    void Clear();
    // Moves the change stamp on (NextChangeStamp).
    void Touch();

    // Sums over the state counters of one group.
    int CountInProgress(int group) const; // Waiting + Processing
    int CountChecked(int group) const;    // Downloaded to Not available offline
    int CountSkipped(int group) const;    // Filtered to Is External
    int CountProcessed(int group) const;  // Downloaded to Is External
    int CountPending(int group) const;    // Waiting + Processing + Max recursion
    int SumStates(int group) const;       // every state: the number of links

    bool operator==(const CLinkStats& other) const = default;

    int32_t m_brokenReferences[kGroupCount];
    int32_t m_linkTypes[kGroupCount][kLinkTypeCount];
    int32_t m_states[kGroupCount][kLinkStateCount];
    int32_t m_scopes[kGroupCount][kLinkScopeCount];
    int32_t m_protocols[kGroupCount][kLinkProtocolCount];
    int32_t m_tagTypes[kGroupCount][kTagTypeCount];
    uint32_t m_stamp = 0;
    // Byte totals kept by the engine.
    int64_t m_bytesSent = 0;
    int64_t m_bytesReceived = 0;
    int64_t m_bytesDownloaded = 0;
    int64_t m_localSize = 0;
    int64_t m_remoteSize = 0;

private:
    int SumStateRange(int group, int first, int last) const;
};
