// Parsing HTML pages into the markup tree and walking their links, against
// libxml2's HTML parser two ways: building its tree and reading the same
// attributes of the same tags, and through its SAX interface, with no tree,
// collecting exactly the links our walk reports (the same rules, so the same
// count: a SAX run whose count differs from our walk's fails). Corpora:
// pages generated here, and the HTML files of Debian's python3.11-doc when
// that package is installed.
//
// What can flatter our side against SAX: our walk reads a finished tree, so
// it never sees what libxml2's recovery inserts (implied html, head, body and
// p elements; none of them has a link), and the SAX side decodes every
// attribute of every element while our tree keeps attributes as written and
// decodes only those the walk asks for.

#include "foundation/markup/LinkWalk.h"
#include "foundation/markup/XmlNode.h"
#include "foundation/markup/XmlParser.h"

#include <benchmark/benchmark.h>
#include <libxml/HTMLparser.h>
#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cctype>
#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <strings.h>
#include <vector>

namespace
{
using Corpus = std::vector<std::string>;

size_t CorpusBytes(const Corpus& corpus)
{
    size_t total = 0;
    for (const std::string& page : corpus)
        total += page.size();
    return total;
}

// Pages that look like a small site's: navigation, articles with inline
// markup, image maps, tables, forms, comments, scripts and styles.
Corpus GenerateCorpus()
{
    std::mt19937 random(20090417);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const char* words[] = {"harbour", "ferry", "timetable", "island", "walk", "bridge", "valley", "news",
                           "weather", "school", "market", "council", "river", "&amp;", "5 < 10", "caf&eacute;"};
    const auto sentence = [&](int length) {
        std::string text;
        for (int i = 0; i < length; ++i)
        {
            text += words[pick(16)];
            text += i + 1 < length ? " " : ".";
        }
        return text;
    };

    Corpus corpus;
    for (int page = 0; page < 40; ++page)
    {
        std::string html = "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n<html>\n<head>\n";
        html += "<title>Page " + std::to_string(page) + "</title>\n";
        html += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n";
        html += "<link rel=\"stylesheet\" href=\"/css/site.css\" type=\"text/css\">\n";
        html += "<style type=\"text/css\">\nbody { margin: 0 } a > img { border: 0 }\n</style>\n";
        html += "<script type=\"text/javascript\" src=\"/js/menu.js\"></script>\n";
        html += "<script type=\"text/javascript\">\nfunction go(n) { if (n < 3) { location = '/p/' + n; } }\n"
                "document.write('<a href=\"/written\">x</a>');\n</script>\n</head>\n";
        html += "<body bgcolor=\"#ffffff\" background=\"/img/paper.gif\">\n<div id=\"nav\"><ul>\n";
        for (int i = 0; i < 12; ++i)
            html += "<li><a href=\"/section/" + std::to_string(i) + "/\">" + sentence(2) + "</a></li>\n";
        html += "</ul></div>\n<!-- content starts here -->\n";
        for (int article = 0; article < 25; ++article)
        {
            html += "<div class=\"story\">\n<h2><a name=\"s" + std::to_string(article) + "\" href=\"/story/" +
                    std::to_string(page * 100 + article) + ".html\">" + sentence(5) + "</a></h2>\n";
            for (int paragraph = 0; paragraph < 3; ++paragraph)
            {
                html += "<p>" + sentence(12 + pick(20)) + " <b>" + sentence(3) + "</b> <a href='/more/" +
                        std::to_string(pick(1000)) + "?a=1&amp;b=2' title=\"" + sentence(2) + "\">" +
                        sentence(2) + "</a> " + sentence(8) + "<br>\n";
                if (pick(4) == 0)
                    html += "<img src=\"/img/p" + std::to_string(pick(500)) +
                            ".jpg\" width=120 height=80 alt=\"" + sentence(3) + "\">\n";
            }
            html += "</div>\n";
        }
        html += "<table border=1 background=\"/img/grid.png\">\n";
        for (int row = 0; row < 15; ++row)
        {
            html += "<tr><td background=\"/img/c.png\"><a href=\"/t/" + std::to_string(row) + "\">" + sentence(2) +
                    "</a></td><td>" + sentence(4) + "</td><th>" + std::to_string(pick(99)) + "</th></tr>\n";
        }
        html += "</table>\n<map name=\"m\">\n";
        for (int area = 0; area < 5; ++area)
            html += "<area shape=rect coords=\"0,0,10,10\" href=\"/area/" + std::to_string(area) + ".html\">\n";
        html += "</map>\n<form action=\"/search\" method=get><input type=text name=q>"
                "<input type=image src=\"/img/go.gif\"></form>\n";
        html += "<iframe src=\"/ads/" + std::to_string(page) + "\" width=468 height=60></iframe>\n";
        html += "<p>&copy; 2009 <a href=\"mailto:info@example.org\">info@example.org</a></p>\n</body>\n</html>\n";
        corpus.push_back(std::move(html));
    }
    return corpus;
}

Corpus LoadFolder(const std::filesystem::path& folder)
{
    Corpus corpus;
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return corpus;
    std::vector<std::filesystem::path> paths;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
    {
        if (it->is_regular_file(error) && it->path().extension() == ".html")
            paths.push_back(it->path());
    }
    std::sort(paths.begin(), paths.end());
    for (const std::filesystem::path& path : paths)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        corpus.push_back(text.str());
    }
    return corpus;
}

