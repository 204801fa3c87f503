#pragma once
// Reading and writing the program's own XML files (settings export,
// favourites, URL history) as whole documents.
//
// Writing: the tree is written as every such file is laid out (every node
// type, two blanks per level, "\r\n" after each line) through CXmlWriter
// into a replacement file that takes the old one's place in one step
// (platform/core/AtomicFile.h), so a crash, a full disk or a failed write
// never leaves a half-written file: after a failure the old file is still
// there as it was.
//
// Reading: the file is parsed in strict XML mode (XmlParser.h).

#include <string>
#include <sys/types.h>

class CXmlNode;

// Writes the document below root to path, replacing it atomically; mode
// (less the umask) is the mode of the new file. False, with the old file
// kept, when the path is empty or the file could not be written whole.
[[nodiscard]] bool WriteXmlDocumentFile(const CXmlNode& root, const std::string& path, mode_t mode);

// Clears root and parses the file into it. False when the path names no
// file (missing, or a folder) or the file cannot be opened; root stays
// empty. Otherwise true; complete (may be null) tells whether the whole
// file was read into the tree, or parsing stopped early (a broken token, an
// end tag that does not close the open element, markup cut off by the end
// of the file) with the tree holding what came before.
[[nodiscard]] bool ReadXmlDocumentFile(const std::string& path, CXmlNode& root, bool* complete);
