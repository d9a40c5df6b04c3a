#include "session/manager/ExportManager.h"

#include <algorithm>
#include <mutex>

namespace Tavrel
{
namespace
{
// CD-R writing: the media flag that makes a drive usable for an audio CD.
constexpr int kCdrMediaFlag = 2;
} // namespace

ExportManager::ExportManager()
    : ExportManager(std::make_unique<CAudioDiscBurnProxy>())
{
}

ExportManager::ExportManager(std::unique_ptr<CAudioDiscBurnProxy> discBurnProxy)
    : m_discBurnProxy(std::move(discBurnProxy))
{
    SessionMonitor::install(this);
}

ExportManager::~ExportManager()
{
    SessionMonitor::uninstall(this);
    // A session thread blocked in a relay would otherwise wait for this
    // (message) thread while this thread waits for it to end.
    m_relay.close();

    std::unique_ptr<ExportSession> session;
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock.m_section);
        session = std::move(m_session);
        m_busy = false;
    }
    if (session != nullptr)
    {
        session->cancel();
        session.reset();
    }
    m_discBurnProxy.reset();
}

bool ExportManager::startSession(std::unique_ptr<ExportSession> session)
{
    if (session == nullptr)
        return false;

    ExportSession* started = nullptr;
    std::unique_ptr<ExportSession> previous;
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock.m_section);
        if (m_session != nullptr && m_busy)
            return false;
        m_busy = true;
        previous = std::move(m_session);
        m_session = std::move(session);
        started = m_session.get();
        ++m_serial;
    }
    // Deleted outside the lock: a finishing session thread may still need it.
    previous.reset();

    started->AddListener(this);
    if (started->start())
        return true;

    std::unique_ptr<ExportSession> failed;
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock.m_section);
        if (m_session.get() == started)
        {
            failed = std::move(m_session);
            m_busy = false;
        }
    }
    failed.reset();
    return false;
}

void ExportManager::cancelSession()
{
    ExportSession* session = nullptr;
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock.m_section);
        session = m_session.get();
    }
    if (session != nullptr)
        session->cancel();
}

int ExportManager::getCurrentSessionKind()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock.m_section);
    if (m_session == nullptr || !m_busy)
        return kExportSessionNone;
    return getExportSessionKindOfTitleKey(m_session->getTitleKey());
}

double ExportManager::getSessionProgress()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock.m_section);
    return m_session != nullptr && m_busy ? m_session->getProgress() : 0.0;
}

bool ExportManager::getSessionPosition(int& hours, int& minutes, float& seconds)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock.m_section);
    if (m_session == nullptr || !m_busy)
        return false;
    m_session->getPositionHourMinSec(hours, minutes, seconds);
    return true;
}

void ExportManager::getSessionLevels(float levels[2], int& clip)
{
    levels[0] = levels[1] = -100.0f;
    clip = 0;
    std::lock_guard<std::recursive_mutex> guard(m_lock.m_section);
    if (m_session == nullptr || !m_busy)
        return;
    // The session answers the file converter's clip state with its levels.
    m_session->getLevels(levels, clip);
}

bool ExportManager::hasUsableDrive()
{
    if (m_discBurnProxy == nullptr)
        return false;
    CAudioDiscBurnBase* burner = m_discBurnProxy->GetBurner();
    if (burner == nullptr)
        return false;
    std::lock_guard<std::recursive_mutex> guard(burner->GetLock().m_section);
    const CDiscBurnImp* burnImp = burner->GetBurnImp();
    if (burnImp == nullptr)
        return false;
    for (const DiscBurnDeviceRecord& device : burnImp->GetDevices())
    {
        if (device.mediaFlags[kCdrMediaFlag] != 0)
            return true;
    }
    return false;
}

void ExportManager::exportSessionStarted(ExportSession* session)
{
    m_relay.call(
        [&] { CallListeners([&](ExportSessionListener& listener) { listener.exportSessionStarted(session); }); });
}

void ExportManager::exportSessionProcessingStarted(ExportSession* session)
{
    m_relay.call([&] {
        CallListeners([&](ExportSessionListener& listener) { listener.exportSessionProcessingStarted(session); });
    });
}

void ExportManager::exportSessionFinished(ExportSession* session, bool aborted)
{
    // The busy flag stays set while the listeners run (they may ask for the
    // running kind) and is cleared on the message thread right after them,
    // so that a new session can be started as soon as they have heard of it.
    m_relay.call([&] {
        CallListeners([&](ExportSessionListener& listener) { listener.exportSessionFinished(session, aborted); });
        markFinished(session);
    });
    // When the relay could not run (shutting down) the flag is cleared here.
    markFinished(session);
    session->RemoveListener(this);
}

void ExportManager::exportSessionError(ExportSession* session, const char* key, const juce::SparseSet<int>& songs,
                                       const juce::StringArray& texts)
{
    m_relay.call([&] {
        CallListeners(
            [&](ExportSessionListener& listener) { listener.exportSessionError(session, key, songs, texts); });
    });
}

bool ExportManager::exportSessionWarning(ExportSession* session, const char* key, const juce::SparseSet<int>& songs,
                                         const juce::StringArray& texts)
{
    bool goOn = true;
    const bool asked = m_relay.call([&] {
        CallListeners([&](ExportSessionListener& listener) {
            const bool answer = listener.exportSessionWarning(session, key, songs, texts);
            goOn = goOn && answer;
        });
    });
    // A question that nobody could be asked (the program is shutting down)
    // is not taken as consent.
    return asked && goOn;
}

void ExportManager::exportSessionProgress(ExportSession* session, double progress, const char* key,
                                          const juce::StringArray& texts)
{
    std::uint64_t serial = 0;
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock.m_section);
        if (session == nullptr || m_session.get() != session)
            return;
        serial = m_serial;
    }
    postMessage(new ProgressMessage(session, serial, progress, key, texts));
}

bool ExportManager::exportSessionAskRepeat(ExportSession* session)
{
    bool repeat = false;
    const bool asked = m_relay.call([&] {
        CallListeners([&](ExportSessionListener& listener) {
            const bool answer = listener.exportSessionAskRepeat(session);
            repeat = repeat || answer;
        });
    });
    return asked && repeat;
}

void ExportManager::handleMessage(const juce::Message& message)
{
    const auto* progress = dynamic_cast<const ProgressMessage*>(&message);
    if (progress == nullptr)
        return;
    {
        // The session of a message posted before it was replaced has been
        // deleted: its pointer must not reach the listeners.
        std::lock_guard<std::recursive_mutex> guard(m_lock.m_section);
        if (m_session.get() != progress->session || m_serial != progress->serial)
            return;
    }
    CallListeners([&](ExportSessionListener& listener) {
        listener.exportSessionProgress(progress->session, progress->progress, progress->getKey(), progress->texts);
    });
}

void ExportManager::markFinished(ExportSession* session)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock.m_section);
    if (m_session.get() == session)
        m_busy = false;
}
} // namespace Tavrel
