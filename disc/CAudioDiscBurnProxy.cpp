#include "disc/CAudioDiscBurnProxy.h"

#include <mutex>

#include "disc/CAudioCDBurn.h"
#include "disc/CDiscBurnImpWinAudioCD.h"

namespace
{
// The program's disc writer: the drives of this machine and any disc-image
// targets registered with the recorder layer.
std::unique_ptr<CDiscBurnImp> MakeDefaultBurnImp()
{
    return std::make_unique<CDiscBurnImpWinAudioCD>();
}
} // namespace

CAudioDiscBurnProxy::CAudioDiscBurnProxy()
    : CAudioDiscBurnProxy(MakeDefaultBurnImp)
{
}

CAudioDiscBurnProxy::CAudioDiscBurnProxy(BurnImpFactory makeBurnImp)
    : m_makeBurnImp(std::move(makeBurnImp))
{
}

CAudioDiscBurnProxy::~CAudioDiscBurnProxy()
{
    std::lock_guard lock(m_lock.m_section);
    m_burner.reset();
}

CAudioDiscBurnBase* CAudioDiscBurnProxy::GetBurner()
{
    std::lock_guard lock(m_lock.m_section);
    if (m_recreate || m_burner == nullptr)
    {
        // The old burner (and its disc writer) goes before a new one opens
        // the drives.
        m_burner.reset();
        if (m_requestedDiscKind == kDiscKindAudioCD && m_makeBurnImp)
        {
            std::unique_ptr<CDiscBurnImp> burnImp = m_makeBurnImp();
            if (burnImp != nullptr)
                m_burner = std::make_unique<CAudioCDBurn>(std::move(burnImp));
        }
        m_currentDiscKind = m_requestedDiscKind;
        m_recreate = false;
    }
    return m_burner.get();
}
