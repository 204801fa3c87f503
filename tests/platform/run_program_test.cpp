#include "platform/core/RunProgram.h"

#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace
{
using namespace std::chrono_literals;

TEST(RunProgramTest, ExitStatusesAndMissingPrograms)
{
    EXPECT_EQ(RunProgramAndWait({"true"}, 10s), 0);
    EXPECT_EQ(RunProgramAndWait({"sh", "-c", "exit 7"}, 10s), 7);
    EXPECT_EQ(RunProgramAndWait({"tw-no-such-program"}, 10s), kProgramNotStarted);
    EXPECT_EQ(RunProgramAndWait({}, 10s), kProgramNotStarted);
    EXPECT_EQ(RunProgramAndWait({"sh", "-c", "kill -9 $$"}, 10s), kProgramKilled);
}

TEST(RunProgramTest, ArgumentsAreNeverReadByAShell)
{
    CTempFolder temp;
    const std::string file = temp / "out; rm -rf nothing $(id).txt";
    EXPECT_EQ(RunProgramAndWait({"touch", file}, 10s), 0);
    EXPECT_TRUE(ReadWhole(file).empty());
    EXPECT_EQ(RunProgramAndWait({"test", "-e", file}, 10s), 0);
}

TEST(RunProgramTest, AProgramThatOutlivesTheBoundIsKilled)
{
    EXPECT_EQ(RunProgramAndWait({"sleep", "30"}, 200ms), kProgramTimedOut);
}
} // namespace
