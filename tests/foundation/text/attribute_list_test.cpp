#include "foundation/text/AttributeList.h"
#include "foundation/markup/AttributeMapSink.h"
#include "foundation/text/StringVisitors.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace
{
using Strings = std::vector<std::string>;

struct ParseCase
{
    const char* text;
    Strings pairs; // name, value, name, value, ...
    Strings bare;
};

const ParseCase kParseCases[] = {
    {"href=\"x y\" nowrap size=3", {"href", "x y", "size", "3"}, {"nowrap"}},
    {"", {}, {}},
    {"   ", {}, {}},
    {"a='1' b = \"2\"\tc=3", {"a", "1", "b", "2", "c", "3"}, {}},
    {"a=\"it's\" b='say \"hi\"'", {"a", "it's", "b", "say \"hi\""}, {}},
    {"a=\"\" b=''", {"a", "", "b", ""}, {}},
    {"a=\"open to the end", {"a", "open to the end"}, {}},
    {"a=1 b=\"", {"a", "1"}, {}},  // an opening quote at the end ends parsing
    {"a=1 b=", {"a", "1"}, {}},    // so does a '=' at the end
    {"a=1 b=  ", {"a", "1"}, {}},
    {"x y z", {}, {"x", "y", "z"}},
    {"x  ", {}, {"x"}},
    {"a=\"1\"b=2", {"a", "1", "b", "2"}, {}},
    {"a=x=y", {"a", "x=y"}, {}},
    {"=v", {"", "v"}, {}},
    {"n\xC3\xA4me=w\xC3\xA9rt", {"n\xC3\xA4me", "w\xC3\xA9rt"}, {}},
};

// Records what it is given and refuses once it holds `limit` texts.
class RecordingVisitor : public CAbstractVisitor
{
public:
    explicit RecordingVisitor(size_t limit = SIZE_MAX) : m_limit(limit) {}
    bool Add(std::string_view text) override
    {
        texts.emplace_back(text);
        return texts.size() < m_limit;
    }
    Strings texts;

private:
    size_t m_limit;
};
} // namespace

TEST(AttributeList, ParseTable)
{
    for (const auto& c : kParseCases)
    {
        RecordingVisitor pairs;
        RecordingVisitor bare;
        EXPECT_EQ(ParseAttributeList(c.text, pairs, &bare), static_cast<int>(c.pairs.size() / 2)) << c.text;
        EXPECT_EQ(pairs.texts, c.pairs) << c.text;
        EXPECT_EQ(bare.texts, c.bare) << c.text;
    }
}

TEST(AttributeList, SeparateVisitorsAndStopping)
{
    RecordingVisitor names;
    RecordingVisitor values;
    EXPECT_EQ(ParseAttributeListEx("a=1 flag b=2", &names, &values, nullptr), 2);
    EXPECT_EQ(names.texts, (Strings{"a", "b"}));
    EXPECT_EQ(values.texts, (Strings{"1", "2"}));

    // A refused name ends parsing before its value; the pair still counts.
    RecordingVisitor oneName(1);
    RecordingVisitor noValues;
    EXPECT_EQ(ParseAttributeListEx("a=1 b=2", &oneName, &noValues, nullptr), 1);
    EXPECT_TRUE(noValues.texts.empty());

    RecordingVisitor all;
    RecordingVisitor oneBare(1);
    EXPECT_EQ(ParseAttributeList("x y a=1", all, &oneBare), 0);
    EXPECT_EQ(oneBare.texts, (Strings{"x"}));
    EXPECT_TRUE(all.texts.empty());
}

TEST(AttributeList, FindAttribute)
{
    struct Case
    {
        const char* text;
        const char* name;
        bool caseSensitive;
        bool found;
        size_t nameStart;
        size_t nameLength;
        size_t valueStart;
        std::ptrdiff_t valueLength;
    };
    const size_t none = std::string_view::npos;
    const Case cases[] = {
        {"href=\"a b\" nowrap size=3", "href", false, true, 0, 4, 5, 5},
        {"href=\"a b\" nowrap size=3", "SIZE", false, true, 18, 4, 23, 1},
        {"href=\"a b\" nowrap size=3", "SIZE", true, false, 0, 0, 0, 0},
        {"href=\"a b\" nowrap size=3", "nowrap", false, true, 11, 6, none, -1},
        {"a='x' b = 'open", "b", false, true, 6, 1, 10, 5},
        {"h=1 href=2", "href", false, true, 4, 4, 9, 1}, // a shorter name is not the one wanted
        {"=1 href=2", "href", false, true, 3, 4, 8, 1},
        {"href=1", "hr", false, false, 0, 0, 0, 0},
        {"href=1", "", false, false, 0, 0, 0, 0},
        {"", "href", false, false, 0, 0, 0, 0},
        {"a=1 b=", "b", false, false, 0, 0, 0, 0},
    };
    for (const auto& c : cases)
    {
        size_t nameStart = 0, nameLength = 0, valueStart = 0;
        std::ptrdiff_t valueLength = 0;
        ASSERT_EQ(FindAttribute(c.text, c.name, nameStart, nameLength, valueStart, valueLength, c.caseSensitive),
                  c.found)
            << c.text << " / " << c.name;
        if (!c.found)
            continue;
        EXPECT_EQ(nameStart, c.nameStart) << c.text << " / " << c.name;
        EXPECT_EQ(nameLength, c.nameLength) << c.text << " / " << c.name;
        EXPECT_EQ(valueStart, c.valueStart) << c.text << " / " << c.name;
        EXPECT_EQ(valueLength, c.valueLength) << c.text << " / " << c.name;
    }
}

TEST(AttributeMapSink, DecodesValuesAndFoldsNames)
{
    std::map<std::string, std::string> map{{"OLD", "gone"}};
    CAttributeMapSink sink(map);
    sink.Clear();
    ParseAttributeList("Title=\"a &lt;b&gt; &amp;c\" id=1 ID=2 bare", sink);
    EXPECT_EQ(map, (std::map<std::string, std::string>{{"TITLE", "a <b> &c"}, {"ID", "2"}}));

    std::map<std::string, std::string> exact;
    CAttributeMapSink caseSensitive(exact, true);
    ParseAttributeList("rs=\"x&quot;y\" RS=z", caseSensitive);
    EXPECT_EQ(exact, (std::map<std::string, std::string>{{"rs", "x\"y"}, {"RS", "z"}}));
}
