#pragma once
// What an FTP control connection has already agreed to, so that a job does
// not repeat it: the transfer type last acknowledged ("TYPE A" or "TYPE I")
// and whether "REST 0" is in effect. Both are unknown on a new connection
// (Reset). Commands are compared with trailing white space removed and in
// upper case.

#include <string_view>

class CFtpCommandCache
{
public:
    static constexpr int kUnknown = -1;
    static constexpr int kTypeAscii = 0;
    static constexpr int kTypeImage = 1;
    static constexpr int kRestZero = 0;

    // Both states unknown: a new control connection.
    void Reset();

    // True when the command needs no traffic: "TYPE A" / "TYPE I" while that
    // type is in effect (reply code 200), "REST 0" while it is in effect
    // (350).
    bool IsCachedCommand(std::string_view command, int& replyCode) const;

    // After a command went to the server: "REST 0" sets the REST state
    // whatever the reply; another REST makes it unknown, since a restart
    // marker that no transfer consumed may still be pending at the server. A
    // 2xx reply to "TYPE A" or "TYPE I" sets the type; any other TYPE command
    // makes the type unknown.
    void UpdateCommandCache(std::string_view command, int replyCode);

private:
    int m_type = kUnknown;
    int m_rest = kUnknown;
};
