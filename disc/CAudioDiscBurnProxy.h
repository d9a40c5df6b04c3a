#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "disc/CAudioDiscBurnBase.h"
#include "engine/audiofile/foundation/CCriticalSection.h"

// Owns the process's one disc burner and hands it out under its lock,
// creating it anew when asked to. The burner's disc writer comes from a
// creation function; a proxy without one (or whose function makes none) has
// no burner.
class CAudioDiscBurnProxy
{
public:
    // The disc kinds a burner can be made for.
    static constexpr uint32_t kDiscKindAudioCD = 0;

    using BurnImpFactory = std::function<std::unique_ptr<CDiscBurnImp>()>;

    // With the program's own disc writer.
    CAudioDiscBurnProxy();
    explicit CAudioDiscBurnProxy(BurnImpFactory makeBurnImp);
    virtual ~CAudioDiscBurnProxy();

    CAudioDiscBurnProxy(const CAudioDiscBurnProxy&) = delete;
    CAudioDiscBurnProxy& operator=(const CAudioDiscBurnProxy&) = delete;

    // The current burner, made first when the recreate flag is set or there
    // is none: the old burner is deleted, and a new one is made when the
    // requested kind is the audio CD (none for any other kind). Callers use
    // the burner under the burner's own lock.
    CAudioDiscBurnBase* GetBurner();

    // The proxy's lock: the fields below are changed under it.
    CCriticalSection& GetLock() { return m_lock; }
    uint32_t GetRequestedDiscKind() const { return m_requestedDiscKind; }
    void SetRequestedDiscKind(uint32_t kind) { m_requestedDiscKind = kind; }
    // The kind of the burner made last.
    uint32_t GetCurrentDiscKind() const { return m_currentDiscKind; }
    bool GetRecreate() const { return m_recreate; }
    // Set: the next GetBurner makes the burner anew.
    void SetRecreate(bool recreate) { m_recreate = recreate; }

private:
    uint32_t m_requestedDiscKind = kDiscKindAudioCD;
    uint32_t m_currentDiscKind = kDiscKindAudioCD;
    std::unique_ptr<CAudioDiscBurnBase> m_burner;
    CCriticalSection m_lock;
    bool m_recreate = true;
    BurnImpFactory m_makeBurnImp;
};
