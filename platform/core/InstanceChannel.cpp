#include "platform/core/InstanceChannel.h"

#include "platform/core/DirectoryScan.h"
#include "platform/core/PosixFile.h"
#include "platform/core/Text.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <random>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
constexpr char kTag[4] = {'T', 'W', 'B', '1'};
constexpr size_t kMessageSize = 16;
// How long a broadcast waits for a receiver whose queue is full.
constexpr int kFullQueueWaitMs = 250;

struct ScopedFd
{
    int m_fd = -1;
    explicit ScopedFd(int fd) : m_fd(fd) {}
    ~ScopedFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ScopedFd(const ScopedFd&) = delete;
    ScopedFd& operator=(const ScopedFd&) = delete;
};

bool MakeAddress(const std::string& path, sockaddr_un& address, socklen_t& length)
{
    std::memset(&address, 0, sizeof(address));
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path))
    {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
    return true;
}

// Missing folders are made 0700; then the folder itself must be a real
// folder of this user, and is made private when it is not.
bool MakePrivateFolder(const std::string& folder)
{
    if (folder.empty() || folder[0] != '/')
    {
        errno = EINVAL;
        return false;
    }
    if (!PosixCreateDirectories(folder, 0700))
        return false;
    struct stat st
    {
    };
    if (::lstat(folder.c_str(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
    {
        errno = EACCES;
        return false;
    }
    if ((st.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0)
        return false;
    return true;
}

std::string MakeSocketName()
{
    std::random_device random;
    return Format("%d-%08x.sock", static_cast<int>(::getpid()), static_cast<unsigned>(random()));
}

// Removes a socket nobody receives on; only a socket, never a link or file.
void RemoveStaleSocket(const std::string& path)
{
    struct stat st
    {
    };
    if (::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
        ::unlink(path.c_str());
}

void EncodeMessage(uint32_t code, int64_t argument, unsigned char (&bytes)[kMessageSize])
{
    std::memcpy(bytes, kTag, 4);
    std::memcpy(bytes + 4, &code, 4);
    std::memcpy(bytes + 8, &argument, 8);
}

// Sends to a connected socket; waits a little while the receiver's queue is
// full. False when the message could not be handed over.
bool SendMessage(int fd, const unsigned char (&bytes)[kMessageSize])
{
    for (int attempt = 0; attempt < 2; ++attempt)
    {
        const ssize_t sent = ::send(fd, bytes, kMessageSize, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent == static_cast<ssize_t>(kMessageSize))
            return true;
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK) || attempt > 0)
            return false;
        pollfd waiting{fd, POLLOUT, 0};
        if (::poll(&waiting, 1, kFullQueueWaitMs) <= 0)
            return false;
    }
    return false;
}
} // namespace

std::string GetInstanceChannelFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/')
        return TrimRight(runtime, "/") + "/Quorvat Software/Tanglewarden";
    const char* temp = std::getenv("TMPDIR");
    const std::string base = temp && temp[0] == '/' ? TrimRight(temp, "/") : std::string("/tmp");
    return base + Format("/Quorvat Software-%u/Tanglewarden", static_cast<unsigned>(::geteuid()));
}

bool CInstanceChannel::Open(const std::string& folderText, Handler handler)
{
    Close();
    // Without trailing '/', so that the checks never follow a link.
    const std::string folder = TrimRight(folderText, "/");
    if (!MakePrivateFolder(folder))
        return false;
    const std::string path = folder + "/" + MakeSocketName();
    sockaddr_un address{};
    socklen_t length = 0;
    if (!MakeAddress(path, address, length))
        return false;

    ScopedFd fd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (fd.m_fd < 0)
        return false;
    // The kernel then tells every datagram's sender, whether or not the
    // sender says so itself.
    const int on = 1;
    if (::setsockopt(fd.m_fd, SOL_SOCKET, SO_PASSCRED, &on, sizeof(on)) != 0)
        return false;
    if (::bind(fd.m_fd, reinterpret_cast<const sockaddr*>(&address), length) != 0)
        return false;
    ScopedFd wake(::eventfd(0, EFD_CLOEXEC));
    if (wake.m_fd < 0)
    {
        const int error = errno;
        ::unlink(path.c_str());
        errno = error;
        return false;
    }

    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_folder = folder;
    }
    m_socketPath = path;
    m_handler = std::move(handler);
    m_fd = fd.m_fd;
    m_wakeFd = wake.m_fd;
    fd.m_fd = -1;
    wake.m_fd = -1;
    m_thread = std::thread([this] { Receive(); });
    return true;
}

