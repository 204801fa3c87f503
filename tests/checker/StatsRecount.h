#pragma once
// The statistics a recount of the link table gives, for tests that check
// the counted operations never drift: a node counts in the "all" group, and
// a first occurrence in the "unique" group too.

#include "checker/LinkNames.h"
#include "checker/LinkNode.h"
#include "checker/LinkStats.h"

inline void AddNodeToRecount(CLinkStats& stats, const CLinkNode& node)
{
    const int groups = node.IsFirstOccurrence() ? 2 : 1;
    for (int g = 0; g < groups; ++g)
    {
        stats.m_brokenReferences[g] += node.m_brokenChildren;
        ++stats.m_linkTypes[g][node.m_linkType];
        ++stats.m_states[g][node.m_state];
        ++stats.m_scopes[g][node.m_scope];
        ++stats.m_protocols[g][GetLinkProtocol(node.m_url)];
        ++stats.m_tagTypes[g][node.m_tagType];
    }
}

// A block with counters zero and what no node counts (the stamp and the
// byte totals) taken from `kept`, for AddNodeToRecount to fill.
inline CLinkStats EmptyRecount(const CLinkStats& kept)
{
    CLinkStats stats;
    stats.m_stamp = kept.m_stamp;
    stats.m_bytesSent = kept.m_bytesSent;
    stats.m_bytesReceived = kept.m_bytesReceived;
    stats.m_bytesDownloaded = kept.m_bytesDownloaded;
    stats.m_localSize = kept.m_localSize;
    stats.m_remoteSize = kept.m_remoteSize;
    return stats;
}
