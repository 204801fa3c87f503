#include "checker/LinkViewFilter.h"

#include "checker/LinkInfo.h"
#include "checker/LinkNames.h"

void CLinkViewFilter::Init()
{
    m_pageMode = m_fileMode = m_type0Mode = kByMasks;
    m_stateMask = m_typeMask = m_protocolMask = m_scopeMask = m_tagMask = -1;
    m_containsBroken = 1;
    m_hideRepeats = 0;
}

bool CLinkViewFilter::Match(const CLinkInfo& record) const
{
    if (m_hideRepeats && record.m_repetition > 1)
        return false;

    int mode = m_fileMode;
    if (record.m_linkType == kTypeUnknown)
        mode = m_type0Mode;
    else if (IsContainerType(record.m_linkType))
        mode = m_pageMode;
    if (mode == kNeverShown)
        return false;
    if (mode == kAlwaysShown)
        return true;

    if (!MaskHasBit(m_stateMask, record.m_state) && !(m_containsBroken && record.m_brokenChildren > 0))
        return false;
    if (!MaskHasBit(m_typeMask, record.m_linkType) || !MaskHasBit(m_tagMask, record.m_tagType) ||
        !MaskHasBit(m_scopeMask, record.m_scope))
        return false;
    return MaskHasBit(m_protocolMask, GetLinkProtocol(record.m_url));
}
