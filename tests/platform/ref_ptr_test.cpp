// CRefPtr gives back exactly the references it owns: one per owner, however
// it is copied, moved, reset or assigned.
#include <gtest/gtest.h>

#include "platform/core/RefPtr.h"

namespace
{
struct CCounted
{
    int m_refs = 1; // the reference its maker hands out
    bool* m_deleted;
    explicit CCounted(bool* deleted) : m_deleted(deleted) {}
    int AddRef() { return ++m_refs; }
    int Release()
    {
        const int left = --m_refs;
        if (left == 0)
        {
            *m_deleted = true;
            delete this;
        }
        return left;
    }
};
} // namespace

TEST(RefPtr, OwnsExactlyItsReferences)
{
    bool deleted = false;
    auto* object = new CCounted(&deleted);
    {
        auto first = CRefPtr<CCounted>::Adopt(object);
        EXPECT_EQ(object->m_refs, 1);
        CRefPtr<CCounted> copy = first;
        EXPECT_EQ(object->m_refs, 2);
        CRefPtr<CCounted> moved = std::move(copy);
        EXPECT_FALSE(copy);
        EXPECT_EQ(object->m_refs, 2);
        auto shared = CRefPtr<CCounted>::Share(object);
        EXPECT_EQ(object->m_refs, 3);
        shared = first; // the old reference goes, a new one comes
        EXPECT_EQ(object->m_refs, 3);
        moved.Reset();
        EXPECT_EQ(object->m_refs, 2);
        first = first;
        EXPECT_EQ(object->m_refs, 2);
        EXPECT_FALSE(deleted);
    }
    EXPECT_TRUE(deleted);
    CRefPtr<CCounted> empty = CRefPtr<CCounted>::Share(nullptr);
    EXPECT_EQ(empty.Get(), nullptr);
}
