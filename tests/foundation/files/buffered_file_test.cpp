#include "foundation/files/BufferedFile.h"

#include "tests/support/TempFolder.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/FileContents.h"
#include "tests/support/SameBytes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
int64_t SizeOf(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

// Bytes that differ from their neighbours, so a block out of place shows.
std::string Pattern(size_t n)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 31 + i / 251) & 0xFF);
    return s;
}
} // namespace

TEST(BufferedFile, RoundTripLargerThanTheBuffer)
{
    ScopedTimeZone zone("Europe/Berlin");
    CTempFolder dir;
    const std::string path = dir / "big.bin";
    const std::string content = Pattern(200000);

    CBufferedFile out;
    EXPECT_EQ(out.GetMode(), CBufferedFile::modeClosed);
    ASSERT_TRUE(out.Open(path, CBufferedFile::modeWrite));
    EXPECT_EQ(out.GetBufferSize(), 0x10000);
    const size_t pieces[] = {1, 13, 70000, 4096, 65536, 3};
    size_t at = 0;
    for (size_t i = 0; at < content.size(); ++i)
    {
        const size_t n = std::min(pieces[i % std::size(pieces)], content.size() - at);
        ASSERT_EQ(out.Write(content.data() + at, static_cast<int32_t>(n)), static_cast<int32_t>(n));
        at += n;
    }
    EXPECT_EQ(out.Tell(), 200000);
    out.GetFile().SetPendingFileTime(COleDateTime(2004, 5, 6, 7, 8, 9));
    ASSERT_TRUE(out.Close());
    EXPECT_EQ(out.GetMode(), CBufferedFile::modeClosed);

    struct stat st{};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 200000);
    EXPECT_EQ(st.st_mtim.tv_sec, 1083820089) << "the local time was applied on close";
    EXPECT_TRUE(SameBytes(ReadWhole(path), content));

    CBufferedFile in;
    ASSERT_TRUE(in.Open(path, CBufferedFile::modeRead));
    std::string back;
    std::vector<char> chunk(80000);
    const int32_t reads[] = {1, 7, 65536, 80000, 100, 65535};
    for (size_t i = 0;; ++i)
    {
        const int32_t wanted = reads[i % std::size(reads)];
        const int32_t n = in.Read(chunk.data(), wanted);
        ASSERT_GE(n, 0);
        if (n == 0)
            break;
        back.append(chunk.data(), static_cast<size_t>(n));
        if (n < wanted)
        {
            ASSERT_EQ(back.size(), content.size()) << "a short read before the end";
        }
    }
    EXPECT_TRUE(SameBytes(back, content));
    EXPECT_EQ(in.Read(chunk.data(), 10), 0);
    EXPECT_TRUE(in.Close());
}

TEST(BufferedFile, ReadingPositionsCountTheBytesHandedOut)
{
    CTempFolder dir;
    const std::string path = dir / "data";
    const std::string content = Pattern(100000);
    WriteWhole(path, content);

    CBufferedFile in;
    ASSERT_TRUE(in.Open(path, CBufferedFile::modeRead, 10));
    char byte = 0;
    ASSERT_EQ(in.Read(&byte, 1), 1);
    EXPECT_EQ(byte, content[10]);
    EXPECT_EQ(in.Tell(), 11);
    // The length does not cost the reader the buffered bytes.
    EXPECT_EQ(in.GetLength(), 100000);
    ASSERT_EQ(in.Read(&byte, 1), 1);
    EXPECT_EQ(byte, content[11]);
    // A relative seek counts from the reader's position, not the descriptor's.
    EXPECT_EQ(in.Seek(5, 1), 17);
    ASSERT_EQ(in.Read(&byte, 1), 1);
    EXPECT_EQ(byte, content[17]);
    EXPECT_EQ(in.Seek(-3, 2), 99997);
    ASSERT_EQ(in.Read(&byte, 1), 1);
    EXPECT_EQ(byte, content[99997]);
    EXPECT_EQ(in.Seek(-1, 0), -1);
    EXPECT_EQ(in.Tell(), 99998) << "a failed seek keeps the position";

    WriteWhole(path, "abcd");
    ASSERT_TRUE(in.Open(path, CBufferedFile::modeRead));
    char buffer[10];
    EXPECT_EQ(in.Read(buffer, 10), 4);
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    EXPECT_EQ(in.Read(buffer, 10), 0);
}

