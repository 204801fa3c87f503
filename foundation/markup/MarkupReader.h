#pragma once
// CMarkupReader: cuts markup text into the tokens that the markup parser
// (XmlParser.h) builds its tree from, and counts where each token ends.
//
// Tokens:
// - text: everything up to the next '<' that starts markup, or to the end of
//   the input; the '<' stays for the next token. With htmlText set, a '<'
//   starts markup only when a letter, '/', '!' or '?' follows it, as in a
//   browser, so "5 < 10" stays text.
// - comment: "<!--" up to a '>' that directly follows two or more '-' read
//   after the opening "<!--" (so "<!-- a > b -->" is one token).
// - "<!" and "<?" markup: up to and including the first '>'.
// - tags ("<" with a letter, or "</"): up to and including the first '>' that
//   is not inside a quoted attribute value, so <img alt="a > b" src=x> is one
//   token.
// - raw text (ReadRawText): the content of SCRIPT and STYLE, which browsers
//   read as text up to the element's end tag.
// Markup that the input ends inside is dropped and ends the tokens.
//
// Counters (from 0) describe the position after the last character consumed:
// the offset counts characters, a LF sets the column to 0 and adds a line,
// any other character adds a column.
//
// The reader reads a stream ahead in blocks and keeps what it has not
// consumed yet; over a string it reads the string in place. Tokens are views
// of what the reader holds, never copies: a token stays valid until the next
// read.

#include "foundation/text/StreamInterface.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CMarkupReader
{
public:
    enum TokenKind
    {
        kEnd = 0, // no token: the input has ended (or ended inside markup)
        kTextToken = 1,
        kMarkupToken = 2,
    };

    // Reads the text in place; it must outlive the reader.
    explicit CMarkupReader(std::string_view text);
    // Reads the stream; a read failure counts as its end.
    explicit CMarkupReader(StreamInterface& stream);

    CMarkupReader(const CMarkupReader&) = delete;
    CMarkupReader& operator=(const CMarkupReader&) = delete;

    // The next text or markup token, untrimmed (empty with kEnd).
    TokenKind ReadMarkupToken(std::string_view& token, bool htmlText);
    // Text up to, not including, "</" + endName followed by white space, '/'
    // or '>' (ASCII case ignored), or up to the end of the input. False, with
    // an empty token, when nothing is left to read.
    bool ReadRawText(std::string_view& token, std::string_view endName);

    // True once markup that the input ended inside was dropped.
    bool EndedInsideMarkup() const { return m_endedInsideMarkup; }

    int GetColumn() const { return static_cast<int>(m_column); }
    int GetLine() const { return static_cast<int>(m_line); }
    int GetOffset() const { return static_cast<int>(m_offset); }

private:
    // Makes at least count characters available from the read position;
    // false when the input ends first (what there is stays available). A
    // stream's buffer keeps everything from the start of the current token.
    bool Ensure(size_t count) { return Available() >= count || Fill(count); }
    // Ensure's slow way: reads the stream until count characters are there.
    bool Fill(size_t count);
    size_t Available() const { return m_size - m_position; }
    // Adds count available characters to the current token and counts them.
    void Consume(size_t count);
    // Consumes up to (not including) the next c; true when c is next, false
    // at the end of the input (everything consumed).
    bool ConsumeUpTo(char c);
    // The characters consumed since the current token began.
    std::string_view Token() const { return {m_data + m_tokenStart, m_position - m_tokenStart}; }

    void ReadText(bool htmlText);
    bool ReadComment();
    bool ReadUpToClose();
    bool ReadTag();
    bool StartsMarkup(bool htmlText);

    StreamInterface* m_stream = nullptr;
    bool m_streamEnded = false;
    bool m_endedInsideMarkup = false;
    std::string m_storage;
    const char* m_data = nullptr;
    size_t m_size = 0;
    size_t m_position = 0;
    size_t m_tokenStart = 0;

    uint32_t m_column = 0;
    uint32_t m_line = 0;
    uint32_t m_offset = 0;
};