void CInstanceChannel::Close()
{
    if (m_fd < 0)
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_folder.clear();
    }
    const uint64_t one = 1;
    while (::write(m_wakeFd, &one, sizeof(one)) < 0 && errno == EINTR)
    {
    }
    if (m_thread.joinable())
        m_thread.join();
    ::unlink(m_socketPath.c_str());
    ::close(m_fd);
    ::close(m_wakeFd);
    m_fd = -1;
    m_wakeFd = -1;
    m_socketPath.clear();
    m_handler = nullptr;
}

void CInstanceChannel::Receive()
{
    for (;;)
    {
        pollfd waiting[2] = {{m_fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
        if (::poll(waiting, 2, -1) < 0)
        {
            if (errno == EINTR)
                continue;
            return;
        }
        if (waiting[1].revents != 0)
            return;
        if (waiting[0].revents == 0)
            continue;

        // One byte more than a message, so that a longer datagram shows.
        unsigned char bytes[kMessageSize + 1];
        iovec part{bytes, sizeof(bytes)};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
        msghdr header{};
        header.msg_iov = &part;
        header.msg_iovlen = 1;
        header.msg_control = control;
        header.msg_controllen = sizeof(control);
        const ssize_t received = ::recvmsg(m_fd, &header, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
        if (received < 0)
        {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            return;
        }

        const ucred* sender = nullptr;
        for (cmsghdr* item = CMSG_FIRSTHDR(&header); item; item = CMSG_NXTHDR(&header, item))
        {
            if (item->cmsg_level == SOL_SOCKET && item->cmsg_type == SCM_CREDENTIALS &&
                item->cmsg_len >= CMSG_LEN(sizeof(ucred)))
                sender = reinterpret_cast<const ucred*>(CMSG_DATA(item));
        }
        if (received != static_cast<ssize_t>(kMessageSize) || (header.msg_flags & MSG_TRUNC) != 0 ||
            !sender || sender->uid != ::geteuid() || std::memcmp(bytes, kTag, 4) != 0)
            continue;

        InstanceMessage message;
        std::memcpy(&message.m_code, bytes + 4, 4);
        std::memcpy(&message.m_argument, bytes + 8, 8);
        message.m_senderPid = sender->pid;
        if (m_handler)
            m_handler(message);
    }
}

int CInstanceChannel::Broadcast(uint32_t code, int64_t argument)
{
    return VisitPeers(&code, argument);
}

int CInstanceChannel::CountInstances()
{
    return VisitPeers(nullptr, 0);
}

int CInstanceChannel::VisitPeers(const uint32_t* code, int64_t argument)
{
    std::string folder;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        folder = m_folder;
    }
    if (folder.empty())
        return 0;

    unsigned char bytes[kMessageSize];
    if (code)
        EncodeMessage(*code, argument, bytes);

    CDirectoryScan scan;
    if (!scan.Open(folder, "*.sock", false))
        return 0;
    int reached = 0;
    DirectoryEntry entry;
    while (scan.Next(entry))
    {
        if (entry.m_isFolder || entry.m_isSymlink)
            continue;
        const std::string path = folder + "/" + entry.m_name;
        sockaddr_un address{};
        socklen_t length = 0;
        if (!MakeAddress(path, address, length))
            continue;
        ScopedFd fd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
        if (fd.m_fd < 0)
            break;
        if (::connect(fd.m_fd, reinterpret_cast<const sockaddr*>(&address), length) != 0)
        {
            if (errno == ECONNREFUSED)
                RemoveStaleSocket(path);
            continue;
        }
        if (!code)
        {
            ++reached;
            continue;
        }
        if (SendMessage(fd.m_fd, bytes))
            ++reached;
        else if (errno == ECONNREFUSED)
            RemoveStaleSocket(path);
    }
    return reached;
}
