#include "engine/dsp/player/CAudioFilePlayerPcmOutput.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>

#include "engine/audiofile/io/CAudioPlayerInput.h"
#include "engine/audiofile/pcm/PcmBuffers.h"
#include "engine/audiofile/pcm/PcmGain.h"
#include "engine/audiofile/tags/CMarker.h"
#include "engine/dsp/dynamics/CDynamicControl.h"
#include "engine/dsp/rate/CRealTimeFsConverterPcmOutput.h"

namespace
{
using Lock = std::lock_guard<std::recursive_mutex>;

using namespace std::chrono_literals;

// A source that is still preparing, or that gave no frames, says nothing
// when that changes: the reader looks again after this long.
constexpr auto kSourceRetry = 2ms;
// While holding at the end nothing happens until a command comes.
constexpr auto kHoldWait = 10ms;
// Everything else that the reader waits for wakes it; this only bounds a
// wait should a wake ever be missed.
constexpr auto kIdleWait = 20ms;

// Device rates above this are refused (the frame arithmetic is 32-bit).
constexpr float kMaxDeviceRate = 2147483648.0f;
} // namespace

CAudioFilePlayerPcmOutput::CAudioFilePlayerPcmOutput()
    : m_dynamics(std::make_unique<CDynamicControl>(2)),
      m_ring(std::make_unique<CRingBufferPcm>(2, kRingFrames)),
      m_sourceBuffer(std::make_unique<CSimpleBufferPcm>(2, kSourceBufferFrames)),
      m_srcBuffer(std::make_unique<CSimpleBufferPcm>(2, kSrcBufferFrames)),
      m_converter(std::make_unique<CRealTimeFsConverterPcmOutput>(2))
{
    m_ring->Clear();
    UpdateSrc();
}

CAudioFilePlayerPcmOutput::~CAudioFilePlayerPcmOutput()
{
    StopAndJoin();
}

int CAudioFilePlayerPcmOutput::GetType()
{
    return kReaderPriority;
}

uint32_t CAudioFilePlayerPcmOutput::FadeRate() const
{
    return static_cast<uint32_t>(m_deviceRate.load(std::memory_order_acquire));
}

int64_t CAudioFilePlayerPcmOutput::WindFrames(double seconds) const
{
    return static_cast<int64_t>(static_cast<double>(m_deviceRate.load(std::memory_order_acquire)) * seconds);
}

// ---------------------------------------------------------------------------
// Source, device rate, thread

void CAudioFilePlayerPcmOutput::SetSource(CAudioPlayerInput* source)
{
    if (GetSource() != nullptr || IsRunning())
        DetachSource();
    if (source == nullptr)
        return;
    {
        Lock player(m_playerLock.m_section);
        m_source.store(source, std::memory_order_release);
        source->Prepare();
        m_fileRate = source->GetSampleRate();
        UpdateSrc();
        const double length = source->GetLengthInSeconds();
        m_sourceLength.store(length, std::memory_order_release);
        m_dynamics->SetFadeLength(length);
    }
    SetPosition(0.0);
    // A reader thread at the priority it inherited still plays; one that
    // could not be made leaves IsRunning() false, which the transport sees.
    (void)Start(GetType());
}

void CAudioFilePlayerPcmOutput::DetachSource()
{
    m_state.store(kStateStopped, std::memory_order_release);
    StopAndJoin();
    Lock player(m_playerLock.m_section);
    CancelCuePlayEnd();
    m_source.store(nullptr, std::memory_order_release);
    m_sourceLength.store(0.0, std::memory_order_release);
}

float CAudioFilePlayerPcmOutput::SetDeviceSampleRate(float rate)
{
    const float current = m_deviceRate.load(std::memory_order_acquire);
    if (!(rate >= 1.0f && rate < kMaxDeviceRate) || rate == current)
        return current;
    m_state.store(kStateStopped, std::memory_order_release);
    StopAndJoin();
    {
        Lock player(m_playerLock.m_section);
        CancelCuePlayEnd();
        m_deviceRate.store(rate, std::memory_order_release);
        m_dynamics->SetSampleRate(FadeRate());
        UpdateSrc();
    }
    SetPosition(0.0);
    // A reader thread at the priority it inherited still plays; one that
    // could not be made leaves IsRunning() false, which the transport sees.
    (void)Start(GetType());
    return rate;
}

