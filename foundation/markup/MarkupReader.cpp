#include "foundation/markup/MarkupReader.h"

#include "platform/core/Text.h"

#include <algorithm>
#include <cstring>

namespace
{
// Stream reads fetch this much at a time, so a page costs few virtual calls.
constexpr size_t kReadBlock = 0x10000;

bool IsMarkupSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// A character that ends a word of a tag (its name, an attribute name, an
// unquoted value): white space or the closing '>'.
bool EndsTagWord(char c)
{
    return c == '>' || IsMarkupSpace(c);
}

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
} // namespace

CMarkupReader::CMarkupReader(std::string_view text) : m_data(text.data()), m_size(text.size()) {}

CMarkupReader::CMarkupReader(StreamInterface& stream) : m_stream(&stream) {}

bool CMarkupReader::Fill(size_t count)
{
    while (Available() < count)
    {
        if (!m_stream || m_streamEnded)
            return false;
        // Keep the current token and what is not consumed yet at the front,
        // then append a block.
        const size_t kept = m_size - m_tokenStart;
        if (m_tokenStart > 0)
        {
            std::memmove(m_storage.data(), m_storage.data() + m_tokenStart, kept);
            m_position -= m_tokenStart;
            m_tokenStart = 0;
        }
        m_storage.resize(kept + kReadBlock);
        const int32_t got = m_stream->Read(m_storage.data() + kept, static_cast<int32_t>(kReadBlock));
        const size_t added = got > 0 ? static_cast<size_t>(got) : 0;
        if (got <= 0)
            m_streamEnded = true;
        m_storage.resize(kept + added);
        m_data = m_storage.data();
        m_size = m_storage.size();
    }
    return true;
}

void CMarkupReader::Consume(size_t count)
{
    const char* begin = m_data + m_position;
    const char* lastLineFeed = nullptr;
    uint32_t lineFeeds = 0;
    for (const char* p = begin;
         (p = static_cast<const char*>(std::memchr(p, '\n', begin + count - p))) != nullptr; ++p)
    {
        ++lineFeeds;
        lastLineFeed = p;
    }
    if (lastLineFeed)
    {
        m_line += lineFeeds;
        m_column = static_cast<uint32_t>(begin + count - lastLineFeed - 1);
    }
    else
    {
        m_column += static_cast<uint32_t>(count);
    }
    m_offset += static_cast<uint32_t>(count);
    m_position += count;
}

bool CMarkupReader::StartsMarkup(bool htmlText)
{
    if (!htmlText)
        return true;
    if (!Ensure(2))
        return false;
    const char next = m_data[m_position + 1];
    return IsAsciiLetter(next) || next == '/' || next == '!' || next == '?';
}

CMarkupReader::TokenKind CMarkupReader::ReadMarkupToken(std::string_view& token, bool htmlText)
{
    token = {};
    m_tokenStart = m_position;
    if (!Ensure(1))
        return kEnd;
    if (m_data[m_position] != '<' || !StartsMarkup(htmlText))
    {
        ReadText(htmlText);
        token = Token();
        return kTextToken;
    }

    Consume(1);
    bool complete = false;
    if (Ensure(3) && std::memcmp(m_data + m_position, "!--", 3) == 0)
    {
        Consume(3);
        complete = ReadComment();
    }
    else if (Ensure(1) && (m_data[m_position] == '!' || m_data[m_position] == '?'))
    {
        complete = ReadUpToClose();
    }
    else
    {
        complete = ReadTag();
    }
    if (!complete)
    {
        m_endedInsideMarkup = true;
        return kEnd;
    }
    token = Token();
    return kMarkupToken;
}

bool CMarkupReader::ConsumeUpTo(char c)
{
    while (Ensure(1))
    {
        const char* start = m_data + m_position;
        const char* found = static_cast<const char*>(std::memchr(start, c, Available()));
        if (found)
        {
            Consume(static_cast<size_t>(found - start));
            return true;
        }
        Consume(Available());
    }
    return false;
}

