#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/media/MediaDecoder.h"
#include "platform/media/WmaEncoder.h"
#include "tests/support/AudioCompare.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WmaFileOutput.h"

using qm::platform::MediaDecoder;
using qm::platform::WmaEncoder;
using qm::platform::WmaEncoderOutput;

namespace
{
using qm::test::WmaFileOutput;

std::vector<std::vector<int32_t>> Sweep(uint32_t frames, uint16_t channels, uint32_t rate)
{
    std::vector<std::vector<int32_t>> samples(channels, std::vector<int32_t>(frames));
    for (uint16_t c = 0; c < channels; ++c)
        for (uint32_t i = 0; i < frames; ++i)
        {
            const double t = double(i) / rate;
            const double f = 200.0 + 3000.0 * t + 500.0 * c;
            samples[c][i] = int32_t(0.5 * std::sin(2 * M_PI * f * t) * 2147483647.0);
        }
    return samples;
}

// Writes the samples in uneven blocks; returns the frames taken.
uint32_t Encode(WmaEncoder& encoder, const std::vector<std::vector<int32_t>>& samples)
{
    const uint32_t frames = uint32_t(samples[0].size());
    uint32_t taken = 0;
    for (uint32_t block = 1000; taken < frames; block = block * 3 / 2 + 17)
    {
        const uint32_t count = std::min(block, frames - taken);
        std::vector<const int32_t*> pointers;
        for (const auto& channel : samples)
            pointers.push_back(channel.data() + taken);
        const uint32_t accepted = encoder.write(pointers.data(), count);
        taken += accepted;
        if (accepted < count)
            break;
    }
    return taken;
}
} // namespace

// Each rate and bit rate the export offers, read back by the decoding layer:
// the length the decoder gives back and the offset at which it matches.
TEST(WmaEncoder, RatesAndBitRatesDecodeBackAligned)
{
    struct Case
    {
        uint16_t channels;
        uint32_t rate;
        uint32_t bitRate;
    };
    const Case cases[] = {
        {1, 44100, 32024}, {2, 44100, 31984}, {2, 44100, 128016}, {2, 44100, 320008}, {2, 48000, 192000}};
    qm::test::TempFolder folder;
    const uint32_t frames = 50021;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.channels) + " ch " + std::to_string(c.rate) + " Hz " + std::to_string(c.bitRate));
        const std::string path = folder.file("out.wma").string();
        const auto source = Sweep(frames, c.channels, c.rate);
        uint32_t frameSize = 0;
        {
            WmaFileOutput output(path);
            WmaEncoder encoder;
            ASSERT_TRUE(encoder.open(output, c.rate, c.channels, c.bitRate));
            EXPECT_EQ(Encode(encoder, source), frames);
            frameSize = encoder.frameSize();
            ASSERT_TRUE(encoder.finish());
            EXPECT_FALSE(encoder.isOpen());
        }
        MediaDecoder decoder;
        ASSERT_EQ(decoder.open(path), qm::platform::MediaOpenResult::Ok);
        ASSERT_EQ(decoder.chooseAudioStream(0), qm::platform::MediaChooseResult::Ok);
        EXPECT_EQ(decoder.chosenStream().codecName, "wmav2");
        EXPECT_EQ(decoder.chosenStream().sampleRate, c.rate);
        EXPECT_EQ(decoder.chosenStream().channels, c.channels);
        std::vector<std::vector<int32_t>> decoded(c.channels, std::vector<int32_t>(frames + 20000));
        std::vector<int32_t*> pointers;
        for (auto& channel : decoded)
            pointers.push_back(channel.data());
        const uint32_t got = decoder.read(pointers.data(), uint32_t(decoded[0].size()), 0);
        decoded[0].resize(got);
        const qm::test::LagMatch match = qm::test::findLag(source[0], decoded[0], 5000, 30000, 8192);
        // Aligned, and as long as the source rounded up to whole frames.
        const uint32_t padded = (frames + frameSize - 1) / frameSize * frameSize;
        EXPECT_EQ(match.lag, 0);
        EXPECT_GT(match.correlation, 0.99);
        EXPECT_EQ(got, padded);
        // The command-line decoder agrees.
        const std::string bytes =
            qm::test::runCommandOutput("ffmpeg -v error -i " + qm::test::shellQuote(path) + " -f s16le - | wc -c");
        EXPECT_EQ(std::stoul(bytes), uint64_t(padded) * 2 * c.channels);
    }
}

TEST(WmaEncoder, RefusesFormatsTheEncoderCannotWrite)
{
    struct Case
    {
        uint16_t channels;
        uint32_t rate;
        uint32_t bitRate;
    };
    const Case cases[] = {{3, 44100, 128016}, {0, 44100, 128016}, {2, 96000, 128016}, {2, 44100, 0}, {2, 0, 128016}};
    qm::test::TempFolder folder;
    for (const Case& c : cases)
    {
        WmaFileOutput output(folder.file("refused.wma").string());
        WmaEncoder encoder;
        EXPECT_FALSE(encoder.open(output, c.rate, c.channels, c.bitRate))
            << c.channels << " " << c.rate << " " << c.bitRate;
        EXPECT_FALSE(encoder.isOpen());
    }
}

// A file that stops taking bytes: the write reports fewer frames and the
// stream fails instead of ending as a success.
TEST(WmaEncoder, WriteFailureIsReported)
{
    qm::test::TempFolder folder;
    WmaFileOutput output(folder.file("full.wma").string(), 100000);
    WmaEncoder encoder;
    ASSERT_TRUE(encoder.open(output, 44100, 2, 128016));
    const auto source = Sweep(441000, 2, 44100);
    EXPECT_LT(Encode(encoder, source), 441000u);
    EXPECT_EQ(Encode(encoder, source), 0u) << "a failed stream takes nothing more";
    EXPECT_FALSE(encoder.finish());
    EXPECT_FALSE(encoder.isOpen());
}
