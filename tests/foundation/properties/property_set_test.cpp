#include "foundation/properties/PropertySet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/core/Archive.h"
#include "platform/core/TickCount.h"

namespace
{
CPropValue Int(int v)
{
    CPropValue p;
    p.SetInt(v);
    return p;
}
CPropValue Int64(int64_t v)
{
    CPropValue p;
    p.SetInt64(v);
    return p;
}
CPropValue Dbl(double v)
{
    CPropValue p;
    p.SetDouble(v);
    return p;
}
CPropValue Str(const char* v)
{
    CPropValue p;
    p.SetString(v);
    return p;
}
CPropValue Blob(std::initializer_list<uint8_t> bytes)
{
    const std::vector<uint8_t> v(bytes);
    CPropValue p;
    p.SetBlob(v.data(), static_cast<int>(v.size()));
    return p;
}
CPropValue Date(double days)
{
    CPropValue p;
    p.SetDate(COleDateTime(days));
    return p;
}

// A set that keeps zero values, as the link item does.
class KeepZeroSet : public CPropertySet
{
public:
    KeepZeroSet() { m_dropDefaults = false; }
};

// Records the setter calls that reach it, to check Visit and the virtual
// calls of SetFlag.
class RecordingSet : public CPropertySet
{
public:
    std::vector<std::string> calls;