ThreadStartResult CAudioFilePlayerPcmOutput::Start(int priority)
{
    if (GetSource() == nullptr || IsRunning())
        return ThreadStartResult::NotAsAsked;
    {
        Lock player(m_playerLock.m_section);
        Lock ring(m_ringLock.m_section);
        m_prebuffering.store(true, std::memory_order_release);
        m_ring->Clear();
        m_converter->Reset();
        m_deliveredCounter.store(0, std::memory_order_release);
        m_readCounter.store(0, std::memory_order_release);
        m_sourceFramesRead = 0;
    }
    return CThread::Start(priority);
}

void CAudioFilePlayerPcmOutput::UpdateSrc()
{
    const uint32_t deviceRate = FadeRate();
    if (m_converter->GetInputRate() == m_fileRate && m_converter->GetOutputRate() == deviceRate)
        return;
    m_converter->SetSampleRates(m_fileRate, deviceRate);
    m_rateRatio.store(static_cast<double>(m_fileRate) / static_cast<double>(m_deviceRate.load()),
                      std::memory_order_release);
    // The converter delays its output: the fades start that much later.
    Lock ring(m_ringLock.m_section);
    m_dynamics->SetFadeOrigin(static_cast<int32_t>(m_converter->GetLatencyInSeconds() * deviceRate));
}

// ---------------------------------------------------------------------------
// Reader thread

void CAudioFilePlayerPcmOutput::run()
{
    CAudioPlayerInput* const source = GetSource();
    while (!IsStopRequested() && source != nullptr)
    {
        {
            Lock player(m_playerLock.m_section);
            if (!source->IsPreparing())
                break;
        }
        m_readerWake.waitFor(kSourceRetry);
    }

    while (!IsStopRequested() && source != nullptr)
    {
        if (FinishCuePlay())
            continue;

        bool stopped = false;
        bool holding = false;
        bool failed = false;
        bool readChunk = false;
        {
            Lock player(m_playerLock.m_section);
            if (IsFinished())
            {
                if (m_holdAtEnd.load(std::memory_order_acquire))
                    holding = true;
                else
                {
                    Stop();
                    stopped = true;
                }
            }
            else if (source->HasReadFailed())
            {
                m_state.store(kStateStopped, std::memory_order_release);
                CancelCuePlayEnd();
                m_source.store(nullptr, std::memory_order_release);
                m_sourceLength.store(0.0, std::memory_order_release);
                failed = true;
            }
            else if (m_ring->GetFreeFrames() > kMinFreeFrames)
            {
                if (source->GetRemaining() > 0)
                {
                    ReadChunk();
                    readChunk = true;
                }
                else
                    m_prebuffering.store(false, std::memory_order_release);
            }
        }

        if (stopped)
        {
            CallListeners([this](CAudioFileTransportListener& l) { l.transportStateChanged(this); });
            continue;
        }
        if (failed)
        {
            CallListeners([this](CAudioFileTransportListener& l) { l.transportStopped(this); });
            break;
        }
        if (holding)
        {
            m_readerWake.waitFor(kHoldWait);
            continue;
        }
        if (readChunk)
            continue;
        // The ring is full, or the source is at its end and the device is
        // draining the ring: the device's next read wakes the reader.
        m_readerWake.waitFor(kIdleWait);
    }

    Lock ring(m_ringLock.m_section);
    m_ring->Clear();
}

