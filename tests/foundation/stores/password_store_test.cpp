#include "foundation/stores/PasswordStore.h"

#include "platform/core/DirectoryScan.h"
#include "tests/support/FileContents.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/SameBytes.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace
{
using Entries = std::map<std::string, std::string>;

std::string Fixture(const char* name)
{
    return std::string(TW_FIXTURES_DIR) + "/passwords/" + name;
}

// The entries of golden.bf and golden-master.bf, written by
// tests/fixtures/passwords/make_golden.c (OpenSSL's Blowfish and a scrambler
// of its own) with the save time "01/02/2024 03:04:05".
const Entries kGoldenEntries = {
    {"ftp://anna@files.example.org", "s3cret"},
    {"ftp://dave@ftp.example.com:2121", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0"},
    {"http://bob@example.com:8080/", ""},
    {"http://eve@host/\"odd\"", "7Hq=2Xm9Rd4Kz0Tb5"},
    {"http://frank@example.com", "p@ss \"quoted\" 'single' \\back\\ =equals= and a longer tail"},
    {"https://carol@www.example.net", "abcdefghijklmnopqrstuvwxyz"},
};
const char kGoldenMaster[] = "Wx7!q";

// A store that records what Enumerate hands it.
struct CRecordingStore : CPasswordStore
{
    Entries entries;
    bool Set(std::string_view resource, std::string_view password) override
    {
        entries[std::string(resource)] = std::string(password);
        return true;
    }
};

Entries Contents(CPasswordStore& store)
{
    CRecordingStore recorder;
    store.Enumerate(recorder);
    return recorder.entries;
}

void Fill(CPasswordStore& store, const Entries& entries)
{
    for (const auto& [resource, password] : entries)
        EXPECT_TRUE(store.Set(resource, password)) << resource;
}

std::vector<std::string> FolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    CDirectoryScan scan;
    DirectoryEntry entry;
    if (scan.Open(folder))
        while (scan.Next(entry))
            names.push_back(entry.m_name);
    return names;
}

// The number of bytes a scrambled value stands for: an escape is three
// characters for one byte, any other character one.
size_t ScrambledByteCount(const std::string& scrambled)
{
    size_t count = 0;
    for (size_t i = 0; i < scrambled.size(); i += scrambled[i] == '\\' ? 3 : 1)
        ++count;
    return count;
}

// golden.bf enciphers "OK \r\nTIME = \"01/02/2024 03:04:05\" \r\n..." in
// 8-byte ECB blocks; the date fills bytes 13 to 31, so only blocks 1 to 3
// depend on the save time. A file saved now must equal the golden file
// everywhere else.
::testing::AssertionResult SameApartFromSaveTime(const std::string& saved, const std::string& golden)
{
    if (saved.size() != golden.size())
        return ::testing::AssertionFailure()
               << saved.size() << " bytes where " << golden.size() << " were expected";
    if (saved.compare(0, 8, golden, 0, 8) != 0)
        return ::testing::AssertionFailure() << "first block differs";
    return SameBytes(saved.substr(32), golden.substr(32));
}
} // namespace

TEST(PasswordStoreTest, ResourceNamesIgnoreCase)
{
    CPasswordStore store;
    EXPECT_TRUE(store.Set("FTP://Anna@Host", "one"));
    EXPECT_TRUE(store.Set("ftp://anna@host", "two"));
    std::string password;
    EXPECT_TRUE(store.Get("Ftp://ANNA@host", password));
    EXPECT_EQ(password, "two");
    EXPECT_EQ(Contents(store), (Entries{{"ftp://anna@host", "two"}}));
}

TEST(PasswordStoreTest, GetRemoveAndEmptyNames)
{
    CPasswordStore store;
    EXPECT_FALSE(store.Set("", "x"));
    EXPECT_TRUE(store.Set("site", "secret"));

    std::string password = "untouched";
    EXPECT_FALSE(store.Get("", password));
    EXPECT_EQ(password, "untouched");
    EXPECT_FALSE(store.Get("other", password));
    EXPECT_EQ(password, "");

    EXPECT_FALSE(store.Remove(""));
    EXPECT_TRUE(store.Remove("SITE"));
    EXPECT_FALSE(store.Remove("site"));
    EXPECT_TRUE(Contents(store).empty());
}

