#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/audiofile/pcm/CSimpleBufferPcm.h"
#include "engine/dsp/dynamics/CDynamicControl.h"
#include "engine/dsp/dynamics/WordLengthStages.h"
#include "engine/dsp/rate/CConverterDspBase.h"
#include "engine/dsp/rate/RateConversionCode.h"

class CAudioPlayerInput;
class CAudioRecorderOutput;

// Turns one song, read from a CAudioPlayerInput, into a CAudioRecorderOutput:
// rate conversion, the song's dynamics, a mono channel copied to further output
// channels, and the word-length stage. One converter serves a whole export:
// Open and Run follow each other song by song on the owner's thread, while
// other threads may set the cancel and pause flags and read the meters.
//
// Songs joined without a gap: Open(..., followedDirectly = true) says that the
// next song continues this one. This song then skips its tail flush, and the
// next one (continuing) skips its priming and keeps the rate converter's and
// the dither's state, so that the joined songs sound as one.
class CAudioFileConverterBase
{
public:
    static constexpr uint32_t kSourceFrames = 8192;
    // The converter's buffers hold at most two channels.
    static constexpr uint16_t kMaxChannels = 2;

    explicit CAudioFileConverterBase(uint16_t channels);
    virtual ~CAudioFileConverterBase();

    CAudioFileConverterBase(const CAudioFileConverterBase&) = delete;
    CAudioFileConverterBase& operator=(const CAudioFileConverterBase&) = delete;

    // Binds one song. False when input or output is null, when either rate is
    // not one of 44100, 48000, 88200 and 96000 Hz, when the input has no
    // channel or the output none or more than two.
    bool Open(CAudioPlayerInput* input, CAudioRecorderOutput* output, bool followedDirectly);
    // Converts the whole song; the outcome shows in the output and the flags.
    // The cancel and pause flags are the owner's: Run leaves them as they
    // are, so a cancel or a pause set before it (between two songs) holds.
    void Run();

    // Any thread.
    void SetCancel(bool cancel) { m_cancel.store(cancel); }
    bool IsCancelled() const { return m_cancel.load(); }
    void SetPause(bool pause) { m_pause.store(pause); }
    bool IsPaused() const { return m_pause.load(); }
    // True while Run holds at its pause point: asked to pause and stopped
    // there (a resume makes it false at once, before Run goes on).
    bool IsHoldingAtPause() const { return m_holding.load() && m_pause.load(); }
    // The input's position in frames and its rate, published per block read
    // so that other threads never ask the input while Run reads from it.
    uint64_t GetPublishedPosition() const { return m_publishedPosition.load(); }
    uint32_t GetPublishedSampleRate() const { return m_publishedRate.load(); }

    // The song's level controls; the object lives as long as the converter.
    CDynamicControl* GetDynamicControl() { return m_dynamics.get(); }
    bool IsPassThrough() const { return m_passThrough.load(); }
    uint32_t GetBlockLengthInUse() const { return m_blockLength; }

    // Meter read-out for the owner's display (any thread): channel-count
    // levels in dB, each read-and-reset; clipState 2 when an integer output
    // went above full scale.
    virtual void GetPeakLevels(float* levels, int* clipState) = 0;
    virtual bool BuildChain() = 0;
    virtual void PrepareDynamics() = 0;
    virtual uint32_t GetBlockLength() = 0;
    virtual void PrimeSrc() = 0;
    virtual uint32_t ProcessBlock() = 0;
    virtual void FlushSrcTail() = 0;
    virtual void RunWithoutSrc() = 0;

protected:
    // Sleeps in 200 ms steps while paused (and not cancelled).
    void WaitWhilePaused();
    // Reads floats into the source buffer; more input channels than the
    // buffer holds are read into nothing.
    uint32_t ReadSource(uint32_t frames);
    // Channels of the input that the converter handles (at most two).
    uint16_t InputChannels() const { return m_inputChannels; }

    CAudioPlayerInput* m_input = nullptr;
    CAudioRecorderOutput* m_output = nullptr;
    std::unique_ptr<CConverterDspBase> m_src;
    uint16_t m_srcChannels = 0;
    std::unique_ptr<CSimpleBufferPcm> m_sourceBuffer;
    std::unique_ptr<CDynamicControl> m_dynamics;
    uint32_t m_blockLength = 4096;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_pause{false};
    std::atomic<bool> m_passThrough{false};
    std::atomic<bool> m_holding{false};
    std::atomic<uint64_t> m_publishedPosition{0};
    std::atomic<uint32_t> m_publishedRate{0};
    bool m_followedDirectly = false;
    bool m_continuing = false;
    uint16_t m_channelCount;
    uint16_t m_inputChannels = 0;
    // Channel pointers handed to the input's reads: the source buffer's two,
    // then nulls up to the input's channel count.
    std::vector<float*> m_readPointers;

    // What the meter read-out needs, kept apart from the input and output
    // objects, which the owner replaces between songs.
    std::atomic<uint16_t> m_meterChannels{0};
    std::atomic<bool> m_outputIsFloat{false};
};

// The dither of the export's word-length stage. The numbers are the ones
// stored settings hold; ditherModeFromSetting maps any other number to None.
enum class DitherMode : int
{
    None = 0,
    Tpdf = 1,
    NoiseShaped = 2,
};
DitherMode ditherModeFromSetting(int value);

class CAudioFileConverterPcmOutput : public CAudioFileConverterBase
{
public:
    static constexpr uint32_t kOutputFrames = 4096;

    // channels: the meter channels (the export uses 2).
    explicit CAudioFileConverterPcmOutput(uint16_t channels);
    ~CAudioFileConverterPcmOutput() override;

    // A change drops the word-length stage, so that the next Open makes the
    // new one.
    void SetDitherMode(DitherMode mode);
    DitherMode GetDitherMode() const { return m_ditherMode; }
    CAudioRecorderOutputProcessBase* GetWordLengthStage() { return m_wordLength.get(); }

    // The rate stage in use; the normalise detection puts its own in place for
    // a pass and gives the old one back afterwards.
    CConverterDspBase* GetSrcStage() { return m_src.get(); }
    std::unique_ptr<CConverterDspBase> ReplaceSrcStage(std::unique_ptr<CConverterDspBase> stage);
    RateConversionCode GetRateCode() const { return m_rateCode; }

    void GetPeakLevels(float* levels, int* clipState) override;
    bool BuildChain() override;
    void PrepareDynamics() override;
    uint32_t GetBlockLength() override;
    void PrimeSrc() override;
    uint32_t ProcessBlock() override;
    void FlushSrcTail() override;
    void RunWithoutSrc() override;

private:
    // Copies channel 0 into every output channel the input does not fill.
    void FillUp(uint32_t frames);
    // Source buffer to output buffer unchanged, then dynamics, fill-up and the
    // float path of the word-length stage.
    uint32_t WriteThroughDynamics(uint32_t frames);

    std::unique_ptr<CSimpleBufferPcm> m_outputBuffer;
    RateConversionCode m_rateCode = -1;
    std::unique_ptr<CAudioRecorderOutputProcessBase> m_wordLength;
    DitherMode m_ditherMode = DitherMode::None;
};