TEST(BufferedFile, WritingAppendsOrStartsAtTheOffset)
{
    CTempFolder dir;
    const std::string path = dir / "out.txt";
    const struct
    {
        int64_t offset;
        std::string expected;
    } cases[] = {
        {-1, "hello!"},
        {0, "!"},
        {2, "he!"},
        {8, std::string("hello\0\0\0!", 9)},
    };
    for (const auto& c : cases)
    {
        WriteWhole(path, "hello");
        ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
        CBufferedFile out;
        ASSERT_TRUE(out.Open(path, CBufferedFile::modeWrite, c.offset)) << c.offset;
        EXPECT_FALSE(out.WasCreated());
        EXPECT_EQ(out.Write("!", 1), 1);
        EXPECT_TRUE(out.Close());
        EXPECT_EQ(ReadWhole(path), c.expected) << c.offset;
        struct stat st{};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_NE(st.st_mode & S_IWUSR, 0u) << "the read-only attribute was cleared";
    }

    CBufferedFile fresh;
    ASSERT_TRUE(fresh.Open(dir / "new.txt", CBufferedFile::modeWrite));
    EXPECT_TRUE(fresh.WasCreated());
    EXPECT_EQ(fresh.GetLength(), 0);
    EXPECT_EQ(fresh.Write("xyz", 3), 3);
    EXPECT_EQ(fresh.GetLength(), 3) << "the length counts the buffered bytes";
    EXPECT_TRUE(fresh.Close());
}

TEST(BufferedFile, WrongModesAndMissingFilesFail)
{
    CTempFolder dir;
    WriteWhole(dir / "there", "data");
    CBufferedFile file;
    char buffer[4];

    EXPECT_FALSE(file.Open(dir / "missing", CBufferedFile::modeRead));
    EXPECT_EQ(file.GetLastError(), 106);
    EXPECT_EQ(file.GetMode(), CBufferedFile::modeClosed);
    EXPECT_FALSE(file.Open(dir / "no/folder/file", CBufferedFile::modeWrite));
    EXPECT_EQ(file.GetLastError(), 106);
    EXPECT_FALSE(file.Open("", CBufferedFile::modeRead));
    EXPECT_EQ(file.GetLastError(), 102);
    EXPECT_FALSE(file.Open(dir / "there", 2));
    EXPECT_FALSE(file.Open(dir.Path(), CBufferedFile::modeRead));

    EXPECT_EQ(file.Read(buffer, 1), -1);
    EXPECT_EQ(file.GetLastError(), 103);
    EXPECT_EQ(file.Write("x", 1), -1);
    EXPECT_EQ(file.Flush(), -1);
    EXPECT_EQ(file.Tell(), -1);
    EXPECT_EQ(file.Seek(0, 0), -1);
    EXPECT_EQ(file.GetLength(), -1);

    ASSERT_TRUE(file.Open(dir / "there", CBufferedFile::modeRead));
    EXPECT_EQ(file.Write("x", 1), -1);
    EXPECT_EQ(file.Flush(), -1);
    ASSERT_TRUE(file.Open(dir / "there", CBufferedFile::modeWrite));
    EXPECT_EQ(file.Read(buffer, 1), -1);
    std::string line;
    EXPECT_FALSE(file.ReadLine(line));
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(ReadWhole(dir / "there"), "data");
}

