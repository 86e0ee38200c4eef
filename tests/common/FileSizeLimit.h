#pragma once

#include <csignal>
#include <sys/resource.h>

// Simulates a full disk for the lifetime of the object: the process may not write files beyond
// `bytes`, and a write past that fails with EFBIG instead of raising SIGXFSZ. Works as root too,
// unlike a read-only folder.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = m_old;
        limited.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool active() const { return m_active; }

private:
    struct rlimit m_old {};
    void (*m_previousHandler)(int) = nullptr;
    bool m_active = false;
};
