#include "disc/CAudioDiscBurnBase.h"

#include <mutex>

CAudioDiscBurnBase::CAudioDiscBurnBase(std::unique_ptr<CDiscBurnImp> burnImp)
    : m_burnImp(std::move(burnImp))
{
}

CAudioDiscBurnBase::~CAudioDiscBurnBase() = default;

DiscTypeCode CAudioDiscBurnBase::GetDiscType()
{
    std::lock_guard lock(m_lock.m_section);
    return m_burnImp != nullptr ? m_burnImp->GetDiscType() : -1;
}

DiscResult CAudioDiscBurnBase::ApplyWriteSpeed()
{
    std::lock_guard lock(m_lock.m_section);
    if (m_burnImp == nullptr)
        return DiscResult::Failed;
    uint32_t speed = m_requestedWriteSpeed;
    const std::vector<uint32_t> speeds = m_burnImp->GetSpeeds();
    if (speed > 0 && !speeds.empty())
    {
        // The list is ascending: the first entry is the slowest.
        if (speed < speeds.front())
            speed = speeds.front();
        else if (speed > speeds.back())
            speed = speeds.back();
    }
    return m_burnImp->SetWriteSpeed(speed);
}
