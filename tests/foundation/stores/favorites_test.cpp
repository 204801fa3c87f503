#include "foundation/stores/Favorites.h"

#include "foundation/desktop/AppIdentity.h"
#include "foundation/files/DirectoryTree.h"
#include "foundation/files/FileSystem.h"
#include "foundation/properties/PropertySet.h"
#include "foundation/stores/SettingIds.h"
#include "foundation/stores/Settings.h"
#include "foundation/desktop/ShellHooks.h"
#include "tests/support/FileContents.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TemporaryDataFolder.h"
#include "tests/support/XmlLint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <string>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace
{
std::vector<std::pair<unsigned, int64_t>> g_broadcasts;

void RecordBroadcast(unsigned code, int64_t argument)
{
    g_broadcasts.emplace_back(code, argument);
}

// A tree control that records what it is told.
class CRecordingTree : public IFavoritesTreeControl
{
public:
    struct Entry
    {
        Item m_parent;
        std::string m_text;
        int m_image;
        int m_selectedImage;
        CXmlNode* m_node;
    };

    Item InsertItem(Item parent, const std::string& text, int image, int selectedImage,
                    CXmlNode* node) override
    {
        m_items.push_back({parent, text, image, selectedImage, node});
        const Item item = static_cast<Item>(m_items.size());
        m_children[parent].push_back(item);
        return item;
    }
    void Expand(Item item) override { m_expanded.push_back(item); }
    void SelectItem(Item item) override { m_selected.push_back(item); }
    std::vector<Item> GetChildren(Item parent) override { return m_children[parent]; }
    CXmlNode* GetItemNode(Item item) override { return m_items.at(static_cast<size_t>(item) - 1).m_node; }
    void SetChildOrder(Item parent, const std::vector<Item>& children) override
    {
        std::vector<Item> before = m_children[parent];
        std::vector<Item> after = children;
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        EXPECT_EQ(before, after) << "an order of other items";
        m_children[parent] = children;
    }

    // The texts of parent's children in their order.
    std::vector<std::string> ChildTexts(Item parent)
    {
        std::vector<std::string> texts;
        for (Item child : m_children[parent])
            texts.push_back(m_items.at(static_cast<size_t>(child) - 1).m_text);
        return texts;
    }

    std::vector<Entry> m_items;
    std::map<Item, std::vector<Item>> m_children;
    std::vector<Item> m_expanded;
    std::vector<Item> m_selected;
};

class FavoritesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UseTemporaryDataFolder(m_env, m_temp, GetAppIdentity());
        g_broadcasts.clear();
        SetInstanceBroadcastHook(RecordBroadcast);
        FreeFavorites();
        ASSERT_TRUE(CreateDirectoryTree(DataFolder()));
    }

    void TearDown() override
    {
        FreeFavorites();
        SetInstanceBroadcastHook(nullptr);
        GetSettings().Remove(SETTING_LAYOUT_LAST_FAVORITE_SITE);
        // Forget the data folder derived below the temporary folder.
        GetAppIdentity().SetString(CAppIdentity::kCompany, "Quorvat Software");
    }

    std::string DataFolder() const { return m_temp / "data/Quorvat Software/Tanglewarden"; }
    std::string FavoritesXml() const { return DataFolder() + "/Favorites.xml"; }

    std::vector<std::string> DataFolderEntries() const
    {
        std::vector<std::string> files;
        std::vector<std::string> folders;
        ListDirectory(DataFolder(), files, folders, "*");
        files.insert(files.end(), folders.begin(), folders.end());
        return files;
    }

    CTempFolder m_temp;
    ScopedEnvironment m_env;
};

const char kWrittenFavorites[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<Favorites>\r\n"
    "  X-Favorites\r\n"
    "  <Folder Name=\"Tools &amp; &quot;things&quot; &lt;x&gt;\" ID=\"1000\">\r\n"
    "    <Item Name=\"Caf\xC3\xA9 \xE2\x98\x95 &apos;q&apos;\" ID=\"1001\" "
    "Task=\"URL=&quot;http://h/?a=1&amp;b=2&quot;\"/>\r\n"
    "  </Folder>\r\n"
    "</Favorites>\r\n";
} // namespace