    void SetInt(int id, int value) override
    {
        calls.push_back(std::to_string(id) + " int " + std::to_string(value));
        CPropertySet::SetInt(id, value);
    }
    void SetInt64(int id, int64_t value) override
    {
        calls.push_back(std::to_string(id) + " int64 " + std::to_string(value));
        CPropertySet::SetInt64(id, value);
    }
    void SetString(int id, const char* text) override
    {
        calls.push_back(std::to_string(id) + " text " + text);
        CPropertySet::SetString(id, text);
    }
    void SetBlob(int id, const uint8_t* data, int len) override
    {
        calls.push_back(std::to_string(id) + " blob " + std::to_string(len));
        CPropertySet::SetBlob(id, data, len);
    }
};

std::vector<uint8_t> Bytes(std::initializer_list<std::vector<uint8_t>> pieces)
{
    std::vector<uint8_t> out;
    for (const auto& piece : pieces)
        out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

std::vector<uint8_t> Text(const std::string& s)
{
    return std::vector<uint8_t>(s.begin(), s.end());
}

std::vector<uint8_t> Store(CPropertySet& set)
{
    CArchive ar;
    EXPECT_TRUE(set.Serialize(ar));
    return ar.Data();
}

bool Load(CPropertySet& set, const std::vector<uint8_t>& bytes)
{
    CArchive ar(bytes);
    return set.Serialize(ar);
}
} // namespace

TEST(PropValue, ConversionsOfEveryKind)
{
    const double inf = HUGE_VAL;
    struct Row
    {
        const char* name;
        CPropValue value;
        int strictGetter; // which getter succeeds without conversion: 0 int, 1 int64, 2 double, 3 text, -1 none
        bool numeric;     // int, int64 and double convert
        int i;
        int64_t i64;
        double d;
        const char* text; // null: no text conversion
    };
    const Row rows[] = {
        {"int", Int(7), 0, true, 7, 7, 7.0, "7"},
        {"negative int", Int(-5), 0, true, -5, -5, -5.0, "-5"},
        {"int64", Int64(0x100000005LL), 1, true, 5, 0x100000005LL, 4294967301.0, "4294967301"},
        {"int64 -1", Int64(-1), 1, true, -1, -1, -1.0, "-1"},
        {"double", Dbl(-2.75), 2, true, -2, -2, -2.75, "-2.7500000000"},
        {"huge double", Dbl(1e30), 2, true, INT_MAX, LLONG_MAX, 1e30, "1000000000000000019884624838656.0000000000"},
        {"digits then letters", Str("  42abc"), 3, true, 42, 42, 42.0, "  42abc"},
        {"fraction and exponent", Str("-17.5e1x"), 3, true, -17, -17, -175.0, "-17.5e1x"},
        {"plus sign", Str("+9"), 3, true, 9, 9, 9.0, "+9"},
        {"no digits", Str("abc"), 3, true, 0, 0, 0.0, "abc"},
        {"empty text", Str(""), 3, true, 0, 0, 0.0, ""},
        {"int overflow", Str("99999999999"), 3, true, INT_MAX, 99999999999LL, 99999999999.0, "99999999999"},
        {"int64 underflow", Str("-99999999999999999999"), 3, true, INT_MIN, LLONG_MIN, -1e20, "-99999999999999999999"},
        {"double overflow", Str("1e400"), 3, true, 1, 1, inf, "1e400"},
        {"negative double overflow", Str("-1e400"), 3, true, -1, -1, -inf, "-1e400"},
        {"double underflow", Str("1e-400"), 3, true, 1, 1, 0.0, "1e-400"},
        {"not a decimal number", Str("inf"), 3, true, 0, 0, 0.0, "inf"},
        {"date", Date(45000.5), -1, true, 45000, 45000, 45000.5, nullptr},
        {"blob", Blob({1, 2}), -1, false, 0, 0, 0, nullptr},
        {"empty", CPropValue(), -1, false, 0, 0, 0, nullptr},
    };
    for (const Row& r : rows)
    {
        SCOPED_TRACE(r.name);
        int i = 123;
        int64_t i64 = 123;
        double d = 123;
        std::string s = "untouched";
        EXPECT_EQ(r.value.GetInt(i, true), r.numeric ? 1 : 0);
        EXPECT_EQ(r.value.GetInt64(i64, true), r.numeric ? 1 : 0);
        EXPECT_EQ(r.value.GetDouble(d, true), r.numeric ? 1 : 0);
        EXPECT_EQ(r.value.GetString(s, true), r.text ? 1 : 0);
        EXPECT_EQ(i, r.numeric ? r.i : 123);
        EXPECT_EQ(i64, r.numeric ? r.i64 : 123);
        EXPECT_EQ(d, r.numeric ? r.d : 123);
        EXPECT_EQ(s, r.text ? r.text : "untouched");
        EXPECT_EQ(r.value.GetAsString(), r.text ? r.text : "");

        // Without conversion only the stored kind answers; the others leave the output alone.
        i = 123, i64 = 123, d = 123, s = "untouched";
        EXPECT_EQ(r.value.GetInt(i, false), r.strictGetter == 0 ? 1 : 0);
        EXPECT_EQ(r.value.GetInt64(i64, false), r.strictGetter == 1 ? 1 : 0);
        EXPECT_EQ(r.value.GetDouble(d, false), r.strictGetter == 2 ? 1 : 0);
        EXPECT_EQ(r.value.GetString(s, false), r.strictGetter == 3 ? 1 : 0);
        if (r.strictGetter != 0)
        {
            EXPECT_EQ(i, 123);
        }
        if (r.strictGetter != 1)
        {
            EXPECT_EQ(i64, 123);
        }
        if (r.strictGetter != 2)
        {
            EXPECT_EQ(d, 123);
        }
        if (r.strictGetter != 3)
        {
            EXPECT_EQ(s, "untouched");
        }
    }
}

TEST(PropValue, DateConversions)
{
    const COleDateTime epochDay = COleDateTime::FromTimeT(86400, true);
    struct Row
    {
        const char* name;
        CPropValue value;
        bool converting; // succeeds with conversion
        bool strict;     // succeeds without it
        double days;
    };
    const Row rows[] = {
        {"int is seconds since 1970", Int(86400), true, false, epochDay.GetValue()},
        {"int64 is a day count", Int64(45000), true, true, 45000.0},
        {"double is a day count", Dbl(45000.25), true, false, 45000.25},
        {"date", Date(45000.5), true, true, 45000.5},
        {"plain number text", Str("45000.25"), true, false, 45000.25},
        {"date text", Str("12/31/2024 23:59:59"), true, false, COleDateTime(2024, 12, 31, 23, 59, 59).GetValue()},
        {"other text", Str("soon"), false, false, 0},
        {"blob", Blob({1}), false, false, 0},
        {"empty", CPropValue(), false, false, 0},
    };
    for (const Row& r : rows)
    {
        SCOPED_TRACE(r.name);
        const COleDateTime sentinel(1.0);
        COleDateTime out = sentinel;
        EXPECT_EQ(r.value.GetDate(out, true), r.converting ? 1 : 0);
        EXPECT_DOUBLE_EQ(out.GetValue(), r.converting ? r.days : 1.0);
        out = sentinel;
        EXPECT_EQ(r.value.GetDate(out, false), r.strict ? 1 : 0);
        EXPECT_DOUBLE_EQ(out.GetValue(), r.strict ? r.days : 1.0);
    }
}

TEST(PropValue, CopiesOwnTheirTextAndBytes)
{
    CPropValue text = Str("abc");
    CPropValue copy = text;
    text.SetString("changed");
    EXPECT_EQ(copy.GetAsString(), "abc");

    CPropValue blob = Blob({1, 2, 3});
    CPropValue blobCopy;
    blobCopy = blob;
    blob.SetBlob(nullptr, 0);
    int len = 0;
    const uint8_t* data = blobCopy.GetBlobPtr(len);
    ASSERT_EQ(len, 3);
    EXPECT_EQ(data[2], 3);

    CPropValue& alias = copy;
    copy = alias;
    EXPECT_EQ(copy.GetAsString(), "abc");

    CPropValue moved = std::move(copy);
    EXPECT_EQ(moved.GetAsString(), "abc");
    EXPECT_EQ(copy.GetKind(), CPropValue::kindEmpty); // NOLINT(bugprone-use-after-move)

    EXPECT_EQ(CPropValue(CPropValue()).GetKind(), CPropValue::kindEmpty);
    EXPECT_EQ(PropertyValue::InitInt(-4).GetKind(), CPropValue::kindInt);
    EXPECT_EQ(PropertyValue::InitInt(-4).GetAsString(), "-4");
    EXPECT_EQ(PropertyValue::InitString("x").GetAsString(), "x");
    EXPECT_EQ(PropertyValue::InitString(nullptr).GetKind(), CPropValue::kindString);
    EXPECT_EQ(PropertyValue::InitString(nullptr).GetAsString(), "");
}

TEST(PropValue, ByteBlockAccessors)
{
    const CPropValue blob = Blob({10, 20, 30, 40});
    uint8_t dst[8] = {};
    int len = 2;
    EXPECT_TRUE(blob.GetBlob(dst, len));
    EXPECT_EQ(len, 2);
    EXPECT_EQ(dst[1], 20);
    EXPECT_EQ(dst[2], 0);
    len = 8;
    EXPECT_TRUE(blob.GetBlob(dst, len));
    EXPECT_EQ(len, 4);
    int size = 0;
    EXPECT_TRUE(blob.GetBlobSize(size));
    EXPECT_EQ(size, 4);

    // Another kind: GetBlobData leaves len alone, GetBlobPtr zeroes it.
    const CPropValue number = Int(3);
    len = 77;
    EXPECT_EQ(number.GetBlobData(len), nullptr);
    EXPECT_EQ(len, 77);
    EXPECT_EQ(number.GetBlobPtr(len), nullptr);
    EXPECT_EQ(len, 0);
    len = 5;
    EXPECT_FALSE(number.GetBlob(dst, len));
    EXPECT_EQ(len, 5);

    // A null pointer or a length of 0 or less is the empty block.
    for (int badLen : {0, -3})
    {
        CPropValue empty;
        empty.SetBlob(dst, badLen);
        len = 9;
        EXPECT_EQ(empty.GetKind(), CPropValue::kindBlob);
        EXPECT_EQ(empty.GetBlobPtr(len), nullptr);
        EXPECT_EQ(len, 0);
    }
    CPropValue nullData;
    nullData.SetBlob(nullptr, 12);
    EXPECT_TRUE(nullData.GetBlobSize(size));
    EXPECT_EQ(size, 0);
}

TEST(PropValue, Add)
{
    struct Row
    {
        CPropValue left, right;
        int kind;
        const char* text; // GetAsString of the sum
    };
    const Row rows[] = {
        {Int(INT_MAX), Int(1), CPropValue::kindInt, "-2147483648"},
        {Int(2), Int64(3), CPropValue::kindInt64, "5"},
        {Int(2), Dbl(0.5), CPropValue::kindDouble, "2.5000000000"},
        {Int(-3), Str("x"), CPropValue::kindString, "-3x"},
        {Int64(5), Int(1), CPropValue::kindInt64, "6"},
        {Int64(LLONG_MAX), Int64(1), CPropValue::kindInt64, "-9223372036854775808"},
        {Int64(1), Dbl(0.5), CPropValue::kindDouble, "1.5000000000"},
        {Int64(-7), Str("z"), CPropValue::kindString, "-7z"},
        {Dbl(1.5), Int(1), CPropValue::kindDouble, "2.5000000000"},
        {Dbl(2.9), Str("s"), CPropValue::kindString, "2s"},
        {Str("ab"), Int(5), CPropValue::kindString, "ab5"},
        {Str("ab"), Int64(-6), CPropValue::kindString, "ab-6"},
        {Str("ab"), Dbl(-2.9), CPropValue::kindString, "ab-2"},
        {Str("ab"), Str("cd"), CPropValue::kindString, "abcd"},
        {Int(1), Blob({1}), CPropValue::kindInt, "0"},
        {Str("ab"), Date(2), CPropValue::kindInt, "0"},
        {Blob({1}), Int(1), CPropValue::kindInt, "0"},
        {Date(3), Int(1), CPropValue::kindInt, "0"},
        {CPropValue(), Int(1), CPropValue::kindInt, "0"},
    };
    for (size_t n = 0; n < std::size(rows); ++n)
    {
        SCOPED_TRACE(n);
        const CPropValue sum = rows[n].left.Add(rows[n].right);
        EXPECT_EQ(sum.GetKind(), rows[n].kind);
        EXPECT_EQ(sum.GetAsString(), rows[n].text);
    }
}

TEST(PropertySet, DropDefaultsReadsMissingAsZeroAndConverts)
{
    CPropertySet settings;
    KeepZeroSet item;
    for (CPropertySet* set : {static_cast<CPropertySet*>(&settings), static_cast<CPropertySet*>(&item)})
    {
        const int expected = set->IsDropDefaults() ? 1 : 0;
        SCOPED_TRACE(expected);
        int i = 9;
        int64_t i64 = 9;
        std::string s = "x";
        int len = 4, size = 4;
        uint8_t dst[4];
        EXPECT_EQ(set->GetInt(1, i), expected);
        EXPECT_EQ(i, 0);
        EXPECT_EQ(set->GetInt64(1, i64), expected);
        EXPECT_EQ(i64, 0);
        EXPECT_EQ(set->GetString(1, s), expected);
        EXPECT_EQ(s, "");
        EXPECT_EQ(set->GetBlob(1, dst, len), expected);
        EXPECT_EQ(len, 0);
        EXPECT_EQ(set->GetBlobSize(1, size), expected);
        EXPECT_EQ(size, 0);
        EXPECT_EQ(set->GetBlobPtr(1, len), nullptr);
        EXPECT_EQ(set->GetKind(1), 0);
        EXPECT_FALSE(set->Has(1));
        EXPECT_FALSE(set->Remove(1));

        // Stored values convert only with drop-defaults.
        set->SetString(2, "42abc");
        set->SetInt(3, 7);
        EXPECT_EQ(set->GetInt(2, i), expected);
        EXPECT_EQ(i, set->IsDropDefaults() ? 42 : 0);
        EXPECT_EQ(set->GetString(3, s), expected);
        EXPECT_EQ(s, set->IsDropDefaults() ? "7" : "");
        EXPECT_EQ(set->GetStringValue(2), "42abc");
        EXPECT_EQ(set->GetStringValue(3), set->IsDropDefaults() ? "7" : "");
        EXPECT_EQ(set->GetStringValue(99), "");
    }
}

TEST(PropertySet, ZeroAndEmptyRemoveOnlyWithDropDefaults)
{
    const uint8_t byte = 1;
    CPropertySet settings;
    settings.SetInt(1, 0); // no map: nothing happens, not even the stamp
    EXPECT_EQ(settings.GetChangeStamp(), 0u);

    settings.SetInt(1, 5);
    settings.SetInt64(2, 6);
    settings.SetString(3, "t");
    settings.SetBlob(4, &byte, 1);
    settings.SetInt(1, 0);
    settings.SetInt64(2, 0);
    settings.SetString(3, nullptr);
    settings.SetBlob(4, nullptr, 1);
    for (int id = 1; id <= 4; ++id)
        EXPECT_FALSE(settings.Has(id)) << id;
    EXPECT_EQ(Store(settings), Text("MDSE"));

    settings.SetString(3, "t");
    settings.SetString(3, "");
    settings.SetBlob(4, &byte, 1);
    settings.SetBlob(4, &byte, 0);
    EXPECT_FALSE(settings.Has(3));
    EXPECT_FALSE(settings.Has(4));

    // With a map present, removing a missing id still moves the stamp.
    settings.SetInt(9, 1);
    const uint32_t before = settings.GetChangeStamp();
    settings.SetInt(10, 0);
    EXPECT_GT(settings.GetChangeStamp(), before);
    EXPECT_TRUE(settings.Has(9));

    KeepZeroSet item;
    item.SetInt(1, 0);
    item.SetInt64(2, 0);
    item.SetString(3, nullptr);
    item.SetBlob(4, nullptr, 0);
    const int kinds[] = {CPropValue::kindInt, CPropValue::kindInt64, CPropValue::kindString, CPropValue::kindBlob};
    for (int id = 1; id <= 4; ++id)
        EXPECT_EQ(item.GetKind(id), kinds[id - 1]) << id;
    int value = 9;
    EXPECT_TRUE(item.GetInt(1, value));
    EXPECT_EQ(value, 0);
}

// The clock is read when the stamp is asked for, not at each change: the
// stamp still follows the tick count, moves on after any number of changes
// and stays put while nothing changes, also when another thread asks.
TEST(PropertySet, ChangeStampIsTakenWhenRead)
{
    CPropertySet set(true);
    const uint32_t start = GetTickCount();
    for (int i = 1; i <= 1000; ++i)
        set.SetInt(i % 7, i);
    uint32_t first = 0;
    std::thread reader([&] { first = set.GetChangeStamp(); });
    reader.join();
    EXPECT_GE(first, start);
    EXPECT_EQ(set.GetChangeStamp(), first);
    set.Remove(3);
    const uint32_t second = set.GetChangeStamp();
    EXPECT_GT(second, first);
    EXPECT_LE(second, std::max(GetTickCount(), first + 1));
    EXPECT_EQ(set.GetChangeStamp(), second);
}

TEST(PropertySet, ChangeStampsStrictlyIncrease)
{
    CPropertySet set;
    const uint8_t bytes[2] = {1, 2};
    uint32_t last = set.GetChangeStamp();
    auto expectBump = [&](const char* what) {
        const uint32_t now = set.GetChangeStamp();
        EXPECT_GT(now, last) << what;
        last = now;
    };
    auto expectSame = [&](const char* what) { EXPECT_EQ(set.GetChangeStamp(), last) << what; };

    for (int round = 0; round < 200; ++round)
    {
        set.SetInt(1, round + 1);
        expectBump("SetInt");
    }
    set.SetInt64(2, 5);
    expectBump("SetInt64");
    set.SetString(3, "a");
    expectBump("SetString");
    set.SetBlob(4, bytes, 2);
    expectBump("SetBlob");
    set.AddInt(5, 0);
    expectBump("AddInt");
    set.AddInt64(6, 1);
    expectBump("AddInt64");
    set.SetFlag(7, 1, true);
    expectBump("SetFlag");
    EXPECT_TRUE(set.Remove(7));
    expectBump("Remove");

    EXPECT_FALSE(set.Remove(7));
    expectSame("Remove of a missing id");
    int v;
    set.GetInt(1, v);
    set.TestBit(1, 0);
    CPropertySet sink;
    set.Visit(sink);
    set.CopyFrom(set);
    expectSame("reads and self-copy");

    set.Clear();
    expectBump("Clear");
    set.Clear();
    expectBump("Clear of an empty set");
}

TEST(PropertySet, AddStoresEvenZero)
{
    CPropertySet set;
    set.AddInt(1, 5);
    EXPECT_EQ(set.GetKind(1), CPropValue::kindInt);
    EXPECT_EQ(set.GetStringValue(1), "5");
    set.AddInt(1, -5);
    EXPECT_TRUE(set.Has(1)); // the sum 0 stays although drop-defaults is on
    EXPECT_EQ(set.GetKind(1), CPropValue::kindInt);

    set.AddInt64(2, 1LL << 40);
    EXPECT_EQ(set.GetKind(2), CPropValue::kindInt64);
    set.AddInt(2, 1);
    int64_t big = 0;
    set.GetInt64(2, big);
    EXPECT_EQ(big, (1LL << 40) + 1);

    set.SetString(3, "ab");
    set.AddInt(3, 5);
    EXPECT_EQ(set.GetStringValue(3), "ab5");
    set.AddInt64(3, -1);
    EXPECT_EQ(set.GetStringValue(3), "ab5-1");

    const uint8_t byte = 1;
    set.SetBlob(4, &byte, 1);
    set.AddInt(4, 3); // a block plus a number is the integer 0
    EXPECT_EQ(set.GetKind(4), CPropValue::kindInt);
    EXPECT_EQ(set.GetStringValue(4), "0");
}

TEST(PropertySet, FlagsGoThroughTheVirtualGettersAndSetters)
{
    RecordingSet set;
    set.SetFlag(1, 3, true);
    EXPECT_TRUE(set.TestBit(1, 3));
    EXPECT_FALSE(set.TestBit(1, 2));
    int value = 0;
    set.GetInt(1, value);
    EXPECT_EQ(value, 8);
    set.SetFlag(1, 31, true);
    set.GetInt(1, value);
    EXPECT_EQ(value, INT_MIN + 8);
    EXPECT_TRUE(set.TestBit(1, 31));
    set.SetFlag(1, 3, false);
    set.SetFlag(1, 31, false);
    EXPECT_FALSE(set.Has(1)); // the value 0 removed the entry
    const std::vector<std::string> expected = {"1 int 8", "1 int -2147483640", "1 int -2147483648", "1 int 0"};
    EXPECT_EQ(set.calls, expected);

    // Bit indexes outside 0-31 are never set and change nothing.
    set.SetInt(2, -1);
    const uint32_t stamp = set.GetChangeStamp();
    for (int bit : {-1, 32, 35})
    {
        EXPECT_FALSE(set.TestBit(2, bit)) << bit;
        set.SetFlag(2, bit, false);
    }
    EXPECT_EQ(set.GetChangeStamp(), stamp);
}

TEST(PropertySet, IdsAreCutTo16BitsAndOrderedSigned)
{
    RecordingSet target;
    CPropertySet set;
    set.SetInt(65536 + 7, 1);
    EXPECT_TRUE(set.Has(7));
    set.SetInt(7, 2);
    set.SetInt(0, 3);
    set.SetInt(40000, 4); // -25536 as a 16-bit id
    EXPECT_TRUE(set.Has(40000 - 65536));
    set.SetInt(-1, 5);
    set.Visit(target);
    const std::vector<std::string> expected = {"-25536 int 4", "-1 int 5", "0 int 3", "7 int 2"};
    EXPECT_EQ(target.calls, expected);
}

TEST(PropertySet, VisitHandsOverIntegersTextsAndBlocks)
{
    // A double can only enter a set from an archive; Visit skips it.
    CPropertySet set;
    ASSERT_TRUE(Load(set, Bytes({Text("MDSA"), {1, 0, 0, 0}, {9, 0, 3}, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}})));
    ASSERT_EQ(set.GetKind(9), CPropValue::kindDouble);
    const uint8_t bytes[3] = {1, 2, 3};
    set.SetInt(1, 11);
    set.SetInt64(2, 1LL << 33);
    set.SetString(3, "hi");
    set.SetBlob(4, bytes, 3);

