#include "foundation/text/Base64.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace
{
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr uint8_t kInvalid = 0xFF;

// Covers every byte value, so no input can index past its end.
constexpr std::array<uint8_t, 256> MakeReverseTable()
{
    std::array<uint8_t, 256> table{};
    for (auto& entry : table)
        entry = kInvalid;
    for (uint8_t i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = i;
    return table;
}

constexpr std::array<uint8_t, 256> kReverse = MakeReverseTable();

uint8_t ValueOf(char c)
{
    return kReverse[static_cast<unsigned char>(c)];
}

void DecodeInto(std::string_view text, std::string& out)
{
    if (text.size() <= 3)
        return;
    out.reserve(out.size() + text.size() / 4 * 3);
    for (size_t i = 0; i + 4 <= text.size(); i += 4)
    {
        const char* group = text.data() + i;
        if (group[0] == '=' || group[1] == '=')
            return;
        const uint8_t v0 = ValueOf(group[0]);
        const uint8_t v1 = ValueOf(group[1]);
        if (v0 == kInvalid || v1 == kInvalid)
            return;
        const auto b0 = static_cast<char>((v0 << 2) | (v1 >> 4));
        if (group[2] == '=')
        {
            out += b0;
            continue;
        }
        const uint8_t v2 = ValueOf(group[2]);
        if (v2 == kInvalid)
            return;
        const auto b1 = static_cast<char>(((v1 & 0x0F) << 4) | (v2 >> 2));
        if (group[3] == '=')
        {
            out += b0;
            out += b1;
            continue;
        }
        const uint8_t v3 = ValueOf(group[3]);
        if (v3 == kInvalid)
            return;
        out += b0;
        out += b1;
        out += static_cast<char>(((v2 & 0x03) << 6) | v3);
    }
}
} // namespace

std::string Base64Encode(const void* bytes, size_t count)
{
    std::string out;
    if (!bytes || count == 0)
        return out;
    const auto* data = static_cast<const unsigned char*>(bytes);
    out.reserve((count + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= count; i += 3)
    {
        const uint32_t bits = (uint32_t{data[i]} << 16) | (uint32_t{data[i + 1]} << 8) | data[i + 2];
        out += kAlphabet[(bits >> 18) & 0x3F];
        out += kAlphabet[(bits >> 12) & 0x3F];
        out += kAlphabet[(bits >> 6) & 0x3F];
        out += kAlphabet[bits & 0x3F];
    }
    if (count - i == 1)
    {
        out += kAlphabet[data[i] >> 2];
        out += kAlphabet[(data[i] & 0x03) << 4];
        out += "==";
    }
    else if (count - i == 2)
    {
        out += kAlphabet[data[i] >> 2];
        out += kAlphabet[((data[i] & 0x03) << 4) | (data[i + 1] >> 4)];
        out += kAlphabet[(data[i + 1] & 0x0F) << 2];
        out += '=';
    }
    return out;
}

bool Base64Decode(std::string_view text, CByteBuffer& out)
{
    std::string decoded;
    DecodeInto(text, decoded);
    if (decoded.empty())
        return true;
    const int32_t length = out.GetLength();
    if (decoded.size() > static_cast<size_t>(CByteBuffer::kMaxCapacity - length))
        return false;
    const auto n = static_cast<int32_t>(decoded.size());
    if (out.GetCapacity() - length < n && !out.Grow(n - (out.GetCapacity() - length)))
        return false;
    std::memcpy(out.GetData() + length, decoded.data(), decoded.size());
    out.SetLength(length + n);
    return true;
}

std::string Base64DecodeToString(std::string_view text)
{
    std::string decoded;
    DecodeInto(text, decoded);
    for (char& c : decoded)
    {
        const auto b = static_cast<unsigned char>(c);
        if (b == 0x00 || b == 0x01 || b == 0x07 || b == 0xFF)
            c = '?';
    }
    return decoded;
}
