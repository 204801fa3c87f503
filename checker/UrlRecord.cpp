#include "checker/UrlRecord.h"

#include "platform/core/TickCount.h"

std::string CUrlStatus::GetText() const
{
    if (!m_text.empty())
        return m_text;
    if (m_state == kWaiting)
        return "Waiting";
    if (m_state == kWorking)
        return "Busy";
    return "None";
}

void CUrlStatus::SetState(int state, int code)
{
    m_state = state;
    m_code = code;
    m_stamp = NextChangeStamp(m_stamp);
}

CUrlRecord::CUrlRecord()
{
    m_localTime.m_status = COleDateTime::invalid;
    m_remoteTime.m_status = COleDateTime::invalid;
}

CUrlRecord::~CUrlRecord() = default;

void CUrlRecord::SetText(const std::string& text)
{
    m_status.m_text = text;
    m_status.m_stamp = NextChangeStamp(m_status.m_stamp);
}
