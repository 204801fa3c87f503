#include "foundation/files/GzipReader.h"

#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"
#include "tests/support/SameBytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <spawn.h>
#include <string>
#include <sys/time.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace
{
// Compresses path with the system gzip into path + ".gz", keeping path.
// noName: "-n" (no stored name, MTIME 0), else "-N" (name and date stored).
bool RunGzip(const std::string& path, bool noName)
{
    std::vector<std::string> args = {"gzip", "-k", "-f", noName ? "-n" : "-N", "--", path};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "gzip", nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Writes content to dir/name and returns the path of its gzip file.
std::string MakeGzip(const CTempFolder& dir, const std::string& name, const std::string& content,
                     bool noName = true)
{
    WriteWhole(dir / name, content);
    EXPECT_TRUE(RunGzip(dir / name, noName)) << "the system gzip failed";
    return dir / name + ".gz";
}

// Bytes with little repetition, so the compressed form is about as long as
// the data and a block out of place shows.
std::string Pattern(size_t n)
{
    std::string s(n, '\0');
    uint32_t x = 12345;
    for (size_t i = 0; i < n; ++i)
    {
        x = x * 1103515245u + 12345u;
        s[i] = char(x >> 24);
    }
    return s;
}

class CRecordingSink : public IGunzipSink
{
public:
    bool Begin(const std::string& name, uint32_t modifiedTime, uint32_t size) override
    {
        ++m_begins;
        m_name = name;
        m_modifiedTime = modifiedTime;
        m_size = size;
        return m_acceptBegin;
    }
    int32_t Write(const void* bytes, int32_t count) override
    {
        m_blockSizes.push_back(count);
        const int32_t take = int(m_blockSizes.size()) == m_shortWriteAt ? count - 1 : count;
        m_data.append(static_cast<const char*>(bytes), size_t(take));
        return take;
    }
    bool IsCancelled() override { return int(m_blockSizes.size()) >= m_cancelAfter; }

    // Settings.
    bool m_acceptBegin = true;
    int m_shortWriteAt = -1; // 1-based Write that takes one byte less
    int m_cancelAfter = 1 << 30;

    // What arrived.
    int m_begins = 0;
    std::string m_name;
    uint32_t m_modifiedTime = 0;
    uint32_t m_size = 0;
    std::vector<int32_t> m_blockSizes;
    std::string m_data;
};

// A gzip file built from the deflate data and trailer of an "-n" file with
// the given extra field and stored name inserted into its header.
std::string WithExtraAndName(const std::string& plainGzip, const std::string& extra, const std::string& name)
{
    std::string header = plainGzip.substr(0, 10);
    header[3] = char(header[3] | 0x04 | 0x08);
    header += char(extra.size() & 0xFF);
    header += char(extra.size() >> 8);
    header += extra;
    header += name;
    header += '\0';
    return header + plainGzip.substr(10);
}
} // namespace

TEST(GzipReader, StoredNameAndDateFollowTheGzipOptions)
{
    CTempFolder dir;
    const std::string content = "Hello, gzip.\n";
    WriteWhole(dir / "sample.txt", content);
    const time_t stamp = 1234567890;
    const timeval times[2] = {{stamp, 0}, {stamp, 0}};
    ASSERT_EQ(::utimes((dir / "sample.txt").c_str(), times), 0);

    const struct
    {
        bool noName;
        const char* name;
        uint32_t modifiedTime;
    } cases[] = {{true, "", 0}, {false, "sample.txt", uint32_t(stamp)}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.noName ? "gzip -n" : "gzip -N");
        ASSERT_TRUE(RunGzip(dir / "sample.txt", c.noName));
        const std::string gz = dir / "sample.txt.gz";
        std::string name = "old";
        uint32_t modifiedTime = 1;
        uint32_t size = 0;
        ASSERT_EQ(ReadGzipHeader(gz, name, modifiedTime, size), kGzipHeaderOk);
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(modifiedTime, c.modifiedTime);
        EXPECT_EQ(size, content.size());

        CRecordingSink sink;
        EXPECT_EQ(GunzipFile(gz, sink), 0);
        EXPECT_EQ(sink.m_begins, 1);
        EXPECT_EQ(sink.m_name, c.name);
        EXPECT_EQ(sink.m_modifiedTime, c.modifiedTime);
        EXPECT_EQ(sink.m_size, content.size());
        EXPECT_EQ(sink.m_data, content);
    }
}

