#pragma once
// The packed form of a log text that nobody writes to any more (the log of a
// finished job, kept until the job is removed): raw deflate with a preset
// dictionary of the lines every transfer log repeats, so that a typical
// HTTP exchange of some 650 bytes keeps about 145. The manager may hold a
// hundred thousand finished jobs, and their logs were most of their memory.
// The packed bytes live in memory only; nothing stores or compares them.

#include <cstddef>
#include <string>
#include <string_view>

// The packed bytes of text; empty when packing would not make it smaller
// (the caller then keeps the text as it is).
std::string PackLogText(std::string_view text);
// The text again: `length` bytes, as PackLogText was given. Empty when the
// packed bytes do not give back exactly that many.
std::string UnpackLogText(std::string_view packed, size_t length);
