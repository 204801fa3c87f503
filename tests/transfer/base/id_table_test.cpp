#include "transfer/base/IdTable.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{

std::vector<int> Ids(const CIdTable<std::unique_ptr<int>>& table)
{
    std::vector<int> ids;
    table.ForEach(
        [&](int id, const std::unique_ptr<int>& value)
        {
            EXPECT_EQ(*value, id * 10) << "id " << id << " holds another entry's value";
            ids.push_back(id);
        });
    return ids;
}

TEST(IdTable, KeepsIdOrderWhateverTheInsertOrder)
{
    const struct
    {
        std::vector<int> inserts;
        std::vector<int> expected;
    } cases[] = {
        {{1, 2, 3}, {1, 2, 3}},
        {{5, 2, 9, 1}, {1, 2, 5, 9}},
        {{100, -7, 0, 100}, {-7, 0, 100}}, // an id inserted twice is stored once
        {{}, {}},
    };
    for (const auto& c : cases)
    {
        CIdTable<std::unique_ptr<int>> table;
        for (int id : c.inserts)
            table.Insert(id, std::make_unique<int>(id * 10));
        EXPECT_EQ(Ids(table), c.expected);
        EXPECT_EQ(table.Size(), c.expected.size());
        for (int id : c.expected)
            ASSERT_NE(table.Find(id), nullptr) << id;
        EXPECT_EQ(table.Find(4), nullptr);
    }
}

TEST(IdTable, ReplacingDestroysTheOldValue)
{
    CIdTable<std::shared_ptr<int>> table;
    auto first = std::make_shared<int>(1);
    std::weak_ptr<int> watch = first;
    table.Insert(7, std::move(first));
    table.Insert(7, std::make_shared<int>(2));
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(**table.Find(7), 2);
    EXPECT_EQ(table.Size(), 1u);
}

TEST(IdTable, TakeEmptiesTheSlotAndAnIdCanComeBack)
{
    CIdTable<std::unique_ptr<int>> table;
    for (int id = 1; id <= 5; ++id)
        table.Insert(id, std::make_unique<int>(id * 10));
    std::unique_ptr<int> taken = table.Take(3);
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(*taken, 30);
    EXPECT_EQ(table.Take(3), nullptr) << "taken twice";
    EXPECT_EQ(table.Take(42), nullptr) << "never there";
    EXPECT_EQ(table.Find(3), nullptr);
    EXPECT_EQ(Ids(table), (std::vector<int>{1, 2, 4, 5}));
    EXPECT_EQ(table.Size(), 4u);

    table.Insert(3, std::make_unique<int>(30));
    EXPECT_EQ(Ids(table), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(table.Size(), 5u);
}

TEST(IdTable, AnEmptyPointerIsNotCounted)
{
    // Each step: the id inserted, with a value or empty; the ids and size
    // after it. An empty pointer leaves its id without an entry, so the
    // size never counts what a Take could not give back.
    const struct
    {
        int id;
        bool withValue;
        std::vector<int> ids;
    } steps[] = {
        {2, true, {2}},
        {5, false, {2}},   // a new id at the end
        {1, false, {2}},   // a new id in front
        {2, false, {}},    // over a stored pointer: the entry goes
        {2, false, {}},    // over an empty slot
        {5, true, {5}},    // an id once given an empty pointer can be stored
        {3, true, {3, 5}}, // and ids go in between again
    };
    CIdTable<std::unique_ptr<int>> table;
    for (const auto& step : steps)
    {
        table.Insert(step.id, step.withValue ? std::make_unique<int>(step.id * 10) : nullptr);
        EXPECT_EQ(Ids(table), step.ids) << "after id " << step.id;
        EXPECT_EQ(table.Size(), step.ids.size()) << "after id " << step.id;
        EXPECT_EQ(table.Contains(step.id), step.withValue);
    }
    for (int id : {1, 2})
        EXPECT_EQ(table.Take(id), nullptr) << id;
    EXPECT_EQ(table.Size(), 2u);
}

TEST(IdTable, ManyRemovalsInAnyOrderKeepTheRest)
{
    // Enough removals to sweep the empty slots out several times, from the
    // front, the back and every third id.
    constexpr int kCount = 3000;
    CIdTable<std::unique_ptr<int>> table;
    for (int id = 0; id < kCount; ++id)
        table.Insert(id, std::make_unique<int>(id * 10));
    std::vector<int> kept;
    for (int id = 0; id < kCount; ++id)
    {
        const bool remove = id < 500 || id >= kCount - 500 || id % 3 == 0;
        if (remove)
            ASSERT_NE(table.Take(id), nullptr) << id;
        else
            kept.push_back(id);
    }
    EXPECT_EQ(Ids(table), kept);
    EXPECT_EQ(table.Size(), kept.size());
    table.Insert(kCount + 5, std::make_unique<int>((kCount + 5) * 10));
    table.Insert(1, std::make_unique<int>(10));
    EXPECT_EQ(*table.Find(kCount + 5)->get(), (kCount + 5) * 10);
    EXPECT_EQ(*table.Find(1)->get(), 10);
    EXPECT_EQ(table.Size(), kept.size() + 2);
}

} // namespace
