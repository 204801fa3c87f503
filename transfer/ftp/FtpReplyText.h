#pragma once
// The variable parts of FTP replies: the address of a PASV reply (RFC 959
// 4.1.2, "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)"), the PORT command
// that offers an active data connection, and the time of an MDTM reply
// (RFC 3659 3, "213 YYYYMMDDhhmmss[.fff]").
//
// Replies come from the server, so every reader here takes hostile text:
// fields that are missing, out of range or too long make it fail.

#include "platform/core/OleDateTime.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The six numbers of a PASV reply. First the form with parentheses: after the
// first '(' (not the first character), six comma-separated numbers. Failing
// that: the first four characters (the reply code and its blank) are
// dropped, the trailing characters of "\r\n\t]}).,; " trimmed, the text
// after the last blank kept and the non-digits at both its ends cut; it must
// begin with six comma-separated numbers. Numbers are decimal, of one to
// three digits with blanks allowed before each, at most 255 (RFC 959) and
// not followed by a letter; anything else fails. numbers is written only on success.
bool ParsePasvReply(std::string_view reply, std::array<int, 6>& numbers);

// ParsePasvReply, then the address h1.h2.h3.h4 (network byte order, as
// HostAddress.h keeps addresses: h1 is the first byte in memory) and the port
// p1 * 256 + p2. Both outputs are 0 on failure.
bool ParsePasvAddress(std::string_view reply, uint32_t& address, int& port);

// The size a transfer's preliminary reply announces, as most servers write
// it: "150 Opening BINARY mode data connection for f (1234 bytes)." The last
// "(" in the reply must be followed by blanks, one to eighteen decimal
// digits, blanks and "bytes" in any case. Anything else announces nothing:
// false, and size is left alone.
bool ParseTransferSize(std::string_view reply, int64_t& size);

// "PORT h1,h2,h3,h4,p1,p2" for an address in network byte order and a port
// in host order (its high byte first).
std::string FormatPortCommand(uint32_t address, int port);

// The time of an MDTM reply: everything up to and including the first blank
// (when one follows the first character) and everything from the first '.'
// after the first character are dropped; the rest, trimmed, must be exactly
// fourteen digits YYYYMMDDhhmmss of a valid date. The numbers are taken as
// they stand (RFC 3659 says UTC); no zone conversion is made. On failure the
// date is made invalid.
bool ParseMdtmTime(std::string_view text, COleDateTime& date);
