#pragma once
// A reader for the fixed-layout lines that servers send (FTP directory
// listings), driven by scanf-style format texts so that each line layout reads
// as one short pattern. It follows the C library's scanf rules for the
// conversions it knows, but works on a std::string_view (no terminating NUL
// needed, embedded NULs are ordinary characters), never writes past a
// target, reads numbers in the "C" locale and saturates instead of
// overflowing.
//
// Format elements:
//   white space      skips any run of white space in the text, also none;
//   other character  must equal the next character of the text;
//   %s               skips white space, then reads a run of non-white-space
//                    characters (at least one) into a std::string_view that
//                    points into the text;
//   %d, %I64d        skips white space, reads an optional sign and decimal
//                    digits into an int or an int64_t; values beyond the
//                    type's range saturate at its limit;
//   %I64u            like %I64d into a uint64_t; as with strtoull, a '-'
//                    negates modulo 2^64 ("-1" reads as all bits set), and
//                    a value beyond 2^64-1 saturates there;
//   %[set], %[^set]  reads a run of characters of the set (or, with '^', not
//                    in it) into a std::string_view, without skipping white
//                    space; a ']' right after '[' or "[^" belongs to the set;
//   %n               stores how many characters were read so far (into a
//                    ScanPosition); not counted as a conversion;
//   %%               a literal '%'.
// '*' after '%' reads without storing and without counting. A width ("%100s")
// or a precision ("%.100s", which some format texts use to mean the same)
// limits how many characters a conversion reads.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <variant>

// The target of %n: an offset into the text. A type of its own, as size_t and
// uint64_t may be the same type.
struct ScanPosition
{
    size_t offset = 0;
};

using ScanTarget = std::variant<std::string_view*, int*, int64_t*, uint64_t*, ScanPosition*>;

// Reads text by format, storing each stored conversion into the next target
// in order. Returns how many conversions (not counting %n) were stored before
// the text ended or stopped matching. A target whose type does not fit its
// conversion is a programming error: the scan stops there (and asserts in
// debug builds).
int ScanFormat(std::string_view text, std::string_view format, std::initializer_list<ScanTarget> targets);