    RecordingSet target;
    set.Visit(target);
    const std::vector<std::string> expected = {"1 int 11", "2 int64 8589934592", "3 text hi", "4 blob 3"};
    EXPECT_EQ(target.calls, expected);
    int len = 0;
    const uint8_t* copied = target.GetBlobPtr(4, len);
    ASSERT_EQ(len, 3);
    EXPECT_EQ(copied[2], 3);
    EXPECT_NE(copied, bytes);

    const std::vector<uint8_t> before = Store(set);
    set.Visit(set);
    EXPECT_EQ(Store(set), before);
}

TEST(PropertySet, CopyFrom)
{
    KeepZeroSet src;
    src.SetInt(1, 0);
    src.SetString(2, "text");
    const uint8_t bytes[2] = {5, 6};
    src.SetBlob(3, bytes, 2);

    CPropertySet copy;
    copy.SetInt(50, 1);
    const uint32_t before = copy.GetChangeStamp();
    copy.CopyFrom(src);
    EXPECT_GT(copy.GetChangeStamp(), before);
    EXPECT_FALSE(copy.Has(50));
    EXPECT_FALSE(copy.IsDropDefaults());
    EXPECT_EQ(Store(copy), Store(src));

    src.SetString(2, "changed");
    EXPECT_EQ(copy.GetStringValue(2), "text");
    int len = 0;
    EXPECT_NE(copy.GetBlobPtr(3, len), src.GetBlobPtr(3, len));

    // Merging: src's entries overwrite, the others stay; the filter skips ids.
    CPropertySet merged;
    merged.SetInt(1, 9);
    merged.SetInt(2, 9);
    merged.SetInt(60, 9);
    merged.CopyFrom(src, false, [](int id) { return id != 3; });
    EXPECT_EQ(merged.GetKind(1), CPropValue::kindInt);
    EXPECT_EQ(merged.GetStringValue(1), "0");
    EXPECT_EQ(merged.GetStringValue(2), "changed");
    EXPECT_FALSE(merged.Has(3));
    EXPECT_TRUE(merged.Has(60));
    EXPECT_TRUE(merged.IsDropDefaults());
}

