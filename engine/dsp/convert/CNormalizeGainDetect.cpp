#include "engine/dsp/convert/CNormalizeGainDetect.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "engine/audiofile/io/CAudioPlayerInput.h"
#include "engine/dsp/rate/RateConverters.h"

namespace
{

constexpr uint32_t kOneBitRate = 2822400;

} // namespace

// --- Base --------------------------------------------------------------------

CNormalizeGainDetectProcessBase::~CNormalizeGainDetectProcessBase() = default;

void CNormalizeGainDetectProcessBase::WaitForSource()
{
    if (m_source == nullptr)
        return;
    m_source->Prepare();
    while (!m_cancel.load() && m_source->IsPreparing())
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
}

void CNormalizeGainDetectProcessBase::SetCancel(bool cancel)
{
    m_cancel.store(cancel);
    // The converter's loops test their own flag.
    if (m_converter != nullptr)
        m_converter->SetCancel(cancel);
}

float CNormalizeGainDetectProcessBase::MeasuredPeak()
{
    float peak = 0.0f;
    const uint16_t channels = m_output->GetChannelCount();
    for (uint16_t c = 0; c < channels; ++c)
    {
        CPeakValueDetectVirtualFile::ChannelPeak p;
        m_output->GetChannelPeak(&p, c);
        peak = std::max({peak, std::fabs(p.maximum), std::fabs(p.minimum)});
    }
    return peak;
}

void CNormalizeGainDetectProcessBase::SeekSource(uint64_t frame)
{
    const uint64_t position = m_source->SetPosition(frame);
    const uint64_t sourceRate = std::max<uint32_t>(m_source->GetSampleRate(), 1);
    const uint64_t outputRate = m_output->GetSampleRate();
    const uint64_t outputFrame = position / sourceRate * outputRate + position % sourceRate * outputRate / sourceRate;
    m_converter->GetDynamicControl()->SetFadePositionFrames(static_cast<int64_t>(outputFrame));
}

void CNormalizeGainDetectProcessBase::NoteMeasuredPeak(float peak)
{
    m_foundPeak.store(peak > 0.0f && !m_cancel.load());
}

float CNormalizeGainDetectProcessBase::GainForPeak(float peak)
{
    if (!(peak > 0.0f))
        return 0.0f;
    return static_cast<float>(-20.0 * std::log10(static_cast<double>(peak)) - kMarginDb);
}

// --- One exact pass ------------------------------------------------------------

bool CNormalizeGainDetectPcm::Prepare(CAudioPlayerInput* source, uint32_t targetRate)
{
    if (source == nullptr)
        return false;
    m_source = source;
    m_targetRate = targetRate;
    m_cancel.store(false);
    m_progress.store(0.0f);
    m_foundPeak.store(false);
    m_converter.reset();
    m_output = std::make_unique<CPeakValueDetectVirtualFile>(targetRate, source->GetChannelCount());
    m_converter = std::make_unique<CAudioFileConverterPcmOutput>(source->GetChannelCount());
    return m_converter->Open(source, m_output.get(), false);
}

float CNormalizeGainDetectPcm::Detect()
{
    if (m_source == nullptr || m_converter == nullptr)
        return 0.0f;
    m_progress.store(0.0f);
    m_output->Reset();
    SeekSource(0);
    m_converter->GetDynamicControl()->ResetMeters();

    // The stage is the same-rate copy, or the export stage for a source whose
    // positions are not exact enough for a second pass. No priming is needed
    // to see the peak; a stage with a delay is flushed at the end, or the
    // song's last frames would never be measured.
    while (!m_cancel.load() && m_converter->ProcessBlock() != 0)
        m_progress.store(static_cast<float>(m_source->GetPositionPercent()));
    if (!m_cancel.load() && m_converter->GetSrcStage() != nullptr && m_converter->GetSrcStage()->GetLatency() > 0)
        m_converter->FlushSrcTail();
    const float peak = MeasuredPeak();
    NoteMeasuredPeak(peak);
    if (!m_cancel.load())
        m_progress.store(100.0f);
    SeekSource(0);
    if (m_cancel.load())
        return 0.0f;

    const float gain = GainForPeak(peak);
    // A song at full scale that the export passes unchanged (same rate, no DC
    // cut) needs no gain: the margin would only make it quieter.
    const bool unchanged =
        m_output->GetSampleRate() == m_source->GetSampleRate() && m_converter->GetDynamicControl()->GetDcCut() == 0;
    if (unchanged && gain >= -2.0f * kMarginDb && gain <= -kMarginDb + kFullScaleToleranceDb)
        return 0.0f;
    return gain;
}

// --- Two passes ----------------------------------------------------------------

