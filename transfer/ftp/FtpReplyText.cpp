#include "transfer/ftp/FtpReplyText.h"

#include "platform/core/Text.h"

#include <cctype>
#include <cstring>

namespace
{

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// One PASV number at pos: blanks, then one to three decimal digits of a value
// up to 255, not followed by a letter. pos moves past it.
bool ReadByteNumber(std::string_view text, size_t& pos, int& value)
{
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    const size_t start = pos;
    value = 0;
    while (pos < text.size() && IsDigit(text[pos]))
    {
        if (pos - start == 3)
            return false;
        value = value * 10 + (text[pos++] - '0');
    }
    // A letter right after the digits ("0x10") is not a decimal number.
    const bool endsClean = pos >= text.size() || !std::isalpha(static_cast<unsigned char>(text[pos]));
    return pos > start && value <= 255 && endsClean;
}

// Six comma-separated byte numbers at the start of text; what follows them
// does not matter.
bool ReadSixNumbers(std::string_view text, std::array<int, 6>& numbers)
{
    std::array<int, 6> read{};
    size_t pos = 0;
    for (size_t i = 0; i < read.size(); ++i)
    {
        if (i > 0)
        {
            if (pos >= text.size() || text[pos] != ',')
                return false;
            ++pos;
        }
        if (!ReadByteNumber(text, pos, read[i]))
            return false;
    }
    numbers = read;
    return true;
}

} // namespace

bool ParsePasvReply(std::string_view reply, std::array<int, 6>& numbers)
{
    const size_t open = reply.find('(');
    if (open != std::string_view::npos && ReadSixNumbers(reply.substr(open + 1), numbers))
        return true;

    // Servers that leave out the parentheses: "227 Entering Passive Mode
    // h1,h2,h3,h4,p1,p2." or "227 =h1,...".
    if (reply.size() < 4)
        return false;
    std::string rest = TrimRight(reply.substr(4), "\r\n\t]}).,; ");
    const size_t blank = rest.rfind(' ');
    if (blank != std::string::npos)
        rest.erase(0, blank + 1);
    while (!rest.empty() && !IsDigit(rest.back()))
        rest.pop_back();
    size_t start = 0;
    while (start < rest.size() && !IsDigit(rest[start]))
        ++start;
    return ReadSixNumbers(std::string_view(rest).substr(start), numbers);
}

bool ParsePasvAddress(std::string_view reply, uint32_t& address, int& port)
{
    address = 0;
    port = 0;
    std::array<int, 6> numbers{};
    if (!ParsePasvReply(reply, numbers))
        return false;
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(numbers[0]), static_cast<unsigned char>(numbers[1]),
        static_cast<unsigned char>(numbers[2]), static_cast<unsigned char>(numbers[3])};
    std::memcpy(&address, bytes, sizeof address);
    port = numbers[4] * 256 + numbers[5];
    return true;
}

bool ParseTransferSize(std::string_view reply, int64_t& size)
{
    // A size with more digits than this cannot be a file's and would not fit.
    constexpr size_t kMaxDigits = 18;
    const size_t open = reply.rfind('(');
    if (open == std::string_view::npos)
        return false;
    size_t pos = open + 1;
    auto skipBlanks = [&]
    {
        while (pos < reply.size() && reply[pos] == ' ')
            ++pos;
    };
    skipBlanks();
    const size_t start = pos;
    int64_t value = 0;
    while (pos < reply.size() && IsDigit(reply[pos]) && pos - start < kMaxDigits)
        value = value * 10 + (reply[pos++] - '0');
    if (pos == start || (pos < reply.size() && IsDigit(reply[pos])))
        return false;
    skipBlanks();
    if (!StartsWithNoCase(reply.substr(pos), "bytes"))
        return false;
    size = value;
    return true;
}

std::string FormatPortCommand(uint32_t address, int port)
{
    unsigned char bytes[4];
    std::memcpy(bytes, &address, sizeof bytes);
    return Format("PORT %d,%d,%d,%d,%d,%d", bytes[0], bytes[1], bytes[2], bytes[3], (port >> 8) & 0xFF,
                  port & 0xFF);
}

bool ParseMdtmTime(std::string_view text, COleDateTime& date)
{
    date = COleDateTime();
    date.m_status = COleDateTime::invalid;
    const size_t blank = text.find(' ');
    if (blank != std::string_view::npos && blank >= 1)
        text.remove_prefix(blank + 1);
    const size_t dot = text.find('.', 1);
    if (dot != std::string_view::npos)
        text = text.substr(0, dot);
    const std::string digits = Trim(text);
    if (digits.size() != 14)
        return false;
    for (char c : digits)
    {
        if (!IsDigit(c))
            return false;
    }
    auto number = [&digits](size_t at, size_t length) { return std::stoi(digits.substr(at, length)); };
    return date.SetDateTime(number(0, 4), number(4, 2), number(6, 2), number(8, 2), number(10, 2),
                            number(12, 2));
}