namespace
{
// A hand-written archive: one entry of every kind, a text of 300 characters
// in the 0xFF form, and an unknown kind byte under id 40000.
std::vector<uint8_t> GoldenArchive()
{
    return Bytes({
        Text("MDSA"),
        {8, 0, 0, 0},
        {0x40, 0x9C, 9, 42, 0, 0, 0},                        // 40000: kind 9 reads as the integer 42
        {1, 0, 1, 0xFE, 0xFF, 0xFF, 0xFF},                   // 1: int -2
        {2, 0, 2, 2, 0, 0, 0, 1, 0, 0, 0},                   // 2: int64, low word then high word
        {3, 0, 3, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F},             // 3: double 1.5
        {4, 0, 4, 2, 'h', 'i'},                              // 4: "hi"
        {5, 0, 4, 0xFF, 0x2C, 0x01}, Text(std::string(300, 'x')), // 5: 300 characters
        {6, 0, 5, 3, 0, 0, 0, 0xDE, 0xAD, 0xBE},             // 6: three bytes
        {7, 0, 6},                                           // 7: a date keeps no value
    });
}
} // namespace

TEST(PropertySet, ArchiveGoldenBytes)
{
    CPropertySet set;
    set.SetInt(1000, 1); // loading replaces what was there
    ASSERT_TRUE(Load(set, GoldenArchive()));
    EXPECT_FALSE(set.Has(1000));

    int i = 0;
    int64_t i64 = 0;
    EXPECT_EQ(set.GetKind(40000), CPropValue::kindInt);
    set.GetInt(40000, i);
    EXPECT_EQ(i, 42);
    set.GetInt(1, i);
    EXPECT_EQ(i, -2);
    set.GetInt64(2, i64);
    EXPECT_EQ(i64, 0x100000002LL);
    EXPECT_EQ(set.GetKind(3), CPropValue::kindDouble);
    set.GetInt(3, i);
    EXPECT_EQ(i, 1);
    EXPECT_EQ(set.GetStringValue(4), "hi");
    EXPECT_EQ(set.GetStringValue(5), std::string(300, 'x'));
    int len = 0;
    const uint8_t* blob = set.GetBlobPtr(6, len);
    ASSERT_EQ(len, 3);
    EXPECT_EQ(blob[0], 0xDE);
    EXPECT_EQ(blob[2], 0xBE);
    EXPECT_EQ(set.GetKind(7), CPropValue::kindInt); // the date came back as integer 0
    set.GetInt(7, i);
    EXPECT_EQ(i, 0);

    // Stored again: ascending signed ids, id 40000 first, the date and the
    // unknown kind now plain integers.
    const std::vector<uint8_t> expected = Bytes({
        Text("MDSA"),
        {8, 0, 0, 0},
        {0x40, 0x9C, 1, 42, 0, 0, 0},
        {1, 0, 1, 0xFE, 0xFF, 0xFF, 0xFF},
        {2, 0, 2, 2, 0, 0, 0, 1, 0, 0, 0},
        {3, 0, 3, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F},
        {4, 0, 4, 2, 'h', 'i'},
        {5, 0, 4, 0xFF, 0x2C, 0x01}, Text(std::string(300, 'x')),
        {6, 0, 5, 3, 0, 0, 0, 0xDE, 0xAD, 0xBE},
        {7, 0, 1, 0, 0, 0, 0},
    });
    EXPECT_EQ(Store(set), expected);
}

