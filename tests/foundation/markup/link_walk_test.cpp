#include "foundation/markup/LinkWalk.h"

#include "foundation/threads/CancelPoll.h"
#include "foundation/text/StringVisitors.h"
#include "foundation/markup/XmlNode.h"
#include "foundation/markup/XmlParser.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace
{
using Link = std::pair<int, std::string>;
using Links = std::vector<Link>;

constexpr uint32_t kAllKinds = (uint32_t{1} << 25) - 1;

class CCollectingSink : public ILinkSink
{
public:
    intptr_t OnLink(int kind, std::string_view value, CXmlNode& element, intptr_t context) override
    {
        m_links.emplace_back(kind, std::string(value));
        m_elements.push_back(element.GetName());
        m_contexts.push_back(context);
        return context + m_step;
    }

    Links m_links;
    std::vector<std::string> m_elements;
    std::vector<intptr_t> m_contexts;
    intptr_t m_step = 0;
};

Links WalkPage(std::string_view html, uint32_t mask = kAllKinds)
{
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    CXmlParser(CXmlParser::kHtml).ParseString(*root, html, nullptr);
    CCollectingSink sink;
    WalkLinks(*root, sink, 0, mask, nullptr);
    return sink.m_links;
}

std::string ReadFixture(const std::string& name)
{
    std::ifstream in(std::string(TW_FIXTURES_DIR) + "/html/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
} // namespace

// The expected links are what a browser-grade HTML parser (Python's
// html.parser, which reads script and style as raw text, honours quotes and
// keeps a bare '<' as text) finds on the same pages with the same tag and
// attribute rules.
TEST(LinkWalk, FixturePagesGiveTheLinksABrowserSees)
{
    const std::pair<const char*, Links> pages[] = {
        {"frames.html",
         {{24, "http://ferries.example.org/index.html"},
          {25, "mailto:webmaster@ferries.example.org"},
          {4, "styles/main.css"},
          {4, "/favicon.ico"},
          {14, "js/menu.js"},
          {8, "menu.html"},
          {8, "banner.html"},
          {8, "routes/index.html"},
          {19, "images/paper.gif"},
          {1, "menu.html"},
          {1, "routes/index.html"},
          {1, "mailto:office@ferries.example.org?subject=Frames"},
          {9, "news/ticker.html"},
          {9, ""}}},
        {"imagemap.html",
         {{24, "map-large.html"},
          {25, "mailto:guides@walks.example.net"},
          {19, "img/sand.jpg"},
          {2, "top"},
          {3, "img/island.gif"},
          {5, "bays/north.html"},
          {5, "bays/centre.html?walk=1&lang=en"},
          {5, "bays/all.html"},
          {1, "prices.html"},
          {20, "img/grid.png"},
          {22, "img/head.png"},
          {21, "img/cell.png"},
          {1, "walks/ridge.html"},
          {1, "walks/shore.html"},
          {6, "/cgi-bin/book.pl"},
          {7, "img/book.gif"},
          {6, ""},
          {15, "media/waves.mid"},
          {16, "media/tour.swf"},
          {17, "applets/tour.jar"},
          {18, "applets/"},
          {18, ""},
          {23, "media/gulls.wav"},
          {11, "img/cloud.gif"},
          {10, "layers/weather.html"},
          {13, "img/fog.gif"},
          {1, "#top"},
          {1, "legacy.html"},
          {1, ""}}},
        {"news.html",
         {{4, "/static/gazette.css"},
          {4, "/feeds/news.rss"},
          {14, "/static/jquery.min.js"},
          {1, "/"},
          {3, "/static/logo.png"},
          {1, "/news/"},
          {1, "/sport/"},
          {1, "/weather/"},
          {1, "/news/2009/04/bridge-reopens.html"},
          {1, "/news/2009/04/bridge-reopens.html#comments"},
          {3, "/media/bridge-thumb.jpg"},
          {1, "http://photos.example.com/user/anna?id=12&size=large"},
          {1, "/news/2009/04/school-fete.html"},
          {1, "/news/2009/04/school-fete.html"},
          {3, "/media/fete.jpg"},
          {9, "http://ads.example.com/show?slot=3"},
          {6, "/search"},
          {1, "/about/contact.html"},
          {1, "mailto:news@gazette.example.com"},
          {14, "http://stats.example.com/track.js"}}},
    };
    for (const auto& [name, expected] : pages)
    {
        SCOPED_TRACE(name);
        const std::string html = ReadFixture(name);
        ASSERT_FALSE(html.empty());
        EXPECT_EQ(WalkPage(html), expected);
    }
}

TEST(LinkWalk, TagRulesAndMask)
{
    const struct
    {
        const char* html;
        uint32_t mask;
        Links links;
    } cases[] = {
        {"<A NAME=x HREF=y>", kAllKinds, {{1, "y"}}},
        {"<a name=x>", kAllKinds, {{2, "x"}}},
        {"<a title=t>", kAllKinds, {}},
        {"<a href>", kAllKinds, {}},
        {"<a href='' name=n>", kAllKinds, {{1, ""}}},
        {"<a href=one href=two>", kAllKinds, {{1, "two"}}},
        {"<IMG>", 1u << 2, {{3, ""}}},
        {"<IMG>", ~(1u << 2), {}},
        {"<img src=a><a href=b><frame src=c>", (1u << 0) | (1u << 7), {{1, "b"}, {8, "c"}}},
        {"<input type=text><script></script><bgsound>", kAllKinds, {}},
        {"<link rel=x><area alt=y>", kAllKinds, {}},
        {"<form><embed><object><iframe>", kAllKinds, {{6, ""}, {15, ""}, {16, ""}, {9, ""}}},
        {"<layer src=s background=b><ilayer src=t>", kAllKinds, {{11, "b"}, {10, "s"}, {12, "t"}}},
        {"<applet archive=a.jar>", 1u << 17, {{18, ""}}},
        {"<body><table><td background=d><th background=h>", kAllKinds, {{21, "d"}, {22, "h"}}},
        {"<a href=\"a&amp;b&lt;&quot;\">", kAllKinds, {{1, "a&b<\""}}},
        // Character references of HTML, numeric and named, in any value.
        {"<a href=\"issue?&#64;action=x&#x26;y=1\">", kAllKinds, {{1, "issue?@action=x&y=1"}}},
        {"<img src=\"a&AMP;b&copy;.png\">", kAllKinds, {{3, "a&b\xC2\xA9.png"}}},
        {"<a href=\"p?a=1&copy=2&amp\">", kAllKinds, {{1, "p?a=1&copy=2&amp"}}},
        // META refresh and e-mail.
        {"<meta http-equiv=REFRESH content=\"5; URL=http://h/\">", kAllKinds, {{24, "http://h/"}}},
        {"<meta http-equiv=refresh content=\"0;url='x.html' \">", kAllKinds, {{24, "x.html"}}},
        {"<meta http-equiv=refresh content='0; url = \"y.html'>", kAllKinds, {{24, "y.html"}}},
        {"<meta http-equiv=refresh content=\"10\">", kAllKinds, {}},
        {"<meta http-equiv=refresh>", kAllKinds, {}},
        {"<meta http-equiv=expires content=\"url=x\">", kAllKinds, {}},
        {"<meta http-equiv=refresh name=email content=\"a@b\">", kAllKinds, {}},
        {"<meta name=Email content=\"a@b\">", kAllKinds, {{25, "mailto:a@b"}}},
        {"<meta name=email content=\"MailTo:a@b\">", kAllKinds, {{25, "MailTo:a@b"}}},
        {"<meta name=email>", kAllKinds, {}},
        // End tags and stray markup carry no links; elements in any state do.
        {"</a href=x><b><a href=y></b>", kAllKinds, {{1, "y"}}},
        // Script content is text: a '<' in it does not swallow what follows.
        {"<script>if (a<b) { s = '<a href=\"in.html\">'; }</script><a href=after.html>", kAllKinds,
         {{1, "after.html"}}},
        {"<p>5 < 6 <a href=x>", kAllKinds, {{1, "x"}}},
        {"<img alt=\"a > b\" src=x.png>", kAllKinds, {{3, "x.png"}}},
        {"<!-- <a href=gone> --><a href=kept>", kAllKinds, {{1, "kept"}}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.html);
        EXPECT_EQ(WalkPage(c.html, c.mask), c.links);
    }
}

TEST(LinkWalk, ContextsFollowTheTree)
{
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    ASSERT_TRUE(CXmlParser(CXmlParser::kHtml)
                    .ParseString(*root,
                                 "<table background=t><tr><td background=d><a href=x></a></td></tr></table>"
                                 "<layer background=lb src=ls><a href=y></a></layer>"
                                 "<applet archive=aa codebase=ac><a href=z></a></applet>",
                                 nullptr));
    CCollectingSink sink;
    sink.m_step = 10;
    WalkLinks(*root, sink, 1, kAllKinds, nullptr);
    EXPECT_EQ(sink.m_links, (Links{{20, "t"}, {21, "d"}, {1, "x"}, {11, "lb"}, {10, "ls"}, {1, "y"}, {17, "aa"},
                                   {18, "ac"}, {1, "z"}}));
    // A report's result is the context below it; layer backgrounds and applet
    // archives give results that nothing uses.
    EXPECT_EQ(sink.m_contexts, (std::vector<intptr_t>{1, 11, 21, 1, 1, 11, 1, 1, 11}));
    EXPECT_EQ(sink.m_elements, (std::vector<std::string>{"table", "td", "a", "layer", "layer", "a", "applet",
                                                         "applet", "a"}));
}

TEST(LinkWalk, ScriptChildrenAreNotWalked)
{
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    ASSERT_TRUE(CXmlParser(CXmlParser::kXml)
                    .ParseString(*root, "<r><script src='s.js'><a href='in'></a></script><a href='out'></a></r>",
                                 nullptr));
    CCollectingSink sink;
    WalkLinks(*root, sink, 0, kAllKinds, nullptr);
    EXPECT_EQ(sink.m_links, (Links{{14, "s.js"}, {1, "out"}}));
}

TEST(LinkWalk, CancelEndsTheWalk)
{
    class CStopAfter : public ICancelPoll
    {
    public:
        int Poll() override { return ++m_polls > 4 ? 1 : 0; }
        int m_polls = 0;
    } cancel;
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    ASSERT_TRUE(CXmlParser(CXmlParser::kHtml).ParseString(*root, "<a href=1><a href=2><a href=3><a href=4>", nullptr));
    CCollectingSink sink;
    WalkLinks(*root, sink, 0, kAllKinds, &cancel);
    // Polls: root, then the first three anchors; the fifth poll stops.
    EXPECT_EQ(sink.m_links, (Links{{1, "1"}, {1, "2"}, {1, "3"}}));
}

TEST(LinkWalk, DeepPagesAreWalkedWithoutRecursion)
{
    std::string html;
    for (int i = 0; i < 100000; ++i)
        html += "<b><i><td background=x.gif>";
    html += "<a href=deep.html>";
    const Links links = WalkPage(html, 1u << 0);
    EXPECT_EQ(links, (Links{{1, "deep.html"}}));
}

TEST(LinkWalk, TablesOfTagsAndKinds)
{
    const char* tags[] = {"",      "A",      "IMG",    "LINK", "AREA",  "FORM", "INPUT", "FRAME", "IFRAME", "LAYER", "ILAYER",
                          "SCRIPT", "EMBED", "OBJECT", "APPLET", "BODY", "TABLE", "TD", "TH", "BGSOUND", "META"};
    for (int i = 0; i < 21; ++i)
    {
        EXPECT_EQ(GetTagIndex(tags[i]), i) << tags[i];
        std::string lower(tags[i]);
        for (char& c : lower)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        EXPECT_EQ(GetTagIndex(lower), i) << lower;
    }
    EXPECT_EQ(GetTagIndex("DIV"), -1);
    EXPECT_EQ(GetTagIndex("AREAS"), -1);
    // Names are looked up by a key of at most seven folded characters and
    // the length: longer names, a NUL inside and bytes past ASCII match
    // nothing.
    EXPECT_EQ(GetTagIndex("BGSOUNDS"), -1);
    EXPECT_EQ(GetTagIndex("BGSOUNDBGSOUND"), -1);
    EXPECT_EQ(GetTagIndex(std::string_view("A\0", 2)), -1);
    EXPECT_EQ(GetTagIndex(std::string_view("\0", 1)), -1);
    EXPECT_EQ(GetTagIndex("\xC1"), -1);
    EXPECT_EQ(GetTagIndex("t\xC4"), -1);

    std::vector<std::string> names;
    CStringArrayVisitor visitor(names);
    FillLinkKindNames(visitor);
    ASSERT_EQ(names.size(), 26u);
    for (int kind = 0; kind < 26; ++kind)
        EXPECT_EQ(names[kind], GetLinkKindName(kind));
    EXPECT_EQ(names[0], "Not tagged");
    EXPECT_EQ(names[1], "A HREF");
    EXPECT_EQ(names[4], "LINK HREF ");
    EXPECT_EQ(names[13], "ILAYER BACKGROUND");
    EXPECT_EQ(names[25], "META EMAIL");
    EXPECT_STREQ(GetLinkKindName(-1), "Not tagged");
    EXPECT_STREQ(GetLinkKindName(26), "Not tagged");
}

TEST(LinkWalk, MetaRefreshUrl)
{
    const struct
    {
        const char* content;
        const char* url; // null: none
    } cases[] = {
        {"5; URL=http://h/", "http://h/"},
        {"url=x", "x"},
        {"0;URL=", ""},
        {"0; u r l = y", " y"},
        {"10", nullptr},
        {"5; URI=x", "x"},
        {"=x", nullptr},
        {"ur=x", nullptr},
        {"lru=x", nullptr},
        {"0; xurl=a=b", "a=b"},
    };
    for (const auto& c : cases)
    {
        const char* url = GetMetaRefreshUrl(c.content);
        if (!c.url)
        {
            EXPECT_EQ(url, nullptr) << c.content;
            continue;
        }
        ASSERT_NE(url, nullptr) << c.content;
        EXPECT_STREQ(url, c.url) << c.content;
        EXPECT_GE(url, c.content);
    }
    EXPECT_EQ(GetMetaRefreshUrl(nullptr), nullptr);
}
