#include "foundation/text/StringSplit.h"
#include "foundation/text/StringVisitors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using Strings = std::vector<std::string>;
}

TEST(StringSplit, ByCharacterTable)
{
    struct Case
    {
        const char* text;
        char separator;
        bool trim;
        Strings expected;
    };
    const Case cases[] = {
        {"a,,b,", ',', false, {"a", "", "b"}},
        {"a,,b", ',', false, {"a", "", "b"}},
        {",", ',', false, {""}},
        {",,", ',', false, {"", ""}},
        {"abc", ',', false, {"abc"}},
        {"", ',', false, {}},
        {"a,b", '\0', false, {}},
        {" a ; b\t;  ;c ", ';', true, {"a", "b", "", "c"}},
        {" a ; b ", ';', false, {" a ", " b "}},
    };
    for (const auto& c : cases)
    {
        Strings out;
        SplitString(c.text, out, c.separator, c.trim);
        EXPECT_EQ(out, c.expected) << "\"" << c.text << "\"";
    }
}

TEST(StringSplit, ByTextTable)
{
    struct Case
    {
        const char* text;
        const char* separator;
        Strings expected;
    };
    const Case cases[] = {
        {"a->b->", "->", {"a", "b"}},
        {"a--b", "-", {"a", "", "b"}},
        {"aaa", "aa", {"", "a"}},
        {"abc", "", {}},
        {"", "->", {}},
    };
    for (const auto& c : cases)
    {
        Strings out;
        CStringArrayVisitor visitor(out);
        SplitByString(c.text, visitor, c.separator);
        EXPECT_EQ(out, c.expected) << "\"" << c.text << "\" at \"" << c.separator << "\"";
    }
}

TEST(StringSplit, PiecesGoInFrontOfExistingElements)
{
    Strings out{"old"};
    SplitString("x|y", out, '|');
    EXPECT_EQ(out, (Strings{"x", "y", "old"}));
}

TEST(StringSplit, RefusingVisitorStopsTheSplit)
{
    std::string joined;
    class TwoOnly : public CStringJoinVisitor
    {
    public:
        using CStringJoinVisitor::CStringJoinVisitor;
        bool Add(std::string_view text) override { return CStringJoinVisitor::Add(text) && ++m_count < 2; }

    private:
        int m_count = 0;
    } visitor(&joined, "+");
    SplitStringInto("a,b,c,d", visitor, ',');
    EXPECT_EQ(joined, "a+b+");
}

TEST(StringVisitors, ArrayAndJoin)
{
    Strings array{"stale"};
    CStringArrayVisitor visitor(array);
    visitor.Clear();
    EXPECT_TRUE(array.empty());
    EXPECT_TRUE(visitor.Add("one"));
    EXPECT_TRUE(visitor.Add("two"));
    std::string text;
    EXPECT_FALSE(visitor.Next(text)); // the cursor stands after the last insert

    CStringArrayVisitor reader(array);
    ASSERT_TRUE(reader.Next(text));
    EXPECT_EQ(text, "one");
    ASSERT_TRUE(reader.Next(text));
    EXPECT_EQ(text, "two");
    EXPECT_FALSE(reader.Next(text));

    std::string joined = "x";
    CStringJoinVisitor join(&joined, ", ");
    join.Clear();
    EXPECT_TRUE(join.Add("a"));
    EXPECT_TRUE(join.Add("b"));
    EXPECT_EQ(joined, "a, b, ");
    CStringJoinVisitor noTarget(nullptr, ",");
    EXPECT_FALSE(noTarget.Add("a"));
}

TEST(FirstWord, Table)
{
    struct Case
    {
        const char* text;
        const char* word;
        size_t offset;
    };
    const Case cases[] = {
        {"Negotiate TlRMTVNT", "Negotiate", 0},
        {" \t NTLM  abc", "NTLM", 3},
        {"Basic", "Basic", 0},
        {"", "", 0},
        {"   ", "", 3},
    };
    for (const auto& c : cases)
    {
        const std::string_view text = c.text;
        const std::string_view word = FindFirstWord(text);
        EXPECT_EQ(word, c.word) << "\"" << c.text << "\"";
        EXPECT_EQ(static_cast<size_t>(word.data() - text.data()), c.offset) << "\"" << c.text << "\"";
        EXPECT_EQ(GetFirstWord(text), c.word);
    }
}
