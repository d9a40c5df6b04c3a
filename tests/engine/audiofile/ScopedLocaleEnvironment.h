#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace qm::test
{
// Sets LC_ALL for the scope (the variable that decides the user interface
// language first) and restores what was there.
class ScopedLcAll
{
public:
    explicit ScopedLcAll(const char* value)
    {
        if (const char* old = std::getenv("LC_ALL"))
            m_saved = old;
        ::setenv("LC_ALL", value, 1);
    }
    ~ScopedLcAll()
    {
        if (m_saved)
            ::setenv("LC_ALL", m_saved->c_str(), 1);
        else
            ::unsetenv("LC_ALL");
    }
    ScopedLcAll(const ScopedLcAll&) = delete;
    ScopedLcAll& operator=(const ScopedLcAll&) = delete;

private:
    std::optional<std::string> m_saved;
};
} // namespace qm::test
