#pragma once
// The channel between running copies of the program. Each copy binds one
// Unix datagram socket in a private runtime folder; a broadcast sends one
// datagram to every socket there, the sender's own included, and the number
// of running copies is the number of sockets with a live receiver. A copy
// that died without cleaning up leaves a socket nobody receives on
// (connecting to it is refused); broadcasts and counts remove such sockets.
//
// A message is 16 bytes: the tag "TWB1", the code (32 bits) and the argument
// (64 bits, signed), both in the byte order of the machine, since sender and
// receiver always share it. Datagrams of another size or tag are dropped, and
// so is any datagram from another user (the kernel tells the sender's user),
// so nobody but the user's own copies can make a copy act.
//
// A broadcast never blocks on a copy that stopped reading: when a receiver's
// queue stays full for a quarter of a second, that copy misses the message.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>

// Where the copies of the user meet: $XDG_RUNTIME_DIR (when it holds an
// absolute path) + "/Quorvat Software/Tanglewarden"; without a runtime
// folder the temp folder ($TMPDIR, else /tmp) + "/Quorvat Software-<uid>/
// Tanglewarden", so that users sharing the temp folder stay apart.
std::string GetInstanceChannelFolder();

struct InstanceMessage
{
    uint32_t m_code = 0;
    int64_t m_argument = 0;
    pid_t m_senderPid = 0; // as the kernel reports it
};

class CInstanceChannel
{
public:
    using Handler = std::function<void(const InstanceMessage&)>;

    CInstanceChannel() = default;
    ~CInstanceChannel() { Close(); }
    CInstanceChannel(const CInstanceChannel&) = delete;
    CInstanceChannel& operator=(const CInstanceChannel&) = delete;

    // Creates folder when missing (mode 0700, missing folders above it too),
    // refusing one that is a symbolic link or belongs to another user, binds
    // this copy's socket "<pid>-<random>.sock" in it and starts the thread
    // that hands every message to handler, in the order they arrive. False,
    // with errno set and no socket left behind, when any step fails (a
    // socket path longer than a Unix socket address holds included). Closes
    // an earlier channel first.
    bool Open(const std::string& folder, Handler handler);

    // Stops the receiving thread (waiting for a handler call in progress),
    // closes and removes this copy's socket. Safe to call twice; must not be
    // called from the handler.
    void Close();

    bool IsOpen() const { return m_fd >= 0; }
    const std::string& GetSocketPath() const { return m_socketPath; }

    // Sends the message to every running copy whose socket is in the folder,
    // this one included, and removes the sockets of dead copies. Returns how
    // many copies it reached; 0 when the channel is not open. Thread-safe.
    int Broadcast(uint32_t code, int64_t argument);

    // The number of running copies (this one included), removing the sockets
    // of dead copies on the way; 0 when the channel is not open. Thread-safe.
    int CountInstances();

private:
    void Receive();
    // Reaches every socket of the folder; sends the message when one is
    // given. Returns the number of live receivers.
    int VisitPeers(const uint32_t* code, int64_t argument);

    std::mutex m_mutex; // guards m_folder for the thread-safe calls
    std::string m_folder;
    std::string m_socketPath;
    int m_fd = -1;
    int m_wakeFd = -1;
    Handler m_handler;
    std::thread m_thread;
};
