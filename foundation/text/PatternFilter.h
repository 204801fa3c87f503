#pragma once
// Include and exclude lists of wildcard patterns (the syntax of WildcardMatch
// in foundation/text/Wildcard.h). A task's crawl filter derives from this class;
// the proxy layer builds one from the proxy skip list.
//
// A pattern "*.*" is always stored as "*", so it matches names without a dot
// too. Each list takes part in matching only while its flag is set. The
// filter has no lock of its own.

#include "foundation/text/TextFilter.h"

#include <string>
#include <string_view>
#include <vector>

class CPatternFilter : public ITextFilter
{
public:
    // Both lists empty, both flags clear.
    CPatternFilter();
    // Splits each text at every occurrence of separator, trims white space
    // from each piece and keeps empty pieces between two separators (an empty
    // pattern matches every non-empty text, so "a;;b" accepts everything);
    // sets both flags. The piece after the last separator counts only when it
    // is not empty.
    CPatternFilter(std::string_view includeText, std::string_view excludeText, char separator);
    CPatternFilter(const CPatternFilter&) = default;
    CPatternFilter& operator=(const CPatternFilter&) = default;
    ~CPatternFilter() override;

    // The text, trimmed of white space, must match at least one include
    // pattern (when include is enabled and the list is not empty) and no
    // exclude pattern (when exclude is enabled). Without caseSensitive the
    // comparison ignores ASCII case.
    bool Match(std::string_view text, bool caseSensitive) const override;

    // Replace a list by the pieces of text split at separator, trimmed, with
    // empty pieces dropped. The flags stay as they are.
    void SetIncludeText(std::string_view text, char separator);
    void SetExcludeText(std::string_view text, char separator);

    // The patterns in order, each followed by separator once the text built
    // so far is not empty: "a" and "b" give "a;b;" for ';'.
    std::string GetIncludeText(char separator) const;
    std::string GetExcludeText(char separator) const;

    bool IsIncludeEnabled() const { return m_includeEnabled; }
    bool IsExcludeEnabled() const { return m_excludeEnabled; }
    void SetIncludeEnabled(bool enabled) { m_includeEnabled = enabled; }
    void SetExcludeEnabled(bool enabled) { m_excludeEnabled = enabled; }

    // Clears both flags and empties both lists.
    void Clear();

private:
    bool m_includeEnabled = false;
    bool m_excludeEnabled = false;
    std::vector<std::string> m_includePatterns;
    std::vector<std::string> m_excludePatterns;
};