TEST_F(FavoritesTest, SavedFileHasItsLayoutAndReadsBack)
{
    EXPECT_FALSE(LoadFavorites()); // no file yet: the default tree
    CXmlNode* top = GetFavoritesRoot();
    ASSERT_NE(top, nullptr);
    CXmlNode* folder = top->AddChild("Folder", "Name", "Tools & \"things\" <x>", CXmlNode::kElement);
    folder->SetAttribute("ID", "1000", true);
    CXmlNode* item =
        folder->AddChild("Item", "Name", "Caf\xC3\xA9 \xE2\x98\x95 'q'", CXmlNode::kEmptyElement);
    item->SetAttribute("ID", "1001", true);
    item->SetAttribute("Task", "URL=\"http://h/?a=1&b=2\"", true);

    ASSERT_TRUE(SaveFavorites());
    EXPECT_EQ(ReadWhole(FavoritesXml()), kWrittenFavorites);
    EXPECT_TRUE(IsWellFormedXml(FavoritesXml()));
    EXPECT_EQ(g_broadcasts, (std::vector<std::pair<unsigned, int64_t>>{{kBroadcastFavoritesSaved, 0}}));
    struct stat st
    {
    };
    ASSERT_EQ(::stat(FavoritesXml().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0077, 0u);

    FreeFavorites();
    EXPECT_EQ(GetFavoritesRoot(), nullptr);
    ASSERT_TRUE(LoadFavorites());
    top = GetFavoritesRoot();
    ASSERT_NE(top, nullptr);
    folder = top->FindChild("Folder", true, {}, {}, CXmlNode::kElement, true);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(GetFavoriteName(folder), "Tools & \"things\" <x>");
    EXPECT_EQ(GetFavoriteId(folder), "1000");
    item = folder->GetChild(0);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(GetFavoriteName(item), "Caf\xC3\xA9 \xE2\x98\x95 'q'");
    EXPECT_EQ(item->GetAttribute("Task", true), "URL=\"http://h/?a=1&b=2\"");

    // The loaded tree is written back byte for byte.
    ASSERT_TRUE(SaveFavoritesToFile(m_temp / "again/Favorites.xml"));
    EXPECT_EQ(ReadWhole(m_temp / "again/Favorites.xml"), kWrittenFavorites);
}

TEST_F(FavoritesTest, FilesThatAreNotFavouritesGiveTheDefaultTree)
{
    const char* const cases[] = {
        "",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Other>\r\n  X-Favorites\r\n</Other>\r\n",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<favorites>\r\n  X-Favorites\r\n</favorites>\r\n",
        // Parsing stops at the end tag that does not close "Folder".
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Favorites>\r\n  <Folder "
        "Name=\"a\">\r\n</Favorites>\r\n",
    };
    for (const char* content : cases)
    {
        SCOPED_TRACE(content);
        WriteWhole(m_temp / "f.xml", content);
        EXPECT_TRUE(LoadFavoritesFromFile(m_temp / "f.xml"));
        const CXmlNode* top = GetFavoritesRoot();
        ASSERT_NE(top, nullptr);
        EXPECT_EQ(top->GetName(), "Favorites");
        ASSERT_EQ(top->GetChildCount(), 1u);
        EXPECT_EQ(top->GetChild(0)->GetMarkup(), "X-Favorites");
        EXPECT_EQ(NewFavoriteId(), "1000");
        // The file is left as it was until the next save.
        EXPECT_EQ(ReadWhole(m_temp / "f.xml"), content);
        EXPECT_EQ(GetDamagedFavoritesFile(), m_temp / "f.xml");
    }
    EXPECT_FALSE(LoadFavoritesFromFile(m_temp / "missing.xml"));
    EXPECT_EQ(GetDamagedFavoritesFile(), "") << "a missing file is not damaged";
    ASSERT_NE(GetFavoritesRoot(), nullptr);
    EXPECT_EQ(GetFavoritesRoot()->GetName(), "Favorites");
    EXPECT_TRUE(g_broadcasts.empty());
}

TEST_F(FavoritesTest, ADamagedFileIsRenamedAsideBeforeASaveNotOverwritten)
{
    // A real file cut off at two places, damaged one after the other: each is
    // kept whole under its own name, and the saves write the new tree.
    const std::string whole = kWrittenFavorites;
    const struct
    {
        size_t length;
        const char* keptAs;
    } cases[] = {
        {whole.size() / 2, "/Favorites.xml.bad"},
        {whole.find("  </Folder>"), "/Favorites.xml.bad2"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.keptAs);
        const std::string damaged = whole.substr(0, c.length);
        WriteWhole(FavoritesXml(), damaged);
        ASSERT_TRUE(LoadFavorites());
        EXPECT_EQ(GetDamagedFavoritesFile(), FavoritesXml());
        GetFavoritesRoot()->AddChild("Item", "Name", c.keptAs, CXmlNode::kEmptyElement);
        ASSERT_TRUE(SaveFavorites());
        EXPECT_EQ(ReadWhole(DataFolder() + c.keptAs), damaged);

        FreeFavorites();
        ASSERT_TRUE(LoadFavorites());
        EXPECT_EQ(GetDamagedFavoritesFile(), "");
        EXPECT_EQ(GetFavoriteName(GetFavoritesRoot()->FindChild("Item", true, {}, {}, CXmlNode::kEmptyElement, true)),
                  c.keptAs);
        // Read whole now: a further save replaces it in place.
        ASSERT_TRUE(SaveFavorites());
    }
    EXPECT_EQ(ReadWhole(DataFolder() + "/Favorites.xml.bad"), whole.substr(0, cases[0].length));
    std::vector<std::string> entries = DataFolderEntries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"Favorites.xml", "Favorites.xml.bad", "Favorites.xml.bad2"}));
}

