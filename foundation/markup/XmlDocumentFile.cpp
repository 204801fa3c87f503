#include "foundation/markup/XmlDocumentFile.h"

#include "foundation/files/BufferedFile.h"
#include "foundation/files/FileSystem.h"
#include "foundation/text/StringLineSink.h"
#include "foundation/markup/XmlNode.h"
#include "foundation/markup/XmlParser.h"
#include "platform/core/AtomicFile.h"

bool WriteXmlDocumentFile(const CXmlNode& root, const std::string& path, mode_t mode)
{
    if (path.empty())
        return false;
    CStringLineSink sink;
    if (!root.Write(sink, "  ", "", "\r\n", CXmlNode::kMaskAll, false))
        return false;
    return WriteFileAtomic(path, sink.GetText(), mode);
}

bool ReadXmlDocumentFile(const std::string& path, CXmlNode& root, bool* complete)
{
    root.Clear();
    if (complete)
        *complete = false;
    // A folder opens for reading on Linux and would read as an empty file.
    if (!FileExists(path))
        return false;
    CBufferedFile file;
    if (!file.Open(path, CBufferedFile::modeRead))
        return false;
    const bool whole = CXmlParser(CXmlParser::kXml).ParseStream(root, file, nullptr);
    file.Close();
    if (complete)
        *complete = whole;
    return true;
}
