#include "foundation/markup/XmlNode.h"

#include "foundation/threads/CancelPoll.h"
#include "foundation/text/StringLineSink.h"
#include "foundation/files/RawFile.h"
#include "foundation/text/StringVisitors.h"
#include "foundation/markup/XmlWriter.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
// Refuses every piece after the first m_limit, as a full disk would.
class CStringSink : public CStringLineSink
{
public:
    bool WriteLine(std::string_view text) override
    {
        if (m_pieces >= m_limit)
            return false;
        ++m_pieces;
        return CStringLineSink::WriteLine(text);
    }

    size_t m_pieces = 0;
    size_t m_limit = static_cast<size_t>(-1);
};

std::string WriteToString(const CXmlNode& node, std::string_view step, std::string_view newline, int mask,
                          bool normalise)
{
    CStringSink sink;
    EXPECT_TRUE(node.Write(sink, step, "", newline, mask, normalise));
    return sink.GetText();
}

// The settings export's shape: declaration, "Settings" with its text, then keys.
std::unique_ptr<CXmlNode> BuildSettingsTree(CXmlNode*& settings)
{
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    CXmlNode* declaration = root->AddChild({}, {}, {}, CXmlNode::kProcessing);
    settings = declaration->AddChild("Settings", {}, "X-Settings", CXmlNode::kElement);
    return root;
}

int RunXmllint(const std::string& path)
{
    const std::string command = "/usr/bin/xmllint --noout '" + path + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
} // namespace

TEST(XmlNodeWrite, SettingsDocumentExactText)
{
    CXmlNode* settings = nullptr;
    std::unique_ptr<CXmlNode> root = BuildSettingsTree(settings);
    ASSERT_TRUE(settings->SetInt("Misc/Default Tab Size", 4));
    ASSERT_TRUE(settings->SetString("Misc/Last Opened Folder", "/home/u/a b"));
    ASSERT_TRUE(settings->SetInt64("Transfer Manager/Limit", -5000000000LL));

    EXPECT_EQ(WriteToString(*root, "  ", "\r\n", CXmlNode::kMaskAll, false),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
              "<Settings>\r\n"
              "  X-Settings\r\n"
              "  <Misc>\r\n"
              "    <Default_Tab_Size>4</Default_Tab_Size>\r\n"
              "    <Last_Opened_Folder>/home/u/a b</Last_Opened_Folder>\r\n"
              "  </Misc>\r\n"
              "  <Transfer_Manager>\r\n"
              "    <Limit>-5000000000</Limit>\r\n"
              "  </Transfer_Manager>\r\n"
              "</Settings>\r\n");
}

TEST(XmlNodeWrite, HistoryDocumentFromBuildDocument)
{
    std::vector<std::string> urls{"http://a/?x=1&y=2", "http://b/"};
    CStringArrayVisitor enumerator(urls);
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    root->AddChild("Old", {}, "gone", CXmlNode::kElement);
    root->BuildDocument(enumerator, "History", "XVebb History", "Item %d", "Item", "URI");

    EXPECT_EQ(WriteToString(*root, "  ", "\r\n", CXmlNode::kMaskAll, false),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
              "<History>\r\n"
              "  XVebb History\r\n"
              "  <Item URI=\"http://a/?x=1&amp;y=2\">Item 1</Item>\r\n"
              "  <Item URI=\"http://b/\">Item 2</Item>\r\n"
              "</History>\r\n");
}