TEST(PasswordStoreTest, StampsFollowChangesAndSaves)
{
    CTempFolder folder;
    CPasswordStore store;
    EXPECT_EQ(store.GetStamp(), 0u);
    EXPECT_FALSE(store.IsModified());
    store.RemoveAll(); // nothing to remove: no change
    EXPECT_FALSE(store.IsModified());

    store.Set("a", "1");
    const uint32_t afterSet = store.GetStamp();
    EXPECT_GT(afterSet, 0u);
    EXPECT_TRUE(store.IsModified());

    ASSERT_TRUE(store.Save(folder / "Passwords.bf", ""));
    EXPECT_FALSE(store.IsModified());
    EXPECT_EQ(store.GetStamp(), afterSet);

    // Removing a name that is not there still counts as a change.
    EXPECT_FALSE(store.Remove("missing"));
    EXPECT_GT(store.GetStamp(), afterSet);
    EXPECT_TRUE(store.IsModified());

    ASSERT_TRUE(store.Save(folder / "Passwords.bf", ""));
    const uint32_t beforeLoad = store.GetStamp();
    ASSERT_TRUE(store.Load(folder / "Passwords.bf", ""));
    EXPECT_GT(store.GetStamp(), beforeLoad);
    EXPECT_TRUE(store.IsModified()); // a load renews the change stamp only
}

TEST(PasswordStoreTest, EnumerateCopiesIntoAnotherStore)
{
    CPasswordStore store;
    Fill(store, kGoldenEntries);
    CPasswordStore copy;
    copy.Set("stale", "kept");
    store.Enumerate(copy);
    Entries expected = kGoldenEntries;
    expected["stale"] = "kept";
    EXPECT_EQ(Contents(copy), expected);
}

TEST(PasswordStoreTest, ScrambleRoundTripsAndSizesItsBuffer)
{
    std::string allBytes;
    for (int b = 1; b < 256; ++b)
        allBytes.push_back(static_cast<char>(b));
    const struct
    {
        std::string password;
        size_t bytes;
    } cases[] = {
        {"", 28},
        {"a", 28},
        {std::string(26, 'z'), 28},
        {std::string(27, 'z'), 28},
        {std::string(28, 'z'), 29},
        {"7Hq=2Xm9Rd4Kz0Tb5", 28},
        {"\\41 \"&quot;\r\n\t", 28},
        {allBytes, 256},
        {std::string(100000, '\xAA'), 100001},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.password.substr(0, 30));
        const std::string scrambled = ScrambleValue(c.password);
        EXPECT_EQ(
            scrambled.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ=\\"),
            std::string::npos);
        EXPECT_EQ(ScrambledByteCount(scrambled), c.bytes);
        EXPECT_EQ(DescrambleValue(scrambled), c.password);
    }
    // A zero byte ends the password.
    EXPECT_EQ(DescrambleValue(ScrambleValue(std::string("ab\0cd", 5))), "ab");
}

TEST(PasswordStoreTest, DescrambleOfACutEscapeIsEmpty)
{
    const std::string scrambled = ScrambleValue("x y"); // the blank becomes an escape
    const size_t escape = scrambled.find('\\');
    ASSERT_NE(escape, std::string::npos);
    EXPECT_EQ(DescrambleValue(scrambled.substr(0, escape + 1)), "");
    EXPECT_EQ(DescrambleValue(scrambled.substr(0, escape + 2)), "");
    EXPECT_EQ(DescrambleValue("\\"), "");
    EXPECT_EQ(DescrambleValue(""), "");
}

TEST(PasswordStoreTest, LoadsTheGoldenFiles)
{
    CPasswordStore store;
    bool bad = true;
    ASSERT_TRUE(store.Load(Fixture("golden.bf"), "", &bad));
    EXPECT_FALSE(bad);
    EXPECT_EQ(Contents(store), kGoldenEntries);

    ASSERT_TRUE(store.Load(Fixture("golden-master.bf"), kGoldenMaster, &bad));
    EXPECT_FALSE(bad);
    EXPECT_EQ(Contents(store), kGoldenEntries);
}

