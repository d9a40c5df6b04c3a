#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/audiofile/io/CAudioFileReadBase.h"
#include "engine/audiofile/io/CAudioPlayerInput.h"
#include "engine/audiofile/tags/CImageFileRead.h"
#include "tests/support/AudioCompare.h"
#include "tests/support/TempFolder.h"

namespace qm::test
{
// Audio files made once per test run with sox and ffmpeg from one source: a
// rising sweep on the left channel and a falling one on the right, 99997
// frames at 44100 Hz (not a multiple of any codec's frame length).
class MediaFixtures
{
public:
    static constexpr uint64_t kSourceFrames = 99997;

    static MediaFixtures& get()
    {
        static MediaFixtures instance;
        return instance;
    }

    std::filesystem::path path(const std::string& name) const { return m_folder.file(name); }
    std::u16string widePath(const std::string& name) const { return path(name).u16string(); }
    std::string q(const std::string& name) const { return shellQuote(path(name).string()); }

    // The source at a rate and width as a WAV file, and its samples as
    // left-aligned 32-bit integers.
    std::string source(int rate = 44100, int bits = 16, int channels = 2)
    {
        const std::string name =
            "src" + std::to_string(rate) + "_" + std::to_string(bits) + "_" + std::to_string(channels);
        if (!std::filesystem::exists(path(name + ".wav")))
        {
            const std::string synth =
                channels == 2 ? " synth " + std::to_string(kSourceFrames) + "s sine 300-3000 sine 2500-200 gain -3"
                              : " synth " + std::to_string(kSourceFrames) + "s sine 300-3000 gain -3";
            run("sox -D -r " + std::to_string(rate) + " -n -r " + std::to_string(rate) + " -c " +
                std::to_string(channels) + " -b " + std::to_string(bits) + " " + q(name + ".wav") + synth);
            run("sox " + q(name + ".wav") + " -t s32 " + q(name + ".s32"));
        }
        return name + ".wav";
    }
    std::vector<std::vector<int32_t>> sourceSamples(int rate = 44100, int bits = 16, int channels = 2)
    {
        const std::string wav = source(rate, bits, channels);
        return readRawS32(path(wav.substr(0, wav.size() - 4) + ".s32"), channels);
    }

    // A small cover picture (JPEG or PNG) and its bytes.
    std::string cover(const std::string& name)
    {
        if (!std::filesystem::exists(path(name)))
            run("ffmpeg -v error -y -f lavfi -i color=c=red:s=32x32 -frames:v 1 " + q(name));
        return name;
    }
    // A cover of noise (which JPEG cannot shrink) of `side` pixels square:
    // 640 gives about 300 KB, 1700 about 3 MB.
    std::string noiseCover(const std::string& name, int side)
    {
        if (!std::filesystem::exists(path(name)))
            run("ffmpeg -v error -y -f lavfi -i \"nullsrc=s=" + std::to_string(side) + "x" + std::to_string(side) +
                ",geq=random(1)*255:random(2)*255:random(3)*255\" -frames:v 1 -q:v 1 " + q(name));
        return name;
    }
    std::vector<uint8_t> bytes(const std::string& name) const
    {
        std::ifstream in(path(name), std::ios::binary);
        return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    // Runs ffmpeg once to make `name` from the inputs and output options.
    std::string make(const std::string& name, const std::string& inputsAndOptions)
    {
        if (!std::filesystem::exists(path(name)))
            run("ffmpeg -v error -y " + inputsAndOptions + " " + q(name));
        return name;
    }

    void run(const std::string& cmd) const { ASSERT_EQ(runCommand(cmd), 0) << cmd; }

    // Expects an open reader's picture to be the cover's bytes, with the file
    // it read as the metadata's picture path, and the picture factory to
    // load the same bytes from that path.
    void expectPicture(CAudioFileReadBase& reader, const std::string& file, const std::string& cover) const
    {
        const auto coverBytes = bytes(cover);
        EXPECT_EQ(std::u16string(reader.GetMetaData()->GetPicturePath()), widePath(file));
        ASSERT_EQ(reader.GetPictureDataSize(), coverBytes.size());
        std::vector<uint8_t> picture(coverBytes.size());
        EXPECT_EQ(reader.ReadPictureData(picture.data(), static_cast<uint32_t>(picture.size())),
                  static_cast<int>(coverBytes.size()));
        EXPECT_EQ(picture, coverBytes);

        std::unique_ptr<CImageFileReadBase> image(CreateImageFileRead(widePath(file).c_str()));
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(image->Load(), coverBytes.size());
        EXPECT_TRUE(std::equal(coverBytes.begin(), coverBytes.end(), image->GetData()));
    }

private:
    TempFolder m_folder;
};

// Reads a whole input stream (two channels at most) in blocks.
inline std::vector<std::vector<int32_t>> readAllInt32(CAudioPlayerInput& input, uint32_t block = 4000)
{
    return readAllBlocks(input.GetChannelCount(), block,
                         [&](int32_t** channels, uint32_t frames) { return input.ReadInt32(channels, frames, 0); });
}

inline std::string narrow(const char16_t* text)
{
    std::string out;
    for (; text && *text; ++text)
        out += *text < 0x80 ? static_cast<char>(*text) : '?';
    return out;
}

// A metadata field of an input as narrow text.
inline std::string metaField(CAudioPlayerInput& input, int index)
{
    return narrow(input.GetMetaData()->GetField(index)->GetWide());
}

// Names the cases of a parameterized test after their files ("song.m4a" ->
// "song_m4a").
struct CaseFileName
{
    template <class Info>
    std::string operator()(const Info& info) const
    {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), '.', '_');
        return name;
    }
};
} // namespace qm::test
