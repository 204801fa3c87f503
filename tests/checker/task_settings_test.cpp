#include "checker/TaskSettings.h"

#include "foundation/properties/PropertyKeyTable.h"
#include "foundation/stores/SettingIds.h"
#include "platform/core/Archive.h"

#include "tests/support/FileContents.h"
#include "tests/support/GoldenFile.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
void ExpectGolden(const std::string& name, const std::string& bytes)
{
    ExpectGoldenFile(std::string(TW_FIXTURES_DIR) + "/checker/" + name, bytes);
}

std::string Store(CTaskSettings& task)
{
    CArchive ar;
    EXPECT_TRUE(task.Serialize(ar));
    return std::string(ar.Data().begin(), ar.Data().end());
}

void Load(CTaskSettings& task, const std::string& bytes)
{
    CArchive ar(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    EXPECT_TRUE(task.Serialize(ar));
}

// Every key away from its default, texts with every character that needs an
// entity.
CTaskSettings EveryKeyTask()
{
    CTaskSettings task("http://example.com/start?a=1&b=<2>");
    task.SetString(TASK_NAME, "Tom's \"site\"");
    task.SetInt(TASK_FAVORITE_ID, 1042);
    task.SetInt(TASK_ENABLE_POST, 1);
    task.SetString(TASK_POST_DATA, "x=1&y=2");
    task.SetInt(TASK_USE_POST_FILE, 1);
    task.SetString(TASK_POST_FILE_PATH, "/home/u/post body.txt");
    task.SetInt(TASK_ENABLE_REFERRER, 1);
    task.SetString(TASK_REFERRER, "http://ref.example/");
    task.SetInt(TASK_ENABLE_INCLUDE, 1);
    task.SetString(TASK_INCLUDE, "*.html");
    task.SetInt(TASK_ENABLE_EXCLUDE, 1);
    task.SetString(TASK_EXCLUDE, "*.zip");
    task.SetInt(TASK_REDIRECT, 1);
    task.SetInt(TASK_RECURSION, 5);
    task.SetInt(TASK_IGNORE_EMPTY, 0);
    task.SetString(TASK_FINISH_ON_MAX_REC, "1");
    task.SetString(TASK_FILTER_TAGS, "0000000A");
    task.SetString(TASK_FILTER_PROTOCOLS, "6");
    task.SetString(TASK_FILTER_CASE_SENSITIVE, "1");
    task.SetString(TASK_FILTER_INCLUDE_ENABLE, "1");
    task.SetString(TASK_FILTER_EXCLUDE_ENABLE, "1");
    task.SetString(TASK_FILTER_INCLUDE, "*/docs/*;*.htm");
    task.SetString(TASK_FILTER_EXCLUDE, "*?print=1");
    task.SetString(TASK_FILTER_EXTERNAL, "1");
    task.SetInt(TASK_ACTION, 3);
    return task;
}

TEST(TaskSettings, DefaultsOfANewTask)
{
    CPropertySet settings;
    settings.SetString(SETTING_MISC_DOWNLOAD_FOLDER, "/home/u/Downloads");
    const CTaskSettings task("http://example.com/", &settings);
    EXPECT_EQ(task.GetUrl(), "http://example.com/");
    EXPECT_EQ(task.GetStringValue(TASK_DOWNLOAD_FOLDER), "/home/u/Downloads");
    EXPECT_EQ(GetIntOr(task, TASK_RECURSION), 1);
    EXPECT_EQ(GetIntOr(task, TASK_IGNORE_EMPTY), 1);
    EXPECT_EQ(task.GetStringValue(TASK_FINISH_ON_MAX_REC), "0");
    EXPECT_EQ(task.GetStringValue(TASK_FILTER_TAGS), "FFFFFFFF");
    EXPECT_EQ(task.GetStringValue(TASK_FILTER_PROTOCOLS), "00000002");
    EXPECT_EQ(task.GetFilter(), CTaskFilter());
    for (int id = 0; id < kTaskFilterIdCount; ++id)
        EXPECT_TRUE(task.Has(id)) << id;
}

TEST(TaskSettings, KeyTableOrderAndRegisteringTwice)
{
    RegisterTaskKeys();
    RegisterTaskKeys();
    const CPropertyKeyTable& table = GetTaskKeyTable();
    ASSERT_EQ(table.GetCount(), 25);
    EXPECT_EQ(table.GetEntry(0).m_name, "URI");
    EXPECT_EQ(table.GetEntry(1).m_name, "Name");
    EXPECT_EQ(table.GetEntry(16).m_name, "FinishOnMaxRec");
    EXPECT_EQ(table.GetEntry(20).m_name, "FilterIncludeEnable");
    EXPECT_EQ(table.GetEntry(22).m_name, "FilterInclude");
    EXPECT_EQ(table.GetEntry(24).m_name, "FilterExternal");
}

TEST(TaskSettings, IntegerFilterIds)
{
    CTaskSettings task;
    task.SetInt(TASK_FILTER_PROTOCOLS, 6);
    task.SetInt(TASK_FILTER_CASE_SENSITIVE, 5);
    int value = 0;
    EXPECT_TRUE(task.GetInt(TASK_FILTER_PROTOCOLS, value));
    EXPECT_EQ(value, 6);
    EXPECT_EQ(task.GetStringValue(TASK_FILTER_PROTOCOLS), "00000006");
    EXPECT_EQ(task.GetStringValue(TASK_FILTER_CASE_SENSITIVE), "1");
    EXPECT_FALSE(task.GetInt(TASK_FILTER_INCLUDE, value)); // the pattern lists have no integer form
}

TEST(TaskSettings, IncludePatternsReadBackAsWritten)
{
    CTaskSettings task;
    task.SetString(TASK_FILTER_INCLUDE, "*.html;*/img/*;");
    EXPECT_EQ(task.GetStringValue(TASK_FILTER_INCLUDE), "*.html;*/img/*;");
    task.SetString(TASK_FILTER_INCLUDE, "*.html;*/img/*");
    EXPECT_EQ(task.GetStringValue(TASK_FILTER_INCLUDE), "*.html;*/img/*;");
}

TEST(TaskSettings, CopyAndReset)
{
    const CTaskSettings task = EveryKeyTask();
    CTaskSettings copy(task);
    EXPECT_EQ(copy.GetFilter(), task.GetFilter());
    EXPECT_EQ(copy.GetStringValue(TASK_NAME), "Tom's \"site\"");
    EXPECT_EQ(GetIntOr(copy, TASK_ACTION), 3);

    copy.Reset();
    EXPECT_EQ(copy.GetFilter(), CTaskFilter());
    EXPECT_EQ(copy.GetStringValue(TASK_URI), "");
    EXPECT_FALSE(copy.CPropertySet::Has(TASK_RECURSION)); // no defaults applied again
    EXPECT_EQ(task.GetStringValue(TASK_FILTER_INCLUDE), "*/docs/*;*.htm;");
}

TEST(ProjectFile, DefaultTaskIsGolden)
{
    CTaskSettings task;
    const std::string bytes = Store(task);
    EXPECT_NE(bytes.find("<Item  />"), std::string::npos) << bytes;
    ExpectGolden("default_task.vbb", bytes);
}

TEST(ProjectFile, EveryKeyTaskIsGoldenAndReadsBack)
{
    CTaskSettings task = EveryKeyTask();
    const std::string bytes = Store(task);
    ExpectGolden("every_key_task.vbb", bytes);

    CTaskSettings loaded;
    Load(loaded, bytes);
    const CPropertyKeyTable& table = GetTaskKeyTable();
    for (int i = 0; i < table.GetCount(); ++i)
    {
        const int id = table.GetEntry(i).m_id;
        EXPECT_EQ(loaded.GetStringValue(id), task.GetStringValue(id)) << table.GetEntry(i).m_name;
    }
    EXPECT_EQ(loaded.GetFilter(), task.GetFilter());
    // The action and the download folder have no key.
    EXPECT_FALSE(loaded.CPropertySet::Has(TASK_ACTION));
    EXPECT_EQ(Store(loaded), bytes);
}

TEST(ProjectFile, ZerosThatDifferFromTheirDefaultsSurvive)
{
    CTaskSettings task("http://h/");
    task.SetInt(TASK_RECURSION, 0);
    task.SetInt(TASK_IGNORE_EMPTY, 0);
    const std::string bytes = Store(task);
    EXPECT_NE(bytes.find("Recursion=\"0\" IgnoreEmpty=\"0\""), std::string::npos) << bytes;
    CTaskSettings loaded;
    Load(loaded, bytes);
    EXPECT_EQ(GetIntOr(loaded, TASK_RECURSION, -1), 0);
    EXPECT_EQ(GetIntOr(loaded, TASK_IGNORE_EMPTY, -1), 0);
}

TEST(ProjectFile, DownloadFolderIsNotSaved)
{
    CPropertySet settings;
    settings.SetString(SETTING_MISC_DOWNLOAD_FOLDER, "/dl");
    CTaskSettings task("http://h/", &settings);
    CTaskSettings loaded;
    Load(loaded, Store(task));
    EXPECT_EQ(loaded.GetStringValue(TASK_DOWNLOAD_FOLDER), "");
    EXPECT_EQ(loaded.GetUrl(), "http://h/");
}

TEST(ProjectFile, HandWrittenFile)
{
    const std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<Favorite>X-Favorite\n"
                             "  <Item Colour=\"blue\" URI='http://h/a?x=1&amp;y=2' Name=\"&lt;Tom&apos;s&gt; &quot;x&quot;\"\n"
                             "        Recursion=7 uri=\"http://ignored/\" FilterProtocols=\"0x06\"\n"
                             "        FilterInclude=\"*.html;*.htm\" Unknown />\n"
                             "</Favorite>\n";
    CTaskSettings task;
    task.SetString(TASK_REFERRER, "kept");
    Load(task, text);
    EXPECT_EQ(task.GetUrl(), "http://h/a?x=1&y=2");
    EXPECT_EQ(task.GetStringValue(TASK_NAME), "<Tom's> \"x\"");
    EXPECT_EQ(GetIntOr(task, TASK_RECURSION), 7);
    EXPECT_EQ(task.GetFilter().m_protocolMask, 6);
    EXPECT_EQ(task.GetStringValue(TASK_FILTER_INCLUDE), "*.html;*.htm;");
    EXPECT_EQ(task.GetStringValue(TASK_REFERRER), "kept");
    EXPECT_EQ(GetIntOr(task, TASK_IGNORE_EMPTY), 1);
}

TEST(ProjectFile, WithoutDeclarationOrItemNothingIsRead)
{
    const char* files[] = {
        "<Favorite>X-Favorite<Item URI=\"http://x/\" /></Favorite>",
        "<?xml version=\"1.0\"?><Favorite>X-Favorite<Entry URI=\"http://x/\" /></Favorite>",
        "",
        "not markup at all",
    };
    for (const char* file : files)
    {
        CTaskSettings task("http://start/");
        Load(task, file);
        EXPECT_EQ(task.GetUrl(), "http://start/") << file;
        EXPECT_EQ(GetIntOr(task, TASK_RECURSION), 1) << file;
    }
}

TEST(ProjectFile, SerializeLoadsOverTheTasksValues)
{
    CTaskSettings task;
    task.SetString(TASK_URI, "http://x/");
    task.SetInt(TASK_RECURSION, 3);
    CTaskSettings other("http://other/");
    other.SetString(TASK_NAME, "keep me");
    Load(other, Store(task));
    EXPECT_EQ(other.GetUrl(), "http://x/");
    EXPECT_EQ(GetIntOr(other, TASK_RECURSION), 3);
    EXPECT_EQ(other.GetStringValue(TASK_NAME), "keep me");
}
} // namespace
