#include "platform/core/StringResource.h"

#include <atomic>

namespace
{
std::atomic<StringTableLookup> g_lookup{nullptr};
}

void SetStringTableLookup(StringTableLookup lookup)
{
    g_lookup.store(lookup);
}

bool LoadResourceString(unsigned id, std::string& out)
{
    const StringTableLookup lookup = g_lookup.load();
    const char* text = lookup ? lookup(id) : nullptr;
    if (!text)
        return false;
    out = text;
    return true;
}
