#include "platform/core/RegistryText.h"

#include "platform/core/Text.h"

namespace
{
const char kHexUpper[] = "0123456789ABCDEF";
const char kHexLower[] = "0123456789abcdef";

void AppendEscaped(std::string& out, std::string_view text)
{
    for (size_t i = 0; i < text.size(); ++i)
    {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool trailingSpace = c == ' ' && i + 1 == text.size();
        if (c < 0x20 || c == 0x7F || c == '%' || c == '\\' || trailingSpace)
        {
            out += '%';
            out += kHexUpper[c >> 4];
            out += kHexUpper[c & 0x0F];
        }
        else
        {
            out += static_cast<char>(c);
        }
    }
}

bool Unescape(std::string_view text, std::string& out)
{
    out.clear();
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != '%')
        {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int hi = HexDigitValue(text[i + 1]);
        const int lo = HexDigitValue(text[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        out += static_cast<char>((hi << 4) | lo);
        i += 2;
    }
    return true;
}

bool ParseDword(std::string_view text, uint32_t& number)
{
    if (text.empty() || text.size() > 10)
        return false;
    uint64_t value = 0;
    for (const char c : text)
    {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > 0xFFFFFFFFu)
        return false;
    number = static_cast<uint32_t>(value);
    return true;
}

bool ParseHex(std::string_view text, std::string& bytes)
{
    if (text.size() % 2 != 0)
        return false;
    bytes.clear();
    bytes.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2)
    {
        const int hi = HexDigitValue(text[i]);
        const int lo = HexDigitValue(text[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        bytes += static_cast<char>((hi << 4) | lo);
    }
    return true;
}

void FormatNode(const CRegistryNode& node, RegistryPath& path, std::string& out)
{
    if (!path.empty() || !node.m_values.empty())
    {
        out += "K\t";
        for (size_t i = 0; i < path.size(); ++i)
        {
            if (i)
                out += '\\';
            AppendEscaped(out, path[i]);
        }
        out += '\n';
    }
    for (const auto& [name, value] : node.m_values)
    {
        switch (value.m_type)
        {
        case RegistryType::String:
            out += "S\t";
            AppendEscaped(out, name);
            out += '\t';
            AppendEscaped(out, value.m_data);
            break;
        case RegistryType::Dword:
        {
            uint32_t number = 0;
            if (!value.GetDword(number))
                continue; // a malformed number is not kept
            out += "D\t";
            AppendEscaped(out, name);
            out += Format("\t%u", number);
            break;
        }
        case RegistryType::Binary:
            out += "B\t";
            AppendEscaped(out, name);
            out += '\t';
            for (const char c : value.m_data)
            {
                const auto b = static_cast<unsigned char>(c);
                out += kHexLower[b >> 4];
                out += kHexLower[b & 0x0F];
            }
            break;
        }
        out += '\n';
    }
    for (const auto& [name, child] : node.m_subkeys)
    {
        path.push_back(name);
        FormatNode(*child, path, out);
        path.pop_back();
    }
}

// Reads one line into the tree; false when it is unreadable. current is the
// key that value lines go to, null after an unreadable key line.
bool ParseLine(std::string_view line, CRegistryNode& root, CRegistryNode*& current)
{
    const std::vector<std::string> fields = Split(line, '\t', true);
    if (fields[0] == "K" && fields.size() == 2)
    {
        current = nullptr;
        RegistryPath path;
        for (const std::string& escaped : Split(fields[1], '\\', false))
        {
            std::string name;
            if (!Unescape(escaped, name) || name.empty() || path.size() >= kMaxRegistryDepth)
                return false;
            path.push_back(std::move(name));
        }
        current = &root.FindOrCreate(path);
        return true;
    }
    if (fields.size() != 3 || fields[0].size() != 1 || !current)
        return false;
    std::string name;
    if (!Unescape(fields[1], name))
        return false;
    RegistryValue value;
    switch (fields[0][0])
    {
    case 'S':
        value.m_type = RegistryType::String;
        if (!Unescape(fields[2], value.m_data))
            return false;
        break;
    case 'D':
    {
        uint32_t number = 0;
        if (!ParseDword(fields[2], number))
            return false;
        value = RegistryValue::MakeDword(number);
        break;
    }
    case 'B':
        value.m_type = RegistryType::Binary;
        if (!ParseHex(fields[2], value.m_data))
            return false;
        break;
    default:
        return false;
    }
    current->m_values.insert_or_assign(std::move(name), std::move(value));
    return true;
}
} // namespace

std::string FormatRegistryText(const CRegistryNode& root)
{
    std::string out = "# Tanglewarden registry, format 1\n";
    RegistryPath path;
    FormatNode(root, path, out);
    return out;
}

size_t ParseRegistryText(std::string_view text, CRegistryNode& root)
{
    size_t skipped = 0;
    CRegistryNode* current = nullptr;
    size_t start = 0;
    while (start < text.size())
    {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line[0] == '#')
            continue;
        if (!ParseLine(line, root, current))
            ++skipped;
    }
    return skipped;
}