TEST(GzipReader, InflatesEveryByteOfManyBlocks)
{
    CTempFolder dir;
    const std::string content = Pattern(3 * 65536 + 1234);
    const std::string gz = MakeGzip(dir, "big.bin", content);

    CRecordingSink sink;
    ASSERT_EQ(GunzipFile(gz, sink), 0);
    EXPECT_EQ(sink.m_size, content.size());
    EXPECT_TRUE(SameBytes(sink.m_data, content));
    ASSERT_GE(sink.m_blockSizes.size(), 4u);
    for (int32_t block : sink.m_blockSizes)
        EXPECT_LE(block, 65536);
}

TEST(GzipReader, EmptyDataGivesBeginAndNoWrite)
{
    CTempFolder dir;
    const std::string gz = MakeGzip(dir, "empty.txt", "");
    CRecordingSink sink;
    EXPECT_EQ(GunzipFile(gz, sink), 0);
    EXPECT_EQ(sink.m_begins, 1);
    EXPECT_EQ(sink.m_size, 0u);
    EXPECT_TRUE(sink.m_blockSizes.empty());
}

TEST(GzipReader, ExtraFieldIsSkippedToTheStoredName)
{
    CTempFolder dir;
    const std::string content = "inside\n";
    const std::string plain = ReadWhole(MakeGzip(dir, "a.txt", content));
    const struct
    {
        std::string extra;
        std::string name;
        std::string expectedName;
    } cases[] = {
        {std::string(300, 'x'), "inner.txt", "inner.txt"},
        {"", "", ""},
        // A name longer than any file name is cut, and the data still found.
        {"", std::string(10000, 'n'), std::string(kGzipMaxStoredName, 'n')},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.extra.size());
        WriteWhole(dir / "built.gz", WithExtraAndName(plain, c.extra, c.name));
        std::string name;
        uint32_t modifiedTime = 1;
        uint32_t size = 0;
        ASSERT_EQ(ReadGzipHeader(dir / "built.gz", name, modifiedTime, size), kGzipHeaderOk);
        EXPECT_EQ(name, c.expectedName);
        EXPECT_EQ(modifiedTime, 0u);
        EXPECT_EQ(size, content.size());

        CRecordingSink sink;
        EXPECT_EQ(GunzipFile(dir / "built.gz", sink), 0);
        EXPECT_EQ(sink.m_name, c.expectedName);
        EXPECT_EQ(sink.m_data, content);
    }
}

TEST(GzipReader, HeaderFaultsAreReportedBeforeBegin)
{
    CTempFolder dir;
    const std::string plain = ReadWhole(MakeGzip(dir, "a.txt", "data\n"));
    auto withByte = [&](size_t at, char value) {
        std::string s = plain;
        s[at] = value;
        return s;
    };
    std::string extraTooLong = plain.substr(0, 10);
    extraTooLong[3] = 0x04;
    extraTooLong += "\x10\x00xyz";
    std::string nameNotEnded = plain.substr(0, 10);
    nameNotEnded[3] = 0x08;
    nameNotEnded += "name-without-end";

    const struct
    {
        const char* what;
        std::string bytes;
        int header;
    } cases[] = {
        {"empty file", "", kGzipHeaderUnreadable},
        {"shorter than ten bytes", plain.substr(0, 9), kGzipHeaderUnreadable},
        {"extra field past the end", extraTooLong, kGzipHeaderUnreadable},
        {"name without its zero", nameNotEnded, kGzipHeaderUnreadable},
        {"plain text", "This is not compressed at all.\n", kGzipHeaderNotGzip},
        {"second magic byte", withByte(1, '\x8C'), kGzipHeaderNotGzip},
        {"method 7", withByte(2, 7), kGzipHeaderNotGzip},
        {"flag bit 5", withByte(3, 0x20), kGzipHeaderNotGzip},
        {"flag bit 6", withByte(3, 0x40), kGzipHeaderNotGzip},
        {"flag bit 7", withByte(3, char(0x80)), kGzipHeaderNotGzip},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        WriteWhole(dir / "bad.gz", c.bytes);
        std::string name;
        uint32_t modifiedTime = 0;
        uint32_t size = 0;
        EXPECT_EQ(ReadGzipHeader(dir / "bad.gz", name, modifiedTime, size), c.header);
        CRecordingSink sink;
        EXPECT_EQ(GunzipFile(dir / "bad.gz", sink), 111);
        EXPECT_EQ(sink.m_begins, 0);
    }

    std::string name;
    uint32_t modifiedTime = 0;
    uint32_t size = 0;
    EXPECT_EQ(ReadGzipHeader(dir / "missing.gz", name, modifiedTime, size), kGzipHeaderUnreadable);
    EXPECT_EQ(ReadGzipHeader(dir.Path(), name, modifiedTime, size), kGzipHeaderUnreadable);
    CRecordingSink sink;
    EXPECT_EQ(GunzipFile("", sink), 102);
    EXPECT_EQ(GunzipFile(dir / "missing.gz", sink), 111);
    EXPECT_EQ(sink.m_begins, 0);
}

