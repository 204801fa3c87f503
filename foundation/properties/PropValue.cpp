#include "foundation/properties/PropValue.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <limits>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/core/Archive.h"
#include "platform/core/Text.h"

namespace
{
// Leading blanks, an optional sign, then decimal digits up to the first other
// character; saturates instead of overflowing.
int64_t ParseLeadingInt64(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsAsciiSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // Accumulate as a negative number: its range holds the most negative value.
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    int64_t value = 0;
    bool overflow = false;
    for (; i < text.size() && IsAsciiDigit(text[i]); ++i)
    {
        const int digit = text[i] - '0';
        if (value < (kMin + digit) / 10)
            overflow = true;
        else
            value = value * 10 - digit;
    }
    if (overflow)
        return negative ? kMin : std::numeric_limits<int64_t>::max();
    if (negative)
        return value;
    return value == kMin ? std::numeric_limits<int64_t>::max() : -value;
}

int ClampToInt(int64_t value)
{
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

// Truncation toward zero; a double outside the range (where a plain cast is
// undefined) is clamped and NaN gives 0.
int64_t TruncateToInt64(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9223372036854775808.0)
        return std::numeric_limits<int64_t>::max();
    if (value < -9223372036854775808.0)
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(value);
}

int TruncateToInt(double value)
{
    return ClampToInt(TruncateToInt64(value));
}

// The value of a decimal number that from_chars found out of range: infinite
// when its first significant digit lies left of the decimal point after the
// exponent is applied, else 0.
double OutOfRangeValue(const char* first, const char* last)
{
    int64_t scale = 0;
    bool significant = false, afterPoint = false;
    const char* p = first;
    for (; p < last && *p != 'e' && *p != 'E'; ++p)
    {
        if (*p == '.')
        {
            afterPoint = true;
            continue;
        }
        if (!significant && *p != '0')
            significant = true;
        if (significant && !afterPoint)
            ++scale;
        else if (!significant && afterPoint)
            --scale;
    }
    if (p < last)
    {
        int64_t exponent = ParseLeadingInt64(std::string_view(p + 1, static_cast<size_t>(last - p - 1)));
        // Far beyond any double; keeps the sum below from overflowing.
        exponent = std::clamp<int64_t>(exponent, -1000000000, 1000000000);
        scale += exponent;
    }
    return scale > 0 ? HUGE_VAL : 0.0;
}

// Leading blanks, an optional sign, then a decimal number with optional
// fraction and exponent; 0 when there is none. Independent of the locale.
double ParseLeadingDouble(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsAsciiSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    // from_chars would also take "inf" and "nan"; only decimal numbers count here.
    const bool startsNumber = first < last && (IsAsciiDigit(*first) || (*first == '.' && first + 1 < last && IsAsciiDigit(first[1])));
    if (!startsNumber)
        return 0.0;
    double value = 0.0;
    const std::from_chars_result r = std::from_chars(first, last, value, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range)
        value = OutOfRangeValue(first, r.ptr);
    else if (r.ec != std::errc())
        value = 0.0;
    return negative ? -value : value;
}

// The whole text, blanks aside, is one decimal number.
bool IsPlainDecimal(std::string_view text)
{
    const std::string trimmed = Trim(text, " \t\r\n\v\f");
    size_t i = 0;
    if (i < trimmed.size() && (trimmed[i] == '+' || trimmed[i] == '-'))
        ++i;
    bool digits = false, point = false;
    for (; i < trimmed.size(); ++i)
    {
        if (IsAsciiDigit(trimmed[i]))
            digits = true;
        else if (trimmed[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}
} // namespace

CPropValue::CPropValue(const CPropValue& other)
{
    CopyContent(other);
}

CPropValue& CPropValue::operator=(const CPropValue& other)
{
    if (this != &other)
    {
        Free();
        CopyContent(other);
    }
    return *this;
}

void CPropValue::FreeOwned()
{
    if (m_kind == kindString)
        std::free(m_text);
    else if (m_kind == kindBlob)
        delete m_blob;
}

void CPropValue::CopyContent(const CPropValue& other)
{
    switch (other.m_kind)
    {
    case kindInt:
    case kindInt64:
    case kindDouble:
    case kindDate:
        m_kind = other.m_kind;
        m_int64 = other.m_int64;
        break;
    case kindString:
        m_text = NewText(other.Text());
        m_kind = kindString;
        break;
    case kindBlob:
        m_blob = new std::vector<uint8_t>(*other.m_blob);
        m_kind = kindBlob;
        break;
    default:
        m_kind = kindEmpty;
        m_int64 = 0;
        break;
    }
}

bool CPropValue::GetInt(int& out, bool allowConversion) const
{
    if (m_kind == kindInt)
    {
        out = m_int;
        return true;
    }
    if (!allowConversion)
        return false;
    switch (m_kind)
    {
    case kindInt64:
        out = static_cast<int32_t>(static_cast<uint32_t>(m_int64));
        return true;
    case kindDouble:
    case kindDate:
        out = TruncateToInt(m_double);
        return true;
    case kindString:
        out = ClampToInt(ParseLeadingInt64(Text()));
        return true;
    default:
        return false;
    }
}

bool CPropValue::GetInt64(int64_t& out, bool allowConversion) const
{
    if (m_kind == kindInt64)
    {
        out = m_int64;
        return true;
    }
    if (!allowConversion)
        return false;
    switch (m_kind)
    {
    case kindInt:
        out = m_int;
        return true;
    case kindDouble:
    case kindDate:
        out = TruncateToInt64(m_double);
        return true;
    case kindString:
        out = ParseLeadingInt64(Text());
        return true;
    default:
        return false;
    }
}

bool CPropValue::GetDouble(double& out, bool allowConversion) const
{
    if (m_kind == kindDouble)
    {
        out = m_double;
        return true;
    }
    if (!allowConversion)
        return false;
    switch (m_kind)
    {
    case kindInt:
        out = m_int;
        return true;
    case kindInt64:
        out = static_cast<double>(m_int64);
        return true;
    case kindDate:
        out = m_double;
        return true;
    case kindString:
        out = ParseLeadingDouble(Text());
        return true;
    default:
        return false;
    }
}

bool CPropValue::GetString(std::string& out, bool allowConversion) const
{
    if (m_kind == kindString)
    {
        out = Text();
        return true;
    }
    if (!allowConversion)
        return false;
    switch (m_kind)
    {
    case kindInt:
        out = Format("%d", m_int);
        return true;
    case kindInt64:
        out = Format("%I64d", static_cast<long long>(m_int64));
        return true;
    case kindDouble:
        out = Format("%.10f", m_double);
        return true;
    default:
        return false;
    }
}

bool CPropValue::GetDate(COleDateTime& out, bool allowConversion) const
{
    if (m_kind == kindDate)
    {
        out = COleDateTime(m_double);
        return true;
    }
    if (m_kind == kindInt64)
    {
        out = COleDateTime(static_cast<double>(m_int64));
        return true;
    }
    if (!allowConversion)
        return false;
    switch (m_kind)
    {
    case kindInt:
        out = COleDateTime::FromTimeT(static_cast<time_t>(m_int), true);
        return true;
    case kindDouble:
        out = COleDateTime(m_double);
        return true;
    case kindString:
    {
        COleDateTime parsed;
        if (parsed.ParseDateTime(Text()))
        {
            out = parsed;
            return true;
        }
        // Dates kept as text are day counts written as plain numbers.
        if (IsPlainDecimal(Text()))
        {
            out = COleDateTime(ParseLeadingDouble(Text()));
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

std::string CPropValue::GetAsString() const
{
    std::string text;
    GetString(text, true);
    return text;
}

bool CPropValue::GetBlob(uint8_t* dst, int& len) const
{
    if (m_kind != kindBlob)
        return false;
    int n = len < 0 ? 0 : len;
    if (static_cast<size_t>(n) > m_blob->size())
        n = static_cast<int>(m_blob->size());
    if (!dst)
        n = 0;
    if (n > 0)
        std::memcpy(dst, m_blob->data(), static_cast<size_t>(n));
    len = n;
    return true;
}

bool CPropValue::GetBlobSize(int& size) const
{
    if (m_kind != kindBlob)
        return false;
    size = static_cast<int>(m_blob->size());
    return true;
}

const uint8_t* CPropValue::GetBlobData(int& len) const
{
    if (m_kind != kindBlob)
        return nullptr;
    len = static_cast<int>(m_blob->size());
    return m_blob->empty() ? nullptr : m_blob->data();
}

const uint8_t* CPropValue::GetBlobPtr(int& len) const
{
    len = 0;
    return GetBlobData(len);
}

void CPropValue::SetInt(int value)
{
    Free();
    m_kind = kindInt;
    m_int = value;
}

void CPropValue::SetInt64(int64_t value)
{
    Free();
    m_kind = kindInt64;
    m_int64 = value;
}

void CPropValue::SetDouble(double value)
{
    Free();
    m_kind = kindDouble;
    m_double = value;
}

void CPropValue::SetDate(const COleDateTime& date)
{
    Free();
    m_kind = kindDate;
    m_double = date.GetValue();
}

void CPropValue::SetString(const char* text)
{
    SetText(text ? std::string_view(text) : std::string_view());
}

char* CPropValue::NewText(std::string_view text)
{
    // The empty text needs no block: it is the common value of a kept link
    // item's empty fields.
    if (text.empty())
        return nullptr;
    auto* block = static_cast<char*>(std::malloc(sizeof(uint32_t) + text.size() + 1));
    if (!block)
        throw std::bad_alloc();
    const auto size = static_cast<uint32_t>(text.size());
    std::memcpy(block, &size, sizeof size);
    std::memcpy(block + sizeof size, text.data(), text.size());
    block[sizeof size + text.size()] = '\0';
    return block;
}

std::string_view CPropValue::Text() const
{
    if (!m_text)
        return {};
    uint32_t size = 0;
    std::memcpy(&size, m_text, sizeof size);
    return std::string_view(m_text + sizeof size, size);
}

void CPropValue::SetText(std::string_view text)
{
    // Built before the old content is freed, so text may come from this value.
    char* owned = NewText(text);
    Free();
    m_kind = kindString;
    m_text = owned;
}

void CPropValue::SetBlob(const uint8_t* data, int len)
{
    auto* owned = new std::vector<uint8_t>();
    if (data && len > 0)
        owned->assign(data, data + len);
    Free();
    m_kind = kindBlob;
    m_blob = owned;
}

CPropValue CPropValue::Add(const CPropValue& delta) const
{
    CPropValue sum;
    sum.SetInt(0);
    const int l = m_kind, r = delta.m_kind;
    const bool leftNumber = l == kindInt || l == kindInt64 || l == kindDouble;
    const bool rightNumber = r == kindInt || r == kindInt64 || r == kindDouble;

    // A number joined to a text is written as a 64-bit integer, a double truncated.
    auto numberText = [](const CPropValue& v) {
        int64_t n = 0;
        v.GetInt64(n, true);
        return Format("%I64d", static_cast<long long>(n));
    };

    if (leftNumber && rightNumber)
    {
        if (l == kindDouble || r == kindDouble)
        {
            double a = 0, b = 0;
            GetDouble(a, true);
            delta.GetDouble(b, true);
            sum.SetDouble(a + b);
        }
        else if (l == kindInt && r == kindInt)
        {
            sum.SetInt(static_cast<int32_t>(static_cast<uint32_t>(m_int) + static_cast<uint32_t>(delta.m_int)));
        }
        else
        {
            int64_t a = 0, b = 0;
            GetInt64(a, true);
            delta.GetInt64(b, true);
            sum.SetInt64(static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b)));
        }
    }
    else if (leftNumber && r == kindString)
    {
        sum.SetText(numberText(*this) + std::string(delta.Text()));
    }
    else if (l == kindString && rightNumber)
    {
        sum.SetText(std::string(Text()) + numberText(delta));
    }
    else if (l == kindString && r == kindString)
    {
        sum.SetText(std::string(Text()) + std::string(delta.Text()));
    }
    return sum;
}

bool CPropValue::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar.WriteByte(static_cast<uint8_t>(m_kind));
        switch (m_kind)
        {
        case kindInt:
            ar.WriteInt32(m_int);
            break;
        case kindInt64:
            ar.WriteInt64(m_int64);
            break;
        case kindDouble:
            ar.WriteDouble(m_double);
            break;
        case kindString:
            ar.WriteString(std::string(Text()));
            break;
        case kindBlob:
            ar.WriteInt32(static_cast<int32_t>(m_blob->size()));
            if (!m_blob->empty())
                ar.Write(m_blob->data(), m_blob->size());
            break;
        default: // empty and date: the kind alone
            break;
        }
        return true;
    }

    uint8_t kind = 0;
    if (!ar.ReadByte(kind))
        return false;
    switch (kind)
    {
    case kindEmpty:
    case kindDate:
        return true;
    case kindInt64:
    {
        int64_t value = 0;
        if (!ar.ReadInt64(value))
            return false;
        SetInt64(value);
        return true;
    }
    case kindDouble:
    {
        double value = 0;
        if (!ar.ReadDouble(value))
            return false;
        SetDouble(value);
        return true;
    }
    case kindString:
    {
        std::string text;
        if (!ar.ReadString(text))
            return false;
        SetText(text);
        return true;
    }
    case kindBlob:
    {
        int32_t size = 0;
        if (!ar.ReadInt32(size))
            return false;
        // Checked before allocating: a hostile size must not reserve gigabytes.
        if (size < 0 || static_cast<size_t>(size) > ar.Remaining())
            return false;
        std::vector<uint8_t> bytes(static_cast<size_t>(size));
        if (size > 0 && !ar.Read(bytes.data(), bytes.size()))
            return false;
        auto* owned = new std::vector<uint8_t>(std::move(bytes));
        Free();
        m_kind = kindBlob;
        m_blob = owned;
        return true;
    }
    default: // 1, and unknown kinds read as a 32-bit integer
    {
        int32_t value = 0;
        if (!ar.ReadInt32(value))
            return false;
        SetInt(value);
        return true;
    }
    }
}

namespace PropertyValue
{
CPropValue InitInt(int value)
{
    CPropValue v;
    v.SetInt(value);
    return v;
}

CPropValue InitString(const char* text)
{
    CPropValue v;
    v.SetString(text);
    return v;
}
} // namespace PropertyValue

namespace
{
void AppendVarint(std::vector<uint8_t>& out, uint64_t value)
{
    while (value >= 0x80)
    {
        out.push_back(static_cast<uint8_t>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<uint8_t>(value));
}

bool ReadVarint(const uint8_t*& p, const uint8_t* end, uint64_t& value)
{
    value = 0;
    for (int shift = 0; shift < 64 && p < end; shift += 7)
    {
        const uint8_t byte = *p++;
        value |= static_cast<uint64_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0)
            return true;
    }
    return false;
}

uint64_t ZigZag(int64_t value)
{
    return (static_cast<uint64_t>(value) << 1) ^ static_cast<uint64_t>(value >> 63);
}

int64_t UnZigZag(uint64_t value)
{
    return static_cast<int64_t>(value >> 1) ^ -static_cast<int64_t>(value & 1);
}

void AppendBytes(std::vector<uint8_t>& out, const void* data, size_t size)
{
    AppendVarint(out, size);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out.insert(out.end(), bytes, bytes + size);
}
} // namespace

bool CPropValue::AppendPacked(std::vector<uint8_t>& out) const
{
    if (m_kind == kindDate)
        return false;
    out.push_back(static_cast<uint8_t>(m_kind));
    switch (m_kind)
    {
    case kindInt:
        AppendVarint(out, ZigZag(m_int));
        break;
    case kindInt64:
        AppendVarint(out, ZigZag(m_int64));
        break;
    case kindDouble:
    {
        uint8_t bytes[sizeof m_double];
        std::memcpy(bytes, &m_double, sizeof bytes);
        out.insert(out.end(), bytes, bytes + sizeof bytes);
        break;
    }
    case kindString:
    {
        const std::string_view text = Text();
        AppendBytes(out, text.data(), text.size());
        break;
    }
    case kindBlob:
        AppendBytes(out, m_blob->data(), m_blob->size());
        break;
    default: // empty: the kind alone
        break;
    }
    return true;
}

bool CPropValue::ReadPacked(const uint8_t*& p, const uint8_t* end, CPropValue* value)
{
    if (p >= end)
        return false;
    const int kind = *p++;
    uint64_t number = 0;
    switch (kind)
    {
    case kindEmpty:
        if (value)
            *value = CPropValue();
        return true;
    case kindInt:
    case kindInt64:
        if (!ReadVarint(p, end, number))
            return false;
        if (value && kind == kindInt)
            value->SetInt(static_cast<int>(UnZigZag(number)));
        else if (value)
            value->SetInt64(UnZigZag(number));
        return true;
    case kindDouble:
    {
        double read = 0;
        if (end - p < static_cast<std::ptrdiff_t>(sizeof read))
            return false;
        std::memcpy(&read, p, sizeof read);
        p += sizeof read;
        if (value)
            value->SetDouble(read);
        return true;
    }
    case kindString:
    case kindBlob:
    {
        if (!ReadVarint(p, end, number) || number > static_cast<uint64_t>(end - p) || number > INT32_MAX)
            return false;
        const uint8_t* bytes = p;
        p += number;
        if (value && kind == kindString)
            value->SetText(std::string_view(reinterpret_cast<const char*>(bytes), static_cast<size_t>(number)));
        else if (value)
            value->SetBlob(bytes, static_cast<int>(number));
        return true;
    }
    default:
        return false;
    }
}
