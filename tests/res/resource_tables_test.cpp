// One self-check over the resource tables: ids unique per kind, every
// command a table names exists, every key a menu text shows is an
// accelerator of that window (or of the main window) for the same command,
// toolbars have images for their buttons, and every referenced string and
// image exists.

#include "res/Resources.h"

#include <gtest/gtest.h>

#include <QKeySequence>
#include <QString>

#include <set>
#include <string>

namespace
{
template <class Table, class Id>
void ExpectUniqueIds(const Table& table, Id id, const char* kind)
{
    std::set<UINT> seen;
    for (const auto& entry : table)
        EXPECT_TRUE(seen.insert(id(entry)).second) << kind << " id " << id(entry) << " twice";
}

bool IsCommand(UINT id)
{
    for (const CommandName& command : GetCommands())
    {
        if (command.m_id == id)
            return true;
    }
    return false;
}

// The command of a key in a table; 0 when the table lacks the key.
UINT CommandOfKey(const AcceleratorTableDesc* table, const QKeySequence& key)
{
    if (!table)
        return 0;
    for (const AcceleratorDesc& accelerator : table->m_keys)
    {
        if (QKeySequence(QString::fromUtf8(accelerator.m_keys)) == key)
            return accelerator.m_id;
    }
    return 0;
}

TEST(ResourceTables, IdsAreUniquePerKind)
{
    ExpectUniqueIds(GetStringTable(), [](const StringDesc& s) { return s.m_id; }, "string");
    ExpectUniqueIds(GetCommands(), [](const CommandName& c) { return c.m_id; }, "command");
    ExpectUniqueIds(GetMenus(), [](const MenuDesc& m) { return m.m_id; }, "menu");
    ExpectUniqueIds(GetAcceleratorTables(), [](const AcceleratorTableDesc& a) { return a.m_id; }, "accelerators");
    ExpectUniqueIds(GetToolbars(), [](const ToolbarDesc& t) { return t.m_id; }, "toolbar");
    ExpectUniqueIds(GetDialogs(), [](const DialogDesc& d) { return d.m_id; }, "dialog");
    ExpectUniqueIds(GetBitmaps(), [](const ImageDesc& i) { return i.m_id; }, "bitmap");
    ExpectUniqueIds(GetIcons(), [](const ImageDesc& i) { return i.m_id; }, "icon");
    for (const DialogDesc& dialog : GetDialogs())
    {
        std::set<int> controls;
        for (const ControlDesc& control : dialog.m_controls)
        {
            if (control.m_id != 0)
            {
                EXPECT_TRUE(controls.insert(control.m_id).second)
                    << "dialog " << dialog.m_id << " control " << control.m_id;
            }
        }
    }
    // One number may name resources of several kinds.
    EXPECT_NE(FindMenu(IDR_MAINFRAME), nullptr);
    EXPECT_NE(FindToolbar(IDR_MAINFRAME), nullptr);
    EXPECT_NE(LoadResourceString(IDR_MAINFRAME), nullptr);
    EXPECT_FALSE(LoadIconResource(IDI_MAINFRAME).isNull());
}

TEST(ResourceTables, AcceleratorsNameCommandsAndParse)
{
    for (const AcceleratorTableDesc& table : GetAcceleratorTables())
    {
        std::set<std::string> keys;
        for (const AcceleratorDesc& accelerator : table.m_keys)
        {
            const QKeySequence key(QString::fromUtf8(accelerator.m_keys));
            EXPECT_EQ(key.count(), 1) << accelerator.m_keys;
            EXPECT_FALSE(key.toString().isEmpty()) << accelerator.m_keys << " does not parse";
            EXPECT_TRUE(keys.insert(key.toString().toStdString()).second) << accelerator.m_keys << " twice in " << table.m_id;
            EXPECT_TRUE(IsCommand(accelerator.m_id)) << accelerator.m_keys << " -> " << accelerator.m_id;
        }
        EXPECT_NE(FindMenu(table.m_id), nullptr) << "keys of a window without a menu: " << table.m_id;
    }
}

TEST(ResourceTables, KeysShownInMenusAreAcceleratorsOfTheSameCommand)
{
    const AcceleratorTableDesc* mainKeys = FindAcceleratorTable(IDR_MAINFRAME);
    ASSERT_NE(mainKeys, nullptr);
    size_t checked = 0;
    for (const MenuDesc& menu : GetMenus())
    {
        const AcceleratorTableDesc* ownKeys = FindAcceleratorTable(menu.m_id);
        int level = 0;
        bool afterPopup = true;
        for (const MenuItemDesc& item : menu.m_items)
        {
            EXPECT_TRUE(item.m_level <= level || (afterPopup && item.m_level == level + 1))
                << "menu " << menu.m_id << " skips a level at " << (item.m_text ? item.m_text : "separator");
            level = item.m_level;
            afterPopup = item.m_id == 0 && item.m_text != nullptr;
            if (item.m_id == 0)
                continue;
            EXPECT_TRUE(IsCommand(item.m_id)) << item.m_text;
            const std::string text = item.m_text ? item.m_text : "";
            const size_t tab = text.find('\t');
            if (tab == std::string::npos)
                continue;
            // The menus say "Back" where the key is called Backspace.
            QString shown = QString::fromStdString(text.substr(tab + 1));
            shown.replace(QStringLiteral("Back"), QStringLiteral("Backspace"));
            const QKeySequence key(shown);
            ASSERT_FALSE(key.isEmpty()) << text;
            const UINT own = CommandOfKey(ownKeys, key);
            const UINT command = own ? own : CommandOfKey(mainKeys, key);
            EXPECT_EQ(command, item.m_id) << "menu " << menu.m_id << ": " << text;
            ++checked;
        }
    }
    EXPECT_GT(checked, 40u);
}

TEST(ResourceTables, ToolbarsHaveCommandsAndImagesForEveryButton)
{
    for (const ToolbarDesc& toolbar : GetToolbars())
    {
        int buttons = 0;
        for (UINT id : toolbar.m_buttons)
        {
            if (id == 0)
                continue;
            ++buttons;
            EXPECT_TRUE(IsCommand(id)) << id;
        }
        const QImage strip = LoadBitmapResource(toolbar.m_bitmap);
        ASSERT_FALSE(strip.isNull()) << "toolbar " << toolbar.m_id;
        EXPECT_GE(strip.width() / toolbar.m_imageWidth, buttons) << "toolbar " << toolbar.m_id;
    }
}

TEST(ResourceTables, EveryReferencedStringAndImageExists)
{
    for (const StringDesc& entry : GetStringTable())
        EXPECT_TRUE(entry.m_text && entry.m_text[0]) << entry.m_id;
    for (UINT id : GetReferencedStrings())
        EXPECT_NE(LoadResourceString(id), nullptr) << id;
    for (const ImageDesc& bitmap : GetBitmaps())
    {
        const QImage image = LoadBitmapResource(bitmap.m_id);
        ASSERT_FALSE(image.isNull()) << bitmap.m_path;
        EXPECT_EQ(image.width(), bitmap.m_cellWidth * bitmap.m_cells) << bitmap.m_path;
    }
    for (const ImageDesc& icon : GetIcons())
    {
        const QImage image = LoadIconResource(icon.m_id);
        ASSERT_FALSE(image.isNull()) << icon.m_path;
        EXPECT_EQ(image.width(), icon.m_cellWidth) << icon.m_path;
    }
    EXPECT_TRUE(LoadBitmapResource(1).isNull());
    EXPECT_EQ(LoadResourceString(1), nullptr);
}
} // namespace
