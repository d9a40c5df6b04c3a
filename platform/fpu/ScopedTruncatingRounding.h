#pragma once

#include <cfenv>

namespace qm::platform
{

// Sets the floating-point rounding mode to truncation (toward zero) for the
// lifetime of the object and restores the previous mode afterwards.
class ScopedTruncatingRounding
{
public:
    ScopedTruncatingRounding()
        : m_previous(std::fegetround())
    {
        std::fesetround(FE_TOWARDZERO);
    }
    ~ScopedTruncatingRounding() { std::fesetround(m_previous); }

    ScopedTruncatingRounding(const ScopedTruncatingRounding&) = delete;
    ScopedTruncatingRounding& operator=(const ScopedTruncatingRounding&) = delete;

private:
    int m_previous;
};

} // namespace qm::platform
