#include "foundation/XmlDocumentFile.h"

#include "foundation/BufferedFile.h"
#include "foundation/FileSystem.h"
#include "foundation/StringLineSink.h"
#include "foundation/XmlNode.h"
#include "foundation/XmlParser.h"
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
