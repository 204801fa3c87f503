#pragma once
// A table from int ids to owning pointers (a raw pointer or a
// std::unique_ptr), for the transfer manager's jobs and the log registry's
// logs: one (id, pointer) pair of 16 bytes each in a vector sorted by id,
// where a map spends a 64-byte node on every entry. Ids are handed out
// counting up, so an insert is almost always an append; a removed entry
// leaves an empty slot that is swept out once empty slots are the larger
// part, so removing every entry one by one stays linear.
//
// Empty pointers are not stored (an empty slot is how a removal shows).
// Not thread-safe: the owner's lock guards it.

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

template <typename Pointer>
class CIdTable
{
public:
    // The slot holding id, or null when id has none.
    Pointer* Find(int id)
    {
        const auto at = LowerBound(id);
        return at != m_slots.end() && at->first == id && at->second ? &at->second : nullptr;
    }
    const Pointer* Find(int id) const { return const_cast<CIdTable*>(this)->Find(id); }
    bool Contains(int id) const { return Find(id) != nullptr; }

    // Stores value under id, replacing (and so destroying, for an owning
    // pointer) what id held; returns id's slot. An empty value is not stored:
    // id is left without an entry and Size does not count it, so a later
    // Take of id finds nothing to undo.
    Pointer& Insert(int id, Pointer value)
    {
        // Ids come counting up: an append needs no search.
        auto at = m_slots.empty() || m_slots.back().first < id ? m_slots.end() : LowerBound(id);
        if (at == m_slots.end() || at->first != id)
        {
            at = m_slots.emplace(at, id, Pointer{});
            ++m_emptySlots;
        }
        if (!at->second && value)
        {
            --m_emptySlots;
            ++m_count;
        }
        else if (at->second && !value)
        {
            --m_count;
            ++m_emptySlots;
        }
        at->second = std::move(value);
        return at->second;
    }

    // Takes id's pointer out of the table (empty when id has none).
    Pointer Take(int id)
    {
        Pointer* slot = Find(id);
        if (!slot)
            return Pointer{};
        Pointer taken = std::move(*slot);
        *slot = Pointer{};
        --m_count;
        ++m_emptySlots;
        if (m_emptySlots > 64 && m_emptySlots > m_slots.size() / 2)
        {
            m_slots.erase(std::remove_if(m_slots.begin(), m_slots.end(), [](const auto& slot) { return !slot.second; }),
                          m_slots.end());
            m_emptySlots = 0;
        }
        return taken;
    }

    // Every stored id and pointer in id order; visit must not change the
    // table.
    template <typename Visit>
    void ForEach(Visit&& visit) const
    {
        for (const auto& [id, pointer] : m_slots)
            if (pointer)
                visit(id, pointer);
    }

    size_t Size() const { return m_count; }
    void Clear()
    {
        m_slots.clear();
        m_count = 0;
        m_emptySlots = 0;
    }

private:
    using Slot = std::pair<int, Pointer>;

    typename std::vector<Slot>::iterator LowerBound(int id)
    {
        return std::lower_bound(m_slots.begin(), m_slots.end(), id,
                                [](const Slot& slot, int wanted) { return slot.first < wanted; });
    }

    std::vector<Slot> m_slots;
    size_t m_count = 0;
    size_t m_emptySlots = 0;
};
