#pragma once

#include "engine/dsp/filters/CFirLpfCoeffs.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// Base of the multichannel FIR engines of the rate converters. Owns its coefficient
// object; the derived classes own their tables and per-channel histories and keep their
// state from block to block, so a stream can be fed in blocks of any size.
class CFirLpfBase
{
public:
    // Channels beyond this many are not filtered.
    static constexpr uint16_t kMaxChannels = 8;

    virtual ~CFirLpfBase();

    CFirLpfBase(const CFirLpfBase&) = delete;
    CFirLpfBase& operator=(const CFirLpfBase&) = delete;

    virtual uint32_t GetInterpolation() const;
    virtual uint32_t GetDecimation() const;
    // Clears the histories and positions.
    virtual void Reset() = 0;
    // Filters frames input frames of every channel into output; returns the output frames.
    // A null input channel reads as silence, a null output channel is not written.
    virtual uint32_t Process(const float* const* input, float* const* output, uint32_t frames) = 0;
    // Sets the coefficient object's taps, rate, cutoff (Hz) and gain (dB).
    virtual void SetFilter(int taps, int rate, int cutoffHz, double gainDb);

    // Sets the coefficient object's stop-band attenuation (dB); returns it.
    double SetAttenuation(double attenuationDb);

    const CFirLpfCoeffs& GetCoeffs() const { return *m_coeffs; }
    uint16_t GetChannels() const { return m_channels; }

protected:
    CFirLpfBase(std::unique_ptr<CFirLpfCoeffs> coeffs, uint16_t channels);

    // The channel pointers of a block: histories, inputs and outputs (null when absent).
    struct BlockChannels
    {
        float* history[kMaxChannels];
        const float* input[kMaxChannels];
        float* output[kMaxChannels];
    };
    // Channel ch's history starts at histories + ch x historyStride.
    BlockChannels GetBlockChannels(const float* const* input, float* const* output, float* histories,
                                   std::size_t historyStride) const;

    std::unique_ptr<CFirLpfCoeffs> m_coeffs;
    uint16_t m_channels;
};