float CNormalizeGainDetectPcmFsConversion::Detect()
{
    if (m_source == nullptr || m_converter == nullptr)
        return 0.0f;
    CDynamicControl* dynamics = m_converter->GetDynamicControl();
    const uint32_t sourceRate = m_source->GetSampleRate();
    std::unique_ptr<CConverterDspBase> quick =
        CreatePeakDetectionConverter(sourceRate, m_targetRate, dynamics->GetChannelCount());
    if (quick == nullptr || m_converter->GetSrcStage() == nullptr)
        return 0.0f;

    // First pass: where is the peak?
    m_progress.store(0.0f);
    m_output->Reset();
    SeekSource(0);
    dynamics->ResetMeters();
    std::unique_ptr<CConverterDspBase> exact = m_converter->ReplaceSrcStage(std::move(quick));
    m_converter->PrimeSrc();
    while (!m_cancel.load() && m_converter->ProcessBlock() != 0)
        m_progress.store(static_cast<float>(m_source->GetPositionPercent()));
    m_converter->FlushSrcTail();
    m_converter->ReplaceSrcStage(std::move(exact));

    // The window around it, in source frames, wide enough for the export
    // stage's delay on both sides.
    CConverterDspBase* stage = m_converter->GetSrcStage();
    const int64_t length = static_cast<int64_t>(m_source->GetLength());
    const int64_t peakFrame = static_cast<int64_t>(m_output->GetPeakFrame() * sourceRate / m_targetRate);
    const int64_t reach = 2 * static_cast<int64_t>(stage->GetLatency());
    int64_t start = peakFrame - reach;
    int64_t end = peakFrame + reach;
    if (!m_source->IsLossless())
    {
        start -= sourceRate;
        end += sourceRate;
    }
    else if (dynamics->GetDcCut() != 0)
    {
        start -= sourceRate / 4; // lets the DC cut settle
    }
    const int64_t decimation = std::max<uint32_t>(stage->GetDecimation(), 1);
    start = start < 1 ? 0 : start / decimation * decimation;
    const bool toTheEnd = end < start || end >= length;
    if (toTheEnd)
        end = length;

    // Second pass: the exact measurement. It runs to the end of the song only
    // when the window reaches it, and then flushes the tail, where the last
    // frames come out of the stage.
    stage->Reset();
    SeekSource(static_cast<uint64_t>(start));
    dynamics->ResetMeters();
    m_output->Reset();
    if (!m_cancel.load())
    {
        m_converter->PrimeSrc();
        while (!m_cancel.load() && static_cast<int64_t>(m_source->GetPosition()) < end &&
               m_converter->ProcessBlock() != 0)
        {
        }
        if (toTheEnd && !m_cancel.load())
            m_converter->FlushSrcTail();
    }
    const float peak = MeasuredPeak();
    NoteMeasuredPeak(peak);
    if (!m_cancel.load())
        m_progress.store(100.0f);
    SeekSource(0);
    return m_cancel.load() ? 0.0f : GainForPeak(peak);
}

// --- Chooser -----------------------------------------------------------------

CNormalizeGainDetect::CNormalizeGainDetect() = default;
CNormalizeGainDetect::~CNormalizeGainDetect() = default;

bool CNormalizeGainDetect::Prepare(CAudioPlayerInput* source, uint32_t targetRate)
{
    if (source == nullptr)
        return false;
    std::unique_ptr<CNormalizeGainDetectProcessBase> detector;
    const uint32_t sourceRate = source->GetSampleRate();
    uint32_t rate = targetRate;
    if (sourceRate < kOneBitRate)
    {
        if (targetRate == sourceRate)
        {
            detector = std::make_unique<CNormalizeGainDetectPcm>();
        }
        else if (targetRate >= kOneBitRate)
        {
            detector = std::make_unique<CNormalizeGainDetectPcm>();
            rate = sourceRate; // measured without conversion
        }
        else if (source->IsVariableBitRate())
        {
            detector = std::make_unique<CNormalizeGainDetectPcm>(); // one full exact pass
        }
        else
        {
            detector = std::make_unique<CNormalizeGainDetectPcmFsConversion>();
        }
    }
    std::lock_guard<std::mutex> lock(m_lock);
    m_detector = std::move(detector);
    return m_detector != nullptr && m_detector->Prepare(source, rate);
}

void CNormalizeGainDetect::WaitForSource()
{
    if (m_detector != nullptr)
        m_detector->WaitForSource();
}

CAudioFileConverterPcmOutput* CNormalizeGainDetect::GetConverter()
{
    return m_detector != nullptr ? m_detector->GetConverter() : nullptr;
}

float CNormalizeGainDetect::Detect()
{
    return m_detector != nullptr ? m_detector->Detect() : 0.0f;
}

bool CNormalizeGainDetect::FoundPeak()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_detector != nullptr && m_detector->FoundPeak();
}

void CNormalizeGainDetect::SetCancel(bool cancel)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_detector != nullptr)
        m_detector->SetCancel(cancel);
}

float CNormalizeGainDetect::GetProgress()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_detector != nullptr ? m_detector->GetProgress() : 0.0f;
}
