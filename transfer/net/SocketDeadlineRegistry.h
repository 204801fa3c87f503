#pragma once
// The process-wide registry of blocked socket calls and their deadlines.
// A send or receive of CConnection registers its handle with a deadline while
// it is blocked; the transfer manager's one-second tick calls
// SweepExpiredSockets, which closes the socket of every call whose deadline
// has passed, so the call returns and reports a time-out. The registry holds
// no reference on a handle: a call removes its entry before it returns, and a
// handle leaves the registry when it is deleted.
//
// Each handle keeps its own deadline (an atomic), and the registry lists the
// live handles, which join and leave it once in their lives: setting and
// clearing a deadline, twice for every send and receive, takes no lock that
// other connections share.
//
// Lock order: the registry's lock, then a handle's lock.

#include <cstdint>

class CSocketHandle;

// How often the transfer manager's tick sweeps the registry. A blocked call
// also gives up by itself this long after its deadline, so a process that
// never sweeps still sees every call end.
inline constexpr int kSocketSweepPeriodMs = 1000;

// The clock of the deadlines: milliseconds of the monotonic clock.
int64_t SocketDeadlineClock();

// With set non-zero: stores or replaces the handle's deadline and returns
// true, or returns false when the handle has no socket. With set zero:
// removes the handle's entry and returns whether there was one.
bool SetSocketDeadline(CSocketHandle* handle, int set, int64_t deadline);

// Closes the socket of every entry whose deadline is not ahead of the clock
// and removes those entries. Never deletes a handle. Returns how many
// entries it removed.
int SweepExpiredSockets();

// A handle's construction and destruction (CSocketHandle).
void RegisterSocketHandle(CSocketHandle* handle);
void UnregisterSocketHandle(CSocketHandle* handle);
