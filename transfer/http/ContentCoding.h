#pragma once
// The content coding of an HTTP body (RFC 9110 8.4): which responses arrive
// compressed, and inflating such a body once it is stored. Requests
// advertise "Accept-Encoding: gzip, deflate", so both must come out as the
// resource itself. A body is stored exactly as received (so that a broken
// transfer can resume from the bytes on disk) and inflated after it is
// complete.
//
// "deflate" is the zlib format (RFC 1950); some servers send the bare
// deflate data (RFC 1951) under that name instead, and both are read.

#include <string>
#include <string_view>

class IGunzipSink;

enum EContentCoding
{
    kCodingIdentity = 0, // none, or "identity"
    kCodingGzip = 1,     // "gzip" or its old name "x-gzip"
    kCodingDeflate = 2,  // "deflate"
    kCodingOther = 3,    // anything else ("br", a list of codings...): kept as received
};

// The coding named by a Content-Encoding value, white space around it and
// letter case ignored.
EContentCoding GetContentCoding(std::string_view contentEncoding);

// Whether a stored body must be inflated: its coding is gzip or deflate and
// its type is not "application/x-tar" (ignoring case). A tar archive served
// with a gzip coding is what the user asked for as a ".tar.gz" file, and is
// kept as received.
bool MustInflateBody(std::string_view contentEncoding, std::string_view contentType);

// Inflates the deflate-coded file at path (zlib format, or bare deflate data)
// into sink, whose Begin gets an empty name, time 0 and size 0. Result codes
// as GunzipFile (foundation/files/GzipReader.h): 0 the whole stream inflated and
// taken; 3 the sink asked to stop; 102 empty path, Begin refused or a short
// write; 108 the file cannot be opened; 111 damaged or truncated data.
int InflateDeflateFile(const std::string& path, IGunzipSink& sink);

// Inflates the stored body at path by its Content-Encoding value: GunzipFile
// for gzip, InflateDeflateFile for deflate; 100 (not supported) for any other
// coding.
int InflateBodyFile(const std::string& path, std::string_view contentEncoding, IGunzipSink& sink);
int InflateBodyFile(const std::string& path, EContentCoding coding, IGunzipSink& sink);
