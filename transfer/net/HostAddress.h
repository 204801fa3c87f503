#pragma once
// IPv4 host addresses as the transfer engine handles them: dotted texts,
// name look-ups and the dotted form of an address. Addresses are 32-bit
// values in network byte order; 0 and 0xFFFFFFFF are never usable addresses.

#include <atomic>
#include <cstdint>
#include <string>

// What ParseDottedQuad answers for a text that is not a usable number.
inline constexpr uint32_t kNoAddress = 0xFFFFFFFFu;

// The time-out of a look-up that waits as long as the resolver takes.
inline constexpr int kNoLookupTimeout = -1;

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
//
// The resolver cannot be interrupted, so a look-up with a time-out (ms, not
// negative) or an abort flag runs on a thread of its own and the caller
// waits only until the answer, the time-out or a non-zero abort flag,
// whichever comes first; an answer that comes later is dropped. A thread
// that raises an abort flag a look-up may watch calls WakeHostLookups after
// the store, so the waiter sees it at once. Without either, the look-up
// runs on the calling thread.
//
// *failure (when given) tells why it was false: kResultHostNotResolved,
// kResultTimeout or kResultStopped (ResultCodes.h); kResultOk on success.
bool ResolveHost(const char* name, uint32_t* address, int timeoutMs = kNoLookupTimeout,
                 const std::atomic<int>* abortFlag = nullptr, int* failure = nullptr);

// Wakes every caller waiting in ResolveHost to look at its abort flag again.
void WakeHostLookups();

// A test seam: the function that looks one name up (getaddrinfo by default),
// answering the address in network byte order or 0. Null puts the default
// back. A look-up takes the function in place when it starts.
using HostLookupFunction = uint32_t (*)(const std::string& name);
void SetHostLookupFunction(HostLookupFunction lookup);

// The dotted text of an address in network byte order.
std::string FormatIPv4(uint32_t address);
