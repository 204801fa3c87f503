#include "foundation/text/Wildcard.h"

#include "platform/core/Text.h"

#include <utility>

namespace
{
enum class ElementResult
{
    match,
    mismatch,
    malformed, // a set that can match nothing, wherever it stands
};

unsigned char Fold(char c, bool caseSensitive)
{
    return static_cast<unsigned char>(caseSensitive ? c : AsciiToUpper(c));
}

// Matches the one-character element at pattern[p] against c and sets length
// to the number of pattern characters the element takes. Never called for '*'.
ElementResult MatchElement(std::string_view pattern, size_t p, char c, bool caseSensitive, size_t& length)
{
    const unsigned char ch = Fold(c, caseSensitive);
    if (pattern[p] == '?')
    {
        length = 1;
        return ElementResult::match;
    }
    if (pattern[p] != '[')
    {
        length = 1;
        return Fold(pattern[p], caseSensitive) == ch ? ElementResult::match : ElementResult::mismatch;
    }

    size_t start = p + 1;
    const bool negate = start < pattern.size() && pattern[start] == '!';
    if (negate)
        ++start;
    const size_t close = pattern.find(']', start);
    if (close == std::string_view::npos || close == start)
        return ElementResult::malformed;
    const std::string_view set = pattern.substr(start, close - start);
    length = close + 1 - p;

    bool found = false;
    if (set.find('-') != std::string_view::npos)
    {
        if (set.size() != 3 || set[1] != '-')
            return ElementResult::malformed;
        unsigned char low = Fold(set[0], caseSensitive);
        unsigned char high = Fold(set[2], caseSensitive);
        if (low > high)
            std::swap(low, high);
        found = ch >= low && ch <= high;
    }
    else
    {
        for (const char s : set)
        {
            if (Fold(s, caseSensitive) == ch)
            {
                found = true;
                break;
            }
        }
    }
    return found != negate ? ElementResult::match : ElementResult::mismatch;
}
} // namespace

// Every element other than '*' takes exactly one text character, so when a
// match fails after a star it is enough to let the most recent star take one
// more character and try again: an earlier star could only shift the same
// star-free stretch, which the later star already covers. This gives the
// results of trying every split recursively without its exponential cost.
bool WildcardMatch(std::string_view text, std::string_view pattern, bool caseSensitive)
{
    if (text.empty())
        return false;
    if (pattern.empty())
        return true;

    size_t t = 0;
    size_t p = 0;
    size_t starPattern = std::string_view::npos; // pattern position after the last star run
    size_t starText = 0;                         // text position that star run was tried at

    for (;;)
    {
        if (p < pattern.size() && pattern[p] == '*')
        {
            while (p < pattern.size() && pattern[p] == '*')
                ++p;
            if (p == pattern.size())
                return true;
            if (t == text.size())
                return false;
            starPattern = p;
            starText = t;
            continue;
        }

        bool advanced = false;
        if (p < pattern.size())
        {
            // Running out of text here cannot be cured by a star taking more.
            if (t == text.size())
                return false;
            size_t length = 0;
            const ElementResult result = MatchElement(pattern, p, text[t], caseSensitive, length);
            if (result == ElementResult::malformed)
                return false;
            if (result == ElementResult::match)
            {
                p += length;
                ++t;
                advanced = true;
            }
        }
        else if (t == text.size())
        {
            return true;
        }

        if (advanced)
            continue;
        if (starPattern == std::string_view::npos)
            return false;
        ++starText;
        if (starText == text.size())
            return false;
        t = starText;
        p = starPattern;
    }
}