void CAudioFilePlayerPcmOutput::ReadChunk()
{
    CAudioPlayerInput* const source = GetSource();
    float** const buffer = m_sourceBuffer->GetBuffers();
    const double deviceRate = m_deviceRate.load(std::memory_order_acquire);

    // Winding: every half second of sound the source skips 3 s.
    const int state = m_state.load(std::memory_order_acquire);
    if ((state == kStateFastForward || state == kStateRewind) &&
        m_readCounter.load(std::memory_order_acquire) > deviceRate * 0.5)
    {
        const double step = state == kStateFastForward ? 3.0 : -3.0;
        source->SetPositionInSeconds(std::max(0.0, source->GetPositionInSeconds() + step));
        m_readCounter.fetch_sub(static_cast<uint32_t>(deviceRate * 0.5), std::memory_order_acq_rel);
    }

    // The converter may give one frame more than the ratio says: keep room
    // for it, so that no converted frame is dropped at the ring.
    const bool converting = m_converter->IsInterpolationActive() || m_converter->IsDecimationActive();
    const uint32_t free = m_ring->GetFreeFrames();
    const uint32_t out = std::min(converting ? free - 1 : free, kMaxChunkFrames);
    const double wanted = static_cast<double>(out) * m_rateRatio.load(std::memory_order_acquire);
    uint32_t in =
        wanted >= static_cast<double>(kSourceBufferFrames - 1) ? kSourceBufferFrames : static_cast<uint32_t>(wanted);
    in = std::max<uint32_t>(in, 1);

    // A mono source leaves the second channel silent.
    const uint16_t sourceChannels = std::min<uint16_t>(source->GetChannelCount(), m_channels);
    float* channels[2] = {nullptr, nullptr};
    for (uint16_t c = 0; c < m_channels; ++c)
    {
        if (c < sourceChannels)
            channels[c] = buffer[c];
        else
            std::fill(buffer[c], buffer[c] + in, 0.0f);
    }

    const uint32_t got = source->ReadFloat(channels, in, 0);
    if (got == 0)
    {
        m_readerWake.waitFor(kSourceRetry);
        return;
    }

    // A 1-bit source starts and ends with a short ramp from and to silence.
    if (source->GetBitsPerSample() == 1)
    {
        if (m_sourceFramesRead < kEdgeRampFrames)
            ApplyFadeInRamp(m_channels, buffer, buffer, got, kEdgeRampFrames, static_cast<int64_t>(m_sourceFramesRead));
        const uint64_t remaining = source->GetRemaining();
        if (remaining < kEdgeRampFrames)
            ApplyFadeOutRamp(m_channels, buffer, buffer, got, kEdgeRampFrames,
                             static_cast<int64_t>(kEdgeRampFrames) - static_cast<int64_t>(remaining) -
                                 static_cast<int64_t>(got));
    }
    m_sourceFramesRead += got;

    uint32_t written = 0;
    if (!converting)
    {
        written = std::min(got, free);
        m_ring->Write(buffer, written);
    }
    else
    {
        float** const converted = m_srcBuffer->GetBuffers();
        written = std::min(m_converter->Process(buffer, converted, got), free);
        m_ring->Write(converted, written);
    }
    m_readCounter.fetch_add(written, std::memory_order_acq_rel);

    if (m_ring->GetFilledFrames() >= kPrebufferFrames || source->GetPosition() >= source->GetLength())
        m_prebuffering.store(false, std::memory_order_release);
}

bool CAudioFilePlayerPcmOutput::FinishCuePlay()
{
    if (m_cueEndPending.load(std::memory_order_acquire) == 0)
        return false;
    {
        Lock player(m_playerLock.m_section);
        const int ended = m_cueEndPending.exchange(0, std::memory_order_acq_rel);
        if (ended == 0)
            return false;
        // Cue play-from returns to where it began; cue play-to pauses where
        // it ended.
        SetPosition(ended == kStateCuePlayFrom ? m_cueStart.load(std::memory_order_acquire) : GetPosition());
    }
    CallListeners([this](CAudioFileTransportListener& l) { l.transportStateChanged(this); });
    return true;
}

void CAudioFilePlayerPcmOutput::CancelCuePlayEnd()
{
    m_cueEndPending.store(0, std::memory_order_release);
}

bool CAudioFilePlayerPcmOutput::IsFinished()
{
    if (GetSource() == nullptr || m_ring->GetFilledFrames() >= 2)
        return false;
    const int state = m_state.load(std::memory_order_acquire);
    if (state != kStatePlaying && state != kStateFastForward)
        return false;
    Lock player(m_playerLock.m_section);
    CAudioPlayerInput* const source = GetSource();
    return source != nullptr && source->GetRemaining() == 0;
}

// ---------------------------------------------------------------------------
// Audio device thread

void CAudioFilePlayerPcmOutput::WriteSilence(float* const* output, uint32_t frames, uint32_t offset)
{
    ClearChannelBuffers(m_channels, output, frames, offset);
}