TEST(PropertySet, ArchiveOfEmptySets)
{
    CPropertySet fresh;
    EXPECT_EQ(Store(fresh), Text("MDSE"));

    CPropertySet emptied;
    emptied.SetInt(1, 1);
    const uint8_t byte = 0;
    emptied.SetBlob(2, &byte, 1);
    emptied.SetBlob(2, &byte, 0);
    EXPECT_TRUE(emptied.Remove(1));
    EXPECT_EQ(Store(emptied), Text("MDSE"));

    CPropertySet loaded;
    loaded.SetInt(5, 5);
    const std::vector<uint8_t> zeroCount = Bytes({Text("MDSA"), {0, 0, 0, 0}});
    ASSERT_TRUE(Load(loaded, zeroCount));
    EXPECT_FALSE(loaded.Has(5));
    EXPECT_EQ(Store(loaded), zeroCount);

    // "MDSE" and any other tag load as an empty set without error.
    for (const char* tag : {"MDSE", "XXXX"})
    {
        CPropertySet set;
        set.SetInt(5, 5);
        EXPECT_TRUE(Load(set, Text(tag))) << tag;
        EXPECT_FALSE(set.Has(5)) << tag;
        EXPECT_EQ(Store(set), Text("MDSE")) << tag;
    }
}

