#include "checker/UrlRecordIndex.h"

#include "checker/UrlRecord.h"

CUrlRecordIndex::~CUrlRecordIndex()
{
    Clear();
}

CUrlRecord* CUrlRecordIndex::FindOrAdd(std::string_view key)
{
    auto found = m_records.find(key);
    if (found == m_records.end())
        found = m_records.emplace(std::string(key), new CUrlRecord()).first;
    return found->second;
}

CUrlRecord* CUrlRecordIndex::Find(std::string_view key) const
{
    const auto found = m_records.find(key);
    return found == m_records.end() ? nullptr : found->second;
}

void CUrlRecordIndex::Clear()
{
    // Swapped out first: a record's release never sees a half-emptied index.
    auto records = std::move(m_records);
    m_records = {};
    for (const auto& [key, record] : records)
        record->Release();
}
