#pragma once
// The resource kind of a fetched resource (the link types 0 to 17 whose
// names GetResourceTypeName gives): what a response is, judged from its MIME
// type, else from the extension of its path.

#include <string>
#include <string_view>

// From the MIME type when it names a known family: "text/html" is HTML;
// "text/", "/octet-stream" and "/x-javascript" are TEXT; "image/", "video/"
// and "audio/" their kinds; "/zip", "/rar", "/tar" and "/x-tar" ARCHIVE.
// MIME types compare ignoring case, as servers may send them in any case.
// Otherwise from the lower-cased extension of path (the text after the last
// '.' that follows the last '/' or '\'): the HTML, image, text, archive,
// audio and video extensions of the table in the source, FILE for any other
// or none; an empty path is UNKNOWN.
int GetResourceKind(std::string_view mimeType, const std::string& path);

// The name of kinds 0 to 17; an empty text for any other value.
std::string LinkTypeName(int kind);

// The kind whose name equals name ignoring case; 0 (UNKNOWN) for an empty or
// unknown name.
int GetResourceKindByName(std::string_view name);
