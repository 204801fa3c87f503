#pragma once
// CXmlWriter: the line stream over an open file through which the markup
// files (favourites, URL history, settings export) are written by
// CXmlNode::Write (WriteXmlDocumentFile gives it the replacement file of an
// atomic save), and through which a file can be read line by line.
//
// The file is not owned: the caller opens it, keeps it alive while the
// writer is used, and closes (or commits) it. Without a file every
// operation fails; over a replacement file there is nothing to read.

#include "foundation/text/LineSink.h"

#include <string>
#include <string_view>

class CAtomicFile;
class CRawFile;

class CXmlWriter : public ILineSink
{
public:
    // lineEnd is appended after every written text; the markup writer puts
    // its own line ends into its texts and is given a writer with none.
    CXmlWriter(CRawFile* file, std::string_view lineEnd);
    // Writing only, into the replacement file of an atomic save.
    CXmlWriter(CAtomicFile& file, std::string_view lineEnd);

    // Nothing is held back; true.
    bool Flush() override;
    // Writes the text and then the line-end text. False without a file or
    // when the file did not take every byte.
    bool WriteLine(std::string_view text) override;
    // Reads the next line without its line end (LF or CR LF) into text; a NUL
    // byte comes back as '#'. A last line without LF is returned too. The
    // file is left just after the LF. False, with the empty text, at the end
    // of the file, on a read or seek failure, and without a file to read.
    bool ReadLine(std::string& text) override;

private:
    // Lines are read in blocks of this size, the file then positioned just
    // after the line's LF.
    static constexpr int kReadBlockSize = 100;

    CRawFile* m_file = nullptr;
    CAtomicFile* m_replacement = nullptr;
    std::string m_lineEnd;
};
