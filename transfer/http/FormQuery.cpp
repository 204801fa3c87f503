#include "transfer/http/FormQuery.h"

#include <string_view>

#include "foundation/text/Escaping.h"

namespace
{

// The bytes written as escapes: those that would end or split a field or
// the request line, and every byte outside ASCII.
std::string MakeEscapedSet()
{
    std::string set = "\r\n%&+#";
    for (int b = 0x80; b <= 0xFF; ++b)
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
