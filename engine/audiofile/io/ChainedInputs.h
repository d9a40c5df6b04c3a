#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/audiofile/io/CAudioPlayerInput.h"

// What the song, channel-group and track readers share: a list of owned input
// streams read either one after another (a chain: files of a track, sections
// of a song) or side by side (the tracks of a section).
namespace chained
{
// The sum of the lengths of the inputs, saturated at the top of the range.
template <class T>
uint64_t SumOfLengths(const std::vector<std::unique_ptr<T>>& inputs)
{
    uint64_t sum = 0;
    for (const auto& input : inputs)
    {
        const uint64_t length = input->GetLength();
        sum = length > UINT64_MAX - sum ? UINT64_MAX : sum + length;
    }
    return sum;
}

// The position of a chain: the lengths of the inputs before the current one
// plus the current input's position; 0 for an empty chain.
template <class T>
uint64_t ChainPosition(const std::vector<std::unique_ptr<T>>& inputs, uint32_t current)
{
    if (current >= inputs.size())
        return 0;
    uint64_t position = 0;
    for (uint32_t i = 0; i < current; ++i)
        position += inputs[i]->GetLength();
    return position + inputs[current]->GetPosition();
}

// Moves a chain to a frame: walks past every input whose whole length lies
// before the remaining position (a position exactly at an input's end stays in
// that input, at its end; a position beyond the last input goes to the last
// one, which clamps it), makes that input current, sets its position and
// rewinds every later input to 0. Earlier inputs are left as they are.
template <class T>
void ChainSetPosition(const std::vector<std::unique_ptr<T>>& inputs, uint32_t& current, uint64_t frame)
{
    if (inputs.empty())
        return;
    uint32_t index = 0;
    for (;;)
    {
        const uint64_t length = inputs[index]->GetLength();
        if (frame <= length || index + 1 >= inputs.size())
            break;
        frame -= length;
        ++index;
    }
    current = index;
    inputs[index]->SetPosition(frame);
    for (size_t i = size_t(index) + 1; i < inputs.size(); ++i)
        inputs[i]->SetPosition(0);
}

// Reads a chain: read(input, frames, extraOffset) reads frames from one input,
// writing at the caller's offset + extraOffset, and returns what it delivered.
// A short read stops the call while the current input still has frames left
// (a short read inside an input); once the current input is used up the next
// one becomes current and the missing frames are read from it, so that the
// boundary between two inputs never shows as a gap.
template <class T, class Read>
uint32_t ChainRead(const std::vector<std::unique_ptr<T>>& inputs, uint32_t& current, uint32_t frames, Read read)
{
    if (current >= inputs.size())
        return 0;
    uint32_t delivered = read(*inputs[current], frames, 0);
    while (delivered < frames)
    {
        if (inputs[current]->GetRemaining() != 0 || current + 1 >= inputs.size())
            break;
        ++current;
        delivered += read(*inputs[current], frames - delivered, delivered);
    }
    return delivered;
}

// A frame count from seconds at a rate, truncated toward zero; NaN gives 0 and
// values beyond the signed 64-bit range saturate.
int64_t FramesFromSeconds(uint32_t rate, double seconds);

// Makes what an input wrote through ReadInt32 into frames samples from offset
// of each non-null channel match the sample kind that the reader above it
// reports: integer samples become float bit patterns when the reader reports
// float samples, float bit patterns become left-aligned integers (clipped) when
// it reports integers. Nothing happens when the kinds agree. So an integer
// file after a float file (or the reverse) in one song never reaches the
// caller as noise.
void MatchSampleKind(int32_t* const* channels, uint16_t channelCount, uint32_t frames, uint32_t offset,
                     bool inputIsFloat, bool readerIsFloat);
} // namespace chained
