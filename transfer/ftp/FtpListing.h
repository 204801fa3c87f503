#pragma once
// Reading the text an FTP server sends for LIST into folder entries. LIST has
// no standard layout (RFC 959 leaves it to the server), so the parser guesses
// the server's style: from a header line that some systems write first, or
// from the first line that one of the line parsers accepts, after which the
// rest of the listing is read in that style only.
//
// Every line comes from the server and is read as hostile: parsers never
// read past the end of a line, and a line that does not fit its style is
// skipped, never half-reported.

#include "foundation/threads/CancelPoll.h"
#include "platform/core/OleDateTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The listing styles. A style is fixed by the first line a parser accepts (or
// by the header line); styles without a parser yield no entries.
enum FtpListingStyle
{
    kListingStyleUnknown = 0,    // not yet known: every parser is tried
    kListingStyleDos = 1,        // "MM-DD-YY  hh:mmAM  <DIR>|size name"
    kListingStyleUnix = 2,       // "ls -l" lines in their many variants
    kListingStyle3 = 3,          // no parser
    kListingStyleVolumeUnit = 4, // header "NameVV.MM..." or "VolumeUnit...": no parser
    kListingStyleFileCode = 5,   // header "FileCodeEOFLastModificationOwnerRWEP": no parser
    kListingStyle6 = 6,          // no parser
    kListingStyleSizeFirst = 7,  // "size Mon day, year hh:mm name"
    kListingStyleReportFor = 8,  // header "Report for:", then "name x size m/d/y h:m"
};

enum FtpEntryKind
{
    kEntryUnspecified = 0,
    kEntryFolder = 1,
    kEntryFile = 2,
    kEntrySymbolicLink = 3,
};

// One entry of a listing.
struct CFtpListingEntry
{
    std::string m_name;
    std::string m_attributes; // the permission field of UNIX lines, else empty
    int64_t m_size = -1;      // -1 when the line gives none
    COleDateTime m_date;      // may be invalid when the line's date is impossible
    int m_kind = kEntryUnspecified;
};

// The caller's side of a parse: receives the entries and keeps the style
// between lines (and between listings of one server, when the caller keeps
// the sink).
class CListingSink
{
public:
    virtual ~CListingSink() = default;

    virtual void OnListingEntry(const CFtpListingEntry& entry) = 0;

    int m_style = kListingStyleUnknown;
    // The first line of the last listing given to ParseFtpListing, trimmed.
    std::string m_firstLine;
    // The local time against which dates without a year are read; when empty,
    // the clock is read for each line that needs it.
    std::optional<COleDateTime> m_now;
};

// Parses a whole listing: lines end at LF (a CR before it is dropped). The
// cancel object, when given, is asked before each line and a non-zero answer
// ends the parse. The first line is kept in the sink; while the style is
// unknown it is first offered to DetectListingStyle, and a header line that
// fixes the style yields no entry. Every other line goes to ParseListingLine.
void ParseFtpListing(CListingSink& sink, std::string_view listing, ICancelPoll* cancel = nullptr);

// The style that a header line announces, or kListingStyleUnknown. Blanks and
// tabs are removed before the comparison, so "Report for: x" and "Reportfor:"
// both give kListingStyleReportFor.
int DetectListingStyle(std::string_view firstLine);

// Parses one line (without its line end) in the sink's style; with the style
// unknown, tries DOS, UNIX, size-first and report-for in that order and fixes
// the style on the first that accepts the line. True when an entry was
// reported.
bool ParseListingLine(CListingSink& sink, std::string_view line);

// The line parsers: each reports at most one entry and returns true when it
// did. They leave the sink's style alone.
//
// DOS (IIS and other Windows servers): date, time, then "<DIR>" (any case; a
// folder of size -1, its name after the padding that follows) or a size in
// digits (a file, its name after one separator). The name is the rest of the
// line and may hold blanks.
bool ParseDosListingLine(CListingSink& sink, std::string_view line);
// UNIX: the "ls -l" forms of many systems, with or without link count and
// group, with the date as "Mon day hh:mm", "Mon day year", "day Mon ...",
// "year/month/day hh:mm", and more. The kind follows the first character
// ('-' file, 'd' folder, 'l' symbolic link; other lines are skipped); the
// attribute text is the permission field; a link's " -> target" is not part
// of its name. A date without a year is placed in the year that makes it
// not later than now (with two days of tolerance for servers whose clock or
// time zone runs ahead), as ls writes a time instead of a year only for
// files of the last months.
bool ParseUnixListingLine(CListingSink& sink, std::string_view line);
// Size first: "size Mon day, year hh:mm name", the name with every '*'
// removed; a name ending in '/' is a folder (without the '/'), else a file.
bool ParseSizeFirstListingLine(CListingSink& sink, std::string_view line);
// Report-for style: "name x size month/day/year hour:minute", of kind
// unspecified; two-digit years below 70 are 20xx, others below 1900 19xx.
bool ParseListingLineStyle8(CListingSink& sink, std::string_view line);

// A DOS listing date "MM-DD-YY hh:mmAM" (or PM), at most 20 characters, every
// field exactly two characters. A month outside 1 to 12 is read as January;
// years above 49 are 19xx, the others 20xx; 12 AM is hour 0 and 12 PM hour
// 12. False, with date left alone, for any other text or an impossible date.
bool ParseDosDateTime(std::string_view text, COleDateTime& date);