uint32_t CAudioFilePlayerPcmOutput::ReadForDevice(float* const* output, uint32_t frames)
{
    std::unique_lock<std::recursive_mutex> ring(m_ringLock.m_section, std::try_to_lock);
    if (!ring.owns_lock())
    {
        // A seek is emptying the ring: this block is silence.
        WriteSilence(output, frames, 0);
        return 0;
    }
    const uint32_t got = m_ring->Read(output, frames);
    if (got > 0)
        m_dynamics->Process(output, got);
    m_playFrames.fetch_add(got, std::memory_order_acq_rel);
    m_deliveredCounter.fetch_add(got, std::memory_order_acq_rel);
    if (got < frames)
        m_prebuffering.store(true, std::memory_order_release); // underrun: wait for the ring to refill
    // Room in the ring: the reader may fill it.
    m_readerWake.wake();
    return got;
}

uint32_t CAudioFilePlayerPcmOutput::ProcessBlock(const float* const*, float* const* output, uint32_t frames)
{
    if (!IsRunning() || m_prebuffering.load(std::memory_order_acquire))
    {
        WriteSilence(output, frames, 0);
        return 0;
    }
    // Never wait on the audio thread: when a seek or a restart holds the
    // ring lock, the block is silence and no counter moves.
    std::unique_lock<std::recursive_mutex> ring(m_ringLock.m_section, std::try_to_lock);
    if (!ring.owns_lock())
    {
        WriteSilence(output, frames, 0);
        return 0;
    }

    int state = m_state.load(std::memory_order_acquire);
    switch (state)
    {
    case kStatePlaying:
        return ReadForDevice(output, frames);

    case kStateFastForward:
    case kStateRewind: {
        const uint32_t got = ReadForDevice(output, frames);
        // The shown position jumps 3 s per half second of sound, as the
        // reader skips 3 s of source each time. The dynamics' fade position
        // is not moved here: its setter waits for the dynamics' settings
        // lock, which the audio thread must not do. The seek that ends the
        // winding (Play, Pause, Stop) sets it again.
        const double rate = m_deviceRate.load(std::memory_order_acquire);
        if (m_deliveredCounter.load(std::memory_order_acquire) > rate * 0.5)
        {
            m_deliveredCounter.fetch_sub(static_cast<uint32_t>(rate * 0.5), std::memory_order_acq_rel);
            const int64_t jump = WindFrames(3.0);
            m_playFrames.fetch_add(state == kStateFastForward ? jump : -jump, std::memory_order_acq_rel);
        }
        return got;
    }

    case kStateCuePlayFrom:
    case kStateCuePlayTo: {
        // The cue counts the frames really played: after an underrun (silence
        // while the ring refills) the cue play still covers its whole span.
        const uint32_t cue = m_cueFrames.load(std::memory_order_acquire);
        const uint32_t wanted = std::min(frames, cue);
        const uint32_t got = ReadForDevice(output, wanted);
        WriteSilence(output, frames - wanted, wanted);
        // A command given meanwhile (a new cue play) keeps its own count and
        // state. The seek back (or the pause) and the listeners are the
        // reader thread's work.
        uint32_t expected = cue;
        if (!m_cueFrames.compare_exchange_strong(expected, cue - got, std::memory_order_acq_rel))
            return got;
        if (got == cue && m_state.compare_exchange_strong(state, kStateStopped, std::memory_order_acq_rel))
        {
            m_cueEndPending.store(state, std::memory_order_release);
            m_readerWake.wake();
        }
        return got;
    }

    default:
        WriteSilence(output, frames, 0);
        return 0;
    }
}

// ---------------------------------------------------------------------------
// Transport commands (owner's thread)

void CAudioFilePlayerPcmOutput::Play()
{
    Lock player(m_playerLock.m_section);
    CancelCuePlayEnd();
    if (GetSource() == nullptr)
        return;
    const int state = m_state.load(std::memory_order_acquire);
    if (state == kStateFastForward || state == kStateRewind)
        SetPosition(GetPosition()); // drops the wound-ahead ring
    m_state.store(kStatePlaying, std::memory_order_release);
    m_readerWake.wake();
}

void CAudioFilePlayerPcmOutput::Pause()
{
    Lock player(m_playerLock.m_section);
    CancelCuePlayEnd();
    if (m_state.exchange(kStateStopped, std::memory_order_acq_rel) != kStateStopped)
        SetPosition(GetPosition()); // the ring refills from the shown position
}

