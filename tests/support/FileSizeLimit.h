#pragma once
// Caps the size of files this process may write, so that writes fail the way
// they do on a full disk (EFBIG), even for root; SIGXFSZ is ignored while the
// cap holds. The old limit and handler come back when the object goes.

#include <csignal>
#include <sys/resource.h>

class CFileSizeLimit
{
public:
    explicit CFileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit capped = m_old;
        capped.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &capped);
    }
    ~CFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};
