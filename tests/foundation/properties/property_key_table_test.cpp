#include "foundation/properties/PropertyKeyTable.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <map>
#include <string>
#include <vector>

namespace
{
// A store of typed values in memory, so the key logic is seen apart from any
// real store's type rules.
class CFakeStore : public IKeyValueStore
{
public:
    std::map<std::string, std::string> m_texts;
    std::map<std::string, int> m_ints;
    std::map<std::string, int64_t> m_int64s;

    template <typename Map, typename Value>
    static bool Read(const Map& map, std::string_view name, Value& out)
    {
        const auto it = map.find(std::string(name));
        if (it == map.end())
            return false;
        out = it->second;
        return true;
    }

    bool GetString(std::string_view name, std::string& out) override { return Read(m_texts, name, out); }
    bool SetString(std::string_view name, std::string_view text) override
    {
        m_texts[std::string(name)] = text;
        return true;
    }
    bool GetInt(std::string_view name, int& out) override { return Read(m_ints, name, out); }
    bool SetInt(std::string_view name, int value) override
    {
        m_ints[std::string(name)] = value;
        return true;
    }
    bool GetInt64(std::string_view name, int64_t& out) override { return Read(m_int64s, name, out); }
    bool SetInt64(std::string_view name, int64_t value) override
    {
        m_int64s[std::string(name)] = value;
        return true;
    }
    bool SetBytes(std::string_view, const uint8_t*, int) override { return false; }
    bool GetBytes(std::string_view, uint8_t*, int&) override { return false; }
    bool GetBytesSize(std::string_view, unsigned&) override { return false; }
    bool DeleteKey(std::string_view) override { return false; }
};

CPropValue Int64Value(int64_t v)
{
    CPropValue p;
    p.SetInt64(v);
    return p;
}

// Task-like keys as the project file keeps them.
CPropertyKeyTable MakeTaskKeys()
{
    CPropertyKeyTable keys;
    keys.Add("Name", 114, PropertyValue::InitString(nullptr), true);
    keys.Add("Recursion", 112, PropertyValue::InitInt(1), true);
    keys.Add("POSTData", 102, PropertyValue::InitString(""), true);
    keys.Add("Limit", 120, Int64Value(0), true);
    keys.Add("FilterTags", 0, PropertyValue::InitString("FFFFFFFF"), true);
    return keys;
}

std::vector<std::string> Names(const CPropertyKeyTable& keys)
{
    std::vector<std::string> names;
    for (int i = 0; i < keys.GetCount(); ++i)
        names.push_back(keys.GetEntry(i).m_name);
    return names;
}
} // namespace

TEST(PropertyKeyTable, AddingAnIdAgainReplacesTheEntryAndMovesItToTheEnd)
{
    CPropertyKeyTable keys;
    keys.Add("Misc/Last Opened Folder", 20494, PropertyValue::InitString(""), true);
    keys.Add("HTTP/User-Agent", 20996, PropertyValue::InitString("Noname"), false);
    keys.Add("Connections/Max Connects", 28672, PropertyValue::InitInt(10), true);
    keys.Add("HTTP/User Agent", 20996, PropertyValue::InitString("Tanglewarden 1.0"), false);

    EXPECT_EQ(Names(keys), (std::vector<std::string>{"Misc/Last Opened Folder", "Connections/Max Connects",
                                                     "HTTP/User Agent"}));
    const CPropertyKey last = keys.GetEntry(2);
    EXPECT_EQ(last.m_id, 20996);
    EXPECT_EQ(last.m_defaultValue.GetAsString(), "Tanglewarden 1.0");
    EXPECT_FALSE(last.m_keepEmpty);

    // An entry is a deep copy: changing it leaves the table alone.
    CPropertyKey copy = keys.GetEntry(1);
    copy.m_defaultValue.SetInt(99);
    EXPECT_EQ(keys.GetEntry(1).m_defaultValue.GetAsString(), "10");

    // Out of range gives the empty key: no name, id 0, integer default 0.
    for (int index : {-1, 3, INT_MAX})
    {
        const CPropertyKey none = keys.GetEntry(index);
        EXPECT_EQ(none.m_name, "");
        EXPECT_EQ(none.m_id, 0);
        EXPECT_EQ(none.GetKind(), CPropValue::kindInt);
        EXPECT_EQ(none.m_defaultValue.GetAsString(), "0");
    }
}

TEST(PropertyKeyTable, AttributeTextHoldsOnlyValuesThatDifferFromTheirDefaults)
{
    const CPropertyKeyTable keys = MakeTaskKeys();
    CPropertySet task;
    keys.ApplyDefaults(task);
    std::string text;
    keys.FormatAttributes(task, text);
    EXPECT_EQ(text, "");

    task.SetInt(112, 3);
    task.SetString(0, "0000FFFF");
    keys.FormatAttributes(task, text);
    EXPECT_EQ(text, "Recursion=\"3\" FilterTags=\"0000FFFF\"");

    // A value back at its default drops out; entities and 64-bit values are written.
    task.SetInt(112, 1);
    task.SetString(114, "Tom's <\"site\"> & more");
    task.SetInt64(120, -5000000000);
    text.clear();
    keys.FormatAttributes(task, text);
    EXPECT_EQ(text, "Name=\"Tom&apos;s &lt;&quot;site&quot;&gt; &amp; more\" Limit=\"-5000000000\" "
                    "FilterTags=\"0000FFFF\"");

    // Reading the text back gives the same values.
    CPropertySet copy;
    keys.ApplyDefaults(copy);
    keys.ApplyAttributeList(text, copy, true);
    EXPECT_EQ(copy.GetStringValue(114), "Tom's <\"site\"> & more");
    int64_t limit = 0;
    copy.GetInt64(120, limit);
    EXPECT_EQ(limit, -5000000000);
    EXPECT_EQ(copy.GetStringValue(0), "0000FFFF");
    int recursion = 0;
    copy.GetInt(112, recursion);
    EXPECT_EQ(recursion, 1);
}