void CAudioFilePlayerPcmOutput::Stop()
{
    Lock player(m_playerLock.m_section);
    CancelCuePlayEnd();
    m_state.store(kStateStopped, std::memory_order_release);
    if (GetPosition() > 0.0)
        SetPosition(0.0);
    m_dynamics->ResetPeaks();
    m_readerWake.wake();
}

void CAudioFilePlayerPcmOutput::FastForward()
{
    Lock player(m_playerLock.m_section);
    CancelCuePlayEnd();
    if (GetSource() == nullptr || m_state.load(std::memory_order_acquire) == kStateFastForward)
        return;
    const double p = GetPosition();
    m_deliveredCounter.store(0, std::memory_order_release);
    m_readCounter.store(0, std::memory_order_release);
    SetPosition(p > 0.0 ? p + 2.0 : 0.0);
    m_state.store(kStateFastForward, std::memory_order_release);
    m_readerWake.wake();
}

void CAudioFilePlayerPcmOutput::Rewind()
{
    Lock player(m_playerLock.m_section);
    CancelCuePlayEnd();
    if (GetSource() == nullptr || m_state.load(std::memory_order_acquire) == kStateRewind)
        return;
    m_deliveredCounter.store(0, std::memory_order_release);
    m_readCounter.store(0, std::memory_order_release);
    SetPosition(GetPosition() - 3.0);
    m_state.store(kStateRewind, std::memory_order_release);
    m_readerWake.wake();
}

void CAudioFilePlayerPcmOutput::CuePlayFrom()
{
    Lock player(m_playerLock.m_section);
    CancelCuePlayEnd();
    if (GetSource() == nullptr || m_state.load(std::memory_order_acquire) != kStateStopped)
        return;
    const double start = GetPosition();
    m_cueStart.store(start, std::memory_order_release);
    const double length = std::clamp(m_sourceLength.load(std::memory_order_acquire) - start, 0.0, 2.0);
    m_cueFrames.store(static_cast<uint32_t>(length * m_deviceRate.load(std::memory_order_acquire)),
                      std::memory_order_release);
    m_state.store(kStateCuePlayFrom, std::memory_order_release);
    m_readerWake.wake();
}

void CAudioFilePlayerPcmOutput::CuePlayTo()
{
    Lock player(m_playerLock.m_section);
    CancelCuePlayEnd();
    if (GetSource() == nullptr || m_state.load(std::memory_order_acquire) != kStateStopped)
        return;
    const double p = GetPosition();
    const double q = SetPosition(p - 2.0);
    const double length = p - q;
    m_cueFrames.store(length > 0.0 ? static_cast<uint32_t>(length * m_deviceRate.load(std::memory_order_acquire)) : 0,
                      std::memory_order_release);
    m_state.store(kStateCuePlayTo, std::memory_order_release);
    m_readerWake.wake();
}

double CAudioFilePlayerPcmOutput::SetPosition(double seconds)
{
    {
        Lock player(m_playerLock.m_section);
        CancelCuePlayEnd();
        CAudioPlayerInput* const source = GetSource();
        if (source != nullptr)
        {
            // Negative and NaN targets are the start.
            const double target = seconds > 0.0 ? seconds : 0.0;
            const double reached = source->SetPositionInSeconds(target);
            m_basePosition.store(reached, std::memory_order_release);
            m_converter->Reset();
            Lock ring(m_ringLock.m_section);
            m_prebuffering.store(true, std::memory_order_release);
            m_ring->Clear();
            m_playFrames.store(0, std::memory_order_release);
            m_dynamics->SetFadePositionFrames(static_cast<int64_t>(reached * FadeRate()));
            m_sourceFramesRead = 0;
        }
    }
    m_lastJump.store(-1.0, std::memory_order_release);
    m_readerWake.wake(); // the emptied ring wants refilling
    return GetPosition();
}

double CAudioFilePlayerPcmOutput::SetPositionPercent(double percent)
{
    SetPosition(m_sourceLength.load(std::memory_order_acquire) * percent * 0.01);
    return GetPositionPercent();
}

