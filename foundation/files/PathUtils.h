#pragma once
// Path text: recognising local paths, finding the name and extension,
// splitting off the folder and joining a folder with a name, and the path of
// the program itself.
//
// Paths use '/'. These functions read text that may come from URLs or from
// older stored data, so they accept both '/' and '\' as separators; the
// paths they build are joined with '/'. Paths compare case-sensitively and
// are never cut to any length.

#include <string>
#include <string_view>

// A local path is text beginning with '/', "~/" or "file:" (five bytes,
// compared case-sensitively). A link found in a page is resolved against its
// page before this question is asked, so "/img/a.png" of a web page never
// reaches it.
bool IsLocalPath(std::string_view text);

// The last '.' that lies after the last separator, or null when there is
// none ("a/b.c/d" has none). Points into text; null for a null text.
const char* FindFileExtension(const char* text);

// The character after the last separator (the end of text when the text ends
// with one), or null when the text has no separator or is null.
const char* FindFileName(const char* text);

// The text up to and including its last separator; the whole text when it
// has no separator.
std::string GetDirectoryPart(std::string_view text);

// A name that is itself a local path is returned unchanged. Otherwise '\' in
// both parts becomes '/', trailing '/' are removed from both and leading '/'
// from the name, and the parts are joined by one '/'. An empty folder gives
// the name alone, never a path at the root.
std::string CombinePath(std::string_view folder, std::string_view name);

// The full path of a module's file: the program itself for null, else the
// shared object that holds the given address (a function or object of it).
// Empty when it cannot be found.
std::string GetModulePath(const void* module = nullptr);
// GetModulePath up to, not including, its last '/'.
std::string GetModuleDirectory(const void* module = nullptr);
// CombinePath of the program's folder and name.
std::string GetModuleFilePath(std::string_view name);