TEST(XmlNodeWrite, LayoutMasksAndNormalising)
{
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    CXmlNode* body = root->AddChild("body", {}, {}, CXmlNode::kElement);
    CXmlNode* p = body->AddChild("p", {}, "  one\r\n  &amp; two ", CXmlNode::kElement);
    body->AddChild({}, {}, " \r\n\t ", CXmlNode::kText);
    body->AddChild("br", {}, {}, CXmlNode::kEmptyElement);
    body->AddChild({}, {}, "a comment", CXmlNode::kBangMarkup);
    CXmlNode* open = body->AddChild("b", {}, {}, CXmlNode::kOpenElement);
    open->AddChild({}, {}, "bold", CXmlNode::kText);
    CXmlNode* two = body->AddChild("div", {}, "x", CXmlNode::kElement);
    two->AddChild("i", {}, {}, CXmlNode::kEmptyElement);
    p->SetMarkup("<p\r\nclass=\"c\">");

    struct Case
    {
        int mask;
        bool normalise;
        const char* step;
        const char* newline;
        const char* expected;
    };
    const Case cases[] = {
        {CXmlNode::kMaskAll, false, "\t", "\n",
         "<body>\n"
         "\t<p\r\nclass=\"c\">  one\r\n  &amp;amp; two </p>\n"
         "\t \r\n\t \n"
         "\t<br/>\n"
         "\t<!-- a comment -->\n"
         "\t<b>\n"
         "\t\tbold\n"
         "\t<div>\n"
         "\t\tx\n"
         "\t\t<i/>\n"
         "\t</div>\n"
         "</body>\n"},
        // Line breaks in markup collapse; the text child of the one-line <p>
        // is markup under mask -1, so only its line breaks go.
        {CXmlNode::kMaskAll, true, "", "\n",
         "<body>\n"
         "<p class=\"c\">  one   &amp;amp; two </p>\n"
         "  \t \n"
         "<br/>\n"
         "<!-- a comment -->\n"
         "<b>\n"
         "bold\n"
         "<div>\n"
         "x\n"
         "<i/>\n"
         "</div>\n"
         "</body>\n"},
        // Text only: decoded, collapsed, and the blank text leaves nothing.
        {CXmlNode::kMaskText, true, "", "\n", "one &amp; two \nbold\nx\n"},
        // Elements only (bits 2 to 4): no text, no comment.
        {(1 << 2) | (1 << 3) | (1 << 4), false, " ", "|",
         "<body>| <p\r\nclass=\"c\"></p>| <br/>| <b>| <div>|  <i/>| </div>|</body>|"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.mask);
        SCOPED_TRACE(c.normalise);
        EXPECT_EQ(WriteToString(*body, c.step, c.newline, c.mask, c.normalise), c.expected);
    }
}

