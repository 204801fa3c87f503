#pragma once
// The character references of HTML, as a page's attribute values hold them:
// numeric ("&#64;", "&#x26;") and named ("&amp;", "&AMP;", "&copy;"). The
// table of names is data generated from the HTML standard's list
// (HtmlEntityTable.cpp, written by scripts/gen-html-entities); this is the
// one place that knows it. Writing markup keeps to the six entities of
// Escaping.h.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// One named reference: the name with its ';' ("amp;") and its text in UTF-8.
struct HtmlEntity
{
    const char* name;
    const char* text;
};

// A numeric reference that HTML reads as another code point.
struct HtmlCharRefFix
{
    uint32_t number;
    uint32_t codePoint;
};

extern const HtmlEntity kHtmlEntities[];
extern const size_t kHtmlEntityCount;
extern const HtmlCharRefFix kHtmlCharRefFixes[];
extern const size_t kHtmlCharRefFixCount;

// The UTF-8 text of a named reference given with its ';' ("copy;"), compared
// case-sensitively as HTML does; null when HTML has no such name.
const char* FindHtmlEntity(std::string_view nameWithSemicolon);

// Decodes the character references in text as HTML does in attribute values:
// "&#" with decimal digits or "&#x" with hexadecimal ones (the ';' may be
// left out) becomes that character in UTF-8, 0, a surrogate or a number past
// U+10FFFF becoming U+FFFD and the C1 range read as windows-1252; "&name;"
// becomes its text when HTML names it. A name without its ';' is left as it
// stands, so a query such as "?a=1&copy=2" keeps its parameter; anything
// else that is not a reference is copied unchanged.
std::string DecodeHtmlEntities(std::string_view text);
