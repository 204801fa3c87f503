#include "foundation/markup/XmlParser.h"

#include "foundation/files/BufferedFile.h"
#include "foundation/threads/CancelPoll.h"
#include "foundation/markup/MarkupReader.h"
#include "foundation/files/RawFile.h"
#include "foundation/text/StringReaderStream.h"
#include "foundation/text/StringVisitors.h"
#include "foundation/markup/XmlNode.h"
#include "foundation/markup/XmlWriter.h"

#include "tests/support/TempFolder.h"
#include "foundation/text/StringLineSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{
std::string Written(const CXmlNode& node)
{
    CStringLineSink sink;
    EXPECT_TRUE(node.Write(sink, "  ", "", "\n", CXmlNode::kMaskAll, false));
    return sink.GetText();
}

// One line per node: depth, type, name and markup, in document order.
std::string Dump(const CXmlNode& node, int depth = 0)
{
    std::string out = std::string(static_cast<size_t>(depth), ' ') + std::to_string(node.GetType()) + " [" +
                      node.GetName() + "] " + node.GetMarkup() + "\n";
    for (size_t i = 0; i < node.GetChildCount(); ++i)
        out += Dump(*node.GetChild(i), depth + 1);
    return out;
}

std::string ReadFixture(const std::string& name)
{
    std::ifstream in(std::string(TW_FIXTURES_DIR) + "/html/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Hands out at most one byte per read, so every look-ahead of the reader
// crosses a block boundary.
class CTrickleStream : public StreamInterface
{
public:
    explicit CTrickleStream(std::string text)
        : m_text(std::move(text))
    {
    }
    int32_t Read(void* buffer, int32_t count) override
    {
        if (count <= 0 || m_position >= m_text.size())
            return 0;
        static_cast<char*>(buffer)[0] = m_text[m_position++];
        return 1;
    }
    int32_t Write(const void*, int32_t) override { return -1; }
    int64_t Tell() override { return -1; }
    int64_t Seek(int64_t, int) override { return -1; }

private:
    std::string m_text;
    size_t m_position = 0;
};

// Reports non-zero from the given poll on (counted from 1).
class CCancelAfter : public ICancelPoll
{
public:
    explicit CCancelAfter(int stopAt)
        : m_stopAt(stopAt)
    {
    }
    int Poll() override { return ++m_polls >= m_stopAt ? 7 : 0; }

    int m_polls = 0;

private:
    int m_stopAt;
};

struct TreeCase
{
    int mode;
    const char* input;
    const char* written;
    bool complete;
};
} // namespace

TEST(XmlParser, TreesWrittenBack)
{
    const TreeCase cases[] = {
        // Self-nesting elements never take children; their end tags stay as strays.
        {CXmlParser::kHtml, "<div>a<div>b</div></div>", "<div>\na\n<div>\nb\n</div>\n</div>\n", true},
        {CXmlParser::kHtml, "<p>one<p>two", "<p>\none\n<p>\ntwo\n", true},
        {CXmlParser::kHtml, "<ul><li>a<li>b</ul>", "<ul>\n  <li>\n  a\n  <li>\n  b\n</ul>\n", true},
        // Empty elements take no children; "<br/>" is named "br/" and does.
        {CXmlParser::kHtml, "<br>x<img src=x>y", "<br>\nx\n<img src=x>\ny\n", true},
        {CXmlParser::kHtml, "<br/>x", "<br/>\n  x\n", true},
        // An end tag closes an ancestor and leaves the elements between open.
        {CXmlParser::kHtml, "<html><body><b>bold</body>after</html>",
         "<html>\n  <body>\n    <b>\n      bold\n  </body>\n  after\n</html>\n", true},
        // An ancestor directly under the root is closed, and the end tag stays where it was met.
        {CXmlParser::kHtml, "<html><b>x</html>y</html>",
         "<html>\n  <b>\n    x\n    </html>\n    y\n    </html>\n</html>\n", true},
        {CXmlParser::kHtml, "</p>text", "</p>\ntext\n", true},
        {CXmlParser::kHtml, "<B>x</b>", "<B>x</B>\n", true},
        // An end tag without a name never closes the document.
        {CXmlParser::kHtml, "<b></>x", "<b>\n  </>\n  x\n", true},
        {CXmlParser::kHtml, "</>x", "</>\nx\n", true},
        // Script and style content is text up to the end tag.
        {CXmlParser::kHtml, "<script>if (a<b) x='</p>';</script><a href=y>",
         "<script>if (a<b) x='</p>';</script>\n<a href=y>\n", true},
        {CXmlParser::kHtml, "<STYLE>p > a {}</Style >z", "<STYLE>p > a {}</STYLE>\nz\n", true},
        {CXmlParser::kHtml, "<script>a</scripts><b></script>", "<script>a</scripts><b></script>\n", true},
        {CXmlParser::kHtml, "<script>never ends <a href=x>", "<script>\n  never ends <a href=x>\n", true},
        // A '<' that cannot start markup is text, as in a browser.
        {CXmlParser::kHtml, "5 < 10 <b>x</b> <>", "5 < 10\n<b>x</b>\n<>\n", true},
        // A quoted attribute value may hold '>'.
        {CXmlParser::kHtml, "<img alt=\"a > b\" src='c>d'>", "<img alt=\"a > b\" src='c>d'>\n", true},
        // Comments end at a '>' after two dashes that follow the opening.
        {CXmlParser::kHtml, "<!-- a > b -- c -->x", "<!-- a > b -- c -->\nx\n", true},
        {CXmlParser::kHtml, "<!-->x-->y", "<!-->x-->\ny\n", true},
        {CXmlParser::kHtml, "<!DOCTYPE html><?php x ?>", "<!DOCTYPE html>\n<?php x ?>\n", true},
        // The input ending inside markup drops that markup.
        {CXmlParser::kHtml, "<b>x</b><a href=", "<b>x</b>\n", false},
        {CXmlParser::kHtml, "x<!-- open", "x\n", false},
        {CXmlParser::kHtml, "  \r\n\t ", "", true},
        // Strict XML.
        {CXmlParser::kXml, "<a><b/><c x='1'/><d>t</d></a>", "<a>\n  <b/>\n  <c x='1'/>\n  <d>t</d>\n</a>\n", true},
        {CXmlParser::kXml, "<a><b></a><c/>", "<a>\n  <b>\n", false},
        {CXmlParser::kXml, "<r>x</R>", "<r>\n  x\n", false},
        {CXmlParser::kXml, "</a><b/>", "", false},
        {CXmlParser::kXml, "<a>x</a><>y", "<a>x</a>\n", false},
        {CXmlParser::kXml, "< a>x</a>", "< a>\nx\n", false},
        // Flat list.
        {CXmlParser::kFlat, "<a><b>x</b></a>", "<a>\n<b>\nx\n", true},
        {7, "<br/>y", "<br/>\ny\n", true},
    };
    for (const TreeCase& c : cases)
    {
        SCOPED_TRACE(c.input);
        std::unique_ptr<CXmlNode> root = CXmlNode::Create();
        EXPECT_EQ(CXmlParser(c.mode).ParseString(*root, c.input, nullptr), c.complete);
        EXPECT_EQ(Written(*root), c.written);
    }
}

TEST(XmlParser, NodeTypesAndNames)
{
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    ASSERT_TRUE(CXmlParser(CXmlParser::kHtml).ParseString(*root, "<!-- c --><A HREF=x>t</a></p>< x>", nullptr));
    EXPECT_EQ(Dump(*root), "0 [] \n"
                           " 6 [] <!-- c -->\n"
                           " 3 [A] <A HREF=x>\n"
                           "  1 [] t\n"
                           " 5 [] </p>\n"
                           " 1 [] < x>\n");

    // Strict XML: an empty-element tag is named without its '/'; a start tag
    // without a name is stray markup and takes no children.
    ASSERT_TRUE(CXmlParser(CXmlParser::kXml).ParseString(*root, "<?xml version=\"1.0\"?><r><Item/>< x><y/></r>", nullptr));
    EXPECT_EQ(Dump(*root), "0 [] \n"
                           " 7 [?xml] <?xml version=\"1.0\"?>\n"
                           " 3 [r] <r>\n"
                           "  4 [Item] <Item/>\n"
                           "  5 [] < x>\n"
                           "  4 [y] <y/>\n");
}

TEST(XmlParser, TokenClassificationAndTagNames)
{
    const CXmlParser html(CXmlParser::kHtml);
    const CXmlParser xml(CXmlParser::kXml);
    const struct
    {
        const char* token;
        int htmlType;
        int xmlType;
    } classes[] = {
        {"", 1, 1},          {"text", 1, 1},      {"<>", 5, 5},         {"<a", 5, 5},
        {"</a>", 3, 3},      {"<!x>", 6, 6},      {"<?x?>", 7, 7},      {"<a/>", 2, 4},
        {" \t<a b=c>\n", 2, 2}, {"<a b='/'/>", 2, 4}, {"<//>", 3, 3},
    };
    for (const auto& c : classes)
    {
        SCOPED_TRACE(c.token);
        EXPECT_EQ(html.ClassifyMarkupToken(c.token), c.htmlType);
        EXPECT_EQ(xml.ClassifyMarkupToken(c.token), c.xmlType);
    }

    const struct
    {
        const char* token;
        const char* name;
    } names[] = {
        {"<br/>", "br/"},      {"<br />", "br"},          {"</a>", "a"},      {"<!-- x -->", ""},
        {"<!DOCTYPE html>", "!DOCTYPE"}, {"<?xml v?>", "?xml"}, {"ab", ""},  {"<a", ""},
        {"<a\tb=c>", "a"},     {"<<//x>>", "x"},          {"<a\r\nb>", "a"}, {"<>", ""},
    };
    for (const auto& n : names)
        EXPECT_EQ(CXmlParser::GetTagName(n.token), n.name) << n.token;

    for (const char* name : {"BR", "hr", "Meta", "FRAME", "param", "IMG", "input", "OPTION", "link"})
        EXPECT_TRUE(CXmlParser::IsEmptyElementName(name)) << name;
    for (const char* name : {"P", "div", "Li"})
        EXPECT_TRUE(CXmlParser::IsImplicitCloseName(name)) << name;
    for (std::string_view name : {std::string_view(""), std::string_view("A"), std::string_view("BRR"),
                                  std::string_view("DIVX"), std::string_view("area"), std::string_view("TD"),
                                  std::string_view("OPTIONS"), std::string_view("INPUTINPUT"),
                                  std::string_view("BR\0", 3), std::string_view("P\0", 2),
                                  std::string_view("\xD0")})
    {
        EXPECT_FALSE(CXmlParser::IsEmptyElementName(name)) << name;
        EXPECT_FALSE(CXmlParser::IsImplicitCloseName(name)) << name;
    }
}

TEST(XmlParser, PositionsAreWhereTokensEnd)
{
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    ASSERT_TRUE(CXmlParser(CXmlParser::kHtml).ParseString(*root, "<a>\nxy<b\nc=d>\n\n", nullptr));
    const CXmlNode* a = root->GetChild(0);
    const CXmlNode* text = a->GetChild(0);
    const CXmlNode* b = a->GetChild(1);
    ASSERT_TRUE(a && text && b);
    EXPECT_EQ((std::vector<int>{a->GetColumn(), a->GetLine(), a->GetOffset()}), (std::vector<int>{3, 0, 3}));
    EXPECT_EQ((std::vector<int>{text->GetColumn(), text->GetLine(), text->GetOffset()}),
              (std::vector<int>{2, 1, 6}));
    EXPECT_EQ((std::vector<int>{b->GetColumn(), b->GetLine(), b->GetOffset()}), (std::vector<int>{4, 2, 13}));
}

TEST(XmlParser, StreamsGiveTheSameTreeAsStrings)
{
    // The script end tag and comment ends land on every possible split.
    std::string page = ReadFixture("news.html") + ReadFixture("imagemap.html") + ReadFixture("frames.html");
    ASSERT_GT(page.size(), 5000u);
    // Long enough to need several blocks of the reader.
    std::string big;
    while (big.size() < 300000)
        big += page;

    for (const std::string* text : {&page, &big})
    {
        std::unique_ptr<CXmlNode> fromString = CXmlNode::Create();
        std::unique_ptr<CXmlNode> fromStream = CXmlNode::Create();
        const CXmlParser parser(CXmlParser::kHtml);
        EXPECT_TRUE(parser.ParseString(*fromString, *text, nullptr));
        CStringReaderStream stream(*text);
        EXPECT_TRUE(parser.ParseStream(*fromStream, stream, nullptr));
        EXPECT_EQ(Dump(*fromStream), Dump(*fromString));
        EXPECT_EQ(fromStream->GetChild(fromStream->GetChildCount() - 1)->GetOffset(),
                  fromString->GetChild(fromString->GetChildCount() - 1)->GetOffset());
    }

    std::unique_ptr<CXmlNode> fromString = CXmlNode::Create();
    std::unique_ptr<CXmlNode> fromTrickle = CXmlNode::Create();
    CTrickleStream trickle(page);
    EXPECT_TRUE(CXmlParser(CXmlParser::kHtml).ParseString(*fromString, page, nullptr));
    EXPECT_TRUE(CXmlParser(CXmlParser::kHtml).ParseStream(*fromTrickle, trickle, nullptr));
    EXPECT_EQ(Dump(*fromTrickle), Dump(*fromString));
}

TEST(XmlParser, CancelStopsAndKeepsTheTree)
{
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    ASSERT_TRUE(CXmlParser(CXmlParser::kHtml).ParseString(*root, "old", nullptr));

    // The first poll comes before anything is read: the root is cleared only.
    CCancelAfter atOnce(1);
    EXPECT_FALSE(CXmlParser(CXmlParser::kHtml).ParseString(*root, "<a>b</a>", &atOnce));
    EXPECT_EQ(root->GetChildCount(), 0u);
    EXPECT_EQ(atOnce.m_polls, 1);

    CCancelAfter third(3);
    CStringReaderStream stream("<a>b</a><c>");
    EXPECT_FALSE(CXmlParser(CXmlParser::kHtml).ParseStream(*root, stream, &third));
    EXPECT_EQ(Written(*root), "<a>\n  b\n");
}

TEST(XmlParser, DeepAndUnclosedMarkupStaysLinear)
{
    const int kLevels = 100000;
    const CXmlParser html(CXmlParser::kHtml);
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();

    // Self-nesting elements stay flat.
    std::string divs;
    for (int i = 0; i < kLevels; ++i)
        divs += "<div>";
    ASSERT_TRUE(html.ParseString(*root, divs, nullptr));
    EXPECT_EQ(root->GetChildCount(), static_cast<size_t>(kLevels));

    // Unclosed inline elements nest 200,000 deep.
    std::string nested;
    for (int i = 0; i < kLevels; ++i)
        nested += "<b><i>";
    nested += "<a href=deep.html>";
    ASSERT_TRUE(html.ParseString(*root, nested, nullptr));
    size_t depth = 0;
    const CXmlNode* node = root.get();
    while (node->GetChildCount() > 0)
    {
        node = node->GetChild(0);
        ++depth;
    }
    EXPECT_EQ(depth, static_cast<size_t>(2 * kLevels + 1));
    EXPECT_EQ(node->GetName(), "a");

    // End tags that match an element high above, again and again, and end
    // tags that match nothing: each costs the same, however deep the tree.
    std::string repeated = "<html>" + nested;
    for (int i = 0; i < kLevels; ++i)
        repeated += "</html></nothing>";
    ASSERT_TRUE(html.ParseString(*root, repeated, nullptr));
    EXPECT_EQ(root->GetChild(0)->GetType(), CXmlNode::kElement);

    // Closing them all again unwinds in one pass.
    std::string closed = nested;
    for (int i = 0; i < kLevels; ++i)
        closed += "</i></b>";
    ASSERT_TRUE(html.ParseString(*root, closed, nullptr));
    EXPECT_EQ(root->GetChildCount(), 1u);
    EXPECT_EQ(root->GetChild(0)->GetType(), CXmlNode::kElement);

    std::string xml;
    for (int i = 0; i < kLevels; ++i)
        xml += "<e>";
    for (int i = 0; i < kLevels; ++i)
        xml += "</e>";
    ASSERT_TRUE(CXmlParser(CXmlParser::kXml).ParseString(*root, xml, nullptr));
    EXPECT_EQ(root->GetChild(0)->GetType(), CXmlNode::kElement);
}

namespace
{
// Compares two trees node by node: type, name, markup and children.
void ExpectSameTree(const CXmlNode& expected, const CXmlNode& actual)
{
    ASSERT_EQ(actual.GetType(), expected.GetType()) << expected.GetMarkup();
    EXPECT_EQ(actual.GetName(), expected.GetName());
    EXPECT_EQ(actual.GetMarkup(), expected.GetMarkup());
    ASSERT_EQ(actual.GetChildCount(), expected.GetChildCount()) << expected.GetMarkup();
    for (size_t i = 0; i < expected.GetChildCount(); ++i)
        ExpectSameTree(*expected.GetChild(i), *actual.GetChild(i));
}

// A document as the program writes its files: settings keys, favourites
// folders and items, history items built by BuildDocument.
std::unique_ptr<CXmlNode> BuildOwnDocument()
{
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    CXmlNode* declaration = root->AddChild({}, {}, {}, CXmlNode::kProcessing);
    CXmlNode* top = declaration->AddChild("Favorites", {}, "X-Favorites", CXmlNode::kElement);
    CXmlNode* folder = top->AddChild("Folder", "Name", "Tools & \"things\" <x>", CXmlNode::kElement);
    folder->SetAttribute("ID", "1000", false);
    CXmlNode* item = folder->AddChild("Item", "Name", "It's here", CXmlNode::kEmptyElement);
    item->SetAttribute("URL", "http://h/?a=1&b=<2>", false);
    folder->AddChild("Empty", {}, {}, CXmlNode::kEmptyElement);
    top->AddChild("Note", {}, {}, CXmlNode::kBangMarkup);
    top->SetString("Settings/Misc/Last Opened Folder", "/home/u/a <b> & 'c'");
    top->SetString("Settings/HTTP/User Agent", "Mozilla/4.0 (compatible)");
    top->SetInt64("Settings/Transfer Manager/Limit", -1234567890123LL);
    return root;
}
} // namespace

TEST(XmlParser, OwnWrittenFilesParseBackToTheSameTree)
{
    std::unique_ptr<CXmlNode> built = BuildOwnDocument();
    std::vector<std::string> urls{"http://a/?x=1&y=2", "ftp://b/<c>", "http://d/'q'"};
    std::unique_ptr<CXmlNode> history = CXmlNode::Create();
    CStringArrayVisitor enumerator(urls);
    history->BuildDocument(enumerator, "History", "XVebb History", "Item %d", "Item", "URI");

    CTempFolder folder;
    for (const CXmlNode* document : {built.get(), history.get()})
    {
        const std::string path = folder / "doc.xml";
        {
            CRawFile file;
            ASSERT_TRUE(file.Open(path, kOpenReadWrite | kOpenCreate | kOpenTruncate));
            CXmlWriter writer(&file, "");
            ASSERT_TRUE(document->Write(writer, "  ", "", "\r\n", CXmlNode::kMaskAll, false));
            ASSERT_TRUE(file.Close());
        }
        CBufferedFile input;
        ASSERT_TRUE(input.Open(path, CBufferedFile::modeRead));
        std::unique_ptr<CXmlNode> parsed = CXmlNode::Create();
        ASSERT_TRUE(CXmlParser(CXmlParser::kXml).ParseStream(*parsed, input, nullptr));

        // The declaration is a leaf in the parsed tree; what it held in the
        // built one follows it as the document's top element.
        const CXmlNode* builtDeclaration = document->GetChild(0);
        ASSERT_EQ(parsed->GetChildCount(), 2u);
        EXPECT_EQ(parsed->GetChild(0)->GetMarkup(), builtDeclaration->GetMarkup());
        EXPECT_EQ(parsed->GetChild(0)->GetType(), CXmlNode::kProcessing);
        ExpectSameTree(*builtDeclaration->GetChild(0), *parsed->GetChild(1));
    }

    std::unique_ptr<CXmlNode> parsed = CXmlNode::Create();
    ASSERT_TRUE(CXmlParser(CXmlParser::kXml).ParseString(*parsed, Written(*built), nullptr));
    CXmlNode* top = parsed->FindElement(CXmlNode::kProcessing);
    ASSERT_NE(top, nullptr);
    std::string value;
    EXPECT_TRUE(top->GetString("Settings/Misc/Last Opened Folder", value));
    EXPECT_EQ(value, "/home/u/a <b> & 'c'");
    int64_t limit = 0;
    EXPECT_TRUE(top->GetInt64("Settings/Transfer Manager/Limit", limit));
    EXPECT_EQ(limit, -1234567890123LL);
    CXmlNode* item = top->FindChild("Folder", true, {}, {}, CXmlNode::kElement, true);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetAttribute("Name", true), "Tools & \"things\" <x>");
    ASSERT_NE(item->FindChild("Empty", true, {}, {}, CXmlNode::kEmptyElement, true), nullptr);
    item = item->FindChild("Item", true, {}, {}, CXmlNode::kEmptyElement, true);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetAttribute("URL", true), "http://h/?a=1&b=<2>");
}

TEST(StringReaderStream, ReadsItsCopyInOrder)
{
    std::string text = "abcdef";
    CStringReaderStream stream(text);
    text = "changed";
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    EXPECT_EQ(stream.Tell(), 4);
    EXPECT_EQ(stream.Read(buffer, 8), 2);
    EXPECT_EQ(stream.Read(buffer, 8), 0);
    EXPECT_EQ(stream.Seek(-3, 2), 3);
    EXPECT_EQ(stream.Read(buffer, 1), 1);
    EXPECT_EQ(buffer[0], 'd');
    EXPECT_EQ(stream.Seek(100, 1), 6);
    EXPECT_EQ(stream.Seek(-100, 0), 0);
    EXPECT_EQ(stream.Seek(0, 3), -1);
    EXPECT_EQ(stream.Write("x", 1), -1);
}
