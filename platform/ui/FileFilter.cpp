#include "platform/ui/FileFilter.h"

#include "platform/core/Text.h"

std::vector<std::string> ConvertFileFilter(const std::string& filter)
{
    std::vector<std::string> filters;
    const std::vector<std::string> parts = Split(filter, '|');
    for (size_t i = 0; i + 1 < parts.size(); i += 2)
    {
        std::string description = Trim(parts[i]);
        std::string patterns;
        for (const std::string& raw : Split(parts[i + 1], ';', false))
        {
            std::string pattern = Trim(raw);
            if (pattern.empty())
                continue;
            if (pattern == "*.*")
                pattern = "*";
            if (!patterns.empty())
                patterns += ' ';
            patterns += pattern;
        }
        if (description.empty() && patterns.empty())
            break; // the closing "||"
        if (patterns.empty())
            continue;
        if (!description.empty() && description.back() == ')')
        {
            const size_t open = description.rfind('(');
            if (open != std::string::npos)
                description = TrimRight(description.substr(0, open));
        }
        filters.push_back(description.empty() ? "(" + patterns + ")" : description + " (" + patterns + ")");
    }
    return filters;
}
