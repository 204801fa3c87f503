#include "checker/UrlRecord.h"

#include "platform/core/TickCount.h"

namespace
{
// The folder part of a key (up to its last separator) and the record's name.
std::string_view KeyFolder(std::string_view key)
{
    const size_t last = key.find_last_of("/\\");
    return last == std::string_view::npos ? std::string_view() : key.substr(0, last);
}

std::string RecordName(std::string_view key)
{
    std::string name("/");
    name.append(key);
    return name;
}
} // namespace

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

CRefStringMap* CUrlRecord::CreateNode() const
{
    return new CUrlRecord();
}

void CUrlRecord::SetText(const std::string& text)
{
    m_status.m_text = text;
    m_status.m_stamp = NextChangeStamp(m_status.m_stamp);
}

CUrlRecord* CUrlRecord::FindOrAdd(std::string_view key)
{
    CRefStringMap* folder = FindOrCreate(KeyFolder(key));
    return static_cast<CUrlRecord*>(folder->FindOrCreateChild(RecordName(key)));
}

CUrlRecord* CUrlRecord::FindRecord(std::string_view key)
{
    CRefStringMap* folder = Find(KeyFolder(key));
    if (folder == nullptr || folder->GetChildren() == nullptr)
        return nullptr;
    const auto found = folder->GetChildren()->find(RecordName(key));
    return found == folder->GetChildren()->end() ? nullptr : static_cast<CUrlRecord*>(found->second);
}
