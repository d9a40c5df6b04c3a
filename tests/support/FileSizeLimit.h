#pragma once

#include <csignal>

#include <sys/resource.h>

namespace qm::test
{
// Stands in for a full disk: while it lives, this process may not make any
// file larger than `bytes`, and a write past that fails with EFBIG instead of
// raising SIGXFSZ. lift() (or the destructor) restores the old limit, so a
// test can lift it before it checks anything that writes files.
class ScopedFileSizeLimit
{
public:
    explicit ScopedFileSizeLimit(rlim_t bytes)
    {
        if (::getrlimit(RLIMIT_FSIZE, &m_saved) != 0)
            return;
        m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = m_saved;
        small.rlim_cur = bytes;
        m_set = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
        if (!m_set)
            std::signal(SIGXFSZ, m_savedHandler);
    }
    ~ScopedFileSizeLimit() { lift(); }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

    // False when the limit could not be set; the test must then stop.
    bool isSet() const { return m_set; }

    void lift()
    {
        if (!m_set)
            return;
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedHandler);
        m_set = false;
    }

private:
    struct rlimit m_saved = {};
    void (*m_savedHandler)(int) = SIG_DFL;
    bool m_set = false;
};
} // namespace qm::test