TEST(XmlNodeWrite, StopsAtTheFirstRefusedPiece)
{
    CXmlNode* settings = nullptr;
    std::unique_ptr<CXmlNode> root = BuildSettingsTree(settings);
    settings->SetString("A/B", "1");
    CStringSink sink;
    sink.m_limit = 2;
    EXPECT_FALSE(root->Write(sink, "  ", "", "\n", CXmlNode::kMaskAll, false));
    EXPECT_EQ(sink.m_pieces, 2u);
    EXPECT_EQ(sink.GetText(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Settings>\n");
}

TEST(XmlNodeWrite, EscapedValuesGiveAFileXmllintAccepts)
{
    ASSERT_EQ(::access("/usr/bin/xmllint", X_OK), 0) << "xmllint is required for this test";
    const std::string awkward = "a & b < c > d \" e ' f \xC3\xBC\xC3\x9F \xE6\x9D\xB1\xE4\xBA\xAC";

    CXmlNode* settings = nullptr;
    std::unique_ptr<CXmlNode> root = BuildSettingsTree(settings);
    ASSERT_TRUE(settings->SetString("Misc/Text 'quoted' \"x\" <y>", awkward));
    CXmlNode* item = settings->AddChild("Item", "Name", awkward, CXmlNode::kEmptyElement);
    ASSERT_TRUE(item->SetAttribute("Other", awkward, true));
    settings->AddChild("Folder", "Name", awkward, CXmlNode::kElement);

    CTempFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    const std::string path = folder / "Settings.xml";
    {
        CRawFile file;
        ASSERT_TRUE(file.Open(path, kOpenReadWrite | kOpenCreate | kOpenTruncate));
        CXmlWriter writer(&file, "");
        ASSERT_TRUE(root->Write(writer, "  ", "", "\r\n", CXmlNode::kMaskAll, false));
        ASSERT_TRUE(file.Close());
    }
    EXPECT_EQ(RunXmllint(path), 0);

    const std::string written = WriteToString(*root, "", "\n", CXmlNode::kMaskAll, false);
    EXPECT_NE(written.find("<Text__quoted___x___y_>a &amp; b &lt; c &gt; d &quot; e &apos; f "
                           "\xC3\xBC\xC3\x9F \xE6\x9D\xB1\xE4\xBA\xAC</Text__quoted___x___y_>"),
              std::string::npos)
        << written;

    std::string back;
    ASSERT_TRUE(settings->GetString("Misc/Text 'quoted' \"x\" <y>", back));
    EXPECT_EQ(back, awkward);
    EXPECT_EQ(item->GetAttribute("Name", true), awkward);
    EXPECT_EQ(item->GetAttribute("Other", true), awkward);
}

TEST(XmlNodeWrite, HundredThousandLevelsWriteWalkAndFree)
{
    constexpr int kDepth = 100000;
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    CXmlNode* node = root.get();
    for (int i = 0; i < kDepth; ++i)
        node = node->AddChild("e", {}, {}, i % 2 ? CXmlNode::kElement : CXmlNode::kOpenElement);
    CXmlNode* deepest = node->AddChild({}, {}, "leaf", CXmlNode::kText);

    // Indentation stops growing, so the output stays linear in the tree.
    CStringSink sink;
    ASSERT_TRUE(root->Write(sink, "  ", "", "\n", CXmlNode::kMaskAll, false));
    size_t longest = 0;
    size_t lines = 0;
    for (size_t start = 0; start < sink.GetText().size();)
    {
        const size_t end = sink.GetText().find('\n', start);
        ASSERT_NE(end, std::string::npos);
        longest = std::max(longest, end - start);
        ++lines;
        start = end + 1;
    }
    // One line per element, the deepest holding its text and end tag, plus
    // the end tags of the other closed elements.
    EXPECT_EQ(lines, static_cast<size_t>(kDepth + kDepth / 2 - 1));
    EXPECT_EQ(longest, 2 * CXmlNode::kMaxIndentLevels + std::string("<e>leaf</e>").size());

    EXPECT_EQ(root->FindByType(CXmlNode::kText), deepest);
    EXPECT_EQ(root->FindByType(CXmlNode::kStray), nullptr);
    std::vector<CXmlNode*> found;
    root->CollectElements("E", false, true, found);
    EXPECT_EQ(found.size(), static_cast<size_t>(kDepth));

    size_t walked = 0;
    for (const CXmlNode* n = root.get(); n; n = n->NextNode())
        ++walked;
    EXPECT_EQ(walked, static_cast<size_t>(kDepth + 2));

    // Removing a deep subtree and freeing the rest both run without recursion.
    EXPECT_TRUE(root->RemoveNode(found[kDepth / 2]));
    EXPECT_EQ(found[kDepth / 2 - 1]->GetChildCount(), 0u);
    root.reset();
}

TEST(XmlNodeKeys, KeyValueStoreTable)
{
    struct Case
    {
        const char* key;
        const char* setValue; // null: read only
        bool getOk;
        const char* expected;
    };
    const Case cases[] = {
        {"Misc/Last Opened Folder", "/tmp/x", true, "/tmp/x"},
        {"misc/LAST OPENED FOLDER", nullptr, true, "/tmp/x"},
        {"//Misc/Last_Opened_Folder", nullptr, true, "/tmp/x"},
        {"Misc/Tab", "\tvalue with <&> ", true, "\tvalue with <&> "},
        {"Deep/er/still", "", true, ""},
        {"Missing/Key", nullptr, false, "unchanged"},
        {"", nullptr, false, "unchanged"},
        {"Misc/", nullptr, false, "unchanged"},
        {"a//b", nullptr, false, "unchanged"},
    };
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    IKeyValueStore& store = *root;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.key);
        if (c.setValue)
        {
            EXPECT_TRUE(store.SetString(c.key, c.setValue));
        }
        std::string value = "unchanged";
        EXPECT_EQ(store.GetString(c.key, value), c.getOk);
        EXPECT_EQ(value, c.expected);
    }
    EXPECT_FALSE(store.SetString("", "x"));
    EXPECT_FALSE(store.SetString("Misc/", "x"));
    EXPECT_FALSE(store.SetString("a//b", "x"));

    // One "Misc" element, whatever case the keys used; reading a missing key
    // left its empty elements; the bad keys created nothing.
    ASSERT_EQ(root->GetChildCount(), 3u);
    EXPECT_EQ(root->GetChild(0)->GetName(), "Misc");
    EXPECT_EQ(root->GetChild(0)->GetChildCount(), 2u);
    EXPECT_EQ(root->GetChild(1)->GetName(), "Deep");
    CXmlNode* missing = root->GetChild(2);
    EXPECT_EQ(missing->GetName(), "Missing");
    ASSERT_EQ(missing->GetChildCount(), 1u);
    EXPECT_EQ(missing->GetChild(0)->GetMarkup(), "<Key>");
}

