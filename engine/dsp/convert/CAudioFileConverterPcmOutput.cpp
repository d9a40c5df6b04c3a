#include "engine/dsp/convert/CAudioFileConverterPcmOutput.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "engine/audiofile/io/CAudioPlayerInput.h"
#include "engine/audiofile/io/CAudioRecorderOutput.h"
#include "engine/audiofile/pcm/PcmBuffers.h"
#include "engine/audiofile/pcm/PcmGain.h"
#include "engine/dsp/rate/RateConverters.h"

namespace
{

constexpr uint32_t kOneBitRate = 2822400;

void SleepMilliseconds(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace

// --- Base --------------------------------------------------------------------

CAudioFileConverterBase::CAudioFileConverterBase(uint16_t channels)
    : m_sourceBuffer(std::make_unique<CSimpleBufferPcm>(kMaxChannels, kSourceFrames)),
      m_dynamics(std::make_unique<CDynamicControl>(channels > kMaxChannels ? kMaxChannels : channels)),
      m_channelCount(channels)
{
    m_readPointers.assign(kMaxChannels, nullptr);
}

CAudioFileConverterBase::~CAudioFileConverterBase() = default;

bool CAudioFileConverterBase::Open(CAudioPlayerInput* input, CAudioRecorderOutput* output, bool followedDirectly)
{
    m_continuing = m_followedDirectly;
    m_input = input;
    m_output = output;
    m_passThrough.store(false);
    m_followedDirectly = followedDirectly;
    m_meterChannels.store(0);

    const auto fail = [this] {
        m_followedDirectly = false;
        m_continuing = false;
        return false;
    };
    if (input == nullptr || output == nullptr)
        return fail();
    // The buffers hold two channels: an output wanting more cannot be served,
    // and the input's further channels are read into nothing.
    const uint16_t inputChannels = input->GetChannelCount();
    const uint16_t outputChannels = output->GetChannelCount();
    if (inputChannels == 0 || outputChannels == 0 || outputChannels > kMaxChannels)
        return fail();
    m_inputChannels = std::min(inputChannels, kMaxChannels);
    m_readPointers.assign(std::max<size_t>(inputChannels, kMaxChannels), nullptr);
    for (uint16_t c = 0; c < kMaxChannels; ++c)
        m_readPointers[c] = m_sourceBuffer->GetChannel(c);

    // The dynamics object stays (the owner holds it and has just given it the
    // song's settings); it only changes its channel count.
    if (m_inputChannels != m_dynamics->GetChannelCount())
    {
        m_continuing = false;
        m_dynamics->SetChannelCount(m_inputChannels);
    }
    PrepareDynamics();
    if (!BuildChain())
        return fail();
    m_blockLength = GetBlockLength();
    m_passThrough.store(output->GetSampleRate() == input->GetSampleRate() && input->IsLossless() &&
                        m_dynamics->IsNeutral());
    m_outputIsFloat.store(output->IsFloat());
    m_meterChannels.store(m_inputChannels);
    return true;
}

void CAudioFileConverterBase::Run()
{
    if (m_input == nullptr || m_output == nullptr || m_src == nullptr)
        return;
    m_input->Prepare();
    while (!m_cancel.load() && m_input->IsPreparing())
        SleepMilliseconds(500);
    if (m_cancel.load())
        return;

    m_input->SetPosition(0);
    m_publishedRate.store(m_input->GetSampleRate());
    m_publishedPosition.store(0);
    // The fade position counts output frames.
    const uint64_t inputRate = std::max<uint32_t>(m_input->GetSampleRate(), 1);
    const uint64_t position = m_input->GetPosition();
    m_dynamics->SetFadePositionFrames(
        static_cast<int64_t>(position / inputRate * m_output->GetSampleRate() +
                             position % inputRate * m_output->GetSampleRate() / inputRate));
    m_dynamics->ResetMeters();

    if (m_input->GetMetaData() != nullptr && m_output->GetMetaData() != nullptr)
        m_output->GetMetaData()->CopyFrom(*m_input->GetMetaData());
    m_output->UpdateMetaData();
    if (m_input->GetMarker() != nullptr && m_output->GetMarker() != nullptr)
        m_output->GetMarker()->CopyFrom(*m_input->GetMarker());

    if (m_passThrough.load())
    {
        RunWithoutSrc();
        return;
    }
    if (!m_continuing)
        PrimeSrc();
    while (!m_cancel.load() && ProcessBlock() != 0)
        WaitWhilePaused();
    if (!m_followedDirectly)
        FlushSrcTail();
}

void CAudioFileConverterBase::WaitWhilePaused()
{
    if (!m_pause.load() || m_cancel.load())
        return;
    m_holding.store(true);
    while (m_pause.load() && !m_cancel.load())
        SleepMilliseconds(200);
    m_holding.store(false);
}

uint32_t CAudioFileConverterBase::ReadSource(uint32_t frames)
{
    const uint32_t read = m_input->ReadFloat(m_readPointers.data(), std::min(frames, kSourceFrames), 0);
    m_publishedPosition.store(m_publishedPosition.load() + read);
    return read;
}

// --- PCM output ----------------------------------------------------------------

CAudioFileConverterPcmOutput::CAudioFileConverterPcmOutput(uint16_t channels)
    : CAudioFileConverterBase(channels),
      m_outputBuffer(std::make_unique<CSimpleBufferPcm>(kMaxChannels, kOutputFrames))
{
}

CAudioFileConverterPcmOutput::~CAudioFileConverterPcmOutput() = default;

DitherMode ditherModeFromSetting(int value)
{
    switch (value)
    {
    case static_cast<int>(DitherMode::Tpdf):
        return DitherMode::Tpdf;
    case static_cast<int>(DitherMode::NoiseShaped):
        return DitherMode::NoiseShaped;
    default:
        return DitherMode::None;
    }
}

void CAudioFileConverterPcmOutput::SetDitherMode(DitherMode mode)
{
    if (mode == m_ditherMode)
        return;
    m_ditherMode = mode;
    m_wordLength.reset();
}

std::unique_ptr<CConverterDspBase> CAudioFileConverterPcmOutput::ReplaceSrcStage(
    std::unique_ptr<CConverterDspBase> stage)
{
    std::swap(stage, m_src);
    return stage;
}

void CAudioFileConverterPcmOutput::GetPeakLevels(float* levels, int* clipState)
{
    if (clipState != nullptr)
        *clipState = 0;
    if (levels == nullptr)
        return;
    const uint16_t meters = m_meterChannels.load();
    if (meters == 0)
    {
        std::fill_n(levels, m_channelCount, CDynamicControl::kNoPeak);
        return;
    }
    if (m_passThrough.load())
    {
        std::fill_n(levels, m_channelCount, 0.0f);
        return;
    }
    float loudest = CDynamicControl::kNoPeak;
    const uint16_t measured = std::min(meters, m_channelCount);
    for (uint16_t c = 0; c < measured; ++c)
    {
        levels[c] = m_dynamics->ReadPeak(c);
        loudest = std::max(loudest, levels[c]);
    }
    for (uint16_t c = measured; c < m_channelCount; ++c)
        levels[c] = levels[0];
    if (clipState != nullptr && !m_outputIsFloat.load() && loudest > 0.0f)
        *clipState = 2;
}

bool CAudioFileConverterPcmOutput::BuildChain()
{
    if (m_input == nullptr || m_output == nullptr)
        return false;
    if (m_wordLength == nullptr)
    {
        if (m_ditherMode == DitherMode::Tpdf)
            m_wordLength = std::make_unique<CAudioRecorderOutputProcessTpdfDither>();
        else if (m_ditherMode == DitherMode::NoiseShaped)
            m_wordLength = std::make_unique<CAudioRecorderOutputProcessNoiseShapedDither>();
        else
            m_wordLength = std::make_unique<CAudioRecorderOutputProcessNone>();
    }
    m_wordLength->SetOutput(m_output);
    m_wordLength->SetSourceBits(m_input->GetBitsPerSample());

    const RateConversionCode code = GetRateConversionCode(m_input->GetSampleRate(), m_output->GetSampleRate());
    if (m_src != nullptr && code == m_rateCode && m_srcChannels == InputChannels())
    {
        if (!m_continuing)
        {
            m_src->Reset();
            m_wordLength->Reset();
        }
        return true;
    }
    m_continuing = false;
    m_src.reset();
    m_wordLength->Reset();
    m_rateCode = -1;
    m_src = CreateExportConverter(code, InputChannels());
    if (m_src == nullptr)
        return false;
    m_srcChannels = InputChannels();
    m_rateCode = code;
    return true;
}

void CAudioFileConverterPcmOutput::PrepareDynamics()
{
    m_dynamics->SetSampleRate(m_output->GetSampleRate());
    m_dynamics->SetFadeLength(m_input->GetLengthInSeconds());
    if (!m_continuing)
        m_dynamics->ResetMeters();
}

uint32_t CAudioFileConverterPcmOutput::GetBlockLength()
{
    if (m_src == nullptr || m_src->GetInterpolation() == 0)
        return kOutputFrames;
    // The largest input block whose output fits the output buffer.
    const uint64_t frames = uint64_t{kOutputFrames} * m_src->GetDecimation() / m_src->GetInterpolation();
    return static_cast<uint32_t>(std::clamp<uint64_t>(frames, 1, kSourceFrames));
}

void CAudioFileConverterPcmOutput::FillUp(uint32_t frames)
{
    float* const* buffers = m_outputBuffer->GetBuffers();
    const uint16_t outputChannels = std::min(m_output->GetChannelCount(), kMaxChannels);
    for (uint16_t c = InputChannels(); c < outputChannels; ++c)
        CopyChannelBuffers(1, &buffers[c], &buffers[0], frames, 0, 0);
}

uint32_t CAudioFileConverterPcmOutput::ProcessBlock()
{
    uint32_t n = ReadSource(m_blockLength);
    if (n == 0)
        return 0;
    n = m_src->Process(m_sourceBuffer->GetBuffers(), m_outputBuffer->GetBuffers(), n);
    n = m_dynamics->Process(m_outputBuffer->GetBuffers(), n);
    FillUp(n);
    return m_wordLength->WriteFloat(m_outputBuffer->GetBuffers(), n);
}

void CAudioFileConverterPcmOutput::PrimeSrc()
{
    uint32_t latency = m_src->GetLatency();
    if (m_input->GetSampleRate() >= kOneBitRate)
        latency &= ~7u;
    // The stage's delay line is filled with the song's first frames, faded in
    // so that the start does not click; its output is dropped, and the main
    // loop goes on after these frames.
    uint32_t done = 0;
    while (done < latency)
    {
        if (m_cancel.load())
            return;
        const uint32_t got = ReadSource(std::min(latency - done, m_blockLength));
        if (got == 0)
            return;
        ApplyFadeInRamp(InputChannels(), m_sourceBuffer->GetBuffers(), m_sourceBuffer->GetBuffers(), got, latency,
                        done);
        done += got;
        m_src->Process(m_sourceBuffer->GetBuffers(), m_outputBuffer->GetBuffers(), got);
        WaitWhilePaused();
    }
}

void CAudioFileConverterPcmOutput::FlushSrcTail()
{
    uint32_t latency = m_src->GetLatency();
    if (m_input->GetSampleRate() >= kOneBitRate)
        latency = (latency + 7u) & ~7u;
    const uint32_t tail = static_cast<uint32_t>(uint64_t{latency} * m_src->GetInterpolation() /
                                                std::max<uint32_t>(m_src->GetDecimation(), 1));
    // Silence pushes the song's last frames out of the delay line; they fade
    // out over the tail.
    uint32_t done = 0;
    int64_t written = 0;
    while (done < latency)
    {
        if (m_cancel.load())
            return;
        const uint32_t chunk = std::min(latency - done, m_blockLength);
        ClearChannelBuffers(kMaxChannels, m_sourceBuffer->GetBuffers(), chunk, 0);
        done += chunk;
        uint32_t k = m_src->Process(m_sourceBuffer->GetBuffers(), m_outputBuffer->GetBuffers(), chunk);
        k = m_dynamics->Process(m_outputBuffer->GetBuffers(), k);
        ApplyFadeOutRamp(InputChannels(), m_outputBuffer->GetBuffers(), m_outputBuffer->GetBuffers(), k, tail, written);
        FillUp(k);
        written += m_wordLength->WriteFloat(m_outputBuffer->GetBuffers(), k);
        WaitWhilePaused();
    }
}

uint32_t CAudioFileConverterPcmOutput::WriteThroughDynamics(uint32_t frames)
{
    CopyChannelBuffers(InputChannels(), m_outputBuffer->GetBuffers(), m_sourceBuffer->GetBuffers(), frames, 0, 0);
    m_dynamics->Process(m_outputBuffer->GetBuffers(), frames);
    FillUp(frames);
    return m_wordLength->WriteFloat(m_outputBuffer->GetBuffers(), frames);
}

void CAudioFileConverterPcmOutput::RunWithoutSrc()
{
    const CFadeControl::Settings fades = m_dynamics->GetFadeSettings();
    const uint64_t fadeInEnd = static_cast<uint64_t>(fades.fadeInFrames);
    const int64_t fadeOutStartSigned = fades.totalFrames - fades.fadeOutFrames;
    const uint64_t fadeOutStart = fadeOutStartSigned > 0 ? static_cast<uint64_t>(fadeOutStartSigned) : 0;

    // Fade-in region, through the dynamics. Blocks end where the fade does, so
    // that no unchanged sample takes the float path.
    while (m_input->GetPosition() < fadeInEnd)
    {
        if (m_cancel.load())
            return;
        const uint64_t left = fadeInEnd - m_input->GetPosition();
        const uint32_t got = ReadSource(static_cast<uint32_t>(std::min<uint64_t>(m_blockLength, left)));
        if (got == 0)
            return;
        WriteThroughDynamics(got);
        WaitWhilePaused();
    }

    // The middle passes unchanged up to the first frame of the fade-out;
    // integers stay integers when neither side is float.
    const bool integers = !m_input->IsFloat() && !m_output->IsFloat();
    float* const* floats = m_outputBuffer->GetBuffers();
    std::vector<float*> middlePointers(m_readPointers.size(), nullptr);
    for (uint16_t c = 0; c < kMaxChannels; ++c)
        middlePointers[c] = floats[c];
    while (m_input->GetPosition() < fadeOutStart)
    {
        if (m_cancel.load())
            return;
        const uint64_t left = fadeOutStart - m_input->GetPosition();
        const uint32_t chunk = static_cast<uint32_t>(std::min<uint64_t>(m_blockLength, left));
        uint32_t got;
        if (integers)
        {
            int32_t** ints = reinterpret_cast<int32_t**>(middlePointers.data());
            got = m_input->ReadInt32(ints, chunk, 0);
            if (got == 0)
                return;
            m_publishedPosition.store(m_publishedPosition.load() + got);
            FillUp(got);
            m_wordLength->WriteInt32(ints, got);
        }
        else
        {
            got = m_input->ReadFloat(middlePointers.data(), chunk, 0);
            if (got == 0)
                return;
            m_publishedPosition.store(m_publishedPosition.load() + got);
            FillUp(got);
            m_wordLength->WriteFloat(middlePointers.data(), got);
        }
        WaitWhilePaused();
    }

    // The rest, through the dynamics from the fade position of the input's.
    m_dynamics->SetFadePositionFrames(static_cast<int64_t>(m_input->GetPosition()));
    while (!m_cancel.load())
    {
        const uint32_t got = ReadSource(m_blockLength);
        if (got == 0)
            return;
        WriteThroughDynamics(got);
        WaitWhilePaused();
    }
}
