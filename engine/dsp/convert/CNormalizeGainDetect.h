#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "engine/audiofile/pcm/CPeakValueDetectVirtualFile.h"
#include "engine/dsp/convert/CAudioFileConverterPcmOutput.h"

class CAudioPlayerInput;

// Measures the peak a song will have after the export's rate conversion and
// dynamics, and returns the gain in dB that brings that peak to -0.25 dBFS:
// -20 log10(peak) - 0.25 (0 for silence, for a cancelled detection and for a
// song already at full scale that the export passes unchanged).
//
// One detector serves one song: Prepare, WaitForSource, then the owner gives
// the song's dynamics to GetConverter()'s CDynamicControl, then Detect.
class CNormalizeGainDetectProcessBase
{
public:
    static constexpr float kMarginDb = 0.25f;
    // Integer full scale is one step below 1.0 (32767 / 32768 reads as
    // -0.00027 dB): peaks that close to 1.0 count as full scale.
    static constexpr float kFullScaleToleranceDb = 0.0003f;

    CNormalizeGainDetectProcessBase() = default;
    virtual ~CNormalizeGainDetectProcessBase();

    CNormalizeGainDetectProcessBase(const CNormalizeGainDetectProcessBase&) = delete;
    CNormalizeGainDetectProcessBase& operator=(const CNormalizeGainDetectProcessBase&) = delete;

    // Binds the song and the export's output rate; clears the cancel flag.
    virtual bool Prepare(CAudioPlayerInput* source, uint32_t targetRate) = 0;
    virtual float Detect() = 0;
    virtual CAudioFileConverterPcmOutput* GetConverter() { return m_converter.get(); }

    // Starts the source's preparation and waits (500 ms polls) until it is
    // ready or the detection is cancelled.
    void WaitForSource();

    // Any thread.
    void SetCancel(bool cancel);
    bool IsCancelled() const { return m_cancel.load(); }
    // Percent of the song scanned; 100 when a scan ended without cancel.
    float GetProgress() const { return m_progress.load(); }
    // The last Detect measured a peak above silence (and was not cancelled).
    bool FoundPeak() const { return m_foundPeak.load(); }

protected:
    // The largest absolute sample the output saw on any channel.
    float MeasuredPeak();
    // Seeks the source and sets the fade position to match (output frames).
    void SeekSource(uint64_t frame);
    void NoteMeasuredPeak(float peak);
    // The gain for a peak: -20 log10(peak) - 0.25, 0 for silence.
    static float GainForPeak(float peak);

    std::atomic<bool> m_cancel{false};
    std::atomic<float> m_progress{0.0f};
    std::atomic<bool> m_foundPeak{false};
    CAudioPlayerInput* m_source = nullptr;
    uint32_t m_targetRate = 44100;
    // The converter writes into the output: it goes first.
    std::unique_ptr<CPeakValueDetectVirtualFile> m_output;
    std::unique_ptr<CAudioFileConverterPcmOutput> m_converter;
};

// One exact pass through the export converter.
class CNormalizeGainDetectPcm : public CNormalizeGainDetectProcessBase
{
public:
    bool Prepare(CAudioPlayerInput* source, uint32_t targetRate) override;
    float Detect() override;
};

// A cheap pass through a short peak-detection rate stage finds where the peak
// is; a second, exact pass through the export stage measures it there.
class CNormalizeGainDetectPcmFsConversion : public CNormalizeGainDetectPcm
{
public:
    float Detect() override;
};

// Chooses the detector for a song and the export's output rate.
class CNormalizeGainDetect
{
public:
    CNormalizeGainDetect();
    ~CNormalizeGainDetect();

    CNormalizeGainDetect(const CNormalizeGainDetect&) = delete;
    CNormalizeGainDetect& operator=(const CNormalizeGainDetect&) = delete;

    // False without a source, for 1-bit sources (2822400 Hz and above) and
    // when the converter cannot be opened for the pair of rates.
    bool Prepare(CAudioPlayerInput* source, uint32_t targetRate);
    void WaitForSource();
    // Null until Prepare made a detector.
    CAudioFileConverterPcmOutput* GetConverter();
    CNormalizeGainDetectProcessBase* GetDetector() { return m_detector.get(); }
    // 0.0 without a detector.
    float Detect();
    // False without a detector and for silence: a gain of 0 that measured
    // nothing.
    bool FoundPeak();

    // Any thread.
    void SetCancel(bool cancel);
    float GetProgress();

private:
    // Guards the detector pointer against the other threads' cancel and
    // progress calls while Prepare replaces it.
    std::mutex m_lock;
    std::unique_ptr<CNormalizeGainDetectProcessBase> m_detector;
};
