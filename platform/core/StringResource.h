#pragma once
// The program's string table is a C++ table in res/; the engine side reaches
// it only through this hook so that it never links the resource library.
// Until a table is installed every lookup fails.

#include <string>

using StringTableLookup = const char* (*)(unsigned id);

void SetStringTableLookup(StringTableLookup lookup);

// Copies the text of string id into out; false (out untouched) when there is
// no table or no such string.
bool LoadResourceString(unsigned id, std::string& out);
