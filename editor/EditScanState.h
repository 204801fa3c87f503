#pragma once
// Where the colouriser's scan stood at the start of a line, so colouring can
// resume at any line whose predecessors are coloured instead of rescanning
// the whole text. The text buffer stores one per line and never reads it;
// the colouriser alone gives the fields their meaning.

#include <cstdint>
#include <string>

struct CEditScanState
{
    // What the scan is inside of (the colouriser's own numbering; 0 = plain
    // text), with its details: the delimiter pair of a block, the quote of a
    // string or value, the colour chosen for a log or header line.
    int8_t m_step = 0;
    int8_t m_pair = 0;
    char m_quote = 0;
    int8_t m_colour = 0;
    // A token whose kind is known only at its end (a quoted value over
    // several lines, the blanks in a tag that join the next span) started
    // this many lines back at this index; -1 when none is open.
    int32_t m_pendingBack = -1;
    int32_t m_pendingIndex = 0;
    // Inside a tag: the tag name and the current attribute name, which the
    // kinds of later spans depend on.
    std::string m_tagName;
    std::string m_attributeName;

    bool operator==(const CEditScanState&) const = default;
};
