#include "foundation/stores/RefStringMap.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// Counts live nodes, so a test sees exactly which nodes a release freed.
class CCountedNode : public CRefStringMap
{
public:
    CCountedNode() { ++s_live; }
    CRefStringMap* CreateNode() const override { return new CCountedNode(); }
    static int s_live;

protected:
    ~CCountedNode() override { --s_live; }
};
int CCountedNode::s_live = 0;

class RefStringMapTest : public ::testing::Test
{
protected:
    void SetUp() override { CCountedNode::s_live = 0; }
    void TearDown() override { EXPECT_EQ(CCountedNode::s_live, 0); }
};

TEST_F(RefStringMapTest, FindOrCreateAndFind)
{
    CRefStringMap* root = new CCountedNode();
    EXPECT_EQ(root->Find("a"), nullptr);

    CRefStringMap* c = root->FindOrCreate("a/b/c");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(CCountedNode::s_live, 4);
    EXPECT_NE(dynamic_cast<CCountedNode*>(c), nullptr);
    EXPECT_EQ(c->GetName(), "c");
    EXPECT_EQ(c->GetRefCount(), 1);

    CRefStringMap* b = root->Find("a/b");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->GetName(), "b");
    ASSERT_NE(b->GetChildren(), nullptr);
    EXPECT_EQ(b->GetChildren()->at("c"), c);
    EXPECT_EQ(c->GetChildren(), nullptr);

    const struct
    {
        const char* path;
        CRefStringMap* expected;
    } cases[] = {
        {"a\\b", b},      {"/a//b/", b},    {"\\a/b", b},         {"a/b//", b}, {"a/b/c", c},
        {"a/x", nullptr}, {"A/b", nullptr}, {"a/b/c/d", nullptr}, {"", root},   {"//", root},
    };
    for (const auto& item : cases)
        EXPECT_EQ(root->Find(item.path), item.expected) << item.path;

    // Existing levels are reused; only the missing one is added.
    EXPECT_EQ(root->FindOrCreate("\\a\\b\\c\\"), c);
    CRefStringMap* d = root->FindOrCreate("a/b/d");
    EXPECT_EQ(CCountedNode::s_live, 5);
    EXPECT_EQ(root->Find("a/b/d"), d);
    EXPECT_EQ(root->FindOrCreate(""), root);

    EXPECT_EQ(root->Release(), 0);
}

TEST_F(RefStringMapTest, HolderKeepsSubtreeAfterRootRelease)
{
    CRefStringMap* root = new CCountedNode();
    CRefStringMap* b = root->FindOrCreate("a/b");
    root->FindOrCreate("a/b/c");
    root->FindOrCreate("x");
    EXPECT_EQ(b->AddRef(), 2);

    EXPECT_EQ(root->Release(), 0);
    // Root, "a" and "x" are gone; "b" and its child live on.
    EXPECT_EQ(CCountedNode::s_live, 2);
    EXPECT_EQ(b->GetRefCount(), 1);
    ASSERT_NE(b->Find("c"), nullptr);
    EXPECT_EQ(b->Find("c")->GetName(), "c");

    EXPECT_EQ(b->Release(), 0);
}

TEST_F(RefStringMapTest, ClearChildrenReleasesEachChildOnce)
{
    CRefStringMap* root = new CCountedNode();
    CRefStringMap* kept = root->FindOrCreate("kept");
    root->FindOrCreate("dropped/deeper");
    kept->AddRef();
    root->SetValue(7);

    root->ClearChildren();
    EXPECT_EQ(root->GetChildren(), nullptr);
    EXPECT_EQ(root->Find("kept"), nullptr);
    EXPECT_EQ(root->GetValue(), 7);
    EXPECT_EQ(CCountedNode::s_live, 2);
    EXPECT_EQ(kept->Release(), 0);

    // The emptied node takes new children again.
    EXPECT_EQ(root->FindOrCreate("kept")->GetName(), "kept");
    EXPECT_EQ(root->Release(), 0);
}

TEST_F(RefStringMapTest, VeryDeepTreeIsReleasedWithoutDeepRecursion)
{
    constexpr int kDepth = 200000;
    std::string path;
    path.reserve(kDepth * 2);
    for (int i = 0; i < kDepth; ++i)
        path += "a/";

    CRefStringMap* root = new CCountedNode();
    CRefStringMap* leaf = root->FindOrCreate(path);
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(root->Find(path), leaf);
    EXPECT_EQ(CCountedNode::s_live, kDepth + 1);
    EXPECT_EQ(root->Release(), 0);
}
} // namespace
