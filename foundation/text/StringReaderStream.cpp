#include "foundation/text/StringReaderStream.h"

CStringReaderStream::CStringReaderStream(std::string_view text)
    : detail::StringReaderStorage{std::string(text)}
    , CMemoryReadStream(m_text.data(), m_text.size())
{
}
