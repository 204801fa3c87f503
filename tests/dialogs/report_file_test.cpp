// A report saved to a file: the log's whole text, or nothing at all, and the
// report that stood there before stays whole when the new one cannot be
// written.

#include "dialogs/ReportFile.h"

#include "platform/core/RefPtr.h"
#include "transfer/base/TransferLog.h"

#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// A log that stops handing out its text after the first block, as one cut
// short while it is copied would.
class CStingyLog : public CTransferLog
{
public:
    size_t GetTextPart(std::string& text, size_t offset, size_t length) override
    {
        if (offset > 0)
        {
            text.clear();
            return 0;
        }
        return CTransferLog::GetTextPart(text, offset, length);
    }
};

// Lines enough for several blocks of the copy.
template <class Log> CRefPtr<Log> LongLog()
{
    CRefPtr<Log> log = CRefPtr<Log>::Adopt(new Log());
    for (int line = 0; line < 3000; ++line)
        log->AppendLine(kLogStatus, "Link " + std::to_string(line) + ": http://example.test/page" + std::to_string(line));
    return log;
}

TEST(SaveLogToFile, WritesTheWholeLogOverTheOldReport)
{
    CTempFolder folder;
    const std::string path = folder / "default_report.txt";
    WriteWhole(path, "the old report");
    CRefPtr<CTransferLog> log = LongLog<CTransferLog>();
    ASSERT_TRUE(SaveLogToFile(*log.Get(), path));
    std::string expected;
    log->GetText(expected);
    ASSERT_GT(expected.size(), 64u * 1024u) << "more than one block";
    EXPECT_EQ(ReadWhole(path), expected);
}

TEST(SaveLogToFile, AReportThatCannotBeWrittenWholeLeavesTheOldOne)
{
    CTempFolder folder;
    const std::string path = folder / "default_report.txt";
    WriteWhole(path, "the old report");

    CRefPtr<CStingyLog> stingy = LongLog<CStingyLog>();
    EXPECT_FALSE(SaveLogToFile(*stingy.Get(), path));
    EXPECT_EQ(ReadWhole(path), "the old report");

    EXPECT_FALSE(SaveLogToFile(*stingy.Get(), folder / "missing/default_report.txt"));
}
} // namespace