TEST(XmlNodeKeys, NumbersAndUnsupportedOperations)
{
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    IKeyValueStore& store = *root;
    int number = 7;
    int64_t wide = 7;

    EXPECT_TRUE(store.SetInt("N/Int", -2147483647 - 1));
    EXPECT_TRUE(store.GetInt("N/Int", number));
    EXPECT_EQ(number, -2147483647 - 1);
    EXPECT_TRUE(store.SetInt64("N/Wide", INT64_MIN));
    EXPECT_TRUE(store.GetInt64("N/Wide", wide));
    EXPECT_EQ(wide, INT64_MIN);
    EXPECT_TRUE(store.SetString("N/Word", "abc"));
    EXPECT_TRUE(store.GetInt("N/Word", number));
    EXPECT_EQ(number, 0);

    number = 7;
    wide = 7;
    EXPECT_FALSE(store.GetInt("N/None", number));
    EXPECT_EQ(number, 0);
    EXPECT_FALSE(store.GetInt64("N/None", wide));
    EXPECT_EQ(wide, 0);

    const uint8_t bytes[2] = {1, 2};
    uint8_t buffer[4] = {};
    int length = 4;
    unsigned size = 9;
    EXPECT_FALSE(store.SetBytes("B", bytes, 2));
    EXPECT_FALSE(store.GetBytes("B", buffer, length));
    EXPECT_EQ(length, 0);
    EXPECT_FALSE(store.GetBytesSize("B", size));
    EXPECT_EQ(size, 0u);
    EXPECT_FALSE(store.DeleteKey("N"));
    EXPECT_EQ(root->GetChildCount(), 1u);
}

TEST(XmlNodeKeys, SetReplacesTheValueAndReadingKeepsAttributes)
{
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    CXmlNode* group = root->AddChild("Group", "id", "7", CXmlNode::kElement);
    ASSERT_NE(root->SetPathValue("Group/Value", "one", true), nullptr);
    CXmlNode* text = root->SetPathValue("Group/Value", "two", true);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetParent()->GetChildCount(), 1u);

    std::string value;
    EXPECT_TRUE(root->GetPathValue("Group/Value", value, true));
    EXPECT_EQ(value, "two");
    EXPECT_EQ(group->GetMarkup(), "<Group id=\"7\">");
    // Case-sensitive paths do not match another case; they add an element.
    EXPECT_FALSE(root->GetPathValue("group/Value", value, true));
    EXPECT_EQ(root->GetChildCount(), 2u);
}

TEST(XmlNodeAttributes, SetAttributeTable)
{
    struct Case
    {
        int type;
        const char* markup;
        const char* name;
        std::optional<std::string_view> value;
        bool isNew;
        const char* expected;
    };
    const Case cases[] = {
        {CXmlNode::kEmptyElement, "<Item/>", "Name", "a", true, "<Item Name=\"a\"/>"},
        {CXmlNode::kEmptyElement, "<Item />", "Name", "a", true, "<Item Name=\"a\"/>"},
        {CXmlNode::kElement, "<a >", "x", "1", true, "<a x=\"1\">"},
        {CXmlNode::kElement, "<a x=\"1\" y='2'>", "x", "3", false, "<a x=\"3\" y='2'>"},
        {CXmlNode::kElement, "<a x=\"1\" y='2'>", "Y", "3", false, "<a x=\"1\" Y=\"3\">"},
        {CXmlNode::kElement, "<a x=\"1\"\ty=2>", "x", "<&\">", false, "<a x=\"&lt;&amp;&quot;&gt;\" y=2>"},
        {CXmlNode::kElement, "<a x=\"1\" y=2>", "x", std::nullopt, false, "<a y=2>"},
        {CXmlNode::kElement, "<a y=2>", "x", std::nullopt, true, "<a y=2>"},
        {CXmlNode::kElement, "<a>", "", "1", false, "<a>"},
        {CXmlNode::kText, "text", "x", "1", false, "text"},
        {CXmlNode::kElement, "<a x=1", "x", "2", false, "<a x=1"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.markup);
        CXmlNode node;
        node.SetType(c.type);
        node.SetMarkup(c.markup);
        EXPECT_EQ(node.SetAttribute(c.name, c.value, false), c.isNew);
        EXPECT_EQ(node.GetMarkup(), c.expected);
    }
}

