#pragma once

#include <cstdint>

class CAudioRecorderOutput;

// A word-length stage sits between the file converter and its output: it
// passes each block on unchanged or dithers it to the output's bit depth
// first. The stages serve at most two channels, as the converter's buffers do.
class CAudioRecorderOutputProcessBase
{
public:
    static constexpr uint16_t kMaxChannels = 2;

    CAudioRecorderOutputProcessBase() = default;
    virtual ~CAudioRecorderOutputProcessBase() = default;

    CAudioRecorderOutputProcessBase(const CAudioRecorderOutputProcessBase&) = delete;
    CAudioRecorderOutputProcessBase& operator=(const CAudioRecorderOutputProcessBase&) = delete;

    virtual void SetOutput(CAudioRecorderOutput* output) = 0;
    virtual void Reset() = 0;
    // 1-bit blocks always pass unchanged.
    virtual uint32_t WriteDsd(uint8_t** channels, uint32_t count);
    virtual uint32_t WriteInt32(int32_t** channels, uint32_t frames) = 0;
    virtual uint32_t WriteFloat(float** channels, uint32_t frames) = 0;

    // The bit depth of the song being converted (16 until set).
    void SetSourceBits(uint16_t bits) { m_sourceBits = bits; }
    uint16_t GetSourceBits() const { return m_sourceBits; }
    CAudioRecorderOutput* GetOutput() const { return m_output; }

protected:
    // The output's channel count, at most kMaxChannels; 0 without an output.
    uint16_t ProcessedChannels() const;

    CAudioRecorderOutput* m_output = nullptr;
    uint16_t m_sourceBits = 16;
};

// No dither: every write goes straight to the output.
class CAudioRecorderOutputProcessNone : public CAudioRecorderOutputProcessBase
{
public:
    void SetOutput(CAudioRecorderOutput* output) override { m_output = output; }
    void Reset() override {}
    uint32_t WriteInt32(int32_t** channels, uint32_t frames) override;
    uint32_t WriteFloat(float** channels, uint32_t frames) override;
};

// Triangular dither of one step of the output's bit depth, the same value on
// every channel of a frame, before the output's own float-to-integer write.
class CAudioRecorderOutputProcessTpdfDither : public CAudioRecorderOutputProcessBase
{
public:
    void SetOutput(CAudioRecorderOutput* output) override;
    void Reset() override {}
    // Float outputs receive the block unchanged; integer outputs dithered.
    uint32_t WriteFloat(float** channels, uint32_t frames) override;
    // Integers pass bit-exactly unless the output is an integer format shorter
    // than the source: then they are dithered as floats.
    uint32_t WriteInt32(int32_t** channels, uint32_t frames) override;
    // Dithers the block in place and writes it; returns the output's result.
    virtual uint32_t DitherAndWrite(float** channels, uint32_t frames);

protected:
    // Advances both generators and returns this frame's dither value.
    float NextDither();

    // The random sequences run on over every song of one converter: Reset
    // leaves them alone.
    uint32_t m_seed1 = 0x56CE;
    uint32_t m_seed2 = 0x54C563;
    double m_scale = 0.0;
    // The output's bit depth, 1..32.
    uint32_t m_bits = 32;
};

// Dither plus error feedback that moves the requantisation noise away from the
// ear's most sensitive band; it quantises to the output's bit depth itself and
// writes integers.
class CAudioRecorderOutputProcessNoiseShapedDither : public CAudioRecorderOutputProcessTpdfDither
{
public:
    void SetOutput(CAudioRecorderOutput* output) override;
    void Reset() override;
    uint32_t DitherAndWrite(float** channels, uint32_t frames) override;

    uint32_t GetTapCount() const { return m_taps; }

private:
    static constexpr uint32_t kHistory = 16;
    float m_error[kMaxChannels][kHistory] = {};
    uint32_t m_index = 0;
    uint32_t m_taps = 0;
    const float* m_coefficients = nullptr;
    int64_t m_roundingOffset = 0;
};
