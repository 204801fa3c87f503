#pragma once
// Public suffixes: domains under which anyone may register a name ("com",
// "co.uk", "github.io"). A cookie set for one of them would reach every site
// below it, so the cookie store refuses such a Domain. The list is libpsl's
// built-in copy of the Public Suffix List, so the answer never depends on
// files of the machine.

#include <string_view>

// Whether domain (any case, a leading or trailing '.' ignored) is a public
// suffix. A name the list does not know ("example", "local") is not one:
// only the list's own rules count, not its implicit rule for unknown
// top-level names.
bool IsPublicSuffix(std::string_view domain);
