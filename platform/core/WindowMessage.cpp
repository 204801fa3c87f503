#include "platform/core/WindowMessage.h"

#include <map>
#include <mutex>
#include <string>

uint32_t RegisterWindowMessage(std::string_view name)
{
    if (name.empty())
        return 0;
    static std::mutex mutex;
    static std::map<std::string, uint32_t, std::less<>> numbers;
    std::lock_guard<std::mutex> lock(mutex);
    if (auto found = numbers.find(name); found != numbers.end())
        return found->second;
    const uint32_t next = kFirstRegisteredMessage + static_cast<uint32_t>(numbers.size());
    if (next > kLastRegisteredMessage)
        return 0;
    numbers.emplace(std::string(name), next);
    return next;
}
