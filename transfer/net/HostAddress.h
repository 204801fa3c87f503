#pragma once
// IPv4 host addresses as the transfer engine handles them: dotted texts,
// name look-ups and the dotted form of an address. Addresses are 32-bit
// values in network byte order; 0 and 0xFFFFFFFF are never usable addresses.

#include <cstdint>
#include <string>

// What ParseDottedQuad answers for a text that is not a usable number.
inline constexpr uint32_t kNoAddress = 0xFFFFFFFFu;

// A dotted IPv4 text as an address in network byte order, or kNoAddress when
// the text is not numeric. Parts are decimal and each must stay within 0..255;
// missing parts are 0 ("10.1" is 10.1.0.0); reading stops at the '.' after
// the fourth part ("10.1.2.3.4" is 10.1.2.3); an address of 0 is refused.
// So "0.0.0.0" and "255.255.255.255" are not dotted quads. Null or empty
// text: kNoAddress.
uint32_t ParseDottedQuad(const char* text);
bool IsDottedQuad(const char* text);

// ParseDottedQuad first, else a look-up of the name's IPv4 address
// (getaddrinfo, first answer). True when the address is neither 0 nor
// kNoAddress; *address is written in every case (0 when the look-up failed).
bool ResolveHost(const char* name, uint32_t* address);

// The dotted text of an address in network byte order.
std::string FormatIPv4(uint32_t address);