TEST(BufferedFile, ReadLineDropsTheLineEnd)
{
    CTempFolder dir;
    const std::string path = dir / "lines.txt";
    // 65535 bytes and a CR fill the first 64 KB read exactly; its LF comes
    // with the second.
    const std::string split(65535, 's');
    const struct
    {
        std::string content;
        std::vector<std::string> lines;
    } cases[] = {
        {"one\ntwo\n", {"one", "two"}},
        {"one\r\ntwo\r\n\r\n", {"one", "two", ""}},
        {split + "\r\nnext\r\nlast", {split, "next", "last"}},
        {split + "x\r\nnext", {split + "x", "next"}}, // CR and LF both in the second fill
        {"no end", {"no end"}},
        {"cr at end\r", {"cr at end\r"}},
        {"a\rb\n", {"a\rb"}},
        {"", {}},
    };
    for (const auto& c : cases)
    {
        WriteWhole(path, c.content);
        CBufferedFile in;
        ASSERT_TRUE(in.Open(path, CBufferedFile::modeRead));
        std::string line;
        for (const std::string& expected : c.lines)
        {
            EXPECT_TRUE(in.ReadLine(line));
            EXPECT_TRUE(SameBytes(line, expected));
        }
        line = "stale";
        EXPECT_FALSE(in.ReadLine(line));
        EXPECT_TRUE(line.empty());
    }
}

TEST(BufferedFile, LengthAndPositionFollowTheWrites)
{
    // The stream keeps the file's length itself: after an open at the end,
    // at an offset, on a new file, and after a Seek that moved the position
    // (writes still land at the end).
    CTempFolder dir;
    const struct
    {
        bool existing;
        int64_t offset;
        int64_t lengthAtOpen;
        std::string expected;
    } cases[] = {
        {true, -1, 5, "helloabcZ"},
        {true, 2, 2, "heabcZ"},
        {false, -1, 0, "abcZ"},
    };
    for (const auto& c : cases)
    {
        const std::string path = dir / ("f" + std::to_string(c.offset) + (c.existing ? "e" : "n"));
        if (c.existing)
            WriteWhole(path, "hello");
        CBufferedFile out;
        ASSERT_TRUE(out.Open(path, CBufferedFile::modeWrite, c.offset));
        EXPECT_EQ(out.GetLength(), c.lengthAtOpen) << path;
        EXPECT_EQ(out.Write("abc", 3), 3);
        EXPECT_EQ(out.GetLength(), c.lengthAtOpen + 3) << path;
        EXPECT_EQ(out.Tell(), c.lengthAtOpen + 3) << path;
        EXPECT_EQ(out.Seek(0, 0), 0);
        EXPECT_EQ(out.Tell(), 0) << path;
        EXPECT_EQ(out.Write("Z", 1), 1);
        EXPECT_EQ(out.Tell(), c.lengthAtOpen + 4) << "the batch went to the end: " << path;
        EXPECT_EQ(out.GetLength(), c.lengthAtOpen + 4) << path;
        EXPECT_TRUE(out.Close());
        EXPECT_EQ(ReadWhole(path), c.expected) << path;
    }
}

TEST(BufferedFile, FailedWriteIsReportedAndCanBeRetried)
{
    CTempFolder dir;
    const std::string path = dir / "full.bin";
    const std::string head(1000, 'a');
    const std::string body = Pattern(65000);

    CBufferedFile out;
    ASSERT_TRUE(out.Open(path, CBufferedFile::modeWrite));
    ASSERT_EQ(out.Write(head.data(), 1000), 1000);
    {
        // Every batch is cut short at 500 bytes by the limit.
        CFileSizeLimit limit(500);
        EXPECT_EQ(out.Write(body.data(), 65000), -1);
        EXPECT_EQ(out.GetLastError(), 102);
        EXPECT_EQ(SizeOf(path), 0) << "the part that was written is taken off again";
        EXPECT_EQ(out.Flush(), -1) << "the earlier bytes stay buffered";
        EXPECT_EQ(out.GetLength(), -1);
        EXPECT_EQ(out.Tell(), -1);
    }
    EXPECT_EQ(out.Flush(), 1000);
    EXPECT_TRUE(SameBytes(ReadWhole(path), head)) << "the refused bytes were not kept";
    ASSERT_EQ(out.Write(body.data(), 65000), 65000);
    EXPECT_EQ(out.Tell(), 66000);
    EXPECT_TRUE(SameBytes(ReadWhole(path), head + body));

    ASSERT_EQ(out.Write("tail", 4), 4);
    {
        CFileSizeLimit limit(66002);
        EXPECT_FALSE(out.Close()) << "bytes lost on close are a failure";
    }
    EXPECT_EQ(SizeOf(path), 66000);
    EXPECT_EQ(out.GetMode(), CBufferedFile::modeClosed);
}