TEST(PasswordStoreTest, SavesWhatTheGoldenWriterWrites)
{
    CTempFolder folder;
    CPasswordStore store;
    Fill(store, kGoldenEntries);
    ASSERT_TRUE(store.Save(folder / "plain.bf", ""));
    ASSERT_TRUE(store.Save(folder / "master.bf", kGoldenMaster));
    EXPECT_TRUE(SameApartFromSaveTime(ReadWhole(folder / "plain.bf"), ReadWhole(Fixture("golden.bf"))));
    EXPECT_TRUE(
        SameApartFromSaveTime(ReadWhole(folder / "master.bf"), ReadWhole(Fixture("golden-master.bf"))));
}

TEST(PasswordStoreTest, WrongKeyRaisesTheBadPasswordFlag)
{
    CPasswordStore store;
    store.Set("left", "over");
    bool bad = false;
    EXPECT_FALSE(store.Load(Fixture("golden-master.bf"), "", &bad));
    EXPECT_TRUE(bad);
    EXPECT_TRUE(Contents(store).empty());
    // Not modified: a save on the way out must not replace the file that
    // could not be read with an empty one.
    EXPECT_FALSE(store.IsModified());

    EXPECT_FALSE(store.Load(Fixture("golden.bf"), "not the master", &bad));
    EXPECT_TRUE(bad);
    EXPECT_FALSE(store.Load(Fixture("golden.bf"), "not the master")); // no flag wanted
}

TEST(PasswordStoreTest, RefusesFilesOfTheWrongSizeWithoutDeciphering)
{
    CTempFolder folder;
    const std::string golden = ReadWhole(Fixture("golden.bf"));
    WriteWhole(folder / "empty.bf", "");
    WriteWhole(folder / "odd.bf", golden + "x");
    WriteWhole(folder / "short.bf", golden.substr(0, 7));
    ::mkdir((folder / "folder.bf").c_str(), 0700);

    for (const char* name : {"missing.bf", "empty.bf", "odd.bf", "short.bf", "folder.bf"})
    {
        SCOPED_TRACE(name);
        CPasswordStore store;
        store.Set("left", "over");
        bool bad = true;
        EXPECT_FALSE(store.Load(folder / name, "", &bad));
        EXPECT_FALSE(bad);
        EXPECT_TRUE(Contents(store).empty());
        EXPECT_FALSE(store.IsModified());
    }
}

TEST(PasswordStoreTest, TruncatedFileKeepsTheWholeLinesBeforeTheCut)
{
    CTempFolder folder;
    const std::string golden = ReadWhole(Fixture("golden.bf"));
    // 208 bytes: the OK and TIME lines, the first entry (bytes 36 to 136),
    // and the second cut inside its password (ECB leaves the blocks before
    // the cut intact).
    WriteWhole(folder / "cut.bf", golden.substr(0, 208));
    CPasswordStore store;
    ASSERT_TRUE(store.Load(folder / "cut.bf", ""));
    const Entries loaded = Contents(store);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded.at("ftp://anna@files.example.org"), "s3cret");
    // The cut password descrambles to something other than what was saved.
    EXPECT_NE(loaded.at("ftp://dave@ftp.example.com:2121"), "ABCDEFGHIJKLMNOPQRSTUVWXYZ0");
}

TEST(PasswordStoreTest, HostileLinesAreSkippedOrGiveEmptyPasswords)
{
    // hostile.bf deciphers with the right key to malformed lines (see
    // make_golden.c): damaged escapes, unclosed quotes, names without
    // values, stray bytes and a last line without its end.
    CPasswordStore store;
    bool bad = true;
    ASSERT_TRUE(store.Load(Fixture("hostile.bf"), "", &bad));
    EXPECT_FALSE(bad);
    Entries loaded = Contents(store);
    // Passwords cut inside an escape are empty. Escapes with digits that are
    // not hexadecimal (read as 0), and the last line's unclosed quote that
    // runs into the blank padding, descramble to some other text.
    for (const char* garbled : {"nohex", "noline"})
    {
        ASSERT_EQ(loaded.count(garbled), 1u) << garbled;
        loaded.erase(garbled);
    }
    EXPECT_EQ(loaded, (Entries{{"cut1", ""}, {"cut2", ""}, {"empty", ""}, {"single", ""}}));
}

