#include "foundation/stores/CacheEntry.h"

CCacheEntry::CCacheEntry() = default;

CCacheEntry::~CCacheEntry() = default;

CRefStringMap* CCacheEntry::CreateNode() const
{
    return new CCacheEntry();
}

bool CCacheEntry::IsValid() const
{
    int type = 0;
    m_item.GetInt(LI_RESOURCE_TYPE, type);
    return type >= 1 && type < kResourceTypeCount;
}

bool CCacheEntry::IsFresh() const
{
    return IsValid() && !m_item.IsStale();
}