TEST(XmlNodeAttributes, ReadingAttributes)
{
    CXmlNode node;
    node.SetType(CXmlNode::kElement);
    node.SetMarkup("<Name Name2=\"v\" s='x' amp=\"&amp;&lt;\" bare u=plain q='open >");

    struct Case
    {
        const char* name;
        bool caseSensitive;
        const char* expected;
    };
    const Case cases[] = {
        {"Name", true, ""}, {"name2", false, "v"}, {"name2", true, ""}, {"s", true, "x"},
        {"amp", true, "&<"}, {"bare", true, ""},  {"u", true, "plain"}, {"q", true, "open "},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(node.GetAttribute(c.name, c.caseSensitive), c.expected);
    }
    EXPECT_EQ(node.GetAttributeText(), "Name2=\"v\" s='x' amp=\"&amp;&lt;\" bare u=plain q='open ");

    std::vector<std::string> pairs;
    std::vector<std::string> bare;
    CStringArrayVisitor pairSink(pairs);
    CStringArrayVisitor bareSink(bare);
    EXPECT_EQ(node.ParseAttributes(pairSink, &bareSink), 5);
    EXPECT_EQ(pairs, (std::vector<std::string>{"Name2", "v", "s", "x", "amp", "&<", "u", "plain", "q", "open "}));
    EXPECT_EQ(bare, std::vector<std::string>{"bare"});

    std::string value;
    EXPECT_TRUE(node.HasAttributeFiltered("AMP", value, false));
    EXPECT_EQ(value, "&<");
    EXPECT_FALSE(node.HasAttributeFiltered("AMP", value, true));

    EXPECT_EQ(node.RemoveAttribute("s", true), 16);
    EXPECT_EQ(node.GetMarkup(), "<Name Name2=\"v\" amp=\"&amp;&lt;\" bare u=plain q='open >");
    EXPECT_EQ(node.RemoveAttribute("s", true), -1);

    CXmlNode empty;
    empty.SetType(CXmlNode::kEmptyElement);
    empty.SetMarkup("<br clear=all/>");
    EXPECT_EQ(empty.GetAttributeText(), "clear=all");
    EXPECT_EQ(empty.GetAttribute("clear", false), "all");
    empty.SetMarkup("<br/>");
    EXPECT_EQ(empty.GetAttributeText(), "");
}

TEST(XmlNodeTree, NavigationAndSearch)
{
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    CXmlNode* declaration = root->AddChild({}, {}, {}, CXmlNode::kProcessing);
    CXmlNode* top = declaration->AddChild("Top", {}, {}, CXmlNode::kElement);
    CXmlNode* a = top->AddChild("A", {}, {}, CXmlNode::kElement);
    CXmlNode* a1 = a->AddChild("a", {}, {}, CXmlNode::kEmptyElement);
    CXmlNode* b = top->AddChild("B", {}, "text", CXmlNode::kElement);
    CXmlNode* c = top->AddChild("a", "k", "v", CXmlNode::kOpenElement);
    CXmlNode* first = top->InsertChild(0, CXmlNode::Create());
    first->SetContent({}, {}, "lead", CXmlNode::kText);

    std::vector<const CXmlNode*> order;
    for (const CXmlNode* n = root.get(); n; n = n->NextNode())
        order.push_back(n);
    EXPECT_EQ(order, (std::vector<const CXmlNode*>{root.get(), declaration, top, first, a, a1, b,
                                                   b->GetChild(0), c}));
    EXPECT_EQ(root->FindElement(CXmlNode::kProcessing), top);
    // Direct children are looked at before any grandchild.
    EXPECT_EQ(top->FindByType(CXmlNode::kText), first);
    EXPECT_EQ(a->GetNextSibling(), b);
    EXPECT_EQ(c->GetNextSibling(), nullptr);
    EXPECT_EQ(root->GetNextSibling(), nullptr);
    EXPECT_EQ(top->GetChild(9), nullptr);

    std::vector<CXmlNode*> found;
    top->CollectElements("a", false, false, found);
    EXPECT_EQ(found, (std::vector<CXmlNode*>{a, c}));
    found.clear();
    top->CollectElements("a", true, true, found);
    EXPECT_EQ(found, (std::vector<CXmlNode*>{a1, c}));

    EXPECT_EQ(top->FindChild("b", false, {}, {}, CXmlNode::kElement, true), b);
    EXPECT_EQ(top->FindChild("b", true, {}, {}, CXmlNode::kElement, true), nullptr);
    EXPECT_EQ(top->FindChild("a", false, "K", "w", CXmlNode::kOpenElement, false), c);
    EXPECT_EQ(c->GetMarkup(), "<a K=\"w\">");
    EXPECT_EQ(top->FindChild("", false, {}, {}, CXmlNode::kElement, false), nullptr);

    EXPECT_FALSE(a->RemoveNode(b));
    EXPECT_TRUE(root->RemoveNode(a));
    EXPECT_EQ(top->GetChildCount(), 3u);
    EXPECT_EQ(first->GetNextSibling(), b);

    std::unique_ptr<CXmlNode> taken = top->DetachChild(1);
    EXPECT_EQ(taken.get(), b);
    EXPECT_EQ(b->GetParent(), nullptr);
    root->Clear();
    EXPECT_EQ(root->GetChildCount(), 0u);
    EXPECT_EQ(root->GetType(), CXmlNode::kRoot);
}