bool CAudioFilePlayerPcmOutput::SetHoldAtEnd(bool hold)
{
    m_holdAtEnd.store(hold, std::memory_order_release);
    m_readerWake.wake();
    return hold;
}

bool CAudioFilePlayerPcmOutput::GetHoldAtEnd()
{
    return m_holdAtEnd.load(std::memory_order_acquire);
}

void CAudioFilePlayerPcmOutput::ReadPeakLevels(float* levels)
{
    for (uint16_t c = 0; c < m_channels; ++c)
        levels[c] = m_dynamics->ReadPeak(c);
}

double CAudioFilePlayerPcmOutput::GetPosition()
{
    if (GetSource() == nullptr)
        return 0.0;
    const double position = m_basePosition.load(std::memory_order_acquire) +
                            static_cast<double>(m_playFrames.load(std::memory_order_acquire)) /
                                m_deviceRate.load(std::memory_order_acquire);
    return std::clamp(position, 0.0, std::max(0.0, m_sourceLength.load(std::memory_order_acquire)));
}

double CAudioFilePlayerPcmOutput::GetPositionPercent()
{
    const double length = m_sourceLength.load(std::memory_order_acquire);
    if (GetSource() == nullptr || !(length > 0.0))
        return 0.0;
    return std::clamp(GetPosition() / length * 100.0, 0.0, 100.0);
}

double CAudioFilePlayerPcmOutput::GetBufferFill()
{
    return m_ring->GetFillPercent();
}

bool CAudioFilePlayerPcmOutput::IsHoldingAtEnd()
{
    return m_holdAtEnd.load(std::memory_order_acquire) && IsFinished();
}

bool CAudioFilePlayerPcmOutput::IsRewoundToStart()
{
    return m_holdAtEnd.load(std::memory_order_acquire) && m_state.load(std::memory_order_acquire) == kStateRewind &&
           GetSource() != nullptr && GetPosition() <= 1.0;
}

CDynamicControl* CAudioFilePlayerPcmOutput::GetDynamicControl()
{
    return m_dynamics.get();
}

// ---------------------------------------------------------------------------
// Marks

CMarker* CAudioFilePlayerPcmOutput::GetMarkers()
{
    CAudioPlayerInput* const source = GetSource();
    return source != nullptr ? source->GetMarker() : nullptr;
}

bool CAudioFilePlayerPcmOutput::JumpToMarker(int index)
{
    CMarker* const marks = GetMarkers();
    if (marks == nullptr)
        return false;
    if (index < 0)
    {
        SetPosition(0.0);
        m_lastJump.store(0.0, std::memory_order_release);
        return true;
    }
    if (index >= marks->GetCount())
        return false;
    const double reached = SetPosition(marks->GetAt(index));
    m_lastJump.store(reached, std::memory_order_release);
    return true;
}

int CAudioFilePlayerPcmOutput::GetMarkerIndexAtPosition()
{
    CMarker* const marks = GetMarkers();
    if (marks == nullptr || marks->GetCount() == 0)
        return 0;
    double t = GetPosition();
    // Right after a jump the jump's mark stays the current one while stopped
    // or until the position has passed it, so that previous and next stay
    // stable.
    const double jump = m_lastJump.load(std::memory_order_acquire);
    if (jump >= 0.0 && (m_state.load(std::memory_order_acquire) == kStateStopped || t <= jump))
        t = jump;
    return marks->FindIndex(t);
}

bool CAudioFilePlayerPcmOutput::NextMarker()
{
    return JumpToMarker(GetMarkerIndexAtPosition() + 1);
}

bool CAudioFilePlayerPcmOutput::PreviousMarker()
{
    CMarker* const marks = GetMarkers();
    if (marks == nullptr)
        return false;
    int index = GetMarkerIndexAtPosition();
    const double position = GetPosition();
    if (m_state.load(std::memory_order_acquire) == kStateStopped)
    {
        // Stopped on a mark (within half a millisecond): the one before it.
        if (index >= 0 && index < marks->GetCount() && position - 0.0005 <= marks->GetAt(index))
            --index;
    }
    else
    {
        // Playing: a mark less than a second behind counts as the current one.
        while (index >= 0 && marks->GetAt(index) >= position - 1.0)
            --index;
    }
    return JumpToMarker(index);
}
