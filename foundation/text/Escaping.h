#pragma once
// Escaped forms of text and back: percent escapes for URLs and local names,
// character entities for the XML writer and the HTML and XML reader, and the
// plain number readers. All work on bytes; nothing depends on the locale.
// The *Into forms append to a byte buffer and return false only when the
// buffer could not grow; the string forms build in a buffer of growth step
// 256 and return its contents.

#include <cstdint>
#include <string>
#include <string_view>

class CByteBuffer;

// One row of an entity table: the entity as written ("&amp;") and the text it
// stands for ("&"). A table ends with a row whose entity is null.
struct EntityEntry
{
    const char* entity;
    const char* replacement;
};

// "&nbsp;" (a blank), "&amp;", "&lt;", "&gt;", "&apos;", "&quot;", then the
// end row. Decoding uses the whole table; encoding starts at kEntityTable + 1
// so that a blank is never written as "&nbsp;".
extern const EntityEntry kEntityTable[];

// The characters that are not safe in a URL: "% <>\"#{}|\\^~[]'".
extern const char kUnsafeUrlChars[];

// Every character of text that occurs in set becomes escape followed by two
// upper-case hexadecimal digits of its byte value; others are copied.
std::string EscapeCharSet(std::string_view text, std::string_view set, char escape);
bool EscapeCharSetInto(CByteBuffer& out, std::string_view text, std::string_view set, char escape);

// EscapeCharSet with the unsafe-URL set: with '%', a blank becomes "%20" and
// a percent sign "%25".
std::string UrlEscapeUnsafe(std::string_view text, char escape = '%');

// escape followed by two hexadecimal digits becomes that byte; a digit that
// is not 0-9, a-f or A-F counts as 0. An escape with fewer than two
// characters after it is kept as it stands, with what follows it.
std::string UnescapeChars(std::string_view text, char escape);

// Replaces each character that is a replacement in the table (null: the
// table without "&nbsp;") by its entity.
std::string EscapeXmlEntities(std::string_view text);
std::string EscapeEntities(std::string_view text, const EntityEntry* table);
bool EscapeEntitiesInto(CByteBuffer& out, std::string_view text, const EntityEntry* table);

// Decodes entities with the table (null: the whole table) and, when escape is
// not 0, escape sequences as UnescapeChars does, in one pass. A candidate
// entity runs from '&' to the next ';'; an unknown one is copied unchanged,
// and without a ';' the rest of the text is copied unchanged.
std::string UnescapeXmlEntities(std::string_view text);
std::string UnescapeXmlEntitiesEx(std::string_view text, char escape);
std::string DecodeEntities(std::string_view text, const EntityEntry* table, char escape);
bool DecodeEntitiesInto(CByteBuffer& out, std::string_view text, const EntityEntry* table, char escape);

// Decimal text to a number: leading white space, an optional sign, digits;
// whatever follows is ignored. Null, empty or digit-less text gives 0. An
// integer beyond the type's range gives the type's largest or smallest value.
// StrToDoubleSafe reads the forms of strtod with '.' as the decimal point.
int32_t StrToIntSafe(const char* text);
int32_t StrToIntSafe(const std::string& text);
int64_t StrToInt64Safe(const char* text);
int64_t StrToInt64Safe(const std::string& text);
double StrToDoubleSafe(const char* text);
double StrToDoubleSafe(const std::string& text);
