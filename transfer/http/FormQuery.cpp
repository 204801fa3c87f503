#include "transfer/http/FormQuery.h"

#include <string_view>

#include "foundation/text/Escaping.h"

namespace
{

// The bytes written as escapes: those that would end or split a field or
// the request line ("&", "=", "#", "%", "+"), every control byte, and every
// byte outside ASCII. A field may hold a NUL byte only through a text that
// carries it (the name and value here stop at one).
std::string MakeEscapedSet()
{
    std::string set = "%&+#=";
    for (int b = 0x01; b < 0x20; ++b)
        set += static_cast<char>(b);
    for (int b = 0x7F; b <= 0xFF; ++b)
        set += static_cast<char>(b);
    return set;
}

std::string EncodeFormText(std::string_view text)
{
    static const std::string kEscaped = MakeEscapedSet();
    // Blanks are turned into '+' after escaping, so that a '+' of the text
    // itself has already become "%2B".
    std::string encoded = EscapeCharSet(text, kEscaped, '%');
    for (char& c : encoded)
    {
        if (c == ' ')
            c = '+';
    }
    return encoded;
}

} // namespace

void AppendFormParam(std::string& query, const char* name, const char* value)
{
    if (!name || !*name)
        return;
    query += query.empty() ? '?' : '&';
    query += EncodeFormText(name);
    query += '=';
    query += EncodeFormText(value ? value : "");
}