class CCountingSink : public ILinkSink
{
public:
    intptr_t OnLink(int, std::string_view value, CXmlNode&, intptr_t context) override
    {
        ++m_links;
        m_bytes += value.size();
        return context;
    }
    size_t m_links = 0;
    size_t m_bytes = 0;
};

constexpr uint32_t kAllKinds = (uint32_t{1} << 25) - 1;

// Our parse and walk of every page; the sink has the count. This and
// SaxParse stay out of line so that a profiler can count each side alone
// (valgrind --tool=callgrind --toggle-collect='*OurParseAndWalk*').
[[gnu::noinline]] void OurParseAndWalk(const Corpus& corpus, CCountingSink& sink)
{
    const CXmlParser parser(CXmlParser::kHtml);
    for (const std::string& page : corpus)
    {
        std::unique_ptr<CXmlNode> root = CXmlNode::Create();
        parser.ParseString(*root, page, nullptr);
        WalkLinks(*root, sink, 0, kAllKinds, nullptr);
    }
}

// Times `collect` (corpus -> link count and bytes) over the corpus and
// returns the link count.
template <class Collect>
size_t TimeLinkCollection(benchmark::State& state, const Corpus& corpus, Collect collect)
{
    size_t links = 0;
    for (auto _ : state)
    {
        const auto [count, bytes] = collect(corpus);
        benchmark::DoNotOptimize(bytes);
        links = count;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * CorpusBytes(corpus)));
    state.counters["links"] = static_cast<double>(links);
    return links;
}

std::pair<size_t, size_t> OurLinks(const Corpus& corpus)
{
    CCountingSink sink;
    OurParseAndWalk(corpus, sink);
    return {sink.m_links, sink.m_bytes};
}

void ParseAndWalk(benchmark::State& state, const Corpus* corpus)
{
    TimeLinkCollection(state, *corpus, OurLinks);
}

// The attributes our link walk reads, by tag (libxml2 gives lower-case names).
struct TagAttributes
{
    const char* tag;
    std::array<const char*, 3> attributes;
};
constexpr TagAttributes kTagAttributes[] = {
    {"a", {"href", "xhref", "name"}},
    {"img", {"src"}},
    {"link", {"href"}},
    {"area", {"href"}},
    {"form", {"action"}},
    {"input", {"src"}},
    {"frame", {"src"}},
    {"iframe", {"src"}},
    {"layer", {"background", "src"}},
    {"ilayer", {"background", "src"}},
    {"script", {"src"}},
    {"embed", {"src"}},
    {"object", {"src"}},
    {"applet", {"archive", "codebase"}},
    {"body", {"background"}},
    {"table", {"background"}},
    {"td", {"background"}},
    {"th", {"background"}},
    {"bgsound", {"src"}},
    {"meta", {"http-equiv", "content", "name"}},
};

