#pragma once
// The text form of the registry file. One record per line, fields separated
// by one TAB, lines ending in LF:
//
//   # comment                 ignored (the writer puts one heading line)
//   K<TAB>path                a key; names joined by '\'; later records belong to it
//   S<TAB>name<TAB>text       a String value of the current key
//   D<TAB>name<TAB>decimal    a Dword value, 0 to 4294967295
//   B<TAB>name<TAB>hex        a Binary value, two lowercase hex digits a byte
//
// In names and texts every byte below 0x20 (TAB, CR, LF, NUL...), 0x7F, '%'
// and '\' is written as '%' and two uppercase hex digits, and so is a space
// at the end of a field (which editors like to strip); every other byte,
// UTF-8 included, is written as it is. An empty name is the key's default
// value. Every key is written, so empty keys survive, each before its
// subkeys, subkeys and values in name order.
//
// The reader trusts nothing: a line it cannot read (unknown record, wrong
// field count, bad escape or number, a value before any key, a key deeper
// than kMaxRegistryDepth) is skipped, and a value line after a skipped key
// line is skipped with it. A CR before the LF is tolerated; a repeated key
// merges and a repeated value takes the later line.

#include "platform/core/RegistryNode.h"

#include <string>
#include <string_view>

std::string FormatRegistryText(const CRegistryNode& root);

// Fills root (which should be empty) from text; returns the number of lines
// skipped as unreadable.
size_t ParseRegistryText(std::string_view text, CRegistryNode& root);
