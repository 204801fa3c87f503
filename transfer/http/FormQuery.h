#pragma once
// The query string of a form submitted with GET: "?name=value&name=value".

#include <string>

// Appends one field to query: "?" when query is empty, else "&", then the
// name, "=" and the value, both encoded as application/x-www-form-urlencoded
// does: a blank becomes "+"; "%", "&", "=", "+", "#", every control byte
// (below 0x20 and 0x7F) and every byte of 0x80 or above become "%" and two
// upper-case hex digits; every other byte is copied. Without these escapes
// the server would read a bare "+" as a blank, split a field at "&" or "=",
// and the URL would end at a bare "#". A null or empty name appends
// nothing; a null value is taken as empty.
void AppendFormParam(std::string& query, const char* name, const char* value);