TEST(XmlNodeTree, VisitPassesContextsAndStopsOnCancel)
{
    // The context of a node is the depth of elements above it, visitor-made.
    class CDepthVisitor : public IXmlNodeVisitor
    {
    public:
        intptr_t OnNode(CXmlNode& node, intptr_t context) override
        {
            m_seen.push_back(node.GetName() + ":" + std::to_string(context));
            return context + 1;
        }
        std::vector<std::string> m_seen;
    };
    class CStopAfter : public ICancelPoll
    {
    public:
        explicit CStopAfter(int polls)
            : m_left(polls)
        {
        }
        int Poll() override { return m_left-- > 0 ? 0 : 42; }
        int m_left;
    };

    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    CXmlNode* declaration = root->AddChild({}, {}, {}, CXmlNode::kProcessing);
    CXmlNode* top = declaration->AddChild("top", {}, {}, CXmlNode::kElement);
    CXmlNode* leaf = top->AddChild("leaf", {}, {}, CXmlNode::kEmptyElement);
    leaf->AddChild("hidden", {}, {}, CXmlNode::kElement);
    CXmlNode* inner = top->AddChild("inner", {}, {}, CXmlNode::kOpenElement);
    inner->AddChild("deep", {}, {}, CXmlNode::kEmptyElement);

    CDepthVisitor visitor;
    EXPECT_EQ(root->Visit(visitor, 10, nullptr), 10);
    EXPECT_EQ(visitor.m_seen,
              (std::vector<std::string>{":10", "?xml:10", "top:10", "leaf:11", "inner:11", "deep:12"}));

    CDepthVisitor stopped;
    CStopAfter cancel(3);
    EXPECT_EQ(root->Visit(stopped, 0, &cancel), 42);
    EXPECT_EQ(stopped.m_seen.size(), 3u);
    EXPECT_EQ(leaf->Visit(visitor, 5, nullptr), 6);
}

TEST(XmlNodeTree, SubclassTreesAreMadeOfSubclassNodes)
{
    class CCountedNode : public CXmlNode
    {
    public:
        explicit CCountedNode(int& alive)
            : m_alive(alive)
        {
            ++m_alive;
        }
        ~CCountedNode() override { --m_alive; }
        std::unique_ptr<CXmlNode> CreateNode() const override { return std::make_unique<CCountedNode>(m_alive); }

    private:
        int& m_alive;
    };

    int alive = 0;
    {
        auto root = std::make_unique<CCountedNode>(alive);
        root->SetString("a/b/c", "1");
        root->AddChild("x", {}, "y", CXmlNode::kElement);
        EXPECT_EQ(alive, 7);
        EXPECT_NE(dynamic_cast<CCountedNode*>(root->GetChild(0)->GetChild(0)), nullptr);
        root->DeleteChildren();
        EXPECT_EQ(alive, 1);
        root->SetString("a/b", "1");
    }
    EXPECT_EQ(alive, 0);
}

TEST(XmlNodeText, CollapseHelpers)
{
    EXPECT_EQ(CollapseWhitespace(" \t a \r\n b\t\tc  "), "a b c ");
    EXPECT_EQ(CollapseWhitespace(" \n "), "");
    EXPECT_EQ(CollapseLineBreaks("\r\na \t\r\n\nb\r"), "a \t b ");
}
