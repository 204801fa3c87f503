#include "foundation/markup/XmlWriter.h"

#include "foundation/files/RawFile.h"
#include "platform/core/AtomicFile.h"

#include <algorithm>
#include <cstdint>

namespace
{
// CRawFile counts in 32 bits; longer texts go in parts.
bool WriteAll(CRawFile& file, std::string_view bytes)
{
    constexpr size_t kMaxPart = 1u << 30;
    while (!bytes.empty())
    {
        const size_t part = std::min(bytes.size(), kMaxPart);
        if (file.Write(bytes.data(), static_cast<int32_t>(part)) != static_cast<int32_t>(part))
            return false;
        bytes.remove_prefix(part);
    }
    return true;
}
} // namespace

CXmlWriter::CXmlWriter(CRawFile* file, std::string_view lineEnd)
    : m_file(file)
    , m_lineEnd(lineEnd)
{
}

CXmlWriter::CXmlWriter(CAtomicFile& file, std::string_view lineEnd)
    : m_replacement(&file)
    , m_lineEnd(lineEnd)
{
}

bool CXmlWriter::Flush()
{
    return true;
}

bool CXmlWriter::WriteLine(std::string_view text)
{
    if (m_replacement)
        return m_replacement->Write(text) && m_replacement->Write(m_lineEnd);
    if (!m_file)
        return false;
    return WriteAll(*m_file, text) && WriteAll(*m_file, m_lineEnd);
}

bool CXmlWriter::ReadLine(std::string& text)
{
    text.clear();
    if (!m_file)
        return false;
    char block[kReadBlockSize];
    for (;;)
    {
        const int64_t position = m_file->Tell64();
        const int32_t count = position < 0 ? -1 : m_file->Read(block, kReadBlockSize);
        if (count < 0)
        {
            text.clear();
            return false;
        }
        if (count == 0)
            return !text.empty();
        for (int32_t i = 0; i < count; ++i)
        {
            if (block[i] == '\0')
                block[i] = '#';
            if (block[i] != '\n')
                continue;
            text.append(block, static_cast<size_t>(i));
            // Checked on the whole text, so a CR that ended the previous
            // block goes too.
            if (!text.empty() && text.back() == '\r')
                text.pop_back();
            if (m_file->SeekFromStart(position + i + 1) < 0)
            {
                text.clear();
                return false;
            }
            return true;
        }
        text.append(block, static_cast<size_t>(count));
    }
}
