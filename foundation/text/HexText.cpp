#include "foundation/text/HexText.h"

std::string HexEncode(const void* bytes, size_t count, int bytesPerLine, std::string_view linePrefix,
                      std::string_view separator, std::string_view lineEnd)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    if (!bytes || count == 0)
        return out;
    const auto* data = static_cast<const unsigned char*>(bytes);
    int inLine = 0;
    for (size_t i = 0; i < count; ++i)
    {
        if (inLine == 0)
            out.append(linePrefix);
        out += kDigits[data[i] >> 4];
        out += kDigits[data[i] & 0x0F];
        ++inLine;
        if (bytesPerLine > 0 && inLine == bytesPerLine)
        {
            out.append(lineEnd);
            inLine = 0;
        }
        else
        {
            out.append(separator);
        }
    }
    return out;
}
