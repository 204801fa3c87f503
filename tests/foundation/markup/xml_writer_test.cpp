#include "foundation/markup/XmlWriter.h"

#include "foundation/files/RawFile.h"
#include "foundation/markup/XmlDocumentFile.h"
#include "foundation/markup/XmlNode.h"
#include "platform/core/AtomicFile.h"

#include "tests/support/TempFolder.h"
#include "tests/support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace
{
std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteWhole(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

// Every line ReadLine gives until it says false, and the text it leaves then.
std::vector<std::string> ReadAllLines(CXmlWriter& reader, std::string& afterEnd)
{
    std::vector<std::string> lines;
    std::string line;
    for (int guard = 0; guard < 1000 && reader.ReadLine(line); ++guard)
        lines.push_back(line);
    afterEnd = line;
    return lines;
}
} // namespace

TEST(XmlWriterReadLine, LineEndCases)
{
    const std::string block99(99, 'a');
    const std::string long250(250, 'L');
    struct Case
    {
        const char* label;
        std::string content;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"crlf and lf", "a\r\nb\n", {"a", "b"}},
        {"last line without lf", "x\nabcd", {"x", "abcd"}},
        {"empty lines", "\n\r\n\n", {"", "", ""}},
        {"cr inside a line stays", "a\rb\r\n", {"a\rb"}},
        {"lone cr at the end stays", "a\r", {"a\r"}},
        {"nul becomes hash", std::string("a\0b\n", 4), {"a#b"}},
        {"long line over blocks", long250 + "\nz\n", {long250, "z"}},
        {"cr ends a block, lf starts the next", block99 + "\r\nnext\n", {block99, "next"}},
        {"empty file", "", {}},
    };
    CTempFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.label);
        const std::string path = folder / "lines.txt";
        WriteWhole(path, c.content);
        CRawFile file;
        ASSERT_TRUE(file.Open(path, kOpenReadOnly));
        CXmlWriter reader(&file, "");
        std::string afterEnd = "stale";
        EXPECT_EQ(ReadAllLines(reader, afterEnd), c.lines);
        EXPECT_EQ(afterEnd, "");
        // The end stays the end.
        std::string again = "stale";
        EXPECT_FALSE(reader.ReadLine(again));
        EXPECT_EQ(again, "");
    }
}

TEST(XmlWriterReadLine, LeavesTheFileJustAfterTheLineFeed)
{
    CTempFolder folder;
    const std::string path = folder / "long.txt";
    WriteWhole(path, std::string(250, 'q') + "\nrest");
    CRawFile file;
    ASSERT_TRUE(file.Open(path, kOpenReadOnly));
    CXmlWriter reader(&file, "");
    std::string line;
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line.size(), 250u);
    EXPECT_EQ(file.Tell64(), 251);
}

TEST(XmlWriterWriteLine, AppendsTheLineEndText)
{
    CTempFolder folder;
    struct Case
    {
        const char* lineEnd;
        const char* expected;
    };
    const Case cases[] = {{"\r\n", "abc\r\n"}, {"", "abc"}};
    for (const Case& c : cases)
    {
        const std::string path = folder / "out.txt";
        {
            CRawFile file;
            ASSERT_TRUE(file.Open(path, kOpenReadWrite | kOpenCreate | kOpenTruncate));
            CXmlWriter writer(&file, c.lineEnd);
            EXPECT_TRUE(writer.WriteLine("abc"));
            EXPECT_TRUE(writer.Flush());
            ASSERT_TRUE(file.Close());
        }
        EXPECT_EQ(ReadWhole(path), c.expected);
    }
}