TEST(PropertyKeyTable, AttributeListSkipsWhatItCannotUse)
{
    const CPropertyKeyTable keys = MakeTaskKeys();
    struct Case
    {
        const char* text;
        bool caseSensitive;
        int recursion;    // expected value of 112
        const char* name; // expected value of 114
    };
    const Case cases[] = {
        {"Unknown=\"7\" Recursion=\"4\"", true, 4, ""},
        {"recursion=\"4\" name='x'", true, 1, ""}, // case matters when asked
        {"recursion=\"4\" name='x'", false, 4, "x"},
        {"Recursion=\"99999999999\"", true, INT_MAX, ""},
        {"Recursion=\"-99999999999\"", true, INT_MIN, ""},
        {"Recursion=\"abc\"", true, 0, ""},
        {"Name Recursion=5", true, 5, ""}, // a bare name does not shift the pairs
        {"Name=\"a &unknown; &lt;\"", true, 1, "a &unknown; <"},
        {"Name=\"never closed", true, 1, "never closed"},
        {"Recursion=7 Name=", true, 7, ""},
        {"", true, 1, ""},
        {"=== \"\" ''", true, 1, ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        CPropertySet task;
        keys.ApplyDefaults(task);
        keys.ApplyAttributeList(c.text, task, c.caseSensitive);
        int recursion = -1;
        task.GetInt(112, recursion);
        EXPECT_EQ(recursion, c.recursion);
        EXPECT_EQ(task.GetStringValue(114), c.name);
    }
}

TEST(PropertyKey, LoadingFallsBackToTheDefault)
{
    CPropertyKeyTable keys;
    keys.Add("Connections/Max Connects", 1, PropertyValue::InitInt(10), true);
    keys.Add("Misc/Download Folder", 2, PropertyValue::InitString("/home/u/Downloads"), false);
    keys.Add("Misc/Log Folder", 3, PropertyValue::InitString("/home/u/Log"), true);
    keys.Add("Transfer/Byte Limit", 4, Int64Value(5000000000), true);

    struct Case
    {
        const char* stored; // the text stored for both folder keys; null: none
        const char* download;
        const char* log;
        int fromStore; // values taken from the store, of the two folder keys
    };
    const Case cases[] = {
        {nullptr, "/home/u/Downloads", "/home/u/Log", 0},
        {"   ", "/home/u/Downloads", "   ", 1},
        {"", "/home/u/Downloads", "", 1},
        {" \t/data/x\r\n", "/data/x", " \t/data/x\r\n", 2},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.stored ? c.stored : "(none)");
        CFakeStore store;
        if (c.stored)
        {
            store.m_texts["Misc/Download Folder"] = c.stored;
            store.m_texts["Misc/Log Folder"] = c.stored;
        }
        CPropertySet set;
        EXPECT_EQ(keys.LoadFrom(store, set), c.fromStore);
        EXPECT_EQ(set.GetStringValue(2), c.download);
        EXPECT_EQ(set.GetStringValue(3), c.log);
        int connects = 0;
        set.GetInt(1, connects);
        EXPECT_EQ(connects, 10);
        int64_t limit = 0;
        set.GetInt64(4, limit);
        EXPECT_EQ(limit, 5000000000);
    }
}

TEST(PropertyKey, DoublesAndDatesTravelAsTheirEightBytes)
{
    CPropValue rate;
    rate.SetDouble(2.5);
    CPropValue when;
    when.SetDate(COleDateTime(45000.25));
    const CPropertyKey rateKey("Sound/Rate", 7, rate, false);
    const CPropertyKey dateKey("Misc/Checked", 8, when, false);

    CFakeStore store;
    CPropertySet set;
    // Missing: the defaults' bytes.
    EXPECT_FALSE(rateKey.LoadFrom(store, set));
    EXPECT_FALSE(dateKey.LoadFrom(store, set));
    int64_t bits = 0;
    set.GetInt64(7, bits);
    EXPECT_EQ(std::bit_cast<double>(bits), 2.5);
    set.GetInt64(8, bits);
    EXPECT_EQ(std::bit_cast<double>(bits), 45000.25);

    // A stored date of 0 counts as missing; a stored double of 0 does not.
    store.m_int64s["Sound/Rate"] = 0;
    store.m_int64s["Misc/Checked"] = 0;
    EXPECT_TRUE(rateKey.LoadFrom(store, set));
    EXPECT_FALSE(dateKey.LoadFrom(store, set));
    set.GetInt64(8, bits);
    EXPECT_EQ(std::bit_cast<double>(bits), 45000.25);

    // Saving writes the bytes unchanged.
    set.SetInt64(7, std::bit_cast<int64_t>(-0.125));
    EXPECT_TRUE(rateKey.SaveTo(store, set));
    EXPECT_EQ(std::bit_cast<double>(store.m_int64s["Sound/Rate"]), -0.125);

    // A key of a kind that cannot be stored does nothing.
    const CPropertyKey blobKey("Misc/Blob", 9, CPropValue(), false);
    EXPECT_FALSE(blobKey.SaveTo(store, set));
    EXPECT_FALSE(blobKey.LoadFrom(store, set));
    EXPECT_FALSE(set.Has(9));
}