void CMarkupReader::ReadText(bool htmlText)
{
    while (ConsumeUpTo('<'))
    {
        if (StartsMarkup(htmlText))
            return;
        Consume(1);
    }
}

bool CMarkupReader::ReadComment()
{
    while (ConsumeUpTo('>'))
    {
        // The dashes must come after the opening "<!--": "<!-->" is not closed.
        const std::string_view token = Token();
        const bool closes = token.size() >= 6 && token.substr(token.size() - 2) == "--";
        Consume(1);
        if (closes)
            return true;
    }
    return false;
}

bool CMarkupReader::ReadUpToClose()
{
    if (!ConsumeUpTo('>'))
        return false;
    Consume(1);
    return true;
}

bool CMarkupReader::ReadTag()
{
    // The states of a browser's tag reader that matter for finding the
    // closing '>': only a quoted attribute value can hide one.
    enum State
    {
        kTagName,
        kBeforeAttribute,
        kAttributeName,
        kAfterAttributeName,
        kBeforeValue,
        kQuotedValue,
        kUnquotedValue,
    };
    State state = kTagName;
    char quote = 0;
    while (Ensure(1))
    {
        size_t i = m_position;
        for (; i < m_size; ++i)
        {
            // Inside a tag name, an attribute name or an unquoted value most
            // characters change nothing: they are passed over in a tight
            // loop up to the next one that may.
            if (state == kTagName || state == kUnquotedValue)
            {
                while (i < m_size && !EndsTagWord(m_data[i]))
                    ++i;
            }
            else if (state == kAttributeName)
            {
                while (i < m_size && !EndsTagWord(m_data[i]) && m_data[i] != '=' && m_data[i] != '/')
                    ++i;
            }
            if (i == m_size)
                break;
            const char c = m_data[i];
            if (state == kQuotedValue)
            {
                const void* close = std::memchr(m_data + i, quote, m_size - i);
                if (!close)
                {
                    i = m_size;
                    break;
                }
                i = static_cast<size_t>(static_cast<const char*>(close) - m_data);
                state = kBeforeAttribute;
                continue;
            }
            if (c == '>')
            {
                Consume(i + 1 - m_position);
                return true;
            }
            const bool space = IsMarkupSpace(c);
            switch (state)
            {
            case kTagName:
                if (space)
                    state = kBeforeAttribute;
                break;
            case kBeforeAttribute:
                if (!space && c != '/')
                    state = kAttributeName;
                break;
            case kAttributeName:
                if (space)
                    state = kAfterAttributeName;
                else if (c == '=')
                    state = kBeforeValue;
                else if (c == '/')
                    state = kBeforeAttribute;
                break;
            case kAfterAttributeName:
                if (c == '=')
                    state = kBeforeValue;
                else if (c == '/')
                    state = kBeforeAttribute;
                else if (!space)
                    state = kAttributeName;
                break;
            case kBeforeValue:
                if (c == '"' || c == '\'')
                {
                    quote = c;
                    state = kQuotedValue;
                }
                else if (!space)
                {
                    state = kUnquotedValue;
                }
                break;
            case kUnquotedValue:
                if (space)
                    state = kBeforeAttribute;
                break;
            case kQuotedValue:
                break;
            }
        }
        Consume(i - m_position);
    }
    return false;
}

bool CMarkupReader::ReadRawText(std::string_view& token, std::string_view endName)
{
    token = {};
    m_tokenStart = m_position;
    if (!Ensure(1))
        return false;
    while (ConsumeUpTo('<'))
    {
        const size_t need = 2 + endName.size() + 1;
        if (Ensure(need))
        {
            const char* p = m_data + m_position;
            const char after = p[2 + endName.size()];
            if (p[1] == '/' && EqualsNoCase(std::string_view(p + 2, endName.size()), endName) &&
                (IsMarkupSpace(after) || after == '/' || after == '>'))
            {
                token = Token();
                return true;
            }
        }
        Consume(1);
    }
    token = Token();
    return true;
}
