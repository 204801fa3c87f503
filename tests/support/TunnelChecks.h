#pragma once
// Checks shared by the tests of connections that lead somewhere through a
// proxy: a round trip through an echoing target that proves the path is open
// and carries nothing extra.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/support/CapturedLog.h"
#include "transfer/net/Connection.h"

// Sends text and expects exactly text back, as the first bytes received: a
// byte of a proxy reply left unread would show up in front of it. The
// connection's time-out bounds every receive; at most text.size() receives.
inline ::testing::AssertionResult EchoesThrough(CConnection& connection, const std::string& text)
{
    if (connection.Send(text.data(), static_cast<int>(text.size())) != static_cast<int>(text.size()))
        return ::testing::AssertionFailure() << "send failed, last error " << connection.GetLastError();
    std::string received;
    for (size_t attempt = 0; attempt < text.size() && received.size() < text.size(); ++attempt)
    {
        char buffer[4096];
        const int room = static_cast<int>(std::min(sizeof buffer, text.size() - received.size()));
        const int n = connection.Recv(buffer, room);
        if (n <= 0)
            return ::testing::AssertionFailure()
                   << "receive ended (" << n << ", last error " << connection.GetLastError() << ") after \""
                   << received << "\"";
        received.append(buffer, static_cast<size_t>(n));
    }
    if (received != text)
        return ::testing::AssertionFailure()
               << "received \"" << received << "\" instead of \"" << text << "\"";
    return ::testing::AssertionSuccess();
}