TEST(PropertySet, DamagedArchivesFailCleanly)
{
    // Every proper prefix of a good archive fails and leaves the set empty.
    const std::vector<uint8_t> good = GoldenArchive();
    for (size_t n = 0; n < good.size(); ++n)
    {
        CPropertySet set;
        set.SetInt(1000, 1);
        const std::vector<uint8_t> prefix(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        ASSERT_FALSE(Load(set, prefix)) << n;
        ASSERT_FALSE(set.Has(1000)) << n;
        ASSERT_FALSE(set.Has(40000)) << n;
        ASSERT_EQ(Store(set), Text("MDSE")) << n;
    }

    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"huge count", Bytes({Text("MDSA"), {0xFF, 0xFF, 0xFF, 0xFF}, {1, 0, 1, 5, 0, 0, 0}})},
        {"huge block", Bytes({Text("MDSA"), {1, 0, 0, 0}, {1, 0, 5, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3}})},
        {"negative block", Bytes({Text("MDSA"), {1, 0, 0, 0}, {1, 0, 5, 0xFE, 0xFF, 0xFF, 0xFF, 1, 2, 3}})},
        {"huge text", Bytes({Text("MDSA"), {1, 0, 0, 0}, {1, 0, 4, 0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0xFF, 'a'}})},
    };
    for (const Case& c : cases)
    {
        CPropertySet set;
        EXPECT_FALSE(Load(set, c.bytes)) << c.name;
        EXPECT_EQ(Store(set), Text("MDSE")) << c.name;
    }

    // A value whose load fails keeps what it held.
    CPropValue value = Int(9);
    const std::vector<uint8_t> shortBlock = {5, 4, 0, 0, 0, 1};
    CArchive ar(shortBlock);
    EXPECT_FALSE(value.Serialize(ar));
    EXPECT_EQ(value.GetAsString(), "9");
}