void WalkLibXml2(xmlNode* node, size_t& links, size_t& bytes)
{
    // Iterative, like our walk: real pages can nest deeply.
    while (node)
    {
        if (node->type == XML_ELEMENT_NODE)
        {
            const char* name = reinterpret_cast<const char*>(node->name);
            for (const TagAttributes& entry : kTagAttributes)
            {
                if (std::strcmp(entry.tag, name) != 0)
                    continue;
                for (const char* attribute : entry.attributes)
                {
                    if (!attribute)
                        break;
                    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(attribute));
                    if (value)
                    {
                        ++links;
                        bytes += std::strlen(reinterpret_cast<const char*>(value));
                        xmlFree(value);
                    }
                }
                break;
            }
        }
        if (node->children && std::strcmp(reinterpret_cast<const char*>(node->name), "script") != 0)
        {
            node = node->children;
            continue;
        }
        while (node && !node->next)
            node = node->parent;
        if (node)
            node = node->next;
    }
}

void LibXml2ParseAndWalk(benchmark::State& state, const Corpus* corpus)
{
    const int options = HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_RECOVER | HTML_PARSE_NONET;
    size_t links = 0;
    for (auto _ : state)
    {
        size_t count = 0;
        size_t bytes = 0;
        for (const std::string& page : *corpus)
        {
            htmlDocPtr document =
                htmlReadMemory(page.data(), static_cast<int>(page.size()), nullptr, nullptr, options);
            if (!document)
                continue;
            // Start below the document node, so the walk's climb ends at it.
            WalkLibXml2(document->children, count, bytes);
            xmlFreeDoc(document);
        }
        benchmark::DoNotOptimize(bytes);
        links = count;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * CorpusBytes(*corpus)));
    state.counters["attributes"] = static_cast<double>(links);
}
// The links of our walk's rules (LinkWalk.h), from libxml2's SAX start-tag
// callback: names come lower-cased and values decoded, and a bare attribute
// comes with a null value, which the rules take as absent.
struct CSaxLinks
{
    size_t m_links = 0;
    size_t m_bytes = 0;

    void Add(const xmlChar* value)
    {
        ++m_links;
        m_bytes += value ? std::strlen(reinterpret_cast<const char*>(value)) : 0;
    }
    void Add(std::string_view value)
    {
        ++m_links;
        m_bytes += value.size();
    }
};

// The value of a present attribute, null when absent or bare.
const xmlChar* Attribute(const xmlChar** attributes, const char* name)
{
    for (const xmlChar** a = attributes; a && a[0]; a += 2)
        if (std::strcmp(reinterpret_cast<const char*>(a[0]), name) == 0)
            return a[1];
    return nullptr;
}

bool Is(const char* name, const char* tag)
{
    return std::strcmp(name, tag) == 0;
}

void SaxMeta(CSaxLinks& links, const xmlChar** attributes)
{
    const auto text = [](const xmlChar* value) { return reinterpret_cast<const char*>(value); };
    const xmlChar* equiv = Attribute(attributes, "http-equiv");
    const xmlChar* content = Attribute(attributes, "content");
    if (equiv)
    {
        if (!content || strcasecmp(text(equiv), "refresh") != 0)
            return;
        const char* url = GetMetaRefreshUrl(text(content));
        if (!url)
            return;
        std::string_view target(url);
        while (!target.empty() && std::isspace(static_cast<unsigned char>(target.front())))
            target.remove_prefix(1);
        while (!target.empty() && std::isspace(static_cast<unsigned char>(target.back())))
            target.remove_suffix(1);
        if (!target.empty() && (target.front() == '\'' || target.front() == '"'))
        {
            const size_t close = target.find(target.front(), 1);
            target = target.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
        }
        links.Add(target);
        return;
    }
    const xmlChar* name = Attribute(attributes, "name");
    if (!content || !name || strcasecmp(text(name), "email") != 0)
        return;
    if (strncasecmp(text(content), "mailto:", 7) == 0)
        links.Add(content);
    else
        links.Add("mailto:" + std::string(text(content)));
}

