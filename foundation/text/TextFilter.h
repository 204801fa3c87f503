#pragma once
// The interface of every filter that accepts or rejects a text (a URL, a host
// name): the pattern filter, and the crawl filter of a task built on it.

#include <string_view>

class ITextFilter
{
public:
    virtual ~ITextFilter() = default;

    // True when the text passes the filter.
    virtual bool Match(std::string_view text, bool caseSensitive) const = 0;
};
