#include "foundation/markup/XmlDocumentFile.h"

#include "foundation/files/BufferedFile.h"
#include "foundation/files/FileSystem.h"
#include "foundation/markup/XmlNode.h"
#include "foundation/markup/XmlParser.h"
#include "foundation/markup/XmlWriter.h"
#include "platform/core/AtomicFile.h"

bool WriteXmlDocumentFile(const CXmlNode& root, const std::string& path, mode_t mode)
{
    if (path.empty())
        return false;
    CAtomicFile file;
    if (!file.Open(path, mode))
        return false;
    CXmlWriter writer(file, "");
    if (!root.Write(writer, "  ", "", "\r\n", CXmlNode::kMaskAll, false) || !writer.Flush())
        return false; // the replacement is dropped with the file object
    return file.Commit();
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
