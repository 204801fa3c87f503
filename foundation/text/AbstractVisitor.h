#pragma once
// The callback through which producers of texts hand them over one by one:
// splitting and joining, attribute lists, directory listings and the stores'
// enumerations. A producer calls Add for each text and stops as soon as Add
// returns false. Consumers that can also give texts back (the array visitor)
// answer Next; the others keep the default, which gives nothing.

#include <string>
#include <string_view>

class CAbstractVisitor
{
public:
    virtual ~CAbstractVisitor() = default;

    // Forgets what was collected so far.
    virtual void Clear() {}
    // Takes one text; false asks the producer to stop.
    virtual bool Add(std::string_view text) = 0;
    // Gives the next text in order; false when there is none.
    virtual bool Next(std::string& text) { return false; }
};
