#include "foundation/text/PatternFilter.h"

#include "foundation/text/StringSplit.h"
#include "foundation/text/Wildcard.h"
#include "platform/core/Text.h"

#include <algorithm>

namespace
{
// The C library's white space in the "C" locale, as the splitting visitor trims it.
constexpr const char* kWhiteSpace = " \t\n\v\f\r";

void LoadPatterns(std::vector<std::string>& patterns, std::string_view text, char separator, bool keepEmpty)
{
    patterns.clear();
    SplitString(text, patterns, separator, true);
    if (!keepEmpty)
        std::erase_if(patterns, [](const std::string& pattern) { return pattern.empty(); });
    for (std::string& pattern : patterns)
    {
        if (pattern == "*.*")
            pattern = "*";
    }
}

std::string JoinPatterns(const std::vector<std::string>& patterns, char separator)
{
    std::string text;
    for (const std::string& pattern : patterns)
    {
        text += pattern;
        if (!text.empty())
            text += separator;
    }
    return text;
}

bool MatchesAny(const std::vector<std::string>& patterns, std::string_view text, bool caseSensitive)
{
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](const std::string& pattern)
                       { return WildcardMatch(text, pattern, caseSensitive); });
}
} // namespace

CPatternFilter::CPatternFilter() = default;

CPatternFilter::CPatternFilter(std::string_view includeText, std::string_view excludeText, char separator)
    : m_includeEnabled(true), m_excludeEnabled(true)
{
    LoadPatterns(m_includePatterns, includeText, separator, true);
    LoadPatterns(m_excludePatterns, excludeText, separator, true);
}

CPatternFilter::~CPatternFilter() = default;

bool CPatternFilter::Match(std::string_view text, bool caseSensitive) const
{
    const std::string trimmed = Trim(text, kWhiteSpace);
    if (m_includeEnabled && !m_includePatterns.empty() &&
        !MatchesAny(m_includePatterns, trimmed, caseSensitive))
        return false;
    if (m_excludeEnabled && MatchesAny(m_excludePatterns, trimmed, caseSensitive))
        return false;
    return true;
}

void CPatternFilter::SetIncludeText(std::string_view text, char separator)
{
    LoadPatterns(m_includePatterns, text, separator, false);
}

void CPatternFilter::SetExcludeText(std::string_view text, char separator)
{
    LoadPatterns(m_excludePatterns, text, separator, false);
}

std::string CPatternFilter::GetIncludeText(char separator) const
{
    return JoinPatterns(m_includePatterns, separator);
}

std::string CPatternFilter::GetExcludeText(char separator) const
{
    return JoinPatterns(m_excludePatterns, separator);
}

void CPatternFilter::Clear()
{
    m_includeEnabled = false;
    m_excludeEnabled = false;
    m_includePatterns.clear();
    m_excludePatterns.clear();
}