// Root reads every file whatever its mode. While this lives the calling
// thread does without that power (capabilities are per thread), so a file
// without read permission cannot be opened, as for any other user.
class CNoFileAccessOverride
{
public:
    CNoFileAccessOverride()
    {
        m_ok = ::syscall(SYS_capget, &m_header, m_saved) == 0;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_ok = m_ok && ::syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~CNoFileAccessOverride()
    {
        if (m_ok)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    CNoFileAccessOverride(const CNoFileAccessOverride&) = delete;
    CNoFileAccessOverride& operator=(const CNoFileAccessOverride&) = delete;

    bool Ok() const { return m_ok; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_ok = false;
};

// A file that is there but cannot be opened is as unreadable as a damaged
// one: the save keeps it aside rather than write the empty tree over the
// user's favourites.
TEST_F(FavoritesTest, AFileThatCannotBeOpenedIsKeptAsideNotOverwritten)
{
    WriteWhole(FavoritesXml(), kWrittenFavorites);
    ASSERT_EQ(::chmod(FavoritesXml().c_str(), 0), 0);
    {
        CNoFileAccessOverride noOverride;
        ASSERT_TRUE(noOverride.Ok());
        EXPECT_FALSE(LoadFavorites());
    }
    EXPECT_EQ(GetDamagedFavoritesFile(), FavoritesXml());
    ASSERT_TRUE(SaveFavorites());
    EXPECT_EQ(ReadWhole(FavoritesXml() + ".bad"), kWrittenFavorites);
    FreeFavorites();
    ASSERT_TRUE(LoadFavorites());
    EXPECT_EQ(GetDamagedFavoritesFile(), "");
}

TEST_F(FavoritesTest, ShowingAssignsMissingAndRepeatedIdsFrom1000AndSavesOnce)
{
    WriteWhole(FavoritesXml(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                               "<Favorites>\r\n"
                               "  X-Favorites\r\n"
                               "  <Folder Name=\"A\">\r\n"
                               "    <Item Name=\"a1\" ID=\"1001\"/>\r\n"
                               "    <Item Name=\"a2\" ID=\"1001\"/>\r\n"
                               "  </Folder>\r\n"
                               "  <Note>not shown</Note>\r\n"
                               "  <Item Name=\"b\"/>\r\n"
                               "</Favorites>\r\n");
    GetSettings().SetString(SETTING_LAYOUT_LAST_FAVORITE_SITE, "1001");
    ASSERT_TRUE(LoadFavorites());
    CRecordingTree tree;
    FillFavoritesTree(tree);

    struct Expected
    {
        IFavoritesTreeControl::Item m_parent;
        const char* m_text;
        int m_image;
        const char* m_id;
    };
    const Expected expected[] = {
        {0, "All", 0, ""},    {1, "A", 0, "1000"}, {2, "a1", 1, "1001"},
        {2, "a2", 1, "1002"}, {1, "b", 1, "1003"},
    };
    ASSERT_EQ(tree.m_items.size(), std::size(expected));
    for (size_t i = 0; i < tree.m_items.size(); ++i)
    {
        SCOPED_TRACE(i);
        const CRecordingTree::Entry& entry = tree.m_items[i];
        EXPECT_EQ(entry.m_parent, expected[i].m_parent);
        EXPECT_EQ(entry.m_text, expected[i].m_text);
        EXPECT_EQ(entry.m_image, expected[i].m_image);
        EXPECT_EQ(entry.m_selectedImage, expected[i].m_image);
        EXPECT_EQ(GetFavoriteId(entry.m_node), expected[i].m_id);
    }
    EXPECT_EQ(tree.m_items[0].m_node, nullptr);
    EXPECT_EQ(tree.m_selected, (std::vector<IFavoritesTreeControl::Item>{1, 3}));
    EXPECT_EQ(tree.m_expanded.front(), 1);
    EXPECT_EQ(g_broadcasts, (std::vector<std::pair<unsigned, int64_t>>{{kBroadcastFavoritesSaved, 0}}));
    EXPECT_TRUE(IsWellFormedXml(FavoritesXml()));

    // The saved file holds the ids: showing it again changes and saves nothing.
    const std::string saved = ReadWhole(FavoritesXml());
    EXPECT_NE(saved.find("<Item Name=\"a2\" ID=\"1002\"/>"), std::string::npos) << saved;
    FreeFavorites();
    ASSERT_TRUE(LoadFavorites());
    CRecordingTree again;
    FillFavoritesTree(again);
    ASSERT_EQ(again.m_items.size(), std::size(expected));
    for (size_t i = 0; i < again.m_items.size(); ++i)
        EXPECT_EQ(GetFavoriteId(again.m_items[i].m_node), expected[i].m_id);
    EXPECT_EQ(g_broadcasts.size(), 1u);
    EXPECT_EQ(ReadWhole(FavoritesXml()), saved);
    // New ids go on past those in use.
    EXPECT_EQ(NewFavoriteId(), "1004");
    EXPECT_EQ(NewFavoriteId(), "1005");
}

TEST_F(FavoritesTest, WithoutAStoreNothingIsShownSavedOrNumbered)
{
    CRecordingTree tree;
    FillFavoritesTree(tree);
    EXPECT_TRUE(tree.m_items.empty());
    EXPECT_EQ(NewFavoriteId(), "");
    EXPECT_EQ(GetFavoritesRoot(), nullptr);
    EXPECT_FALSE(SaveFavorites());
    EXPECT_FALSE(SaveFavoritesToFile(m_temp / "f.xml"));
    EXPECT_TRUE(DataFolderEntries().empty());
    EXPECT_FALSE(FileExists(m_temp / "f.xml"));
    EXPECT_TRUE(g_broadcasts.empty());
}

TEST_F(FavoritesTest, FailedSaveKeepsTheOldFile)
{
    LoadFavorites();
    ASSERT_TRUE(SaveFavorites());
    const std::string old = ReadWhole(FavoritesXml());
    for (int i = 0; i < 50; ++i)
        GetFavoritesRoot()->AddChild("Item", "Name", "a favourite with a long name", CXmlNode::kEmptyElement);
    g_broadcasts.clear();
    {
        CFileSizeLimit limit(64);
        EXPECT_FALSE(SaveFavorites());
    }
    EXPECT_EQ(ReadWhole(FavoritesXml()), old);
    EXPECT_EQ(DataFolderEntries(), std::vector<std::string>{"Favorites.xml"});

    // A folder where the file should be stays a folder.
    ASSERT_EQ(::mkdir((m_temp / "taken.xml").c_str(), 0700), 0);
    EXPECT_FALSE(SaveFavoritesToFile(m_temp / "taken.xml"));
    EXPECT_TRUE(DirectoryExists(m_temp / "taken.xml"));
    EXPECT_TRUE(g_broadcasts.empty());
}

TEST(FavoriteNames, CompareIgnoresCaseAndOrdersMissingNodesFirst)
{
    std::unique_ptr<CXmlNode> root = CXmlNode::Create();
    CXmlNode* abc = root->AddChild("Item", "Name", "abc", CXmlNode::kEmptyElement);
    CXmlNode* abcUpper = root->AddChild("Item", "Name", "ABC", CXmlNode::kEmptyElement);
    CXmlNode* abd = root->AddChild("Item", "Name", "ABD", CXmlNode::kEmptyElement);
    CXmlNode* unnamed = root->AddChild("Item", {}, {}, CXmlNode::kEmptyElement);

    EXPECT_EQ(CompareFavoriteNames(nullptr, abc), -1);
    EXPECT_EQ(CompareFavoriteNames(nullptr, nullptr), -1);
    EXPECT_EQ(CompareFavoriteNames(abc, nullptr), 1);
    EXPECT_EQ(CompareFavoriteNames(abc, abcUpper), 0);
    EXPECT_LT(CompareFavoriteNames(abc, abd), 0);
    EXPECT_GT(CompareFavoriteNames(abd, abcUpper), 0);
    EXPECT_LT(CompareFavoriteNames(unnamed, abc), 0);
}

TEST_F(FavoritesTest, SortingOrdersEveryLevelByNameWithUnnamedItemsFirst)
{
    WriteWhole(FavoritesXml(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                               "<Favorites>\r\n"
                               "  X-Favorites\r\n"
                               "  <Item Name=\"delta\" ID=\"1\"/>\r\n"
                               "  <Folder Name=\"Bravo\" ID=\"2\">\r\n"
                               "    <Item Name=\"zulu\" ID=\"3\"/>\r\n"
                               "    <Folder Name=\"Inner\" ID=\"4\">\r\n"
                               "      <Item Name=\"y\" ID=\"5\"/>\r\n"
                               "      <Item Name=\"X\" ID=\"6\"/>\r\n"
                               "    </Folder>\r\n"
                               "    <Item Name=\"ALPHA\" ID=\"7\"/>\r\n"
                               "  </Folder>\r\n"
                               "  <Item Name=\"alpha\" ID=\"8\"/>\r\n"
                               "  <Item Name=\"Charlie\" ID=\"9\"/>\r\n"
                               "</Favorites>\r\n");
    ASSERT_TRUE(LoadFavorites());
    CRecordingTree tree;
    FillFavoritesTree(tree);
    // Two items the user is still naming have no node yet.
    const IFavoritesTreeControl::Item all = 1;
    tree.InsertItem(all, "new 1", 0, 0, nullptr);
    tree.InsertItem(all, "new 2", 1, 1, nullptr);

    SortTreeRecursive(tree, CompareFavoriteNames);
    EXPECT_EQ(tree.ChildTexts(0), std::vector<std::string>{"All"});
    EXPECT_EQ(tree.ChildTexts(all),
              (std::vector<std::string>{"new 1", "new 2", "alpha", "Bravo", "Charlie", "delta"}));
    const IFavoritesTreeControl::Item bravo = 3;
    ASSERT_EQ(tree.m_items[bravo - 1].m_text, "Bravo");
    EXPECT_EQ(tree.ChildTexts(bravo), (std::vector<std::string>{"ALPHA", "Inner", "zulu"}));
    const IFavoritesTreeControl::Item inner = 5;
    ASSERT_EQ(tree.m_items[inner - 1].m_text, "Inner");
    EXPECT_EQ(tree.ChildTexts(inner), (std::vector<std::string>{"X", "y"}));

    // Sorting one item's children touches no other level.
    tree.SetChildOrder(inner, {tree.m_children[inner][1], tree.m_children[inner][0]});
    tree.SetChildOrder(bravo,
                       {tree.m_children[bravo][2], tree.m_children[bravo][1], tree.m_children[bravo][0]});
    SortTreeChildren(tree, CompareFavoriteNames, bravo);
    EXPECT_EQ(tree.ChildTexts(bravo), (std::vector<std::string>{"ALPHA", "Inner", "zulu"}));
    EXPECT_EQ(tree.ChildTexts(inner), (std::vector<std::string>{"y", "X"}));
}

namespace
{
int g_dialogCommand = 0;
std::vector<std::string> g_openedTasks;

int RunFakeDialog(CPropertySet& task)
{
    task.SetString(1, "http://chosen/");
    return g_dialogCommand;
}

void RecordOpenedTask(const CPropertySet& task)
{
    g_openedTasks.push_back(task.GetStringValue(1));
}
} // namespace

TEST(FavoritesDialog, OnlyTheTaskCommandsOpenTheChosenTask)
{
    SetFavoritesDialogHook(RunFakeDialog);
    SetOpenTaskDocumentHook(RecordOpenedTask);
    const std::pair<int, bool> cases[] = {{255, true}, {1104, true}, {1105, true},
                                          {1, false},  {2, false},   {0, false}};
    for (const auto& [command, opens] : cases)
    {
        SCOPED_TRACE(command);
        g_dialogCommand = command;
        g_openedTasks.clear();
        RunFavoritesDialog();
        EXPECT_EQ(g_openedTasks,
                  opens ? std::vector<std::string>{"http://chosen/"} : std::vector<std::string>{});
    }
    SetFavoritesDialogHook(nullptr);
    SetOpenTaskDocumentHook(nullptr);
    g_openedTasks.clear();
    RunFavoritesDialog(); // no dialog installed: nothing happens
    EXPECT_TRUE(g_openedTasks.empty());
}