TEST(PropertySet, ThreadSafeSetCountsExactly)
{
    CPropertySet set(true);
    EXPECT_TRUE(set.IsThreadSafe());
    constexpr int kThreads = 4;
    constexpr int kAdds = 20000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&set, t] {
            for (int n = 0; n < kAdds; ++n)
            {
                set.AddInt(1, 1);
                set.AddInt64(2, 2);
                set.SetFlag(3, t, n % 2 == 0);
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    int count = 0;
    int64_t doubled = 0;
    set.GetInt(1, count);
    set.GetInt64(2, doubled);
    EXPECT_EQ(count, kThreads * kAdds);
    EXPECT_EQ(doubled, 2LL * kThreads * kAdds);
    // Each thread's last SetFlag cleared its own bit.
    EXPECT_FALSE(set.Has(3));

    set.SetThreadSafe(false);
    EXPECT_FALSE(set.IsThreadSafe());
    EXPECT_EQ(set.GetStringValue(1), std::to_string(kThreads * kAdds));
}

// A compacted set answers every read as its uncompacted twin does, in both
// modes; its first change brings it back and keeps the rest.
TEST(PropertySet, CompactedSetReadsAndChangesAsBefore)
{
    const uint8_t bytes[3] = {7, 8, 9};
    auto fill = [&](CPropertySet& set)
    {
        set.SetInt(-5, 3);
        set.SetInt(0, 0);
        set.SetInt64(602, int64_t(1) << 40);
        set.SetString(51, std::string(300, 'p').c_str());
        set.SetString(601, "");
        set.SetString(53, "12 OK");
        set.SetBlob(104, bytes, 3);
        // Negative numbers, a step between ids that needs three bytes, and
        // an id that is negative once cut to 16 bits.
        set.SetInt(30000, -7);
        set.SetInt64(40000, -(int64_t(1) << 50));
        set.SetInt(700, INT32_MIN);
    };
    KeepZeroSet keep, keepTwin;
    CPropertySet drop, dropTwin;
    for (auto [set, twin] : {std::pair<CPropertySet*, CPropertySet*>{&keep, &keepTwin}, {&drop, &dropTwin}})
    {
        fill(*set);
        fill(*twin);
        set->Compact();

        for (int id : {-5, 0, 51, 53, 601, 602, 104, 777, 30000, 40000, 700, 699})
        {
            EXPECT_EQ(set->GetKind(id), twin->GetKind(id)) << id;
            EXPECT_EQ(set->Has(id), twin->Has(id)) << id;
            std::string text, twinText;
            EXPECT_EQ(set->GetString(id, text), twin->GetString(id, twinText)) << id;
            EXPECT_EQ(text, twinText) << id;
            int n = 1, twinN = 2;
            EXPECT_EQ(set->GetInt(id, n), twin->GetInt(id, twinN)) << id;
            EXPECT_EQ(n, twinN) << id;
            int64_t n64 = 1, twinN64 = 2;
            EXPECT_EQ(set->GetInt64(id, n64), twin->GetInt64(id, twinN64)) << id;
            EXPECT_EQ(n64, twinN64) << id;
            int size = 1, twinSize = 2;
            EXPECT_EQ(set->GetBlobSize(id, size), twin->GetBlobSize(id, twinSize)) << id;
            EXPECT_EQ(size, twinSize) << id;
        }
        uint8_t copied[3] = {};
        int len = 3;
        EXPECT_TRUE(set->GetBlob(104, copied, len));
        EXPECT_EQ(len, 3);
        EXPECT_EQ(copied[2], 9);
        RecordingSet visited, twinVisited;
        set->Visit(visited);
        twin->Visit(twinVisited);
        EXPECT_EQ(visited.calls, twinVisited.calls);
        KeepZeroSet copy;
        copy.CopyFrom(*set);
        EXPECT_EQ(Store(copy), Store(*twin));
        EXPECT_EQ(Store(*set), Store(*twin));

        // A change unpacks: the new value and every old one are there.
        set->Compact();
        const uint32_t stamp = set->GetChangeStamp();
        set->SetInt(60, 12);
        EXPECT_GT(set->GetChangeStamp(), stamp);
        EXPECT_TRUE(set->Has(60));
        EXPECT_EQ(set->GetStringValue(53), "12 OK");
        EXPECT_TRUE(set->Remove(60));
        EXPECT_EQ(Store(*set), Store(*twin));

        // A block pointer handed out stays valid while the set is only read.
        set->Compact();
        len = 0;
        const uint8_t* block = set->GetBlobPtr(104, len);
        ASSERT_EQ(len, 3);
        EXPECT_EQ(set->GetStringValue(53), "12 OK");
        EXPECT_EQ(block[0], 7);
    }
}
// Every kind an archive can bring, a double among them, stores alike after
// compacting; an empty "MDSA" record stays an empty "MDSA" record.
TEST(PropertySet, CompactKeepsLoadedSetsAndEmptySets)
{
    for (const std::vector<uint8_t>& bytes : {GoldenArchive(), Bytes({Text("MDSA"), {0, 0, 0, 0}})})
    {
        CPropertySet set;
        ASSERT_TRUE(Load(set, bytes));
        const std::vector<uint8_t> stored = Store(set);
        set.Compact();
        EXPECT_EQ(Store(set), stored);
    }
    CPropertySet loaded;
    ASSERT_TRUE(Load(loaded, GoldenArchive()));
    loaded.Compact();
    EXPECT_EQ(loaded.GetKind(3), CPropValue::kindDouble);
    EXPECT_EQ(loaded.GetStringValue(5), std::string(300, 'x'));
}
