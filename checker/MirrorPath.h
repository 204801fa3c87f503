#pragma once
// The local name of a downloaded mirror file: a path taken from a URL, made
// safe to use below the download folder.

#include <string>
#include <string_view>

// relative joined below folder, segment by segment ('/' and '\' separate):
// empty, "." and ".." segments are dropped and control characters and
// : * ? " < > | become '_', so the result never leaves the folder whatever
// the URL held. Nothing left gives "[default].html" below the folder.
std::string MirrorPathBelow(std::string_view folder, std::string_view relative);