void SaxStartElement(void* user, const xmlChar* tagName, const xmlChar** attributes)
{
    CSaxLinks& links = *static_cast<CSaxLinks*>(user);
    const char* name = reinterpret_cast<const char*>(tagName);
    const auto ifPresent = [&](const char* attribute)
    {
        if (const xmlChar* value = Attribute(attributes, attribute))
            links.Add(value);
    };
    if (Is(name, "a"))
    {
        const xmlChar* value = Attribute(attributes, "href");
        if (!value)
            value = Attribute(attributes, "xhref");
        if (!value)
            value = Attribute(attributes, "name");
        if (value)
            links.Add(value);
    }
    else if (Is(name, "link") || Is(name, "area"))
        ifPresent("href");
    else if (Is(name, "form"))
        links.Add(Attribute(attributes, "action"));
    else if (Is(name, "input") || Is(name, "script") || Is(name, "bgsound"))
        ifPresent("src");
    else if (Is(name, "img") || Is(name, "frame") || Is(name, "iframe") || Is(name, "embed") || Is(name, "object"))
        links.Add(Attribute(attributes, "src"));
    else if (Is(name, "layer") || Is(name, "ilayer"))
    {
        ifPresent("background");
        ifPresent("src");
    }
    else if (Is(name, "applet"))
    {
        ifPresent("archive");
        links.Add(Attribute(attributes, "codebase"));
    }
    else if (Is(name, "body") || Is(name, "table") || Is(name, "td") || Is(name, "th"))
        ifPresent("background");
    else if (Is(name, "meta"))
        SaxMeta(links, attributes);
}

[[gnu::noinline]] void SaxParse(const Corpus& corpus, CSaxLinks& links)
{
    const int options = HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_RECOVER | HTML_PARSE_NONET;
    for (const std::string& page : corpus)
    {
        htmlParserCtxtPtr context = htmlCreateMemoryParserCtxt(page.data(), static_cast<int>(page.size()));
        if (!context)
            continue;
        // Only the start-tag callback: libxml2 builds no tree.
        std::memset(context->sax, 0, sizeof(*context->sax));
        context->sax->startElement = SaxStartElement;
        context->userData = &links;
        htmlCtxtUseOptions(context, options);
        htmlParseDocument(context);
        if (context->myDoc)
            xmlFreeDoc(context->myDoc);
        htmlFreeParserCtxt(context);
    }
}

void LibXml2Sax(benchmark::State& state, const Corpus* corpus)
{
    const size_t ours = OurLinks(*corpus).first;
    const size_t links = TimeLinkCollection(state, *corpus,
                                            [](const Corpus& pages)
                                            {
                                                CSaxLinks sax;
                                                SaxParse(pages, sax);
                                                return std::pair{sax.m_links, sax.m_bytes};
                                            });
    if (links != ours)
        state.SkipWithError(
            ("libxml2 SAX found " + std::to_string(links) + " links, our walk " + std::to_string(ours)).c_str());
}
} // namespace

int main(int argc, char** argv)
{
    xmlInitParser();
    static const Corpus generated = GenerateCorpus();
    static const Corpus pythonDocs = LoadFolder("/usr/share/doc/python3.11/html");

    benchmark::RegisterBenchmark("ParseAndWalk/generated", ParseAndWalk, &generated)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LibXml2/generated", LibXml2ParseAndWalk, &generated)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LibXml2Sax/generated", LibXml2Sax, &generated)->Unit(benchmark::kMillisecond);
    if (!pythonDocs.empty())
    {
        benchmark::RegisterBenchmark("ParseAndWalk/python-docs", ParseAndWalk, &pythonDocs)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("LibXml2/python-docs", LibXml2ParseAndWalk, &pythonDocs)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("LibXml2Sax/python-docs", LibXml2Sax, &pythonDocs)
            ->Unit(benchmark::kMillisecond);
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    xmlCleanupParser();
    return 0;
}
