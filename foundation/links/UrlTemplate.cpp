#include "foundation/links/UrlTemplate.h"

#include "foundation/text/StringSplit.h"
#include "platform/core/Text.h"

#include <algorithm>

namespace
{
struct ScannedNumber
{
    int64_t value = 0;
    // The digits as written, to see leading zeros.
    std::string_view digits;
};

// Reads a number the way "%d" does (white space skipped, optional sign, at
// least one digit) from text at pos. Values far beyond the range bounds are
// held at a ceiling instead of overflowing; they fail the bounds check all
// the same.
bool ScanNumber(std::string_view text, size_t& pos, ScannedNumber& number)
{
    constexpr int64_t kCeiling = int64_t{CUrlTemplate::kMaxRangeBound} * 10;
    size_t i = pos;
    while (i < text.size() && IsAsciiSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const size_t first = i;
    int64_t value = 0;
    while (i < text.size() && IsAsciiDigit(text[i]))
    {
        value = std::min(value * 10 + (text[i] - '0'), kCeiling);
        ++i;
    }
    if (i == first)
        return false;
    number.value = negative ? -value : value;
    number.digits = text.substr(first, i - first);
    pos = i;
    return true;
}

bool HasLeadingZero(std::string_view digits)
{
    return digits.size() > 1 && digits[0] == '0';
}

// "%d-%d" with trailing characters ignored: true and both numbers when the
// piece starts like a range.
bool ScanRange(std::string_view piece, ScannedNumber& from, ScannedNumber& to)
{
    size_t pos = 0;
    if (!ScanNumber(piece, pos, from))
        return false;
    if (pos >= piece.size() || piece[pos] != '-')
        return false;
    ++pos;
    return ScanNumber(piece, pos, to);
}

bool InRangeBounds(int64_t value)
{
    return value >= 0 && value <= CUrlTemplate::kMaxRangeBound;
}

// The text between '<' and '>'; null when a range bound is out of bounds.
std::unique_ptr<CUrlChoicePart> ParseChoice(std::string_view group)
{
    std::vector<std::string> pieces;
    SplitString(group, pieces, '|');
    auto choice = std::make_unique<CUrlChoicePart>();
    for (const std::string& piece : pieces)
    {
        ScannedNumber from;
        ScannedNumber to;
        if (!ScanRange(piece, from, to))
        {
            choice->Add(std::make_unique<CUrlLiteralPart>(piece));
            continue;
        }
        if (!InRangeBounds(from.value) || !InRangeBounds(to.value))
            return nullptr;
        int width = 0;
        if (HasLeadingZero(from.digits) || HasLeadingZero(to.digits))
            width = static_cast<int>(std::max(from.digits.size(), to.digits.size()));
        choice->Add(std::make_unique<CUrlRangePart>(static_cast<int32_t>(from.value),
                                                    static_cast<int32_t>(to.value), width));
    }
    return choice;
}
} // namespace

CUrlLiteralPart::CUrlLiteralPart(std::string_view text) : m_text(text) {}

void CUrlLiteralPart::Reset()
{
    m_position = 0;
}

bool CUrlLiteralPart::Get(std::string& text)
{
    if (m_position > 0)
    {
        text.clear();
        return false;
    }
    text = m_text;
    return true;
}

bool CUrlLiteralPart::Next()
{
    m_position = 1;
    return false;
}

CUrlRangePart::CUrlRangePart(int32_t from, int32_t to, int width)
    : m_from(from), m_to(to), m_current(from), m_width(width)
{
}

void CUrlRangePart::Reset()
{
    m_current = m_from;
}

bool CUrlRangePart::Get(std::string& text)
{
    const bool exhausted = m_from <= m_to ? m_current > m_to : m_current < m_to;
    if (exhausted)
    {
        text.clear();
        return false;
    }
    text = m_width > 0 ? Format("%0*d", m_width, m_current) : Format("%d", m_current);
    return true;
}

bool CUrlRangePart::Next()
{
    if (m_from <= m_to)
    {
        if (m_current > m_to)
            return false;
        ++m_current;
        return m_current <= m_to;
    }
    if (m_current < m_to)
        return false;
    --m_current;
    return m_current >= m_to;
}

int64_t CUrlRangePart::GetCount() const
{
    return (m_from <= m_to ? int64_t{m_to} - m_from : int64_t{m_from} - m_to) + 1;
}

void CUrlChoicePart::Add(std::unique_ptr<CUrlTemplatePart> alternative)
{
    m_alternatives.push_back(std::move(alternative));
}

void CUrlChoicePart::Reset()
{
    for (auto& alternative : m_alternatives)
        alternative->Reset();
    m_index = 0;
}

bool CUrlChoicePart::Get(std::string& text)
{
    if (m_index >= m_alternatives.size())
    {
        text.clear();
        return false;
    }
    return m_alternatives[m_index]->Get(text);
}

bool CUrlChoicePart::Next()
{
    if (m_index >= m_alternatives.size())
        return false;
    if (m_alternatives[m_index]->Next())
        return true;
    if (++m_index >= m_alternatives.size())
        return false;
    m_alternatives[m_index]->Reset();
    return true;
}

int64_t CUrlChoicePart::GetCount() const
{
    int64_t count = 0;
    for (const auto& alternative : m_alternatives)
        count += alternative->GetCount();
    return count;
}

int CUrlTemplate::Parse(std::string_view text)
{
    Clear();
    std::string run;
    bool sawGroup = false;
    int64_t combinations = 1;
    const auto flushRun = [&]
    {
        if (!run.empty())
            m_parts.push_back(std::make_unique<CUrlLiteralPart>(run));
        run.clear();
    };
    size_t pos = 0;
    while (pos < text.size())
    {
        if (text[pos] != '<')
        {
            run += text[pos++];
            continue;
        }
        flushRun();
        const size_t close = text.find('>', pos + 1);
        std::unique_ptr<CUrlChoicePart> choice;
        if (close != std::string_view::npos)
            choice = ParseChoice(text.substr(pos + 1, close - pos - 1));
        // Choice counts are at most 2000000001 each and the running product
        // stays at most kMaxCombinations, so the product fits.
        if (!choice || combinations * choice->GetCount() > kMaxCombinations)
        {
            m_parts.push_back(std::make_unique<CUrlLiteralPart>(text.substr(pos)));
            return 0;
        }
        combinations *= choice->GetCount();
        m_parts.push_back(std::move(choice));
        sawGroup = true;
        pos = close + 1;
    }
    flushRun();
    return sawGroup ? 1 : -1;
}

bool CUrlTemplate::GetNext(std::string& url)
{
    url.clear();
    if (m_parts.empty())
        return false;
    std::string value;
    for (auto& part : m_parts)
    {
        if (!part->Get(value))
        {
            url.clear();
            return false;
        }
        url += value;
    }
    // An odometer whose first part turns fastest; the last part stays
    // exhausted once it runs out, which ends the expansion.
    for (size_t i = 0; i < m_parts.size(); ++i)
    {
        if (m_parts[i]->Next() || i + 1 == m_parts.size())
            break;
        m_parts[i]->Reset();
    }
    return true;
}

void CUrlTemplate::Clear()
{
    m_parts.clear();
}
