#pragma once
// The two general-purpose visitors: one that collects texts in a string
// array, one that joins them into a single string.

#include "foundation/text/AbstractVisitor.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Collects texts into an array it does not own, inserting each at a running
// position that starts at 0, so a visitor used once over an array that
// already holds elements puts the new texts in front of the old ones. With
// the trim flag set each inserted text loses the white space at both ends.
// Next reads the array from the same running position.
class CStringArrayVisitor : public CAbstractVisitor
{
public:
    explicit CStringArrayVisitor(std::vector<std::string>& array, bool trim = false);

    // Empties the array and sets the position back to 0.
    void Clear() override;
    // Inserts at the position and advances it; always true.
    bool Add(std::string_view text) override;
    // Copies the element at the position and advances; false at the end.
    bool Next(std::string& text) override;

private:
    std::vector<std::string>* m_array;
    size_t m_cursor = 0;
    bool m_trim;
};

// Appends every text followed by the separator to a target string, so the
// result ends with a separator when anything was added. Without a target
// (null) Add refuses and Clear does nothing.
class CStringJoinVisitor : public CAbstractVisitor
{
public:
    CStringJoinVisitor(std::string* target, std::string_view separator);

    void Clear() override;
    bool Add(std::string_view text) override;

private:
    std::string* m_target;
    std::string m_separator;
};