TEST(GzipReader, DamagedOrTruncatedDataIsAFailure)
{
    CTempFolder dir;
    const std::string content = Pattern(100000);
    const std::string plain = ReadWhole(MakeGzip(dir, "data.bin", content));
    ASSERT_GT(plain.size(), 1000u);
    auto flipped = [&](size_t at) {
        std::string s = plain;
        s[at] = char(s[at] ^ 0x55);
        return s;
    };
    const size_t crcAt = plain.size() - 8;
    const size_t sizeAt = plain.size() - 4;
    const struct
    {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"cut in the middle", plain.substr(0, plain.size() / 2)},
        {"cut inside the trailer", plain.substr(0, plain.size() - 2)},
        {"cut before the trailer", plain.substr(0, plain.size() - 8)},
        {"flipped data byte", flipped(plain.size() / 2)},
        {"flipped CRC byte", flipped(crcAt)},
        {"flipped length byte", flipped(sizeAt)},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        WriteWhole(dir / "bad.gz", c.bytes);
        CRecordingSink sink;
        EXPECT_EQ(GunzipFile(dir / "bad.gz", sink), 111);
        EXPECT_EQ(sink.m_begins, 1);
    }
}

TEST(GzipReader, MoreMembersAndTrailingGarbage)
{
    CTempFolder dir;
    const std::string first = ReadWhole(MakeGzip(dir, "one.txt", "first part\n"));
    const std::string second = ReadWhole(MakeGzip(dir, "two.txt", "second part\n"));
    const struct
    {
        const char* what;
        std::string bytes;
        std::string expected;
    } cases[] = {
        {"two members", first + second, "first part\nsecond part\n"},
        {"garbage after the member", first + "garbage!", "first part\n"},
        {"zeros after the member", first + std::string(16, '\0'), "first part\n"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        WriteWhole(dir / "joined.gz", c.bytes);
        CRecordingSink sink;
        EXPECT_EQ(GunzipFile(dir / "joined.gz", sink), 0);
        EXPECT_EQ(sink.m_data, c.expected);
    }
}

TEST(GzipReader, SinkRefusesCancelsOrTakesLess)
{
    CTempFolder dir;
    const std::string content = Pattern(3 * 65536);
    const std::string gz = MakeGzip(dir, "big.bin", content);

    CRecordingSink refusing;
    refusing.m_acceptBegin = false;
    EXPECT_EQ(GunzipFile(gz, refusing), 102);
    EXPECT_EQ(refusing.m_begins, 1);
    EXPECT_TRUE(refusing.m_blockSizes.empty());

    for (int shortAt : {1, 2})
    {
        SCOPED_TRACE(shortAt);
        CRecordingSink shortWrite;
        shortWrite.m_shortWriteAt = shortAt;
        EXPECT_EQ(GunzipFile(gz, shortWrite), 102);
        EXPECT_EQ(int(shortWrite.m_blockSizes.size()), shortAt);
    }

    for (int cancelAfter : {0, 1})
    {
        SCOPED_TRACE(cancelAfter);
        CRecordingSink cancelling;
        cancelling.m_cancelAfter = cancelAfter;
        EXPECT_EQ(GunzipFile(gz, cancelling), 3);
        EXPECT_EQ(cancelling.m_begins, 1);
        EXPECT_EQ(int(cancelling.m_blockSizes.size()), cancelAfter);
    }
}