TEST(PasswordStoreTest, AwkwardNamesAndLongValuesRoundTrip)
{
    CTempFolder folder;
    const Entries entries = {
        {"http://x/\"quoted\"", "p"},
        {"http://x/&quot;already&quot;", "q"},
        {"http://x/&nbsp;&amp;&lt;", "r"},
        {"http://x/?a=1&b=2", "s"},
        {"it's <here> & there", "t"},
        {" leading and trailing ", "u"},
        {"tab\there\rcr", "v"},
        {"rs=\"fake\" ps=\"\"", "w"},
        {"caf\xc3\xa9\xff", "x"},
        {std::string(20000, 'n'), std::string(20000, 'p')},
    };
    CPasswordStore store;
    Fill(store, entries);
    ASSERT_TRUE(store.Save(folder / "Passwords.bf", ""));
    CPasswordStore loaded;
    ASSERT_TRUE(loaded.Load(folder / "Passwords.bf", ""));
    EXPECT_EQ(Contents(loaded), entries);
}

TEST(PasswordStoreTest, NameWithALineFeedIsRefusedAndInjectsNothing)
{
    CTempFolder folder;
    CPasswordStore store;
    store.Set("before", "1");
    EXPECT_FALSE(store.Set("x\"\r\nrs=\"injected\" ps=\"", "2"));
    store.Set("after", "3");
    ASSERT_TRUE(store.Save(folder / "Passwords.bf", ""));
    CPasswordStore loaded;
    ASSERT_TRUE(loaded.Load(folder / "Passwords.bf", ""));
    EXPECT_EQ(Contents(loaded), (Entries{{"after", "3"}, {"before", "1"}}));
}

TEST(PasswordStoreTest, SaveCreatesAPrivateFileAndReplacesTheOldOne)
{
    CTempFolder folder;
    const std::string path = folder / "Passwords.bf";
    WriteWhole(path, "old");
    ::chmod(path.c_str(), 0644);

    CPasswordStore store;
    Fill(store, kGoldenEntries);
    ASSERT_TRUE(store.Save(path, ""));
    struct stat st
    {
    };
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::string>{"Passwords.bf"});

    CPasswordStore loaded;
    ASSERT_TRUE(loaded.Load(path, ""));
    EXPECT_EQ(Contents(loaded), kGoldenEntries);
}

TEST(PasswordStoreTest, FailedSaveKeepsTheOldFileAndReportsFailure)
{
    CTempFolder folder;
    const std::string path = folder / "Passwords.bf";
    CPasswordStore store;
    store.Set("first", "one");
    ASSERT_TRUE(store.Save(path, ""));
    const std::string before = ReadWhole(path);

    // A full disk: the new text is longer than the files may grow.
    Fill(store, kGoldenEntries);
    {
        CFileSizeLimit limit(before.size() + 8);
        EXPECT_FALSE(store.Save(path, ""));
    }
    EXPECT_TRUE(store.IsModified());
    EXPECT_TRUE(SameBytes(ReadWhole(path), before));
    EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::string>{"Passwords.bf"});

    // A folder in the way of the file: the rename fails.
    const std::string blocked = folder / "blocked";
    ASSERT_EQ(::mkdir(blocked.c_str(), 0700), 0);
    WriteWhole(blocked + "/inside", "kept");
    EXPECT_FALSE(store.Save(blocked, ""));
    EXPECT_EQ(ReadWhole(blocked + "/inside"), "kept");
    EXPECT_TRUE(store.IsModified());
    EXPECT_EQ(FolderNames(folder.Path()).size(), 2u); // no temporary file left

    // A folder that does not exist.
    EXPECT_FALSE(store.Save(folder / "no/such/Passwords.bf", ""));

    CPasswordStore loaded;
    ASSERT_TRUE(loaded.Load(path, ""));
    EXPECT_EQ(Contents(loaded), (Entries{{"first", "one"}}));
}

TEST(PasswordStoreTest, MasterPasswordRoundTrip)
{
    CTempFolder folder;
    CPasswordStore store;
    Fill(store, kGoldenEntries);
    ASSERT_TRUE(store.Save(folder / "Passwords.bf", "\x01\xFFmaster"));
    CPasswordStore loaded;
    bool bad = true;
    ASSERT_TRUE(loaded.Load(folder / "Passwords.bf", "\x01\xFFmaster", &bad));
    EXPECT_FALSE(bad);
    EXPECT_EQ(Contents(loaded), kGoldenEntries);
}

TEST(PasswordStoreTest, GlobalStoreIsOneObject)
{
    EXPECT_EQ(&GetPasswordStore(), &GetPasswordStore());
}