TEST(XmlWriterWriteLine, FailuresAreReported)
{
    CXmlWriter none(nullptr, "\r\n");
    std::string line = "stale";
    EXPECT_FALSE(none.WriteLine("abc"));
    EXPECT_FALSE(none.ReadLine(line));
    EXPECT_EQ(line, "");

    CTempFolder folder;
    const std::string path = folder / "readonly.txt";
    WriteWhole(path, "old\n");
    {
        CRawFile file;
        ASSERT_TRUE(file.Open(path, kOpenReadOnly));
        CXmlWriter writer(&file, "");
        EXPECT_FALSE(writer.WriteLine("abc"));
    }
    EXPECT_EQ(ReadWhole(path), "old\n");

    // A full disk: the markup writer stops and reports the failure.
    const std::string full = folder / "full.xml";
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    root->SetString("Group/Key", std::string(64, 'v'));
    CRawFile file;
    ASSERT_TRUE(file.Open(full, kOpenReadWrite | kOpenCreate | kOpenTruncate));
    CXmlWriter writer(&file, "");
    {
        CFileSizeLimit limit(16);
        EXPECT_FALSE(root->Write(writer, "  ", "", "\r\n", CXmlNode::kMaskAll, false));
    }
}

TEST(XmlWriterRoundTrip, WrittenTreeReadsBackLineByLine)
{
    CTempFolder folder;
    const std::string path = folder / "tree.xml";
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    CXmlNode* top = root->AddChild({}, {}, {}, CXmlNode::kProcessing)->AddChild("Top", {}, {}, CXmlNode::kElement);
    top->SetString("A", "1");
    top->AddChild("Item", "Name", std::string(120, 'n'), CXmlNode::kEmptyElement);

    CRawFile file;
    ASSERT_TRUE(file.Open(path, kOpenReadWrite | kOpenCreate | kOpenTruncate));
    CXmlWriter stream(&file, "");
    ASSERT_TRUE(root->Write(stream, "  ", "", "\r\n", CXmlNode::kMaskAll, false));
    ASSERT_EQ(file.SeekFromStart(0), 0);
    std::string afterEnd;
    EXPECT_EQ(ReadAllLines(stream, afterEnd),
              (std::vector<std::string>{"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<Top>", "  <A>1</A>",
                                        "  <Item Name=\"" + std::string(120, 'n') + "\"/>", "</Top>"}));
}

TEST(XmlWriterReplacement, WritesIntoAnAtomicReplacementOnly)
{
    CTempFolder folder;
    const std::string path = folder / "doc.xml";
    WriteWhole(path, "old\n");
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    root->AddChild({}, {}, {}, CXmlNode::kProcessing)->AddChild("Top", "Name", "v", CXmlNode::kEmptyElement);

    CAtomicFile file;
    ASSERT_TRUE(file.Open(path, 0600));
    CXmlWriter writer(file, "");
    ASSERT_TRUE(root->Write(writer, "  ", "", "\r\n", CXmlNode::kMaskAll, false));
    std::string line = "stale";
    EXPECT_FALSE(writer.ReadLine(line)) << "a replacement has nothing to read";
    EXPECT_EQ(line, "");
    EXPECT_EQ(ReadWhole(path), "old\n") << "the old file stays until the commit";
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ReadWhole(path), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Top Name=\"v\"/>\r\n");
}

TEST(XmlWriterReplacement, TheDocumentFileWriterFailsWholeOnAFullDisk)
{
    CTempFolder folder;
    const std::string path = folder / "doc.xml";
    WriteWhole(path, "old\n");
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    root->AddChild({}, {}, {}, CXmlNode::kProcessing)->AddChild("Top", {}, std::string(256, 't'), CXmlNode::kElement);
    {
        CFileSizeLimit limit(64);
        EXPECT_FALSE(WriteXmlDocumentFile(*root, path, 0600));
    }
    EXPECT_EQ(ReadWhole(path), "old\n");
    ASSERT_TRUE(WriteXmlDocumentFile(*root, path, 0600));
    EXPECT_NE(ReadWhole(path).find("<Top>" + std::string(256, 't') + "</Top>"), std::string::npos);
}
