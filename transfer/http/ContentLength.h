#pragma once
// The Content-Length of an HTTP response (RFC 9110 8.6), read strictly: the
// length decides where a body ends and where the next response on the same
// connection begins, so a value that is not a plain count is a protocol
// error, never a guess.

#include <cstdint>
#include <string_view>

class CByteBuffer;
class CHttpHeaderFields;

// Reads a Content-Length value: decimal digits, white space around them
// allowed, or a comma-separated list of such counts that are all equal (as
// some proxies write when they merge fields). A sign, any other character,
// an empty text or a count above kMaxContentLength (TransferLimits.h) gives
// false with length untouched.
bool ParseContentLength(std::string_view text, int64_t& length);

enum EContentLengthField
{
    kContentLengthAbsent = 0,
    kContentLengthValid = 1,
    kContentLengthInvalid = -1,
};

// Every "Content-Length:" field of header: absent when there is none; valid,
// with length set, when each reads (ParseContentLength) and all give the same
// count; invalid otherwise. length is -1 unless valid.
EContentLengthField FindContentLength(const CByteBuffer& header, int64_t& length);
// The same over the fields of a block read once.
EContentLengthField FindContentLength(const CHttpHeaderFields& fields, int64_t& length);
