#pragma once
// A transfer log that a test hands to the code under test and reads
// afterwards.

#include <string>

#include "transfer/base/TransferLog.h"

// One transfer log, owned by the test (a log frees itself through Release).
class CCapturedLog
{
public:
    CCapturedLog() : m_log(new CTransferLog(1)) {}
    ~CCapturedLog() { m_log->Release(); }
    CCapturedLog(const CCapturedLog&) = delete;
    CCapturedLog& operator=(const CCapturedLog&) = delete;

    ITransferLog* Get() const { return m_log; }
    std::string Text() const
    {
        std::string text;
        m_log->GetText(text);
        return text;
    }
    bool Contains(const std::string& piece) const { return Text().find(piece) != std::string::npos; }
    // How many times piece occurs in the log.
    int Count(const std::string& piece) const
    {
        const std::string all = Text();
        int n = 0;
        for (size_t at = all.find(piece); at != std::string::npos; at = all.find(piece, at + 1))
            ++n;
        return n;
    }

private:
    CTransferLog* m_log;
};
