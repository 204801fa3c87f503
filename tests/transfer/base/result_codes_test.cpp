#include "transfer/base/ResultCodes.h"

#include <gtest/gtest.h>

TEST(ResultCodes, EveryCodeHasItsText)
{
    // Literal numbers, not the named constants: the codes travel between
    // the engine, the logs and the stored link results, so a constant that
    // drifted from its number must show here.
    const struct
    {
        int code;
        const char* text;
    } cases[] = {
        {0, "none"},
        {1, "none"},
        {2, "none"},
        {3, "stopped"},
        {4, "stopped"},
        {100, "not supported"},
        {101, "empty parameter"},
        {102, "invalid parameter"},
        {103, "invalid handle"},
        {104, "is read only"},
        {105, "no more handles in system"},
        {106, "not found"},
        {107, "already exists"},
        {108, "access denied"},
        {109, "no disk space"},
        {110, "timeout"},
        {111, "Error 111"},
        {112, "Error 112"},
        {1000, "remote resource temporary unavailable"},
        {1001, "remote file not found"},
        {1002, "remote file already exists"},
        {1003, "access denied to remote file"},
        {1004, "no disk space on remote"},
        {1005, "remote operation is not supported"},
        {1006, "control connection closed"},
        {1007, "data connection closed"},
        {1008, "cannot resolve hostname"},
        {1009, "protocol error"},
        {1010, "Error 1010"},
        {1011, "HTTP 4xx error"},
        {1012, "HTTP 5xx error"},
        {1013, "HTTP error"},
        {1014, "HTTP redirect outside"},
        {1015, "FTP 4xx error"},
        {1016, "FTP 5xx error"},
        {1017, "FTP error"},
        {1018, "FTP login type not supported"},
        {1019, "Error 1019"},
        {1020, "Error 1020"},
        {10054, "Error 10054"},
        {10061, "Error 10061"},
        {5, "Error 5"},
        {99, "Error 99"},
        {-1, "Error -1"},
        {255, "Error 255"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TransferErrorText(c.code), c.text) << "code " << c.code;
}

TEST(ResultCodes, SocketErrorsKeepTheirWindowsNumbers)
{
    const struct
    {
        int constant;
        int number;
    } cases[] = {
        {10061, 10061}, {10060, 10060}, {10054, 10054}, {10053, 10053}, {10050, 10050}, {10064, 10064},
        {10065, 10065}, {10051, 10051}, {10048, 10048}, {10049, 10049}, {10035, 10035}, {10036, 10036},
        {10057, 10057}, {10055, 10055}, {10024, 10024}, {10022, 10022}, {10013, 10013}, {10107, 10107},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.constant, c.number);
}
